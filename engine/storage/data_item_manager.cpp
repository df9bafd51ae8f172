#include "engine/storage/data_item_manager.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "engine/core/exception.h"
#include "engine/storage/page_types.h"
#include "engine/storage/record_errors.h"

namespace dvx {

TDVXDataItemManager::TDVXDataItemManager(TDVXPageManager& pageManager, TDVXTablePageMapsManager& maps,
                                         const TDVXStorageTableInfo& table)
    : pageManager_(pageManager), maps_(maps), table_(table), dataSize_(pageManager.PageDataSize()) {}

void TDVXDataItemManager::Corrupt(int32_t pageNo, const std::string& what) const {
  throw EDVXException(kErrCorruptTablePage, "Corrupt table page, table name = '%s', pageNo = %d: %s",
                      {table_.tableName, pageNo, what});
}

void TDVXDataItemManager::InvalidDataSize(uint64_t dataSize, uint64_t storedSize, int32_t pageNo) const {
  throw EDVXException(kErrItemDataSize,
                      "Error reading row data - invalid DataSize. DataSize = %d, CompressedSize = %d, TableName = '%s', "
                      "PageNo = %d",
                      {static_cast<int64_t>(dataSize), static_cast<int64_t>(storedSize), table_.tableName, pageNo});
}

TDVXPageRef TDVXDataItemManager::GetItemPage(int32_t session, int32_t pageNo, int32_t rangeCode) {
  if (pageNo < 0 || pageNo >= pageManager_.GetPageCount())
    throw EDVXException(rangeCode, "Invalid PageNo = %d", {pageNo});
  return TDVXPageRef(pageManager_, pageManager_.GetPage(session, pageNo, table_.hook, table_.hookContext));
}

uint16_t TDVXDataItemManager::CheckItemPage(const TDVXPage& page, int32_t typeCode) const {
  const uint8_t* buffer = page.Buffer();
  const uint16_t type = TDVXPageHeader::PageType(buffer);
  if (!TDVXPageHeader::HasSignature(buffer) || (type != PageTypeIDTableDataSmall && type != PageTypeIDTableDataLarge))
    throw EDVXException(typeCode, "Error - invalid page type = %d, table name = '%s', pageNo = %d",
                        {static_cast<int>(type), table_.tableName, page.PageNo()});
  if (TDVXPageHeader::OwnerID(buffer) != table_.tableID) Corrupt(page.PageNo(), "the page belongs to another owner");
  return type;
}

TDVXDataItemManager::TDirectory TDVXDataItemManager::CheckDirectory(TDVXPage& page) const {
  TDVXSmallDataView layout{page.Data(), dataSize_};
  TDirectory directory;
  directory.count = layout.ItemCount();
  if (directory.count < 1 || directory.count > layout.MaxItems())
    Corrupt(page.PageNo(), "item count " + std::to_string(directory.count) + " outside the page");
  for (int i = 0; i < directory.count; ++i) {
    const int size = layout.ItemSize(i);
    if (size < kItemHeaderSize) Corrupt(page.PageNo(), "item size " + std::to_string(size) + " below its header");
    // An ItemID listed twice names its first entry here, which is safe;
    // the record checker reports it.
    directory.usedBytes += size;
  }
  if (directory.FreeSpace(dataSize_) < 0) Corrupt(page.PageNo(), "the items overlap the item directory");
  return directory;
}

int TDVXDataItemManager::FindItem(TDVXPage& page, const TDirectory& directory, uint16_t itemID, int& offset) const {
  TDVXSmallDataView layout{page.Data(), dataSize_};
  offset = 0;
  for (int i = 0; i < directory.count; ++i) {
    if (layout.ItemID(i) == itemID) return i;
    offset += layout.ItemSize(i);
  }
  return -1;
}

TDVXRecordID TDVXDataItemManager::WriteItem(int32_t session, TDVXTablePageKind kind, TDVXItemHeader header,
                                            std::span<const uint8_t> data) {
  header.storedSize = data.size();
  const uint64_t total = kItemHeaderSize + static_cast<uint64_t>(data.size());
  if (total >= static_cast<uint64_t>(TDVXSmallDataPage::LargeItemLimit(dataSize_)))
    return WriteLargeItem(session, kind, header, data);

  const int itemSize = static_cast<int>(total);
  uint16_t previous = kPageValueFree;
  TDVXPageRef page =
      maps_.FindPageWithRoom(session, kind, static_cast<uint16_t>(itemSize + TDVXSmallDataPage::kEntrySize), previous);
  uint8_t* buffer = page->WritableBuffer();
  TDVXSmallDataPage layout{page->WritableData(), dataSize_};
  TDirectory directory;
  if (previous == kPageValueFree) {
    TDVXPageHeader::Format(buffer, PageTypeIDTableDataSmall, kNoPage, table_.tableID);
    layout.SetItemCount(0);
  } else {
    if (CheckItemPage(*page.get(), kErrItemPageType) != PageTypeIDTableDataSmall)
      Corrupt(page->PageNo(), "a small-data page in the map is a large-item page");
    directory = CheckDirectory(*page.get());
    // The map's free space is a promise the directory has to keep.
    if (directory.FreeSpace(dataSize_) < itemSize + TDVXSmallDataPage::kEntrySize)
      Corrupt(page->PageNo(), "free space " + std::to_string(directory.FreeSpace(dataSize_)) +
                                  " is below the map's " + std::to_string(previous));
  }
  // The smallest ItemID no entry uses; among count + 1 candidates one is free.
  std::vector<bool> used(static_cast<size_t>(directory.count) + 1, false);
  for (int i = 0; i < directory.count; ++i)
    if (layout.ItemID(i) <= directory.count) used[layout.ItemID(i)] = true;
  const uint16_t itemID = static_cast<uint16_t>(std::find(used.begin(), used.end(), false) - used.begin());

  uint8_t* at = layout.data + directory.usedBytes;
  header.Encode(at);
  if (!data.empty()) std::memcpy(at + kItemHeaderSize, data.data(), data.size());
  layout.SetEntry(directory.count, itemID, static_cast<uint16_t>(itemSize));
  layout.SetItemCount(static_cast<uint16_t>(directory.count + 1));
  directory.count += 1;
  directory.usedBytes += itemSize;
  const int32_t pageNo = page->PageNo();
  page.Release();
  maps_.SetPageValue(session, pageNo, false, static_cast<uint16_t>(directory.FreeSpace(dataSize_)));
  return {pageNo, itemID};
}

TDVXRecordID TDVXDataItemManager::WriteLargeItem(int32_t session, TDVXTablePageKind kind, const TDVXItemHeader& header,
                                                 std::span<const uint8_t> data) {
  uint8_t head[kItemHeaderSize];
  header.Encode(head);
  // The item's bytes as one run: the header, then the data.
  auto byteAt = [&](uint64_t i, uint64_t count, uint8_t* out) {
    while (count > 0) {
      if (i < kItemHeaderSize) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(count, kItemHeaderSize - i));
        std::memcpy(out, head + i, n);
        i += n, out += n, count -= n;
      } else {
        std::memcpy(out, data.data() + (i - kItemHeaderSize), static_cast<size_t>(count));
        count = 0;
      }
    }
  };
  const uint64_t total = kItemHeaderSize + static_cast<uint64_t>(data.size());
  TDVXPageRef page = maps_.AllocatePage(session, kind);
  const TDVXRecordID reference{page->PageNo(), 0};
  uint64_t stored = 0;
  for (;;) {
    TDVXPageHeader::Format(page->WritableBuffer(), PageTypeIDTableDataLarge, kNoPage, table_.tableID);
    const uint64_t piece = std::min<uint64_t>(total - stored, static_cast<uint64_t>(dataSize_));
    byteAt(stored, piece, page->WritableData());
    stored += piece;
    const int32_t pageNo = page->PageNo();
    if (stored == total) {
      page.Release();
      maps_.SetPageValue(session, pageNo, false, 0);
      break;
    }
    TDVXPageRef next = maps_.AllocatePage(session, kind);
    TDVXPageHeader::SetNextPageNo(page->WritableBuffer(), next->PageNo());
    page.Release();
    maps_.SetPageValue(session, pageNo, false, 0);
    page = std::move(next);
  }
  return reference;
}

std::vector<int32_t> TDVXDataItemManager::LargeChain(int32_t session, int32_t firstPageNo, TDVXItemHeader& header) {
  std::vector<int32_t> chain;
  std::unordered_set<int32_t> seen;
  const int64_t pageCount = pageManager_.GetPageCount();
  uint64_t total = 0, pages = 0;
  for (int32_t no = firstPageNo; chain.size() < pages || chain.empty();) {
    if (no == kNoPage) InvalidDataSize(chain.size() * static_cast<uint64_t>(dataSize_) - kItemHeaderSize,
                                       header.storedSize, firstPageNo);
    TDVXPageRef page = GetItemPage(session, no, chain.empty() ? kErrRepairPageBeyond : kErrRepairChainBeyond);
    if (CheckItemPage(*page.get(), kErrItemPageType) != PageTypeIDTableDataLarge)
      Corrupt(no, "a page of a large item's chain is no large-item page");
    if (!seen.insert(no).second) Corrupt(no, "the item's chain runs in a cycle");
    if (chain.empty()) {
      header = TDVXItemHeader::Decode(page->Data());
      // No chain is longer than the file; a StoredSize beyond it is a lie.
      if (header.storedSize > static_cast<uint64_t>(pageCount) * static_cast<uint64_t>(dataSize_))
        InvalidDataSize(header.storedSize, header.storedSize, firstPageNo);
      total = kItemHeaderSize + header.storedSize;
      pages = (total + dataSize_ - 1) / dataSize_;
    }
    chain.push_back(no);
    no = TDVXPageHeader::NextPageNo(page->Buffer());
  }
  return chain;
}

void TDVXDataItemManager::CheckInMap(int32_t session, const TDVXRecordID& reference) {
  // A reference to a page the table no longer holds (freed, perhaps reused
  // by another table) names no item, whatever the page still contains.
  TDVXTablePageKind kind = tpkRecords;
  uint16_t value = kPageValueFree;
  if (reference.pageNo >= 0 && reference.pageNo < maps_.PageNoLimit()) value = maps_.PageValue(session, reference.pageNo, &kind);
  if (value == kPageValueFree || (kind != tpkStrings && kind != tpkBlobs))
    throw EDVXException(kErrItemNotFound, "Error loading record. TableName = %s, SessionID = %d, PageNo = %d, ItemNo = %d",
                        {table_.tableName, session, reference.pageNo, static_cast<int>(reference.itemNo)});
}

TDVXItemHeader TDVXDataItemManager::ReadItem(int32_t session, const TDVXRecordID& reference,
                                             std::vector<uint8_t>& data) {
  data.clear();
  TDVXPageRef page = GetItemPage(session, reference.pageNo, kErrRepairPageBeyond);
  const uint16_t type = CheckItemPage(*page.get(), kErrItemPageType);
  CheckInMap(session, reference);
  if (type == PageTypeIDTableDataSmall) {
    TDirectory directory = CheckDirectory(*page.get());
    int offset = 0;
    int index = FindItem(*page.get(), directory, reference.itemNo, offset);
    if (index < 0)
      throw EDVXException(kErrItemNotFound, "Error loading record. TableName = %s, SessionID = %d, PageNo = %d, ItemNo = %d",
                          {table_.tableName, session, reference.pageNo, static_cast<int>(reference.itemNo)});
    TDVXSmallDataView layout{page->Data(), dataSize_};
    TDVXItemHeader header = TDVXItemHeader::Decode(page->Data() + offset);
    const uint64_t size = layout.ItemSize(index) - kItemHeaderSize;
    if (header.storedSize != size) InvalidDataSize(size, header.storedSize, reference.pageNo);
    const uint8_t* from = page->Data() + offset + kItemHeaderSize;
    data.assign(from, from + size);
    return header;
  }
  page.Release();
  if (reference.itemNo != 0)
    throw EDVXException(kErrItemNotFound, "Error loading record. TableName = %s, SessionID = %d, PageNo = %d, ItemNo = %d",
                        {table_.tableName, session, reference.pageNo, static_cast<int>(reference.itemNo)});
  TDVXItemHeader header;
  std::vector<int32_t> chain = LargeChain(session, reference.pageNo, header);
  data.resize(static_cast<size_t>(header.storedSize));
  uint64_t offset = 0;  // within the item, header included
  const uint64_t total = kItemHeaderSize + header.storedSize;
  for (int32_t no : chain) {
    TDVXPageRef piece = GetItemPage(session, no, kErrRepairChainBeyond);
    const uint64_t n = std::min<uint64_t>(total - offset, static_cast<uint64_t>(dataSize_));
    const uint64_t skip = offset < kItemHeaderSize ? kItemHeaderSize - offset : 0;
    if (n > skip) std::memcpy(data.data() + (offset + skip - kItemHeaderSize), piece->Data() + skip, n - skip);
    offset += n;
  }
  return header;
}

void TDVXDataItemManager::DeleteItem(int32_t session, const TDVXRecordID& reference, const std::string& fieldName) {
  TDVXPageRef page = GetItemPage(session, reference.pageNo, kErrRepairPageBeyond);
  const int32_t pageNo = reference.pageNo;
  auto cannotDelete = [&](int count) {
    throw EDVXException(kErrDeleteBlobItem,
                        "Error deleting record - cannot delete blob item. TableName = '%s', FieldName = '%s', "
                        "PageNo = %d, PageItemNo = %d, ItemCount = %d",
                        {table_.tableName, fieldName, pageNo, static_cast<int>(reference.itemNo), count});
  };
  if (CheckItemPage(*page.get(), kErrDeleteItemPageType) == PageTypeIDTableDataSmall) {
    TDirectory directory = CheckDirectory(*page.get());
    int offset = 0;
    const int index = FindItem(*page.get(), directory, reference.itemNo, offset);
    if (index < 0) cannotDelete(directory.count);
    if (directory.count == 1) {
      page.Release();
      maps_.SetPageValue(session, pageNo, false, kPageValueFree);
      pageManager_.RemovePage(session, pageNo);
      return;
    }
    TDVXSmallDataPage layout{page->WritableData(), dataSize_};
    const int size = layout.ItemSize(index);
    // Later items move down over the freed bytes, later entries up by one.
    std::memmove(layout.data + offset, layout.data + offset + size,
                 static_cast<size_t>(directory.usedBytes - offset - size));
    for (int i = index; i + 1 < directory.count; ++i) layout.SetEntry(i, layout.ItemID(i + 1), layout.ItemSize(i + 1));
    layout.SetItemCount(static_cast<uint16_t>(directory.count - 1));
    directory.count -= 1;
    directory.usedBytes -= size;
    page.Release();
    maps_.SetPageValue(session, pageNo, false, static_cast<uint16_t>(directory.FreeSpace(dataSize_)));
    return;
  }
  page.Release();
  if (reference.itemNo != 0) cannotDelete(1);
  TDVXItemHeader header;
  // The whole chain is checked before its first page goes.
  for (int32_t no : LargeChain(session, pageNo, header)) {
    maps_.SetPageValue(session, no, false, kPageValueFree);
    pageManager_.RemovePage(session, no);
  }
}

}  // namespace dvx
