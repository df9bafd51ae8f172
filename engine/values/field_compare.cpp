#include "engine/values/field_compare.h"

#include <cstring>
#include <string>
#include <string_view>

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/values/day_number.h"
#include "engine/values/extended_float.h"
#include "engine/values/slot_text.h"

namespace dvx {

namespace {

template <typename T>
T Load(const void* p) {
  T v;
  std::memcpy(&v, p, sizeof(T));
  return v;
}

template <typename T>
int Order(T x, T y) {
  return x < y ? -1 : (y < x ? 1 : 0);
}

// Doubles: NaN after every number, so a key order stays total.
int OrderReal(double x, double y) {
  bool xNaN = x != x, yNaN = y != y;
  if (xNaN || yNaN) return xNaN == yNaN ? 0 : (xNaN ? 1 : -1);
  return Order(x, y);
}

}  // namespace

int CompareFieldValues(TDVXBaseFieldType baseType, const void* a, const void* b, int32_t size, bool ignoreCase) {
  if (!IsValidBaseType(baseType)) throw EDVXException(30050, "Unknown DataType: '%s'", {"Unknown"});
  if (IsBlobType(baseType))
    throw EDVXException(30047, "Unknown DataType: '%s'", {BaseFieldTypeName(baseType)});
  if (!a || !b) return a ? 1 : (b ? -1 : 0);
  switch (baseType) {
    case bftChar:
    case bftString:
      return CompareAnsi(AnsiSlotChars(a, size), AnsiSlotChars(b, size), ignoreCase);
    case bftWideChar:
    case bftWideString:
      return CompareWide(WideSlotChars(a, size), WideSlotChars(b, size), ignoreCase);
    case bftSignedInt8:
      return Order(Load<int8_t>(a), Load<int8_t>(b));
    case bftSignedInt16:
      return Order(Load<int16_t>(a), Load<int16_t>(b));
    case bftSignedInt32:
    case bftDate:
    case bftTime:
      return Order(Load<int32_t>(a), Load<int32_t>(b));
    case bftSignedInt64:
      return Order(Load<int64_t>(a), Load<int64_t>(b));
    case bftUnsignedInt8:
      return Order(Load<uint8_t>(a), Load<uint8_t>(b));
    case bftUnsignedInt16:
      return Order(Load<uint16_t>(a), Load<uint16_t>(b));
    case bftUnsignedInt32:
      return Order(Load<uint32_t>(a), Load<uint32_t>(b));
    case bftSingle:
      return OrderReal(Load<float>(a), Load<float>(b));
    case bftFloat:
    case bftCurrency:
      return OrderReal(Load<double>(a), Load<double>(b));
    case bftExtended:
      return CompareExtended(a, b);
    case bftDateTime: {
      TDVXDateTimePair x = LoadDateTime(a), y = LoadDateTime(b);
      int byDay = Order(x.day, y.day);
      return byDay != 0 ? byDay : Order(x.milliseconds, y.milliseconds);
    }
    case bftLogical:
      return Order(Load<int16_t>(a) != 0, Load<int16_t>(b) != 0);
    case bftBytes:
    case bftVarBytes: {
      int c = size > 0 ? std::memcmp(a, b, static_cast<size_t>(size)) : 0;
      return Order(c, 0);
    }
    default:
      break;
  }
  throw EDVXException(30050, "Unknown DataType: '%s'", {"Unknown"});
}

}  // namespace dvx
