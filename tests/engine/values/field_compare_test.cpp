#include "engine/values/field_compare.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/values/extended_float.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::ThrowsDvx;

namespace dvx {
namespace {

// A CHAR(n) slot as it lies in a record: characters, terminator, rest zero.
std::vector<uint8_t> AnsiSlot(const std::string& utf8, int32_t size) {
  std::string ansi = Utf8ToAnsi(utf8);
  std::vector<uint8_t> slot(size, 0);
  std::memcpy(slot.data(), ansi.data(), std::min<size_t>(ansi.size(), size - 1));
  return slot;
}

std::vector<uint8_t> WideSlot(const std::string& utf8, int32_t size) {
  std::u16string wide = Utf8ToWide(utf8);
  std::vector<uint8_t> slot(size, 0);
  for (size_t i = 0; i < wide.size() && 2 * i + 1 < static_cast<size_t>(size - 2); ++i) {
    slot[2 * i] = static_cast<uint8_t>(wide[i]);
    slot[2 * i + 1] = static_cast<uint8_t>(wide[i] >> 8);
  }
  return slot;
}

class StringCompare : public ::testing::Test {
 protected:
  int Ansi(const std::string& a, const std::string& b, bool ignoreCase = false) {
    auto x = AnsiSlot(a, 31), y = AnsiSlot(b, 31);
    return CompareFieldValues(bftChar, x.data(), y.data(), 31, ignoreCase);
  }
  int Wide(const std::string& a, const std::string& b, bool ignoreCase = false) {
    auto x = WideSlot(a, 62), y = WideSlot(b, 62);
    return CompareFieldValues(bftWideString, x.data(), y.data(), 62, ignoreCase);
  }
};

TEST_F(StringCompare, UmlautsSortWithTheirBaseLetters) {
  EXPECT_EQ(-1, Ansi("Apfel", "Äpfel"));
  EXPECT_EQ(-1, Ansi("Äpfel", "Birne"));
  EXPECT_EQ(-1, Ansi("Müller", "Muster"));
  EXPECT_EQ(-1, Wide("Äpfel", "Birne"));
  EXPECT_EQ(1, Wide("Zucker", "Öl"));
}

TEST_F(StringCompare, CaseMattersUnlessIgnored) {
  EXPECT_NE(0, Ansi("arnica", "Arnica"));
  EXPECT_EQ(0, Ansi("arnica", "ARNICA", true));
  EXPECT_EQ(0, Wide("ÄTHER", "äther", true));
  EXPECT_NE(0, Wide("ÄTHER", "äther"));
  EXPECT_EQ(-1, Ansi("arnica", "BELLADONNA", true));
}

TEST_F(StringCompare, PunctuationIsSignificant) {
  EXPECT_NE(0, Ansi("co-op", "coop"));
  EXPECT_NE(0, Ansi("o'neil", "oneil", true));
}

TEST_F(StringCompare, OnlyCharactersUpToTheTerminatorCount) {
  auto x = AnsiSlot("abc", 8), y = AnsiSlot("abc", 8);
  y[5] = 'z';  // garbage after the terminator
  EXPECT_EQ(0, CompareFieldValues(bftChar, x.data(), y.data(), 8));
  // An unterminated slot ends at the field size.
  std::vector<uint8_t> full(4, 'a'), shorter = AnsiSlot("aaa", 4);
  EXPECT_EQ(1, CompareFieldValues(bftString, full.data(), shorter.data(), 4));
}

TEST(NullOrder, NullComesFirstAndEqualsNull) {
  int32_t v = -5;
  EXPECT_EQ(-1, CompareFieldValues(bftSignedInt32, nullptr, &v, 4));
  EXPECT_EQ(1, CompareFieldValues(bftSignedInt32, &v, nullptr, 4));
  EXPECT_EQ(0, CompareFieldValues(bftSignedInt32, nullptr, nullptr, 4));
  auto s = AnsiSlot("", 4);
  EXPECT_EQ(-1, CompareFieldValues(bftChar, nullptr, s.data(), 4));
}

TEST(NumericCompare, SignednessAndWidths) {
  uint8_t u1 = 200, u2 = 100;
  EXPECT_EQ(1, CompareFieldValues(bftUnsignedInt8, &u1, &u2, 1));
  EXPECT_EQ(-1, CompareFieldValues(bftSignedInt8, &u1, &u2, 1));  // -56 < 100
  uint32_t c1 = 0xFFFFFFFF, c2 = 1;
  EXPECT_EQ(1, CompareFieldValues(bftUnsignedInt32, &c1, &c2, 4));
  EXPECT_EQ(-1, CompareFieldValues(bftSignedInt32, &c1, &c2, 4));
  int64_t l1 = INT64_MIN, l2 = INT64_MAX;
  EXPECT_EQ(-1, CompareFieldValues(bftSignedInt64, &l1, &l2, 8));
  double d1 = -0.5, d2 = 0.25;
  EXPECT_EQ(-1, CompareFieldValues(bftCurrency, &d1, &d2, 8));
  float f1 = 3.5f, f2 = 3.5f;
  EXPECT_EQ(0, CompareFieldValues(bftSingle, &f1, &f2, 4));
  auto e1 = DoubleToExtended(1e300), e2 = DoubleToExtended(-1e300);
  EXPECT_EQ(1, CompareFieldValues(bftExtended, e1.data(), e2.data(), 10));
}

TEST(OtherCompare, LogicalDateTimeAndBytes) {
  int16_t f = 0, t = -1, t2 = 1;
  EXPECT_EQ(-1, CompareFieldValues(bftLogical, &f, &t, 2));
  EXPECT_EQ(0, CompareFieldValues(bftLogical, &t, &t2, 2));
  int32_t dt1[2] = {700000, 5}, dt2[2] = {700000, 6}, dt3[2] = {699999, 86399999};
  EXPECT_EQ(-1, CompareFieldValues(bftDateTime, dt1, dt2, 8));
  EXPECT_EQ(1, CompareFieldValues(bftDateTime, dt1, dt3, 8));
  uint8_t b1[3] = {1, 2, 0x80}, b2[3] = {1, 2, 0x7F};
  EXPECT_EQ(1, CompareFieldValues(bftBytes, b1, b2, 3));
  EXPECT_EQ(0, CompareFieldValues(bftVarBytes, b1, b1, 3));
}

TEST(OtherCompare, BlobSlotsAndUnknownTypesHaveNoOrder) {
  uint8_t slot[8] = {};
  EXPECT_THAT([&] { CompareFieldValues(bftMemo, slot, slot, 8); }, ThrowsDvx(30047, "Unknown DataType: 'MEMO'"));
  EXPECT_THAT([&] { CompareFieldValues(static_cast<TDVXBaseFieldType>(30), slot, slot, 8); }, ThrowsDvx());
}

}  // namespace
}  // namespace dvx
