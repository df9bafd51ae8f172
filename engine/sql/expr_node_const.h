#pragma once
// TDVXExprNodeConst: a constant (a literal of the SQL text, a parameter's
// value, NULL, TRUE or FALSE). Its result is the constant itself.
#include "engine/sql/expr_node.h"

namespace dvx {

class TDVXExprNodeConst : public TDVXExprNode {
 public:
  explicit TDVXExprNodeConst(const TDVXVariant& value);

  const TDVXVariant& Evaluate() override { return result_; }
  int GetDataType() override;
  // Characters of a string constant; 0 for other constants.
  int32_t GetDataSize() override;

  const TDVXVariant& Value() const { return result_; }
  // For Prepare and the partial-match rule of filters, which fit the
  // constant to what it is compared with.
  TDVXVariant& MutableValue() { return result_; }
  bool IsStringConstant() const;
};

}  // namespace dvx
