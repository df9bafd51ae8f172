#include "engine/crypto/checksums.h"

#include <array>

namespace dvx {
namespace {

constexpr std::array<uint16_t, 256> MakeCrc16Table() {
  std::array<uint16_t, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xA001u ^ (c >> 1) : c >> 1;
    table[i] = static_cast<uint16_t>(c);
  }
  return table;
}

constexpr std::array<uint16_t, 256> kCrc16Table = MakeCrc16Table();

}  // namespace

uint16_t Crc16(const void* data, size_t count, uint16_t crc) {
  const auto* p = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < count; ++i)
    crc = static_cast<uint16_t>(kCrc16Table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8));
  return crc;
}

uint8_t Xor8(const void* data, size_t count, uint8_t sum) {
  const auto* p = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < count; ++i) sum ^= p[i];
  return sum;
}

uint32_t Xor32(const void* data, size_t count, uint32_t sum) {
  const auto* p = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < count; ++i) sum ^= static_cast<uint32_t>(p[i]) << (8 * (i % 4));
  return sum;
}

}  // namespace dvx
