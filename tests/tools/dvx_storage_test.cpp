// The dvx storage commands on real files, corrupt input, and two processes
// writing one database at the same time.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "engine/storage/database_checker.h"
#include "engine/storage/disk_database_storage.h"
#include "engine/storage/internal_file.h"
#include "tests/support/byte_helpers.h"
#include "tests/support/dvx_matchers.h"
#include "tests/tools/dvx_runner.h"

namespace {

using dvxtest::ReadAll;
using dvxtest::RunDvx;
using dvxtest::WriteAll;
using dvx::testing::ThrowsDvx;
using dvx::testing::WriteI32;

class DvxStorageTest : public dvxtest::TDvxTempDirTest {};

TEST_F(DvxStorageTest, CreateInfoPagesAndCheckAgree) {
  auto created = RunDvx("create " + file_ + " --page-size 1024 --extent-pages 8 --max-sessions 3");
  ASSERT_EQ(created.status, 0) << created.out;
  EXPECT_EQ(ReadAll(file_).size(), 298u + 6 * 1024);
  auto info = RunDvx("info " + file_);
  EXPECT_EQ(info.status, 0);
  EXPECT_NE(info.out.find("PageSize:         1024"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("FileID 2 (active sessions file): first page 4"), std::string::npos) << info.out;
  auto pages = RunDvx("pages " + file_);
  EXPECT_EQ(pages.out,
            "0 PageTypeIDPFS owner=-5 next=-1\n1 PageTypeIDGAM owner=-5 next=-1\n2 PageTypeIDSGAM owner=-5 next=-1\n"
            "3 PageTypeIDFileSystemDirectory owner=-2 next=-1\n4 PageTypeIDActiveSessionList owner=-3 next=-1\n"
            "5 PageTypeIDTableList owner=-4 next=-1\n");
  EXPECT_EQ(RunDvx("check " + file_).status, 0);
}

TEST_F(DvxStorageTest, BadCommandLinesAreUsageErrors) {
  EXPECT_EQ(RunDvx("create " + file_ + " --page-size 100").status, 2);
  EXPECT_EQ(RunDvx("create " + file_ + " --extent-pages x").status, 2);
  EXPECT_EQ(RunDvx("info").status, 2);
}

TEST_F(DvxStorageTest, ForeignAndTruncatedFilesGiveTheEnginesMessage) {
  WriteAll(file_, std::vector<uint8_t>(1000, 'x'));
  auto r = RunDvx("info " + file_);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("Dovrentix signature not found - Native error: 11289"), std::string::npos) << r.out;
  dvx::TDVXDiskDatabaseStorage foreign(file_, {3, 1});
  dvx::TDVXCryptoInfo crypto;
  EXPECT_THAT([&] { foreign.OpenDatabase(true, false, crypto); }, ThrowsDvx(11289));
  EXPECT_EQ(RunDvx("create " + file_).status, 1) << "an existing file needs --force";
  EXPECT_EQ(ReadAll(file_), std::vector<uint8_t>(1000, 'x'));
  ASSERT_EQ(RunDvx("create " + file_ + " --force").status, 0);
  auto bytes = ReadAll(file_);
  for (size_t cut : {size_t(10), size_t(296), bytes.size() - 1}) {
    auto shortened = bytes;
    shortened.resize(cut);
    WriteAll(file_, shortened);
    for (const char* cmd : {"info ", "pages ", "check "}) {
      auto run = RunDvx(cmd + file_);
      EXPECT_EQ(run.status, 1) << cmd << cut << run.out;
      EXPECT_NE(run.out.find("Native error"), std::string::npos) << run.out;
    }
  }
}

TEST_F(DvxStorageTest, FlippedBytesAreReportedNeverCrash) {
  {
    dvx::TDVXDiskDatabaseStorage db(file_, {3, 1});
    db.CreateDatabase(512, 8, 2);
    dvx::TDVXCryptoInfo crypto;
    db.OpenDatabase(false, true, crypto);
    db.CreateTableFiles("Herbs");
    db.CreateTableFiles("Roots");
  }
  const auto good = ReadAll(file_);
  ASSERT_EQ(RunDvx("check " + file_).status, 0);
  // Header fields, and the page and internal-file headers and first data
  // bytes of every page, flipped in turn.
  std::vector<size_t> spots;
  for (size_t at = 14; at < 26; ++at) spots.push_back(at);
  for (size_t page = 0; 298 + page * 512 < good.size(); ++page)
    for (size_t off : {0, 8, 10, 11, 13, 22, 40, 44, 45, 47, 52, 53, 56, 58})
      spots.push_back(298 + page * 512 + off);
  int reported = 0;
  for (size_t at : spots) {
    auto bad = good;
    bad[at] ^= 0x5A;
    WriteAll(file_, bad);
    auto run = RunDvx("check " + file_);
    ASSERT_TRUE(run.status == 0 || run.status == 1) << at << ": " << run.out;
    reported += run.status;
    if (at % 4 == 0)
      for (const char* cmd : {"info ", "pages "}) {
        auto other = RunDvx(cmd + file_);
        ASSERT_TRUE(other.status == 0 || other.status == 1) << cmd << at << ": " << other.out;
      }
  }
  EXPECT_GT(reported, static_cast<int>(spots.size()) / 2);
  // A cycle in a chain.
  auto cyclic = good;
  size_t listPage = 298 + 5 * 512;
  WriteI32(cyclic, listPage + 10, 5);
  WriteAll(file_, cyclic);
  auto run = RunDvx("check " + file_);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("cycle"), std::string::npos) << run.out;
}

// Records, page maps and data items are checked too: a file with records
// and pictures checks clean with no page left without an owner, and a
// damaged record count is reported against its table.
TEST_F(DvxStorageTest, CheckCoversTheRecordsOfEveryTable) {
  ASSERT_EQ(std::system((std::string(SEEDS_DATABASE_FILE) + " " + dir_).c_str()), 0);
  const std::string records = dir_ + "/records.dvx";
  auto clean = RunDvx("check " + records);
  EXPECT_EQ(clean.status, 0) << clean.out;
  EXPECT_EQ(clean.out.find("unowned"), std::string::npos) << clean.out;

  // Byte 60 of each page in turn (inside a record page's slots, a map
  // entry or an item directory) until one damage shows on the table.
  const auto good = ReadAll(records);
  bool reported = false;
  for (size_t page = 0; 298 + (page + 1) * 512 <= good.size() && !reported; ++page) {
    auto bad = good;
    bad[298 + page * 512 + 60] ^= 0x55;
    WriteAll(records, bad);
    auto run = RunDvx("check " + records);
    ASSERT_TRUE(run.status == 0 || run.status == 1) << run.out;
    reported = run.out.find("table 'Remedies'") != std::string::npos;
  }
  EXPECT_TRUE(reported);
}

// Two processes share one file, each creating tables, growing their metadata
// files and dropping some, committing as they go.
TEST_F(DvxStorageTest, TwoWritersEndWithAConsistentFile) {
  ASSERT_EQ(RunDvx("create " + file_ + " --page-size 512").status, 0);
  auto writer = [&](char tag) {
    dvx::TDVXDiskDatabaseStorage db(file_, {2000, 1});
    dvx::TDVXCryptoInfo crypto;
    db.OpenDatabase(false, false, crypto);
    auto& pm = db.PageManager();
    for (int i = 0; i < 40; ++i) {
      std::string name = std::string(1, tag) + std::to_string(i);
      auto record = db.CreateTableFiles(name);
      dvx::TDVXInternalDBFile metadata(pm, dvx::DVXPageTypeIDTableMetadata);
      metadata.Open(record.metadataFirstPageNo, false);
      metadata.ReadFile(1);
      metadata.SetSize(static_cast<size_t>(100 + 300 * (i % 5)));
      std::memset(metadata.Content().data(), tag, metadata.Content().size());
      metadata.WriteFile(1);
      // Commits of table data take the StateLockByte like everything else.
      pm.ApplyChanges(1);
      if (i % 3 == 2) db.DropTableFiles(std::string(1, tag) + std::to_string(i - 1));
    }
    db.CloseDatabase();
  };
  ASSERT_NO_FATAL_FAILURE(dvxtest::RunTwoWriters(writer));
  auto check = RunDvx("check " + file_);
  EXPECT_EQ(check.status, 0) << check.out;
  auto info = RunDvx("info " + file_);
  for (char tag : {'A', 'B'})
    for (int i = 0; i < 40; ++i) {
      bool dropped = i % 3 == 1 && i + 1 < 40;
      std::string line = "  " + std::string(1, tag) + std::to_string(i) + ": ";
      EXPECT_EQ(info.out.find(line) == std::string::npos, dropped) << line;
    }
}

}  // namespace
