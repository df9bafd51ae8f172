#pragma once
#include <cstddef>
#include <cstdint>

namespace dvx {

// The engine's CRC-32: the table-driven reflected CRC-32 (polynomial
// 0xEDB88320, the published table) with initial register 0 and no final
// complement. It checksums the plain KeyCheckBlock of encrypted databases.
// Note that this is not the zlib/PNG CRC-32, which starts from and ends
// with 0xFFFFFFFF.
uint32_t EngineCrc32(const void* data, size_t count, uint32_t crc = 0);

}  // namespace dvx
