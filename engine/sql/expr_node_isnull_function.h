#pragma once
// TDVXExprNodeIsNullFunction: ISNULL(x) is true when x is NULL; ISNULL(x, y)
// is x, or, when x is NULL, y converted to x's base type. The two argument
// types must be equal or both non-BLOB types (1 to 28); they are looked up
// on first use.
#include "engine/sql/expr_node.h"

namespace dvx {

class TDVXExprNodeIsNullFunction : public TDVXExprNode {
 public:
  TDVXExprNodeIsNullFunction() : TDVXExprNode(nkIsNullFunction) {}

  const TDVXVariant& Evaluate() override;
  int GetDataType() override;
  int32_t GetDataSize() override;

 private:
  bool typesChecked_ = false;
  int firstType_ = 0;
  int secondType_ = 0;
};

}  // namespace dvx
