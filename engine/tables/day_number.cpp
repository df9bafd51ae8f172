#include "engine/tables/day_number.h"

#include <cstring>

namespace dvx {

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

constexpr int32_t kLastDayNumber = 3652059;  // 9999-12-31

void PutI32(uint8_t* out, int32_t v) {
  uint32_t u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(u >> (8 * i));
}

int32_t GetI32(const uint8_t* in) {
  return static_cast<int32_t>(static_cast<uint32_t>(in[0]) | (static_cast<uint32_t>(in[1]) << 8) |
                              (static_cast<uint32_t>(in[2]) << 16) | (static_cast<uint32_t>(in[3]) << 24));
}

}  // namespace

bool IsValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

bool EncodeDayNumber(int year, int month, int day, int32_t& dayNumber) {
  if (!IsValidDate(year, month, day)) return false;
  int32_t days = day;
  for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
  int32_t y = year - 1;
  dayNumber = y * 365 + y / 4 - y / 100 + y / 400 + days;
  return true;
}

bool DecodeDayNumber(int32_t dayNumber, int& year, int& month, int& day) {
  if (dayNumber < 1 || dayNumber > kLastDayNumber) return false;
  // Whole 400-, 100-, 4- and 1-year cycles before the day.
  int32_t d = dayNumber - 1;
  int32_t y = 1;
  y += 400 * (d / 146097);
  d %= 146097;
  int32_t c = d / 36524;
  if (c == 4) c = 3;  // the last day of a 400-year cycle
  y += 100 * c;
  d -= c * 36524;
  y += 4 * (d / 1461);
  d %= 1461;
  int32_t r = d / 365;
  if (r == 4) r = 3;  // the last day of a leap year
  y += r;
  d -= r * 365;
  int m = 1;
  while (d >= DaysInMonth(y, m)) {
    d -= DaysInMonth(y, m);
    ++m;
  }
  year = y;
  month = m;
  day = d + 1;
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

void StoreDateTime(const TDVXDateTimeValue& value, void* dest8) {
  auto* out = static_cast<uint8_t*>(dest8);
  PutI32(out, value.day);
  PutI32(out + 4, value.time);
}

TDVXDateTimeValue LoadDateTime(const void* source8) {
  const auto* in = static_cast<const uint8_t*>(source8);
  return {GetI32(in), GetI32(in + 4)};
}

}  // namespace dvx
