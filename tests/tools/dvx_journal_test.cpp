// Crash safety through the dvx tool: real processes killed with SIGKILL in
// the middle of their commits, journals left beside a file (abandoned,
// corrupt, foreign), pages a dead program never committed, and dvx create
// on a file that is in use.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/storage/disk_database_storage.h"
#include "engine/storage/owner_ids.h"
#include "tests/support/byte_helpers.h"
#include "tests/support/dvx_matchers.h"
#include "tests/tools/dvx_runner.h"

namespace {

using dvx::testing::ReadI32;
using dvx::testing::ThrowsDvx;
using dvxtest::ReadAll;
using dvxtest::RunDvx;
using dvxtest::WriteAll;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class DvxJournalTest : public dvxtest::TDvxTempDirTest {
 protected:
  std::string Journal() const { return file_ + "-journal"; }

  // A database with two tables, and the journal an abandoned commit that
  // renames one of them leaves: the file holds the commit's pages, the
  // journal their old bytes. Made by a child that stops itself right after
  // the database's sync, before the commit point.
  void MakeAbandonedCommit() {
    {
      dvx::TDVXDiskDatabaseStorage db(file_, {3, 1});
      db.CreateDatabase(512, 8, 2);
      dvx::TDVXCryptoInfo crypto;
      db.OpenDatabase(false, false, crypto);
      db.CreateTableFiles("Herbs");
      db.CreateTableFiles("Roots");
    }
    before_ = ReadAll(file_);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      dvx::TDVXDiskDatabaseStorage db(file_, {3, 1});
      dvx::TDVXCryptoInfo crypto;
      db.OpenDatabase(false, false, crypto);
      auto& pm = db.PageManager();
      dvx::TDVXInternalDBFile list(pm, dvx::PageTypeIDTableList);
      list.Open(db.TableList().FirstPageNo(), false);
      list.ReadFile(dvx::kSystemSessionID);
      list.Content()[1] = 'X';  // "Xerbs"
      list.WriteFile(dvx::kSystemSessionID);
      // The journal is written and synced, the pages are in place and
      // synced: the process dies holding the StateLockByte, before the
      // commit point.
      pm.SetTestCommitStepHook([](const char* step) {
        if (std::string(step) == "database synced") raise(SIGKILL);
      });
      pm.ApplyChanges(dvx::kSystemSessionID);
      _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
  }

  std::vector<uint8_t> before_;
};

TEST_F(DvxJournalTest, KilledWritersLeaveFilesThatRecoverAndHoldEveryReportedCommit) {
  auto run = RunDvx("crashtest " + file_ + " --kills 25 --seed 11");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_TRUE(Has(run.out, "25 kills")) << run.out;
  EXPECT_TRUE(Has(run.out, " 0 failures")) << run.out;
  auto check = RunDvx("check " + file_);
  EXPECT_EQ(check.status, 0) << check.out;
}

TEST_F(DvxJournalTest, KilledWritersOfAnEncryptedFileRecoverToo) {
  auto run = RunDvx("crashtest " + file_ + " --kills 8 --seed 5 --cipher Blowfish --password pw");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_TRUE(Has(run.out, " 0 failures")) << run.out;
}

TEST_F(DvxJournalTest, AnAbandonedCommitIsRefusedReadOnlyAndUndoneByAWriter) {
  ASSERT_NO_FATAL_FAILURE(MakeAbandonedCommit());
  ASSERT_NE(ReadAll(file_), before_) << "the commit reached the file";
  for (const char* command : {"info ", "check ", "pages "}) {
    auto refused = RunDvx(command + file_);
    EXPECT_EQ(refused.status, 1) << command << refused.out;
    EXPECT_TRUE(Has(refused.out, "needs recovery")) << refused.out;
  }
  dvx::TDVXDiskDatabaseStorage reader(file_, {3, 1});
  dvx::TDVXCryptoInfo crypto;
  EXPECT_THAT([&] { reader.OpenDatabase(true, false, crypto); }, ThrowsDvx(10488));
  auto recovered = RunDvx("recover " + file_);
  EXPECT_EQ(recovered.status, 0) << recovered.out;
  EXPECT_TRUE(Has(recovered.out, "Recovered")) << recovered.out;
  EXPECT_EQ(RunDvx("recover " + file_).out, "Nothing to recover\n");
  auto info = RunDvx("info " + file_);
  EXPECT_TRUE(Has(info.out, "Journal:          none")) << info.out;
  EXPECT_TRUE(Has(info.out, "  Herbs: ")) << info.out;
  EXPECT_EQ(RunDvx("check " + file_).status, 0);
  // Everything but the StateCounter, which the playback raised, is as before.
  auto after = ReadAll(file_);
  ASSERT_EQ(after.size(), before_.size());
  EXPECT_GT(ReadI32(after, 22), ReadI32(before_, 22));
  for (size_t i = 0; i < after.size(); ++i)
    if (i < 22 || i >= 26) ASSERT_EQ(after[i], before_[i]) << "byte " << i;
}

TEST_F(DvxJournalTest, CorruptOrForeignJournalsAreNeverPlayedBack) {
  ASSERT_NO_FATAL_FAILURE(MakeAbandonedCommit());
  const auto torn = ReadAll(file_);
  const auto journal = ReadAll(Journal());
  ASSERT_GT(journal.size(), 64u + 16 + 296);
  auto expectDiscarded = [&](const std::vector<uint8_t>& bad, const char* what) {
    WriteAll(file_, torn);
    WriteAll(Journal(), bad);
    auto recovered = RunDvx("recover " + file_);
    EXPECT_EQ(recovered.out, "Nothing to recover\n") << what;
    EXPECT_EQ(ReadAll(file_), torn) << what << ": the database was changed";
  };
  auto truncated = journal;
  truncated.resize(journal.size() - 1);
  expectDiscarded(truncated, "truncated");
  for (size_t at : {size_t(3), size_t(40), size_t(70), journal.size() - 1}) {
    auto flipped = journal;
    flipped[at] ^= 0x10;
    expectDiscarded(flipped, "bit flipped");
  }
  // The journal beside another database of the same geometry, and of
  // another page size.
  std::string other = dir_ + "/other.dvx";
  for (const char* size : {"512", "1024"}) {
    ASSERT_EQ(RunDvx(std::string("create ") + other + " --page-size " + size + " --force").status, 0);
    const auto otherBytes = ReadAll(other);
    WriteAll(Journal(), journal);
    WriteAll(file_, otherBytes);
    EXPECT_EQ(RunDvx("recover " + file_).out, "Nothing to recover\n") << size;
    EXPECT_EQ(ReadAll(file_).size(), otherBytes.size()) << size;
  }
  // A journal left over after a commit that completed (the counter moved on).
  WriteAll(file_, before_);
  WriteAll(Journal(), journal);
  auto bumped = before_;
  bumped[22] = static_cast<uint8_t>(bumped[22] + 5);
  WriteAll(file_, bumped);
  EXPECT_EQ(RunDvx("recover " + file_).out, "Nothing to recover\n");
  EXPECT_EQ(ReadAll(file_), bumped);
}

TEST_F(DvxJournalTest, UnownedPagesAreReportedAndReclaimed) {
  {
    dvx::TDVXDiskDatabaseStorage db(file_, {3, 1});
    db.CreateDatabase(512, 8, 2);
    dvx::TDVXCryptoInfo crypto;
    db.OpenDatabase(false, false, crypto);
    db.CreateTableFiles("Herbs");
    // Pages taken from the free space and never committed, as a program
    // that dies leaves them.
    for (int i = 0; i < 3; ++i) db.PageManager().AllocatePageNo();
  }
  auto check = RunDvx("check " + file_);
  EXPECT_EQ(check.status, 0) << check.out;
  EXPECT_TRUE(Has(check.out, "unowned pages: 3 marked in use without an owner")) << check.out;
  auto reclaim = RunDvx("check " + file_ + " --reclaim");
  EXPECT_EQ(reclaim.status, 0) << reclaim.out;
  EXPECT_TRUE(Has(reclaim.out, "reclaimed: 3 page(s) freed")) << reclaim.out;
  EXPECT_EQ(RunDvx("check " + file_).out.find("unowned"), std::string::npos);
}

TEST_F(DvxJournalTest, ReclaimRefusesWhileTablesMayOwnIndexPages) {
  {
    dvx::TDVXDiskDatabaseStorage db(file_, {3, 1});
    db.CreateDatabase(512, 8, 2);
    dvx::TDVXCryptoInfo crypto;
    db.OpenDatabase(false, false, crypto);
    auto record = db.CreateTableFiles("Indexed");
    dvx::TDVXInternalDBFile metadata(db.PageManager(), dvx::DVXPageTypeIDTableMetadata);
    metadata.Open(record.metadataFirstPageNo, false);
    metadata.Content().assign(100, 1);
    metadata.WriteFile(1);
    db.PageManager().ApplyChanges(1);
    db.PageManager().AllocatePageNo();
  }
  auto reclaim = RunDvx("check " + file_ + " --reclaim");
  EXPECT_EQ(reclaim.status, 1) << reclaim.out;
  EXPECT_TRUE(Has(reclaim.out, "not reclaimed: table 'Indexed' has indexes")) << reclaim.out;
  EXPECT_TRUE(Has(RunDvx("check " + file_).out, "unowned pages: 1")) << "nothing was freed";
}

TEST_F(DvxJournalTest, CreateOnAFileInUseChangesNothing) {
  ASSERT_EQ(RunDvx("create " + file_).status, 0);
  dvx::TDVXDiskDatabaseStorage db(file_, {3, 1});
  dvx::TDVXCryptoInfo crypto;
  db.OpenDatabase(false, false, crypto);
  db.CreateTableFiles("Live");
  const auto bytes = ReadAll(file_);
  auto refused = RunDvx("create " + file_ + " --force");
  EXPECT_EQ(refused.status, 1) << refused.out;
  EXPECT_TRUE(Has(refused.out, "in use by another program - Native error: 30361")) << refused.out;
  EXPECT_EQ(ReadAll(file_), bytes);
  EXPECT_EQ(db.TableNames(), std::vector<std::string>{"Live"});
}

}  // namespace
