#include "engine/components/sql_time_stamp.h"

#include "engine/values/day_number.h"

namespace dvx {

bool PairToSQLTimeStamp(int32_t day, int32_t milliseconds, TSQLTimeStamp& stamp) {
  int year = 0, month = 0, dayOfMonth = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
  if (!DecodeDayNumber(day, year, month, dayOfMonth) || !DecodeTimeMs(milliseconds, hour, minute, second, millisecond))
    return false;
  stamp.year = static_cast<int16_t>(year);
  stamp.month = static_cast<uint16_t>(month);
  stamp.day = static_cast<uint16_t>(dayOfMonth);
  stamp.hour = static_cast<uint16_t>(hour);
  stamp.minute = static_cast<uint16_t>(minute);
  stamp.second = static_cast<uint16_t>(second);
  stamp.fractions = static_cast<uint32_t>(millisecond);
  return true;
}

bool SQLTimeStampToPair(const TSQLTimeStamp& stamp, int32_t& day, int32_t& milliseconds) {
  return EncodeDayNumber(stamp.year, stamp.month, stamp.day, day) &&
         EncodeTimeMs(stamp.hour, stamp.minute, stamp.second, static_cast<int>(stamp.fractions), milliseconds);
}

}  // namespace dvx
