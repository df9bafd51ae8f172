#pragma once
// TOutputWindow: the growing output buffer of a streaming decoder.
//
// A decoder is told the expected size, but that size comes from a file and
// may be a lie. The window therefore grows with what the decoder actually
// produces (doubling from a small start) instead of trusting the expected
// size up front, and never beyond expected + 1 bytes: the one spare byte
// lets a decoder notice a stream that is longer than announced.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace dvx {

class TOutputWindow {
 public:
  static constexpr size_t kFirstSize = 64 * 1024;

  explicit TOutputWindow(size_t expectedSize)
      : limit_(expectedSize == SIZE_MAX ? expectedSize : expectedSize + 1) {}

  // Free room after `produced` bytes, grown when it is used up; 0 once the
  // window holds expected + 1 bytes.
  size_t Room(size_t produced) {
    if (produced == bytes_.size() && bytes_.size() < limit_)
      bytes_.resize(std::min(limit_, std::max(kFirstSize, bytes_.size() * 2)));
    return bytes_.size() - produced;
  }
  uint8_t* At(size_t produced) { return bytes_.data() + produced; }
  bool Overflowed(size_t produced) const { return produced >= limit_; }

  std::vector<uint8_t> Take(size_t produced) {
    bytes_.resize(produced);
    return std::move(bytes_);
  }

 private:
  size_t limit_;
  std::vector<uint8_t> bytes_;
};

}  // namespace dvx
