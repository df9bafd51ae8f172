#pragma once
// Record IDs as the index layer handles them in numbers: a hash for sets
// of them, and the record ID list of a restricted cursor.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/storage/record_id.h"

namespace dvx {

struct TDVXRecordIDHash {
  size_t operator()(const TDVXRecordID& id) const noexcept {
    return std::hash<uint64_t>()((static_cast<uint64_t>(static_cast<uint32_t>(id.pageNo)) << 16) | id.itemNo);
  }
};

// The record IDs a restricted cursor holds, in its order.
using TDVXRecordIDList = std::vector<TDVXRecordID>;

}  // namespace dvx
