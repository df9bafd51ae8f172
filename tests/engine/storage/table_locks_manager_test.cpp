// Table and record locks: the compatibility table between sessions of one
// registry, the same table reproduced by lock bytes between registries on
// separate opens of one file (as two programs have them), retries, and the
// locks of a killed program.
#include "engine/storage/table_locks_manager.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

#include "engine/storage/database_file.h"
#include "tests/engine/storage/storage_test_util.h"

namespace dvx::test {
namespace {

constexpr int32_t kLocksPage = 7;  // the table's LocksFirstPageNo
constexpr int kModes[] = {ltIS, ltS, ltIRW, ltRW, ltX};

// Requested mode → modes held by another session that refuse it.
bool Compatible(int requested, int held) {
  switch (requested) {
    case ltIS: return held != ltX;
    case ltS: return held != ltX && held != ltRW;
    case ltIRW: return held == ltIS || held == ltS;
    case ltRW: return held == ltIS;
    default: return false;
  }
}

// Counts the sleeps, and can act between attempts.
class TStepClock : public TDVXClock {
 public:
  double Now() override { return 0; }
  uint64_t TickMilliseconds() override { return slept; }
  void Sleep(uint32_t milliseconds) override {
    slept += milliseconds;
    ++sleeps;
    if (onSleep) onSleep(sleeps);
  }
  uint64_t slept = 0;
  int sleeps = 0;
  std::function<void(int)> onSleep;
};

class TableLocksTest : public ::testing::Test {
 protected:
  TableLocksTest() {
    TDVXDatabaseFile(fs_).CreateFile("db.dvx");
    for (auto& file : files_) {
      file = std::make_unique<TDVXDatabaseFile>(fs_);
      uint8_t access = kAccessReadWrite, share = kShareDenyNone;
      file->OpenFile("db.dvx", access, share);
    }
  }
  // Two registries on two opens of one file: as two programs see it.
  TDVXTableLocksManager& Program(int i) {
    if (!programs_[i]) programs_[i] = std::make_unique<TDVXTableLocksManager>(files_[i].get(), params_, clock_);
    return *programs_[i];
  }

  TDVXMemoryFileSystem fs_;
  std::unique_ptr<TDVXDatabaseFile> files_[2];
  std::unique_ptr<TDVXTableLocksManager> programs_[2];
  TDVXLockParams params_{10, 500};
  TStepClock clock_;
  TDVXTableLocksManager solo_{nullptr, params_, clock_};
};

TEST_F(TableLocksTest, SessionsAndProgramsFollowTheCompatibilityTable) {
  for (int held : kModes)
    for (int requested : kModes) {
      SCOPED_TRACE(std::string("held ") + LockModeName(held) + ", requested " + LockModeName(requested));
      // Two sessions of one registry.
      ASSERT_TRUE(solo_.LockTable(1, "Remedies", kLocksPage, held));
      EXPECT_EQ(solo_.LockTable(2, "REMEDIES", kLocksPage, requested), Compatible(requested, held));
      if (Compatible(requested, held)) solo_.UnlockTable("remedies", 2, requested);
      solo_.UnlockTable("Remedies", 1, held);
      // Two programs.
      ASSERT_TRUE(Program(0).LockTable(1, "Remedies", kLocksPage, held));
      EXPECT_EQ(Program(1).LockTable(1, "Remedies", kLocksPage, requested), Compatible(requested, held));
      if (Compatible(requested, held)) Program(1).UnlockTable("Remedies", 1, requested);
      Program(0).UnlockTable("Remedies", 1, held);
      EXPECT_EQ(solo_.LockItemCount() + Program(0).LockItemCount() + Program(1).LockItemCount(), 0u);
    }
}

TEST_F(TableLocksTest, ASessionNeverConflictsWithItself) {
  ASSERT_TRUE(solo_.LockTable(1, "T", kLocksPage, ltRW));
  EXPECT_TRUE(solo_.LockTable(1, "T", kLocksPage, ltIRW));
  EXPECT_TRUE(solo_.LockTable(1, "T", kLocksPage, ltX));
  EXPECT_FALSE(solo_.LockTable(2, "T", kLocksPage, ltIRW));
  EXPECT_FALSE(solo_.LockTable(2, "T", kLocksPage, ltIS));
  EXPECT_EQ(solo_.LockCount("T", 1, ltRW), 1);
  EXPECT_EQ(solo_.LockCount("T", 2, ltIS), 0);
}

TEST_F(TableLocksTest, AProgramHoldsTheStrongestLockAnyOfItsSessionsNeeds) {
  auto& a = Program(0);
  ASSERT_TRUE(a.LockTable(1, "T", kLocksPage, ltS));
  ASSERT_TRUE(a.LockTable(2, "T", kLocksPage, ltIS));
  EXPECT_FALSE(Program(1).LockTable(1, "T", kLocksPage, ltRW));
  // Releasing the only S weakens the program's bytes to what IS needs.
  a.UnlockTable("T", 1, ltS);
  EXPECT_TRUE(Program(1).LockTable(1, "T", kLocksPage, ltRW));
  EXPECT_FALSE(a.LockTable(1, "T", kLocksPage, ltS));
  // A refused upgrade keeps what the program held: the other still can't
  // take X beside the remaining IS.
  EXPECT_TRUE(a.LockTable(2, "T", kLocksPage, ltIS));
  Program(1).UnlockTable("T", 1, ltRW);
  EXPECT_FALSE(Program(1).LockTable(1, "T", kLocksPage, ltX));
  EXPECT_EQ(a.LockCount("T", 2, ltIS), 2);
}

TEST_F(TableLocksTest, TablesAreKeptApartByTheirLocksFile) {
  ASSERT_TRUE(Program(0).LockTable(1, "A", 7, ltX));
  EXPECT_TRUE(Program(1).LockTable(1, "B", 8, ltX));
  EXPECT_FALSE(Program(1).LockTable(1, "A", 7, ltIS));
}

TEST_F(TableLocksTest, RecordLocksAreOnePerSessionAndTable) {
  const TDVXRecordID r{5, 3}, other{5, 4};
  ASSERT_TRUE(solo_.LockTable(1, "T", kLocksPage, ltIS));
  ASSERT_TRUE(solo_.LockTable(2, "T", kLocksPage, ltIS));
  ASSERT_TRUE(solo_.LockRecord("T", 1, r));
  EXPECT_FALSE(solo_.LockRecord("T", 2, r));
  EXPECT_THAT([&] { solo_.LockRecord("T", 1, other); },
              ThrowsDvx(10767, "Canot lock record - already locked, tableName = 'T', pageNo = 5, "
                                       "pageItemNo = 4, SessionID = 1, locked pageNo = 5, locked pageItemNo = 3"));
  EXPECT_TRUE(solo_.LockRecord("T", 2, other));
  EXPECT_FALSE(solo_.UnlockRecord("T", 1, other));
  EXPECT_TRUE(solo_.UnlockRecord("T", 1, r));
  EXPECT_TRUE(solo_.UnlockRecord("T", 2, other));
  EXPECT_TRUE(solo_.LockRecord("T", 2, r));
}

TEST_F(TableLocksTest, RecordLocksReachOtherPrograms) {
  const TDVXRecordID r{5, 3};
  ASSERT_TRUE(Program(0).LockTable(1, "T", kLocksPage, ltIS));
  ASSERT_TRUE(Program(1).LockTable(1, "T", kLocksPage, ltIS));
  ASSERT_TRUE(Program(0).LockRecord("T", 1, r));
  EXPECT_FALSE(Program(1).LockRecord("T", 1, r));
  EXPECT_FALSE(Program(1).HoldsRecordLock("T", 1));
  EXPECT_TRUE(Program(1).LockRecord("T", 1, {5, 2}));
  Program(0).UnlockRecord("T", 1, r);
  Program(1).UnlockRecord("T", 1, {5, 2});
  EXPECT_TRUE(Program(1).LockRecord("T", 1, r));
}

TEST_F(TableLocksTest, MisuseIsReportedWithItsMessage) {
  EXPECT_THAT([&] { solo_.LockRecord("T", 1, {1, 0}); },
              ThrowsDvx(10765, "Invalid item number - ItemNo = -1, ItemCount = 0"));
  ASSERT_TRUE(solo_.LockTable(1, "T", kLocksPage, ltIS));
  EXPECT_THAT([&] { solo_.LockRecord("T", 2, {1, 0}); },
              ThrowsDvx(10766, "Cannot find session 2 for locking table 'T'"));
  EXPECT_THAT([&] { solo_.UnlockTable("T", 1, ltS); },
              ThrowsDvx(10757, "Error - invalid lock counter = -1, lock type = 1, table name = 'T'"));
  EXPECT_THAT([&] { solo_.LockTable(1, "T", kLocksPage, ltRecord); },
              ThrowsDvx(10775, "Error - invalid lock type = 4"));
  EXPECT_THAT([&] { solo_.UnlockTable("T", 1, 6); }, ThrowsDvx(10776, "Error - invalid lock type = 6"));
  ASSERT_TRUE(solo_.LockTable(1, "T", kLocksPage, ltS));
  EXPECT_THAT([&] { solo_.CheckNoReadLocks("T", 1); },
              ThrowsDvx(10758, "UnlockTable was not called - table is still locked for read (mode s). "
                                       "Number of locks = 1"));
  EXPECT_EQ(solo_.LockCount("T", 1, ltIS), 1);
}

TEST_F(TableLocksTest, RemoveAllLocksFreesTablesAndRecordsEverywhere) {
  auto& a = Program(0);
  ASSERT_TRUE(a.LockTable(1, "T", kLocksPage, ltIS));
  ASSERT_TRUE(a.LockTable(1, "T", kLocksPage, ltRW));
  ASSERT_TRUE(a.LockTable(1, "U", 9, ltS));
  ASSERT_TRUE(a.LockTable(2, "U", 9, ltIS));
  ASSERT_TRUE(a.LockRecord("T", 1, {3, 1}));
  EXPECT_THAT([&] { a.CheckAllRemoved("db.dvx"); },
              ThrowsDvx(10811, "Error - not all locks were removed from database file 'db.dvx'"));
  a.RemoveAllLocks(1);
  EXPECT_EQ(a.LockItemCount(), 1u);
  EXPECT_EQ(a.LockCount("U", 2, ltIS), 1);
  auto& b = Program(1);
  EXPECT_TRUE(b.LockTable(1, "T", kLocksPage, ltX));
  EXPECT_TRUE(b.LockTable(1, "U", 9, ltRW));
  EXPECT_FALSE(b.LockTable(1, "U", 9, ltX));
  a.RemoveAllLocks(2);
  a.CheckAllRemoved("db.dvx");
  EXPECT_TRUE(b.LockTable(1, "U", 9, ltX));
}

TEST_F(TableLocksTest, AReaderWaitsForTheWriterThenSucceedsOnALaterAttempt) {
  ASSERT_TRUE(solo_.LockTable(1, "T", kLocksPage, ltRW));
  clock_.onSleep = [&](int sleeps) {
    if (sleeps == 3) solo_.UnlockTable("T", 1, ltRW);
  };
  solo_.LockTableOrRaise(2, "T", kLocksPage, ltS, 10569);
  EXPECT_EQ(clock_.sleeps, 3);  // one sleep per refused attempt
  EXPECT_EQ(solo_.LockCount("T", 2, ltS), 1);
}

TEST_F(TableLocksTest, ALockThatNeverFreesIsGivenUpAfterRetryCountTimesDelay) {
  ASSERT_TRUE(solo_.LockTable(1, "Baum", kLocksPage, ltIS));
  EXPECT_THAT([&] { solo_.LockTableOrRaise(2, "Baum", kLocksPage, ltX, 10533); },
              ThrowsDvx(10533, "Error - cannot lock table in 'X' mode, table name = 'Baum'"));
  EXPECT_EQ(clock_.sleeps, 10);
  EXPECT_EQ(clock_.slept, 5000u);
  EXPECT_EQ(solo_.LockCount("Baum", 2, ltX), 0);
  TDVXLockCounters mine;
  solo_.LockTableOrRaise(1, "Baum", kLocksPage, ltS, 10569, &mine);
  EXPECT_EQ(mine.Of(ltS), 1);
  solo_.UnlockTableOrRaise("Baum", 1, ltS, 10570, &mine);
  EXPECT_FALSE(mine.Any());
}

TEST(TableLockBytes, LieInTheirRegionsOneApart) {
  EXPECT_EQ(TDVXTableLocksManager::TableLockBytePosition(7, 2), (int64_t{1} << 61) + 30);
  EXPECT_EQ(TDVXTableLocksManager::RecordLockBytePosition({5, 3}), (int64_t{1} << 62) + 5 * 65536 + 3);
  EXPECT_LT(TDVXTableLocksManager::TableLockBytePosition(INT32_MAX, 2), int64_t{1} << 62);
  EXPECT_EQ(TDVXTableLocksManager::RecordLockBytePosition({5, 65535}) + 1,
            TDVXTableLocksManager::RecordLockBytePosition({6, 0}));
}

// Real programs on a real file: a forked child takes locks and is killed.
class TableLocksBetweenProcessesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/dvx_tablelocks_XXXXXX";
    dir_ = mkdtemp(pattern);
    TDVXDatabaseFile(TDVXFileSystem::Default()).CreateFile(dir_ + "/db.dvx");
  }
  void TearDown() override {
    if (child_ > 0) {
      kill(child_, SIGKILL);
      waitpid(child_, nullptr, 0);
    }
    std::system(("rm -rf '" + dir_ + "'").c_str());
  }
  std::unique_ptr<TDVXDatabaseFile> Open() {
    auto file = std::make_unique<TDVXDatabaseFile>(TDVXFileSystem::Default());
    uint8_t access = kAccessReadWrite, share = kShareDenyNone;
    file->OpenFile(dir_ + "/db.dvx", access, share);
    return file;
  }
  // Runs `take` in a child that then waits to be killed; true when the
  // child reports its locks taken.
  bool ChildHolds(const std::function<bool(TDVXTableLocksManager&)>& take) {
    int ready[2];
    if (pipe(ready) != 0) return false;
    child_ = fork();
    if (child_ == 0) {
      auto file = Open();
      TDVXTableLocksManager locks(file.get(), {1, 1});
      char c = take(locks) ? 'y' : 'n';
      (void)!write(ready[1], &c, 1);
      pause();
      _exit(0);
    }
    char c = 0;
    bool ok = read(ready[0], &c, 1) == 1 && c == 'y';
    close(ready[0]);
    close(ready[1]);
    return ok;
  }
  void KillChild() {
    kill(child_, SIGKILL);
    waitpid(child_, nullptr, 0);
    child_ = -1;
  }
  std::string dir_;
  pid_t child_ = -1;
};

TEST_F(TableLocksBetweenProcessesTest, AWriterKeepsReadersOfAnotherProgramOutUntilItIsKilled) {
  ASSERT_TRUE(ChildHolds([](TDVXTableLocksManager& locks) {
    return locks.LockTable(1, "Emerg", kLocksPage, ltIS) && locks.LockTable(1, "Emerg", kLocksPage, ltRW) &&
           locks.LockRecord("Emerg", 1, {4, 2});
  }));
  auto file = Open();
  TDVXTableLocksManager locks(file.get(), {1, 1});
  ASSERT_TRUE(locks.LockTable(1, "Emerg", kLocksPage, ltIS));
  EXPECT_FALSE(locks.LockTable(1, "Emerg", kLocksPage, ltS));
  EXPECT_FALSE(locks.LockTable(1, "Emerg", kLocksPage, ltRW));
  EXPECT_FALSE(locks.LockRecord("Emerg", 1, {4, 2}));
  KillChild();
  EXPECT_TRUE(locks.LockTable(1, "Emerg", kLocksPage, ltS));
  EXPECT_TRUE(locks.LockRecord("Emerg", 1, {4, 2}));
  locks.UnlockTable("Emerg", 1, ltS);
  EXPECT_TRUE(locks.LockTable(1, "Emerg", kLocksPage, ltX));
}

TEST_F(TableLocksBetweenProcessesTest, AnExclusiveTableRefusesTheOtherProgramsWriterButNotItsOtherTables) {
  ASSERT_TRUE(ChildHolds([](TDVXTableLocksManager& locks) { return locks.LockTable(1, "Baum", 7, ltX); }));
  auto file = Open();
  TDVXTableLocksManager locks(file.get(), {1, 1});
  EXPECT_FALSE(locks.LockTable(1, "Baum", 7, ltIS));
  EXPECT_THAT([&] { locks.LockTableOrRaise(1, "Baum", 7, ltRW, 10533); },
              ThrowsDvx(10533, "Error - cannot lock table in 'RW' mode, table name = 'Baum'"));
  EXPECT_TRUE(locks.LockTable(1, "IndList", 8, ltRW));
}

TEST_F(TableLocksBetweenProcessesTest, ReadersOfTwoProgramsShareATable) {
  ASSERT_TRUE(ChildHolds([](TDVXTableLocksManager& locks) {
    return locks.LockTable(1, "TABHOM", kLocksPage, ltIS) && locks.LockTable(1, "TABHOM", kLocksPage, ltS);
  }));
  auto file = Open();
  TDVXTableLocksManager locks(file.get(), {1, 1});
  EXPECT_TRUE(locks.LockTable(1, "TABHOM", kLocksPage, ltIS));
  EXPECT_TRUE(locks.LockTable(1, "TABHOM", kLocksPage, ltS));
  EXPECT_TRUE(locks.LockTable(1, "TABHOM", kLocksPage, ltIRW));
  EXPECT_FALSE(locks.LockTable(1, "TABHOM", kLocksPage, ltRW));
}

}  // namespace
}  // namespace dvx::test
