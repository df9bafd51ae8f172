#pragma once
// TDVXValueArena: the bytes of materialized values, kept in large blocks
// that never move. A stored value is a borrowed variant pointing into the
// arena: rows of thousands of values then cost no allocation per value,
// and freeing them costs nothing until the arena goes. A value stored here
// stays valid for as long as the arena lives.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/values/variant.h"

namespace dvx {

class TDVXValueArena {
 public:
  static constexpr size_t kBlockSize = 64 * 1024;

  // Makes `target` a borrowed copy of `value` (NULL stays NULL, of the
  // value's type).
  void Store(const TDVXVariant& value, TDVXVariant& target);

 private:
  uint8_t* Allocate(size_t size);

  std::vector<std::unique_ptr<uint8_t[]>> blocks_;
  std::vector<std::unique_ptr<uint8_t[]>> large_;
  size_t used_ = kBlockSize;
};

}  // namespace dvx
