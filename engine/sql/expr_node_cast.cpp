#include "engine/sql/expr_node_cast.h"

#include "engine/values/field_types.h"
#include "engine/values/value_codec.h"

namespace dvx {

TDVXExprNodeCast::TDVXExprNodeCast(int targetType, int32_t declaredSize)
    : TDVXExprNode(nkCast), targetType_(targetType), declaredSize_(declaredSize) {}

const TDVXVariant& TDVXExprNodeCast::Evaluate() {
  result_.Assign(Child(0)->Evaluate(), true);
  result_.ConvertTo(AdvancedToBaseType(targetType_));
  return result_;
}

int32_t TDVXExprNodeCast::GetDataSize() {
  if (!IsValueStringType(AdvancedToBaseType(targetType_))) return 0;
  return declaredSize_ > 0 ? declaredSize_ : SumOfChildSizes();
}

}  // namespace dvx
