#pragma once
// Small checksums of the data protection subsystem besides the engine's
// CRC-32 (crc32.h). Nothing in the file format uses them yet.
#include <cstddef>
#include <cstdint>

namespace dvx {

// CRC-16 in its most common form (reflected polynomial 0xA001, i.e.
// x^16 + x^15 + x^2 + 1, initial register 0, no final complement); `crc`
// continues an earlier run.
uint16_t Crc16(const void* data, size_t count, uint16_t crc = 0);

// All bytes xored together.
uint8_t Xor8(const void* data, size_t count, uint8_t sum = 0);

// Little-endian 32-bit words xored together; a trailing part word counts as
// if zero-padded. Continuing an earlier run is exact only when that run
// covered a multiple of 4 bytes.
uint32_t Xor32(const void* data, size_t count, uint32_t sum = 0);

}  // namespace dvx
