#include "engine/tables/disk_database_data.h"

#include <exception>

#include "engine/core/exception.h"
#include "engine/storage/owner_ids.h"
#include "engine/storage/table_files.h"
#include "engine/tables/disk_table_data.h"
#include "engine/tables/foreign_key_errors.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_data_errors.h"

namespace dvx {

TDVXDiskDatabaseData::TDVXDiskDatabaseData(std::string fileName, TDVXLockParams lockParams,
                                           TDVXFileSystem& fileSystem)
    : storage_(std::move(fileName), lockParams, fileSystem), lockParams_(lockParams) {}

TDVXDiskDatabaseData::~TDVXDiskDatabaseData() {
  FreeTables();
  locks_.reset();
}

void TDVXDiskDatabaseData::OpenDatabase(bool readOnly, bool exclusive, TDVXCryptoInfo& crypto) {
  storage_.OpenDatabase(readOnly, exclusive, crypto);
  exclusive_ = exclusive;
  idsSyncedAt_ = -1;
  locks_ = std::make_unique<TDVXTableLocksManager>(&storage_.PageManager().DatabaseFile(), lockParams_);
}

void TDVXDiskDatabaseData::CloseDatabase() {
  FreeTables();
  // Sessions that still hold locks are reported, after the file is closed
  // all the same. The registry goes first: it releases its bytes through
  // the file, which closing frees.
  std::exception_ptr locksLeft;
  if (locks_) {
    try {
      locks_->CheckAllRemoved(storage_.FileName());
    } catch (const EDVXException&) {
      locksLeft = std::current_exception();
    }
    locks_.reset();
  }
  storage_.CloseDatabase();
  if (locksLeft) std::rethrow_exception(locksLeft);
}

TDVXTableLocksManager& TDVXDiskDatabaseData::TableLocks() {
  if (!locks_) throw EDVXException(kErrDatabaseNotOpen, "Database file '%s' is not open", {storage_.FileName()});
  return *locks_;
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
  // A create that died between committing the table's files and committing
  // its definitions leaves the files with an empty definition stream and
  // nothing else: no index page or record of the table ever reached the
  // file, so dropping the files is all there is to do. Loading such a table
  // would fail and keep it from ever being dropped.
  TDVXTableMetadataFile metadata(PageManager());
  metadata.Open(record.metadataFirstPageNo);
  if (metadata.ReadStream(kSystemSessionID).Size() == 0) return;
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
  // The table's files, its record in the table list and its definitions
  // are one change set: a failure or a kill anywhere leaves the table whole
  // in the file or not there at all.
  storage_.CreateTableFiles(
      tableName, [&](const TDVXTableListRecord& old) { DropStructures(old); },
      [&](const TDVXTableListRecord& record) { table.AttachNew(record, kSystemSessionID); });
}

void TDVXDiskDatabaseData::DeleteTable(TDVXLocalSession& session, const std::string& tableName) {
  if (FindOpenTable(tableName))
    throw EDVXException(kErrDeleteTableOpen, "Cannot delete table '%s'. Table is open by another dataset",
                        {tableName});
  // Another program with the table open holds its intent lock: the drop
  // waits for it like an exclusive open, and is refused after the retries.
  const auto record = storage_.TableRecord(tableName);
  const int32_t locksFileID = record ? record->locksFirstPageNo : -1;
  TDVXTableLocksManager& locks = TableLocks();
  locks.LockTableOrRaise(session.SessionID(), tableName, locksFileID, ltX, kErrDeleteTableOpen);
  try {
    storage_.DropTableFiles(tableName, [&](const TDVXTableListRecord& old) { DropStructures(old); });
  } catch (...) {
    locks.UnlockTable(tableName, session.SessionID(), ltX);
    throw;
  }
  locks.UnlockTable(tableName, session.SessionID(), ltX);
}

void TDVXDiskDatabaseData::RenameTable(TDVXLocalSession& session, const std::string& oldName,
                                       const std::string& newName) {
  if (FindOpenTable(oldName))
    throw EDVXException(kErrRenameTableOpen, "Cannot rename table '%s'. Table is open by another dataset", {oldName});
  // As a drop: another program with the table open holds its intent lock.
  const auto record = storage_.TableRecord(oldName);
  const int32_t locksFileID = record ? record->locksFirstPageNo : -1;
  TDVXTableLocksManager& locks = TableLocks();
  locks.LockTableOrRaise(session.SessionID(), oldName, locksFileID, ltX, kErrRenameTableOpen);
  try {
    storage_.RenameTable(oldName, newName);
  } catch (...) {
    locks.UnlockTable(oldName, session.SessionID(), ltX);
    throw;
  }
  locks.UnlockTable(oldName, session.SessionID(), ltX);
}

}  // namespace dvx
