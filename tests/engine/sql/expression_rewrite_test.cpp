// Conditions taken apart for the operators and the cursor: push-down into
// an operator tree, join fields, select aliases, index scan conditions and
// the never-true test.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/schema/index_def.h"
#include "engine/sql/expression.h"
#include "engine/sql/select_list_item.h"
#include "engine/sql/sql_errors.h"
#include "engine/values/field_compare.h"
#include "sql_test_support.h"
#include "tests/support/dvx_matchers.h"

namespace dvx {
namespace {

using namespace dvx::testing;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The number of top-level AND terms (0 without a root).
int Terms(const TDVXExpression* e) {
  if (!e || !e->Root()) return 0;
  return e->Root()->Kind() == nkAnd ? e->Root()->ChildCount() : 1;
}

// --- Push-down and joins ----------------------------------------------------------------------

class Joins : public ::testing::Test {
 protected:
  Joins() {
    baum.Field("Baum_ID", aftInteger).Field("Ebene", aftInteger).Field("Text", aftVarchar, 40);
    ind.Field("Ind_ID", aftInteger).Field("Baum_ID", aftInteger).Field("Name", aftVarchar, 40);
  }
  std::unique_ptr<TDVXExpression> Parse(const std::string& sql) { return ParseConditionText(sql).expression; }
  TTestOperator baum{"Baum", "b"};
  TTestOperator ind{"IndList", "i"};
};

TEST_F(Joins, InnerJoinPushesEachTermToTheInputThatCanEvaluateIt) {
  TTestOperator join(TTestOperator::jInner, baum, ind);
  auto where = Parse("b.Ebene = 1 AND Name LIKE 'A%' AND b.Baum_ID = i.Baum_ID AND 1 = 1");
  where->PushDownConditions(join);
  EXPECT_EQ(Terms(baum.Filter()), 2);  // Ebene = 1, and 1 = 1 (the deepest first input takes it)
  EXPECT_EQ(Terms(ind.Filter()), 1);
  EXPECT_EQ(Terms(join.Filter()), 1);
  EXPECT_EQ(where->Root(), nullptr);
  // The taken terms are bound and evaluated by their operator.
  baum.Set("Ebene", Int(1));
  baum.Filter()->BindToOperator(baum);
  EXPECT_TRUE(baum.Filter()->IsTrue());
}

TEST_F(Joins, OuterJoinsKeepTermsOffTheSideThatMayBeMissing) {
  TTestOperator left(TTestOperator::jLeft, baum, ind);
  auto where = Parse("Ebene = 1 AND Name = 'x'");
  where->PushDownConditions(left);
  EXPECT_EQ(Terms(baum.Filter()), 1);
  EXPECT_EQ(ind.Filter(), nullptr);
  EXPECT_EQ(Terms(left.Filter()), 1);

  TTestOperator baum2("Baum"), ind2("IndList");
  baum2.Field("Ebene", aftInteger);
  ind2.Field("Name", aftVarchar, 10);
  TTestOperator full(TTestOperator::jFull, baum2, ind2);
  auto where2 = Parse("Ebene = 1 AND Name = 'x'");
  where2->PushDownConditions(full);
  EXPECT_EQ(baum2.Filter(), nullptr);
  EXPECT_EQ(ind2.Filter(), nullptr);
  EXPECT_EQ(Terms(full.Filter()), 2);
}

TEST_F(Joins, PushedTermsJoinAnExistingFilter) {
  auto first = Parse("Ebene = 1");
  first->PushDownConditions(baum);
  auto second = Parse("Text = 'a' AND Ebene < 3");
  second->PushDownConditions(baum);
  EXPECT_EQ(Terms(baum.Filter()), 3);
}

TEST_F(Joins, AmbiguousOrUnknownFieldsStay) {
  TTestOperator join(TTestOperator::jInner, baum, ind);
  auto where = Parse("Baum_ID = 3 AND Nope = 1");
  where->PushDownConditions(join);
  EXPECT_EQ(baum.Filter(), nullptr);
  EXPECT_EQ(ind.Filter(), nullptr);
  EXPECT_EQ(Terms(where.get()), 2);
}

TEST_F(Joins, JoinFieldsAreTakenWithTheirSides) {
  auto on = Parse("i.Baum_ID = b.Baum_ID AND Ebene = 1 AND b.Ebene = i.Ind_ID");
  std::vector<TDVXFieldReference> leftFields, rightFields;
  on->ExtractJoinFields(baum, ind, leftFields, rightFields);
  ASSERT_EQ(leftFields.size(), 2u);
  // As written: the field left of "=" goes to the first list.
  EXPECT_EQ(leftFields[0].qualifier + "." + leftFields[0].fieldName, "i.Baum_ID");
  EXPECT_EQ(rightFields[0].qualifier + "." + rightFields[0].fieldName, "b.Baum_ID");
  EXPECT_EQ(leftFields[1].fieldName, "Ebene");
  EXPECT_EQ(Terms(on.get()), 1);
}

TEST_F(Joins, AmbiguousJoinFieldIsAnError) {
  auto first = Parse("Baum_ID = i.Ind_ID");
  std::vector<TDVXFieldReference> l, r;
  EXPECT_THAT([&] { first->ExtractJoinFields(baum, ind, l, r); },
              ThrowsDvx(kErrFirstFieldAmbiguous, "Ambiguous field reference to 'Baum_ID'"));
  auto second = Parse("b.Ebene = Baum_ID");
  EXPECT_THAT([&] { second->ExtractJoinFields(baum, ind, l, r); }, ThrowsDvx(kErrSecondFieldAmbiguous));
  auto same = Parse("b.Ebene = b.Baum_ID");
  same->ExtractJoinFields(baum, ind, l, r);
  EXPECT_TRUE(l.empty());
  EXPECT_EQ(Terms(same.get()), 1);
}

TEST_F(Joins, BindingToAnOperatorNeedsExactlyOneMatch) {
  TTestOperator join(TTestOperator::jInner, baum, ind);
  auto ambiguous = Parse("Baum_ID = 1");
  EXPECT_THAT([&] { ambiguous->BindToOperator(join); }, ThrowsDvx(kErrOperatorFieldNotFound, "Field 'Baum_ID' not found"));
  auto qualified = Parse("x.Ebene = 1");
  EXPECT_THAT([&] { qualified->BindToOperator(join); }, ThrowsDvx(kErrOperatorFieldNotFound, "Field 'x.Ebene' not found"));
  auto fine = Parse("i.Baum_ID = 7");
  fine->BindToOperator(join);
  ind.Set("Baum_ID", Int(7));
  EXPECT_TRUE(fine->IsTrue());
  EXPECT_TRUE(fine->CanEvaluateIn(ind));
  EXPECT_FALSE(fine->CanEvaluateIn(baum));
}

TEST(SelectAliases, UnqualifiedReferencesToAnAliasTakeTheItemsField) {
  std::vector<TDVXSelectListItem> items(3);
  items[0].qualifier = "b";
  items[0].fieldName = "BezTree";
  items[0].alias = "Bezeichnung";
  items[1].isExpression = true;
  items[1].alias = "Summe";
  items[2].fieldName = "Ebene";
  TParsed parsed = ParseConditionText("bezeichnung = 'x' AND Summe > 1 AND t.Bezeichnung = 'y' AND Ebene = 1");
  parsed.expression->ApplySelectAliases(items);
  TTestOperator op("Baum", "b");
  op.Field("BezTree", aftVarchar, 10).Field("Summe", aftInteger).Field("Ebene", aftInteger);
  TTestOperator other("t");
  other.Field("Bezeichnung", aftVarchar, 10);
  TTestOperator join(TTestOperator::jInner, op, other);
  parsed.expression->BindToOperator(join);  // every reference resolves now
  op.Set("BezTree", Str("x"));
  op.Set("Summe", Int(2));
  op.Set("Ebene", Int(1));
  other.Set("Bezeichnung", Str("y"));
  EXPECT_TRUE(parsed.expression->IsTrue());
}

// --- Index conditions -------------------------------------------------------------------------

class IndexConditions : public ::testing::Test {
 protected:
  IndexConditions() {
    cursor.Field("x", aftInteger).Field("s", aftVarchar, 5).Field("d", aftDouble).Field("k", aftSmallInt);
    indexes.Add("ByS")->AddColumn("s");
    indexes.Add("ByX")->AddColumn("x");
    indexes.Add("ByXDesc")->AddColumn("x", true);
    indexes.Add("BySNoCase")->AddColumn("s", false, true);
    indexes.Add("ByD")->AddColumn("d");
    indexes.Add("ByK")->AddColumn("k");
    for (int i = 0; i < indexes.Count(); ++i) indexes.Items(i)->SetObjectID(100 + i);
    // The same columns with descending indexes first.
    descendingFirst.Add("ByXDesc")->AddColumn("x", true);
    descendingFirst.Add("ByKDesc")->AddColumn("k", true);
    descendingFirst.Add("ByDDesc")->AddColumn("d", true);
    descendingFirst.Add("BySNoCaseDesc")->AddColumn("s", true, true);
    descendingFirst.Add("BySDesc")->AddColumn("s", true);
    for (int i = 0; i < descendingFirst.Count(); ++i) descendingFirst.Items(i)->SetObjectID(200 + i);
  }
  TDVXScanSearchConditionArray Extract(const std::string& sql, bool filter = false, bool caseInsensitive = false) {
    TDVXExpression e;
    if (filter) {
      e.ParseFilter(&cursor, sql, false, caseInsensitive);
    } else {
      TParsed parsed = ParseConditionText(sql, &cursor);
      e.TakeSettingsFrom(*parsed.expression);
      e.SetRoot(parsed.expression->ReleaseRoot());
    }
    TDVXScanSearchConditionArray conditions;
    e.ExtractIndexConditions(indexes, conditions);
    EXPECT_NE(e.Root(), nullptr) << "the condition stays whole";
    return conditions;
  }
  // "index:type:key" for each condition->
  std::vector<std::string> Describe(const TDVXScanSearchConditionArray& conditions) {
    std::vector<std::string> out;
    for (const auto& c : conditions) {
      int fieldNo = -1;
      for (int f = 0; f < cursor.RowFieldDefs().Count(); ++f)
        if (!IsNull(f, c.keyBuffer.data())) fieldNo = f;
      TDVXVariant key;
      const TDVXFieldDef& def = *cursor.RowFieldDefs().Items(fieldNo);
      ReadFieldSlot(key, def.BaseFieldType(), c.keyBuffer.data() + def.MemoryOffset(), def.MemoryDataSize(), false);
      out.push_back(std::to_string(c.indexID) + ":" + std::to_string(c.conditionType) + ":" + Show(key));
    }
    return out;
  }
  TTestCursor cursor;
  TDVXIndexDefs indexes;
  TDVXIndexDefs descendingFirst;
};

TEST_F(IndexConditions, ConstantOnTheLeftIsMirrored) {
  // 5 < x: the rows with x above 5, through the first index on x.
  EXPECT_THAT(Describe(Extract("5 < x")), ElementsAre("101:3:SIGNEDINT32 5"));
  EXPECT_THAT(Describe(Extract("x <= 5")), ElementsAre("101:4:SIGNEDINT32 5"));
  EXPECT_THAT(Describe(Extract("x = -2 AND s >= 'ab'")), ElementsAre("101:1:SIGNEDINT32 -2", "100:5:STRING ab"));
}

TEST_F(IndexConditions, DescendingFirstColumnExchangesTheDirections) {
  TDVXIndexDefs descending;
  descending.Add("ByXDesc")->AddColumn("x", true);
  TParsed parsed = ParseConditionText("x > 5 AND x <= 9", &cursor);
  TDVXScanSearchConditionArray conditions;
  parsed.expression->ExtractIndexConditions(descending, conditions);
  ASSERT_EQ(conditions.size(), 2u);
  EXPECT_EQ(conditions[0].conditionType, ctLess);
  EXPECT_EQ(conditions[1].conditionType, ctGreaterOrEqual);
}

TEST_F(IndexConditions, OnlyLosslessConstantsAndMatchingCaseRulesQualify) {
  EXPECT_THAT(Extract("x > 2.5"), IsEmpty());                  // not an integer
  EXPECT_THAT(Describe(Extract("x > 2.0")), ElementsAre("101:3:SIGNEDINT32 2"));
  EXPECT_THAT(Extract("x = 3000000000"), IsEmpty());           // outside the column's range
  EXPECT_THAT(Extract("x = '7'"), IsEmpty());                  // compared as text, ordered as numbers
  EXPECT_THAT(Extract("s = 'abcdef'"), IsEmpty());             // would be cut in the key
  EXPECT_THAT(Extract("d = 0.1"), ElementsAre(::testing::_));  // FLOAT column, FLOAT constant
  EXPECT_THAT(Describe(Extract("k < 40000")), IsEmpty());      // beyond SMALLINT
  EXPECT_THAT(Describe(Extract("k < 400")), ElementsAre("105:2:SIGNEDINT16 400"));
  EXPECT_THAT(Extract("x <> 1"), IsEmpty());
  EXPECT_THAT(Extract("x = NULL"), IsEmpty());
  EXPECT_THAT(Extract("x + 1 = 2 OR x = 1"), IsEmpty());
  // Case: SQL compares case-sensitively (ByS), a case-insensitive filter
  // takes the case-insensitive index.
  EXPECT_THAT(Describe(Extract("s = 'Ab'")), ElementsAre("100:1:STRING Ab"));
  EXPECT_THAT(Describe(Extract("s = 'Ab'", true, true)), ElementsAre("103:1:STRING Ab"));
  // Prefix comparisons never qualify.
  TDVXExpression partial;
  partial.ParseFilter(&cursor, "s = 'Ab*'", true, false);
  TDVXScanSearchConditionArray none;
  partial.ExtractIndexConditions(indexes, none);
  EXPECT_THAT(none, IsEmpty());
}

TEST_F(IndexConditions, KeyLookupsWithoutNullAsUnknownServeNoLessThan) {
  TDVXExpression locate;
  TDVXScanSearchConditionArray conditions;
  locate.BuildLocate(&cursor, "x", {Int(4)}, false, false);
  locate.ExtractIndexConditions(indexes, conditions);
  EXPECT_EQ(conditions.size(), 1u);
  TDVXExpression noCursor;
  EXPECT_THAT([&] { noCursor.ExtractIndexConditions(indexes, conditions); }, ThrowsDvx(kErrIndexNoCursor));
}

// Whatever the index serves, it never loses a row the comparison accepts:
// for random rows and comparisons, every row for which the term is true has
// a key that satisfies the scan condition in the index's own order.
TEST_F(IndexConditions, ScanNeverLosesARowTheConditionAccepts) {
  std::mt19937 random(11);
  const char* ops[] = {"=", "<", ">", "<=", ">="};
  const char* constants[] = {"3", "-3", "3.0", "2.5", "1e1", "'2'", "0", "70000", "-40000"};
  const char* texts[] = {"'a'", "'A'", "'ab'", "'B'", "'b'", "'\xE4'", "''", "'abcdef'", "'Ab'"};
  for (int i = 0; i < 40; ++i) {
    cursor.NewRow();
    cursor.Set("x", random() % 5 == 0 ? Null() : Int(static_cast<int32_t>(random() % 9) - 4));
    cursor.Set("k", random() % 5 == 0 ? Null() : Int(static_cast<int32_t>(random() % 9) - 4));
    cursor.Set("d", random() % 5 == 0 ? Null() : Real((static_cast<int>(random() % 13) - 6) / 2.0));
    static const char* values[] = {"a", "A", "ab", "Ab", "b", "B", "\xE4", "\xC4", "abc"};
    cursor.Set("s", random() % 5 == 0 ? Null() : Str(values[random() % 9]));
  }
  int served = 0;
  for (int round = 0; round < 400; ++round) {
    static const char* fields[] = {"x", "k", "d", "s"};
    const char* field = fields[random() % 4];
    bool text = std::string(field) == "s";
    std::string constant = text ? texts[random() % 9] : constants[random() % 9];
    std::string op = ops[random() % 5];
    bool left = random() % 2;
    bool filterCi = random() % 2;
    std::string sql = left ? constant + " " + op + " " + field : std::string(field) + " " + op + " " + constant;
    TDVXExpression e;
    e.ParseFilter(&cursor, sql, false, text && filterCi);
    const TDVXIndexDefs& list = random() % 2 ? indexes : descendingFirst;
    TDVXScanSearchConditionArray conditions;
    e.ExtractIndexConditions(list, conditions);
    if (conditions.empty()) continue;
    ++served;
    const TDVXScanSearchCondition& c = conditions[0];
    const TDVXIndexDef* index = nullptr;
    for (int n = 0; n < list.Count(); ++n)
      if (list.Items(n)->ObjectID() == c.indexID) index = list.Items(n);
    ASSERT_NE(index, nullptr);
    const TDVXIndexColumn& column = index->Columns()[0];
    int fieldNo = cursor.FieldNo(column.fieldName);
    const TDVXFieldDef& def = *cursor.RowFieldDefs().Items(fieldNo);
    for (size_t row = 0; row < cursor.RowCount(); ++row) {
      cursor.Select(row);
      if (!e.IsTrue()) continue;
      const uint8_t* buffer = cursor.Row(row).data();
      ASSERT_FALSE(IsNull(fieldNo, buffer)) << sql;
      int order = CompareFieldValues(def.BaseFieldType(), buffer + def.MemoryOffset(),
                                     c.keyBuffer.data() + def.MemoryOffset(), def.MemoryDataSize(),
                                     column.caseInsensitive);
      if (column.descending) order = -order;
      bool admitted = c.conditionType == ctEqual          ? order == 0
                      : c.conditionType == ctLess         ? order < 0
                      : c.conditionType == ctGreater      ? order > 0
                      : c.conditionType == ctLessOrEqual  ? order <= 0
                                                           : order >= 0;
      EXPECT_TRUE(admitted) << sql << " row " << row << " index " << index->ObjectName();
    }
  }
  EXPECT_GT(served, 100);
}

// --- Never true ----------------------------------------------------------------------------------

TEST_F(IndexConditions, TooLongTextForTheFieldIsNeverEqual) {
  auto neverTrue = [&](const std::string& sql, bool ci = false) {
    TDVXExpression e;
    e.ParseFilter(&cursor, sql, true, ci);
    return e.IsNeverTrue();
  };
  EXPECT_TRUE(neverTrue("s = 'abcdef'"));
  EXPECT_TRUE(neverTrue("x = 1 AND 'abcdef' = s"));
  EXPECT_FALSE(neverTrue("s = 'abcde'"));
  EXPECT_FALSE(neverTrue("s <> 'abcdef'"));
  EXPECT_FALSE(neverTrue("s = 'abcdef' OR x = 1"));
  EXPECT_FALSE(neverTrue("s = 'abcdef*'"));            // a prefix comparison
  EXPECT_FALSE(neverTrue("s = 'abcd\x01\x02'"));       // characters the collation ignores
  EXPECT_FALSE(neverTrue("s = 'abc...'", true));       // "..." equals the ellipsis ignoring case
}

}  // namespace
}  // namespace dvx
