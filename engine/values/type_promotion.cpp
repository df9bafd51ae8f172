#include "engine/values/type_promotion.h"

#include "engine/values/base_field_type.h"
#include "engine/values/field_types.h"

namespace dvx {

namespace {

// Row: left type, column: right type, both 1..24; 0 marks an incompatible
// pair.
constexpr uint8_t kPromotion[kBaseFieldTypeCount][kBaseFieldTypeCount] = {
    // 1   2   3   4   5   6   7   8   9  10  11  12  13  14  15  16  17  18  19  20  21  22  23  24
    { 1,  2,  3,  4,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1, 15, 16, 17,  0,  1,  2,  1,  1,  0,  0},  // 1 CHAR
    { 2,  2,  2,  4,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2, 15, 16, 17,  0,  1,  2,  2,  2,  0,  0},  // 2 WIDECHAR
    { 3,  2,  3,  4,  3,  3,  3,  3,  3,  3,  3,  3,  3,  3, 15, 16, 17,  0,  1,  2,  3,  3,  0,  0},  // 3 STRING
    { 4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4, 15, 16, 17,  0,  1,  2,  4,  4,  0,  0},  // 4 WIDESTRING
    { 1,  2,  3,  4,  5,  6,  7,  8,  6, 10, 11, 12, 13, 14, 15, 16, 17,  0,  0,  0,  5, 22,  0,  0},  // 5 SIGNEDINT8
    { 1,  2,  3,  4,  6,  6,  7,  8,  6, 10, 11, 12, 13, 14, 15, 16, 17,  0,  0,  0,  6, 22,  0,  0},  // 6 SIGNEDINT16
    { 1,  2,  3,  4,  7,  7,  7,  8,  7,  7,  8, 12, 13, 14, 15, 16, 17,  0,  0,  0,  7, 22,  0,  0},  // 7 SIGNEDINT32
    { 1,  2,  3,  4,  8,  8,  8,  8,  8,  8,  8, 12, 13, 14, 15, 16, 17,  0,  0,  0,  8, 22,  0,  0},  // 8 SIGNEDINT64
    { 1,  2,  3,  4,  6,  6,  7,  8,  9, 10, 11, 12, 13, 14, 15, 16, 17,  0,  0,  0,  9, 22,  0,  0},  // 9 UNSIGNEDINT8
    { 1,  2,  3,  4,  7,  7,  7,  8, 10, 10, 11, 12, 13, 14, 15, 16, 17,  0,  0,  0, 10, 22,  0,  0},  // 10 UNSIGNEDINT16
    { 1,  2,  3,  4,  8,  8,  8,  8, 11, 11, 11, 12, 13, 14, 15, 16, 17,  0,  0,  0, 11, 22,  0,  0},  // 11 UNSIGNEDINT32
    { 1,  2,  3,  4, 12, 12, 12, 12, 12, 12, 12, 12, 13, 14, 15, 16, 17,  0,  0,  0, 12, 22,  0,  0},  // 12 SINGLE
    { 1,  2,  3,  4, 13, 13, 13, 13, 13, 13, 13, 13, 13, 14, 15, 16, 17,  0,  0,  0, 13, 22,  0,  0},  // 13 FLOAT
    { 1,  2,  3,  4, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 15, 16, 17,  0,  0,  0, 14, 22,  0,  0},  // 14 EXTENDED
    {15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 17, 15,  0,  0,  0,  0,  0,  0,  0},  // 15 DATE
    {16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 17, 16, 16,  0,  0,  0,  0,  0,  0,  0},  // 16 TIME
    {17, 17, 17, 17, 17, 17, 17, 17, 17, 17, 17, 17, 17, 17, 15, 16, 17,  0,  0,  0,  0,  0,  0,  0},  // 17 DATETIME
    { 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0},  // 18 BLOB
    { 1,  2,  3,  4,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0, 19, 20,  0,  0,  0,  0},  // 19 MEMO
    { 2,  2,  4,  4,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0, 20, 20,  0,  0,  0,  0},  // 20 WIDEMEMO
    { 1,  2,  3,  4,  5,  6,  7,  8,  9, 10, 11, 12, 13, 14,  0,  0,  0,  0,  0,  0, 21,  0,  0,  0},  // 21 LOGICAL
    { 1,  2,  3,  4,  5,  6,  7,  8,  9, 10, 11, 12, 13, 14,  0,  0,  0,  0,  0,  0,  0, 22,  0,  0},  // 22 CURRENCY
    { 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0},  // 23 BYTES
    { 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0},  // 24 VARBYTES
};

}  // namespace

uint8_t PromoteBaseTypes(int left, int right) {
  if (!IsValidBaseType(left) || !IsValidBaseType(right)) return 0;
  return kPromotion[left - 1][right - 1];
}

int PromoteFieldTypes(int leftAdvanced, int rightAdvanced) {
  int leftBase = AdvancedToBaseType(leftAdvanced);
  int rightBase = AdvancedToBaseType(rightAdvanced);
  uint8_t common = PromoteBaseTypes(leftBase, rightBase);
  if (common == 0) return 0;
  if (common == leftBase) return leftAdvanced;
  if (common == rightBase) return rightAdvanced;
  return BaseToAdvancedType(common);
}

}  // namespace dvx
