#pragma once
// TDVXMemoryTableData: a table of the in-memory database. Its records live
// in a TDVXMemoryRecordManager (a record's RecordID is its slot, PageItemNo
// 0), its index pages in a TDVXMemoryPageManager of its own. The whole
// table can be written to a stream and read back as one image
// (memory_table_image.h); the database object does that, as only it may
// drop a table whose image could not be read.
#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/stream.h"
#include "engine/storage/memory_page_manager.h"
#include "engine/storage/memory_record_manager.h"
#include "engine/storage/memory_table_image.h"
#include "engine/tables/resident_table_data.h"

namespace dvx {

class TDVXLocalCursor;
class TDVXLocalSession;

class TDVXMemoryTableData : public TDVXResidentTableData {
 public:
  TDVXMemoryTableData(TDVXDatabaseData& database, std::string tableName);
  ~TDVXMemoryTableData() override;

  TDVXPageManager& IndexPageManager() override { return *indexPages_; }
  TDVXBaseRecordManager& RecordManager() override { return MemoryRecordManager(); }
  TDVXMemoryRecordManager& MemoryRecordManager();

  // RecordIDs as numbers: PageNo sign-extended; a number outside signed
  // 32 bits is a range error. Compared by PageNo.
  int64_t RecordIDToNumber(const TDVXRecordID& id) const { return TDVXMemoryRecordManager::RecordIDToNumber(id); }
  TDVXRecordID NumberToRecordID(int64_t number) const { return TDVXMemoryRecordManager::NumberToRecordID(number); }
  int CompareRecordIDs(const TDVXRecordID& a, const TDVXRecordID& b) const {
    return TDVXMemoryRecordManager::CompareRecordIDs(a, b);
  }
  // The session's last value of the field's autoincrement sequence; 30335
  // for a field number at or beyond the field count.
  int64_t LastAutoincValue(int fieldNo, const TDVXLocalSession& session);
  // Sets the sequence's current value (nothing is written); 10575 for a
  // field number at or beyond the field count.
  void SetAutoincValue(int fieldNo, TDVXLocalCursor& cursor, int64_t value);

  // The image of the table, under its lock; 10153 while a cursor is
  // registered.
  void SaveToStream(TDVXStream& stream, uint8_t algorithm = 0, uint32_t headerValue36 = 0, uint8_t mode = 0);
  // Replaces definitions, index pages and records with a loaded image's
  // (10152 while a cursor is registered).
  void TakeLoaded(std::unique_ptr<TDVXLoadedMemoryTable> loaded);
  using TDVXTableData::HighestObjectID;

 protected:
  void CreateRecordManager() override;

 private:
  std::unique_ptr<TDVXMemoryPageManager> indexPages_;
  TDVXStorageTableInfo info_;
  std::unique_ptr<TDVXMemoryRecordManager> records_;
  // A loaded image's field and sequence managers: its record manager lays
  // records out by those fields, which keep the layout of this table's own.
  std::unique_ptr<TDVXLoadedMemoryTable> loaded_;
};

}  // namespace dvx
