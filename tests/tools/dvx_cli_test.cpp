// Runs the dvx executable and checks its exit status and output.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct Result {
  int status;
  std::string output;
};

Result RunDvx(const std::string& args) {
  std::string command = std::string(DVX_EXECUTABLE) + " " + args + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  Result r{-1, ""};
  if (!pipe) return r;
  std::array<char, 512> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) r.output.append(buf.data(), n);
  int raw = pclose(pipe);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return r;
}

TEST(DvxCommandLine, VersionPrintsTheEngineVersion) {
  Result r = RunDvx("--version");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "4.20\n");
}

TEST(DvxCommandLine, HelpListsUsage) {
  Result r = RunDvx("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("Usage: dvx"), std::string::npos);
}

TEST(DvxCommandLine, UnknownCommandOrNoneIsAUsageError) {
  Result r = RunDvx("frobnicate");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.output.find("unknown command 'frobnicate'"), std::string::npos);
  EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1);
  EXPECT_EQ(RunDvx("").status, 2);
}

}  // namespace
