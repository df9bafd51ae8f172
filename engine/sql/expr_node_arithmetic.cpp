#include "engine/sql/expr_node_arithmetic.h"

#include "engine/sql/sql_errors.h"
#include "engine/values/field_types.h"
#include "engine/values/value_codec.h"

namespace dvx {

const TDVXVariant& TDVXExprNodeArithmetic::Evaluate() {
  if (kind_ < nkAdd || kind_ > nkDivide) UnknownOperator(kErrArithmeticOperator);
  result_.Assign(Child(0)->Evaluate(), true);
  switch (kind_) {
    case nkAdd:
      for (int i = 1; i < ChildCount(); ++i) result_.Add(Child(i)->Evaluate());
      break;
    case nkNegate:
      result_.Negate();
      break;
    case nkMultiply:
      result_.Multiply(Child(1)->Evaluate());
      break;
    default:
      result_.Divide(Child(1)->Evaluate());
      break;
  }
  return result_;
}

int TDVXExprNodeArithmetic::GetDataType() {
  if (kind_ == nkNegate) return Child(0)->GetDataType();
  return TDVXExprNode::GetDataType();
}

int32_t TDVXExprNodeArithmetic::GetDataSize() {
  if (kind_ != nkAdd || !IsValueStringType(AdvancedToBaseType(GetDataType()))) return 0;
  return SumOfChildSizes();
}

}  // namespace dvx
