// The database file's header and pages, header validation and the probe for
// a database embedded after other content.
#include <cmath>

#include "engine/storage/free_space_manager.h"
#include "tests/engine/storage/storage_test_util.h"

namespace dvx::test {
namespace {

class DiskPageManagerTest : public TDiskFixture {};

TEST_F(DiskPageManagerTest, NewFileHeaderBytesAreLaidOutByteForByte) {
  Create(4096, 8)->CloseDatabaseFile();
  auto b = Bytes();
  ASSERT_EQ(b.size(), 298u + 3 * 4096);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "DVS2");
  EXPECT_EQ(ReadU16(b, 4), 294);
  double version;
  std::memcpy(&version, b.data() + 6, 8);
  EXPECT_EQ(version, 4.2);
  EXPECT_EQ(ReadU16(b, 14), 4096);
  EXPECT_EQ(ReadU16(b, 16), 8);
  EXPECT_EQ(ReadI32(b, 18), 3);
  EXPECT_EQ(ReadI32(b, 22), 0);
  for (size_t i = 26; i < 294; ++i) ASSERT_EQ(b[i], 0) << i;  // crypto area and reserved
  EXPECT_EQ(ReadU16(b, 294), 2);
  EXPECT_EQ(b[296], 0);
  EXPECT_EQ(b[297], 0);
}

TEST_F(DiskPageManagerTest, FirstPagesAreTheFreeSpaceBitmaps) {
  Create(4096, 8)->CloseDatabaseFile();
  auto b = Bytes();
  const int types[3] = {PageTypeIDPFS, PageTypeIDGAM, PageTypeIDSGAM};
  for (int p = 0; p < 3; ++p) {
    size_t at = 298 + static_cast<size_t>(p) * 4096;
    EXPECT_EQ(std::string(b.begin() + at, b.begin() + at + 4), "DVSP");
    EXPECT_EQ(ReadU16(b, at + 8), types[p]);
    EXPECT_EQ(ReadI32(b, at + 10), -1);
    EXPECT_EQ(ReadI32(b, at + 22), -5);
  }
  EXPECT_EQ(b[298 + 40], 0x07);         // PFS bits 0..2
  EXPECT_EQ(b[298 + 4096 + 40], 0x01);  // GAM bit 0
  EXPECT_EQ(b[298 + 2 * 4096 + 40], 0x00);
}

TEST_F(DiskPageManagerTest, AddedPageGetsAnEmptyHeaderAndReachesTheFileAtCommit) {
  auto pm = Create();
  TDVXPage* page = pm->AddPage(1);
  EXPECT_EQ(page->PageNo(), 3);
  EXPECT_EQ(TDVXPageHeader::PageType(page->Buffer()), PageTypeIDEmpty);
  EXPECT_EQ(TDVXPageHeader::NextPageNo(page->Buffer()), -1);
  EXPECT_EQ(TDVXPageHeader::OwnerID(page->Buffer()), -1);
  page->WritableData()[0] = 0x5A;
  pm->PutPage(page);
  EXPECT_EQ(Bytes()[298 + 3 * 4096 + 40], 0);  // not written before the commit
  pm->ApplyChanges(1);
  auto b = Bytes();
  EXPECT_EQ(b[298 + 3 * 4096 + 40], 0x5A);
  EXPECT_EQ(ReadI32(b, 22), 1);  // StateCounter raised
  EXPECT_EQ(b.size(), 298u + 4 * 4096);
}

TEST_F(DiskPageManagerTest, PageSizesOutsideTheRangeAreRefusedWithoutTouchingTheFile) {
  fs_.SetContents(kFile, {1, 2, 3});
  auto pm = NewManager();
  EXPECT_THAT([&] { pm->CreateDatabaseFile(kFile, 127, 8); }, ThrowsDvx(10485));
  EXPECT_THAT([&] { pm->CreateDatabaseFile(kFile, 4096, 3); }, ThrowsDvx(50028));
  EXPECT_EQ(Bytes(), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_NO_THROW(pm->CreateDatabaseFile(kFile, 128, 4));
}

TEST_F(DiskPageManagerTest, ForeignFileIsSignatureNotFound) {
  fs_.SetContents(kFile, std::vector<uint8_t>(5000, 'x'));
  EXPECT_THAT([&] { Open(); }, ThrowsDvx(11289, HasSubstr("Dovrentix signature not found")));
}

TEST_F(DiskPageManagerTest, BadSignatureAtStartIsSignatureNotFound) {
  Create()->CloseDatabaseFile();
  auto b = Bytes();
  b[3] = '3';
  fs_.SetContents(kFile, b);
  EXPECT_THAT([&] { Open(); }, ThrowsDvx(11289));
}

class VersionTest : public TDiskFixture, public ::testing::WithParamInterface<std::pair<double, bool>> {};

TEST_P(VersionTest, VersionRangeDecidesTheOpen) {
  Create()->CloseDatabaseFile();
  auto b = Bytes();
  double v = GetParam().first;
  std::memcpy(b.data() + 6, &v, 8);
  fs_.SetContents(kFile, b);
  if (GetParam().second)
    EXPECT_NO_THROW(Open());
  else
    EXPECT_THAT([&] { Open(); }, ThrowsDvx(10637, "Invalid version number = 1.20. Should be 4.20"));
}

INSTANTIATE_TEST_SUITE_P(Versions, VersionTest,
                         ::testing::Values(std::make_pair(1.2, false), std::make_pair(1.3, true),
                                           std::make_pair(100.0, true)));

TEST_F(DiskPageManagerTest, DatabaseAfterLeadingBytesIsFoundAndUsed) {
  {
    auto pm = Create(512, 8);
    TDVXPage* page = pm->AddPage(1);
    page->WritableData()[0] = 0x77;
    pm->PutPage(page);
    pm->ApplyChanges(1);
    pm->CloseDatabaseFile();
  }
  // 70000 leading bytes put the header across the first scan block's end.
  std::vector<uint8_t> carrier(70000 - 2, 'c');
  auto db = Bytes();
  carrier.insert(carrier.end(), db.begin(), db.end());
  fs_.SetContents(kFile, carrier);
  auto pm = Open();
  EXPECT_EQ(pm->HeaderOffset(), 70000 - 2);
  TDVXPage* page = pm->GetPage(1, 3);
  EXPECT_EQ(page->Data()[0], 0x77);
  pm->PutPage(page);
  EXPECT_EQ(pm->StateLockBytePosition(), 70000 - 2 + 296);
  pm->CloseDatabaseFile();

  auto cut = carrier;
  cut.resize(70000 - 2 + 200);  // cut inside the header
  fs_.SetContents(kFile, cut);
  EXPECT_THAT([&] { Open(); }, ThrowsDvx(11289));

  auto probe = NewManager();
  fs_.SetContents(kFile, carrier);
  EXPECT_TRUE(probe->IsDatabaseFile(kFile));
  probe->TruncateAtHeader(kFile);
  EXPECT_EQ(Bytes().size(), 70000u - 2);
}

TEST_F(DiskPageManagerTest, StraySignatureWithoutValidVersionIsNotTakenForAHeader) {
  Create()->CloseDatabaseFile();
  std::vector<uint8_t> carrier(1000, 0);
  std::memcpy(carrier.data() + 10, "DVS2", 4);  // stray bytes, HeaderSize and version zero
  auto db = Bytes();
  carrier.insert(carrier.end(), db.begin(), db.end());
  fs_.SetContents(kFile, carrier);
  EXPECT_EQ(Open()->HeaderOffset(), 1000);
}

TEST_F(DiskPageManagerTest, CutOffFileIsRefusedWithTheNeededSize) {
  Create()->CloseDatabaseFile();
  auto b = Bytes();
  b.resize(b.size() - 1);
  fs_.SetContents(kFile, b);
  EXPECT_THAT([&] { Open(); }, ThrowsDvx(10481, HasSubstr("bytes are needed for 3 pages")));
}

TEST_F(DiskPageManagerTest, LongerFileIsLegitimate) {
  Create()->CloseDatabaseFile();
  auto b = Bytes();
  b.resize(b.size() + 100, 0xEE);
  fs_.SetContents(kFile, b);
  EXPECT_EQ(Open()->GetPageCount(), 3);
}

TEST_F(DiskPageManagerTest, HostileHeaderFieldsAreRefused) {
  Create()->CloseDatabaseFile();
  const auto good = Bytes();
  struct Case {
    size_t at;
    int32_t value;
    bool word;
  } cases[] = {{14, 0, true}, {14, 40, true}, {16, 3, true}, {18, 2, false}, {18, -7, false}, {18, 0x7fffffff, false}};
  for (const auto& c : cases) {
    auto b = good;
    if (c.word)
      WriteU16(b, c.at, static_cast<uint16_t>(c.value));
    else
      WriteI32(b, c.at, c.value);
    fs_.SetContents(kFile, b);
    EXPECT_THAT([&] { Open(); }, ThrowsDvx(10481)) << c.at << "=" << c.value;
  }
  auto b = good;
  WriteU16(b, 294, 60000);  // reserved area beyond the file
  fs_.SetContents(kFile, b);
  EXPECT_THAT([&] { Open(); }, ThrowsDvx(10481));
}

TEST_F(DiskPageManagerTest, UnknownCryptoAlgorithmAndModeAreRefused) {
  Create()->CloseDatabaseFile();
  auto b = Bytes();
  b[286] = 13;
  fs_.SetContents(kFile, b);
  EXPECT_THAT([&] { Open(); }, ThrowsDvx(10699));
  b[286] = 0;
  b[287] = 4;
  fs_.SetContents(kFile, b);
  EXPECT_THAT([&] { Open(); }, ThrowsDvx(10701));
}

TEST_F(DiskPageManagerTest, PageNumbersBeyondPageCountAreRefused) {
  auto pm = Create();
  EXPECT_THAT([&] { pm->GetPage(1, 3); }, ThrowsDvx(10471));
  EXPECT_THAT([&] { pm->GetPage(1, -1); }, ThrowsDvx(10471));
  EXPECT_EQ(pm->CachedPageCount(), 0u);
}

TEST_F(DiskPageManagerTest, PagePartTransfersCheckTheirBounds) {
  auto pm = Create();
  uint8_t buf[64] = {};
  EXPECT_THAT([&] { pm->ReadPagePart(buf, 0, 1, 4096 - 40); }, ThrowsDvx(10476));
  EXPECT_THAT([&] { pm->WritePagePart(buf, 0, 1, -41); }, ThrowsDvx(10477));
  pm->ReadPagePart(buf, 1, 40, -40);
  EXPECT_EQ(TDVXPageHeader::PageType(buf), PageTypeIDGAM);
}

TEST_F(DiskPageManagerTest, OpenInUseAndCreateInUseAreRefused) {
  auto pm = Create();
  TDVXCryptoInfo crypto;
  bool readOnly = false;
  EXPECT_THAT([&] { pm->OpenDatabaseFile(kFile, readOnly, false, true, crypto); }, ThrowsDvx(10462));
  EXPECT_THAT([&] { pm->CreateDatabaseFile(kFile, 4096, 8); }, ThrowsDvx(10461));
}

TEST_F(DiskPageManagerTest, MissingFileIsReported) {
  auto pm = NewManager();
  TDVXCryptoInfo crypto;
  bool readOnly = false;
  EXPECT_THAT([&] { pm->OpenDatabaseFile("missing.dvx", readOnly, false, true, crypto); }, ThrowsDvx(11351));
  EXPECT_FALSE(pm->IsDatabaseFile("missing.dvx"));
}

TEST_F(DiskPageManagerTest, ReadOnlyOpenRefusesChangesAndLeavesTheFile) {
  Create()->CloseDatabaseFile();
  fs_.SetReadOnly(kFile, true);
  auto before = Bytes();
  auto pm = NewManager();
  bool readOnly = false;
  TDVXCryptoInfo crypto;
  pm->OpenDatabaseFile(kFile, readOnly, false, false, crypto);
  EXPECT_TRUE(readOnly);
  EXPECT_THAT([&] { pm->AddPage(1); }, ThrowsDvx(10483));
  EXPECT_EQ(Bytes(), before);
}

}  // namespace
}  // namespace dvx::test
