#include "engine/values/field_types.h"

#include <string>

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/values/extended_float.h"

namespace dvx {

namespace {

constexpr int32_t kUnknownBaseDataType = 30050;
constexpr int32_t kUnknownComponentDataType = 30289;

// The order decides every lookup: the first row of a declared type gives its
// storage type and SQL name, the first row of a storage type gives its name,
// and the first row of a component type gives the declared type it becomes.
constexpr TSQLFieldType kSQLFieldTypes[kSQLFieldTypeCount] = {
    {"CHAR", aftChar, bftChar, ftFixedChar},
    {"FIXEDCHAR", aftChar, bftChar, ftFixedChar},
    {"STRING", aftVarchar, bftString, ftString},
    {"VARCHAR", aftVarchar, bftString, ftString},
    {"VARCHAR2", aftVarchar, bftString, ftString},
    {"WIDECHAR", aftWideChar, bftWideChar, ftWideString},
    {"FIXEDWIDECHAR", aftWideChar, bftWideChar, ftWideString},
    {"WIDESTRING", aftWideVarchar, bftWideString, ftWideString},
    {"WIDEVARCHAR", aftWideVarchar, bftWideString, ftWideString},
    {"SIGNEDINT16", aftSmallInt, bftSignedInt16, ftSmallint},
    {"SMALLINT", aftSmallInt, bftSignedInt16, ftSmallint},
    {"SIGNEDINT8", aftShortInt, bftSignedInt8, ftSmallint},
    {"SHORTINT", aftShortInt, bftSignedInt8, ftSmallint},
    {"SIGNEDINT32", aftInteger, bftSignedInt32, ftInteger},
    {"INTEGER", aftInteger, bftSignedInt32, ftInteger},
    {"SIGNEDINT64", aftLargeInt, bftSignedInt64, ftLargeint},
    {"LARGEINT", aftLargeInt, bftSignedInt64, ftLargeint},
    {"INT64", aftLargeInt, bftSignedInt64, ftLargeint},
    {"UNSIGNEDINT16", aftWord, bftUnsignedInt16, ftWord},
    {"WORD", aftWord, bftUnsignedInt16, ftWord},
    {"UNSIGNEDINT8", aftByte, bftUnsignedInt8, ftWord},
    {"BYTE", aftByte, bftUnsignedInt8, ftWord},
    {"UNSIGNEDINT32", aftCardinal, bftUnsignedInt32, ftLargeint},
    {"CARDINAL", aftCardinal, bftUnsignedInt32, ftLargeint},
    {"AUTOINC", aftAutoInc, bftSignedInt32, ftAutoInc},
    {"AUTOINCSHORTINT", aftAutoIncShortInt, bftSignedInt8, ftAutoInc},
    {"AUTOINCSMALLINT", aftAutoIncSmallInt, bftSignedInt16, ftAutoInc},
    {"AUTOINCINTEGER", aftAutoIncInteger, bftSignedInt32, ftAutoInc},
    {"AUTOINCLARGEINT", aftAutoIncLargeInt, bftSignedInt64, ftLargeint},
    {"AUTOINCBYTE", aftAutoIncByte, bftUnsignedInt8, ftAutoInc},
    {"AUTOINCWORD", aftAutoIncWord, bftUnsignedInt16, ftAutoInc},
    {"AUTOINCCARDINAL", aftAutoIncCardinal, bftUnsignedInt32, ftAutoInc},
    {"FLOAT", aftDouble, bftFloat, ftFloat},
    {"SINGLE", aftSingle, bftSingle, ftFloat},
    {"DOUBLE", aftDouble, bftFloat, ftFloat},
    {"EXTENDED", aftExtended, bftExtended, ftFloat},
    {"LOGICAL", aftBoolean, bftLogical, ftBoolean},
    {"BOOLEAN", aftBoolean, bftLogical, ftBoolean},
    {"BOOL", aftBoolean, bftLogical, ftBoolean},
    {"BIT", aftBoolean, bftLogical, ftBoolean},
    {"CURRENCY", aftCurrency, bftCurrency, ftCurrency},
    {"MONEY", aftCurrency, bftCurrency, ftCurrency},
    {"DATE", aftDate, bftDate, ftDate},
    {"TIME", aftTime, bftTime, ftTime},
    {"DATETIME", aftDateTime, bftDateTime, ftDateTime},
    {"TIMESTAMP", aftTimeStamp, bftDateTime, ftTimeStamp},
    {"BYTES", aftBytes, bftBytes, ftBytes},
    {"VARBYTES", aftVarBytes, bftVarBytes, ftVarBytes},
    {"BLOB", aftBlob, bftBlob, ftBlob},
    {"BLOB", aftBlob, bftBlob, ftParadoxOle},
    {"BLOB", aftBlob, bftBlob, ftTypedBinary},
    {"BLOB", aftBlob, bftBlob, ftDBaseOle},
    {"GRAPHIC", aftGraphic, bftBlob, ftGraphic},
    {"MEMO", aftMemo, bftMemo, ftMemo},
    {"CLOB", aftMemo, bftMemo, ftMemo},
    {"FORMATTEDMEMO", aftFormattedMemo, bftMemo, ftFmtMemo},
    {"WIDEMEMO", aftWideMemo, bftWideMemo, ftMemo},
    {"WIDECLOB", aftWideMemo, bftWideMemo, ftMemo},
};

constexpr const char* kAdvancedNames[kAdvancedFieldTypeCount + 1] = {
    "Unknown",         "Char",           "Varchar",         "WideChar",        "WideVarchar",
    "ShortInt",        "SmallInt",       "Integer",         "LargeInt",        "Byte",
    "Word",            "Cardinal",       "AutoInc",         "AutoIncShortInt", "AutoIncSmallInt",
    "AutoIncInteger",  "AutoIncLargeInt", "AutoIncByte",    "AutoIncWord",     "AutoIncCardinal",
    "Single",          "Double",         "Extended",        "Boolean",         "Currency",
    "Date",            "Time",           "DateTime",        "TimeStamp",       "Bytes",
    "VarBytes",        "BLOB",           "Graphic",         "Memo",            "FormattedMemo",
    "WideMemo"};

const TSQLFieldType* FirstRowOfAdvanced(int advancedType) {
  for (const auto& row : kSQLFieldTypes)
    if (row.advancedType == advancedType) return &row;
  return nullptr;
}

const TSQLFieldType* FirstRowOfBase(int baseType) {
  for (const auto& row : kSQLFieldTypes)
    if (row.baseType == baseType) return &row;
  return nullptr;
}

}  // namespace

const TSQLFieldType* SQLFieldTypes() { return kSQLFieldTypes; }

const char* AdvancedFieldTypeName(int advancedType) {
  return IsValidAdvancedType(advancedType) ? kAdvancedNames[advancedType] : kAdvancedNames[0];
}

TDVXBaseFieldType AdvancedToBaseType(int advancedType) {
  const TSQLFieldType* row = FirstRowOfAdvanced(advancedType);
  return row ? row->baseType : bftUnknown;
}

TDVXComponentFieldType AdvancedToComponentType(int advancedType) {
  const TSQLFieldType* row = FirstRowOfAdvanced(advancedType);
  return row ? row->componentType : ftUnknown;
}

const char* AdvancedTypeSQLName(int advancedType) {
  const TSQLFieldType* row = FirstRowOfAdvanced(advancedType);
  return row ? row->name : "Unknown";
}

TDVXAdvancedFieldType BaseToAdvancedType(int baseType) {
  const TSQLFieldType* row = FirstRowOfBase(baseType);
  return row ? row->advancedType : aftUnknown;
}

const char* BaseTypeSQLName(int baseType) {
  const TSQLFieldType* row = FirstRowOfBase(baseType);
  return row ? row->name : "Unknown";
}

TDVXAdvancedFieldType ComponentToAdvancedType(int componentType) {
  for (const auto& row : kSQLFieldTypes)
    if (row.componentType == componentType) return row.advancedType;
  throw EDVXException(kUnknownComponentDataType, "Unknown DataType: '%s'", {std::to_string(componentType)});
}

const TSQLFieldType* FindSQLFieldType(std::string_view sqlName) {
  std::string upper = AnsiUpperCase(sqlName);
  for (const auto& row : kSQLFieldTypes)
    if (upper == row.name) return &row;
  return nullptr;
}

int32_t FixedDataSize(int baseType) {
  switch (baseType) {
    case bftSignedInt8:
    case bftUnsignedInt8:
      return 1;
    case bftSignedInt16:
    case bftUnsignedInt16:
    case bftLogical:
      return 2;
    case bftSignedInt32:
    case bftUnsignedInt32:
    case bftSingle:
    case bftDate:
    case bftTime:
      return 4;
    case bftSignedInt64:
    case bftFloat:
    case bftDateTime:
    case bftCurrency:
      return 8;
    case bftExtended:
      return kExtendedSize;
    default:
      return 0;
  }
}

bool IntegerTypeRange(int baseType, int64_t& lo, int64_t& hi) {
  switch (baseType) {
    case bftSignedInt8: lo = INT8_MIN; hi = INT8_MAX; return true;
    case bftSignedInt16: lo = INT16_MIN; hi = INT16_MAX; return true;
    case bftSignedInt32: lo = INT32_MIN; hi = INT32_MAX; return true;
    case bftSignedInt64: lo = INT64_MIN; hi = INT64_MAX; return true;
    case bftUnsignedInt8: lo = 0; hi = UINT8_MAX; return true;
    case bftUnsignedInt16: lo = 0; hi = UINT16_MAX; return true;
    case bftUnsignedInt32: lo = 0; hi = UINT32_MAX; return true;
    default: return false;
  }
}

int32_t MemoryDataSize(int baseType, int32_t fieldSize) {
  switch (baseType) {
    case bftChar:
    case bftString:
      return fieldSize + 1;
    case bftWideChar:
    case bftWideString:
      return 2 * (fieldSize + 1);
    case bftBlob:
    case bftMemo:
    case bftWideMemo:
      return 8;  // the slot holds a reference
    case bftBytes:
    case bftVarBytes:
      return fieldSize;
    default:
      if (int32_t fixed = FixedDataSize(baseType); fixed != 0) return fixed;
      throw EDVXException(kUnknownBaseDataType, "Unknown DataType: '%s'", {"Unknown"});
  }
}

int32_t DiskDataSize(int baseType, int32_t fieldSize) {
  if (IsBlobType(baseType) || IsVariableStringType(baseType)) return 6;
  return MemoryDataSize(baseType, fieldSize);
}

}  // namespace dvx
