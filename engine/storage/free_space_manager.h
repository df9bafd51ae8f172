#pragma once
// TDVXDatabaseFreeSpaceManager: which page numbers of a database file are in
// use. Every allocation and release goes to the file at once, under the
// StateLockByte, outside any session's change set. The bitmaps live only in
// the file; the work buffers hold nothing between operations.
//
// Allocation:
//  - the last interval exactly full (PageCount a multiple of I): a new
//    interval is appended (PFS, GAM, SGAM and the new page);
//  - PageCount a multiple of B: a new PFS page and the new page are appended;
//  - otherwise the first free page of the first extent not marked full, in
//    interval order; none: one page is appended.
// Release clears the page's bit and its extent's marks, then cuts free pages
// off the end of the file, together with trailing bitmap pages that would
// describe only free pages, so the file never ends on a bitmap page.
//
// A failed operation rolls back what it wrote, so no page is left marked in
// use without an owner.
//
// An extent is marked full in the SGAM exactly when all its E pages are in
// use, and in the GAM exactly when one of its pages is.
#include <cstdint>
#include <map>
#include <vector>

#include "engine/storage/free_space_layout.h"
#include "engine/storage/lock_retry.h"

namespace dvx {

class TDVXDiskPageManager;

class TDVXDatabaseFreeSpaceManager {
 public:
  TDVXDatabaseFreeSpaceManager(TDVXDiskPageManager& pageManager, TDVXLockParams lockParams);

  // Writes pages 0 (PFS), 1 (GAM) and 2 (SGAM) of a new file.
  void CreateFreeSpace();
  int32_t AllocatePage();
  void FreePage(int32_t pageNo);
  int32_t FreePageCount();
  // Rewrites every GAM and SGAM bit from the PFS bits (the extent bits are
  // hints a crash may leave stale).
  void RecomputeExtentBits();

 private:
  enum class TKind { PFS, GAM, SGAM };
  struct TBitmap {
    TKind kind;
    std::vector<uint8_t> page;
    bool dirty = false;
    std::vector<uint8_t> original;  // as read; empty for a new bitmap page
    bool written = false;
  };

  // Lock, reread the header, run, write the bitmaps and the header, unlock.
  template <typename F>
  auto Bracket(int32_t lockCode, int32_t unlockCode, F&& work);
  uint8_t* Bitmap(TKind kind, int64_t pageNo);
  uint8_t* FreshBitmap(TKind kind, int64_t pageNo);
  void MarkDirty(int64_t pageNo) { bitmaps_[pageNo].dirty = true; }
  bool PageUsed(int64_t page);
  void SetPageUsed(int64_t page, bool used);
  void UpdateExtentMarks(int64_t page);
  void FlushBitmaps();
  // The dirty bitmap pages at or beyond the old PageCount (a growth's new
  // PFS, GAM and SGAM pages).
  void FlushNewBitmaps(int64_t oldPageCount);
  // After a failure part way: puts back the bitmap pages already written
  // and the page count as they were, so a failed operation leaves the file
  // as it found it (best effort; a second failure leaves it to the check).
  void Rollback(int64_t oldPageCount);
  void CheckBit(int64_t bit, int32_t code) const;
  int32_t GrowNewInterval();
  int32_t GrowNewPFS();
  int32_t GrowNormal();
  void Shrink();

  TDVXDiskPageManager& pageManager_;
  TDVXLockParams lockParams_;
  TDVXFreeSpaceLayout layout_;
  int64_t pageCount_ = 0;
  std::map<int64_t, TBitmap> bitmaps_;
};

}  // namespace dvx
