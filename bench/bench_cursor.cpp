// Reading a table through a cursor beside the same reads in SQLite, in one
// run, on tables of 100,000 and of 1,000,000 records, each phase at both
// sizes (FENDRA_BENCH_CURSOR_RECORDS sets one other count from 1,000 to
// 1,038,336 instead, for quick runs):
//
//   Id      INTEGER       primary key (SQLite: INTEGER PRIMARY KEY, its row ID)
//   Word    VARCHAR(30)   a German compound word; index IX_Word (SQLite's with
//                         ICU's German collation, so both keep one order)
//   Amount  DOUBLE
//   Day     DATE          (SQLite: the ISO text, its usual form of a date)
//
//  - point lookup: the record of a key, every field read;
//  - range scan: the 1,000 records from a word on, in IX_Word order;
//  - full scan: every record in physical (row ID) order;
//  (the range and the full scan are each one walk of the cursor, as a
//  statement is one read on SQLite's side);
//  - bulk insert: the whole table into fresh files in one transaction.
//
// The reading phases of one size share one pair of files, built at their
// first use and kept for the run; the full scan is repeated three times. Each side gets the same page cache (SQLite's default of
// 2000 KiB). The counters give each side's processor time per operation
// (the machine is shared, so wall-clock time mostly measures the others),
// the ratio ours / SQLite's (below 1: the engine is faster), and both file
// sizes.
#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_beside_sqlite.h"
#include "engine/core/locale.h"
#include "engine/schema/record_buffer.h"
#include "engine/tables/cursor_walk.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_data.h"
#include "engine/values/day_number.h"

namespace {

using namespace dvx;
using namespace dvxbench;

constexpr int kSmallRecords = 100000;
constexpr int kLargeRecords = 1000000;
constexpr int kRangeLength = 1000;
constexpr size_t kCacheBytes = 2000 * 1024;

// --- The records ---------------------------------------------------------------

struct TRow {
  int32_t id;
  std::string word;      // Windows-1252, for the engine
  std::string wordUtf8;  // for SQLite
  double amount;
  int32_t day;           // day number
  std::string isoDay;
};

// Compound words of a prefix, two stems and a suffix, up to 25 characters:
// 1,038,336 distinct ones, each record its own (the range scans compare
// what both sides read, and equal keys lie in record ID order here but in
// row ID order there).
const char* const kPrefixes[] = {"Ab",  "An",  "Auf", "Aus", "Be",  "Bei", "Durch", "Ein", "Ent",   "Er",   "Ge",   "Hin",
                                 "Mit", "Nach", "\xDC" "ber", "Um", "Un", "Ver", "Vor", "Zer", "Zu", "Wider", "Haupt", "Gegen"};
const char* const kStems[] = {
    "arbeit", "bau",    "bild",   "blick",   "bruch", "dienst", "druck", "fahr",  "fall",  "fang",  "flug",
    "frag",   "f\xFChr", "gang",  "grund",   "halt",  "hand",   "haus",  "kehr",  "kunft", "lauf",  "leb",
    "licht",  "mess",   "nahm",   "ord",     "rat",   "recht",  "reis",  "ruf",   "satz",  "schlag", "schluss",
    "schrift", "sicht", "sitz",   "spiel",   "sprach", "stand", "stell", "st\xFC" "ck", "tag", "teil", "trag",
    "tritt",  "wahl",   "weg",    "weis",    "werk",  "zug",    "zeit",  "gr\xF6\xDF"};
const char* const kSuffixes[] = {"",    "e",   "en",   "er",  "ung", "heit", "keit", "schaft",
                                 "nis", "tum", "lich", "bar", "sam", "chen", "lein", "ling"};
constexpr uint64_t kDistinctWords = std::size(kPrefixes) * std::size(kStems) * std::size(kStems) * std::size(kSuffixes);
static_assert(kDistinctWords == 1038336);

// Word n for n below kDistinctWords, each another; 7919 shares no factor with
// the count (2^11 * 3 * 13^2), so neighbouring records get unrelated words.
std::string Word(uint64_t n) {
  uint64_t h = n * 7919 % kDistinctWords;
  std::string word = kPrefixes[h % std::size(kPrefixes)];
  h /= std::size(kPrefixes);
  word += kStems[h % std::size(kStems)];
  h /= std::size(kStems);
  word += kStems[h % std::size(kStems)];
  h /= std::size(kStems);
  return word + kSuffixes[h];
}

// The table sizes of the run: both, or the one the environment names.
std::vector<int> RecordCounts() {
  const char* text = std::getenv("FENDRA_BENCH_CURSOR_RECORDS");
  const int n = text ? std::atoi(text) : 0;
  if (n >= kRangeLength && static_cast<uint64_t>(n) <= kDistinctWords) return {n};
  return {kSmallRecords, kLargeRecords};
}

void EachRecordCount(benchmark::internal::Benchmark* b) {
  for (int count : RecordCounts()) b->Arg(count);
}

// The records of a table of `count`, made once per size.
const std::vector<TRow>& Rows(int count) {
  static std::map<int, std::vector<TRow>> made;
  auto [at, fresh] = made.try_emplace(count);
  if (fresh) {
    std::vector<TRow>& r = at->second;
    r.reserve(static_cast<size_t>(count));
    int32_t first = 0;
    EncodeDayNumber(2000, 1, 1, first);
    for (int i = 1; i <= count; ++i) {
      const std::string word = Word(static_cast<uint64_t>(i));
      const int32_t day = first + i % 9000;
      int y, m, d;
      DecodeDayNumber(day, y, m, d);
      char iso[16];
      std::snprintf(iso, sizeof iso, "%04d-%02d-%02d", y, m, d);
      r.push_back(TRow{i, word, AnsiToUtf8(word), i * 0.37, day, iso});
    }
  }
  return at->second;
}

// The keys and start words of the reading phases, in a fixed random order.
std::vector<int> Picks(int count, unsigned seed, int records) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> pick(0, records - 1);
  std::vector<int> picks(static_cast<size_t>(count));
  for (int& p : picks) p = pick(random);
  return picks;
}

// --- The engine, through a cursor ----------------------------------------------

class TDvxSide {
 public:
  enum { kId, kWord, kAmount, kDay };

  // Files of each size are their own: the tables of both sizes live
  // through the run.
  explicit TDvxSide(int records) : file_(TempName("bench_cursor_" + std::to_string(records), "dvx.dvx")) {
    file_.Database().PageManager().SetCacheCapacity(kCacheBytes / kPageSize);
    TDVXFieldDefs fields;
    fields.Add("Id", aftInteger);
    fields.Add("Word", aftVarchar, 30);
    fields.Add("Amount", aftDouble);
    fields.Add("Day", aftDate);
    TDVXIndexDefs indexes;
    TDVXIndexDef* pk = indexes.Add("PK");
    pk->AddColumn("Id");
    pk->SetPrimary(true);
    indexes.Add("IX_Word")->AddColumn("Word");
    file_.Database().CreateTable(file_.Session(), "Words", fields, indexes, TDVXConstraintDefs());
    cursor_ = std::make_unique<TDVXLocalCursor>(file_.Session(), "Words");
    cursor_->Open();
  }
  ~TDvxSide() { cursor_.reset(); }

  void Insert(const std::vector<TRow>& rows) {
    file_.Session().StartTransaction();
    for (const TRow& row : rows) {
      cursor_->NewRecord();
      Set(kId, &row.id);
      Set(kWord, row.word.c_str());
      Set(kAmount, &row.amount);
      Set(kDay, &row.day);
      if (const TDVXCursorResult result = cursor_->InsertRecord(); !result.ok())
        throw std::runtime_error("engine: " + result.message);
    }
    file_.Session().Commit();
  }
  int64_t Lookup(int32_t id) {
    Use("PK");
    SetFieldData(kId, cursor_->Fields(), &id, cursor_->KeyBuffer().data());
    cursor_->SetKeyFieldCount(1);
    if (!cursor_->GotoKey(ctEqual)) throw std::runtime_error("engine: key not found");
    return Touch();
  }
  int64_t Range(const std::string& word) {
    Use("IX_Word");
    SetFieldData(kWord, cursor_->Fields(), word.c_str(), cursor_->KeyBuffer().data());
    cursor_->SetKeyFieldCount(1);
    int64_t sum = 0;
    TDVXCursorWalk walk(*cursor_);
    if (!cursor_->GotoKey(ctGreaterOrEqual)) return sum;
    for (int n = 1;; ++n) {
      sum += Touch();
      if (n == kRangeLength || cursor_->GetRecord(grmNext) != grrDone) return sum;
    }
  }
  int64_t Scan() {
    Use("");
    TDVXCursorWalk walk(*cursor_);
    cursor_->First();
    int64_t sum = 0;
    while (cursor_->GetRecord(grmNext) == grrDone) sum += Touch();
    return sum;
  }
  uint64_t Bytes() const { return FileSize(file_.FileName()); }

 private:
  void Set(int field, const void* value) { SetFieldData(field, cursor_->Fields(), value, cursor_->Record()); }
  // The order to walk; "" for physical order. Changed only when it differs,
  // as a reader keeps its index between searches.
  void Use(const std::string& index) {
    if (index == index_) return;
    cursor_->SetCurrentIndex(index);
    index_ = index;
  }
  // Every field of the record in the buffer, as a reader takes them.
  int64_t Touch() {
    const TDVXFieldDefs& fields = cursor_->Fields();
    int32_t id = 0, day = 0;
    double amount = 0;
    char word[31];
    GetFieldData(kId, fields, &id, cursor_->Record());
    GetFieldData(kWord, fields, word, cursor_->Record());
    GetFieldData(kAmount, fields, &amount, cursor_->Record());
    GetFieldData(kDay, fields, &day, cursor_->Record());
    benchmark::DoNotOptimize(word);
    benchmark::DoNotOptimize(amount);
    benchmark::DoNotOptimize(day);
    return id;
  }

  TDvxBenchFile file_;
  std::unique_ptr<TDVXLocalCursor> cursor_;
  std::string index_;
};

// --- SQLite, through prepared statements ---------------------------------------

class TSqliteSide {
 public:
  explicit TSqliteSide(int records) : file_(TempName("bench_cursor_" + std::to_string(records), "sqlite.db")) {
    file_.AddGermanCollation();
    file_.Exec("PRAGMA cache_size=-" + std::to_string(kCacheBytes / 1024));
    file_.Exec("CREATE TABLE Words(Id INTEGER PRIMARY KEY, Word VARCHAR(30) COLLATE GERMAN, Amount DOUBLE, Day DATE);"
               "CREATE INDEX IX_Word ON Words(Word);");
    insert_ = file_.Prepare("INSERT INTO Words VALUES(?, ?, ?, ?)");
    lookup_ = file_.Prepare("SELECT Id, Word, Amount, Day FROM Words WHERE Id = ?");
    range_ = file_.Prepare("SELECT Id, Word, Amount, Day FROM Words WHERE Word >= ? ORDER BY Word LIMIT 1000");
    scan_ = file_.Prepare("SELECT Id, Word, Amount, Day FROM Words");
  }

  void Insert(const std::vector<TRow>& rows) {
    file_.Exec("BEGIN");
    for (const TRow& row : rows) {
      sqlite3_bind_int(insert_, 1, row.id);
      sqlite3_bind_text(insert_, 2, row.wordUtf8.c_str(), static_cast<int>(row.wordUtf8.size()), SQLITE_STATIC);
      sqlite3_bind_double(insert_, 3, row.amount);
      sqlite3_bind_text(insert_, 4, row.isoDay.c_str(), static_cast<int>(row.isoDay.size()), SQLITE_STATIC);
      file_.Step(insert_);
    }
    file_.Exec("COMMIT");
  }
  int64_t Lookup(int32_t id) {
    sqlite3_bind_int(lookup_, 1, id);
    if (sqlite3_step(lookup_) != SQLITE_ROW) file_.Fail();
    const int64_t sum = Touch(lookup_);
    sqlite3_reset(lookup_);
    return sum;
  }
  int64_t Range(const std::string& wordUtf8) {
    sqlite3_bind_text(range_, 1, wordUtf8.c_str(), static_cast<int>(wordUtf8.size()), SQLITE_STATIC);
    return StepAll(range_);
  }
  int64_t Scan() { return StepAll(scan_); }
  uint64_t Bytes() const { return FileSize(file_.FileName()); }

 private:
  // Every column of the row, as a reader takes them.
  static int64_t Touch(sqlite3_stmt* row) {
    benchmark::DoNotOptimize(sqlite3_column_text(row, 1));
    benchmark::DoNotOptimize(sqlite3_column_double(row, 2));
    benchmark::DoNotOptimize(sqlite3_column_text(row, 3));
    return sqlite3_column_int(row, 0);
  }
  int64_t StepAll(sqlite3_stmt* s) {
    int64_t sum = 0;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) sum += Touch(s);
    if (rc != SQLITE_DONE) file_.Fail();
    sqlite3_reset(s);
    return sum;
  }

  TSqliteBenchFile file_;
  sqlite3_stmt* insert_ = nullptr;
  sqlite3_stmt* lookup_ = nullptr;
  sqlite3_stmt* range_ = nullptr;
  sqlite3_stmt* scan_ = nullptr;
};

// --- The phases ------------------------------------------------------------------

// Both tables of one size, filled once per run for the reading phases.
struct TBuilt {
  TDvxSide dvx;
  TSqliteSide sqlite;
  explicit TBuilt(int count) : dvx(count), sqlite(count) {
    dvx.Insert(Rows(count));
    sqlite.Insert(Rows(count));
  }
};
TBuilt& Built(int count) {
  static std::map<int, std::unique_ptr<TBuilt>> built;
  std::unique_ptr<TBuilt>& b = built[count];
  if (!b) b = std::make_unique<TBuilt>(count);
  return *b;
}

// Processor seconds of `work`.
template <typename F>
double CpuSecondsOf(F&& work) {
  const double start = ThreadCpuSeconds();
  work();
  return ThreadCpuSeconds() - start;
}

void Report(benchmark::State& state, double dvxSeconds, double sqliteSeconds, double operations) {
  state.counters["dvx_cpu_us_per_op"] = dvxSeconds / operations * 1e6;
  state.counters["sqlite_cpu_us_per_op"] = sqliteSeconds / operations * 1e6;
  state.counters["ratio_dvx_to_sqlite"] = dvxSeconds / sqliteSeconds;
}

void SizeCounters(benchmark::State& state, uint64_t dvxBytes, uint64_t sqliteBytes) {
  state.counters["dvx_file_bytes"] = static_cast<double>(dvxBytes);
  state.counters["sqlite_file_bytes"] = static_cast<double>(sqliteBytes);
}

// Runs `batch` picks through both sides per iteration. The sums of the
// record keys each side read must agree, so both did the same work.
template <typename FDvx, typename FSqlite>
void RunReads(benchmark::State& state, int batch, unsigned seed, FDvx dvxRead, FSqlite sqliteRead) {
  try {
    const int records = static_cast<int>(state.range(0));
    TBuilt& built = Built(records);
    const std::vector<TRow>& rows = Rows(records);
    const std::vector<int> picks = Picks(batch, seed, records);
    double dvxSeconds = 0, sqliteSeconds = 0, operations = 0;
    for (auto _ : state) {
      int64_t dvxSum = 0, sqliteSum = 0;
      dvxSeconds += CpuSecondsOf([&] {
        for (int p : picks) dvxSum += dvxRead(built.dvx, rows[static_cast<size_t>(p)]);
      });
      sqliteSeconds += CpuSecondsOf([&] {
        for (int p : picks) sqliteSum += sqliteRead(built.sqlite, rows[static_cast<size_t>(p)]);
      });
      operations += static_cast<double>(picks.size());
      if (dvxSum != sqliteSum) throw std::runtime_error("the two sides read different records");
    }
    Report(state, dvxSeconds, sqliteSeconds, operations);
    SizeCounters(state, built.dvx.Bytes(), built.sqlite.Bytes());
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
}

void BM_PointLookup(benchmark::State& state) {
  RunReads(
      state, 20000, 1, [](TDvxSide& s, const TRow& r) { return s.Lookup(r.id); },
      [](TSqliteSide& s, const TRow& r) { return s.Lookup(r.id); });
}

void BM_RangeScan1000(benchmark::State& state) {
  RunReads(
      state, 20, 2, [](TDvxSide& s, const TRow& r) { return s.Range(r.word); },
      [](TSqliteSide& s, const TRow& r) { return s.Range(r.wordUtf8); });
}

void BM_FullScan(benchmark::State& state) {
  RunReads(
      state, 1, 3, [](TDvxSide& s, const TRow&) { return s.Scan(); },
      [](TSqliteSide& s, const TRow&) { return s.Scan(); });
}

// Fresh files per iteration; the wall-clock seconds include the commit's
// syncs, the processor seconds do not.
void BM_BulkInsert(benchmark::State& state) {
  try {
    const int records = static_cast<int>(state.range(0));
    const std::vector<TRow>& rows = Rows(records);
    double dvxSeconds = 0, sqliteSeconds = 0, dvxWall = 0, sqliteWall = 0, operations = 0;
    uint64_t dvxBytes = 0, sqliteBytes = 0;
    for (auto _ : state) {
      {
        TDvxSide side(records);
        const auto start = TClock::now();
        dvxSeconds += CpuSecondsOf([&] { side.Insert(rows); });
        dvxWall += Seconds(start);
        dvxBytes = side.Bytes();
      }
      {
        TSqliteSide side(records);
        const auto start = TClock::now();
        sqliteSeconds += CpuSecondsOf([&] { side.Insert(rows); });
        sqliteWall += Seconds(start);
        sqliteBytes = side.Bytes();
      }
      operations += records;
    }
    Report(state, dvxSeconds, sqliteSeconds, operations);
    state.counters["dvx_wall_s"] = dvxWall / static_cast<double>(state.iterations());
    state.counters["sqlite_wall_s"] = sqliteWall / static_cast<double>(state.iterations());
    SizeCounters(state, dvxBytes, sqliteBytes);
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
}

BENCHMARK(BM_PointLookup)->Apply(EachRecordCount)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RangeScan1000)->Apply(EachRecordCount)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScan)->Apply(EachRecordCount)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BulkInsert)->Apply(EachRecordCount)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
