#pragma once
// What the benchmarks that run the engine beside SQLite share: temporary
// file names, timers, a fresh engine database file with a session, and a
// fresh SQLite file with its statements. Both sides get 4096-byte pages and
// the same durability (the engine's journaled commit with its syncs;
// SQLite's rollback journal with synchronous=FULL).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <time.h>
#include <unicode/ucol.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "engine/tables/disk_database_data.h"
#include "engine/tables/local_session.h"

namespace dvxbench {

using TClock = std::chrono::steady_clock;

constexpr int kPageSize = 4096;

// "/tmp/<bench>_<pid>_<what>": one name per process, so parallel runs of a
// benchmark never share files.
inline std::string TempName(const std::string& bench, const char* what) {
  return "/tmp/" + bench + "_" + std::to_string(::getpid()) + "_" + what;
}

// The file and SQLite's journal beside it.
inline void RemoveFile(const std::string& name) {
  std::remove(name.c_str());
  std::remove((name + "-journal").c_str());
}

inline uint64_t FileSize(const std::string& name) {
  struct stat info {};
  return ::stat(name.c_str(), &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
}

inline double Seconds(TClock::time_point since) {
  return std::chrono::duration<double>(TClock::now() - since).count();
}

// Processor time of the calling thread: what a run costs on a machine that
// other work shares, where wall-clock time says more about the others.
inline double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A new database file of the engine, opened shared, with one session.
class TDvxBenchFile {
 public:
  explicit TDvxBenchFile(std::string fileName) : fileName_(std::move(fileName)) {
    RemoveFile(fileName_);
    db_ = std::make_unique<dvx::TDVXDiskDatabaseData>(fileName_, dvx::TDVXLockParams{10, 1});
    db_->CreateDatabase(kPageSize, 8, 4);
    dvx::TDVXCryptoInfo crypto;
    db_->OpenDatabase(false, false, crypto);
    session_ = std::make_unique<dvx::TDVXLocalSession>(*db_);
  }
  // Whoever holds cursors on the file lets them go first.
  ~TDvxBenchFile() {
    session_.reset();
    db_->CloseDatabase();
    RemoveFile(fileName_);
  }
  TDvxBenchFile(const TDvxBenchFile&) = delete;
  TDvxBenchFile& operator=(const TDvxBenchFile&) = delete;

  dvx::TDVXDiskDatabaseData& Database() { return *db_; }
  dvx::TDVXLocalSession& Session() { return *session_; }
  const std::string& FileName() const { return fileName_; }

 private:
  std::string fileName_;
  std::unique_ptr<dvx::TDVXDiskDatabaseData> db_;
  std::unique_ptr<dvx::TDVXLocalSession> session_;
};

// A new SQLite file; the statements it prepared are finalized with it.
class TSqliteBenchFile {
 public:
  explicit TSqliteBenchFile(std::string fileName) : fileName_(std::move(fileName)) {
    RemoveFile(fileName_);
    if (sqlite3_open(fileName_.c_str(), &db_) != SQLITE_OK) throw std::runtime_error("sqlite: cannot open");
    Exec("PRAGMA page_size=" + std::to_string(kPageSize) + "; PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL;");
  }
  ~TSqliteBenchFile() {
    for (sqlite3_stmt* s : statements_) sqlite3_finalize(s);
    sqlite3_close(db_);
    RemoveFile(fileName_);
  }
  TSqliteBenchFile(const TSqliteBenchFile&) = delete;
  TSqliteBenchFile& operator=(const TSqliteBenchFile&) = delete;

  void Exec(const std::string& sql) {
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail();
  }
  sqlite3_stmt* Prepare(const char* sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, sql, -1, &s, nullptr) != SQLITE_OK) Fail();
    statements_.push_back(s);
    return s;
  }
  // Runs a statement that returns no rows and makes it ready again.
  void Step(sqlite3_stmt* s) {
    if (sqlite3_step(s) != SQLITE_DONE) Fail();
    sqlite3_reset(s);
  }
  [[noreturn]] void Fail() { throw std::runtime_error(std::string("sqlite: ") + sqlite3_errmsg(db_)); }

  // The collation "GERMAN": ICU's German collator set up as the engine's
  // (tertiary strength, punctuation significant), for text the engine
  // orders by its locale.
  void AddGermanCollation() {
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open("de_DE", &status);
    ucol_setAttribute(collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    ucol_setStrength(collator, UCOL_TERTIARY);
    if (U_FAILURE(status)) throw std::runtime_error("ICU: no German collator");
    sqlite3_create_collation_v2(db_, "GERMAN", SQLITE_UTF8, collator, CollateGerman,
                                [](void* c) { ucol_close(static_cast<UCollator*>(c)); });
  }

  sqlite3* Handle() { return db_; }
  const std::string& FileName() const { return fileName_; }

 private:
  static int CollateGerman(void* collator, int na, const void* a, int nb, const void* b) {
    UErrorCode status = U_ZERO_ERROR;
    UCollationResult r = ucol_strcollUTF8(static_cast<UCollator*>(collator), static_cast<const char*>(a), na,
                                          static_cast<const char*>(b), nb, &status);
    return r == UCOL_LESS ? -1 : (r == UCOL_EQUAL ? 0 : 1);
  }

  std::string fileName_;
  sqlite3* db_ = nullptr;
  std::vector<sqlite3_stmt*> statements_;
};

}  // namespace dvxbench
