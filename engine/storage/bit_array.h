#pragma once
// TDVXBitArray: a growable array of bits, bit i in byte i div 8, least
// significant bit first. The page managers of memory and temporary storage
// mark their allocated page numbers in one.
//
// Stream form:
//   0  4  bit count n (signed 32-bit, 0 or more)
//   4  ceil(n / 8) bytes of bits; the unused high bits of the last byte are 0
#include <cstdint>
#include <vector>

#include "engine/core/stream.h"

namespace dvx {

class TDVXBitArray {
 public:
  int32_t Size() const { return size_; }
  // New bits are 0; bits cut off are gone.
  void Resize(int32_t size);
  bool Get(int32_t i) const { return (bytes_[static_cast<size_t>(i) >> 3] >> (i & 7)) & 1; }
  void Set(int32_t i, bool value);
  // The lowest i in [from, limit) whose bit is 0, or -1.
  int32_t FindClear(int32_t from, int32_t limit) const;
  // The highest i whose bit is 1, or -1.
  int32_t HighestSet() const;
  int32_t CountSet() const;
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

  void SaveToStream(TDVXStream& stream, int32_t code) const;
  // Refuses (with `invalidCode`) a negative count, a count above `maxBits`
  // and set bits beyond the count; the bytes must be in the stream.
  void LoadFromStream(TDVXStream& stream, int32_t maxBits, int32_t code, int32_t invalidCode);

 private:
  std::vector<uint8_t> bytes_;
  int32_t size_ = 0;
};

}  // namespace dvx
