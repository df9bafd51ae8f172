#include "engine/storage/record_checker.h"

#include <algorithm>

#include "engine/core/exception.h"
#include "engine/schema/record_buffer.h"
#include "engine/schema/table_managers.h"
#include "engine/storage/compressed_blob_stream.h"
#include "engine/storage/internal_file.h"
#include "engine/storage/page_types.h"
#include "engine/storage/storage_errors.h"
#include "engine/storage/system_directory.h"
#include "engine/storage/table_files.h"

namespace dvx {
namespace {

std::string PageText(int32_t pageNo) { return "page " + std::to_string(pageNo); }

bool IsVariableField(const TDVXFieldDef& f) {
  return IsVariableStringType(f.BaseFieldType()) || IsBlobType(f.BaseFieldType());
}

}  // namespace

TDVXRecordChecker::TDVXRecordChecker(TDVXDiskPageManager& pageManager, TDVXDatabaseChecker& databaseChecker)
    : pageManager_(pageManager),
      databaseChecker_(databaseChecker),
      pfsLayout_(pageManager.PageDataSize()),
      dataSize_(pageManager.PageDataSize()) {}

void TDVXRecordChecker::Problem(const TTable& table, const std::string& text) {
  problems_.push_back("table '" + table.name + "': " + text);
}

bool TDVXRecordChecker::ReadPage(int32_t pageNo, std::vector<uint8_t>& page) {
  page.assign(static_cast<size_t>(pageManager_.PageSize()), 0);
  try {
    pageManager_.ReadWholePage(page.data(), pageNo, kErrReadPage);
    return true;
  } catch (const EDVXException&) {
    return false;
  }
}

bool TDVXRecordChecker::ReadFile(int32_t firstPageNo, std::vector<uint8_t>& content) {
  content.clear();
  const int64_t pageCount = pageManager_.GetPageCount();
  std::set<int32_t> seen;
  std::vector<uint8_t> page;
  int64_t size = -1;
  for (int32_t no = firstPageNo; no != kNoPage && static_cast<int64_t>(content.size()) != size;) {
    if (no < 3 || no >= pageCount || !seen.insert(no).second || !ReadPage(no, page)) return false;
    const uint8_t* data = page.data() + kPageHeaderSize;
    size_t start = 0;
    if (size < 0) {
      TDVXInternalFileHeader header;
      if (!TDVXInternalFileHeader::Decode(data, header) || header.fileSize < 0 ||
          header.fileSize > pageCount * static_cast<int64_t>(dataSize_))
        return false;
      size = header.fileSize;
      start = kInternalFileHeaderSize;
    }
    const size_t take = std::min(static_cast<size_t>(size) - content.size(), static_cast<size_t>(dataSize_) - start);
    content.insert(content.end(), data + start, data + start + take);
    no = TDVXPageHeader::NextPageNo(page.data());
  }
  return static_cast<int64_t>(content.size()) == size;
}

void TDVXRecordChecker::Check() {
  std::vector<uint8_t> directory, list;
  if (!ReadFile(kSystemDirectoryPageNo, directory)) return;
  const int32_t listPage = TDVXDirectoryEntry::Find(TDVXDirectoryEntry::DecodeAll(directory), kTableListFileID);
  if (listPage == kNoPage || !ReadFile(listPage, list) || list.size() % kTableListRecordSize != 0) return;
  for (size_t at = 0; at < list.size(); at += kTableListRecordSize)
    CheckTable(TDVXTableListRecord::Decode(list.data() + at));
}

bool TDVXRecordChecker::LoadFields(const TDVXTableListRecord& record, TTable& table) {
  std::vector<uint8_t> content;
  if (!ReadFile(record.metadataFirstPageNo, content)) {
    Problem(table, "its metadata file cannot be read; records are not checked");
    return false;
  }
  if (content.empty()) {
    table.definitionsTrouble = "it has no field definitions";
    return false;
  }
  try {
    TDVXBaseSequenceManager sequences;
    TDVXBaseFieldManager fields(sequences);
    TDVXBaseConstraintManager constraints;
    TDVXMemoryStream stream(std::move(content));
    LoadTableMetadataStream(stream, fields, constraints);
    table.fields.Assign(fields.FieldDefs());
    table.fields.RecomputeLayout();
    table.layout = TDVXRecordPageLayout::For(table.fields.DiskRecordSize(), dataSize_);
  } catch (const EDVXException& e) {
    table.definitionsTrouble = "its definitions cannot be read (" + e.Message() + ")";
    return false;
  }
  return true;
}

bool TDVXRecordChecker::LoadMap(const TDVXTableListRecord& record, TTable& table) {
  std::vector<uint8_t> content;
  // The file itself is the database checker's; only its meaning is ours.
  if (!ReadFile(record.pfsMapFirstPageNo, content)) return false;
  if (content.empty()) return true;
  if (content.size() < 4 || (content.size() - 4) % 8 != 0) return false;
  const int32_t limit = GetI32(content.data());
  const int64_t pageCount = pageManager_.GetPageCount();
  const size_t entries = (content.size() - 4) / 8;
  const int coverage = pfsLayout_.coverage;
  if (limit < 0) {
    Problem(table, "PageNoLimit " + std::to_string(limit) + " is negative");
    return false;
  }
  const size_t needed = static_cast<size_t>((static_cast<int64_t>(limit) + coverage - 1) / coverage);
  if (entries != needed)
    Problem(table, "the PFS map has " + std::to_string(entries) + " entries for PageNoLimit " + std::to_string(limit) +
                       ", not " + std::to_string(needed));
  std::vector<uint8_t> pfs;
  for (size_t e = 0; e < entries; ++e) {
    const int32_t pfsPageNo = GetI32(content.data() + 4 + 8 * e);
    const int32_t recordCount = GetI32(content.data() + 8 + 8 * e);
    const std::string entry = "PFS map entry " + std::to_string(e);
    if (pfsPageNo < 3 || pfsPageNo >= pageCount) {
      Problem(table, entry + " names page " + std::to_string(pfsPageNo) + " outside the file");
      continue;
    }
    databaseChecker_.AddReferencedPage(pfsPageNo, "table '" + table.name + "' page map");
    if (!ReadPage(pfsPageNo, pfs)) {
      Problem(table, entry + ": its page cannot be read");
      continue;
    }
    if (!TDVXPageHeader::HasSignature(pfs.data()) || TDVXPageHeader::PageType(pfs.data()) != PageTypeIDTablePFS ||
        TDVXPageHeader::OwnerID(pfs.data()) != table.tableID) {
      Problem(table, entry + ": " + PageText(pfsPageNo) + " is not a table PFS page of the table (type " +
                         PageTypeName(TDVXPageHeader::PageType(pfs.data())) + ", owner " +
                         std::to_string(TDVXPageHeader::OwnerID(pfs.data())) + ")");
      continue;
    }
    const uint8_t* data = pfs.data() + kPageHeaderSize;
    int64_t records = 0;
    for (int i = 0; i < coverage; ++i) {
      const int64_t pageNo = static_cast<int64_t>(e) * coverage + i;
      const uint16_t value = pfsLayout_.Value(data, i);
      if (value == kPageValueFree) continue;
      if (pageNo >= limit) {
        Problem(table, entry + " gives " + PageText(static_cast<int32_t>(pageNo)) +
                           " to the table beyond PageNoLimit " + std::to_string(limit));
        continue;
      }
      const TDVXTablePageKind kind = pfsLayout_.Kind(data, i);
      table.pages[static_cast<int32_t>(pageNo)] = {kind, value};
      databaseChecker_.AddReferencedPage(static_cast<int32_t>(pageNo), "table '" + table.name + "'");
      if (kind == tpkRecords) records += value;
    }
    if (records != recordCount)
      Problem(table, entry + " counts " + std::to_string(recordCount) + " records but its record pages hold " +
                         std::to_string(records));
  }
  return true;
}

void TDVXRecordChecker::CheckTable(const TDVXTableListRecord& record) {
  TTable table;
  table.name = record.tableName;
  table.tableID = record.tableID;
  table.fieldsKnown = LoadFields(record, table);
  if (!LoadMap(record, table)) return;
  if (!table.definitionsTrouble.empty() && !table.pages.empty())
    Problem(table, table.definitionsTrouble + "; its records are not checked");
  std::vector<uint8_t> page;
  std::vector<int32_t> recordPages;
  for (const auto& [pageNo, mapPage] : table.pages) {
    if (pageNo >= pageManager_.GetPageCount() || !ReadPage(pageNo, page)) {
      Problem(table, PageText(pageNo) + " cannot be read");
      continue;
    }
    TPageInfo& info = table.info[pageNo];
    info.type = TDVXPageHeader::PageType(page.data());
    info.next = TDVXPageHeader::NextPageNo(page.data());
    info.head = TDVXItemHeader::Decode(page.data() + kPageHeaderSize);
    const bool hasSignature = TDVXPageHeader::HasSignature(page.data());
    if (!hasSignature || TDVXPageHeader::OwnerID(page.data()) != table.tableID) {
      Problem(table, PageText(pageNo) + " has no page signature or belongs to owner " +
                         std::to_string(TDVXPageHeader::OwnerID(page.data())));
      info.type = PageTypeIDUnknown;
      continue;
    }
    switch (mapPage.kind) {
      case tpkRecords:
      case tpkContinuation:
        if (info.type != PageTypeIDTableRows) {
          Problem(table, PageText(pageNo) + " is a record page in the map but has type " + PageTypeName(info.type));
          break;
        }
        if (mapPage.kind == tpkContinuation) {
          if (mapPage.value != 0) Problem(table, PageText(pageNo) + " continues a record but has PageValue " +
                                                     std::to_string(mapPage.value));
        } else if (table.fieldsKnown) {
          // Records are checked once every item of the table is known.
          recordPages.push_back(pageNo);
        }
        break;
      case tpkStrings:
      case tpkBlobs:
        if (info.type == PageTypeIDTableDataSmall) {
          CheckSmallDataPage(table, pageNo, page);
        } else if (info.type == PageTypeIDTableDataLarge) {
          if (mapPage.value != 0)
            Problem(table, PageText(pageNo) + " holds a large item but has PageValue " + std::to_string(mapPage.value));
        } else {
          Problem(table, PageText(pageNo) + " is a data page in the map but has type " + PageTypeName(info.type));
        }
        break;
    }
  }
  for (int32_t pageNo : recordPages) {
    if (table.layout.large)
      CheckLargeRecord(table, pageNo);
    else if (ReadPage(pageNo, page))
      CheckRecordPage(table, pageNo, page);
  }
  CheckLeftovers(table);
}

void TDVXRecordChecker::CheckRecordPage(TTable& table, int32_t pageNo, const std::vector<uint8_t>& page) {
  const TDVXRecordPageLayout& layout = table.layout;
  const uint8_t* data = page.data() + kPageHeaderSize;
  const uint16_t value = table.pages[pageNo].value;
  int used = 0;
  for (int s = 0; s < layout.recordsPerPage; ++s) {
    if (TDVXRecordPageLayout::SlotFree(data, s)) continue;
    ++used;
    CheckImage(table, data + layout.SlotOffset(s), "record (" + std::to_string(pageNo) + ", " + std::to_string(s) + ")");
  }
  if (value == 0 || value > layout.recordsPerPage || used != value)
    Problem(table, PageText(pageNo) + " has " + std::to_string(used) + " used slots of " +
                       std::to_string(layout.recordsPerPage) + " but PageValue " + std::to_string(value));
}

void TDVXRecordChecker::CheckLargeRecord(TTable& table, int32_t pageNo) {
  const TDVXRecordPageLayout& layout = table.layout;
  const std::string where = "record (" + std::to_string(pageNo) + ", 0)";
  if (table.pages[pageNo].value != 1)
    Problem(table, where + ": its first page has PageValue " + std::to_string(table.pages[pageNo].value) + ", not 1");
  std::vector<int32_t> chain{pageNo};
  std::set<int32_t> seen{pageNo};
  for (int32_t next = table.info[pageNo].next; next != kNoPage; next = table.info[next].next) {
    auto it = table.pages.find(next);
    if (static_cast<int>(chain.size()) == layout.ChainPages() || it == table.pages.end() ||
        it->second.kind != tpkContinuation || !seen.insert(next).second || !table.info.count(next)) {
      Problem(table, where + ": its chain leads to " + PageText(next) +
                         ", which is no continuation page of the record");
      return;
    }
    table.chained.insert(next);
    chain.push_back(next);
  }
  if (static_cast<int>(chain.size()) != layout.ChainPages()) {
    Problem(table, where + ": its chain has " + std::to_string(chain.size()) + " pages, not " +
                       std::to_string(layout.ChainPages()));
    return;
  }
  std::vector<uint8_t> image(static_cast<size_t>(layout.recordSize)), page;
  int offset = 0;
  for (int32_t no : chain) {
    if (!ReadPage(no, page)) return;
    const int piece = std::min(layout.recordSize - offset, dataSize_);
    std::copy_n(page.data() + kPageHeaderSize, piece, image.data() + offset);
    offset += piece;
  }
  CheckImage(table, image.data(), where);
}

void TDVXRecordChecker::CheckSmallDataPage(TTable& table, int32_t pageNo, const std::vector<uint8_t>& page) {
  TDVXSmallDataView layout{page.data() + kPageHeaderSize, dataSize_};
  const TDVXTablePageKind kind = table.pages[pageNo].kind;
  const int count = layout.ItemCount();
  if (count < 1 || count > layout.MaxItems()) {
    Problem(table, PageText(pageNo) + " has an item count of " + std::to_string(count));
    return;
  }
  int64_t used = 0;
  std::set<uint16_t> ids;
  for (int i = 0; i < count; ++i) {
    const int size = layout.ItemSize(i);
    const uint16_t id = layout.ItemID(i);
    if (size < kItemHeaderSize || used + size > dataSize_ - TDVXSmallDataPage::kCountSize - TDVXSmallDataPage::kEntrySize * count) {
      Problem(table, PageText(pageNo) + ": item " + std::to_string(id) + " of " + std::to_string(size) +
                         " bytes lies outside the page's items");
      return;
    }
    if (!ids.insert(id).second) Problem(table, PageText(pageNo) + ": item " + std::to_string(id) + " is listed twice");
    TDVXItemHeader header = TDVXItemHeader::Decode(layout.data + used);
    if (header.storedSize != static_cast<uint64_t>(size - kItemHeaderSize))
      Problem(table, PageText(pageNo) + ": item " + std::to_string(id) + " says " +
                         std::to_string(header.storedSize) + " stored bytes in an entry of " + std::to_string(size));
    table.items[{pageNo, id}] = {kind, header, 0};
    used += size;
  }
  const int64_t free = dataSize_ - TDVXSmallDataPage::kCountSize - TDVXSmallDataPage::kEntrySize * count - used;
  if (free != table.pages[pageNo].value)
    Problem(table, PageText(pageNo) + " has " + std::to_string(free) + " free bytes but PageValue " +
                       std::to_string(table.pages[pageNo].value));
}

void TDVXRecordChecker::CheckImage(TTable& table, const uint8_t* image, const std::string& where) {
  if (!table.fields.HasBlobOrVarStringFields()) return;
  for (int i = 0; i < table.fields.Count(); ++i) {
    const TDVXFieldDef& f = *table.fields.Items(i);
    if (!IsVariableField(f) || IsNull(i, image)) continue;
    CheckReference(table, f, TDVXRecordID::Decode(image + f.DiskOffset()), where + " field " + f.ObjectName());
  }
}

bool TDVXRecordChecker::FollowChain(TTable& table, int32_t first, TDVXTablePageKind kind, uint64_t length,
                                    const std::string& what, std::vector<int32_t>* pages) {
  std::set<int32_t> seen;
  uint64_t count = 0;
  for (int32_t no = first; no != kNoPage; ++count) {
    auto map = table.pages.find(no);
    auto info = table.info.find(no);
    if (count == length || map == table.pages.end() || info == table.info.end() || map->second.kind != kind ||
        info->second.type != PageTypeIDTableDataLarge || !seen.insert(no).second) {
      Problem(table, what + ": its chain leads to " + PageText(no) + ", which is no page of the item");
      return false;
    }
    if (map->second.value != 0) Problem(table, what + ": " + PageText(no) + " has PageValue " + std::to_string(map->second.value));
    if (pages) pages->push_back(no);
    table.chained.insert(no);
    no = info->second.next;
  }
  if (count != length) {
    Problem(table, what + ": its chain has " + std::to_string(count) + " pages, not " + std::to_string(length));
    return false;
  }
  return true;
}

void TDVXRecordChecker::CheckReference(TTable& table, const TDVXFieldDef& field, const TDVXRecordID& reference,
                                       const std::string& where) {
  const bool string = IsVariableStringType(field.BaseFieldType());
  const TDVXTablePageKind kind = string ? tpkStrings : tpkBlobs;
  const std::string what = where + " -> item (" + std::to_string(reference.pageNo) + ", " +
                           std::to_string(reference.itemNo) + ")";
  auto map = table.pages.find(reference.pageNo);
  auto info = table.info.find(reference.pageNo);
  if (map == table.pages.end() || info == table.info.end() || map->second.kind != kind) {
    Problem(table, what + " names no data page of the field's kind");
    return;
  }
  TDVXItemHeader header;
  if (info->second.type == PageTypeIDTableDataSmall) {
    auto item = table.items.find({reference.pageNo, reference.itemNo});
    if (item == table.items.end()) {
      Problem(table, what + " names no item of the page");
      return;
    }
    if (++item->second.references > 1) Problem(table, what + " is named by more than one reference");
    header = item->second.header;
  } else {
    if (reference.itemNo != 0) {
      Problem(table, what + " names a large item with an ItemID");
      return;
    }
    if (++table.largeItemReferences[reference.pageNo] > 1) {
      Problem(table, what + " is named by more than one reference");
      return;
    }
    header = info->second.head;
    const uint64_t pageCount = static_cast<uint64_t>(pageManager_.GetPageCount());
    if (header.storedSize > pageCount * static_cast<uint64_t>(dataSize_)) {
      Problem(table, what + " says " + std::to_string(header.storedSize) + " stored bytes, more than the file holds");
      return;
    }
    const uint64_t length = (kItemHeaderSize + header.storedSize + dataSize_ - 1) / dataSize_;
    if (!FollowChain(table, reference.pageNo, kind, length, what)) return;
  }
  if (string) {
    if (header.word0 != kVarStringWord0 || header.uncompressedSize == 0 ||
        header.uncompressedSize > static_cast<uint64_t>(field.MemoryDataSize()))
      Problem(table, what + " holds a string of " + std::to_string(header.uncompressedSize) +
                         " bytes for a slot of " + std::to_string(field.MemoryDataSize()));
    return;
  }
  if (field.BlobCompressionAlgorithm() == 0) {
    if (header.word0 != 0 || header.uncompressedSize != header.storedSize)
      Problem(table, what + " holds " + std::to_string(header.storedSize) + " stored bytes for a value of " +
                         std::to_string(header.uncompressedSize));
  } else if (header.word0 < 0) {
    Problem(table, what + " has a negative BlockCount");
  }
}

void TDVXRecordChecker::CheckLeftovers(TTable& table) {
  if (!table.fieldsKnown) return;
  for (const auto& [key, item] : table.items)
    if (item.references == 0)
      Problem(table, "item (" + std::to_string(key.first) + ", " + std::to_string(key.second) +
                         ") is named by no record");
  for (const auto& [pageNo, mapPage] : table.pages) {
    auto info = table.info.find(pageNo);
    if (info == table.info.end() || table.chained.count(pageNo)) continue;
    if (mapPage.kind == tpkContinuation)
      Problem(table, PageText(pageNo) + " continues no record");
    else if ((mapPage.kind == tpkStrings || mapPage.kind == tpkBlobs) &&
             info->second.type == PageTypeIDTableDataLarge)
      Problem(table, PageText(pageNo) + " belongs to no item a record names");
  }
}

}  // namespace dvx
