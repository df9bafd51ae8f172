// The number fields: the integer family (ftSmallint int16, ftInteger and
// ftAutoInc int32, ftWord uint16, ftLargeint int64), ftFloat and ftCurrency
// (double) and ftBoolean (int16 0/1).
#include <cmath>
#include <cstring>
#include <limits>

#include "engine/components/database_error.h"
#include "engine/components/dataset.h"
#include "engine/components/dataset_messages.h"
#include "engine/components/field_classes.h"
#include "engine/components/field_text_util.h"
#include "engine/core/locale.h"
#include "engine/values/base_field_type.h"
#include "engine/values/number_text.h"

namespace dvx {

namespace {

int64_t MinOf(TFieldType type) {
  switch (type) {
    case ftSmallint:
      return INT16_MIN;
    case ftWord:
      return 0;
    case ftLargeint:
      return INT64_MIN;
    default:
      return INT32_MIN;
  }
}

int64_t MaxOf(TFieldType type) {
  switch (type) {
    case ftSmallint:
      return INT16_MAX;
    case ftWord:
      return UINT16_MAX;
    case ftLargeint:
      return INT64_MAX;
    default:
      return INT32_MAX;
  }
}

}  // namespace

TIntegerField::TIntegerField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind,
                             TFieldType type)
    : TField(dataSet, std::move(name), type, 0, required, fieldNo, kind), minValue_(MinOf(type)), maxValue_(MaxOf(type)) {}

int TIntegerField::DisplayWidth() const { return static_cast<int>(std::to_string(minValue_).size()); }

bool TIntegerField::Read(int64_t& value) const {
  uint8_t bytes[8] = {};
  if (!GetData(bytes)) return false;
  switch (DataType()) {
    case ftSmallint: {
      int16_t v;
      std::memcpy(&v, bytes, 2);
      value = v;
      break;
    }
    case ftWord: {
      uint16_t v;
      std::memcpy(&v, bytes, 2);
      value = v;
      break;
    }
    case ftLargeint:
      std::memcpy(&value, bytes, 8);
      break;
    default: {
      int32_t v;
      std::memcpy(&v, bytes, 4);
      value = v;
      break;
    }
  }
  return true;
}

int64_t TIntegerField::AsLargeInt() const {
  int64_t value = 0;
  return Read(value) ? value : 0;
}

int32_t TIntegerField::AsInteger() const {
  const int64_t value = AsLargeInt();
  if (value < INT32_MIN || value > INT32_MAX) ConversionError(std::to_string(value), "integer");
  return static_cast<int32_t>(value);
}

std::string TIntegerField::AsString() const {
  int64_t value = 0;
  return Read(value) ? std::to_string(value) : std::string();
}

void TIntegerField::SetAsLargeInt(int64_t value) {
  if (value < minValue_ || value > maxValue_)
    DatabaseError(MessageText(kSFieldRange, {std::to_string(value), DisplayLabel(), std::to_string(minValue_),
                                             std::to_string(maxValue_)}),
                  &DataSet());
  uint8_t bytes[8] = {};
  switch (DataType()) {
    case ftSmallint: {
      const int16_t v = static_cast<int16_t>(value);
      std::memcpy(bytes, &v, 2);
      break;
    }
    case ftWord: {
      const uint16_t v = static_cast<uint16_t>(value);
      std::memcpy(bytes, &v, 2);
      break;
    }
    case ftLargeint:
      std::memcpy(bytes, &value, 8);
      break;
    default: {
      const int32_t v = static_cast<int32_t>(value);
      std::memcpy(bytes, &v, 4);
      break;
    }
  }
  SetData(bytes);
}

void TIntegerField::SetAsString(const std::string& utf8) {
  if (utf8.empty()) {
    Clear();
    return;
  }
  int64_t value = 0;
  if (!ParseInteger(utf8, value)) ConversionError(utf8, "integer");
  SetAsLargeInt(value);
}

void TIntegerField::SetAsFloat(double value) {
  const double rounded = std::round(value);
  // Beyond int64 (and NaN) no range check could be made on the cast value.
  if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0))
    ConversionError(FormatLocaleFloat(value), "integer");
  SetAsLargeInt(static_cast<int64_t>(rounded));
}

TDVXVariant TIntegerField::AsVariant() const {
  int64_t v = 0;
  const bool present = Read(v);
  switch (DataType()) {
    case ftSmallint: {
      TDVXVariant value(bftSignedInt16);
      if (present) value.SetAsSignedInt16(static_cast<int16_t>(v));
      return value;
    }
    case ftWord: {
      TDVXVariant value(bftUnsignedInt16);
      if (present) value.SetAsUnsignedInt16(static_cast<uint16_t>(v));
      return value;
    }
    case ftLargeint: {
      TDVXVariant value(bftSignedInt64);
      if (present) value.SetAsSignedInt64(v);
      return value;
    }
    default: {
      TDVXVariant value(bftSignedInt32);
      if (present) value.SetAsSignedInt32(static_cast<int32_t>(v));
      return value;
    }
  }
}

void TIntegerField::SetAsVariant(const TDVXVariant& value) {
  if (value.IsNull())
    Clear();
  else if (IsTextType(value.DataType()))
    SetAsString(IsWideType(value.DataType()) ? WideToUtf8(value.GetAsWideString()) : AnsiToUtf8(value.GetAsString()));
  else
    SetAsLargeInt(value.GetAsSignedInt64());
}

// --- floats --------------------------------------------------------------

TFloatField::TFloatField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind,
                         TFieldType type)
    : TField(dataSet, std::move(name), type, 0, required, fieldNo, kind) {}

double TFloatField::AsFloat() const {
  double value = 0;
  return GetData(&value) ? value : 0;
}

std::string TFloatField::AsString() const {
  double value = 0;
  return GetData(&value) ? FormatLocaleFloat(value) : std::string();
}

void TFloatField::SetAsString(const std::string& utf8) {
  if (utf8.empty()) {
    Clear();
    return;
  }
  double value = 0;
  if (!ParseLocaleFloat(utf8, value)) ConversionError(utf8, "floating point");
  SetAsFloat(value);
}

void TFloatField::SetAsFloat(double value) {
  if (!std::isfinite(value)) ConversionError(FormatDouble(value), "floating point");
  SetData(&value);
}

int32_t TFloatField::AsInteger() const {
  const double value = std::round(AsFloat());
  if (!(value >= INT32_MIN && value <= INT32_MAX)) ConversionError(AsString(), "integer");
  return static_cast<int32_t>(value);
}

int64_t TFloatField::AsLargeInt() const {
  const double value = std::round(AsFloat());
  if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0)) ConversionError(AsString(), "integer");
  return static_cast<int64_t>(value);
}

TDVXVariant TFloatField::AsVariant() const {
  TDVXVariant value(bftFloat);
  double v = 0;
  if (GetData(&v)) value.SetAsDouble(v);
  return value;
}

void TFloatField::SetAsVariant(const TDVXVariant& value) {
  if (value.IsNull())
    Clear();
  else if (IsTextType(value.DataType()))
    SetAsString(IsWideType(value.DataType()) ? WideToUtf8(value.GetAsWideString()) : AnsiToUtf8(value.GetAsString()));
  else
    SetAsFloat(value.GetAsDouble());
}

std::string TCurrencyField::AsString() const {
  double value = 0;
  if (!GetData(&value)) return {};
  std::string text = FormatCurrency(value);
  const char separator = LocaleSettings().decimalSeparator;
  for (char& c : text)
    if (c == '.') c = separator;
  return text;
}

std::string TCurrencyField::DisplayText() const {
  double value = 0;
  if (!GetData(&value)) return {};
  const TDVXLocaleSettings& locale = LocaleSettings();
  const double scale = std::pow(10.0, locale.currencyDecimals);
  const double rounded = std::round(std::fabs(value) * scale);
  std::string digits = FormatDouble(rounded);  // an integer in fixed notation
  while (static_cast<int>(digits.size()) <= locale.currencyDecimals) digits.insert(digits.begin(), '0');
  std::string text = digits.substr(0, digits.size() - locale.currencyDecimals);
  if (locale.currencyDecimals > 0)
    text += locale.decimalSeparator + digits.substr(digits.size() - locale.currencyDecimals);
  if (value < 0 && rounded != 0) text.insert(text.begin(), '-');
  return text + " " + AnsiToUtf8(locale.currencyString);
}

TDVXVariant TCurrencyField::AsVariant() const {
  TDVXVariant value(bftCurrency);
  double v = 0;
  if (GetData(&v)) value.SetAsCurrency(v);
  return value;
}

// --- booleans ------------------------------------------------------------

TBooleanField::TBooleanField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind)
    : TField(dataSet, std::move(name), ftBoolean, 0, required, fieldNo, kind) {}

bool TBooleanField::AsBoolean() const {
  int16_t value = 0;
  return GetData(&value) && value != 0;
}

void TBooleanField::SetAsBoolean(bool value) {
  const int16_t v = value ? 1 : 0;
  SetData(&v);
}

std::string TBooleanField::AsString() const {
  int16_t value = 0;
  if (!GetData(&value)) return {};
  return value != 0 ? "True" : "False";
}

void TBooleanField::SetAsString(const std::string& utf8) {
  if (utf8.empty()) {
    Clear();
    return;
  }
  bool value = false;
  if (!ParseBooleanText(utf8, value)) ConversionError(utf8, "boolean");
  SetAsBoolean(value);
}

void TBooleanField::SetAsInteger(int32_t value) {
  if (value != 0 && value != 1) ConversionError(std::to_string(value), "boolean");
  SetAsBoolean(value == 1);
}

TDVXVariant TBooleanField::AsVariant() const {
  TDVXVariant value(bftLogical);
  if (!IsNull()) value.SetAsLogical(AsBoolean());
  return value;
}

void TBooleanField::SetAsVariant(const TDVXVariant& value) {
  if (value.IsNull())
    Clear();
  else if (IsTextType(value.DataType()))
    SetAsString(IsWideType(value.DataType()) ? WideToUtf8(value.GetAsWideString()) : AnsiToUtf8(value.GetAsString()));
  else
    SetAsBoolean(value.GetAsLogical());
}

}  // namespace dvx
