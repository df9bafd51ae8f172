// What data links hear, in order: open and close, edit and post, scrolls,
// field changes, a disabled source, DisableControls/EnableControls.
#include "tests/engine/components/dataset_fixture.h"

namespace dvx::testing {
namespace {

using Events = std::vector<std::string>;

class DataLinkEventsTest : public DataSetTest {};

TEST_F(DataLinkEventsTest, OpenAndCloseChangeActive) {
  Fill(3);
  source.SetDataSet(&dataSet);
  link.SetDataSource(&source);
  dataSet.Open();
  EXPECT_EQ(link.events, Events{"active"});
  EXPECT_TRUE(link.Active());
  dataSet.Close();
  EXPECT_EQ(link.events, (Events{"active", "inactive"}));
  EXPECT_FALSE(link.Active());
}

TEST_F(DataLinkEventsTest, EditAndPost) {
  OpenWith(3);
  dataSet.Edit();
  EXPECT_EQ(link.events, (Events{"check", "editing", "record"}));
  link.ClearEvents();
  dataSet.FieldByName("Name").SetAsString("x");
  EXPECT_EQ(link.events, Events{"field Name"});
  link.ClearEvents();
  dataSet.Post();
  EXPECT_EQ(link.events, (Events{"update", "check", "browsing", "changed"}));
  EXPECT_EQ(dataSet.Rows()[0].values[TMemoryDataSet::kName]->at(0), 'x');
}

TEST_F(DataLinkEventsTest, ControlEditsReachTheFieldsBeforePost) {
  OpenWith(3);
  link.onUpdate = [&] { dataSet.FieldByName("Name").SetAsString("typed"); };
  dataSet.Edit();
  link.ClearEvents();
  dataSet.Post();
  // The link's own write during UpdateData is not echoed back to it.
  EXPECT_EQ(link.events, (Events{"update", "check", "browsing", "changed"}));
  dataSet.First();
  EXPECT_EQ(dataSet.FieldByName("Name").AsString(), "typed");
}

TEST_F(DataLinkEventsTest, ScrollTellsHowFarTheRowsMoved) {
  OpenWith(10, 3);
  dataSet.MoveBy(2);  // inside the window
  EXPECT_EQ(link.scrolls, std::vector<int>{0});
  dataSet.MoveBy(2);  // two rows fetched; the link's rows follow them
  EXPECT_EQ(link.scrolls, (std::vector<int>{0, 2}));
  EXPECT_EQ(LinkKeys(), (std::vector<int32_t>{3, 4, 5}));
  EXPECT_EQ(link.ActiveRecord(), 2);
}

TEST_F(DataLinkEventsTest, TheLinkWithFewerRowsFollowsTheActiveRecord) {
  OpenWith(10, 5);
  TRecordingLink narrow;
  narrow.SetDataSource(&source);
  narrow.SetBufferCount(2);
  dataSet.MoveBy(3);
  EXPECT_EQ(narrow.ActiveRecord(), 1);
  EXPECT_EQ(narrow.RecordCount(), 2);
  narrow.SetActiveRecord(0);
  EXPECT_EQ(Key(), 3);
  narrow.SetActiveRecord(1);
  EXPECT_EQ(Key(), 4);
}

TEST_F(DataLinkEventsTest, DisabledSourceTellsItsLinksNothing) {
  OpenWith(3);
  source.SetEnabled(false);
  EXPECT_EQ(link.events, Events{"inactive"});
  link.ClearEvents();
  dataSet.Next();
  dataSet.Edit();
  dataSet.Cancel();
  EXPECT_TRUE(link.events.empty());
  EXPECT_EQ(source.State(), dsInactive);
  source.SetEnabled(true);
  EXPECT_EQ(link.events, Events{"active"});
}

TEST_F(DataLinkEventsTest, DisabledControlsHearOneChangeAtTheEnd) {
  OpenWith(5);
  dataSet.DisableControls();
  dataSet.DisableControls();
  dataSet.Next();
  dataSet.Next();
  dataSet.EnableControls();
  EXPECT_TRUE(link.events.empty());
  dataSet.EnableControls();
  EXPECT_EQ(link.events, Events{"changed"});
}

TEST_F(DataLinkEventsTest, EnableControlsTellsOfAChangedState) {
  OpenWith(5);
  dataSet.DisableControls();
  dataSet.Edit();
  dataSet.EnableControls();
  EXPECT_EQ(link.events, (Events{"editing", "changed"}));
}

TEST_F(DataLinkEventsTest, EnableControlsWithoutChangesSaysNothing) {
  OpenWith(5);
  dataSet.DisableControls();
  dataSet.EnableControls();
  EXPECT_TRUE(link.events.empty());
}

TEST_F(DataLinkEventsTest, SourceEventsReachItsHandlers) {
  OpenWith(3);
  std::vector<std::string> seen;
  source.OnDataChange = [&](TDataSource&, TField* field) { seen.push_back(field ? field->FieldName() : "all"); };
  source.OnStateChange = [&](TDataSource& s) { seen.push_back("state " + std::to_string(s.State())); };
  dataSet.Edit();
  dataSet.FieldByName("Key").SetAsInteger(9);
  EXPECT_EQ(seen, (std::vector<std::string>{"state 2", "all", "Key"}));
  source.OnDataChange = nullptr;
  source.OnStateChange = nullptr;
}

TEST_F(DataLinkEventsTest, LinkEditFollowsAutoEditAndReadOnly) {
  OpenWith(3);
  source.SetAutoEdit(false);
  EXPECT_FALSE(link.Edit());
  source.SetAutoEdit(true);
  dataSet.SetReadOnly(true);
  EXPECT_FALSE(link.Edit());
  dataSet.SetReadOnly(false);
  EXPECT_TRUE(link.Edit());
  EXPECT_EQ(dataSet.State(), dsEdit);
}

TEST_F(DataLinkEventsTest, FocusControlReachesTheLinks) {
  OpenWith(3);
  dataSet.FieldByName("Name").FocusControl();
  EXPECT_EQ(link.events, Events{"focus Name"});
}

TEST_F(DataLinkEventsTest, ADataSetThatGoesAwayLeavesItsSource) {
  auto* other = new TMemoryDataSet;
  other->AddRow(1);
  source.SetDataSet(other);
  link.SetDataSource(&source);
  other->Open();
  delete other;
  EXPECT_EQ(source.DataSet(), nullptr);
  EXPECT_FALSE(link.Active());
}

}  // namespace
}  // namespace dvx::testing
