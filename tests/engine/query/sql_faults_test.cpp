// SQL statements under write failures: each statement runs on a fresh
// file with its Nth write failing, for N from 1 until it runs through.
// A statement that reports a failure leaves every table as before it (or,
// past the commit point, as after it); one that reports success leaves
// them as after it; the file and the tables check clean, a fresh open of
// the file shows the same, and no table of an unfinished rebuild is left
// under its temporary name.
#include <gmock/gmock.h>

#include <algorithm>

#include "engine/storage/database_checker.h"
#include "engine/storage/record_checker.h"
#include "engine/tables/index.h"
#include "engine/tables/table_checker.h"
#include "engine/tables/table_data.h"
#include "query_fixture.h"

namespace dvx::test {
namespace {

struct TSnapshot {
  std::vector<std::string> tables;
  std::vector<std::vector<std::string>> contents;
  std::vector<std::string> problems;
  bool operator==(const TSnapshot& other) const { return tables == other.tables && contents == other.contents; }
};

std::ostream& operator<<(std::ostream& out, const TSnapshot& s) {
  for (size_t i = 0; i < s.tables.size(); ++i)
    out << s.tables[i] << ": " << (i < s.contents.size() ? s.contents[i].size() : 0) << " rows; ";
  for (const auto& p : s.problems) out << "\n  " << p;
  return out;
}

class SqlFaults : public TQueryFixture {
 protected:
  void Fill() {
    std::string sql =
        "CREATE TABLE f1 (k INTEGER, a INTEGER, s VARCHAR(10), b BLOB, PRIMARY KEY pk_f1 (k));"
        "CREATE INDEX IX_f1_a ON f1 (a);"
        "CREATE TABLE f2 (a INTEGER, b INTEGER, s VARCHAR(10));"
        "START TRANSACTION;";
    for (int k = 1; k <= 40; ++k)
      sql += "INSERT INTO f1 VALUES (" + std::to_string(k) + ", " + std::to_string(k % 7) + ", 'w" + std::to_string(k) +
             "', " + (k % 5 == 0 ? "'" + std::string(300, static_cast<char>('a' + k % 26)) + "'" : "NULL") + ");";
    for (int i = 0; i < 10; ++i) sql += "INSERT INTO f2 VALUES (" + std::to_string(i) + ", " + std::to_string(i * 3) + ", 'v');";
    sql += "COMMIT";
    Run(sql);
  }
  void Recreate() {
    processor_.reset();
    sessions_.reset();
    session_.reset();
    db_->CloseDatabase();
    db_.reset();
    fs_.Remove(kFile);
    SetUp();
    Fill();
  }
  void ReopenFresh() {
    processor_.reset();
    sessions_.reset();
    session_.reset();
    db_->CloseDatabase();
    db_ = std::make_unique<TDVXDiskDatabaseData>(kFile, TDVXLockParams{3, 1}, fs_);
    TDVXCryptoInfo crypto;
    db_->OpenDatabase(false, true, crypto);
    session_ = std::make_unique<TDVXLocalSession>(*db_);
    sessions_ = std::make_unique<TDVXLocalQuerySessions>(session_.get(), kDatabase);
  }
  TSnapshot Snapshot() {
    TSnapshot s;
    s.tables = db_->TableNames();
    std::sort(s.tables.begin(), s.tables.end());
    for (const std::string& table : s.tables) {
      TQueryResult result = Run("SELECT * FROM [" + table + "]");
      std::vector<std::string> rows = result.rows;
      std::sort(rows.begin(), rows.end());
      std::string columns;
      for (const std::string& c : result.columns) columns += c + " ";
      rows.insert(rows.begin(), columns);
      {
        TDVXLocalCursor indexes(*session_, table);
        indexes.Open();
        std::string names = "indexes:";
        for (int i = 0; i < indexes.Table().IndexCount(); ++i)
          names += " " + indexes.Table().Index(i).IndexDef().ObjectName();
        rows.insert(rows.begin(), names);
      }
      s.contents.push_back(std::move(rows));
      TDVXLocalCursor cursor(*session_, table);
      cursor.Open();
      for (auto& p : TDVXTableChecker(cursor.Table(), session_->SessionID()).Check().problems)
        s.problems.push_back(table + ": " + p);
    }
    TDVXDatabaseChecker checker(db_->PageManager());
    TDVXRecordChecker records(db_->PageManager(), checker);
    records.Check();
    for (auto& p : records.Problems()) s.problems.push_back(p);
    for (auto& p : checker.Check()) s.problems.push_back(p);
    return s;
  }
  // The number of runs in which the fault made the statement fail.
  int FaultEachWrite(const std::string& sql) {
    Recreate();
    const TSnapshot before = Snapshot();
    Run(sql);
    const TSnapshot done = Snapshot();
    EXPECT_FALSE(done == before) << sql << " changed nothing";
    int failures = 0;
    for (int n = 1; n < 300; ++n) {
      Recreate();
      fs_.FailNthWrite(n);
      std::string error;
      try {
        Run(sql);
      } catch (const EDVXException& e) {
        error = e.what();
      }
      fs_.FailNthWrite(0);
      // A transaction a failed statement left open ends without its changes.
      if (session_->InTransaction()) session_->Rollback();
      const TSnapshot shown = Snapshot();
      if (error.empty())
        EXPECT_EQ(shown, done) << sql << ", write " << n;
      else
        EXPECT_TRUE(shown == before || shown == done) << sql << ", write " << n << " (" << error << "): " << shown;
      EXPECT_THAT(shown.problems, ::testing::IsEmpty()) << sql << ", write " << n;
      for (const std::string& t : shown.tables) EXPECT_NE(t[0], '$') << sql << ", write " << n;
      ReopenFresh();
      EXPECT_EQ(Snapshot(), shown) << sql << ", write " << n << " after a reopen";
      if (HasFailure() || error.empty()) break;
      ++failures;
    }
    return failures;
  }
};

TEST_F(SqlFaults, DataChangesAreAllOrNothingAtEveryFailedWrite) {
  for (const char* sql : {
           "INSERT INTO f1 VALUES (100, 1, 'x', 'blob')",
           "INSERT INTO f2 (a, b, s) SELECT k, a, s FROM f1",
           "UPDATE f1 SET a = a + 1, s = 'neu', b = 'long text for every record' WHERE k > 5",
           "DELETE FROM f1 WHERE a < 3",
           "START TRANSACTION; UPDATE f1 SET a = 0; DELETE FROM f2 WHERE a > 2; INSERT INTO f2 VALUES (1, 1, 'n'); "
           "COMMIT",
       }) {
    SCOPED_TRACE(sql);
    EXPECT_GT(FaultEachWrite(sql), 1);
  }
}

TEST_F(SqlFaults, DefinitionChangesAreAllOrNothingAtEveryFailedWrite) {
  for (const char* sql : {
           "ALTER TABLE f1 ADD (z INTEGER DEFAULT 3)",
           "ALTER TABLE f1 DROP s",
           "CREATE INDEX IX_f1_s ON f1 (s)",
           "CREATE TABLE n (x INTEGER, y VARCHAR(4), PRIMARY KEY pk_n (x))",
           "DROP TABLE f2",
       }) {
    SCOPED_TRACE(sql);
    EXPECT_GT(FaultEachWrite(sql), 0);
  }
}

}  // namespace
}  // namespace dvx::test
