// The record manager of temporary tables: records in memory up to the
// limit, beyond it in the temporary file through the write buffer, the
// 48-bit sequence numbers in RecordIDs, and the file's lifetime.
#include "tests/engine/storage/memory_records_harness.h"

namespace dvx::test {
namespace {

class TemporaryRecords : public TMemoryRecordsFixture {};

TEST_F(TemporaryRecords, ATableWithoutRecordSizeIsRefused) {
  TDVXFieldDefs none;
  TDVXStorageTableInfo info;
  info.fields = &none;
  EXPECT_THAT([&] { TDVXTemporaryRecordManager m(info); },
              ThrowsDvx(kErrTemporaryRecordSize, "Invalid record size = 0"));
}

TEST_F(TemporaryRecords, RecordIDsHoldTheSequenceNumberIn48Bits) {
  const int64_t n = (int64_t{0x1234} << 32) | 0x89ABCDEF;
  const TDVXRecordID id = TDVXTemporaryRecordManager::RecordIDOfNumber(n);
  EXPECT_EQ(static_cast<uint32_t>(id.pageNo), 0x89ABCDEFu);
  EXPECT_EQ(id.itemNo, 0x1234);
  EXPECT_EQ(TDVXTemporaryRecordManager::NumberOfRecordID(id), n);
  EXPECT_EQ(TDVXTemporaryRecordManager::NumberOfRecordID(TDVXTemporaryRecordManager::RecordIDOfNumber(5)), 5);
  // Record 5 before record 6, and PageNo's high bit is no sign.
  EXPECT_EQ(TDVXTemporaryRecordManager::CompareRecordIDs(TDVXTemporaryRecordManager::RecordIDOfNumber(5),
                                                         TDVXTemporaryRecordManager::RecordIDOfNumber(6)),
            -1);
  EXPECT_EQ(TDVXTemporaryRecordManager::CompareRecordIDs(TDVXTemporaryRecordManager::RecordIDOfNumber(0x80000000),
                                                         TDVXTemporaryRecordManager::RecordIDOfNumber(1)),
            1);
}

TEST_F(TemporaryRecords, WithALimitOfTwoTheThirdRecordIsInTheFileAtOffsetZero) {
  MakeTemporary(2, 1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Insert(100 + i), TDVXTemporaryRecordManager::RecordIDOfNumber(i));
  EXPECT_FALSE(temporary_->HasFile());  // record 2 waits in the buffer
  EXPECT_EQ(temporary_->Waiting(), 1);
  Insert(103);
  ASSERT_TRUE(temporary_->HasFile());
  const std::vector<uint8_t> file = fs_.Contents(temporary_->FileName());
  ASSERT_EQ(file.size(), static_cast<size_t>(fields_.RecordSize()));
  std::vector<uint8_t> record(file.begin(), file.end());
  EXPECT_EQ(GetInt(record, kId), 102);
  EXPECT_EQ(temporary_->Capacity(), 2);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(GetInt(Read(TDVXTemporaryRecordManager::RecordIDOfNumber(i)), kId), 100 + i);
}

TEST_F(TemporaryRecords, TheMemoryArrayNeverGrowsBeyondTheLimit) {
  MakeTemporary(5, 2, 3);
  for (int i = 0; i < 4; ++i) Insert(i);
  EXPECT_EQ(temporary_->Capacity(), 5);
  for (int i = 4; i < 9; ++i) Insert(i);
  EXPECT_EQ(temporary_->Capacity(), 5);
  EXPECT_EQ(temporary_->RecordCount(session_), 9);
}

TEST_F(TemporaryRecords, NavigationRecordNumbersAndExistence) {
  MakeTemporary(3, 2);
  for (int i = 0; i < 8; ++i) Insert(i);
  std::vector<int32_t> ids;
  for (const TDVXRecordID& id : Walk()) ids.push_back(GetInt(Read(id), kId));
  EXPECT_EQ(ids, (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
  TDVXRecordID id = kNoRecordID;
  ASSERT_EQ(Step(grmPrior, id, false, true), grrDone);
  EXPECT_EQ(TDVXTemporaryRecordManager::NumberOfRecordID(id), 7);
  EXPECT_EQ(Step(grmNext, id), grrEOF);
  id = TDVXTemporaryRecordManager::RecordIDOfNumber(0);
  EXPECT_EQ(Step(grmPrior, id), grrBOF);
  EXPECT_EQ(temporary_->RecordNoOf(TDVXTemporaryRecordManager::RecordIDOfNumber(5), session_), 6);
  EXPECT_EQ(temporary_->RecordNoOf(TDVXTemporaryRecordManager::RecordIDOfNumber(8), session_), -1);
  EXPECT_EQ(temporary_->RecordIDOf(8, session_), TDVXTemporaryRecordManager::RecordIDOfNumber(7));
  EXPECT_EQ(temporary_->RecordIDOf(9, session_), kNoRecordID);
  EXPECT_TRUE(temporary_->RecordExists(TDVXTemporaryRecordManager::RecordIDOfNumber(7), session_));
  EXPECT_FALSE(temporary_->RecordExists(TDVXTemporaryRecordManager::RecordIDOfNumber(8), session_));
}

TEST_F(TemporaryRecords, AnEmptyTableGivesEndPassed) {
  MakeTemporary(3);
  TDVXRecordID id = kNoRecordID;
  EXPECT_EQ(Step(grmNext, id, true), grrEOF);
  EXPECT_EQ(Step(grmCurrent, id), grrError);
}

// Only the last record can be taken back (a failed insert's); each step
// below crosses a different home of the last record: the write buffer, the
// file after a flush, memory.
TEST_F(TemporaryRecords, OnlyTheLastRecordCanBeTakenBack) {
  MakeTemporary(2, 2);
  for (int i = 0; i < 5; ++i) Insert(i, Pattern(30, static_cast<uint8_t>(i)));
  const auto id = [](int64_t n) { return TDVXTemporaryRecordManager::RecordIDOfNumber(n); };
  EXPECT_THAT([&] { temporary_->DeleteRecord(id(3), session_); },
              ThrowsDvx(kErrTemporaryNotSupported, "Error - operation is not supported"));
  EXPECT_EQ(temporary_->RecordCount(session_), 5);
  temporary_->DeleteRecord(id(4), session_);  // waiting in the buffer
  EXPECT_EQ(StoredBlobs(), 4u);
  Read(id(3));  // flushes record 3 (and 2) to the file
  temporary_->DeleteRecord(id(3), session_);  // in the file
  Insert(30, Pattern(30, 30));
  Insert(40, Pattern(30, 40));
  temporary_->DeleteRecord(id(4), session_);
  Read(id(0));
  temporary_->DeleteRecord(id(3), session_);
  temporary_->DeleteRecord(id(2), session_);
  temporary_->DeleteRecord(id(1), session_);  // in memory
  Insert(10, Pattern(30, 10));
  Insert(20, Pattern(30, 20));
  Insert(30, Pattern(30, 31));
  ASSERT_EQ(temporary_->RecordCount(session_), 4);
  EXPECT_EQ(StoredBlobs(), 4u);
  const int ids[] = {0, 10, 20, 30};
  const uint8_t fills[] = {0, 10, 20, 31};
  for (int n = 0; n < 4; ++n) {
    std::vector<uint8_t> r = Read(id(n));
    EXPECT_EQ(GetInt(r, kId), ids[n]) << n;
    EXPECT_EQ(GetBlob(r, kPicture), Pattern(30, fills[n])) << n;
  }
}

TEST_F(TemporaryRecords, RecordsInTheFileAreRewrittenInPlace) {
  MakeTemporary(1, 2);
  for (int i = 0; i < 6; ++i) Insert(i, Pattern(40, static_cast<uint8_t>(i)));
  for (int i : {0, 2, 5}) {
    const TDVXRecordID id = TDVXTemporaryRecordManager::RecordIDOfNumber(i);
    std::vector<uint8_t> r = Read(id);
    SetInt(r, kId, 50 + i);
    SetBlob(r, kPicture, Pattern(60, static_cast<uint8_t>(50 + i)));
    temporary_->UpdateRecord(r.data(), id, session_);
  }
  EXPECT_EQ(StoredBlobs(), 6u);
  for (int i = 0; i < 6; ++i) {
    std::vector<uint8_t> r = Read(TDVXTemporaryRecordManager::RecordIDOfNumber(i));
    const bool changed = i == 0 || i == 2 || i == 5;
    EXPECT_EQ(GetInt(r, kId), changed ? 50 + i : i);
    EXPECT_EQ(GetBlob(r, kPicture), changed ? Pattern(60, static_cast<uint8_t>(50 + i)) : Pattern(40, static_cast<uint8_t>(i)));
  }
  std::vector<uint8_t> r = NewRecord();
  EXPECT_THAT([&] { temporary_->UpdateRecord(r.data(), TDVXTemporaryRecordManager::RecordIDOfNumber(6), session_); },
              ThrowsDvx(kErrTemporaryRecordNo));
}

TEST_F(TemporaryRecords, AFailedFileWriteLosesNoRecord) {
  MakeTemporary(0, 2);
  Insert(0);
  Insert(1);
  fs_.FailNthWrite(1);
  EXPECT_THAT([&] { Insert(2); }, ThrowsDvx());
  EXPECT_EQ(temporary_->RecordCount(session_), 2);
  Insert(2);
  Insert(3);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(GetInt(Read(TDVXTemporaryRecordManager::RecordIDOfNumber(i)), kId), i);
}

TEST_F(TemporaryRecords, EmptyingAndDestroyingDeleteTheFile) {
  MakeTemporary(0, 1);
  for (int i = 0; i < 3; ++i) Insert(i, Pattern(10, 1));
  std::string name = temporary_->FileName();
  ASSERT_TRUE(fs_.Exists(name));
  temporary_->Empty();
  EXPECT_FALSE(fs_.Exists(name));
  EXPECT_EQ(temporary_->RecordCount(session_), 0);
  EXPECT_EQ(StoredBlobs(), 0u);
  for (int i = 0; i < 3; ++i) Insert(i);
  name = temporary_->FileName();
  ASSERT_TRUE(fs_.Exists(name));
  temporary_.reset();
  EXPECT_FALSE(fs_.Exists(name));
}

}  // namespace
}  // namespace dvx::test
