// Whose definitions FieldDefs and IndexDefs hold: a change from outside
// makes them the component's own (StoreDefs), which then outlive a close;
// the dataset's own filling from the open table changes neither. And the
// key map of a cursor that does not show an index column.
#include "engine/tables/local_cursor.h"
#include "tests/engine/components/table_fixture.h"

namespace dvx::test {
namespace {

class TableDefinitions : public TTableFixture {
 protected:
  // "Wort" created and closed, through a component that is then dropped.
  void MakeWordsTable() {
    TDVXTable& t = MakeTable("Wort");
    DefineWort(t);
    t.CreateTable();
    tables_.pop_back();
  }
  static std::vector<std::string> FieldNames(TDVXTable& t) {
    std::vector<std::string> names;
    for (int i = 0; i < t.FieldDefs().Count(); ++i) names.push_back(t.FieldDefs()[i].Name());
    return names;
  }
};

TEST_F(TableDefinitions, EveryKindOfChangeSwitchesStoreDefsOn) {
  const std::vector<std::function<void(TDVXTable&)>> changes = {
      [](TDVXTable& t) { t.FieldDefs().Add("A", ftInteger); },
      [](TDVXTable& t) { t.FieldDefs().Clear(); },
      [](TDVXTable& t) { t.IndexDefs().Add("I", "A"); },
      [](TDVXTable& t) { t.IndexDefs().Clear(); },
  };
  for (size_t i = 0; i < changes.size(); ++i) {
    TDVXTable& t = MakeTable("Wort");
    ASSERT_FALSE(t.StoreDefs());
    changes[i](t);
    EXPECT_TRUE(t.StoreDefs()) << "change " << i;
  }
  // A change of one definition, not of the collection.
  MakeWordsTable();
  TDVXTable& t = MakeTable("Wort");
  t.Open();
  t.Close();
  t.SetStoreDefs(false);
  t.FieldDefs().Add("B", ftInteger).SetPrecision(3);
  t.SetStoreDefs(false);
  t.FieldDefs()[0].SetWideMemo(false);
  EXPECT_TRUE(t.StoreDefs());
  t.SetStoreDefs(false);
  t.IndexDefs().Add("J", "B");
  t.SetStoreDefs(false);
  t.IndexDefs()[0].SetDescFields("B");
  EXPECT_TRUE(t.StoreDefs());
}

TEST_F(TableDefinitions, OpeningFillsWithoutMakingThemOwnAndClosingClearsThem) {
  MakeWordsTable();
  TDVXTable& t = MakeTable("Wort");
  t.Open();
  EXPECT_FALSE(t.StoreDefs());
  EXPECT_EQ(FieldNames(t), (std::vector<std::string>{"Wort_ID", "Name"}));
  EXPECT_EQ(t.IndexDefs().Count(), 3);
  t.Close();
  EXPECT_FALSE(t.StoreDefs());
  EXPECT_EQ(t.FieldDefs().Count(), 0);
  EXPECT_EQ(t.IndexDefs().Count(), 0);
}

TEST_F(TableDefinitions, OwnDefinitionsOutliveCloseAndRecreateTheTable) {
  TDVXTable& t = MakeTable("Wort");
  DefineWort(t);
  t.CreateTable();
  t.SetIndexName("Idx_CI");
  t.Open();
  AddWort(t, "Arnica");
  t.Close();
  ASSERT_TRUE(t.StoreDefs());
  EXPECT_EQ(FieldNames(t), (std::vector<std::string>{"Wort_ID", "Name"}));
  ASSERT_EQ(t.IndexDefs().Count(), 3);
  ASSERT_NE(t.IndexDefs().Find("Idx_CI"), nullptr);
  EXPECT_EQ(t.IndexDefs().Find("Idx_CI")->CaseInsFields(), "Name");
  // Deleted and made again from what the component kept: empty, same
  // order, same case rule.
  t.DeleteTable();
  t.CreateTable();
  t.Open();
  EXPECT_TRUE(t.IsEmpty());
  AddWort(t, "belladonna");
  AddWort(t, "Arnica");
  EXPECT_EQ(Column(t, "Name"), (std::vector<std::string>{"Arnica", "belladonna"}));
  t.SeekNearest("BELL");
  EXPECT_EQ(t.FieldByName("Name").AsString(), "belladonna");
}

// A table whose cursor shows only some fields, as a projection does.
class TProjectedTable : public TDVXTable {
 public:
  TProjectedTable(TComponent* owner, std::vector<std::string> shown) : TDVXTable(owner), shown_(std::move(shown)) {}

 protected:
  std::unique_ptr<TDVXLocalCursor> CreateHandle() override {
    std::unique_ptr<TDVXLocalCursor> cursor = TDVXTable::CreateHandle();
    cursor->SetProjection(shown_, std::vector<std::string>(shown_.size()));
    return cursor;
  }

 private:
  std::vector<std::string> shown_;
};

TEST_F(TableDefinitions, IndexColumnWithoutFieldCannotTakeAKey) {
  TDVXTable& baum = CreateAndOpen("Baum", DefineBaum, "Primary_Key");
  AddBaum(baum, 1, 0, 1, "Kopf");
  AddBaum(baum, 2, 1, 1, "Augen");
  baum.Close();
  // "Parent", the second key column, is not shown; "Pos" must not take
  // its place.
  TProjectedTable t(&form_, {"Baum_ID", "Pos", "Text"});
  t.SetDatabaseName(databaseName_);
  t.SetTableName("Baum");
  t.SetIndexName("Primary_Key");
  t.Open();
  TDVXVariant id, parent;
  id.SetAsSignedInt32(2);
  parent.SetAsSignedInt32(1);
  EXPECT_THAT([&] { t.SeekKey({id, parent}); }, ThrowsEngineText("Cannot access index field 'Parent'"));
  // The first column is there, and a one-value key still works.
  EXPECT_TRUE(t.SeekKey({id}));
  EXPECT_EQ(t.FieldByName("Text").AsString(), "Augen");
}

}  // namespace
}  // namespace dvx::test
