#pragma once
// Scan conditions: how a record search is narrowed by an index. The
// expression layer derives them from a condition's comparisons
// (TDVXExpression::ExtractIndexConditions); the table layer walks the index
// with them.
//
//   conditionType   1 equal, 2 less, 3 greater, 4 less or equal, 5 greater
//                   or equal, in the index's own order (for a descending
//                   first column "less" is the larger value)
//   keyBuffer       a record buffer of the cursor's layout holding the
//                   compared value in the field's slot (every other field
//                   NULL)
//   keyFieldCount   leading index columns compared
//   indexID         ObjectID of the index, -1 when none serves
//   expression      for a condition no index serves: the expression that
//                   decides it (not owned)
//
// A consumer walks only non-NULL keys for a comparison and still tests
// every record it finds against the whole condition: the index narrows the
// search, it never decides alone, so a query returns the same rows with and
// without the index.
#include <cstdint>
#include <vector>

namespace dvx {

class TDVXExpression;

// Condition types shared by scans, key searches and the B-tree. They are
// in the index's own order: "less" means "before in the index", which for
// a descending column is the larger value.
enum TDVXConditionType : int {
  ctEqual = 1,
  ctLess = 2,
  ctGreater = 3,
  ctLessOrEqual = 4,
  ctGreaterOrEqual = 5,
};

// Whether a key whose comparison with the condition's key (in the index's
// order) gave `comparison` satisfies a condition of `conditionType`.
inline bool ConditionHolds(int conditionType, int comparison) {
  switch (conditionType) {
    case ctEqual: return comparison == 0;
    case ctLess: return comparison < 0;
    case ctGreater: return comparison > 0;
    case ctLessOrEqual: return comparison <= 0;
    case ctGreaterOrEqual: return comparison >= 0;
    default: return false;
  }
}

struct TDVXScanSearchCondition {
  int conditionType = ctEqual;
  std::vector<uint8_t> keyBuffer;
  int keyFieldCount = 1;
  int32_t indexID = -1;
  TDVXExpression* expression = nullptr;
};

using TDVXScanSearchConditionArray = std::vector<TDVXScanSearchCondition>;

}  // namespace dvx
