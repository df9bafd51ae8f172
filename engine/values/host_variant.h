#pragma once
// The platform variant: the tagged value the data-access layer exchanges
// with the host framework (parameter values, field values). Its kind codes
// are the host's automation variant codes.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace dvx {

class TDVXVariant;

enum TDVXHostVariantKind : uint16_t {
  hvkEmpty = 0,
  hvkNull = 1,
  hvkSmallint = 2,   // int16
  hvkInteger = 3,    // int32
  hvkSingle = 4,
  hvkDouble = 5,
  hvkCurrency = 6,   // held as double
  hvkDate = 7,       // date-time value, day 0 = 1899-12-30
  hvkOleStr = 8,     // UTF-16
  hvkDispatch = 9,
  hvkError = 10,
  hvkBoolean = 11,
  hvkVariant = 12,
  hvkUnknown = 13,
  hvkShortInt = 16,  // int8
  hvkByte = 17,
  hvkWord = 18,
  hvkLongWord = 19,
  hvkInt64 = 20,
  hvkString = 0x100,     // 8-bit (Windows-1252)
  hvkUString = 0x102,    // UTF-16
  hvkByteArray = 0x2011,
};

struct TDVXHostVariant {
  using TPayload = std::variant<std::monostate, int64_t, double, bool, std::string, std::u16string, std::vector<uint8_t>>;
  uint16_t kind = hvkEmpty;
  // int64 for the integer kinds, double for single, double, currency and
  // date, bool, std::string for hvkString, std::u16string for hvkOleStr and
  // hvkUString, bytes for hvkByteArray.
  TPayload value;
};

// Stores the host value into `target` through its typed setters (so a typed
// target converts the value into its own type); hvkNull leaves a NULL of the
// target's type. Any other kind, the empty one included, raises 30113
// "Unsupported Variant Type %s" with the kind number.
void HostVariantToValue(const TDVXHostVariant& source, TDVXVariant& target);
// The host form of a value: NULL gives hvkNull; EXTENDED goes to hvkDouble,
// dates and times to hvkDate, large objects and byte types to hvkByteArray
// (MEMO and WIDEMEMO to strings). A type the host cannot express (type 0)
// raises 30114 with the type name.
TDVXHostVariant ValueToHostVariant(const TDVXVariant& source);

}  // namespace dvx
