// SQL behaviour as short scripts (scripts/*.test), each run on a fresh
// database file. Directives, each ended by a blank line:
//
//   table NAME (FIELD TYPE[(SIZE)], ...)     creates a table
//   index TABLE NAME (FIELD, ...)            adds an index
//   insert TABLE                             then one row a line, values
//                                            tab-separated, NULL for NULL
//   query [rowsort] [columns] [live] [nocursor]
//                                            then the SQL text, a line
//                                            "----" and the expected rows
//                                            (with "columns" the first line
//                                            is the result's column names;
//                                            "live" expects an editable
//                                            result, "nocursor" none)
//   error CODE [TEXT]                        then the SQL text, which must
//                                            raise that native code (and a
//                                            message holding TEXT)
//   statement COUNT                          then the SQL text, which must
//                                            run without rows, COUNT rows
//                                            affected in all
//
// Lines starting with "#" are comments.
#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "query_fixture.h"

namespace dvx::test {
namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    size_t tab = line.find('\t', start);
    parts.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return parts;
}

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
  return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

// "NAME (a, b c)" → name and the comma-separated items.
void SplitList(const std::string& text, std::string& name, std::vector<std::string>& items) {
  size_t open = text.find('('), close = text.rfind(')');
  name = Trim(text.substr(0, open));
  std::string inner = text.substr(open + 1, close - open - 1);
  size_t start = 0;
  int depth = 0;
  for (size_t i = 0; i <= inner.size(); ++i) {
    if (i < inner.size() && inner[i] == '(') ++depth;
    if (i < inner.size() && inner[i] == ')') --depth;
    if (i == inner.size() || (inner[i] == ',' && depth == 0)) {
      items.push_back(Trim(inner.substr(start, i - start)));
      start = i + 1;
    }
  }
}

class SelectScript : public TQueryFixture, public ::testing::WithParamInterface<std::string> {
 protected:
  void RunScript(const std::string& path) {
    std::ifstream in(path);
    ASSERT_TRUE(in) << path;
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    size_t i = 0;
    int checks = 0;
    while (i < lines.size()) {
      const std::string head = lines[i];
      const int at = static_cast<int>(i) + 1;
      if (head.empty() || head[0] == '#') {
        ++i;
        continue;
      }
      std::vector<std::string> body;
      for (++i; i < lines.size() && !lines[i].empty(); ++i)
        if (lines[i][0] != '#') body.push_back(lines[i]);
      SCOPED_TRACE(path + ":" + std::to_string(at));
      std::istringstream words(head);
      std::string directive;
      words >> directive;
      if (directive == "table") {
        std::string name;
        std::vector<std::string> items;
        SplitList(head.substr(6), name, items);
        CreateTable(name, items);
      } else if (directive == "index") {
        std::string table, rest;
        words >> table;
        std::getline(words, rest);
        std::string name;
        std::vector<std::string> items;
        SplitList(rest, name, items);
        AddIndex(table, name, items);
      } else if (directive == "insert") {
        std::string table;
        words >> table;
        std::vector<std::vector<std::string>> rows;
        for (const std::string& line : body) rows.push_back(SplitTabs(line));
        Insert(table, rows);
      } else if (directive == "query") {
        bool rowsort = false, columns = false, live = false, nocursor = false;
        for (std::string flag; words >> flag;) {
          rowsort |= flag == "rowsort";
          columns |= flag == "columns";
          live |= flag == "live";
          nocursor |= flag == "nocursor";
        }
        auto separator = std::find(body.begin(), body.end(), "----");
        std::string sql;
        for (auto it = body.begin(); it != separator; ++it) sql += *it + "\n";
        std::vector<std::string> expected(separator == body.end() ? body.end() : separator + 1, body.end());
        TQueryResult result;
        try {
          result = Run(sql, live);
        } catch (const EDVXException& e) {
          ADD_FAILURE() << sql << "raised " << e.what();
          continue;
        }
        ++checks;
        if (nocursor) {
          EXPECT_FALSE(result.hasCursor) << sql;
          continue;
        }
        EXPECT_TRUE(result.hasCursor) << sql;
        if (live) EXPECT_FALSE(result.readOnly) << sql;
        std::vector<std::string> actual = result.rows;
        if (columns) {
          std::string names;
          for (size_t c = 0; c < result.columns.size(); ++c) names += (c ? "\t" : "") + result.columns[c];
          actual.insert(actual.begin(), names);
        }
        if (rowsort) {
          std::sort(actual.begin() + (columns ? 1 : 0), actual.end());
          std::sort(expected.begin() + (columns && !expected.empty() ? 1 : 0), expected.end());
        }
        EXPECT_EQ(actual, expected) << sql;
      } else if (directive == "error") {
        int32_t code = 0;
        words >> code;
        std::string text;
        std::getline(words, text);
        text = Trim(text);
        std::string sql;
        for (const std::string& line : body) sql += line + "\n";
        std::string message;
        EXPECT_EQ(ErrorOf(sql, &message), code) << sql << message;
        if (!text.empty()) EXPECT_THAT(message, ::testing::HasSubstr(text)) << sql;
        ++checks;
      } else if (directive == "statement") {
        int64_t count = -1;
        words >> count;
        std::string sql;
        for (const std::string& line : body) sql += line + "\n";
        try {
          TQueryResult result = Run(sql);
          EXPECT_FALSE(result.hasCursor) << sql;
          EXPECT_EQ(result.rowsAffected, count) << sql;
        } catch (const EDVXException& e) {
          ADD_FAILURE() << sql << "raised " << e.what();
        }
        ++checks;
      } else {
        ADD_FAILURE() << "unknown directive " << directive;
      }
    }
    EXPECT_GT(checks, 0) << path;
  }
};

TEST_P(SelectScript, Runs) { RunScript(GetParam()); }

std::vector<std::string> Scripts() {
  std::vector<std::string> paths;
  for (const auto& entry : std::filesystem::directory_iterator(FENDRA_SOURCE_DIR "/tests/engine/query/scripts"))
    if (entry.path().extension() == ".test") paths.push_back(entry.path().string());
  std::sort(paths.begin(), paths.end());
  return paths;
}

INSTANTIATE_TEST_SUITE_P(Scripts, SelectScript, ::testing::ValuesIn(Scripts()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = std::filesystem::path(info.param).stem().string();
                           std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                           return name;
                         });

}  // namespace
}  // namespace dvx::test
