#include "engine/crypto/crc32.h"

#include <array>

#include "engine/crypto/crc_table.h"

namespace dvx {
namespace {

constexpr std::array<uint32_t, 256> kTable = MakeReflectedCrcTable<uint32_t>(0xEDB88320u);

}  // namespace

uint32_t EngineCrc32(const void* data, size_t count, uint32_t crc) {
  const auto* p = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < count; ++i) crc = kTable[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return crc;
}

}  // namespace dvx
