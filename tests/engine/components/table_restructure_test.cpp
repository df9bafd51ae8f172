// CreateTable round trip, restructure keeping every record, and a
// restructure killed at random points leaving the old or the new table.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "tests/engine/components/table_fixture.h"

namespace dvx::test {
namespace {

using ::testing::HasSubstr;

class TableRestructure : public TTableFixture {
 protected:
  // The reference tables' kinds of fields and indexes.
  static void DefineReference(TDVXTable& t) {
    t.FieldDefs().Add("Ref_ID", ftAutoInc);
    t.FieldDefs().Add("Kurz", ftFixedChar, 4);
    t.FieldDefs().Add("Rang", ftInteger, 0, true);
    t.FieldDefs().Add("Text", ftFmtMemo);
    t.FieldDefs().Add("Bild", ftGraphic);
    t.FieldDefs().Add("Name", ftString, 20);
    t.IndexDefs().Add("PK_Ref", "Ref_ID", {.primary = true, .unique = true});
    t.IndexDefs().Add("Idx_Name", "Name", {.unique = true}).SetCaseInsFields("Name");
  }
  void Fill(TDVXTable& t, int count) {
    for (int i = 1; i <= count; ++i) {
      t.Append();
      t.FieldByName("Kurz").SetAsString("K" + std::to_string(i % 100));
      t.FieldByName("Rang").SetAsInteger(i);
      t.FieldByName("Text").SetAsString("{\\rtf1 Eintrag " + std::to_string(i) + "}");
      t.FieldByName("Name").SetAsString("Name " + std::to_string(i));
      t.Post();
    }
  }
  // Rang of every record, and the rest checked against what Fill wrote.
  void ExpectRecords(TDVXTable& t, int count) {
    int seen = 0;
    for (t.First(); !t.Eof(); t.Next()) {
      const int rang = t.FieldByName("Rang").AsInteger();
      ++seen;
      ASSERT_EQ(rang, seen);
      ASSERT_EQ(t.FieldByName("Ref_ID").AsInteger(), rang);
      if (TField* text = t.FindField("Text")) ASSERT_EQ(text->AsString(), "{\\rtf1 Eintrag " + std::to_string(rang) + "}");
    }
    ASSERT_EQ(seen, count);
  }
  TFieldDefs fields_;
  TIndexDefs indexes_;
  void CopyDefs(TDVXTable& t) {
    for (int i = 0; i < t.FieldDefs().Count(); ++i) {
      const TFieldDef& d = t.FieldDefs()[i];
      fields_.Add(d.Name(), d.DataType(), d.Size(), d.Required());
    }
    for (int i = 0; i < t.IndexDefs().Count(); ++i) {
      const TIndexDef& d = t.IndexDefs()[i];
      indexes_.Add(d.Name(), d.Fields(), d.Options()).SetCaseInsFields(d.CaseInsFields());
    }
  }
};

TEST_F(TableRestructure, CreateTableRoundTrips) {
  TDVXTable& t = MakeTable("Ref");
  DefineReference(t);
  TFieldDefs wantFields;
  TIndexDefs wantIndexes;
  t.CreateTable();
  TDVXTable& back = MakeTable("Ref");
  back.Open();
  const std::vector<std::tuple<std::string, TFieldType, int, bool>> expected = {
      {"Ref_ID", ftAutoInc, 0, false}, {"Kurz", ftFixedChar, 4, false}, {"Rang", ftInteger, 0, true},
      {"Text", ftFmtMemo, 0, false},   {"Bild", ftGraphic, 0, false},   {"Name", ftString, 20, false}};
  ASSERT_EQ(back.FieldDefs().Count(), 6);
  for (int i = 0; i < 6; ++i) {
    const TFieldDef& d = back.FieldDefs()[i];
    EXPECT_EQ(std::make_tuple(d.Name(), d.DataType(), d.Size(), d.Required()), expected[static_cast<size_t>(i)]);
  }
  ASSERT_EQ(back.IndexDefs().Count(), 2);
  EXPECT_EQ(back.IndexDefs()[0].Fields(), "Ref_ID");
  EXPECT_TRUE(back.IndexDefs()[0].Options().primary);
  EXPECT_EQ(back.IndexDefs()[1].Fields(), "Name");
  EXPECT_TRUE(back.IndexDefs()[1].Options().unique);
  EXPECT_EQ(back.IndexDefs()[1].CaseInsFields(), "Name");
}

TEST_F(TableRestructure, ThreeFieldPrimaryKeyRoundTrips) {
  TDVXTable& t = MakeTable("Baum");
  DefineBaum(t);
  t.CreateTable();
  TDVXTable& back = MakeTable("Baum");
  back.Open();
  ASSERT_NE(back.IndexDefs().Find("Primary_Key"), nullptr);
  EXPECT_EQ(back.IndexDefs().Find("Primary_Key")->Fields(), "Baum_ID;Parent;Pos");
}

TEST_F(TableRestructure, AddDropAndResizeKeepEveryRecord) {
  TDVXTable& t = CreateAndOpen("Ref", DefineReference, "PK_Ref");
  Fill(t, 120);
  CopyDefs(t);
  t.Close();
  TFieldDefs changed;
  for (int i = 0; i < fields_.Count(); ++i) {
    const TFieldDef& d = fields_[i];
    if (d.Name() == "Bild") continue;  // dropped
    changed.Add(d.Name(), d.DataType(), d.Name() == "Name" ? 30 : d.Size(), d.Required());  // resized
  }
  changed.Add("Neu", ftInteger);  // added
  t.RestructureTable(changed, indexes_);
  t.Open();
  EXPECT_EQ(t.FieldDefs().Find("Bild"), nullptr);
  EXPECT_EQ(t.FieldDefs().Find("Name")->Size(), 30);
  EXPECT_TRUE(t.FieldByName("Neu").IsNull());
  ExpectRecords(t, 120);
}

// The copied numbers are not handed out again: the new table's sequence
// stands at least where the old one stood.
TEST_F(TableRestructure, AutoincNumbersAreNotHandedOutAgain) {
  TDVXTable& t = CreateAndOpen("Ref", DefineReference, "PK_Ref");
  Fill(t, 20);
  CopyDefs(t);
  t.Close();
  t.RestructureTable(fields_, indexes_);
  t.Open();
  t.Append();
  t.FieldByName("Rang").SetAsInteger(21);
  t.Post();
  EXPECT_EQ(t.FieldByName("Ref_ID").AsInteger(), 21);
}

TEST_F(TableRestructure, FailedStepsNameTheStep) {
  TDVXTable& t = MakeTable("Ref");
  TFieldDefs bad;
  bad.Add("X", ftUnknown);
  EXPECT_THAT([&] { t.RestructureTable(bad, TIndexDefs()); },
              ThrowsEngineText(::testing::StartsWith("Error - restructure table 'Ref' failed. Cannot create structure "
                                                     "for new table due to error: \r\n")));
  TFieldDefs good;
  good.Add("X", ftInteger);
  EXPECT_THAT([&] { t.RestructureTable(good, TIndexDefs()); },
              ThrowsEngineText("Error - restructure table 'Ref' failed. Cannot open source table due to error: \r\n"
                               "Table not found, table name = Ref\r\n"));
  EXPECT_FALSE(MakeTable("$NRef").Exists());
}

TEST_F(TableRestructure, AbortedCopyLeavesOldTable) {
  TDVXTable& t = CreateAndOpen("Ref", DefineReference, "PK_Ref");
  Fill(t, 30);
  CopyDefs(t);
  t.Close();
  t.OnProgress = [](TComponent&, int percent, TDVXTableOperation op, bool& abort) {
    abort = op == tbopRestructure && percent >= 50;
  };
  EXPECT_THAT([&] { t.RestructureTable(fields_, indexes_); },
              ThrowsEngineText(HasSubstr("Cannot copy records to temporary table due to error: \r\n")));
  t.OnProgress = nullptr;
  t.Open();
  ExpectRecords(t, 30);
  EXPECT_FALSE(MakeTable("$NRef").Exists());
}

// A child restructures and is killed after a random delay; whatever moment
// it died at, the table opens as the old one or the new one with every
// record.
TEST_F(TableRestructure, KilledRestructureLeavesOldOrNewTable) {
  TDVXTable& t = CreateAndOpen("Ref", DefineReference, "PK_Ref");
  Fill(t, 150);
  CopyDefs(t);
  t.Close();
  database_.reset();
  tables_.clear();
  std::mt19937 rng(2024);
  int oldSeen = 0, newSeen = 0;
  for (int round = 0; round < 12; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      MakeDatabase();
      TDVXTable& c = MakeTable("Ref");
      TFieldDefs next;
      for (int i = 0; i < fields_.Count(); ++i) next.Add(fields_[i].Name(), fields_[i].DataType(), fields_[i].Size(), fields_[i].Required());
      // Alternately add and drop the same field, so every round changes the table.
      c.Open();
      const bool hasExtra = c.FindField("Extra") != nullptr;
      c.Close();
      if (!hasExtra) next.Add("Extra", ftInteger);
      try {
        c.RestructureTable(next, indexes_);
      } catch (...) {
        _exit(2);
      }
      _exit(0);
    }
    usleep(static_cast<useconds_t>(rng() % 400000));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << "round " << round;
    MakeDatabase();
    TDVXTable& check = MakeTable("Ref");
    check.SetIndexName("PK_Ref");
    check.Open();
    (check.FindField("Extra") ? newSeen : oldSeen)++;
    ExpectRecords(check, 150);
    check.Close();
    EXPECT_FALSE(MakeTable("$NRef").Exists());
    EXPECT_FALSE(MakeTable("$ORef").Exists());
    tables_.clear();
    database_.reset();
  }
  EXPECT_GT(oldSeen + newSeen, 0);
}

}  // namespace
}  // namespace dvx::test
