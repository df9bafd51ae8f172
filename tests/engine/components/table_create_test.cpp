// Creating over an existing table: a stored table is refused and keeps
// its records, an in-memory one is replaced. Autoincrement numbers go on
// from where they stood after the table is loaded again.
#include "engine/storage/storage_errors.h"
#include "tests/engine/components/table_fixture.h"

namespace dvx::test {
namespace {

class TableCreate : public TTableFixture {
 protected:
  // "Wort" with three words, closed.
  void MakeWords() {
    TDVXTable& t = CreateAndOpen("Wort", DefineWort, "PK_Wort");
    for (const char* w : {"Apis", "Bryonia", "Cina"}) AddWort(t, w);
    t.Close();
  }
  // The words of "Wort", read again through a fresh database component.
  std::vector<std::string> StoredWords() {
    MakeDatabase();
    TDVXTable& t = MakeTable("Wort");
    t.SetIndexName("PK_Wort");
    t.Open();
    return Column(t, "Name");
  }
  const std::vector<std::string> kWords{"Apis", "Bryonia", "Cina"};
};

TEST_F(TableCreate, CreateOverStoredTableIsRefusedAndKeepsRecords) {
  MakeWords();
  TDVXTable& again = MakeTable("wort");
  again.FieldDefs().Add("Other", ftInteger);
  EXPECT_THAT([&] { again.CreateTable(); },
              ThrowsDvx(kErrTableExists, "Cannot create table. Table 'wort' already exists"));
  EXPECT_EQ(StoredWords(), kWords);
}

TEST_F(TableCreate, ImportOverStoredTableIsRefusedAndKeepsDefinitions) {
  MakeWords();
  TDVXTable& source = CreateAndOpen("Baum", DefineBaum, "Primary_Key");
  AddBaum(source, 1, 0, 1, "Kopf");
  TDVXTable& target = MakeTable("Wort");
  target.FieldDefs().Add("Mine", ftInteger);
  EXPECT_THAT([&] { target.ImportTable(source); },
              ThrowsEngineText("Error importing table. Cannot create table due to error: Cannot create table. Table "
                               "'Wort' already exists\r\n"));
  ASSERT_EQ(target.FieldDefs().Count(), 1);
  EXPECT_EQ(target.FieldDefs()[0].Name(), "Mine");
  EXPECT_TRUE(source.Active());
  EXPECT_EQ(StoredWords(), kWords);
}

TEST_F(TableCreate, InMemoryTableIsReplaced) {
  TDVXTable& t = MakeTable("Fluechtig");
  t.SetDatabaseName("MEMORY");
  DefineWort(t);
  t.CreateTable();
  t.Open();
  AddWort(t, "Apis");
  t.Close();
  // The component's own definitions outlive the close.
  t.CreateTable();
  t.Open();
  EXPECT_EQ(t.RecordCount(), 0);
  t.Close();
  t.DeleteTable();
}

TEST_F(TableCreate, AutoincNumbersGoOnAfterTheTableIsLoadedAgain) {
  MakeWords();
  MakeDatabase();
  TDVXTable& t = MakeTable("Wort");
  t.SetIndexName("PK_Wort");
  t.Open();
  AddWort(t, "Drosera");
  EXPECT_EQ(t.FieldByName("Wort_ID").AsInteger(), 4);
  EXPECT_EQ(Column(t, "Wort_ID"), (std::vector<std::string>{"1", "2", "3", "4"}));
}

}  // namespace
}  // namespace dvx::test
