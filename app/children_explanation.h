#pragma once
// Why a remedy of the children's finder has its points: the ticked check-list
// items whose incidence rows list it, read by the finders' shared
// explanation (finder_explanation.h). No widget needed.
#include <string>
#include <vector>

#include "app/children_remedies.h"
#include "app/finder_explanation.h"

namespace fendra {

// The ticked features whose rows list remedy `remedy` (0..69), in list and
// item order; as many as its points. Out of range throws std::out_of_range.
std::vector<int> ChildPointSources(int remedy, const ChildTicks& ticks);

// One line per source, the list's heading before the item's caption, blanks
// at their ends dropped: "Verhaltensweisen und Konstitution: Eifersucht". A
// remedy without points has the single line "keine Punkte".
std::vector<std::string> ExplainChildPoints(int remedy, const ChildTicks& ticks);

}  // namespace fendra
