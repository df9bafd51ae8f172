// The pieces under the expressions: LIKE matching, the text forms of BLOB
// constants, and the limits that keep hostile texts in bounds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/sql/blob_text_codec.h"
#include "engine/sql/like_pattern.h"
#include "engine/sql/sql_errors.h"
#include "sql_test_support.h"
#include "tests/support/dvx_matchers.h"

namespace dvx {
namespace {

using namespace dvx::testing;

struct TLike {
  const char* value;
  const char* pattern;
  bool ignoreCase;
  bool match;
};

class Like : public ::testing::TestWithParam<TLike> {};

TEST_P(Like, MatchesWholeValue) {
  const TLike& c = GetParam();
  EXPECT_EQ(LikeMatch(std::string_view(c.value), std::string_view(c.pattern), c.ignoreCase), c.match)
      << c.value << " LIKE " << c.pattern;
  EXPECT_EQ(LikeMatch(AnsiToWide(c.value), AnsiToWide(c.pattern), c.ignoreCase), c.match) << "wide";
}

INSTANTIATE_TEST_SUITE_P(
    All, Like,
    ::testing::Values(TLike{"ab", "ab%", false, true}, TLike{"abc", "ab%", false, true},
                      TLike{"abc", "a_c", false, true}, TLike{"ac", "a_c", false, false},
                      TLike{"", "%", false, true}, TLike{"", "_", false, false}, TLike{"abc", "%%%", false, true},
                      TLike{"aXbXc", "%b%c", false, true}, TLike{"abcabd", "%abd", false, true},
                      TLike{"abcab", "%abd", false, false}, TLike{"mississippi", "%iss%ppi", false, true},
                      TLike{"ABC", "abc", false, false}, TLike{"ABC", "abc", true, true},
                      TLike{"\xC4pfel", "\xE4%", true, true}, TLike{"\xC4pfel", "\xE4%", false, false},
                      TLike{"a%b", "a%b", false, true}, TLike{"ab", "a", false, false}));

TEST(LikeCost, LongValuesWithManyWildcardsStayCheap) {
  // Backtracking only to the last "%" keeps this linear in practice; an
  // exponential matcher would never finish.
  std::string value(2000, 'a');
  std::string pattern;
  for (int i = 0; i < 40; ++i) pattern += "%a";
  pattern += "%b";
  EXPECT_FALSE(LikeMatch(value, pattern, false));
}

TEST(BlobText, Base64WithAndWithoutPaddingAndBlanks) {
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(DecodeBase64("QUJD", bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "ABC");
  ASSERT_TRUE(DecodeBase64("QUI=", bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "AB");
  ASSERT_TRUE(DecodeBase64("QQ", bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "A");
  ASSERT_TRUE(DecodeBase64("QU\r\nJD", bytes));
  EXPECT_EQ(bytes.size(), 3u);
  ASSERT_TRUE(DecodeBase64("", bytes));
  EXPECT_TRUE(bytes.empty());
  for (const char* bad : {"Q", "QUJD=", "Q=UJ", "QU*D", "QQ===", "QUJ=D"}) EXPECT_FALSE(DecodeBase64(bad, bytes)) << bad;
}

TEST(BlobText, HexPairs) {
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(DecodeHex("00ff Aa\n10", bytes));
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0x00, 0xFF, 0xAA, 0x10}));
  for (const char* bad : {"0", "0g", "abc", "0x10"}) EXPECT_FALSE(DecodeHex(bad, bytes)) << bad;
}

TEST(ExpressionLimits, DeepNestingAndTallTreesAreRefusedNotOverflowed) {
  std::string nested = std::string(300, '(') + "1" + std::string(300, ')');
  EXPECT_THAT([&] { ParseValueText(nested); },
              ThrowsDvx(kErrExpressionTooComplex, "Expression too complex at line 1, column 101"));
  std::string conditions;
  for (int i = 0; i < 300; ++i) conditions += "(";
  conditions += "1 = 1" + std::string(300, ')');
  EXPECT_THAT([&] { ParseConditionText(conditions); }, ThrowsDvx(kErrExpressionTooComplex));
  std::string product = "1";
  for (int i = 0; i < 1000; ++i) product += " * 1";
  EXPECT_THAT([&] { ParseValueText(product); }, ThrowsDvx(kErrExpressionTooComplex));
  // Long but flat: sums, OR chains and IN lists are one node each.
  std::string sum = "1", ors = "1 = 1", in = "1 IN (0";
  for (int i = 0; i < 2000; ++i) {
    sum += " + 1";
    ors += " OR 1 = 2";
    in += ", " + std::to_string(i + 1);
  }
  EXPECT_EQ(Show(*ParseValueText(sum).expression->GetValue()), "SIGNEDINT64 2001");
  EXPECT_TRUE(ParseConditionText(ors).expression->IsTrue());
  EXPECT_TRUE(ParseConditionText(in + ")").expression->IsTrue());
}

TEST(ExpressionLimits, NestedConcatenationsParseOnce) {
  // Each level is tried as arithmetic first and fails at "||"; remembered
  // failures keep the retries from multiplying level by level.
  std::string text = "'a'";
  for (int i = 0; i < 60; ++i) text = "(" + text + " || 'b')";
  TParsed parsed = ParseValueText(text);
  EXPECT_EQ(Show(*parsed.expression->GetValue()), "STRING a" + std::string(60, 'b'));
}

}  // namespace
}  // namespace dvx
