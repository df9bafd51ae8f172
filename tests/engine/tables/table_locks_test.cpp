// Table locks as the table objects take them: between the sessions of one
// program and between two programs (two database objects on one file, each
// with its own descriptor and so its own byte-range locks).
#include <gtest/gtest.h>

#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

using ::testing::_;

class TableLocksOfTablesTest : public TTableFixture {
 protected:
  void SetUp() override {
    CreateDatabase();
    CreateRemedies();
    session_.reset();
    db_->CloseDatabase();
    mine_ = OpenShared();
    theirs_ = OpenShared();
    mySession_ = std::make_unique<TDVXLocalSession>(*mine_);
    theirSession_ = std::make_unique<TDVXLocalSession>(*theirs_);
  }
  void TearDown() override {
    mySession_.reset();
    theirSession_.reset();
    mine_->CloseDatabase();
    theirs_->CloseDatabase();
  }
  std::unique_ptr<TDVXDiskDatabaseData> OpenShared() {
    auto db = std::make_unique<TDVXDiskDatabaseData>(kFile, TDVXLockParams{3, 1}, fs_);
    TDVXCryptoInfo crypto;
    db->OpenDatabase(false, false, crypto);
    return db;
  }
  TDVXCursorResult InsertThrough(TDVXLocalCursor& cursor, int32_t code) {
    cursor.NewRecord();
    SetFieldData(kCode, cursor.Fields(), &code, cursor.Record());
    return cursor.InsertRecord();
  }

  std::unique_ptr<TDVXDiskDatabaseData> mine_, theirs_;
  std::unique_ptr<TDVXLocalSession> mySession_, theirSession_;
};

TEST_F(TableLocksOfTablesTest, AnExclusiveOpenKeepsOtherSessionsAndProgramsOut) {
  TDVXLocalCursor exclusive(*mySession_, kTable, true);
  exclusive.Open();
  TDVXLocalSession second(*mine_);
  TDVXLocalCursor sameProgram(second, kTable);
  EXPECT_THAT([&] { sameProgram.Open(); },
              ThrowsDvx(_, "Error - cannot lock table in 'IS' mode, table name = 'Remedies'"));
  TDVXLocalCursor otherProgram(*theirSession_, kTable);
  EXPECT_THAT([&] { otherProgram.Open(); },
              ThrowsDvx(_, "Error - cannot lock table in 'IS' mode, table name = 'Remedies'"));
  exclusive.Close();
  otherProgram.Open();
  TDVXLocalCursor exclusiveAgain(*mySession_, kTable, true);
  EXPECT_THAT([&] { exclusiveAgain.Open(); },
              ThrowsDvx(_, "Error - cannot lock table in 'X' mode, table name = 'Remedies'"));
}

TEST_F(TableLocksOfTablesTest, AReaderInAnotherProgramHoldsOffAWriterUntilItIsDone) {
  TDVXLocalCursor reader(*theirSession_, kTable);
  reader.Open();
  TDVXLocalCursor writer(*mySession_, kTable);
  writer.Open();
  ASSERT_TRUE(reader.Table().LockTableS(theirSession_->SessionID()));
  EXPECT_THAT(InsertThrough(writer, 1), ResultIs(::testing::Ne(0), HasSubstr("cannot lock table in 'RW' mode, table name = 'Remedies'")));
  EXPECT_EQ(reader.GetRecordCount(), 0);
  ASSERT_TRUE(reader.Table().UnlockTableS(theirSession_->SessionID()));
  EXPECT_THAT(InsertThrough(writer, 1), Succeeded());
  EXPECT_EQ(reader.GetRecordCount(), 1);
}

TEST_F(TableLocksOfTablesTest, ATableIsNotDroppedWhileAnotherProgramHasItOpen) {
  TDVXLocalCursor open(*theirSession_, kTable);
  open.Open();
  EXPECT_THAT([&] { mine_->DeleteTable(*mySession_, kTable); },
              ThrowsDvx(20017, "Error - cannot lock table in 'X' mode, table name = 'Remedies'"));
  EXPECT_TRUE(mine_->TableExists(kTable));
  open.Close();
  mine_->DeleteTable(*mySession_, kTable);
  EXPECT_FALSE(theirs_->TableExists(kTable));
}

TEST_F(TableLocksOfTablesTest, OnlyLocksBeyondTheOpenTablesIntentKeepATransactionFromStarting) {
  TDVXLocalCursor cursor(*mySession_, kTable);
  cursor.Open();
  mySession_->StartTransaction();
  mySession_->Rollback();
  ASSERT_TRUE(cursor.Table().LockTableS(mySession_->SessionID()));
  EXPECT_THAT([&] { mySession_->StartTransaction(); },
              ThrowsDvx(10824, "Cannot start transaction due to remaining table locks in table 'Remedies'"));
  cursor.Table().UnlockTableS(mySession_->SessionID());
  mySession_->StartTransaction();
  EXPECT_THAT(InsertThrough(cursor, 5), Succeeded());
  mySession_->Commit(true);
}

// From its first change to its end a transaction keeps every other writer
// of the table out (in this program and in the other), so nobody commits
// under its index roots; readers still get in, and the lock goes with the
// commit or the rollback.
TEST_F(TableLocksOfTablesTest, ATransactionKeepsOtherWritersOutFromItsFirstChangeToItsEnd) {
  TDVXLocalCursor cursor(*mySession_, kTable);
  cursor.Open();
  TDVXLocalSession second(*mine_);
  TDVXLocalCursor sameProgram(second, kTable);
  sameProgram.Open();
  TDVXLocalCursor otherProgram(*theirSession_, kTable);
  otherProgram.Open();
  for (bool commit : {true, false}) {
    mySession_->StartTransaction();
    EXPECT_THAT(InsertThrough(sameProgram, commit ? 100 : 200), Succeeded()) << "no change yet, no lock yet";
    EXPECT_THAT(InsertThrough(cursor, commit ? 1 : 2), Succeeded());
    for (TDVXLocalCursor* writer : {&sameProgram, &otherProgram}) {
      EXPECT_THAT(InsertThrough(*writer, 3),
                  ResultIs(::testing::Ne(0), HasSubstr("cannot lock table in 'RW' mode, table name = 'Remedies'")));
    }
    EXPECT_EQ(otherProgram.GetRecordCount(), commit ? 1 : 5) << "the other program reads what was committed";
    if (commit)
      mySession_->Commit(true);
    else
      mySession_->Rollback();
    EXPECT_THAT(InsertThrough(otherProgram, commit ? 101 : 102), Succeeded());
    EXPECT_THAT(InsertThrough(sameProgram, commit ? 103 : 104), Succeeded());
  }
  EXPECT_EQ(cursor.GetRecordCount(), 7);
}

TEST_F(TableLocksOfTablesTest, ACommitThatCannotLockAChangedTableRollsBackAndSaysSo) {
  TDVXLocalCursor cursor(*mySession_, kTable);
  cursor.Open();
  TDVXLocalCursor reader(*theirSession_, kTable);
  reader.Open();
  mySession_->StartTransaction();
  ASSERT_THAT(InsertThrough(cursor, 1), Succeeded());
  ASSERT_TRUE(reader.Table().LockTableS(theirSession_->SessionID())) << "a reader gets past the intent lock";
  EXPECT_THAT([&] { mySession_->Commit(true); },
              ThrowsDvx(10826, "Commit operation failed - rollback called. Some of modified tables are locked by "
                               "other sessions"));
  EXPECT_FALSE(mySession_->InTransaction());
  EXPECT_EQ(cursor.GetRecordCount(), 0);
  ASSERT_TRUE(reader.Table().UnlockTableS(theirSession_->SessionID()));
  EXPECT_EQ(reader.GetRecordCount(), 0);
  EXPECT_THAT(InsertThrough(reader, 1), Succeeded()) << "the rolled-back transaction holds no lock any more";
}

TEST_F(TableLocksOfTablesTest, ASessionThatEndsLeavesNoLocksBehind) {
  {
    TDVXLocalSession passing(*mine_);
    TDVXLocalCursor cursor(passing, kTable);
    cursor.Open();
    ASSERT_TRUE(cursor.Table().LockTableS(passing.SessionID()));
    cursor.Close();
  }
  TDVXLocalCursor exclusive(*theirSession_, kTable, true);
  exclusive.Open();
  EXPECT_TRUE(exclusive.IsOpen());
}

TEST_F(TableLocksOfTablesTest, ClosingWithLocksLeftReportsThemAndStillClosesTheFile) {
  ASSERT_TRUE(mine_->TableLocks().LockTable(mySession_->SessionID(), kTable, 0, ltS));
  EXPECT_THAT([&] { mine_->CloseDatabase(); },
              ThrowsDvx(10811, "Error - not all locks were removed from database file 'tables.dvx'"));
  EXPECT_FALSE(mine_->IsOpen());
  mySession_.reset();
  TDVXLocalCursor exclusive(*theirSession_, kTable, true);
  exclusive.Open();
  EXPECT_TRUE(exclusive.IsOpen());
  exclusive.Close();
  mine_ = OpenShared();
  mySession_ = std::make_unique<TDVXLocalSession>(*mine_);
}

}  // namespace
}  // namespace dvx::test
