#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>

#include "tests/tools/refdata/refdata_test_util.h"
#include "tools/refdata/source_reader.h"
#include "tools/refdata/table_schema.h"

namespace {

using refdatatest::ProblemAt;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::array<std::string_view, 1> kOneMemo{"Detail"};
constexpr std::array<std::string_view, 3> kSections{"Vorkommen", "Indikationen", "AMB"};

refdata::TEntryFile Parse(std::string_view content, std::span<const std::string_view> memos = kOneMemo) {
  return refdata::ParseEntryFile("T/f.md", content, memos);
}

TEST(EntryFileReader, SplitsEntriesWithHeaderFieldsTextsAndLineNumbers) {
  const auto file = Parse("+++\nIndikationen: Abszess\n+++\n\nErste Zeile\nzweite: Zeile\n\n+++\nIndikationen:  Fieber : hoch \n+++\nText\n");
  ASSERT_THAT(file.problems, IsEmpty());
  ASSERT_EQ(file.entries.size(), 2u);
  const auto& first = file.entries[0];
  EXPECT_EQ(first.line, 1);
  EXPECT_EQ(first.Value("Indikationen"), "Abszess");
  EXPECT_EQ(first.Field("Indikationen")->line, 2);
  ASSERT_NE(first.Memo("Detail"), nullptr);
  EXPECT_EQ(first.Memo("Detail")->text, "Erste Zeile\nzweite: Zeile");  // blank lines around dropped
  EXPECT_EQ(first.Memo("Detail")->line, 5);
  // The value is everything after the first colon, trimmed.
  EXPECT_EQ(file.entries[1].Value("Indikationen"), "Fieber : hoch");
  EXPECT_EQ(file.entries[1].line, 8);
  EXPECT_EQ(file.entries[1].Value("Fehlt"), "");
  EXPECT_EQ(file.entries[1].Field("Fehlt"), nullptr);
}

TEST(EntryFileReader, AcceptsCarriageReturnsAndAByteOrderMark) {
  const auto file = Parse("\xEF\xBB\xBF+++\r\nIndikationen: Abszess\r\n+++\r\nText\r\n");
  ASSERT_THAT(file.problems, IsEmpty());
  ASSERT_EQ(file.entries.size(), 1u);
  EXPECT_EQ(file.entries[0].Value("Indikationen"), "Abszess");
  EXPECT_EQ(file.entries[0].Memo("Detail")->text, "Text");
}

TEST(EntryFileReader, EmptyTextGivesAnEmptyMemoAtTheEntry) {
  const auto file = Parse("+++\nIndikationen: A\n+++\n");
  ASSERT_EQ(file.entries.size(), 1u);
  ASSERT_NE(file.entries[0].Memo("Detail"), nullptr);
  EXPECT_EQ(file.entries[0].Memo("Detail")->text, "");
}

TEST(EntryFileReader, ReportsMalformedStructureWithLines) {
  EXPECT_THAT(Parse("Vorspann\n+++\nIndikationen: A\n+++\nT\n").problems,
              ElementsAre(ProblemAt("T/f.md", 1, "text before the first entry")));
  EXPECT_THAT(Parse("+++\nIndikationen: A\nkein Feld\nnoch eins\n+++\nT\n").problems,
              ElementsAre(ProblemAt("T/f.md", 3, "not 'Field: value'")));
  EXPECT_THAT(Parse("+++\n: leer\n+++\nT\n").problems, ElementsAre(ProblemAt("T/f.md", 2, "not 'Field: value'")));
  EXPECT_THAT(Parse("+++\nIndikationen: A\n+++\nT\n+++\nIndikationen: B\n").problems,
              ElementsAre(ProblemAt("T/f.md", 5, "not closed")));
  EXPECT_THAT(Parse("+++\nIndikationen: A\nIndikationen: B\n+++\nT\n").problems,
              ElementsAre(ProblemAt("T/f.md", 3, "given twice (first at line 2)")));
  EXPECT_THAT(Parse("\n\n").problems, ElementsAre(ProblemAt("T/f.md", 0, "holds no entry")));
}

TEST(EntryFileReader, ReportsDelimiterLookalikesInsideATextAndSectionsInAOneMemoTable) {
  EXPECT_THAT(Parse("+++\nIndikationen: A\n+++\nText\n +++\n++++\n").problems,
              ElementsAre(ProblemAt("T/f.md", 5, "may not start with '+++'"), ProblemAt("T/f.md", 6, "may not start with '+++'")));
  EXPECT_THAT(Parse("+++\nIndikationen: A\n+++\n@@ AMB\nText\n").problems,
              ElementsAre(ProblemAt("T/f.md", 4, "no '@@' sections")));
}

TEST(EntryFileReader, RejectsIllFormedUtf8AtItsLine) {
  const auto file = Parse("+++\nIndikationen: A\n+++\nGr\xFC\xDF" "e\n");
  EXPECT_THAT(file.problems, ElementsAre(ProblemAt("T/f.md", 4, "not UTF-8")));
  EXPECT_THAT(file.entries, IsEmpty());
}

TEST(EntryFileSections, DividesTheTextAtSectionLines) {
  const auto file = Parse("+++\nHom Bezeichnung: X\n+++\n\n@@ AMB\nBild\n\n@@ Vorkommen\nWald\nWiese\n", kSections);
  ASSERT_THAT(file.problems, IsEmpty());
  const auto& entry = file.entries.at(0);
  ASSERT_EQ(entry.memos.size(), 2u);
  EXPECT_EQ(entry.Memo("AMB")->text, "Bild");
  EXPECT_EQ(entry.Memo("AMB")->line, 6);
  EXPECT_EQ(entry.Memo("Vorkommen")->text, "Wald\nWiese");
  EXPECT_EQ(entry.Memo("Vorkommen")->line, 9);
  EXPECT_EQ(entry.Memo("Indikationen"), nullptr);
}

TEST(EntryFileSections, EmptySectionPointsAfterItsSectionLine) {
  const auto file = Parse("+++\nHom Bezeichnung: X\n+++\n@@ AMB\n\n@@ Vorkommen\nW\n", kSections);
  EXPECT_EQ(file.entries.at(0).Memo("AMB")->text, "");
  EXPECT_EQ(file.entries.at(0).Memo("AMB")->line, 5);
}

TEST(EntryFileSections, ReportsTextOutsideUnknownAndRepeatedSections) {
  EXPECT_THAT(Parse("+++\nHom Bezeichnung: X\n+++\n\nlose\n@@ AMB\nB\n", kSections).problems,
              ElementsAre(ProblemAt("T/f.md", 5, "text before the first section")));
  const auto unknown = Parse("+++\nHom Bezeichnung: X\n+++\n@@ Herkunft\nH\n@@ AMB\nB\n", kSections);
  EXPECT_THAT(unknown.problems, ElementsAre(ProblemAt("T/f.md", 4, "unknown section '@@ Herkunft'")));
  EXPECT_EQ(unknown.entries.at(0).memos.size(), 1u);
  const auto twice = Parse("+++\nHom Bezeichnung: X\n+++\n@@ AMB\nB\n@@ AMB\nC\n", kSections);
  EXPECT_THAT(twice.problems, ElementsAre(ProblemAt("T/f.md", 6, "appears twice")));
  EXPECT_EQ(twice.entries.at(0).Memo("AMB")->text, "B");
}

TEST(TabFileReader, ReadsRowsAndChecksHeaderAndCellCount) {
  const auto* table = refdata::FindTable(refdata::kCrossReferenceTable);
  const auto good = refdata::ParseTabFile("V/v.tsv", "AllIndikat\tZuInd\n\nA \t B\n", table->fields);
  ASSERT_THAT(good.problems, IsEmpty());
  ASSERT_EQ(good.rows.size(), 1u);
  EXPECT_EQ(good.rows[0].line, 3);
  EXPECT_THAT(good.rows[0].cells, ElementsAre("A", "B"));

  const auto bad = refdata::ParseTabFile("V/v.tsv", "AllIndikat ZuInd\nA\tB\tC\nA\n", table->fields);
  EXPECT_THAT(bad.problems, ElementsAre(ProblemAt("V/v.tsv", 1, "header line must be"),
                                        ProblemAt("V/v.tsv", 2, "3 tab-separated cells instead of 2"),
                                        ProblemAt("V/v.tsv", 3, "1 tab-separated cells instead of 2")));
  EXPECT_THAT(bad.rows, IsEmpty());
  EXPECT_THAT(refdata::ParseTabFile("V/v.tsv", "", table->fields).problems, ElementsAre(ProblemAt("V/v.tsv", 0, "empty")));
}

}  // namespace
