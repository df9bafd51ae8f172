// BLOB values through a cursor's streams: the rules of opening and
// closing them, values written, posted and read back after a reopen, and
// pending values that a cancel, a refused post or a closed cursor must
// neither leak nor lose.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/core/cleanup_failures.h"
#include "engine/schema/blob_slot.h"
#include "engine/tables/cursor_blob_errors.h"
#include "engine/tables/local_blob_stream.h"
#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

class CursorBlobTest : public TTableFixture {
 protected:
  void SetUp() override {
    CreateDatabase();
    CreateNotes(compressed_);
    OpenNotes();
    pendingBefore_ = PendingBlobCount();
  }
  void TearDown() override { EXPECT_EQ(PendingBlobCount(), pendingBefore_) << "pending values leaked"; }
  void OpenNotes() {
    cursor_ = std::make_unique<TDVXLocalCursor>(*session_, kNotes);
    cursor_->Open();
  }
  void ReopenNotes() {
    cursor_.reset();
    session_.reset();
    db_->CloseDatabase();
    OpenDatabase();
    OpenNotes();
  }
  // Writes `bytes` through a stream of `mode` into the buffer's field.
  void WriteField(int field, const std::vector<uint8_t>& bytes, int mode = kBlobModeWrite) {
    auto stream = cursor_->OpenBLOB(mode, field);
    stream->SetSize(0);
    if (!bytes.empty()) {
      ASSERT_EQ(stream->Write(bytes.data(), bytes.size()), bytes.size());
    }
    cursor_->CloseBLOB(field);
  }
  TDVXCursorResult InsertNote(int32_t id, const std::vector<uint8_t>& picture) {
    cursor_->NewRecord();
    SetInt(kNoteId, id);
    WriteField(kNotePicture, picture);
    return cursor_->Post(true);
  }
  std::vector<uint8_t> ReadField(int field) {
    auto stream = cursor_->OpenBLOB(kBlobModeRead, field);
    std::vector<uint8_t> bytes = ReadAll(*stream);
    cursor_->CloseBLOB(field);
    return bytes;
  }
  void SeekNote(int32_t id) {
    cursor_->First();
    while (cursor_->GetRecord(grmNext) == grrDone)
      if (GetInt(kNoteId) == id) return;
    FAIL() << "no note " << id;
  }

  static int32_t GetIntOf(TDVXLocalCursor& cursor, int field) {
    int32_t value = 0;
    EXPECT_TRUE(GetFieldData(field, cursor.Fields(), &value, cursor.Record()));
    return value;
  }

  bool compressed_ = false;
  size_t pendingBefore_ = 0;
};

TEST_F(CursorBlobTest, ReadersMayShareAFieldButASecondWriterIsRefused) {
  ASSERT_THAT(InsertNote(1, Pattern(300, 1)), Succeeded());
  SeekNote(1);
  auto first = cursor_->OpenBLOB(kBlobModeRead, kNotePicture);
  auto second = cursor_->OpenBLOB(kBlobModeRead, kNotePicture);
  EXPECT_EQ(ReadAll(*first), Pattern(300, 1));
  EXPECT_EQ(ReadAll(*second), Pattern(300, 1));
  auto writer = cursor_->OpenBLOB(kBlobModeReadWrite, kNotePicture);
  EXPECT_EQ(writer->Size(), 300u) << "mode 2 starts from the current value";
  for (int mode : {kBlobModeWrite, kBlobModeReadWrite})
    EXPECT_THAT([&] { cursor_->OpenBLOB(mode, kNotePicture); },
                ThrowsDvx(10115, "BLOB field already opened. FieldNo = 2, FieldName = Picture"));
  EXPECT_NO_THROW(cursor_->OpenBLOB(kBlobModeRead, kNotePicture));
  EXPECT_NO_THROW(cursor_->OpenBLOB(kBlobModeWrite, kNoteText)) << "another field has no writer yet";
  EXPECT_EQ(cursor_->OpenBLOBCount(), 5u);
  cursor_->CloseAllBLOBs(true);
  EXPECT_EQ(cursor_->OpenBLOBCount(), 3u) << "only the writers went";
  EXPECT_FALSE(writer->IsOpen());
  EXPECT_TRUE(first->IsOpen());
  cursor_->CancelEdit();
}

TEST_F(CursorBlobTest, AReadOnlyStreamRefusesWritesAndResizes) {
  ASSERT_THAT(InsertNote(1, Pattern(10, 2)), Succeeded());
  SeekNote(1);
  auto reader = cursor_->OpenBLOB(kBlobModeRead, kNotePicture);
  const uint8_t byte = 7;
  EXPECT_THAT([&] { reader->Write(&byte, 1); }, ThrowsDvx(10115, "Cannot write to read only stream"));
  EXPECT_THAT([&] { reader->SetSize(3); }, ThrowsDvx(10116, "Cannot write to read only stream"));
  cursor_->CloseBLOB(kNotePicture);
  EXPECT_EQ(ReadField(kNotePicture), Pattern(10, 2));
}

TEST_F(CursorBlobTest, BadFieldNumbersAndModesAreRefused) {
  cursor_->NewRecord();
  EXPECT_THAT([&] { cursor_->OpenBLOB(kBlobModeRead, 3); },
              ThrowsDvx(10110, "Invalid field number - FieldNo = 3, FieldCount = 3"));
  EXPECT_THAT([&] { cursor_->OpenBLOB(kBlobModeRead, -1); }, ThrowsDvx(10110, HasSubstr("FieldNo = -1")));
  EXPECT_THAT([&] { cursor_->CloseBLOB(3); }, ThrowsDvx(10118, "Invalid field number - FieldNo = 3, FieldCount = 3"));
  EXPECT_THAT([&] { cursor_->OpenBLOB(kBlobModeRead, kNoteId); },
              ThrowsDvx(10112, "Field is not a BLOB field. FieldNo = 0, FieldName = Id"));
  EXPECT_THAT([&] { cursor_->OpenBLOB(3, kNotePicture); }, ThrowsDvx(10111, "Invalid BLOB stream mode = 3"));
  EXPECT_EQ(cursor_->OpenBLOBCount(), 0u);
}

TEST_F(CursorBlobTest, AStreamKeptPastTheCursorsCloseFailsCleanly) {
  ASSERT_THAT(InsertNote(1, Pattern(50, 3)), Succeeded());
  SeekNote(1);
  auto reader = cursor_->OpenBLOB(kBlobModeRead, kNotePicture);
  auto writer = cursor_->OpenBLOB(kBlobModeWrite, kNoteText);
  ASSERT_EQ(writer->Write("abc", 3), 3u);
  cursor_->Close();
  uint8_t byte = 0;
  EXPECT_THAT([&] { reader->Read(&byte, 1); }, ThrowsDvx(10113, "BLOB stream of field #2 is closed"));
  EXPECT_THAT([&] { writer->Write("d", 1); }, ThrowsDvx(10113, "BLOB stream of field #1 is closed"));
  EXPECT_THAT([&] { (void)writer->Size(); }, ThrowsDvx(10113, ::testing::_));
}

TEST_F(CursorBlobTest, CancelEditClosesWritersAndFreesTheNewValue) {
  ASSERT_THAT(InsertNote(1, Pattern(700, 4)), Succeeded());
  SeekNote(1);
  ASSERT_THAT(cursor_->BeginEdit(), Succeeded());
  WriteField(kNotePicture, Pattern(900, 5));
  EXPECT_EQ(PendingBlobCount(), pendingBefore_ + 1);
  auto open = cursor_->OpenBLOB(kBlobModeWrite, kNoteText);
  auto reader = cursor_->OpenBLOB(kBlobModeRead, kNotePicture);
  EXPECT_EQ(ReadAll(*reader), Pattern(900, 5)) << "a reader sees the pending value";
  ASSERT_THAT(cursor_->CancelEdit(), Succeeded());
  EXPECT_FALSE(open->IsOpen());
  EXPECT_TRUE(reader->IsOpen()) << "readers stay";
  EXPECT_EQ(PendingBlobCount(), pendingBefore_);
  cursor_->CloseAllBLOBs(false);
  SeekNote(1);
  EXPECT_EQ(ReadField(kNotePicture), Pattern(700, 4)) << "the stored value stays";
  EXPECT_THAT(FileProblems(), ::testing::IsEmpty());
}

TEST_F(CursorBlobTest, UpdatesReplaceTheStoredValueWithoutLeavingItemsBehind) {
  ASSERT_THAT(InsertNote(1, Pattern(5000, 6)), Succeeded());
  for (uint32_t round = 0; round < 6; ++round) {
    SeekNote(1);
    WriteField(kNotePicture, Pattern(5000, 10 + round), round % 2 ? kBlobModeReadWrite : kBlobModeWrite);
    ASSERT_THAT(cursor_->Post(false), Succeeded());
    SeekNote(1);
    ASSERT_EQ(ReadField(kNotePicture), Pattern(5000, 10 + round)) << "round " << round;
  }
  const int32_t pages = db_->PageManager().GetPageCount();
  SeekNote(1);
  WriteField(kNotePicture, {});
  ASSERT_THAT(cursor_->Post(false), Succeeded());
  SeekNote(1);
  EXPECT_TRUE(IsNull(kNotePicture, cursor_->Record())) << "an empty value makes the field NULL";
  EXPECT_EQ(ReadField(kNotePicture).size(), 0u);
  EXPECT_LE(db_->PageManager().GetPageCount(), pages);
  EXPECT_THAT(FileProblems(), ::testing::IsEmpty());
  ReopenNotes();
  SeekNote(1);
  EXPECT_TRUE(IsNull(kNotePicture, cursor_->Record()));
}

// A refusal after the record was written (here a restricting foreign key
// of another table, checked after the row changed) takes the stored item
// back with the pages; the buffer keeps its pending value for a retry.
TEST_F(CursorBlobTest, ARefusedPostKeepsThePendingValueForTheNextPost) {
  TDVXFieldDefs fields;
  fields.Add("NoteId", aftInteger);
  db_->CreateTable(*session_, "Refs", fields, TDVXIndexDefs(), TDVXConstraintDefs());
  ASSERT_THAT(InsertNote(1, Pattern(100, 7)), Succeeded());
  cursor_->Close();
  TDVXConstraintDefForeignKey fk;
  fk.SetObjectName("FK_Refs");
  fk.Table() = {kNotes, 0};
  fk.AddColumn("NoteId");
  TDVXLocalCursor(*session_, "Refs", true).AddForeignKey(fk);
  {
    TDVXLocalCursor refs(*session_, "Refs");
    refs.Open();
    refs.NewRecord();
    const int32_t one = 1;
    SetFieldData(0, refs.Fields(), &one, refs.Record());
    ASSERT_THAT(refs.InsertRecord(), Succeeded());
  }
  OpenNotes();
  SeekNote(1);
  SetInt(kNoteId, 2);
  WriteField(kNotePicture, Pattern(3000, 8));
  ASSERT_THAT(cursor_->Post(false), ResultIs(-2, HasSubstr("constraint foreign key")));
  EXPECT_EQ(PendingBlobCount(), pendingBefore_ + 1);
  EXPECT_THAT(FileProblems(), ::testing::IsEmpty()) << "the refused write left no item";
  SetInt(kNoteId, 1);
  ASSERT_THAT(cursor_->Post(false), Succeeded());
  EXPECT_EQ(PendingBlobCount(), pendingBefore_);
  ReopenNotes();
  SeekNote(1);
  EXPECT_EQ(ReadField(kNotePicture), Pattern(3000, 8));
}

// The transaction's snapshot of the buffer holds the pending value's slot;
// the rollback frees the live block, so the buffer it gives back must not
// name that block any more: every later read, new record and close of the
// cursor would meet a handle that is gone.
TEST_F(CursorBlobTest, ARollbackLeavesNoFreedPendingValueInTheBuffer) {
  ASSERT_THAT(InsertNote(1, Pattern(40, 9)), Succeeded());
  cursor_->SetCurrentIndex("PK_Notes");
  cursor_->NewRecord();
  SetInt(kNoteId, 2);
  WriteField(kNotePicture, Pattern(600, 10));
  session_->StartTransaction();
  session_->Rollback();
  EXPECT_EQ(PendingBlobCount(), pendingBefore_) << "the rollback frees the buffer's pending value";
  EXPECT_TRUE(IsNull(kNotePicture, cursor_->Record()));
  const int32_t one = 1;
  SetFieldData(kNoteId, cursor_->Fields(), &one, cursor_->KeyBuffer().data());
  cursor_->SetKeyFieldCount(1);
  EXPECT_NO_THROW(EXPECT_TRUE(cursor_->GotoKey(ctEqual)));
  EXPECT_EQ(ReadField(kNotePicture), Pattern(40, 9));
  EXPECT_NO_THROW(cursor_->NewRecord());
  EXPECT_NO_THROW(cursor_->Close());
  EXPECT_FALSE(cursor_->IsOpen());
  EXPECT_THAT(FileProblems(), ::testing::IsEmpty());
}

// A cursor destroyed while its buffer names a pending value it cannot free
// (a handle that names no block) still leaves its session, and the failure
// is in the cleanup log instead of being dropped.
TEST_F(CursorBlobTest, ACursorThatCannotFreeItsPendingValueAtDestructionIsNoted) {
  cursor_->NewRecord();
  SetInt(kNoteId, 1);
  WriteField(kNotePicture, Pattern(100, 4));
  TDVXFieldDefs fields;
  fields.Assign(cursor_->Fields());
  const std::vector<uint8_t> saved(cursor_->Record(), cursor_->Record() + fields.RecordSize());
  uint8_t* slot = cursor_->Record() + fields.Items(kNotePicture)->MemoryOffset();
  const uint32_t bogus = BlobSlotHandle(slot) ^ 0x7FFF0000u;
  std::memcpy(slot, &bogus, sizeof bogus);
  ClearCleanupFailures();
  cursor_.reset();
  EXPECT_EQ(CleanupFailureCount(), 1u);
  ASSERT_EQ(CleanupFailures().size(), 1u);
  EXPECT_THAT(CleanupFailures().front(), ::testing::StartsWith("closing a cursor: "));
  EXPECT_THAT(CleanupFailures().front(), ::testing::HasSubstr("30913"));
  std::vector<uint8_t> real = saved;
  DiscardPendingBlobs(fields, real.data());
  EXPECT_NO_THROW(session_.reset()) << "no cursor of the session is left behind";
  ClearCleanupFailures();
}

// A cursor's buffer names the BLOB value it read. Another cursor replaces
// that value and a new record may take the freed item: a post of the stale
// buffer must be refused, never give the record the new record's value.
TEST_F(CursorBlobTest, APostFromABufferReadBeforeTheValueWasReplacedIsRefused) {
  for (bool reuse : {true, false}) {
    SCOPED_TRACE(reuse ? "freed item taken by a new record" : "freed item left free");
    const int32_t id = reuse ? 1 : 11;
    ASSERT_THAT(InsertNote(id, Pattern(2000, 1)), Succeeded());
    TDVXLocalCursor stale(*session_, kNotes);
    stale.Open();
    stale.First();
    while (stale.GetRecord(grmNext) == grrDone && GetIntOf(stale, kNoteId) != id) {
    }
    ASSERT_EQ(GetIntOf(stale, kNoteId), id);
    SeekNote(id);
    WriteField(kNotePicture, Pattern(2500, 2));
    ASSERT_THAT(cursor_->Post(false), Succeeded());
    if (reuse) {
      ASSERT_THAT(InsertNote(id + 1, Pattern(1800, 3)), Succeeded());
    }
    SetInt(stale.Record(), kNoteId, id + 5);
    const TDVXCursorResult refused = stale.Post(false);
    EXPECT_EQ(refused.code, -2);
    EXPECT_EQ(refused.nativeCode, 30987) << refused.message;
    EXPECT_THAT(refused.message, ::testing::HasSubstr("field 'Picture'"));
    EXPECT_THAT(refused.message, ::testing::HasSubstr("changed since it was read"));
    stale.Close();
    SeekNote(id);
    EXPECT_EQ(ReadField(kNotePicture), Pattern(2500, 2)) << "the record keeps its own value";
    if (reuse) {
      SeekNote(id + 1);
      EXPECT_EQ(ReadField(kNotePicture), Pattern(1800, 3));
    }
  }
  EXPECT_THAT(FileProblems(), ::testing::IsEmpty());
}

struct TRoundTrip {
  size_t size;
  bool compressed;
};

class CursorBlobRoundTripTest : public CursorBlobTest, public ::testing::WithParamInterface<TRoundTrip> {
 protected:
  void SetUp() override {
    compressed_ = GetParam().compressed;
    CursorBlobTest::SetUp();
  }
};

TEST_P(CursorBlobRoundTripTest, AValueWrittenAndPostedReadsBackAfterReopening) {
  const std::vector<uint8_t> value = Pattern(GetParam().size, static_cast<uint32_t>(GetParam().size));
  cursor_->NewRecord();
  SetInt(kNoteId, 1);
  WriteField(kNotePicture, value);
  WriteField(kNoteText, {'m', 'e', 'm', 'o'});
  ASSERT_THAT(cursor_->Post(true), Succeeded());
  EXPECT_EQ(PendingBlobCount(), pendingBefore_);
  ReopenNotes();
  SeekNote(1);
  EXPECT_EQ(IsNull(kNotePicture, cursor_->Record()), value.empty());
  const std::vector<uint8_t> back = ReadField(kNotePicture);
  EXPECT_EQ(back.size(), value.size());
  EXPECT_TRUE(back == value);
  EXPECT_EQ(ReadField(kNoteText), (std::vector<uint8_t>{'m', 'e', 'm', 'o'}));
  EXPECT_THAT(FileProblems(), ::testing::IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Sizes, CursorBlobRoundTripTest,
                         ::testing::Values(TRoundTrip{0, false}, TRoundTrip{1, false}, TRoundTrip{1004, false},
                                           TRoundTrip{4096, false}, TRoundTrip{3 << 20, false},
                                           TRoundTrip{1, true}, TRoundTrip{4096, true}, TRoundTrip{4097, true},
                                           TRoundTrip{3 << 20, true}),
                         [](const auto& info) {
                           return std::to_string(info.param.size) + (info.param.compressed ? "Zlib" : "Plain");
                         });

}  // namespace
}  // namespace dvx::test
