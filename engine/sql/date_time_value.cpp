#include "engine/sql/date_time_value.h"

#include <cmath>

#include "engine/sql/value_errors.h"

namespace dvx {

namespace {

// Days from 1970-01-01 to the given civil date (era-based, exact for every
// year int can hold).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// Day number of 1970-01-01.
constexpr int64_t kDayNumberOfUnixZero = 719163;

}  // namespace

bool CivilIsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int CivilDaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && CivilIsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidCivilDate(int year, int month, int day) {
  return month >= 1 && month <= 12 && day >= 1 && day <= CivilDaysInMonth(year, month);
}

int64_t CivilToDayNumber(int year, int month, int day) {
  return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kDayNumberOfUnixZero;
}

TDVXCivilDate DayNumberToCivil(int64_t dayNumber) {
  int64_t z = dayNumber - kDayNumberOfUnixZero + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

TDVXDateTimePair DateTimeValueToPair(double value) {
  double whole = std::trunc(value);
  // Day numbers are 32-bit; anything beyond (or not a number) has no date.
  if (!(whole > -2000000000.0 && whole < 2000000000.0)) RaiseRangeError();
  double ms = std::round(std::fabs(value - whole) * kMsPerDay);
  TDVXDateTimePair pair;
  pair.day = static_cast<int32_t>(whole) + kDayNumberOfDateTimeZero;
  pair.milliseconds = static_cast<int32_t>(ms);
  if (pair.milliseconds >= kMsPerDay) {
    pair.milliseconds = 0;
    ++pair.day;
  }
  return pair;
}

double PairToDateTimeValue(TDVXDateTimePair pair) {
  double days = pair.day == kMissingDayNumber ? 0.0 : static_cast<double>(pair.day) - kDayNumberOfDateTimeZero;
  double fraction = pair.milliseconds <= 0 ? 0.0 : static_cast<double>(pair.milliseconds) / kMsPerDay;
  return days < 0 ? days - fraction : days + fraction;
}

int32_t DateTimeValueToDayNumber(double value) { return DateTimeValueToPair(value).day; }

int32_t DateTimeValueToMilliseconds(double value) { return DateTimeValueToPair(value).milliseconds; }

}  // namespace dvx
