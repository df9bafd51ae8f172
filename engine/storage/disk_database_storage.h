#pragma once
// TDVXDiskDatabaseStorage: one database file as the engine's sessions of one
// process share it: the disk page manager, the system directory, the active
// sessions file and the table list, and the storage side of creating,
// dropping and renaming tables (their record in the table list and their
// internal files). What tables hold beyond their internal files (record
// pages, indexes) is plugged in by the table layer through the hooks below.
// The table layer's database object (TDVXDiskDatabaseData, in the tables
// folder) owns one of these: the file's own structures stay here, below
// the indexes and records, and the table objects live above them.
//
// Table-list changes run under the TablesLockByte and are committed before
// the byte is released, so another process that takes it next always reads
// the list with every change in it.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/storage/disk_page_manager.h"
#include "engine/storage/internal_locked_file.h"
#include "engine/storage/system_directory.h"
#include "engine/storage/table_list_file.h"

namespace dvx {

constexpr int32_t kMaxSessionsPerDatabase = 1000000;
// Bytes per session slot in a table's locks file.
constexpr int kTableLockBytesPerSession = 11;

class TDVXDiskDatabaseStorage {
 public:
  TDVXDiskDatabaseStorage(std::string fileName, TDVXLockParams lockParams = {},
                       TDVXFileSystem& fileSystem = TDVXFileSystem::Default());
  ~TDVXDiskDatabaseStorage();

  // Creates the file with its bitmaps, system directory, active sessions
  // file and table list, then closes it again.
  void CreateDatabase(int pageSize, int extentPageCount, int32_t maxSessionCount, const TDVXCryptoInfo& crypto = {});
  // `crypto` comes back with the algorithm and mode in force.
  void OpenDatabase(bool readOnly, bool exclusive, TDVXCryptoInfo& crypto);
  void CloseDatabase();
  bool IsOpen() const { return pageManager_ != nullptr; }

  // The smallest free SessionID from 1.
  int32_t ConnectSession();
  void DisconnectSession(int32_t sessionID);

  // Called with a table's record while it is dropped, before its internal
  // files go: frees what the table layer built (indexes, record pages).
  using TDropHook = std::function<void(const TDVXTableListRecord&)>;

  // Called with a new table's record before its files are committed:
  // writes what the table layer keeps in them (definitions, state) into the
  // system change set, so the table reaches the file whole or not at all.
  using TFillHook = std::function<void(const TDVXTableListRecord&)>;

  // Creates the table's record and internal files (an existing table of the
  // name is dropped first), lets `fill` write into them and commits all of
  // it as one change set.
  TDVXTableListRecord CreateTableFiles(const std::string& tableName, const TDropHook& dropExisting = {},
                                       const TFillHook& fill = {});
  void DropTableFiles(const std::string& tableName, const TDropHook& dropStructures = {});
  void RenameTable(const std::string& oldName, const std::string& newName);
  // The record a table's first opener reads, under the TablesLockByte.
  TDVXTableListRecord OpenTableRecord(int32_t sessionID, const std::string& tableName);
  std::vector<std::string> TableNames();
  std::optional<TDVXTableListRecord> TableRecord(const std::string& tableName);

  TDVXDiskPageManager& PageManager();
  TDVXSystemDirectory& SystemDirectory() { return *directory_; }
  TDVXTableListFile& TableList() { return *tableList_; }
  TDVXInternalLockedDBFile& ActiveSessionsFile() { return *activeSessions_; }
  const std::string& FileName() const { return fileName_; }
  int32_t MaxSessionCount() const { return maxSessionCount_; }
  int PageSize() const { return pageSize_; }
  int ExtentPageCount() const { return extentPageCount_; }
  const TDVXCryptoInfo& CryptoInfo() const { return crypto_; }

 private:
  std::unique_ptr<TDVXDiskPageManager> NewPageManager();
  TDVXLockByteGuard LockTables(int32_t code);
  void CommitSystemChanges(bool& committing);
  void CancelSystemChanges(bool committing);
  void DropTableLocked(const std::string& tableName, const TDropHook& dropStructures);
  // Runs `change` under the tables lock byte as one system change set:
  // committed when it returns, cancelled when it throws; the buffers are
  // flushed after the commit.
  void ChangeTablesLocked(int32_t lockCode, const std::function<void()>& change);
  void FreeAll();

  std::string fileName_;
  TDVXLockParams lockParams_;
  TDVXFileSystem& fileSystem_;
  std::unique_ptr<TDVXDiskPageManager> pageManager_;
  std::unique_ptr<TDVXSystemDirectory> directory_;
  std::unique_ptr<TDVXInternalLockedDBFile> activeSessions_;
  std::unique_ptr<TDVXTableListFile> tableList_;
  int32_t maxSessionCount_ = 0;
  int pageSize_ = 0;
  int extentPageCount_ = 0;
  TDVXCryptoInfo crypto_;
  std::set<int32_t> sessions_;
};

}  // namespace dvx
