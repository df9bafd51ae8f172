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

enum TDVXScanConditionKind : int {
  sckEqual = 1,
  sckLess = 2,
  sckGreater = 3,
  sckLessOrEqual = 4,
  sckGreaterOrEqual = 5,
};

struct TDVXScanSearchCondition {
  int conditionType = sckEqual;
  std::vector<uint8_t> keyBuffer;
  int keyFieldCount = 1;
  int32_t indexID = -1;
  const TDVXExpression* expression = nullptr;
};

using TDVXScanSearchConditionArray = std::vector<TDVXScanSearchCondition>;

}  // namespace dvx
