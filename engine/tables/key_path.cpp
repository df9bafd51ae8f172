#include "engine/tables/key_path.h"

#include "engine/values/value_errors.h"

namespace dvx {

void TDVXKeyPath::Push(int32_t pageNo, int entryNo, int count) {
  if (depth_ >= kMaxDepth || entryNo < 0 || entryNo > 0xFFFF || count < 0 || count > 0xFFFF) RaiseRangeError();
  levels_[static_cast<size_t>(depth_)] =
      TDVXKeyPathLevel{pageNo, static_cast<uint16_t>(entryNo), static_cast<uint16_t>(count)};
  ++depth_;
}

void TDVXKeyPath::Pop() {
  if (depth_ > 0) --depth_;
}

const TDVXKeyPathLevel& TDVXKeyPath::Level(int level) const {
  if (level < 0 || level >= depth_) RaiseRangeError();
  return levels_[static_cast<size_t>(level)];
}

TDVXKeyPathLevel& TDVXKeyPath::Level(int level) {
  if (level < 0 || level >= depth_) RaiseRangeError();
  return levels_[static_cast<size_t>(level)];
}

double TDVXKeyPath::Position() const {
  double position = 0, scale = 1;
  // From the leaf up: each level's entry counts as many deeper entries as
  // the product of the counts below it.
  for (int i = depth_ - 1; i >= 0; --i) {
    const TDVXKeyPathLevel& l = levels_[static_cast<size_t>(i)];
    if (l.count == 0) return 0;
    position += l.entryNo * scale;
    scale *= l.count;
  }
  return depth_ == 0 ? 0 : position / scale;
}

}  // namespace dvx
