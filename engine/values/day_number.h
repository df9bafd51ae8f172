#pragma once
// Dates and times as they lie in records and values.
//
//   DATE      int32 day number: 1 January 0001 is day 1 (proleptic
//             Gregorian calendar), 30 December 1899 is day 693594.
//   TIME      int32 milliseconds since midnight, 0..86399999.
//   DATETIME  8 bytes: the DATE day number, then the TIME milliseconds; a
//             time of -1 means the value has no time part, a day number of
//             INT32_MIN (values only) that it has no date part.
//
// The calendar arithmetic here is the engine's only one: the record format,
// the value model's conversions and the date patterns all go through it.
#include <cstdint>

namespace dvx {

constexpr int32_t kDayNumberOf18991230 = 693594;
constexpr int32_t kLastDayNumber = 3652059;  // 9999-12-31
constexpr int32_t kMillisecondsPerDay = 86400000;
constexpr int32_t kNoTimePart = -1;
constexpr int32_t kMissingDayNumber = INT32_MIN;

struct TDVXCivilDate {
  int year = 0;
  int month = 0;
  int day = 0;
};

bool IsLeapYear(int year);
// 0 for a month outside 1..12.
int DaysInMonth(int year, int month);

// Unbounded calendar arithmetic (years below 1 are proleptic too, which
// day numbers below 1 need): exact for every int year and every int64 day
// number whose year fits an int. The date must have a valid month and day.
int64_t CivilToDayNumber(int year, int month, int day);
TDVXCivilDate DayNumberToCivil(int64_t dayNumber);

// The dates a DATE field holds: years 1..9999.
bool IsValidDate(int year, int month, int day);
// False for a date that does not exist or lies outside years 1..9999.
bool EncodeDayNumber(int year, int month, int day, int32_t& dayNumber);
// False for day numbers before 0001-01-01 or after 9999-12-31.
bool DecodeDayNumber(int32_t dayNumber, int& year, int& month, int& day);

bool EncodeTimeMs(int hour, int minute, int second, int millisecond, int32_t& ms);
bool DecodeTimeMs(int32_t ms, int& hour, int& minute, int& second, int& millisecond);

struct TDVXDateTimePair {
  int32_t day = kMissingDayNumber;
  int32_t milliseconds = kNoTimePart;
  bool operator==(const TDVXDateTimePair&) const = default;
};
void StoreDateTime(const TDVXDateTimePair& value, void* dest8);
TDVXDateTimePair LoadDateTime(const void* source8);

}  // namespace dvx
