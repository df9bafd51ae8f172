// The engine dataset's messages and the edge cases of its open, edit,
// post, delete and BLOB streams.
#include "tests/engine/components/dvx_dataset_fixture.h"

#include "engine/components/blob_stream.h"
#include "engine/components/dataset_errors.h"
#include "engine/components/dataset_list.h"

namespace dvx::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

class DataSetMessagesTest : public TDataSetFixture {};

TEST_F(DataSetMessagesTest, CurrentVersionHasTwoDecimalsAndABlank) { EXPECT_EQ(TDVXDataSet::CurrentVersion(), "4.20 "); }

TEST_F(DataSetMessagesTest, MemoryInAnyCaseIsInMemory) {
  TTestDataSet& ds = MakeDataSet("Items");
  ds.SetDatabaseName("mEmOrY");
  EXPECT_TRUE(ds.InMemory());
  ds.SetDatabaseName("other");
  EXPECT_FALSE(ds.InMemory());
  ds.SetInMemory(true);
  EXPECT_EQ(ds.DatabaseName(), "MEMORY");
}

TEST_F(DataSetMessagesTest, AMissingFileSaysWhyTheDatabaseCannotOpen) {
  database_->SetDatabaseFileName(dir_ + "missing.dvx");
  TTestDataSet& ds = MakeDataSet("Items");
  EXPECT_THAT([&] { ds.Open(); }, ThrowsDataSetError(StartsWith("Cannot open database '" + databaseName_ + "' - ")));
  EXPECT_THAT([&] { ds.Open(); }, ThrowsDataSetError(HasSubstr("does not exists")));
  EXPECT_FALSE(ds.Active());
}

TEST_F(DataSetMessagesTest, NamesCannotChangeWhileTheDatabaseIsHeld) {
  TTestDataSet& ds = OpenItems();
  EXPECT_THAT([&] { ds.SetDatabaseName("x"); }, ThrowsDataSetError("Cannot perform this operation on an open database"));
  EXPECT_THAT([&] { ds.SetSessionName("x"); }, ThrowsDataSetError("Cannot perform this operation on an open database"));
  ds.Close();
  EXPECT_EQ(database_->ClientCount(), 0u);
}

TEST_F(DataSetMessagesTest, ANullHandleCannotBeOpened) {
  TTestDataSet& ds = MakeDataSet("Items");
  ds.nullHandle = true;
  EXPECT_THAT([&] { ds.Open(); }, ThrowsDvx(kErrCreateTableHandle, "Error creating table handle"));
  EXPECT_EQ(database_->ClientCount(), 0u) << "the database is given back";
}

TEST_F(DataSetMessagesTest, AnUnknownActiveIndexCannotBeFound) {
  TTestDataSet& ds = MakeDataSet("Items", "NoSuchIndex");
  EXPECT_THAT([&] { ds.Open(); }, ThrowsDvx(kErrFindIndex, "Cannot find index NoSuchIndex"));
}

TEST_F(DataSetMessagesTest, OpenMapsTheIndexAndPreparesTheSubclass) {
  TTestDataSet& ds = MakeDataSet("Items", "UQ_Code");
  ds.Open();
  EXPECT_EQ(ds.IndexFieldNos(), std::vector<int>{1});
  EXPECT_EQ(ds.KeySize(), 4);
  EXPECT_EQ(ds.prepared, 1);
  EXPECT_TRUE(ds.FieldByName("Code").Required());
  EXPECT_FALSE(ds.FieldByName("Id").Required()) << "the engine numbers it";
  EXPECT_EQ(ds.FieldByName("Id").DataType(), ftAutoInc);
}

TEST_F(DataSetMessagesTest, EveryDataSetIsListed) {
  const size_t before = TDVXDataSetList::Instance().Count();
  {
    TTestDataSet ds(nullptr, "Items");
    EXPECT_TRUE(TDVXDataSetList::Instance().Contains(ds));
    EXPECT_EQ(TDVXDataSetList::Instance().Count(), before + 1);
  }
  EXPECT_EQ(TDVXDataSetList::Instance().Count(), before);
}

TEST_F(DataSetMessagesTest, ADuplicateKeyFailsThePostAndKeepsTheInsert) {
  TTestDataSet& ds = OpenItems();
  AddItem(ds, 1, "one");
  ds.Append();
  ds.FieldByName("Code").SetAsInteger(1);
  ds.FieldByName("Name").SetAsString("again");
  EXPECT_THAT([&] { ds.Post(); }, ThrowsDvx(::testing::_, StartsWith("Error inserting record: ")));
  EXPECT_EQ(ds.State(), dsInsert);
  EXPECT_EQ(ds.FieldByName("Name").AsString(), "again");
  ds.Cancel();
  EXPECT_EQ(ds.RecordCount(), 1);
}

TEST_F(DataSetMessagesTest, ADuplicateKeyFailsTheUpdateAndKeepsTheEdit) {
  TTestDataSet& ds = OpenItems();
  AddItem(ds, 1, "one");
  AddItem(ds, 2, "two");
  ds.Edit();
  ds.FieldByName("Code").SetAsInteger(1);
  EXPECT_THAT([&] { ds.Post(); }, ThrowsDvx(::testing::_, StartsWith("Error updating record: ")));
  EXPECT_EQ(ds.State(), dsEdit);
  EXPECT_EQ(ds.FieldByName("Code").AsInteger(), 1);
  ds.Cancel();
  EXPECT_EQ(ds.FieldByName("Code").AsInteger(), 2);
}

TEST_F(DataSetMessagesTest, BeforeInsertRecordAbortLeavesTheRecordUnwritten) {
  TTestDataSet& ds = OpenItems();
  std::string table;
  std::vector<TDVXVariant> seen;
  database_->BeforeInsertRecord = [&](TDVXDatabase&, TComponent&, const std::string& name,
                                      const std::vector<TDVXVariant>& values, bool& abort) {
    table = name;
    seen = values;
    abort = true;
  };
  ds.Append();
  ds.FieldByName("Code").SetAsInteger(7);
  EXPECT_THAT([&] { ds.Post(); }, ThrowsDvx(kErrInsertBlocked, "Insert record is blocked by database event"));
  EXPECT_EQ(ds.State(), dsInsert);
  EXPECT_EQ(table, "Items");
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[1].GetAsSignedInt32(), 7);
  ds.Cancel();
  EXPECT_EQ(ds.RecordCount(), 0);
}

TEST_F(DataSetMessagesTest, BeforeUpdateRecordGetsOldAndNewAndMayAbort) {
  TTestDataSet& ds = OpenItems();
  AddItem(ds, 1, "one");
  int oldCode = 0, newCode = 0;
  database_->BeforeUpdateRecord = [&](TDVXDatabase&, TComponent&, const std::string&,
                                      const std::vector<TDVXVariant>& oldValues,
                                      const std::vector<TDVXVariant>& newValues, bool& abort) {
    oldCode = oldValues[1].GetAsSignedInt32();
    newCode = newValues[1].GetAsSignedInt32();
    abort = true;
  };
  ds.Edit();
  ds.FieldByName("Code").SetAsInteger(5);
  EXPECT_THAT([&] { ds.Post(); }, ThrowsDvx(kErrUpdateBlocked, "Update record is blocked by database event"));
  EXPECT_EQ(oldCode, 1);
  EXPECT_EQ(newCode, 5);
  EXPECT_EQ(ds.State(), dsEdit);
}

TEST_F(DataSetMessagesTest, BeforeDeleteRecordAbortKeepsTheRecord) {
  TTestDataSet& ds = OpenItems();
  AddItem(ds, 1, "one");
  database_->BeforeDeleteRecord = [&](TDVXDatabase&, TComponent&, const std::string&,
                                      const std::vector<TDVXVariant>&, bool& abort) { abort = true; };
  EXPECT_THAT([&] { ds.Delete(); }, ThrowsDvx(kErrDeleteBlocked, "Delete record is blocked by database event"));
  EXPECT_EQ(ds.RecordCount(), 1);
  EXPECT_EQ(ds.FieldByName("Code").AsInteger(), 1);
}

TEST_F(DataSetMessagesTest, AfterEventsGetTheValuesAsWritten) {
  TTestDataSet& ds = OpenItems();
  int insertedId = 0, deletedCode = 0;
  database_->AfterInsertRecord = [&](TDVXDatabase&, TComponent&, const std::string&,
                                     const std::vector<TDVXVariant>& values, bool&) {
    insertedId = values[0].GetAsSignedInt32();
  };
  database_->AfterDeleteRecord = [&](TDVXDatabase&, TComponent&, const std::string&,
                                     const std::vector<TDVXVariant>& values, bool&) {
    deletedCode = values[1].GetAsSignedInt32();
  };
  AddItem(ds, 9, "nine");
  EXPECT_EQ(insertedId, ds.FieldByName("Id").AsInteger());
  EXPECT_GT(insertedId, 0);
  ds.Delete();
  EXPECT_EQ(deletedCode, 9);
}

TEST_F(DataSetMessagesTest, AReadOnlyDataSetRefusesChanges) {
  TTestDataSet& ds = MakeDataSet("Items", "PK");
  ds.Open();
  AddItem(ds, 1, "one");
  ds.Close();
  ds.SetReadOnly(true);
  ds.Open();
  EXPECT_THAT([&] { ds.Edit(); }, ThrowsDataSetError("Cannot modify a read-only dataset"));
  EXPECT_THAT([&] { ds.Append(); }, ThrowsDataSetError("Cannot modify a read-only dataset"));
  EXPECT_THAT([&] { ds.EmptyTable(); }, ThrowsDataSetError("Dataset is in read only mode"));
  TDVXDataSet& base = ds;
  EXPECT_THAT([&] { base.CreateBlobStream(ds.FieldByName("Name"), bmWrite); },
              ThrowsDataSetError("Dataset is in read only mode"));
  EXPECT_EQ(ds.RecordCount(), 1);
}

TEST_F(DataSetMessagesTest, WritingOutsideEditIsRefused) {
  TTestDataSet& ds = MakeDataSet("Notes", "PK_Notes");
  ds.Open();
  ds.Append();
  ds.FieldByName("Id").SetAsInteger(1);
  ds.Post();
  EXPECT_THAT([&] { ds.FieldByName("Id").SetAsInteger(2); }, ThrowsDataSetError("Dataset not in edit or insert mode"));
  EXPECT_THAT([&] { ds.CreateBlobStream(ds.FieldByName("Memo"), bmWrite); },
              ThrowsDataSetError("Dataset not in edit or insert mode"));
}

TEST_F(DataSetMessagesTest, AClosedDataSetIsNotOpened) {
  TTestDataSet& ds = MakeDataSet("Items");
  EXPECT_THAT([&] { ds.EmptyTable(); }, ThrowsDataSetError("Dataset is not opened"));
  EXPECT_EQ(ds.RecordCount(), 0);
}

TEST_F(DataSetMessagesTest, TheRecordBufferIsRecordBookmarkFlagAndCalculatedArea) {
  TTestDataSet& ds = OpenItems();
  AddItem(ds, 3, "three");
  const TBookmark bookmark = ds.GetBookmark();
  ASSERT_EQ(bookmark.size(), 7u);
  EXPECT_EQ(bookmark[6], bfCurrent);
  const TDVXRecordID id = TDVXRecordID::Decode(bookmark.data());
  EXPECT_EQ(id, ds.Handle()->RecordID());
  EXPECT_TRUE(ds.BookmarkValid(bookmark));
  ds.Delete();
  EXPECT_FALSE(ds.BookmarkValid(bookmark));
}

TEST_F(DataSetMessagesTest, ABlobStreamOpenedForWritingCutsTheValueFirst) {
  TTestDataSet& ds = MakeDataSet("Notes", "PK_Notes");
  ds.Open();
  ds.Append();
  ds.FieldByName("Id").SetAsInteger(1);
  {
    auto stream = ds.CreateBlobStream(ds.FieldByName("Memo"), bmWrite);
    stream->Write("long old text", 13);
  }
  ds.Post();
  ds.Edit();
  {
    auto stream = ds.CreateBlobStream(ds.FieldByName("Memo"), bmWrite);
    EXPECT_EQ(stream->Size(), 0u) << "cut before the first write";
    stream->Write("new", 3);
  }
  ds.Post();
  auto reader = ds.CreateBlobStream(ds.FieldByName("Memo"), bmRead);
  std::string text(reader->Size(), '\0');
  reader->Read(text.data(), text.size());
  EXPECT_EQ(text, "new");
}

TEST_F(DataSetMessagesTest, ABlobWrittenWithoutBytesBecomesNull) {
  TTestDataSet& ds = MakeDataSet("Notes", "PK_Notes");
  ds.Open();
  ds.Append();
  ds.FieldByName("Id").SetAsInteger(1);
  { ds.CreateBlobStream(ds.FieldByName("Pic"), bmWrite)->Write("\x89PNG", 4); }
  EXPECT_FALSE(ds.FieldByName("Pic").IsNull());
  ds.Post();
  ds.Edit();
  { auto stream = ds.CreateBlobStream(ds.FieldByName("Pic"), bmWrite); }
  EXPECT_TRUE(ds.Modified());
  EXPECT_TRUE(ds.FieldByName("Pic").IsNull());
  ds.Post();
  EXPECT_TRUE(ds.FieldByName("Pic").IsNull());
}

TEST_F(DataSetMessagesTest, AWideMemoStreamIsFlagged) {
  TTestDataSet& ds = MakeDataSet("Notes", "PK_Notes");
  ds.Open();
  ds.Append();
  auto stream = ds.CreateBlobStream(ds.FieldByName("Wide"), bmRead);
  EXPECT_TRUE(static_cast<TDVXBlobStream&>(*stream).WideMemo());
}

TEST_F(DataSetMessagesTest, DisconnectingTheDatabaseClosesTheDataSet) {
  TTestDataSet& ds = OpenItems();
  database_->Close();
  EXPECT_FALSE(ds.Active());
  ds.Open();
  EXPECT_TRUE(ds.Active());
}

TEST_F(DataSetMessagesTest, EmptyTableDeletesEveryRecord) {
  TTestDataSet& ds = OpenItems();
  AddItem(ds, 1, "a");
  AddItem(ds, 2, "b");
  ds.EmptyTable();
  EXPECT_EQ(ds.RecordCount(), 0);
  EXPECT_TRUE(ds.IsEmpty());
}

TEST_F(DataSetMessagesTest, SetKeyStateAcceptsOnlyIndexFields) {
  TTestDataSet& ds = MakeDataSet("Items", "UQ_Code");
  ds.Open();
  // The table component's key buffers are its own; a buffer of the
  // dataset's size stands in for one.
  std::vector<uint8_t> key(static_cast<size_t>(ds.RecordSize() + 7), 0);
  struct TKeyAccess : TTestDataSet {
    using TDVXDataSet::RestoreState;
    using TDVXDataSet::SetTempState;
  };
  auto& access = static_cast<TKeyAccess&>(ds);
  const TDataSetState old = access.SetTempState(dsSetKey, key.data());
  ds.FieldByName("Code").SetAsInteger(4);
  EXPECT_THAT([&] { ds.FieldByName("Name").SetAsString("x"); },
              ThrowsDataSetError("Field Name is not in the current index"));
  access.RestoreState(old);
}

}  // namespace
}  // namespace dvx::test
