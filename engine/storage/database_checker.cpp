#include "engine/storage/database_checker.h"

#include <cstring>
#include <set>

#include "engine/core/exception.h"
#include "engine/storage/free_space_layout.h"
#include "engine/storage/free_space_manager.h"
#include "engine/storage/internal_file.h"
#include "engine/storage/storage_errors.h"
#include "engine/storage/system_directory.h"
#include "engine/storage/owner_ids.h"
#include "engine/storage/table_list_file.h"

namespace dvx {

namespace {

// Whether a table may own index pages. Index pages carry no page header,
// so the checker cannot see them; until it walks index trees, any table
// whose metadata file holds definitions counts as one that may have
// indexes, and only tables without definitions can be vouched for.
bool HasIndexes(const std::vector<uint8_t>& metadata) { return !metadata.empty(); }

}  // namespace

TDVXDatabaseChecker::TDVXDatabaseChecker(TDVXDiskPageManager& pageManager) : pageManager_(pageManager) {}

void TDVXDatabaseChecker::Claim(int32_t pageNo, const std::string& owner) {
  auto [it, fresh] = owners_.emplace(pageNo, owner);
  if (!fresh) Problem("page " + std::to_string(pageNo) + " belongs to " + it->second + " and to " + owner);
}

void TDVXDatabaseChecker::AddReferencedPage(int32_t pageNo, const std::string& owner) { Claim(pageNo, owner); }

bool TDVXDatabaseChecker::ReadPage(int32_t pageNo, std::vector<uint8_t>& page) {
  page.assign(static_cast<size_t>(pageManager_.PageSize()), 0);
  try {
    pageManager_.ReadWholePage(page.data(), pageNo, kErrReadPage);
    return true;
  } catch (const EDVXException& e) {
    Problem("page " + std::to_string(pageNo) + ": " + e.Message());
    return false;
  }
}

bool TDVXDatabaseChecker::ReadInternalFile(int32_t firstPageNo, uint16_t pageType, const std::string& name,
                                           std::vector<uint8_t>& content, int32_t owner, bool direct) {
  content.clear();
  const int32_t pageCount = pageManager_.GetPageCount();
  const size_t dataSize = static_cast<size_t>(pageManager_.PageDataSize());
  // The engine opens a direct file only from page 4 on, a cached one from 3.
  if (firstPageNo < (direct ? 4 : 3) || firstPageNo >= pageCount) {
    Problem(name + ": first page " + std::to_string(firstPageNo) + " lies outside the file's " +
            std::to_string(pageCount) + " pages");
    return false;
  }
  std::set<int32_t> seen;
  std::vector<uint8_t> page;
  int64_t fileSize = -1;
  size_t chainPages = 0;
  for (int32_t no = firstPageNo; no != kNoPage;) {
    if (no < 0 || no >= pageCount) {
      Problem(name + ": the chain leads to page " + std::to_string(no) + " outside the file");
      return false;
    }
    if (!seen.insert(no).second) {
      Problem(name + ": the chain runs in a cycle at page " + std::to_string(no));
      return false;
    }
    Claim(no, name);
    if (!ReadPage(no, page)) return false;
    ++chainPages;
    if (!TDVXPageHeader::HasSignature(page.data()))
      Problem(name + ": page " + std::to_string(no) + " has no page signature");
    if (TDVXPageHeader::PageType(page.data()) != pageType)
      Problem(name + ": page " + std::to_string(no) + " has type " +
              PageTypeName(TDVXPageHeader::PageType(page.data())) + " instead of " + PageTypeName(pageType));
    if (no == firstPageNo && owner != kNoOwnerCheck && TDVXPageHeader::OwnerID(page.data()) != owner)
      Problem(name + ": first page " + std::to_string(no) + " has OwnerID " +
              std::to_string(TDVXPageHeader::OwnerID(page.data())) + " instead of " + std::to_string(owner));
    // Reserved -1 at offset 26; pages of direct files made before it was
    // written there hold 0.
    const int32_t reserved26 = GetI32(page.data() + kPageReserved26Offset);
    if (reserved26 != -1 && !(direct && reserved26 == 0))
      Problem(name + ": page " + std::to_string(no) + " holds " + std::to_string(reserved26) +
              " at header offset 26 instead of -1");
    const uint8_t* data = page.data() + kPageHeaderSize;
    size_t start = 0;
    if (no == firstPageNo) {
      TDVXInternalFileHeader header;
      if (!TDVXInternalFileHeader::Decode(data, header)) {
        Problem(name + ": page " + std::to_string(no) + " has no internal-file signature");
        return false;
      }
      fileSize = header.fileSize;
      if (direct && fileSize == 0) {
        Problem(name + ": file size 0, which the engine refuses to open");
        return false;
      }
      if (fileSize < 0 || fileSize + kInternalFileHeaderSize > static_cast<int64_t>(pageCount) * static_cast<int64_t>(dataSize)) {
        Problem(name + ": invalid file size " + std::to_string(fileSize));
        return false;
      }
      start = kInternalFileHeaderSize;
    }
    size_t take = std::min(static_cast<size_t>(fileSize) - content.size(), dataSize - start);
    content.insert(content.end(), data + start, data + start + take);
    no = TDVXPageHeader::NextPageNo(page.data());
    if (content.size() == static_cast<size_t>(fileSize) && no != kNoPage && fileSize > 0) {
      // Pages after the content are allowed by nothing.
      Problem(name + ": the chain goes on after its " + std::to_string(fileSize) + " bytes");
      return false;
    }
  }
  if (content.size() != static_cast<size_t>(fileSize)) {
    Problem(name + ": file size " + std::to_string(fileSize) + " but the chain of " + std::to_string(chainPages) +
            " pages holds " + std::to_string(content.size()) + " bytes");
    return false;
  }
  return true;
}

void TDVXDatabaseChecker::CheckBitmaps() {
  const int64_t pageCount = pageManager_.GetPageCount();
  TDVXFreeSpaceLayout layout(pageManager_.PageSize(), pageManager_.Header().extentPageCount);
  std::vector<uint8_t> pfs, gam, sgam;
  auto bitmapOk = [&](int64_t no, uint16_t type, std::vector<uint8_t>& page) {
    if (!ReadPage(static_cast<int32_t>(no), page)) return false;
    if (!TDVXPageHeader::HasSignature(page.data()) || TDVXPageHeader::PageType(page.data()) != type) {
      Problem("page " + std::to_string(no) + " should be a " + PageTypeName(type) + " page but has type " +
              PageTypeName(TDVXPageHeader::PageType(page.data())));
      return false;
    }
    if (TDVXPageHeader::OwnerID(page.data()) != kOwnerFreeSpace || TDVXPageHeader::NextPageNo(page.data()) != kNoPage)
      Problem("bitmap page " + std::to_string(no) + " has OwnerID " +
              std::to_string(TDVXPageHeader::OwnerID(page.data())) + " and NextPageNo " +
              std::to_string(TDVXPageHeader::NextPageNo(page.data())) + " instead of -5 and -1");
    return true;
  };
  std::vector<bool> used(static_cast<size_t>(pageCount), false);
  for (int64_t p = 0; p < pageCount; p += layout.bitsPerPage) {
    Claim(static_cast<int32_t>(p), "the free-space bitmaps");
    if (!bitmapOk(p, PageTypeIDPFS, pfs)) continue;
    for (int64_t b = 0; b < layout.bitsPerPage && p + b < pageCount; ++b)
      used[static_cast<size_t>(p + b)] = BitmapBit(pfs.data() + kPageHeaderSize, b);
  }
  for (int64_t start = 0; start < pageCount; start += layout.intervalPages) {
    if (start + 2 >= pageCount) {
      Problem("the file ends on the bitmap pages of the interval at page " + std::to_string(start));
      break;
    }
    Claim(static_cast<int32_t>(start + 1), "the free-space bitmaps");
    Claim(static_cast<int32_t>(start + 2), "the free-space bitmaps");
    if (!bitmapOk(start + 1, PageTypeIDGAM, gam) || !bitmapOk(start + 2, PageTypeIDSGAM, sgam)) continue;
    for (int64_t e = 0; e < layout.intervalPages / layout.extentPages; ++e) {
      int64_t first = start + e * layout.extentPages;
      int64_t inUse = 0;
      for (int64_t q = first; q < first + layout.extentPages && q < pageCount; ++q) inUse += used[q];
      bool gamBit = BitmapBit(gam.data() + kPageHeaderSize, e);
      bool sgamBit = BitmapBit(sgam.data() + kPageHeaderSize, e);
      // The extent bits are hints the allocator checks against the PFS
      // bits; a crash between two bitmap writes may leave them stale.
      if (gamBit != (inUse > 0))
        staleExtents_.push_back("GAM bit of extent " + std::to_string(e) + " at page " + std::to_string(first) +
                                " is " + std::to_string(gamBit) + " but " + std::to_string(inUse) +
                                " of its pages are in use");
      if (sgamBit != (inUse == layout.extentPages))
        staleExtents_.push_back("SGAM bit of extent " + std::to_string(e) + " at page " + std::to_string(first) +
                                " is " + std::to_string(sgamBit) + " but " + std::to_string(inUse) + " of its " +
                                std::to_string(layout.extentPages) + " pages are in use");
      if (first >= pageCount) break;
    }
  }
  for (int64_t p = 0; p < pageCount; ++p) {
    bool referenced = owners_.count(static_cast<int32_t>(p)) != 0;
    if (used[p] && !referenced) unowned_.push_back(static_cast<int32_t>(p));
    if (!used[p] && referenced)
      Problem("page " + std::to_string(p) + " belongs to " + owners_[static_cast<int32_t>(p)] +
              " but is marked free");
  }
}

std::vector<std::string> TDVXDatabaseChecker::Check() {
  std::vector<uint8_t> content;
  if (ReadInternalFile(kSystemDirectoryPageNo, PageTypeIDFileSystemDirectory, "the system directory", content,
                       kOwnerSystemDirectory)) {
    if (content.size() % kDirectoryEntrySize != 0 || content.size() < kMinDirectoryEntries * kDirectoryEntrySize)
      Problem("the system directory holds " + std::to_string(content.size()) + " bytes, not two or more entries");
    auto entries = TDVXDirectoryEntry::DecodeAll(content);
    int32_t sessions = TDVXDirectoryEntry::Find(entries, kActiveSessionsFileID);
    int32_t tables = TDVXDirectoryEntry::Find(entries, kTableListFileID);
    std::vector<uint8_t> ignored;
    if (sessions == kNoPage)
      Problem("the system directory has no active sessions file");
    else
      ReadInternalFile(sessions, PageTypeIDActiveSessionList, "the active sessions file", ignored,
                       kOwnerActiveSessions, true);
    if (tables == kNoPage) {
      Problem("the system directory has no table list file");
    } else if (ReadInternalFile(tables, PageTypeIDTableList, "the table list file", content, kOwnerTableList)) {
      if (content.size() % kTableListRecordSize != 0) {
        Problem("the table list file holds " + std::to_string(content.size()) +
                " bytes, not a multiple of 544");
      } else {
        for (size_t at = 0; at < content.size(); at += kTableListRecordSize) {
          auto r = TDVXTableListRecord::Decode(content.data() + at);
          std::string table = "table '" + r.tableName + "'";
          if (ReadInternalFile(r.metadataFirstPageNo, DVXPageTypeIDTableMetadata, table + " metadata file", ignored,
                               r.tableID) &&
              HasIndexes(ignored) && reclaimRefusal_.empty())
            reclaimRefusal_ = table + " has indexes, whose pages are not walked yet";
          ReadInternalFile(r.mostUpdatedFirstPageNo, DVXPageTypeIDTableMostUpdated, table + " most-updated file",
                           ignored, r.tableID);
          if (ReadInternalFile(r.pfsMapFirstPageNo, PageTypeIDTablePFSMap, table + " PFS map file", ignored,
                               r.tableID) &&
              !ignored.empty() && (ignored.size() < 4 || (ignored.size() - 4) % 8 != 0))
            Problem(table + " PFS map file holds " + std::to_string(ignored.size()) +
                    " bytes, not 4 + 8 per entry");
          ReadInternalFile(r.locksFirstPageNo, PageTypeIDTableLocks, table + " locks file", ignored, r.tableID, true);
        }
      }
    }
  }
  CheckBitmaps();
  return problems_;
}

int32_t TDVXDatabaseChecker::Reclaim() {
  int32_t freed = 0;
  for (int32_t no : unowned_) {
    pageManager_.FreePageNo(no);
    ++freed;
  }
  unowned_.clear();
  if (!staleExtents_.empty()) pageManager_.FreeSpaceManager().RecomputeExtentBits();
  staleExtents_.clear();
  return freed;
}

}  // namespace dvx
