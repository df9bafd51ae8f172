// Internal files, the system directory, the table list and the database
// level table files.
#include "engine/storage/database_checker.h"
#include "engine/storage/disk_database_storage.h"
#include "engine/storage/internal_file.h"
#include "engine/storage/internal_locked_file.h"
#include "tests/engine/storage/storage_test_util.h"

namespace dvx::test {
namespace {

class InternalFileTest : public TDiskFixture {
 protected:
  std::unique_ptr<TDVXDiskDatabaseStorage> NewDatabase(int pageSize = 512, int32_t sessions = 2) {
    TDVXDiskDatabaseStorage(kFile, FastLocks(), fs_).CreateDatabase(pageSize, 8, sessions);
    auto db = std::make_unique<TDVXDiskDatabaseStorage>(kFile, FastLocks(), fs_);
    TDVXCryptoInfo crypto;
    db->OpenDatabase(false, true, crypto);
    return db;
  }
  std::vector<std::string> Problems(TDVXDiskPageManager& pm) { return TDVXDatabaseChecker(pm).Check(); }
  // 1200 bytes on 512-byte pages: a committed file of three pages.
  static void CommitThreePageFile(TDVXDiskPageManager& pm, TDVXInternalDBFile& file) {
    file.Create(1, 9);
    file.SetSize(1200);
    file.WriteFile(1);
    pm.ApplyChanges(1);
  }
};

TEST_F(InternalFileTest, NewDatabaseHasItsDirectoryAndFilesByteForByte) {
  TDVXDiskDatabaseStorage(kFile, FastLocks(), fs_).CreateDatabase(512, 8, 2);
  auto b = Bytes();
  ASSERT_EQ(b.size(), 298u + 6 * 512);
  size_t dir = 298 + 3 * 512;
  EXPECT_EQ(ReadU16(b, dir + 8), PageTypeIDFileSystemDirectory);
  EXPECT_EQ(ReadI32(b, dir + 22), -2);
  EXPECT_EQ(std::string(b.begin() + dir + 40, b.begin() + dir + 44), "DVSF");
  EXPECT_EQ(ReadI32(b, dir + 44), 10);
  // FileID 2 first (active sessions on page 4), then FileID 1 (table list).
  EXPECT_EQ(b[dir + 52], 2);
  EXPECT_EQ(ReadI32(b, dir + 53), 4);
  EXPECT_EQ(b[dir + 57], 1);
  EXPECT_EQ(ReadI32(b, dir + 58), 5);
  size_t sessions = 298 + 4 * 512;
  EXPECT_EQ(ReadU16(b, sessions + 8), PageTypeIDActiveSessionList);
  EXPECT_EQ(ReadI32(b, sessions + 22), -3);
  EXPECT_EQ(ReadI32(b, sessions + 44), 2);  // MaxSessionCount bytes
  size_t list = 298 + 5 * 512;
  EXPECT_EQ(ReadI32(b, list + 22), -4);
  EXPECT_EQ(ReadI32(b, list + 44), 0);
}

TEST_F(InternalFileTest, ContentFillingTheFirstPageExactlyStaysOnOnePage) {
  auto db = NewDatabase();
  auto& pm = db->PageManager();
  TDVXInternalDBFile file(pm, DVXPageTypeIDTableMetadata);
  file.Create(1, 9);
  file.SetSize(512 - 40 - 12);
  for (size_t i = 0; i < file.Content().size(); ++i) file.Content()[i] = static_cast<uint8_t>(i);
  file.WriteFile(1);
  EXPECT_EQ(file.Chain().size(), 1u);
  file.Content().push_back(0xEE);
  file.WriteFile(1);
  ASSERT_EQ(file.Chain().size(), 2u);
  pm.ApplyChanges(1);
  auto b = Bytes();
  size_t second = 298 + static_cast<size_t>(file.Chain()[1]) * 512;
  EXPECT_EQ(ReadI32(b, second + 10), -1);
  EXPECT_EQ(ReadU16(b, second + 8), DVXPageTypeIDTableMetadata);
  EXPECT_EQ(b[second + 40], 0xEE);
  TDVXInternalDBFile again(pm, DVXPageTypeIDTableMetadata);
  again.Open(file.FirstPageNo(), false);
  again.ReadFile(2);
  EXPECT_EQ(again.Content(), file.Content());
}

TEST_F(InternalFileTest, ShrinkingFromThreePagesToOneRemovesTwoAtCommit) {
  auto db = NewDatabase();
  auto& pm = db->PageManager();
  TDVXInternalDBFile file(pm, DVXPageTypeIDTableMetadata);
  CommitThreePageFile(pm, file);
  ASSERT_EQ(file.Chain().size(), 3u);
  int32_t count = pm.GetPageCount();
  file.SetSize(10);
  file.WriteFile(1);
  EXPECT_EQ(pm.GetPageCount(), count);
  pm.ApplyChanges(1);
  EXPECT_EQ(pm.GetPageCount(), count - 2);
  TDVXDatabaseChecker checker(pm);
  EXPECT_TRUE(checker.Check().empty());
  // The test file belongs to no table: an unowned page, not a problem.
  EXPECT_EQ(checker.UnownedPages(), std::vector<int32_t>{file.FirstPageNo()});
}

TEST_F(InternalFileTest, CorruptChainsAreReportedNotFollowed) {
  auto db = NewDatabase();
  auto& pm = db->PageManager();
  TDVXInternalDBFile file(pm, DVXPageTypeIDTableMetadata);
  CommitThreePageFile(pm, file);
  int32_t last = file.Chain()[2];
  db->CloseDatabase();
  auto b = Bytes();
  WriteI32(b, 298 + static_cast<size_t>(last) * 512 + 10, file.FirstPageNo());  // cycle
  fs_.SetContents(kFile, b);
  auto pm2 = Open();
  TDVXInternalDBFile cyclic(*pm2, DVXPageTypeIDTableMetadata);
  cyclic.Open(file.FirstPageNo(), false);
  cyclic.SetSize(0);
  EXPECT_NO_THROW(cyclic.ReadFile(1)) << "size bounds the read";
  WriteI32(b, 298 + static_cast<size_t>(file.FirstPageNo()) * 512 + 44, 3000);  // larger than the chain
  pm2.reset();
  fs_.SetContents(kFile, b);
  pm2 = Open();
  TDVXInternalDBFile big(*pm2, DVXPageTypeIDTableMetadata);
  big.Open(file.FirstPageNo(), false);
  EXPECT_THAT([&] { big.ReadFile(1); }, ThrowsDvx(10482));
  WriteI32(b, 298 + static_cast<size_t>(file.FirstPageNo()) * 512 + 44, 0x7fffffff);
  pm2.reset();
  fs_.SetContents(kFile, b);
  pm2 = Open();
  TDVXInternalDBFile huge(*pm2, DVXPageTypeIDTableMetadata);
  huge.Open(file.FirstPageNo(), false);
  EXPECT_THAT([&] { huge.ReadFile(1); }, ThrowsDvx(10663));
  TDVXInternalDBFile wrongType(*pm2, PageTypeIDTableList);
  wrongType.Open(file.FirstPageNo(), false);
  EXPECT_THAT([&] { wrongType.ReadFile(1); }, ThrowsDvx(10643));
}

TEST_F(InternalFileTest, DirectFileTransfersCrossPagesAndEndOnTheChainsEnd) {
  auto db = NewDatabase();
  auto& pm = db->PageManager();
  const int64_t size = 2 * 472 - 12;  // fills two data areas exactly
  TDVXInternalLockedDBFile file(pm, PageTypeIDTableLocks);
  file.Create(size, 4);
  ASSERT_EQ(file.Chain().size(), 2u);
  std::vector<uint8_t> data(static_cast<size_t>(size));
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
  file.DirectWriteBuffer(data.data(), size, 0);
  TDVXInternalLockedDBFile reopened(pm, PageTypeIDTableLocks);
  reopened.Open(file.FirstPageNo());
  EXPECT_EQ(reopened.FileSize(), size);
  std::vector<uint8_t> back(data.size());
  reopened.DirectReadBuffer(back.data(), size, 0);  // ends on the chain's end
  EXPECT_EQ(back, data);
  uint8_t one;
  EXPECT_THAT([&] { reopened.DirectReadBuffer(&one, 1, size); }, ThrowsDvx(10647));
  EXPECT_THAT([&] { reopened.DirectReadBuffer(back.data(), 2, size - 1); }, ThrowsDvx(10648));
  EXPECT_THAT([&] { reopened.DirectWriteBuffer(&one, -1, 0); }, ThrowsDvx(10651));
  EXPECT_THAT([&] { reopened.LockByte(size); }, ThrowsDvx(10655));
}

TEST_F(InternalFileTest, DirectFileByteLocksAreSeenByAnotherOpen) {
  TDVXDiskDatabaseStorage(kFile, FastLocks(), fs_).CreateDatabase(512, 8, 4);
  TDVXDiskDatabaseStorage a(kFile, FastLocks(), fs_), b(kFile, FastLocks(), fs_);
  TDVXCryptoInfo crypto;
  a.OpenDatabase(false, false, crypto);
  b.OpenDatabase(false, false, crypto);
  EXPECT_EQ(a.MaxSessionCount(), 4);
  ASSERT_TRUE(a.ActiveSessionsFile().LockByte(2));
  EXPECT_TRUE(b.ActiveSessionsFile().IsByteLocked(2));
  EXPECT_FALSE(b.ActiveSessionsFile().IsByteLocked(1));
  EXPECT_FALSE(b.ActiveSessionsFile().LockByte(2));
  EXPECT_TRUE(b.ActiveSessionsFile().IsRegionLocked(0, 4));
  a.ActiveSessionsFile().UnlockByte(2);
  EXPECT_FALSE(b.ActiveSessionsFile().IsByteLocked(2));
}

TEST_F(InternalFileTest, TablesAreCreatedRenamedAndDroppedWithTheirFiles) {
  auto db = NewDatabase();
  auto herbs = db->CreateTableFiles("Herbs");
  EXPECT_EQ(herbs.tableID, 1);
  auto roots = db->CreateTableFiles("Roots");
  EXPECT_EQ(roots.tableID, 2);
  EXPECT_TRUE(Problems(db->PageManager()).empty());
  EXPECT_THAT([&] { db->RenameTable("roots", "HERBS"); }, ThrowsDvx(10787));
  db->RenameTable("roots", "Barks");
  EXPECT_EQ(db->TableNames(), (std::vector<std::string>{"Herbs", "Barks"}));
  // Same name in another case replaces the table.
  std::string dropped;
  auto again = db->CreateTableFiles("HERBS", [&](const TDVXTableListRecord& r) { dropped = r.tableName; });
  EXPECT_EQ(dropped, "Herbs");
  EXPECT_EQ(again.tableID, 3);  // unique, above every ID in use
  db->DropTableFiles("barks");
  db->DropTableFiles("herbs");
  EXPECT_TRUE(db->TableNames().empty());
  EXPECT_THAT([&] { db->DropTableFiles("herbs"); }, ThrowsDvx(10780));
  EXPECT_EQ(db->CreateTableFiles("Seeds").tableID, 1);
  EXPECT_TRUE(Problems(db->PageManager()).empty());
  db->CloseDatabase();
  auto b = Bytes();
  EXPECT_EQ(ReadI32(b, 298 + 5 * 512 + 44), 544);
}

TEST_F(InternalFileTest, TableListOfABadSizeIsRefused) {
  auto db = NewDatabase();
  db->CreateTableFiles("Herbs");
  db->CloseDatabase();
  auto b = Bytes();
  WriteI32(b, 298 + 5 * 512 + 44, 543);
  fs_.SetContents(kFile, b);
  TDVXDiskDatabaseStorage reopened(kFile, FastLocks(), fs_);
  TDVXCryptoInfo crypto;
  reopened.OpenDatabase(false, true, crypto);
  EXPECT_THAT([&] { reopened.TableNames(); }, ThrowsDvx(40002));
}

TEST_F(InternalFileTest, OpeningATableReadsItsRecordUnderTheTablesLock) {
  auto db = NewDatabase();
  auto created = db->CreateTableFiles("Herbs");
  auto opened = db->OpenTableRecord(1, "HERBS");
  EXPECT_EQ(opened.tableID, created.tableID);
  EXPECT_EQ(opened.locksFirstPageNo, created.locksFirstPageNo);
  EXPECT_THAT([&] { db->OpenTableRecord(1, "Roots"); }, ThrowsDvx(10797));
  EXPECT_THAT([&] { db->OpenTableRecord(-1, "Herbs"); }, ThrowsDvx(10669));
}

TEST_F(InternalFileTest, DirectoryWithFewerThanTwoEntriesIsRefused) {
  NewDatabase()->CloseDatabase();
  auto b = Bytes();
  WriteI32(b, 298 + 3 * 512 + 44, 5);
  fs_.SetContents(kFile, b);
  TDVXDiskDatabaseStorage db(kFile, FastLocks(), fs_);
  TDVXCryptoInfo crypto;
  EXPECT_THAT([&] { db.OpenDatabase(false, true, crypto); }, ThrowsDvx(10633, HasSubstr("files count - 1, PageNo = 3")));
  EXPECT_FALSE(db.IsOpen());
}

TEST_F(InternalFileTest, SessionsGetTheSmallestFreeID) {
  auto db = NewDatabase();
  EXPECT_EQ(db->ConnectSession(), 1);
  EXPECT_EQ(db->ConnectSession(), 2);
  EXPECT_EQ(db->ConnectSession(), 3);
  db->DisconnectSession(2);
  EXPECT_EQ(db->ConnectSession(), 2);
}

TEST_F(InternalFileTest, EncryptedDatabaseRunsEveryTransferThroughTheCipher) {
  TDVXCryptoInfo crypto;
  crypto.algorithm = craBlowfish;
  crypto.mode = acmCBC;
  crypto.password = "k";
  {
    auto pm = NewManager();
    pm->SetCryptoProvider(XorProvider());
    pm->CreateDatabaseFile(kFile, 512, 8, crypto);
    TDVXPage* page = pm->AddPage(1);
    std::memcpy(page->WritableData(), "plain text", 10);
    pm->PutPage(page);
    pm->ApplyChanges(1);
    pm->CloseDatabaseFile();
  }
  auto b = Bytes();
  EXPECT_EQ(b[286], craBlowfish);
  EXPECT_EQ(b[287], acmCBC);
  EXPECT_EQ(b[288], 1);
  EXPECT_EQ(ReadU16(b, 294), 18);  // lock bytes and salt
  EXPECT_NE(std::string(b.begin() + 314, b.begin() + 318), "DVSP");  // bitmap pages enciphered
  EXPECT_EQ(std::search(b.begin(), b.end(), std::begin("plain text"), std::end("plain text") - 1), b.end());
  auto open = [&](const std::string& password, bool skip) {
    auto pm = NewManager();
    pm->SetCryptoProvider(XorProvider());
    TDVXCryptoInfo info;
    info.password = password;
    bool readOnly = false;
    pm->OpenDatabaseFile(kFile, readOnly, skip, true, info);
    EXPECT_EQ(info.algorithm, craBlowfish);
    return pm;
  };
  EXPECT_THAT([&] { open("wrong", false); }, ThrowsDvx(10712));
  EXPECT_EQ(Bytes(), b);
  EXPECT_NO_THROW(open("wrong", true));
  auto pm = open("k", false);
  TDVXPage* page = pm->GetPage(1, 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(page->Data()), 10), "plain text");
  pm->PutPage(page);
  // The bitmaps read through the cipher are consistent.
  for (const auto& problem : TDVXDatabaseChecker(*pm).Check()) {
    EXPECT_EQ(problem.find("GAM"), std::string::npos) << problem;
    EXPECT_EQ(problem.find("should be a"), std::string::npos) << problem;
  }
  EXPECT_EQ(pm->AllocatePageNo(), 4);
  pm.reset();
  // A provider that has no cipher for the algorithm refuses the open.
  auto noCipher = NewManager();
  TDVXPageCryptoProvider empty;
  empty.createCipher = [](const TDVXCryptoInfo&, const uint8_t*) { return std::unique_ptr<TDVXPageCipher>(); };
  noCipher->SetCryptoProvider(empty);
  TDVXCryptoInfo info;
  info.password = "k";
  bool readOnly = false;
  EXPECT_THAT([&] { noCipher->OpenDatabaseFile(kFile, readOnly, false, true, info); }, ThrowsDvx(10484));
}

}  // namespace
}  // namespace dvx::test
