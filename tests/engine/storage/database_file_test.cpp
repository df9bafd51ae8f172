// The database file object: state checks, modes and transfer failures.
#include "engine/storage/database_file.h"
#include "engine/storage/internal_file.h"
#include "engine/storage/internal_locked_file.h"
#include "tests/engine/storage/storage_test_util.h"

namespace dvx::test {
namespace {

class DatabaseFileTest : public ::testing::Test {
 protected:
  TDVXMemoryFileSystem fs_;
  TDVXDatabaseFile file_{fs_};
};

TEST_F(DatabaseFileTest, OperationsOnAClosedFileNameThemselves) {
  uint8_t buffer[4];
  EXPECT_THAT([&] { file_.ReadBuffer(buffer, 1, 0, 4); }, ThrowsDvx(30376, HasSubstr("Cannot perform this operation (ReadBuffer) on a closed file")));
  EXPECT_THAT([&] { file_.GetSize(); }, ThrowsDvx(30376));
  EXPECT_THAT([&] { file_.LockByte(296); }, ThrowsDvx(30376));
}

TEST_F(DatabaseFileTest, OpeningAnOpenFileIsRefused) {
  file_.CreateFile("a.dvx");
  uint8_t access = kAccessReadWrite, share = kShareExclusive;
  EXPECT_THAT([&] { file_.OpenFile("a.dvx", access, share); }, ThrowsDvx(30377, HasSubstr("(OpenFile) on a opened file")));
  EXPECT_THAT([&] { file_.CreateFile("b.dvx"); }, ThrowsDvx(30377));
}

TEST_F(DatabaseFileTest, BadNamesAndModesAreRefused) {
  EXPECT_THAT([&] { file_.CreateFile("  "); }, ThrowsDvx(30374));
  fs_.SetContents("a.dvx", {1});
  uint8_t access = 2, share = kShareExclusive;
  EXPECT_THAT([&] { file_.OpenFile("a.dvx", access, share); }, ThrowsDvx(30366));
  access = kAccessReadOnly;
  share = 7;
  EXPECT_THAT([&] { file_.OpenFile("a.dvx", access, share); }, ThrowsDvx(30367));
  share = kShareDenyNone;
  EXPECT_THAT([&] { file_.OpenFile("none.dvx", access, share); }, ThrowsDvx(11351, HasSubstr("Error - database file 'none.dvx' does not exists")));
}

TEST_F(DatabaseFileTest, ReadOnlyAttributeForcesReadOnlyAccess) {
  fs_.SetContents("a.dvx", {1, 2, 3});
  fs_.SetReadOnly("a.dvx", true);
  uint8_t access = kAccessReadWrite, share = kShareDenyNone;
  file_.OpenFile("a.dvx", access, share);
  EXPECT_EQ(access, kAccessReadOnly);
  EXPECT_THAT([&] { file_.WriteBuffer("x", 4242, 0, 1); }, ThrowsDvx(4242));
}

TEST_F(DatabaseFileTest, ShortReadIsAnErrorWithTheCallersCode) {
  fs_.SetContents("a.dvx", {1, 2, 3});
  uint8_t access = kAccessReadOnly, share = kShareDenyNone;
  file_.OpenFile("a.dvx", access, share);
  uint8_t buffer[8];
  EXPECT_THAT([&] { file_.ReadBuffer(buffer, 10466, 1, 8); }, ThrowsDvx(10466, ::testing::AllOf(HasSubstr("Position = 1, Count = 8"), HasSubstr("FileSize = 3"))));
  file_.ReadBuffer(buffer, 10466, 1, 2);
  EXPECT_EQ(buffer[1], 3);
  EXPECT_THAT([&] { file_.Seek(0, -1); }, ThrowsDvx(30372));
}

TEST_F(DatabaseFileTest, FailedFlushCarriesItsCode) {
  file_.CreateFile("a.dvx");
  fs_.FailNthFlush(1);
  EXPECT_THAT([&] { file_.FlushFileBuffers(); }, ThrowsDvx(30379));
  file_.FlushFileBuffers();
}

class InternalFileStateTest : public TDiskFixture {};

TEST_F(InternalFileStateTest, ClosedAndMisplacedInternalFilesAreRefused) {
  auto pm = Create(512, 8);
  TDVXInternalDBFile cached(*pm, PageTypeIDTableList);
  EXPECT_THAT([&] { cached.ReadFile(1); }, ThrowsDvx(30389, HasSubstr("(ReadFile) on closed internal file")));
  EXPECT_THAT([&] { cached.Open(2, false); }, ThrowsDvx(10698));
  TDVXInternalLockedDBFile direct(*pm, PageTypeIDTableLocks);
  EXPECT_THAT([&] { direct.Open(3); }, ThrowsDvx(10697));
  uint8_t b;
  EXPECT_THAT([&] { direct.DirectReadBuffer(&b, 1, 0); }, ThrowsDvx(10642));
}

}  // namespace
}  // namespace dvx::test
