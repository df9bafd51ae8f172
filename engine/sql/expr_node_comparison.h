#pragma once
// TDVXExprNodeComparison: "=", "<>", ">", "<", ">=", "<=" of its two
// children, by the value model's comparison (prefix and case flags of the
// node). With null-as-unknown (SQL and filters) a NULL on either side makes
// every operator false except "<>", which is true; so a comparison never
// yields NULL. Without it (key lookups) NULL is the lowest value and equals
// NULL.
#include "engine/sql/expr_node.h"

namespace dvx {

class TDVXExprNodeField;
class TDVXExprNodeConst;

class TDVXExprNodeComparison : public TDVXExprNode {
 public:
  TDVXExprNodeComparison(TDVXExprNodeKind kind, std::unique_ptr<TDVXExprNode> left,
                         std::unique_ptr<TDVXExprNode> right, bool nullAsUnknown);

  // A wide string constant compared with an 8-bit string field becomes an
  // 8-bit string, so the field's values are not widened on every row.
  void Prepare() override;
  const TDVXVariant& Evaluate() override;
  int GetDataType() override;
  bool IsJoinCondition(TDVXExprOperator& left, TDVXExprOperator& right) override;

  bool NullAsUnknown() const { return nullAsUnknown_; }
  // The operator as seen from the other side ("<" for ">", ...).
  static TDVXExprNodeKind Mirrored(TDVXExprNodeKind kind);
  // For a comparison of a field with a constant: both, and whether the
  // constant is the left child; false for any other comparison.
  bool FieldAndConstant(TDVXExprNodeField*& field, TDVXExprNodeConst*& constant, bool& constantLeft) const;

 private:
  bool nullAsUnknown_;
};

}  // namespace dvx
