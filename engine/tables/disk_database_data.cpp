#include "engine/tables/disk_database_data.h"

#include "engine/core/exception.h"
#include "engine/storage/owner_ids.h"
#include "engine/tables/disk_table_data.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_data_errors.h"

namespace dvx {

TDVXDiskDatabaseData::TDVXDiskDatabaseData(std::string fileName, TDVXLockParams lockParams,
                                           TDVXFileSystem& fileSystem)
    : storage_(std::move(fileName), lockParams, fileSystem) {}

TDVXDiskDatabaseData::~TDVXDiskDatabaseData() { FreeTables(); }

void TDVXDiskDatabaseData::OpenDatabase(bool readOnly, bool exclusive, TDVXCryptoInfo& crypto) {
  storage_.OpenDatabase(readOnly, exclusive, crypto);
  exclusive_ = exclusive;
}

void TDVXDiskDatabaseData::CloseDatabase() {
  FreeTables();
  storage_.CloseDatabase();
}

std::unique_ptr<TDVXTableData> TDVXDiskDatabaseData::LoadTable(TDVXLocalSession& session,
                                                               const std::string& tableName, bool exclusive) {
  const TDVXTableListRecord record = storage_.OpenTableRecord(session.SessionID(), tableName);
  auto table = std::make_unique<TDVXDiskTableData>(*this, record, exclusive || exclusive_);
  table->Load(session.SessionID());
  RaiseObjectIDCounter(table->HighestObjectID());
  return table;
}

void TDVXDiskDatabaseData::DropStructures(const TDVXTableListRecord& record) {
  TDVXDiskTableData table(*this, record, true);
  table.Load(kSystemSessionID);
  table.DropStructures(kSystemSessionID);
}

void TDVXDiskDatabaseData::CreateTable(TDVXLocalSession& session, const std::string& tableName,
                                       const TDVXFieldDefs& fields, const TDVXIndexDefs& indexes,
                                       const TDVXConstraintDefs& constraints) {
  if (FindOpenTable(tableName)) throw EDVXException(kErrTableInUse, "Error - table '%s' is in use", {tableName});
  if (fields.Count() == 0)
    throw EDVXException(kErrCreateTableNoFields, "Error creating table - no fields were specified");
  TDVXTableListRecord pending;
  pending.tableName = tableName;
  TDVXDiskTableData table(*this, pending, true);
  // Every definition is checked before the file changes.
  table.Define(fields, indexes, constraints);
  const TDVXTableListRecord record =
      storage_.CreateTableFiles(tableName, [&](const TDVXTableListRecord& old) { DropStructures(old); });
  TDVXDiskPageManager& pm = PageManager();
  try {
    table.AttachNew(record, kSystemSessionID);
    pm.ApplyChanges(kSystemSessionID);
  } catch (...) {
    // The table's files are committed already; a table without its
    // definitions is removed again rather than left unreadable.
    try {
      pm.CancelChanges(kSystemSessionID);
      storage_.DropTableFiles(tableName);
    } catch (...) {
    }
    throw;
  }
  pm.FlushBuffers();
}

void TDVXDiskDatabaseData::DeleteTable(TDVXLocalSession& session, const std::string& tableName) {
  if (FindOpenTable(tableName))
    throw EDVXException(kErrDeleteTableOpen, "Cannot delete table '%s'. Table is open by another dataset",
                        {tableName});
  storage_.DropTableFiles(tableName, [&](const TDVXTableListRecord& old) { DropStructures(old); });
}

}  // namespace dvx
