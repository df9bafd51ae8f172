#include "engine/values/day_number.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

namespace dvx {
namespace {

TEST(DayNumbers, FixedPoints) {
  int32_t day = 0;
  ASSERT_TRUE(EncodeDayNumber(1, 1, 1, day));
  EXPECT_EQ(1, day);
  ASSERT_TRUE(EncodeDayNumber(1899, 12, 30, day));
  EXPECT_EQ(693594, day);
  EXPECT_EQ(kDayNumberOf18991230, day);
  ASSERT_TRUE(EncodeDayNumber(2000, 3, 1, day));
  EXPECT_EQ(693594 + 36586, day);  // 2000-03-01 is day 36586 after 1899-12-30
  ASSERT_TRUE(EncodeDayNumber(9999, 12, 31, day));
  EXPECT_EQ(3652059, day);
}

TEST(DayNumbers, ImpossibleDatesAreRefused) {
  int32_t day = 0;
  EXPECT_FALSE(EncodeDayNumber(1900, 2, 29, day));
  EXPECT_TRUE(EncodeDayNumber(2000, 2, 29, day));
  EXPECT_FALSE(EncodeDayNumber(0, 1, 1, day));
  EXPECT_FALSE(EncodeDayNumber(10000, 1, 1, day));
  EXPECT_FALSE(EncodeDayNumber(2020, 13, 1, day));
  EXPECT_FALSE(EncodeDayNumber(2020, 4, 31, day));
  int y, m, d;
  EXPECT_FALSE(DecodeDayNumber(0, y, m, d));
  EXPECT_FALSE(DecodeDayNumber(3652060, y, m, d));
  EXPECT_FALSE(DecodeDayNumber(-2147483647 - 1, y, m, d));
}

TEST(DayNumbers, EveryDayOfFourHundredYearsRoundTripsInOrder) {
  int32_t previous = 0;
  for (int year = 1600; year < 2001; ++year)
    for (int month = 1; month <= 12; ++month)
      for (int dayOfMonth = 1; dayOfMonth <= 31; ++dayOfMonth) {
        int32_t day;
        if (!EncodeDayNumber(year, month, dayOfMonth, day)) continue;
        if (previous) {
          ASSERT_EQ(previous + 1, day);
        }
        previous = day;
        int y, m, d;
        ASSERT_TRUE(DecodeDayNumber(day, y, m, d));
        ASSERT_EQ(year, y);
        ASSERT_EQ(month, m);
        ASSERT_EQ(dayOfMonth, d);
      }
}

TEST(DayNumbers, DecodeEncodeOverTheWholeRange) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<int32_t> dist(1, 3652059);
  for (int i = 0; i < 20000; ++i) {
    int32_t day = i < 2 ? (i == 0 ? 1 : 3652059) : dist(rng);
    int y, m, d;
    ASSERT_TRUE(DecodeDayNumber(day, y, m, d));
    int32_t back;
    ASSERT_TRUE(EncodeDayNumber(y, m, d, back));
    ASSERT_EQ(day, back);
  }
}

TEST(DayNumbers, CivilArithmeticIsUnboundedAndAgreesWithTheBoundedForm) {
  EXPECT_EQ(1, CivilToDayNumber(1, 1, 1));
  EXPECT_EQ(kDayNumberOf18991230, CivilToDayNumber(1899, 12, 30));
  EXPECT_EQ(kLastDayNumber, CivilToDayNumber(9999, 12, 31));
  TDVXCivilDate d = DayNumberToCivil(731645);
  EXPECT_EQ(2004, d.year);
  EXPECT_EQ(3, d.month);
  EXPECT_EQ(5, d.day);
  // Before day 1 the calendar goes on proleptically: year 0 is a leap year.
  EXPECT_EQ(0, CivilToDayNumber(0, 12, 31));
  EXPECT_EQ(-365, CivilToDayNumber(0, 1, 1));
  d = DayNumberToCivil(-366 + 1 - 365);
  EXPECT_EQ(-1, d.year);
  EXPECT_EQ(1, d.month);
  EXPECT_EQ(1, d.day);
  for (int64_t n = -800000; n < 4000000; n += 997) {
    TDVXCivilDate c = DayNumberToCivil(n);
    ASSERT_EQ(n, CivilToDayNumber(c.year, c.month, c.day));
    int y, m, dd;
    bool inRange = n >= 1 && n <= kLastDayNumber;
    ASSERT_EQ(inRange, DecodeDayNumber(static_cast<int32_t>(n), y, m, dd)) << n;
    if (inRange) {
      ASSERT_EQ(c.year, y);
      ASSERT_EQ(c.month, m);
      ASSERT_EQ(c.day, dd);
    }
  }
}

TEST(DayNumbers, MonthLengths) {
  EXPECT_EQ(29, DaysInMonth(2000, 2));
  EXPECT_EQ(28, DaysInMonth(1900, 2));
  EXPECT_EQ(29, DaysInMonth(2024, 2));
  EXPECT_EQ(31, DaysInMonth(2023, 12));
  EXPECT_EQ(0, DaysInMonth(2023, 13));
  EXPECT_EQ(0, DaysInMonth(2023, 0));
}

TEST(DateTimeImages, BytesOfDayNumbersAndTimes) {
  std::array<uint8_t, 8> image{};
  StoreDateTime({1, 0}, image.data());
  EXPECT_EQ((std::array<uint8_t, 8>{1, 0, 0, 0, 0, 0, 0, 0}), image);
  int32_t noon;
  ASSERT_TRUE(EncodeTimeMs(12, 0, 0, 0, noon));
  StoreDateTime({693594, noon}, image.data());
  // 693594 = 0x000A955A, 43200000 = 0x02932E00.
  EXPECT_EQ((std::array<uint8_t, 8>{0x5A, 0x95, 0x0A, 0x00, 0x00, 0x2E, 0x93, 0x02}), image);
  StoreDateTime({693594, kNoTimePart}, image.data());
  EXPECT_EQ((std::array<uint8_t, 8>{0x5A, 0x95, 0x0A, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}), image);
  TDVXDateTimePair back = LoadDateTime(image.data());
  EXPECT_EQ(693594, back.day);
  EXPECT_EQ(-1, back.milliseconds);
}

TEST(TimeOfDay, MillisecondsAndLimits) {
  int32_t ms;
  ASSERT_TRUE(EncodeTimeMs(23, 59, 59, 999, ms));
  EXPECT_EQ(86399999, ms);
  EXPECT_FALSE(EncodeTimeMs(24, 0, 0, 0, ms));
  int h, n, s, z;
  ASSERT_TRUE(DecodeTimeMs(3723004, h, n, s, z));
  EXPECT_EQ(1, h);
  EXPECT_EQ(2, n);
  EXPECT_EQ(3, s);
  EXPECT_EQ(4, z);
  EXPECT_FALSE(DecodeTimeMs(-1, h, n, s, z));
  EXPECT_FALSE(DecodeTimeMs(86400000, h, n, s, z));
}

}  // namespace
}  // namespace dvx
