#include "engine/values/value_codec.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "engine/values/value_errors.h"
#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/values/base_field_type.h"
#include "engine/values/extended_float.h"
#include "engine/values/slot_text.h"

namespace dvx {

// Values are copied to and from record buffers byte for byte, and both are
// little-endian.
static_assert(std::endian::native == std::endian::little, "engine values are little-endian");

namespace {

template <typename T>
T Load(const uint8_t* data) {
  T v;
  std::memcpy(&v, data, sizeof v);
  return v;
}

template <typename T>
TDVXValueBytes Bytes(T v) {
  TDVXValueBytes out(sizeof v);
  std::memcpy(out.data(), &v, sizeof v);
  return out;
}

}  // namespace

void CheckValueSize(int type, int32_t size) {
  int32_t needed = FixedDataSize(type);
  if (size < needed)
    throw EDVXException(kErrInvalidValueSize, "Invalid data size %d for data type '%s'",
                        {size, BaseFieldTypeName(type)});
}

bool IsValueStringType(int type) { return IsTextType(type); }
bool IsValueIntegerType(int type) { return type >= bftSignedInt8 && type <= bftUnsignedInt32; }
bool IsValueRealType(int type) {
  return type == bftSingle || type == bftFloat || type == bftExtended || type == bftCurrency;
}

std::string ReadAnsiText(int type, const uint8_t* data, int32_t size) {
  if (IsWideType(type)) return WideToAnsi(ReadWideText(type, data, size));
  return std::string(AnsiSlotChars(data, size));
}

std::u16string ReadWideText(int type, const uint8_t* data, int32_t size) {
  if (!IsWideType(type)) return AnsiToWide(ReadAnsiText(type, data, size));
  return WideSlotChars(data, size);
}

int64_t ReadIntegerValue(int type, const uint8_t* data) {
  switch (type) {
    case bftSignedInt8: return Load<int8_t>(data);
    case bftSignedInt16: return Load<int16_t>(data);
    case bftSignedInt32: return Load<int32_t>(data);
    case bftSignedInt64: return Load<int64_t>(data);
    case bftUnsignedInt8: return Load<uint8_t>(data);
    case bftUnsignedInt16: return Load<uint16_t>(data);
    case bftUnsignedInt32: return Load<uint32_t>(data);
    default: return 0;
  }
}

long double ReadRealValue(int type, const uint8_t* data) {
  switch (type) {
    case bftSingle: return Load<float>(data);
    case bftFloat:
    case bftCurrency: return Load<double>(data);
    case bftExtended: return ExtendedToLongDouble(data);
    default: return 0;
  }
}

int32_t ReadInt32Value(const uint8_t* data) { return Load<int32_t>(data); }

TDVXDateTimePair ReadDateTimeValue(const uint8_t* data) { return LoadDateTime(data); }

bool ReadLogicalValue(const uint8_t* data) { return Load<int16_t>(data) != 0; }

TDVXValueBytes EncodeInteger(int type, int64_t value) {
  int64_t lo, hi;
  if (!IntegerTypeRange(type, lo, hi) || value < lo || value > hi) RaiseRangeError();
  TDVXValueBytes out(static_cast<size_t>(FixedDataSize(type)));
  // Little-endian: the low bytes of the int64 are the value in its width.
  std::memcpy(out.data(), &value, out.size());
  return out;
}

TDVXValueBytes EncodeReal(int type, long double value) {
  // A finite value beyond the target's range is a range error, not an
  // infinity (nor an undefined narrowing).
  auto check = [&](long double max) {
    if (std::isfinite(value) && std::fabs(value) > max) RaiseRangeError();
  };
  switch (type) {
    case bftSingle: check(std::numeric_limits<float>::max()); return Bytes(static_cast<float>(value));
    case bftFloat:
    case bftCurrency: check(std::numeric_limits<double>::max()); return Bytes(static_cast<double>(value));
    case bftExtended: {
      TDVXValueBytes out(kExtendedSize);
      LongDoubleToExtended(value, out.data());
      return out;
    }
    default: RaiseRangeError();
  }
}

TDVXValueBytes EncodeInt32(int32_t value) { return Bytes(value); }

TDVXValueBytes EncodeDateTime(TDVXDateTimePair pair) {
  TDVXValueBytes out(8);
  StoreDateTime(pair, out.data());
  return out;
}

TDVXValueBytes EncodeLogical(bool value) { return Bytes(static_cast<int16_t>(value ? -1 : 0)); }

TDVXValueBytes EncodeAnsiText(int type, const std::string& text) {
  if (IsWideType(type)) return EncodeWideText(type, AnsiToWide(text));
  if (text.empty()) return {};
  TDVXValueBytes out(text.begin(), text.end());
  if (type != bftMemo && type != bftBlob) out.push_back(0);
  return out;
}

TDVXValueBytes EncodeWideText(int type, const std::u16string& text) {
  if (!IsWideType(type)) return EncodeAnsiText(type, WideToAnsi(text));
  if (text.empty()) return {};
  TDVXValueBytes out;
  out.reserve(2 * (text.size() + 1));
  for (char16_t c : text) {
    out.push_back(static_cast<uint8_t>(c));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
  if (type != bftWideMemo) out.insert(out.end(), {0, 0});
  return out;
}

}  // namespace dvx
