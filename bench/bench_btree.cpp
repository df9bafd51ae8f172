// B-tree index throughput: 1,000,000 keys inserted into a fresh index and
// each looked up again, on page sizes 4096 and 16384, for random 32-bit
// integers and for CHAR(30) keys of German compound words (the cost of the
// collation). Beside each, the same work through SQLite's C library in the
// same run: a table with an index on an integer column, respectively on a
// text column whose collation is ICU's German collator, set up like the
// engine's (tertiary strength, punctuation significant). The counters give
// operations per second of processor time for both and the ratio engine /
// SQLite (above 1: the engine is faster).
//
// Both work on a file in the temporary directory inside one transaction
// that is committed at the end of the inserts, without flushing, each with
// a 64 MiB page cache. A lookup is the search for one (key, record) entry:
// FindKeyPath here, an INDEXED BY query for key and rowid there, both of
// which descend the index to that very entry.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unicode/ucol.h>
#include <unistd.h>

#include <ctime>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/core/locale.h"
#include "engine/schema/record_buffer.h"
#include "engine/storage/disk_page_manager.h"
#include "engine/tables/btree_index.h"

namespace {

using namespace dvx;

constexpr int kKeys = 1000000;
constexpr int64_t kCacheBytes = 64 << 20;
constexpr int32_t kSession = 1;

struct TRates {
  double inserts = 0;  // per second
  double lookups = 0;
  bool allFound = true;
};

// A key for both engines: the record bytes of the engine's field and the
// value SQLite binds.
struct TKeys {
  bool text = false;
  std::vector<int32_t> ints;
  std::vector<std::string> ansi;  // Windows-1252, at most 30 characters
  std::vector<std::string> utf8;  // the same words for SQLite
};

const TKeys& IntKeys() {
  static const TKeys keys = [] {
    TKeys k;
    std::mt19937 rng(1);
    for (int i = 0; i < kKeys; ++i) k.ints.push_back(static_cast<int32_t>(rng()));
    return k;
  }();
  return keys;
}

// Compounds of two to four parts, as German nouns are made, cut to the
// 30 characters a CHAR(30) field holds.
const TKeys& GermanWords() {
  static const TKeys keys = [] {
    const char* const parts[] = {
        "Apfel",   "Baum",    "Blüten",   "Kräuter", "Öl",      "Süß",     "Straßen", "Wasser",  "Haus",   "Garten",
        "Zahn",    "Schmerz", "Kinder",   "Fieber",  "Husten",  "Schnupfen", "Salben", "Tropfen", "Kügelchen",
        "Mittel",  "Arznei",  "Pflanzen", "Wurzel",  "Rinden",  "Blatt",   "Samen",   "Frucht",  "Saft",   "Tee",
        "Bade",    "Umschlag", "Wickel",  "Nacht",   "Tages",   "Morgen",  "Abend",   "Frühlings", "Sommer", "Herbst",
        "Winter",  "Kälte",   "Wärme",    "Hitze",   "Übelkeit", "Ärger",  "Angst",   "Trauer",  "Freude", "Ruhe",
        "Schlaf",  "Traum",   "Gemüts",   "Haut",    "Ohren",   "Augen",   "Nasen",   "Hals",    "Magen",  "Darm",
        "Rücken",  "Knie",    "Fuß",      "Größen",  "Maß",     "Grüße",   "Bären",   "Löwen",   "Kümmel", "Möhren"};
    std::vector<std::string> ansiParts;
    for (const char* p : parts) ansiParts.push_back(Utf8ToAnsi(p));
    TKeys k;
    k.text = true;
    std::mt19937 rng(2);
    for (int i = 0; i < kKeys; ++i) {
      std::string word;
      const int n = 2 + static_cast<int>(rng() % 3);
      for (int j = 0; j < n; ++j) {
        std::string part = ansiParts[rng() % ansiParts.size()];
        if (j > 0) part = AnsiLowerCase(part.substr(0, 1)) + part.substr(1);
        word += part;
      }
      word.resize(std::min<size_t>(word.size(), 30));
      k.utf8.push_back(AnsiToUtf8(word));
      k.ansi.push_back(std::move(word));
    }
    return k;
  }();
  return keys;
}

std::string TempFile(const char* what) {
  return "/tmp/bench_btree_" + std::to_string(::getpid()) + "_" + what;
}

// Rates count seconds of the benchmark thread's processor time, so that
// other work on a shared machine does not weigh on one engine's phase more
// than on the other's. Neither engine flushes, so little waiting is left
// out.
double CpuNow() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}
double Seconds(double from) { return CpuNow() - from; }

TDVXRecordID RecordOf(int i) { return TDVXRecordID{1 + i / 100, static_cast<uint16_t>(i % 100)}; }

TRates RunEngine(const TKeys& keys, int pageSize) {
  const std::string file = TempFile("engine.dvx");
  std::remove(file.c_str());
  TRates rates;
  {
    TDVXDiskPageManager pm(TDVXLockParams{10, 1});
    pm.CreateDatabaseFile(file, pageSize, 8);
    pm.SetCacheCapacity(static_cast<size_t>(kCacheBytes / pageSize));
    TDVXFieldDefs fields;
    fields.Add("K", keys.text ? aftChar : aftInteger, keys.text ? 30 : 0);
    fields.RecomputeLayout();
    TDVXIndexDef def;
    def.SetObjectName("IX");
    def.AddColumn("K");
    TDVXBTreeIndex index(def, &fields, pm);
    index.Open();
    std::vector<uint8_t> record(static_cast<size_t>(fields.RecordSize()), 0);
    auto fill = [&](int i) {
      if (keys.text)
        SetFieldData(0, fields, keys.ansi[static_cast<size_t>(i)].c_str(), record.data());
      else
        SetFieldData(0, fields, &keys.ints[static_cast<size_t>(i)], record.data());
    };

    double start = CpuNow();
    for (int i = 0; i < kKeys; ++i) {
      fill(i);
      index.InsertRecord(kSession, record.data(), RecordOf(i));
    }
    pm.ApplyChanges(kSession);
    rates.inserts = kKeys / Seconds(start);

    start = CpuNow();
    TDVXKeyPath path;
    for (int i = 0; i < kKeys; ++i) {
      fill(i);
      rates.allFound &= index.FindKeyPath(kSession, record.data(), RecordOf(i), path);
    }
    rates.lookups = kKeys / Seconds(start);
    pm.CloseDatabaseFile();
  }
  std::remove(file.c_str());
  return rates;
}

int CollateGerman(void* collator, int na, const void* a, int nb, const void* b) {
  UErrorCode status = U_ZERO_ERROR;
  UCollationResult r = ucol_strcollUTF8(static_cast<UCollator*>(collator), static_cast<const char*>(a), na,
                                        static_cast<const char*>(b), nb, &status);
  return r == UCOL_LESS ? -1 : (r == UCOL_EQUAL ? 0 : 1);
}

void Exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::string text = error ? error : "?";
    sqlite3_free(error);
    throw std::runtime_error(sql + ": " + text);
  }
}

TRates RunSQLite(const TKeys& keys, int pageSize) {
  const std::string file = TempFile("sqlite.db");
  std::remove(file.c_str());
  TRates rates;
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  UErrorCode status = U_ZERO_ERROR;
  UCollator* collator = ucol_open("de_DE", &status);
  ucol_setAttribute(collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
  ucol_setStrength(collator, UCOL_TERTIARY);
  sqlite3_create_collation_v2(db, "GERMAN", SQLITE_UTF8, collator, CollateGerman,
                              [](void* c) { ucol_close(static_cast<UCollator*>(c)); });
  Exec(db, "PRAGMA page_size=" + std::to_string(pageSize));
  Exec(db, "PRAGMA cache_size=-" + std::to_string(kCacheBytes / 1024));
  Exec(db, "PRAGMA synchronous=OFF");
  Exec(db, "PRAGMA journal_mode=MEMORY");
  // Like the engine's page manager on a file it opened exclusively: no lock
  // and no change-counter check around every statement.
  Exec(db, "PRAGMA locking_mode=EXCLUSIVE");
  Exec(db, keys.text ? "CREATE TABLE t(k TEXT COLLATE GERMAN)" : "CREATE TABLE t(k INTEGER)");
  Exec(db, "CREATE INDEX ix ON t(k)");

  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO t(rowid, k) VALUES(?1, ?2)", -1, &insert, nullptr);
  auto bind = [&](sqlite3_stmt* s, int i) {
    sqlite3_bind_int64(s, 1, i + 1);
    if (keys.text)
      sqlite3_bind_text(s, 2, keys.utf8[static_cast<size_t>(i)].c_str(), -1, SQLITE_STATIC);
    else
      sqlite3_bind_int(s, 2, keys.ints[static_cast<size_t>(i)]);
  };
  double start = CpuNow();
  Exec(db, "BEGIN");
  for (int i = 0; i < kKeys; ++i) {
    bind(insert, i);
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  Exec(db, "COMMIT");
  rates.inserts = kKeys / Seconds(start);
  sqlite3_finalize(insert);

  sqlite3_stmt* find = nullptr;
  sqlite3_prepare_v2(db, "SELECT 1 FROM t INDEXED BY ix WHERE rowid = ?1 AND k = ?2", -1, &find, nullptr);
  start = CpuNow();
  for (int i = 0; i < kKeys; ++i) {
    bind(find, i);
    rates.allFound &= sqlite3_step(find) == SQLITE_ROW;
    sqlite3_reset(find);
  }
  rates.lookups = kKeys / Seconds(start);
  sqlite3_finalize(find);
  sqlite3_close(db);
  std::remove(file.c_str());
  return rates;
}

void Report(benchmark::State& state, const TKeys& keys) {
  const int pageSize = static_cast<int>(state.range(0));
  TRates engine, sqlite;
  for (auto _ : state) {
    engine = RunEngine(keys, pageSize);
    sqlite = RunSQLite(keys, pageSize);
  }
  if (!engine.allFound || !sqlite.allFound) state.SkipWithError("a key was not found again");
  state.counters["dvx_ins/s"] = engine.inserts;
  state.counters["dvx_find/s"] = engine.lookups;
  state.counters["sqlite_ins/s"] = sqlite.inserts;
  state.counters["sqlite_find/s"] = sqlite.lookups;
  state.counters["ins_ratio"] = engine.inserts / sqlite.inserts;
  state.counters["find_ratio"] = engine.lookups / sqlite.lookups;
}

void BM_IntegerKeys(benchmark::State& state) { Report(state, IntKeys()); }
BENCHMARK(BM_IntegerKeys)->Arg(4096)->Arg(16384)->Iterations(1)->Unit(benchmark::kSecond);

void BM_GermanChar30Keys(benchmark::State& state) { Report(state, GermanWords()); }
BENCHMARK(BM_GermanChar30Keys)->Arg(4096)->Arg(16384)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
