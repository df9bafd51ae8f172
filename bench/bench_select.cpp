// SELECT through the SQL processor beside the same statements in SQLite,
// in one run, on a table of 100,000 rows and a joined table of 1,000:
//
//   Big    Id INTEGER (unique index), Grp INTEGER (100 values), Val INTEGER
//          (random, unindexed), Name VARCHAR(20)
//   Small  Id INTEGER (unique index), Label VARCHAR(20)
//
//  - point: the row of one key;
//  - range: the 1,000 rows of a key range;
//  - scan filter: an unindexed comparison that 1 % of the rows pass;
//  - group by: COUNT and SUM per Grp value;
//  - join: Small joined with Big on Id (Big's index serves the key);
//  - order by: every row sorted by Val.
//
// Each iteration runs the statement on both sides from its text (SQLite
// prepares it each time, as the processor parses it) and reads every row
// and field. The counters give each side's processor time per statement
// and the ratio ours / SQLite's (below 1: the engine is faster).
#include <random>
#include <string>

#include "bench/bench_beside_sqlite.h"
#include "engine/query/query_sessions.h"
#include "engine/query/sql_processor.h"
#include "engine/schema/constraint_defs.h"
#include "engine/schema/index_def.h"
#include "engine/schema/record_buffer.h"
#include "engine/tables/local_cursor.h"
#include "engine/values/field_types.h"
#include "engine/values/value_slot.h"

namespace {

using namespace dvx;
using namespace dvxbench;

constexpr int kRows = 100000;
constexpr int kSmallRows = 1000;

struct TFiles {
  TFiles()
      : ours(TempName("bench_select", "ours.dvx")),
        lite(TempName("bench_select", "lite.db")),
        sessions(&ours.Session(), "db") {
    Build();
  }

  void Build() {
    std::mt19937 random(7);
    TDVXFieldDefs big;
    big.Add("Id", aftInteger);
    big.Add("Grp", aftInteger);
    big.Add("Val", aftInteger);
    big.Add("Name", aftVarchar, 20);
    TDVXIndexDefs bigIndexes;
    TDVXIndexDef* id = bigIndexes.Add("IX_Big_Id");
    id->AddColumn("Id");
    id->SetUnique(true);
    ours.Database().CreateTable(ours.Session(), "Big", big, bigIndexes, TDVXConstraintDefs());
    TDVXFieldDefs small;
    small.Add("Id", aftInteger);
    small.Add("Label", aftVarchar, 20);
    TDVXIndexDefs smallIndexes;
    TDVXIndexDef* sid = smallIndexes.Add("IX_Small_Id");
    sid->AddColumn("Id");
    sid->SetUnique(true);
    ours.Database().CreateTable(ours.Session(), "Small", small, smallIndexes, TDVXConstraintDefs());
    lite.Exec("CREATE TABLE Big (Id INTEGER, Grp INTEGER, Val INTEGER, Name TEXT); CREATE UNIQUE INDEX IX_Big_Id ON Big(Id);"
              "CREATE TABLE Small (Id INTEGER, Label TEXT); CREATE UNIQUE INDEX IX_Small_Id ON Small(Id);");
    lite.Exec("BEGIN");
    ours.Session().StartTransaction();
    sqlite3_stmt* insertBig = lite.Prepare("INSERT INTO Big VALUES (?, ?, ?, ?)");
    sqlite3_stmt* insertSmall = lite.Prepare("INSERT INTO Small VALUES (?, ?)");
    {
      TDVXLocalCursor cursor(ours.Session(), "Big");
      cursor.Open();
      for (int i = 0; i < kRows; ++i) {
        const int grp = i % 100;
        const int val = static_cast<int>(random() % 100000);
        const std::string name = "Name" + std::to_string(i % 977);
        cursor.NewRecord();
        int32_t values[] = {i, grp, val};
        for (int f = 0; f < 3; ++f) SetFieldData(f, cursor.Fields(), &values[f], cursor.Record());
        SetFieldData(3, cursor.Fields(), name.c_str(), cursor.Record());
        if (!cursor.InsertRecord().ok()) throw std::runtime_error("insert failed");
        sqlite3_bind_int(insertBig, 1, i);
        sqlite3_bind_int(insertBig, 2, grp);
        sqlite3_bind_int(insertBig, 3, val);
        sqlite3_bind_text(insertBig, 4, name.c_str(), -1, SQLITE_TRANSIENT);
        lite.Step(insertBig);
      }
    }
    {
      TDVXLocalCursor cursor(ours.Session(), "Small");
      cursor.Open();
      for (int i = 0; i < kSmallRows; ++i) {
        // Every hundredth key of Big.
        const int32_t key = i * 100;
        const std::string label = "Label" + std::to_string(i);
        cursor.NewRecord();
        SetFieldData(0, cursor.Fields(), &key, cursor.Record());
        SetFieldData(1, cursor.Fields(), label.c_str(), cursor.Record());
        if (!cursor.InsertRecord().ok()) throw std::runtime_error("insert failed");
        sqlite3_bind_int(insertSmall, 1, key);
        sqlite3_bind_text(insertSmall, 2, label.c_str(), -1, SQLITE_TRANSIENT);
        lite.Step(insertSmall);
      }
    }
    ours.Session().Commit();
    lite.Exec("COMMIT");
  }

  TDvxBenchFile ours;
  TSqliteBenchFile lite;
  TDVXLocalQuerySessions sessions;
};

TFiles& Files() {
  static TFiles* files = new TFiles();
  return *files;
}

// Rows read, every field of each.
int64_t RunOurs(const std::string& sql) {
  TDVXSQLSettings settings;
  settings.databaseName = "db";
  TDVXLocalSQLProcessor processor(Files().sessions, settings);
  processor.SetSQL(sql);
  TDVXLocalCursor* cursor = processor.Execute();
  int64_t rows = 0;
  TDVXVariant value;
  const int count = cursor->VisibleFieldCount();
  cursor->First();
  while (cursor->GetRecord(grmNext) == grrDone) {
    for (int i = 0; i < count; ++i) cursor->GetFieldValue(i, value);
    ++rows;
  }
  return rows;
}

int64_t RunLite(const std::string& sql) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(Files().lite.Handle(), sql.c_str(), -1, &s, nullptr) != SQLITE_OK) Files().lite.Fail();
  int64_t rows = 0;
  while (sqlite3_step(s) == SQLITE_ROW) {
    for (int i = 0; i < sqlite3_column_count(s); ++i) {
      if (sqlite3_column_type(s, i) == SQLITE_TEXT)
        benchmark::DoNotOptimize(sqlite3_column_text(s, i));
      else
        benchmark::DoNotOptimize(sqlite3_column_int64(s, i));
    }
    ++rows;
  }
  sqlite3_finalize(s);
  return rows;
}

// Runs `make(n)` on both sides per iteration; the rows must agree.
template <typename F>
void Beside(benchmark::State& state, F make) {
  Files();
  double ours = 0, lite = 0;
  int64_t n = 0, rows = 0;
  for (auto _ : state) {
    const std::string sql = make(n++);
    double t = ThreadCpuSeconds();
    const int64_t a = RunOurs(sql);
    ours += ThreadCpuSeconds() - t;
    t = ThreadCpuSeconds();
    const int64_t b = RunLite(sql);
    lite += ThreadCpuSeconds() - t;
    if (a != b) state.SkipWithError(("rows differ: " + std::to_string(a) + " / " + std::to_string(b)).c_str());
    rows = a;
  }
  state.counters["ours_ms"] = ours * 1000 / static_cast<double>(n);
  state.counters["sqlite_ms"] = lite * 1000 / static_cast<double>(n);
  state.counters["ratio"] = lite > 0 ? ours / lite : 0;
  state.counters["rows"] = static_cast<double>(rows);
}

void BM_PointSelect(benchmark::State& state) {
  Beside(state, [](int64_t n) { return "SELECT * FROM Big WHERE Id = " + std::to_string(n * 7919 % kRows); });
}
void BM_IndexedRange(benchmark::State& state) {
  Beside(state, [](int64_t n) {
    const int64_t low = n * 7919 % (kRows - 1000);
    return "SELECT Id, Val FROM Big WHERE Id >= " + std::to_string(low) + " AND Id < " + std::to_string(low + 1000);
  });
}
void BM_ScanFilter(benchmark::State& state) {
  Beside(state, [](int64_t n) {
    const int64_t low = n * 7919 % 99000;
    return "SELECT Id, Name FROM Big WHERE Val >= " + std::to_string(low) + " AND Val < " + std::to_string(low + 1000);
  });
}
void BM_GroupBy(benchmark::State& state) {
  Beside(state, [](int64_t) { return std::string("SELECT Grp, COUNT(*), SUM(Val) FROM Big GROUP BY Grp"); });
}
void BM_IndexedJoin(benchmark::State& state) {
  Beside(state, [](int64_t) { return std::string("SELECT s.Label, b.Val FROM Small s JOIN Big b ON s.Id = b.Id"); });
}
void BM_OrderByUnindexed(benchmark::State& state) {
  Beside(state, [](int64_t) { return std::string("SELECT Id, Val FROM Big ORDER BY Val"); });
}

BENCHMARK(BM_PointSelect)->Unit(benchmark::kMillisecond)->Iterations(3000);
BENCHMARK(BM_IndexedRange)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_ScanFilter)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_GroupBy)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_IndexedJoin)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_OrderByUnindexed)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
