// The dvx tool on encrypted database files: creating them, opening them with
// and without the right password, damaged files, and two processes writing
// one encrypted file.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/crypto/crypto_names.h"
#include "engine/storage/disk_database_storage.h"
#include "tests/support/dvx_matchers.h"
#include "tests/tools/dvx_runner.h"

namespace {

using dvxtest::ReadAll;
using dvxtest::RunDvx;
using dvxtest::WriteAll;
using dvx::testing::ThrowsDvx;

bool Exists(const std::string& name) { return std::ifstream(name).good(); }

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

constexpr const char kKeyMessage[] = "invalid encryption key - Native error: 10712";

class DvxEncryptionTest : public dvxtest::TDvxTempDirTest {};

TEST_F(DvxEncryptionTest, CheckAcceptsFreshFilesOfEveryAlgorithm) {
  for (int a = 1; a <= dvx::kCryptoAlgorithmLast; ++a) {
    std::string cipher(dvx::CryptoAlgorithmName(static_cast<dvx::TDVXCryptoAlgorithm>(a)));
    std::string mode(dvx::CryptoModeName(static_cast<dvx::TDVXCryptoMode>(a % 4)));
    std::string file = dir_ + "/" + cipher + ".dvx";
    auto created = RunDvx("create " + file + " --page-size 1000 --cipher " + cipher + " --mode " + mode +
                          " --password 'pass " + cipher + "'");
    ASSERT_EQ(created.status, 0) << cipher << created.out;
    auto check = RunDvx("check " + file + " --password 'pass " + cipher + "'");
    EXPECT_EQ(check.status, 0) << cipher << check.out;
    EXPECT_EQ(check.out, "No problems found (6 pages)\n") << cipher;
  }
}

TEST_F(DvxEncryptionTest, InfoNamesCipherAndModeAndPagesMatchAPlainFile) {
  std::string plain = dir_ + "/plain.dvx";
  ASSERT_EQ(RunDvx("create " + plain + " --page-size 512").status, 0);
  ASSERT_EQ(RunDvx("create " + file_ + " --page-size 512 --cipher Blowfish --mode OFB --password pw").status, 0);
  auto info = RunDvx("info " + file_ + " --password pw");
  EXPECT_EQ(info.status, 0) << info.out;
  EXPECT_TRUE(Has(info.out, "Cipher:           Blowfish\nMode:             OFB\n")) << info.out;
  EXPECT_TRUE(Has(info.out, "FileID 1 (table list file): first page 5")) << info.out;
  EXPECT_TRUE(Has(RunDvx("info " + plain).out, "Cipher:           None\nMode:             -\n"));
  auto pages = RunDvx("pages " + file_ + " --password pw");
  EXPECT_EQ(pages.status, 0);
  EXPECT_EQ(pages.out, RunDvx("pages " + plain).out);
  // The mode defaults to CTS.
  ASSERT_EQ(RunDvx("create " + file_ + " --cipher DES_Triple_24 --password pw --force").status, 0);
  EXPECT_TRUE(Has(RunDvx("info " + file_ + " --password pw").out, "Mode:             CTS\n"));
  // A password given for a plain file is not needed and does no harm.
  EXPECT_EQ(RunDvx("check " + plain + " --password pw").status, 0);
}

TEST_F(DvxEncryptionTest, WrongOrMissingPasswordFailsAndLeavesTheFile) {
  ASSERT_EQ(RunDvx("create " + file_ + " --cipher Rijndael_256 --mode CBC --password right").status, 0);
  const auto before = ReadAll(file_);
  for (const char* command : {"info ", "pages ", "check "}) {
    for (const char* password : {" --password wrong", " --password Right", ""}) {
      auto run = RunDvx(command + file_ + password);
      EXPECT_EQ(run.status, 1) << command << password << run.out;
      EXPECT_EQ(run.out, "dvx: Error opening database file '" + file_ + "', " + kKeyMessage + "\n");
      EXPECT_EQ(ReadAll(file_), before) << command << password;
    }
  }
  EXPECT_EQ(RunDvx("check " + file_ + " --password right").status, 0);
  // The engine gives the same answer to a program that opens the file.
  dvx::TDVXDiskDatabaseStorage db(file_, {3, 1});
  dvx::TDVXCryptoInfo crypto;
  crypto.password = "wrong";
  EXPECT_THAT([&] { db.OpenDatabase(true, false, crypto); },
              ThrowsDvx(10712, "Error opening database file '" + file_ + "', invalid encryption key"));
  EXPECT_EQ(ReadAll(file_), before);
}

TEST_F(DvxEncryptionTest, BadEncryptionOptionsAreUsageErrors) {
  auto unknown = RunDvx("create " + file_ + " --cipher AES --password pw");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.out, "dvx: unknown cipher 'AES'; valid ciphers: " + dvx::CryptoAlgorithmNameList() + "\n");
  EXPECT_TRUE(Has(unknown.out, "Rijndael_128, Rijndael_256, Blowfish")) << unknown.out;
  EXPECT_EQ(RunDvx("create " + file_ + " --cipher rijndael_128 --password pw").status, 2);
  EXPECT_EQ(RunDvx("create " + file_ + " --cipher None --password pw").status, 2);
  auto mode = RunDvx("create " + file_ + " --cipher Square --mode ECB --password pw");
  EXPECT_EQ(mode.status, 2);
  EXPECT_EQ(mode.out, "dvx: unknown mode 'ECB'; valid modes: CTS, CBC, CFB, OFB\n");
  EXPECT_EQ(RunDvx("create " + file_ + " --cipher Square").status, 2);
  EXPECT_EQ(RunDvx("create " + file_ + " --cipher Square --password ''").status, 2);
  EXPECT_EQ(RunDvx("create " + file_ + " --mode CBC").status, 2);
  EXPECT_EQ(RunDvx("create " + file_ + " --password pw").status, 2);
  EXPECT_EQ(RunDvx("info " + file_ + " --cipher Square").status, 2);
  EXPECT_FALSE(Exists(file_));
}

// Damaged encrypted files: every run ends with status 0 or 1 and a message,
// never with a crash or a sanitizer report.
TEST_F(DvxEncryptionTest, DamagedEncryptedFilesGiveMessagesNeverCrash) {
  dvx::TDVXCryptoInfo crypto;
  crypto.algorithm = dvx::craTwofish_128;
  crypto.mode = dvx::acmCBC;
  crypto.password = "pw";
  {
    dvx::TDVXDiskDatabaseStorage db(file_, {3, 1});
    db.CreateDatabase(512, 8, 2, crypto);
    dvx::TDVXCryptoInfo key = crypto;
    db.OpenDatabase(false, true, key);
    db.CreateTableFiles("Herbs");
  }
  const auto good = ReadAll(file_);
  ASSERT_EQ(RunDvx("check " + file_ + " --password pw").status, 0);
  // Each run derives the key once, so the spots are few: header fields,
  // KeyCheckBlock and sum, crypto bytes, reserved area and salt, and the
  // first and a middle block of every page.
  std::vector<size_t> spots = {14, 18, 26, 282, 286, 287, 288, 294, 298, 313};
  for (size_t page = 0; 314 + page * 512 < good.size(); ++page)
    for (size_t off : {0, 300}) spots.push_back(314 + page * 512 + off);
  int failed = 0;
  for (size_t at : spots) {
    auto bad = good;
    bad[at] ^= 0x5A;
    WriteAll(file_, bad);
    auto run = RunDvx("check " + file_ + " --password pw");
    ASSERT_TRUE(run.status == 0 || run.status == 1) << at << ": " << run.out;
    if (run.status == 1) {
      ++failed;
      EXPECT_TRUE(Has(run.out, "Native error") || Has(run.out, "problem")) << at << ": " << run.out;
    }
    if (at % 7 == 0)
      for (const char* cmd : {"info ", "pages "}) {
        auto other = RunDvx(cmd + file_ + " --password pw");
        ASSERT_TRUE(other.status == 0 || other.status == 1) << cmd << at << ": " << other.out;
      }
  }
  EXPECT_GT(failed, static_cast<int>(spots.size()) / 2);
  for (size_t cut : {size_t(100), size_t(300), size_t(310), size_t(314 + 512), good.size() - 1}) {
    auto shortened = good;
    shortened.resize(cut);
    WriteAll(file_, shortened);
    auto run = RunDvx("check " + file_ + " --password pw");
    EXPECT_EQ(run.status, 1) << cut << run.out;
    EXPECT_TRUE(Has(run.out, "Native error")) << run.out;
  }
}

// Partial page writes of an encrypted file rewrite whole pages; two
// processes doing so on one file must not lose each other's bytes.
TEST_F(DvxEncryptionTest, TwoWritersOfAnEncryptedFileEndConsistent) {
  ASSERT_EQ(RunDvx("create " + file_ + " --page-size 512 --cipher Rijndael_128 --mode CTS --password pw").status, 0);
  auto writer = [&](char tag) {
    dvx::TDVXDiskDatabaseStorage db(file_, {2000, 1});
    dvx::TDVXCryptoInfo crypto;
    crypto.password = "pw";
    db.OpenDatabase(false, false, crypto);
    for (int i = 0; i < 15; ++i) {
      db.CreateTableFiles(std::string(1, tag) + std::to_string(i));
      if (i % 3 == 2) db.DropTableFiles(std::string(1, tag) + std::to_string(i - 1));
    }
    db.CloseDatabase();
  };
  ASSERT_NO_FATAL_FAILURE(dvxtest::RunTwoWriters(writer));
  auto check = RunDvx("check " + file_ + " --password pw");
  EXPECT_EQ(check.status, 0) << check.out;
  auto info = RunDvx("info " + file_ + " --password pw");
  for (char tag : {'A', 'B'})
    for (int i = 0; i < 15; ++i) {
      bool dropped = i % 3 == 1;
      EXPECT_EQ(Has(info.out, "  " + std::string(1, tag) + std::to_string(i) + ": "), !dropped) << tag << i;
    }
}

}  // namespace
