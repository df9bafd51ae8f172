#include "engine/crypto/crc32.h"

#include <array>

namespace dvx {
namespace {

constexpr std::array<uint32_t, 256> MakeTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[i] = c;
  }
  return table;
}

constexpr std::array<uint32_t, 256> kTable = MakeTable();

}  // namespace

uint32_t EngineCrc32(const void* data, size_t count, uint32_t crc) {
  const auto* p = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < count; ++i) crc = kTable[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return crc;
}

}  // namespace dvx
