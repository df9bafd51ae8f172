#pragma once
// TDVXMemoryRecordManager: the records of an in-memory table, each a copy
// of its memory record buffer in a numbered slot; a record's RecordID is
// (slot number, 0). Variable strings lie in the buffer itself; BLOB values
// are kept beside the records (TDVXMemoryBlobStore).
//
// Invariants:
//  1. Bit i of the bitmap (byte i div 8, least significant bit first) is 0
//     exactly when slot i holds a record; the bitmap has a bit for every
//     slot below the capacity.
//  2. With records, min and max are the lowest and highest used slots;
//     without, both are 0.
//  3. While NoDeletions is 255 every slot from min to max holds a record,
//     so walking them needs no bitmap.
//  4. A new record goes to max + 1 (slot 0 in an empty table): slots freed
//     by deletions are not reused until the table is empty, so RecordIDs
//     rise in insertion order.
//
// Slots are kept in chunks of kSlotsPerChunk records, made when a record
// first needs one; growing the capacity moves no record, and a sparse
// table (a loaded image included) takes memory only for chunks that hold
// records.
//
// Stream form of the manager's state (SaveToStream; the loader reads it
// with LoadState):
//   0  4  capacity (slots)
//   4  1  NoDeletions (255 or 0)
//   5  4  min
//   9  4  max
//   13 …  the bitmap, ceil(capacity / 8) bytes, only when the capacity is
//         above 0
#include <cstdint>
#include <vector>

#include "engine/core/memory_manager.h"
#include "engine/storage/base_record_manager.h"
#include "engine/storage/memory_blob_store.h"
#include "engine/storage/storage_table.h"

namespace dvx {

class TDVXMemoryRecordManager : public TDVXBaseRecordManager {
 public:
  static constexpr int32_t kSlotsPerChunk = 64;
  static constexpr int32_t kDefaultGrowthStep = 1024;
  static constexpr uint8_t kNoDeletions = 255;

  // The table's fields must be laid out; 10011 when the record size is 0.
  explicit TDVXMemoryRecordManager(const TDVXStorageTableInfo& table, int32_t growthStep = kDefaultGrowthStep);

  // RecordIDs as numbers (bookmarks, record-number conversions of the
  // table object): PageNo sign-extended, PageItemNo ignored; a number
  // outside signed 32 bits is refused (30984). Order: PageNo as signed
  // 32-bit numbers; -1, 0 or 1.
  static int64_t RecordIDToNumber(const TDVXRecordID& recordID) { return recordID.pageNo; }
  static TDVXRecordID NumberToRecordID(int64_t number);
  static int CompareRecordIDs(const TDVXRecordID& a, const TDVXRecordID& b) {
    return a.pageNo < b.pageNo ? -1 : a.pageNo > b.pageNo ? 1 : 0;
  }

  int64_t RecordCount(int32_t session) override;
  // Empties the table.
  void FreeAllPages(int32_t session) override;
  TDVXRecordID InsertRecord(uint8_t* buffer, int32_t session) override;
  void UpdateRecord(uint8_t* buffer, const TDVXRecordID& recordID, int32_t session) override;
  void DeleteRecord(const TDVXRecordID& recordID, int32_t session) override;
  bool RecordExists(const TDVXRecordID& recordID, int32_t session) override;
  TDVXGetRecordResult GetRecord(TDVXGetRecordRequest& request) override;
  int64_t RecordNoOf(const TDVXRecordID& recordID, int32_t session) override;
  TDVXRecordID RecordIDOf(int64_t recordNo, int32_t session) override;
  void Empty() override;
  // Loading an image: the record goes to the next slot the loaded state
  // gives it (LoadState first). The buffer's pending BLOB values pass to
  // the manager, so the caller drops the buffer without releasing them.
  void AppendRecord(const uint8_t* buffer) override;
  void SaveToStream(TDVXStream& stream) override;

  // Reads the state SaveToStream wrote for a table of `recordCount`
  // records and empties the manager for the records to be appended; a
  // state that cannot hold them is refused (30978).
  void LoadState(TDVXStream& stream, int64_t recordCount);
  // After the last append: the slots must be the saved ones (30978).
  void FinishLoad();

  std::unique_ptr<TDVXBlobValueStream> OpenBlob(int fieldNo, const uint8_t* buffer,
                                                uint64_t temporaryThreshold = TDVXTemporaryStream::kDefaultThreshold);

  int32_t RecordSize() const { return recordSize_; }
  int32_t Capacity() const { return capacity_; }
  int32_t MinSlot() const { return min_; }
  int32_t MaxSlot() const { return max_; }
  uint8_t NoDeletions() const { return noDeletions_; }
  bool SlotUsed(int32_t slot) const;
  // The lowest used slot at or above `from` (up to max), or -1.
  int32_t NextUsedSlot(int32_t from) const;
  // The stored record of a used slot (its BLOB slots name values in Blobs()).
  const uint8_t* Record(int32_t slot) const;
  const TDVXMemoryBlobStore& Blobs() const { return blobs_; }
  const TDVXFieldDefs& Fields() const { return *table_.fields; }

 private:
  uint8_t* SlotPointer(int32_t slot) const;
  uint8_t* MakeSlot(int32_t slot);
  void Grow(int32_t slot);
  int32_t PriorUsedSlot(int32_t from) const;
  bool Exists(int32_t slot) const { return count_ > 0 && slot >= 0 && slot < capacity_ && SlotUsed(slot); }
  // Copies the buffer into a slot with its BLOB values (after checks that
  // leave nothing behind).
  void Store(int32_t slot, uint8_t* buffer, const uint8_t* old);
  void Take(int32_t slot);
  uint8_t* Scratch();

  TDVXStorageTableInfo table_;
  int32_t recordSize_;
  int32_t growthStep_;
  int32_t capacity_ = 0;
  std::vector<TDVXBufferPtr> chunks_;
  std::vector<uint8_t> bitmap_;
  int64_t count_ = 0;
  int32_t min_ = 0;
  int32_t max_ = 0;
  uint8_t noDeletions_ = kNoDeletions;
  TDVXMemoryBlobStore blobs_;
  std::vector<uint8_t> scratch_;
  // While an image is loaded: the saved bitmap, min and max, the record
  // count it announced and the next slot to fill.
  std::vector<uint8_t> loadedBitmap_;
  int32_t loadedMin_ = 0, loadedMax_ = 0, nextAppend_ = 0;
  int64_t loadedCount_ = 0;
};

}  // namespace dvx
