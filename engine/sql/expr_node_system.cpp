#include "engine/sql/expr_node_system.h"

#include "engine/core/exception.h"
#include "engine/sql/sql_errors.h"
#include "engine/values/field_types.h"

namespace dvx {

TDVXExprNodeSystem::TDVXExprNodeSystem(TDVXExprServices& services, const TDVXExprEnvironment& env,
                                       std::string tableName, std::string fieldName, bool inMemory)
    : TDVXExprNode(nkLastAutoInc),
      databaseName_(env.databaseName),
      sessionName_(env.sessionName),
      tableName_(std::move(tableName)),
      fieldName_(std::move(fieldName)),
      inMemory_(inMemory) {
  TDVXExprEnvironment tableEnv = env;
  tableEnv.inMemory = inMemory_;
  table_ = services.OpenAutoIncTable(tableName_, tableEnv);
  if (!table_) throw EDVXException(kErrLastAutoIncField, kMsgFieldNotFound, {fieldName_});
  fieldType_ = table_->FieldType(fieldName_);
  if (!IsValidAdvancedType(fieldType_)) throw EDVXException(kErrLastAutoIncField, kMsgFieldNotFound, {fieldName_});
}

TDVXExprNodeSystem::~TDVXExprNodeSystem() = default;

const TDVXVariant& TDVXExprNodeSystem::Evaluate() {
  if (kind_ != nkLastAutoInc) UnknownOperator(kErrSystemOperator);
  result_.Clear(bftSignedInt64);
  result_.SetAsSignedInt64(table_->LastAutoIncValue(fieldName_));
  result_.ConvertTo(AdvancedToBaseType(fieldType_));
  return result_;
}

}  // namespace dvx
