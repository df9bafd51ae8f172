#pragma once
// Why a remedy of a finder has its points: the ticked features whose
// incidence rows list it, one line each. Both finders (the children's check
// lists and the emergency modalities) explain their results this way; each
// supplies its rows and how a feature reads.
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fendra {

inline constexpr std::string_view kNoPointsLine = "keine Punkte";

// The remedy numbers a feature's row lists.
using TFeatureRow = std::function<const std::vector<int>&(int feature)>;

// The ticked features whose rows list `remedy`, in feature order; their
// number is the remedy's points.
std::vector<int> PointSources(int remedy, std::span<const bool> ticks, const TFeatureRow& rowOf);

// "group: feature" as a line of an explanation: the group loses a trailing
// colon, both lose blanks at their ends ("Besser durch:", "Liegen " give
// "Besser durch: Liegen").
std::string ExplanationLine(std::string_view group, std::string_view feature);

// One line per source as `lineOf` reads it; "keine Punkte" alone when there
// is none.
std::vector<std::string> ExplanationLines(const std::vector<int>& sources,
                                          const std::function<std::string(int feature)>& lineOf);

}  // namespace fendra
