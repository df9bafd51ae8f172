#pragma once
// 80-bit extended reals as they lie in records and keys, independent of what
// the compiler's long double is.
//
// Layout (10 bytes, little-endian):
//   bytes 0..7  64-bit significand with an explicit integer bit (bit 63)
//   bytes 8..9  bit 15 sign, bits 0..14 exponent, bias 16383
// Exponent 0 holds zero and denormals (value = significand * 2^(1-16383-63));
// exponent 0x7FFF holds infinities (significand 0x8000000000000000) and NaNs.
// Any other exponent e means significand * 2^(e-16383-63); a significand
// whose integer bit is clear ("unnormal") is read for that same value.
#include <array>
#include <cstdint>

namespace dvx {

constexpr int kExtendedSize = 10;
using TDVXExtendedBytes = std::array<uint8_t, kExtendedSize>;

// Exact: every double is an extended value.
TDVXExtendedBytes DoubleToExtended(double value);
void DoubleToExtended(double value, void* dest10);

// Rounded to nearest, ties to even; too large values become infinities, too
// small ones double denormals or signed zeros; NaNs stay NaNs.
double ExtendedToDouble(const TDVXExtendedBytes& bytes);
double ExtendedToDouble(const void* source10);

// Values compute in long double. Exact both ways when long double has at
// most 64 significand bits (x87 extended, double); a wider long double is
// rounded to nearest on the way in, and a narrower one (double) loses the
// extra bits on the way out. Magnitudes beyond the 80-bit range become
// infinities, tiny ones extended denormals or signed zeros; NaNs stay NaNs.
void LongDoubleToExtended(long double value, void* dest10);
long double ExtendedToLongDouble(const void* source10);

// Numeric order of two extended values without going through double:
// -1, 0, 1. +0 and -0 are equal. A NaN sorts after every number (and equal
// to another NaN) so that keys keep a total order.
int CompareExtended(const void* a10, const void* b10);

}  // namespace dvx
