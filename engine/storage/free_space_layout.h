#pragma once
// Where the free-space bitmaps lie and which bit describes what.
//
// B = PageDataSize × 8 bits per bitmap page, E = ExtentPageCount pages per
// extent, I = E × B pages per interval.
//   PFS   (type 4)  at every multiple of B; bit b describes page P + b
//                   (1 = in use). The PFS page at an interval's start also
//                   marks itself, the GAM and the SGAM page in use.
//   GAM   (type 2)  at interval start + 1; bit j: extent j of the interval
//                   holds at least one page in use.
//   SGAM  (type 3)  at interval start + 2; bit j: extent j is full.
// Bit b is bit b mod 8 of data byte b div 8, least significant bit first.
// Bitmap pages carry a page header with OwnerID -5 and NextPageNo -1.
#include <cstdint>

#include "engine/storage/page_types.h"

namespace dvx {

struct TDVXFreeSpaceLayout {
  TDVXFreeSpaceLayout(int pageSize, int extentPageCount)
      : bitsPerPage(static_cast<int64_t>(pageSize - kPageHeaderSize) * 8),
        extentPages(extentPageCount),
        intervalPages(bitsPerPage * extentPageCount) {}

  int64_t bitsPerPage;    // B
  int64_t extentPages;    // E
  int64_t intervalPages;  // I

  int64_t PFSPageOf(int64_t page) const { return page / bitsPerPage * bitsPerPage; }
  int64_t IntervalStartOf(int64_t page) const { return page / intervalPages * intervalPages; }
  int64_t ExtentOf(int64_t page) const { return (page - IntervalStartOf(page)) / extentPages; }
  bool IsPFSPage(int64_t page) const { return page % bitsPerPage == 0; }
  bool IsGAMPage(int64_t page) const { return page % intervalPages == 1; }
  bool IsSGAMPage(int64_t page) const { return page % intervalPages == 2; }
  bool IsBitmapPage(int64_t page) const { return IsPFSPage(page) || IsGAMPage(page) || IsSGAMPage(page); }
};

inline bool BitmapBit(const uint8_t* data, int64_t bit) { return (data[bit >> 3] >> (bit & 7)) & 1; }
inline void SetBitmapBit(uint8_t* data, int64_t bit, bool value) {
  if (value)
    data[bit >> 3] = static_cast<uint8_t>(data[bit >> 3] | (1u << (bit & 7)));
  else
    data[bit >> 3] = static_cast<uint8_t>(data[bit >> 3] & ~(1u << (bit & 7)));
}

}  // namespace dvx
