#include "engine/values/date_time_value.h"

#include <cmath>

#include "engine/values/value_errors.h"

namespace dvx {

TDVXDateTimePair DateTimeValueToPair(double value) {
  double whole = std::trunc(value);
  // Day numbers are 32-bit; anything beyond (or not a number) has no date.
  if (!(whole > -2000000000.0 && whole < 2000000000.0)) RaiseRangeError();
  double ms = std::round(std::fabs(value - whole) * kMillisecondsPerDay);
  TDVXDateTimePair pair;
  pair.day = static_cast<int32_t>(whole) + kDayNumberOf18991230;
  pair.milliseconds = static_cast<int32_t>(ms);
  if (pair.milliseconds >= kMillisecondsPerDay) {
    pair.milliseconds = 0;
    ++pair.day;
  }
  return pair;
}

double PairToDateTimeValue(TDVXDateTimePair pair) {
  double days = pair.day == kMissingDayNumber ? 0.0 : static_cast<double>(pair.day) - kDayNumberOf18991230;
  double fraction = pair.milliseconds <= 0 ? 0.0 : static_cast<double>(pair.milliseconds) / kMillisecondsPerDay;
  return days < 0 ? days - fraction : days + fraction;
}

int32_t DateTimeValueToDayNumber(double value) { return DateTimeValueToPair(value).day; }

int32_t DateTimeValueToMilliseconds(double value) { return DateTimeValueToPair(value).milliseconds; }

}  // namespace dvx
