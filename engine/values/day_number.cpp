#include "engine/values/day_number.h"

#include "engine/core/byte_order.h"

namespace dvx {

namespace {

// Days from 1970-01-01 to the given civil date, counted in whole 400-year
// eras of 146097 days with the year starting in March, so that the leap
// day is the last of its year.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// Day number of 1970-01-01.
constexpr int64_t kDayNumberOfUnixZero = 719163;

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int64_t CivilToDayNumber(int year, int month, int day) {
  return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kDayNumberOfUnixZero;
}

TDVXCivilDate DayNumberToCivil(int64_t dayNumber) {
  const int64_t z = dayNumber - kDayNumberOfUnixZero + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

bool IsValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && day >= 1 && day <= DaysInMonth(year, month);
}

bool EncodeDayNumber(int year, int month, int day, int32_t& dayNumber) {
  if (!IsValidDate(year, month, day)) return false;
  dayNumber = static_cast<int32_t>(CivilToDayNumber(year, month, day));
  return true;
}

bool DecodeDayNumber(int32_t dayNumber, int& year, int& month, int& day) {
  if (dayNumber < 1 || dayNumber > kLastDayNumber) return false;
  TDVXCivilDate date = DayNumberToCivil(dayNumber);
  year = date.year;
  month = date.month;
  day = date.day;
  return true;
}

bool EncodeTimeMs(int hour, int minute, int second, int millisecond, int32_t& ms) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
      millisecond > 999)
    return false;
  ms = ((hour * 60 + minute) * 60 + second) * 1000 + millisecond;
  return true;
}

bool DecodeTimeMs(int32_t ms, int& hour, int& minute, int& second, int& millisecond) {
  if (ms < 0 || ms >= kMillisecondsPerDay) return false;
  millisecond = ms % 1000;
  second = ms / 1000 % 60;
  minute = ms / 60000 % 60;
  hour = ms / 3600000;
  return true;
}

void StoreDateTime(const TDVXDateTimePair& value, void* dest8) {
  auto* out = static_cast<uint8_t*>(dest8);
  PutI32(out, value.day);
  PutI32(out + 4, value.milliseconds);
}

TDVXDateTimePair LoadDateTime(const void* source8) {
  const auto* in = static_cast<const uint8_t*>(source8);
  return {GetI32(in), GetI32(in + 4)};
}

}  // namespace dvx
