// Encrypted database files end to end: the crypto library's ciphers in the
// page path, the salt in the reserved area, the key check, and damaged or
// moved files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/crypto/crc32.h"
#include "engine/crypto/crypto_names.h"
#include "engine/crypto/database_cipher.h"
#include "engine/storage/database_checker.h"
#include "engine/storage/disk_database_storage.h"
#include "engine/storage/internal_locked_file.h"
#include "engine/storage/page_types.h"
#include "storage_test_util.h"

namespace dvx::test {
namespace {

constexpr const char kSentinel[] = "SENTINEL-plain-text-7f3a";
constexpr size_t kSentinelLength = sizeof kSentinel - 1;
constexpr int kPageSize = 1001;  // not a multiple of any block size
constexpr size_t kPageAreaStart = 314;

bool Contains(const std::vector<uint8_t>& bytes, const char* text, size_t length) {
  return std::search(bytes.begin(), bytes.end(), text, text + length) != bytes.end();
}

class EncryptedDatabaseTest : public TDiskFixture {
 protected:
  static TDVXCryptoInfo Password(TDVXCryptoAlgorithm algorithm, TDVXCryptoMode mode, const std::string& password) {
    TDVXCryptoInfo info;
    info.algorithm = algorithm;
    info.mode = mode;
    info.password = password;
    return info;
  }
  // A raw key skips the key derivation, so the algorithm × mode matrix stays
  // fast; the page path is the same.
  static TDVXCryptoInfo RawKey(TDVXCryptoAlgorithm algorithm, TDVXCryptoMode mode) {
    TDVXCryptoInfo info;
    info.algorithm = algorithm;
    info.mode = mode;
    for (int i = 0; i < 32; ++i) info.rawKey.push_back(static_cast<uint8_t>(0x31 * i + 7));
    return info;
  }

  // A whole database (bitmaps, directory, sessions file, table list and one
  // table's files, the locked ones written by partial transfers), opened
  // through its page manager.
  std::unique_ptr<TDVXDiskPageManager> CreateWith(const TDVXCryptoInfo& info, int pageSize = kPageSize) {
    TDVXDiskDatabaseStorage(kFile, FastLocks(), fs_).CreateDatabase(pageSize, 8, 2, info);
    {
      TDVXDiskDatabaseStorage db(kFile, FastLocks(), fs_);
      TDVXCryptoInfo key = info;
      db.OpenDatabase(false, true, key);
      db.CreateTableFiles("encrypted");
      db.CloseDatabase();
    }
    return OpenWith(info);
  }
  // Only the page manager's file: one key derivation.
  std::unique_ptr<TDVXDiskPageManager> CreateFileWith(const TDVXCryptoInfo& info, int pageSize = kPageSize) {
    auto pm = NewManager();
    pm->CreateDatabaseFile(kFile, pageSize, 8, info);
    return pm;
  }
  std::unique_ptr<TDVXDiskPageManager> OpenWith(TDVXCryptoInfo info, bool skipKeyCheck = false,
                                                bool readOnly = false) {
    auto pm = NewManager();
    pm->OpenDatabaseFile(kFile, readOnly, skipKeyCheck, true, info);
    return pm;
  }
  // Adds a cached page whose data area is `fill` followed by `text`.
  static int32_t AddPage(TDVXDiskPageManager& pm, uint8_t fill, const std::string& text) {
    TDVXPage* page = pm.AddPage(1);
    std::memset(page->WritableData(), fill, static_cast<size_t>(pm.PageDataSize()));
    std::memcpy(page->WritableData(), text.data(), text.size());
    int32_t no = page->PageNo();
    pm.PutPage(page);
    return no;
  }
  static std::string PageText(TDVXDiskPageManager& pm, int32_t pageNo, size_t length) {
    TDVXPage* page = pm.GetPage(1, pageNo);
    std::string text(reinterpret_cast<const char*>(page->Data()), length);
    pm.PutPage(page);
    return text;
  }
  // The checker's findings, but for the pages the tests add outside any
  // structure.
  static std::vector<std::string> Problems(TDVXDiskPageManager& pm) {
    auto problems = TDVXDatabaseChecker(pm).Check();
    std::erase_if(problems, [](const std::string& p) { return p.find("belongs to no structure") != std::string::npos; });
    return problems;
  }
  std::vector<uint8_t> StoredPage(int32_t pageNo, int pageSize = kPageSize) {
    auto b = Bytes();
    auto start = b.begin() + static_cast<std::ptrdiff_t>(kPageAreaStart + static_cast<size_t>(pageNo) * pageSize);
    return std::vector<uint8_t>(start, start + pageSize);
  }
};

TEST_F(EncryptedDatabaseTest, NewFileKeepsTheSaltAfterTheLockBytes) {
  auto pm = NewManager();
  pm->CreateDatabaseFile(kFile, kPageSize, 8, Password(craTwofish_256, acmCBC, "salted"));
  pm->CloseDatabaseFile();
  auto b = Bytes();
  ASSERT_EQ(b.size(), kPageAreaStart + 3u * kPageSize);
  EXPECT_EQ(ReadU16(b, 294), 18);
  EXPECT_EQ(b[296], 0);
  EXPECT_EQ(b[297], 0);
  EXPECT_EQ(b[286], craTwofish_256);
  EXPECT_EQ(b[287], acmCBC);
  EXPECT_EQ(b[288], 1);
  std::vector<uint8_t> salt(b.begin() + 298, b.begin() + 314);
  EXPECT_NE(salt, std::vector<uint8_t>(16, 0));
  // The KeyCheckSum is the checksum of the block deciphered with the key
  // from this salt, checked here through the crypto library alone.
  TDVXDatabaseCipher cipher(Password(craTwofish_256, acmCBC, "salted"), salt.data());
  std::vector<uint8_t> plain(256);
  cipher.Decrypt(26, b.data() + 26, plain.data(), plain.size());
  EXPECT_EQ(static_cast<uint32_t>(ReadI32(b, 282)), EngineCrc32(plain.data(), plain.size()));
  // A second file draws another salt.
  CreateWith(Password(craTwofish_256, acmCBC, "salted"))->CloseDatabaseFile();
  auto other = Bytes();
  EXPECT_NE(std::vector<uint8_t>(other.begin() + 298, other.begin() + 314), salt);
}

TEST_F(EncryptedDatabaseTest, TheCipherFactoryReceivesTheFilesSalt) {
  std::vector<uint8_t> seen;
  TDVXPageCryptoProvider provider = XorProvider();
  auto xorFactory = provider.createCipher;
  provider.createCipher = [&](const TDVXCryptoInfo& info, const uint8_t* salt) {
    seen.assign(salt, salt + 16);
    return xorFactory(info, salt);
  };
  auto pm = NewManager();
  pm->SetCryptoProvider(provider);
  pm->CreateDatabaseFile(kFile, 512, 8, Password(craSquare, acmOFB, "p"));
  pm->CloseDatabaseFile();
  auto b = Bytes();
  EXPECT_EQ(seen, std::vector<uint8_t>(b.begin() + 298, b.begin() + 314));
  seen.clear();
  auto reopened = NewManager();
  reopened->SetCryptoProvider(provider);
  TDVXCryptoInfo info = Password(craNone, acmCTS, "p");
  bool readOnly = false;
  reopened->OpenDatabaseFile(kFile, readOnly, false, true, info);
  EXPECT_EQ(seen, std::vector<uint8_t>(b.begin() + 298, b.begin() + 314));
}

TEST_F(EncryptedDatabaseTest, WrongOrMissingPasswordFailsAndChangesNothing) {
  {
    auto pm = CreateWith(Password(craRijndael_128, acmCTS, "right"));
    AddPage(*pm, 0x11, "content");
    pm->ApplyChanges(1);
    pm->CloseDatabaseFile();
  }
  const auto before = Bytes();
  for (const char* password : {"wrong", "", "righ", "right "}) {
    EXPECT_THAT([&] { OpenWith(Password(craNone, acmCTS, password)); }, ThrowsDvxWithText(10712, "Error opening database file 'test.dvx', invalid encryption key - Native error: 10712")) << password;
    EXPECT_EQ(Bytes(), before);
  }
  // The right password after the failures.
  auto pm = OpenWith(Password(craNone, acmCTS, "right"));
  EXPECT_EQ(PageText(*pm, pm->GetPageCount() - 1, 7), "content");
}

TEST_F(EncryptedDatabaseTest, SentinelTextIsStoredNowhereInPlain) {
  int32_t cached, partial, firstLocked;
  {
    auto pm = CreateWith(Password(craBlowfish, acmCFB, "sentinel"));
    cached = AddPage(*pm, 0x00, kSentinel);
    partial = AddPage(*pm, 0x00, "");
    pm->ApplyChanges(1);
    pm->WritePagePart(kSentinel, partial, static_cast<int>(kSentinelLength), 123);
    TDVXInternalLockedDBFile locked(*pm, PageTypeIDTableLocks);
    locked.Create(3000, 7);  // spans several pages
    firstLocked = locked.FirstPageNo();
    for (int64_t at : {0, 950, 1970, 2975}) locked.DirectWriteBuffer(kSentinel, kSentinelLength, at);
    pm->CloseDatabaseFile();
  }
  auto b = Bytes();
  EXPECT_FALSE(Contains(b, kSentinel, kSentinelLength));
  EXPECT_FALSE(Contains(b, kSentinel, 8));
  EXPECT_FALSE(Contains(b, "DVSP", 4));  // no page signature in plain either
  auto pm = OpenWith(Password(craNone, acmCTS, "sentinel"));
  EXPECT_EQ(PageText(*pm, cached, kSentinelLength), kSentinel);
  char back[kSentinelLength];
  pm->ReadPagePart(back, partial, static_cast<int>(kSentinelLength), 123);
  EXPECT_EQ(std::string(back, kSentinelLength), kSentinel);
  // Bytes written by one span read back through another.
  std::vector<char> wide(kSentinelLength + 10);
  pm->ReadPagePart(wide.data(), partial, static_cast<int>(wide.size()), 118);
  EXPECT_EQ(std::string(wide.data() + 5, kSentinelLength), kSentinel);
  TDVXInternalLockedDBFile locked(*pm, PageTypeIDTableLocks);
  locked.Open(firstLocked);
  EXPECT_EQ(locked.FileSize(), 3000);
  for (int64_t at : {0, 950, 1970, 2975}) {
    std::fill(back, back + kSentinelLength, 0);
    locked.DirectReadBuffer(back, kSentinelLength, at);
    EXPECT_EQ(std::string(back, kSentinelLength), kSentinel) << at;
  }
}

TEST_F(EncryptedDatabaseTest, IdenticalPlainPagesAreStoredDifferently) {
  int32_t first, second;
  {
    auto pm = CreateWith(RawKey(craDES_Triple_24, acmCBC));
    first = AddPage(*pm, 0x5A, "same");
    second = AddPage(*pm, 0x5A, "same");
    pm->ApplyChanges(1);
    pm->CloseDatabaseFile();
  }
  auto a = StoredPage(first), b = StoredPage(second);
  EXPECT_NE(a, b);
  size_t equalBytes = 0;
  for (size_t i = 0; i < a.size(); ++i) equalBytes += a[i] == b[i];
  EXPECT_LT(equalBytes, a.size() / 16) << "the two pages share too many stored bytes";
  auto pm = OpenWith(RawKey(craDES_Triple_24, acmCBC));
  EXPECT_EQ(PageText(*pm, first, 4), "same");
  EXPECT_EQ(PageText(*pm, second, 4), "same");
}

TEST_F(EncryptedDatabaseTest, DatabaseAppendedToOtherContentOpensAndReads) {
  int32_t no;
  {
    auto pm = CreateWith(Password(craRijndael_256, acmCTS, "moved"));
    no = AddPage(*pm, 0x42, kSentinel);
    pm->ApplyChanges(1);
    pm->CloseDatabaseFile();
  }
  std::vector<uint8_t> file(4321, 'x');
  auto db = Bytes();
  file.insert(file.end(), db.begin(), db.end());
  fs_.SetContents(kFile, file);
  auto pm = OpenWith(Password(craNone, acmCTS, "moved"));
  EXPECT_EQ(pm->HeaderOffset(), 4321);
  EXPECT_EQ(PageText(*pm, no, kSentinelLength), kSentinel);
  EXPECT_TRUE(Problems(*pm).empty());
  // Writing still works at the moved position.
  int32_t more = AddPage(*pm, 0x43, "after the move");
  pm->ApplyChanges(1);
  pm->CloseDatabaseFile();
  auto after = Bytes();
  EXPECT_EQ(std::vector<uint8_t>(after.begin(), after.begin() + 4321), std::vector<uint8_t>(4321, 'x'));
  auto again = OpenWith(Password(craNone, acmCTS, "moved"));
  EXPECT_EQ(PageText(*again, more, 14), "after the move");
  EXPECT_TRUE(Problems(*again).empty());
}

TEST_F(EncryptedDatabaseTest, EveryAlgorithmAndModeWritesAndReadsBack) {
  for (int a = 1; a <= kCryptoAlgorithmLast; ++a) {
    for (int m = 0; m <= kCryptoModeLast; ++m) {
      auto algorithm = static_cast<TDVXCryptoAlgorithm>(a);
      auto mode = static_cast<TDVXCryptoMode>(m);
      SCOPED_TRACE(std::string(CryptoAlgorithmName(algorithm)) + "/" + std::string(CryptoModeName(mode)));
      std::vector<int32_t> pages;
      {
        auto pm = CreateWith(RawKey(algorithm, mode));
        for (int i = 0; i < 3; ++i) pages.push_back(AddPage(*pm, static_cast<uint8_t>(i), "page " + std::to_string(i)));
        pm->ApplyChanges(1);
        // Ragged partial transfers: 1 byte, one below a block, odd spans.
        pm->WritePagePart("x", pages[0], 1, 500);
        pm->WritePagePart("1234567", pages[1], 7, 960 - 7);
        pm->WritePagePart(kSentinel, pages[2], static_cast<int>(kSentinelLength), 3);
        pm->CloseDatabaseFile();
      }
      ASSERT_FALSE(Contains(Bytes(), kSentinel, kSentinelLength));
      auto pm = OpenWith(RawKey(algorithm, mode));
      EXPECT_EQ(PageText(*pm, pages[0], 6), "page 0");
      EXPECT_EQ(PageText(*pm, pages[1], 6), "page 1");
      EXPECT_EQ(PageText(*pm, pages[2], 3 + kSentinelLength), "pag" + std::string(kSentinel));
      char one = 0;
      pm->ReadPagePart(&one, pages[0], 1, 500);
      EXPECT_EQ(one, 'x');
      char seven[8] = {};
      pm->ReadPagePart(seven, pages[1], 7, 960 - 7);
      EXPECT_STREQ(seven, "1234567");
      auto problems = Problems(*pm);
      EXPECT_TRUE(problems.empty()) << problems.front();
    }
  }
}

TEST_F(EncryptedDatabaseTest, PasswordKeysOfEveryAlgorithmReopen) {
  for (int a = 1; a <= kCryptoAlgorithmLast; ++a) {
    auto algorithm = static_cast<TDVXCryptoAlgorithm>(a);
    auto mode = static_cast<TDVXCryptoMode>(a % 4);
    SCOPED_TRACE(std::string(CryptoAlgorithmName(algorithm)));
    int32_t no;
    {
      auto pm = CreateFileWith(Password(algorithm, mode, "pass word " + std::to_string(a)));
      no = AddPage(*pm, 0x77, "with a password");
      pm->ApplyChanges(1);
      pm->CloseDatabaseFile();
    }
    TDVXCryptoInfo info = Password(craNone, acmCTS, "pass word " + std::to_string(a));
    auto pm = OpenWith(info);
    EXPECT_EQ(PageText(*pm, no, 15), "with a password");
  }
}

TEST_F(EncryptedDatabaseTest, SkippedKeyCheckBuildsNoCipherAndReadsNoPages) {
  CreateWith(Password(craRijndael_128, acmCBC, "header only"))->CloseDatabaseFile();
  int ciphersBuilt = 0;
  TDVXPageCryptoProvider counting;
  counting.createCipher = [&](const TDVXCryptoInfo& info, const uint8_t* salt) -> std::unique_ptr<TDVXPageCipher> {
    ++ciphersBuilt;
    return std::make_unique<TDVXDatabaseCipher>(info, salt);
  };
  auto pm = NewManager();
  pm->SetCryptoProvider(counting);
  TDVXCryptoInfo info;  // no password at all
  bool readOnly = true;
  pm->OpenDatabaseFile(kFile, readOnly, true, false, info);
  EXPECT_EQ(ciphersBuilt, 0);
  EXPECT_EQ(info.algorithm, craRijndael_128);
  EXPECT_EQ(info.mode, acmCBC);
  EXPECT_GT(pm->GetPageCount(), 5);
  std::vector<uint8_t> page(kPageSize);
  EXPECT_THAT([&] { pm->ReadWholePage(page.data(), 0, 10716); }, ThrowsDvx(10716, HasSubstr("opened without its encryption key")));
  EXPECT_THAT([&] { pm->GetPage(1, 1); }, ThrowsDvx());
  pm->CloseDatabaseFile();
  pm->OpenDatabaseFile(kFile, readOnly, false, false, info = Password(craNone, acmCTS, "header only"));
  EXPECT_EQ(ciphersBuilt, 1);
}

// Damaged files: every case ends in the engine's error or in problems the
// checker reports, never in a crash or a silent success.
class DamagedEncryptedFileTest : public EncryptedDatabaseTest {
 protected:
  // A raw key keeps the many reopenings cheap; the salt's part in the key
  // is tested on a password file of its own.
  void SetUp() override {
    auto pm = CreateWith(RawKey(craTwofish_128, acmCTS), 512);
    addedPage_ = AddPage(*pm, 0x21, "data");
    pm->ApplyChanges(1);
    pm->CloseDatabaseFile();
    good_ = Bytes();
  }
  // Opening the damaged image, as a call for the matchers.
  std::function<void()> Opening(std::vector<uint8_t> bytes) {
    return [this, bytes] {
      fs_.SetContents(kFile, bytes);
      OpenWith(RawKey(craNone, acmCTS), false, true);
    };
  }
  std::vector<uint8_t> good_;
  int32_t addedPage_ = -1;
};

TEST_F(DamagedEncryptedFileTest, HeaderBytesGiveTheirMessages) {
  auto b = good_;
  b[286] = 13;
  EXPECT_THAT(Opening(b), ThrowsDvx(10699));
  b = good_;
  b[287] = 4;
  EXPECT_THAT(Opening(b), ThrowsDvxWithText(10701, "Error - unknown crypto mode = 4 - Native error: 10701"));
  b = good_;
  b[286] = craTwofish_256;  // another cipher: another key
  EXPECT_THAT(Opening(b), ThrowsDvx(10712));
  b = good_;
  b[287] = acmOFB;
  EXPECT_THAT(Opening(b), ThrowsDvx(10712));
}

TEST_F(DamagedEncryptedFileTest, FlippedKeyCheckBlockOrSumFailTheKeyCheck) {
  for (size_t at : {size_t(26), size_t(150), size_t(281), size_t(282), size_t(285)}) {
    auto b = good_;
    b[at] ^= 0x04;
    EXPECT_THAT(Opening(b), ThrowsDvx(10712)) << at;
  }
}

TEST_F(DamagedEncryptedFileTest, FlippedSaltFailsThePasswordKeyCheck) {
  CreateFileWith(Password(craRijndael_128, acmCBC, "salt"))->CloseDatabaseFile();
  auto b = Bytes();
  for (size_t at : {size_t(298), size_t(313)}) {
    auto flipped = b;
    flipped[at] ^= 0x01;
    fs_.SetContents(kFile, flipped);
    EXPECT_THAT([&] { OpenWith(Password(craNone, acmCTS, "salt"), false, true); }, ThrowsDvx(10712)) << at;
  }
}

TEST_F(DamagedEncryptedFileTest, ShortReservedAreaIsRefused) {
  auto b = good_;
  WriteU16(b, 294, 2);
  EXPECT_THAT(Opening(b),
              ThrowsDvx(10481, HasSubstr("the reserved area of an encrypted file is 2 bytes long, 18 are needed")));
  WriteU16(b, 294, 17);
  EXPECT_THAT(Opening(b), ThrowsDvx(10481));
}

TEST_F(DamagedEncryptedFileTest, TruncatedFilesAreRefused) {
  for (size_t cut : {size_t(100), size_t(300), size_t(310), kPageAreaStart + 512, good_.size() - 1}) {
    auto b = good_;
    b.resize(cut);
    EXPECT_THAT(Opening(b), ThrowsDvx()) << cut;
  }
}

TEST_F(DamagedEncryptedFileTest, FlippedPageBytesAreFoundByTheCheck) {
  const int32_t pageCount = static_cast<int32_t>((good_.size() - kPageAreaStart) / 512);
  for (int32_t pageNo = 0; pageNo < pageCount; ++pageNo) {
    for (size_t within : {size_t(0), size_t(37), size_t(511)}) {
      auto b = good_;
      b[kPageAreaStart + static_cast<size_t>(pageNo) * 512 + within] ^= 0x80;
      fs_.SetContents(kFile, b);
      auto pm = OpenWith(RawKey(craNone, acmCTS), false, true);
      std::vector<std::string> problems;
      EXPECT_NO_THROW(problems = Problems(*pm));
      // A flip in a page's last blocks may hit only unused bytes of a
      // page; one in its first block always garbles the page header.
      if (within == 0 && pageNo != addedPage_) {
        EXPECT_FALSE(problems.empty()) << pageNo;
      }
    }
  }
}

}  // namespace
}  // namespace dvx::test
