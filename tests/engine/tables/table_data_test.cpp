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
  ASSERT_THAT(Insert(10, "Arnica"), Succeeded());
  EXPECT_EQ(GetInt(kId), 1);
  ASSERT_THAT(Insert(11, "Belladonna"), Succeeded());
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
  ASSERT_THAT(Insert(12, "Chamomilla"), Succeeded());
  EXPECT_EQ(GetInt(kId), count + 1);
  ExpectIndexesValid();
}

TEST_F(TableDataTest, NotNullAndDuplicateKeysAreRefusedWithTheirCodes) {
  ASSERT_THAT(Insert(10, "Arnica"), Succeeded());
  EXPECT_THAT(Insert(std::nullopt, "Nux"), ResultIs(30026, HasSubstr("cannot be null")));
  EXPECT_THAT(Insert(10, "Nux"), ResultIs(30320, HasSubstr("Duplicate found.")));
  EXPECT_EQ(30319, Insert(11, "Nux", 1).code);
  EXPECT_EQ(cursor_->GetRecordCount(), 1);
  // The refused inserts drew no sequence value that stuck.
  ASSERT_THAT(Insert(11, "Nux"), Succeeded());
  EXPECT_EQ(GetInt(kId), 2);
  ExpectIndexesValid();
}

TEST_F(TableDataTest, UpdateKeepingItsKeyPassesTheDuplicateCheck) {
  ASSERT_THAT(Insert(10, "Arnica"), Succeeded());
  const TDVXRecordID id = cursor_->RecordID();
  ASSERT_THAT(Insert(11, "Bryonia"), Succeeded());
  Seek(id);
  SetText(kName, "Arnica montana");
  EXPECT_THAT(cursor_->UpdateRecord(), Succeeded());
  SetInt(kCode, 11);
  EXPECT_EQ(30320, cursor_->UpdateRecord().code);
  Seek(id);
  EXPECT_EQ(GetText(kName), "Arnica montana");
  EXPECT_EQ(GetInt(kCode), 10);
  ExpectIndexesValid();
}

TEST_F(TableDataTest, IndexOrderFollowsDirectionAndCase) {
  int32_t code = 0;
  for (const char* name : {"bryonia", "Arnica", "Calendula", "apis"}) ASSERT_THAT(Insert(++code, name), Succeeded());
  cursor_->SetCurrentIndex("IX_Name");
  std::vector<std::string> names;
  cursor_->First();
  while (cursor_->GetRecord(grmNext) == grrDone) names.push_back(GetText(kName));
  EXPECT_EQ(names, (std::vector<std::string>{"Calendula", "bryonia", "Arnica", "apis"}));
}

TEST_F(TableDataTest, DeleteLeavesCursorOnNeighbourAndOnEofAfterTheLast) {
  for (int i = 0; i < 3; ++i) ASSERT_THAT(Insert(i, "R" + std::to_string(i)), Succeeded());
  cursor_->SetCurrentIndex("PK");
  cursor_->First();
  ASSERT_EQ(grrDone, cursor_->GetRecord(grmNext));
  ASSERT_THAT(cursor_->DeleteRecord(), Succeeded());
  EXPECT_EQ(GetInt(kId), 2);
  cursor_->Last();
  ASSERT_EQ(grrDone, cursor_->GetRecord(grmPrior));
  ASSERT_THAT(cursor_->DeleteRecord(), Succeeded());
  EXPECT_EQ(GetInt(kId), 2);  // no next record: the previous one
  ASSERT_THAT(cursor_->DeleteRecord(), Succeeded());
  EXPECT_TRUE(cursor_->Bof() || cursor_->Eof());
  EXPECT_EQ(cursor_->GetRecordCount(), 0);
  ExpectIndexesValid();
}

TEST_F(TableDataTest, DeleteRemovesTheEntriesOfTheStoredRecordNotOfTheEditedBuffer) {
  ASSERT_THAT(Insert(10, "Arnica"), Succeeded());
  ASSERT_THAT(Insert(11, "Bryonia"), Succeeded());
  Seek(Walk().front());
  SetInt(kCode, 99);  // edited, never posted
  SetText(kName, "Zincum");
  ASSERT_THAT(cursor_->DeleteRecord(), Succeeded());
  ExpectIndexesValid();
  EXPECT_THAT(Insert(10, "Arnica"), Succeeded());  // the stored key 10 is free again
}

TEST_F(TableDataTest, FailedWriteLeavesTableAsBefore) {
  ASSERT_THAT(Insert(10, "Arnica"), Succeeded());
  for (int n = 1; n < 40; ++n) {
    fs_.FailNthWrite(n);
    const TDVXCursorResult result = Insert(20 + n, "Nux vomica");
    fs_.FailNthWrite(0);
    if (result.ok()) {
      Seek(cursor_->RecordID());
      ASSERT_THAT(cursor_->DeleteRecord(), Succeeded());
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
  ASSERT_THAT(Insert(10, "Arnica"), Succeeded());
  const TDVXRecordID first = cursor_->RecordID();
  session_->StartTransaction();
  ASSERT_THAT(Insert(11, "Bryonia"), Succeeded());
  ASSERT_THAT(Insert(12, "Calendula"), Succeeded());
  Seek(first);
  ASSERT_THAT(cursor_->DeleteRecord(), Succeeded());
  EXPECT_EQ(cursor_->GetRecordCount(), 2);
  session_->Rollback();
  EXPECT_EQ(cursor_->GetRecordCount(), 1);
  EXPECT_EQ(cursor_->RecordID(), first);
  ExpectIndexesValid();
  ASSERT_THAT(Insert(11, "Bryonia"), Succeeded());
  EXPECT_EQ(GetInt(kId), 2);
}

TEST_F(TableDataTest, FailedOperationInsideTransactionLeavesTheTransactionAsItWas) {
  session_->StartTransaction();
  ASSERT_THAT(Insert(10, "Arnica"), Succeeded());
  EXPECT_EQ(30320, Insert(10, "Arnica again").code);
  fs_.FailNthWrite(1);  // the first page the next insert allocates
  Insert(11, "Belladonna");
  fs_.FailNthWrite(0);
  ASSERT_THAT(Insert(12, "Chamomilla"), Succeeded());
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
  ASSERT_THAT(Insert(10, "Arnica"), Succeeded());
  other.NewRecord();
  int32_t k = 5;
  SetFieldData(0, other.Fields(), &k, other.Record());
  ASSERT_THAT(other.InsertRecord(), Succeeded());
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
  for (int i = 0; i < 60; ++i) ASSERT_THAT(Insert(i, "R" + std::to_string(i % 7)), Succeeded());
  cursor_->Table().DeleteAll(*cursor_);
  EXPECT_EQ(cursor_->GetRecordCount(), 0);
  ExpectIndexesValid();
  Reopen();
  EXPECT_EQ(cursor_->GetRecordCount(), 0);
  EXPECT_THAT(Insert(5, "Arnica"), Succeeded());
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
  EXPECT_THAT(insert(1), Succeeded());
  EXPECT_THAT(insert(30), Succeeded());
  EXPECT_THAT(insert(std::nullopt), Succeeded());
  EXPECT_THAT(insert(0), ResultIs(30029, "Constraint 'DoseRange' violated. Value in field 'Dose' cannot be lower then '1'"));
  EXPECT_EQ(30030, insert(31).code);
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
  EXPECT_THAT(insert(2, "b"), ResultIs(30029, HasSubstr("cannot be lower then '2.5'")));
  EXPECT_THAT(insert(3, "b"), Succeeded());
  EXPECT_THAT(insert(7, "abd"), Succeeded());
  EXPECT_EQ(30030, insert(8, "b").code);
  EXPECT_EQ(30029, insert(5, "abc").code);
  EXPECT_EQ(cursor_->GetRecordCount(), 2);
}

}  // namespace
}  // namespace dvx::test
