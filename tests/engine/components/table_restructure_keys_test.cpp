// Restructuring a table that foreign keys point at, or that has its own:
// afterwards every key holds as before (a child without its parent is
// refused, deleting a parent cascades), whichever of the two tables was
// rebuilt.
#include "engine/schema/constraint_def.h"
#include "engine/tables/local_cursor.h"
#include "tests/engine/components/table_fixture.h"

namespace dvx::test {
namespace {

class TableRestructureKeys : public TTableFixture {
 protected:
  void SetUp() override {
    TTableFixture::SetUp();
    TDVXTable& parents = MakeTable("Eltern");
    parents.FieldDefs().Add("E_ID", ftInteger, 0, true);
    parents.FieldDefs().Add("Name", ftString, 20);
    parents.IndexDefs().Add("PK_Eltern", "E_ID", {.primary = true, .unique = true});
    parents.CreateTable();
    TDVXTable& children = MakeTable("Kinder");
    children.FieldDefs().Add("K_ID", ftInteger, 0, true);
    children.FieldDefs().Add("E_ID", ftInteger);
    children.IndexDefs().Add("PK_Kinder", "K_ID", {.primary = true, .unique = true});
    children.CreateTable();
    for (int id : {1, 2}) Add(parents, {id});
    Add(children, {10, 1});
    Add(children, {20, 2});
    database_->Open();
    TDVXConstraintDefForeignKey fk;
    fk.SetObjectName("FK_Kinder_Eltern");
    fk.Table() = {"Eltern", 0};
    fk.AddColumn("E_ID");
    fk.SetDeleteAction(raCascade);
    TDVXLocalCursor(*database_->Handle(), "Kinder", true).AddForeignKey(fk);
  }
  static void Add(TDVXTable& t, std::vector<int> values) {
    if (!t.Active()) t.Open();
    t.Append();
    for (size_t i = 0; i < values.size(); ++i) t.Fields()[static_cast<int>(i)].SetAsInteger(values[i]);
    t.Post();
    t.Close();
  }
  // Rebuilt with one more field, every record kept.
  void RestructureWithExtraField(const std::string& name) {
    TDVXTable& t = MakeTable(name);
    t.Open();
    TFieldDefs fields;
    for (int i = 0; i < t.FieldDefs().Count(); ++i) {
      const TFieldDef& d = t.FieldDefs()[i];
      fields.Add(d.Name(), d.DataType(), d.Size(), d.Required());
    }
    fields.Add("Neu", ftString, 10);
    TIndexDefs indexes;
    for (int i = 0; i < t.IndexDefs().Count(); ++i)
      indexes.Add(t.IndexDefs()[i].Name(), t.IndexDefs()[i].Fields(), t.IndexDefs()[i].Options());
    t.Close();
    t.RestructureTable(fields, indexes);
  }
  std::vector<std::string> ChildIds() {
    TDVXTable& t = MakeTable("Kinder");
    t.SetIndexName("PK_Kinder");
    t.Open();
    std::vector<std::string> ids = Column(t, "K_ID");
    t.Close();
    return ids;
  }
  void ExpectKeyHolds() {
    TDVXTable& children = MakeTable("Kinder");
    children.Open();
    children.Append();
    children.FieldByName("K_ID").SetAsInteger(30);
    children.FieldByName("E_ID").SetAsInteger(99);
    EXPECT_ANY_THROW(children.Post()) << "a child without its parent was stored";
    if (children.State() == dsInsert) children.Cancel();
    children.Close();
    EXPECT_EQ(ChildIds(), (std::vector<std::string>{"10", "20"}));
    TDVXTable& parents = MakeTable("Eltern");
    parents.SetIndexName("PK_Eltern");
    parents.Open();
    ASSERT_TRUE(parents.SeekKey(int64_t{1}));
    parents.Delete();
    parents.Close();
    EXPECT_EQ(ChildIds(), (std::vector<std::string>{"20"})) << "deleting a parent did not cascade";
  }
};

TEST_F(TableRestructureKeys, BeforeAnyRestructure) { ExpectKeyHolds(); }

TEST_F(TableRestructureKeys, ReferencedTableRebuilt) {
  RestructureWithExtraField("Eltern");
  // What holds is in the file, not only in this session's memory.
  tables_.clear();
  database_->Close();
  ExpectKeyHolds();
}

TEST_F(TableRestructureKeys, AKeyThatCannotComeBackIsReported) {
  // Without its primary key the rebuilt table can serve no foreign key.
  TFieldDefs fields;
  fields.Add("E_ID", ftInteger, 0, true);
  fields.Add("Name", ftString, 20);
  TIndexDefs indexes;
  indexes.Add("Idx_E", "E_ID");
  TDVXTable& t = MakeTable("Eltern");
  EXPECT_THAT([&] { t.RestructureTable(fields, indexes); },
              ThrowsEngineText(::testing::StartsWith("Error - restructure table 'Eltern' failed. Cannot recreate foreign "
                                                     "keys referencing this table due to error: \r\n")));
  // The table is the new one with every record, and the child table holds
  // no key that points nowhere.
  t.SetIndexName("Idx_E");
  t.Open();
  EXPECT_EQ(Column(t, "E_ID"), (std::vector<std::string>{"1", "2"}));
  t.Close();
  TDVXLocalCursor children(*database_->Handle(), "Kinder");
  children.Open();
  const TDVXConstraintDefs& defs = children.Table().ConstraintManager().ConstraintDefs();
  for (int i = 0; i < defs.Count(); ++i) EXPECT_NE(defs.Items(i)->ConstraintType(), ctForeignKey);
}

TEST_F(TableRestructureKeys, ReferencingTableRebuilt) {
  RestructureWithExtraField("Kinder");
  ExpectKeyHolds();
}

}  // namespace
}  // namespace dvx::test
