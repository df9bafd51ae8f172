// Records of a disk table: page layouts for small and large records, slots,
// navigation, record numbers and RecordID numbers, updates and deletes,
// commits, cancels and reopening.
#include <gtest/gtest.h>

#include "engine/storage/record_errors.h"
#include "table_storage_harness.h"

namespace dvx::test {
namespace {

// One BYTES field after the one-byte null bitmap: records of `size` bytes.
class FixedRecords : public TTableStorageFixture {
 protected:
  void CreateWithRecordSize(int size, int pageSize = 4096) {
    fields_.Add("Data", aftBytes, size - 1);
    CreateTable(pageSize);
  }
  TDVXRecordID InsertBytes(uint8_t fill) {
    std::vector<uint8_t> buffer = NewRecord();
    std::vector<uint8_t> bytes(static_cast<size_t>(fields_.Items(0)->MemoryDataSize()), fill);
    SetFieldData(0, fields_, bytes.data(), buffer.data());
    return rm_->InsertRecord(buffer.data(), session_);
  }
  uint8_t FillOf(const TDVXRecordID& id) {
    std::vector<uint8_t> buffer = Read(id);
    return buffer[static_cast<size_t>(fields_.Items(0)->MemoryOffset())];
  }
};

TEST_F(FixedRecords, RecordsOf2027BytesShareAPage) {
  CreateWithRecordSize(2027);
  EXPECT_FALSE(rm_->LargeRecords());
  EXPECT_EQ(2, rm_->RecordsPerPage());
  TDVXRecordID a = InsertBytes(1), b = InsertBytes(2);
  EXPECT_EQ(a.pageNo, b.pageNo);
  EXPECT_EQ(0, a.itemNo);
  EXPECT_EQ(1, b.itemNo);
  EXPECT_NE(a.pageNo, InsertBytes(3).pageNo);
  EXPECT_EQ(2, FillOf(b));
}

TEST_F(FixedRecords, RecordsOf2028BytesTakeAChainEach) {
  CreateWithRecordSize(2028);
  EXPECT_TRUE(rm_->LargeRecords());
  EXPECT_EQ(1, rm_->RecordsPerPage());
  TDVXRecordID a = InsertBytes(1), b = InsertBytes(2);
  EXPECT_NE(a.pageNo, b.pageNo);
  EXPECT_EQ(0, b.itemNo);
  EXPECT_EQ(1, FillOf(a));
  EXPECT_EQ(2, FillOf(b));
  EXPECT_EQ(2, rm_->RecordCount(session_));
}

TEST_F(FixedRecords, ALargeRecordSpansItsChainAndGoesWithIt) {
  CreateWithRecordSize(10000);
  EXPECT_EQ(3, rm_->Layout().ChainPages());
  std::vector<uint8_t> buffer = NewRecord();
  std::vector<uint8_t> bytes = Pattern(9999, 5);
  SetFieldData(0, fields_, bytes.data(), buffer.data());
  TDVXRecordID id = rm_->InsertRecord(buffer.data(), session_);
  Commit();
  std::vector<uint8_t> back = Read(id);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), back.begin() + fields_.Items(0)->MemoryOffset()));
  // First page kind 0 with value 1, the others kind 1 with value 0.
  TDVXTablePageKind kind;
  EXPECT_EQ(1, rm_->Maps().PageValue(session_, id.pageNo, &kind));
  EXPECT_EQ(tpkRecords, kind);
  int32_t next = ReadI32(FilePage(id.pageNo), 10);
  EXPECT_EQ(0, rm_->Maps().PageValue(session_, next, &kind));
  EXPECT_EQ(tpkContinuation, kind);
  EXPECT_TRUE(CheckFile().empty());
  rm_->DeleteRecord(id, session_);
  Commit();
  EXPECT_EQ(kPageValueFree, rm_->Maps().PageValue(session_, next));
  EXPECT_EQ(0, rm_->RecordCount(session_));
  EXPECT_TRUE(CheckFile().empty()) << ::testing::PrintToString(CheckFile());
}

TEST_F(FixedRecords, TenRecordsFillAPageAndDeletingThemRemovesIt) {
  CreateWithRecordSize(400);
  ASSERT_EQ(10, rm_->RecordsPerPage());
  std::vector<TDVXRecordID> ids;
  for (int i = 0; i < 10; ++i) ids.push_back(InsertBytes(static_cast<uint8_t>(i)));
  for (const auto& id : ids) EXPECT_EQ(ids[0].pageNo, id.pageNo);
  TDVXRecordID eleventh = InsertBytes(10);
  EXPECT_NE(ids[0].pageNo, eleventh.pageNo);
  EXPECT_EQ(0, eleventh.itemNo);
  Commit();
  EXPECT_EQ(10, rm_->Maps().PageValue(session_, ids[0].pageNo));
  for (const auto& id : ids) rm_->DeleteRecord(id, session_);
  Commit();
  EXPECT_EQ(kPageValueFree, rm_->Maps().PageValue(session_, ids[0].pageNo));
  EXPECT_EQ(1, rm_->RecordCount(session_));
  EXPECT_EQ(std::vector<TDVXRecordID>{eleventh}, Walk());
  EXPECT_TRUE(CheckFile().empty()) << ::testing::PrintToString(CheckFile());
}

TEST_F(FixedRecords, AFreedSlotIsFoundAgainByTheSearch) {
  CreateWithRecordSize(400);
  std::vector<TDVXRecordID> ids;
  for (int i = 0; i < 25; ++i) ids.push_back(InsertBytes(static_cast<uint8_t>(i)));
  rm_->DeleteRecord(ids[4], session_);
  rm_->DeleteRecord(ids[13], session_);
  EXPECT_EQ(ids[4], InsertBytes(100));
  EXPECT_EQ(ids[13], InsertBytes(101));
  EXPECT_EQ(100, FillOf(ids[4]));
  EXPECT_EQ(ids[24].pageNo, InsertBytes(102).pageNo);
}

TEST_F(FixedRecords, RecordNumbersCountInRecordIDOrderBothWays) {
  CreateWithRecordSize(400);
  std::vector<TDVXRecordID> ids;
  for (int i = 0; i < 35; ++i) ids.push_back(InsertBytes(static_cast<uint8_t>(i)));
  rm_->DeleteRecord(ids[3], session_);
  rm_->DeleteRecord(ids[20], session_);
  std::vector<TDVXRecordID> walk = Walk();
  ASSERT_EQ(33u, walk.size());
  EXPECT_EQ(33, rm_->RecordCount(session_));
  for (size_t i = 0; i < walk.size(); ++i) {
    EXPECT_EQ(static_cast<int64_t>(i + 1), rm_->RecordNoOf(walk[i], session_));
    EXPECT_EQ(walk[i], rm_->RecordIDOf(static_cast<int64_t>(i + 1), session_));
  }
  EXPECT_EQ(walk.back(), rm_->RecordIDOf(rm_->RecordCount(session_), session_));
  EXPECT_EQ(kNoRecordID, rm_->RecordIDOf(34, session_));
  EXPECT_EQ(kNoRecordID, rm_->RecordIDOf(0, session_));
  EXPECT_EQ(-1, rm_->RecordNoOf(ids[3], session_));
}

TEST_F(FixedRecords, NavigationStepsThroughPagesAndStopsAtTheEnds) {
  CreateWithRecordSize(400);
  std::vector<TDVXRecordID> ids;
  for (int i = 0; i < 23; ++i) ids.push_back(InsertBytes(static_cast<uint8_t>(i)));
  EXPECT_EQ(ids, Walk());
  TDVXRecordID id = kNoRecordID;
  ASSERT_EQ(grrDone, Step(grmPrior, id, false, true));
  EXPECT_EQ(ids.back(), id);
  for (int i = 21; i >= 0; --i) {
    ASSERT_EQ(grrDone, Step(grmPrior, id));
    EXPECT_EQ(ids[static_cast<size_t>(i)], id);
  }
  EXPECT_EQ(grrBOF, Step(grmPrior, id));
  id = ids.back();
  EXPECT_EQ(grrEOF, Step(grmNext, id));
  // From a deleted record the walk goes on where it stood.
  rm_->DeleteRecord(ids[10], session_);
  id = ids[10];
  EXPECT_EQ(grrError, Step(grmCurrent, id));
  ASSERT_EQ(grrDone, Step(grmNext, id));
  EXPECT_EQ(ids[11], id);
  id = ids[10];
  ASSERT_EQ(grrDone, Step(grmPrior, id));
  EXPECT_EQ(ids[9], id);
  id = ids[5];
  ASSERT_EQ(grrDone, Step(grmCurrent, id));
  EXPECT_EQ(5, FillOf(id));
  EXPECT_EQ(grrError, Step(grmCurrent, id, true));
}

TEST_F(FixedRecords, AnEmptyTableHasNoRecordsToStepTo) {
  CreateWithRecordSize(100);
  TDVXRecordID id = kNoRecordID;
  EXPECT_EQ(grrEOF, Step(grmNext, id, true));
  EXPECT_EQ(grrBOF, Step(grmPrior, id, false, true));
  EXPECT_EQ(grrBOF, Step(grmPrior, id, true));
  EXPECT_EQ(grrEOF, Step(grmNext, id, false, true));
  EXPECT_EQ(grrError, Step(grmCurrent, id, true));
  EXPECT_FALSE(rm_->RecordExists({5, 0}, session_));
  EXPECT_EQ(0, rm_->RecordCount(session_));
  EXPECT_EQ(kNoRecordID, rm_->RecordIDOf(1, session_));
}

TEST_F(FixedRecords, UpdatesOverwriteInPlaceAndDeletedRecordsAreRefused) {
  CreateWithRecordSize(400);
  TDVXRecordID a = InsertBytes(1), b = InsertBytes(2);
  std::vector<uint8_t> buffer = Read(a);
  buffer[static_cast<size_t>(fields_.Items(0)->MemoryOffset())] = 77;
  rm_->UpdateRecord(buffer.data(), a, session_);
  EXPECT_EQ(77, FillOf(a));
  EXPECT_EQ(2, FillOf(b));
  rm_->DeleteRecord(a, session_);
  EXPECT_FALSE(rm_->RecordExists(a, session_));
  EXPECT_TRUE(rm_->RecordExists(b, session_));
  EXPECT_THAT([&] { rm_->UpdateRecord(buffer.data(), a, session_); }, ThrowsDvx(kErrRecordDeleted));
  EXPECT_THAT([&] { rm_->DeleteRecord(a, session_); },
              ThrowsDvx(kErrRecordDeleted, "Error loading record - record is deleted. TableName = 'Remedies', PageNo = " +
                                               std::to_string(a.pageNo) + ", PageItemNo = 0"));
  EXPECT_THAT([&] { rm_->DeleteRecord({a.pageNo, 10}, session_); }, ThrowsDvx(kErrReadSlotBeyondPage));
  rm_->DeleteRecord(b, session_);
  EXPECT_THAT([&] { rm_->DeleteRecord(b, session_); }, ThrowsDvx(kErrDeletePageCountFree));
  EXPECT_FALSE(rm_->RecordExists({-1, 0}, session_));
}

TEST_F(FixedRecords, CommittedRecordsSurviveReopeningAndCancelledOnesVanish) {
  CreateWithRecordSize(300);
  std::vector<TDVXRecordID> ids;
  for (int i = 0; i < 30; ++i) ids.push_back(InsertBytes(static_cast<uint8_t>(i)));
  Commit();
  for (int i = 0; i < 20; ++i) InsertBytes(200);
  rm_->DeleteRecord(ids[0], session_);
  Cancel();
  EXPECT_EQ(30, rm_->RecordCount(session_));
  Reopen();
  EXPECT_EQ(30, rm_->RecordCount(session_));
  EXPECT_EQ(ids, Walk());
  for (int i = 0; i < 30; ++i) EXPECT_EQ(i, FillOf(ids[static_cast<size_t>(i)]));
  EXPECT_TRUE(CheckFile().empty()) << ::testing::PrintToString(CheckFile());
}

TEST_F(FixedRecords, FreeAllPagesGivesEveryPageBack) {
  CreateWithRecordSize(300, 512);
  for (int i = 0; i < 200; ++i) InsertBytes(static_cast<uint8_t>(i));
  Commit();
  const int32_t pagesBefore = db_->PageManager().GetPageCount();
  EXPECT_GT(rm_->Maps().Entries().size(), 1u);
  rm_->FreeAllPages(session_);
  Commit();
  EXPECT_EQ(0, rm_->RecordCount(session_));
  EXPECT_TRUE(Walk().empty());
  EXPECT_LT(db_->PageManager().GetPageCount(), pagesBefore);
  EXPECT_TRUE(CheckFile().empty()) << ::testing::PrintToString(CheckFile());
  EXPECT_EQ(0, InsertBytes(9).itemNo);
}

TEST_F(FixedRecords, AManagerNeedsAPageManagerAndFields) {
  CreateWithRecordSize(100);
  EXPECT_THAT([&] { TDVXDiskRecordManager(session_, info_, nullptr, table_.pfsMapFirstPageNo, true); },
              ThrowsDvx(kErrRecordNilPointer, "Nil pointer occured"));
  TDVXStorageTableInfo noFields = info_;
  noFields.fields = nullptr;
  EXPECT_THAT([&] { TDVXDiskRecordManager(session_, noFields, &PM(), table_.pfsMapFirstPageNo, true); },
              ThrowsDvx(kErrRecordNilFields));
}

TEST(RecordIDNumbers, TenRecordsPerPageUseFourBits) {
  EXPECT_EQ(4, RecordIDBitLength(10));
  EXPECT_EQ(1, RecordIDBitLength(1));
  EXPECT_EQ(83, RecordIDToNumber({5, 3}, 10));
  EXPECT_EQ((TDVXRecordID{5, 3}), NumberToRecordID(83, 10));
  EXPECT_EQ(-1, CompareRecordIDs({5, 3}, {5, 7}));
  EXPECT_EQ(1, CompareRecordIDs({6, 0}, {5, 7}));
  EXPECT_EQ(0, CompareRecordIDs({6, 2}, {6, 2}));
  EXPECT_EQ(-1, CompareRecordIDs({-1, 9}, {0, 0}));
  EXPECT_EQ(1, CompareRecordIDs({3, 40000}, {3, 2}));
}

TEST(RecordIDNumbers, LargeFilesKeepEveryNumberApartAndRoundTrip) {
  // Computed in 32 bits, (2^28, 1) and (0, 1) would share a number.
  EXPECT_NE(RecordIDToNumber({1 << 28, 1}, 10), RecordIDToNumber({0, 1}, 10));
  for (TDVXRecordID id : {TDVXRecordID{INT32_MAX, 9}, TDVXRecordID{1 << 28, 1}, TDVXRecordID{-1, 0},
                          TDVXRecordID{123456, 0}}) {
    EXPECT_EQ(id, NumberToRecordID(RecordIDToNumber(id, 10), 10));
    TDVXRecordID large{id.pageNo, 0};
    EXPECT_EQ(large, NumberToRecordID(RecordIDToNumber(large, 1), 1));
  }
  EXPECT_EQ(int64_t{INT32_MAX} * 16 + 9, RecordIDToNumber({INT32_MAX, 9}, 10));
}

TEST(RecordPageLayout, RecordsPerPageLeaveRoomForTheBitmap) {
  TDVXRecordPageLayout ten = TDVXRecordPageLayout::For(400, 4056);
  EXPECT_EQ(10, ten.recordsPerPage);
  EXPECT_EQ(2, ten.bitmapSize);
  // 4056 / 8 = 507 slots would leave no room for their bitmap; 500 still
  // need 63 bytes of it and 4000 of slots, one byte too many.
  TDVXRecordPageLayout small = TDVXRecordPageLayout::For(8, 4056);
  EXPECT_EQ(499, small.recordsPerPage);
  EXPECT_LE(small.bitmapSize + 8 * small.recordsPerPage, 4056);
  EXPECT_TRUE(TDVXRecordPageLayout::For(2028, 4056).large);
  EXPECT_FALSE(TDVXRecordPageLayout::For(2027, 4056).large);
  EXPECT_THAT([] { TDVXRecordPageLayout::For(0, 4056); },
              ThrowsDvx(kErrRecordsPerPage, HasSubstr("Error calculating records per page.")));
}

}  // namespace
}  // namespace dvx::test
