#pragma once
// TDVXExprNodeBoolean: the logical connectives and the predicates that
// yield LOGICAL values, with three-valued logic (NULL is unknown):
//
//   NOT x              NULL stays NULL
//   AND (n children)   false as soon as one is false; else NULL if one is
//   OR  (n children)   true as soon as one is true; else NULL if one is
//   x [NOT] IN (v...)  NULL when x is; true when a list value equals x
//                      ignoring case (NULL list values never equal)
//   x [NOT] BETWEEN a AND b   NULL when any is; ignoring case
//   x [NOT] LIKE p     NULL when either is; string types only
//   x IS [NOT] NULL    never NULL
// The NOT forms negate a result that is not NULL.
#include "engine/sql/expr_node.h"

namespace dvx {

class TDVXExprNodeBoolean : public TDVXExprNode {
 public:
  explicit TDVXExprNodeBoolean(TDVXExprNodeKind kind) : TDVXExprNode(kind, bftLogical) {}

  const TDVXVariant& Evaluate() override;
  int GetDataType() override;

 private:
  void EvaluateAndOr(bool isAnd);
  // The result of the positive form; false in `known` for NULL.
  bool EvaluateIn(bool& known);
  bool EvaluateBetween(bool& known);
  bool EvaluateLike(bool& known);
  void SetTruth(bool value, bool known);

  // The tested value of IN, BETWEEN and LIKE, copied so that evaluating
  // the other children can never disturb it.
  TDVXVariant scratch_;
};

}  // namespace dvx
