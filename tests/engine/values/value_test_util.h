#pragma once
// Helpers of the value tests: building values of a given type.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "engine/values/variant.h"
#include "engine/core/exception.h"

namespace dvx::testing {

template <typename T>
TDVXVariant Raw(uint8_t type, T bytes) {
  TDVXVariant v;
  v.SetBuffer(&bytes, sizeof bytes, true, type);
  return v;
}

inline TDVXVariant I8(int8_t v) { return Raw(bftSignedInt8, v); }
inline TDVXVariant I16(int16_t v) { return Raw(bftSignedInt16, v); }
inline TDVXVariant I32(int32_t v) { return Raw(bftSignedInt32, v); }
inline TDVXVariant I64(int64_t v) { return Raw(bftSignedInt64, v); }
inline TDVXVariant U8(uint8_t v) { return Raw(bftUnsignedInt8, v); }
inline TDVXVariant U16(uint16_t v) { return Raw(bftUnsignedInt16, v); }
inline TDVXVariant U32(uint32_t v) { return Raw(bftUnsignedInt32, v); }
inline TDVXVariant Sgl(float v) { return Raw(bftSingle, v); }
inline TDVXVariant Dbl(double v) { return Raw(bftFloat, v); }
inline TDVXVariant Cur(double v) { return Raw(bftCurrency, v); }
inline TDVXVariant Ext(long double v) {
  TDVXVariant x(bftExtended);
  x.SetAsExtended(v);
  return x;
}
inline TDVXVariant Date(int32_t dayNumber) { return Raw(bftDate, dayNumber); }
inline TDVXVariant Time(int32_t ms) { return Raw(bftTime, ms); }
inline TDVXVariant DateTime(int32_t day, int32_t ms) {
  int32_t pair[2] = {day, ms};
  TDVXVariant v;
  v.SetBuffer(pair, 8, true, bftDateTime);
  return v;
}
inline TDVXVariant Logical(bool v) { return Raw(bftLogical, static_cast<int16_t>(v ? -1 : 0)); }
// 8-bit text with its terminator, as the given string type.
inline TDVXVariant Text(const std::string& text, uint8_t type = bftString) {
  TDVXVariant v;
  if (type == bftMemo || type == bftBlob) {
    v.SetBuffer(text.data(), static_cast<int32_t>(text.size()), true, type);
  } else {
    v.SetBuffer(text.c_str(), static_cast<int32_t>(text.size() + 1), true, type);
  }
  return v;
}
inline TDVXVariant Wide(const std::u16string& text, uint8_t type = bftWideString) {
  std::vector<uint8_t> bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  if (type != bftWideMemo) bytes.insert(bytes.end(), {0, 0});
  TDVXVariant v;
  v.SetBuffer(bytes.data(), static_cast<int32_t>(bytes.size()), true, type);
  return v;
}
inline TDVXVariant Bytes(std::vector<uint8_t> bytes, uint8_t type = bftBytes) {
  TDVXVariant v;
  v.SetBuffer(bytes.data(), static_cast<int32_t>(bytes.size()), true, type);
  return v;
}

inline std::vector<uint8_t> BytesOf(const TDVXVariant& v) {
  return std::vector<uint8_t>(v.Data(), v.Data() + v.DataSize());
}

}  // namespace dvx::testing
