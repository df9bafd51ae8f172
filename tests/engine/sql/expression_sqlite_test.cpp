// An independent check of evaluation: random expression trees over random
// rows, evaluated by the engine and by SQLite on the subset both speak
// (comparisons, AND/OR/NOT with NULL, arithmetic, LIKE, IS NULL, IN,
// BETWEEN, LENGTH, SUBSTRING, UPPER/LOWER on ASCII, concatenation, date
// parts). Where the engine differs by design, the SQLite text is written to
// ask for the engine's rule, so the rule itself is what gets compared:
//
//   NULL + x = x, NULL - x = -x, NULL || s = s
//   a comparison with NULL is false ("<>": true), never NULL
//   BETWEEN with a NULL anywhere is NULL
//   an empty string is NULL (SUBSTRING giving "" gives NULL)
//   LENGTH(NULL) is 0
//   IN ignores case (ASCII here, so NOCASE is the same rule)
// Strings order by the German collation here and by bytes in SQLite, so
// ordering comparisons use lower-case ASCII only; LIKE is made
// case-sensitive in SQLite, as it is in the engine's SQL. The differences by
// design themselves are asserted at the end.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "engine/core/locale.h"
#include "engine/sql/expression.h"
#include "sql_test_support.h"

namespace dvx {
namespace {

using namespace dvx::testing;

// One expression in both dialects.
struct TPair {
  std::string ours;
  std::string lite;
};

enum TKind { kInt, kReal, kText, kBool };

class Generator {
 public:
  explicit Generator(uint32_t seed) : random_(seed) {}

  TPair Int(int depth) {
    switch (Pick(depth == 0 ? 2 : 8)) {
      case 0: return Same(Pick(2) ? "i1" : "i2");
      case 1: return Same(Literal(Pick(19) - 9));
      case 2: return Plus(Int(depth - 1), Int(depth - 1));
      case 3: return Minus(Int(depth - 1), Int(depth - 1));
      case 4: return Binary(Int(depth - 1), "*", Int(depth - 1));
      case 5: return Binary(Int(depth - 1), "/", Same(Literal(Pick(2) ? 1 + Pick(4) : -1 - Pick(4))));
      case 6: {
        TPair s = Text(depth - 1, Pick(3));
        return {"LENGTH(" + s.ours + ")", "coalesce(length(" + s.lite + "), 0)"};
      }
      default: {
        static const char* parts[][2] = {{"YEAR", "%Y"}, {"MONTH", "%m"}, {"DAY", "%d"}};
        int p = Pick(3);
        return {std::string(parts[p][0]) + "(d)", std::string("CAST(strftime('") + parts[p][1] + "', d) AS INTEGER)"};
      }
    }
  }

  TPair RealValue(int depth) {
    static const char* literals[] = {"1.5", "0.25", "(-2.5)", "3.0", "1e1"};
    switch (Pick(depth == 0 ? 2 : 6)) {
      case 0: return Same("r");
      case 1: return Same(literals[Pick(5)]);
      case 2: return Plus(RealValue(depth - 1), Pick(2) ? Int(depth - 1) : RealValue(depth - 1));
      case 3: return Minus(Pick(2) ? Int(depth - 1) : RealValue(depth - 1), RealValue(depth - 1));
      case 4: return Binary(RealValue(depth - 1), "*", Pick(2) ? Int(depth - 1) : RealValue(depth - 1));
      default: return Binary(RealValue(depth - 1), "/", Same(Pick(2) ? "2.0" : "(-0.5)"));
    }
  }

  // Alphabet 0: any (umlauts too), 1: ASCII, 2: lower-case letters only.
  TPair Text(int depth, int alphabet) {
    static const char* lower[] = {"a", "b", "ab", "abc", "bad", "cab", "e"};
    static const char* ascii[] = {"A", "Ab", "x1", "B b", "abc", "Q"};
    static const char* any[] = {"\xC4pfel", "\xE4", "Gr\xFC\xDF", "\xDF", "a\xF6"};
    int choice = Pick(depth == 0 ? 2 : 5);
    if (choice == 0) return Same(alphabet == 2 ? "lc" : alphabet == 1 ? "a" : (Pick(2) ? "s" : "a"));
    if (choice == 1) {
      std::string text = alphabet == 2 ? lower[Pick(7)] : alphabet == 1 ? ascii[Pick(6)] : any[Pick(5)];
      return {"'" + text + "'", "'" + AnsiToUtf8(text) + "'"};
    }
    if (choice == 2) {
      TPair a = Text(depth - 1, alphabet), b = Text(depth - 1, alphabet);
      return {"(" + a.ours + " || " + b.ours + ")",
              "(CASE WHEN (" + a.lite + ") IS NULL THEN (" + b.lite + ") ELSE (" + a.lite + ") || (" + b.lite + ") END)"};
    }
    if (choice == 3) {
      TPair s = Text(depth - 1, alphabet);
      std::string start = std::to_string(1 + Pick(4)), count = std::to_string(Pick(4));
      bool withCount = Pick(2);
      std::string ours = "SUBSTRING(" + s.ours + ", " + start + (withCount ? ", " + count : "") + ")";
      std::string lite = "NULLIF(substr(" + s.lite + ", " + start + (withCount ? ", " + count : "") + "), '')";
      return {ours, lite};
    }
    if (alphabet == 2) return Text(depth - 1, 2);
    TPair s = Text(depth - 1, 1);
    bool upper = Pick(2);
    return {std::string(upper ? "UPPER(" : "LOWER(") + s.ours + ")", std::string(upper ? "upper(" : "lower(") + s.lite + ")"};
  }

  TPair Condition(int depth) {
    static const char* ops[] = {"=", "<>", "<", ">", "<=", ">="};
    switch (Pick(depth == 0 ? 8 : 11)) {
      case 0: return Compare(Int(depth), ops[Pick(6)], Int(depth));
      case 1: return Compare(RealValue(depth), ops[Pick(6)], Pick(2) ? Int(depth) : RealValue(depth));
      case 2: return Compare(Text(depth, 0), Pick(2) ? "=" : "<>", Text(depth, 0), true);
      case 3: return Compare(Text(depth, 2), ops[Pick(6)], Text(depth, 2), true);
      case 4: {
        static const char* patterns[] = {"a%", "%b%", "_", "A%", "\xC4%", "%\xDF", "a_c", "%", "__%"};
        TPair s = Text(depth, 0);
        std::string pattern = patterns[Pick(9)];
        std::string op = Pick(3) ? " LIKE " : " NOT LIKE ";
        return {Lead(s.ours, true) + op + "'" + pattern + "'", "(" + s.lite + op + "'" + AnsiToUtf8(pattern) + "')"};
      }
      case 5: {
        int kind = Pick(3);
        TPair v = kind == 0 ? Int(depth) : kind == 1 ? RealValue(depth) : Text(depth, 0);
        std::string op = Pick(2) ? " IS NULL" : " IS NOT NULL";
        return {Lead(v.ours, kind == 2) + op, "((" + v.lite + ")" + op + ")"};
      }
      case 6: {
        std::string op = Pick(2) ? " IN " : " NOT IN ";
        if (Pick(2)) {
          TPair v = Int(depth);
          std::string list = "(" + std::to_string(Pick(7) - 3) + ", " + std::to_string(Pick(7) - 3) + ", 4)";
          return {Lead(v.ours, false) + op + list, "((" + v.lite + ")" + op + list + ")"};
        }
        TPair v = Text(depth, 1);
        return {Lead(v.ours, true) + op + "('a', 'AB', 'x1', 'b B')",
                "((" + v.lite + ") COLLATE NOCASE" + op + "('a', 'AB', 'x1', 'b B'))"};
      }
      case 7: {
        bool text = Pick(3) == 0;
        TPair v = text ? Text(depth, 2) : Int(depth);
        TPair low = text ? Text(0, 2) : Int(0), high = text ? Text(0, 2) : Int(0);
        std::string op = Pick(3) ? " BETWEEN " : " NOT BETWEEN ";
        return {Lead(v.ours, text) + op + low.ours + " AND " + high.ours,
                "(CASE WHEN (" + v.lite + ") IS NULL OR (" + low.lite + ") IS NULL OR (" + high.lite +
                    ") IS NULL THEN NULL ELSE (" + v.lite + ")" + op + "(" + low.lite + ") AND (" + high.lite +
                    ") END)"};
      }
      case 8: {
        TPair a = Condition(depth - 1), b = Condition(depth - 1);
        std::string op = Pick(2) ? " AND " : " OR ";
        return {"(" + a.ours + op + b.ours + ")", "((" + a.lite + ")" + op + "(" + b.lite + "))"};
      }
      case 9: {
        TPair a = Condition(depth - 1);
        return {"NOT (" + a.ours + ")", "NOT (" + a.lite + ")"};
      }
      default: {
        int day = 1 + Pick(28), month = 1 + Pick(12), year = 2003 + Pick(3);
        char ours[16], lite[16];
        std::snprintf(ours, sizeof ours, "%02d.%02d.%04d", day, month, year);
        std::snprintf(lite, sizeof lite, "%04d-%02d-%02d", year, month, day);
        std::string op = ops[Pick(6)];
        return Compare({"d", "d"}, op, {std::string("'") + ours + "'", std::string("'") + lite + "'"});
      }
    }
  }

  int Pick(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }

 private:
  // A condition that begins with "(" is read as a parenthesized condition,
  // so a left operand written in parentheses gets a neutral start: a unary
  // plus for numbers, NULL || x (which is x) for text.
  static std::string Lead(const std::string& ours, bool text) {
    if (ours.empty() || ours[0] != '(') return ours;
    return (text ? "'' || " : "+") + ours;
  }

  static TPair Same(const std::string& text) { return {text, text}; }
  static std::string Literal(int v) { return v < 0 ? "(" + std::to_string(v) + ")" : std::to_string(v); }
  static TPair Binary(const TPair& a, const char* op, const TPair& b) {
    return {"(" + a.ours + " " + op + " " + b.ours + ")", "((" + a.lite + ") " + op + " (" + b.lite + "))"};
  }
  // NULL + x = x.
  static TPair Plus(const TPair& a, const TPair& b) {
    return {"(" + a.ours + " + " + b.ours + ")",
            "(CASE WHEN (" + a.lite + ") IS NULL THEN (" + b.lite + ") ELSE (" + a.lite + ") + (" + b.lite + ") END)"};
  }
  // a - b is a + (-b), so NULL - x = -x.
  static TPair Minus(const TPair& a, const TPair& b) {
    return {"(" + a.ours + " - " + b.ours + ")",
            "(CASE WHEN (" + a.lite + ") IS NULL THEN -(" + b.lite + ") ELSE (" + a.lite + ") - (" + b.lite + ") END)"};
  }
  // Never NULL: false with a NULL side, except "<>", which is true.
  static TPair Compare(const TPair& a, const std::string& op, const TPair& b, bool text = false) {
    std::string unknown = op == "<>" ? "1" : "0";
    return {Lead(a.ours, text) + " " + op + " " + b.ours, "(CASE WHEN (" + a.lite + ") IS NULL OR (" + b.lite + ") IS NULL THEN " +
                                                  unknown + " ELSE (" + a.lite + ") " + op + " (" + b.lite + ") END)"};
  }

  std::mt19937 random_;
};

class SQLiteComparison : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
    Exec("PRAGMA case_sensitive_like = ON");
    Exec("CREATE TABLE t(i1 INTEGER, i2 INTEGER, r REAL, s TEXT, a TEXT, lc TEXT, d TEXT)");
    cursor_.Field("i1", aftInteger)
        .Field("i2", aftInteger)
        .Field("r", aftDouble)
        .Field("s", aftVarchar, 12)
        .Field("a", aftVarchar, 12)
        .Field("lc", aftVarchar, 8)
        .Field("d", aftDate);
    std::mt19937 random(20261209);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<uint32_t>(n)); };
    auto isNull = [&] { return pick(5) == 0; };
    static const char* anyTexts[] = {"\xC4pfel", "\xE4", "Gr\xFC\xDF", "A b", "abc", "\xDF", "x1", "a\xF6"};
    static const char* asciiTexts[] = {"A", "a", "Ab", "AB", "x1", "b B", "abc", "ABC", "Q"};
    static const char* lowerTexts[] = {"a", "ab", "abc", "b", "bad", "c", "cab", "e", "ea"};
    for (int row = 0; row < 40; ++row) {
      cursor_.NewRow();
      std::vector<std::string> lite;
      auto column = [&](const char* name, bool null, const TDVXVariant& value, const std::string& liteText) {
        cursor_.Set(name, null ? TDVXVariant(bftSignedInt32) : value);
        lite.push_back(null ? "NULL" : liteText);
      };
      int i1 = pick(21) - 10, i2 = pick(21) - 10;
      column("i1", isNull(), Int(i1), std::to_string(i1));
      column("i2", isNull(), Int(i2), std::to_string(i2));
      double r = (pick(41) - 20) / 4.0;
      char realText[32];
      std::snprintf(realText, sizeof realText, "%.17g", r);
      column("r", isNull(), Real(r), realText);
      std::string s = anyTexts[pick(8)], a = asciiTexts[pick(9)], lc = lowerTexts[pick(9)];
      column("s", isNull(), Str(s), "'" + AnsiToUtf8(s) + "'");
      column("a", isNull(), Str(a), "'" + a + "'");
      column("lc", isNull(), Str(lc), "'" + lc + "'");
      int year = 2003 + pick(3), month = 1 + pick(12), day = 1 + pick(28);
      char iso[16];
      std::snprintf(iso, sizeof iso, "'%04d-%02d-%02d'", year, month, day);
      column("d", isNull(), DateOf(year, month, day), iso);
      std::string values;
      for (const auto& v : lite) values += (values.empty() ? "" : ", ") + v;
      Exec("INSERT INTO t VALUES (" + values + ")");
    }
  }
  void TearDown() override { sqlite3_close(db_); }

  void Exec(const std::string& sql) {
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << sql << ": " << error;
  }

  // Evaluates the pair on every row and reports the first disagreement.
  void Check(const TPair& pair, TKind kind) {
    TParsed parsed = kind == kBool ? ParseConditionText(pair.ours, &cursor_) : ParseValueText(pair.ours, &cursor_);
    ASSERT_NE(parsed.expression->Root(), nullptr) << pair.ours;
    TToken rest;
    ASSERT_FALSE(parsed.lexer->GetCurrentToken(rest)) << pair.ours << " stopped at " << rest.text;
    sqlite3_stmt* statement = nullptr;
    std::string sql = "SELECT " + pair.lite + " FROM t ORDER BY rowid";
    ASSERT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr), SQLITE_OK)
        << sql << ": " << sqlite3_errmsg(db_);
    for (size_t row = 0; row < cursor_.RowCount(); ++row) {
      ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
      cursor_.Select(row);
      const TDVXVariant& ours = *parsed.expression->GetValue(true);
      std::string where = pair.ours + "  |  " + pair.lite + "  | row " + std::to_string(row);
      bool liteNull = sqlite3_column_type(statement, 0) == SQLITE_NULL;
      ASSERT_EQ(ours.IsNull(), liteNull) << where << " ours " << Show(ours);
      if (liteNull) continue;
      switch (kind) {
        case kBool: ASSERT_EQ(ours.GetAsLogical(), sqlite3_column_int(statement, 0) != 0) << where; break;
        case kInt: ASSERT_EQ(ours.GetAsSignedInt64(), sqlite3_column_int64(statement, 0)) << where; break;
        case kReal: {
          double expected = sqlite3_column_double(statement, 0);
          ASSERT_NEAR(ours.GetAsDouble(), expected, 1e-9 * std::max(1.0, std::fabs(expected))) << where;
          break;
        }
        case kText: {
          std::string text(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
          ASSERT_EQ(ours.GetAsString(), Utf8ToAnsi(text)) << where;
          break;
        }
      }
    }
    sqlite3_finalize(statement);
  }

  // A single scalar from SQLite as the engine would show it.
  std::string LiteShow(const std::string& expression) {
    sqlite3_stmt* statement = nullptr;
    std::string sql = "SELECT " + expression;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) return "error";
    sqlite3_step(statement);
    std::string shown = sqlite3_column_type(statement, 0) == SQLITE_NULL
                            ? "NULL"
                            : reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    return shown;
  }
  std::string OursShow(const std::string& text, bool condition) {
    TParsed parsed = condition ? ParseConditionText(text) : ParseValueText(text);
    const TDVXVariant& v = *parsed.expression->GetValue(true);
    if (v.IsNull()) return "NULL";
    if (v.DataType() == bftLogical) return v.GetAsLogical() ? "1" : "0";
    return v.GetAsString();
  }

  sqlite3* db_ = nullptr;
  TTestCursor cursor_;
};

TEST_F(SQLiteComparison, RandomTreesAgreeOnEveryRow) {
  Generator generator(17);
  for (int round = 0; round < 600; ++round) {
    int depth = generator.Pick(4);
    switch (round % 5) {
      case 0: ASSERT_NO_FATAL_FAILURE(Check(generator.Int(depth), kInt)); break;
      case 1: ASSERT_NO_FATAL_FAILURE(Check(generator.RealValue(depth), kReal)); break;
      case 2: ASSERT_NO_FATAL_FAILURE(Check(generator.Text(depth, generator.Pick(3)), kText)); break;
      default: ASSERT_NO_FATAL_FAILURE(Check(generator.Condition(depth), kBool)); break;
    }
  }
}

// The differences the engine has by design, each shown on both sides.
TEST_F(SQLiteComparison, DifferencesByDesign) {
  // NULL + x = x.
  EXPECT_EQ(OursShow("CAST(NULL AS INTEGER) + 5", false), "5");
  EXPECT_EQ(LiteShow("NULL + 5"), "NULL");
  // A comparison with NULL is never NULL.
  EXPECT_EQ(OursShow("NULL <> 1", true), "1");
  EXPECT_EQ(LiteShow("NULL <> 1"), "NULL");
  // An empty string is NULL.
  EXPECT_EQ(OursShow("'' IS NULL", true), "1");
  EXPECT_EQ(LiteShow("'' IS NULL"), "0");
  // IN and BETWEEN ignore case.
  EXPECT_EQ(OursShow("'a' IN ('A')", true), "1");
  EXPECT_EQ(LiteShow("'a' IN ('A')"), "0");
  EXPECT_EQ(OursShow("'b' BETWEEN 'A' AND 'B'", true), "1");
  EXPECT_EQ(LiteShow("'b' BETWEEN 'A' AND 'B'"), "0");
  // SQLite's LIKE ignores ASCII case unless told otherwise; the engine's
  // SQL does not.
  EXPECT_EQ(OursShow("'a' LIKE 'A'", true), "0");
  Exec("PRAGMA case_sensitive_like = OFF");
  EXPECT_EQ(LiteShow("'a' LIKE 'A'"), "1");
  // Strings order by the German collation here, by bytes there.
  EXPECT_EQ(OursShow("'a' < 'B'", true), "1");
  EXPECT_EQ(LiteShow("'a' < 'B'"), "0");
  // A string plus an integer joins them.
  EXPECT_EQ(OursShow("'a' + 1", false), "a1");
  EXPECT_EQ(LiteShow("'a' + 1"), "1");
}

}  // namespace
}  // namespace dvx
