// Record operations of a table: constraints, defaults and autoincrement,
// index maintenance, the cursor's position after a delete, transactions,
// and that a refused or failed operation leaves nothing behind.
#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

class TableDataTest : public TTableFixture {
 protected:
  void SetUp() override {
    CreateDatabase();
    CreateRemedies();
    OpenCursor();
  }
};

TEST_F(TableDataTest, InsertDrawsAutoincValuesAndCommitsRecordAndSequenceTogether) {
  ASSERT_EQ(0, Insert(10, "Arnica"));
  EXPECT_EQ(GetInt(kId), 1);
  ASSERT_EQ(0, Insert(11, "Belladonna"));
  EXPECT_EQ(GetInt(kId), 2);
  EXPECT_FALSE(session_->PageManager().HasChanges(session_->SessionID()));
  // A crash keeps only synced bytes; the last commit's journal may still
  // undo it, but record and sequence value always go together.
  cursor_.reset();
  session_.reset();
  db_.reset();
  fs_.Crash();
  db_ = std::make_unique<TDVXDiskDatabaseData>(kFile, TDVXLockParams{3, 1}, fs_);
  OpenDatabase();
  OpenCursor();
  const int64_t count = cursor_->GetRecordCount();
  EXPECT_TRUE(count == 1 || count == 2) << count;
  ASSERT_EQ(0, Insert(12, "Chamomilla"));
  EXPECT_EQ(GetInt(kId), count + 1);
  ExpectIndexesValid();
}

TEST_F(TableDataTest, NotNullAndDuplicateKeysAreRefusedWithTheirCodes) {
  ASSERT_EQ(0, Insert(10, "Arnica"));
  EXPECT_EQ(30026, Insert(std::nullopt, "Nux"));
  EXPECT_THAT(cursor_->LastMessage(), HasSubstr("cannot be null"));
  EXPECT_EQ(30320, Insert(10, "Nux"));
  EXPECT_THAT(cursor_->LastMessage(), HasSubstr("Duplicate found."));
  EXPECT_EQ(30319, Insert(11, "Nux", 1));
  EXPECT_EQ(cursor_->GetRecordCount(), 1);
  // The refused inserts drew no sequence value that stuck.
  ASSERT_EQ(0, Insert(11, "Nux"));
  EXPECT_EQ(GetInt(kId), 2);
  ExpectIndexesValid();
}

TEST_F(TableDataTest, UpdateKeepingItsKeyPassesTheDuplicateCheck) {
  ASSERT_EQ(0, Insert(10, "Arnica"));
  const TDVXRecordID id = cursor_->RecordID();
  ASSERT_EQ(0, Insert(11, "Bryonia"));
  Seek(id);
  SetText(kName, "Arnica montana");
  EXPECT_EQ(0, cursor_->UpdateRecord());
  SetInt(kCode, 11);
  EXPECT_EQ(30320, cursor_->UpdateRecord());
  Seek(id);
  EXPECT_EQ(GetText(kName), "Arnica montana");
  EXPECT_EQ(GetInt(kCode), 10);
  ExpectIndexesValid();
}

TEST_F(TableDataTest, IndexOrderFollowsDirectionAndCase) {
  int32_t code = 0;
  for (const char* name : {"bryonia", "Arnica", "Calendula", "apis"}) ASSERT_EQ(0, Insert(++code, name));
  cursor_->SetCurrentIndex("IX_Name");
  std::vector<std::string> names;
  cursor_->First();
  while (cursor_->GetRecord(grmNext) == grrDone) names.push_back(GetText(kName));
  EXPECT_EQ(names, (std::vector<std::string>{"Calendula", "bryonia", "Arnica", "apis"}));
}

TEST_F(TableDataTest, DeleteLeavesCursorOnNeighbourAndOnEofAfterTheLast) {
  for (int i = 0; i < 3; ++i) ASSERT_EQ(0, Insert(i, "R" + std::to_string(i)));
  cursor_->SetCurrentIndex("PK");
  cursor_->First();
  ASSERT_EQ(grrDone, cursor_->GetRecord(grmNext));
  ASSERT_EQ(0, cursor_->DeleteRecord());
  EXPECT_EQ(GetInt(kId), 2);
  cursor_->Last();
  ASSERT_EQ(grrDone, cursor_->GetRecord(grmPrior));
  ASSERT_EQ(0, cursor_->DeleteRecord());
  EXPECT_EQ(GetInt(kId), 2);  // no next record: the previous one
  ASSERT_EQ(0, cursor_->DeleteRecord());
  EXPECT_TRUE(cursor_->Bof() || cursor_->Eof());
  EXPECT_EQ(cursor_->GetRecordCount(), 0);
  ExpectIndexesValid();
}

TEST_F(TableDataTest, DeleteRemovesTheEntriesOfTheStoredRecordNotOfTheEditedBuffer) {
  ASSERT_EQ(0, Insert(10, "Arnica"));
  ASSERT_EQ(0, Insert(11, "Bryonia"));
  Seek(Walk().front());
  SetInt(kCode, 99);  // edited, never posted
  SetText(kName, "Zincum");
  ASSERT_EQ(0, cursor_->DeleteRecord());
  ExpectIndexesValid();
  EXPECT_EQ(0, Insert(10, "Arnica"));  // the stored key 10 is free again
}

TEST_F(TableDataTest, FailedWriteLeavesTableAsBefore) {
  ASSERT_EQ(0, Insert(10, "Arnica"));
  for (int n = 1; n < 40; ++n) {
    fs_.FailNthWrite(n);
    const int32_t result = Insert(20 + n, "Nux vomica");
    fs_.FailNthWrite(0);
    if (result == 0) {
      Seek(cursor_->RecordID());
      ASSERT_EQ(0, cursor_->DeleteRecord());
      continue;
    }
    EXPECT_EQ(cursor_->GetRecordCount(), 1) << "write " << n;
    EXPECT_FALSE(session_->PageManager().HasChanges(session_->SessionID()));
    ExpectIndexesValid();
  }
  Reopen();
  EXPECT_EQ(cursor_->GetRecordCount(), 1);
  ExpectIndexesValid();
}

TEST_F(TableDataTest, RollbackRestoresRecordsSequenceAndCursor) {
  ASSERT_EQ(0, Insert(10, "Arnica"));
  const TDVXRecordID first = cursor_->RecordID();
  session_->StartTransaction();
  ASSERT_EQ(0, Insert(11, "Bryonia"));
  ASSERT_EQ(0, Insert(12, "Calendula"));
  Seek(first);
  ASSERT_EQ(0, cursor_->DeleteRecord());
  EXPECT_EQ(cursor_->GetRecordCount(), 2);
  session_->Rollback();
  EXPECT_EQ(cursor_->GetRecordCount(), 1);
  EXPECT_EQ(cursor_->RecordID(), first);
  ExpectIndexesValid();
  ASSERT_EQ(0, Insert(11, "Bryonia"));
  EXPECT_EQ(GetInt(kId), 2);
}

TEST_F(TableDataTest, FailedOperationInsideTransactionLeavesTheTransactionAsItWas) {
  session_->StartTransaction();
  ASSERT_EQ(0, Insert(10, "Arnica"));
  EXPECT_EQ(30320, Insert(10, "Arnica again"));
  fs_.FailNthWrite(1);  // the first page the next insert allocates
  Insert(11, "Belladonna");
  fs_.FailNthWrite(0);
  ASSERT_EQ(0, Insert(12, "Chamomilla"));
  session_->Commit();
  Reopen();
  std::vector<int32_t> codes;
  for (const TDVXRecordID& id : Walk()) {
    Seek(id);
    codes.push_back(*GetInt(kCode));
  }
  std::sort(codes.begin(), codes.end());
  EXPECT_TRUE(codes == (std::vector<int32_t>{10, 12}) || codes == (std::vector<int32_t>{10, 11, 12}));
  ExpectIndexesValid();
}

TEST_F(TableDataTest, CommitAcrossTwoTablesWritesBoth) {
  TDVXFieldDefs fields;
  fields.Add("K", aftInteger);
  TDVXIndexDefs indexes;
  indexes.Add("PK")->AddColumn("K");
  indexes.Items(0)->SetPrimary(true);
  db_->CreateTable(*session_, "Other", fields, indexes, TDVXConstraintDefs());
  TDVXLocalCursor other(*session_, "Other");
  other.Open();
  session_->StartTransaction();
  ASSERT_EQ(0, Insert(10, "Arnica"));
  other.NewRecord();
  int32_t k = 5;
  SetFieldData(0, other.Fields(), &k, other.Record());
  ASSERT_EQ(0, other.InsertRecord());
  session_->Commit();
  other.Close();
  Reopen();
  EXPECT_EQ(cursor_->GetRecordCount(), 1);
  TDVXLocalCursor again(*session_, "Other");
  again.Open();
  EXPECT_EQ(again.GetRecordCount(), 1);
}

TEST_F(TableDataTest, KeyTooLongForFourEntriesIsRefusedAtCreation) {
  TDVXFieldDefs fields;
  fields.Add("Text", aftChar, 400);
  TDVXIndexDefs indexes;
  indexes.Add("IX")->AddColumn("Text");
  EXPECT_THAT([&] { db_->CreateTable(*session_, "Wide", fields, indexes, TDVXConstraintDefs()); },
              ThrowsDvx(30941, HasSubstr("fewer than 4 entries")));
  EXPECT_FALSE(db_->TableExists("Wide"));
}

}  // namespace
}  // namespace dvx::test

namespace dvx::test {
namespace {

TEST_F(TableDataTest, DeleteAllEmptiesTableAndIndexes) {
  for (int i = 0; i < 60; ++i) ASSERT_EQ(0, Insert(i, "R" + std::to_string(i % 7)));
  cursor_->Table().DeleteAll(*cursor_);
  EXPECT_EQ(cursor_->GetRecordCount(), 0);
  ExpectIndexesValid();
  Reopen();
  EXPECT_EQ(cursor_->GetRecordCount(), 0);
  EXPECT_EQ(0, Insert(5, "Arnica"));
}

class TableCheckTest : public TTableFixture {};

TEST_F(TableCheckTest, CheckRangeRefusesValuesOutsideItsBoundsAndPassesNull) {
  CreateDatabase();
  TDVXFieldDefs fields;
  fields.Add("Dose", aftInteger);
  TDVXConstraintDefs constraints;
  TDVXConstraintDefCheck* check = constraints.AddCheck();
  check->SetObjectName("DoseRange");
  check->SetFieldName("Dose");
  check->MinValue() = TDVXStoredValue::FromInt(bftSignedInt32, 1);
  check->MaxValue() = TDVXStoredValue::FromInt(bftSignedInt32, 30);
  db_->CreateTable(*session_, "Doses", fields, TDVXIndexDefs(), constraints);
  cursor_ = std::make_unique<TDVXLocalCursor>(*session_, "Doses");
  cursor_->Open();
  auto insert = [&](std::optional<int32_t> dose) {
    cursor_->NewRecord();
    SetInt(0, dose);
    return cursor_->InsertRecord();
  };
  EXPECT_EQ(0, insert(1));
  EXPECT_EQ(0, insert(30));
  EXPECT_EQ(0, insert(std::nullopt));
  EXPECT_EQ(30029, insert(0));
  EXPECT_EQ(cursor_->LastMessage(), "Constraint 'DoseRange' violated. Value in field 'Dose' cannot be lower then '1'");
  EXPECT_EQ(30030, insert(31));
  EXPECT_EQ(cursor_->GetRecordCount(), 3);
}

// Bounds the field's type cannot hold exactly are still held whole: 2
// lies below 2.5, and "abc" below "abcd", although the field would store
// the bound as 2 or "abc".
TEST_F(TableCheckTest, BoundsAreComparedWithoutCuttingThemToTheField) {
  CreateDatabase();
  TDVXFieldDefs fields;
  fields.Add("Dose", aftInteger);
  fields.Add("Code", aftVarchar, 3);
  TDVXConstraintDefs constraints;
  TDVXConstraintDefCheck* dose = constraints.AddCheck();
  dose->SetFieldName("Dose");
  dose->MinValue() = TDVXStoredValue::FromDouble(bftFloat, 2.5);
  dose->MaxValue() = TDVXStoredValue::FromDouble(bftFloat, 7.5);
  TDVXConstraintDefCheck* code = constraints.AddCheck();
  code->SetFieldName("Code");
  code->MinValue() = TDVXStoredValue::FromAnsi("abcd");
  db_->CreateTable(*session_, "Doses", fields, TDVXIndexDefs(), constraints);
  cursor_ = std::make_unique<TDVXLocalCursor>(*session_, "Doses");
  cursor_->Open();
  auto insert = [&](int32_t value, const std::string& text) {
    cursor_->NewRecord();
    SetInt(0, value);
    SetText(1, text);
    return cursor_->InsertRecord();
  };
  EXPECT_EQ(30029, insert(2, "b"));
  EXPECT_THAT(cursor_->LastMessage(), HasSubstr("cannot be lower then '2.5'"));
  EXPECT_EQ(0, insert(3, "b"));
  EXPECT_EQ(0, insert(7, "abd"));
  EXPECT_EQ(30030, insert(8, "b"));
  EXPECT_EQ(30029, insert(5, "abc"));
  EXPECT_EQ(cursor_->GetRecordCount(), 2);
}

}  // namespace
}  // namespace dvx::test
