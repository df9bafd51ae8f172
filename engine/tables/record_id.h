#pragma once
// TDVXRecordID: where a record lies, the page number of its row and its
// item number there. Index entries, cursor positions and bookmarks carry
// it in this 6-byte form:
//   0  4  page number (int32, little-endian; -1 for no record)
//   4  2  item number (uint16)
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/core/byte_order.h"

namespace dvx {

struct TDVXRecordID {
  int32_t pageNo = -1;
  uint16_t itemNo = 0;
  bool operator==(const TDVXRecordID&) const = default;
};

constexpr int kRecordIDSize = 6;

inline void PutRecordID(uint8_t* p, const TDVXRecordID& id) {
  PutI32(p, id.pageNo);
  PutU16(p + 4, id.itemNo);
}
inline TDVXRecordID GetRecordID(const uint8_t* p) { return TDVXRecordID{GetI32(p), GetU16(p + 4)}; }

struct TDVXRecordIDHash {
  size_t operator()(const TDVXRecordID& id) const noexcept {
    return std::hash<uint64_t>()((static_cast<uint64_t>(static_cast<uint32_t>(id.pageNo)) << 16) | id.itemNo);
  }
};

// The record IDs a restricted cursor holds, in its order.
using TDVXRecordIDList = std::vector<TDVXRecordID>;

}  // namespace dvx
