#include "app/children_explanation.h"

#include <stdexcept>

#include "app/children_incidence.h"

namespace fendra {

std::vector<int> ChildPointSources(int remedy, const ChildTicks& ticks) {
  if (remedy < 0 || remedy >= kChildRemedyCount) throw std::out_of_range("not a remedy of the children's finder");
  return PointSources(remedy, ticks, ChildFeatureRemedies);
}

std::vector<std::string> ExplainChildPoints(int remedy, const ChildTicks& ticks) {
  return ExplanationLines(ChildPointSources(remedy, ticks), [](int feature) {
    return ExplanationLine(ChildCheckLists()[ChildFeatureList(feature)].Heading,
                           ChildFeatures()[feature].Caption);
  });
}

}  // namespace fendra
