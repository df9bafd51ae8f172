#pragma once
// Declared field types, their storage types, sizes and SQL names.
//
// A field has a declared (advanced) type, what a user or an SQL statement
// names, and a storage (base) type, which decides the bytes. The SQL type
// table ties names, declared types, storage types and the data-access
// layer's field types together; every lookup takes its first matching row,
// so the order of the rows is part of the behaviour.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/values/base_field_type.h"

namespace dvx {

enum TDVXAdvancedFieldType : uint8_t {
  aftUnknown = 0,
  aftChar = 1,
  aftVarchar = 2,
  aftWideChar = 3,
  aftWideVarchar = 4,
  aftShortInt = 5,
  aftSmallInt = 6,
  aftInteger = 7,
  aftLargeInt = 8,
  aftByte = 9,
  aftWord = 10,
  aftCardinal = 11,
  aftAutoInc = 12,
  aftAutoIncShortInt = 13,
  aftAutoIncSmallInt = 14,
  aftAutoIncInteger = 15,
  aftAutoIncLargeInt = 16,
  aftAutoIncByte = 17,
  aftAutoIncWord = 18,
  aftAutoIncCardinal = 19,
  aftSingle = 20,
  aftDouble = 21,
  aftExtended = 22,
  aftBoolean = 23,
  aftCurrency = 24,
  aftDate = 25,
  aftTime = 26,
  aftDateTime = 27,
  aftTimeStamp = 28,
  aftBytes = 29,
  aftVarBytes = 30,
  aftBlob = 31,
  aftGraphic = 32,
  aftMemo = 33,
  aftFormattedMemo = 34,
  aftWideMemo = 35,
};

constexpr int kAdvancedFieldTypeCount = 35;

// Field types of the data-access layer. The numbers are the host dataset
// framework's; they only appear in messages ("Unknown DataType: '%s'").
enum TDVXComponentFieldType : int {
  ftUnknown = 0,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,
  ftVarBytes,
  ftAutoInc,
  ftBlob,
  ftMemo,
  ftGraphic,
  ftFmtMemo,
  ftParadoxOle,
  ftDBaseOle,
  ftTypedBinary,
  ftCursor,
  ftFixedChar,
  ftWideString,
  ftLargeint,
  ftADT,
  ftArray,
  ftReference,
  ftDataSet,
  ftOraBlob,
  ftOraClob,
  ftVariant,
  ftInterface,
  ftIDispatch,
  ftGuid,
  ftTimeStamp,
  ftFMTBcd,
};

// One row of the SQL type table.
struct TSQLFieldType {
  const char* name;
  TDVXAdvancedFieldType advancedType;
  TDVXBaseFieldType baseType;
  TDVXComponentFieldType componentType;
};

constexpr int kSQLFieldTypeCount = 58;
const TSQLFieldType* SQLFieldTypes();  // kSQLFieldTypeCount rows, in lookup order

// --- Classes ---------------------------------------------------------------------
inline bool IsValidAdvancedType(int t) { return t >= 1 && t <= kAdvancedFieldTypeCount; }
inline bool IsAutoincType(int t) { return t >= aftAutoInc && t <= aftAutoIncCardinal; }
inline bool IsAdvancedBlobType(int t) { return t >= aftBlob && t <= aftWideMemo; }
inline bool IsAdvancedBytesType(int t) { return t == aftBytes || t == aftVarBytes; }
inline bool IsAdvancedWideType(int t) { return t == aftWideChar || t == aftWideVarchar || t == aftWideMemo; }
inline bool IsNonBlobAdvancedType(int t) { return t >= aftChar && t <= aftTimeStamp; }

// The stored display name ("Char" ... "WideMemo"); "Unknown" otherwise.
const char* AdvancedFieldTypeName(int advancedType);

// --- First-match lookups ----------------------------------------------------------
// bftUnknown / aftUnknown / ftUnknown / nullptr when no row matches.
TDVXBaseFieldType AdvancedToBaseType(int advancedType);
TDVXComponentFieldType AdvancedToComponentType(int advancedType);
// The SQL name of the first row; "Unknown" when there is none.
const char* AdvancedTypeSQLName(int advancedType);
TDVXAdvancedFieldType BaseToAdvancedType(int baseType);
const char* BaseTypeSQLName(int baseType);
// Throws 30289 "Unknown DataType: '%s'" (the type's number) for a type in no row.
TDVXAdvancedFieldType ComponentToAdvancedType(int componentType);
// Case-insensitive; nullptr when the name is in no row.
const TSQLFieldType* FindSQLFieldType(std::string_view sqlName);

// --- Sizes ---------------------------------------------------------------------------
// Bytes of a value of a fixed-size base type (the numbers, dates and times,
// LOGICAL), the same in a record buffer and in an engine value; 0 for
// strings, large objects, BYTES/VARBYTES and codes that are no type.
int32_t FixedDataSize(int baseType);
// Range of an integer base type (SIGNEDINT8..UNSIGNEDINT32); false for
// types that are not integers.
bool IntegerTypeRange(int baseType, int64_t& lo, int64_t& hi);
// Bytes of a value of the base type in a record buffer, for the declared
// size n (characters of string types, bytes of BYTES/VARBYTES). Throws 30050
// "Unknown DataType: '%s'" for a code outside 1..24.
int32_t MemoryDataSize(int baseType, int32_t fieldSize);
// Bytes in the on-disk record image: 6 for the types kept outside the row.
int32_t DiskDataSize(int baseType, int32_t fieldSize);

// A declared size whose memory size would not fit a record (or is negative)
// is refused with 30007 before anything is laid out.
constexpr int32_t kMaxFieldSize = 0x3FFFFFF0;

}  // namespace dvx
