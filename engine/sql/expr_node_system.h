#pragma once
// TDVXExprNodeSystem: LASTAUTOINC([MEMORY] table, field), the last
// autoincrement value the table gave out for the field, in the field's
// type. The table is opened (read-only) when the node is built, through the
// expression services.
#include <memory>
#include <string>

#include "engine/sql/expr_node.h"
#include "engine/sql/expr_services.h"

namespace dvx {

class TDVXExprNodeSystem : public TDVXExprNode {
 public:
  // Opens the table; 30337 when it has no such field.
  TDVXExprNodeSystem(TDVXExprServices& services, const TDVXExprEnvironment& env, std::string tableName,
                     std::string fieldName, bool inMemory);
  ~TDVXExprNodeSystem() override;

  const TDVXVariant& Evaluate() override;
  int GetDataType() override { return fieldType_; }

  const std::string& TableName() const { return tableName_; }
  const std::string& FieldName() const { return fieldName_; }
  bool InMemory() const { return inMemory_; }

 private:
  std::string databaseName_;
  std::string sessionName_;
  std::string tableName_;
  std::string fieldName_;
  bool inMemory_;
  std::unique_ptr<TDVXAutoIncTable> table_;
  int fieldType_ = 0;
};

}  // namespace dvx
