#include "engine/sql/expr_node_const.h"

#include "engine/core/exception.h"
#include "engine/sql/sql_errors.h"
#include "engine/values/field_types.h"
#include "engine/values/value_codec.h"

namespace dvx {

TDVXExprNodeConst::TDVXExprNodeConst(const TDVXVariant& value) : TDVXExprNode(nkConstant) {
  result_.Assign(value, true);
}

int TDVXExprNodeConst::GetDataType() {
  int type = BaseToAdvancedType(result_.DataType());
  if (type == aftUnknown) throw EDVXException(kErrUnknownExprType, "Cannot determine expression type");
  return type;
}

int32_t TDVXExprNodeConst::GetDataSize() {
  if (!IsStringConstant() || result_.IsNull()) return 0;
  return static_cast<int32_t>(IsWideType(result_.DataType()) ? result_.GetAsWideString().size()
                                                              : result_.GetAsString().size());
}

bool TDVXExprNodeConst::IsStringConstant() const { return IsValueStringType(result_.DataType()); }

}  // namespace dvx
