#include "engine/core/stream.h"

#include <cstring>

#include "engine/core/exception.h"

namespace dvx {

// Native code of a short read from a stream holding a stored form.
// (No code of the message table fits a truncated stored form; 30900 is ours.)
constexpr int32_t kStreamReadError = 30900;

void TDVXStream::ReadExact(void* buffer, size_t count, const char* what) {
  if (count == 0) return;
  if (Remaining() < count || Read(buffer, count) != count)
    throw EDVXException(kStreamReadError, "Stream read error: %d bytes of %s needed at position %d, %d available",
                        {static_cast<int64_t>(count), what, static_cast<int64_t>(Position()),
                         static_cast<int64_t>(Remaining())});
}

uint8_t TDVXStream::ReadU8(const char* what) {
  uint8_t v;
  ReadExact(&v, 1, what);
  return v;
}

uint16_t TDVXStream::ReadU16(const char* what) {
  uint8_t b[2];
  ReadExact(b, 2, what);
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t TDVXStream::ReadU32(const char* what) {
  uint8_t b[4];
  ReadExact(b, 4, what);
  return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
         (static_cast<uint32_t>(b[3]) << 24);
}

uint64_t TDVXStream::ReadU64(const char* what) {
  uint64_t lo = ReadU32(what);
  uint64_t hi = ReadU32(what);
  return lo | (hi << 32);
}

double TDVXStream::ReadDouble(const char* what) {
  uint64_t bits = ReadU64(what);
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

std::string TDVXStream::ReadShortString(const char* what) {
  uint8_t length = ReadU8(what);
  std::string text(length, '\0');
  ReadExact(text.data(), length, what);
  return text;
}

void TDVXStream::WriteU16(uint16_t v) {
  uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
  Write(b, 2);
}

void TDVXStream::WriteU32(uint32_t v) {
  uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                  static_cast<uint8_t>(v >> 24)};
  Write(b, 4);
}

void TDVXStream::WriteU64(uint64_t v) {
  WriteU32(static_cast<uint32_t>(v));
  WriteU32(static_cast<uint32_t>(v >> 32));
}

void TDVXStream::WriteDouble(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  WriteU64(bits);
}

void TDVXStream::WriteShortString(std::string_view text) {
  if (text.size() > 255)
    throw EDVXException(30901, "Name '%s...' is longer than 255 characters",
                        {std::string(text.substr(0, 32))});
  WriteU8(static_cast<uint8_t>(text.size()));
  Write(text.data(), text.size());
}

size_t TDVXMemoryStream::Read(void* buffer, size_t count) {
  if (position_ >= data_.size()) return 0;
  size_t n = static_cast<size_t>(std::min<uint64_t>(count, data_.size() - position_));
  std::memcpy(buffer, data_.data() + position_, n);
  position_ += n;
  return n;
}

void TDVXMemoryStream::Write(const void* buffer, size_t count) {
  if (count == 0) return;
  if (position_ + count > data_.size()) data_.resize(static_cast<size_t>(position_ + count));
  std::memcpy(data_.data() + position_, buffer, count);
  position_ += count;
}

}  // namespace dvx
