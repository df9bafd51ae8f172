#include "engine/storage/disk_database_storage.h"
#include "engine/core/cleanup_failures.h"
#include "engine/storage/storage_errors.h"
#include "engine/storage/owner_ids.h"

#include "engine/core/exception.h"
#include "engine/core/locale.h"

namespace dvx {
TDVXDiskDatabaseStorage::TDVXDiskDatabaseStorage(std::string fileName, TDVXLockParams lockParams,
                                           TDVXFileSystem& fileSystem)
    : fileName_(std::move(fileName)), lockParams_(lockParams), fileSystem_(fileSystem) {}

TDVXDiskDatabaseStorage::~TDVXDiskDatabaseStorage() { FreeAll(); }

std::unique_ptr<TDVXDiskPageManager> TDVXDiskDatabaseStorage::NewPageManager() {
  return std::make_unique<TDVXDiskPageManager>(lockParams_, fileSystem_);
}

TDVXDiskPageManager& TDVXDiskDatabaseStorage::PageManager() {
  if (!pageManager_) throw EDVXException(kErrWriteHeader, "Error - database file is not opened.");
  return *pageManager_;
}

void TDVXDiskDatabaseStorage::FreeAll() {
  tableList_.reset();
  activeSessions_.reset();
  directory_.reset();
  pageManager_.reset();
  crypto_.Clear();
}

void TDVXDiskDatabaseStorage::CreateDatabase(int pageSize, int extentPageCount, int32_t maxSessionCount,
                                          const TDVXCryptoInfo& crypto) {
  if (pageManager_) throw EDVXException(kErrDatabaseInUse, "Error - database file %s is in use.", {fileName_});
  if (maxSessionCount < 1 || maxSessionCount > kMaxSessionsPerDatabase)
    throw EDVXException(kErrInvalidMaxSessions, "Invalid MaxSessionCount = %d. Should be from 1 to %d",
                        {maxSessionCount, kMaxSessionsPerDatabase});
  auto pm = NewPageManager();
  pm->CreateDatabaseFile(fileName_, pageSize, extentPageCount, crypto);
  TDVXSystemDirectory directory(*pm);
  directory.Create();
  TDVXInternalLockedDBFile sessions(*pm, PageTypeIDActiveSessionList);
  sessions.Create(maxSessionCount, kOwnerActiveSessions);
  directory.AddEntry(kActiveSessionsFileID, sessions.FirstPageNo());
  TDVXTableListFile tableList(*pm);
  directory.AddEntry(kTableListFileID, tableList.Create());
  directory.Save();
  pm->ApplyChanges(kSystemSessionID);
  pm->FlushBuffers();
  pm->CloseDatabaseFile();
}

void TDVXDiskDatabaseStorage::OpenDatabase(bool readOnly, bool exclusive, TDVXCryptoInfo& crypto) {
  if (pageManager_) throw EDVXException(kErrDatabaseInUse, "Error - database file %s is in use.", {fileName_});
  try {
    pageManager_ = NewPageManager();
    pageManager_->OpenDatabaseFile(fileName_, readOnly, false, exclusive, crypto);
    directory_ = std::make_unique<TDVXSystemDirectory>(*pageManager_);
    directory_->Load();
    activeSessions_ = std::make_unique<TDVXInternalLockedDBFile>(*pageManager_, PageTypeIDActiveSessionList);
    activeSessions_->Open(directory_->Find(kActiveSessionsFileID));
    tableList_ = std::make_unique<TDVXTableListFile>(*pageManager_);
    tableList_->Open(directory_->Find(kTableListFileID));
    maxSessionCount_ = static_cast<int32_t>(activeSessions_->FileSize());
    pageSize_ = pageManager_->PageSize();
    extentPageCount_ = pageManager_->Header().extentPageCount;
    crypto_ = crypto;
  } catch (...) {
    FreeAll();
    throw;
  }
}

void TDVXDiskDatabaseStorage::CloseDatabase() {
  if (!pageManager_) return;
  pageManager_->CloseDatabaseFile();
  FreeAll();
  sessions_.clear();
}

int32_t TDVXDiskDatabaseStorage::ConnectSession() {
  if (static_cast<int32_t>(sessions_.size()) >= kMaxSessionsPerDatabase)
    throw EDVXException(kErrTooManySessions,
                        "Cannot connect session, maximum number of connections exceeded. MaxSessionCount = %d",
                        {kMaxSessionsPerDatabase});
  int32_t id = 1;
  for (int32_t used : sessions_) {
    if (used != id) break;
    ++id;
  }
  if (id > kMaxSessionsPerDatabase)
    throw EDVXException(kErrSessionIDTooLarge,
                        "Cannot connect session, maximum number of connections exceeded. MaxSessionCount = %d",
                        {kMaxSessionsPerDatabase});
  sessions_.insert(id);
  return id;
}

void TDVXDiskDatabaseStorage::DisconnectSession(int32_t sessionID) { sessions_.erase(sessionID); }

// A commit that fails before its commit point has put back what it wrote
// (or left its journal for the next program that takes the StateLockByte),
// so the file is as it was and the change set can be dropped.
void TDVXDiskDatabaseStorage::CommitSystemChanges(bool& committing) {
  committing = true;
  PageManager().ApplyChanges(kSystemSessionID);
  committing = false;
}

void TDVXDiskDatabaseStorage::CancelSystemChanges(bool committing) {
  try {
    PageManager().CancelChanges(kSystemSessionID);
  } catch (...) {
    NoteCleanupFailure("cancelling the system session's changes");
  }
}

TDVXLockByteGuard TDVXDiskDatabaseStorage::LockTables(int32_t code) {
  return TDVXLockByteGuard(PageManager(), TDVXLockByte::Tables, [&] {
    return EDVXException(code, "Error locking Tables in database '%s'", {fileName_});
  });
}

TDVXTableListRecord TDVXDiskDatabaseStorage::CreateTableFiles(const std::string& tableName,
                                                           const TDropHook& dropExisting, const TFillHook& fill) {
  TDVXDiskPageManager& pm = PageManager();
  TDVXLockByteGuard tablesLock = LockTables(kErrLockTablesCreate);
  TDVXInternalLockedDBFile locks(pm, PageTypeIDTableLocks);
  TDVXTableListRecord record;
  bool committing = false;
  try {
    if (tableList_->Exists(tableName)) DropTableLocked(tableName, dropExisting);
    record.tableName = tableName.substr(0, 255);
    record.tableID = tableList_->NextTableID();
    TDVXInternalDBFile metadata(pm, DVXPageTypeIDTableMetadata);
    metadata.Create(kSystemSessionID, record.tableID);
    record.metadataFirstPageNo = metadata.FirstPageNo();
    TDVXInternalDBFile mostUpdated(pm, DVXPageTypeIDTableMostUpdated);
    mostUpdated.Create(kSystemSessionID, record.tableID);
    record.mostUpdatedFirstPageNo = mostUpdated.FirstPageNo();
    TDVXInternalDBFile pfsMap(pm, PageTypeIDTablePFSMap);
    pfsMap.Create(kSystemSessionID, record.tableID);
    record.pfsMapFirstPageNo = pfsMap.FirstPageNo();
    locks.Create(static_cast<int64_t>(kTableLockBytesPerSession) * maxSessionCount_, record.tableID);
    record.locksFirstPageNo = locks.FirstPageNo();
    tableList_->Add(record);
    if (fill) fill(record);
    CommitSystemChanges(committing);
  } catch (...) {
    // Nothing refers to the locks file's pages now: the commit that would
    // has been undone.
    CancelSystemChanges(committing);
    try {
      if (locks.IsOpen())
        for (int32_t no : locks.Chain()) pm.FreePageNo(no);
    } catch (...) {
      NoteCleanupFailure("freeing the pages of a table locks file");
    }
    throw;
  }
  tablesLock.Release();
  // The commit has synced the file; a failed flush is reported, but undoes
  // nothing.
  pm.FlushBuffers();
  return record;
}

void TDVXDiskDatabaseStorage::DropTableLocked(const std::string& tableName, const TDropHook& dropStructures) {
  TDVXDiskPageManager& pm = PageManager();
  auto record = tableList_->GetRecord(tableName);
  if (!record)
    throw EDVXException(kErrTableMissingOnDrop, "Table '%s' does not exist in the database file '%s'",
                        {tableName, fileName_});
  if (dropStructures) dropStructures(*record);
  tableList_->Delete(tableName);
  TDVXInternalDBFile(pm, DVXPageTypeIDTableMetadata).Delete(kSystemSessionID, record->metadataFirstPageNo);
  TDVXInternalDBFile(pm, DVXPageTypeIDTableMostUpdated).Delete(kSystemSessionID, record->mostUpdatedFirstPageNo);
  TDVXInternalDBFile(pm, PageTypeIDTablePFSMap).Delete(kSystemSessionID, record->pfsMapFirstPageNo);
  TDVXInternalLockedDBFile locks(pm, PageTypeIDTableLocks);
  locks.Open(record->locksFirstPageNo);
  locks.DeleteFile();
}

void TDVXDiskDatabaseStorage::ChangeTablesLocked(int32_t lockCode, const std::function<void()>& change) {
  TDVXDiskPageManager& pm = PageManager();
  TDVXLockByteGuard tablesLock = LockTables(lockCode);
  bool committing = false;
  try {
    change();
    CommitSystemChanges(committing);
  } catch (...) {
    CancelSystemChanges(committing);
    throw;
  }
  tablesLock.Release();
  pm.FlushBuffers();
}

void TDVXDiskDatabaseStorage::DropTableFiles(const std::string& tableName, const TDropHook& dropStructures) {
  ChangeTablesLocked(kErrLockTablesDrop, [&] { DropTableLocked(tableName, dropStructures); });
}

void TDVXDiskDatabaseStorage::RenameTable(const std::string& oldName, const std::string& newName) {
  ChangeTablesLocked(kErrLockTablesDrop, [&] {
    if (!SameName(oldName, newName) && tableList_->Exists(newName))
      throw EDVXException(kErrRenameTargetExists,
                          "Cannot rename table '%s' to '%s' - table with such name already exists", {oldName, newName});
    tableList_->Rename(oldName, newName);
  });
}

TDVXTableListRecord TDVXDiskDatabaseStorage::OpenTableRecord(int32_t sessionID, const std::string& tableName) {
  if (sessionID < 0) throw EDVXException(kErrInvalidSessionID, "Error - invalid session ID = %d", {sessionID});
  std::optional<TDVXTableListRecord> record;
  {
    TDVXLockByteGuard tablesLock = LockTables(kErrLockTablesOpen);
    record = tableList_->GetRecord(tableName);
  }
  if (!record)
    throw EDVXException(kErrTableMissingOnOpen, "Table '%s' does not exist in the database file '%s'",
                        {tableName, fileName_});
  return *record;
}

// Readers take the TablesLockByte too: a writer holds it until its change
// of the list is committed, so a reader never meets a list half written.
std::vector<std::string> TDVXDiskDatabaseStorage::TableNames() {
  TDVXLockByteGuard tablesLock = LockTables(kErrLockTablesOpen);
  return tableList_->ListNames();
}

std::optional<TDVXTableListRecord> TDVXDiskDatabaseStorage::TableRecord(const std::string& tableName) {
  TDVXLockByteGuard tablesLock = LockTables(kErrLockTablesOpen);
  return tableList_->GetRecord(tableName);
}

}  // namespace dvx
