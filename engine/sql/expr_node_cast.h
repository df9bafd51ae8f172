#pragma once
// TDVXExprNodeCast: CAST(x AS type), the value converted to the type's base
// type by the value model (its conversion errors, 30051 and 30052, stand).
#include "engine/sql/expr_node.h"

namespace dvx {

class TDVXExprNodeCast : public TDVXExprNode {
 public:
  // `declaredSize` is the size written after the type name, 0 when none.
  TDVXExprNodeCast(int targetType, int32_t declaredSize);

  const TDVXVariant& Evaluate() override;
  int GetDataType() override { return targetType_; }
  int32_t GetDataSize() override;

  int TargetType() const { return targetType_; }

 private:
  int targetType_;
  int32_t declaredSize_;
};

}  // namespace dvx
