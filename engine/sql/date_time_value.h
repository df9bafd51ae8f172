#pragma once
// Dates and times of engine values.
//
// Stored forms: a day number counts days with 0001-01-01 as day 1 (the
// proleptic Gregorian calendar); a time is milliseconds since midnight,
// 0..86399999; a date-time is the pair. The day number INT32_MIN stands for
// a missing date, the time -1 for a missing time part.
//
// Date-time values are the platform's fractional-day scale: day 0 is
// 1899-12-30 and the fraction is the time of day. For days before day 0 the
// integral part is the day and the absolute fraction its time, so -1.25 is
// 1899-12-29 06:00.
#include <cstdint>

namespace dvx {

constexpr int32_t kDayNumberOfDateTimeZero = 693594;  // 1899-12-30
constexpr int32_t kMissingDayNumber = INT32_MIN;
constexpr int32_t kMissingTime = -1;
constexpr int32_t kMsPerDay = 86400000;

struct TDVXDateTimePair {
  int32_t day = kMissingDayNumber;
  int32_t milliseconds = kMissingTime;
  bool operator==(const TDVXDateTimePair&) const = default;
};

struct TDVXCivilDate {
  int year = 0;
  int month = 0;
  int day = 0;
};

bool CivilIsLeapYear(int year);
int CivilDaysInMonth(int year, int month);
// Months 1..12, days that exist in the month; any year (years below 1 are
// proleptic too, which day numbers below 1 need).
bool IsValidCivilDate(int year, int month, int day);
int64_t CivilToDayNumber(int year, int month, int day);
TDVXCivilDate DayNumberToCivil(int64_t dayNumber);

// Rounds to the millisecond; a time rounding up to midnight moves to the
// next day.
TDVXDateTimePair DateTimeValueToPair(double value);
// A missing day counts as day 0 of the scale, a missing time as midnight.
double PairToDateTimeValue(TDVXDateTimePair pair);
int32_t DateTimeValueToDayNumber(double value);
int32_t DateTimeValueToMilliseconds(double value);

}  // namespace dvx
