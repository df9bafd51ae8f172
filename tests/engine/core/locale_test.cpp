#include "engine/core/locale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace dvx {
namespace {

// Texts are Windows-1252 bytes: \xE4 ä, \xF6 ö, \xFC ü, \xDF ß, \xC4 Ä.
TEST(Collation, UmlautsSortWithTheirBaseLetters) {
  std::vector<std::string> words = {"Zucker", "\xC4pfel", "Apfel", "Mutter", "M\xFC" "de", "Mude", "Ofen", "\xD6l"};
  std::sort(words.begin(), words.end(), [](const auto& a, const auto& b) { return CompareAnsi(a, b) < 0; });
  std::vector<std::string> expected = {"Apfel", "\xC4pfel", "Mude", "M\xFC" "de", "Mutter", "Ofen", "\xD6l", "Zucker"};
  EXPECT_EQ(words, expected);
}

TEST(Collation, SharpSSortsAsSs) {
  EXPECT_LT(CompareAnsi("Masse", "Ma\xDF" "e"), 0);
  EXPECT_LT(CompareAnsi("Ma\xDF" "e", "Mast"), 0);
  EXPECT_EQ(CompareAnsi("stra\xDF" "e", "STRA\xDF" "E", true), 0);
  EXPECT_NE(CompareAnsi("stra\xDF" "e", "STRA\xDF" "E"), 0);
}

TEST(Collation, CaseMattersUnlessIgnored) {
  EXPECT_NE(CompareAnsi("arnica", "Arnica"), 0);
  EXPECT_LT(CompareAnsi("arnica", "Arnica"), 0);  // lower case first, as German readers expect
  EXPECT_EQ(CompareAnsi("arnica", "ARNICA", true), 0);
  EXPECT_NE(CompareAnsi("Apfel", "\xC4pfel", true), 0);  // accents still count
}

TEST(Collation, PunctuationIsSignificant) {
  EXPECT_NE(CompareAnsi("co-op", "coop"), 0);
  EXPECT_NE(CompareAnsi("it's", "its"), 0);
  EXPECT_NE(CompareAnsi("a b", "ab"), 0);
}

TEST(Collation, ZeroTerminatedAndWideFormsAgree) {
  const char* pairs[][2] = {{"Apfel", "\xC4pfel"}, {"b", "A"}, {"Ma\xDF", "Mass"}, {"x", "x"}, {"", "a"}};
  for (auto& p : pairs) {
    int narrow = CompareAnsi(p[0], p[1]);
    EXPECT_EQ(CompareAnsiZ(p[0], p[1]), narrow);
    EXPECT_EQ(CompareWide(AnsiToWide(p[0]), AnsiToWide(p[1])), narrow);
    std::u16string a = AnsiToWide(p[0]), b = AnsiToWide(p[1]);
    EXPECT_EQ(CompareWideZ(a.c_str(), b.c_str()), narrow);
    EXPECT_EQ(CompareAnsi(p[1], p[0]), -narrow);
  }
  // The terminated form stops at the NUL, the counted one does not.
  EXPECT_EQ(CompareAnsiZ("ab\0c", "ab"), 0);
  EXPECT_NE(CompareAnsi(std::string_view("ab\0c", 4), "ab"), 0);
}

TEST(Windows1252, EveryByteRoundTrips) {
  for (int b = 0; b < 256; ++b) {
    std::string one(1, static_cast<char>(b));
    std::u16string wide = AnsiToWide(one);
    ASSERT_EQ(wide.size(), 1u);
    EXPECT_EQ(WideToAnsi(wide), one) << b;
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(one)), one) << b;
  }
}

TEST(Windows1252, KnownMappings) {
  EXPECT_EQ(AnsiCharToWide(0x80), u'\u20AC');
  EXPECT_EQ(AnsiCharToWide(0x9F), u'\u0178');
  EXPECT_EQ(AnsiCharToWide(0xE4), u'\u00E4');
  for (uint8_t undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) EXPECT_EQ(AnsiCharToWide(undefined), undefined);
  EXPECT_EQ(WideToAnsi(u"\u20AC \u4E2D \U0001F600"), "\x80 ? ?");
  EXPECT_EQ(AnsiToUtf8("Gr\xFC\xDF"), "Gr\xC3\xBC\xC3\x9F");
}

TEST(Casing, GermanLettersChangeCaseWithoutChangingLength) {
  EXPECT_EQ(AnsiUpperCase("gr\xFC\xDF" "e \xE4\xF6\xFF"), "GR\xDC\xDF" "E \xC4\xD6\x9F");
  EXPECT_EQ(AnsiLowerCase("\xC4PFEL \x8A"), "\xE4pfel \x9A");
  EXPECT_EQ(AnsiUpperCase("\xB5"), "\xB5");  // micro sign: its capital is not in the code page
  EXPECT_TRUE(SameName("tblTree", "TBLTREE"));
  EXPECT_TRUE(SameName("\xE4rger", "\xC4RGER"));
  EXPECT_FALSE(SameName("tree", "trees"));
  EXPECT_EQ(WideUpperCase(u"\u00e4b"), u"\u00c4B");
}

TEST(GermanFormats, DatesAndTimes) {
  const auto& s = LocaleSettings();
  EXPECT_EQ(s.shortDateFormat, "dd.MM.yyyy");
  EXPECT_EQ(s.decimalSeparator, ',');
  EXPECT_EQ(s.longMonthNames[2], "M\xE4rz");
  EXPECT_EQ(s.longDayNames[0], "Sonntag");
  EXPECT_EQ(FormatShortDate(2026, 12, 9), "09.12.2026");
  EXPECT_EQ(FormatLongTime(5, 7, 9), "05:07:09");
  int y, m, d, h, n, sec;
  ASSERT_TRUE(ParseShortDate("9.12.2026", y, m, d));
  EXPECT_EQ(y * 10000 + m * 100 + d, 20261209);
  ASSERT_TRUE(ParseShortDate("29.02.2024", y, m, d));
  EXPECT_FALSE(ParseShortDate("29.02.2023", y, m, d));
  EXPECT_FALSE(ParseShortDate("31.04.2023", y, m, d));
  EXPECT_FALSE(ParseShortDate("2023-01-01", y, m, d));
  ASSERT_TRUE(ParseShortDate("1.1.49", y, m, d));
  EXPECT_EQ(y, 2049);
  ASSERT_TRUE(ParseTime("23:59:58", h, n, sec));
  EXPECT_EQ(h * 10000 + n * 100 + sec, 235958);
  ASSERT_TRUE(ParseTime("7:05", h, n, sec));
  EXPECT_EQ(sec, 0);
  EXPECT_FALSE(ParseTime("24:00:00", h, n, sec));
  EXPECT_FALSE(ParseTime("12:00:00x", h, n, sec));
}

}  // namespace
}  // namespace dvx
