#pragma once
// TDVXDiskTableData: a table of a database file. Its records live in
// record pages through the disk record manager, its indexes in pages of
// the same page manager (so one change set of a session holds both), its
// field and constraint definitions in the table's metadata file and its
// sequences and index definitions in the most-updated file.
#include <cstdint>
#include <memory>

#include "engine/storage/disk_record_manager.h"
#include "engine/storage/storage_table.h"
#include "engine/storage/table_list_file.h"
#include "engine/tables/table_data.h"

namespace dvx {

class TDVXDiskDatabaseData;

class TDVXDiskTableData : public TDVXTableData {
 public:
  // `exclusive`: no other process changes the table, so the page maps are
  // kept between operations.
  TDVXDiskTableData(TDVXDiskDatabaseData& database, const TDVXTableListRecord& record, bool exclusive);
  ~TDVXDiskTableData() override;

  // A new table: copies of the definitions (see DefineNewTable); storage
  // comes with Attach.
  void Define(const TDVXFieldDefs& fields, const TDVXIndexDefs& indexes, const TDVXConstraintDefs& constraints) {
    DefineNewTable(fields, indexes, constraints);
  }
  // Takes the table's storage (its table list record) and writes the
  // definitions into the session's change set.
  void AttachNew(const TDVXTableListRecord& record, int32_t session);
  // Reads the definitions and opens the record manager and indexes.
  void Load(int32_t session);
  // Frees every record page and index page of the table in the session's
  // change set (a table being dropped).
  void DropStructures(int32_t session);
  // The field and constraint definitions into the metadata file.
  void SaveDefinitions(int32_t session) override;
  using TDVXTableData::HighestObjectID;

  TDVXPageManager& IndexPageManager() override;
  int32_t TableID() const override { return record_.tableID; }
  int32_t LocksFileID() const override { return record_.locksFirstPageNo; }
  TDVXBaseRecordManager& RecordManager() override;
  TDVXDiskRecordManager& DiskRecordManager();
  void Refresh() override;
  void SaveState(int32_t session) override;
  void ReloadState(int32_t session) override;
  void NoteOwnCommit() override;
  const TDVXTableListRecord& Record() const { return record_; }

 private:
  void OpenRecordManager(int32_t session);

  TDVXDiskDatabaseData& database_;
  TDVXTableListRecord record_;
  bool exclusive_;
  // The StateCounter when the state was last read: unchanged, nothing was
  // committed since by anyone.
  int32_t stateSeen_ = -1;
  TDVXStorageTableInfo info_;
  std::unique_ptr<TDVXDiskRecordManager> recordManager_;
};

}  // namespace dvx
