#include "engine/values/extended_float.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace dvx {
namespace {

TDVXExtendedBytes Make(bool negative, int exponent, uint64_t significand) {
  TDVXExtendedBytes b{};
  for (int i = 0; i < 8; ++i) b[i] = static_cast<uint8_t>(significand >> (8 * i));
  uint16_t top = static_cast<uint16_t>((negative ? 0x8000 : 0) | exponent);
  b[8] = static_cast<uint8_t>(top);
  b[9] = static_cast<uint8_t>(top >> 8);
  return b;
}

uint64_t BitsOf(double d) {
  uint64_t u;
  std::memcpy(&u, &d, 8);
  return u;
}

TEST(ExtendedEncoding, ExactImagesOfSimpleValues) {
  EXPECT_EQ(Make(false, 0x3FFF, 0x8000000000000000ull), DoubleToExtended(1.0));
  EXPECT_EQ(Make(true, 0x4000, 0xC000000000000000ull), DoubleToExtended(-3.0));
  EXPECT_EQ(Make(false, 0x3FFE, 0x8000000000000000ull), DoubleToExtended(0.5));
  EXPECT_EQ(Make(false, 0, 0), DoubleToExtended(0.0));
  EXPECT_EQ(Make(true, 0, 0), DoubleToExtended(-0.0));
  // 0.1 = 0x3FB999999999999A: the 53 bits, shifted left by 11.
  EXPECT_EQ(Make(false, 0x3FFB, 0xCCCCCCCCCCCCD000ull), DoubleToExtended(0.1));
}

TEST(ExtendedEncoding, InfinitiesAndNaN) {
  EXPECT_EQ(Make(false, 0x7FFF, 0x8000000000000000ull), DoubleToExtended(std::numeric_limits<double>::infinity()));
  EXPECT_EQ(Make(true, 0x7FFF, 0x8000000000000000ull), DoubleToExtended(-std::numeric_limits<double>::infinity()));
  EXPECT_TRUE(std::isinf(ExtendedToDouble(Make(true, 0x7FFF, 0x8000000000000000ull))));
  EXPECT_LT(ExtendedToDouble(Make(true, 0x7FFF, 0x8000000000000000ull)), 0);
  EXPECT_TRUE(std::isnan(ExtendedToDouble(DoubleToExtended(std::numeric_limits<double>::quiet_NaN()))));
  EXPECT_TRUE(std::isnan(ExtendedToDouble(Make(false, 0x7FFF, 0xC000000000000000ull))));
}

TEST(ExtendedEncoding, DoubleDenormalsBecomeNormalExtendedAndComeBack) {
  double smallest = std::numeric_limits<double>::denorm_min();  // 2^-1074
  EXPECT_EQ(Make(false, 16383 - 1074, 0x8000000000000000ull), DoubleToExtended(smallest));
  EXPECT_EQ(smallest, ExtendedToDouble(DoubleToExtended(smallest)));
  double d = 3 * smallest + 1e-310;
  EXPECT_EQ(BitsOf(d), BitsOf(ExtendedToDouble(DoubleToExtended(d))));
}

TEST(ExtendedEncoding, RandomDoublesRoundTripBitForBit) {
  std::mt19937_64 rng(42);
  for (int i = 0; i < 20000; ++i) {
    uint64_t bits = rng();
    double d;
    std::memcpy(&d, &bits, 8);
    if (std::isnan(d)) continue;
    TDVXExtendedBytes image = DoubleToExtended(d);
    EXPECT_EQ(bits, BitsOf(ExtendedToDouble(image))) << std::hex << bits;
    // The long double path gives the same image and the same value back.
    TDVXExtendedBytes viaLongDouble;
    LongDoubleToExtended(d, viaLongDouble.data());
    EXPECT_EQ(image, viaLongDouble) << std::hex << bits;
    EXPECT_EQ(bits, BitsOf(static_cast<double>(ExtendedToLongDouble(image.data())))) << std::hex << bits;
  }
}

TEST(ExtendedEncoding, NarrowingRoundsToNearestEven) {
  // 1 + 2^-53 lies halfway between 1 and the next double: ties to even (1).
  EXPECT_EQ(1.0, ExtendedToDouble(Make(false, 0x3FFF, 0x8000000000000400ull)));
  // Just above the halfway point rounds up.
  EXPECT_EQ(1.0 + std::ldexp(1.0, -52), ExtendedToDouble(Make(false, 0x3FFF, 0x8000000000000401ull)));
  // Halfway above an odd last bit rounds up to even.
  EXPECT_EQ(1.0 + 2 * std::ldexp(1.0, -52), ExtendedToDouble(Make(false, 0x3FFF, 0x8000000000000C00ull)));
  // All ones carries into the exponent: 2.0.
  EXPECT_EQ(2.0, ExtendedToDouble(Make(false, 0x3FFF, 0xFFFFFFFFFFFFFFFFull)));
}

TEST(ExtendedEncoding, OutOfDoubleRange) {
  EXPECT_TRUE(std::isinf(ExtendedToDouble(Make(false, 0x3FFF + 1024, 0x8000000000000000ull))));
  // The largest double's upper neighbour rounds to infinity.
  EXPECT_TRUE(std::isinf(ExtendedToDouble(Make(false, 0x3FFF + 1023, 0xFFFFFFFFFFFFFC00ull))));
  EXPECT_EQ(std::numeric_limits<double>::max(), ExtendedToDouble(Make(false, 0x3FFF + 1023, 0xFFFFFFFFFFFFF800ull)));
  // 2^-1075 is half the smallest denormal: ties to even gives 0; a bit more gives it.
  EXPECT_EQ(0.0, ExtendedToDouble(Make(false, 16383 - 1075, 0x8000000000000000ull)));
  EXPECT_EQ(std::numeric_limits<double>::denorm_min(),
            ExtendedToDouble(Make(false, 16383 - 1075, 0x8000000000000001ull)));
  EXPECT_EQ(0.0, ExtendedToDouble(Make(false, 1, 0x8000000000000000ull)));
  // An extended denormal is far below any double.
  double negZero = ExtendedToDouble(Make(true, 0, 1));
  EXPECT_EQ(0.0, negZero);
  EXPECT_TRUE(std::signbit(negZero));
}

TEST(ExtendedEncoding, UnnormalsAreReadForTheirValue) {
  // Integer bit clear with exponent 0x3FFF + 1: 0.5 * 2 = 1.
  EXPECT_EQ(1.0, ExtendedToDouble(Make(false, 0x4000, 0x4000000000000000ull)));
}

TEST(ExtendedOrder, ComparesWithoutLosingPrecision) {
  auto one = Make(false, 0x3FFF, 0x8000000000000000ull);
  auto oneUlp = Make(false, 0x3FFF, 0x8000000000000001ull);  // not a double
  EXPECT_EQ(-1, CompareExtended(one.data(), oneUlp.data()));
  EXPECT_EQ(1, CompareExtended(oneUlp.data(), one.data()));
  auto negZero = Make(true, 0, 0), posZero = Make(false, 0, 0);
  EXPECT_EQ(0, CompareExtended(negZero.data(), posZero.data()));
  auto minusTwo = DoubleToExtended(-2.0), minusOne = DoubleToExtended(-1.0);
  EXPECT_EQ(-1, CompareExtended(minusTwo.data(), minusOne.data()));
  auto inf = DoubleToExtended(INFINITY), nan = DoubleToExtended(NAN);
  EXPECT_EQ(1, CompareExtended(inf.data(), one.data()));
  EXPECT_EQ(1, CompareExtended(nan.data(), inf.data()));
  auto unnormalOne = Make(false, 0x4000, 0x4000000000000000ull);
  EXPECT_EQ(0, CompareExtended(unnormalOne.data(), one.data()));
}

TEST(ExtendedOrder, AgreesWithDoubleOrderOnRandomValues) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> dist(-1e6, 1e6);
  for (int i = 0; i < 5000; ++i) {
    double x = dist(rng), y = i % 10 == 0 ? x : dist(rng);
    auto ex = DoubleToExtended(x), ey = DoubleToExtended(y);
    int expected = x < y ? -1 : (x > y ? 1 : 0);
    EXPECT_EQ(expected, CompareExtended(ex.data(), ey.data()));
  }
}

// Values compute in long double; these go through the 80-bit form without
// passing through double.
TDVXExtendedBytes FromLongDouble(long double v) {
  TDVXExtendedBytes out;
  LongDoubleToExtended(v, out.data());
  return out;
}

TEST(ExtendedLongDouble, HandComputedImages) {
  EXPECT_EQ(Make(false, 0, 0), FromLongDouble(0.0L));
  EXPECT_EQ(Make(true, 0, 0), FromLongDouble(-0.0L));
  EXPECT_EQ(Make(false, 0x3FFF, 0x8000000000000000ull), FromLongDouble(1.0L));
  EXPECT_EQ(Make(true, 0x4000, 0x8000000000000000ull), FromLongDouble(-2.0L));
  EXPECT_EQ(Make(false, 0x4000, 0xC000000000000000ull), FromLongDouble(3.0L));
  EXPECT_EQ(Make(false, 0x7FFF, 0x8000000000000000ull), FromLongDouble(std::numeric_limits<long double>::infinity()));
  EXPECT_EQ(Make(true, 0x7FFF, 0x8000000000000000ull), FromLongDouble(-std::numeric_limits<long double>::infinity()));
  TDVXExtendedBytes nan = FromLongDouble(std::numeric_limits<long double>::quiet_NaN());
  EXPECT_EQ(0x7F, nan[9] & 0x7F);
  EXPECT_EQ(0xFF, nan[8]);
  EXPECT_TRUE(std::isnan(ExtendedToLongDouble(nan.data())));
}

TEST(ExtendedLongDouble, KeepsWhatDoubleWouldLose) {
  if (std::numeric_limits<long double>::digits < 64) GTEST_SKIP() << "long double is no wider than double here";
  // 1 + 2^-63: the last significand bit, below double's precision.
  long double fine = 1.0L + std::ldexp(1.0L, -63);
  EXPECT_EQ(Make(false, 0x3FFF, 0x8000000000000001ull), FromLongDouble(fine));
  EXPECT_EQ(fine, ExtendedToLongDouble(Make(false, 0x3FFF, 0x8000000000000001ull).data()));
  for (long double v : {std::numeric_limits<long double>::min(), std::numeric_limits<long double>::max(),
                        std::numeric_limits<long double>::denorm_min(), 1.0L / 3, -1e-4000L, 1e4000L}) {
    EXPECT_EQ(v, ExtendedToLongDouble(FromLongDouble(v).data()));
  }
}

TEST(ExtendedLongDouble, DenormalAndUnnormalImagesAreRead) {
  // The smallest extended denormal, 2^(1 - 16383 - 63).
  long double smallest = ExtendedToLongDouble(Make(false, 0, 1).data());
  if (std::numeric_limits<long double>::min_exponent <= -16381) {
    EXPECT_EQ(std::ldexp(1.0L, 1 - 16383 - 63), smallest);
    EXPECT_EQ(Make(false, 0, 1), FromLongDouble(smallest));
  } else {
    EXPECT_EQ(0.0L, smallest);
  }
  // Integer bit clear: the significand is read for its value, 0.5.
  EXPECT_EQ(0.5L, ExtendedToLongDouble(Make(false, 0x3FFF, 0x4000000000000000ull).data()));
}

}  // namespace
}  // namespace dvx
