#pragma once
// Table PFS pages (PageType 13, OwnerID = TableID): the page map of one
// table over a run of N = floor(PageDataSize × 8 / 18) database pages
// (1802 at PageSize 4096). Data area:
//   offset 0    2 × N          PageValue of each covered page, unsigned
//                              16-bit, in page-number order; 65535 = the
//                              page does not belong to the table
//   offset 2N   ceil(N / 4)    2-bit kinds: covered page i has its kind in
//                              byte 2N + i div 4, bits 2 × (i mod 4) and
//                              2 × (i mod 4) + 1
// PageValue is the number of records on a record page (kind 0), 0 on a
// continuation page of a large record (kind 1), and the free bytes of a
// data page (kinds 2 and 3; 0 on pages of large items). A new table PFS
// page has every PageValue 65535; its kind bytes are left as they were.
//
// Entry i of the table's PFS map file names the table PFS page covering
// database pages i × N … i × N + N − 1.
#include <cstdint>

#include "engine/core/byte_order.h"

namespace dvx {

constexpr uint16_t kPageValueFree = 65535;

enum TDVXTablePageKind : uint8_t {
  tpkRecords = 0,       // a page of record slots, or the first page of a large record
  tpkContinuation = 1,  // a further page of a large record
  tpkStrings = 2,       // data items of variable strings
  tpkBlobs = 3,         // data items of BLOBs
};

struct TDVXTablePFSLayout {
  int coverage = 0;    // N
  int kindOffset = 0;  // 2N

  explicit TDVXTablePFSLayout(int pageDataSize) : coverage(pageDataSize * 8 / 18), kindOffset(2 * coverage) {}

  uint16_t Value(const uint8_t* data, int index) const { return GetU16(data + 2 * index); }
  void SetValue(uint8_t* data, int index, uint16_t value) const { PutU16(data + 2 * index, value); }
  TDVXTablePageKind Kind(const uint8_t* data, int index) const {
    return static_cast<TDVXTablePageKind>((data[kindOffset + index / 4] >> (2 * (index % 4))) & 3);
  }
  void SetKind(uint8_t* data, int index, TDVXTablePageKind kind) const {
    uint8_t& byte = data[kindOffset + index / 4];
    const int shift = 2 * (index % 4);
    byte = static_cast<uint8_t>((byte & ~(3 << shift)) | ((kind & 3) << shift));
  }
  // Every PageValue 65535.
  void Format(uint8_t* data) const {
    for (int i = 0; i < coverage; ++i) SetValue(data, i, kPageValueFree);
  }
};

}  // namespace dvx
