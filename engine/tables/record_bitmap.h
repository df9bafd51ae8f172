#pragma once
// TDVXRecordBitmap: the record ID list of a restricted cursor. The
// TDVXRecordIDArray holds the set in the cursor's order; the map beside it
// answers "is this record in the set, and where" in constant time.
#include <cstdint>
#include <unordered_map>
#include <utility>

#include "engine/tables/record_id_list.h"

namespace dvx {

using TDVXRecordIDArray = TDVXRecordIDList;

class TDVXRecordBitmap {
 public:
  void Assign(TDVXRecordIDArray ids) {
    ids_ = std::move(ids);
    positions_.clear();
    positions_.reserve(ids_.size());
    for (size_t i = 0; i < ids_.size(); ++i) positions_.emplace(ids_[i], static_cast<int64_t>(i));
  }
  void Clear() { Assign({}); }
  const TDVXRecordIDArray& Items() const { return ids_; }
  int64_t Count() const { return static_cast<int64_t>(ids_.size()); }
  bool Contains(const TDVXRecordID& id) const { return positions_.count(id) != 0; }
  // 0-based place in the list; -1 when the record is not in the set.
  int64_t IndexOf(const TDVXRecordID& id) const {
    auto it = positions_.find(id);
    return it == positions_.end() ? -1 : it->second;
  }
  const TDVXRecordID& operator[](int64_t i) const { return ids_[static_cast<size_t>(i)]; }

 private:
  TDVXRecordIDArray ids_;
  std::unordered_map<TDVXRecordID, int64_t, TDVXRecordIDHash> positions_;
};

}  // namespace dvx
