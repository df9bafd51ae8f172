#include "engine/tables/temporary_database_data.h"

#include "engine/core/exception.h"
#include "engine/core/platform/random.h"
#include "engine/tables/resident_table_errors.h"

namespace dvx {

std::string TDVXTemporaryDatabaseData::NewTableName() {
  TDVXLockGuard guard(Lock());
  std::string name;
  do {
    name = kTableNamePrefix + std::to_string(TDVXRandom::System().Next(2147483647u));
  } while (TableExists(name));
  return name;
}

std::unique_ptr<TDVXResidentTableData> TDVXTemporaryDatabaseData::MakeTable(const std::string& tableName) {
  return std::make_unique<TDVXTemporaryTableData>(*this, tableName, settings_);
}

void TDVXTemporaryDatabaseData::CheckDefinitions(const TDVXConstraintDefs& constraints) {
  for (int i = 0; i < constraints.Count(); ++i)
    if (constraints.Items(i)->ConstraintType() == ctForeignKey ||
        constraints.Items(i)->ConstraintType() == ctForeignKeyAction)
      throw EDVXException(kErrTemporaryForeignKey, "Foreign keys are not supported in temporary tables");
}

void TDVXTemporaryDatabaseData::RenameTable(TDVXLocalSession&, const std::string&, const std::string&) {
  throw EDVXException(kErrTemporaryOperation, "Error - operation is not supported");
}

}  // namespace dvx
