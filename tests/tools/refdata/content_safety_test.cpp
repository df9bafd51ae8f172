// The rules that keep the content safe for a worried parent and the remedy
// names findable: the warning block of every complaint, the list of remedy
// pages with the finders' names, the remedy names in the texts, and the
// tree's shape. Each test breaks one thing on a copy of a valid entry.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>

#include "tests/tools/refdata/refdata_test_util.h"
#include "tools/refdata/source_validator.h"
#include "tools/refdata/tree_shape.h"

namespace {

using refdatatest::Describe;
using refdatatest::ProblemAt;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const std::string kWarning =
    "**Sofort Notruf 112:** bei Atemnot oder Bewusstlosigkeit.\n\n"
    "**Heute noch zum Arzt / ärztlicher Bereitschaftsdienst 116 117:** bei Fieber über drei Tage.\n\n"
    "**Beobachten:** sonst zwei Tage zu Hause.\n\n";

const std::string kRemedies = "- {{Belladonna}}: roter Kopf.\n- **Allium cepa**: Fließschnupfen.\n";

// An entry of a complaint table: its header, the warning block and remedies.
std::string Complaint(const std::string& header) { return "+++\n" + header + "\n+++\n" + kWarning + kRemedies; }

class ContentSafety : public refdatatest::TSourceFolderTest {
 protected:
  void SetUp() override {
    TSourceFolderTest::SetUp();
    WriteValidTree();
    small_.rules.triageSteps = kSteps;
    small_.rules.triageTables = kTables;
    small_.rules.emergencyRemedyNames = kEmergencyNames;
    small_.rules.remedyListFile = "TABHOM/remedies.tsv";
    small_.rules.knownNamesFile = "TABHOM/ohne-seite.txt";
    small_.rules.maxSingleChildShare = 0.5;
    small_.rules.maxRemedies = 3;
    // Every complaint opens with its warning block (lines 4-8 of each entry).
    Write("Emerg/a.md", Complaint("Indikation: Sturz"));
    Write("IndList/a.md", Complaint("Indikationen: Abszess") + Complaint("Indikationen: Fieber"));
    Write("KindInd/a.md", Complaint("Indikation: Zahnung"));
    // Level 1 is an overview and needs no warning; the second level has two
    // children, so the tree is not shaped one child per entry.
    Write("Baum/01-kopf.md",
          "+++\nBezTree: Kopf\nLs: 01\nEltern: Indikationen mit Schlüssel\n+++\nKopf.\n" +
              Complaint("BezTree: Kopfschmerz\nLs: 01.01\nEltern: Kopf") +
              Complaint("BezTree: Sonnenstich\nLs: 01.01.01\nEltern: Kopfschmerz") +
              Complaint("BezTree: Migräne\nLs: 01.01.02\nEltern: Kopfschmerz"));
    for (const auto& [file, name] : std::array<std::pair<std::string, std::string>, 2>{
             {{"TABHOM/sulfur.md", "Sulfur"}, {"TABHOM/phosphoricum-acidum.md", "Phosphoricum acidum"}}})
      Write(file, "+++\nHom Bezeichnung: " + name + "\n+++\n@@ Vorkommen\nV\n@@ Indikationen\nI\n@@ AMB\nA\n");
    Write("TABHOM/remedies.tsv",
          "Hom Bezeichnung\tDt Bezeichnung\tDatei\tFinder\n"
          "Belladonna\tTollkirsche\tbelladonna.md\tN:Bellad.\n"                      // line 2
          "Phosphoricum acidum\t\tphosphoricum-acidum.md\tK:Phosphoricum ac\n"    // line 3
          "Sulfur\t\tsulfur.md\tK:Sulfur; N:Sulfur\n");                            // line 4
    Write("TABHOM/ohne-seite.txt", "# ohne Seite\nAllium cepa\n\nChina\n");
  }

  template <typename... M>
  void ExpectOnly(M... matchers) {
    const auto problems = Validate();
    EXPECT_THAT(problems, ElementsAre(matchers...)) << Describe(problems);
  }

  static constexpr std::array<std::string_view, 3> kSteps{
      "Sofort Notruf 112", "Heute noch zum Arzt / ärztlicher Bereitschaftsdienst 116 117", "Beobachten"};
  static constexpr std::array<std::string_view, 4> kTables{"Emerg", "IndList", "KindInd", "Baum"};
  static constexpr std::array<std::string_view, 2> kEmergencyNames{"Bellad.", "Sulfur"};
};

TEST_F(ContentSafety, ValidTreePasses) {
  const auto problems = Validate();
  EXPECT_THAT(problems, IsEmpty()) << Describe(problems);
}

TEST_F(ContentSafety, ComplaintMustOpenWithItsWarningBlock) {
  // The remedies come first and the warning follows them, as it used to.
  Write("KindInd/a.md", "+++\nIndikation: Zahnung\n+++\nDas Zahnen.\n\n" + kRemedies + "\n" + kWarning);
  ExpectOnly(ProblemAt("KindInd/a.md", 4, "must open with its warning block; its first paragraph does not name 112"),
             ProblemAt("KindInd/a.md", 6, "'Belladonna' is named before the warning block ends"),
             ProblemAt("KindInd/a.md", 7, "'Allium cepa' is named before the warning block ends"));
}

TEST_F(ContentSafety, EveryComplaintTableAndTreeLevelBelowTheFirstIsHeld) {
  Write("Emerg/a.md", "+++\nIndikation: Sturz\n+++\nRuhe.\n");
  Write("Baum/01-kopf.md",
        "+++\nBezTree: Kopf\nLs: 01\nEltern: Indikationen mit Schlüssel\n+++\nKopf.\n" +
            Complaint("BezTree: Kopfschmerz\nLs: 01.01\nEltern: Kopf") +
            "+++\nBezTree: Sonnenstich\nLs: 01.01.01\nEltern: Kopfschmerz\n+++\nSonne.\n" +
            Complaint("BezTree: Migräne\nLs: 01.01.02\nEltern: Kopfschmerz"));
  const auto problems = Validate();
  EXPECT_THAT(problems, ElementsAre(ProblemAt("Baum/01-kopf.md", 25, "does not name 112"),
                                    ProblemAt("Baum/01-kopf.md", 25, "lacks the step 'Sofort Notruf 112'"),
                                    ProblemAt("Emerg/a.md", 4, "does not name 112"),
                                    ProblemAt("Emerg/a.md", 4, "lacks the step 'Sofort Notruf 112'")))
      << Describe(problems);
}

TEST_F(ContentSafety, TriageStepsComeInOrder) {
  Write("IndList/a.md",
        Complaint("Indikationen: Abszess") +
            "+++\nIndikationen: Fieber\n+++\n**Sofort Notruf 112:** bei Krampf.\n\n**Beobachten:** zwei Tage.\n\n"
            "**Heute noch zum Arzt / ärztlicher Bereitschaftsdienst 116 117:** bei Fieber.\n");
  ExpectOnly(ProblemAt("IndList/a.md", 17, "the warning step 'Beobachten' must come after 'Heute noch zum Arzt"));
}

TEST_F(ContentSafety, ReportsAMissingTriageStep) {
  Write("Emerg/a.md", "+++\nIndikation: Sturz\n+++\n**Sofort Notruf 112:** bei Bewusstlosigkeit.\n\n"
                      "**Heute noch zum Arzt / ärztlicher Bereitschaftsdienst 116 117:** bei Schmerzen.\n\n" + kRemedies);
  ExpectOnly(ProblemAt("Emerg/a.md", 4, "the warning block lacks the step 'Beobachten'"));
}

TEST_F(ContentSafety, NoRemedyForASignThatCallsForTheEmergencyNumber) {
  Write("Emerg/a.md",
        "+++\nIndikation: Sturz\n+++\n**Sofort Notruf 112:** bei Krämpfen nach dem Sturz,\ndann {{Belladonna}} oder Allium cepa.\n\n" +
            kWarning.substr(kWarning.find("**Heute")) + kRemedies);
  ExpectOnly(ProblemAt("Emerg/a.md", 5, "the step 'Sofort Notruf 112' names the remedy 'Belladonna'"),
             ProblemAt("Emerg/a.md", 5, "the step 'Sofort Notruf 112' names the remedy 'Allium cepa'"),
             ProblemAt("Emerg/a.md", 5, "'Allium cepa' is a remedy without a page; write it **Allium cepa**"));
}

TEST_F(ContentSafety, EmergencySignsTakeTheEmergencyStep) {
  static constexpr std::array<std::string_view, 2> signs{"Atemnot", "Krampfanfall"};
  small_.rules.emergencySigns = signs;
  EXPECT_THAT(Validate(), IsEmpty());  // the valid tree names Atemnot in the first step only
  Write("Emerg/a.md", "+++\nIndikation: Sturz\n+++\n**Sofort Notruf 112:** bei Bewusstlosigkeit.\n\n"
                      "**Heute noch zum Arzt / ärztlicher Bereitschaftsdienst 116 117:** bei Atemnot.\n\n"
                      "**Beobachten:** zwei Tage; nach einem Krampfanfall zum Arzt.\n\nNach Atemnot oder Krampfanfall ruhen.\n");
  ExpectOnly(ProblemAt("Emerg/a.md", 6, "'Atemnot' is a sign that calls for the emergency number"),
             ProblemAt("Emerg/a.md", 8, "'Krampfanfall' is a sign that calls for the emergency number"));
}

TEST_F(ContentSafety, RemediesBesideNothingByMouthAreOnlyAlongside) {
  static constexpr std::array<std::string_view, 1> phrases{"nichts zu trinken"};
  small_.rules.nothingByMouthPhrases = phrases;
  small_.rules.onlyAlongsideNote = "nur bei klarem Bewusstsein";
  Write("Emerg/a.md", "+++\nIndikation: Sturz\n+++\n" + kWarning + "Dem Kind Nichts zu trinken geben.\n\n" + kRemedies);
  ExpectOnly(ProblemAt("Emerg/a.md", 10, "tells to give nothing by mouth ('nichts zu trinken') and names remedies"));
  Write("Emerg/a.md", "+++\nIndikation: Sturz\n+++\n" + kWarning + "Dem Kind Nichts zu trinken geben.\n\n"
                      "Mittel nur begleitend, nur bei klarem Bewusstsein:\n\n" + kRemedies);
  EXPECT_THAT(Validate(), IsEmpty());
  // Without remedies there is nothing to mark.
  Write("Emerg/a.md", "+++\nIndikation: Sturz\n+++\n" + kWarning + "Dem Kind nichts zu trinken geben.\n");
  EXPECT_THAT(Validate(), IsEmpty());
}

TEST_F(ContentSafety, NoRemedyBeforeTheWarningBlockEnds) {
  Write("Emerg/a.md",
        "+++\nIndikation: Sturz\n+++\n" + kWarning.substr(0, kWarning.find("**Beobachten")) +
            "**Beobachten:** zwei Tage, dabei **Allium cepa** geben.\n\n" + kRemedies);
  ExpectOnly(ProblemAt("Emerg/a.md", 8, "the remedy 'Allium cepa' is named before the warning block ends"));
}

TEST_F(ContentSafety, RemedyNamesAreMarkedTheSameWayEverywhere) {
  Write("TABHOM/sulfur.md",
        "+++\nHom Bezeichnung: Sulfur\n+++\n@@ Vorkommen\nSulfur ist Schwefel.\n@@ Indikationen\n"
        "Wie Belladonna, aber **Belladonna** nicht.\n@@ AMB\nChina und **China** und {{Phosphoricum acidum}}, "
        "Chinarinde, Belladonnas.\n");
  ExpectOnly(ProblemAt("TABHOM/sulfur.md", 7, "'Belladonna' has a page; write it {{Belladonna}}"),
             ProblemAt("TABHOM/sulfur.md", 7, "'Belladonna' has a page; write it {{Belladonna}}"),
             ProblemAt("TABHOM/sulfur.md", 9, "'China' is a remedy without a page; write it **China**"));
}

TEST_F(ContentSafety, KnownNamesHaveNoPageAndComeOnce) {
  Write("TABHOM/ohne-seite.txt", "Allium cepa\nSulfur\nChina\nAllium cepa\n");
  ExpectOnly(ProblemAt("TABHOM/ohne-seite.txt", 2, "'Sulfur' has a page; refer to it as {{Sulfur}}"),
             ProblemAt("TABHOM/ohne-seite.txt", 4, "'Allium cepa' is listed more than once"));
}

TEST_F(ContentSafety, RemedyListHoldsEveryPageOnceAsItsPageSays) {
  Write("TABHOM/remedies.tsv",
        "Hom Bezeichnung\tDt Bezeichnung\tDatei\tFinder\n"
        "Belladonna\tWolfskirsche\tbella.md\tN:Bellad.\n"
        "Phosphoricum acidum\t\tphosphoricum-acidum.md\tK:Phosphoricum ac\n"
        "Belladonna\tTollkirsche\tbelladonna.md\t-\n"
        "Arnica\t\tarnica.md\t-\n"
        "Sulfur\t\tsulfur.md\n");
  ExpectOnly(ProblemAt("TABHOM/remedies.tsv", 0, "the children's finder's 'Sulfur' is mapped to no page"),
             ProblemAt("TABHOM/remedies.tsv", 0, "the emergency finder's 'Sulfur' is mapped to no page"),
             ProblemAt("TABHOM/remedies.tsv", 2, "the German name of 'Belladonna' is 'Tollkirsche' on its page, not 'Wolfskirsche'"),
             ProblemAt("TABHOM/remedies.tsv", 2, "the page 'Belladonna' is in the file 'belladonna.md', not 'bella.md'"),
             ProblemAt("TABHOM/remedies.tsv", 4, "'Belladonna' is listed more than once"),
             ProblemAt("TABHOM/remedies.tsv", 5, "'Arnica' is no materia medica page"),
             ProblemAt("TABHOM/remedies.tsv", 6, "the line has 3 cells; the list has 4 columns"),
             ProblemAt("TABHOM/sulfur.md", 1, "the page 'Sulfur' is missing from TABHOM/remedies.tsv"));
}

TEST_F(ContentSafety, RemedyListNeedsItsHeader) {
  Write("TABHOM/remedies.tsv", "Name\tDatei\n");
  ExpectOnly(ProblemAt("TABHOM/remedies.tsv", 1, "the first line must be the header"));
}

TEST_F(ContentSafety, EveryFinderNameIsMappedOnceAndLandsOnItsPage) {
  small_.rules.maxRemedies = 4;
  // "Bellad." now lands on "Bellada", the first page at or after it ("."
  // sorts before letters); "Sulfur" is mapped twice.
  Write("TABHOM/bella.md", "+++\nHom Bezeichnung: Bellada\n+++\n@@ Vorkommen\nV\n@@ Indikationen\nI\n@@ AMB\nA\n");
  Write("TABHOM/remedies.tsv",
        "Hom Bezeichnung\tDt Bezeichnung\tDatei\tFinder\n"
        "Belladonna\tTollkirsche\tbelladonna.md\tN:Bellad.; N:Sulfur\n"
        "Phosphoricum acidum\t\tphosphoricum-acidum.md\tK:Phosphoricum ac; X:Sulfur\n"
        "Sulfur\t\tsulfur.md\tN:Sulfur; N:Sulfa\n"
        "Bellada\t\tbella.md\t-\n");
  ExpectOnly(ProblemAt("TABHOM/remedies.tsv", 0, "the children's finder's 'Sulfur' is mapped to no page"),
             ProblemAt("TABHOM/remedies.tsv", 2, "the emergency finder's 'Bellad.' lands on the page 'Bellada', not on 'Belladonna'"),
             ProblemAt("TABHOM/remedies.tsv", 2, "the emergency finder's 'Sulfur' lands on the page 'Sulfur', not on 'Belladonna'"),
             ProblemAt("TABHOM/remedies.tsv", 2, "the emergency finder's 'Sulfur' does not begin the page name 'Belladonna'"),
             ProblemAt("TABHOM/remedies.tsv", 3, "the finder name 'X:Sulfur' must start with 'K:'"),
             ProblemAt("TABHOM/remedies.tsv", 4, "the emergency finder's 'Sulfur' is mapped more than once"),
             ProblemAt("TABHOM/remedies.tsv", 4, "'Sulfa' is no remedy name of the emergency finder"));
}

TEST_F(ContentSafety, LandingFollowsTheIndexsCaseAndCollation) {
  // The materia medica index compares with letter case: "sulfur" sorts before
  // "Sulfur" in German collation, so it still lands there, but a name that
  // sorts after every page lands on the last page.
  static constexpr std::array<std::string_view, 3> names{"Bellad.", "sulfur", "Zz"};
  small_.rules.emergencyRemedyNames = names;
  Write("TABHOM/remedies.tsv",
        "Hom Bezeichnung\tDt Bezeichnung\tDatei\tFinder\n"
        "Belladonna\tTollkirsche\tbelladonna.md\tN:Bellad.\n"
        "Phosphoricum acidum\t\tphosphoricum-acidum.md\tK:Phosphoricum ac\n"
        "Sulfur\t\tsulfur.md\tK:Sulfur; N:sulfur; N:Zz\n");
  ExpectOnly(ProblemAt("TABHOM/remedies.tsv", 4, "the emergency finder's 'Zz' does not begin the page name 'Sulfur'"));
}

// A finder that misspells a name ("Belledonna") cannot land on its page; the
// list marks it with the page's spelling, which is then held to the rules.
class MisspeltFinderName : public ContentSafety {
 protected:
  void SetUp() override {
    ContentSafety::SetUp();
    small_.rules.emergencyRemedyNames = kNames;
  }
  void WriteBelladonna(const std::string& finder) {
    Write("TABHOM/remedies.tsv",
          "Hom Bezeichnung\tDt Bezeichnung\tDatei\tFinder\n"
          "Belladonna\tTollkirsche\tbelladonna.md\t" + finder + "\n"             // line 2
          "Phosphoricum acidum\t\tphosphoricum-acidum.md\tK:Phosphoricum ac\n"  // line 3
          "Sulfur\t\tsulfur.md\tK:Sulfur; N:Sulfur\n");                          // line 4
  }
  static constexpr std::array<std::string_view, 3> kNames{"Bellad.", "Belledonna", "Sulfur"};
};

TEST_F(MisspeltFinderName, MarkedWithThePagesSpellingIsReportedAsANoteNotAProblem) {
  WriteBelladonna("N:Bellad.; N:Belledonna=Belladonna");
  const refdata::TValidationReport report = refdata::ValidateDataDirectory(root_, small_.rules);
  EXPECT_THAT(report.problems, IsEmpty()) << Describe(report.problems);
  EXPECT_THAT(report.notes,
              ElementsAre(ProblemAt("TABHOM/remedies.tsv", 2,
                                    "the emergency finder's 'Belledonna' is marked as spelt 'Belladonna' on its page "
                                    "'Belladonna'; as it stands it lands on 'Phosphoricum acidum' and does not begin "
                                    "the page name")))
      << Describe(report.notes);
}

TEST_F(MisspeltFinderName, UnmarkedStillFailsBothRules) {
  WriteBelladonna("N:Bellad.; N:Belledonna");
  ExpectOnly(ProblemAt("TABHOM/remedies.tsv", 2, "the emergency finder's 'Belledonna' lands on the page 'Phosphoricum acidum', not on 'Belladonna'"),
             ProblemAt("TABHOM/remedies.tsv", 2, "the emergency finder's 'Belledonna' does not begin the page name 'Belladonna'"));
  EXPECT_THAT(refdata::ValidateDataDirectory(root_, small_.rules).notes, IsEmpty());
}

TEST_F(MisspeltFinderName, TheMarkedSpellingMustLandAndANeedlessMarkIsAProblem) {
  WriteBelladonna("N:Bellad.; N:Belledonna=Bellezza");
  ExpectOnly(ProblemAt("TABHOM/remedies.tsv", 2, "the emergency finder's 'Bellezza' lands on the page 'Phosphoricum acidum', not on 'Belladonna'"),
             ProblemAt("TABHOM/remedies.tsv", 2, "the emergency finder's 'Bellezza' does not begin the page name 'Belladonna'"));
  WriteBelladonna("N:Bellad.=Belladonna; N:Belledonna=Belladonna");
  ExpectOnly(ProblemAt("TABHOM/remedies.tsv", 2, "the emergency finder's 'Bellad.' is marked as spelt 'Belladonna' on its page 'Belladonna', but it lands there as it stands and needs no mark"));
  WriteBelladonna("N:Bellad.; N:Belledonna=");
  ExpectOnly(ProblemAt("TABHOM/remedies.tsv", 0, "the emergency finder's 'Belledonna' is mapped to no page"),
             ProblemAt("TABHOM/remedies.tsv", 2, "the finder name 'N:Belledonna=' must read 'name=spelling of the page'"));
}

TEST_F(ContentSafety, RefusesATreeOfSingleChildren) {
  Write("Baum/01-kopf.md",
        "+++\nBezTree: Kopf\nLs: 01\nEltern: Indikationen mit Schlüssel\n+++\nKopf.\n" +
            Complaint("BezTree: Kopfschmerz\nLs: 01.01\nEltern: Kopf") +
            Complaint("BezTree: Sonnenstich\nLs: 01.01.01\nEltern: Kopfschmerz") +
            Complaint("BezTree: Ohren\nLs: 01.02\nEltern: Kopf") +
            Complaint("BezTree: Ohrenschmerz\nLs: 01.02.01\nEltern: Ohren") +
            Complaint("BezTree: Augen\nLs: 01.03\nEltern: Kopf") +
            Complaint("BezTree: Bindehaut\nLs: 01.03.01\nEltern: Augen") +
            Complaint("BezTree: Gerstenkorn\nLs: 01.03.02\nEltern: Augen"));
  ExpectOnly(ProblemAt("Baum", 0, "2 of the 3 second-level entries have exactly one child"));
  small_.rules.maxSingleChildShare = 0.7;
  EXPECT_THAT(Validate(), IsEmpty());
}

TEST_F(ContentSafety, ReportDescribesTheTreeShape) {
  const auto report = refdata::ValidateDataDirectory(root_, small_.rules);
  EXPECT_THAT(report.problems, IsEmpty()) << Describe(report.problems);
  EXPECT_EQ(report.treeShape,
            "level 0: 1 entries, children per entry 1 x 1; level 1: 1 entries, children per entry 1 x 1; "
            "level 2: 1 entries, children per entry 1 x 2; level 3: 2 entries");
}

}  // namespace
