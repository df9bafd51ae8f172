#pragma once
// SQLite as the oracle of the SQL tests: an in-memory database, statements
// run with their success and change count, rows read in the fixture's text
// form (tab-separated, NULL as "NULL", reals with up to 10 digits).
#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <vector>

namespace dvx::test {

class TSQLiteOracle {
 public:
  TSQLiteOracle() { sqlite3_open(":memory:", &db_); }
  ~TSQLiteOracle() { sqlite3_close(db_); }
  TSQLiteOracle(const TSQLiteOracle&) = delete;
  TSQLiteOracle& operator=(const TSQLiteOracle&) = delete;

  // True when the text ran; the error text otherwise.
  bool Exec(const std::string& sql, std::string* error = nullptr) {
    char* message = nullptr;
    const bool ok = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK;
    if (!ok && error) *error = message ? message : "";
    sqlite3_free(message);
    return ok;
  }
  // Rows changed by the last INSERT, UPDATE or DELETE.
  int64_t Changes() const { return sqlite3_changes64(db_); }
  bool InTransaction() const { return sqlite3_get_autocommit(db_) == 0; }

  // The rows of a query; a refused query gives one row naming the error.
  std::vector<std::string> Rows(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    std::vector<std::string> rows;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
      rows.push_back(std::string("SQLite refuses: ") + sqlite3_errmsg(db_));
      return rows;
    }
    while (sqlite3_step(statement) == SQLITE_ROW) {
      std::string line;
      for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        if (i) line += '\t';
        switch (sqlite3_column_type(statement, i)) {
          case SQLITE_NULL: line += "NULL"; break;
          case SQLITE_INTEGER: line += std::to_string(sqlite3_column_int64(statement, i)); break;
          case SQLITE_FLOAT: {
            char text[64];
            std::snprintf(text, sizeof text, "%.10g", sqlite3_column_double(statement, i));
            line += text;
            break;
          }
          default: line += reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
        }
      }
      rows.push_back(line);
    }
    sqlite3_finalize(statement);
    return rows;
  }

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace dvx::test
