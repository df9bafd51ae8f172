#pragma once
// TDVXExprNodeArithmetic: the sum of all children ("a - b" is parsed as
// a + (-b)), the negation of one child, and "*" and "/" of two. The value
// model does the work, with its rules: both sides meet in their common
// type, NULL + x = x while x + NULL, x * NULL and x / NULL are NULL, a
// string side makes "+" a concatenation.
#include "engine/sql/expr_node.h"

namespace dvx {

class TDVXExprNodeArithmetic : public TDVXExprNode {
 public:
  explicit TDVXExprNodeArithmetic(TDVXExprNodeKind kind) : TDVXExprNode(kind) {}

  const TDVXVariant& Evaluate() override;
  int GetDataType() override;
  int32_t GetDataSize() override;
};

}  // namespace dvx
