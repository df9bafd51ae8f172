// Read brackets between two programs: within one bracket a cached page
// keeps the content the bracket began with, whatever another program
// commits meanwhile; the next bracket sees the commit; outside brackets
// every use asks the file.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "engine/storage/disk_database_storage.h"
#include "tests/engine/storage/storage_test_util.h"

namespace dvx::test {
namespace {

constexpr int32_t kSession = 1;

class ReadBracketProcessesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/dvx_brackets_XXXXXX";
    dir_ = mkdtemp(pattern);
    file_ = dir_ + "/db.dvx";
    TDVXDiskDatabaseStorage(file_, FastLocks()).CreateDatabase(512, 8, 2);
    {
      auto pm = OpenShared();
      for (int i = 0; i < 2; ++i) {
        TDVXPage* page = pm->AddPage(kSession);
        pages_[i] = page->PageNo();
        page->WritableData()[0] = 1;
        pm->PutPage(page);
      }
      pm->ApplyChanges(kSession);
      pm->CloseDatabaseFile();
    }
    ASSERT_EQ(pipe(toChild_), 0);
    ASSERT_EQ(pipe(fromChild_), 0);
    child_ = fork();
    ASSERT_GE(child_, 0);
    if (child_ == 0) {
      RunWriter();
      _exit(0);
    }
  }
  void TearDown() override {
    if (child_ > 0) {
      const char quit[2] = {'q', 0};
      (void)!write(toChild_[1], quit, 2);
      waitpid(child_, nullptr, 0);
    }
    for (int fd : {toChild_[0], toChild_[1], fromChild_[0], fromChild_[1]}) close(fd);
    std::system(("rm -rf '" + dir_ + "'").c_str());
  }

  std::unique_ptr<TDVXDiskPageManager> OpenShared() {
    auto pm = std::make_unique<TDVXDiskPageManager>(FastLocks());
    bool readOnly = false;
    TDVXCryptoInfo crypto;
    pm->OpenDatabaseFile(file_, readOnly, false, false, crypto);
    return pm;
  }

  // The other program: writes the first data byte of a page and commits,
  // on each request; answers 'y' when the commit holds.
  void RunWriter() {
    try {
      auto pm = OpenShared();
      char request[2];
      while (read(toChild_[0], request, 2) == 2 && request[0] != 'q') {
        char answer = 'n';
        try {
          TDVXPageRef page(*pm, pm->GetPage(kSession, pages_[request[0] - '0']));
          page->SetDirty();
          page->WritableData()[0] = static_cast<uint8_t>(request[1]);
          page.Release();
          pm->ApplyChanges(kSession);
          answer = 'y';
        } catch (const EDVXException&) {
          pm->CancelChanges(kSession);
        }
        (void)!write(fromChild_[1], &answer, 1);
      }
    } catch (...) {
      _exit(1);
    }
  }
  // Has the other program set page `which`'s byte to `value` and commit.
  bool OtherProgramWrites(int which, uint8_t value) {
    const char request[2] = {static_cast<char>('0' + which), static_cast<char>(value)};
    if (write(toChild_[1], request, 2) != 2) return false;
    char answer = 0;
    return read(fromChild_[0], &answer, 1) == 1 && answer == 'y';
  }
  uint8_t Read(TDVXPageManager& pm, int which, int32_t session = kSession) {
    TDVXPageRef page(pm, pm.GetPage(session, pages_[which]));
    return page->Data()[0];
  }

  std::string dir_, file_;
  int32_t pages_[2] = {-1, -1};
  int toChild_[2] = {-1, -1};
  int fromChild_[2] = {-1, -1};
  pid_t child_ = -1;
};

TEST_F(ReadBracketProcessesTest, OutsideBracketsEveryUseSeesTheOtherProgramsCommit) {
  auto pm = OpenShared();
  EXPECT_EQ(Read(*pm, 0), 1);
  ASSERT_TRUE(OtherProgramWrites(0, 2));
  EXPECT_EQ(Read(*pm, 0), 2);
}

TEST_F(ReadBracketProcessesTest, ACommitIsNeverSeenWithinABracketAndSeenByTheNext) {
  auto pm = OpenShared();
  EXPECT_EQ(Read(*pm, 0), 1);
  const int32_t counter = pm->BeginBracket(kSession);
  EXPECT_EQ(Read(*pm, 0), 1);
  ASSERT_TRUE(OtherProgramWrites(0, 2));
  EXPECT_EQ(Read(*pm, 0), 1);
  EXPECT_EQ(pm->SessionStateCounter(kSession), counter);
  pm->EndBracket(kSession);
  EXPECT_FALSE(pm->InBracket(kSession));
  const int32_t next = pm->BeginBracket(kSession);
  EXPECT_EQ(next, counter + 1);
  EXPECT_EQ(Read(*pm, 0), 2);
  pm->EndBracket(kSession);
}

TEST_F(ReadBracketProcessesTest, ABracketOfAnotherSessionDoesNotHoldBackThisOne) {
  auto pm = OpenShared();
  EXPECT_EQ(Read(*pm, 0), 1);
  pm->BeginBracket(kSession + 1);
  ASSERT_TRUE(OtherProgramWrites(0, 4));
  EXPECT_EQ(Read(*pm, 0, kSession), 4);
  pm->EndBracket(kSession + 1);
}

TEST_F(ReadBracketProcessesTest, ANestedBracketLooksAgainAndTheOuterGoesOnAtItsCounter) {
  auto pm = OpenShared();
  EXPECT_EQ(Read(*pm, 0), 1);
  pm->BeginBracket(kSession);
  ASSERT_TRUE(OtherProgramWrites(0, 3));
  EXPECT_EQ(Read(*pm, 0), 1);
  pm->BeginBracket(kSession);
  EXPECT_EQ(Read(*pm, 0), 3);
  pm->EndBracket(kSession);
  EXPECT_TRUE(pm->InBracket(kSession));
  pm->EndBracket(kSession);
  EXPECT_FALSE(pm->InBracket(kSession));
}

TEST_F(ReadBracketProcessesTest, TheSessionsOwnCommitMovesItsBracketPastEverythingBefore) {
  auto pm = OpenShared();
  EXPECT_EQ(Read(*pm, 0), 1);
  EXPECT_EQ(Read(*pm, 1), 1);
  const int32_t counter = pm->BeginBracket(kSession);
  ASSERT_TRUE(OtherProgramWrites(1, 5));
  EXPECT_EQ(Read(*pm, 1), 1);
  {
    TDVXPageRef page(*pm, pm->GetPage(kSession, pages_[0]));
    page->SetDirty();
    page->WritableData()[0] = 6;
  }
  pm->ApplyChanges(kSession);
  // The commit came after the other program's: the bracket now trusts
  // only what the file holds at the new counter.
  EXPECT_EQ(pm->SessionStateCounter(kSession), counter + 2);
  EXPECT_EQ(Read(*pm, 0), 6);
  EXPECT_EQ(Read(*pm, 1), 5);
  pm->EndBracket(kSession);
}

TEST_F(ReadBracketProcessesTest, APageInUseIsNotRereadWhenABracketBegins) {
  auto pm = OpenShared();
  TDVXPageRef held(*pm, pm->GetPage(kSession, pages_[0]));
  ASSERT_TRUE(OtherProgramWrites(0, 7));
  pm->BeginBracket(kSession);
  EXPECT_EQ(Read(*pm, 0), 1);
  held.Release();
  pm->EndBracket(kSession);
  EXPECT_EQ(Read(*pm, 0), 7);
}

}  // namespace
}  // namespace dvx::test
