#pragma once
// Values compute in long double; records, keys and value buffers hold
// extended reals in their 80-bit form whatever long double is on this
// compiler, so every crossing between the two goes through these functions.
//
// 80-bit layout (10 bytes, little-endian):
//   bytes 0..7  64-bit significand, explicit integer bit in bit 63
//   bytes 8..9  bit 15 sign, bits 0..14 biased exponent (bias 16383)
// Exponent 0: zero and denormals; exponent 0x7FFF: infinities (significand
// 0x8000000000000000) and NaNs.
#include <cstdint>

namespace dvx {

constexpr int kExtended80Size = 10;

// Exact when long double has at most 64 significand bits, otherwise
// rounded to nearest.
void LongDoubleToExtended80(long double value, uint8_t* dest10);
long double Extended80ToLongDouble(const uint8_t* source10);

}  // namespace dvx
