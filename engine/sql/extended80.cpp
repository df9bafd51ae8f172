#include "engine/sql/extended80.h"

#include <cmath>
#include <limits>

namespace dvx {

namespace {

constexpr int kBias = 16383;
constexpr int kMaxExponent = 0x7FFF;

void Store(uint64_t significand, int exponent, bool negative, uint8_t* dest) {
  for (int i = 0; i < 8; ++i) dest[i] = static_cast<uint8_t>(significand >> (8 * i));
  uint16_t top = static_cast<uint16_t>((exponent & kMaxExponent) | (negative ? 0x8000 : 0));
  dest[8] = static_cast<uint8_t>(top);
  dest[9] = static_cast<uint8_t>(top >> 8);
}

}  // namespace

void LongDoubleToExtended80(long double value, uint8_t* dest10) {
  bool negative = std::signbit(value);
  if (std::isnan(value)) return Store(0xC000000000000000ull, kMaxExponent, negative, dest10);
  if (std::isinf(value)) return Store(0x8000000000000000ull, kMaxExponent, negative, dest10);
  if (value == 0) return Store(0, 0, negative, dest10);
  int e2 = 0;
  long double fraction = std::frexp(std::fabs(value), &e2);  // [0.5, 1)
  // value = (significand / 2^63) * 2^(e2 - 1)
  long double scaled = std::nearbyint(std::ldexp(fraction, 64));
  if (scaled >= std::ldexp(1.0L, 64)) {
    scaled = std::ldexp(scaled, -1);
    ++e2;
  }
  uint64_t significand = static_cast<uint64_t>(scaled);
  int exponent = e2 - 1 + kBias;
  if (exponent >= kMaxExponent) return Store(0x8000000000000000ull, kMaxExponent, negative, dest10);
  if (exponent <= 0) {
    // Denormal: the exponent field stays 0, which scales like exponent 1.
    int shift = 1 - exponent;
    significand = shift >= 64 ? 0 : significand >> shift;
    exponent = 0;
  }
  Store(significand, exponent, negative, dest10);
}

long double Extended80ToLongDouble(const uint8_t* source10) {
  uint64_t significand = 0;
  for (int i = 0; i < 8; ++i) significand |= static_cast<uint64_t>(source10[i]) << (8 * i);
  int top = source10[8] | (source10[9] << 8);
  bool negative = (top & 0x8000) != 0;
  int exponent = top & kMaxExponent;
  long double result;
  if (exponent == kMaxExponent) {
    result = (significand << 1) == 0 ? std::numeric_limits<long double>::infinity()
                                     : std::numeric_limits<long double>::quiet_NaN();
  } else {
    int scale = (exponent == 0 ? 1 : exponent) - kBias - 63;
    result = std::ldexp(static_cast<long double>(significand), scale);
  }
  return negative ? -result : result;
}

}  // namespace dvx
