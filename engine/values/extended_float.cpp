#include "engine/values/extended_float.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace dvx {

namespace {

constexpr uint64_t kIntegerBit = uint64_t{1} << 63;
constexpr uint64_t kDoubleFraction = (uint64_t{1} << 52) - 1;
constexpr int kExtendedBias = 16383;
constexpr int kExtendedMaxExponent = 0x7FFF;

void Store(uint64_t significand, bool negative, int exponent, uint8_t* out) {
  for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(significand >> (8 * i));
  uint16_t top = static_cast<uint16_t>((negative ? 0x8000 : 0) | (exponent & 0x7FFF));
  out[8] = static_cast<uint8_t>(top);
  out[9] = static_cast<uint8_t>(top >> 8);
}

struct Decoded {
  enum Kind { Zero, Finite, Infinite, NaN } kind;
  bool negative;
  // Finite values: significand normalised to bit 63 set, value =
  // significand * 2^(lead - 63).
  int lead;
  uint64_t significand;
};

Decoded Decode(const uint8_t* in) {
  uint64_t significand = 0;
  for (int i = 0; i < 8; ++i) significand |= static_cast<uint64_t>(in[i]) << (8 * i);
  uint16_t top = static_cast<uint16_t>(in[8] | (in[9] << 8));
  Decoded d{Decoded::Finite, (top & 0x8000) != 0, 0, 0};
  int exponent = top & 0x7FFF;
  if (exponent == kExtendedMaxExponent) {
    d.kind = (significand << 1) == 0 ? Decoded::Infinite : Decoded::NaN;
    return d;
  }
  if (significand == 0) {
    d.kind = Decoded::Zero;
    return d;
  }
  // Denormals share the smallest normal exponent; unnormals are read for
  // their value like denormals are.
  int e = (exponent == 0 ? 1 : exponent) - kExtendedBias;  // weight of bit 63
  int shift = std::countl_zero(significand);
  d.significand = significand << shift;
  d.lead = e - shift;
  return d;
}

}  // namespace

void DoubleToExtended(double value, void* dest10) {
  uint64_t bits = 0;
  std::memcpy(&bits, &value, 8);
  bool negative = (bits >> 63) != 0;
  int exponent = static_cast<int>((bits >> 52) & 0x7FF);
  uint64_t fraction = bits & kDoubleFraction;
  auto* out = static_cast<uint8_t*>(dest10);
  if (exponent == 0x7FF) {
    // Infinity keeps only the integer bit; a NaN keeps its payload.
    Store(kIntegerBit | (fraction << 11), negative, kExtendedMaxExponent, out);
  } else if (exponent == 0 && fraction == 0) {
    Store(0, negative, 0, out);
  } else if (exponent == 0) {
    // A double denormal is a normal extended value.
    int shift = std::countl_zero(fraction);
    Store(fraction << shift, negative, 1 - 1023 - 52 + 63 - shift + kExtendedBias, out);
  } else {
    Store(kIntegerBit | (fraction << 11), negative, exponent - 1023 + kExtendedBias, out);
  }
}

TDVXExtendedBytes DoubleToExtended(double value) {
  TDVXExtendedBytes bytes;
  DoubleToExtended(value, bytes.data());
  return bytes;
}

double ExtendedToDouble(const void* source10) {
  const auto* in = static_cast<const uint8_t*>(source10);
  Decoded d = Decode(in);
  uint64_t sign = d.negative ? uint64_t{1} << 63 : 0;
  uint64_t bits = 0;
  switch (d.kind) {
    case Decoded::Zero:
      bits = sign;
      break;
    case Decoded::Infinite:
      bits = sign | (uint64_t{0x7FF} << 52);
      break;
    case Decoded::NaN: {
      uint64_t significand = 0;
      for (int i = 0; i < 8; ++i) significand |= static_cast<uint64_t>(in[i]) << (8 * i);
      uint64_t payload = (significand >> 11) & kDoubleFraction;
      if (payload == 0) payload = uint64_t{1} << 51;
      bits = sign | (uint64_t{0x7FF} << 52) | payload;
      break;
    }
    case Decoded::Finite: {
      if (d.lead > 1023) {
        bits = sign | (uint64_t{0x7FF} << 52);
        break;
      }
      // Bits of the significand below `drop` do not fit: 11 for a normal
      // double, more when the result is a double denormal (whose last bit
      // weighs 2^-1074).
      int drop = d.lead >= -1022 ? 11 : 11 + (-1022 - d.lead);
      if (drop > 64) {
        bits = sign;
        break;
      }
      uint64_t kept = drop == 64 ? 0 : d.significand >> drop;
      uint64_t rest = drop == 64 ? d.significand : d.significand & ((uint64_t{1} << drop) - 1);
      uint64_t half = uint64_t{1} << (drop - 1);
      if (rest > half || (rest == half && (kept & 1))) ++kept;
      if (drop == 11) {
        int lead = d.lead;
        if (kept == (uint64_t{1} << 53)) {
          kept >>= 1;
          ++lead;
        }
        if (lead > 1023) {
          bits = sign | (uint64_t{0x7FF} << 52);
          break;
        }
        bits = sign | (static_cast<uint64_t>(lead + 1023) << 52) | (kept & kDoubleFraction);
      } else {
        // A denormal that rounds up to 2^52 becomes the smallest normal,
        // which this sum already encodes.
        bits = sign | kept;
      }
      break;
    }
  }
  double value;
  std::memcpy(&value, &bits, 8);
  return value;
}

double ExtendedToDouble(const TDVXExtendedBytes& bytes) { return ExtendedToDouble(bytes.data()); }

void LongDoubleToExtended(long double value, void* dest10) {
  auto* out = static_cast<uint8_t*>(dest10);
  bool negative = std::signbit(value);
  if (std::isnan(value)) return Store(kIntegerBit | (kIntegerBit >> 1), negative, kExtendedMaxExponent, out);
  if (std::isinf(value)) return Store(kIntegerBit, negative, kExtendedMaxExponent, out);
  if (value == 0) return Store(0, negative, 0, out);
  long double magnitude = std::fabs(value);
  int e2 = 0;
  std::frexp(magnitude, &e2);  // magnitude in [2^(e2-1), 2^e2)
  int exponent = e2 - 1 + kExtendedBias;
  if (exponent <= 0) {
    // Extended denormal: exponent field 0, last significand bit 2^(1-16383-63).
    auto significand = static_cast<uint64_t>(std::nearbyint(std::ldexp(magnitude, kExtendedBias - 1 + 63)));
    // Rounding up to 2^63 reaches the smallest normal value.
    return Store(significand, negative, (significand & kIntegerBit) ? 1 : 0, out);
  }
  long double scaled = std::nearbyint(std::ldexp(magnitude, 63 - (e2 - 1)));  // [2^63, 2^64]
  if (scaled >= std::ldexp(1.0L, 64)) {
    scaled = std::ldexp(scaled, -1);
    ++exponent;
  }
  if (exponent >= kExtendedMaxExponent) return Store(kIntegerBit, negative, kExtendedMaxExponent, out);
  Store(static_cast<uint64_t>(scaled), negative, exponent, out);
}

long double ExtendedToLongDouble(const void* source10) {
  Decoded d = Decode(static_cast<const uint8_t*>(source10));
  long double magnitude = 0;
  switch (d.kind) {
    case Decoded::Zero: magnitude = 0; break;
    case Decoded::Infinite: magnitude = std::numeric_limits<long double>::infinity(); break;
    case Decoded::NaN: magnitude = std::numeric_limits<long double>::quiet_NaN(); break;
    case Decoded::Finite: magnitude = std::ldexp(static_cast<long double>(d.significand), d.lead - 63); break;
  }
  return d.negative ? -magnitude : magnitude;
}

int CompareExtended(const void* a10, const void* b10) {
  Decoded a = Decode(static_cast<const uint8_t*>(a10));
  Decoded b = Decode(static_cast<const uint8_t*>(b10));
  if (a.kind == Decoded::NaN || b.kind == Decoded::NaN) {
    if (a.kind == b.kind) return 0;
    return a.kind == Decoded::NaN ? 1 : -1;
  }
  if (a.kind == Decoded::Zero && b.kind == Decoded::Zero) return 0;
  // Magnitude order: zero < finite < infinite; finite by exponent, then
  // significand.
  auto magnitude = [](const Decoded& x, const Decoded& y) {
    if (x.kind != y.kind) {
      int rank[] = {0, 1, 2, 3};
      return rank[x.kind] < rank[y.kind] ? -1 : 1;
    }
    if (x.kind != Decoded::Finite) return 0;
    if (x.lead != y.lead) return x.lead < y.lead ? -1 : 1;
    if (x.significand != y.significand) return x.significand < y.significand ? -1 : 1;
    return 0;
  };
  bool aNeg = a.negative && a.kind != Decoded::Zero;
  bool bNeg = b.negative && b.kind != Decoded::Zero;
  if (aNeg != bNeg) return aNeg ? -1 : 1;
  int m = magnitude(a, b);
  return aNeg ? -m : m;
}

}  // namespace dvx
