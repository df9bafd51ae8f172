// Random sequences of definition statements (columns added with defaults,
// dropped and renamed, indexes made and dropped, tables renamed) mixed
// with inserts and updates, run by the engine and by SQLite on the same
// table; after every statement both must agree on whether it ran and on
// the rows the table keeps, column by column.
#include <gmock/gmock.h>

#include <algorithm>
#include <random>

#include "query_fixture.h"
#include "sqlite_oracle.h"

namespace dvx::test {
namespace {

struct TPair {
  std::string ours;
  std::string lite;
};

class DdlOracle : public TQueryFixture {
 protected:
  TSQLiteOracle lite_;
};

TEST_F(DdlOracle, RandomDefinitionChangesKeepTheSameRowsAsSQLite) {
  std::mt19937 random(4711);
  auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
  std::string table = "g";
  std::vector<std::string> columns = {"a", "b"};
  std::vector<std::string> indexes;
  int nextColumn = 0, nextIndex = 0, nextTable = 0;
  Run("CREATE TABLE g (a INTEGER, b INTEGER)");
  ASSERT_TRUE(lite_.Exec("CREATE TABLE g (a INTEGER, b INTEGER)"));
  int statements = 0, changes = 0;
  for (int i = 0; i < 1000; ++i) {
    TPair sql;
    const int kind = static_cast<int>(pick(13));
    if (kind == 12) {
      // Keeps the table small, so the rebuilds stay quick.
      const std::string bound = std::to_string(pick(12));
      sql.ours = "DELETE FROM " + table + " WHERE " + columns[0] + " > " + bound + " OR " + columns[0] + " IS NULL";
      sql.lite = "DELETE FROM " + table + " WHERE coalesce(" + columns[0] + " > " + bound + ", 0) OR " + columns[0] +
                 " IS NULL";
    } else if (kind <= 3) {
      std::string names, values;
      for (size_t c = 0; c < columns.size(); ++c) {
        if (pick(4) == 0) continue;
        names += (names.empty() ? "" : ", ") + columns[c];
        values += (values.empty() ? "" : ", ") + (pick(6) ? std::to_string(static_cast<int>(pick(20)) - 5) : "NULL");
      }
      if (names.empty()) {
        names = columns[0];
        values = "1";
      }
      sql.ours = sql.lite = "INSERT INTO " + table + " (" + names + ") VALUES (" + values + ")";
    } else if (kind == 4) {
      const std::string& c = columns[pick(columns.size())];
      const std::string value = std::to_string(pick(9)), bound = std::to_string(pick(10));
      sql.ours = "UPDATE " + table + " SET " + c + " = " + value + " WHERE " + columns[0] + " > " + bound;
      sql.lite = "UPDATE " + table + " SET " + c + " = " + value + " WHERE coalesce(" + columns[0] + " > " + bound + ", 0)";
    } else if (kind == 5 || kind == 6) {
      const std::string name = "c" + std::to_string(nextColumn++);
      const bool withDefault = pick(2);
      const std::string def = std::to_string(pick(50));
      sql.ours = "ALTER TABLE " + table + " ADD (" + name + " INTEGER" + (withDefault ? " DEFAULT " + def : "") + ")";
      sql.lite = "ALTER TABLE " + table + " ADD COLUMN " + name + " INTEGER" + (withDefault ? " DEFAULT " + def : "");
      columns.push_back(name);
    } else if (kind == 7) {
      if (columns.size() < 3) continue;
      // A column that no index holds.
      const std::string name = columns.back();
      bool indexed = false;
      for (const std::string& ix : indexes) indexed |= ix.find("_" + name + "_") != std::string::npos;
      if (indexed) continue;
      sql.ours = "ALTER TABLE " + table + " DROP " + name;
      sql.lite = "ALTER TABLE " + table + " DROP COLUMN " + name;
      columns.pop_back();
    } else if (kind == 8) {
      const size_t at = pick(columns.size());
      bool indexed = false;
      for (const std::string& ix : indexes) indexed |= ix.find("_" + columns[at] + "_") != std::string::npos;
      if (indexed) continue;
      const std::string name = "r" + std::to_string(nextColumn++);
      sql.ours = "ALTER TABLE " + table + " RENAME " + columns[at] + " TO " + name;
      sql.lite = "ALTER TABLE " + table + " RENAME COLUMN " + columns[at] + " TO " + name;
      columns[at] = name;
    } else if (kind == 9) {
      const std::string& c = columns[pick(columns.size())];
      const std::string name = "ix_" + c + "_" + std::to_string(nextIndex++);
      sql.ours = sql.lite = "CREATE INDEX " + name + " ON " + table + " (" + c + ")";
      indexes.push_back(name);
    } else if (kind == 10) {
      if (indexes.empty()) continue;
      const size_t at = pick(indexes.size());
      sql.ours = "DROP INDEX " + table + "." + indexes[at];
      sql.lite = "DROP INDEX " + indexes[at];
      indexes.erase(indexes.begin() + static_cast<std::ptrdiff_t>(at));
    } else {
      const std::string name = "g" + std::to_string(nextTable++);
      sql.ours = "RENAME TABLE " + table + " TO " + name;
      sql.lite = "ALTER TABLE " + table + " RENAME TO " + name;
      table = name;
    }
    SCOPED_TRACE("statement " + std::to_string(i) + ": " + sql.ours);
    std::string liteError, ourError;
    const bool liteRan = lite_.Exec(sql.lite, &liteError);
    bool oursRan = true;
    try {
      Run(sql.ours);
    } catch (const EDVXException& e) {
      oursRan = false;
      ourError = e.what();
    }
    ASSERT_EQ(oursRan, liteRan) << "ours: " << ourError << "\nSQLite: " << liteError;
    ++statements;
    changes += sql.ours.rfind("ALTER", 0) == 0 || sql.ours.rfind("CREATE", 0) == 0 || sql.ours.rfind("RENAME", 0) == 0;
    std::string list;
    for (const std::string& c : columns) list += (list.empty() ? "" : ", ") + c;
    std::vector<std::string> ours = Rows("SELECT " + list + " FROM " + table);
    std::vector<std::string> lite = lite_.Rows("SELECT " + list + " FROM " + table);
    std::sort(ours.begin(), ours.end());
    std::sort(lite.begin(), lite.end());
    ASSERT_EQ(ours, lite);
  }
  EXPECT_GT(statements, 750);
  EXPECT_GT(changes, 200);
  // Nothing of the rebuilds is left under a temporary name.
  for (const std::string& name : db_->TableNames()) EXPECT_NE(name[0], '$') << name;
}

}  // namespace
}  // namespace dvx::test
