// Change notices to cursor observers: a change through one cursor reaches
// the observers of the other cursors on the table once per operation and
// never its own; refused changes reach no one; another program's commit is
// reported at the next operation that looks at the table; a rollback is
// reported to every cursor; observers may read through their cursors.
#include <functional>
#include <stdexcept>

#include "engine/tables/cursor_observer.h"
#include "engine/tables/table_change_notices.h"
#include "engine/tables/table_data_errors.h"
#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

class TRecordingObserver : public TDVXCursorObserver {
 public:
  void CursorTableChanged(TDVXLocalCursor& cursor) override {
    ++calls;
    if (onCall) onCall(cursor);
  }
  int calls = 0;
  std::function<void(TDVXLocalCursor&)> onCall;
};

class CursorObserverTest : public TTableFixture {
 protected:
  void SetUp() override {
    CreateDatabase();
    CreateRemedies();
    OpenCursor();
    other_ = std::make_unique<TDVXLocalSession>(*db_);
    theirs_ = std::make_unique<TDVXLocalCursor>(*other_, kTable);
    theirs_->Open();
    cursor_->SetObserver(&mine_);
    theirs_->SetObserver(&seen_);
  }
  void TearDown() override { EXPECT_EQ(TDVXChangeNotices::PendingCountForTest(), 0u); }
  void Fill(int count) {
    for (int i = 1; i <= count; ++i) ASSERT_THAT(Insert(i * 10, "R" + std::to_string(i)), Succeeded());
    seen_.calls = 0;
  }

  TRecordingObserver mine_, seen_;
  std::unique_ptr<TDVXLocalSession> other_;
  std::unique_ptr<TDVXLocalCursor> theirs_;
};

TEST_F(CursorObserverTest, EachChangeReachesTheOtherCursorOnceAndNeverItsOwn) {
  ASSERT_THAT(Insert(10, "Arnica"), Succeeded());
  EXPECT_EQ(seen_.calls, 1);
  SetInt(kCode, 11);
  ASSERT_THAT(cursor_->Post(false), Succeeded());
  EXPECT_EQ(seen_.calls, 2);
  ASSERT_THAT(cursor_->Delete(), Succeeded());
  EXPECT_EQ(seen_.calls, 3);
  EXPECT_EQ(mine_.calls, 0);
  // The other way round.
  theirs_->NewRecord();
  SetInt(theirs_->Record(), kCode, 20);
  ASSERT_THAT(theirs_->InsertRecord(), Succeeded());
  EXPECT_EQ(mine_.calls, 1);
  EXPECT_EQ(seen_.calls, 3);
}

TEST_F(CursorObserverTest, DeleteAllAndUpdateAllReportOnceForAllTheirRecords) {
  Fill(4);
  TDVXVariant name;
  name.SetAsString("X");
  cursor_->Table().UpdateAll(*cursor_, {"Name"}, {name});
  EXPECT_EQ(seen_.calls, 1);
  cursor_->Table().DeleteAll(*cursor_);
  EXPECT_EQ(seen_.calls, 2);
  EXPECT_EQ(mine_.calls, 0);
  EXPECT_EQ(theirs_->GetRecordCount(), 0);
}

TEST_F(CursorObserverTest, RefusedChangesReachNoOne) {
  Fill(2);
  EXPECT_THAT(Insert(10, "Twin"), ResultIs(kErrUniqueDuplicate, HasSubstr("Duplicate found.")));
  cursor_->SetCurrentIndex("UQ_Code");
  cursor_->First();
  ASSERT_EQ(cursor_->GetRecord(grmNext), grrDone);
  SetInt(kCode, 20);
  EXPECT_EQ(cursor_->Post(false).code, -2);
  TDVXVariant code;
  code.SetAsSignedInt32(7);
  EXPECT_THAT([&] { cursor_->Table().UpdateAll(*cursor_, {"Code"}, {code}); }, ThrowsDvx(kErrUniqueDuplicate));
  EXPECT_EQ(seen_.calls, 0);
  EXPECT_EQ(mine_.calls, 0);
}

TEST_F(CursorObserverTest, AnObserverReadsThroughItsCursorDuringTheCall) {
  Fill(2);
  int64_t counted = -1;
  std::string firstName;
  seen_.onCall = [&](TDVXLocalCursor& cursor) {
    counted = cursor.GetRecordCount();
    cursor.SetCurrentIndex("UQ_Code");
    cursor.First();
    ASSERT_EQ(cursor.GetRecord(grmNext), grrDone);
    firstName = GetText(cursor.Record(), kName);
  };
  ASSERT_THAT(Insert(5, "Aconitum"), Succeeded());
  EXPECT_EQ(seen_.calls, 1);
  EXPECT_EQ(counted, 3);
  EXPECT_EQ(firstName, "Aconitum");
}

TEST_F(CursorObserverTest, AClosedCursorHearsNothingUntilItIsOpenAgain) {
  theirs_->Close();
  ASSERT_THAT(Insert(10, "Arnica"), Succeeded());
  EXPECT_EQ(seen_.calls, 0);
  theirs_->Open();
  ASSERT_THAT(Insert(20, "Bryonia"), Succeeded());
  EXPECT_EQ(seen_.calls, 1);
  theirs_->SetObserver(nullptr);
  ASSERT_THAT(Insert(30, "Cactus"), Succeeded());
  EXPECT_EQ(seen_.calls, 1);
}

TEST_F(CursorObserverTest, AnObserversExceptionReachesTheCallerAfterTheChangeIsComplete) {
  TDVXLocalCursor third(*other_, kTable);
  TRecordingObserver later;
  third.SetObserver(&later);
  third.Open();
  seen_.onCall = [](TDVXLocalCursor&) { throw std::runtime_error("observer failed"); };
  EXPECT_THROW(Insert(10, "Arnica"), std::runtime_error);
  EXPECT_EQ(later.calls, 1) << "the other observers are still told";
  EXPECT_EQ(third.GetRecordCount(), 1);
  seen_.onCall = nullptr;
  ASSERT_THAT(Insert(20, "Bryonia"), Succeeded());
  EXPECT_EQ(seen_.calls, 2);
  ExpectIndexesValid();
}

TEST_F(CursorObserverTest, ARollbackReachesEveryCursorOnTheTablesItPutBack) {
  Fill(1);
  session_->StartTransaction();
  ASSERT_THAT(Insert(20, "Bryonia"), Succeeded());
  EXPECT_EQ(seen_.calls, 1);
  session_->Rollback();
  EXPECT_EQ(seen_.calls, 2);
  EXPECT_EQ(mine_.calls, 1);
  EXPECT_EQ(theirs_->GetRecordCount(), 1);
}

TEST_F(CursorObserverTest, AnIndexAddedThroughAnotherCursorIsReported) {
  TDVXLocalCursor work(*session_, kTable);
  TDVXIndexDef definition;
  definition.SetObjectName("IX_Code_Name");
  definition.AddColumn("Code");
  definition.AddColumn("Name");
  work.AddIndex(definition);
  EXPECT_EQ(seen_.calls, 1);
}

// Another program: a second database object on the same file.
class CursorObserverOtherProgramTest : public TTableFixture {
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
    reader_ = std::make_unique<TDVXLocalCursor>(*mySession_, kTable);
    second_ = std::make_unique<TDVXLocalCursor>(*mySession_, kTable);
    writer_ = std::make_unique<TDVXLocalCursor>(*theirSession_, kTable);
    for (auto* c : {reader_.get(), second_.get(), writer_.get()}) c->Open();
    reader_->SetObserver(&readerSeen_);
    second_->SetObserver(&secondSeen_);
  }
  void TearDown() override {
    reader_.reset();
    second_.reset();
    writer_.reset();
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
  TDVXGetRecordResult FirstRecord(TDVXLocalCursor& cursor) {
    cursor.First();
    return cursor.GetRecord(grmNext);
  }

  std::unique_ptr<TDVXDiskDatabaseData> mine_, theirs_;
  std::unique_ptr<TDVXLocalSession> mySession_, theirSession_;
  std::unique_ptr<TDVXLocalCursor> reader_, second_, writer_;
  TRecordingObserver readerSeen_, secondSeen_;
};

TEST_F(CursorObserverOtherProgramTest, AnotherProgramsCommitIsReportedAtTheNextOperationToEveryCursor) {
  ASSERT_THAT(InsertThrough(*writer_, 1), Succeeded());
  EXPECT_EQ(readerSeen_.calls, 0) << "nothing has looked at the table yet";
  EXPECT_EQ(FirstRecord(*reader_), grrDone);
  EXPECT_EQ(readerSeen_.calls, 1);
  EXPECT_EQ(secondSeen_.calls, 1);
  EXPECT_EQ(FirstRecord(*reader_), grrDone);
  EXPECT_EQ(readerSeen_.calls, 1) << "a commit is reported once";
}

TEST_F(CursorObserverOtherProgramTest, ThisProgramsOwnCommitIsNotTakenForAnotherProgramsLater) {
  ASSERT_THAT(InsertThrough(*reader_, 1), Succeeded());
  EXPECT_EQ(secondSeen_.calls, 1);
  EXPECT_EQ(FirstRecord(*reader_), grrDone);
  EXPECT_EQ(FirstRecord(*second_), grrDone);
  EXPECT_EQ(readerSeen_.calls, 0);
  EXPECT_EQ(secondSeen_.calls, 1);
}

TEST_F(CursorObserverOtherProgramTest, AnUpdateInPlaceByAnotherProgramIsReported) {
  ASSERT_THAT(InsertThrough(*writer_, 1), Succeeded());
  ASSERT_EQ(FirstRecord(*reader_), grrDone);
  readerSeen_.calls = 0;
  ASSERT_EQ(FirstRecord(*writer_), grrDone);
  SetFieldData(kName, writer_->Fields(), "Ignatia", writer_->Record());
  ASSERT_THAT(writer_->UpdateRecord(), Succeeded());
  ASSERT_EQ(FirstRecord(*reader_), grrDone);
  EXPECT_EQ(readerSeen_.calls, 1);
  char name[41] = {};
  ASSERT_TRUE(GetFieldData(kName, reader_->Fields(), name, reader_->Record()));
  EXPECT_STREQ(name, "Ignatia");
}

// Bookmarks: their byte image and a record that has gone.
class CursorBookmarkTest : public TTableFixture {
 protected:
  void SetUp() override {
    CreateDatabase();
    CreateRemedies();
    OpenCursor();
    for (int i = 1; i <= 3; ++i) ASSERT_THAT(Insert(i * 10, "R" + std::to_string(i)), Succeeded());
  }
};

TEST_F(CursorBookmarkTest, TheBookmarkIsTheFlagsThenTheRecordIDLittleEndian) {
  cursor_->SetPosition(false, false, TDVXRecordID{0x01020304, 0x0506});
  EXPECT_EQ(cursor_->GetBookmark(), (TDVXBookmark{0x00, 0x00, 0x04, 0x03, 0x02, 0x01, 0x06, 0x05}));
  const size_t at = static_cast<size_t>(cursor_->Table().RecordSize());
  EXPECT_EQ(std::vector<uint8_t>(cursor_->Buffer().begin() + at, cursor_->Buffer().begin() + at + 6),
            (std::vector<uint8_t>{0x04, 0x03, 0x02, 0x01, 0x06, 0x05}));
  cursor_->First();
  EXPECT_EQ(cursor_->GetBookmark(), (TDVXBookmark{0x01, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  cursor_->Last();
  EXPECT_EQ(cursor_->GetBookmark(), (TDVXBookmark{0x00, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST_F(CursorBookmarkTest, AHandWrittenBookmarkLeadsToItsRecord) {
  const TDVXRecordID last = cursor_->RecordID();
  TDVXBookmark image{0, 0};
  image[2] = static_cast<uint8_t>(last.pageNo);
  image[3] = static_cast<uint8_t>(last.pageNo >> 8);
  image[4] = static_cast<uint8_t>(last.pageNo >> 16);
  image[5] = static_cast<uint8_t>(last.pageNo >> 24);
  image[6] = static_cast<uint8_t>(last.itemNo);
  image[7] = static_cast<uint8_t>(last.itemNo >> 8);
  cursor_->First();
  ASSERT_EQ(cursor_->GotoBookmark(image), grrDone);
  EXPECT_EQ(cursor_->RecordID(), last);
  EXPECT_EQ(GetInt(kCode), 30);
}

TEST_F(CursorBookmarkTest, ABookmarkOfAVanishedRecordGivesAnErrorNotACrash) {
  cursor_->SetCurrentIndex("UQ_Code");
  cursor_->First();
  ASSERT_EQ(cursor_->GetRecord(grmNext), grrDone);
  const TDVXBookmark kept = cursor_->GetBookmark();
  ASSERT_THAT(cursor_->Delete(), Succeeded());
  EXPECT_EQ(cursor_->GotoBookmark(kept), grrError);
  EXPECT_EQ(cursor_->GetRecNo(), -1);
  // From there the walk goes on where the record stood.
  ASSERT_EQ(cursor_->GetRecord(grmNext), grrDone);
  EXPECT_EQ(GetInt(kCode), 20);
  // Pages that are no longer the table's, or never were.
  cursor_->Table().DeleteAll(*cursor_);
  EXPECT_EQ(cursor_->GotoBookmark(kept), grrError);
  EXPECT_EQ(cursor_->GotoBookmark(TDVXBookmark{0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0}), grrError);
}

TEST_F(CursorBookmarkTest, SetRecNoAndGetRecNoFollowTheIndexOrder) {
  cursor_->SetCurrentIndex("IX_Name");  // descending: R3, R2, R1
  ASSERT_EQ(cursor_->SetRecNo(1), grrDone);
  EXPECT_EQ(GetText(kName), "R3");
  EXPECT_EQ(cursor_->GetRecNo(), 1);
  ASSERT_EQ(cursor_->SetRecNo(99), grrDone);
  EXPECT_EQ(GetText(kName), "R1");
  EXPECT_EQ(cursor_->GetRecNo(), 3);
}

// What the result of a refused change carries.
class CursorResultTest : public TTableFixture {
 protected:
  void SetUp() override {
    CreateDatabase();
    CreateRemedies();
    OpenCursor();
    ASSERT_THAT(Insert(10, "Arnica"), Succeeded());
  }
};

TEST_F(CursorResultTest, ABrokenUniqueKeyGivesItsNativeCodeBehindEveryResultCode) {
  EXPECT_THAT(Insert(10, "Twin"),
              ResultIs(kErrUniqueDuplicate, "Constraint unique 'UQ_Code' violated. Duplicate found.", kErrUniqueDuplicate));
  cursor_->NewRecord();
  SetInt(kCode, 10);
  EXPECT_THAT(cursor_->Post(true), ResultIs(-8, HasSubstr("Duplicate found."), kErrUniqueDuplicate));
  ASSERT_THAT(Insert(20, "Bryonia"), Succeeded());
  SetInt(kCode, 10);
  EXPECT_THAT(cursor_->Post(false),
              ResultIs(-2, "Error updating record: Constraint unique 'UQ_Code' violated. Duplicate found.",
                       kErrUniqueDuplicate));
}

}  // namespace
}  // namespace dvx::test
