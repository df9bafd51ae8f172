// Page cache and commit throughput of the disk page manager, and beside it
// SQLite's durable autocommit insert (SQLite is linked into this benchmark
// only, never into the product).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/storage/disk_page_manager.h"
#include "engine/storage/free_space_manager.h"
#include "engine/core/platform/memory_file.h"

namespace {

using namespace dvx;

// A database of `pages` committed pages on the in-memory file system.
std::unique_ptr<TDVXDiskPageManager> Prepare(TDVXFileSystem& fs, int pages) {
  auto pm = std::make_unique<TDVXDiskPageManager>(TDVXLockParams{10, 1}, fs);
  pm->CreateDatabaseFile("bench.dvx", 4096, 8);
  for (int i = 0; i < pages; ++i) pm->PutPage(pm->AddPage(1));
  pm->ApplyChanges(1);
  return pm;
}

// Gets and puts the `pages` prepared pages (numbers 3 on) in turn, one per
// iteration.
void GetPagesInTurn(benchmark::State& state, TDVXDiskPageManager& pm, int pages) {
  const int32_t first = 3, last = first + pages - 1;
  int32_t no = first;
  for (auto _ : state) {
    pm.PutPage(pm.GetPage(1, no));
    no = no == last ? first : no + 1;
  }
}

// Cached pages, exclusive manager: no header reread.
void BM_GetPageCached(benchmark::State& state) {
  TDVXMemoryFileSystem fs;
  auto pm = Prepare(fs, 20);
  GetPagesInTurn(state, *pm, 20);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetPageCached);

// More pages than the cache holds: every GetPage reads the file.
void BM_GetPageUncached(benchmark::State& state) {
  TDVXMemoryFileSystem fs;
  auto pm = Prepare(fs, 200);
  GetPagesInTurn(state, *pm, 200);
  state.SetBytesProcessed(state.iterations() * 4096);
}
BENCHMARK(BM_GetPageUncached);

// A shared manager rereads the header for every cached page.
void BM_GetPageSharedRevalidated(benchmark::State& state) {
  TDVXMemoryFileSystem fs;
  Prepare(fs, 20)->CloseDatabaseFile();
  TDVXDiskPageManager pm(TDVXLockParams{10, 1}, fs);
  bool readOnly = false;
  TDVXCryptoInfo crypto;
  pm.OpenDatabaseFile("bench.dvx", readOnly, false, false, crypto);
  GetPagesInTurn(state, pm, 20);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetPageSharedRevalidated);

// Commits per second: change N pages and commit them durably (ApplyChanges,
// then FlushBuffers as the database object does) on a real file in the
// current folder (a memory-backed /tmp would make every sync free).
void BM_CommitPages(benchmark::State& state) {
  std::string name = "bench_storage_" + std::to_string(::getpid()) + ".dvx";
  {
    TDVXDiskPageManager pm(TDVXLockParams{10, 1});
    pm.CreateDatabaseFile(name, 4096, 8);
    const int n = static_cast<int>(state.range(0));
    for (int i = 0; i < n; ++i) pm.PutPage(pm.AddPage(1));
    pm.ApplyChanges(1);
    for (auto _ : state) {
      for (int i = 0; i < n; ++i) {
        TDVXPage* page = pm.GetPage(1, 3 + i);
        page->SetDirty();
        page->WritableData()[0]++;
        pm.PutPage(page);
      }
      pm.ApplyChanges(1);
      pm.FlushBuffers();
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["commits/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    pm.CloseDatabaseFile();
  }
  std::remove(name.c_str());
  std::remove((name + "-journal").c_str());
}
BENCHMARK(BM_CommitPages)->Arg(1)->Arg(16)->Arg(256)->UseRealTime();

// The same measure for SQLite: one autocommit INSERT per iteration with
// synchronous=FULL, in the same folder, with its rollback journal deleted
// after each commit (journal_mode DELETE, its default, argument 0) or kept
// and invalidated in its header (PERSIST, argument 1: the protocol closest
// to ours, which keeps its journal file too). The label names the mode.
void BM_SqliteAutocommitInsert(benchmark::State& state) {
  const char* mode = state.range(0) == 0 ? "DELETE" : "PERSIST";
  state.SetLabel(std::string("journal_mode=") + mode);
  std::string name = "bench_sqlite_" + std::to_string(::getpid()) + ".db";
  sqlite3* db = nullptr;
  if (sqlite3_open(name.c_str(), &db) != SQLITE_OK) {
    state.SkipWithError("cannot open the SQLite database");
    return;
  }
  const std::string setup = std::string("PRAGMA page_size=4096; PRAGMA journal_mode=") + mode +
                            "; PRAGMA synchronous=FULL; CREATE TABLE t(id INTEGER PRIMARY KEY, v BLOB);";
  sqlite3_exec(db, setup.c_str(), nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO t(v) VALUES(zeroblob(100))", -1, &insert, nullptr);
  for (auto _ : state) {
    if (sqlite3_step(insert) != SQLITE_DONE) {
      state.SkipWithError("insert failed");
      break;
    }
    sqlite3_reset(insert);
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["commits/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  sqlite3_finalize(insert);
  sqlite3_close(db);
  std::remove(name.c_str());
  std::remove((name + "-journal").c_str());
}
BENCHMARK(BM_SqliteAutocommitInsert)->Arg(0)->Arg(1)->UseRealTime();

// Allocation and release through the bitmaps.
void BM_AllocateAndFree(benchmark::State& state) {
  TDVXMemoryFileSystem fs;
  auto pm = Prepare(fs, 1000);
  for (auto _ : state) {
    pm->FreePageNo(500);
    benchmark::DoNotOptimize(pm->AllocatePageNo());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AllocateAndFree);

}  // namespace
