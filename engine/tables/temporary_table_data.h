#pragma once
// TDVXTemporaryTableData: a table of the temporary database (results of
// statements, restructuring). Its records live in a
// TDVXTemporaryRecordManager (RecordID: the 0-based sequence number as 48
// bits), its index pages in a TDVXTemporaryPageManager; both move what
// exceeds their memory limit into temporary files, deleted with the table.
// Records are only appended: updates, deletes and foreign keys are refused
// before anything changes.
#include <cstdint>
#include <memory>
#include <string>

#include "engine/storage/temporary_page_manager.h"
#include "engine/storage/temporary_record_manager.h"
#include "engine/tables/resident_table_data.h"

namespace dvx {

class TDVXLocalCursor;
class TDVXLocalSession;

// The memory limits of a temporary table's managers; the defaults are a
// tenth of the memory available to the engine.
struct TDVXTemporaryTableSettings {
  int32_t memoryPages = -1;  // below 0: TDVXTemporaryPageManager's default
  TDVXTemporaryRecordSettings records;
};

class TDVXTemporaryTableData : public TDVXResidentTableData {
 public:
  TDVXTemporaryTableData(TDVXDatabaseData& database, std::string tableName,
                         const TDVXTemporaryTableSettings& settings = {});
  ~TDVXTemporaryTableData() override;

  TDVXPageManager& IndexPageManager() override { return *indexPages_; }
  TDVXBaseRecordManager& RecordManager() override { return TemporaryRecordManager(); }
  TDVXTemporaryRecordManager& TemporaryRecordManager();
  TDVXTemporaryPageManager& TemporaryPageManager() { return *indexPages_; }

  // The 6 RecordID bytes as the low bytes of the number; compared as
  // numbers (sequence order).
  int64_t RecordIDToNumber(const TDVXRecordID& id) const { return TDVXTemporaryRecordManager::NumberOfRecordID(id); }
  TDVXRecordID NumberToRecordID(int64_t number) const { return TDVXTemporaryRecordManager::RecordIDOfNumber(number); }
  int CompareRecordIDs(const TDVXRecordID& a, const TDVXRecordID& b) const {
    return TDVXTemporaryRecordManager::CompareRecordIDs(a, b);
  }
  int64_t LastAutoincValue(int, const TDVXLocalSession&) const { return 0; }
  void SetAutoincValue(int, TDVXLocalCursor&, int64_t) {}

  void CheckUpdateAllowed() const override;
  void CheckDeleteAllowed() const override;
  void CheckForeignKeysAllowed() const override;

 protected:
  void CreateRecordManager() override;

 private:
  TDVXTemporaryTableSettings settings_;
  std::unique_ptr<TDVXTemporaryPageManager> indexPages_;
  TDVXStorageTableInfo info_;
  std::unique_ptr<TDVXTemporaryRecordManager> records_;
};

}  // namespace dvx
