// The table's key search edge cases and its messages, each by its text.
#include "tests/engine/components/table_fixture.h"

namespace dvx::test {
namespace {

using ::testing::HasSubstr;

class TableEdge : public TTableFixture {
 protected:
  TDVXTable& Words() {
    TDVXTable& t = CreateAndOpen("Wort", DefineWort, "Idx_CS");
    for (const char* name : {"Arnica", "Belladonna", "Chamomilla", "Ödipus"}) AddWort(t, name);
    return t;
  }
  TDVXTable& Tree() {
    TDVXTable& t = CreateAndOpen("Baum", DefineBaum, "Primary_Key");
    AddBaum(t, 1, 0, 1, "Kopf");
    AddBaum(t, 2, 1, 1, "Augen");
    AddBaum(t, 2, 1, 2, "Ohren");
    AddBaum(t, 3, 0, 2, "Bauch");
    return t;
  }
};

TEST_F(TableEdge, NearestPastEveryKeyIsLastRecord) {
  TDVXTable& t = Words();
  t.SeekNearest("Zzz");
  EXPECT_EQ(t.FieldByName("Name").AsString(), "Ödipus");
}

TEST_F(TableEdge, NearestEmptyTextIsFirstRecord) {
  TDVXTable& t = Words();
  t.Last();
  t.SeekNearest("");
  EXPECT_EQ(t.FieldByName("Name").AsString(), "Arnica");
}

TEST_F(TableEdge, SeekKeyMissingKeepsRecord) {
  TDVXTable& t = Words();
  t.SeekNearest("Bel");
  EXPECT_FALSE(t.SeekKey({[] {
    TDVXVariant v;
    v.SetAsString("Belladonn");
    return v;
  }()}));
  EXPECT_EQ(t.FieldByName("Name").AsString(), "Belladonna");
}

TEST_F(TableEdge, SeekKeyOnThreeColumnKeyComparesFirstOnly) {
  TDVXTable& t = Tree();
  ASSERT_TRUE(t.SeekKey(int64_t{2}));
  EXPECT_EQ(t.FieldByName("Text").AsString(), "Augen");
  EXPECT_FALSE(t.SeekKey(int64_t{7}));
  EXPECT_EQ(t.FieldByName("Text").AsString(), "Augen");
}

TEST_F(TableEdge, PendingChangeIsPostedBeforeSearch) {
  TDVXTable& t = Words();
  t.SeekNearest("Arn");
  t.Edit();
  t.FieldByName("Name").SetAsString("Aconitum");
  t.SeekNearest("Ch");
  EXPECT_EQ(t.State(), dsBrowse);
  EXPECT_EQ(Column(t, "Name"), (std::vector<std::string>{"Aconitum", "Belladonna", "Chamomilla", "Ödipus"}));
}

TEST_F(TableEdge, UnchangedEditIsCancelledBeforeSearch) {
  TDVXTable& t = Words();
  t.Edit();
  t.SeekNearest("Ch");
  EXPECT_EQ(t.State(), dsBrowse);
  EXPECT_EQ(t.FieldByName("Name").AsString(), "Chamomilla");
}

TEST_F(TableEdge, IndexNameOnClosedTableTakesEffectAtOpen) {
  TDVXTable& t = Words();
  t.Close();
  t.SetIndexName("PK_Wort");
  EXPECT_EQ(t.IndexName(), "PK_Wort");
  EXPECT_EQ(t.IndexFieldNames(), "");
  t.Open();
  EXPECT_EQ(t.ActiveIndex(), "PK_Wort");
  EXPECT_EQ(Column(t, "Name"), (std::vector<std::string>{"Arnica", "Belladonna", "Chamomilla", "Ödipus"}));
}

TEST_F(TableEdge, IndexFieldNamesFindsIndexAndEmptyClearsBoth) {
  TDVXTable& t = Tree();
  t.Close();
  t.SetIndexFieldNames("baum_id; parent ;POS");
  t.Open();
  EXPECT_EQ(t.ActiveIndex(), "Primary_Key");
  t.SetIndexFieldNames("");
  EXPECT_EQ(t.IndexName(), "");
  EXPECT_EQ(t.ActiveIndex(), "");
}

// --- messages ---

TEST_F(TableEdge, MissingTableName) {
  TDVXTable& t = MakeTable("");
  EXPECT_THAT([&] { t.Open(); }, ThrowsTableError("Missing TableName property"));
  EXPECT_THAT([&] { t.CreateTable(); }, ThrowsTableError("Missing TableName property"));
}

TEST_F(TableEdge, NoIndexCurrentlyActive) {
  TDVXTable& t = Words();
  t.SetIndexName("");
  EXPECT_THAT([&] { t.SeekNearest("A"); }, ThrowsEngineText("No index currently active"));
}

TEST_F(TableEdge, MoreValuesThanIndexFields) {
  TDVXTable& t = Words();
  TDVXVariant a, b;
  a.SetAsString("A");
  b.SetAsString("B");
  EXPECT_THAT([&] { t.SeekNearest({a, b}); }, ThrowsEngineText("Field index out of range"));
}

TEST_F(TableEdge, TableMissingAtOpen) {
  TDVXTable& t = MakeTable("Fehlt");
  EXPECT_THAT([&] { t.Open(); }, ThrowsEngineText("Table not found, table name = Fehlt"));
}

TEST_F(TableEdge, CircularMasterLink) {
  TDVXTable& a = MakeTable("A");
  TDVXTable& b = MakeTable("B");
  b.SetMasterSource(&MakeSource(a));
  EXPECT_THAT([&] { a.SetMasterSource(&MakeSource(b)); }, ThrowsTableError("Circular datalinks are not allowed"));
  EXPECT_THAT([&] { a.SetMasterSource(&MakeSource(a)); }, ThrowsTableError("Circular datalinks are not allowed"));
}

TEST_F(TableEdge, KeyOperationWithoutCursor) {
  TDVXTable& t = MakeTable("Wort");
  EXPECT_THAT([&] { t.SeekKey(int64_t{1}); }, ThrowsEngineText("Nil pointer occured"));
  EXPECT_THAT([&] { t.ApplyKeyRange(); }, ThrowsEngineText("Nil pointer occured"));
}

TEST_F(TableEdge, ReadOnlyDatabaseRefusesMaintenance) {
  MakeDatabase(true);
  TDVXTable& t = MakeTable("Wort");
  DefineWort(t);
  EXPECT_THAT([&] { t.CreateTable(); }, ThrowsEngineText("Error - database is in read only mode"));
}

// A table on a database that can only be read becomes read-only itself:
// an edit is refused before anything moves, not at the post.
TEST_F(TableEdge, ATableOnAReadOnlyDatabaseIsReadOnly) {
  TDVXTable& w = CreateAndOpen("Wort", DefineWort, "PK_Wort");
  AddWort(w, "Arnica");
  w.Close();
  MakeDatabase(true);
  TDVXTable& t = MakeTable("Wort");
  EXPECT_FALSE(t.ReadOnly());
  t.Open();
  EXPECT_TRUE(t.ReadOnly());
  EXPECT_THAT([&] { t.Edit(); }, ThrowsTableError("Cannot modify a read-only dataset"));
  EXPECT_EQ(t.State(), dsBrowse);
  EXPECT_EQ(t.FieldByName("Name").AsString(), "Arnica");
}

TEST_F(TableEdge, IndexMaintenanceMessages) {
  Words().Close();
  TDVXTable& t = MakeTable("Wort");
  EXPECT_THAT([&] { t.AddIndex("Idx_X", "Name"); },
              ThrowsEngineText("Error - table 'Wort' is not opened in exclusive mode"));
  EXPECT_THAT([&] { t.DeleteIndex("Idx_CS"); },
              ThrowsEngineText("Error - table 'Wort' is not opened in exclusive mode"));
  t.SetExclusive(true);
  EXPECT_THAT([&] { t.AddIndex("", "Name"); }, ThrowsEngineText("Invalid index name ''"));
  EXPECT_THAT([&] { t.AddIndex("Idx_X", "Name;Farbe"); }, ThrowsEngineText("Cannot find index field 'Farbe'"));
  t.AddIndex("Idx_X", "Name", {.unique = false}, "Name");
  t.DeleteIndex("Idx_CS");
  t.Open();
  EXPECT_NE(t.IndexDefs().Find("Idx_X"), nullptr);
  EXPECT_EQ(t.IndexDefs().Find("Idx_X")->DescFields(), "Name");
  EXPECT_EQ(t.IndexDefs().Find("Idx_CS"), nullptr);
}

TEST_F(TableEdge, ImportMessages) {
  TDVXTable& source = Words();
  TDVXTable& refused = MakeTable(std::string(300, 'T'));
  EXPECT_THAT([&] { refused.ImportTable(source); },
              ThrowsEngineText(::testing::AllOf(
                  ::testing::StartsWith("Error importing table. Cannot create table due to error: "),
                  ::testing::EndsWith("\r\n"))));
  TDVXTable& aborted = MakeTable("Kopie");
  aborted.OnProgress = [](TComponent&, int, TDVXTableOperation, bool& abort) { abort = true; };
  EXPECT_THAT([&] { aborted.ImportTable(source); },
              ThrowsEngineText("Error importing table. Cannot copy data due to error: Operation aborted\r\n"));
}

TEST_F(TableEdge, ImportCopiesEveryRecord) {
  TDVXTable& source = Words();
  TDVXTable& copy = MakeTable("Kopie");
  copy.ImportTable(source);
  copy.SetIndexName("Idx_CI");
  copy.Open();
  EXPECT_EQ(Column(copy, "Name"), (std::vector<std::string>{"Arnica", "Belladonna", "Chamomilla", "Ödipus"}));
}

}  // namespace
}  // namespace dvx::test
