#pragma once
// Native error codes of engine values, their conversions, comparison,
// arithmetic and date patterns.
#include <cstdint>

namespace dvx {

constexpr int32_t kErrBufferSizeExceeded = 20056;   // "Buffer size exceeded"
constexpr int32_t kErrValueIsNull = 30016;          // "Value is Null" (typed getters)
constexpr int32_t kErrCompareIncompatible = 30044;  // "Cannot compare Incompatible DataTypes: '%s' and '%s'"
constexpr int32_t kErrCollateAnsi = 30045;          // "Unknown return code: %d"
constexpr int32_t kErrCollateWide = 30046;          // "Unknown return code: %d"
constexpr int32_t kErrCompareType = 30047;          // "Unknown DataType: '%s'"
constexpr int32_t kErrUnknownDataType = 30050;      // "Unknown DataType: '%s'"
constexpr int32_t kErrConversionFailed = 30051;     // "Cannot cast from '%s' to '%s'"
constexpr int32_t kErrCannotCast = 30052;           // "Cannot cast from '%s' to '%s'"
constexpr int32_t kErrCannotCopyData = 30054;       // "Cannot copy data into new memory"
constexpr int32_t kErrUnsupportedVariant = 30113;   // "Unsupported Variant Type %s"
constexpr int32_t kErrUnsupportedVariantBack = 30114;
constexpr int32_t kErrCannotInvert = 30123;         // "Cannot invert value with not numeric type '%s'"
constexpr int32_t kErrNotNumericAdd = 30124;        // "Not numeric argument in numeric operator '%s'"
constexpr int32_t kErrNotNumericMultiply = 30126;
constexpr int32_t kErrNotNumericDivide = 30127;
constexpr int32_t kErrDivision = 30128;             // "Division error: %s"
constexpr int32_t kErrAmPmExpected = 30129;         // "AM/PM word expected, but '%s' found"
constexpr int32_t kErrValueBufferMissing = 30140;   // "Value is Null" (comparison)

// Codes of our own where the message table has none.
constexpr int32_t kErrRange = 30920;                // "Range check error"
constexpr int32_t kErrInvalidValueSize = 30921;     // a buffer too short for its type
constexpr int32_t kErrDatePattern = 30922;          // text that does not fit a date pattern
constexpr int32_t kErrValueStream = 30924;          // "Invalid value stream: ..."
constexpr int32_t kErrParamIndex = 30925;           // a parameter index outside the list

constexpr const char* kRangeErrorText = "Range check error";

[[noreturn]] void RaiseRangeError();

}  // namespace dvx
