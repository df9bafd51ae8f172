#include <gtest/gtest.h>
#include <unistd.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>

#include "engine/core/platform/memory_file.h"
#include "engine/core/platform/os_file.h"
#include "engine/core/platform/temp_files.h"

namespace dvx {
namespace {

std::unique_ptr<TDVXFile> OpenOrDie(TDVXFileSystem& fs, const std::string& name, TDVXFileOpen how,
                                    TDVXFileShare share = TDVXFileShare::Shared) {
  TDVXFileError error;
  auto file = fs.Open(name, how, TDVXFileAccess::ReadWrite, share, error);
  EXPECT_TRUE(file) << error.message;
  return file;
}

std::string ReadAll(TDVXFile& f) {
  uint64_t size = 0;
  EXPECT_TRUE(f.GetSize(size));
  std::string s(size, '\0');
  size_t done = 0;
  EXPECT_TRUE(f.ReadAt(0, s.data(), s.size(), done));
  s.resize(done);
  return s;
}

// Both implementations behave alike for plain positioned I/O.
class FileLayerTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) {
      fs_ = &memory_;
      name_ = "test.dvx";
    } else {
      fs_ = &TDVXFileSystem::Default();
      name_ = CreateUniqueTempFile("DVXT");
    }
  }
  void TearDown() override {
    if (!GetParam()) ::unlink(name_.c_str());
  }
  TDVXMemoryFileSystem memory_;
  TDVXFileSystem* fs_ = nullptr;
  std::string name_;
};

TEST_P(FileLayerTest, PositionedWritesBeyondTheEndFillWithZeros) {
  auto f = OpenOrDie(*fs_, name_, TDVXFileOpen::CreateOrTruncate);
  ASSERT_TRUE(f->WriteAt(5, "xyz", 3));
  EXPECT_EQ(ReadAll(*f), std::string("\0\0\0\0\0xyz", 8));
  char buf[10];
  size_t done = 99;
  ASSERT_TRUE(f->ReadAt(6, buf, 10, done));
  EXPECT_EQ(done, 2u);  // short read at the end, not an error
  ASSERT_TRUE(f->ReadAt(100, buf, 10, done));
  EXPECT_EQ(done, 0u);
  ASSERT_TRUE(f->SetEndOfFile(6));
  EXPECT_EQ(ReadAll(*f), std::string("\0\0\0\0\0x", 6));
  EXPECT_TRUE(f->Flush());
}

TEST(OsFile, LargeOffsetsUse64Bits) {
  std::string name = CreateUniqueTempFile("DVXB");
  auto f = OpenOrDie(TDVXFileSystem::Default(), name, TDVXFileOpen::OpenExisting);
  const uint64_t far = (uint64_t{1} << 32) + 17;  // sparse on disk
  ASSERT_TRUE(f->WriteAt(far, "Q", 1));
  uint64_t size = 0;
  ASSERT_TRUE(f->GetSize(size));
  EXPECT_EQ(size, far + 1);
  char c = 0;
  size_t done = 0;
  ASSERT_TRUE(f->ReadAt(far, &c, 1, done));
  EXPECT_EQ(c, 'Q');
  f.reset();
  ::unlink(name.c_str());
}

TEST_P(FileLayerTest, ByteLocksConflictBetweenOpens) {
  auto a = OpenOrDie(*fs_, name_, TDVXFileOpen::CreateOrTruncate);
  auto b = OpenOrDie(*fs_, name_, TDVXFileOpen::OpenExisting);
  ASSERT_TRUE(a->TryLock(296, 1, true));
  EXPECT_FALSE(b->TryLock(296, 1, true));
  EXPECT_TRUE(b->IsLockedByOther(296, 1));
  EXPECT_FALSE(a->IsLockedByOther(296, 1));
  EXPECT_TRUE(b->TryLock(297, 1, true));  // the neighbouring byte is free
  ASSERT_TRUE(a->Unlock(296, 1));
  EXPECT_TRUE(b->TryLock(296, 1, true));
  b.reset();  // closing drops every lock of the open
  EXPECT_TRUE(a->TryLock(296, 2, true));
}

TEST_P(FileLayerTest, ExclusiveOpenKeepsOthersOut) {
  auto a = OpenOrDie(*fs_, name_, TDVXFileOpen::CreateOrTruncate, TDVXFileShare::Exclusive);
  TDVXFileError error;
  EXPECT_FALSE(fs_->Open(name_, TDVXFileOpen::OpenExisting, TDVXFileAccess::ReadOnly, TDVXFileShare::Shared, error));
  EXPECT_NE(error.message.find("in use"), std::string::npos);
  EXPECT_NE(error.code, 0);
}

TEST_P(FileLayerTest, MissingFileIsReportedNotCreated) {
  TDVXFileError error;
  std::string missing = name_ + ".missing";
  EXPECT_FALSE(fs_->Open(missing, TDVXFileOpen::OpenExisting, TDVXFileAccess::ReadWrite, TDVXFileShare::Shared, error));
  EXPECT_EQ(error.code, ENOENT);
  EXPECT_FALSE(error.message.empty());
  EXPECT_FALSE(fs_->Exists(missing));
}

INSTANTIATE_TEST_SUITE_P(Implementations, FileLayerTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Memory" : "OperatingSystem"; });

TEST(MemoryFileFaults, NthWriteAndFlushFailOnce) {
  TDVXMemoryFileSystem fs;
  auto f = OpenOrDie(fs, "f", TDVXFileOpen::CreateOrTruncate);
  fs.FailNthWrite(2);
  EXPECT_TRUE(f->WriteAt(0, "a", 1));
  EXPECT_FALSE(f->WriteAt(1, "b", 1));
  EXPECT_NE(f->LastError().find("injected"), std::string::npos);
  EXPECT_EQ(f->LastErrorCode(), EIO);
  EXPECT_TRUE(f->WriteAt(1, "c", 1));
  EXPECT_EQ(ReadAll(*f), "ac");
  fs.FailNthFlush(1);
  EXPECT_FALSE(f->Flush());
  EXPECT_TRUE(f->Flush());
}

TEST(MemoryFileFaults, CrashLosesOnlyUnflushedWrites) {
  TDVXMemoryFileSystem fs;
  auto f = OpenOrDie(fs, "f", TDVXFileOpen::CreateOrTruncate);
  ASSERT_TRUE(f->WriteAt(0, "durable", 7));
  ASSERT_TRUE(f->Flush());
  ASSERT_TRUE(f->WriteAt(0, "LOST", 4));
  ASSERT_TRUE(f->WriteAt(7, "+tail", 5));
  fs.Crash();
  EXPECT_EQ(ReadAll(*f), "durable");
}

TEST(OsFileLocks, AnotherProcessSeesTheLockAndItDiesWithTheProcess) {
  std::string name = CreateUniqueTempFile("DVXL");
  int ready[2], go[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(go), 0);
  pid_t child = fork();
  if (child == 0) {
    TDVXFileError error;
    auto f = TDVXFileSystem::Default().Open(name, TDVXFileOpen::OpenExisting, TDVXFileAccess::ReadWrite,
                                           TDVXFileShare::Shared, error);
    char c = f && f->TryLock(296, 1, true) ? 'L' : 'F';
    (void)!write(ready[1], &c, 1);
    (void)!read(go[0], &c, 1);
    _exit(0);  // no unlock: the kernel must drop the lock
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'L');
  auto f = OpenOrDie(TDVXFileSystem::Default(), name, TDVXFileOpen::OpenExisting);
  EXPECT_TRUE(f->IsLockedByOther(296, 1));
  EXPECT_FALSE(f->TryLock(296, 1, true));
  ASSERT_EQ(write(go[1], "x", 1), 1);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_FALSE(f->IsLockedByOther(296, 1));
  EXPECT_TRUE(f->TryLock(296, 1, true));
  ::unlink(name.c_str());
}

TEST(TempFiles, NamesAreUniqueAndCarryThePrefix) {
  std::string a = CreateUniqueTempFile("DVX");
  std::string b = CreateUniqueTempFile("DVX");
  EXPECT_NE(a, b);
  EXPECT_EQ(a.rfind(TempDirectory() + "DVX", 0), 0u);
  EXPECT_TRUE(TDVXFileSystem::Default().Exists(a));
  ::unlink(a.c_str());
  ::unlink(b.c_str());
}

}  // namespace
}  // namespace dvx
