// Foreign keys: the referenced-row check, the actions that follow a change
// of a referenced row, and the definition operations around them.
#include <map>
#include <random>

#include "engine/schema/stored_value.h"
#include "engine/tables/table_checker.h"
#include "tests/engine/sql/sql_test_support.h"
#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

using Row = std::vector<std::optional<int32_t>>;
using testing::DvxCodeOf;

// Integer tables, each with its first field as primary key:
//   Parents  (Id, Name)
//   Children (Id, ParentId DEFAULT 0), index IX_Parent on ParentId
//   Grand    (Id, ChildId NOT NULL)
//   Keys2    (A, B) primary key over both
//   Refs2    (Id, A, B)
//   Plain    (Id, Other) without primary key
class ForeignKeyTest : public TTableFixture {
 protected:
  void SetUp() override {
    CreateDatabase(2048);
    MakeTable("Parents", {"Id", "Name"});
    MakeTable("Children", {"Id", "ParentId"}, 1, {}, {"ParentId"});
    MakeTable("Grand", {"Id", "ChildId"}, 1, {"ChildId"});
    MakeTable("Keys2", {"A", "B"}, 2);
    MakeTable("Refs2", {"Id", "A", "B"});
    MakeTable("Plain", {"Id", "Other"}, 0);
  }
  void TearDown() override { cursors_.clear(); }

  void MakeTable(const std::string& name, const std::vector<std::string>& fieldNames, int keyColumns = 1,
                 const std::vector<std::string>& notNull = {}, const std::vector<std::string>& indexed = {}) {
    TDVXFieldDefs fields;
    for (const std::string& f : fieldNames) fields.Add(f, aftInteger);
    if (name == "Children") fields.Items(1)->SetDefaultValue(TDVXStoredValue::FromInt(bftSignedInt32, 0));
    TDVXIndexDefs indexes;
    if (keyColumns > 0) {
      TDVXIndexDef* pk = indexes.Add("PK_" + name);
      for (int i = 0; i < keyColumns; ++i) pk->AddColumn(fieldNames[static_cast<size_t>(i)]);
      pk->SetPrimary(true);
    }
    for (const std::string& f : indexed) indexes.Add("IX_" + f)->AddColumn(f);
    TDVXConstraintDefs constraints;
    for (const std::string& f : notNull) constraints.AddNotNull()->SetFieldName(f);
    db_->CreateTable(*session_, name, fields, indexes, constraints);
  }

  TDVXLocalCursor& C(const std::string& table) {
    auto& cursor = cursors_[table];
    if (!cursor) cursor = std::make_unique<TDVXLocalCursor>(*session_, table);
    if (!cursor->IsOpen()) cursor->Open();
    return *cursor;
  }
  void CloseAll() { cursors_.clear(); }

  TDVXCursorResult Put(const std::string& table, const Row& row) {
    TDVXLocalCursor& c = C(table);
    c.NewRecord();
    for (size_t i = 0; i < row.size(); ++i)
      SetFieldData(static_cast<int>(i), c.Fields(), row[i] ? &*row[i] : nullptr, c.Record());
    return c.InsertRecord();
  }
  static Row Read(TDVXLocalCursor& c) {
    Row row;
    for (int i = 0; i < c.Fields().Count(); ++i) {
      int32_t v = 0;
      row.push_back(GetFieldData(i, c.Fields(), &v, c.Record()) ? std::optional<int32_t>(v) : std::nullopt);
    }
    return row;
  }
  // Stands on the record whose first field is `id`.
  bool Find(const std::string& table, int32_t id) {
    TDVXLocalCursor& c = C(table);
    c.SetCurrentIndex("");
    c.First();
    while (c.GetRecord(grmNext) == grrDone)
      if (Read(c)[0] == id) return true;
    return false;
  }
  TDVXCursorResult Remove(const std::string& table, int32_t id) {
    if (!Find(table, id)) return {-100, 0, "no such row"};
    return C(table).Delete();
  }
  TDVXCursorResult Change(const std::string& table, int32_t id, int field, std::optional<int32_t> value) {
    if (!Find(table, id)) return {-100, 0, "no such row"};
    TDVXLocalCursor& c = C(table);
    SetFieldData(field, c.Fields(), value ? &*value : nullptr, c.Record());
    return c.Post(false);
  }
  std::vector<Row> Rows(const std::string& table) {
    std::vector<Row> rows;
    TDVXLocalCursor& c = C(table);
    c.SetCurrentIndex("");
    c.First();
    while (c.GetRecord(grmNext) == grrDone) rows.push_back(Read(c));
    std::sort(rows.begin(), rows.end());
    return rows;
  }
  std::map<std::string, std::vector<Row>> All() {
    std::map<std::string, std::vector<Row>> all;
    for (const char* t : {"Parents", "Children", "Grand", "Keys2", "Refs2"}) all[t] = Rows(t);
    return all;
  }
  void ExpectConsistent(const std::string& table) {
    TDVXTableCheckReport report = TDVXTableChecker(C(table).Table(), session_->SessionID()).Check();
    EXPECT_TRUE(report.Ok()) << table << ": " << ::testing::PrintToString(report.problems);
  }

  TDVXConstraintDefForeignKey Key(const std::string& name, const std::string& referenced,
                                  const std::vector<std::string>& columns, uint8_t onDelete = raRestrict,
                                  uint8_t onUpdate = raRestrict, uint8_t match = mtSimple) {
    TDVXConstraintDefForeignKey fk;
    fk.SetObjectName(name);
    fk.Table() = {referenced, 0};
    for (const std::string& c : columns) fk.AddColumn(c);
    fk.SetDeleteAction(onDelete);
    fk.SetUpdateAction(onUpdate);
    fk.SetMatchType(match);
    return fk;
  }
  void AddKey(const std::string& table, const TDVXConstraintDefForeignKey& fk) {
    CloseAll();
    TDVXLocalCursor(*session_, table, true).AddForeignKey(fk);
  }
  TDVXConstraintDefs& Constraints(const std::string& table) {
    return C(table).Table().ConstraintManager().ConstraintDefs();
  }
  void ReopenDatabase() {
    CloseAll();
    session_.reset();
    db_->CloseDatabase();
    OpenDatabase();
  }

  std::map<std::string, std::unique_ptr<TDVXLocalCursor>> cursors_;
};

Row R(std::initializer_list<std::optional<int32_t>> values) { return Row(values); }

// --- the referenced-row check --------------------------------------------------

TEST_F(ForeignKeyTest, ARowWithoutItsReferencedRowIsRefused) {
  AddKey("Children", Key("FK_Child", "Parents", {"ParentId"}));
  ASSERT_THAT(Put("Parents", R({1, 10})), Succeeded());
  EXPECT_THAT(Put("Children", R({1, 1})), Succeeded());
  EXPECT_THAT(Put("Children", R({2, 7})), ResultIs(11420, "Constraint foreign key 'FK_Child' violated in table 'Children'"));
  // A NULL reference is not checked under the simple match.
  EXPECT_THAT(Put("Children", R({3, std::nullopt})), Succeeded());
  // An update to a missing key is refused the same way and changes nothing.
  EXPECT_THAT(Change("Children", 1, 1, 9), ResultIs(-2, HasSubstr("Constraint foreign key 'FK_Child' violated")));
  EXPECT_EQ(Rows("Children"), (std::vector<Row>{R({1, 1}), R({3, std::nullopt})}));
}

TEST_F(ForeignKeyTest, MatchTypesDecideWhichNullsAreChecked) {
  ASSERT_THAT(Put("Keys2", R({1, 5})), Succeeded());
  AddKey("Refs2", Key("FK_Simple", "Keys2", {"A", "B"}, raRestrict, raRestrict, mtSimple));
  EXPECT_THAT(Put("Refs2", R({1, 9, std::nullopt})), Succeeded());  // one NULL: not checked
  EXPECT_EQ(11420, Put("Refs2", R({2, 9, 9})).code);
  CloseAll();
  TDVXLocalCursor(*session_, "Refs2", true).DeleteConstraint("FK_Simple");
  ASSERT_THAT(Remove("Refs2", 1), Succeeded());

  AddKey("Refs2", Key("FK_Full", "Keys2", {"A", "B"}, raRestrict, raRestrict, mtFull));
  EXPECT_EQ(11420, Put("Refs2", R({3, 1, std::nullopt})).code);  // a mix of NULL and value
  EXPECT_THAT(Put("Refs2", R({4, std::nullopt, std::nullopt})), Succeeded());
  EXPECT_THAT(Put("Refs2", R({5, 1, 5})), Succeeded());
  CloseAll();
  TDVXLocalCursor(*session_, "Refs2", true).DeleteConstraint("FK_Full");

  AddKey("Refs2", Key("FK_Partial", "Keys2", {"A", "B"}, raRestrict, raRestrict, mtPartial));
  EXPECT_THAT(Put("Refs2", R({6, 1, std::nullopt})), Succeeded());   // A meets a row
  EXPECT_EQ(11420, Put("Refs2", R({7, 2, std::nullopt})).code);  // A meets none
  EXPECT_THAT(Put("Refs2", R({8, std::nullopt, std::nullopt})), Succeeded());
}

TEST_F(ForeignKeyTest, AnUnknownMatchTypeOrColumnIsReported) {
  // Codes the stored form cannot hold are refused before anything is written.
  EXPECT_THAT([&] { AddKey("Refs2", Key("FK_Odd", "Keys2", {"A", "B"}, raRestrict, raRestrict, 7)); },
              ThrowsDvx(11421, "Error checking constraint foreign key 'FK_Odd' in table 'Refs2' - invalid match type = 7"));
  EXPECT_EQ(Constraints("Refs2").GetByName("FK_Odd"), nullptr);
  // A definition damaged in memory is reported by the check.
  AddKey("Refs2", Key("FK_Odd", "Keys2", {"A", "B"}));
  auto& fk = static_cast<TDVXConstraintDefForeignKey&>(*Constraints("Refs2").GetByName("FK_Odd"));
  fk.SetMatchType(7);
  EXPECT_THAT(Put("Refs2", R({1, 1, 1})), ResultIs(11421, "Error checking constraint foreign key 'FK_Odd' in table 'Refs2' - invalid match type = 7"));
  fk.SetMatchType(mtSimple);
  fk.Columns()[1].id = 99999;
  EXPECT_THAT(Put("Refs2", R({1, 1, 1})), ResultIs(11422, "Error checking constraint foreign key 'FK_Odd' in table 'Refs2' - invalid column specification, " "column index = 1, column object id = 99999"));
}

TEST_F(ForeignKeyTest, AReferencedTableThatCannotServeIsReported) {
  // Foreign keys given with a new table are checked as well.
  TDVXFieldDefs fields;
  fields.Add("Id", aftInteger);
  fields.Add("Ref", aftInteger);
  fields.Add("Ref2", aftInteger);
  TDVXConstraintDefs constraints;
  auto add = [&](const std::string& name, const std::string& table, std::vector<std::string> columns) {
    TDVXConstraintDefForeignKey* fk = constraints.AddForeignKey();
    fk->Assign(Key(name, table, columns));
  };
  add("FK_Ghost", "Ghost", {"Ref"});
  db_->CreateTable(*session_, "T1", fields, {}, constraints);
  EXPECT_THAT(Put("T1", R({1, 1, 1})), ResultIs(31020, "Error checking constraint foreign key 'FK_Ghost' in table 'T1' - cannot open referenced table due to " "error: Table not found, table name = Ghost"));
  constraints.Clear();
  add("FK_Plain", "Plain", {"Ref"});
  db_->CreateTable(*session_, "T2", fields, {}, constraints);
  EXPECT_THAT(Put("T2", R({1, 1, 1})), ResultIs(31021, "Error checking constraint foreign key 'FK_Plain' in table 'T2' - primary key not found in referenced " "table 'Plain'"));
  constraints.Clear();
  add("FK_Two", "Parents", {"Ref", "Ref2"});
  db_->CreateTable(*session_, "T3", fields, {}, constraints);
  EXPECT_THAT(Put("T3", R({1, 1, 1})), ResultIs(31022, "Error checking constraint foreign key 'FK_Two' in table 'T3' - primary key 'PK_Parents' has invalid " "number of columns in referenced table 'Parents'"));
}

TEST_F(ForeignKeyTest, CallersMaySkipTheReferencedRowCheck) {
  AddKey("Children", Key("FK_Child", "Parents", {"ParentId"}));
  TDVXLocalCursor& c = C("Children");
  c.NewRecord();
  Row row = R({1, 42});
  for (int i = 0; i < 2; ++i) SetFieldData(i, c.Fields(), &*row[static_cast<size_t>(i)], c.Record());
  EXPECT_THAT([&] { c.Table().CheckConstraints(c, true, c.Record(), nullptr); }, ThrowsDvx(11420));
  EXPECT_NO_THROW(c.Table().CheckConstraints(c, true, c.Record(), nullptr, true));
}

// --- adding foreign keys ---------------------------------------------------------

TEST_F(ForeignKeyTest, AddingCreatesTheActionAndSurvivesReopening) {
  AddKey("Children", Key("FK_Child", "Parents", {"ParentId"}, raCascade, raSetNull));
  {
    const auto* action =
        dynamic_cast<const TDVXConstraintDefForeignKeyAction*>(Constraints("Parents").GetByName("FK_Child_Action"));
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->ConstraintType(), ctForeignKeyAction);
    EXPECT_EQ(action->Table().name, "Children");
    EXPECT_EQ(action->Key().name, "FK_Child");
    EXPECT_EQ(action->DeleteAction(), raCascade);
    EXPECT_EQ(action->UpdateAction(), raSetNull);
    const auto* fk = dynamic_cast<const TDVXConstraintDefForeignKey*>(Constraints("Children").GetByName("FK_Child"));
    ASSERT_NE(fk, nullptr);
    EXPECT_EQ(fk->Key().name, "FK_Child_Action");
    EXPECT_EQ(fk->Key().id, action->ObjectID());
    EXPECT_EQ(fk->Columns()[0].id, C("Children").Fields().Items(1)->ObjectID());
  }
  ReopenDatabase();
  ASSERT_THAT(Put("Parents", R({1, 10})), Succeeded());
  ASSERT_THAT(Put("Children", R({5, 1})), Succeeded());
  EXPECT_EQ(11420, Put("Children", R({6, 2})).code);
  ASSERT_THAT(Remove("Parents", 1), Succeeded());
  EXPECT_TRUE(Rows("Children").empty());
}

TEST_F(ForeignKeyTest, AddingIsRefusedWithoutChangingEitherTable) {
  ASSERT_THAT(Put("Parents", R({1, 10})), Succeeded());
  ASSERT_THAT(Put("Children", R({1, 1})), Succeeded());
  ASSERT_THAT(Put("Children", R({2, 3})), Succeeded());  // no parent 3
  const int parentsBefore = Constraints("Parents").Count();
  const int childrenBefore = Constraints("Children").Count();
  CloseAll();
  auto add = [&](const TDVXConstraintDefForeignKey& fk) { TDVXLocalCursor(*session_, "Children", true).AddForeignKey(fk); };
  EXPECT_THAT([&] { add(Key("PK_Children", "Parents", {"ParentId"})); },
              ThrowsDvx(11588, "Cannot create foreign key 'PK_Children' in table 'Children' - constraint with such "
                               "name already exists"));
  EXPECT_THAT([&] { add(Key("FK", "Parents", {"Nope"})); },
              ThrowsDvx(11587, "Cannot create foreign key 'FK' - column 'Nope' does not exist in table 'Children'"));
  EXPECT_THAT([&] { add(Key("FK", "Ghost", {"ParentId"})); },
              ThrowsDvx(11487, "Invalid foreign key 'FK' definition in table 'Children' - referenced table 'Ghost' "
                               "does not exist"));
  EXPECT_THAT([&] { add(Key("FK", "Plain", {"ParentId"})); }, ThrowsDvx(31021));
  EXPECT_THAT([&] { add(Key("FK", "Parents", {"ParentId"})); },
              ThrowsDvx(11420, "Constraint foreign key 'FK' violated in table 'Children'"));
  EXPECT_THAT([&] { TDVXLocalCursor(*session_, "Children").AddForeignKey(Key("FK", "Parents", {"ParentId"})); },
              ThrowsDvx(11583, "Error - table 'Children' is not opened in exclusive mode"));
  EXPECT_THAT([&] { TDVXLocalCursor(*session_, "Ghost", true).AddForeignKey(Key("FK", "Parents", {"Id"})); },
              ThrowsDvx(11582, "Table not found, table name = Ghost"));
  ReopenDatabase();
  EXPECT_EQ(Constraints("Parents").Count(), parentsBefore);
  EXPECT_EQ(Constraints("Children").Count(), childrenBefore);
  // Once the records hold, the same key is taken.
  ASSERT_THAT(Remove("Children", 2), Succeeded());
  CloseAll();
  EXPECT_NO_THROW(add(Key("FK", "Parents", {"ParentId"})));
}

TEST_F(ForeignKeyTest, AnUnnamedKeyIsNamedAndItsActionAfterIt) {
  AddKey("Children", Key("", "Parents", {"ParentId"}));
  const TDVXConstraintDefs& defs = Constraints("Children");
  const auto& fk = static_cast<const TDVXConstraintDefForeignKey&>(*defs.Items(defs.Count() - 1));
  EXPECT_THAT(fk.ObjectName(), ::testing::StartsWith("$FOREIGN_KEY_"));
  EXPECT_NE(Constraints("Parents").GetByName(fk.ObjectName() + "_Action"), nullptr);
}

// --- actions on delete -----------------------------------------------------------

class ForeignKeyActionTest : public ForeignKeyTest {
 protected:
  // Parents 1, 2; children 11, 12 of 1 and 21 of 2; grandchildren 111 of
  // 11, 121 of 12, 211 of 21.
  void Fill() {
    for (int p : {1, 2}) ASSERT_THAT(Put("Parents", R({p, p * 100})), Succeeded());
    for (auto [c, p] : {std::pair{11, 1}, {12, 1}, {21, 2}}) ASSERT_THAT(Put("Children", R({c, p})), Succeeded());
    for (auto [g, c] : {std::pair{111, 11}, {121, 12}, {211, 21}}) ASSERT_THAT(Put("Grand", R({g, c})), Succeeded());
  }
  void Chain(uint8_t childDelete, uint8_t childUpdate, uint8_t grandDelete, uint8_t grandUpdate) {
    AddKey("Children", Key("FK_Child", "Parents", {"ParentId"}, childDelete, childUpdate));
    AddKey("Grand", Key("FK_Grand", "Children", {"ChildId"}, grandDelete, grandUpdate));
    Fill();
  }
  void ExpectAllConsistent() {
    for (const char* t : {"Parents", "Children", "Grand"}) ExpectConsistent(t);
  }
};

TEST_F(ForeignKeyActionTest, RestrictRefusesTheDelete) {
  Chain(raRestrict, raRestrict, raRestrict, raRestrict);
  const auto before = All();
  EXPECT_THAT(Remove("Parents", 1), ResultIs(-3, "Cannot delete record(s) in table 'Parents' - constraint foreign key 'FK_Child' in table 'Children' " "violated"));
  EXPECT_EQ(All(), before);
  // A row nobody refers to goes.
  ASSERT_THAT(Put("Parents", R({3, 300})), Succeeded());
  EXPECT_THAT(Remove("Parents", 3), Succeeded());
}

TEST_F(ForeignKeyActionTest, CascadeDeletesOverThreeLevels) {
  Chain(raCascade, raRestrict, raCascade, raRestrict);
  ASSERT_THAT(Remove("Parents", 1), Succeeded());
  EXPECT_EQ(Rows("Parents"), (std::vector<Row>{R({2, 200})}));
  EXPECT_EQ(Rows("Children"), (std::vector<Row>{R({21, 2})}));
  EXPECT_EQ(Rows("Grand"), (std::vector<Row>{R({211, 21})}));
  ExpectAllConsistent();
  ReopenDatabase();
  EXPECT_EQ(Rows("Grand"), (std::vector<Row>{R({211, 21})}));
}

TEST_F(ForeignKeyActionTest, SetNullAndSetDefaultOnDelete) {
  AddKey("Children", Key("FK_Child", "Parents", {"ParentId"}, raSetDefault, raRestrict));
  AddKey("Refs2", Key("FK_Refs", "Keys2", {"A", "B"}, raSetNull, raRestrict));
  ASSERT_THAT(Put("Parents", R({0, 0})), Succeeded());  // the row the default names
  ASSERT_THAT(Put("Parents", R({1, 100})), Succeeded());
  ASSERT_THAT(Put("Children", R({11, 1})), Succeeded());
  ASSERT_THAT(Put("Keys2", R({1, 5})), Succeeded());
  ASSERT_THAT(Put("Refs2", R({1, 1, 5})), Succeeded());
  ASSERT_THAT(Remove("Parents", 1), Succeeded());
  EXPECT_EQ(Rows("Children"), (std::vector<Row>{R({11, 0})}));
  ASSERT_THAT(Remove("Keys2", 1), Succeeded());
  EXPECT_EQ(Rows("Refs2"), (std::vector<Row>{R({1, std::nullopt, std::nullopt})}));
  // A default that names no row is refused like any other reference.
  ASSERT_THAT(Put("Children", R({12, 0})), Succeeded());
  EXPECT_THAT(Remove("Parents", 0), ResultIs(-3, HasSubstr("Constraint foreign key 'FK_Child' violated")));
  EXPECT_EQ(Rows("Children"), (std::vector<Row>{R({11, 0}), R({12, 0})}));
}

TEST_F(ForeignKeyActionTest, SetDefaultWithoutDefaultMakesTheColumnNull) {
  AddKey("Refs2", Key("FK_Refs", "Keys2", {"A", "B"}, raSetDefault, raRestrict));
  ASSERT_THAT(Put("Keys2", R({1, 5})), Succeeded());
  ASSERT_THAT(Put("Refs2", R({1, 1, 5})), Succeeded());
  ASSERT_THAT(Remove("Keys2", 1), Succeeded());
  EXPECT_EQ(Rows("Refs2"), (std::vector<Row>{R({1, std::nullopt, std::nullopt})}));
}

TEST_F(ForeignKeyActionTest, AViolationDeepInACascadeLeavesEveryTableUnchanged) {
  Chain(raCascade, raRestrict, raRestrict, raRestrict);
  const auto before = All();
  EXPECT_THAT(Remove("Parents", 1), ResultIs(-3, "Cannot delete record(s) in table 'Children' - constraint foreign key 'FK_Grand' in table 'Grand' " "violated"));
  EXPECT_EQ(All(), before);
  ExpectAllConsistent();
  ReopenDatabase();
  EXPECT_EQ(All(), before);
}

TEST_F(ForeignKeyActionTest, AViolationDeepInACascadeInsideATransactionKeepsTheTransaction) {
  Chain(raCascade, raCascade, raSetNull, raSetNull);  // Grand.ChildId is NOT NULL
  session_->StartTransaction();
  ASSERT_THAT(Put("Parents", R({3, 300})), Succeeded());
  const auto before = All();
  EXPECT_THAT(Remove("Parents", 1), ResultIs(-3, HasSubstr("cannot be null")));
  EXPECT_EQ(All(), before);
  ExpectAllConsistent();
  // The transaction goes on and commits what it did before.
  ASSERT_THAT(Put("Children", R({31, 3})), Succeeded());
  session_->Commit();
  ReopenDatabase();
  auto expected = before;
  expected["Children"].push_back(R({31, 3}));
  std::sort(expected["Children"].begin(), expected["Children"].end());
  EXPECT_EQ(All(), expected);
  ExpectAllConsistent();
}

TEST_F(ForeignKeyActionTest, DeleteAllCascadesForEveryRecord) {
  Chain(raCascade, raRestrict, raCascade, raRestrict);
  C("Parents").Table().DeleteAll(C("Parents"));
  EXPECT_TRUE(Rows("Parents").empty());
  EXPECT_TRUE(Rows("Children").empty());
  EXPECT_TRUE(Rows("Grand").empty());
  ExpectAllConsistent();
}

TEST_F(ForeignKeyActionTest, DeleteAllAndUpdateAllKeepToTheCursorsSet) {
  // Cascades work on the referencing rows alone; so do these on a cursor
  // whose filter picks some records.
  for (int i = 1; i <= 6; ++i) ASSERT_THAT(Put("Parents", R({i, i % 2})), Succeeded());
  TDVXLocalCursor& c = C("Parents");
  c.SetRecordFilter([&](const uint8_t* record) {
    int32_t name = 0;
    return GetFieldData(1, c.Fields(), &name, record) && name == 1;
  });
  c.Table().UpdateAll(c, {"Name"}, {testing::Int(7)});
  c.SetRecordFilter([&](const uint8_t* record) {
    int32_t id = 0;
    return GetFieldData(0, c.Fields(), &id, record) && id <= 2;
  });
  c.Table().DeleteAll(c);
  c.SetRecordFilter(nullptr);
  EXPECT_EQ(Rows("Parents"), (std::vector<Row>{R({3, 7}), R({4, 0}), R({5, 7}), R({6, 0})}));
  ExpectConsistent("Parents");
}

// --- actions on update -------------------------------------------------------------

TEST_F(ForeignKeyActionTest, OnlyAChangedKeyConcernsTheReferencingRows) {
  Chain(raRestrict, raRestrict, raRestrict, raRestrict);
  EXPECT_THAT(Change("Parents", 1, 1, 999), Succeeded());  // Name only
  EXPECT_THAT(Change("Parents", 1, 0, 5), ResultIs(-2, "Error updating record: Cannot update record(s) in table 'Parents' - constraint foreign key 'FK_Child' in " "table 'Children' violated"));
  EXPECT_EQ(Rows("Parents"), (std::vector<Row>{R({1, 999}), R({2, 200})}));
}

TEST_F(ForeignKeyActionTest, CascadeUpdatesOverThreeLevels) {
  // Children.Id refers to the parent too, so a new parent key changes the
  // children's own key, which the grandchildren follow.
  AddKey("Children", Key("FK_Same", "Parents", {"Id"}, raRestrict, raCascade));
  AddKey("Grand", Key("FK_Grand", "Children", {"ChildId"}, raRestrict, raCascade));
  ASSERT_THAT(Put("Parents", R({1, 100})), Succeeded());
  ASSERT_THAT(Put("Parents", R({2, 200})), Succeeded());
  ASSERT_THAT(Put("Children", R({1, std::nullopt})), Succeeded());
  ASSERT_THAT(Put("Children", R({2, std::nullopt})), Succeeded());
  ASSERT_THAT(Put("Grand", R({10, 1})), Succeeded());
  ASSERT_THAT(Put("Grand", R({11, 1})), Succeeded());
  ASSERT_THAT(Put("Grand", R({20, 2})), Succeeded());
  ASSERT_THAT(Change("Parents", 1, 0, 7), Succeeded());
  EXPECT_EQ(Rows("Parents"), (std::vector<Row>{R({2, 200}), R({7, 100})}));
  EXPECT_EQ(Rows("Children"), (std::vector<Row>{R({2, std::nullopt}), R({7, std::nullopt})}));
  EXPECT_EQ(Rows("Grand"), (std::vector<Row>{R({10, 7}), R({11, 7}), R({20, 2})}));
  ExpectAllConsistent();
}

TEST_F(ForeignKeyActionTest, SetNullAndSetDefaultOnUpdate) {
  AddKey("Children", Key("FK_Child", "Parents", {"ParentId"}, raRestrict, raSetDefault));
  AddKey("Refs2", Key("FK_Refs", "Keys2", {"A", "B"}, raRestrict, raSetNull));
  ASSERT_THAT(Put("Parents", R({0, 0})), Succeeded());
  ASSERT_THAT(Put("Parents", R({1, 100})), Succeeded());
  ASSERT_THAT(Put("Children", R({11, 1})), Succeeded());
  ASSERT_THAT(Put("Keys2", R({1, 5})), Succeeded());
  ASSERT_THAT(Put("Refs2", R({1, 1, 5})), Succeeded());
  ASSERT_THAT(Change("Parents", 1, 0, 4), Succeeded());
  EXPECT_EQ(Rows("Children"), (std::vector<Row>{R({11, 0})}));
  ASSERT_THAT(Change("Keys2", 1, 1, 6), Succeeded());
  EXPECT_EQ(Rows("Refs2"), (std::vector<Row>{R({1, std::nullopt, std::nullopt})}));
}

TEST_F(ForeignKeyActionTest, AViolationDeepInAnUpdateCascadeLeavesEveryTableUnchanged) {
  AddKey("Children", Key("FK_Same", "Parents", {"Id"}, raRestrict, raCascade));
  AddKey("Grand", Key("FK_Grand", "Children", {"ChildId"}, raRestrict, raRestrict));
  // Child 3 follows parent 3's key, but grandchild 5 holds it back.
  ASSERT_THAT(Put("Parents", R({3, 300})), Succeeded());
  ASSERT_THAT(Put("Children", R({3, 3})), Succeeded());
  ASSERT_THAT(Put("Grand", R({5, 3})), Succeeded());
  const auto before = All();
  for (bool transaction : {false, true}) {
    if (transaction) session_->StartTransaction();
    EXPECT_THAT(Change("Parents", 3, 0, 4), ResultIs(-2, HasSubstr("constraint foreign key 'FK_Grand' in table 'Grand' violated")));
    EXPECT_EQ(All(), before);
    ExpectAllConsistent();
  }
  ASSERT_THAT(Put("Parents", R({8, 800})), Succeeded());
  session_->Rollback();
  EXPECT_EQ(All(), before);
}

TEST_F(ForeignKeyActionTest, AnInvalidActionIsReportedOnlyWhenRowsReferTo) {
  EXPECT_THAT([&] { AddKey("Children", Key("FK_Child", "Parents", {"ParentId"}, raCascade, 9)); },
              ThrowsDvx(11456, "Error - invalid foreign key action (9) in table 'Parents' referencing foreign key "
                               "'FK_Child' in table 'Children'"));
  AddKey("Children", Key("FK_Child", "Parents", {"ParentId"}));
  ASSERT_THAT(Put("Parents", R({1, 100})), Succeeded());
  ASSERT_THAT(Put("Parents", R({2, 200})), Succeeded());
  ASSERT_THAT(Put("Children", R({11, 1})), Succeeded());
  auto& action = static_cast<TDVXConstraintDefForeignKeyAction&>(*Constraints("Parents").GetByName("FK_Child_Action"));
  action.SetDeleteAction(9);
  EXPECT_THAT(Remove("Parents", 2), Succeeded());
  EXPECT_THAT(Remove("Parents", 1), ResultIs(-3, "Error - invalid foreign key action (9) in table 'Parents' referencing foreign key 'FK_Child' in table " "'Children'"));
  // A column of the action that the referencing table lacks.
  action.SetDeleteAction(raCascade);
  action.Columns()[0].name = "Gone";
  EXPECT_THAT(Remove("Parents", 1), ResultIs(-3, "Invalid foreign key 'FK_Child' definition in table 'Children' - field 'Gone' does not exist"));
  EXPECT_EQ(Rows("Parents").size(), 1u);
}

TEST_F(ForeignKeyActionTest, ACycleOfCascadesEnds) {
  // Children refer to children: 1 <- 2 <- 3, and 4 <-> 5.
  AddKey("Children", Key("FK_Up", "Children", {"ParentId"}, raCascade, raCascade));
  ASSERT_THAT(Put("Children", R({1, std::nullopt})), Succeeded());
  ASSERT_THAT(Put("Children", R({2, 1})), Succeeded());
  ASSERT_THAT(Put("Children", R({3, 2})), Succeeded());
  ASSERT_THAT(Put("Children", R({4, std::nullopt})), Succeeded());
  ASSERT_THAT(Put("Children", R({5, 4})), Succeeded());
  ASSERT_THAT(Change("Children", 4, 1, 5), Succeeded());
  ASSERT_THAT(Change("Children", 1, 0, 10), Succeeded());  // 2 follows to 10
  EXPECT_EQ(Rows("Children"),
            (std::vector<Row>{R({2, 10}), R({3, 2}), R({4, 5}), R({5, 4}), R({10, std::nullopt})}));
  ASSERT_THAT(Remove("Children", 10), Succeeded());
  ASSERT_THAT(Remove("Children", 4), Succeeded());
  EXPECT_TRUE(Rows("Children").empty());
  ExpectConsistent("Children");
}

// --- removing constraints, renaming and dropping tables ----------------------------

TEST_F(ForeignKeyActionTest, DeletingAKeyTakesItsActionAlong) {
  Chain(raRestrict, raRestrict, raRestrict, raRestrict);
  CloseAll();
  EXPECT_THAT([&] { TDVXLocalCursor(*session_, "Children", true).DeleteConstraint("Nope"); },
              ThrowsDvx(11482, "Error - constraint 'Nope' does not exist in table 'Children'"));
  EXPECT_THAT([&] { TDVXLocalCursor(*session_, "Children").DeleteConstraint("FK_Child"); }, ThrowsDvx(11486));
  EXPECT_THAT([&] { TDVXLocalCursor(*session_, "Ghost", true).DeleteConstraint("FK_Child"); }, ThrowsDvx(11484));
  TDVXLocalCursor(*session_, "Children", true).DeleteConstraint("FK_Child");
  ReopenDatabase();
  EXPECT_EQ(Constraints("Children").GetByName("FK_Child"), nullptr);
  EXPECT_EQ(Constraints("Parents").GetByName("FK_Child_Action"), nullptr);
  EXPECT_THAT(Remove("Parents", 2), Succeeded());  // nothing holds it back now
  EXPECT_THAT(Put("Children", R({99, 42})), Succeeded());
  // Kept, the counterpart stays: removing the action of FK_Grand leaves
  // the key checking.
  CloseAll();
  TDVXLocalCursor(*session_, "Children", true).DeleteConstraint("FK_Grand_Action", true);
  EXPECT_NE(Constraints("Grand").GetByName("FK_Grand"), nullptr);
  EXPECT_EQ(11420, Put("Grand", R({999, 42424})).code);
  EXPECT_THAT(Remove("Children", 11), Succeeded());  // no action refuses it any more
}

TEST_F(ForeignKeyActionTest, AUniqueConstraintGoesAndItsIndexStays) {
  TDVXFieldDefs fields;
  fields.Add("Id", aftInteger);
  fields.Add("Code", aftInteger);
  TDVXIndexDefs indexes;
  TDVXIndexDef* unique = indexes.Add("UQ_Code");
  unique->AddColumn("Code");
  unique->SetUnique(true);
  db_->CreateTable(*session_, "U", fields, indexes, {});
  ASSERT_THAT(Put("U", R({1, 7})), Succeeded());
  ASSERT_EQ(30320, Put("U", R({2, 7})).code);
  CloseAll();
  TDVXLocalCursor(*session_, "U", true).DeleteConstraint("UQ_Code");
  ReopenDatabase();
  EXPECT_EQ(Constraints("U").GetByName("UQ_Code"), nullptr);
  EXPECT_EQ(C("U").Table().IndexManager().IndexDefs().Count(), 1);
  EXPECT_THAT(Put("U", R({2, 7})), Succeeded());
  ExpectConsistent("U");
}

TEST_F(ForeignKeyActionTest, APrimaryKeyGoesOnlyWhenForcedWhileReferenced) {
  Chain(raRestrict, raRestrict, raRestrict, raRestrict);
  CloseAll();
  EXPECT_THAT([&] { TDVXLocalCursor(*session_, "Parents", true).DeleteConstraint("PK_Parents"); },
              ThrowsDvx(11483, "Cannot delete constraint primary key 'PK_Parents' in table 'Parents' - foreign key(s) "
                               "referencing this table exists"));
  TDVXLocalCursor(*session_, "Parents", true).DeleteConstraint("PK_Parents", false, true);
  ReopenDatabase();
  EXPECT_EQ(Constraints("Parents").GetByName("PK_Parents"), nullptr);
  EXPECT_EQ(Constraints("Parents").GetByName("FK_Child_Action"), nullptr);
  EXPECT_EQ(Constraints("Children").GetByName("FK_Child"), nullptr);
  EXPECT_EQ(C("Parents").Table().IndexManager().IndexDefs().Count(), 0);
  EXPECT_THAT(Put("Parents", R({1, 5})), Succeeded());  // no primary key refuses the duplicate
  ExpectAllConsistent();
}

TEST_F(ForeignKeyActionTest, RenamedTablesKeepTheirForeignKeysWorking) {
  Chain(raCascade, raRestrict, raRestrict, raRestrict);
  {
    TDVXLocalCursor other(*session_, "Parents");
    other.Open();
    CloseAll();
    EXPECT_THAT([&] { TDVXLocalCursor(*session_, "Parents").RenameTable("Eltern"); },
                ThrowsDvx(10150, "Cannot rename table 'Parents'. Table is open by another dataset"));
  }
  EXPECT_THAT([&] { TDVXLocalCursor(*session_, "Ghost").RenameTable("X"); }, ThrowsDvx(10151));
  session_->StartTransaction();
  EXPECT_THAT([&] { TDVXLocalCursor(*session_, "Parents").RenameTable("X"); },
              ThrowsDvx(10839, "Cannot perform this operation inside a transaction"));
  session_->Rollback();
  TDVXLocalCursor renamer(*session_, "Parents");
  renamer.RenameTable("Eltern");
  EXPECT_EQ(renamer.TableName(), "Eltern");
  ReopenDatabase();
  const auto* fk = dynamic_cast<const TDVXConstraintDefForeignKey*>(Constraints("Children").GetByName("FK_Child"));
  ASSERT_NE(fk, nullptr);
  EXPECT_EQ(fk->Table().name, "Eltern");
  EXPECT_EQ(11420, Put("Children", R({77, 42})).code);
  EXPECT_THAT(Put("Children", R({77, 2})), Succeeded());
  EXPECT_EQ(-3, Remove("Children", 11).code);  // Grand still refers to it
  ASSERT_THAT(Remove("Grand", 111), Succeeded());
  ASSERT_THAT(Remove("Grand", 121), Succeeded());
  ASSERT_THAT(Remove("Eltern", 1), Succeeded());  // the cascade finds the children
  EXPECT_EQ(Rows("Children"), (std::vector<Row>{R({21, 2}), R({77, 2})}));
}

TEST_F(ForeignKeyActionTest, ASelfReferenceFollowsTheRenamedTable) {
  AddKey("Children", Key("FK_Up", "Children", {"ParentId"}, raCascade, raCascade));
  ASSERT_THAT(Put("Children", R({1, std::nullopt})), Succeeded());
  ASSERT_THAT(Put("Children", R({2, 1})), Succeeded());
  CloseAll();
  TDVXLocalCursor(*session_, "Children").RenameTable("Kinder");
  ReopenDatabase();
  EXPECT_EQ(11420, Put("Kinder", R({3, 9})).code);
  ASSERT_THAT(Remove("Kinder", 1), Succeeded());
  EXPECT_TRUE(Rows("Kinder").empty());
}

TEST_F(ForeignKeyActionTest, DroppingATableInAForeignKeyNeedsForce) {
  Chain(raRestrict, raRestrict, raRestrict, raRestrict);
  CloseAll();
  EXPECT_THAT([&] { TDVXLocalCursor(*session_, "Parents").DeleteTable(); },
              ThrowsDvx(11481, "Cannot delete table 'Parents' - foreign key constraint(s) violated"));
  EXPECT_THAT([&] { TDVXLocalCursor(*session_, "Ghost").DeleteTable(); }, ThrowsDvx(10027));
  {
    TDVXLocalCursor other(*session_, "Parents");
    other.Open();
    EXPECT_THAT([&] { TDVXLocalCursor(*session_, "Parents").DeleteTable(true); }, ThrowsDvx(20017));
  }
  session_->StartTransaction();
  EXPECT_THAT([&] { TDVXLocalCursor(*session_, "Parents").DeleteTable(true); }, ThrowsDvx(10838));
  session_->Rollback();
  EXPECT_TRUE(db_->TableExists("Parents"));
  TDVXLocalCursor(*session_, "Parents").DeleteTable(true);
  EXPECT_FALSE(db_->TableExists("Parents"));
  ReopenDatabase();
  EXPECT_EQ(Constraints("Children").GetByName("FK_Child"), nullptr);
  EXPECT_NE(Constraints("Children").GetByName("FK_Grand_Action"), nullptr);
  EXPECT_THAT(Put("Children", R({99, 12345})), Succeeded());
}

// --- a model of cascading deletes and updates ----------------------------------------

TEST_F(ForeignKeyActionTest, RandomChangesMatchAModelOfTheActions) {
  AddKey("Children", Key("FK_Child", "Parents", {"ParentId"}, raCascade, raCascade));
  AddKey("Grand", Key("FK_Grand", "Children", {"ChildId"}, raRestrict, raRestrict));
  std::map<int32_t, int32_t> parents;                // Id -> Name
  std::map<int32_t, std::optional<int32_t>> children;  // Id -> ParentId
  std::map<int32_t, int32_t> grand;                  // Id -> ChildId
  std::mt19937 random(20261209);
  auto pick = [&](auto& m) { return std::next(m.begin(), static_cast<long>(random() % m.size()))->first; };
  for (int step = 0; step < 300; ++step) {
    const int op = static_cast<int>(random() % 6);
    const int32_t key = static_cast<int32_t>(random() % 40);
    if (op == 0) {
      const bool ok = !parents.count(key);
      EXPECT_EQ(ok, Put("Parents", R({key, key})).ok());
      if (ok) parents[key] = key;
    } else if (op == 1) {
      std::optional<int32_t> parent = random() % 4 == 0 ? std::nullopt : std::optional<int32_t>(random() % 40);
      const bool ok = !children.count(key) && (!parent || parents.count(*parent));
      EXPECT_EQ(ok, Put("Children", R({key, parent})).ok()) << step;
      if (ok) children[key] = parent;
    } else if (op == 2 && !children.empty()) {
      const int32_t child = pick(children);
      const bool ok = !grand.count(key);
      EXPECT_EQ(ok, Put("Grand", R({key, child})).ok()) << step;
      if (ok) grand[key] = child;
    } else if (op == 3 && !parents.empty()) {
      const int32_t parent = pick(parents);
      bool blocked = false;
      for (auto& [c, p] : children)
        for (auto& [g, gc] : grand) blocked = blocked || (p == parent && gc == c);
      EXPECT_EQ(!blocked, Remove("Parents", parent).ok()) << step;
      if (!blocked) {
        parents.erase(parent);
        std::erase_if(children, [&](const auto& c) { return c.second == parent; });
      }
    } else if (op == 4 && !parents.empty()) {
      const int32_t parent = pick(parents);
      const bool ok = key == parent || !parents.count(key);
      EXPECT_EQ(ok, Change("Parents", parent, 0, key).ok()) << step;
      if (ok && key != parent) {
        parents[key] = parents[parent];
        parents.erase(parent);
        for (auto& [c, p] : children)
          if (p == parent) p = key;
      }
    } else if (op == 5 && !grand.empty()) {
      const int32_t g = pick(grand);
      ASSERT_THAT(Remove("Grand", g), Succeeded());
      grand.erase(g);
    }
  }
  std::vector<Row> expected;
  for (auto& [c, p] : children) expected.push_back(R({c, p}));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Rows("Children"), expected);
  EXPECT_EQ(Rows("Parents").size(), parents.size());
  ExpectAllConsistent();
}

}  // namespace
}  // namespace dvx::test
