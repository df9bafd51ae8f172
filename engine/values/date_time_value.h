#pragma once
// The fractional-day scale of date-time values, on top of the day numbers
// and milliseconds of engine/tables/day_number.h: day 0 is 1899-12-30 and
// the fraction is the time of day. For days before day 0 the integral part
// is the day and the absolute fraction its time, so -1.25 is 1899-12-29
// 06:00.
#include <cstdint>

#include "engine/values/day_number.h"

namespace dvx {

// Rounds to the millisecond; a time rounding up to midnight moves to the
// next day. Values whose day number would not fit 32 bits (and NaN) raise
// the range error.
TDVXDateTimePair DateTimeValueToPair(double value);
// A missing day counts as day 0 of the scale, a missing time as midnight.
double PairToDateTimeValue(TDVXDateTimePair pair);
int32_t DateTimeValueToDayNumber(double value);
int32_t DateTimeValueToMilliseconds(double value);

}  // namespace dvx
