#include "engine/storage/bit_array.h"

#include <bit>

#include "engine/core/exception.h"
#include "engine/storage/coded_stream_items.h"

namespace dvx {

void TDVXBitArray::Resize(int32_t size) {
  bytes_.resize((static_cast<size_t>(size) + 7) / 8, 0);
  size_ = size;
  // Bits past the end stay 0, so a later growth finds them clear.
  if (size_ % 8) bytes_.back() &= static_cast<uint8_t>((1u << (size_ % 8)) - 1);
}

void TDVXBitArray::Set(int32_t i, bool value) {
  uint8_t& b = bytes_[static_cast<size_t>(i) >> 3];
  const uint8_t mask = static_cast<uint8_t>(1u << (i & 7));
  b = value ? static_cast<uint8_t>(b | mask) : static_cast<uint8_t>(b & ~mask);
}

int32_t TDVXBitArray::FindClear(int32_t from, int32_t limit) const {
  if (limit > size_) limit = size_;
  for (int32_t i = from; i < limit;) {
    // Whole bytes with every bit set are passed over at once.
    if ((i & 7) == 0 && bytes_[static_cast<size_t>(i) >> 3] == 0xFF) {
      i += 8;
      continue;
    }
    if (!Get(i)) return i;
    ++i;
  }
  return -1;
}

int32_t TDVXBitArray::HighestSet() const {
  for (size_t k = bytes_.size(); k-- > 0;)
    if (bytes_[k]) return static_cast<int32_t>(k * 8) + 7 - std::countl_zero(bytes_[k]);
  return -1;
}

int32_t TDVXBitArray::CountSet() const {
  int32_t n = 0;
  for (uint8_t b : bytes_) n += std::popcount(b);
  return n;
}

void TDVXBitArray::SaveToStream(TDVXStream& stream, int32_t code) const {
  WriteCodedU32(stream, static_cast<uint32_t>(size_), code);
  stream.WriteBuffer(bytes_.data(), bytes_.size(), code);
}

void TDVXBitArray::LoadFromStream(TDVXStream& stream, int32_t maxBits, int32_t code, int32_t invalidCode) {
  const int32_t size = static_cast<int32_t>(ReadCodedU32(stream, code));
  if (size < 0 || size > maxBits)
    throw EDVXException(invalidCode, "Invalid bit array size = %d", {size});
  CheckAvailable(stream, (static_cast<uint64_t>(size) + 7) / 8, code);
  std::vector<uint8_t> bytes((static_cast<size_t>(size) + 7) / 8);
  stream.ReadBuffer(bytes.data(), bytes.size(), code);
  if (size % 8 && (bytes.back() >> (size % 8)) != 0)
    throw EDVXException(invalidCode, "Invalid bit array size = %d", {size});
  bytes_ = std::move(bytes);
  size_ = size;
}

}  // namespace dvx
