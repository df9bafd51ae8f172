#include <gtest/gtest.h>

#include "tools/refdata/content_rules.h"
#include "tools/refdata/text_encoding.h"

namespace {

using refdata::EncodeWindows1252;

TEST(Windows1252, EncodesUmlautsAndTheUpperBlockToSingleBytes) {
  const auto result = EncodeWindows1252("Äß€„“–");
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.bytes, "\xC4\xDF\x80\x84\x93\x96");
}

TEST(Windows1252, RefusesCharactersTheEncodingLacksAndControls) {
  const auto arrow = EncodeWindows1252("Kopf → Hals");
  EXPECT_FALSE(arrow.ok);
  EXPECT_EQ(arrow.offending, U'→');
  EXPECT_EQ(EncodeWindows1252("Ő").offending, U'Ő');          // Latin-2 only
  EXPECT_EQ(EncodeWindows1252("a\tb").offending, U'\t');
  EXPECT_EQ(EncodeWindows1252("a\u0081b").offending, U'\u0081');  // C1 control, a hole of the code page
  EXPECT_EQ(EncodeWindows1252("😀").offending, U'😀');          // beyond the 16-bit plane
}

TEST(Windows1252, DescribesCharactersForMessages) {
  EXPECT_EQ(refdata::DescribeCharacter(U'→'), "U+2192 '→'");
  EXPECT_EQ(refdata::DescribeCharacter(U'\t'), "U+0009 (a control character)");
}

TEST(Utf8, FindsTheFirstIllFormedSequence) {
  EXPECT_FALSE(refdata::FindInvalidUtf8("Grüße").has_value());
  EXPECT_EQ(refdata::FindInvalidUtf8("ab\xC3"), 2u);          // truncated sequence
  EXPECT_EQ(refdata::FindInvalidUtf8("a\xC0\xAF"), 1u);       // overlong form of '/'
  EXPECT_EQ(refdata::FindInvalidUtf8("a\xED\xA0\x80"), 1u);   // surrogate
}

TEST(CaseFolding, IgnoresLetterCaseIncludingUmlauts) {
  EXPECT_EQ(refdata::FoldCase("ÜBELKEIT"), refdata::FoldCase("Übelkeit"));
  EXPECT_NE(refdata::FoldCase("Übelkeit"), refdata::FoldCase("Ubelkeit"));
}

TEST(CutToCharacters, CountsCharactersNotBytes) {
  EXPECT_EQ(refdata::CutToCharacters("Phosphoricum acid", 15), "Phosphoricum ac");
  EXPECT_EQ(refdata::CutToCharacters("Äöü", 2), "Äö");
  EXPECT_EQ(refdata::CutToCharacters("Sulfur", 15), "Sulfur");
}

}  // namespace
