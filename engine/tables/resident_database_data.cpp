#include "engine/tables/resident_database_data.h"

#include "engine/core/exception.h"
#include "engine/storage/storage_errors.h"
#include "engine/tables/foreign_key_errors.h"
#include "engine/tables/resident_table_data.h"
#include "engine/tables/table_data_errors.h"

namespace dvx {

TDVXResidentDatabaseData::TDVXResidentDatabaseData() : locks_(nullptr) {}

TDVXResidentDatabaseData::~TDVXResidentDatabaseData() { FreeTables(); }

int32_t TDVXResidentDatabaseData::ConnectSession() {
  TDVXLockGuard guard(Lock());
  int32_t id = 1;
  while (sessions_.count(id)) ++id;
  sessions_.insert(id);
  return id;
}

void TDVXResidentDatabaseData::DisconnectSession(int32_t sessionID) {
  TDVXLockGuard guard(Lock());
  sessions_.erase(sessionID);
}

std::vector<std::string> TDVXResidentDatabaseData::TableNames() {
  std::vector<std::string> names;
  for (TDVXTableData* table : OpenTables()) names.push_back(table->TableName());
  return names;
}

std::unique_ptr<TDVXTableData> TDVXResidentDatabaseData::LoadTable(TDVXLocalSession&, const std::string& tableName,
                                                                   bool) {
  throw EDVXException(kErrCursorTableNotFound, "Table not found, table name = %s", {tableName});
}

void TDVXResidentDatabaseData::CreateTable(TDVXLocalSession& session, const std::string& tableName,
                                           const TDVXFieldDefs& fields, const TDVXIndexDefs& indexes,
                                           const TDVXConstraintDefs& constraints) {
  if (fields.Count() == 0)
    throw EDVXException(kErrCreateTableNoFields, "Error creating table - no fields were specified");
  CheckDefinitions(constraints);
  // The new table is complete before the old one goes: a refused
  // definition leaves the old table in place.
  std::unique_ptr<TDVXResidentTableData> table = MakeTable(tableName);
  table->Define(fields, indexes, constraints);
  TDVXLockGuard guard(Lock());
  if (FindOpenTable(tableName)) DeleteTable(session, tableName);
  AdoptTable(std::move(table));
}

void TDVXResidentDatabaseData::DeleteTable(TDVXLocalSession&, const std::string& tableName) {
  TDVXLockGuard guard(Lock());
  TDVXTableData* table = FindOpenTable(tableName);
  if (!table) throw EDVXException(kErrCursorDeleteTableNotFound, "Table not found, table name = %s", {tableName});
  if (table->CursorCount() > 0)
    throw EDVXException(kErrDeleteTableOpen, "Cannot delete table '%s'. Table is open by another dataset",
                        {tableName});
  RemoveTable(*table);
}

void TDVXResidentDatabaseData::RenameTable(TDVXLocalSession&, const std::string& oldName, const std::string& newName) {
  TDVXLockGuard guard(Lock());
  TDVXTableData* table = FindOpenTable(oldName);
  if (!table) throw EDVXException(kErrCursorRenameTableNotFound, "Table not found, table name = %s", {oldName});
  if (table->CursorCount() > 0)
    throw EDVXException(kErrRenameTableOpen, "Cannot rename table '%s'. Table is open by another dataset", {oldName});
  if (TDVXTableData* other = FindOpenTable(newName); other && other != table)
    throw EDVXException(kErrRenameTargetExists,
                        "Cannot rename table '%s' to '%s' - table with such name already exists", {oldName, newName});
  TDVXLockGuard tableGuard(table->Lock());
  table->SetTableName(newName);
}

void TDVXResidentDatabaseData::DropTable(TDVXTableData& table) {
  TDVXLockGuard guard(Lock());
  RemoveTable(table);
}

}  // namespace dvx
