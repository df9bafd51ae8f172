// Tree checks: the shape of the Baum entries and the size of each level.
#include <string>

#include "tools/refdata/table_schema.h"
#include "tools/refdata/tree_shape.h"
#include "tools/refdata/validator_checks.h"

namespace refdata::checks {

namespace {

constexpr std::array<const char*, kDeepestTreeLevel + 1> kLevelNames{"root", "first-level", "second-level", "third-level"};

}  // namespace

void CheckTree(const TSourceTree& tree, const TContentRules& rules, TProblems& problems) {
  const TTreeShape shape = AnalyseTree(tree.Table(kTreeTable).entries, rules.treeRootName);
  problems.insert(problems.end(), shape.problems.begin(), shape.problems.end());
  const std::array<int, kDeepestTreeLevel + 1> minimum{0, rules.minTreeLevel1, rules.minTreeLevel2, rules.minTreeLevel3};
  for (int level = 1; level <= kDeepestTreeLevel; ++level) {
    if (shape.levelCount[level] < minimum[level])
      problems.push_back({std::string(kTreeTable), 0,
                          "the tree has " + std::to_string(shape.levelCount[level]) + " " + kLevelNames[level] +
                              " entries; it needs at least " + std::to_string(minimum[level])});
  }
  // A reader looks a subject up under its heading and finds as many entries
  // there as the subject has; a tree in which most second-level entries carry
  // exactly one child was shaped to meet the counts.
  const int secondLevel = shape.levelCount[2];
  if (rules.maxSingleChildShare >= 0 && secondLevel > 0) {
    const int single = ChildrenPerEntry(shape, 2)[1];
    if (single > rules.maxSingleChildShare * secondLevel)
      problems.push_back({std::string(kTreeTable), 0,
                          std::to_string(single) + " of the " + std::to_string(secondLevel) +
                              " second-level entries have exactly one child; group the entries as the subjects need (" +
                              DescribeTreeShape(shape) + ")"});
  }
}

}  // namespace refdata::checks
