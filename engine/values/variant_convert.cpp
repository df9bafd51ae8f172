// Conversion of a value's data from one base type to another, by source
// family: text, integers, reals, dates and times, logical values. A pair
// without a rule fails with kErrCannotCast; any failure inside a rule (a
// malformed number, a value out of the target's range, a date that does
// not exist) is reported as kErrConversionFailed with the same wording.
#include <cmath>

#include "engine/values/number_text.h"
#include "engine/values/value_codec.h"
#include "engine/values/value_errors.h"
#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/values/base_field_type.h"

namespace dvx {

namespace {

constexpr const char* kCastMessage = "Cannot cast from '%s' to '%s'";

// Raised inside a rule; the caller turns it into kErrConversionFailed.
[[noreturn]] void Malformed() { throw EDVXException(kErrConversionFailed, "malformed value"); }

[[noreturn]] void NoRule(int source, int target) {
  throw EDVXException(kErrCannotCast, kCastMessage, {BaseFieldTypeName(source), BaseFieldTypeName(target)});
}

bool IsTextTarget(int type) { return IsValueStringType(type); }
bool IsNumberTarget(int type) { return IsValueIntegerType(type) || IsValueRealType(type); }

TDVXValueBytes Text(int target, const std::string& text) { return EncodeAnsiText(target, text); }

int32_t CheckedInt32(long double value) {
  if (!(value >= INT32_MIN && value <= INT32_MAX)) RaiseRangeError();
  return static_cast<int32_t>(value);
}

int64_t TruncatedInt64(long double value) {
  long double whole = std::trunc(value);
  // 2^63 is exact in every real type; NaN fails both tests.
  if (!(whole >= -9223372036854775808.0L && whole < 9223372036854775808.0L)) RaiseRangeError();
  return static_cast<int64_t>(whole);
}

// A number as the target numeric type.
TDVXValueBytes NumberTo(int target, int64_t value) {
  if (IsValueIntegerType(target)) return EncodeInteger(target, value);
  return EncodeReal(target, static_cast<long double>(value));
}

std::string DateText(int32_t dayNumber) {
  TDVXCivilDate date = DayNumberToCivil(dayNumber);
  return FormatShortDate(date.year, date.month, date.day);
}

std::string TimeText(int32_t milliseconds) {
  int seconds = milliseconds / 1000;
  return FormatLongTime(seconds / 3600, seconds / 60 % 60, seconds % 60);
}

int32_t ParseDateText(const std::string& text) {
  int y, m, d;
  if (!ParseShortDate(text, y, m, d)) Malformed();
  return static_cast<int32_t>(CivilToDayNumber(y, m, d));
}

int32_t ParseTimeText(const std::string& text) {
  int h, n, s;
  if (!ParseTime(text, h, n, s)) Malformed();
  return (h * 3600 + n * 60 + s) * 1000;
}

// "date", "time" or "date time".
TDVXDateTimePair ParseDateTimeText(const std::string& text) {
  std::string trimmed = text;
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
  size_t start = trimmed.find_first_not_of(' ');
  if (start == std::string::npos) Malformed();
  trimmed.erase(0, start);
  size_t space = trimmed.find(' ');
  if (space != std::string::npos)
    return {ParseDateText(trimmed.substr(0, space)), ParseTimeText(trimmed.substr(space + 1))};
  if (trimmed.find(':') != std::string::npos) return {kMissingDayNumber, ParseTimeText(trimmed)};
  return {ParseDateText(trimmed), kNoTimePart};
}

TDVXValueBytes FromText(const uint8_t* data, int32_t size, int source, int target) {
  if (IsTextTarget(target) || target == bftBlob) {
    if (IsWideType(target)) return EncodeWideText(target, ReadWideText(source, data, size));
    return EncodeAnsiText(target, ReadAnsiText(source, data, size));
  }
  std::string text = ReadAnsiText(source, data, size);
  if (IsValueIntegerType(target)) {
    int64_t value;
    if (!ParseInteger(text, value)) Malformed();
    return EncodeInteger(target, value);
  }
  switch (target) {
    case bftSingle: {
      float v;
      if (!ParseReal(text, v)) Malformed();
      return EncodeReal(target, v);
    }
    case bftFloat:
    case bftCurrency: {
      double v;
      if (!ParseReal(text, v)) Malformed();
      return EncodeReal(target, v);
    }
    case bftExtended: {
      long double v;
      if (!ParseReal(text, v)) Malformed();
      return EncodeReal(target, v);
    }
    case bftDate: return EncodeInt32(ParseDateText(text));
    case bftTime: return EncodeInt32(ParseTimeText(text));
    case bftDateTime: return EncodeDateTime(ParseDateTimeText(text));
    case bftLogical: {
      std::string upper = AnsiUpperCase(text);
      return EncodeLogical(upper == "1" || upper == "TRUE");
    }
    default: NoRule(source, target);
  }
}

TDVXValueBytes FromInteger(const uint8_t* data, int source, int target) {
  int64_t value = ReadIntegerValue(source, data);
  if (IsTextTarget(target)) return Text(target, std::to_string(value));
  if (IsNumberTarget(target)) return NumberTo(target, value);
  switch (target) {
    case bftDate:
    case bftTime: return EncodeInt32(CheckedInt32(static_cast<long double>(value)));
    case bftDateTime: return EncodeDateTime({CheckedInt32(static_cast<long double>(value)), kNoTimePart});
    case bftLogical: return EncodeLogical(value != 0);
    default: NoRule(source, target);
  }
}

TDVXValueBytes FromReal(const uint8_t* data, int source, int target) {
  long double value = ReadRealValue(source, data);
  if (IsTextTarget(target)) {
    switch (source) {
      case bftSingle: return Text(target, FormatSingle(static_cast<float>(value)));
      case bftFloat: return Text(target, FormatDouble(static_cast<double>(value)));
      case bftCurrency: return Text(target, FormatCurrency(static_cast<double>(value)));
      default: return Text(target, FormatExtended(value));
    }
  }
  if (IsValueIntegerType(target)) return EncodeInteger(target, TruncatedInt64(value));
  if (IsValueRealType(target)) return EncodeReal(target, value);
  switch (target) {
    case bftDate: return EncodeInt32(CheckedInt32(std::trunc(value)));
    case bftTime: {
      // The time of day the value's milliseconds fall on; a negative count
      // wraps back from midnight, so the result is always a valid time.
      int64_t ms = TruncatedInt64(value) % kMillisecondsPerDay;
      return EncodeInt32(static_cast<int32_t>(ms < 0 ? ms + kMillisecondsPerDay : ms));
    }
    case bftDateTime: {
      long double whole = std::trunc(value);
      // The fraction is the time of day on both sides of day 0, as on the
      // date-time scale.
      long double ms = std::trunc(std::fabs(value - whole) * kMillisecondsPerDay);
      return EncodeDateTime({CheckedInt32(whole), static_cast<int32_t>(ms)});
    }
    case bftLogical: return EncodeLogical(value != 0);
    default: NoRule(source, target);
  }
}

TDVXValueBytes FromDate(const uint8_t* data, int source, int target) {
  int32_t day = ReadInt32Value(data);
  if (IsTextTarget(target)) return day == kMissingDayNumber ? TDVXValueBytes{} : Text(target, DateText(day));
  if (IsNumberTarget(target)) return NumberTo(target, day);
  switch (target) {
    // A date has no time of day: it is midnight.
    case bftTime: return EncodeInt32(0);
    case bftDateTime: return EncodeDateTime({day, kNoTimePart});
    default: NoRule(source, target);
  }
}

TDVXValueBytes FromTime(const uint8_t* data, int source, int target) {
  int32_t ms = ReadInt32Value(data);
  if (IsTextTarget(target)) return ms < 0 ? TDVXValueBytes{} : Text(target, TimeText(ms));
  if (IsNumberTarget(target)) return NumberTo(target, ms);
  switch (target) {
    case bftDateTime: return EncodeDateTime({kMissingDayNumber, ms});
    case bftLogical: return EncodeLogical(ms != kNoTimePart);
    default: NoRule(source, target);
  }
}

TDVXValueBytes FromDateTime(const uint8_t* data, int source, int target) {
  TDVXDateTimePair pair = ReadDateTimeValue(data);
  if (IsTextTarget(target)) {
    std::string text;
    if (pair.day != kMissingDayNumber) text = DateText(pair.day);
    if (pair.milliseconds >= 0) text += (text.empty() ? "" : " ") + TimeText(pair.milliseconds);
    return Text(target, text);
  }
  switch (target) {
    case bftDate: return EncodeInt32(pair.day);
    case bftTime: return EncodeInt32(pair.milliseconds);
    default: NoRule(source, target);
  }
}

TDVXValueBytes FromLogical(const uint8_t* data, int source, int target) {
  bool value = ReadLogicalValue(data);
  if (IsTextTarget(target)) return Text(target, value ? "True" : "False");
  if (IsNumberTarget(target)) return NumberTo(target, value ? 1 : 0);
  NoRule(source, target);
}

TDVXValueBytes Convert(const uint8_t* data, int32_t size, int source, int target) {
  if (source == target) return TDVXValueBytes(data, data + size);
  if (!IsValidBaseType(source) || !IsValidBaseType(target)) NoRule(source, target);
  CheckValueSize(source, size);
  if (IsTextType(source) || source == bftBlob) return FromText(data, size, source, target);
  if (IsValueIntegerType(source)) return FromInteger(data, source, target);
  if (IsValueRealType(source)) return FromReal(data, source, target);
  switch (source) {
    case bftDate: return FromDate(data, source, target);
    case bftTime: return FromTime(data, source, target);
    case bftDateTime: return FromDateTime(data, source, target);
    case bftLogical: return FromLogical(data, source, target);
    default: NoRule(source, target);
  }
}

}  // namespace

TDVXValueBytes ConvertValueData(const uint8_t* data, int32_t size, int sourceType, int targetType) {
  try {
    return Convert(data, size, sourceType, targetType);
  } catch (const EDVXException& e) {
    if (e.NativeError() == kErrCannotCast || e.NativeError() == kErrInvalidValueSize) throw;
    throw EDVXException(kErrConversionFailed, kCastMessage,
                        {BaseFieldTypeName(sourceType), BaseFieldTypeName(targetType)});
  }
}

}  // namespace dvx
