// The database-wide lock bytes are real byte-range locks on the operating
// system's files: seen by other opens, and gone with a killed process.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "engine/storage/disk_database_storage.h"
#include "tests/engine/storage/storage_test_util.h"

namespace dvx::test {
namespace {

class ProcessLocksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/dvx_locks_XXXXXX";
    dir_ = mkdtemp(pattern);
    file_ = dir_ + "/db.dvx";
    TDVXDiskDatabaseStorage(file_, FastLocks()).CreateDatabase(512, 8, 2);
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
  std::unique_ptr<TDVXDiskPageManager> OpenShared() {
    auto pm = std::make_unique<TDVXDiskPageManager>(FastLocks());
    bool readOnly = false;
    TDVXCryptoInfo crypto;
    pm->OpenDatabaseFile(file_, readOnly, false, false, crypto);
    return pm;
  }
  std::string dir_, file_;
};

TEST_F(ProcessLocksTest, IsByteLockedAnswersTruthfully) {
  auto a = OpenShared();
  auto b = OpenShared();
  EXPECT_FALSE(b->IsByteLocked(b->StateLockBytePosition()));
  ASSERT_TRUE(a->LockTablesByte());
  EXPECT_TRUE(b->IsByteLocked(b->TablesLockBytePosition()));
  EXPECT_FALSE(b->IsByteLocked(b->StateLockBytePosition()));
  EXPECT_FALSE(b->LockTablesByte());
  a->UnlockTablesByte();
  EXPECT_FALSE(b->IsByteLocked(b->TablesLockBytePosition()));
  EXPECT_TRUE(b->LockTablesByte());
  b->UnlockTablesByte();
}

TEST_F(ProcessLocksTest, CommitWaitsForTheStateLockAndGivesUpWithTheMessage) {
  auto a = OpenShared();
  auto b = OpenShared();
  ASSERT_TRUE(a->LockStateByte());
  TDVXPage* page = b->GetPage(1, 3);
  page->SetDirty();
  b->PutPage(page);
  EXPECT_THAT([&] { b->ApplyChanges(1); }, ThrowsDvx(10638, HasSubstr("Error locking State in database")));
  a->UnlockStateByte();
  b->ApplyChanges(1);
}

TEST_F(ProcessLocksTest, LocksOfAKilledProcessAreReleased) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    auto pm = OpenShared();
    bool locked = pm->LockStateByte() && pm->LockTablesByte();
    char c = locked ? 'y' : 'n';
    (void)!write(ready[1], &c, 1);
    pause();  // killed while holding both bytes
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');
  auto pm = OpenShared();
  EXPECT_TRUE(pm->IsByteLocked(pm->StateLockBytePosition()));
  EXPECT_THAT([&] { pm->AllocatePageNo(); }, ThrowsDvx(50000));
  kill(pid, SIGKILL);
  int status;
  waitpid(pid, &status, 0);
  close(ready[0]);
  close(ready[1]);
  EXPECT_FALSE(pm->IsByteLocked(pm->StateLockBytePosition()));
  EXPECT_FALSE(pm->IsByteLocked(pm->TablesLockBytePosition()));
  EXPECT_EQ(pm->AllocatePageNo(), 6);
}

}  // namespace
}  // namespace dvx::test
