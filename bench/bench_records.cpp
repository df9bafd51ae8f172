// Records of a disk table beside the same work in SQLite, on real files:
// insert, read by record ID, full scan and delete of 100,000 records of
// about 100 bytes, half of them with a variable string. Each phase is one
// commit here and one transaction there; the counter `records_per_second`
// of each pair of rows gives the ratio in one run.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/schema/record_buffer.h"
#include "engine/schema/table_managers.h"
#include "engine/storage/disk_database_storage.h"
#include "engine/storage/disk_record_manager.h"
#include "engine/storage/table_files.h"

namespace {

using namespace dvx;

constexpr int kRecords = 100000;

std::string TempName(const char* what) {
  return "/tmp/bench_records_" + std::to_string(::getpid()) + "_" + what;
}

std::string Code(int i) { return "REM-" + std::to_string(i * 7919 % 1000003) + "-Arnica-montana-D6"; }
std::string Name(int i) { return "Hahnemann Materia medica " + std::to_string(i); }

// The record IDs in a fixed shuffled order, for reads by ID.
template <typename T>
std::vector<T> Shuffled(std::vector<T> items) {
  std::shuffle(items.begin(), items.end(), std::mt19937(5));
  return items;
}

// --- The engine's disk table ---------------------------------------------------

class TDvxTable {
 public:
  enum { kId, kCode, kAmount, kName };

  TDvxTable() : fileName_(TempName("dvx.dvx")) {
    fields_.Add("Id", aftInteger);
    fields_.Add("Code", aftChar, 48);
    fields_.Add("Amount", aftDouble);
    fields_.Add("Name", aftVarchar, 60);
    fields_.RecomputeLayout();
    std::remove(fileName_.c_str());
    db_ = std::make_unique<TDVXDiskDatabaseStorage>(fileName_, TDVXLockParams{10, 1});
    db_->CreateDatabase(4096, 8, 4);
    TDVXCryptoInfo crypto;
    db_->OpenDatabase(false, true, crypto);
    session_ = db_->ConnectSession();
    table_ = db_->CreateTableFiles("Remedies");
    TDVXBaseSequenceManager sequences;
    TDVXBaseFieldManager fieldManager(sequences);
    fieldManager.FieldDefs().Assign(fields_);
    TDVXBaseConstraintManager constraints;
    TDVXMemoryStream metadata;
    SaveTableMetadataStream(metadata, fieldManager, constraints);
    TDVXTableMetadataFile file(db_->PageManager());
    file.Open(table_.metadataFirstPageNo);
    file.WriteStream(kSystemSessionID, metadata);
    db_->PageManager().ApplyChanges(kSystemSessionID);
    info_ = {table_.tableID, table_.tableName, &fields_, nullptr, nullptr};
    records_ = std::make_unique<TDVXDiskRecordManager>(session_, info_, &db_->PageManager(), table_.pfsMapFirstPageNo,
                                                       true);
    buffer_.assign(static_cast<size_t>(fields_.RecordSize()), 0);
  }
  ~TDvxTable() {
    records_.reset();
    db_->CloseDatabase();
    std::remove(fileName_.c_str());
  }

  void InsertAll() {
    ids_.clear();
    for (int i = 0; i < kRecords; ++i) {
      std::memset(buffer_.data(), 0, buffer_.size());
      SetFieldData(kId, fields_, &i, buffer_.data());
      const std::string code = Code(i);
      SetFieldData(kCode, fields_, code.c_str(), buffer_.data());
      const double amount = i * 0.25;
      SetFieldData(kAmount, fields_, &amount, buffer_.data());
      const std::string name = Name(i);
      SetFieldData(kName, fields_, i % 2 ? name.c_str() : nullptr, buffer_.data());
      ids_.push_back(records_->InsertRecord(buffer_.data(), session_));
    }
    db_->PageManager().ApplyChanges(session_);
  }
  int64_t ReadAll(const std::vector<TDVXRecordID>& ids) {
    int64_t sum = 0;
    TDVXGetRecordRequest request;
    request.session = session_;
    request.buffer = buffer_.data();
    for (const TDVXRecordID& id : ids) {
      request.mode = grmCurrent;
      request.recordID = id;
      if (records_->GetRecord(request) != grrDone) std::abort();
      sum += Id();
    }
    return sum;
  }
  int64_t Scan() {
    int64_t sum = 0;
    TDVXGetRecordRequest request;
    request.session = session_;
    request.buffer = buffer_.data();
    request.mode = grmNext;
    request.first = true;
    while (records_->GetRecord(request) == grrDone) sum += Id();
    return sum;
  }
  void DeleteAll() {
    for (const TDVXRecordID& id : ids_) records_->DeleteRecord(id, session_);
    db_->PageManager().ApplyChanges(session_);
  }
  const std::vector<TDVXRecordID>& Ids() const { return ids_; }
  void SetCacheCapacity(size_t pages) { db_->PageManager().SetCacheCapacity(pages); }

 private:
  int32_t Id() {
    int32_t id = 0;
    GetFieldData(kId, fields_, &id, buffer_.data());
    return id;
  }

  std::string fileName_;
  TDVXFieldDefs fields_;
  std::unique_ptr<TDVXDiskDatabaseStorage> db_;
  int32_t session_ = 0;
  TDVXTableListRecord table_;
  TDVXStorageTableInfo info_;
  std::unique_ptr<TDVXDiskRecordManager> records_;
  std::vector<uint8_t> buffer_;
  std::vector<TDVXRecordID> ids_;
};

// --- The same table in SQLite --------------------------------------------------

class TSqliteTable {
 public:
  TSqliteTable() : fileName_(TempName("sqlite.db")) {
    std::remove(fileName_.c_str());
    if (sqlite3_open(fileName_.c_str(), &db_) != SQLITE_OK) std::abort();
    Exec("CREATE TABLE remedies(id INTEGER PRIMARY KEY, code TEXT NOT NULL, amount REAL, name TEXT)");
  }
  ~TSqliteTable() {
    sqlite3_close(db_);
    std::remove(fileName_.c_str());
  }

  void InsertAll() {
    Exec("BEGIN");
    sqlite3_stmt* insert = Prepare("INSERT INTO remedies(id, code, amount, name) VALUES(?, ?, ?, ?)");
    for (int i = 0; i < kRecords; ++i) {
      const std::string code = Code(i), name = Name(i);
      sqlite3_bind_int(insert, 1, i + 1);
      sqlite3_bind_text(insert, 2, code.c_str(), static_cast<int>(code.size()), SQLITE_TRANSIENT);
      sqlite3_bind_double(insert, 3, i * 0.25);
      if (i % 2)
        sqlite3_bind_text(insert, 4, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
      else
        sqlite3_bind_null(insert, 4);
      if (sqlite3_step(insert) != SQLITE_DONE) std::abort();
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    Exec("COMMIT");
  }
  int64_t ReadAll(const std::vector<int>& rowids) {
    Exec("BEGIN");
    sqlite3_stmt* select = Prepare("SELECT id, code, amount, name FROM remedies WHERE id = ?");
    int64_t sum = 0;
    for (int rowid : rowids) {
      sqlite3_bind_int(select, 1, rowid);
      if (sqlite3_step(select) != SQLITE_ROW) std::abort();
      sum += ReadRow(select);
      sqlite3_reset(select);
    }
    sqlite3_finalize(select);
    Exec("COMMIT");
    return sum;
  }
  int64_t Scan() {
    Exec("BEGIN");
    sqlite3_stmt* select = Prepare("SELECT id, code, amount, name FROM remedies");
    int64_t sum = 0;
    while (sqlite3_step(select) == SQLITE_ROW) sum += ReadRow(select);
    sqlite3_finalize(select);
    Exec("COMMIT");
    return sum;
  }
  void DeleteAll() {
    Exec("BEGIN");
    sqlite3_stmt* remove = Prepare("DELETE FROM remedies WHERE id = ?");
    for (int i = 1; i <= kRecords; ++i) {
      sqlite3_bind_int(remove, 1, i);
      if (sqlite3_step(remove) != SQLITE_DONE) std::abort();
      sqlite3_reset(remove);
    }
    sqlite3_finalize(remove);
    Exec("COMMIT");
  }

 private:
  // Every column is fetched, as the record manager fills a whole buffer.
  static int64_t ReadRow(sqlite3_stmt* row) {
    benchmark::DoNotOptimize(sqlite3_column_text(row, 1));
    benchmark::DoNotOptimize(sqlite3_column_double(row, 2));
    benchmark::DoNotOptimize(sqlite3_column_text(row, 3));
    return sqlite3_column_int(row, 0);
  }
  void Exec(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) std::abort();
  }
  sqlite3_stmt* Prepare(const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK) std::abort();
    return statement;
  }

  std::string fileName_;
  sqlite3* db_ = nullptr;
};

void Rate(benchmark::State& state) {
  state.counters["records_per_second"] =
      benchmark::Counter(static_cast<double>(kRecords), benchmark::Counter::kIsIterationInvariantRate);
}

// Each phase runs the same code on both engines. Each iteration builds what
// its phase needs with the timer stopped.
template <typename TTable>
void BM_Insert(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto table = std::make_unique<TTable>();
    state.ResumeTiming();
    table->InsertAll();
    state.PauseTiming();
    table.reset();
    state.ResumeTiming();
  }
  Rate(state);
}

void BM_DvxReadByRecordID(benchmark::State& state) {
  TDvxTable table;
  table.InsertAll();
  const std::vector<TDVXRecordID> ids = Shuffled(table.Ids());
  for (auto _ : state) benchmark::DoNotOptimize(table.ReadAll(ids));
  Rate(state);
}

// The same with a page cache that holds the whole table (SQLite's default
// cache of 2000 pages holds its file too); the engine's own cache keeps 30.
void BM_DvxReadByRecordIDWholeTableCached(benchmark::State& state) {
  TDvxTable table;
  table.SetCacheCapacity(8000);
  table.InsertAll();
  const std::vector<TDVXRecordID> ids = Shuffled(table.Ids());
  for (auto _ : state) benchmark::DoNotOptimize(table.ReadAll(ids));
  Rate(state);
}

void BM_SqliteReadByRowid(benchmark::State& state) {
  TSqliteTable table;
  table.InsertAll();
  std::vector<int> rowids(kRecords);
  for (int i = 0; i < kRecords; ++i) rowids[static_cast<size_t>(i)] = i + 1;
  rowids = Shuffled(rowids);
  for (auto _ : state) benchmark::DoNotOptimize(table.ReadAll(rowids));
  Rate(state);
}

template <typename TTable>
void BM_FullScan(benchmark::State& state) {
  TTable table;
  table.InsertAll();
  for (auto _ : state) benchmark::DoNotOptimize(table.Scan());
  Rate(state);
}

template <typename TTable>
void BM_Delete(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto table = std::make_unique<TTable>();
    table->InsertAll();
    state.ResumeTiming();
    table->DeleteAll();
    state.PauseTiming();
    table.reset();
    state.ResumeTiming();
  }
  Rate(state);
}

BENCHMARK_TEMPLATE(BM_Insert, TDvxTable)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_TEMPLATE(BM_Insert, TSqliteTable)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DvxReadByRecordID)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DvxReadByRecordIDWholeTableCached)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SqliteReadByRowid)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_TEMPLATE(BM_FullScan, TDvxTable)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_TEMPLATE(BM_FullScan, TSqliteTable)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_TEMPLATE(BM_Delete, TDvxTable)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_TEMPLATE(BM_Delete, TSqliteTable)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
