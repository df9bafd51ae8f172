// Expressions as their callers use them: SQL conditions with parameters
// over rows, cursor filters, locates and key lookups, aggregates over
// groups, subqueries, LASTAUTOINC, and what an expression says about its
// result.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/core/platform/clock.h"
#include "engine/sql/expr_node_comparison.h"
#include "engine/sql/expression.h"
#include "engine/sql/sql_errors.h"
#include "sql_test_support.h"
#include "tests/support/dvx_matchers.h"

namespace dvx {
namespace {

using namespace dvx::testing;
using ::testing::ElementsAre;

// A table of remedies: Ebene INTEGER, Name VARCHAR(20), Menge SMALLINT.
class Remedies : public ::testing::Test {
 protected:
  Remedies() {
    cursor.Field("Ebene", aftInteger).Field("Name", aftVarchar, 20).Field("Menge", aftSmallInt);
    AddRow(Int(0), Str("Arnica"), Int(30000));
    AddRow(Int(1), Str("apis"), Int(2000));
    AddRow(Null(), Str("Belladonna"), Null());
    AddRow(Int(0), Str("A"), Int(1000));
  }
  void AddRow(const TDVXVariant& ebene, const TDVXVariant& name, const TDVXVariant& menge) {
    cursor.NewRow();
    cursor.Set("Ebene", ebene);
    cursor.Set("Name", name);
    cursor.Set("Menge", menge);
  }
  // The rows (by number) for which the expression is true.
  std::vector<int> Selected(TDVXExpression& expression) {
    std::vector<int> rows;
    for (size_t i = 0; i < cursor.RowCount(); ++i) {
      cursor.Select(i);
      if (expression.IsTrue()) rows.push_back(static_cast<int>(i));
    }
    return rows;
  }
  std::vector<int> SelectedBy(const std::string& sql, const TDVXSQLParams* params = nullptr) {
    TParsed parsed = ParseConditionText(sql, &cursor, params);
    return Selected(*parsed.expression);
  }
  // Runs one group over all rows and evaluates the value.
  std::string Aggregate(const std::string& sql, TDVXExprServices* services = nullptr) {
    TParsed parsed = ParseValueText(sql, &cursor, nullptr, services);
    parsed.expression->ResetAggregates();
    for (size_t i = 0; i < cursor.RowCount(); ++i) {
      cursor.Select(i);
      parsed.expression->AccumulateAggregates();
    }
    return Show(*parsed.expression->GetValue(true));
  }
  TTestCursor cursor;
};

// --- SQL conditions -------------------------------------------------------------------------

TEST_F(Remedies, ParameterComparisonSkipsNullRowsAndNotEqualKeepsThem) {
  TDVXSQLParams params;
  TDVXSQLParam& zuid = params.Add();
  zuid.SetName("ZUID");
  zuid.SetAsSignedInt32(0);
  EXPECT_THAT(SelectedBy("Ebene = :zuid", &params), ElementsAre(0, 3));
  EXPECT_THAT(SelectedBy("Ebene <> 1"), ElementsAre(0, 2, 3));
}

TEST_F(Remedies, ParametersOfEveryKindTakeTheirPlace) {
  TDVXSQLParams params;
  auto add = [&](const char* name, const TDVXVariant& value) {
    TDVXSQLParam& p = params.Add();
    p.SetName(name);
    p.Assign(value);
  };
  add("n", Str("apis"));
  add("flag", Bool(true));
  add("nothing", Null(bftString));
  add("day", DateOf(2004, 3, 5));
  EXPECT_THAT(SelectedBy("Name = :n", &params), ElementsAre(1));
  EXPECT_THAT(SelectedBy(":flag AND Ebene = 1", &params), ElementsAre(1));
  EXPECT_THAT(SelectedBy("Name || :n = 'apisapis'", &params), ElementsAre(1));
  EXPECT_THAT(SelectedBy("Name = :nothing", &params), ElementsAre());
  EXPECT_THAT(SelectedBy("YEAR(:day) = 2004 AND Ebene = 1", &params), ElementsAre(1));
}

TEST_F(Remedies, InIgnoresCaseButEqualityInSqlDoesNot) {
  EXPECT_THAT(SelectedBy("Name IN ('ARNICA', 'b')"), ElementsAre(0));
  EXPECT_THAT(SelectedBy("Name = 'arnica'"), ElementsAre());
}

// --- Filters -----------------------------------------------------------------------------------

TEST_F(Remedies, FilterIgnoresCaseWhenAsked) {
  TDVXExpression filter;
  filter.ParseFilter(&cursor, "Name = 'arnica'", false, true);
  EXPECT_THAT(Selected(filter), ElementsAre(0));
  filter.ParseFilter(&cursor, "Name = 'arnica'", false, false);
  EXPECT_THAT(Selected(filter), ElementsAre());
  filter.ParseFilter(&cursor, "Name LIKE 'A%'", false, true);
  EXPECT_THAT(Selected(filter), ElementsAre(0, 1, 3));
}

TEST_F(Remedies, PartialFilterMatchesPrefixes) {
  TDVXExpression filter;
  filter.ParseFilter(&cursor, "Name = 'Arn*'", true, false);
  EXPECT_THAT(Selected(filter), ElementsAre(0, 3));  // a prefix compares equal either way round
  filter.ParseFilter(&cursor, "Name = 'Arn*'", false, false);
  EXPECT_THAT(Selected(filter), ElementsAre());
}

TEST_F(Remedies, FilterTextMustBeOneCondition) {
  TDVXExpression filter;
  EXPECT_THAT([&] { filter.ParseFilter(&cursor, "  \r\n ", false, false); },
              ThrowsDvx(kErrBlankCommand, "Blank SQL command"));
  EXPECT_THAT([&] { filter.ParseFilter(&cursor, "Ebene = 1 Name", false, false); },
              ThrowsDvx(kErrFilterTrailing, "Unexpected 'Name' found at line 1, column 11"));
  EXPECT_THAT([&] { filter.ParseFilter(&cursor, "Ebene = 1; Ebene = 2", false, false); },
              ThrowsDvx(kErrFilterTrailing));
  EXPECT_THAT([&] { filter.ParseFilter(&cursor, "Ebene = :p", false, false); }, ThrowsDvx(kErrParamNotFound));
  EXPECT_THAT([&] { filter.ParseFilter(nullptr, "Ebene = 1", false, false); }, ThrowsDvx(kErrNoCursor));
}

TEST_F(Remedies, FieldsAreFoundByTheirSecondaryNames) {
  cursor.AddAlias("Stufe", "Ebene");
  EXPECT_THAT(SelectedBy("Stufe = 1"), ElementsAre(1));
}

// --- Locates and key lookups --------------------------------------------------------------------

TEST_F(Remedies, LocateJoinsFieldsWithAndAndMatchesNull) {
  TDVXExpression locate;
  locate.BuildLocate(&cursor, " Ebene ; Name ", {Int(0), Str("A")}, false, false);
  EXPECT_THAT(Selected(locate), ElementsAre(3));
  locate.BuildLocate(&cursor, "Ebene", {Null()}, false, false);
  EXPECT_THAT(Selected(locate), ElementsAre(2));
  locate.BuildLocate(&cursor, "Name", {Str("ARN")}, true, true);
  EXPECT_THAT(Selected(locate), ElementsAre(0, 3));
  EXPECT_THAT([&] { locate.BuildLocate(&cursor, "Ebene;Name", {Int(0)}, false, false); },
              ThrowsDvx(kErrLocateCount, "Count of FieldNames (2) not equal counts of KeyValues (1)"));
  EXPECT_THAT([&] { locate.BuildLocate(&cursor, "Nope", {Int(0)}, false, false); },
              ThrowsDvx(kErrCursorFieldNotFound, "Field 'Nope' not found"));
}

TEST_F(Remedies, IndexKeyConditionSkipsNullKeyValuesUnlessAskedForExactNulls) {
  TDVXIndexDef index;
  index.AddColumn("Ebene");
  index.AddColumn("Name", false, true);
  std::vector<uint8_t> key(cursor.Row(3));  // Ebene 0, Name 'A'
  cursor.SetIn(key, "Name", Str("a"));
  TDVXExpression lookup;
  lookup.BuildFromIndexKey(&cursor, index, key.data(), -1, false);
  EXPECT_THAT(Selected(lookup), ElementsAre(3));  // the column ignores case
  lookup.BuildFromIndexKey(&cursor, index, key.data(), 1, false);
  EXPECT_THAT(Selected(lookup), ElementsAre(0, 3));
  cursor.SetIn(key, "Ebene", Null());
  lookup.BuildFromIndexKey(&cursor, index, key.data(), 1, false);
  EXPECT_EQ(lookup.Root(), nullptr);
  lookup.BuildFromIndexKey(&cursor, index, key.data(), 1, true);
  EXPECT_THAT(Selected(lookup), ElementsAre(2));
}

// --- Aggregates ------------------------------------------------------------------------------------

TEST_F(Remedies, AggregatesOverAGroup) {
  EXPECT_EQ(Aggregate("SUM(Menge)"), "SIGNEDINT64 33000");  // beyond SMALLINT, exact
  EXPECT_EQ(Aggregate("COUNT(*)"), "SIGNEDINT32 4");
  EXPECT_EQ(Aggregate("COUNT(Ebene)"), "SIGNEDINT32 3");
  EXPECT_EQ(Aggregate("AVG(Ebene)"), "FLOAT 0.333333333333333");
  EXPECT_EQ(Aggregate("MIN(Name)"), "STRING A");
  EXPECT_EQ(Aggregate("MAX(Name)"), "STRING Belladonna");
  EXPECT_EQ(Aggregate("MIN(Ebene)"), "SIGNEDINT32 0");
}

TEST(Aggregates, AverageOfOneAndTwoIsOneAndAHalf) {
  TTestCursor cursor;
  cursor.Field("x", aftInteger);
  TParsed parsed = ParseValueText("AVG(x)", &cursor);
  parsed.expression->ResetAggregates();
  for (int v : {1, 2}) {
    cursor.NewRow();
    cursor.Set("x", Int(v));
    parsed.expression->AccumulateAggregates();
  }
  EXPECT_EQ(Show(*parsed.expression->GetValue()), "FLOAT 1.5");
}

TEST_F(Remedies, EmptyGroupGivesZeroCountAndNullSums) {
  for (const char* sql : {"SUM(Menge)", "AVG(Menge)", "MIN(Menge)", "MAX(Menge)", "COUNT(Menge)", "COUNT(*)"}) {
    TParsed parsed = ParseValueText(sql, &cursor);
    parsed.expression->ResetAggregates();
    std::string expected = std::string(sql).rfind("COUNT", 0) == 0 ? "SIGNEDINT32 0" : "NULL";
    EXPECT_EQ(Show(*parsed.expression->GetValue(true)), expected) << sql;
  }
}

TEST_F(Remedies, ResetStartsANewGroup) {
  TParsed parsed = ParseValueText("SUM(Ebene) + COUNT(*)", &cursor);
  EXPECT_TRUE(parsed.expression->HasAggregate());
  EXPECT_TRUE(parsed.expression->IsCountAll());
  for (int group = 0; group < 2; ++group) {
    parsed.expression->ResetAggregates();
    cursor.Select(1);
    parsed.expression->AccumulateAggregates();
    EXPECT_EQ(Show(*parsed.expression->GetValue()), "SIGNEDINT64 2");
  }
}

TEST_F(Remedies, SumOfTextIsRefused) {
  TParsed parsed = ParseValueText("SUM(Name)", &cursor);
  parsed.expression->ResetAggregates();
  EXPECT_THAT([&] { parsed.expression->AccumulateAggregates(); },
              ThrowsDvx(kErrSumNotNumeric, "Not numeric argument in numeric operator 'SUM'"));
  TParsed avg = ParseValueText("AVG(Name)", &cursor);
  avg.expression->ResetAggregates();
  EXPECT_THAT([&] { avg.expression->AccumulateAggregates(); }, ThrowsDvx(kErrAvgNotNumeric));
}

TEST_F(Remedies, DistinctAggregatesCountEachValueOnce) {
  TTestServices services;
  EXPECT_EQ(Aggregate("COUNT(DISTINCT Ebene)", &services), "SIGNEDINT32 2");
  EXPECT_EQ(Aggregate("SUM DISTINCT (Ebene)", &services), "SIGNEDINT64 1");
  EXPECT_EQ(services.distinctSetsCreated, 2);
  EXPECT_THAT([&] { Aggregate("COUNT(DISTINCT Ebene)"); }, ThrowsDvx(kErrNoDistinctTables));
}

// --- Subqueries and LASTAUTOINC ---------------------------------------------------------------------

TEST_F(Remedies, SubqueriesRunOnceWithTheirTextRebuilt) {
  TTestServices services;
  services.subqueries["SELECT MAX ( t.Ebene ) FROM [My Table] t WHERE Name = 'It''s' AND x = :p"] = {Int(1)};
  services.subqueries["SELECT Ebene FROM t"] = {Int(1), Int(0)};
  services.subqueries["SELECT Ebene FROM t WHERE 1 = 0"] = {};
  TDVXSQLParams params;
  params.Add().SetName("p");
  auto selected = [&](const std::string& sql) {
    TParsed parsed = ParseConditionText(sql, &cursor, &params, &services);
    return Selected(*parsed.expression);
  };
  EXPECT_THAT(selected("Ebene = (SELECT MAX(t . Ebene) FROM [My Table] t WHERE Name = 'It''s' AND x = :p)"),
              ElementsAre(1));
  EXPECT_THAT(selected("Ebene IN (SELECT Ebene FROM t)"), ElementsAre(0, 1, 3));
  EXPECT_THAT(selected("Ebene NOT IN (SELECT Ebene FROM t)"), ElementsAre(2));
  EXPECT_THAT(selected("EXISTS (SELECT Ebene FROM t WHERE 1 = 0)"), ElementsAre());
  EXPECT_THAT(selected("NOT EXISTS (SELECT Ebene FROM t WHERE 1 = 0)"), ElementsAre(0, 1, 2, 3));
  // One run per subquery node, however many rows are tested.
  EXPECT_EQ(services.ranSubqueries.size(), 5u);
}

TEST_F(Remedies, ScalarSubqueryWithTwoRowsFailsWhenFirstEvaluated) {
  TTestServices services;
  services.subqueries["SELECT Ebene FROM t"] = {Int(1), Int(0)};
  services.subqueries["SELECT Ebene FROM t WHERE 1 = 0"] = {};
  TParsed parsed = ParseConditionText("Ebene = (SELECT Ebene FROM t)", &cursor, nullptr, &services);
  EXPECT_TRUE(services.ranSubqueries.empty());
  EXPECT_THAT([&] { parsed.expression->IsTrue(); },
              ThrowsDvx(kErrSubQueryManyRows, "Subquery returns multiple rows"));
  TParsed none = ParseConditionText("Ebene = (SELECT Ebene FROM t WHERE 1 = 0)", &cursor, nullptr, &services);
  EXPECT_THAT([&] { none.expression->IsTrue(); }, ThrowsDvx(kErrSubQueryNoRows, "Subquery returns no rows"));
}

TEST_F(Remedies, LastAutoIncReadsTheTableOpenedWhenBuilt) {
  TTestServices services;
  services.autoinc["KATALOG.ID"] = {aftAutoInc, 41};
  TParsed parsed = ParseValueText("LASTAUTOINC(MEMORY Katalog, ID) + 1", &cursor, nullptr, &services);
  EXPECT_THAT(services.openedTables, ElementsAre("MEMORY Katalog"));
  EXPECT_EQ(Show(*parsed.expression->GetValue()), "SIGNEDINT64 42");
  EXPECT_THAT([&] { ParseValueText("LASTAUTOINC(Katalog, Nope)", &cursor, nullptr, &services); },
              ThrowsDvx(kErrLastAutoIncField, "Field 'Nope' not found"));
}

// --- What an expression says about itself ----------------------------------------------------------

TEST_F(Remedies, RootQueries) {
  TDVXExpression empty;
  EXPECT_EQ(empty.GetValue(), nullptr);
  EXPECT_THAT([&] { empty.IsTrue(); }, ThrowsDvx(kErrIsTrueNoRoot, "Value is Null"));
  TParsed field = ParseValueText("t.Name", nullptr);
  EXPECT_TRUE(field.expression->IsField());
  EXPECT_EQ(field.expression->FieldName(), "Name");
  EXPECT_EQ(field.expression->FieldQualifier(), "t");
  EXPECT_THAT([&] { field.expression->GetValue(); }, ThrowsDvx(kErrFieldUnbound, "Dataset and AO not assigned"));
  TParsed sum = ParseValueText("Ebene + 1", &cursor);
  EXPECT_FALSE(sum.expression->IsField());
  EXPECT_THAT([&] { sum.expression->FieldName(); }, ThrowsDvx(kErrNotAField, "Node is not field"));
  cursor.Select(2);
  TParsed unknown = ParseConditionText("Name LIKE Ebene", &cursor);
  EXPECT_EQ(Show(*unknown.expression->GetValue()), "false");
  EXPECT_EQ(Show(*unknown.expression->GetValue(true)), "NULL");
}

struct TTypeCase {
  const char* sql;
  int type;
  int32_t size;
};

class ResultTypes : public Remedies, public ::testing::WithParamInterface<TTypeCase> {};

TEST_P(ResultTypes, DataTypeAndSize) {
  TParsed parsed = ParseValueText(GetParam().sql, &cursor);
  ASSERT_NE(parsed.expression->Root(), nullptr);
  EXPECT_EQ(parsed.expression->GetDataType(), GetParam().type) << GetParam().sql;
  EXPECT_EQ(parsed.expression->GetDataSize(), GetParam().size) << GetParam().sql;
}

INSTANTIATE_TEST_SUITE_P(
    All, ResultTypes,
    ::testing::Values(TTypeCase{"Ebene", aftInteger, 0}, TTypeCase{"Name", aftVarchar, 20},
                      TTypeCase{"Ebene + 1", aftLargeInt, 0}, TTypeCase{"-Menge", aftSmallInt, 0},
                      TTypeCase{"Name || 'ab'", aftVarchar, 22}, TTypeCase{"Name + Ebene", aftVarchar, 275},
                      TTypeCase{"UPPER(Name)", aftVarchar, 20}, TTypeCase{"LENGTH(Name)", aftInteger, 0},
                      TTypeCase{"SUM(Menge)", aftLargeInt, 0}, TTypeCase{"SUM(1.5)", aftDouble, 0},
                      TTypeCase{"AVG(Ebene)", aftDouble, 0}, TTypeCase{"MAX(Name)", aftVarchar, 20},
                      TTypeCase{"COUNT(*)", aftInteger, 0}, TTypeCase{"CAST(Ebene AS VARCHAR(12))", aftVarchar, 12},
                      TTypeCase{"CAST(Ebene AS DATE)", aftDate, 0}, TTypeCase{"SYSDATE", aftDateTime, 0},
                      TTypeCase{"DAYNAME(SYSDATE)", aftVarchar, 9}, TTypeCase{"YEAR(SYSDATE)", aftWord, 0},
                      TTypeCase{"TOSTRING(SYSDATE, 'DD.MM.YYYY')", aftVarchar, 10},
                      TTypeCase{"ISNULL(Ebene, 0)", aftLargeInt, 0}, TTypeCase{"TOBLOB('QQ==')", aftBlob, 0},
                      TTypeCase{"'abc'", aftVarchar, 3}));

TEST_F(Remedies, TypeOfIncompatibleChildrenCannotBeDetermined) {
  TParsed parsed = ParseValueText("ISNULL(Ebene, TOBLOB('QQ=='))", &cursor);
  EXPECT_THAT([&] { parsed.expression->GetDataType(); },
              ThrowsDvx(kErrUnknownExprType, "Cannot determine expression type"));
}

TEST(ClockFunctions, GiveTheCurrentDateAndTime) {
  double before = TDVXClock::System().Now();
  TParsed now = ParseValueText("NOW()");
  TParsed today = ParseValueText("CURRENT_DATE");
  TParsed time = ParseValueText("CURRENT_TIME");
  double value = now.expression->GetValue()->GetAsDateTimeValue();
  double after = TDVXClock::System().Now();
  EXPECT_GE(value, before - 1e-6);
  EXPECT_LE(value, after + 1e-6);
  EXPECT_EQ(today.expression->GetValue()->DataType(), bftDate);
  EXPECT_DOUBLE_EQ(today.expression->GetValue()->GetAsDateValue(), std::floor(before));
  EXPECT_EQ(time.expression->GetValue()->DataType(), bftTime);
}

}  // namespace
}  // namespace dvx
