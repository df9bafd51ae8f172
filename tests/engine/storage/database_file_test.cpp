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
  std::string message;
  uint8_t buffer[4];
  EXPECT_EQ(NativeOf([&] { file_.ReadBuffer(buffer, 1, 0, 4); }, &message), 30376);
  EXPECT_NE(message.find("Cannot perform this operation (ReadBuffer) on a closed file"), std::string::npos);
  EXPECT_EQ(NativeOf([&] { file_.GetSize(); }), 30376);
  EXPECT_EQ(NativeOf([&] { file_.LockByte(296); }), 30376);
}

TEST_F(DatabaseFileTest, OpeningAnOpenFileIsRefused) {
  file_.CreateFile("a.dvx");
  uint8_t access = kAccessReadWrite, share = kShareExclusive;
  std::string message;
  EXPECT_EQ(NativeOf([&] { file_.OpenFile("a.dvx", access, share); }, &message), 30377);
  EXPECT_NE(message.find("(OpenFile) on a opened file"), std::string::npos);
  EXPECT_EQ(NativeOf([&] { file_.CreateFile("b.dvx"); }), 30377);
}

TEST_F(DatabaseFileTest, BadNamesAndModesAreRefused) {
  EXPECT_EQ(NativeOf([&] { file_.CreateFile("  "); }), 30374);
  fs_.SetContents("a.dvx", {1});
  uint8_t access = 2, share = kShareExclusive;
  EXPECT_EQ(NativeOf([&] { file_.OpenFile("a.dvx", access, share); }), 30366);
  access = kAccessReadOnly;
  share = 7;
  EXPECT_EQ(NativeOf([&] { file_.OpenFile("a.dvx", access, share); }), 30367);
  share = kShareDenyNone;
  std::string message;
  EXPECT_EQ(NativeOf([&] { file_.OpenFile("none.dvx", access, share); }, &message), 11351);
  EXPECT_NE(message.find("Error - database file 'none.dvx' does not exists"), std::string::npos);
}

TEST_F(DatabaseFileTest, ReadOnlyAttributeForcesReadOnlyAccess) {
  fs_.SetContents("a.dvx", {1, 2, 3});
  fs_.SetReadOnly("a.dvx", true);
  uint8_t access = kAccessReadWrite, share = kShareDenyNone;
  file_.OpenFile("a.dvx", access, share);
  EXPECT_EQ(access, kAccessReadOnly);
  EXPECT_EQ(NativeOf([&] { file_.WriteBuffer("x", 4242, 0, 1); }), 4242);
}

TEST_F(DatabaseFileTest, ShortReadIsAnErrorWithTheCallersCode) {
  fs_.SetContents("a.dvx", {1, 2, 3});
  uint8_t access = kAccessReadOnly, share = kShareDenyNone;
  file_.OpenFile("a.dvx", access, share);
  uint8_t buffer[8];
  std::string message;
  EXPECT_EQ(NativeOf([&] { file_.ReadBuffer(buffer, 10466, 1, 8); }, &message), 10466);
  EXPECT_NE(message.find("Position = 1, Count = 8"), std::string::npos) << message;
  EXPECT_NE(message.find("FileSize = 3"), std::string::npos) << message;
  file_.ReadBuffer(buffer, 10466, 1, 2);
  EXPECT_EQ(buffer[1], 3);
  EXPECT_EQ(NativeOf([&] { file_.Seek(0, -1); }), 30372);
}

TEST_F(DatabaseFileTest, FailedFlushCarriesItsCode) {
  file_.CreateFile("a.dvx");
  fs_.FailNthFlush(1);
  EXPECT_EQ(NativeOf([&] { file_.FlushFileBuffers(); }), 30379);
  file_.FlushFileBuffers();
}

class InternalFileStateTest : public TDiskFixture {};

TEST_F(InternalFileStateTest, ClosedAndMisplacedInternalFilesAreRefused) {
  auto pm = Create(512, 8);
  TDVXInternalDBFile cached(*pm, PageTypeIDTableList);
  std::string message;
  EXPECT_EQ(NativeOf([&] { cached.ReadFile(1); }, &message), 30389);
  EXPECT_NE(message.find("(ReadFile) on closed internal file"), std::string::npos);
  EXPECT_EQ(NativeOf([&] { cached.Open(2, false); }), 10698);
  TDVXInternalLockedDBFile direct(*pm, PageTypeIDTableLocks);
  EXPECT_EQ(NativeOf([&] { direct.Open(3); }), 10697);
  uint8_t b;
  EXPECT_EQ(NativeOf([&] { direct.DirectReadBuffer(&b, 1, 0); }), 10642);
}

}  // namespace
}  // namespace dvx::test
