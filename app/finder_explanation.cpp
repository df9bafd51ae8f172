#include "app/finder_explanation.h"

#include <algorithm>

namespace fendra {

namespace {

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::vector<int> PointSources(int remedy, std::span<const bool> ticks, const TFeatureRow& rowOf) {
  std::vector<int> sources;
  for (size_t feature = 0; feature < ticks.size(); ++feature) {
    if (!ticks[feature]) continue;
    const std::vector<int>& listed = rowOf(static_cast<int>(feature));
    if (std::find(listed.begin(), listed.end(), remedy) != listed.end())
      sources.push_back(static_cast<int>(feature));
  }
  return sources;
}

std::string ExplanationLine(std::string_view group, std::string_view feature) {
  group = Trimmed(group);
  if (group.ends_with(':')) group = Trimmed(group.substr(0, group.size() - 1));
  std::string line(group);
  line += ": ";
  line += Trimmed(feature);
  return line;
}

std::vector<std::string> ExplanationLines(const std::vector<int>& sources,
                                          const std::function<std::string(int feature)>& lineOf) {
  if (sources.empty()) return {std::string(kNoPointsLine)};
  std::vector<std::string> lines;
  lines.reserve(sources.size());
  for (int feature : sources) lines.push_back(lineOf(feature));
  return lines;
}

}  // namespace fendra
