// Ranges, master/detail and changing the index of an open table.
#include "tests/engine/components/table_fixture.h"

namespace dvx::test {
namespace {

TDVXVariant Int(int64_t value) {
  TDVXVariant v;
  v.SetAsSignedInt64(value);
  return v;
}

class TableRange : public TTableFixture {
 protected:
  void SetUp() override {
    TTableFixture::SetUp();
    tree_ = &CreateAndOpen("Baum", DefineBaum, "Primary_Key");
    for (int id = 1; id <= 5; ++id) AddBaum(*tree_, id, 0, id, "Knoten " + std::to_string(id));
    detail_ = &CreateAndOpen("Detail", DefineDetail, "Idx_Baum");
    for (int id : {3, 1, 3, 5, 3, 1}) {
      detail_->Append();
      detail_->FieldByName("Baum_ID").SetAsInteger(id);
      detail_->FieldByName("Info").SetAsString("zu " + std::to_string(id));
      detail_->Post();
    }
  }
  TDVXTable* tree_ = nullptr;
  TDVXTable* detail_ = nullptr;
};

TEST_F(TableRange, RangeShowsOnlyKeysWithinBounds) {
  tree_->SetRange({Int(2)}, {Int(4)});
  EXPECT_EQ(Column(*tree_, "Baum_ID"), (std::vector<std::string>{"2", "3", "4"}));
  EXPECT_TRUE(tree_->RangeApplied());
}

TEST_F(TableRange, ExclusiveStartLeavesOutTheBound) {
  tree_->BeginRangeStart();
  tree_->FieldByName("Baum_ID").SetAsInteger(2);
  tree_->PostKeyEntry();
  tree_->SetKeyExclusive(true, TDVXTable::kiRangeStart);
  tree_->SetKeyFieldCount(1, TDVXTable::kiRangeStart);
  tree_->ApplyKeyRange();
  EXPECT_EQ(Column(*tree_, "Baum_ID"), (std::vector<std::string>{"3", "4", "5"}));
}

TEST_F(TableRange, KeyEntryWritesOnlyIndexFieldsAndCancelRestores) {
  tree_->BeginRangeEnd();
  EXPECT_THROW(tree_->FieldByName("Text").SetAsString("x"), EDatabaseError);
  tree_->FieldByName("Baum_ID").SetAsInteger(2);
  tree_->PostKeyEntry();
  tree_->BeginRangeEnd();
  tree_->FieldByName("Baum_ID").SetAsInteger(4);
  tree_->CancelKeyEntry();
  tree_->SetKeyFieldCount(1, TDVXTable::kiRangeEnd);
  tree_->ApplyKeyRange();
  EXPECT_EQ(Column(*tree_, "Baum_ID"), (std::vector<std::string>{"1", "2"}));
}

TEST_F(TableRange, CancelKeyRangeShowsEverything) {
  tree_->SetRange({Int(2)}, {Int(3)});
  tree_->CancelKeyRange();
  EXPECT_FALSE(tree_->RangeApplied());
  EXPECT_EQ(Column(*tree_, "Baum_ID").size(), 5u);
}

TEST_F(TableRange, DetailFollowsMasterScrolling) {
  detail_->SetMasterFields("Baum_ID");
  detail_->SetMasterSource(&MakeSource(*tree_));
  for (const auto& [id, count] : std::vector<std::pair<int, size_t>>{{1, 2}, {2, 0}, {3, 3}, {4, 0}, {5, 1}}) {
    ASSERT_TRUE(tree_->SeekKey(int64_t{id}));
    const std::vector<std::string> infos = Column(*detail_, "Info");
    EXPECT_EQ(infos.size(), count) << id;
    for (const std::string& info : infos) EXPECT_EQ(info, "zu " + std::to_string(id));
  }
  tree_->First();
  tree_->Next();
  tree_->Next();
  EXPECT_EQ(Column(*detail_, "Baum_ID"), (std::vector<std::string>{"3", "3", "3"}));
}

TEST_F(TableRange, NewDetailGetsMasterKey) {
  detail_->SetMasterFields("Baum_ID");
  detail_->SetMasterSource(&MakeSource(*tree_));
  ASSERT_TRUE(tree_->SeekKey(int64_t{4}));
  detail_->Append();
  EXPECT_EQ(detail_->FieldByName("Baum_ID").AsInteger(), 4);
  detail_->FieldByName("Info").SetAsString("neu");
  detail_->Post();
  EXPECT_EQ(Column(*detail_, "Info"), (std::vector<std::string>{"neu"}));
}

TEST_F(TableRange, MasterDetailOpenedAfterLinking) {
  detail_->Close();
  detail_->SetMasterFields("Baum_ID");
  detail_->SetMasterSource(&MakeSource(*tree_));
  ASSERT_TRUE(tree_->SeekKey(int64_t{1}));
  detail_->Open();
  EXPECT_EQ(Column(*detail_, "Info"), (std::vector<std::string>{"zu 1", "zu 1"}));
}

TEST_F(TableRange, ChangingIndexKeepsRecord) {
  detail_->First();
  detail_->Next();
  detail_->Next();
  const int id = detail_->FieldByName("Det_ID").AsInteger();
  detail_->SetIndexName("PK_Detail");
  EXPECT_EQ(detail_->FieldByName("Det_ID").AsInteger(), id);
  EXPECT_EQ(Column(*detail_, "Det_ID"), (std::vector<std::string>{"1", "2", "3", "4", "5", "6"}));
  detail_->SetRecNo(5);
  detail_->SetIndexFieldNames("Baum_ID");
  EXPECT_EQ(detail_->ActiveIndex(), "Idx_Baum");
  EXPECT_EQ(detail_->FieldByName("Det_ID").AsInteger(), 5);
}

TEST_F(TableRange, ChangingIndexDropsRangeButKeepsMasterRange) {
  detail_->SetMasterFields("Baum_ID");
  detail_->SetMasterSource(&MakeSource(*tree_));
  ASSERT_TRUE(tree_->SeekKey(int64_t{3}));
  detail_->SetIndexName("Idx_Baum");
  EXPECT_EQ(Column(*detail_, "Baum_ID").size(), 3u);
  tree_->SetRange({Int(4)}, {Int(5)});
  tree_->SetIndexName("");
  EXPECT_EQ(Column(*tree_, "Baum_ID").size(), 5u);
}

}  // namespace
}  // namespace dvx::test
