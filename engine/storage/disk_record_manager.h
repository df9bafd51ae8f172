#pragma once
// TDVXDiskRecordManager: the records of a disk table, in record pages found
// through the table's page maps, with their variable strings and BLOBs in
// data items.
//
// Every operation reads the page maps (unless they are kept), works in the
// given session's change set and writes the maps back into it, so a commit
// of the session stores pages and maps together. An operation that fails
// part way leaves its changes in the change set; the caller cancels them
// (CancelChanges), and the maps are reread at the next operation.
//
// Updates read the old record into a buffer of its own and free its items
// only after the new record and its items are stored.
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/core/memory_manager.h"
#include "engine/storage/base_record_manager.h"
#include "engine/storage/blob_storage.h"
#include "engine/storage/data_item_manager.h"
#include "engine/storage/record_page.h"
#include "engine/storage/table_page_maps_manager.h"

namespace dvx {

class TDVXDiskRecordManager : public TDVXBaseRecordManager {
 public:
  // Opens the table's PFS map file at once; `mayKeep` when the table is
  // open exclusively. The table's fields must be laid out.
  TDVXDiskRecordManager(int32_t session, const TDVXStorageTableInfo& table, TDVXPageManager* pageManager,
                        int32_t pfsMapFirstPageNo, bool mayKeep,
                        int randomSearchRetryCount = TDVXTablePageMapsManager::kDefaultRandomSearchRetryCount,
                        TDVXRandom& random = TDVXRandom::System());

  int64_t RecordCount(int32_t session) override;
  void FreeAllPages(int32_t session) override;
  TDVXRecordID InsertRecord(uint8_t* buffer, int32_t session) override;
  void UpdateRecord(uint8_t* buffer, const TDVXRecordID& recordID, int32_t session) override;
  void DeleteRecord(const TDVXRecordID& recordID, int32_t session) override;
  bool RecordExists(const TDVXRecordID& recordID, int32_t session) override;
  TDVXGetRecordResult GetRecord(TDVXGetRecordRequest& request) override;
  int64_t RecordNoOf(const TDVXRecordID& recordID, int32_t session) override;
  TDVXRecordID RecordIDOf(int64_t recordNo, int32_t session) override;

  // The value of BLOB field `fieldNo` of a record buffer as a stream: the
  // stored item of a current slot, the pending value of a pending one, an
  // empty value for NULL.
  std::unique_ptr<TDVXBlobValueStream> OpenBlob(int32_t session, int fieldNo, const uint8_t* buffer,
                                                uint64_t temporaryThreshold = TDVXTemporaryStream::kDefaultThreshold);

  // While a table is repaired, a variable string that cannot be loaded
  // becomes NULL instead of failing the read.
  void SetRepairing(bool repairing) { repairing_ = repairing; }
  // After the session's changes were cancelled: the maps are reread.
  void Refresh();

  int DiskRecordBufferSize() const { return layout_.recordSize; }
  int RecordsPerPage() const { return layout_.recordsPerPage; }
  bool LargeRecords() const { return layout_.large; }
  const TDVXRecordPageLayout& Layout() const { return layout_; }
  TDVXTablePageMapsManager& Maps() { return maps_; }
  TDVXDataItemManager& Items() { return items_; }

 private:
  // Runs `work` under the manager's lock between reading and writing the
  // maps; on an error the maps are reread next time.
  template <typename F>
  auto Run(int32_t session, F&& work);

  const TDVXFieldDefs& Fields() const { return *table_.fields; }
  TDVXPageRef GetRecordPage(int32_t session, int32_t pageNo);
  [[noreturn]] void Corrupt(int32_t pageNo, const std::string& what) const;
  // The record's map value, checked to name a record page of the table
  // holding records; `code` when it does not.
  uint16_t RecordPageValue(int32_t session, int32_t pageNo, int32_t code);

  // Stores the buffer's variable-length values as items and builds the disk
  // image; `old` is the stored record's image (updates). `references`
  // receives each field's reference (kNoRecordID when NULL).
  void BuildImage(int32_t session, const uint8_t* buffer, uint8_t* image, const uint8_t* old,
                  std::vector<TDVXRecordID>& references);
  // Puts the stored references into the buffer's BLOB slots (current) and
  // gives back pending blocks.
  void CommitBlobSlots(uint8_t* buffer, const std::vector<TDVXRecordID>& references);
  void FreeItems(int32_t session, const uint8_t* old, const std::vector<TDVXRecordID>* kept);
  TDVXRecordID Reference(const uint8_t* image, int fieldNo) const;

  void ReadImage(int32_t session, const TDVXRecordID& recordID, uint8_t* image);
  void WriteImage(int32_t session, const TDVXRecordID& recordID, const uint8_t* image);
  TDVXRecordID InsertSmall(int32_t session, const uint8_t* image);
  TDVXRecordID InsertLarge(int32_t session, const uint8_t* image);
  // The pages of a large record's chain, checked against the image size.
  std::vector<int32_t> LargeChain(int32_t session, int32_t firstPageNo, int32_t code);
  void LoadRecord(int32_t session, const TDVXRecordID& recordID, uint8_t* buffer);
  bool Exists(int32_t session, const TDVXRecordID& recordID);
  // Used slots of a record page, lowest first.
  std::vector<int> UsedSlots(int32_t session, int32_t pageNo);
  // The used slot of a record page nearest to `from` in the walk's
  // direction, `from` itself excluded (-1 or RecordsPerPage to start at an
  // end); -1 when there is none. A walk asks this once per record, so it
  // reads the slot marks in place.
  int AdjacentUsedSlot(int32_t session, int32_t pageNo, int from, bool forward);

  TDVXPageManager& pageManager_;
  TDVXStorageTableInfo table_;
  TDVXRecordPageLayout layout_;
  TDVXTablePageMapsManager maps_;
  TDVXDataItemManager items_;
  TDVXBlobStorage blobs_;
  bool hasVariableFields_;
  bool repairing_ = false;
  TDVXBufferPtr image_;
  TDVXBufferPtr oldImage_;
};

}  // namespace dvx
