#include "engine/values/type_promotion.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "engine/values/base_field_type.h"
#include "engine/values/field_types.h"

namespace dvx {
namespace {

// The promotion table written out a second time, row by row, in a different
// form from the engine's, so a slip in either copy shows as a mismatch.
// Row: left type 1..24; column: right type 1..24; "-": incompatible.
const char* const kExpectedRows[24] = {
    "1 2 3 4 1 1 1 1 1 1 1 1 1 1 15 16 17 - 1 2 1 1 - -",                  // 1 CHAR
    "2 2 2 4 2 2 2 2 2 2 2 2 2 2 15 16 17 - 1 2 2 2 - -",                  // 2 WIDECHAR
    "3 2 3 4 3 3 3 3 3 3 3 3 3 3 15 16 17 - 1 2 3 3 - -",                  // 3 STRING
    "4 4 4 4 4 4 4 4 4 4 4 4 4 4 15 16 17 - 1 2 4 4 - -",                  // 4 WIDESTRING
    "1 2 3 4 5 6 7 8 6 10 11 12 13 14 15 16 17 - - - 5 22 - -",            // 5 SIGNEDINT8
    "1 2 3 4 6 6 7 8 6 10 11 12 13 14 15 16 17 - - - 6 22 - -",            // 6 SIGNEDINT16
    "1 2 3 4 7 7 7 8 7 7 8 12 13 14 15 16 17 - - - 7 22 - -",              // 7 SIGNEDINT32
    "1 2 3 4 8 8 8 8 8 8 8 12 13 14 15 16 17 - - - 8 22 - -",              // 8 SIGNEDINT64
    "1 2 3 4 6 6 7 8 9 10 11 12 13 14 15 16 17 - - - 9 22 - -",            // 9 UNSIGNEDINT8
    "1 2 3 4 7 7 7 8 10 10 11 12 13 14 15 16 17 - - - 10 22 - -",          // 10 UNSIGNEDINT16
    "1 2 3 4 8 8 8 8 11 11 11 12 13 14 15 16 17 - - - 11 22 - -",          // 11 UNSIGNEDINT32
    "1 2 3 4 12 12 12 12 12 12 12 12 13 14 15 16 17 - - - 12 22 - -",      // 12 SINGLE
    "1 2 3 4 13 13 13 13 13 13 13 13 13 14 15 16 17 - - - 13 22 - -",      // 13 FLOAT
    "1 2 3 4 14 14 14 14 14 14 14 14 14 14 15 16 17 - - - 14 22 - -",      // 14 EXTENDED
    "15 15 15 15 15 15 15 15 15 15 15 15 15 15 15 17 15 - - - - - - -",    // 15 DATE
    "16 16 16 16 16 16 16 16 16 16 16 16 16 16 17 16 16 - - - - - - -",    // 16 TIME
    "17 17 17 17 17 17 17 17 17 17 17 17 17 17 15 16 17 - - - - - - -",    // 17 DATETIME
    "- - - - - - - - - - - - - - - - - - - - - - - -",                     // 18 BLOB
    "1 2 3 4 - - - - - - - - - - - - - - 19 20 - - - -",                   // 19 MEMO
    "2 2 4 4 - - - - - - - - - - - - - - 20 20 - - - -",                   // 20 WIDEMEMO
    "1 2 3 4 5 6 7 8 9 10 11 12 13 14 - - - - - - 21 - - -",               // 21 LOGICAL
    "1 2 3 4 5 6 7 8 9 10 11 12 13 14 - - - - - - - 22 - -",               // 22 CURRENCY
    "- - - - - - - - - - - - - - - - - - - - - - - -",                     // 23 BYTES
    "- - - - - - - - - - - - - - - - - - - - - - - -",                     // 24 VARBYTES
};

TEST(TypePromotion, EveryCellMatchesTheIndependentCopy) {
  int cells = 0;
  for (int left = 1; left <= 24; ++left) {
    std::istringstream row(kExpectedRows[left - 1]);
    for (int right = 1; right <= 24; ++right) {
      std::string cell;
      ASSERT_TRUE(row >> cell) << "row " << left << " is short";
      int expected = cell == "-" ? 0 : std::stoi(cell);
      EXPECT_EQ(PromoteBaseTypes(left, right), expected)
          << BaseFieldTypeName(left) << " with " << BaseFieldTypeName(right);
      ++cells;
    }
    std::string extra;
    EXPECT_FALSE(row >> extra) << "row " << left << " is long";
  }
  EXPECT_EQ(cells, 576);
}

TEST(TypePromotion, IsNotSymmetric) {
  EXPECT_EQ(PromoteBaseTypes(bftSignedInt32, bftCurrency), bftCurrency);
  EXPECT_EQ(PromoteBaseTypes(bftCurrency, bftSignedInt32), bftSignedInt32);
  EXPECT_EQ(PromoteBaseTypes(bftDate, bftDateTime), bftDate);
  EXPECT_EQ(PromoteBaseTypes(bftDateTime, bftDate), bftDate);
  EXPECT_EQ(PromoteBaseTypes(bftSignedInt8, bftUnsignedInt8), bftSignedInt16);
}

TEST(TypePromotion, CodesOutsideTheTypesHaveNoCommonType) {
  EXPECT_EQ(PromoteBaseTypes(0, bftChar), 0);
  EXPECT_EQ(PromoteBaseTypes(bftChar, 0), 0);
  EXPECT_EQ(PromoteBaseTypes(25, bftChar), 0);
  EXPECT_EQ(PromoteBaseTypes(bftChar, -1), 0);
}

TEST(TypePromotion, FieldTypesKeepTheColumnWhoseBaseTypeWins) {
  // Integer (base 7) and LargeInt (base 8) meet as base 8: the second column.
  EXPECT_EQ(PromoteFieldTypes(aftInteger, aftLargeInt), aftLargeInt);
  // AutoInc is base 7 too; with Integer the first column's type stays.
  EXPECT_EQ(PromoteFieldTypes(aftAutoInc, aftInteger), aftAutoInc);
  // ShortInt (5) and Byte (9) meet as base 6, neither column's: SmallInt.
  EXPECT_EQ(PromoteFieldTypes(aftShortInt, aftByte), aftSmallInt);
  EXPECT_EQ(PromoteFieldTypes(aftBlob, aftInteger), 0);
}

}  // namespace
}  // namespace dvx
