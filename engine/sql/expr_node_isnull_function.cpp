#include "engine/sql/expr_node_isnull_function.h"

#include <algorithm>

#include "engine/core/exception.h"
#include "engine/sql/sql_errors.h"
#include "engine/values/field_types.h"
#include "engine/values/value_codec.h"

namespace dvx {

const TDVXVariant& TDVXExprNodeIsNullFunction::Evaluate() {
  const TDVXVariant& first = Child(0)->Evaluate();
  if (ChildCount() == 1) {
    SetLogicalResult(first.IsNull());
    return result_;
  }
  if (!first.IsNull()) {
    result_.Assign(first, true);
    return result_;
  }
  if (!typesChecked_) {
    firstType_ = Child(0)->GetDataType();
    secondType_ = Child(1)->GetDataType();
    if (firstType_ != secondType_ && !(IsNonBlobAdvancedType(firstType_) && IsNonBlobAdvancedType(secondType_)))
      throw EDVXException(kErrIsNullTypes, "Types mismatches in SQL function %s: %d, %d",
                          {"ISNULL", firstType_, secondType_});
    typesChecked_ = true;
  }
  uint8_t type = first.DataType() != bftUnknown ? first.DataType() : static_cast<uint8_t>(AdvancedToBaseType(firstType_));
  result_.Assign(Child(1)->Evaluate(), true);
  result_.ConvertTo(type);
  return result_;
}

int TDVXExprNodeIsNullFunction::GetDataType() {
  return ChildCount() == 1 ? static_cast<int>(aftBoolean) : TDVXExprNode::GetDataType();
}

int32_t TDVXExprNodeIsNullFunction::GetDataSize() {
  if (ChildCount() == 1 || !IsValueStringType(AdvancedToBaseType(GetDataType()))) return 0;
  int32_t first = Child(0)->GetDataSize(), second = Child(1)->GetDataSize();
  return std::max(first > 0 ? first : 255, second > 0 ? second : 255);
}

}  // namespace dvx
