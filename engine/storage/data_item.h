#pragma once
// Data items: the values of variable strings and BLOBs, kept outside the
// record image. A record holds, for each such non-null field, a 6-byte
// reference (PageNo of the item's first page, ItemID; record_id.h).
//
// Item header (20 bytes), then StoredSize bytes:
//   offset 0   4  Word0             variable string: -1; BLOB: BlockCount of
//                                   its compressed stream (0 uncompressed)
//   offset 4   8  UncompressedSize  string: bytes up to and including its
//                                   terminator; BLOB: bytes of the value
//   offset 12  8  StoredSize        bytes that follow
//
// Small-data page (PageType 10), for items of T = 20 + StoredSize below
// PageDataSize − 6. Data area:
//   0                                items, packed in directory order
//   PageDataSize − 2 − 4 × ItemCount directory, growing down from the end:
//                                    entry i at PageDataSize − 6 − 4i holds
//                                    ItemID (u16), ItemSize (u16, = T)
//   PageDataSize − 2              2  ItemCount (u16)
// An item lies at the sum of the ItemSizes of the entries before its own.
// Free space = PageDataSize − 2 − 4 × ItemCount − sum of ItemSizes; it is
// the page's PageValue in the table map. NextPageNo is -1.
//
// Large-data chain (PageType 11), otherwise: ceil(T / PageDataSize) pages
// linked by NextPageNo; the header starts the first page's data area and
// the bytes run on through the chain. Every page has PageValue 0; the
// reference's ItemID is 0.
#include <cstdint>
#include <type_traits>

#include "engine/core/byte_order.h"

namespace dvx {

constexpr int kItemHeaderSize = 20;
constexpr int kItemWord0Offset = 0;
constexpr int kItemUncompressedOffset = 4;
constexpr int kItemStoredOffset = 12;
constexpr int32_t kVarStringWord0 = -1;

struct TDVXItemHeader {
  int32_t word0 = 0;
  uint64_t uncompressedSize = 0;
  uint64_t storedSize = 0;

  void Encode(uint8_t* out) const {
    PutI32(out + kItemWord0Offset, word0);
    PutU64(out + kItemUncompressedOffset, uncompressedSize);
    PutU64(out + kItemStoredOffset, storedSize);
  }
  static TDVXItemHeader Decode(const uint8_t* in) {
    return {GetI32(in + kItemWord0Offset), GetU64(in + kItemUncompressedOffset), GetU64(in + kItemStoredOffset)};
  }
};

// The small-data page layout over a data area of `dataSize` bytes; the
// setters exist only over writable bytes (TDVXSmallDataPage), a view of a
// page that is only read has none (TDVXSmallDataView).
template <typename Byte>
struct TDVXSmallDataLayout {
  static constexpr int kCountSize = 2;
  static constexpr int kEntrySize = 4;
  // Items of this total size or more take a chain of their own.
  static int LargeItemLimit(int dataSize) { return dataSize - kCountSize - kEntrySize; }

  Byte* data;
  int dataSize;

  uint16_t ItemCount() const { return GetU16(data + dataSize - kCountSize); }
  void SetItemCount(uint16_t count)
    requires(!std::is_const_v<Byte>)
  {
    PutU16(data + dataSize - kCountSize, count);
  }
  int EntryOffset(int i) const { return dataSize - kCountSize - kEntrySize * (i + 1); }
  uint16_t ItemID(int i) const { return GetU16(data + EntryOffset(i)); }
  uint16_t ItemSize(int i) const { return GetU16(data + EntryOffset(i) + 2); }
  void SetEntry(int i, uint16_t itemID, uint16_t itemSize)
    requires(!std::is_const_v<Byte>)
  {
    PutU16(data + EntryOffset(i), itemID);
    PutU16(data + EntryOffset(i) + 2, itemSize);
  }
  // The most entries a page could hold with empty items.
  int MaxItems() const { return (dataSize - kCountSize) / kEntrySize; }
};
using TDVXSmallDataPage = TDVXSmallDataLayout<uint8_t>;
using TDVXSmallDataView = TDVXSmallDataLayout<const uint8_t>;

}  // namespace dvx
