// Editing paths and the framework's messages: failed posts and deletes,
// the error events, Close while editing, required fields, read-only
// datasets, searches, filters and calculated fields.
#include "engine/components/abort_error.h"
#include "tests/engine/components/dataset_fixture.h"

namespace dvx::testing {
namespace {

class DataSetEditingTest : public DataSetTest {
 protected:
  std::string Name() { return dataSet.FieldByName("Name").AsString(); }
};

TEST_F(DataSetEditingTest, FailedPostKeepsEditStateAndValues) {
  OpenWith(3);
  dataSet.Edit();
  dataSet.FieldByName("Name").SetAsString("neu");
  dataSet.RefuseNextPost("disk full");
  EXPECT_EQ(DatabaseErrorOf([&] { dataSet.Post(); }), "disk full");
  EXPECT_EQ(dataSet.State(), dsEdit);
  EXPECT_TRUE(dataSet.Modified());
  EXPECT_EQ(Name(), "neu");
  dataSet.Post();
  EXPECT_EQ(dataSet.State(), dsBrowse);
  EXPECT_EQ(Name(), "neu");
}

TEST_F(DataSetEditingTest, PostErrorHandlerMayRetry) {
  OpenWith(3);
  int calls = 0;
  dataSet.OnPostError = [&](TDataSet&, const std::exception& error, TDataAction& action) {
    ++calls;
    EXPECT_STREQ(error.what(), "busy");
    action = daRetry;
  };
  dataSet.Edit();
  dataSet.FieldByName("Name").SetAsString("neu");
  dataSet.RefuseNextPost("busy");
  dataSet.Post();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(dataSet.postCalls, 2);
  EXPECT_EQ(dataSet.State(), dsBrowse);
}

TEST_F(DataSetEditingTest, PostErrorHandlerMayAbortSilently) {
  OpenWith(3);
  dataSet.OnPostError = [](TDataSet&, const std::exception&, TDataAction& action) { action = daAbort; };
  dataSet.Insert();
  dataSet.FieldByName("Key").SetAsInteger(50);
  dataSet.RefuseNextPost("busy");
  EXPECT_THROW(dataSet.Post(), EAbort);
  EXPECT_EQ(dataSet.State(), dsInsert);
  EXPECT_EQ(Key(), 50);
}

TEST_F(DataSetEditingTest, FailedDeleteKeepsRecordAndPosition) {
  OpenWith(5, 3);
  dataSet.MoveBy(3);
  dataSet.RefuseNextDelete("locked");
  EXPECT_EQ(DatabaseErrorOf([&] { dataSet.Delete(); }), "locked");
  EXPECT_EQ(Key(), 4);
  EXPECT_EQ(dataSet.RecordCount(), 5);
  EXPECT_EQ(LinkKeys(), (std::vector<int32_t>{2, 3, 4}));
  dataSet.Next();
  EXPECT_EQ(Key(), 5);
}

TEST_F(DataSetEditingTest, DeleteErrorHandlerSeesTheError) {
  OpenWith(3);
  std::string seen;
  dataSet.OnDeleteError = [&](TDataSet&, const std::exception& error, TDataAction&) { seen = error.what(); };
  dataSet.RefuseNextDelete("locked");
  EXPECT_EQ(DatabaseErrorOf([&] { dataSet.Delete(); }), "locked");
  EXPECT_EQ(seen, "locked");
}

TEST_F(DataSetEditingTest, CloseWhileEditingCancelsAndNeverPosts) {
  OpenWith(3);
  dataSet.Edit();
  dataSet.FieldByName("Name").SetAsString("verworfen");
  dataSet.Close();
  EXPECT_EQ(dataSet.postCalls, 0);
  dataSet.Open();
  EXPECT_EQ(Name(), "Row 1");
}

TEST_F(DataSetEditingTest, NavigationPostsAModifiedRecord) {
  OpenWith(3);
  dataSet.Edit();
  dataSet.FieldByName("Name").SetAsString("weiter");
  dataSet.Next();
  EXPECT_EQ(dataSet.postCalls, 1);
  dataSet.First();
  EXPECT_EQ(Name(), "weiter");
}

TEST_F(DataSetEditingTest, RequiredFieldMustHaveAValue) {
  OpenWith(1);
  dataSet.Append();
  EXPECT_EQ(DatabaseErrorOf([&] { dataSet.Post(); }), "Field 'Key' must have a value");
  EXPECT_EQ(dataSet.State(), dsInsert);
  EXPECT_EQ(dataSet.postCalls, 0);
}

TEST_F(DataSetEditingTest, ReadOnlyDatasetRefusesChanges) {
  OpenWith(2);
  dataSet.SetReadOnly(true);
  for (auto action : std::vector<std::function<void()>>{[&] { dataSet.Edit(); }, [&] { dataSet.Insert(); },
                                                        [&] { dataSet.Append(); }, [&] { dataSet.Delete(); }})
    EXPECT_EQ(DatabaseErrorOf(action), "Cannot modify a read-only dataset");
  EXPECT_EQ(dataSet.State(), dsBrowse);
}

TEST_F(DataSetEditingTest, StateMessages) {
  Fill(2);
  EXPECT_EQ(DatabaseErrorOf([&] { dataSet.Next(); }), "Dataset is not opened");
  dataSet.Open();
  EXPECT_EQ(DatabaseErrorOf([&] { dataSet.AddCalculatedField("X", ftInteger); }),
            "Cannot perform this operation on an open dataset");
  EXPECT_EQ(DatabaseErrorOf([&] { dataSet.Post(); }), "Dataset not in edit or insert mode");
  EXPECT_EQ(DatabaseErrorOf([&] { dataSet.FieldByName("Nix"); }), "Field 'Nix' not found");
  EXPECT_EQ(DatabaseErrorOf([&] { dataSet.GotoBookmark({1, 2}); }), "Record not found");
  EXPECT_EQ(DatabaseErrorOf([&] { dataSet.FieldDefs().Add("name", ftString, 3); }), "Duplicate field name 'name'");
}

TEST_F(DataSetEditingTest, ComponentNameLeadsTheText) {
  dataSet.SetName("tblBaum");
  try {
    dataSet.First();
    FAIL();
  } catch (const EDatabaseError& error) {
    EXPECT_STREQ(error.what(), "tblBaum: Dataset is not opened");
  }
}

TEST_F(DataSetEditingTest, LocateFindsAndMovesOrStays) {
  OpenWith(6);
  TDVXVariant name;
  name.SetAsString("row 4");
  EXPECT_TRUE(dataSet.Locate("Name", {name}, {true, false}));
  EXPECT_EQ(Key(), 4);
  name.SetAsString("Row 9");
  EXPECT_FALSE(dataSet.Locate("Name", {name}));
  EXPECT_EQ(Key(), 4);
  name.SetAsString("Row 5x");
  TDVXVariant prefix;
  prefix.SetAsString("Row 5");
  EXPECT_FALSE(dataSet.Locate("Name", {name}, {false, true}));
  EXPECT_TRUE(dataSet.Locate("Name", {prefix}, {false, true}));
  EXPECT_EQ(Key(), 5);
}

TEST_F(DataSetEditingTest, LocateRefusesAWrongNumberOfValues) {
  OpenWith(2);
  EXPECT_EQ(DatabaseErrorOf([&] { dataSet.Locate("Key;Name", {TDVXVariant()}); }),
            "Field list 'Key;Name' has 2 fields but 1 values were given");
}

TEST_F(DataSetEditingTest, LookupReadsWithoutMoving) {
  OpenWith(6);
  dataSet.Next();
  TDVXVariant key;
  key.SetAsSignedInt32(5);
  const std::vector<TDVXVariant> found = dataSet.Lookup("Key", {key}, "Name;Amount");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].GetAsString(), "Row 5");
  EXPECT_EQ(found[1].GetAsDouble(), 7.5);
  EXPECT_EQ(Key(), 2);
  dataSet.Next();
  EXPECT_EQ(Key(), 3);
  key.SetAsSignedInt32(50);
  EXPECT_TRUE(dataSet.Lookup("Key", {key}, "Name").empty());
}

TEST_F(DataSetEditingTest, FindUsesTheRecordFilterEvent) {
  OpenWith(9);
  dataSet.OnFilterRecord = [](TDataSet& ds, bool& accept) { accept = ds.FieldByName("Key").AsInteger() % 3 == 0; };
  EXPECT_TRUE(dataSet.FindFirst());
  EXPECT_EQ(Key(), 3);
  EXPECT_TRUE(dataSet.FindNext());
  EXPECT_EQ(Key(), 6);
  EXPECT_TRUE(dataSet.FindLast());
  EXPECT_EQ(Key(), 9);
  EXPECT_FALSE(dataSet.FindNext());
  EXPECT_EQ(Key(), 9);
  EXPECT_TRUE(dataSet.FindPrior());
  EXPECT_EQ(Key(), 6);
}

TEST_F(DataSetEditingTest, FilteredDatasetShowsOnlyAcceptedRecords) {
  OpenWith(9);
  dataSet.OnFilterRecord = [](TDataSet& ds, bool& accept) { accept = ds.FieldByName("Key").AsInteger() > 6; };
  dataSet.SetFiltered(true);
  EXPECT_EQ(Key(), 7);
  EXPECT_EQ(dataSet.RecordCount(), 3);
  dataSet.Last();
  EXPECT_EQ(Key(), 9);
}

TEST_F(DataSetEditingTest, AFaultyFilterHandlerKeepsTheRecordAndReportsTheError) {
  std::string reported;
  TDataSet::SetErrorHandler([&](const std::exception& error) { reported = error.what(); });
  OpenWith(3);
  dataSet.OnFilterRecord = [](TDataSet&, bool&) { throw std::runtime_error("filter broke"); };
  dataSet.SetFiltered(true);
  EXPECT_EQ(dataSet.RecordCount(), 3);
  EXPECT_EQ(reported, "filter broke");
  EXPECT_EQ(TDataSet::LastHandledError(), "filter broke");
  TDataSet::SetErrorHandler(nullptr);
}

TEST_F(DataSetEditingTest, CalculatedFieldsAreComputedPerRecord) {
  dataSet.AddCalculatedField("Double", ftInteger);
  dataSet.OnCalcFields = [](TDataSet& ds) {
    ds.FieldByName("Double").SetAsInteger(2 * ds.FieldByName("Key").AsInteger());
  };
  OpenWith(3, 3);
  EXPECT_EQ(dataSet.FieldByName("Double").AsInteger(), 2);
  dataSet.Last();
  EXPECT_EQ(dataSet.FieldByName("Double").AsInteger(), 6);
  dataSet.Edit();
  dataSet.FieldByName("Key").SetAsInteger(10);
  EXPECT_EQ(dataSet.FieldByName("Double").AsInteger(), 20);
  EXPECT_EQ(DatabaseErrorOf([&] { dataSet.FieldByName("Double").SetAsInteger(1); }),
            "Field 'Double' cannot be modified");
}

TEST_F(DataSetEditingTest, CalculatedFieldNameMustBeNew) {
  dataSet.AddCalculatedField("key", ftInteger);
  Fill(1);
  EXPECT_EQ(DatabaseErrorOf([&] { dataSet.Open(); }), "Duplicate field name 'key'");
  EXPECT_FALSE(dataSet.Active());
}

TEST_F(DataSetEditingTest, OldValueIsTheStoredValue) {
  OpenWith(2);
  dataSet.Edit();
  dataSet.FieldByName("Name").SetAsString("neu");
  EXPECT_EQ(dataSet.FieldByName("Name").OldValue().GetAsString(), "Row 1");
  EXPECT_EQ(Name(), "neu");
}

TEST_F(DataSetEditingTest, BlobEditsMarkTheRecordModified) {
  OpenWith(2);
  dataSet.Edit();
  link.ClearEvents();
  dataSet.FieldByName("Picture").SetAsBytes({1, 2, 3});
  EXPECT_TRUE(dataSet.Modified());
  EXPECT_EQ(link.events, std::vector<std::string>{"field Picture"});
  dataSet.Post();
  EXPECT_EQ(*dataSet.Rows()[0].values[TMemoryDataSet::kPicture], (std::vector<uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace dvx::testing
