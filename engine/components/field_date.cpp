// The date and time fields. Host formats: ftDate an int32 day number
// (0001-01-01 is day 1), ftTime int32 milliseconds since midnight,
// ftDateTime a double of day number * 86400000 + milliseconds, ftTimeStamp
// a TSQLTimeStamp. The accessors speak the fractional-day scale (day 0 is
// 1899-12-30), so dates before 1900 are negative values.
#include <cmath>
#include <cstring>

#include "engine/components/dataset.h"
#include "engine/components/field_classes.h"
#include "engine/components/field_text_util.h"
#include "engine/components/sql_time_stamp.h"
#include "engine/core/locale.h"
#include "engine/values/base_field_type.h"
#include "engine/values/date_time_value.h"

namespace dvx {

namespace {

const char* KindOf(TFieldType type) {
  switch (type) {
    case ftDate:
      return "date";
    case ftTime:
      return "time";
    case ftTimeStamp:
      return "time stamp";
    default:
      return "date and time";
  }
}

std::string TrimBlanks(const std::string& text) {
  size_t start = 0;
  size_t end = text.size();
  while (start < end && text[start] == ' ') ++start;
  while (end > start && text[end - 1] == ' ') --end;
  return text.substr(start, end - start);
}

bool ParseDay(const std::string& text, int32_t& day) {
  int year = 0, month = 0, d = 0;
  return ParseShortDate(text, year, month, d) && EncodeDayNumber(year, month, d, day);
}

bool ParseMs(const std::string& text, int32_t& ms) {
  int hour = 0, minute = 0, second = 0;
  return ParseTime(text, hour, minute, second) && EncodeTimeMs(hour, minute, second, 0, ms);
}

std::string DayText(int32_t day) {
  int year = 0, month = 0, d = 0;
  if (!DecodeDayNumber(day, year, month, d)) return "?";
  return FormatShortDate(year, month, d);
}

std::string TimeText(int32_t ms) {
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  if (!DecodeTimeMs(ms, hour, minute, second, millisecond)) return "?";
  return FormatLongTime(hour, minute, second);
}

}  // namespace

TDateTimeField::TDateTimeField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind,
                               TFieldType type)
    : TField(dataSet, std::move(name), type, 0, required, fieldNo, kind) {}

bool TDateTimeField::ReadPair(int32_t& day, int32_t& ms) const {
  double value = 0;
  if (!GetData(&value)) return false;
  const double days = std::floor(value / kMillisecondsPerDay);
  day = static_cast<int32_t>(days);
  ms = static_cast<int32_t>(value - days * kMillisecondsPerDay);
  return true;
}

void TDateTimeField::WritePair(int32_t day, int32_t ms) {
  const double value = static_cast<double>(day) * kMillisecondsPerDay + ms;
  SetData(&value);
}

void TDateTimeField::SplitValue(double value, int32_t& day, int32_t& ms) const {
  TDVXDateTimePair pair;
  bool ok = std::isfinite(value);
  if (ok) {
    try {
      pair = DateTimeValueToPair(value);
    } catch (const std::exception&) {
      ok = false;
    }
  }
  if (!ok || pair.day < 1 || pair.day > kLastDayNumber) ConversionError(FormatLocaleFloat(value), KindOf(DataType()));
  day = pair.day;
  ms = pair.milliseconds < 0 ? 0 : pair.milliseconds;
}

double TDateTimeField::AsDateTime() const {
  int32_t day = 0, ms = 0;
  if (!ReadPair(day, ms)) return 0;
  return PairToDateTimeValue({day, ms});
}

void TDateTimeField::SetAsDateTime(double value) {
  int32_t day = 0, ms = 0;
  SplitValue(value, day, ms);
  WritePair(day, ms);
}

std::string TDateTimeField::AsString() const {
  int32_t day = 0, ms = 0;
  if (!ReadPair(day, ms)) return {};
  if (ms == 0) return DayText(day);
  return DayText(day) + " " + TimeText(ms);
}

void TDateTimeField::SetAsString(const std::string& utf8) {
  const std::string text = TrimBlanks(utf8);
  if (text.empty()) {
    Clear();
    return;
  }
  const size_t blank = text.find(' ');
  int32_t day = 0, ms = 0;
  const bool ok = blank == std::string::npos
                      ? ParseDay(text, day)
                      : ParseDay(text.substr(0, blank), day) && ParseMs(TrimBlanks(text.substr(blank + 1)), ms);
  if (!ok) ConversionError(utf8, KindOf(DataType()));
  WritePair(day, ms);
}

TDVXVariant TDateTimeField::AsVariant() const {
  TDVXVariant value(bftDateTime);
  int32_t day = 0, ms = 0;
  if (ReadPair(day, ms)) value.SetAsDateTime({day, ms});
  return value;
}

void TDateTimeField::SetAsVariant(const TDVXVariant& value) {
  if (value.IsNull()) {
    Clear();
  } else if (IsTextType(value.DataType())) {
    SetAsString(IsWideType(value.DataType()) ? WideToUtf8(value.GetAsWideString()) : AnsiToUtf8(value.GetAsString()));
  } else if (IsDateTimeType(value.DataType())) {
    TDVXDateTimePair pair = value.GetAsDateTime();
    if (pair.day == kMissingDayNumber) pair.day = kDayNumberOf18991230;
    if (pair.milliseconds < 0) pair.milliseconds = 0;
    if (pair.day < 1 || pair.day > kLastDayNumber) ConversionError(value.GetAsString(), KindOf(DataType()));
    WritePair(pair.day, pair.milliseconds);
  } else {
    SetAsDateTime(value.GetAsDouble());
  }
}

// --- dates ---------------------------------------------------------------

TDateField::TDateField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind)
    : TDateTimeField(dataSet, std::move(name), required, fieldNo, kind, ftDate) {}

bool TDateField::ReadPair(int32_t& day, int32_t& ms) const {
  if (!GetData(&day)) return false;
  ms = 0;
  return true;
}

void TDateField::WritePair(int32_t day, int32_t /*ms*/) { SetData(&day); }

std::string TDateField::AsString() const {
  int32_t day = 0, ms = 0;
  return ReadPair(day, ms) ? DayText(day) : std::string();
}

void TDateField::SetAsString(const std::string& utf8) {
  const std::string text = TrimBlanks(utf8);
  if (text.empty()) {
    Clear();
    return;
  }
  int32_t day = 0;
  if (!ParseDay(text, day)) ConversionError(utf8, "date");
  WritePair(day, 0);
}

TDVXVariant TDateField::AsVariant() const {
  TDVXVariant value(bftDate);
  int32_t day = 0, ms = 0;
  if (ReadPair(day, ms)) value.SetAsDate(day);
  return value;
}

// --- times ---------------------------------------------------------------

TTimeField::TTimeField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind)
    : TDateTimeField(dataSet, std::move(name), required, fieldNo, kind, ftTime) {}

bool TTimeField::ReadPair(int32_t& day, int32_t& ms) const {
  if (!GetData(&ms)) return false;
  day = kDayNumberOf18991230;
  return true;
}

void TTimeField::WritePair(int32_t /*day*/, int32_t ms) { SetData(&ms); }

std::string TTimeField::AsString() const {
  int32_t day = 0, ms = 0;
  return ReadPair(day, ms) ? TimeText(ms) : std::string();
}

void TTimeField::SetAsString(const std::string& utf8) {
  const std::string text = TrimBlanks(utf8);
  if (text.empty()) {
    Clear();
    return;
  }
  int32_t ms = 0;
  if (!ParseMs(text, ms)) ConversionError(utf8, "time");
  WritePair(0, ms);
}

TDVXVariant TTimeField::AsVariant() const {
  TDVXVariant value(bftTime);
  int32_t day = 0, ms = 0;
  if (ReadPair(day, ms)) value.SetAsTime(ms);
  return value;
}

// --- time stamps ---------------------------------------------------------

TSQLTimeStampField::TSQLTimeStampField(TDataSet& dataSet, std::string name, bool required, int fieldNo,
                                       TFieldKind kind)
    : TDateTimeField(dataSet, std::move(name), required, fieldNo, kind, ftTimeStamp) {}

TSQLTimeStamp TSQLTimeStampField::AsSQLTimeStamp() const {
  TSQLTimeStamp value;
  if (!GetData(&value)) return {};
  return value;
}

void TSQLTimeStampField::SetAsSQLTimeStamp(const TSQLTimeStamp& value) {
  int32_t day = 0, ms = 0;
  if (!SQLTimeStampToPair(value, day, ms) || value.fractions > 999) {
    const std::string text = std::to_string(value.year) + "-" + std::to_string(value.month) + "-" +
                             std::to_string(value.day) + " " + std::to_string(value.hour) + ":" +
                             std::to_string(value.minute) + ":" + std::to_string(value.second) + "." +
                             std::to_string(value.fractions);
    ConversionError(text, "time stamp");
  }
  SetData(&value);
}

bool TSQLTimeStampField::ReadPair(int32_t& day, int32_t& ms) const {
  TSQLTimeStamp value;
  if (!GetData(&value)) return false;
  if (!EncodeDayNumber(value.year, value.month, value.day, day)) day = 1;
  ms = ((value.hour * 60 + value.minute) * 60 + value.second) * 1000 + static_cast<int32_t>(value.fractions);
  return true;
}

void TSQLTimeStampField::WritePair(int32_t day, int32_t ms) {
  // The pair comes from SplitValue or another field's value, so it names
  // an existing moment.
  TSQLTimeStamp value;
  PairToSQLTimeStamp(day, ms, value);
  SetData(&value);
}

}  // namespace dvx
