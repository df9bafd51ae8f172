// The text fields: ftString and ftFixedChar (Windows-1252, Size + 1 bytes,
// NUL-terminated) and ftWideString (UTF-16, 2 * (Size + 1) bytes).
#include <cstring>

#include "engine/components/database_error.h"
#include "engine/components/dataset.h"
#include "engine/components/dataset_messages.h"
#include "engine/components/field_classes.h"
#include "engine/components/field_text_util.h"
#include "engine/core/locale.h"
#include "engine/values/base_field_type.h"
#include "engine/values/number_text.h"

namespace dvx {

TStringField::TStringField(TDataSet& dataSet, std::string name, int size, bool required, int fieldNo, TFieldKind kind,
                           TFieldType type)
    : TField(dataSet, std::move(name), type, size, required, fieldNo, kind) {}

std::string TStringField::AsString() const {
  std::vector<char> buffer(static_cast<size_t>(DataSize()) + 1, '\0');
  if (!GetData(buffer.data())) return {};
  return AnsiToUtf8(std::string_view(buffer.data(), strnlen(buffer.data(), static_cast<size_t>(Size()))));
}

void TStringField::SetAsString(const std::string& utf8) {
  if (utf8.empty()) {
    Clear();
    return;
  }
  std::string ansi;
  if (!Utf8ToAnsiExact(utf8, ansi)) ConversionError(utf8, nullptr);
  if (static_cast<int>(ansi.size()) > Size())
    DatabaseError(MessageText(kSFieldTooLong, {utf8, DisplayLabel(), Size()}), &DataSet());
  std::vector<char> buffer(static_cast<size_t>(DataSize()), '\0');
  std::memcpy(buffer.data(), ansi.data(), ansi.size());
  SetData(buffer.data());
}

int32_t TStringField::AsInteger() const {
  const int64_t value = AsLargeInt();
  if (value < INT32_MIN || value > INT32_MAX) ConversionError(AsString(), "integer");
  return static_cast<int32_t>(value);
}

void TStringField::SetAsInteger(int32_t value) { SetAsString(std::to_string(value)); }

int64_t TStringField::AsLargeInt() const {
  const std::string text = AsString();
  if (text.empty()) return 0;
  int64_t value = 0;
  if (!ParseInteger(text, value)) ConversionError(text, "integer");
  return value;
}

void TStringField::SetAsLargeInt(int64_t value) { SetAsString(std::to_string(value)); }

double TStringField::AsFloat() const {
  const std::string text = AsString();
  if (text.empty()) return 0;
  double value = 0;
  if (!ParseLocaleFloat(text, value)) ConversionError(text, "floating point");
  return value;
}

void TStringField::SetAsFloat(double value) { SetAsString(FormatLocaleFloat(value)); }

bool TStringField::AsBoolean() const {
  const std::string text = AsString();
  if (text.empty()) return false;
  bool value = false;
  if (!ParseBooleanText(text, value)) ConversionError(text, "boolean");
  return value;
}

void TStringField::SetAsBoolean(bool value) { SetAsString(value ? "True" : "False"); }

TDVXVariant TStringField::AsVariant() const {
  TDVXVariant value(bftString);
  if (!IsNull()) value.SetAsString(Utf8ToAnsi(AsString()));
  return value;
}

void TStringField::SetAsVariant(const TDVXVariant& value) {
  if (value.IsNull()) {
    Clear();
  } else if (IsWideType(value.DataType())) {
    SetAsString(WideToUtf8(value.GetAsWideString()));
  } else {
    SetAsString(AnsiToUtf8(value.GetAsString()));
  }
}

// --- wide strings --------------------------------------------------------

TWideStringField::TWideStringField(TDataSet& dataSet, std::string name, int size, bool required, int fieldNo,
                                   TFieldKind kind)
    : TStringField(dataSet, std::move(name), size, required, fieldNo, kind, ftWideString) {}

std::string TWideStringField::AsString() const {
  std::vector<char16_t> buffer(static_cast<size_t>(Size()) + 2, u'\0');
  if (!GetData(buffer.data())) return {};
  size_t length = 0;
  while (length < static_cast<size_t>(Size()) && buffer[length] != u'\0') ++length;
  return WideToUtf8(std::u16string_view(buffer.data(), length));
}

void TWideStringField::SetAsString(const std::string& utf8) {
  if (utf8.empty()) {
    Clear();
    return;
  }
  const std::u16string wide = Utf8ToWide(utf8);
  if (static_cast<int>(wide.size()) > Size())
    DatabaseError(MessageText(kSFieldTooLong, {utf8, DisplayLabel(), Size()}), &DataSet());
  std::vector<char16_t> buffer(static_cast<size_t>(Size()) + 1, u'\0');
  std::memcpy(buffer.data(), wide.data(), wide.size() * sizeof(char16_t));
  SetData(buffer.data());
}

TDVXVariant TWideStringField::AsVariant() const {
  TDVXVariant value(bftWideString);
  if (!IsNull()) value.SetAsWideString(Utf8ToWide(AsString()));
  return value;
}

void TWideStringField::SetAsVariant(const TDVXVariant& value) {
  if (value.IsNull())
    Clear();
  else if (IsWideType(value.DataType()))
    SetAsString(WideToUtf8(value.GetAsWideString()));
  else
    SetAsString(AnsiToUtf8(value.GetAsString()));
}

}  // namespace dvx
