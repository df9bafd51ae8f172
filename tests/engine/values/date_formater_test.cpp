#include "engine/values/date_formater.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "engine/values/date_time_value.h"
#include "engine/values/value_errors.h"
#include "value_test_util.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::ThrowsDvx;
using ::testing::_;

namespace dvx {
namespace {

using TWord = TDateFormater::TWord;

// Date-time values worked out by hand: 2000-01-01 is day 36526 of the scale.
constexpr double k20040305 = 38051;  // a Friday, day 65 of its year
constexpr double k20290101 = 47119;
constexpr double k19300101 = 10959;
constexpr double kHalfPastNoon = 0.5 + 30.0 / 1440;

std::string Fmt(std::string_view pattern, double value) { return TDateFormater(pattern).Format(value); }
double Parse(std::string_view pattern, std::string_view text) { return TDateFormater(pattern).Parse(text); }

TEST(DateFormaterSplit, LongestWordWinsAndOtherCharactersAreLiterals) {
  TDateFormater f("dd.Mm.YYYY HH24:NN");
  std::vector<TWord> words;
  for (const auto& e : f.Elements()) words.push_back(e.word);
  EXPECT_EQ(words, (std::vector<TWord>{TWord::Day2, TWord::Literal, TWord::Month2, TWord::Literal, TWord::Year4,
                                       TWord::Literal, TWord::Hour24x2, TWord::Literal, TWord::Minute2}));
  TDateFormater g("MONTHMONMMM");
  ASSERT_EQ(g.Elements().size(), 4u);
  EXPECT_EQ(g.Elements()[0].word, TWord::MonthName);
  EXPECT_EQ(g.Elements()[1].word, TWord::MonthShort);
  EXPECT_EQ(g.Elements()[2].word, TWord::Month2);
  EXPECT_EQ(g.Elements()[3].word, TWord::Month);
}

TEST(DateFormaterSplit, QuotedTextIsLiteral) {
  TDateFormater f("'Day' D \"of\" MM");
  EXPECT_EQ(f.Format(k20040305), "Day 5 of 03");
  ASSERT_EQ(f.Elements().size(), 4u);
  EXPECT_EQ(f.Elements()[0].text, "Day ");
  // An unclosed quote runs to the end.
  EXPECT_EQ(Fmt("YYYY 'MM", k20040305), "2004 MM");
}

TEST(DateFormaterFormat, DateWords) {
  EXPECT_EQ(Fmt("DD.MM.YYYY", k20040305), "05.03.2004");
  EXPECT_EQ(Fmt("D.M.YY", k20040305), "5.3.04");
  EXPECT_EQ(Fmt("YEAR Q RM", k20040305), "2004 1 III");
  EXPECT_EQ(Fmt("MONTH MON", k20040305), "M\xE4rz M\xE4r");
  EXPECT_EQ(Fmt("DAY DY DW DDD", k20040305), "Freitag Fr 5 065");
  EXPECT_EQ(Fmt("DW DAY", k20040305 + 2), "7 Sonntag");
  EXPECT_EQ(Fmt("RM DDD", 38345), "XII 359");  // 2004-12-24: 37987 (2004-01-01) + 358
}

TEST(DateFormaterFormat, TimeWords) {
  EXPECT_EQ(Fmt("HH12:NN AMPM", kHalfPastNoon), "00:30 PM");
  EXPECT_EQ(Fmt("HH24:NN AMPM", kHalfPastNoon), "12:30 PM");
  double t = (((13 * 60 + 5) * 60 + 7) * 1000 + 9) / 86400000.0;
  EXPECT_EQ(Fmt("HH:N:S.ZZZ", t), "01:5:7.009");
  EXPECT_EQ(Fmt("H24 H12 H NN SS Z AMPM", t), "13 1 1 05 07 9 PM");
  EXPECT_EQ(Fmt("HH AMPM", 0.25), "06 AM");
}

TEST(DateFormaterParse, ExamplesReadBack) {
  EXPECT_EQ(Parse("DD.MM.YYYY", "5.3.2004"), k20040305);
  EXPECT_EQ(Parse("DD.MM.YYYY", "05.03.2004"), k20040305);
  EXPECT_EQ(Parse("DD.MM.YY", "01.01.29"), k20290101);
  EXPECT_EQ(Parse("DD.MM.YY", "01.01.30"), k19300101);
  EXPECT_DOUBLE_EQ(Parse("HH12:NN AMPM", "00:30 PM"), kHalfPastNoon);
  EXPECT_DOUBLE_EQ(Parse("DD.MM.YYYY HH:NN AMPM", "05.03.2004 00:30 PM"), k20040305 + kHalfPastNoon);
  EXPECT_EQ(Parse("D RM YYYY", "5 iii 2004"), k20040305);
  // Skipped words consume their own length.
  EXPECT_EQ(Parse("DY DD.MM.YYYY", "Fr 05.03.2004"), k20040305);
  // The quarter gives its first month.
  EXPECT_EQ(Parse("D.Q.YYYY", "5.2.2004"), k20040305 + 31);  // 2004-04-05, 31 March days later
}

TEST(DateFormaterParse, MissingDatePartsLeaveDayZero) {
  EXPECT_DOUBLE_EQ(Parse("HH24:NN", "18:00"), 0.75);
  EXPECT_EQ(Parse("MM.YYYY", "03.2004"), 0.0);
}

TEST(DateFormaterParse, BadInputIsAnError) {
  EXPECT_THAT([] { Parse("HH:NN AMPM", "01:30 XM"); }, ThrowsDvx(_, "AM/PM word expected, but 'XM' found"));
  EXPECT_NO_THROW(Parse("HH:NN AMPM", "01:30 pm"));
  EXPECT_THAT([] { Parse("DD.MM.YYYY", "31.02.2004"); }, ThrowsDvx(kErrDatePattern));
  EXPECT_THAT([] { Parse("DD.MM.YYYY", "x5.03.2004"); }, ThrowsDvx(kErrDatePattern));
  EXPECT_THAT([] { Parse("DD.MM.YYYY", "05.03."); }, ThrowsDvx(kErrDatePattern));
  EXPECT_THAT([] { Parse("HH24:NN", "24:00"); }, ThrowsDvx(kErrDatePattern));
  EXPECT_THAT([] { Parse("HH24:NN", "23:60"); }, ThrowsDvx(kErrDatePattern));
  EXPECT_THAT([] { Parse("RM", "IIII"); }, ThrowsDvx(kErrDatePattern));
  EXPECT_THAT([] { Parse("DD", ""); }, ThrowsDvx(kErrDatePattern));
}

TEST(DateFormaterLength, ExpectedOutputLength) {
  EXPECT_EQ(TDateFormater("YYYY-MM-DD").OutputLength(), 10);
  EXPECT_EQ(TDateFormater("MONTH DAY").OutputLength(), 22);
  EXPECT_EQ(TDateFormater("Q MON DDD DY ZZZ Z").OutputLength(), 1 + 1 + 3 + 1 + 3 + 1 + 3 + 1 + 3 + 1 + 3);
  EXPECT_EQ(TDateFormater("YEAR HH12 AMPM 'abc'").OutputLength(), 4 + 1 + 2 + 1 + 2 + 1 + 3);
}

// Formatting and parsing back gives the same date and time, for random
// values and random patterns made of the words that parsing reads.
TEST(DateFormaterProperty, FormatThenParseIsIdentity) {
  std::mt19937 random(4711);
  auto pick = [&](std::initializer_list<const char*> options) {
    return *(options.begin() + random() % options.size());
  };
  const char* const separators[] = {".", ":", "-", "/", " ", ", ", "_", "'T'", "\"Uhr\"", "'at' "};
  // Words whose text has a fixed width may touch the next number.
  auto fixedWidth = [](std::string_view w) {
    return w == "YYYY" || w == "YEAR" || w == "MM" || w == "DD" || w == "HH24" || w == "HH12" || w == "HH" ||
           w == "NN" || w == "SS" || w == "ZZZ" || w == "AMPM";
  };
  for (int round = 0; round < 5000; ++round) {
    std::vector<std::string> words = {pick({"YYYY", "YEAR", "yyyy"}), pick({"MM", "M", "mm"}), pick({"DD", "D", "d"}),
                                      pick({"NN", "N"}), pick({"SS", "S"}), pick({"ZZZ", "Z"})};
    bool twelveHour = random() % 2 == 0;
    words.push_back(twelveHour ? pick({"HH12", "H12", "HH", "H"}) : pick({"HH24", "H24"}));
    if (twelveHour) words.push_back("AMPM");
    std::shuffle(words.begin(), words.end(), random);
    std::string pattern;
    for (size_t i = 0; i < words.size(); ++i) {
      pattern += words[i];
      bool last = i + 1 == words.size();
      bool mayTouch = !last && (fixedWidth(words[i]) || words[i + 1] == "AMPM");
      if (!last && (!mayTouch || random() % 2 == 0)) pattern += separators[random() % std::size(separators)];
    }
    TDVXDateTimePair pair{static_cast<int32_t>(1 + random() % 3652059), static_cast<int32_t>(random() % 86400000)};
    double value = PairToDateTimeValue(pair);
    TDateFormater formater(pattern);
    std::string text = formater.Format(value);
    double parsed = 0;
    ASSERT_NO_THROW(parsed = formater.Parse(text)) << pattern << " / " << text;
    ASSERT_EQ(DateTimeValueToPair(parsed), pair) << pattern << " / " << text;
  }
}

}  // namespace
}  // namespace dvx
