#include "engine/values/field_types.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/exception.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::ThrowsDvx;

namespace dvx {
namespace {

TEST(SQLTypeTable, RowsFollowTheDeclaredOrderWithTheFourExceptions) {
  const std::vector<std::string> expected = {
      "CHAR", "FIXEDCHAR", "STRING", "VARCHAR", "VARCHAR2", "WIDECHAR", "FIXEDWIDECHAR", "WIDESTRING",
      "WIDEVARCHAR", "SIGNEDINT16", "SMALLINT", "SIGNEDINT8", "SHORTINT", "SIGNEDINT32", "INTEGER",
      "SIGNEDINT64", "LARGEINT", "INT64", "UNSIGNEDINT16", "WORD", "UNSIGNEDINT8", "BYTE", "UNSIGNEDINT32",
      "CARDINAL", "AUTOINC", "AUTOINCSHORTINT", "AUTOINCSMALLINT", "AUTOINCINTEGER", "AUTOINCLARGEINT",
      "AUTOINCBYTE", "AUTOINCWORD", "AUTOINCCARDINAL", "FLOAT", "SINGLE", "DOUBLE", "EXTENDED", "LOGICAL",
      "BOOLEAN", "BOOL", "BIT", "CURRENCY", "MONEY", "DATE", "TIME", "DATETIME", "TIMESTAMP", "BYTES",
      "VARBYTES", "BLOB", "BLOB", "BLOB", "BLOB", "GRAPHIC", "MEMO", "CLOB", "FORMATTEDMEMO", "WIDEMEMO",
      "WIDECLOB"};
  ASSERT_EQ(expected.size(), static_cast<size_t>(kSQLFieldTypeCount));
  for (int i = 0; i < kSQLFieldTypeCount; ++i) EXPECT_EQ(expected[i], SQLFieldTypes()[i].name) << "row " << i;
  EXPECT_EQ(ftBlob, SQLFieldTypes()[48].componentType);
  EXPECT_EQ(ftParadoxOle, SQLFieldTypes()[49].componentType);
  EXPECT_EQ(ftTypedBinary, SQLFieldTypes()[50].componentType);
  EXPECT_EQ(ftDBaseOle, SQLFieldTypes()[51].componentType);
}

TEST(SQLTypeTable, EveryRowsBaseTypeIsItsDeclaredTypesBaseType) {
  for (int i = 0; i < kSQLFieldTypeCount; ++i) {
    const TSQLFieldType& row = SQLFieldTypes()[i];
    EXPECT_EQ(row.baseType, AdvancedToBaseType(row.advancedType)) << row.name;
  }
}

TEST(SQLTypeTable, AdvancedLookupsTakeTheFirstRow) {
  EXPECT_EQ(bftSignedInt32, AdvancedToBaseType(aftAutoInc));
  EXPECT_EQ(bftSignedInt64, AdvancedToBaseType(aftAutoIncLargeInt));
  EXPECT_EQ(bftDateTime, AdvancedToBaseType(aftTimeStamp));
  EXPECT_EQ(bftUnknown, AdvancedToBaseType(0));
  EXPECT_EQ(bftUnknown, AdvancedToBaseType(36));
  EXPECT_STREQ("FLOAT", AdvancedTypeSQLName(aftDouble));
  EXPECT_STREQ("STRING", AdvancedTypeSQLName(aftVarchar));
  EXPECT_STREQ("Unknown", AdvancedTypeSQLName(99));
  EXPECT_EQ(ftLargeint, AdvancedToComponentType(aftCardinal));
  EXPECT_EQ(ftLargeint, AdvancedToComponentType(aftAutoIncLargeInt));
  EXPECT_EQ(ftMemo, AdvancedToComponentType(aftWideMemo));
  EXPECT_EQ(ftBlob, AdvancedToComponentType(aftBlob));
}

TEST(SQLTypeTable, BaseLookupsGiveTheNamesOfTheStorageTypes) {
  const char* names[] = {"CHAR", "WIDECHAR", "STRING", "WIDESTRING", "SIGNEDINT8", "SIGNEDINT16", "SIGNEDINT32",
                         "SIGNEDINT64", "UNSIGNEDINT8", "UNSIGNEDINT16", "UNSIGNEDINT32", "SINGLE", "FLOAT",
                         "EXTENDED", "DATE", "TIME", "DATETIME", "BLOB", "MEMO", "WIDEMEMO", "LOGICAL",
                         "CURRENCY", "BYTES", "VARBYTES"};
  for (int code = 1; code <= kBaseFieldTypeCount; ++code) {
    EXPECT_STREQ(names[code - 1], BaseTypeSQLName(code));
    EXPECT_STREQ(names[code - 1], BaseFieldTypeName(code));
  }
  EXPECT_EQ(aftInteger, BaseToAdvancedType(bftSignedInt32));
  EXPECT_EQ(aftDouble, BaseToAdvancedType(bftFloat));
  EXPECT_EQ(aftDateTime, BaseToAdvancedType(bftDateTime));
  EXPECT_EQ(aftBlob, BaseToAdvancedType(bftBlob));
  EXPECT_EQ(aftUnknown, BaseToAdvancedType(0));
}

TEST(SQLTypeTable, ComponentTypesMapToTheirFirstDeclaredType) {
  EXPECT_EQ(aftChar, ComponentToAdvancedType(ftFixedChar));
  EXPECT_EQ(aftVarchar, ComponentToAdvancedType(ftString));
  EXPECT_EQ(aftWideChar, ComponentToAdvancedType(ftWideString));
  EXPECT_EQ(aftSmallInt, ComponentToAdvancedType(ftSmallint));
  EXPECT_EQ(aftWord, ComponentToAdvancedType(ftWord));
  EXPECT_EQ(aftLargeInt, ComponentToAdvancedType(ftLargeint));
  EXPECT_EQ(aftAutoInc, ComponentToAdvancedType(ftAutoInc));
  EXPECT_EQ(aftDouble, ComponentToAdvancedType(ftFloat));
  EXPECT_EQ(aftBlob, ComponentToAdvancedType(ftParadoxOle));
  EXPECT_EQ(aftBlob, ComponentToAdvancedType(ftDBaseOle));
  EXPECT_EQ(aftBlob, ComponentToAdvancedType(ftTypedBinary));
  EXPECT_EQ(aftMemo, ComponentToAdvancedType(ftMemo));
  EXPECT_EQ(aftFormattedMemo, ComponentToAdvancedType(ftFmtMemo));
  EXPECT_EQ(aftTimeStamp, ComponentToAdvancedType(ftTimeStamp));
}

TEST(SQLTypeTable, UnmappedComponentTypeNamesItsNumber) {
  EXPECT_THAT([] { ComponentToAdvancedType(ftBCD); }, ThrowsDvx(30289, "Unknown DataType: '8'"));
}

TEST(SQLTypeTable, SQLNamesAreFoundWithoutRegardToCase) {
  ASSERT_NE(nullptr, FindSQLFieldType("varchar2"));
  EXPECT_EQ(aftVarchar, FindSQLFieldType("varchar2")->advancedType);
  EXPECT_EQ(aftDouble, FindSQLFieldType("Float")->advancedType);
  EXPECT_EQ(ftBlob, FindSQLFieldType("blob")->componentType);
  EXPECT_EQ(nullptr, FindSQLFieldType("NUMBER"));
  EXPECT_EQ(nullptr, FindSQLFieldType(""));
}

TEST(FieldTypeNames, DisplayNamesAndUnknown) {
  EXPECT_STREQ("Char", AdvancedFieldTypeName(aftChar));
  EXPECT_STREQ("AutoIncCardinal", AdvancedFieldTypeName(aftAutoIncCardinal));
  EXPECT_STREQ("FormattedMemo", AdvancedFieldTypeName(aftFormattedMemo));
  EXPECT_STREQ("WideMemo", AdvancedFieldTypeName(aftWideMemo));
  EXPECT_STREQ("Unknown", AdvancedFieldTypeName(36));
  EXPECT_STREQ("Unknown", BaseFieldTypeName(25));
}

TEST(FieldSizes, MemoryAndDiskSizesOfEveryBaseType) {
  struct Row {
    int type;
    int32_t memory;
    int32_t disk;
  };
  // Declared size 10 for all.
  const Row rows[] = {{1, 11, 11}, {2, 22, 22}, {3, 11, 6},  {4, 22, 6},  {5, 1, 1},   {6, 2, 2},
                      {7, 4, 4},   {8, 8, 8},   {9, 1, 1},   {10, 2, 2},  {11, 4, 4},  {12, 4, 4},
                      {13, 8, 8},  {14, 10, 10}, {15, 4, 4}, {16, 4, 4},  {17, 8, 8},  {18, 8, 6},
                      {19, 8, 6},  {20, 8, 6},  {21, 2, 2},  {22, 8, 8},  {23, 10, 10}, {24, 10, 10}};
  for (const Row& r : rows) {
    EXPECT_EQ(r.memory, MemoryDataSize(r.type, 10)) << r.type;
    EXPECT_EQ(r.disk, DiskDataSize(r.type, 10)) << r.type;
  }
}

TEST(FieldSizes, FixedSizesAreTheSlotSizesOfTheFixedTypes) {
  // Values and slots share these sizes; the variable kinds have none.
  const int32_t expected[26] = {0, 0, 0, 0, 0, 1, 2, 4, 8, 1, 2, 4, 4, 8, 10, 4, 4, 8, 0, 0, 0, 2, 8, 0, 0, 0};
  for (int type = 0; type <= 25; ++type) {
    EXPECT_EQ(expected[type], FixedDataSize(type)) << type;
    if (expected[type] != 0) {
      EXPECT_EQ(expected[type], MemoryDataSize(type, 0)) << type;
      EXPECT_EQ(expected[type], MemoryDataSize(type, 99)) << type;
    }
  }
}

TEST(FieldSizes, IntegerRangesOfTheIntegerTypesOnly) {
  struct Row {
    int type;
    int64_t lo, hi;
  };
  const Row rows[] = {{5, -128, 127},          {6, -32768, 32767},    {7, -2147483648LL, 2147483647},
                      {8, INT64_MIN, INT64_MAX}, {9, 0, 255},           {10, 0, 65535},
                      {11, 0, 4294967295LL}};
  for (const Row& r : rows) {
    int64_t lo = 0, hi = 0;
    ASSERT_TRUE(IntegerTypeRange(r.type, lo, hi)) << r.type;
    EXPECT_EQ(r.lo, lo) << r.type;
    EXPECT_EQ(r.hi, hi) << r.type;
    // The range fills the type's bytes exactly.
    uint64_t span = static_cast<uint64_t>(hi) - static_cast<uint64_t>(lo);
    int32_t bytes = FixedDataSize(r.type);
    EXPECT_EQ(bytes == 8 ? UINT64_MAX : (uint64_t{1} << (8 * bytes)) - 1, span) << r.type;
  }
  int64_t lo, hi;
  for (int type : {0, 1, 12, 15, 21, 22, 23, 25}) EXPECT_FALSE(IntegerTypeRange(type, lo, hi)) << type;
}

TEST(FieldSizes, UnknownBaseTypeIsRefused) {
  EXPECT_THAT([] { MemoryDataSize(0, 1); }, ThrowsDvx(30050));
  EXPECT_THAT([] { DiskDataSize(25, 1); }, ThrowsDvx(30050));
}

TEST(FieldTypeClasses, AdvancedClasses) {
  for (int t = 1; t <= kAdvancedFieldTypeCount; ++t) {
    EXPECT_EQ(t >= 12 && t <= 19, IsAutoincType(t)) << t;
    EXPECT_EQ(t >= 31, IsAdvancedBlobType(t)) << t;
    EXPECT_EQ(t <= 28, IsNonBlobAdvancedType(t)) << t;
  }
  EXPECT_TRUE(IsAdvancedWideType(aftWideMemo));
  EXPECT_FALSE(IsAdvancedWideType(aftMemo));
}

}  // namespace
}  // namespace dvx
