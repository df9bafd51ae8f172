#pragma once
// Reading and writing the data of engine values. A value's bytes are laid
// out like the same base type in a record buffer, except that a string
// holds exactly its characters and terminator, a large object its content
// bytes (no terminator) and BYTES/VARBYTES as many bytes as given:
//
//   CHAR, STRING            n ANSI bytes, then 0
//   WIDECHAR, WIDESTRING    n UTF-16LE units, then a zero unit
//   BLOB, MEMO, WIDEMEMO    the content bytes
//   SIGNEDINT8..UNSIGNEDINT32  1, 2, 4, 8, 1, 2, 4 bytes little-endian
//   SINGLE 4, FLOAT 8, CURRENCY 8  IEEE 754, little-endian
//   EXTENDED                10 bytes, the 80-bit form
//   DATE 4 (day number), TIME 4 (milliseconds),
//   DATETIME 8 (day number, then milliseconds)
//   LOGICAL                 int16, 0 false, -1 true
//
// Every read is bounded by the value's size: a buffer too short for its
// fixed-size type is an error (kErrInvalidValueSize), strings end at their
// first zero or at the end of the buffer, whichever comes first.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/values/day_number.h"
#include "engine/values/field_types.h"

namespace dvx {

using TDVXValueBytes = std::vector<uint8_t>;

// Throws kErrInvalidValueSize when a fixed-size type's data is shorter than
// the type needs (FixedDataSize, the same sizes as in record buffers).
void CheckValueSize(int type, int32_t size);

bool IsValueStringType(int type);     // 1..4, 19, 20
bool IsValueIntegerType(int type);    // 5..11
bool IsValueRealType(int type);       // 12, 13, 14, 22

// Text of a string or large-object value (a WIDEMEMO or wide string read
// as 8-bit text goes through the code page).
std::string ReadAnsiText(int type, const uint8_t* data, int32_t size);
std::u16string ReadWideText(int type, const uint8_t* data, int32_t size);
int64_t ReadIntegerValue(int type, const uint8_t* data);
long double ReadRealValue(int type, const uint8_t* data);
int32_t ReadInt32Value(const uint8_t* data);
TDVXDateTimePair ReadDateTimeValue(const uint8_t* data);
bool ReadLogicalValue(const uint8_t* data);

// Encoders. Integers are range-checked for the type (kErrRange).
TDVXValueBytes EncodeInteger(int type, int64_t value);
TDVXValueBytes EncodeReal(int type, long double value);
TDVXValueBytes EncodeInt32(int32_t value);
TDVXValueBytes EncodeDateTime(TDVXDateTimePair pair);
TDVXValueBytes EncodeLogical(bool value);
// Text for a string or large-object type; empty text gives no bytes.
TDVXValueBytes EncodeAnsiText(int type, const std::string& text);
TDVXValueBytes EncodeWideText(int type, const std::u16string& text);

// The conversion of a value's data to another type. Same type: a copy.
// Throws kErrCannotCast for a pair without a rule and kErrConversionFailed
// for any failure inside a rule. An empty result means the converted value
// is NULL (an empty text).
TDVXValueBytes ConvertValueData(const uint8_t* data, int32_t size, int sourceType, int targetType);

}  // namespace dvx
