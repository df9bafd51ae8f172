#pragma once
// Record identity of disk tables.
//
// A RecordID (6 bytes wherever it is stored: PageNo, signed 32-bit; then
// PageItemNo, unsigned 16-bit) names the record page holding a record (the
// first page of a large record) and its slot (0 for a large record). The
// same 6 bytes reference a data item: its first page and its ItemID.
// (-1, 65535) stands for no record.
//
// As numbers (bookmarks, record-number conversions of the table object):
// with w the bit length of RecordsPerPage (bits 0 to 15; 1 for large
// records) the number is PageNo × 2^w + (PageItemNo AND (2^w − 1)). It is
// computed in 64 bits both ways, so no two RecordIDs of a large file share a
// number and every number round-trips.
#include <cstdint>

#include "engine/core/byte_order.h"

namespace dvx {

struct TDVXRecordID {
  int32_t pageNo = -1;
  uint16_t itemNo = 65535;

  static constexpr int kSize = 6;
  void Encode(uint8_t* out) const {
    PutI32(out, pageNo);
    PutU16(out + 4, itemNo);
  }
  static TDVXRecordID Decode(const uint8_t* in) { return {GetI32(in), GetU16(in + 4)}; }
  bool IsNone() const { return pageNo == -1; }
  bool operator==(const TDVXRecordID&) const = default;
};

constexpr TDVXRecordID kNoRecordID{-1, 65535};

inline int RecordIDBitLength(int recordsPerPage) {
  int w = 0;
  for (uint32_t v = static_cast<uint32_t>(recordsPerPage) & 0xFFFF; v != 0; v >>= 1) ++w;
  return w;
}

inline int64_t RecordIDToNumber(const TDVXRecordID& id, int recordsPerPage) {
  const int w = RecordIDBitLength(recordsPerPage);
  const int64_t mask = (int64_t{1} << w) - 1;
  return static_cast<int64_t>(id.pageNo) * (int64_t{1} << w) + (id.itemNo & mask);
}

inline TDVXRecordID NumberToRecordID(int64_t number, int recordsPerPage) {
  const int w = RecordIDBitLength(recordsPerPage);
  const int64_t mask = (int64_t{1} << w) - 1;
  // Shifted first, then cut to 32 bits (an arithmetic shift, so the number
  // of (-1, n) comes back too).
  return {static_cast<int32_t>(number >> w), static_cast<uint16_t>(number & mask)};
}

// PageNo as signed 32-bit numbers first, then PageItemNo as unsigned 16-bit
// ones: -1, 0 or 1.
inline int CompareRecordIDs(const TDVXRecordID& a, const TDVXRecordID& b) {
  if (a.pageNo != b.pageNo) return a.pageNo < b.pageNo ? -1 : 1;
  if (a.itemNo != b.itemNo) return a.itemNo < b.itemNo ? -1 : 1;
  return 0;
}

}  // namespace dvx
