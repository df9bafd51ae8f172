#pragma once
// Dates and times as they lie in records.
//
//   DATE      int32 day number: 1 January 0001 is day 1 (proleptic
//             Gregorian calendar), 30 December 1899 is day 693594.
//   TIME      int32 milliseconds since midnight, 0..86399999.
//   DATETIME  8 bytes: the DATE day number, then the TIME milliseconds; a
//             time of -1 means the value has no time part.
#include <cstdint>

namespace dvx {

constexpr int32_t kDayNumberOf18991230 = 693594;
constexpr int32_t kMillisecondsPerDay = 86400000;
constexpr int32_t kNoTimePart = -1;

bool IsValidDate(int year, int month, int day);
// False for a date that does not exist or lies outside years 1..9999.
bool EncodeDayNumber(int year, int month, int day, int32_t& dayNumber);
// False for day numbers before 0001-01-01 or after 9999-12-31.
bool DecodeDayNumber(int32_t dayNumber, int& year, int& month, int& day);

bool EncodeTimeMs(int hour, int minute, int second, int millisecond, int32_t& ms);
bool DecodeTimeMs(int32_t ms, int& hour, int& minute, int& second, int& millisecond);

struct TDVXDateTimeValue {
  int32_t day = 0;
  int32_t time = kNoTimePart;
};
void StoreDateTime(const TDVXDateTimeValue& value, void* dest8);
TDVXDateTimeValue LoadDateTime(const void* source8);

}  // namespace dvx
