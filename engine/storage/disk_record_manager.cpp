#include "engine/storage/disk_record_manager.h"

#include <algorithm>
#include <cstring>

#include "engine/core/exception.h"
#include "engine/schema/blob_slot.h"
#include "engine/schema/record_buffer.h"
#include "engine/storage/page_types.h"
#include "engine/storage/record_errors.h"

namespace dvx {
namespace {

bool IsVariableField(const TDVXFieldDef& f) {
  return IsVariableStringType(f.BaseFieldType()) || IsBlobType(f.BaseFieldType());
}

// Checked before any member is built from them.
TDVXPageManager& Checked(TDVXPageManager* pageManager, const TDVXStorageTableInfo& table) {
  if (!pageManager) throw EDVXException(kErrRecordNilPointer, "Nil pointer occured");
  if (!table.fields) throw EDVXException(kErrRecordNilFields, "Nil pointer occured");
  return *pageManager;
}

}  // namespace

TDVXDiskRecordManager::TDVXDiskRecordManager(int32_t session, const TDVXStorageTableInfo& table,
                                             TDVXPageManager* pageManager, int32_t pfsMapFirstPageNo, bool mayKeep,
                                             int randomSearchRetryCount, TDVXRandom& random)
    : pageManager_(Checked(pageManager, table)),
      table_(table),
      layout_(TDVXRecordPageLayout::For(table.fields->DiskRecordSize(), pageManager->PageDataSize())),
      maps_(*pageManager, table_, randomSearchRetryCount, random),
      items_(*pageManager, maps_, table_),
      blobs_(items_, table_),
      hasVariableFields_(table.fields->HasBlobOrVarStringFields()),
      image_(AllocBuffer(static_cast<size_t>(layout_.recordSize))),
      oldImage_(AllocBuffer(static_cast<size_t>(layout_.recordSize))) {
  maps_.Open(pfsMapFirstPageNo, mayKeep);
  maps_.Load(session);
}

template <typename F>
auto TDVXDiskRecordManager::Run(int32_t session, F&& work) {
  TDVXLockGuard guard(lock_);
  try {
    maps_.Load(session);
    if constexpr (std::is_void_v<decltype(work())>) {
      work();
      maps_.Save(session);
    } else {
      auto result = work();
      maps_.Save(session);
      return result;
    }
  } catch (...) {
    maps_.Refresh();
    throw;
  }
}

void TDVXDiskRecordManager::Refresh() {
  TDVXLockGuard guard(lock_);
  maps_.Refresh();
}

void TDVXDiskRecordManager::Corrupt(int32_t pageNo, const std::string& what) const {
  throw EDVXException(kErrCorruptTablePage, "Corrupt table page, table name = '%s', pageNo = %d: %s",
                      {table_.tableName, pageNo, what});
}

TDVXPageRef TDVXDiskRecordManager::GetRecordPage(int32_t session, int32_t pageNo) {
  TDVXPageRef page(pageManager_, pageManager_.GetPage(session, pageNo, table_.hook, table_.hookContext));
  const uint8_t* buffer = page->Buffer();
  if (!TDVXPageHeader::HasSignature(buffer) || TDVXPageHeader::PageType(buffer) != PageTypeIDTableRows ||
      TDVXPageHeader::OwnerID(buffer) != table_.tableID)
    Corrupt(pageNo, "not a record page of the table (type " + std::to_string(TDVXPageHeader::PageType(buffer)) + ")");
  return page;
}

uint16_t TDVXDiskRecordManager::RecordPageValue(int32_t session, int32_t pageNo, int32_t code) {
  TDVXTablePageKind kind;
  const uint16_t value = maps_.PageValue(session, pageNo, &kind);
  const int limit = layout_.large ? 1 : layout_.recordsPerPage;
  if (kind != tpkRecords || value == kPageValueFree || value == 0 || value > limit)
    throw EDVXException(code, "Error - invalid page record count. TableName = '%s', PageRecordCount = %d, RecordsPerPage = %d",
                        {table_.tableName, static_cast<int>(value), layout_.recordsPerPage});
  return value;
}

// --- Disk images and their items ----------------------------------------------

TDVXRecordID TDVXDiskRecordManager::Reference(const uint8_t* image, int fieldNo) const {
  return TDVXRecordID::Decode(image + Fields().Items(fieldNo)->DiskOffset());
}

void TDVXDiskRecordManager::BuildImage(int32_t session, const uint8_t* buffer, uint8_t* image, const uint8_t* old,
                                       std::vector<TDVXRecordID>& references) {
  const TDVXFieldDefs& fields = Fields();
  std::memset(image, 0, static_cast<size_t>(layout_.recordSize));
  CopyFixedFieldsToDisk(fields, buffer, image);
  references.assign(static_cast<size_t>(fields.Count()), kNoRecordID);
  if (!hasVariableFields_) return;
  for (int i = 0; i < fields.Count(); ++i) {
    const TDVXFieldDef& f = *fields.Items(i);
    if (!IsVariableField(f)) continue;
    TDVXRecordID reference = kNoRecordID;
    if (!IsNull(i, buffer)) {
      const uint8_t* slot = buffer + f.MemoryOffset();
      if (IsVariableStringType(f.BaseFieldType())) {
        // An update keeps the item of a string that did not change (only
        // changed values are released and stored again).
        if (old && !IsNull(i, old) && blobs_.VarStringEquals(session, f, Reference(old, i), slot))
          reference = Reference(old, i);
        else
          reference = blobs_.StoreVarString(session, f, slot);
      } else {
        std::optional<TDVXRecordID> kept;
        if (old && !IsNull(i, old)) kept = Reference(old, i);
        reference = blobs_.StoreBlob(session, f, slot, kept);
      }
    }
    reference.Encode(image + f.DiskOffset());
    references[static_cast<size_t>(i)] = reference;
  }
}

void TDVXDiskRecordManager::CommitBlobSlots(uint8_t* buffer, const std::vector<TDVXRecordID>& references) {
  const TDVXFieldDefs& fields = Fields();
  for (int i = 0; i < fields.Count(); ++i) {
    const TDVXFieldDef& f = *fields.Items(i);
    if (!IsBlobType(f.BaseFieldType())) continue;
    if (IsNull(i, buffer)) {
      ReleasePendingBlob(i, fields, buffer);
      continue;
    }
    TDVXBlobReference bytes;
    references[static_cast<size_t>(i)].Encode(bytes.data());
    CommitBlobSlot(buffer + f.MemoryOffset(), bytes);
  }
}

void TDVXDiskRecordManager::FreeItems(int32_t session, const uint8_t* old, const std::vector<TDVXRecordID>* kept) {
  const TDVXFieldDefs& fields = Fields();
  for (int i = 0; i < fields.Count(); ++i) {
    const TDVXFieldDef& f = *fields.Items(i);
    if (!IsVariableField(f) || IsNull(i, old)) continue;
    const TDVXRecordID reference = Reference(old, i);
    // A BLOB or string the new record still names stays.
    if (kept && (*kept)[static_cast<size_t>(i)] == reference) continue;
    blobs_.FreeItem(session, f, reference);
  }
}

// --- Record pages --------------------------------------------------------------

std::vector<int32_t> TDVXDiskRecordManager::LargeChain(int32_t session, int32_t firstPageNo, int32_t code) {
  std::vector<int32_t> chain;
  const size_t pages = static_cast<size_t>(layout_.ChainPages());
  for (int32_t no = firstPageNo; no != kNoPage;) {
    // The chain holds the image and no more: a longer one (a cycle
    // included) is corrupt, whatever its links say.
    if (chain.size() == pages)
      throw EDVXException(code,
                          "Error loading record from disk. TableName = '%s', Offset = %d, Size = %d, PageNo = %d, "
                          "NextPageNo = %d",
                          {table_.tableName, static_cast<int64_t>(chain.size()) * layout_.dataSize,
                           layout_.recordSize, firstPageNo, no});
    TDVXPageRef page = GetRecordPage(session, no);
    if (std::find(chain.begin(), chain.end(), no) != chain.end()) Corrupt(no, "the record's chain runs in a cycle");
    chain.push_back(no);
    no = TDVXPageHeader::NextPageNo(page->Buffer());
  }
  if (chain.size() != pages)
    throw EDVXException(code,
                        "Error loading record from disk. TableName = '%s', Offset = %d, Size = %d, PageNo = %d, "
                        "NextPageNo = %d",
                        {table_.tableName, static_cast<int64_t>(chain.size()) * layout_.dataSize, layout_.recordSize,
                         firstPageNo, kNoPage});
  return chain;
}

void TDVXDiskRecordManager::ReadImage(int32_t session, const TDVXRecordID& recordID, uint8_t* image) {
  RecordPageValue(session, recordID.pageNo, kErrReadSlotBeyondPage);
  if (layout_.large) {
    if (recordID.itemNo != 0)
      throw EDVXException(kErrReadSlotBeyondPage,
                          "Error loading record from disk. TableName = '%s', Offset = %d, Size = %d, PageNo = %d, "
                          "NextPageNo = %d",
                          {table_.tableName, static_cast<int>(recordID.itemNo), layout_.recordSize, recordID.pageNo,
                           kNoPage});
    int offset = 0;
    for (int32_t no : LargeChain(session, recordID.pageNo, kErrLargeRecordSize)) {
      TDVXPageRef page = GetRecordPage(session, no);
      const int piece = std::min(layout_.recordSize - offset, layout_.dataSize);
      std::memcpy(image + offset, page->Data(), static_cast<size_t>(piece));
      offset += piece;
    }
    return;
  }
  TDVXPageRef page = GetRecordPage(session, recordID.pageNo);
  const int slot = recordID.itemNo;
  if (slot >= layout_.recordsPerPage)
    throw EDVXException(kErrReadSlotBeyondPage,
                        "Error loading record from disk. TableName = '%s', Offset = %d, Size = %d, PageNo = %d, "
                        "NextPageNo = %d",
                        {table_.tableName, layout_.SlotOffset(slot), layout_.recordSize, recordID.pageNo, kNoPage});
  if (TDVXRecordPageLayout::SlotFree(page->Data(), slot))
    throw EDVXException(kErrRecordDeleted,
                        "Error loading record - record is deleted. TableName = '%s', PageNo = %d, PageItemNo = %d",
                        {table_.tableName, recordID.pageNo, slot});
  std::memcpy(image, page->Data() + layout_.SlotOffset(slot), static_cast<size_t>(layout_.recordSize));
}

void TDVXDiskRecordManager::WriteImage(int32_t session, const TDVXRecordID& recordID, const uint8_t* image) {
  if (layout_.large) {
    int offset = 0;
    for (int32_t no : LargeChain(session, recordID.pageNo, kErrLargeRecordSize)) {
      TDVXPageRef page = GetRecordPage(session, no);
      const int piece = std::min(layout_.recordSize - offset, layout_.dataSize);
      std::memcpy(page->WritableData(), image + offset, static_cast<size_t>(piece));
      offset += piece;
    }
    return;
  }
  TDVXPageRef page = GetRecordPage(session, recordID.pageNo);
  const int slot = recordID.itemNo;
  if (slot >= layout_.recordsPerPage)
    throw EDVXException(kErrUpdateSlotBeyondPage,
                        "Error loading record from disk. TableName = '%s', Offset = %d, Size = %d, PageNo = %d, "
                        "NextPageNo = %d",
                        {table_.tableName, layout_.SlotOffset(slot), layout_.recordSize, recordID.pageNo, kNoPage});
  if (TDVXRecordPageLayout::SlotFree(page->Data(), slot))
    throw EDVXException(kErrRecordDeleted,
                        "Error loading record - record is deleted. TableName = '%s', PageNo = %d, PageItemNo = %d",
                        {table_.tableName, recordID.pageNo, slot});
  std::memcpy(page->WritableData() + layout_.SlotOffset(slot), image, static_cast<size_t>(layout_.recordSize));
}

TDVXRecordID TDVXDiskRecordManager::InsertSmall(int32_t session, const uint8_t* image) {
  uint16_t previous = kPageValueFree;
  TDVXPageRef page = maps_.FindPageWithRoom(session, tpkRecords, static_cast<uint16_t>(layout_.recordsPerPage), previous);
  const int32_t pageNo = page->PageNo();
  page->SetDirty();
  if (previous == kPageValueFree) {
    TDVXPageHeader::Format(page->WritableBuffer(), PageTypeIDTableRows, kNoPage, table_.tableID);
    std::memset(page->WritableData(), 0xFF, static_cast<size_t>(layout_.bitmapSize));
  } else {
    page.Release();
    page = GetRecordPage(session, pageNo);
    page->SetDirty();
    if (previous >= layout_.recordsPerPage)
      throw EDVXException(kErrInsertPageCount,
                          "Error - invalid page record count. TableName = '%s', PageRecordCount = %d, RecordsPerPage = %d",
                          {table_.tableName, static_cast<int>(previous), layout_.recordsPerPage});
  }
  int slot = 0;
  while (slot < layout_.recordsPerPage && !TDVXRecordPageLayout::SlotFree(page->Data(), slot)) ++slot;
  if (slot == layout_.recordsPerPage)
    throw EDVXException(kErrAddRecordToPage, "Error adding record to page. TableName = '%s', PageNo = %d",
                        {table_.tableName, pageNo});
  if (layout_.SlotOffset(slot) + layout_.recordSize > layout_.dataSize)
    throw EDVXException(kErrInsertSlotBeyondPage,
                        "Error loading record from disk. TableName = '%s', Offset = %d, Size = %d, PageNo = %d, "
                        "NextPageNo = %d",
                        {table_.tableName, layout_.SlotOffset(slot), layout_.recordSize, pageNo, kNoPage});
  uint8_t* data = page->WritableData();
  TDVXRecordPageLayout::SetSlotFree(data, slot, false);
  std::memcpy(data + layout_.SlotOffset(slot), image, static_cast<size_t>(layout_.recordSize));
  page.Release();
  maps_.SetPageValue(session, pageNo, true, previous == kPageValueFree ? 1 : static_cast<uint16_t>(previous + 1));
  return {pageNo, static_cast<uint16_t>(slot)};
}

TDVXRecordID TDVXDiskRecordManager::InsertLarge(int32_t session, const uint8_t* image) {
  TDVXPageRef page = maps_.AllocatePage(session, tpkRecords);
  const TDVXRecordID recordID{page->PageNo(), 0};
  int offset = 0;
  bool first = true;
  for (;;) {
    TDVXPageHeader::Format(page->WritableBuffer(), PageTypeIDTableRows, kNoPage, table_.tableID);
    const int piece = std::min(layout_.recordSize - offset, layout_.dataSize);
    std::memcpy(page->WritableData(), image + offset, static_cast<size_t>(piece));
    offset += piece;
    const int32_t pageNo = page->PageNo();
    TDVXPageRef next;
    if (offset < layout_.recordSize) {
      next = maps_.AllocatePage(session, tpkContinuation);
      TDVXPageHeader::SetNextPageNo(page->WritableBuffer(), next->PageNo());
    }
    page.Release();
    maps_.SetPageValue(session, pageNo, first, first ? 1 : 0);
    first = false;
    if (!next.get()) break;
    page = std::move(next);
  }
  return recordID;
}

// --- Record operations ---------------------------------------------------------

int64_t TDVXDiskRecordManager::RecordCount(int32_t session) {
  return Run(session, [&] { return maps_.RecordCount(); });
}

void TDVXDiskRecordManager::FreeAllPages(int32_t session) {
  Run(session, [&] { maps_.FreeAllPages(session); });
}

TDVXRecordID TDVXDiskRecordManager::InsertRecord(uint8_t* buffer, int32_t session) {
  return Run(session, [&] {
    std::vector<TDVXRecordID> references;
    BuildImage(session, buffer, image_.get(), nullptr, references);
    TDVXRecordID recordID = layout_.large ? InsertLarge(session, image_.get()) : InsertSmall(session, image_.get());
    CommitBlobSlots(buffer, references);
    return recordID;
  });
}

void TDVXDiskRecordManager::UpdateRecord(uint8_t* buffer, const TDVXRecordID& recordID, int32_t session) {
  Run(session, [&] {
    // The old record is read into a buffer of its own; its items go only
    // after the new record and its items are stored.
    ReadImage(session, recordID, oldImage_.get());
    std::vector<TDVXRecordID> references;
    BuildImage(session, buffer, image_.get(), oldImage_.get(), references);
    WriteImage(session, recordID, image_.get());
    if (hasVariableFields_) FreeItems(session, oldImage_.get(), &references);
    CommitBlobSlots(buffer, references);
  });
}

void TDVXDiskRecordManager::DeleteRecord(const TDVXRecordID& recordID, int32_t session) {
  Run(session, [&] {
    if (layout_.large) {
      TDVXTablePageKind kind;
      const uint16_t value = maps_.PageValue(session, recordID.pageNo, &kind);
      if (kind != tpkRecords || value != 1 || recordID.itemNo != 0)
        throw EDVXException(kErrDeleteLargeCount,
                            "Error - invalid page record count. TableName = '%s', PageRecordCount = %d, RecordsPerPage = %d",
                            {table_.tableName, static_cast<int>(value), layout_.recordsPerPage});
      if (hasVariableFields_) {
        ReadImage(session, recordID, oldImage_.get());
        FreeItems(session, oldImage_.get(), nullptr);
      }
      // The chain is walked whole before its first page goes.
      std::vector<int32_t> chain;
      for (int32_t no = recordID.pageNo; no != kNoPage;) {
        if (chain.size() == static_cast<size_t>(layout_.ChainPages()))
          throw EDVXException(kErrDeleteLargeChain,
                              "Error reading row data - invalid DataSize. DataSize = %d, CompressedSize = %d, "
                              "TableName = '%s', PageNo = %d",
                              {static_cast<int64_t>(chain.size() + 1) * layout_.dataSize, layout_.recordSize,
                               table_.tableName, no});
        TDVXPageRef page;
        try {
          page = GetRecordPage(session, no);
        } catch (const EDVXException&) {
          throw EDVXException(kErrDeleteLargePage,
                              "Error deleting record - cannot remove page. TableName = '%s', RecordID.PageNo = %d, "
                              "PageNo = %d, DataSize = %d, DiskRecordBufferSize = %d",
                              {table_.tableName, recordID.pageNo, no,
                               static_cast<int64_t>(chain.size()) * layout_.dataSize, layout_.recordSize});
        }
        if (std::find(chain.begin(), chain.end(), no) != chain.end())
          throw EDVXException(kErrDeleteLargeChain,
                              "Error reading row data - invalid DataSize. DataSize = %d, CompressedSize = %d, "
                              "TableName = '%s', PageNo = %d",
                              {static_cast<int64_t>(chain.size() + 1) * layout_.dataSize, layout_.recordSize,
                               table_.tableName, no});
        chain.push_back(no);
        no = TDVXPageHeader::NextPageNo(page->Buffer());
      }
      for (size_t i = 0; i < chain.size(); ++i) {
        maps_.SetPageValue(session, chain[i], i == 0, kPageValueFree);
        pageManager_.RemovePage(session, chain[i]);
      }
      return;
    }
    TDVXTablePageKind kind;
    const uint16_t count = maps_.PageValue(session, recordID.pageNo, &kind);
    if (count == 0 || count == kPageValueFree || kind != tpkRecords)
      throw EDVXException(count == 0 ? kErrDeletePageCountZero : kErrDeletePageCountFree,
                          "Error - invalid page record count. TableName = '%s', PageRecordCount = %d, RecordsPerPage = %d",
                          {table_.tableName, static_cast<int>(count), layout_.recordsPerPage});
    // Reading the record checks its slot, and gives the items to free.
    ReadImage(session, recordID, oldImage_.get());
    if (hasVariableFields_) FreeItems(session, oldImage_.get(), nullptr);
    if (count == 1) {
      maps_.SetPageValue(session, recordID.pageNo, true, kPageValueFree);
      pageManager_.RemovePage(session, recordID.pageNo);
      return;
    }
    {
      TDVXPageRef page = GetRecordPage(session, recordID.pageNo);
      TDVXRecordPageLayout::SetSlotFree(page->WritableData(), recordID.itemNo, true);
    }
    maps_.SetPageValue(session, recordID.pageNo, true, static_cast<uint16_t>(count - 1));
  });
}

bool TDVXDiskRecordManager::Exists(int32_t session, const TDVXRecordID& recordID) {
  if (recordID.pageNo < 0 || recordID.pageNo >= maps_.PageNoLimit()) return false;
  TDVXTablePageKind kind;
  const uint16_t value = maps_.PageValue(session, recordID.pageNo, &kind);
  if (kind != tpkRecords || value == kPageValueFree || value == 0) return false;
  if (layout_.large) return value == 1 && recordID.itemNo == 0;
  if (recordID.itemNo >= layout_.recordsPerPage) return false;
  TDVXPageRef page = GetRecordPage(session, recordID.pageNo);
  return !TDVXRecordPageLayout::SlotFree(page->Data(), recordID.itemNo);
}

bool TDVXDiskRecordManager::RecordExists(const TDVXRecordID& recordID, int32_t session) {
  return Run(session, [&] { return Exists(session, recordID); });
}

std::vector<int> TDVXDiskRecordManager::UsedSlots(int32_t session, int32_t pageNo) {
  std::vector<int> slots;
  if (layout_.large) {
    slots.push_back(0);
    return slots;
  }
  TDVXPageRef page = GetRecordPage(session, pageNo);
  for (int s = 0; s < layout_.recordsPerPage; ++s)
    if (!TDVXRecordPageLayout::SlotFree(page->Data(), s)) slots.push_back(s);
  return slots;
}

int TDVXDiskRecordManager::AdjacentUsedSlot(int32_t session, int32_t pageNo, int from, bool forward) {
  if (layout_.large) return (forward ? from < 0 : from > 0) ? 0 : -1;
  TDVXPageRef page = GetRecordPage(session, pageNo);
  const uint8_t* data = page->Data();
  if (forward) {
    for (int s = std::max(from + 1, 0); s < layout_.recordsPerPage; ++s)
      if (!TDVXRecordPageLayout::SlotFree(data, s)) return s;
  } else {
    for (int s = std::min(from, layout_.recordsPerPage) - 1; s >= 0; --s)
      if (!TDVXRecordPageLayout::SlotFree(data, s)) return s;
  }
  return -1;
}

void TDVXDiskRecordManager::LoadRecord(int32_t session, const TDVXRecordID& recordID, uint8_t* buffer) {
  const TDVXFieldDefs& fields = Fields();
  try {
    ReadImage(session, recordID, image_.get());
    CopyFixedFieldsFromDisk(fields, image_.get(), buffer);
    if (!hasVariableFields_) return;
    for (int i = 0; i < fields.Count(); ++i) {
      const TDVXFieldDef& f = *fields.Items(i);
      if (!IsVariableField(f)) continue;
      uint8_t* slot = buffer + f.MemoryOffset();
      if (IsNull(i, buffer)) {
        if (IsBlobType(f.BaseFieldType())) std::memset(slot, 0, 8);
        continue;
      }
      const TDVXRecordID reference = Reference(image_.get(), i);
      if (IsBlobType(f.BaseFieldType())) {
        TDVXBlobStorage::LoadBlobReference(reference, slot);
        continue;
      }
      try {
        blobs_.LoadVarString(session, f, reference, slot);
      } catch (const EDVXException&) {
        if (!repairing_) throw;
        SetNull(true, i, buffer);
      }
    }
  } catch (const EDVXException& e) {
    // The record's own message, followed by what made it fail (a damaged
    // item, a page that cannot be read), so the cause reaches the user.
    throw EDVXException(hasVariableFields_ ? kErrLoadRecordVar : kErrLoadRecordNoVar,
                        "Error loading record. TableName = %s, SessionID = %d, PageNo = %d, ItemNo = %d: %s",
                        {table_.tableName, session, recordID.pageNo, static_cast<int>(recordID.itemNo),
                         std::string(e.what())});
  }
}

TDVXGetRecordResult TDVXDiskRecordManager::GetRecord(TDVXGetRecordRequest& request) {
  const int32_t session = request.session;
  return Run(session, [&]() -> TDVXGetRecordResult {
    TDVXRecordID found = kNoRecordID;
    try {
      if (request.first) {
        if (request.mode == grmPrior) return grrBOF;
        if (request.mode != grmNext) return grrError;
        const int32_t page = maps_.NextRecordPage(session, kNoPage);
        if (page == kNoPage) return grrEOF;
        const int slot = AdjacentUsedSlot(session, page, -1, true);
        if (slot < 0) return grrError;
        found = {page, static_cast<uint16_t>(slot)};
      } else if (request.last) {
        if (request.mode == grmNext) return grrEOF;
        if (request.mode != grmPrior) return grrError;
        const int32_t page = maps_.PriorRecordPage(session, TDVXTablePageMapsManager::kNoPageAbove);
        if (page == kNoPage) return grrBOF;
        const int slot = AdjacentUsedSlot(session, page, layout_.recordsPerPage, false);
        if (slot < 0) return grrError;
        found = {page, static_cast<uint16_t>(slot)};
      } else if (request.mode == grmCurrent) {
        if (!Exists(session, request.recordID)) return grrError;
        found = request.recordID;
      } else {
        const TDVXRecordID& current = request.recordID;
        const bool forward = request.mode == grmNext;
        // The current record's page first, when it still holds records.
        if (!layout_.large) {
          TDVXTablePageKind kind = tpkRecords;
          uint16_t value = kPageValueFree;
          if (current.pageNo >= 0 && current.pageNo < maps_.PageNoLimit())
            value = maps_.PageValue(session, current.pageNo, &kind);
          if (kind == tpkRecords && value != kPageValueFree && value != 0) {
            const int slot = AdjacentUsedSlot(session, current.pageNo, current.itemNo, forward);
            if (slot >= 0) found = {current.pageNo, static_cast<uint16_t>(slot)};
          }
        }
        if (found.IsNone()) {
          const int32_t page = forward ? maps_.NextRecordPage(session, current.pageNo)
                                       : maps_.PriorRecordPage(session, current.pageNo);
          if (page == kNoPage) return forward ? grrEOF : grrBOF;
          const int slot = AdjacentUsedSlot(session, page, forward ? -1 : layout_.recordsPerPage, forward);
          if (slot < 0) return grrError;
          found = {page, static_cast<uint16_t>(slot)};
        }
      }
    } catch (const EDVXException& e) {
      // A page that cannot be obtained or is not what the map says: the
      // caller reports it with this cause.
      request.cause = e.what();
      return grrError;
    }
    request.first = request.last = false;
    request.recordID = found;
    LoadRecord(session, found, request.buffer);
    return grrDone;
  });
}

int64_t TDVXDiskRecordManager::RecordNoOf(const TDVXRecordID& recordID, int32_t session) {
  return Run(session, [&]() -> int64_t {
    if (!Exists(session, recordID)) return -1;
    int64_t number = maps_.RecordsBefore(session, recordID.pageNo);
    if (layout_.large) return number + 1;
    for (int s : UsedSlots(session, recordID.pageNo)) {
      if (s > recordID.itemNo) break;
      ++number;
    }
    return number;
  });
}

TDVXRecordID TDVXDiskRecordManager::RecordIDOf(int64_t recordNo, int32_t session) {
  return Run(session, [&]() -> TDVXRecordID {
    int64_t before = 0;
    const int32_t page = maps_.PageOfRecord(session, recordNo, before);
    if (page == kNoPage) return kNoRecordID;
    std::vector<int> slots = UsedSlots(session, page);
    const int64_t k = recordNo - before;
    if (k < 1 || k > static_cast<int64_t>(slots.size())) Corrupt(page, "the page holds fewer records than its map says");
    return {page, static_cast<uint16_t>(slots[static_cast<size_t>(k - 1)])};
  });
}

std::unique_ptr<TDVXBlobValueStream> TDVXDiskRecordManager::OpenBlob(int32_t session, int fieldNo,
                                                                     const uint8_t* buffer,
                                                                     uint64_t temporaryThreshold) {
  const TDVXFieldDef& f = *Fields().Items(fieldNo);
  const uint8_t* slot = buffer + f.MemoryOffset();
  if (IsNull(fieldNo, buffer)) return std::make_unique<TDVXBlobValueStream>(f, temporaryThreshold);
  if (BlobSlotMarker(slot) == kBlobSlotPending) return TDVXBlobValueStream::OfPendingSlot(f, slot, temporaryThreshold);
  return Run(session, [&] { return blobs_.ReadBlobValue(session, f, TDVXRecordID::Decode(slot), temporaryThreshold); });
}

}  // namespace dvx
