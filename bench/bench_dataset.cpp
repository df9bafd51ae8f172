// The engine dataset under the grid model beside what a Qt programmer would
// use instead, Qt's QSqlTableModel on SQLite, in one run and on the same
// table of 100,000 records (FENDRA_BENCH_DATASET_RECORDS sets another count
// from 1,000 to 1,000,000 for quick runs):
//
//   Id      AUTOINC / INTEGER PRIMARY KEY
//   Name    VARCHAR(40)   a German compound word
//   Amount  DOUBLE
//   Day     DATE          (SQLite: the ISO text, its usual form of a date)
//   Note    VARCHAR(60)
//
//  - open: connect the database, open the dataset (select the table) and
//    read the display text of every column of the first 50 rows through
//    the model, as a grid does when it first shows;
//  - scroll: one model read from the first row to the last, fetching more
//    rows whenever the next one is not there yet (what a grid scrolled to
//    its end does), every column's display text read once;
//  - jumps: 1,000 jumps to remembered records with a window of 50 rows
//    read afresh there. Ours: GotoBookmark, which re-reads the dataset's
//    window of 50 buffers around the record, then every field of each row.
//    Qt's model has no bookmarks; what a Qt programmer does to show a fresh
//    window at a remembered record is to filter on its key and select
//    again: setFilter("Id >= key"), select(), and read the first 50 rows;
//  - seeks: 1,000 nearest-key searches on the names with a window of 50
//    rows read there. Ours: the table component's SeekNearest on the
//    name index, which re-reads the window around the record found, then
//    every field of each row. Qt's: the lookup a Qt programmer writes for
//    it, a prepared "SELECT ... WHERE Name >= ? ORDER BY Name LIMIT 50"
//    through QSqlQuery on an index of the names, every column of each row.
//
// The counters give each side's processor time per iteration (the machine
// is shared, so wall-clock time mostly measures the others) and the ratio
// ours / Qt's (below 1: ours is faster). Both sides work on files built once
// per run and kept for it; both use their defaults otherwise (SQLite's page
// cache, the engine's).
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QVariant>

#include <cstdlib>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/data_controls/dataset_table_model.h"
#include "bench/bench_beside_sqlite.h"
#include "engine/components/data_link.h"
#include "engine/components/data_source.h"
#include "engine/components/database.h"
#include "engine/components/dvx_dataset.h"
#include "engine/components/session_list.h"
#include "engine/components/table.h"
#include "engine/core/locale.h"
#include "engine/schema/record_buffer.h"
#include "engine/tables/local_cursor.h"
#include "engine/values/day_number.h"

namespace {

using namespace dvx;
using namespace dvxbench;

constexpr int kDefaultRecords = 100000;
constexpr int kShownRows = 50;
constexpr int kJumps = 1000;

int RecordCount() {
  static const int count = [] {
    const char* text = std::getenv("FENDRA_BENCH_DATASET_RECORDS");
    const int n = text ? std::atoi(text) : kDefaultRecords;
    return n >= 1000 && n <= 1000000 ? n : kDefaultRecords;
  }();
  return count;
}

// Compound words of a prefix, a stem and a suffix; record n gets word n
// of a scrambled order so neighbours differ.
std::string Word(int n) {
  static const char* const prefixes[] = {"Ab", "An", "Auf", "Aus", "Be", "Bei", "Durch", "Ein", "Ent", "Er",
                                         "Ge", "Hin", "Mit", "Nach", "Um", "Un", "Ver", "Vor", "Zer", "Zu"};
  static const char* const stems[] = {"arbeit", "bau", "bild", "blick", "bruch", "dienst", "druck", "fahr",
                                      "fall", "fang", "flug", "frag", "gang", "grund", "halt", "hand", "haus",
                                      "kehr", "lauf", "licht", "mess", "rat", "recht", "reis", "ruf"};
  static const char* const suffixes[] = {"", "e", "en", "er", "ung", "heit", "keit", "schaft", "nis", "lich"};
  const unsigned h = static_cast<unsigned>(n) * 7919u;
  return std::string(prefixes[h % 20]) + stems[(h / 20) % 25] + stems[(h / 500) % 25] + suffixes[(h / 12500) % 10] +
         std::to_string(n % 97);
}

std::string Note(int n) { return "Hinweis Nummer " + std::to_string(n) + " zur Anwendung"; }

// --- The files, built once per run ---------------------------------------------

struct TFiles {
  std::string dvx = TempName("bench_dataset", "dvx.dvx");
  std::string sqlite = TempName("bench_dataset", "qt.sqlite");
  std::vector<int32_t> ids;  // the records' keys, for the jumps
  std::vector<std::string> names;  // the records' names (UTF-8), for the seeks

  TFiles() {
    BuildEngineFile();
    BuildSQLiteFile();
  }
  ~TFiles() {
    RemoveFile(dvx);
    RemoveFile(sqlite);
  }

  void BuildEngineFile() {
    RemoveFile(dvx);
    TDVXDatabaseParams params;
    params.fileName = dvx;
    TDVXLocalSession session(params);
    session.CreateDatabase();
    session.Connect();
    TDVXFieldDefs fields;
    fields.Add("Id", aftAutoInc);
    fields.Add("Name", aftVarchar, 40);
    fields.Add("Amount", aftDouble);
    fields.Add("Day", aftDate);
    fields.Add("Note", aftVarchar, 60);
    TDVXIndexDefs indexes;
    TDVXIndexDef* pk = indexes.Add("PK");
    pk->AddColumn("Id");
    pk->SetPrimary(true);
    indexes.Add("IX_Name")->AddColumn("Name");
    session.Database().CreateTable(session, "Remedies", fields, indexes, TDVXConstraintDefs());
    {
      TDVXLocalCursor cursor(session, "Remedies");
      cursor.Open();
      int32_t first = 0;
      EncodeDayNumber(2000, 1, 1, first);
      session.StartTransaction();
      for (int i = 1; i <= RecordCount(); ++i) {
        cursor.NewRecord();
        const std::string name = Word(i);
        const std::string note = Note(i);
        const double amount = i * 0.37;
        const int32_t day = first + i % 9000;
        SetFieldData(1, cursor.Fields(), name.c_str(), cursor.Record());
        SetFieldData(2, cursor.Fields(), &amount, cursor.Record());
        SetFieldData(3, cursor.Fields(), &day, cursor.Record());
        SetFieldData(4, cursor.Fields(), note.c_str(), cursor.Record());
        if (const TDVXCursorResult result = cursor.InsertRecord(); !result.ok())
          throw std::runtime_error("engine: " + result.message);
        ids.push_back(i);
        names.push_back(AnsiToUtf8(name));
      }
      session.Commit();
    }
    session.Disconnect();
  }

  void BuildSQLiteFile() {
    RemoveFile(sqlite);
    sqlite3* db = nullptr;
    if (sqlite3_open(sqlite.c_str(), &db) != SQLITE_OK) throw std::runtime_error("sqlite: cannot create the file");
    auto exec = [&](const char* sql) {
      if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("sqlite: ") + sqlite3_errmsg(db));
    };
    exec("CREATE TABLE Remedies (Id INTEGER PRIMARY KEY, Name VARCHAR(40), Amount DOUBLE, Day TEXT, Note VARCHAR(60))");
    exec("CREATE INDEX IX_Name ON Remedies (Name)");
    exec("BEGIN");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Remedies VALUES (?, ?, ?, ?, ?)", -1, &insert, nullptr);
    int32_t first = 0;
    EncodeDayNumber(2000, 1, 1, first);
    for (int i = 1; i <= RecordCount(); ++i) {
      int y = 0, m = 0, d = 0;
      DecodeDayNumber(first + i % 9000, y, m, d);
      char iso[16];
      std::snprintf(iso, sizeof iso, "%04d-%02d-%02d", y, m, d);
      const std::string name = AnsiToUtf8(Word(i));
      const std::string note = Note(i);
      sqlite3_bind_int(insert, 1, i);
      sqlite3_bind_text(insert, 2, name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_double(insert, 3, i * 0.37);
      sqlite3_bind_text(insert, 4, iso, -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 5, note.c_str(), -1, SQLITE_TRANSIENT);
      if (sqlite3_step(insert) != SQLITE_DONE) throw std::runtime_error(std::string("sqlite: ") + sqlite3_errmsg(db));
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    exec("COMMIT");
    sqlite3_close(db);
  }
};

TFiles& Files() {
  // Qt's SQL drivers are plugins, found through the application object.
  static int argc = 1;
  static char name[] = "bench_dataset";
  static char* argv[] = {name, nullptr};
  static QCoreApplication application(argc, argv);
  static TFiles files;
  return files;
}

// The keys of the jumps, in a fixed random order.
std::vector<int32_t> JumpKeys() {
  std::mt19937 random(20261210);
  std::uniform_int_distribution<int> pick(0, RecordCount() - 1);
  std::vector<int32_t> keys(kJumps);
  for (int32_t& key : keys) key = Files().ids[static_cast<size_t>(pick(random))];
  return keys;
}

// What both sides' grids do: the display text of every column of rows
// [0, rows), fetching more while the model has more to give.
int64_t ReadRows(QAbstractItemModel& model, int rows) {
  int64_t length = 0;
  const int columns = model.columnCount();
  for (int row = 0; row < rows; ++row) {
    while (row >= model.rowCount() && model.canFetchMore(QModelIndex())) model.fetchMore(QModelIndex());
    if (row >= model.rowCount()) break;
    for (int column = 0; column < columns; ++column)
      length += model.data(model.index(row, column), Qt::DisplayRole).toString().size();
  }
  return length;
}

// --- Ours: a database component, the dataset and the grid model -------------

// The dataset over the table in primary key order.
class TBenchDataSet : public TDVXDataSet {
 public:
  TBenchDataSet() : TDVXDataSet(nullptr) {}
  ~TBenchDataSet() override { Close(); }

 protected:
  std::unique_ptr<TDVXLocalCursor> CreateHandle() override {
    auto cursor = std::make_unique<TDVXLocalCursor>(*EngineSession(), "Remedies");
    cursor->Open();
    cursor->SetCurrentIndex("PK");
    return cursor;
  }
  std::string ActiveIndexName() const override { return "PK"; }
};

// A window of rows, as a grid showing 50 rows asks of the dataset.
class TWindowLink : public TDataLink {
 public:
  TWindowLink(TDataSource& source, int rows) {
    SetDataSource(&source);
    SetBufferCount(rows);
  }
  ~TWindowLink() override { SetDataSource(nullptr); }
  // Every field of every row of the window.
  int64_t ReadWindow() {
    TDataSet& ds = *DataSet();
    const int active = ActiveRecord();
    int64_t length = 0;
    for (int row = 0; row < RecordCount(); ++row) {
      SetActiveRecord(row);
      for (int f = 0; f < ds.FieldCount(); ++f) length += static_cast<int64_t>(ds.Fields()[f].DisplayText().size());
    }
    SetActiveRecord(active);
    return length;
  }
};

class TOurSide {
 public:
  TOurSide() {
    database_.SetDatabaseName("dbBenchDataSet");
    database_.SetDatabaseFileName(Files().dvx);
    database_.SetExclusive(false);
    dataset_.SetDatabaseName("dbBenchDataSet");
    source_.SetDataSet(&dataset_);
  }
  ~TOurSide() {
    model_.reset();
    source_.SetDataSet(nullptr);
    dataset_.Close();
    database_.Close();
  }
  // With the grid model, or (for the jumps) with the dataset alone.
  void Open(bool withModel = true) {
    dataset_.Open();
    if (!withModel) return;
    model_ = std::make_unique<fendra::TDataSetTableModel>();
    model_->SetDataSource(&source_);
  }
  void Close() {
    model_.reset();
    dataset_.Close();
    database_.Close();
  }
  fendra::TDataSetTableModel& Model() { return *model_; }
  TBenchDataSet& DataSet() { return dataset_; }
  TDataSource& Source() { return source_; }

 private:
  TDVXDatabase database_;
  TBenchDataSet dataset_;
  TDataSource source_;
  std::unique_ptr<fendra::TDataSetTableModel> model_;
};

// --- Qt's: QSqlTableModel on SQLite -----------------------------------------

class TQtSide {
 public:
  TQtSide() {
    Files();
    connection_ = "bench_dataset_" + QString::number(++counter_);
  }
  ~TQtSide() { Close(); }
  void Open() {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", connection_);
    db.setDatabaseName(QString::fromStdString(Files().sqlite));
    if (!db.open()) throw std::runtime_error("qt: " + db.lastError().text().toStdString());
    model_ = std::make_unique<QSqlTableModel>(nullptr, db);
    model_->setTable("Remedies");
    model_->setSort(0, Qt::AscendingOrder);
    if (!model_->select()) throw std::runtime_error("qt: " + model_->lastError().text().toStdString());
  }
  void Close() {
    if (!model_) return;
    model_.reset();
    QSqlDatabase::database(connection_, false).close();
    QSqlDatabase::removeDatabase(connection_);
  }
  QSqlTableModel& Model() { return *model_; }

 private:
  static inline int counter_ = 0;
  QString connection_;
  std::unique_ptr<QSqlTableModel> model_;
};

// --- The phases -------------------------------------------------------------------

struct TTimes {
  double ours = 0;
  double qt = 0;
  int64_t iterations = 0;
};

void Report(benchmark::State& state, const TTimes& t) {
  const double n = static_cast<double>(t.iterations ? t.iterations : 1);
  state.counters["ours_ms"] = t.ours / n * 1e3;
  state.counters["qt_ms"] = t.qt / n * 1e3;
  state.counters["ratio"] = t.qt > 0 ? t.ours / t.qt : 0;
  state.counters["records"] = RecordCount();
}

void BM_OpenAndShowFirstRows(benchmark::State& state) {
  Files();
  TTimes t;
  int64_t check = 0;
  for (auto _ : state) {
    {
      const double start = ThreadCpuSeconds();
      TOurSide ours;
      ours.Open();
      check += ReadRows(ours.Model(), kShownRows) > 0;
      ours.Close();
      t.ours += ThreadCpuSeconds() - start;
    }
    {
      const double start = ThreadCpuSeconds();
      TQtSide qt;
      qt.Open();
      check += ReadRows(qt.Model(), kShownRows) > 0;
      qt.Close();
      t.qt += ThreadCpuSeconds() - start;
    }
    ++t.iterations;
  }
  if (check == 0) state.SkipWithError("nothing was read");
  Report(state, t);
}
BENCHMARK(BM_OpenAndShowFirstRows)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_ScrollFirstToLast(benchmark::State& state) {
  Files();
  TTimes t;
  for (auto _ : state) {
    TOurSide ours;
    ours.Open();
    TQtSide qt;
    qt.Open();
    double start = ThreadCpuSeconds();
    const int64_t ourLength = ReadRows(ours.Model(), RecordCount());
    t.ours += ThreadCpuSeconds() - start;
    start = ThreadCpuSeconds();
    const int64_t qtLength = ReadRows(qt.Model(), RecordCount());
    t.qt += ThreadCpuSeconds() - start;
    if (ours.Model().rowCount() != RecordCount() || qt.Model().rowCount() != RecordCount() || ourLength <= 0 ||
        qtLength <= 0)
      state.SkipWithError("a side did not show every row");
    ++t.iterations;
  }
  Report(state, t);
}
BENCHMARK(BM_ScrollFirstToLast)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_JumpsToBookmarks(benchmark::State& state) {
  Files();
  const std::vector<int32_t> keys = JumpKeys();
  TTimes t;
  for (auto _ : state) {
    TOurSide ours;
    ours.Open(false);
    TWindowLink window(ours.Source(), kShownRows);
    // The bookmarks are taken before the clock runs, as a program keeps
    // them while the user works.
    std::vector<TBookmark> bookmarks;
    bookmarks.reserve(keys.size());
    for (int32_t key : keys) {
      if (!ours.DataSet().Locate("Id", {[&] {
            TDVXVariant v;
            v.SetAsSignedInt32(key);
            return v;
          }()}))
        state.SkipWithError("a key was not found");
      bookmarks.push_back(ours.DataSet().GetBookmark());
    }
    ours.DataSet().First();
    int64_t check = 0;
    double start = ThreadCpuSeconds();
    for (const TBookmark& bookmark : bookmarks) {
      ours.DataSet().GotoBookmark(bookmark);
      check += window.ReadWindow() > 0;
    }
    t.ours += ThreadCpuSeconds() - start;

    TQtSide qt;
    qt.Open();
    start = ThreadCpuSeconds();
    for (int32_t key : keys) {
      qt.Model().setFilter(QString("Id >= %1").arg(key));
      qt.Model().select();
      check -= ReadRows(qt.Model(), kShownRows) > 0;
    }
    t.qt += ThreadCpuSeconds() - start;
    if (check != 0) state.SkipWithError("a side showed an empty window");
    ++t.iterations;
  }
  Report(state, t);
}
BENCHMARK(BM_JumpsToBookmarks)->Unit(benchmark::kMillisecond)->Iterations(3);

// What a user types into a search edit: the first letters of a name, in
// a fixed random order.
std::vector<std::string> SeekTexts() {
  std::mt19937 random(20261211);
  std::uniform_int_distribution<int> pick(0, RecordCount() - 1);
  std::uniform_int_distribution<int> length(2, 8);
  std::vector<std::string> texts(kJumps);
  for (std::string& text : texts) text = Files().names[static_cast<size_t>(pick(random))].substr(0, length(random));
  return texts;
}

void BM_SeekNearest(benchmark::State& state) {
  Files();
  const std::vector<std::string> texts = SeekTexts();
  TTimes t;
  for (auto _ : state) {
    int64_t found = 0;
    {
      TDVXDatabase database;
      database.SetDatabaseName("dbBenchSeek");
      database.SetDatabaseFileName(Files().dvx);
      database.SetExclusive(false);
      TDVXTable table;
      table.SetDatabaseName("dbBenchSeek");
      table.SetTableName("Remedies");
      table.SetIndexName("IX_Name");
      table.Open();
      TDataSource source;
      source.SetDataSet(&table);
      TWindowLink window(source, kShownRows);
      const double start = ThreadCpuSeconds();
      for (const std::string& text : texts) {
        table.SeekNearest(text);
        found += window.ReadWindow() > 0;
      }
      t.ours += ThreadCpuSeconds() - start;
    }
    {
      TQtSide qt;
      qt.Open();
      QSqlQuery query(qt.Model().database());
      query.setForwardOnly(true);
      if (!query.prepare("SELECT Id, Name, Amount, Day, Note FROM Remedies WHERE Name >= ? ORDER BY Name LIMIT 50"))
        state.SkipWithError("qt: the lookup does not prepare");
      const double start = ThreadCpuSeconds();
      for (const std::string& text : texts) {
        query.bindValue(0, QString::fromStdString(text));
        query.exec();
        int64_t length = 0;
        while (query.next())
          for (int column = 0; column < 5; ++column) length += query.value(column).toString().size();
        found -= length > 0;
      }
      t.qt += ThreadCpuSeconds() - start;
    }
    if (found != 0) state.SkipWithError("a side showed an empty window");
    ++t.iterations;
  }
  Report(state, t);
}
BENCHMARK(BM_SeekNearest)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
