// Record operations through the table layer beside the same work in
// SQLite, on real files, with the same durability on both sides (the
// engine's journaled commit with its syncs; SQLite's rollback journal with
// synchronous=FULL, in its default DELETE mode and, for the autocommit
// inserts, also in PERSIST mode, the protocol closest to ours) and
// 4096-byte pages:
//  - 100,000 inserts in one transaction;
//  - 1,000 inserts in autocommit, one durable commit per record;
//  - 10,000 updates by primary key (a new secondary key and amount) and
//    10,000 deletes by primary key, each set in one transaction, on a table
//    of 100,000 records built beforehand outside the timing. Ours find the
//    record as the table component does: a key search of the cursor on the
//    primary index.
// The table has six fields, a primary key on Id and a secondary index on
// Code. SQLite's primary key is its INTEGER PRIMARY KEY (the row ID), its
// natural form. Each benchmark runs both sides on fresh files per
// iteration. The counters give each side's operations per second of wall
// time (syncs are most of an autocommit) and of processor time (the
// machine is shared, so this is the figure to compare where syncs are few),
// and the ratios engine / SQLite of both (above 1: the engine is faster).
#include <memory>
#include <stdexcept>
#include <string>

#include "bench/bench_beside_sqlite.h"
#include "engine/schema/record_buffer.h"
#include "engine/tables/disk_database_data.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_data.h"

namespace {

using namespace dvx;
using namespace dvxbench;

constexpr int kBulkRecords = 100000;
constexpr int kAutocommitRecords = 1000;
constexpr int kKeyedChanges = 10000;

// The six fields of a record, derived from its key.
struct TRow {
  int32_t id, code, stock;
  double amount;
  std::string name, note;
};
TRow Row(int i) {
  return TRow{i, i * 7919 % 50021, i % 97, i * 0.25, "Remedy " + std::to_string(i),
              "Materia medica entry " + std::to_string(i * 31 % 1009)};
}

// The key order of the keyed changes: a fixed walk over every tenth key.
int KeyedID(int n) { return 1 + (n * 7 % kKeyedChanges) * 10; }

// --- The engine, through a session and a cursor ------------------------------

class TDvxSide {
 public:
  enum { kId, kCode, kName, kAmount, kStock, kNote };

  TDvxSide() : file_(TempName("bench_tables_ops", "dvx.dvx")) {
    TDVXFieldDefs fields;
    fields.Add("Id", aftInteger);
    fields.Add("Code", aftInteger);
    fields.Add("Name", aftVarchar, 40);
    fields.Add("Amount", aftDouble);
    fields.Add("Stock", aftInteger);
    fields.Add("Note", aftVarchar, 60);
    TDVXIndexDefs indexes;
    TDVXIndexDef* pk = indexes.Add("PK");
    pk->AddColumn("Id");
    pk->SetPrimary(true);
    indexes.Add("IX_Code")->AddColumn("Code");
    file_.Database().CreateTable(file_.Session(), "Remedies", fields, indexes, TDVXConstraintDefs());
    cursor_ = std::make_unique<TDVXLocalCursor>(file_.Session(), "Remedies");
    cursor_->Open();
  }
  ~TDvxSide() { cursor_.reset(); }

  void Begin() { file_.Session().StartTransaction(); }
  void Commit() { file_.Session().Commit(); }

  void Insert(const TRow& row) {
    cursor_->NewRecord();
    Set(kId, &row.id);
    Set(kCode, &row.code);
    Set(kName, row.name.c_str());
    Set(kAmount, &row.amount);
    Set(kStock, &row.stock);
    Set(kNote, row.note.c_str());
    Check(cursor_->InsertRecord());
  }
  void UpdateByKey(int32_t id, int32_t code, double amount) {
    Seek(id);
    Set(kCode, &code);
    Set(kAmount, &amount);
    Check(cursor_->UpdateRecord());
  }
  void DeleteByKey(int32_t id) {
    Seek(id);
    Check(cursor_->DeleteRecord());
  }
  int64_t Count() { return cursor_->GetRecordCount(); }

 private:
  void Set(int field, const void* value) { SetFieldData(field, cursor_->Fields(), value, cursor_->Record()); }
  void Check(const TDVXCursorResult& result) {
    if (!result.ok()) throw std::runtime_error("engine: " + result.message);
  }
  // The record of the key, found by a key search of the cursor on the
  // primary index, read into the cursor's buffer.
  void Seek(int32_t id) {
    if (!onPrimary_) {
      cursor_->SetCurrentIndex("PK");
      onPrimary_ = true;
    }
    SetFieldData(kId, cursor_->Fields(), &id, cursor_->KeyBuffer().data());
    cursor_->SetKeyFieldCount(1);
    if (!cursor_->GotoKey(ctEqual)) throw std::runtime_error("engine: key " + std::to_string(id) + " not found");
  }

  TDvxBenchFile file_;
  std::unique_ptr<TDVXLocalCursor> cursor_;
  bool onPrimary_ = false;
};

// --- SQLite, through prepared statements -------------------------------------

class TSqliteSide {
 public:
  explicit TSqliteSide(const char* journalMode = nullptr) : file_(TempName("bench_tables_ops", "sqlite.db")) {
    if (journalMode) file_.Exec(std::string("PRAGMA journal_mode=") + journalMode);
    file_.Exec("CREATE TABLE Remedies(Id INTEGER PRIMARY KEY, Code INTEGER, Name VARCHAR(40), Amount DOUBLE,"
               " Stock INTEGER, Note VARCHAR(60));"
               "CREATE INDEX IX_Code ON Remedies(Code);");
    insert_ = file_.Prepare("INSERT INTO Remedies VALUES(?, ?, ?, ?, ?, ?)");
    update_ = file_.Prepare("UPDATE Remedies SET Code = ?, Amount = ? WHERE Id = ?");
    delete_ = file_.Prepare("DELETE FROM Remedies WHERE Id = ?");
  }

  void Begin() { file_.Exec("BEGIN"); }
  void Commit() { file_.Exec("COMMIT"); }
  void Insert(const TRow& row) {
    sqlite3_bind_int(insert_, 1, row.id);
    sqlite3_bind_int(insert_, 2, row.code);
    sqlite3_bind_text(insert_, 3, row.name.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_double(insert_, 4, row.amount);
    sqlite3_bind_int(insert_, 5, row.stock);
    sqlite3_bind_text(insert_, 6, row.note.c_str(), -1, SQLITE_STATIC);
    file_.Step(insert_);
  }
  void UpdateByKey(int32_t id, int32_t code, double amount) {
    sqlite3_bind_int(update_, 1, code);
    sqlite3_bind_double(update_, 2, amount);
    sqlite3_bind_int(update_, 3, id);
    file_.Step(update_);
  }
  void DeleteByKey(int32_t id) {
    sqlite3_bind_int(delete_, 1, id);
    file_.Step(delete_);
  }

 private:
  TSqliteBenchFile file_;
  sqlite3_stmt* insert_ = nullptr;
  sqlite3_stmt* update_ = nullptr;
  sqlite3_stmt* delete_ = nullptr;
};

// --- The workloads, the same for both sides ---------------------------------

template <typename TSide>
void InsertRange(TSide& side, int first, int count) {
  for (int i = first; i < first + count; ++i) side.Insert(Row(i));
}

// Wall and processor seconds of a timed part and how many operations it did.
struct TTimed {
  double wall = 0, cpu = 0, operations = 0;
};
template <typename F>
TTimed Time(double operations, F&& work) {
  const auto start = TClock::now();
  const double cpu = ThreadCpuSeconds();
  work();
  return TTimed{Seconds(start), ThreadCpuSeconds() - cpu, operations};
}

template <typename TSide>
TTimed BulkInsert(TSide& side) {
  return Time(kBulkRecords, [&] {
    side.Begin();
    InsertRange(side, 1, kBulkRecords);
    side.Commit();
  });
}

template <typename TSide>
TTimed AutocommitInsert(TSide& side) {
  return Time(kAutocommitRecords, [&] { InsertRange(side, 1, kAutocommitRecords); });
}

template <typename TSide>
void Fill(TSide& side) {
  side.Begin();
  InsertRange(side, 1, kBulkRecords);
  side.Commit();
}

template <typename TSide>
TTimed UpdateByKey(TSide& side) {
  Fill(side);
  return Time(kKeyedChanges, [&] {
    side.Begin();
    for (int n = 0; n < kKeyedChanges; ++n) side.UpdateByKey(KeyedID(n), 60000 + n, n * 0.5);
    side.Commit();
  });
}

template <typename TSide>
TTimed DeleteByKey(TSide& side) {
  Fill(side);
  return Time(kKeyedChanges, [&] {
    side.Begin();
    for (int n = 0; n < kKeyedChanges; ++n) side.DeleteByKey(KeyedID(n));
    side.Commit();
  });
}

// Runs one workload on fresh files of both sides per iteration and reports
// the rates over all iterations and their ratios; `journalMode` is
// SQLite's (its default when null).
template <TTimed (*DvxWork)(TDvxSide&), TTimed (*SqliteWork)(TSqliteSide&)>
void RunBoth(benchmark::State& state, const char* journalMode = nullptr) {
  TTimed engine, sqlite;
  auto add = [](TTimed& sum, const TTimed& run) {
    sum.wall += run.wall;
    sum.cpu += run.cpu;
    sum.operations += run.operations;
  };
  try {
    for (auto _ : state) {
      {
        TDvxSide side;
        add(engine, DvxWork(side));
      }
      {
        TSqliteSide side(journalMode);
        add(sqlite, SqliteWork(side));
      }
    }
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return;
  }
  state.counters["dvx_per_s"] = engine.operations / engine.wall;
  state.counters["sqlite_per_s"] = sqlite.operations / sqlite.wall;
  state.counters["ratio"] = (engine.operations / engine.wall) / (sqlite.operations / sqlite.wall);
  state.counters["dvx_per_cpu_s"] = engine.operations / engine.cpu;
  state.counters["sqlite_per_cpu_s"] = sqlite.operations / sqlite.cpu;
  state.counters["cpu_ratio"] = (engine.operations / engine.cpu) / (sqlite.operations / sqlite.cpu);
}

void BM_Insert100kOneTransaction(benchmark::State& state) {
  RunBoth<BulkInsert<TDvxSide>, BulkInsert<TSqliteSide>>(state);
}
void BM_Insert1000Autocommit(benchmark::State& state) {
  RunBoth<AutocommitInsert<TDvxSide>, AutocommitInsert<TSqliteSide>>(state);
}
void BM_Insert1000AutocommitPersist(benchmark::State& state) {
  RunBoth<AutocommitInsert<TDvxSide>, AutocommitInsert<TSqliteSide>>(state, "PERSIST");
}
void BM_Update10kByKey(benchmark::State& state) { RunBoth<UpdateByKey<TDvxSide>, UpdateByKey<TSqliteSide>>(state); }
void BM_Delete10kByKey(benchmark::State& state) { RunBoth<DeleteByKey<TDvxSide>, DeleteByKey<TSqliteSide>>(state); }

BENCHMARK(BM_Insert100kOneTransaction)->Iterations(3)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_Insert1000Autocommit)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_Insert1000AutocommitPersist)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_Update10kByKey)->Iterations(3)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_Delete10kByKey)->Iterations(3)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
