#include "engine/storage/free_space_manager.h"
#include "engine/core/cleanup_failures.h"
#include "engine/storage/storage_errors.h"
#include "engine/storage/owner_ids.h"

#include <cstring>

#include "engine/storage/disk_page_manager.h"
#include "engine/core/exception.h"

namespace dvx {
TDVXDatabaseFreeSpaceManager::TDVXDatabaseFreeSpaceManager(TDVXDiskPageManager& pageManager,
                                                           TDVXLockParams lockParams)
    : pageManager_(pageManager),
      lockParams_(lockParams),
      layout_(pageManager.PageSize(), pageManager.Header().extentPageCount) {}

template <typename F>
auto TDVXDatabaseFreeSpaceManager::Bracket(int32_t lockCode, int32_t unlockCode, F&& work) {
  TDVXLockByteGuard lock(pageManager_, TDVXLockByte::State, [&] {
    return EDVXException(lockCode, "Error - cannot lock FreeSpaceManager, RetryCount = %d, Delay = %d",
                         {lockParams_.retryCount, lockParams_.delay});
  });
  bitmaps_.clear();
  int64_t oldPageCount = -1;
  try {
    // An exclusive open is the only writer of the header.
    if (!pageManager_.Exclusive()) pageManager_.ReadHeader();
    pageCount_ = oldPageCount = pageManager_.GetPageCount();
    auto result = work();
    if (pageCount_ > oldPageCount) {
      // Growing: the new bitmap pages go into the longer file before
      // PageCount covers them, and PageCount is written before any bitmap
      // marks a page beyond the old end in use. A crash in between leaves
      // free pages at the end, never a PageCount over a page that is not
      // formatted.
      pageManager_.ExtendFile(static_cast<int32_t>(pageCount_));
      FlushNewBitmaps(oldPageCount);
      pageManager_.AppendPages(static_cast<int32_t>(pageCount_ - oldPageCount));
    }
    // Shrinking writes the smaller PageCount before it cuts the file
    // (SetLastPage); nothing else of the header changes here.
    FlushBitmaps();
    bitmaps_.clear();
    lock.Release([&] { return EDVXException(unlockCode, "Error - cannot unlock FreeSpaceManager"); });
    return result;
  } catch (...) {
    if (oldPageCount >= 0) Rollback(oldPageCount);
    bitmaps_.clear();
    throw;
  }
}

void TDVXDatabaseFreeSpaceManager::Rollback(int64_t oldPageCount) {
  bool encrypted = pageManager_.Encrypted();
  try {
    if (pageManager_.GetPageCount() != oldPageCount) pageManager_.RestorePageCount(static_cast<int32_t>(oldPageCount));
    for (auto& [no, bitmap] : bitmaps_)
      if (bitmap.written && !bitmap.original.empty() && no < oldPageCount)
        pageManager_.WriteWholePage(bitmap.original.data(), static_cast<int32_t>(no),
                                    encrypted ? kErrWritePartEncrypted : kErrWritePagePart);
  } catch (...) {
    NoteCleanupFailure("writing back the free space bitmaps");
  }
}

void TDVXDatabaseFreeSpaceManager::CheckBit(int64_t bit, int32_t code) const {
  if (bit < 0 || bit >= layout_.bitsPerPage)
    throw EDVXException(code, "Error - invalid BitNo = %d, PageDataSize = %d",
                        {bit, pageManager_.PageDataSize()});
}

uint8_t* TDVXDatabaseFreeSpaceManager::Bitmap(TKind kind, int64_t pageNo) {
  auto it = bitmaps_.find(pageNo);
  if (it != bitmaps_.end()) return it->second.page.data() + kPageHeaderSize;
  TBitmap bitmap{kind, std::vector<uint8_t>(static_cast<size_t>(pageManager_.PageSize())), false, {}, false};
  bool encrypted = pageManager_.Encrypted();
  pageManager_.ReadWholePage(bitmap.page.data(), static_cast<int32_t>(pageNo),
                             encrypted ? kErrReadPartEncrypted : kErrReadPagePart);
  uint16_t expected = kind == TKind::PFS ? PageTypeIDPFS : kind == TKind::GAM ? PageTypeIDGAM : PageTypeIDSGAM;
  uint16_t type = TDVXPageHeader::PageType(bitmap.page.data());
  if (type != expected || !TDVXPageHeader::HasSignature(bitmap.page.data())) {
    int32_t code = kind == TKind::PFS ? kErrBadPFSPage : kind == TKind::GAM ? kErrBadGAMPage : kErrBadSGAMPage;
    if (encrypted)
      code = kind == TKind::PFS   ? kErrBadPFSPageEncrypted
             : kind == TKind::GAM ? kErrBadGAMPageEncrypted
                                  : kErrBadSGAMPageEncrypted;
    throw EDVXException(code, "Error - invalid FSM page, pageNo = %d, page type = %d", {pageNo, type});
  }
  bitmap.original = bitmap.page;
  return bitmaps_.emplace(pageNo, std::move(bitmap)).first->second.page.data() + kPageHeaderSize;
}

uint8_t* TDVXDatabaseFreeSpaceManager::FreshBitmap(TKind kind, int64_t pageNo) {
  TBitmap bitmap{kind, std::vector<uint8_t>(static_cast<size_t>(pageManager_.PageSize())), true, {}, false};
  uint16_t type = kind == TKind::PFS ? PageTypeIDPFS : kind == TKind::GAM ? PageTypeIDGAM : PageTypeIDSGAM;
  TDVXPageHeader::Format(bitmap.page.data(), type, kNoPage, kOwnerFreeSpace);
  bitmaps_[pageNo] = std::move(bitmap);
  return bitmaps_[pageNo].page.data() + kPageHeaderSize;
}

bool TDVXDatabaseFreeSpaceManager::PageUsed(int64_t page) {
  if (page < 0 || page >= pageCount_) return false;
  int64_t pfs = layout_.PFSPageOf(page);
  return BitmapBit(Bitmap(TKind::PFS, pfs), page - pfs);
}

void TDVXDatabaseFreeSpaceManager::SetPageUsed(int64_t page, bool used) {
  int64_t pfs = layout_.PFSPageOf(page);
  CheckBit(page - pfs, used ? kErrBitNoAllocate : kErrBitNoFree);
  SetBitmapBit(Bitmap(TKind::PFS, pfs), page - pfs, used);
  MarkDirty(pfs);
}

// Sets the GAM and SGAM bits of the extent holding `page` from the PFS
// bits of its pages within PageCount.
void TDVXDatabaseFreeSpaceManager::UpdateExtentMarks(int64_t page) {
  int64_t start = layout_.IntervalStartOf(page);
  if (start >= pageCount_) return;
  int64_t extent = layout_.ExtentOf(page);
  CheckBit(extent, kErrBitNoShrink);
  int64_t first = start + extent * layout_.extentPages;
  int64_t used = 0;
  for (int64_t q = first; q < first + layout_.extentPages; ++q) used += PageUsed(q) ? 1 : 0;
  uint8_t* gam = Bitmap(TKind::GAM, start + 1);
  if (BitmapBit(gam, extent) != (used > 0)) {
    SetBitmapBit(gam, extent, used > 0);
    MarkDirty(start + 1);
  }
  uint8_t* sgam = Bitmap(TKind::SGAM, start + 2);
  bool full = used == layout_.extentPages;
  if (BitmapBit(sgam, extent) != full) {
    SetBitmapBit(sgam, extent, full);
    MarkDirty(start + 2);
  }
}

void TDVXDatabaseFreeSpaceManager::FlushBitmaps() {
  bool encrypted = pageManager_.Encrypted();
  // GAM and SGAM first, PFS last: a PFS bit is the allocation itself.
  for (TKind kind : {TKind::GAM, TKind::SGAM, TKind::PFS})
    for (auto& [no, bitmap] : bitmaps_)
      if (bitmap.kind == kind && bitmap.dirty) {
        bitmap.written = true;
        pageManager_.WriteWholePage(bitmap.page.data(), static_cast<int32_t>(no),
                                    encrypted ? kErrWritePartEncrypted : kErrWritePagePart);
        bitmap.dirty = false;
      }
}

void TDVXDatabaseFreeSpaceManager::FlushNewBitmaps(int64_t oldPageCount) {
  bool encrypted = pageManager_.Encrypted();
  for (auto& [no, bitmap] : bitmaps_)
    if (no >= oldPageCount && bitmap.dirty) {
      bitmap.written = true;
      pageManager_.WriteNewPage(bitmap.page.data(), static_cast<int32_t>(no),
                                encrypted ? kErrWritePartEncrypted : kErrWritePagePart);
      bitmap.dirty = false;
    }
}

void TDVXDatabaseFreeSpaceManager::CreateFreeSpace() {
  if (layout_.extentPages < kMinExtentPageCount)
    throw EDVXException(kErrTooSmallExtent, "Error - Too small ExtentPageCount: < 4");
  bitmaps_.clear();
  uint8_t* pfs = FreshBitmap(TKind::PFS, 0);
  uint8_t* gam = FreshBitmap(TKind::GAM, 1);
  FreshBitmap(TKind::SGAM, 2);
  for (int b = 0; b < 3; ++b) SetBitmapBit(pfs, b, true);
  SetBitmapBit(gam, 0, true);
  pageManager_.AppendPages(3);
  FlushBitmaps();
  bitmaps_.clear();
}

int32_t TDVXDatabaseFreeSpaceManager::GrowNewInterval() {
  int64_t start = pageCount_;
  uint8_t* pfs = FreshBitmap(TKind::PFS, start);
  FreshBitmap(TKind::GAM, start + 1);
  FreshBitmap(TKind::SGAM, start + 2);
  for (int b = 0; b < 4; ++b) SetBitmapBit(pfs, b, true);
  pageCount_ += 4;
  UpdateExtentMarks(start + 3);
  return static_cast<int32_t>(start + 3);
}

int32_t TDVXDatabaseFreeSpaceManager::GrowNewPFS() {
  int64_t p = pageCount_;
  uint8_t* pfs = FreshBitmap(TKind::PFS, p);
  SetBitmapBit(pfs, 0, true);
  SetBitmapBit(pfs, 1, true);
  pageCount_ += 2;
  UpdateExtentMarks(p);
  UpdateExtentMarks(p + 1);
  return static_cast<int32_t>(p + 1);
}

int32_t TDVXDatabaseFreeSpaceManager::GrowNormal() {
  int64_t q = pageCount_;
  int64_t pfs = layout_.PFSPageOf(q);
  CheckBit(q - pfs, kErrBitNoAllocate);
  SetBitmapBit(Bitmap(TKind::PFS, pfs), q - pfs, true);
  MarkDirty(pfs);
  pageCount_ += 1;
  UpdateExtentMarks(q);
  return static_cast<int32_t>(q);
}

int32_t TDVXDatabaseFreeSpaceManager::AllocatePage() {
  return Bracket(kErrLockAllocate, kErrUnlockAllocate, [&]() -> int32_t {
    // Page numbers are signed 32-bit; the file cannot grow past them.
    if (pageCount_ + 4 > INT32_MAX)
      throw EDVXException(kErrLockAllocate, "Error - database file '%s' cannot hold more pages",
                          {pageManager_.FileName()});
    if (pageCount_ % layout_.intervalPages == 0) return GrowNewInterval();
    if (pageCount_ % layout_.bitsPerPage == 0) return GrowNewPFS();
    int64_t intervals = (pageCount_ - 1) / layout_.intervalPages + 1;
    int64_t extentsPerInterval = layout_.intervalPages / layout_.extentPages;
    for (int64_t k = 0; k < intervals; ++k) {
      int64_t start = k * layout_.intervalPages;
      int64_t extents = extentsPerInterval;
      if (k == intervals - 1)
        extents = std::min<int64_t>(extents, (pageCount_ - start) / layout_.extentPages + 1);
      const uint8_t* sgam = Bitmap(TKind::SGAM, start + 2);
      Bitmap(TKind::GAM, start + 1);
      for (int64_t j = 0; j < extents; ++j) {
        if (BitmapBit(sgam, j)) continue;
        int64_t first = start + j * layout_.extentPages;
        for (int64_t q = first; q < first + layout_.extentPages && q < pageCount_; ++q) {
          if (PageUsed(q)) continue;
          SetPageUsed(q, true);
          UpdateExtentMarks(q);
          return static_cast<int32_t>(q);
        }
      }
    }
    return GrowNormal();
  });
}

void TDVXDatabaseFreeSpaceManager::FreePage(int32_t pageNo) {
  Bracket(kErrLockFree, kErrUnlockFree, [&]() -> int {
    if (pageNo < 0 || pageNo >= pageCount_)
      throw EDVXException(kErrFreeInvalidPage, "Invalid PageNo = %d", {pageNo});
    if (layout_.IsPFSPage(pageNo))
      throw EDVXException(kErrCannotFreePFS, "Error - cannot free PFS page, pageNo = %d", {pageNo});
    // The GAM and SGAM pages are bitmaps too; freeing them would let the
    // next allocation overwrite them.
    if (layout_.IsGAMPage(pageNo) || layout_.IsSGAMPage(pageNo))
      throw EDVXException(kErrCannotFreePFS, "Error - cannot free GAM or SGAM page, pageNo = %d", {pageNo});
    if (!PageUsed(pageNo))
      throw EDVXException(kErrFreeUnusedPage, "Error - page is not in use, pageNo = %d", {pageNo});
    SetPageUsed(pageNo, false);
    UpdateExtentMarks(pageNo);
    Shrink();
    return 0;
  });
}

void TDVXDatabaseFreeSpaceManager::Shrink() {
  int64_t last = pageCount_ - 1;
  while (last > 2) {
    if (!PageUsed(last)) {
      --last;
    } else if (last >= layout_.intervalPages && last % layout_.intervalPages <= 2) {
      // The interval holds nothing but its own bitmaps.
      last = layout_.IntervalStartOf(last) - 1;
    } else if (layout_.IsPFSPage(last)) {
      --last;  // a PFS page describing only free pages
    } else {
      break;
    }
  }
  if (last >= pageCount_ - 1) return;
  int64_t oldCount = pageCount_;
  pageManager_.SetLastPage(static_cast<int32_t>(last));
  pageCount_ = last + 1;
  // Extents cut in part lose their full mark; extents cut whole lose both.
  for (int64_t e = layout_.IntervalStartOf(pageCount_) + layout_.ExtentOf(pageCount_) * layout_.extentPages;
       e < oldCount && e < layout_.IntervalStartOf(pageCount_) + layout_.intervalPages;
       e += layout_.extentPages)
    UpdateExtentMarks(e);
  // Bitmap pages that were cut off are not written back.
  for (auto it = bitmaps_.begin(); it != bitmaps_.end();)
    it = it->first >= pageCount_ ? bitmaps_.erase(it) : std::next(it);
}

void TDVXDatabaseFreeSpaceManager::RecomputeExtentBits() {
  Bracket(kErrLockFree, kErrUnlockFree, [&]() -> int {
    for (int64_t page = 0; page < pageCount_; page += layout_.extentPages) UpdateExtentMarks(page);
    return 0;
  });
}

int32_t TDVXDatabaseFreeSpaceManager::FreePageCount() {
  return Bracket(kErrLockCount, kErrUnlockCount, [&]() -> int32_t {
    int64_t free = 0;
    for (int64_t pfs = 0; pfs < pageCount_; pfs += layout_.bitsPerPage) {
      const uint8_t* bits = Bitmap(TKind::PFS, pfs);
      int64_t end = std::min(pageCount_ - pfs, layout_.bitsPerPage);
      for (int64_t b = 0; b < end; ++b) free += BitmapBit(bits, b) ? 0 : 1;
      bitmaps_.erase(pfs);
    }
    return static_cast<int32_t>(free);
  });
}

}  // namespace dvx
