// fendra-data build on the delivered content: every file passes dvx check
// and holds one record per source entry; broken copies of the content are
// refused with file and line and leave nothing; wrong command lines.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "tests/tools/dvx_runner.h"
#include "tests/tools/refdata/build_test_util.h"
#include "tools/refdata/source_validator.h"

namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
namespace fs = std::filesystem;

#ifdef FENDRA_DATA_EXECUTABLE

dvxtest::TRun RunFendraData(const std::string& args) {
  const std::string command = std::string(FENDRA_DATA_EXECUTABLE) + " " + args + " 2>&1";
  dvxtest::TRun run{-1, ""};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class FendraDataTest : public refdatatest::TBuildFolderTest {
 protected:
  // A copy of the delivered content in root_.
  void CopyContent() {
    fs::remove_all(root_);
    fs::copy(fs::path(FENDRA_SOURCE_DIR) / "data", root_, fs::copy_options::recursive);
  }
  void Append(const std::string& relative, const std::string& text) {
    std::ofstream(root_ / relative, std::ios::app | std::ios::binary) << text;
  }
  int LineCount(const std::string& relative) {
    const std::string content = refdatatest::ReadBytes(root_ / relative);
    return static_cast<int>(std::count(content.begin(), content.end(), '\n'));
  }
  dvxtest::TRun Build() { return RunFendraData("build '" + root_.string() + "' '" + out_.string() + "'"); }
};

TEST_F(FendraDataTest, DeliveredContentBuildsEveryFileWithOneRecordPerEntry) {
  const auto run = RunFendraData("build '" + std::string(FENDRA_SOURCE_DIR) + "/data' '" + out_.string() + "'");
  ASSERT_EQ(run.status, 0) << run.out;
  const refdata::TValidationReport report =
      refdata::ValidateDataDirectory(fs::path(FENDRA_SOURCE_DIR) / "data");
  ASSERT_EQ(report.counts.size(), refdata::ReferenceTables().size());
  for (size_t i = 0; i < report.counts.size(); ++i) {
    const refdata::TTableSchema& schema = refdata::ReferenceTables()[i];
    SCOPED_TRACE(std::string(schema.fileName));
    const std::string file = (out_ / schema.fileName).string();
    EXPECT_THAT(run.out, HasSubstr("/8] " + std::string(schema.fileName)));
    const auto check = dvxtest::RunDvx("check '" + file + "'");
    EXPECT_EQ(check.status, 0) << check.out;
    const auto dump = dvxtest::RunDvx("dump '" + file + "' '" + std::string(schema.tableName) + "' --blob-hash");
    ASSERT_EQ(dump.status, 0) << dump.out;
    const int records = static_cast<int>(std::count(dump.out.begin(), dump.out.end(), '\n')) - 1;
    EXPECT_EQ(records, report.counts[i].entries);
    EXPECT_GT(records, 0);
  }
}

TEST_F(FendraDataTest, TooLongNameAndMissingParentAreRefusedWithFileAndLine) {
  CopyContent();
  const int line = LineCount("Baum/01-kopf.md") + 1;
  Append("Baum/01-kopf.md",
         "+++\nBezTree: Kopfschmerzen nach dem Schwimmbad\nLs: 01.09\nEltern: Kopf und Nerven\n+++\nText.\n"
         "+++\nBezTree: Schwindel\nLs: 01.10\nEltern: Kopf und Nervenn\n+++\nText.\n");
  const auto run = Build();
  EXPECT_EQ(run.status, 1) << run.out;
  EXPECT_THAT(run.out, HasSubstr("Baum/01-kopf.md:" + std::to_string(line + 1) +
                                 ": 'BezTree' 'Kopfschmerzen nach dem Schwimmbad' has 33 characters; the field holds 30"));
  EXPECT_THAT(run.out, HasSubstr("Baum/01-kopf.md:" + std::to_string(line + 9) +
                                 ": 'Eltern: Kopf und Nervenn' names no tree entry"));
  EXPECT_THAT(run.out, HasSubstr("nothing was written"));
  EXPECT_THAT(refdatatest::FolderNames(outParent_), IsEmpty());
}

TEST_F(FendraDataTest, RefusedBuildLeavesTheOlderSetUntouched) {
  CopyContent();
  ASSERT_EQ(Build().status, 0);
  const auto before = Snapshot(out_);
  Append("Emerg/seele.md", "+++\nIndikation: Schreck\n+++\nText ohne Notruf.\n");
  const auto run = Build();
  EXPECT_EQ(run.status, 1) << run.out;
  EXPECT_THAT(run.out, HasSubstr("Emerg/seele.md:"));
  EXPECT_EQ(Snapshot(out_), before);
  EXPECT_THAT(refdatatest::FolderNames(outParent_), ::testing::ElementsAre("data"));
}

TEST_F(FendraDataTest, WrongCommandLinesAreUsageErrors) {
  for (const char* args : {"", "build", "build onlyone", "rebuild a b", "build a b c"}) {
    const auto run = RunFendraData(args);
    EXPECT_EQ(run.status, 2) << args << ": " << run.out;
    EXPECT_THAT(run.out, HasSubstr("usage: fendra-data build SRC OUT")) << args;
  }
  const auto missing = RunFendraData("build '" + (root_ / "nowhere").string() + "' '" + out_.string() + "'");
  EXPECT_EQ(missing.status, 1);
  EXPECT_THAT(missing.out, HasSubstr("is not a folder"));
  EXPECT_FALSE(fs::exists(out_));
}

#else

TEST(FendraDataTest, NeedsTheBuilder) { GTEST_SKIP() << "fendra-data is built with the application"; }

#endif

}  // namespace
