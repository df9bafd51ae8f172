// Random sequences of INSERT, UPDATE and DELETE, inside and outside
// transactions with commits and rollbacks, run by the engine and by SQLite
// on the same tables; after every statement both must agree on whether it
// ran, on its rows affected and on every table's rows. Statements that
// break the unique key of d1 fail on both sides and must change nothing
// (inside a transaction: nothing of that statement, the transaction going
// on). Comparisons with NULL follow the engine's rule, as in the SELECT
// oracle: false ("<>": true), never NULL; so does arithmetic: NULL + x = x,
// NULL - x = -x, x - NULL = NULL.
#include <gmock/gmock.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "query_fixture.h"
#include "sqlite_oracle.h"
#include "statement_mangler.h"

namespace dvx::test {
namespace {

struct TPair {
  std::string ours;
  std::string lite;
};

class DmlGenerator {
 public:
  explicit DmlGenerator(uint32_t seed) : random_(seed) {}

  int Pick(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }
  std::string Int() { return std::to_string(Pick(9) - 3); }
  std::string Key() { return std::to_string(Pick(30)); }
  std::string Text() {
    static const char* words[] = {"a", "b", "ab", "ba", "abc", "bb", "c"};
    return Pick(6) ? "'" + std::string(words[Pick(7)]) + "'" : "NULL";
  }

  TPair Compare(const std::string& x, const std::string& y) {
    static const char* ops[] = {"=", "<>", "<", ">", "<=", ">="};
    std::string op = ops[Pick(6)];
    std::string text = x + " " + op + " " + y;
    return {text, op == "<>" ? "coalesce(" + text + ", 1)" : "coalesce(" + text + ", 0)"};
  }

  // A condition over the integer columns of one table.
  TPair Condition(const std::vector<std::string>& ints, int depth) {
    auto column = [&] { return ints[static_cast<size_t>(Pick(static_cast<int>(ints.size())))]; };
    switch (Pick(depth > 0 ? 8 : 5)) {
      case 0:
      case 1: return Compare(column(), Int());
      case 2: {
        std::string lo = Int(), hi = std::to_string(std::stoi(lo) + Pick(4));
        std::string text = column() + " BETWEEN " + lo + " AND " + hi;
        return {text, text};
      }
      case 3: {
        std::string text = column() + " IN (" + Int() + ", " + Int() + ")";
        return {text, text};
      }
      case 4: {
        std::string text = column() + (Pick(2) ? " IS NULL" : " IS NOT NULL");
        return {text, text};
      }
      case 5: {
        TPair l = Condition(ints, depth - 1), r = Condition(ints, depth - 1);
        return {"(" + l.ours + " OR " + r.ours + ")", "(" + l.lite + " OR " + r.lite + ")"};
      }
      default: {
        TPair l = Condition(ints, depth - 1), r = Condition(ints, depth - 1);
        return {"(" + l.ours + " AND " + r.ours + ")", "(" + l.lite + " AND " + r.lite + ")"};
      }
    }
  }

  TPair Where(const std::vector<std::string>& ints) {
    if (Pick(5) == 0) return {"", ""};
    TPair c = Condition(ints, 2);
    return {" WHERE " + c.ours, " WHERE " + c.lite};
  }

  // d1 (k INTEGER unique, a INTEGER, s VARCHAR), d2 (a INTEGER, b INTEGER,
  // s VARCHAR).
  TPair Next(bool inTransaction) {
    const int kind = Pick(20);
    if (kind == 0) {
      if (!inTransaction) return {"START TRANSACTION", "BEGIN"};
      return Pick(2) ? TPair{"COMMIT", "COMMIT"} : TPair{"ROLLBACK", "ROLLBACK"};
    }
    if (kind <= 5) {
      if (Pick(2)) {
        std::string text = "INSERT INTO d1 (k, a, s) VALUES (" + Key() + ", " + (Pick(5) ? Int() : "NULL") + ", " +
                           Text() + ")";
        return {text, text};
      }
      std::string text = "INSERT INTO d2 (b, a, s) VALUES (" + (Pick(5) ? Int() : "NULL") + ", " +
                         (Pick(5) ? Int() : "NULL") + ", " + Text() + ")";
      return {text, text};
    }
    if (kind <= 7) {
      // Copies between the tables; into d1 the keys may collide.
      if (Pick(2)) {
        TPair where = Where({"k", "a"});
        return {"INSERT INTO d2 (a, b, s) SELECT k, a, s FROM d1" + where.ours,
                "INSERT INTO d2 (a, b, s) SELECT k, a, s FROM d1" + where.lite};
      }
      TPair where = Where({"a", "b"});
      return {"INSERT INTO d1 (k, a, s) SELECT b + 40, a, s FROM d2 WHERE b IS NOT NULL" +
                  (where.ours.empty() ? "" : " AND " + where.ours.substr(7)),
              "INSERT INTO d1 (k, a, s) SELECT b + 40, a, s FROM d2 WHERE b IS NOT NULL" +
                  (where.lite.empty() ? "" : " AND " + where.lite.substr(7))};
    }
    if (kind <= 13) {
      if (Pick(3) == 0) {
        // A key change of one record: refused when the key is taken.
        std::string text = "UPDATE d1 SET k = " + Key() + " WHERE k = " + Key();
        return {text, text};
      }
      const bool first = Pick(2);
      const std::vector<std::string> ints = first ? std::vector<std::string>{"k", "a"} : std::vector<std::string>{"a", "b"};
      const std::string table = first ? "d1" : "d2";
      std::vector<TPair> sets;
      const std::string other = first ? "k" : "b";
      switch (Pick(5)) {
        case 0: sets.push_back({"a = " + Int(), ""}); break;
        case 1: {
          const std::string n = std::to_string(1 + Pick(3));
          sets.push_back({"a = a + " + n, "a = coalesce(a, 0) + " + n});
          break;
        }
        case 2: sets.push_back({"a = " + other + " * 2 - a",
                         "a = CASE WHEN " + other + " IS NULL THEN -a ELSE " + other + " * 2 - a END"});
          break;
        case 3: sets.push_back({"a = NULL", ""}); break;
        default: sets.push_back({"s = " + Text(), ""}); break;
      }
      if (Pick(3) == 0) {
        if (Pick(2) || sets[0].ours[0] == 'a')
          sets.push_back(sets[0].ours[0] == 's' ? TPair{first ? "a = k" : "b = a + 1", first ? "a = k" : "b = coalesce(a, 0) + 1"}
                                               : TPair{"s = " + Text(), ""});
      }
      std::string list, liteList;
      for (size_t i = 0; i < sets.size(); ++i) {
        list += (i ? ", " : "") + sets[i].ours;
        liteList += (i ? ", " : "") + (sets[i].lite.empty() ? sets[i].ours : sets[i].lite);
      }
      TPair where = Where(ints);
      return {"UPDATE " + table + " SET " + list + where.ours, "UPDATE " + table + " SET " + liteList + where.lite};
    }
    const bool first = Pick(2);
    TPair where = Where(first ? std::vector<std::string>{"k", "a"} : std::vector<std::string>{"a", "b"});
    // Mostly narrow deletes, so the tables keep rows.
    if (where.ours.empty() && Pick(4)) {
      const std::string narrow = " WHERE " + std::string(first ? "k" : "b") + " = " + Key();
      where = {narrow, narrow};
    }
    const std::string table = first ? "d1" : "d2";
    return {"DELETE FROM " + table + where.ours, "DELETE FROM " + table + where.lite};
  }

 private:
  std::mt19937 random_;
};

class DmlOracle : public TQueryFixture {
 protected:
  void CreateBoth() {
    CreateTable("d1", {"k INTEGER", "a INTEGER", "s VARCHAR(10)"});
    CreateTable("d2", {"a INTEGER", "b INTEGER", "s VARCHAR(10)"});
    AddIndex("d1", "IX_d1_k", {"k"}, true);
    AddIndex("d2", "IX_d2_a", {"a"});
    ASSERT_TRUE(lite_.Exec("CREATE TABLE d1 (k INTEGER, a INTEGER, s TEXT); CREATE UNIQUE INDEX IX_d1_k ON d1 (k);"
                           "CREATE TABLE d2 (a INTEGER, b INTEGER, s TEXT); CREATE INDEX IX_d2_a ON d2 (a)"));
  }
  std::vector<std::string> Sorted(std::vector<std::string> rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
  }
  TSQLiteOracle lite_;
};

TEST_F(DmlOracle, RandomChangesAgreeWithSQLiteAfterEveryStatement) {
  CreateBoth();
  DmlGenerator generator(2024);
  constexpr int kStatements = 2400;
  int ran = 0, refused = 0, rolledBack = 0, changedRows = 0;
  for (int i = 0; i < kStatements; ++i) {
    const TPair sql = generator.Next(lite_.InTransaction());
    SCOPED_TRACE("statement " + std::to_string(i) + ": " + sql.ours);
    std::string liteError;
    const bool liteRan = lite_.Exec(sql.lite, &liteError);
    bool oursRan = true;
    int64_t affected = 0;
    std::string ourError;
    try {
      affected = Run(sql.ours).rowsAffected;
    } catch (const EDVXException& e) {
      oursRan = false;
      ourError = e.what();
    }
    ASSERT_EQ(oursRan, liteRan) << "ours: " << ourError << "\nSQLite: " << liteError << "\n" << sql.lite;
    ASSERT_EQ(session_->InTransaction(), lite_.InTransaction());
    if (oursRan) {
      ++ran;
      rolledBack += sql.ours == "ROLLBACK";
      if (sql.ours.rfind("INSERT", 0) == 0 || sql.ours.rfind("UPDATE", 0) == 0 || sql.ours.rfind("DELETE", 0) == 0) {
        EXPECT_EQ(affected, lite_.Changes()) << sql.lite;
        changedRows += affected > 0;
      }
    } else {
      ++refused;
    }
    for (const char* table : {"d1", "d2"}) {
      const std::string select = std::string("SELECT * FROM ") + table;
      ASSERT_EQ(Sorted(Rows(select)), Sorted(lite_.Rows(select))) << table << " after " << sql.ours;
    }
  }
  // Every kind of outcome was reached.
  EXPECT_GT(ran, kStatements / 2);
  EXPECT_GT(refused, 20);
  EXPECT_GT(rolledBack, 10);
  EXPECT_GT(changedRows, kStatements / 4);
}

// Mangled data-changing and definition statements (tokens dropped,
// doubled, swapped or replaced) end in the engine's own error or run,
// never in a crash or another exception.
TEST_F(DmlOracle, MangledStatementsEndInResultsOrEngineErrors) {
  CreateBoth();
  DmlGenerator generator(31);
  std::mt19937 random(8);
  static const char* definitions[] = {
      "CREATE TABLE n1 (a INTEGER NOT NULL DEFAULT 3, b VARCHAR(5) UNIQUE, c AUTOINC(SMALLINT, INCREMENT 2), "
      "PRIMARY KEY pk (a DESC))",
      "CREATE TABLE n2 (x INTEGER, FOREIGN KEY fk (x) REFERENCES d1 MATCH FULL ON DELETE SET NULL ON UPDATE CASCADE)",
      "ALTER TABLE d2 ADD (z INTEGER MINVALUE 0 MAXVALUE 9, w BLOB BLOBCOMPRESSIONMODE 3)",
      "ALTER TABLE d2 DROP (z, w)",
      "ALTER TABLE d1 RENAME s TO t",
      "CREATE UNIQUE INDEX IF NOT EXISTS ix ON d2 (a DESC, b NOCASE)",
      "DROP INDEX IF EXISTS d2.ix PASSWORD 'x'",
      "RENAME TABLE d2 TO d3",
      "DROP TABLE n1 CASCADE",
  };
  static const char* replacements[] = {"(", ")", ",", "*", "NULL", "d1", "SET", "VALUES", "WHERE", "INTO", "=",
                                       "1", "'x'", "TABLE", "INDEX", "KEY", "PRIMARY", "AUTOINC", "DEFAULT", "."};
  int ran = 0, refused = 0;
  for (int i = 0; i < 2000; ++i) {
    std::string text = i % 3 == 0 ? definitions[random() % std::size(definitions)] : generator.Next(false).ours;
    const std::string sql = MangledStatement(text, random, replacements);
    try {
      Run(sql);
      ++ran;
    } catch (const EDVXException&) {
      ++refused;
    } catch (const std::exception& e) {
      ADD_FAILURE() << sql << "\n  raised a foreign exception: " << e.what();
    }
    if (session_->InTransaction()) session_->Rollback();
  }
  // Both outcomes were reached.
  EXPECT_GT(ran, 20);
  EXPECT_GT(refused, 1000);
}

}  // namespace
}  // namespace dvx::test
