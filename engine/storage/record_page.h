#pragma once
// Record pages (PageType 12, OwnerID = TableID) and the layout a table's
// on-disk record size R gives them, for a data area of D bytes.
//
// Small records, R at most floor((D − 1) / 2): RecordsPerPage starts at
// floor(D / R) and is lowered while ceil(RecordsPerPage / 8) +
// RecordsPerPage × R exceeds D; a result of 1 or less is an error.
//   data offset 0                  ceil(RecordsPerPage / 8)  slot bitmap:
//                                  slot s is bit s mod 8 of byte s div 8,
//                                  least significant bit first; 1 = free
//   data offset bitmap + s × R     R  slot s
// NextPageNo is -1. The page's PageValue is its number of records.
//
// Large records, otherwise (RecordsPerPage 1): each record has a chain of
// ceil(R / D) record pages linked by NextPageNo, holding the image in
// D-byte pieces (the last shorter). The first page is of kind 0 with
// PageValue 1, the others of kind 1 with PageValue 0.
#include <cstdint>

namespace dvx {

struct TDVXRecordPageLayout {
  int recordSize = 0;
  int dataSize = 0;
  bool large = false;
  int recordsPerPage = 1;
  int bitmapSize = 0;

  // Raises "Error calculating records per page. ..." (10522) when no two
  // small records fit.
  static TDVXRecordPageLayout For(int recordSize, int dataSize);

  int SlotOffset(int slot) const { return bitmapSize + slot * recordSize; }
  static bool SlotFree(const uint8_t* data, int slot) { return (data[slot / 8] >> (slot % 8)) & 1; }
  static void SetSlotFree(uint8_t* data, int slot, bool free) {
    const uint8_t bit = static_cast<uint8_t>(1u << (slot % 8));
    data[slot / 8] = free ? static_cast<uint8_t>(data[slot / 8] | bit) : static_cast<uint8_t>(data[slot / 8] & ~bit);
  }
  int ChainPages() const { return (recordSize + dataSize - 1) / dataSize; }
};

}  // namespace dvx
