// A cursor's filter text, external condition and locate, and the record ID
// list that serves its counts, numbers and steps. The sweep holds filters
// and locates in every order against a plain walk of the unrestricted
// cursor that decides each row in the test.
#include <functional>
#include <random>

#include "engine/sql/expression.h"
#include "engine/values/variant.h"
#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

using ::testing::ElementsAre;

class CursorFilterTest : public TTableFixture {
 protected:
  void SetUp() override {
    CreateDatabase();
    CreateRemedies();
    OpenCursor();
  }
  void InsertAll(const std::vector<std::pair<int32_t, std::string>>& rows) {
    for (const auto& [code, name] : rows) ASSERT_THAT(Insert(code, name), Succeeded());
  }
  std::vector<int32_t> Codes() {
    std::vector<int32_t> codes;
    for (const TDVXRecordID& id : Walk()) {
      Seek(id);
      codes.push_back(*GetInt(kCode));
    }
    return codes;
  }
  std::unique_ptr<TDVXExpression> Condition(const std::string& text) {
    auto e = std::make_unique<TDVXExpression>();
    e->ParseFilter(&cursor_->RowSource(), text, false, false);
    return e;
  }
  static TDVXVariant Int(int32_t v) {
    TDVXVariant value;
    value.SetAsSignedInt32(v);
    return value;
  }
  static TDVXVariant Text(const std::string& v) {
    TDVXVariant value;
    value.SetAsString(v);
    return value;
  }
};

TEST_F(CursorFilterTest, AFilterMatchingNothingHasNoRecordsAndNoRecordNumber) {
  InsertAll({{1, "Arnica"}, {2, "Belladonna"}});
  cursor_->SetFilter("Code > 100");
  EXPECT_EQ(cursor_->GetRecordCount(), 0);
  EXPECT_EQ(cursor_->GetRecord(grmNext), grrEOF);
  EXPECT_EQ(cursor_->GetRecNo(), -1);
  cursor_->Last();
  EXPECT_EQ(cursor_->GetRecord(grmPrior), grrBOF);
  EXPECT_EQ(cursor_->SetRecNo(1), grrEOF);
}

TEST_F(CursorFilterTest, SettingAFilterAfterNavigatingRebuildsAtTheNextGetRecord) {
  InsertAll({{1, "Arnica"}, {2, "Belladonna"}, {3, "Chamomilla"}, {4, "Drosera"}});
  cursor_->SetFilter("Code >= 2");
  ASSERT_EQ(cursor_->GetRecord(grmNext), grrDone);
  ASSERT_EQ(cursor_->GetRecord(grmNext), grrDone);
  EXPECT_EQ(*GetInt(kCode), 3);
  EXPECT_TRUE(cursor_->RecordIDListValid());
  cursor_->SetFilter("Code <> 2");
  EXPECT_TRUE(cursor_->Bof());
  EXPECT_FALSE(cursor_->RecordIDListValid());
  ASSERT_EQ(cursor_->GetRecord(grmNext), grrDone);
  EXPECT_TRUE(cursor_->RecordIDListValid());
  EXPECT_EQ(*GetInt(kCode), 1);
  EXPECT_EQ(cursor_->GetRecNo(), 1);
  EXPECT_EQ(cursor_->GetRecordCount(), 3);
  EXPECT_THAT(Codes(), ElementsAre(1, 3, 4));
}

TEST_F(CursorFilterTest, AFilterThatDoesNotParseKeepsThePreviousOne) {
  InsertAll({{1, "Arnica"}, {2, "Belladonna"}, {3, "Chamomilla"}});
  cursor_->SetFilter("Code < 3");
  EXPECT_THAT([&] { cursor_->SetFilter(""); }, ThrowsDvx(30119, "Blank SQL command"));
  EXPECT_THAT([&] { cursor_->SetFilter("Code <"); }, ThrowsDvx());
  EXPECT_THAT([&] { cursor_->SetFilter("Nope = 1"); }, ThrowsDvx(30115, "Field 'Nope' not found"));
  EXPECT_TRUE(cursor_->HasFilter());
  EXPECT_THAT(Codes(), ElementsAre(1, 2));
}

TEST_F(CursorFilterTest, ClearingTheFilterLeavesTheExternalConditionInForce) {
  InsertAll({{1, "Arnica"}, {2, "Belladonna"}, {3, "Chamomilla"}, {4, "Drosera"}, {5, "Euphrasia"}});
  cursor_->SetCondition(Condition("Code > 2"));
  cursor_->SetFilter("Code < 5");
  EXPECT_THAT(Codes(), ElementsAre(3, 4));
  cursor_->ClearFilter();
  EXPECT_FALSE(cursor_->HasFilter());
  EXPECT_THAT(Codes(), ElementsAre(3, 4, 5));
  // The callback comes last and sees only what the condition passed.
  std::vector<int32_t> asked;
  cursor_->SetRecordFilter([&](const uint8_t* record) {
    asked.push_back(*GetInt(record, kCode));
    return *GetInt(record, kCode) != 4;
  });
  EXPECT_EQ(cursor_->GetRecordCount(), 2);
  EXPECT_THAT(asked, ElementsAre(3, 4, 5));
  cursor_->SetRecordFilter(nullptr);
  cursor_->SetCondition(nullptr);
  EXPECT_EQ(cursor_->GetRecordCount(), 5);
  EXPECT_FALSE(cursor_->Restricted());
}

TEST_F(CursorFilterTest, FilterOptionsIgnoreCaseAndComparePrefixes) {
  InsertAll({{1, "Arnica"}, {2, "arnica montana"}, {3, "Belladonna"}});
  cursor_->SetFilter("Name = 'arnica'");
  EXPECT_EQ(cursor_->GetRecordCount(), 0);
  cursor_->SetFilter("Name = 'arnica'", {.caseInsensitive = true});
  EXPECT_THAT(Codes(), ElementsAre(1));
  cursor_->SetFilter("Name = 'arn*'", {.caseInsensitive = true});
  EXPECT_THAT(Codes(), ElementsAre(1, 2));
  cursor_->SetFilter("Name = 'arn*'", {.caseInsensitive = true, .noPartialCompare = true});
  EXPECT_EQ(cursor_->GetRecordCount(), 0);
}

TEST_F(CursorFilterTest, ChangesThroughOtherCursorsShowInTheFilteredSet) {
  InsertAll({{10, "Arnica"}, {20, "Belladonna"}, {30, "Chamomilla"}});
  cursor_->SetCurrentIndex("UQ_Code");
  cursor_->SetFilter("Code >= 20");
  ASSERT_EQ(cursor_->GetRecord(grmNext), grrDone);
  EXPECT_EQ(*GetInt(kCode), 20);
  TDVXLocalSession other(*db_);
  TDVXLocalCursor writer(other, kTable);
  writer.Open();
  writer.NewRecord();
  SetInt(writer.Record(), kCode, 25);
  SetText(writer.Record(), kName, "Drosera");
  ASSERT_THAT(writer.InsertRecord(), Succeeded());
  ASSERT_EQ(cursor_->GetRecord(grmNext), grrDone);
  EXPECT_EQ(*GetInt(kCode), 25);
  EXPECT_EQ(cursor_->GetRecNo(), 2);
  // The writer's record leaves the set: the walk goes on past it.
  SetInt(writer.Record(), kCode, 5);
  ASSERT_THAT(writer.UpdateRecord(), Succeeded());
  EXPECT_EQ(cursor_->GetRecordCount(), 2);
  ASSERT_EQ(cursor_->GetRecord(grmNext), grrDone);
  EXPECT_EQ(*GetInt(kCode), 30);
  EXPECT_EQ(cursor_->GetRecord(grmNext), grrEOF);
}

TEST_F(CursorFilterTest, LocateFindsTheFirstMatchOrStaysWhereItWas) {
  InsertAll({{1, "Arnica"}, {2, "Belladonna"}, {3, "arnica"}, {4, "Arnica montana"}});
  cursor_->SetCurrentIndex("UQ_Code");
  ASSERT_EQ(cursor_->GetRecord(grmNext), grrDone);
  ASSERT_EQ(cursor_->GetRecord(grmNext), grrDone);
  const TDVXRecordID at = cursor_->RecordID();
  EXPECT_FALSE(cursor_->Locate("Name", {Text("Calendula")}));
  EXPECT_EQ(cursor_->RecordID(), at);
  EXPECT_EQ(*GetInt(kCode), 2);
  ASSERT_TRUE(cursor_->Locate("Name", {Text("arnica")}));
  EXPECT_EQ(*GetInt(kCode), 3);
  ASSERT_TRUE(cursor_->Locate("Name", {Text("arnica")}, {.caseInsensitive = true}));
  EXPECT_EQ(*GetInt(kCode), 1);
  ASSERT_TRUE(cursor_->Locate(" Name ; Code ", {Text("Arnica"), Int(4)}, {.partialKey = true}));
  EXPECT_EQ(*GetInt(kCode), 4);
  EXPECT_FALSE(cursor_->Locate("Name;Code", {Text("Arnica"), Int(4)}));
  EXPECT_THAT([&] { cursor_->Locate("Name;Code", {Text("Arnica")}); }, ThrowsDvx(30112));
  // Only records of the cursor's set are found.
  cursor_->SetFilter("Code > 1");
  ASSERT_TRUE(cursor_->Locate("Name", {Text("Arnica")}, {.caseInsensitive = true}));
  EXPECT_EQ(*GetInt(kCode), 3);
}

// Random rows; filters and locates in each order against the walk of the
// unrestricted cursor with the predicate decided here.
TEST_F(CursorFilterTest, FiltersAndLocatesAgreeWithAPlainWalkInEveryOrder) {
  std::mt19937 rng(20261210);
  const std::vector<std::string> names = {"Arnica", "arnica", "Bryonia", "Calendula", "Drosera", "Hepar"};
  std::vector<int32_t> codes(600);
  for (int32_t i = 0; i < 600; ++i) codes[static_cast<size_t>(i)] = i;
  std::shuffle(codes.begin(), codes.end(), rng);
  codes.resize(300);
  for (int32_t code : codes) ASSERT_THAT(Insert(code, rng() % 7 == 0 ? "" : names[rng() % names.size()]), Succeeded());
  struct TCase {
    std::string text;
    bool caseInsensitive;
    std::function<bool(int32_t code, const std::string& name)> holds;
  };
  const std::vector<TCase> cases = {
      {"Code < 150", false, [](int32_t c, const std::string&) { return c < 150; }},
      {"Code >= 300 AND Name = 'Arnica'", false,
       [](int32_t c, const std::string& n) { return c >= 300 && n == "Arnica"; }},
      {"Name = 'ARNICA' OR Code = 17", true,
       [](int32_t c, const std::string& n) { return c == 17 || n == "Arnica" || n == "arnica"; }},
      {"Name IS NULL OR Code BETWEEN 10 AND 90", false,
       [](int32_t c, const std::string& n) { return n.empty() || (c >= 10 && c <= 90); }},
      {"Name <> 'Bryonia'", false, [](int32_t, const std::string& n) { return n != "Bryonia"; }},
  };
  for (const char* order : {"", "PK", "UQ_Code", "IX_Name"}) {
    SCOPED_TRACE(order);
    cursor_->SetCurrentIndex(order);
    cursor_->ClearFilter();
    std::vector<std::pair<TDVXRecordID, std::pair<int32_t, std::string>>> all;
    for (const TDVXRecordID& id : Walk()) {
      Seek(id);
      all.push_back({id, {*GetInt(kCode), GetText(kName)}});
    }
    ASSERT_EQ(all.size(), 300u);
    for (const TCase& c : cases) {
      SCOPED_TRACE(c.text);
      std::vector<TDVXRecordID> expected;
      for (const auto& [id, row] : all)
        if (c.holds(row.first, row.second)) expected.push_back(id);
      cursor_->SetFilter(c.text, {.caseInsensitive = c.caseInsensitive});
      EXPECT_EQ(Walk(), expected);
      EXPECT_EQ(cursor_->GetRecordCount(), static_cast<int64_t>(expected.size()));
      std::vector<TDVXRecordID> backward;
      cursor_->Last();
      while (cursor_->GetRecord(grmPrior) == grrDone) backward.push_back(cursor_->RecordID());
      EXPECT_EQ(std::vector<TDVXRecordID>(backward.rbegin(), backward.rend()), expected);
      for (int probe = 0; probe < 5 && !expected.empty(); ++probe) {
        const int64_t n = 1 + static_cast<int64_t>(rng() % expected.size());
        ASSERT_EQ(cursor_->SetRecNo(n), grrDone);
        EXPECT_EQ(cursor_->RecordID(), expected[static_cast<size_t>(n - 1)]);
        EXPECT_EQ(cursor_->GetRecNo(), n);
      }
    }
    cursor_->ClearFilter();
    for (int probe = 0; probe < 12; ++probe) {
      const std::string name = names[rng() % names.size()];
      const bool caseInsensitive = rng() % 2;
      const bool partial = rng() % 3 == 0;
      const std::string key = partial ? name.substr(0, 2) : name;
      std::optional<TDVXRecordID> expected;
      for (const auto& [id, row] : all) {
        std::string have = row.second, want = key;
        if (partial) have = have.substr(0, want.size());
        if (caseInsensitive)
          for (std::string* s : {&have, &want})
            for (char& ch : *s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        if (!row.second.empty() && have == want) {
          expected = id;
          break;
        }
      }
      cursor_->First();
      EXPECT_EQ(cursor_->Locate("Name", {Text(key)}, {caseInsensitive, partial}), expected.has_value()) << key;
      if (expected) {
        EXPECT_EQ(cursor_->RecordID(), *expected) << key;
      }
    }
  }
}

}  // namespace
}  // namespace dvx::test
