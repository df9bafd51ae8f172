// Start-up of the program: from starting the process to the main window
// shown on the reference databases, as a user waits for it. Each run starts
// build/app/Fendra in a folder with the eight databases built from data/,
// under the offscreen platform, with FENDRA_EXIT_AFTER_SHOW=1 so the program
// ends once its window has been shown; the time is wall clock from fork to
// the process's end (its shut-down included, which frees the components).
//
// The program and the builder are found beside this benchmark in the build
// folder (../app/Fendra, ../tools/refdata/fendra-data), the sources through
// the build's CMakeCache.txt; FENDRA_EXECUTABLE names another program.
// Counters: median_ms and min_ms over the runs, and user_ms / sys_ms, the
// processor time of the median run's process.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_reference_data.h"

namespace {

namespace fs = std::filesystem;

using dvxbench::BuildFolder;

fs::path Program() {
  if (const char* named = std::getenv("FENDRA_EXECUTABLE")) return named;
  return BuildFolder() / "app" / "Fendra";
}

// The databases, built once for the run into a temporary folder.
const fs::path& Databases() { return dvxbench::ReferenceDatabases("startup"); }

struct TRun {
  double wallMs = 0;
  double userMs = 0;
  double sysMs = 0;
  bool ok = false;
};

TRun StartOnce(const fs::path& program, const fs::path& folder) {
  TRun run;
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(folder.c_str()) != 0) _exit(126);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("FENDRA_EXIT_AFTER_SHOW", "1", 1);
    // Qt's complaint about a missing runtime folder is not part of the time.
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, STDERR_FILENO);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  if (child < 0) return run;
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) return run;
  run.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
  run.userMs = ms(usage.ru_utime);
  run.sysMs = ms(usage.ru_stime);
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

void BM_StartToWindowShown(benchmark::State& state) {
  const fs::path& folder = Databases();
  const fs::path program = Program();
  if (folder.empty() || !fs::exists(program)) {
    state.SkipWithError("needs the built program and fendra-data beside the benchmark");
    return;
  }
  std::vector<TRun> runs;
  for (auto _ : state) {
    const TRun run = StartOnce(program, folder);
    if (!run.ok) {
      state.SkipWithError("the program did not start and end cleanly on the databases");
      return;
    }
    state.SetIterationTime(run.wallMs / 1000.0);
    runs.push_back(run);
  }
  std::sort(runs.begin(), runs.end(), [](const TRun& a, const TRun& b) { return a.wallMs < b.wallMs; });
  const TRun& median = runs[runs.size() / 2];
  state.counters["median_ms"] = median.wallMs;
  state.counters["min_ms"] = runs.front().wallMs;
  state.counters["user_ms"] = median.userMs;
  state.counters["sys_ms"] = median.sysMs;
}
BENCHMARK(BM_StartToWindowShown)->UseManualTime()->Iterations(21)->Unit(benchmark::kMillisecond);

}  // namespace
