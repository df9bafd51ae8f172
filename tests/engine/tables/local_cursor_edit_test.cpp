// Edits through the cursor under record locks: another session cannot
// change or delete a record while an edit holds it, and a failed post,
// delete or cancel leaves the cursor, its lock and the table as they were.
#include "engine/tables/table_data_errors.h"
#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

class LocalCursorEditTest : public TTableFixture {
 protected:
  void SetUp() override {
    CreateDatabase();
    CreateRemedies();
    OpenCursor();
    ASSERT_THAT(Insert(10, "Arnica"), Succeeded());
    first_ = cursor_->RecordID();
    ASSERT_THAT(Insert(20, "Belladonna"), Succeeded());
    other_ = std::make_unique<TDVXLocalSession>(*db_);
    theirs_ = std::make_unique<TDVXLocalCursor>(*other_, kTable);
    theirs_->Open();
    theirs_->SetPosition(false, false, first_);
    ASSERT_EQ(theirs_->GetRecord(grmCurrent), grrDone);
    Seek(first_);
  }
  int32_t StoredCode(const TDVXRecordID& id) {
    Seek(id);
    return *GetInt(kCode);
  }

  TDVXRecordID first_;
  std::unique_ptr<TDVXLocalSession> other_;
  std::unique_ptr<TDVXLocalCursor> theirs_;
};

TEST_F(LocalCursorEditTest, AnEditKeepsOtherSessionsOffTheRecordUntilItIsPosted) {
  ASSERT_THAT(cursor_->BeginEdit(), Succeeded());
  SetInt(theirs_->Record(), kCode, 11);
  EXPECT_THAT(theirs_->Post(false), ResultIs(-2, HasSubstr("Error updating record: Error editing record - cannot lock record in 'U' mode. TableName = " "'Remedies'")));
  EXPECT_EQ(theirs_->Delete().code, -3);
  EXPECT_EQ(theirs_->RecordID(), first_) << "a refused delete leaves the cursor where it was";
  EXPECT_EQ(cursor_->GetRecordCount(), 2);

  SetInt(kCode, 12);
  ASSERT_THAT(cursor_->Post(false), Succeeded());
  EXPECT_FALSE(cursor_->Editing());
  ASSERT_EQ(theirs_->GetRecord(grmCurrent), grrDone);
  SetInt(theirs_->Record(), kCode, 13);
  ASSERT_THAT(theirs_->Post(false), Succeeded());
  EXPECT_EQ(StoredCode(first_), 13);
}

TEST_F(LocalCursorEditTest, FailedPostKeepsTheEditAndItsLockAndCancelReleasesIt) {
  ASSERT_THAT(cursor_->BeginEdit(), Succeeded());
  SetInt(kCode, 20);  // taken by the second record
  EXPECT_THAT(cursor_->Post(false), ResultIs(-2, HasSubstr("Error updating record: Constraint unique")));
  EXPECT_TRUE(cursor_->Editing());
  EXPECT_EQ(GetInt(kCode), 20) << "the buffer keeps what was typed";
  SetInt(theirs_->Record(), kCode, 14);
  EXPECT_EQ(theirs_->UpdateRecord().code, kErrLockRecordForEdit);

  ASSERT_THAT(cursor_->CancelEdit(), Succeeded());
  EXPECT_FALSE(cursor_->Editing());
  ASSERT_THAT(theirs_->UpdateRecord(), Succeeded());
  EXPECT_EQ(StoredCode(first_), 14);
  ExpectIndexesValid();
}

TEST_F(LocalCursorEditTest, BeginEditReadsTheRecordAsStoredNow) {
  SetInt(theirs_->Record(), kCode, 15);
  ASSERT_THAT(theirs_->UpdateRecord(), Succeeded());
  ASSERT_THAT(cursor_->BeginEdit(), Succeeded());
  EXPECT_EQ(GetInt(kCode), 15);
  ASSERT_THAT(cursor_->CancelEdit(), Succeeded());
}

TEST_F(LocalCursorEditTest, RefusedInsertGivesItsAutoincValueBackAndDrawsAfreshWhenPostedAgain) {
  cursor_->NewRecord();
  SetInt(kCode, 10);
  SetText(kName, "Calendula");
  EXPECT_THAT(cursor_->Post(true), ResultIs(-8, HasSubstr("Duplicate found")));
  EXPECT_EQ(GetInt(kId), std::nullopt);
  SetInt(kCode, 30);
  ASSERT_THAT(cursor_->Post(true), Succeeded());
  EXPECT_EQ(GetInt(kId), 3);
}

TEST_F(LocalCursorEditTest, ClosingTheCursorEndsItsEdit) {
  ASSERT_THAT(cursor_->BeginEdit(), Succeeded());
  SetInt(theirs_->Record(), kCode, 16);
  EXPECT_EQ(theirs_->UpdateRecord().code, kErrLockRecordForEdit);
  cursor_->Close();
  EXPECT_THAT(theirs_->UpdateRecord(), Succeeded());
}

}  // namespace
}  // namespace dvx::test
