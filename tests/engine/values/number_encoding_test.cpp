// Numbers as text and the fractional-day scale: the encodings values rely on.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "engine/values/date_time_value.h"
#include "engine/values/number_text.h"
#include "engine/values/value_errors.h"
#include "value_test_util.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::ThrowsDvx;

namespace dvx {
namespace {

TEST(NumberText, GeneralFormat) {
  EXPECT_EQ(FormatDouble(0.1 + 0.2), "0.3");
  EXPECT_EQ(FormatDouble(-0.0), "0");
  EXPECT_EQ(FormatDouble(1e100), "1E100");
  EXPECT_EQ(FormatDouble(-1.25e-10), "-1.25E-10");
  EXPECT_EQ(FormatDouble(999999999999999.0), "999999999999999");
  EXPECT_EQ(FormatDouble(9999999999999999.0), "1E16");
  EXPECT_EQ(FormatDouble(std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(FormatSingle(1.0f / 3), "0.3333333");
  EXPECT_EQ(FormatExtended(1.0L / 3), "0.333333333333333333");
  EXPECT_EQ(FormatCurrency(0.00004), "0");
  EXPECT_EQ(FormatCurrency(0.00005), "0.0001");
  EXPECT_EQ(FormatCurrency(-1234.5), "-1234.5");
}

TEST(NumberText, ParsingIsStrict) {
  double d = 0;
  EXPECT_TRUE(ParseReal(" +1.5 ", d));
  EXPECT_EQ(d, 1.5);
  EXPECT_TRUE(ParseReal(".5", d));
  EXPECT_EQ(d, 0.5);
  EXPECT_TRUE(ParseReal("1E20", d));
  EXPECT_EQ(d, 1e20);
  for (const char* bad : {"", "-", ".", "1.2.3", "1,5", "nan", "infinity", "0x10", "1e", "1e+", "--1", "1 2"})
    EXPECT_FALSE(ParseReal(bad, d)) << bad;
  EXPECT_FALSE(ParseReal("1e400", d));
  int64_t i = 0;
  EXPECT_TRUE(ParseInteger(" -17 ", i));
  EXPECT_EQ(i, -17);
  for (const char* bad : {"", "+", "1.0", "1e3", "0x1F", "9223372036854775808", "12a"})
    EXPECT_FALSE(ParseInteger(bad, i)) << bad;
}

TEST(NumberText, DoubleTextRoundTripsWithinFifteenDigits) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  for (int n = 0; n < 5000; ++n) {
    double v = mantissa(random) * std::pow(10.0, static_cast<int>(random() % 40) - 20);
    double back = 0;
    ASSERT_TRUE(ParseReal(FormatDouble(v), back));
    EXPECT_NEAR(back, v, std::fabs(v) * 1e-14);
    // A value that came from 15-digit text survives the next round exactly.
    EXPECT_EQ(FormatDouble(back), FormatDouble(v));
  }
}

TEST(DateTimeValue, TheFractionalScale) {
  EXPECT_EQ(DateTimeValueToPair(0.0), (TDVXDateTimePair{kDayNumberOf18991230, 0}));
  EXPECT_EQ(DateTimeValueToPair(-1.25), (TDVXDateTimePair{693593, 21600000}));
  EXPECT_EQ(DateTimeValueToPair(0.99999999999), (TDVXDateTimePair{693595, 0}));  // rounds up to midnight
  EXPECT_EQ(PairToDateTimeValue({kMissingDayNumber, 43200000}), 0.5);
  EXPECT_EQ(PairToDateTimeValue({693595, kNoTimePart}), 1.0);
  EXPECT_EQ(PairToDateTimeValue({693593, 21600000}), -1.25);
  EXPECT_THAT([] { DateTimeValueToPair(3e9); }, ThrowsDvx(kErrRange));
  EXPECT_THAT([] { DateTimeValueToPair(std::nan("")); }, ThrowsDvx(kErrRange));
}

}  // namespace
}  // namespace dvx
