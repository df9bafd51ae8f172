#include "app/emergency_explanation.h"

#include <algorithm>
#include <stdexcept>

#include "app/emergency_incidence.h"
#include "app/finder_explanation.h"

namespace fendra {

namespace {

int RemedyEntry(std::string_view remedy) {
  const auto& names = EmergencyRemedyNames();
  const auto it = std::find(names.begin(), names.end(), remedy);
  if (it == names.end())
    throw std::invalid_argument("not a remedy of the emergency finder: " + std::string(remedy));
  return static_cast<int>(it - names.begin());
}

}  // namespace

std::vector<int> EmergencyPointSources(std::string_view remedy, const EmergencyTicks& ticks) {
  return PointSources(RemedyEntry(remedy), ticks, EmergencyModalityRemedies);
}

std::vector<std::string> ExplainEmergencyPoints(std::string_view remedy,
                                                const EmergencyTicks& ticks) {
  return ExplanationLines(EmergencyPointSources(remedy, ticks), [](int box) {
    const EmergencyModality& modality = EmergencyModalities()[box];
    return ExplanationLine(EmergencyGroupCaption(modality.Group), modality.Caption);
  });
}

}  // namespace fendra
