// Data changes through the SQL processor beside the same statements in
// SQLite, in one run, on a table
//
//   T  Id INTEGER (unique index), Grp INTEGER, Val INTEGER, Name VARCHAR(20)
//
// in the order the phases run:
//
//  - insert: 100,000 INSERTs in one transaction, the statement's values as
//    parameters (ours: one processor over the text, the parameter values
//    changed before each run; SQLite: one prepared statement, bound anew);
//  - update by key: 10,000 UPDATEs of one record each by Id, in one
//    transaction;
//  - delete by key: 10,000 DELETEs of one record each by Id, in one
//    transaction;
//  - update all: one UPDATE of every record, committed on its own.
//
// Counters: each side's processor time and wall-clock time for the phase
// and the ratio ours / SQLite's of processor time (below 1: the engine is
// faster); the rows both tables hold afterwards must agree.
#include <random>
#include <string>

#include "bench/bench_beside_sqlite.h"
#include "engine/query/query_sessions.h"
#include "engine/query/sql_processor.h"
#include "engine/tables/local_cursor.h"

namespace {

using namespace dvx;
using namespace dvxbench;

constexpr int kRows = 100000;
constexpr int kByKey = 10000;

struct TFiles {
  TFiles()
      : ours(TempName("bench_sql_dml", "ours.dvx")),
        lite(TempName("bench_sql_dml", "lite.db")),
        sessions(&ours.Session(), "db") {
    Ours("CREATE TABLE T (Id INTEGER, Grp INTEGER, Val INTEGER, Name VARCHAR(20))");
    Ours("CREATE UNIQUE INDEX IX_T_Id ON T (Id)");
    lite.Exec("CREATE TABLE T (Id INTEGER, Grp INTEGER, Val INTEGER, Name TEXT); CREATE UNIQUE INDEX IX_T_Id ON T (Id)");
  }
  int64_t Ours(const std::string& sql) {
    TDVXSQLSettings settings;
    settings.databaseName = "db";
    TDVXLocalSQLProcessor processor(sessions, settings);
    processor.SetSQL(sql);
    processor.Execute();
    return processor.RowsAffected();
  }
  int64_t LiteCount() {
    sqlite3_stmt* s = lite.Prepare("SELECT COUNT(*), SUM(Val) FROM T");
    sqlite3_step(s);
    const int64_t n = sqlite3_column_int64(s, 0) * 1000003 + sqlite3_column_int64(s, 1);
    sqlite3_reset(s);
    return n;
  }
  int64_t OursCount() {
    TDVXSQLSettings settings;
    settings.databaseName = "db";
    TDVXLocalSQLProcessor processor(sessions, settings);
    processor.SetSQL("SELECT COUNT(*), SUM(Val) FROM T");
    TDVXLocalCursor* cursor = processor.Execute();
    cursor->First();
    cursor->GetRecord(grmNext);
    TDVXVariant count, sum;
    cursor->GetFieldValue(0, count);
    cursor->GetFieldValue(1, sum);
    return count.GetAsSignedInt64() * 1000003 + static_cast<int64_t>(sum.GetAsDouble());
  }

  TDvxBenchFile ours;
  TSqliteBenchFile lite;
  TDVXLocalQuerySessions sessions;
};

TFiles& Files() {
  static TFiles* files = new TFiles();
  return *files;
}

// A processor over one text with its parameters, run again and again.
class TPrepared {
 public:
  TPrepared(const std::string& sql, std::initializer_list<const char*> params) {
    TDVXSQLSettings settings;
    settings.databaseName = "db";
    processor_ = std::make_unique<TDVXLocalSQLProcessor>(Files().sessions, settings);
    processor_->SetSQL(sql);
    for (const char* name : params) processor_->Params().Add().SetName(name);
  }
  TDVXSQLParam& Param(int i) { return processor_->Params().Item(i); }
  int64_t Run() {
    processor_->Execute();
    return processor_->RowsAffected();
  }

 private:
  std::unique_ptr<TDVXLocalSQLProcessor> processor_;
};

struct TTimes {
  double oursCpu = 0, oursWall = 0, liteCpu = 0, liteWall = 0;
};

template <typename Ours, typename Lite>
void Phase(benchmark::State& state, Ours ours, Lite lite) {
  Files();
  TTimes times;
  for (auto _ : state) {
    double cpu = ThreadCpuSeconds();
    auto wall = TClock::now();
    ours();
    times.oursCpu += ThreadCpuSeconds() - cpu;
    times.oursWall += Seconds(wall);
    cpu = ThreadCpuSeconds();
    wall = TClock::now();
    lite();
    times.liteCpu += ThreadCpuSeconds() - cpu;
    times.liteWall += Seconds(wall);
  }
  if (Files().OursCount() != Files().LiteCount()) state.SkipWithError("the tables differ");
  state.counters["ours_cpu_ms"] = times.oursCpu * 1000;
  state.counters["ours_wall_ms"] = times.oursWall * 1000;
  state.counters["sqlite_cpu_ms"] = times.liteCpu * 1000;
  state.counters["sqlite_wall_ms"] = times.liteWall * 1000;
  state.counters["ratio"] = times.liteCpu > 0 ? times.oursCpu / times.liteCpu : 0;
}

std::string NameOf(int i) { return "Name" + std::to_string(i % 977); }

void BM_InsertPrepared(benchmark::State& state) {
  Phase(
      state,
      [] {
        TPrepared insert("INSERT INTO T VALUES (:id, :grp, :val, :name)", {"id", "grp", "val", "name"});
        Files().Ours("START TRANSACTION");
        std::mt19937 random(7);
        for (int i = 0; i < kRows; ++i) {
          insert.Param(0).SetAsSignedInt32(i);
          insert.Param(1).SetAsSignedInt32(i % 100);
          insert.Param(2).SetAsSignedInt32(static_cast<int32_t>(random() % 100000));
          insert.Param(3).SetAsString(NameOf(i));
          if (insert.Run() != 1) throw std::runtime_error("insert failed");
        }
        Files().Ours("COMMIT");
      },
      [] {
        TSqliteBenchFile& lite = Files().lite;
        sqlite3_stmt* insert = lite.Prepare("INSERT INTO T VALUES (?, ?, ?, ?)");
        lite.Exec("BEGIN");
        std::mt19937 random(7);
        for (int i = 0; i < kRows; ++i) {
          sqlite3_bind_int(insert, 1, i);
          sqlite3_bind_int(insert, 2, i % 100);
          sqlite3_bind_int(insert, 3, static_cast<int>(random() % 100000));
          const std::string name = NameOf(i);
          sqlite3_bind_text(insert, 4, name.c_str(), -1, SQLITE_TRANSIENT);
          lite.Step(insert);
        }
        lite.Exec("COMMIT");
      });
}

// The keys of the by-key phases: distinct, spread over the table.
int KeyOf(int i) { return static_cast<int>((static_cast<int64_t>(i) * 7919) % kRows); }

void BM_UpdateByKey(benchmark::State& state) {
  Phase(
      state,
      [] {
        TPrepared update("UPDATE T SET Val = :val WHERE Id = :id", {"val", "id"});
        Files().Ours("START TRANSACTION");
        for (int i = 0; i < kByKey; ++i) {
          update.Param(0).SetAsSignedInt32(i);
          update.Param(1).SetAsSignedInt32(KeyOf(i));
          if (update.Run() != 1) throw std::runtime_error("update failed");
        }
        Files().Ours("COMMIT");
      },
      [] {
        TSqliteBenchFile& lite = Files().lite;
        sqlite3_stmt* update = lite.Prepare("UPDATE T SET Val = ? WHERE Id = ?");
        lite.Exec("BEGIN");
        for (int i = 0; i < kByKey; ++i) {
          sqlite3_bind_int(update, 1, i);
          sqlite3_bind_int(update, 2, KeyOf(i));
          lite.Step(update);
        }
        lite.Exec("COMMIT");
      });
}

void BM_DeleteByKey(benchmark::State& state) {
  Phase(
      state,
      [] {
        TPrepared remove("DELETE FROM T WHERE Id = :id", {"id"});
        Files().Ours("START TRANSACTION");
        for (int i = 0; i < kByKey; ++i) {
          remove.Param(0).SetAsSignedInt32(KeyOf(i + kByKey));
          if (remove.Run() != 1) throw std::runtime_error("delete failed");
        }
        Files().Ours("COMMIT");
      },
      [] {
        TSqliteBenchFile& lite = Files().lite;
        sqlite3_stmt* remove = lite.Prepare("DELETE FROM T WHERE Id = ?");
        lite.Exec("BEGIN");
        for (int i = 0; i < kByKey; ++i) {
          sqlite3_bind_int(remove, 1, KeyOf(i + kByKey));
          lite.Step(remove);
        }
        lite.Exec("COMMIT");
      });
}

void BM_UpdateAll(benchmark::State& state) {
  Phase(
      state,
      [] {
        if (Files().Ours("UPDATE T SET Val = Val + 1") != kRows - kByKey) throw std::runtime_error("update all failed");
      },
      [] { Files().lite.Exec("UPDATE T SET Val = Val + 1"); });
}

BENCHMARK(BM_InsertPrepared)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_UpdateByKey)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_DeleteByKey)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_UpdateAll)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
