#pragma once
// An independent model of the children's finder for the tests: it reads the
// incidence rows as text, split on ", ", looks each name up in the remedy
// list itself, counts, and ranks with a stable sort by descending points.
#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/children_incidence.h"

namespace fendra::testing {

inline std::vector<std::string> ModelRowNames(std::string_view row) {
  std::vector<std::string> names;
  const std::string text(row);
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find(", ", start), text.size());
    names.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return names;
}

// (name, points) of all 70 remedies in ranked order.
inline std::vector<std::pair<std::string, int>> ModelChildRanking(const ChildTicks& ticks) {
  std::vector<std::pair<std::string, int>> model;
  for (std::string_view name : ChildRemedyNames()) model.emplace_back(std::string(name), 0);
  for (int f = 0; f < kChildFeatureCount; ++f) {
    if (!ticks[f]) continue;
    for (const std::string& name : ModelRowNames(ChildFeatures()[f].Remedies))
      for (auto& entry : model)
        if (entry.first == name) ++entry.second;
  }
  std::stable_sort(model.begin(), model.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  return model;
}

// The explanation lines of a remedy: "list heading: caption" for each
// ticked feature whose row names it, blanks at the ends trimmed.
inline std::vector<std::string> ModelChildExplanation(std::string_view remedy, const ChildTicks& ticks) {
  auto trim = [](std::string s) {
    s.erase(0, s.find_first_not_of(' '));
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
  };
  std::vector<std::string> lines;
  for (int f = 0; f < kChildFeatureCount; ++f) {
    if (!ticks[f]) continue;
    const ChildFeature& feature = ChildFeatures()[f];
    const auto names = ModelRowNames(feature.Remedies);
    if (std::find(names.begin(), names.end(), std::string(remedy)) == names.end()) continue;
    std::string heading;
    for (const ChildCheckList& list : ChildCheckLists())
      if (list.Name == feature.List) heading = trim(std::string(list.Heading));
    lines.push_back(heading + ": " + trim(std::string(feature.Caption)));
  }
  if (lines.empty()) lines.emplace_back("keine Punkte");
  return lines;
}

}  // namespace fendra::testing
