// The record manager of in-memory tables: slot numbers, navigation over
// gaps, record numbers, BLOB values kept beside the records, and failures
// that leave nothing behind.
#include "tests/engine/storage/memory_records_harness.h"

namespace dvx::test {
namespace {

class MemoryRecords : public TMemoryRecordsFixture {
 protected:
  void SetUp() override {
    TMemoryRecordsFixture::SetUp();
    MakeMemory();
  }
  void Delete(int32_t slot) { memory_->DeleteRecord({slot, 0}, session_); }
  std::vector<int32_t> Slots() {
    std::vector<int32_t> slots;
    for (const TDVXRecordID& id : Walk()) slots.push_back(id.pageNo);
    return slots;
  }
};

TEST_F(MemoryRecords, ATableWithoutRecordSizeIsRefused) {
  TDVXFieldDefs none;
  TDVXStorageTableInfo info;
  info.fields = &none;
  EXPECT_THAT([&] { TDVXMemoryRecordManager m(info); }, ThrowsDvx(kErrMemoryRecordSize, "Invalid record size = 0"));
  info.fields = nullptr;
  EXPECT_THAT([&] { TDVXMemoryRecordManager m(info); }, ThrowsDvx(kErrMemoryRecordSize));
}

TEST_F(MemoryRecords, FreedSlotsAreNotReusedUntilTheTableIsEmpty) {
  EXPECT_EQ(Insert(10).pageNo, 0);
  EXPECT_EQ(Insert(11).pageNo, 1);
  EXPECT_EQ(Insert(12).pageNo, 2);
  Delete(1);
  EXPECT_EQ(Insert(13), (TDVXRecordID{3, 0}));
  Delete(0);
  Delete(2);
  Delete(3);
  EXPECT_EQ(memory_->RecordCount(session_), 0);
  EXPECT_EQ(memory_->MinSlot(), 0);
  EXPECT_EQ(memory_->MaxSlot(), 0);
  EXPECT_EQ(Insert(14).pageNo, 0);
  EXPECT_EQ(GetInt(Read({0, 0}), kId), 14);
}

TEST_F(MemoryRecords, NoDeletionsHoldsUntilTheFirstDeletionAndThroughEmptying) {
  EXPECT_EQ(memory_->NoDeletions(), 255);
  Insert(1);
  Insert(2);
  EXPECT_EQ(memory_->NoDeletions(), 255);
  Delete(0);
  EXPECT_EQ(memory_->NoDeletions(), 0);
  memory_->Empty();
  EXPECT_EQ(memory_->NoDeletions(), 0);
  EXPECT_EQ(memory_->Capacity(), 0);
  EXPECT_EQ(memory_->RecordCount(session_), 0);
}

TEST_F(MemoryRecords, CapacityGrowsByTheGrowthStep) {
  for (int i = 0; i < 5; ++i) Insert(i);
  EXPECT_EQ(memory_->Capacity(), 8);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(GetInt(Read({i, 0}), kId), i);
}

TEST_F(MemoryRecords, DeletingTheEndsMovesMinAndMaxToTheNextUsedSlots) {
  for (int i = 0; i < 6; ++i) Insert(i);
  Delete(1);
  Delete(0);
  EXPECT_EQ(memory_->MinSlot(), 2);
  Delete(4);
  Delete(5);
  EXPECT_EQ(memory_->MaxSlot(), 3);
  EXPECT_EQ(Slots(), (std::vector<int32_t>{2, 3}));
}

TEST_F(MemoryRecords, NavigationSkipsGapsAndStopsAtBothEnds) {
  for (int i = 0; i < 7; ++i) Insert(i);
  Delete(2);
  Delete(3);
  Delete(6);
  EXPECT_EQ(Slots(), (std::vector<int32_t>{0, 1, 4, 5}));
  TDVXRecordID id{1, 0};
  ASSERT_EQ(Step(grmNext, id), grrDone);
  EXPECT_EQ(id.pageNo, 4);
  ASSERT_EQ(Step(grmPrior, id), grrDone);
  EXPECT_EQ(id.pageNo, 1);
  // From a vanished record, on from where it stood.
  id = {3, 0};
  ASSERT_EQ(Step(grmNext, id), grrDone);
  EXPECT_EQ(id.pageNo, 4);
  id = {3, 0};
  ASSERT_EQ(Step(grmPrior, id), grrDone);
  EXPECT_EQ(id.pageNo, 1);
  id = {5, 0};
  EXPECT_EQ(Step(grmNext, id), grrEOF);
  id = {0, 0};
  EXPECT_EQ(Step(grmPrior, id), grrBOF);
  id = {3, 0};
  EXPECT_EQ(Step(grmCurrent, id), grrError);
  id = kNoRecordID;
  ASSERT_EQ(Step(grmPrior, id, false, true), grrDone);
  EXPECT_EQ(id.pageNo, 5);
  EXPECT_EQ(Step(grmNext, id, false, true), grrEOF);
  EXPECT_EQ(Step(grmPrior, id, true), grrBOF);
}

TEST_F(MemoryRecords, AnEmptyTableGivesEndPassed) {
  TDVXRecordID id = kNoRecordID;
  EXPECT_EQ(Step(grmNext, id, true), grrEOF);
  EXPECT_EQ(Step(grmNext, id), grrEOF);
  EXPECT_EQ(Step(grmCurrent, id), grrError);
  EXPECT_EQ(memory_->RecordNoOf({0, 0}, session_), -1);
  EXPECT_EQ(memory_->RecordIDOf(1, session_), kNoRecordID);
}

TEST_F(MemoryRecords, RecordNumbersCountUsedSlotsFromMin) {
  for (int i = 0; i < 30; ++i) Insert(i);
  EXPECT_EQ(memory_->RecordNoOf({0, 0}, session_), 1);
  EXPECT_EQ(memory_->RecordNoOf({29, 0}, session_), 30);
  for (int s : {0, 3, 9, 10, 17, 25}) Delete(s);
  const std::vector<int32_t> slots = Slots();
  ASSERT_EQ(slots.size(), 24u);
  for (size_t k = 0; k < slots.size(); ++k) {
    EXPECT_EQ(memory_->RecordNoOf({slots[k], 0}, session_), static_cast<int64_t>(k + 1));
    EXPECT_EQ(memory_->RecordIDOf(static_cast<int64_t>(k + 1), session_).pageNo, slots[k]);
  }
  EXPECT_EQ(memory_->RecordNoOf({3, 0}, session_), -1);
  EXPECT_EQ(memory_->RecordNoOf({30, 0}, session_), -1);
  EXPECT_EQ(memory_->RecordIDOf(25, session_), kNoRecordID);
  EXPECT_EQ(memory_->RecordIDOf(0, session_), kNoRecordID);
}

TEST_F(MemoryRecords, ChangingAndDeletingGoesOnlyToStoredRecords) {
  Insert(1);
  Insert(2);
  Delete(0);
  std::vector<uint8_t> r = NewRecord();
  SetInt(r, kId, 9);
  EXPECT_THAT([&] { memory_->UpdateRecord(r.data(), {0, 0}, session_); }, ThrowsDvx(kErrUpdateRecordNo));
  EXPECT_THAT([&] { memory_->UpdateRecord(r.data(), {7, 0}, session_); }, ThrowsDvx(kErrUpdateRecordNo));
  EXPECT_THAT([&] { Delete(0); }, ThrowsDvx(kErrDeleteRecordNo, "Invalid record No = 0"));
  EXPECT_THAT([&] { Delete(-1); }, ThrowsDvx(kErrDeleteRecordNo));
  EXPECT_EQ(memory_->RecordCount(session_), 1);
  EXPECT_FALSE(memory_->RecordExists({0, 0}, session_));
  EXPECT_TRUE(memory_->RecordExists({1, 0}, session_));
}

TEST_F(MemoryRecords, BlobValuesAreKeptBesideTheRecords) {
  const size_t pendingBefore = PendingBlobCount();
  const std::vector<uint8_t> picture = Pattern(5000, 3);
  const TDVXRecordID id = Insert(1, picture);
  EXPECT_EQ(PendingBlobCount(), pendingBefore);
  EXPECT_EQ(StoredBlobs(), 1u);
  std::vector<uint8_t> r = Read(id);
  EXPECT_EQ(GetBlob(r, kPicture), picture);
  // An update that leaves the BLOB keeps its value.
  SetInt(r, kId, 2);
  memory_->UpdateRecord(r.data(), id, session_);
  EXPECT_EQ(StoredBlobs(), 1u);
  EXPECT_EQ(GetBlob(Read(id), kPicture), picture);
  // A new value replaces the old one.
  SetBlob(r, kPicture, Pattern(10, 4));
  memory_->UpdateRecord(r.data(), id, session_);
  EXPECT_EQ(StoredBlobs(), 1u);
  EXPECT_EQ(GetBlob(Read(id), kPicture), Pattern(10, 4));
  // NULL frees it.
  SetFieldData(kPicture, fields_, nullptr, r.data());
  memory_->UpdateRecord(r.data(), id, session_);
  EXPECT_EQ(StoredBlobs(), 0u);
  EXPECT_TRUE(GetBlob(Read(id), kPicture).empty());
  EXPECT_EQ(PendingBlobCount(), pendingBefore);
}

TEST_F(MemoryRecords, ABufferCopiedFromAnotherRecordGetsAValueOfItsOwn) {
  const TDVXRecordID first = Insert(1, Pattern(300, 1));
  std::vector<uint8_t> copy = Read(first);
  const TDVXRecordID second = memory_->InsertRecord(copy.data(), session_);
  EXPECT_EQ(StoredBlobs(), 2u);
  Delete(first.pageNo);
  EXPECT_EQ(StoredBlobs(), 1u);
  EXPECT_EQ(GetBlob(Read(second), kPicture), Pattern(300, 1));
}

TEST_F(MemoryRecords, ABufferReadBeforeItsRecordWentNamesNothing) {
  const TDVXRecordID id = Insert(1, Pattern(100, 1));
  std::vector<uint8_t> stale = Read(id);
  Delete(id.pageNo);
  EXPECT_THAT([&] { GetBlob(stale, kPicture); }, ThrowsDvx(kErrMemoryBlobReference));
  // Inserting it fails and leaves nothing behind.
  EXPECT_THAT([&] { memory_->InsertRecord(stale.data(), session_); }, ThrowsDvx(kErrMemoryBlobReference));
  EXPECT_EQ(memory_->RecordCount(session_), 0);
  EXPECT_EQ(StoredBlobs(), 0u);
}

TEST_F(MemoryRecords, AFailedInsertKeepsItsPendingValuesForTheCaller) {
  Insert(1, Pattern(100, 1));
  std::vector<uint8_t> r = NewRecord();
  SetBlob(r, kText, Pattern(50, 2));
  // A non-null BLOB slot that names nothing, after a good pending one.
  SetNull(false, kPicture, r.data());
  const size_t pending = PendingBlobCount();
  EXPECT_THAT([&] { memory_->InsertRecord(r.data(), session_); }, ThrowsDvx(kErrMemoryBlobReference));
  EXPECT_EQ(memory_->RecordCount(session_), 1);
  EXPECT_EQ(StoredBlobs(), 1u);
  EXPECT_EQ(PendingBlobCount(), pending);
  DiscardPendingBlobs(fields_, r.data());
}

TEST_F(MemoryRecords, VariableStringsLieInTheRecordBuffer) {
  std::vector<uint8_t> r = NewRecord();
  const std::string name(300, 'x');
  SetText(r, kName, name);
  SetText(r, kCode, "ABCDEF");
  const TDVXRecordID id = memory_->InsertRecord(r.data(), session_);
  std::vector<uint8_t> back = Read(id);
  EXPECT_EQ(GetText(back, kName), name);
  EXPECT_EQ(GetText(back, kCode), "ABCDEF");
}

TEST_F(MemoryRecords, RecordIDsAreSlotNumbersAsSigned32BitNumbers) {
  EXPECT_EQ(TDVXMemoryRecordManager::RecordIDToNumber({-2, 9}), -2);
  EXPECT_EQ(TDVXMemoryRecordManager::NumberToRecordID(70000), (TDVXRecordID{70000, 0}));
  EXPECT_THAT([] { TDVXMemoryRecordManager::NumberToRecordID(int64_t{1} << 31); }, ThrowsDvx(kErrRecordNumberRange));
  EXPECT_EQ(TDVXMemoryRecordManager::CompareRecordIDs({-1, 0}, {0, 0}), -1);
  EXPECT_EQ(TDVXMemoryRecordManager::CompareRecordIDs({5, 1}, {5, 0}), 0);
}

TEST_F(MemoryRecords, ReadingIntoNoBufferIsRefused) {
  Insert(1);
  TDVXGetRecordRequest request;
  request.recordID = {0, 0};
  EXPECT_THAT([&] { memory_->GetRecord(request); }, ThrowsDvx(kErrRetrieveRecord, "Error retreiving record"));
}

}  // namespace
}  // namespace dvx::test
