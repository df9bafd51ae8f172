#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/tools/refdata/refdata_test_util.h"
#include "tools/refdata/source_validator.h"

namespace {

using refdatatest::Describe;
using refdatatest::ProblemAt;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SourceValidator : public refdatatest::TSourceFolderTest {
 protected:
  void SetUp() override {
    TSourceFolderTest::SetUp();
    WriteValidTree();
  }
  // Validates and expects exactly the given problems.
  template <typename... M>
  void ExpectOnly(M... matchers) {
    const auto problems = Validate();
    EXPECT_THAT(problems, ElementsAre(matchers...)) << Describe(problems);
  }
};

TEST_F(SourceValidator, ValidTreeHasNoProblems) {
  const auto problems = Validate();
  EXPECT_THAT(problems, IsEmpty()) << Describe(problems);
}

TEST_F(SourceValidator, ReportsUnknownAndNonHeaderFields) {
  Write("IndList/b.md", "+++\nIndikationen: Husten\nAutor: X\nDetail: Text\nDummyIndik: x\n+++\nT\n");
  ExpectOnly(ProblemAt("IndList/b.md", 3, "unknown header field 'Autor' for table IndList; known: Indikationen"),
             ProblemAt("IndList/b.md", 4, "'Detail' is the entry's text"),
             ProblemAt("IndList/b.md", 5, "'DummyIndik' is always empty"));
}

TEST_F(SourceValidator, ReportsNamesThatDoNotFitTheirFields) {
  Write("IndList/b.md",
        "+++\nIndikationen: Abcdefghijklmnopqrstuvwxyzäöüß\n+++\nT\n"    // 30 characters: fits
        "+++\nIndikationen: Abcdefghijklmnopqrstuvwxyzäöüßx\n+++\nT\n"   // 31
        "+++\nIndikationen: Kopf → Hals\n+++\nT\n");
  ExpectOnly(ProblemAt("IndList/b.md", 6, "has 31 characters; the field holds 30"),
             ProblemAt("IndList/b.md", 10, "U+2192 '→', which Windows-1252 cannot store"));
}

TEST_F(SourceValidator, ChecksEveryFixedLengthRemedyField) {
  Write("TABHOM/x.md",
        "+++\nHom Bezeichnung: X\nAbkürzung: Abcdefghijklmnop\nGrafBez: Illustration: Salzkristalle\n+++\n"
        "@@ Vorkommen\nV\n@@ Indikationen\nI\n@@ AMB\nA\n");
  ExpectOnly(ProblemAt("TABHOM/x.md", 3, "'Abkürzung' 'Abcdefghijklmnop' has 16 characters; the field holds 15"),
             ProblemAt("TABHOM/x.md", 4, "has 27 characters; the field holds 25"));
}

TEST_F(SourceValidator, ReportsMissingRequiredFieldsAndTexts) {
  Write("Baum/02-hals.md", "+++\nBezTree: Hals\nEltern: Indikationen mit Schlüssel\n+++\nT\n"
                           "+++\nBezTree: Husten\nLs:\nEltern: Hals\n+++\n\n");
  Write("KindInd/b.md", "+++\nInhalt: nein\n+++\nT\n");
  ExpectOnly(ProblemAt("Baum/02-hals.md", 1, "required header field 'Ls' is missing"),
             ProblemAt("Baum/02-hals.md", 8, "required header field 'Ls' is empty"),
             ProblemAt("Baum/02-hals.md", 11, "the entry's text is empty"),
             ProblemAt("KindInd/b.md", 1, "required header field 'Indikation' is missing"),
             ProblemAt("KindInd/b.md", 2, "'Inhalt' is the entry's text"));
}

TEST_F(SourceValidator, ReportsMissingAndEmptyRemedySections) {
  Write("TABHOM/x.md", "+++\nHom Bezeichnung: X\n+++\n@@ Vorkommen\nV\n@@ AMB\n\n");
  ExpectOnly(ProblemAt("TABHOM/x.md", 1, "no section '@@ Indikationen'"),
             ProblemAt("TABHOM/x.md", 7, "the section '@@ AMB' is empty"));
}

TEST_F(SourceValidator, ChecksNameUniquenessAsEachTableRequires) {
  // IndList compares with case: "fieber" is a name of its own.
  Write("IndList/b.md", "+++\nIndikationen: fieber\n+++\nT\n+++\nIndikationen: Abszess\n+++\nT\n");
  // Emerg ignores case.
  Write("Emerg/b.md", "+++\nIndikation: STURZ\n+++\nNotruf 112.\n");
  Write("TABHOM/zweite.md", "+++\nHom Bezeichnung: Belladonna\n+++\n@@ Vorkommen\nV\n@@ Indikationen\nI\n@@ AMB\nA\n");
  Write("Verweise/verweise.tsv", "AllIndikat\tZuInd\nAbszess\tFieber\nAbszess\tfieber\n");
  ExpectOnly(ProblemAt("Emerg/b.md", 2, "'STURZ' is already used at Emerg/a.md:2 as 'Sturz'; names in Emerg must differ even ignoring letter case"),
             ProblemAt("IndList/b.md", 6, "'Abszess' is already used at IndList/a.md:2"),
             ProblemAt("TABHOM/zweite.md", 2, "'Belladonna' is already used at TABHOM/belladonna.md:2"),
             ProblemAt("Verweise/verweise.tsv", 3, "'Abszess' is already used at Verweise/verweise.tsv:2"));
}

TEST_F(SourceValidator, ReportsUnresolvedParentsAndEntriesWithoutParent) {
  Write("Baum/02-hals.md", "+++\nBezTree: Hals\nLs: 02\n+++\nT\n"
                           "+++\nBezTree: Husten\nLs: 02.01\nEltern: hals\n+++\nT\n"
                           "+++\nBezTree: Heiser\nLs: 02.02\nEltern:\n+++\nT\n");
  ExpectOnly(ProblemAt("Baum/02-hals.md", 1, "has no 'Eltern'; only the root"),
             ProblemAt("Baum/02-hals.md", 9, "'Eltern: hals' names no tree entry"),
             ProblemAt("Baum/02-hals.md", 15, "'Eltern' is empty"));
}

TEST_F(SourceValidator, ReportsCyclesOnce) {
  Write("Baum/02-kreis.md", "+++\nBezTree: A\nLs: 02\nEltern: B\n+++\nT\n"
                            "+++\nBezTree: B\nLs: 03\nEltern: A\n+++\nT\n"
                            "+++\nBezTree: C\nLs: 04\nEltern: C\n+++\nT\n");
  ExpectOnly(ProblemAt("Baum/02-kreis.md", 4, "cycle: A -> B -> A"),
             ProblemAt("Baum/02-kreis.md", 16, "cycle: C -> C"));
}

TEST_F(SourceValidator, ReportsEntriesBelowTheThirdLevel) {
  Write("Baum/01-kopf.md", "+++\nBezTree: Kopf\nLs: 01\nEltern: Indikationen mit Schlüssel\n+++\nK\n"
                           "+++\nBezTree: Kopfschmerz\nLs: 01.01\nEltern: Kopf\n+++\nK\n"
                           "+++\nBezTree: Sonnenstich\nLs: 01.01.01\nEltern: Kopfschmerz\n+++\nS\n"
                           "+++\nBezTree: Zu tief\nLs: 01.01.01.01\nEltern: Sonnenstich\n+++\nZ\n");
  ExpectOnly(ProblemAt("Baum/01-kopf.md", 19, "'Zu tief' is on level 4 below the root"));
}

TEST_F(SourceValidator, RequiresOneRootFirstAndWithoutParent) {
  Write("Baum/00-wurzel.md", "+++\nBezTree: Indikationen mit Schlüssel\nLs: 00\nEltern: Kopf\n+++\nÜ\n");
  const auto problems = Validate();
  EXPECT_THAT(problems, Contains(ProblemAt("Baum/00-wurzel.md", 4, "must not have an 'Eltern'"))) << Describe(problems);
  EXPECT_THAT(problems, Contains(ProblemAt("Baum", 0, "no root entry"))) << Describe(problems);

  Write("Baum/00-wurzel.md", "+++\nBezTree: Anderes\nLs: 00\nEltern: Kopf\n+++\nÜ\n");
  Write("Baum/99-wurzel.md", "+++\nBezTree: Indikationen mit Schlüssel\nLs: 00\n+++\nÜ\n");
  ExpectOnly(ProblemAt("Baum/99-wurzel.md", 1, "the root must be the first tree entry"));
}

TEST_F(SourceValidator, CountsTreeLevelsAgainstTheMinimum) {
  small_.rules.minTreeLevel2 = 2;
  small_.rules.minTreeLevel3 = 3;
  ExpectOnly(ProblemAt("Baum", 0, "1 second-level entries; it needs at least 2"),
             ProblemAt("Baum", 0, "1 third-level entries; it needs at least 3"));
}

TEST_F(SourceValidator, ChecksRemedyAndIndicationReferencesAtTheirLines) {
  Write("KindInd/a.md", "+++\nIndikation: Zahnung\n+++\nZähne.\n\n{{Belladona}} oder [[fieber]],\n"
                        "{{Belladonna}} [[Fieber]] {{offen\nund}} dann [[leer\n");
  ExpectOnly(ProblemAt("KindInd/a.md", 6, "{{Belladona}} names no materia medica entry"),
             ProblemAt("KindInd/a.md", 6, "[[fieber]] names no A-to-Z indication"),
             ProblemAt("KindInd/a.md", 7, "'{{' is not closed by '}}' on the same line"),
             ProblemAt("KindInd/a.md", 8, "'}}' without an opening '{{'"),
             ProblemAt("KindInd/a.md", 8, "'[[' is not closed"));
}

TEST_F(SourceValidator, ChecksReferencesInRemedySectionsAndTheImprint) {
  Write("TABHOM/belladonna.md",
        "+++\nHom Bezeichnung: Belladonna\nBild: bilder/bella.png\n+++\n"
        "@@ Vorkommen\nWald.\n@@ Indikationen\nFieber.\n@@ AMB\nWie {{Aconitum}}.\n");
  Write("impressum.md", "Fendra\n\n[[Impressum]]\n");
  ExpectOnly(ProblemAt("TABHOM/belladonna.md", 10, "{{Aconitum}} names no materia medica entry"),
             ProblemAt("impressum.md", 3, "[[Impressum]] names no A-to-Z indication"));
}

TEST_F(SourceValidator, ChecksCrossReferences) {
  Write("Verweise/verweise.tsv", "AllIndikat\tZuInd\nAbszess\tHusten\nFieber\tFieber\n\nSchnupfen\t\n");
  ExpectOnly(ProblemAt("Verweise/verweise.tsv", 2, "'Husten' names no A-to-Z indication"),
             ProblemAt("Verweise/verweise.tsv", 3, "refers to itself"),
             ProblemAt("Verweise/verweise.tsv", 5, "the column 'ZuInd' is empty"),
             ProblemAt("Verweise/verweise.tsv", 5, "'Schnupfen' names no A-to-Z indication"));
}

TEST_F(SourceValidator, ChecksPicturesByTheirHeaders) {
  const auto withPicture = [&](const std::string& bild) {
    Write("TABHOM/belladonna.md", "+++\nHom Bezeichnung: Belladonna\nBild: " + bild +
                                      "\n+++\n@@ Vorkommen\nW\n@@ Indikationen\nF\n@@ AMB\nH\n");
  };
  withPicture("bilder/fehlt.jpg");
  ExpectOnly(ProblemAt("TABHOM/belladonna.md", 3, "picture 'bilder/fehlt.jpg': the file does not exist"));
  WriteBytes("TABHOM/bilder/gross.png", refdatatest::PngHeader(201, 10));
  withPicture("bilder/gross.png");
  ExpectOnly(ProblemAt("TABHOM/belladonna.md", 3, "the PNG picture is 201x10 pixels; at most 200x200"));
  WriteBytes("TABHOM/bilder/leer.png", refdatatest::PngHeader(0, 10));
  withPicture("bilder/leer.png");
  ExpectOnly(ProblemAt("TABHOM/belladonna.md", 3, "empty size 0x10"));
  Write("TABHOM/bilder/text.jpg", "kein Bild");
  withPicture("bilder/text.jpg");
  ExpectOnly(ProblemAt("TABHOM/belladonna.md", 3, "not a JPEG, BMP or PNG"));
  withPicture("../Baum/00-wurzel.md");
  ExpectOnly(ProblemAt("TABHOM/belladonna.md", 3, "must stay inside the TABHOM folder"));
}

TEST_F(SourceValidator, RequiresExactlyTheBasicsKeysAndFinderNames) {
  Write("Grundlagen/topics.md", "+++\nVerzeichnis: Methode\n+++\nM\n+++\nVerzeichnis: anamnese\n+++\nA\n");
  Write("KindKM/a.md", "+++\nBez: Phosphoricum acid\n+++\nZ\n+++\nBez: Sulfur\n+++\nW\n+++\nBez: Sulfur\n+++\nW\n");
  ExpectOnly(ProblemAt("Grundlagen", 0, "no entry for 'Anamnese'"),
             ProblemAt("Grundlagen/topics.md", 6, "'anamnese' is not one of the 2 basics topic keys"),
             ProblemAt("KindKM", 0, "no entry for 'Phosphoricum ac'"),
             ProblemAt("KindKM/a.md", 2, "has 17 characters; the field holds 15"),
             ProblemAt("KindKM/a.md", 2, "'Phosphoricum acid' is not one of the 2 children's finder remedies"),
             ProblemAt("KindKM/a.md", 10, "'Sulfur' is given more than once"));
}

TEST_F(SourceValidator, RequiresTheEmergencyNoteInTheFirstParagraph) {
  Write("Emerg/a.md", "+++\nIndikation: Sturz\n+++\n\nErst ruhig bleiben.\n\nNotruf 112.\n"
                      "+++\nIndikation: Schock\n+++\nBei Bewusstlosigkeit\nsofort 112 rufen.\n\nDann weiter.\n");
  ExpectOnly(ProblemAt("Emerg/a.md", 5, "must start with the note on calling 112 or a doctor"));
}

TEST_F(SourceValidator, ChecksTheSizeOfEachList) {
  small_.rules.minIndications = 3;
  small_.rules.minChildIndications = 2;
  small_.rules.minEmergencies = 2;
  small_.rules.maxRemedies = 0;  // no limit
  ExpectOnly(ProblemAt("Emerg", 0, "Emerg has 1 entries; it needs at least 2"),
             ProblemAt("IndList", 0, "IndList has 2 entries; it needs at least 3"),
             ProblemAt("KindInd", 0, "KindInd has 1 entries; it needs at least 2"));
  small_.rules.maxRemedies = 1;
  Write("TABHOM/zweite.md", "+++\nHom Bezeichnung: Y\n+++\n@@ Vorkommen\nV\n@@ Indikationen\nI\n@@ AMB\nA\n");
  const auto problems = Validate();
  EXPECT_THAT(problems, Contains(ProblemAt("TABHOM", 0, "TABHOM has 2 entries; at most 1"))) << Describe(problems);
}

TEST_F(SourceValidator, ReportsMissingFoldersFilesAndAnEmptyImprint) {
  std::filesystem::remove_all(root_ / "KindInd");
  std::filesystem::remove(root_ / "Verweise/verweise.tsv");
  Write("impressum.md", "\n \n");
  small_.rules.minChildIndications = 0;
  ExpectOnly(ProblemAt("KindInd", 0, "the table's folder is missing"),
             ProblemAt("Verweise/verweise.tsv", 0, "the table's file is missing"),
             ProblemAt("impressum.md", 0, "the imprint text is empty"));
}

TEST_F(SourceValidator, ReadsEntryFilesInFileNameOrderAndReportsPerFile) {
  Write("IndList/0-vorn.md", "+++\nIndikationen: Zuerst\n+++\nT\n");
  Write("IndList/z.txt", "wird nicht gelesen");
  const auto tree = refdata::LoadSourceTree(root_);
  const auto& entries = tree.Table("IndList").entries;
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].Value("Indikationen"), "Zuerst");
  EXPECT_EQ(entries[0].file, "IndList/0-vorn.md");
  EXPECT_EQ(entries[2].Value("Indikationen"), "Fieber");
  EXPECT_THROW(tree.Table("Keine"), std::out_of_range);
}

TEST_F(SourceValidator, ReportCountsEntriesPerTableAndTreeLevel) {
  const auto report = refdata::ValidateDataDirectory(root_, small_.rules);
  EXPECT_THAT(report.problems, IsEmpty()) << Describe(report.problems);
  ASSERT_EQ(report.counts.size(), 8u);
  EXPECT_EQ(report.counts[1].table, "Baum");
  EXPECT_EQ(report.counts[1].entries, 4);
  EXPECT_EQ(report.counts[7].table, "Verweise");
  EXPECT_EQ(report.counts[7].entries, 1);
  EXPECT_THAT(report.treeLevels, ElementsAre(1, 1, 1, 1));
}

}  // namespace
