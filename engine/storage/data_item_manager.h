#pragma once
// TDVXDataItemManager: writes, reads and deletes the data items of one table
// (data_item.h) in the pages of its page maps: items of variable strings in
// pages of kind 2, of BLOBs in pages of kind 3.
//
// Everything read from a page is checked before it is used: page type and
// owner, the directory against the data area, an item's StoredSize against
// its directory entry or its chain, chains against the file's page count.
// A violation is an EDVXException naming the table and page.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/storage/data_item.h"
#include "engine/storage/page_manager.h"
#include "engine/storage/record_id.h"
#include "engine/storage/storage_table.h"
#include "engine/storage/table_page_maps_manager.h"

namespace dvx {

class TDVXDataItemManager {
 public:
  TDVXDataItemManager(TDVXPageManager& pageManager, TDVXTablePageMapsManager& maps, const TDVXStorageTableInfo& table);

  // Stores `header` (its StoredSize becomes the data's size) and `data` as a
  // new item; the reference to it.
  TDVXRecordID WriteItem(int32_t session, TDVXTablePageKind kind, TDVXItemHeader header,
                         std::span<const uint8_t> data);
  // The item's header; `data` receives its StoredSize bytes.
  TDVXItemHeader ReadItem(int32_t session, const TDVXRecordID& reference, std::vector<uint8_t>& data);
  // `fieldName` is for the message of a missing item.
  void DeleteItem(int32_t session, const TDVXRecordID& reference, const std::string& fieldName);

 private:
  struct TDirectory {
    int count = 0;
    int usedBytes = 0;  // sum of ItemSizes
    int FreeSpace(int dataSize) const {
      return dataSize - TDVXSmallDataPage::kCountSize - TDVXSmallDataPage::kEntrySize * count - usedBytes;
    }
  };

  TDVXPageRef GetItemPage(int32_t session, int32_t pageNo, int32_t rangeCode);
  // The reference's page is a data page of the table, else "Error loading
  // record. ..." (10549).
  void CheckInMap(int32_t session, const TDVXRecordID& reference);
  // Page type 10 or 11 and the table's own page, else `typeCode`.
  uint16_t CheckItemPage(const TDVXPage& page, int32_t typeCode) const;
  TDirectory CheckDirectory(TDVXPage& page) const;
  // Directory index of `itemID`, -1 when absent; `offset` is the item's.
  int FindItem(TDVXPage& page, const TDirectory& directory, uint16_t itemID, int& offset) const;
  // The pages of a large item's chain, first page included, checked.
  std::vector<int32_t> LargeChain(int32_t session, int32_t firstPageNo, TDVXItemHeader& header);
  TDVXRecordID WriteLargeItem(int32_t session, TDVXTablePageKind kind, const TDVXItemHeader& header,
                              std::span<const uint8_t> data);
  [[noreturn]] void Corrupt(int32_t pageNo, const std::string& what) const;
  [[noreturn]] void InvalidDataSize(uint64_t dataSize, uint64_t storedSize, int32_t pageNo) const;

  TDVXPageManager& pageManager_;
  TDVXTablePageMapsManager& maps_;
  const TDVXStorageTableInfo& table_;
  int dataSize_;
};

}  // namespace dvx
