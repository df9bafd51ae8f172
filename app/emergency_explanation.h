#pragma once
// Why a remedy of the emergency finder has its points: the ticked modalities
// whose incidence row lists it, read by the finders' shared explanation
// (finder_explanation.h). It needs no widget, so every explanation can be
// checked without a screen.
#include <string>
#include <string_view>
#include <vector>

#include "app/emergency_remedies.h"
#include "app/finder_explanation.h"

namespace fendra {

// The ticked modalities (check box indices, cb1BeKa = 0) whose rows list the
// remedy, in check box order. Their number is the remedy's points. A name
// that is not one of the 70 remedies throws std::invalid_argument.
std::vector<int> EmergencyPointSources(std::string_view remedy, const EmergencyTicks& ticks);

// One line per source, the group before the feature, both as the finder
// shows them: "Besser durch: Wärme", "Allgemeiner Zustand: große Unruhe".
// A remedy without points has the single line "keine Punkte".
std::vector<std::string> ExplainEmergencyPoints(std::string_view remedy,
                                                const EmergencyTicks& ticks);

}  // namespace fendra
