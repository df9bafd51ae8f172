#include "engine/crypto/checksums.h"

#include <array>

#include "engine/crypto/crc_table.h"

namespace dvx {
namespace {

constexpr std::array<uint16_t, 256> kCrc16Table = MakeReflectedCrcTable<uint16_t>(0xA001u);

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
