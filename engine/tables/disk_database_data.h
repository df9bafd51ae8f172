#pragma once
// TDVXDiskDatabaseData: the table layer's object for one database file. It
// owns the file's storage-level object (TDVXDiskDatabaseStorage: page
// manager, system directory, table list, table files), which stays in the
// storage folder under that name, and adds what the table layer knows:
// the table objects, their creation with definitions, and dropping what a
// table built beyond its internal files (record and index pages).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/storage/disk_database_storage.h"
#include "engine/tables/database_data.h"

namespace dvx {

class TDVXDiskTableData;

class TDVXDiskDatabaseData : public TDVXDatabaseData {
 public:
  TDVXDiskDatabaseData(std::string fileName, TDVXLockParams lockParams = {},
                       TDVXFileSystem& fileSystem = TDVXFileSystem::Default());
  ~TDVXDiskDatabaseData() override;

  void CreateDatabase(int pageSize, int extentPageCount, int32_t maxSessionCount, const TDVXCryptoInfo& crypto = {}) {
    storage_.CreateDatabase(pageSize, extentPageCount, maxSessionCount, crypto);
  }
  void OpenDatabase(bool readOnly, bool exclusive, TDVXCryptoInfo& crypto);
  // Every table object goes first; a session still in a transaction keeps
  // its pages out of the file.
  void CloseDatabase();
  bool IsOpen() const { return storage_.IsOpen(); }

  TDVXDiskDatabaseStorage& Storage() { return storage_; }
  std::string DatabaseName() const override { return storage_.FileName(); }
  TDVXDiskPageManager& PageManager() override { return storage_.PageManager(); }
  TDVXTableLocksManager& TableLocks() override;
  int32_t ConnectSession() override { return storage_.ConnectSession(); }
  void DisconnectSession(int32_t sessionID) override { storage_.DisconnectSession(sessionID); }
  std::vector<std::string> TableNames() override { return storage_.TableNames(); }
  bool TableExists(const std::string& tableName) override { return storage_.TableRecord(tableName).has_value(); }
  void CreateTable(TDVXLocalSession& session, const std::string& tableName, const TDVXFieldDefs& fields,
                   const TDVXIndexDefs& indexes, const TDVXConstraintDefs& constraints) override;
  void DeleteTable(TDVXLocalSession& session, const std::string& tableName) override;
  // 10150 while the table is open here, or (after the retries) in another
  // program.
  void RenameTable(TDVXLocalSession& session, const std::string& oldName, const std::string& newName) override;
  // --- database-wide identifiers (disk_object_ids.cpp) ---
  // Reads the stored definitions of the tables not open here, once per
  // change of the file's StateCounter.
  void SyncObjectIDCounter() override;
  // --- end of database-wide identifiers ---

 protected:
  std::unique_ptr<TDVXTableData> LoadTable(TDVXLocalSession& session, const std::string& tableName,
                                           bool exclusive) override;

 private:
  // Frees the record and index pages of a table about to be dropped, in
  // the system change set the drop commits.
  void DropStructures(const TDVXTableListRecord& record);

  TDVXDiskDatabaseStorage storage_;
  TDVXLockParams lockParams_;
  // Made when the file opens, on its descriptor; gone when it closes.
  std::unique_ptr<TDVXTableLocksManager> locks_;
  bool exclusive_ = false;
  // The StateCounter at which the identifier counter was last raised over
  // the whole file; -1 forces the next sync.
  int32_t idsSyncedAt_ = -1;
};

}  // namespace dvx
