// Shared helpers of the dvx tool tests: running the dvx executable with its
// output captured, whole-file reads and writes, and a fixture that gives each
// test a fresh temporary folder.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace dvxtest {

struct TRun {
  int status;
  std::string out;
};

// Runs dvx with the given arguments, standard error folded into the output.
// The status is the exit code, or -1 when the tool did not exit normally or
// could not be started. Sanitizer builds run with exit codes of their own
// (99, 98), so a sanitizer report is never taken for the tool's status 1.
inline TRun RunDvx(const std::string& args) {
  std::string command = std::string(DVX_EXECUTABLE) + " " + args + " 2>&1";
  TRun run{-1, ""};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), n);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

inline std::vector<uint8_t> ReadAll(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteAll(const std::string& name, const std::vector<uint8_t>& bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Forks two processes that run `writer` with the tags 'A' and 'B'; one that
// throws prints the error and exits with 1. Each must exit with 0 within two
// minutes, or it is killed. Fatal failures: call it under
// ASSERT_NO_FATAL_FAILURE.
inline void RunTwoWriters(const std::function<void(char)>& writer) {
  auto run = [&](char tag) -> int {
    try {
      writer(tag);
      return 0;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "writer %c: %s\n", tag, e.what());
      return 1;
    }
  };
  std::vector<pid_t> children;
  for (char tag : {'A', 'B'}) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) _exit(run(tag));
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = -1;
    for (int waited = 0; waited < 1200; ++waited) {  // at most two minutes
      if (waitpid(pid, &status, WNOHANG) == pid) break;
      usleep(100000);
    }
    if (!WIFEXITED(status)) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      FAIL() << "writer did not finish";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
  }
}

// Each test gets its own folder below /tmp (dir_), removed afterwards, and
// the name of a database file in it (file_). `Base` is the fixture it
// extends (another fixture of ::testing::Test).
template <typename Base = ::testing::Test>
class TDvxTempDirTestOf : public Base {
 protected:
  void SetUp() override {
    Base::SetUp();
    char pattern[] = "/tmp/dvx_tool_XXXXXX";
    const char* made = mkdtemp(pattern);
    ASSERT_NE(made, nullptr) << "cannot create a temporary folder";
    dir_ = made;
    file_ = dir_ + "/db.dvx";
  }
  void TearDown() override {
    if (!dir_.empty()) std::system(("rm -rf '" + dir_ + "'").c_str());
    Base::TearDown();
  }
  std::string dir_, file_;
};
using TDvxTempDirTest = TDvxTempDirTestOf<>;

}  // namespace dvxtest
