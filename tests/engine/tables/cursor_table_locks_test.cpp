// Table locks taken through a cursor: between two sessions one refuses the
// other by the modes' rules, unlocking gives back only what the cursor
// took, closing the cursor gives back the rest, and inside a transaction
// none of them does anything.
#include <gtest/gtest.h>

#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

class CursorTableLocksTest : public TTableFixture {
 protected:
  void SetUp() override {
    CreateDatabase();
    CreateRemedies();
    OpenCursor();
    other_ = std::make_unique<TDVXLocalSession>(*db_);
    theirs_ = std::make_unique<TDVXLocalCursor>(*other_, kTable);
    theirs_->Open();
  }
  void TearDown() override {
    theirs_.reset();
    other_.reset();
  }
  std::unique_ptr<TDVXLocalSession> other_;
  std::unique_ptr<TDVXLocalCursor> theirs_;
};

TEST_F(CursorTableLocksTest, ExclusiveKeepsEveryOtherModeOutUntilUnlocked) {
  cursor_->LockExclusive(4711);
  EXPECT_FALSE(theirs_->TryLockShared());
  EXPECT_FALSE(theirs_->TryLockIntentReadWrite());
  EXPECT_FALSE(theirs_->TryLockExclusive());
  EXPECT_THAT([&] { theirs_->LockShared(4242); },
              ThrowsDvx(4242, "Error - cannot lock table in 'S' mode, table name = 'Remedies'"));
  EXPECT_THAT([&] { theirs_->LockIntentReadWrite(4243); },
              ThrowsDvx(4243, "Error - cannot lock table in 'IRW' mode, table name = 'Remedies'"));
  EXPECT_THAT(Insert(1, "Aconitum"), Succeeded()) << "the cursor's own session still writes";
  cursor_->UnlockExclusive(4711);
  EXPECT_TRUE(theirs_->TryLockShared());
  theirs_->UnlockShared(1);
}

TEST_F(CursorTableLocksTest, SharedAdmitsIntentButNotExclusive) {
  cursor_->LockShared(1);
  EXPECT_TRUE(theirs_->TryLockShared());
  EXPECT_TRUE(theirs_->TryLockIntentReadWrite());
  EXPECT_FALSE(theirs_->TryLockExclusive());
  EXPECT_THAT([&] { theirs_->LockExclusive(5150); },
              ThrowsDvx(5150, "Error - cannot lock table in 'RW' mode, table name = 'Remedies'"));
  cursor_->UnlockShared(1);
  EXPECT_FALSE(cursor_->TryLockExclusive()) << "their S and IRW still hold";
  theirs_->UnlockShared(1);
  theirs_->UnlockIntentReadWrite(1);
  EXPECT_TRUE(cursor_->TryLockExclusive());
  cursor_->UnlockExclusive(1);
}

TEST_F(CursorTableLocksTest, OnlyLocksTakenThroughTheCursorCanBeGivenBack) {
  TDVXLocalCursor second(*session_, kTable);
  second.Open();
  cursor_->LockShared(1);
  EXPECT_THAT([&] { second.UnlockShared(6001); },
              ThrowsDvx(6001, "Error - cannot unlock table in 'S' mode, table name = 'Remedies'"));
  EXPECT_THAT([&] { cursor_->UnlockExclusive(6002); },
              ThrowsDvx(6002, "Error - cannot unlock table in 'RW' mode, table name = 'Remedies'"));
  EXPECT_FALSE(theirs_->TryLockExclusive()) << "the failed unlocks gave nothing away";
  cursor_->UnlockShared(1);
  EXPECT_THAT([&] { cursor_->UnlockShared(6003); }, ThrowsDvx(6003, HasSubstr("cannot unlock table in 'S' mode")));
}

TEST_F(CursorTableLocksTest, ClosingTheCursorReleasesWhatItStillHolds) {
  cursor_->LockExclusive(1);
  cursor_->LockShared(1);
  cursor_->LockShared(1);
  cursor_->LockIntentReadWrite(1);
  ASSERT_FALSE(theirs_->TryLockShared());
  cursor_->Close();
  EXPECT_TRUE(theirs_->TryLockExclusive());
  theirs_->UnlockExclusive(1);
  cursor_->Open();
  EXPECT_TRUE(cursor_->TryLockExclusive()) << "nothing of the closed cursor's locks is left";
}

TEST_F(CursorTableLocksTest, InsideATransactionTheyDoNothing) {
  theirs_->LockExclusive(1);
  session_->StartTransaction();
  EXPECT_TRUE(cursor_->TryLockShared());
  EXPECT_TRUE(cursor_->TryLockIntentReadWrite());
  EXPECT_TRUE(cursor_->TryLockExclusive());
  EXPECT_NO_THROW(cursor_->LockExclusive(1));
  EXPECT_NO_THROW(cursor_->UnlockExclusive(1));
  EXPECT_NO_THROW(cursor_->UnlockShared(1)) << "nothing was taken, nothing is refused";
  session_->Rollback();
  EXPECT_FALSE(cursor_->TryLockShared()) << "outside it their RW rules again";
  theirs_->UnlockExclusive(1);
  // Nothing taken inside is left over: the other session gets RW at once.
  EXPECT_TRUE(theirs_->TryLockExclusive());
  theirs_->UnlockExclusive(1);
}

}  // namespace
}  // namespace dvx::test
