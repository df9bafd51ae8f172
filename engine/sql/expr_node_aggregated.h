#pragma once
// TDVXExprNodeAggregated: SUM, AVG, MIN, MAX, COUNT and COUNT(*) over the
// rows of a group. The grouping operator calls ResetAggregates at the
// start of a group, AccumulateAggregates for each of its rows and Evaluate
// for the result:
//
//   SUM    NULLs skipped; integers summed as SIGNEDINT64, other numbers in
//          their own type; NULL without values
//   AVG    the sum as for SUM ÷ the count of values, as FLOAT; NULL without
//   MIN, MAX  the smallest / greatest value, ignoring case; NULL without
//   COUNT(x)  values that are not NULL; COUNT(*) rows; SIGNEDINT32
// With DISTINCT a value counts once per group; the values seen are kept in
// a temporary table from the expression services.
#include <memory>

#include "engine/sql/expr_node.h"

namespace dvx {

class TDVXDistinctValues;
class TDVXExprServices;

class TDVXExprNodeAggregated : public TDVXExprNode {
 public:
  TDVXExprNodeAggregated(TDVXExprNodeKind kind, bool distinct, TDVXExprServices& services);
  ~TDVXExprNodeAggregated() override;

  const TDVXVariant& Evaluate() override;
  bool HasAggregate() const override { return true; }
  bool IsCountAll() const override { return kind_ == nkCountAll || TDVXExprNode::IsCountAll(); }
  void ResetAggregates() override;
  void AccumulateAggregates() override;
  int GetDataType() override;
  int32_t GetDataSize() override;

  bool Distinct() const { return distinct_; }
  int64_t RowCount() const { return count_; }

 private:
  // Adds a numeric value to `sum` (integers as SIGNEDINT64).
  void AddToSum(TDVXVariant& sum, const TDVXVariant& value, int32_t code, const char* name);

  TDVXExprServices& services_;
  int64_t count_ = 0;
  // AVG's sum; SUM, MIN and MAX keep theirs in the result.
  TDVXVariant sum_;
  bool distinct_;
  std::unique_ptr<TDVXDistinctValues> seen_;
  TDVXVariant scratch_;
};

}  // namespace dvx
