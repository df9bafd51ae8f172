#include "engine/query/value_arena.h"

#include <cstring>

namespace dvx {

uint8_t* TDVXValueArena::Allocate(size_t size) {
  // Values are kept 8-byte aligned, as the values' own buffers are.
  size = (size + 7) & ~static_cast<size_t>(7);
  if (size > kBlockSize / 4) {
    // A large value gets a block of its own.
    large_.push_back(std::make_unique<uint8_t[]>(size));
    return large_.back().get();
  }
  if (used_ + size > kBlockSize) {
    blocks_.push_back(std::make_unique<uint8_t[]>(kBlockSize));
    used_ = 0;
  }
  uint8_t* at = blocks_.back().get() + used_;
  used_ += size;
  return at;
}

void TDVXValueArena::Store(const TDVXVariant& value, TDVXVariant& target) {
  if (value.IsNull()) {
    target.Clear(value.DataType());
    return;
  }
  const int32_t size = value.DataSize();
  uint8_t* at = Allocate(static_cast<size_t>(size));
  std::memcpy(at, value.Data(), static_cast<size_t>(size));
  target.SetBuffer(at, size, false, value.DataType());
}

}  // namespace dvx
