#include "engine/schema/stored_value.h"

#include <cstring>

#include "engine/values/value_errors.h"
#include "engine/core/exception.h"
#include "engine/schema/table_errors.h"

namespace dvx {

namespace {

TDVXStoredValue Converted(TDVXVariant value, TDVXBaseFieldType type) {
  value.ConvertTo(type);
  return TDVXStoredValue(value);
}

}  // namespace

TDVXStoredValue TDVXStoredValue::FromInt(TDVXBaseFieldType type, int64_t value) {
  TDVXVariant v;
  v.SetAsSignedInt64(value);
  return Converted(v, type);
}

TDVXStoredValue TDVXStoredValue::FromDouble(TDVXBaseFieldType type, double value) {
  TDVXVariant v;
  v.SetAsDouble(value);
  return Converted(v, type);
}

TDVXStoredValue TDVXStoredValue::FromAnsi(std::string_view text) {
  TDVXVariant v(bftChar);
  v.SetAsString(text);
  return TDVXStoredValue(v);
}

TDVXStoredValue TDVXStoredValue::FromWide(std::u16string_view text) {
  TDVXVariant v(bftWideChar);
  v.SetAsWideString(text);
  return TDVXStoredValue(v);
}

TDVXStoredValue TDVXStoredValue::FromBytes(TDVXBaseFieldType type, const void* data, size_t size) {
  TDVXVariant v;
  v.SetBuffer(data, static_cast<int32_t>(size), true, type);
  return TDVXStoredValue(v);
}

void TDVXStoredValue::LoadFromStream(TDVXStream& stream) {
  try {
    value_.LoadFromStream(stream);
  } catch (const EDVXException& e) {
    int32_t code = e.NativeError();
    if (code == kErrUnknownDataType || code == kErrValueStream || code == kErrInvalidValueSize)
      RaiseCorruptDefinition(e.Message().c_str());
    throw;
  }
}

bool TDVXStoredValue::operator==(const TDVXStoredValue& other) const {
  if (Type() != other.Type() || IsNull() != other.IsNull()) return false;
  if (IsNull()) return true;
  return value_.DataSize() == other.value_.DataSize() &&
         std::memcmp(value_.Data(), other.value_.Data(), static_cast<size_t>(value_.DataSize())) == 0;
}

}  // namespace dvx
