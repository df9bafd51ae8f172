#pragma once
// Byte helpers the engine's test folders share: hex text to bytes and back,
// deterministic filler bytes, and little-endian reads and writes into byte
// images (bounds-checked, so a wrong offset fails the test instead of
// reading past the image).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dvx::testing {

inline std::vector<uint8_t> FromHex(std::string_view hex) {
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::vector<uint8_t> bytes;
  int high = -1;
  for (char c : hex) {
    int v = nibble(c);
    if (v < 0) continue;  // spaces between groups
    if (high < 0) {
      high = v;
    } else {
      bytes.push_back(static_cast<uint8_t>(high * 16 + v));
      high = -1;
    }
  }
  return bytes;
}

inline std::string ToHex(const uint8_t* data, size_t count) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    text += kDigits[data[i] >> 4];
    text += kDigits[data[i] & 15];
  }
  return text;
}

inline std::string ToHex(const std::vector<uint8_t>& bytes) { return ToHex(bytes.data(), bytes.size()); }

// Bytes that differ from position to position and from seed to seed.
inline std::vector<uint8_t> Pattern(size_t count, uint32_t seed = 1) {
  std::vector<uint8_t> bytes(count);
  uint32_t x = seed * 2654435761u + 12345;
  for (auto& b : bytes) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<uint8_t>(x);
  }
  return bytes;
}

inline int32_t ReadI32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<int32_t>(b.at(at) | (b.at(at + 1) << 8) | (b.at(at + 2) << 16) |
                              (static_cast<uint32_t>(b.at(at + 3)) << 24));
}
inline uint16_t ReadU16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}
inline void WriteI32(std::vector<uint8_t>& b, size_t at, int32_t v) {
  for (int i = 0; i < 4; ++i) b.at(at + i) = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
}
inline void WriteU16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b.at(at) = static_cast<uint8_t>(v);
  b.at(at + 1) = static_cast<uint8_t>(v >> 8);
}

}  // namespace dvx::testing
