// The builder on a small source tree: one record per entry in every table,
// the schema as the table component reads it back, the tree's keys and
// parents, memos and pictures as planned, refused sources that leave nothing
// (and an older set untouched), and reproducible files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/components/field_defs.h"
#include "engine/components/index_defs.h"
#include "tests/tools/dvx_runner.h"
#include "tests/tools/refdata/build_test_util.h"

namespace {

using refdatatest::ProblemAt;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
namespace fs = std::filesystem;

class BuildDatabaseSetTest : public refdatatest::TBuildFolderTest {
 protected:
  void SetUp() override {
    TBuildFolderTest::SetUp();
    WriteValidTree();
  }
  // The leaf entry of 01-kopf.md (lines 13-18) with another header.
  void ReplaceLeaf(const std::string& header) {
    Write("Baum/01-kopf.md",
          "+++\nBezTree: Kopf\nLs: 01\nEltern: Indikationen mit Schlüssel\n+++\nKopf.\n"
          "+++\nBezTree: Kopfschmerz\nLs: 01.01\nEltern: Kopf\n+++\nMit {{Belladonna}} bei [[Fieber]].\n"
          "+++\n" + header + "+++\nSonne.\n");
  }
  std::vector<refdatatest::TRow> Rows(std::string_view table) {
    const refdata::TTableSchema& schema = *refdata::FindTable(table);
    return refdatatest::ReadTable(out_ / schema.fileName, schema);
  }
};

TEST_F(BuildDatabaseSetTest, EveryTableGetsOneRecordPerEntryAndPassesTheCheck) {
  const auto result = Build();
  ASSERT_THAT(result.problems, IsEmpty()) << refdatatest::Describe(result.problems);
  const std::vector<int> expected{2, 4, 2, 1, 1, 1, 2, 1};
  ASSERT_EQ(result.files.size(), refdata::ReferenceTables().size());
  for (size_t i = 0; i < result.files.size(); ++i) {
    const refdata::TTableSchema& schema = refdata::ReferenceTables()[i];
    EXPECT_EQ(result.files[i].fileName, schema.fileName);
    EXPECT_EQ(result.files[i].records, expected[i]) << schema.tableName;
    EXPECT_EQ(static_cast<int>(Rows(schema.tableName).size()), expected[i]) << schema.tableName;
    const auto check = dvxtest::RunDvx("check " + (out_ / schema.fileName).string());
    EXPECT_EQ(check.status, 0) << schema.fileName << ":\n" << check.out;
  }
  EXPECT_THAT(refdatatest::FolderNames(outParent_), ElementsAre("data"));  // no build folder left
}

TEST_F(BuildDatabaseSetTest, SchemaReadBackByTheTableComponentIsTheReferenceSchema) {
  ASSERT_THAT(Build().problems, IsEmpty());
  for (const refdata::TTableSchema& schema : refdata::ReferenceTables()) {
    SCOPED_TRACE(std::string(schema.tableName));
    dvx::TFieldDefs fields;
    dvx::TIndexDefs indexes;
    refdata::AddHostDefinitions(schema, fields, indexes);
    dvx::TDVXDatabase database;
    database.SetDatabaseName("dbSchemaCheck");
    database.SetDatabaseFileName((out_ / schema.fileName).string());
    dvx::TDVXTable table;
    table.SetDatabaseName("dbSchemaCheck");
    table.SetTableName(std::string(schema.tableName));
    table.Open();
    ASSERT_EQ(table.FieldDefs().Count(), fields.Count());
    for (int i = 0; i < fields.Count(); ++i) {
      EXPECT_EQ(table.FieldDefs()[i].Name(), fields[i].Name());
      EXPECT_EQ(table.FieldDefs()[i].DataType(), fields[i].DataType()) << fields[i].Name();
      EXPECT_EQ(table.FieldDefs()[i].Size(), fields[i].Size()) << fields[i].Name();
    }
    ASSERT_EQ(table.IndexDefs().Count(), indexes.Count());
    for (int i = 0; i < indexes.Count(); ++i) {
      const dvx::TIndexDef& read = table.IndexDefs()[i];
      EXPECT_EQ(read.Name(), indexes[i].Name());
      EXPECT_EQ(read.Fields(), indexes[i].Fields()) << read.Name();
      EXPECT_EQ(read.CaseInsFields(), indexes[i].CaseInsFields()) << read.Name();
      EXPECT_EQ(read.Options().primary, indexes[i].Options().primary) << read.Name();
      EXPECT_EQ(read.Options().unique, indexes[i].Options().unique) << read.Name();
    }
  }
}

// The same comparison through dvx schema --host, whose lines are written
// here from the reference schema.
TEST_F(BuildDatabaseSetTest, DvxSchemaHostListsTheReferenceSchema) {
  ASSERT_THAT(Build().problems, IsEmpty());
  const std::map<refdata::TFieldType, std::string> typeNames{
      {refdata::TFieldType::AutoInc, "ftAutoInc"}, {refdata::TFieldType::FixedChar, "ftFixedChar"},
      {refdata::TFieldType::Integer, "ftInteger"}, {refdata::TFieldType::FmtMemo, "ftFmtMemo"},
      {refdata::TFieldType::Graphic, "ftGraphic"}};
  for (const refdata::TTableSchema& schema : refdata::ReferenceTables()) {
    std::string expected = "Table " + std::string(schema.tableName) + "\n  Fields:\n";
    for (const refdata::TFieldSchema& field : schema.fields) {
      expected += "    " + std::string(field.name) + " " + typeNames.at(field.type);
      if (field.type == refdata::TFieldType::FixedChar) expected += "(" + std::to_string(field.size) + ")";
      expected += "\n";
    }
    expected += "  Indexes:\n";
    for (const refdata::TIndexSchema& index : schema.indexes) {
      expected += "    " + std::string(index.name) + " (" + std::string(index.fields) + ")";
      if (index.primary) expected += " primary";
      if (index.unique) expected += " unique";
      if (!index.caseInsensitiveFields.empty()) expected += " case-insensitive " + std::string(index.caseInsensitiveFields);
      expected += "\n";
    }
    const auto run = dvxtest::RunDvx("schema '" + (out_ / schema.fileName).string() + "' --host");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, expected);
  }
}

TEST_F(BuildDatabaseSetTest, TreeStoresPlaceKeysAndTheParentsNumbers) {
  ASSERT_THAT(Build().problems, IsEmpty());
  const auto rows = Rows("Baum");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].at("BezTree"), "Indikationen mit Schlüssel");  // the root first, level number 0
  EXPECT_EQ(rows[0].at("Ebene"), "0");
  std::map<std::string, std::string> idByName;
  for (const auto& row : rows) idByName[row.at("BezTree")] = row.at("Baum_ID");
  const std::vector<std::pair<std::string, std::string>> expected{
      {"Indikationen mit Schlüssel", "00"}, {"Kopf", "01"}, {"Kopfschmerz", "01.01"}, {"Sonnenstich", "01.01.01"}};
  const std::map<std::string, std::string> parent{
      {"Kopf", "Indikationen mit Schlüssel"}, {"Kopfschmerz", "Kopf"}, {"Sonnenstich", "Kopfschmerz"}};
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].at("BezTree"), expected[i].first);
    EXPECT_EQ(rows[i].at("Ls"), expected[i].second);
    if (i) {
      EXPECT_EQ(rows[i].at("Ebene"), idByName.at(parent.at(rows[i].at("BezTree")))) << rows[i].at("BezTree");
    }
    EXPECT_EQ(rows[i].at("Dummy"), "<NULL>");
  }
}

TEST_F(BuildDatabaseSetTest, MemosPicturesAndCrossReferencesAreStoredAsTheSourcesSay) {
  ASSERT_THAT(Build().problems, IsEmpty());
  const auto remedies = Rows("TABHOM");
  ASSERT_EQ(remedies.size(), 1u);
  EXPECT_EQ(remedies[0].at("Hom Bezeichnung"), "Belladonna");
  EXPECT_EQ(remedies[0].at("Abkürzung"), "Bell.");
  EXPECT_EQ(remedies[0].at("Familie"), "<NULL>");
  EXPECT_EQ(remedies[0].at("Vorkommen"), refdatatest::FakeRtf("Wald."));
  EXPECT_EQ(remedies[0].at("Indikationen"), refdatatest::FakeRtf("Fieber."));
  EXPECT_EQ(remedies[0].at("AMB"), refdatatest::FakeRtf("Hitze."));
  EXPECT_EQ(remedies[0].at("Grfik2"), refdatatest::ReadBytes(root_ / "TABHOM/bilder/bella.png"));
  const auto references = Rows("Verweise");
  ASSERT_EQ(references.size(), 1u);
  EXPECT_EQ(references[0].at("AllIndikat"), "Abszess");
  EXPECT_EQ(references[0].at("ZuInd"), "Fieber");
}

TEST_F(BuildDatabaseSetTest, NameTooLongForItsFieldIsRefusedAndNothingIsWritten) {
  ReplaceLeaf("BezTree: Sonnenstich nach langem Spielen\nLs: 01.01.01\nEltern: Kopfschmerz\n");
  const auto result = Build();
  EXPECT_THAT(result.problems, ElementsAre(ProblemAt("Baum/01-kopf.md", 14, "has 31 characters; the field holds 30")));
  EXPECT_THAT(result.files, IsEmpty());
  EXPECT_THAT(refdatatest::FolderNames(outParent_), IsEmpty());
}

TEST_F(BuildDatabaseSetTest, MissingParentLeavesAnOlderSetUntouched) {
  ASSERT_THAT(Build().problems, IsEmpty());
  const auto before = Snapshot(out_);
  ASSERT_EQ(before.size(), 8u);
  ReplaceLeaf("BezTree: Sonnenstich\nLs: 01.01.01\nEltern: Nirgendwo\n");
  const auto result = Build();
  EXPECT_THAT(result.problems, Contains(ProblemAt("Baum/01-kopf.md", 16, "'Eltern: Nirgendwo' names no tree entry")));
  EXPECT_EQ(Snapshot(out_), before);
  EXPECT_THAT(refdatatest::FolderNames(outParent_), ElementsAre("data"));
}

TEST_F(BuildDatabaseSetTest, LsThatDisagreesWithThePlaceIsRefused) {
  ReplaceLeaf("BezTree: Sonnenstich\nLs: 01.02\nEltern: Kopfschmerz\n");
  const auto result = Build();
  EXPECT_THAT(result.problems, ElementsAre(ProblemAt("Baum/01-kopf.md", 15, "so its 'Ls' is '01.01.01'")));
  EXPECT_THAT(refdatatest::FolderNames(outParent_), IsEmpty());
}

TEST_F(BuildDatabaseSetTest, BuildingTwiceGivesTheSameFilesAndDumps) {
  ASSERT_THAT(Build().problems, IsEmpty());
  const fs::path second = outParent_ / "second";
  ASSERT_THAT(Build(second).problems, IsEmpty());
  EXPECT_EQ(Snapshot(out_), Snapshot(second));
  for (const refdata::TTableSchema& schema : refdata::ReferenceTables()) {
    const std::string table = " '" + std::string(schema.tableName) + "' --blob-hash";
    const auto a = dvxtest::RunDvx("dump '" + (out_ / schema.fileName).string() + "'" + table);
    const auto b = dvxtest::RunDvx("dump '" + (second / schema.fileName).string() + "'" + table);
    EXPECT_EQ(a.status, 0) << a.out;
    EXPECT_EQ(a.out, b.out);
    EXPECT_THAT(a.out, ::testing::HasSubstr(schema.tableName == "Verweise" ? "Abszess" : "\t"));
  }
}

TEST_F(BuildDatabaseSetTest, RebuildReplacesTheSetAndKeepsOtherFiles) {
  ASSERT_THAT(Build().problems, IsEmpty());
  std::ofstream(out_ / "notes.txt") << "eigene Notizen";
  const auto before = Snapshot(out_);
  Write("KindInd/a.md", "+++\nIndikation: Zahnung\n+++\nZähne und Zahnfleisch.\n");
  ASSERT_THAT(Build().problems, IsEmpty());
  const auto after = Snapshot(out_);
  EXPECT_EQ(after.at("notes.txt"), "eigene Notizen");
  EXPECT_NE(after.at("dbKindInd.dvx"), before.at("dbKindInd.dvx"));
  EXPECT_EQ(Rows("KindInd").at(0).at("Inhalt"), refdatatest::FakeRtf("Zähne und Zahnfleisch."));
  EXPECT_THAT(refdatatest::FolderNames(outParent_), ElementsAre("data"));
}

TEST_F(BuildDatabaseSetTest, TargetThatCannotBeReplacedFailsAndKeepsTheOlderSet) {
  ASSERT_THAT(Build().problems, IsEmpty());
  fs::remove(out_ / "dbVerweise.dvx");
  fs::create_directory(out_ / "dbVerweise.dvx");
  const auto old = Snapshot(out_);
  EXPECT_THROW(Build(), std::runtime_error);
  EXPECT_EQ(Snapshot(out_), old);
  EXPECT_THAT(refdatatest::FolderNames(outParent_), ElementsAre("data"));
}

}  // namespace
