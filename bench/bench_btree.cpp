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
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_beside_sqlite.h"
#include "engine/core/locale.h"
#include "engine/schema/record_buffer.h"
#include "engine/storage/disk_page_manager.h"
#include "engine/tables/btree_index.h"

namespace {

using namespace dvx;
using namespace dvxbench;

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

// Rates count seconds of the benchmark thread's processor time, so that
// other work on a shared machine does not weigh on one engine's phase more
// than on the other's. Neither engine flushes, so little waiting is left
// out.
double Seconds(double from) { return ThreadCpuSeconds() - from; }

TDVXRecordID RecordOf(int i) { return TDVXRecordID{1 + i / 100, static_cast<uint16_t>(i % 100)}; }

TRates RunEngine(const TKeys& keys, int pageSize) {
  const std::string file = TempName("bench_btree", "engine.dvx");
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

    double start = ThreadCpuSeconds();
    for (int i = 0; i < kKeys; ++i) {
      fill(i);
      index.InsertRecord(kSession, record.data(), RecordOf(i));
    }
    pm.ApplyChanges(kSession);
    rates.inserts = kKeys / Seconds(start);

    start = ThreadCpuSeconds();
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

TRates RunSQLite(const TKeys& keys, int pageSize) {
  TRates rates;
  TSqliteBenchFile file(TempName("bench_btree", "sqlite.db"));
  file.AddGermanCollation();
  file.Exec("PRAGMA page_size=" + std::to_string(pageSize));
  file.Exec("PRAGMA cache_size=-" + std::to_string(kCacheBytes / 1024));
  file.Exec("PRAGMA synchronous=OFF");
  file.Exec("PRAGMA journal_mode=MEMORY");
  // Like the engine's page manager on a file it opened exclusively: no lock
  // and no change-counter check around every statement.
  file.Exec("PRAGMA locking_mode=EXCLUSIVE");
  file.Exec(keys.text ? "CREATE TABLE t(k TEXT COLLATE GERMAN)" : "CREATE TABLE t(k INTEGER)");
  file.Exec("CREATE INDEX ix ON t(k)");

  sqlite3_stmt* insert = file.Prepare("INSERT INTO t(rowid, k) VALUES(?1, ?2)");
  auto bind = [&](sqlite3_stmt* s, int i) {
    sqlite3_bind_int64(s, 1, i + 1);
    if (keys.text)
      sqlite3_bind_text(s, 2, keys.utf8[static_cast<size_t>(i)].c_str(), -1, SQLITE_STATIC);
    else
      sqlite3_bind_int(s, 2, keys.ints[static_cast<size_t>(i)]);
  };
  double start = ThreadCpuSeconds();
  file.Exec("BEGIN");
  for (int i = 0; i < kKeys; ++i) {
    bind(insert, i);
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  file.Exec("COMMIT");
  rates.inserts = kKeys / Seconds(start);

  sqlite3_stmt* find = file.Prepare("SELECT 1 FROM t INDEXED BY ix WHERE rowid = ?1 AND k = ?2");
  start = ThreadCpuSeconds();
  for (int i = 0; i < kKeys; ++i) {
    bind(find, i);
    rates.allFound &= sqlite3_step(find) == SQLITE_ROW;
    sqlite3_reset(find);
  }
  rates.lookups = kKeys / Seconds(start);
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
