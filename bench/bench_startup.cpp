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
//
// Of that start-up, the indication tree built at show on the same databases,
// in this process (offscreen): BM_BuildIndicationTree runs the four tree
// queries as the window does (the root, its children ordered by BezTree,
// two levels below), filling a tree view; goal under 50 ms. Beside it,
// BM_BuildIndicationTreeSqlite builds the same tree from the same rows in
// an in-memory SQLite database with the same statements (no index on
// Ebene either), prepared once and reset per parent; the ratio counter of
// ours says how many times SQLite's time it takes.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sqlite3.h>
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

#include <QApplication>
#include <QTreeWidget>

#include "app/data_module.h"
#include "app/indication_tree.h"
#include "bench/bench_reference_data.h"
#include "engine/components/field.h"
#include "engine/components/table.h"

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

// The window's data module on the databases, activated once for the run.
fendra::TDataModule* Data() {
  static std::unique_ptr<fendra::TDataModule> data = []() -> std::unique_ptr<fendra::TDataModule> {
    if (Databases().empty()) return nullptr;
    auto module = std::make_unique<fendra::TDataModule>(Databases());
    module->Activate();
    return module;
  }();
  return data.get();
}

double treeMedianMs = 0;

void BM_BuildIndicationTree(benchmark::State& state) {
  fendra::TDataModule* data = Data();
  if (!data) {
    state.SkipWithError("needs fendra-data beside the benchmark");
    return;
  }
  std::vector<double> times;
  int nodes = 0;
  for (auto _ : state) {
    QTreeWidget tree;
    const auto start = std::chrono::steady_clock::now();
    nodes = fendra::BuildIndicationTree(tree, *data).Count;
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(ms / 1000.0);
    times.push_back(ms);
  }
  std::sort(times.begin(), times.end());
  treeMedianMs = times[times.size() / 2];
  state.counters["median_ms"] = treeMedianMs;
  state.counters["nodes"] = nodes;
}
BENCHMARK(BM_BuildIndicationTree)->UseManualTime()->Iterations(21)->Unit(benchmark::kMillisecond);

void BM_BuildIndicationTreeSqlite(benchmark::State& state) {
  fendra::TDataModule* data = Data();
  if (!data) {
    state.SkipWithError("needs fendra-data beside the benchmark");
    return;
  }
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  sqlite3_exec(db, "CREATE TABLE Baum (Baum_ID INTEGER PRIMARY KEY, BezTree TEXT, Ls TEXT, Ebene INTEGER)",
               nullptr, nullptr, nullptr);
  {
    dvx::TDVXTable& baum = data->TableComponent("tblTree");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Baum VALUES (?, ?, ?, ?)", -1, &insert, nullptr);
    for (baum.First(); !baum.Eof(); baum.Next()) {
      sqlite3_bind_int(insert, 1, baum.FieldByName("Baum_ID").AsInteger());
      const std::string name = baum.FieldByName("BezTree").AsString();
      const std::string ls = baum.FieldByName("Ls").AsString();
      sqlite3_bind_text(insert, 2, name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 3, ls.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int(insert, 4, baum.FieldByName("Ebene").AsInteger());
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
  }
  sqlite3_stmt* plain = nullptr;
  sqlite3_stmt* ordered = nullptr;
  sqlite3_prepare_v2(db, "SELECT Baum_ID, BezTree FROM Baum WHERE Ebene = ?", -1, &plain, nullptr);
  sqlite3_prepare_v2(db, "SELECT Baum_ID, BezTree FROM Baum WHERE Ebene = ? ORDER BY BezTree", -1, &ordered, nullptr);
  using TRows = std::vector<std::pair<int, QString>>;
  auto rows = [](sqlite3_stmt* statement, int parent) {
    TRows result;
    sqlite3_bind_int(statement, 1, parent);
    while (sqlite3_step(statement) == SQLITE_ROW)
      result.emplace_back(sqlite3_column_int(statement, 0),
                          QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 1))));
    sqlite3_reset(statement);
    return result;
  };
  std::vector<double> times;
  for (auto _ : state) {
    QTreeWidget tree;
    const auto start = std::chrono::steady_clock::now();
    const TRows root = rows(plain, 0);
    if (!root.empty()) {
      auto* top = new QTreeWidgetItem(&tree, QStringList(root[0].second));
      for (const auto& [id1, name1] : rows(ordered, root[0].first)) {
        auto* level1 = new QTreeWidgetItem(top, QStringList(name1));
        for (const auto& [id2, name2] : rows(plain, id1)) {
          auto* level2 = new QTreeWidgetItem(level1, QStringList(name2));
          for (const auto& [id3, name3] : rows(plain, id2)) new QTreeWidgetItem(level2, QStringList(name3));
        }
      }
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(ms / 1000.0);
    times.push_back(ms);
  }
  sqlite3_finalize(plain);
  sqlite3_finalize(ordered);
  sqlite3_close(db);
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];
  state.counters["median_ms"] = median;
  if (median > 0 && treeMedianMs > 0) state.counters["ours_to_sqlite"] = treeMedianMs / median;
}
BENCHMARK(BM_BuildIndicationTreeSqlite)->UseManualTime()->Iterations(21)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
