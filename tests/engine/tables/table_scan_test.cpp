// Record scans: what a scan finds and in which order, whichever walk it
// takes; NULL keys and index conditions; refused requests. The randomized
// test holds every scan against a plain walk of the cursor's order that
// evaluates the same condition on every record.
#include <random>

#include "engine/sql/expression.h"
#include "engine/tables/table_row_source.h"
#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Scans: Id AUTOINC INTEGER (primary), Grp INTEGER (IX_Grp), Word
// VARCHAR(6) (IX_Word; IX_WordCI descending, case-insensitive), Small
// SMALLINT (IX_Small descending), Amount FLOAT (IX_Amount).
enum { kSId, kGrp, kWord, kSmall, kAmount };

class TableScanTest : public TTableFixture {
 protected:
  static constexpr const char* kScans = "Scans";

  void SetUp() override {
    CreateDatabase();
    TDVXFieldDefs fields;
    fields.Add("Id", aftAutoIncInteger);
    fields.Add("Grp", aftInteger);
    fields.Add("Word", aftVarchar, 6);
    fields.Add("Small", aftSmallInt);
    fields.Add("Amount", aftDouble);
    TDVXIndexDefs indexes;
    TDVXIndexDef* pk = indexes.Add("PK");
    pk->AddColumn("Id");
    pk->SetPrimary(true);
    indexes.Add("IX_Grp")->AddColumn("Grp");
    indexes.Add("IX_Word")->AddColumn("Word");
    indexes.Add("IX_WordCI")->AddColumn("Word", true, true);
    indexes.Add("IX_Small")->AddColumn("Small", true);
    indexes.Add("IX_Amount")->AddColumn("Amount");
    db_->CreateTable(*session_, kScans, fields, indexes, TDVXConstraintDefs());
    cursor_ = std::make_unique<TDVXLocalCursor>(*session_, kScans);
    cursor_->Open();
    source_ = std::make_unique<TDVXTableRowSource>(cursor_->Fields(), cursor_->Record());
  }

  void InsertRow(std::optional<int32_t> grp, const std::string& word, std::optional<int16_t> small,
                 std::optional<double> amount) {
    cursor_->NewRecord();
    SetInt(kGrp, grp);
    SetText(kWord, word);
    SetFieldData(kSmall, Fields(), small ? &*small : nullptr, cursor_->Record());
    SetFieldData(kAmount, Fields(), amount ? &*amount : nullptr, cursor_->Record());
    ASSERT_THAT(cursor_->InsertRecord(), Succeeded());
  }

  std::unique_ptr<TDVXExpression> Filter(const std::string& text, bool caseInsensitive = false) {
    auto e = std::make_unique<TDVXExpression>();
    e->ParseFilter(source_.get(), text, false, caseInsensitive);
    return e;
  }
  // Every match of the filter, by the scan.
  TDVXRecordIDList ScanList(const std::string& text, bool caseInsensitive = false) {
    auto e = Filter(text, caseInsensitive);
    TDVXRecordIDList list;
    TDVXScanOptions options;
    options.list = &list;
    cursor_->Table().Scan(*cursor_, e.get(), options);
    return list;
  }
  // Every match of the filter, by walking the cursor's order and asking
  // the condition of each record.
  TDVXRecordIDList Reference(const std::string& text, bool caseInsensitive = false) {
    auto e = Filter(text, caseInsensitive);
    TDVXRecordIDList list;
    for (const TDVXRecordID& id : Walk()) {
      Seek(id);
      if (e->IsTrue()) list.push_back(id);
    }
    return list;
  }
  std::vector<int32_t> Ids(const TDVXRecordIDList& list) {
    std::vector<int32_t> ids;
    for (const TDVXRecordID& id : list) {
      Seek(id);
      ids.push_back(*GetInt(kSId));
    }
    return ids;
  }
  // A key-search condition on an index, the value written into the field.
  TDVXScanSearchCondition KeyCondition(const char* indexName, int conditionType, int field, int32_t value) {
    TDVXScanSearchCondition c;
    c.conditionType = conditionType;
    c.indexID = cursor_->Table().IndexByName(indexName)->IndexDef().ObjectID();
    c.keyBuffer.assign(static_cast<size_t>(Fields().RecordSize()), 0);
    for (int f = 0; f < Fields().Count(); ++f) SetNull(true, f, c.keyBuffer.data());
    SetFieldData(field, Fields(), &value, c.keyBuffer.data());
    return c;
  }

  std::unique_ptr<TDVXTableRowSource> source_;
};

TEST_F(TableScanTest, EmptyTableFindsNothingAndLeavesTheCursor) {
  TDVXRecordIDList list;
  TDVXScanOptions options;
  options.list = &list;
  auto e = Filter("Grp = 1");
  EXPECT_FALSE(cursor_->Table().Scan(*cursor_, e.get(), options));
  EXPECT_THAT(list, IsEmpty());
  EXPECT_FALSE(cursor_->Table().Scan(*cursor_, e.get(), TDVXScanOptions()));
  EXPECT_TRUE(cursor_->Bof());
}

TEST_F(TableScanTest, ConstantOnTheLeftSelectsTheRowsAboveIt) {
  for (int32_t g : {7, 3, 5, 6, 9}) InsertRow(g, "w", std::nullopt, std::nullopt);
  InsertRow(std::nullopt, "w", std::nullopt, std::nullopt);
  EXPECT_THAT(Ids(ScanList("5 < Grp")), ElementsAre(1, 4, 5));
  cursor_->SetCurrentIndex("IX_Grp");
  EXPECT_THAT(Ids(ScanList("5 < Grp")), ElementsAre(4, 1, 5));
}

TEST_F(TableScanTest, SingleSearchStandsOnTheFirstOrLastMatchInTheCursorsOrder) {
  for (int32_t g : {4, 2, 4, 1, 4}) InsertRow(g, "w", static_cast<int16_t>(10 - g), std::nullopt);
  cursor_->SetCurrentIndex("IX_Small");  // descending: 1 (Small 9) first
  auto e = Filter("Grp >= 2");
  TDVXScanOptions options;
  ASSERT_TRUE(cursor_->Table().Scan(*cursor_, e.get(), options));
  EXPECT_EQ(GetInt(kGrp), 2);
  // Backward: the last record of the walk, one of the three with Small 6.
  const TDVXRecordID last = Walk().back();
  options.backward = true;
  ASSERT_TRUE(cursor_->Table().Scan(*cursor_, e.get(), options));
  EXPECT_EQ(cursor_->RecordID(), last);
  EXPECT_EQ(GetInt(kGrp), 4);
  // Nothing found: the cursor keeps its place and its record.
  auto none = Filter("Grp > 4");
  const TDVXRecordID at = cursor_->RecordID();
  EXPECT_FALSE(cursor_->Table().Scan(*cursor_, none.get(), options));
  EXPECT_EQ(cursor_->RecordID(), at);
  EXPECT_EQ(GetInt(kGrp), 4);
}

TEST_F(TableScanTest, IndexConditionAloneNeverReturnsNullKeys) {
  InsertRow(std::nullopt, "a", std::nullopt, std::nullopt);
  InsertRow(1, "b", std::nullopt, std::nullopt);
  InsertRow(std::nullopt, "c", std::nullopt, std::nullopt);
  InsertRow(3, "d", std::nullopt, std::nullopt);
  for (int type : {ctLess, ctLessOrEqual}) {
    TDVXRecordIDList list;
    TDVXScanOptions options;
    options.list = &list;
    cursor_->Table().Scan(*cursor_, nullptr, options, {KeyCondition("IX_Grp", type, kGrp, 3)});
    const std::vector<int32_t> expected = type == ctLess ? std::vector<int32_t>{2} : std::vector<int32_t>{2, 4};
    EXPECT_EQ(Ids(list), expected) << type;
  }
}

TEST_F(TableScanTest, EveryIndexConditionIsTestedNotOnlyTheWalkedOne) {
  for (int i = 0; i < 20; ++i) InsertRow(i % 4, "w", static_cast<int16_t>(i), std::nullopt);
  TDVXRecordIDList list;
  TDVXScanOptions options;
  options.list = &list;
  options.accept = [&](const uint8_t* record) {
    int16_t small = 0;
    GetFieldData(kSmall, Fields(), &small, record);
    return small != 9;
  };
  cursor_->Table().Scan(*cursor_, nullptr, options,
                        {KeyCondition("IX_Grp", ctEqual, kGrp, 1), KeyCondition("PK", ctGreater, kSId, 4)});
  EXPECT_THAT(Ids(list), ElementsAre(6, 14, 18));
}

TEST_F(TableScanTest, StringLongerThanTheFieldFindsNothing) {
  InsertRow(1, "abcdef", std::nullopt, std::nullopt);
  EXPECT_THAT(ScanList("Word = 'abcdefg'"), IsEmpty());
  EXPECT_THAT(Ids(ScanList("Word = 'abcdef'")), ElementsAre(1));
}

TEST_F(TableScanTest, RefusesConditionsItCannotDecide) {
  InsertRow(1, "a", std::nullopt, std::nullopt);
  TDVXTableData& table = cursor_->Table();
  TDVXScanSearchCondition unknown = KeyCondition("IX_Grp", ctEqual, kGrp, 1);
  unknown.indexID = 999999;
  EXPECT_THAT([&] { table.Scan(*cursor_, nullptr, {}, {unknown}); }, ThrowsDvx(30957, HasSubstr("ID = 999999")));
  TDVXScanSearchCondition undecided;
  EXPECT_THAT([&] { table.Scan(*cursor_, nullptr, {}, {undecided}); }, ThrowsDvx(30970));
  TDVXScanSearchCondition shortKey = KeyCondition("IX_Grp", ctEqual, kGrp, 1);
  shortKey.keyBuffer.resize(4);
  EXPECT_THAT([&] { table.Scan(*cursor_, nullptr, {}, {shortKey}); }, ThrowsDvx(30970));
  TDVXScanSearchCondition tooManyColumns = KeyCondition("IX_Grp", ctEqual, kGrp, 1);
  tooManyColumns.keyFieldCount = 2;
  EXPECT_THAT([&] { table.Scan(*cursor_, nullptr, {}, {tooManyColumns}); }, ThrowsDvx(30970));
  // An expression bound to another layout would read the records out of
  // place.
  TDVXFieldDefs other;
  other.Add("Grp", aftInteger);
  other.RecomputeLayout();
  TDVXTableRowSource otherSource(other);
  TDVXExpression e;
  e.ParseFilter(&otherSource, "Grp = 1", false, false);
  EXPECT_THAT([&] { table.Scan(*cursor_, &e, {}); }, ThrowsDvx(30971));
}

// The same query with and without the indexes returns the same rows in the
// same order, in every order of the cursor, while the table changes.
TEST_F(TableScanTest, RandomQueriesFindWhatAPlainWalkFinds) {
  std::mt19937 random(20240611);
  const auto pick = [&](auto& values) { return values[random() % std::size(values)]; };
  const std::optional<int32_t> groups[] = {std::nullopt, -3, -1, 0, 1, 2, 2, 3};
  const char* words[] = {"", "a", "A", "ab", "Ab", "b", "B", "\xE4", "abc", "abcdef"};
  const std::optional<int16_t> smalls[] = {std::nullopt, -5, -1, 0, 1, 5, 400};
  const std::optional<double> amounts[] = {std::nullopt, -1.0, 0.5, 1.0, 2.5};
  for (int i = 0; i < 160; ++i) InsertRow(pick(groups), pick(words), pick(smalls), pick(amounts));

  const char* fields[] = {"Grp", "Word", "Small", "Amount", "Id"};
  const char* ops[] = {"=", "<", ">", "<=", ">=", "<>"};
  const char* constants[] = {"2", "-1", "0", "2.5", "2.0", "'2'", "3000000000", "40000", "-40000", "1e1",
                             "'a'", "'A'", "'ab'", "'B'", "'\xE4'", "''", "'abcdefg'", "0.5", "NULL", "100"};
  const char* orders[] = {"", "IX_Grp", "IX_Word", "IX_WordCI", "IX_Small", "IX_Amount", "PK"};
  int nonEmpty = 0;
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const int terms = 1 + static_cast<int>(random() % 3);
    for (int t = 0; t < terms; ++t) {
      if (t > 0) text += random() % 5 == 0 ? " OR " : " AND ";
      const std::string field = pick(fields), constant = pick(constants);
      text += random() % 4 == 0 ? constant + " " + pick(ops) + " " + field : field + " " + pick(ops) + " " + constant;
    }
    const bool caseInsensitive = random() % 3 == 0;
    cursor_->SetCurrentIndex(pick(orders));
    std::optional<TDVXRecordIDList> expected;
    auto reference = DvxErrorOf([&] { expected = Reference(text, caseInsensitive); });
    if (reference) {
      // A condition that cannot be evaluated fails the scan as well.
      EXPECT_THAT([&] { ScanList(text, caseInsensitive); }, ThrowsDvx(reference->NativeError())) << text;
      continue;
    }
    const TDVXRecordIDList found = ScanList(text, caseInsensitive);
    ASSERT_EQ(found, *expected) << text << (caseInsensitive ? " (ignoring case)" : "");
    nonEmpty += !found.empty();
    // A single search finds the first and the last of them.
    auto e = Filter(text, caseInsensitive);
    TDVXScanOptions options;
    options.backward = random() % 2 == 0;
    cursor_->First();
    ASSERT_EQ(cursor_->Table().Scan(*cursor_, e.get(), options), !found.empty()) << text;
    if (!found.empty()) {
      EXPECT_EQ(cursor_->RecordID(), options.backward ? found.back() : found.front()) << text;
    }

    // The table changes between queries.
    if (round % 3 == 0) {
      const std::vector<TDVXRecordID> all = Walk();
      Seek(all[random() % all.size()]);
      if (random() % 2 == 0) {
        ASSERT_THAT(cursor_->DeleteRecord(), Succeeded());
      } else {
        SetInt(kGrp, pick(groups));
        SetText(kWord, pick(words));
        ASSERT_THAT(cursor_->UpdateRecord(), Succeeded());
      }
      InsertRow(pick(groups), pick(words), pick(smalls), pick(amounts));
    }
  }
  // The queries were not all trivially empty.
  EXPECT_GT(nonEmpty, 100);
}

}  // namespace
}  // namespace dvx::test
