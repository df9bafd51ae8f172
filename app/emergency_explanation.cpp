#include "app/emergency_explanation.h"

#include <algorithm>
#include <stdexcept>

#include "app/emergency_incidence.h"

namespace fendra {

namespace {

int RemedyEntry(std::string_view remedy) {
  const auto& names = EmergencyRemedyNames();
  const auto it = std::find(names.begin(), names.end(), remedy);
  if (it == names.end())
    throw std::invalid_argument("not a remedy of the emergency finder: " + std::string(remedy));
  return static_cast<int>(it - names.begin());
}

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// "Besser durch:" reads as a line's lead-in as it stands; "Allgemeiner
// Zustand" gets its colon here.
std::string Line(const EmergencyModality& modality) {
  std::string_view group = EmergencyGroupCaption(modality.Group);
  if (group.ends_with(':')) group.remove_suffix(1);
  std::string line(group);
  line += ": ";
  line += Trimmed(modality.Caption);
  return line;
}

}  // namespace

std::vector<int> EmergencyPointSources(std::string_view remedy, const EmergencyTicks& ticks) {
  const int entry = RemedyEntry(remedy);
  std::vector<int> sources;
  for (int box = 0; box < kEmergencyModalityCount; ++box) {
    if (!ticks[box]) continue;
    const std::vector<int>& listed = EmergencyModalityRemedies(box);
    if (std::find(listed.begin(), listed.end(), entry) != listed.end()) sources.push_back(box);
  }
  return sources;
}

std::vector<std::string> ExplainEmergencyPoints(std::string_view remedy,
                                                const EmergencyTicks& ticks) {
  const std::vector<int> sources = EmergencyPointSources(remedy, ticks);
  if (sources.empty()) return {std::string(kNoPointsLine)};
  std::vector<std::string> lines;
  lines.reserve(sources.size());
  for (int box : sources) lines.push_back(Line(EmergencyModalities()[box]));
  return lines;
}

}  // namespace fendra
