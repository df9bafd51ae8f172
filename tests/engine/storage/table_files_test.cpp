// The table PFS map, stream files and session-slot files.
#include "engine/storage/disk_database_storage.h"
#include "engine/storage/table_files.h"
#include "tests/engine/storage/storage_test_util.h"

namespace dvx::test {
namespace {

class TableFilesTest : public TDiskFixture {
 protected:
  void SetUp() override {
    TDVXDiskDatabaseStorage(kFile, FastLocks(), fs_).CreateDatabase(512, 8, 3);
    db_ = std::make_unique<TDVXDiskDatabaseStorage>(kFile, FastLocks(), fs_);
    TDVXCryptoInfo crypto;
    db_->OpenDatabase(false, true, crypto);
    record_ = db_->CreateTableFiles("Herbs");
  }
  std::unique_ptr<TDVXDiskDatabaseStorage> db_;
  TDVXTableListRecord record_;
};

TEST_F(TableFilesTest, NewTableHasAnEmptyPFSMapAndALocksFileOfElevenBytesPerSession) {
  TDVXTablePFSMapFile map(db_->PageManager());
  map.Open(record_.pfsMapFirstPageNo);
  map.Load(1);
  EXPECT_EQ(map.State().pageNoLimit, 0);
  EXPECT_TRUE(map.State().entries.empty());
  TDVXTableLocksFile locks(db_->PageManager(), 3);
  locks.Open(record_.locksFirstPageNo);
  EXPECT_EQ(locks.File().FileSize(), 33);
  TDVXActiveSessionsFile sessions(db_->PageManager());
  sessions.Open(db_->SystemDirectory().Find(kActiveSessionsFileID));
  EXPECT_EQ(sessions.MaxSessionCount(), 3);
}

TEST_F(TableFilesTest, PFSMapRoundTripsWithItsByteLayout) {
  auto& pm = db_->PageManager();
  TDVXTablePFSMapFile map(pm);
  map.Open(record_.pfsMapFirstPageNo);
  map.State().pageNoLimit = 77;
  map.State().entries = {{10, 5}, {-1, 0}};
  map.Save(1);
  pm.ApplyChanges(1);
  auto b = Bytes();
  size_t data = 298 + static_cast<size_t>(record_.pfsMapFirstPageNo) * 512 + 40;
  EXPECT_EQ(ReadI32(b, data + 4), 20);  // FileSize 4 + 2 × 8
  EXPECT_EQ(ReadI32(b, data + 12), 77);
  EXPECT_EQ(ReadI32(b, data + 16), 10);
  EXPECT_EQ(ReadI32(b, data + 20), 5);
  EXPECT_EQ(ReadI32(b, data + 24), -1);
  TDVXTablePFSMapFile again(pm);
  again.Open(record_.pfsMapFirstPageNo);
  again.Load(2);
  EXPECT_EQ(again.State().pageNoLimit, 77);
  ASSERT_EQ(again.State().entries.size(), 2u);
  EXPECT_EQ(again.State().entries[0].recordCount, 5);
}

TEST_F(TableFilesTest, PFSMapOfABadSizeIsRefused) {
  auto& pm = db_->PageManager();
  TDVXInternalDBFile raw(pm, PageTypeIDTablePFSMap);
  raw.Open(record_.pfsMapFirstPageNo, false);
  raw.ReadFile(1);
  raw.SetSize(7);
  raw.WriteFile(1);
  pm.ApplyChanges(1);
  TDVXTablePFSMapFile map(pm);
  map.Open(record_.pfsMapFirstPageNo);
  EXPECT_THAT([&] { map.Load(1); }, ThrowsDvx(10482));
}

TEST_F(TableFilesTest, StreamFilesKeepTheirStream) {
  auto& pm = db_->PageManager();
  TDVXTableMetadataFile metadata(pm);
  metadata.Open(record_.metadataFirstPageNo);
  TDVXMemoryStream out;
  for (int i = 0; i < 300; ++i) out.WriteI32(i * 3);
  metadata.WriteStream(1, out);
  pm.ApplyChanges(1);
  TDVXTableMetadataFile again(pm);
  again.Open(record_.metadataFirstPageNo);
  auto in = again.ReadStream(2);
  ASSERT_EQ(in.Size(), 1200u);
  in.SetPosition(4 * 299);
  EXPECT_EQ(in.ReadI32(), 897);
}

}  // namespace
}  // namespace dvx::test
