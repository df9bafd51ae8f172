#pragma once
#include <array>
#include <cstdint>

namespace dvx {

// Lookup table of a reflected (least significant bit first) CRC: entry i is
// the register after shifting the byte i through with `polynomial`, reversed.
template <class TCrc>
constexpr std::array<TCrc, 256> MakeReflectedCrcTable(uint32_t polynomial) {
  std::array<TCrc, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? polynomial ^ (c >> 1) : c >> 1;
    table[i] = static_cast<TCrc>(c);
  }
  return table;
}

}  // namespace dvx
