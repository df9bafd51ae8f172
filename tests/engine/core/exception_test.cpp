#include "engine/core/exception.h"

#include <gtest/gtest.h>

namespace dvx {
namespace {

TEST(ExceptionText, PlainMessagePadsCodeToFiveDigits) {
  EDVXException e(123, std::string("Invalid pointer"));
  EXPECT_STREQ(e.what(), "Invalid pointer - Native error: 00123");
  EXPECT_EQ(e.NativeError(), 123);
  EXPECT_EQ(e.Message(), "Invalid pointer");
}

TEST(ExceptionText, PlainMessageNegativeCodeKeepsFiveDigitsAfterSign) {
  EXPECT_STREQ(EDVXException(-5, std::string("x")).what(), "x - Native error: -00005");
}

TEST(ExceptionText, PlainMessageLongCodesAreNotCut) {
  EXPECT_STREQ(EDVXException(123456, std::string("m")).what(), "m - Native error: 123456");
  EXPECT_STREQ(EDVXException(-123456, std::string("m")).what(), "m - Native error: -123456");
}

TEST(ExceptionText, FormattedMessageRightAlignsCode) {
  EDVXException e(123, "Field #%d not found", {7});
  EXPECT_STREQ(e.what(), "Field #7 not found - Native error:   123");
  EXPECT_EQ(e.Message(), "Field #7 not found");
  EXPECT_STREQ(EDVXException(30004, "Limit %d", {5}).what(), "Limit 5 - Native error: 30004");
  EXPECT_STREQ(EDVXException(-5, "a%s", {"b"}).what(), "ab - Native error:    -5");
}

TEST(ExceptionText, ArgumentsThatDoNotFitGiveTheInvalidForm) {
  EXPECT_STREQ(EDVXException(10, "Table '%s' missing", {42}).what(),
               "Table '%s' missing Arguments are invalid! - Native error:    10");
  EXPECT_STREQ(EDVXException(10, "%d and %d", {1}).what(),
               "%d and %d Arguments are invalid! - Native error:    10");
  EXPECT_STREQ(EDVXException(10, "none", {1}).what(), "none Arguments are invalid! - Native error:    10");
}

TEST(MessageFormat, PlaceholdersOfEveryKind) {
  EXPECT_EQ(*FormatMessage("%s=%d", {"a", 5}), "a=5");
  EXPECT_EQ(*FormatMessage("%d", {int64_t{-9000000000}}), "-9000000000");
  EXPECT_EQ(*FormatMessage("%x", {255}), "ff");
  EXPECT_EQ(*FormatMessage("%x", {-1}), "ffffffff");
  EXPECT_EQ(*FormatMessage("%x", {int64_t{-1}}), "ffffffffffffffff");
  EXPECT_EQ(*FormatMessage("%f", {4.2}), "4.20");
  EXPECT_EQ(*FormatMessage("%.3f", {1.0}), "1.000");
  EXPECT_EQ(*FormatMessage("100%%", {}), "100%");
  EXPECT_EQ(*FormatMessage("[%5d][%-3d][%05d]", {42, 7, -42}), "[   42][7  ][-0042]");
  EXPECT_EQ(*FormatMessage("%.2s", {"abcdef"}), "ab");
}

TEST(MessageFormat, MismatchesAreRefusedNotGuessed) {
  EXPECT_FALSE(FormatMessage("%d", {"text"}));
  EXPECT_FALSE(FormatMessage("%s", {3}));
  EXPECT_FALSE(FormatMessage("%f", {3}));
  EXPECT_FALSE(FormatMessage("%d", {1.5}));
  EXPECT_FALSE(FormatMessage("%d %d", {1}));
  EXPECT_FALSE(FormatMessage("%d", {1, 2}));
  EXPECT_FALSE(FormatMessage("trailing %", {}));
  EXPECT_FALSE(FormatMessage("%q", {1}));
  EXPECT_FALSE(FormatMessage("%99999d", {1}));
}

}  // namespace
}  // namespace dvx
