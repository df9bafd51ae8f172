#include "engine/tables/stored_value.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "engine/storage/exception.h"
#include "engine/storage/platform/locale.h"
#include "engine/tables/extended_float.h"
#include "engine/tables/field_def.h"
#include "engine/tables/table_errors.h"

namespace dvx {

namespace {

constexpr uint8_t kNullFlag = 255;
constexpr int32_t kCannotCast = 30052;
constexpr int32_t kConversionFailed = 30051;

[[noreturn]] void CannotCast(int32_t code, int from, int to) {
  throw EDVXException(code, "Cannot cast from '%s' to '%s'", {BaseFieldTypeName(from), BaseFieldTypeName(to)});
}

bool IsIntegerLike(int t) { return (t >= bftSignedInt8 && t <= bftUnsignedInt32) || t == bftLogical; }
bool IsReal(int t) { return (t >= bftSingle && t <= bftExtended) || t == bftCurrency; }
bool IsStringSource(int t) { return IsTextType(t); }

template <typename T>
void Put(uint8_t* slot, T v) {
  std::memcpy(slot, &v, sizeof(T));
}

template <typename T>
T Get(const std::vector<uint8_t>& data) {
  T v{};
  std::memcpy(&v, data.data(), std::min(sizeof(T), data.size()));
  return v;
}

// Limits of the integer storage types (LOGICAL, DATE and TIME by their
// integer width).
bool IntegerRange(int type, int64_t& lo, int64_t& hi) {
  switch (type) {
    case bftSignedInt8: lo = INT8_MIN; hi = INT8_MAX; return true;
    case bftSignedInt16: lo = INT16_MIN; hi = INT16_MAX; return true;
    case bftSignedInt32: case bftDate: case bftTime: lo = INT32_MIN; hi = INT32_MAX; return true;
    case bftSignedInt64: lo = INT64_MIN; hi = INT64_MAX; return true;
    case bftUnsignedInt8: lo = 0; hi = UINT8_MAX; return true;
    case bftUnsignedInt16: lo = 0; hi = UINT16_MAX; return true;
    case bftUnsignedInt32: lo = 0; hi = UINT32_MAX; return true;
    case bftLogical: lo = INT64_MIN; hi = INT64_MAX; return true;
    default: return false;
  }
}

void StoreInteger(int from, int to, int64_t v, uint8_t* slot) {
  int64_t lo, hi;
  if (!IntegerRange(to, lo, hi)) CannotCast(kCannotCast, from, to);
  if (v < lo || v > hi) CannotCast(kConversionFailed, from, to);
  switch (to) {
    case bftSignedInt8: case bftUnsignedInt8: Put(slot, static_cast<uint8_t>(v)); break;
    case bftSignedInt16: case bftUnsignedInt16: Put(slot, static_cast<uint16_t>(v)); break;
    case bftLogical: Put(slot, static_cast<int16_t>(v != 0 ? -1 : 0)); break;
    case bftSignedInt32: case bftUnsignedInt32: case bftDate: case bftTime: Put(slot, static_cast<uint32_t>(v)); break;
    default: Put(slot, v); break;
  }
}

void StoreReal(int to, double v, uint8_t* slot) {
  switch (to) {
    case bftSingle: Put(slot, static_cast<float>(v)); break;
    case bftExtended: DoubleToExtended(v, slot); break;
    default: Put(slot, v); break;
  }
}

int64_t LoadInteger(int type, const std::vector<uint8_t>& d) {
  switch (type) {
    case bftSignedInt8: return Get<int8_t>(d);
    case bftSignedInt16: case bftLogical: return Get<int16_t>(d);
    case bftSignedInt32: return Get<int32_t>(d);
    case bftUnsignedInt8: return Get<uint8_t>(d);
    case bftUnsignedInt16: return Get<uint16_t>(d);
    case bftUnsignedInt32: return Get<uint32_t>(d);
    default: return Get<int64_t>(d);
  }
}

double LoadReal(int type, const std::vector<uint8_t>& d) {
  if (type == bftSingle) return Get<float>(d);
  if (type == bftExtended) {
    uint8_t ext[10] = {};
    std::memcpy(ext, d.data(), std::min<size_t>(10, d.size()));
    return ExtendedToDouble(ext);
  }
  return Get<double>(d);
}

std::u16string LoadText(int type, const std::vector<uint8_t>& d) {
  if (IsWideType(type)) {
    std::u16string text;
    for (size_t i = 0; i + 1 < d.size(); i += 2) {
      char16_t c = static_cast<char16_t>(d[i] | (d[i + 1] << 8));
      if (c == 0) break;
      text.push_back(c);
    }
    return text;
  }
  const char* s = reinterpret_cast<const char*>(d.data());
  return AnsiToWide(std::string_view(s, strnlen(s, d.size())));
}

void StoreText(int to, const TDVXFieldDef& field, std::u16string_view text, uint8_t* slot) {
  size_t limit = field.FieldSize() > 0 ? static_cast<size_t>(field.FieldSize()) : 0;
  std::memset(slot, 0, static_cast<size_t>(field.MemoryDataSize()));
  if (IsWideType(to)) {
    size_t n = std::min(text.size(), limit);
    for (size_t i = 0; i < n; ++i) {
      slot[2 * i] = static_cast<uint8_t>(text[i]);
      slot[2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
    }
  } else {
    std::string ansi = WideToAnsi(text);
    std::memcpy(slot, ansi.data(), std::min(ansi.size(), limit));
  }
}

}  // namespace

TDVXStoredValue TDVXStoredValue::FromInt(TDVXBaseFieldType type, int64_t value) {
  TDVXStoredValue v(type);
  v.data_.resize(static_cast<size_t>(MemoryDataSize(type, 0)));
  StoreInteger(bftSignedInt64, type, value, v.data_.data());
  return v;
}

TDVXStoredValue TDVXStoredValue::FromDouble(TDVXBaseFieldType type, double value) {
  TDVXStoredValue v(type);
  v.data_.resize(static_cast<size_t>(MemoryDataSize(type, 0)));
  StoreReal(type, value, v.data_.data());
  return v;
}

TDVXStoredValue TDVXStoredValue::FromAnsi(std::string_view text) {
  TDVXStoredValue v(bftChar);
  if (!text.empty()) {
    v.data_.assign(text.begin(), text.end());
    v.data_.push_back(0);
  }
  return v;
}

TDVXStoredValue TDVXStoredValue::FromWide(std::u16string_view text) {
  TDVXStoredValue v(bftWideChar);
  if (!text.empty()) {
    for (char16_t c : text) {
      v.data_.push_back(static_cast<uint8_t>(c));
      v.data_.push_back(static_cast<uint8_t>(c >> 8));
    }
    v.data_.push_back(0);
    v.data_.push_back(0);
  }
  return v;
}

TDVXStoredValue TDVXStoredValue::FromBytes(TDVXBaseFieldType type, const void* data, size_t size) {
  TDVXStoredValue v(type);
  const auto* p = static_cast<const uint8_t*>(data);
  v.data_.assign(p, p + size);
  return v;
}

void TDVXStoredValue::Clear(TDVXBaseFieldType type) {
  type_ = type;
  data_.clear();
}

void TDVXStoredValue::LoadFromStream(TDVXStream& stream) {
  uint8_t type = stream.ReadU8("value type");
  if (type > kBaseFieldTypeCount) RaiseCorruptDefinition("unknown value type");
  uint8_t nullFlag = stream.ReadU8("value null flag");
  if (nullFlag != 0 && nullFlag != kNullFlag) RaiseCorruptDefinition("invalid value null flag");
  type_ = static_cast<TDVXBaseFieldType>(type);
  data_.clear();
  if (nullFlag == kNullFlag) return;
  int32_t size = stream.ReadI32("value size");
  if (size < 0 || static_cast<uint64_t>(size) > stream.Remaining())
    RaiseCorruptDefinition("value size beyond the end of the stream");
  data_.resize(static_cast<size_t>(size));
  stream.ReadExact(data_.data(), data_.size(), "value data");
}

void TDVXStoredValue::SaveToStream(TDVXStream& stream) const {
  stream.WriteU8(type_);
  stream.WriteU8(IsNull() ? kNullFlag : 0);
  if (IsNull()) return;
  stream.WriteI32(static_cast<int32_t>(data_.size()));
  stream.Write(data_.data(), data_.size());
}

void TDVXStoredValue::WriteToSlot(const TDVXFieldDef& field, uint8_t* slot) const {
  int from = type_, to = field.BaseFieldType();
  size_t size = static_cast<size_t>(field.MemoryDataSize());
  if (IsNull()) CannotCast(kCannotCast, from, to);
  if (IsBlobType(to)) CannotCast(kCannotCast, from, to);  // a slot holds a reference, not a value
  if (IsFixedStringType(to) && IsStringSource(from)) {
    StoreText(to, field, LoadText(from, data_), slot);
    return;
  }
  if (from == to) {
    if (data_.size() < size && to != bftBytes && to != bftVarBytes) CannotCast(kConversionFailed, from, to);
    std::memset(slot, 0, size);
    std::memcpy(slot, data_.data(), std::min(size, data_.size()));
    return;
  }
  if (IsIntegerLike(from) && (IsIntegerLike(to) || to == bftDate || to == bftTime)) {
    StoreInteger(from, to, LoadInteger(from, data_), slot);
  } else if ((IsIntegerLike(from) || IsReal(from)) && IsReal(to)) {
    StoreReal(to, IsReal(from) ? LoadReal(from, data_) : static_cast<double>(LoadInteger(from, data_)), slot);
  } else if (IsReal(from) && IsIntegerLike(to)) {
    double v = std::trunc(LoadReal(from, data_));
    if (!(v >= -9223372036854775808.0 && v < 9223372036854775808.0)) CannotCast(kConversionFailed, from, to);
    StoreInteger(from, to, static_cast<int64_t>(v), slot);
  } else {
    CannotCast(kCannotCast, from, to);
  }
}

}  // namespace dvx
