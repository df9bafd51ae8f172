// Runs the dvx executable and checks its exit status and output.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/tools/dvx_runner.h"

namespace {

using dvxtest::RunDvx;
using dvxtest::TRun;

TEST(DvxCommandLine, VersionPrintsTheEngineVersion) {
  TRun r = RunDvx("--version");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "4.20\n");
}

TEST(DvxCommandLine, HelpListsUsage) {
  TRun r = RunDvx("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Usage: dvx"), std::string::npos);
}

TEST(DvxCommandLine, UnknownCommandOrNoneIsAUsageError) {
  TRun r = RunDvx("frobnicate");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("unknown command 'frobnicate'"), std::string::npos);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);
  EXPECT_EQ(RunDvx("").status, 2);
}

}  // namespace
