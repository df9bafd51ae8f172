#pragma once
// The engine's storage types. The code is stored in files (table
// definitions, value streams), so the numbers never change.
#include <cstdint>

namespace dvx {

enum TDVXBaseFieldType : uint8_t {
  bftUnknown = 0,
  bftChar = 1,
  bftWideChar = 2,
  bftString = 3,
  bftWideString = 4,
  bftSignedInt8 = 5,
  bftSignedInt16 = 6,
  bftSignedInt32 = 7,
  bftSignedInt64 = 8,
  bftUnsignedInt8 = 9,
  bftUnsignedInt16 = 10,
  bftUnsignedInt32 = 11,
  bftSingle = 12,
  bftFloat = 13,
  bftExtended = 14,
  bftDate = 15,
  bftTime = 16,
  bftDateTime = 17,
  bftBlob = 18,
  bftMemo = 19,
  bftWideMemo = 20,
  bftLogical = 21,
  bftCurrency = 22,
  bftBytes = 23,
  bftVarBytes = 24,
};

constexpr int kBaseFieldTypeCount = 24;

inline bool IsValidBaseType(int code) { return code >= 1 && code <= kBaseFieldTypeCount; }
inline bool IsFixedStringType(int t) { return t >= bftChar && t <= bftWideString; }
inline bool IsWideType(int t) { return t == bftWideChar || t == bftWideString || t == bftWideMemo; }
inline bool IsTextType(int t) { return (t >= bftChar && t <= bftWideString) || t == bftMemo || t == bftWideMemo; }
inline bool IsVariableStringType(int t) { return t == bftString || t == bftWideString; }
inline bool IsBlobType(int t) { return t >= bftBlob && t <= bftWideMemo; }
inline bool IsNumericType(int t) { return (t >= bftSignedInt8 && t <= bftExtended) || t == bftCurrency; }
inline bool IsDateTimeType(int t) { return t >= bftDate && t <= bftDateTime; }

// The name the engine prints for a base type in messages; "Unknown" for any
// other code.
inline const char* BaseFieldTypeName(int code) {
  static constexpr const char* kNames[kBaseFieldTypeCount + 1] = {
      "Unknown",     "CHAR",        "WIDECHAR",      "STRING",        "WIDESTRING", "SIGNEDINT8", "SIGNEDINT16",
      "SIGNEDINT32", "SIGNEDINT64", "UNSIGNEDINT8",  "UNSIGNEDINT16", "UNSIGNEDINT32", "SINGLE",   "FLOAT",
      "EXTENDED",    "DATE",        "TIME",          "DATETIME",      "BLOB",       "MEMO",       "WIDEMEMO",
      "LOGICAL",     "CURRENCY",    "BYTES",         "VARBYTES"};
  return IsValidBaseType(code) ? kNames[code] : kNames[0];
}

}  // namespace dvx
