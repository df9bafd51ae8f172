// The stream kinds beside the memory stream: file streams, temporary
// streams that move into a file past their threshold, exact transfers with
// the stream messages, and whole-content copies with progress and abort.
#include <gtest/gtest.h>

#include "engine/core/exception.h"
#include "engine/core/file_stream.h"
#include "engine/core/platform/memory_file.h"
#include "engine/core/temporary_stream.h"
#include "tests/support/byte_helpers.h"
#include "tests/support/dvx_matchers.h"

namespace dvx {
namespace {

using testing::Pattern;
using testing::ThrowsDvx;
using ::testing::HasSubstr;

std::vector<uint8_t> Contents(TDVXStream& stream) {
  std::vector<uint8_t> bytes(static_cast<size_t>(stream.Size()));
  stream.SetPosition(0);
  stream.ReadBuffer(bytes.data(), bytes.size(), 1);
  return bytes;
}

TEST(FileStream, WritesReadsAndSizesGoToTheFile) {
  TDVXMemoryFileSystem fs;
  auto stream = TDVXFileStream::Create("a.bin", fs);
  stream->WriteBuffer("hello world", 11, 1);
  stream->SetPosition(6);
  stream->WriteBuffer("WORLD", 5, 1);
  EXPECT_EQ(11u, stream->Size());
  stream->SetSize(5);
  EXPECT_EQ(std::vector<uint8_t>({'h', 'e', 'l', 'l', 'o'}), fs.Contents("a.bin"));
  stream->SetSize(7);
  EXPECT_EQ(std::vector<uint8_t>({'h', 'e', 'l', 'l', 'o', 0, 0}), Contents(*stream));
  stream.reset();
  auto again = TDVXFileStream::Open("a.bin", TDVXFileAccess::ReadOnly, TDVXFileShare::Shared, fs);
  EXPECT_EQ(7u, again->Size());
  EXPECT_THAT([&] { TDVXFileStream::Open("missing.bin", TDVXFileAccess::ReadOnly, TDVXFileShare::Shared, fs); },
              ThrowsDvx(30364, HasSubstr("Cannot open file:'missing.bin' Error code: ")));
}

TEST(FileStream, AFailedWriteIsAShortWriteWithTheCallersCode) {
  TDVXMemoryFileSystem fs;
  auto stream = TDVXFileStream::Create("a.bin", fs);
  fs.FailNthWrite(1);
  EXPECT_THAT([&] { stream->WriteBuffer("abcd", 4, 4242); },
              ThrowsDvx(4242, "Cannot write to stream. Position = 0, Stream size = 0, Block size = 4, Bytes Write = 0"));
  fs.FailNthRead(1);
  uint8_t byte;
  stream->WriteBuffer("x", 1, 1);
  stream->SetPosition(0);
  EXPECT_THAT([&] { stream->ReadBuffer(&byte, 1, 4343); }, ThrowsDvx(4343, HasSubstr("Bytes Read = 0")));
}

TEST(TemporaryStream, StaysInMemoryUpToItsThresholdAndMovesToAFileBeyond) {
  TDVXMemoryFileSystem fs;
  std::string fileName;
  {
    TDVXTemporaryStream stream(100, fs, "/tmp");
    const std::vector<uint8_t> first = Pattern(100, 1);
    stream.WriteBuffer(first.data(), first.size(), 1);
    EXPECT_FALSE(stream.InFile());
    stream.SetPosition(40);
    const std::vector<uint8_t> second = Pattern(61, 2);
    stream.WriteBuffer(second.data(), second.size(), 1);  // 101 bytes: one too many
    ASSERT_TRUE(stream.InFile());
    fileName = stream.FileName();
    EXPECT_EQ(0u, fileName.find("/tmp/DVX"));
    EXPECT_TRUE(fs.Exists(fileName));
    EXPECT_EQ(101u, stream.Position());
    std::vector<uint8_t> expected(first.begin(), first.begin() + 40);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(expected, Contents(stream));
    EXPECT_EQ(expected, fs.Contents(fileName));
  }
  EXPECT_FALSE(fs.Exists(fileName));
}

TEST(TemporaryStream, GrowingTheSizePastTheThresholdMovesItToo) {
  TDVXMemoryFileSystem fs;
  TDVXTemporaryStream stream(10, fs, "/tmp/");
  stream.WriteBuffer("abc", 3, 1);
  stream.SetSize(10);
  EXPECT_FALSE(stream.InFile());
  stream.SetSize(11);
  EXPECT_TRUE(stream.InFile());
  EXPECT_EQ(11u, fs.Contents(stream.FileName()).size());
  EXPECT_EQ('c', Contents(stream)[2]);
}

TEST(TemporaryStream, TheOperatingSystemsFileIsMadeAndDeletedToo) {
  std::string fileName;
  {
    TDVXTemporaryStream stream(4);
    stream.WriteBuffer("0123456789", 10, 1);
    ASSERT_TRUE(stream.InFile());
    fileName = stream.FileName();
    EXPECT_TRUE(TDVXFileSystem::Default().Exists(fileName));
    EXPECT_EQ(10u, Contents(stream).size());
  }
  EXPECT_FALSE(TDVXFileSystem::Default().Exists(fileName));
}

TEST(StreamCopies, SaveAndLoadCopyTheWholeContentInPieces) {
  TDVXMemoryStream source(Pattern(1000));
  source.SetBlockSize(300);
  std::vector<double> progress;
  source.SetProgress([&](TDVXStream&, bool&, double percent) { progress.push_back(percent); });
  TDVXMemoryStream target;
  target.WriteBuffer("xx", 2, 1);
  EXPECT_TRUE(source.SaveToStream(target));
  EXPECT_EQ(1002u, target.Size());
  EXPECT_EQ((std::vector<double>{30, 60, 90, 100}), progress);
  TDVXMemoryStream loaded(std::vector<uint8_t>(5000, 1));
  EXPECT_TRUE(loaded.LoadFromStream(source));
  EXPECT_EQ(Pattern(1000), loaded.Bytes());
  EXPECT_EQ(0u, loaded.Position());
}

TEST(StreamCopies, TheProgressCallbackCanAbort) {
  TDVXMemoryStream source(Pattern(1000));
  source.SetBlockSize(100);
  source.SetProgress([](TDVXStream&, bool& abort, double percent) { abort = percent >= 50; });
  TDVXMemoryStream target;
  EXPECT_FALSE(source.SaveToStream(target));
  EXPECT_TRUE(source.Aborted());
  EXPECT_EQ(500u, target.Size());
}

TEST(StreamCopies, AShortSourceFailsWithTheReadMessage) {
  // A source that says it holds more than it gives.
  class TShortStream : public TDVXMemoryStream {
   public:
    using TDVXMemoryStream::TDVXMemoryStream;
    size_t Read(void* buffer, size_t count) override { return TDVXMemoryStream::Read(buffer, count / 2); }
  };
  TShortStream source(Pattern(10));
  TDVXMemoryStream target;
  EXPECT_THAT([&] { target.LoadFromStream(source, 777); },
              ThrowsDvx(777, "Cannot read from stream. Position = 5, Stream size = 10, Block size = 10, Bytes Read = 5"));
}

}  // namespace
}  // namespace dvx
