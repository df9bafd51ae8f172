// Adding and dropping indexes, emptying a table and renaming a field, on a
// disk table: the refusals with their codes, indexes that agree with the
// records, durability across a reopen, and all-or-nothing under injected
// write failures. Also: identifiers unique across the whole file.
#include <algorithm>
#include <functional>
#include <tuple>

#include "engine/tables/definition_errors.h"
#include "engine/tables/foreign_key_errors.h"
#include "engine/tables/index_errors.h"
#include "engine/tables/table_checker.h"
#include "engine/tables/table_data_errors.h"
#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

using Row = std::tuple<std::optional<int32_t>, std::optional<int32_t>, std::string>;

// What a table is: its records in physical order, its indexes with their
// roots, its constraints, and the problems the checkers find.
struct TImage {
  std::vector<Row> rows;
  std::vector<std::pair<std::string, int32_t>> indexes;
  std::vector<std::string> constraints;
  std::vector<std::string> fields;
  std::vector<std::string> problems;
  bool operator==(const TImage&) const = default;
};

class TableDefinitionOpsTest : public TTableFixture {
 protected:
  void SetUp() override {
    CreateDatabase();
    CreateRemedies();
    OpenCursor();
    for (auto [code, name] : std::vector<std::pair<int, std::string>>{
             {30, "belladonna"}, {10, "Arnica"}, {20, "Chamomilla"}, {40, "arnica"}, {50, "Bryonia"}})
      ASSERT_THAT(Insert(code, name), Succeeded());
  }
  // A fresh file with the table and records of SetUp.
  void Recreate() {
    cursor_.reset();
    session_.reset();
    db_->CloseDatabase();
    db_.reset();
    fs_.Remove(kFile);
    SetUp();
  }
  TImage Image() {
    if (!cursor_->IsOpen()) cursor_->Open();
    cursor_->SetCurrentIndex("");
    TImage image;
    cursor_->First();
    while (cursor_->GetRecord(grmNext) == grrDone) image.rows.emplace_back(GetInt(kId), GetInt(kCode), GetText(kName));
    TDVXTableData& table = cursor_->Table();
    for (int i = 0; i < table.IndexCount(); ++i)
      image.indexes.emplace_back(table.Index(i).IndexDef().ObjectName(), table.Index(i).IndexDef().RootPageNo());
    const TDVXConstraintDefs& c = table.ConstraintManager().ConstraintDefs();
    for (int i = 0; i < c.Count(); ++i) image.constraints.push_back(c.Items(i)->ObjectName());
    for (int i = 0; i < table.Fields().Count(); ++i) image.fields.push_back(table.Fields().Items(i)->ObjectName());
    image.problems = FileProblems();
    for (auto& p : TDVXTableChecker(table, session_->SessionID()).Check().problems) image.problems.push_back(p);
    return image;
  }
  void ExpectClean() {
    ExpectIndexesValid();
    EXPECT_THAT(FileProblems(), ::testing::IsEmpty());
    EXPECT_TRUE(TDVXTableChecker(cursor_->Table(), session_->SessionID()).Check().Ok());
  }
  // The Code values in the order of the named index.
  std::vector<int32_t> CodesBy(const std::string& index) {
    if (!cursor_->IsOpen()) cursor_->Open();
    cursor_->SetCurrentIndex(index);
    std::vector<int32_t> codes;
    cursor_->First();
    while (cursor_->GetRecord(grmNext) == grrDone) codes.push_back(*GetInt(kCode));
    return codes;
  }
  static TDVXIndexDef IndexOn(const std::string& name, const std::string& field, bool descending = false,
                              bool caseInsensitive = false, bool unique = false) {
    TDVXIndexDef def;
    def.SetObjectName(name);
    def.AddColumn(field, descending, caseInsensitive);
    def.SetUnique(unique);
    return def;
  }
  int ConstraintCount() { return cursor_->Table().ConstraintManager().ConstraintDefs().Count(); }
};

TEST_F(TableDefinitionOpsTest, AddIndexOverRecordsAgreesWithThemAndSurvivesReopen) {
  cursor_->AddIndex(IndexOn("IX_CodeDesc", "Code", true));
  cursor_->AddIndex(IndexOn("IX_NameCI", "Name", false, true));
  cursor_->Open();
  ExpectClean();
  EXPECT_EQ(CodesBy("IX_CodeDesc"), (std::vector<int32_t>{50, 40, 30, 20, 10}));
  // "Arnica" and "arnica" are one key without regard to case: they come
  // first in either order, then belladonna, Bryonia, Chamomilla.
  std::vector<int32_t> byName = CodesBy("IX_NameCI");
  ASSERT_EQ(byName.size(), 5u);
  std::sort(byName.begin(), byName.begin() + 2);
  EXPECT_EQ(byName, (std::vector<int32_t>{10, 40, 30, 50, 20}));
  const std::vector<int32_t> stored = CodesBy("IX_NameCI");
  ReopenFresh();
  ExpectClean();
  EXPECT_EQ(CodesBy("IX_NameCI"), stored);
  // The new index is maintained by later inserts.
  ASSERT_THAT(Insert(5, "Aconitum"), Succeeded());
  EXPECT_EQ(CodesBy("IX_CodeDesc"), (std::vector<int32_t>{50, 40, 30, 20, 10, 5}));
  ExpectClean();
}

TEST_F(TableDefinitionOpsTest, UniqueIndexOverDuplicatesLeavesNothingBehind) {
  const TImage before = Image();
  EXPECT_THAT([&] { cursor_->AddIndex(IndexOn("UQ_Name", "Name", false, true, true)); },
              ThrowsDvx(kErrIndexDuplicateKey));
  EXPECT_EQ(Image(), before);
  ReopenFresh();
  EXPECT_EQ(Image(), before);
  // Without regard to case the two "arnica" differ, so the index builds,
  // with its constraint.
  const int constraints = ConstraintCount();
  cursor_->AddIndex(IndexOn("UQ_Name", "Name", false, false, true));
  cursor_->Open();
  EXPECT_EQ(ConstraintCount(), constraints + 1);
  EXPECT_THAT(Insert(60, "Arnica"), ResultIs(kErrUniqueDuplicate, HasSubstr("Duplicate found")));
}

TEST_F(TableDefinitionOpsTest, IndexRefusalsChangeNothing) {
  const TImage before = Image();
  EXPECT_THAT([&] { cursor_->AddIndex(IndexOn("ix_name", "Code")); },
              ThrowsDvx(kErrCursorAddIndexExists, "Cannot create index 'ix_name'. Index already exists"));
  EXPECT_THAT([&] { cursor_->DeleteIndex("IX_Ghost"); },
              ThrowsDvx(kErrCursorDeleteIndexMissing, "Cannot delete index 'IX_Ghost'. Index not found"));
  EXPECT_THAT([&] { cursor_->AddIndex(IndexOn("IX_Ghost", "Ghost")); }, ThrowsDvx());
  // A key of 600 bytes leaves room for one entry on a 1024-byte page.
  TDVXFieldDefs fields;
  fields.Add("Long", aftVarchar, 600);
  db_->CreateTable(*session_, "Wide", fields, TDVXIndexDefs(), TDVXConstraintDefs());
  TDVXLocalCursor wide(*session_, "Wide");
  EXPECT_THAT([&] { wide.AddIndex(IndexOn("IX_Long", "Long")); }, ThrowsDvx(kErrIndexKeyTooLong));
  wide.Open();
  EXPECT_EQ(wide.Table().IndexCount(), 0);
  EXPECT_EQ(wide.Table().ConstraintManager().ConstraintDefs().Count(), 0);
  EXPECT_THAT([&] { TDVXLocalCursor(*session_, "Ghost").AddIndex(IndexOn("IX", "Code")); },
              ThrowsDvx(kErrCursorAddIndexNotFound, "Table not found, table name = Ghost"));
  session_->StartTransaction();
  EXPECT_THAT([&] { cursor_->AddIndex(IndexOn("IX_Code", "Code")); },
              ThrowsDvx(kErrCursorAddIndexInTransaction, "Cannot perform this operation inside a transaction"));
  EXPECT_THAT([&] { cursor_->DeleteIndex("IX_Name"); }, ThrowsDvx(kErrCursorDeleteIndexInTransaction));
  EXPECT_THAT([&] { cursor_->DeleteAllIndexes(); }, ThrowsDvx(kErrCursorDropIndexesInTransaction));
  EXPECT_THAT([&] { cursor_->EmptyTable(); }, ThrowsDvx(kErrCursorEmptyTableInTransaction));
  session_->Rollback();
  wide.Close();
  EXPECT_EQ(Image(), before);
}

TEST_F(TableDefinitionOpsTest, DroppingAUniqueIndexLetsDuplicatesIn) {
  ASSERT_EQ(Insert(10, "Hepar").code, kErrUniqueDuplicate);
  const int constraints = ConstraintCount();
  cursor_->DeleteIndex("uq_code");
  cursor_->Open();
  EXPECT_EQ(cursor_->Table().IndexByName("UQ_Code"), nullptr);
  EXPECT_EQ(ConstraintCount(), constraints - 1);
  EXPECT_THAT(Insert(10, "Hepar"), Succeeded());
  ExpectClean();
  ReopenFresh();
  EXPECT_EQ(cursor_->Table().IndexCount(), 2);
  EXPECT_THAT(Insert(10, "Ignatia"), Succeeded());
  ExpectClean();
}

TEST_F(TableDefinitionOpsTest, OpenCursorOnADroppedIndexFallsBackToPhysicalOrder) {
  TDVXLocalCursor other(*session_, kTable);
  other.Open();
  other.SetCurrentIndex("IX_Name");
  cursor_->DeleteIndex("IX_Name");
  EXPECT_EQ(other.CurrentIndexID(), -1);
  int count = 0;
  other.First();
  while (other.GetRecord(grmNext) == grrDone) ++count;
  EXPECT_EQ(count, 5);
}

// A table "Doses" whose foreign key "FK_Remedy" (RemedyId) references the
// fixture's table; leaves the fixture's cursor closed.
void AddDoses(TDVXLocalSession& session, TDVXDiskDatabaseData& db, TDVXLocalCursor& cursor) {
  const std::string referenced = cursor.TableName();
  TDVXFieldDefs fields;
  fields.Add("RemedyId", aftInteger);
  db.CreateTable(session, "Doses", fields, TDVXIndexDefs(), TDVXConstraintDefs());
  TDVXConstraintDefForeignKey fk;
  fk.SetObjectName("FK_Remedy");
  fk.Table() = {referenced, 0};
  fk.AddColumn("RemedyId");
  cursor.Close();
  TDVXLocalCursor(session, "Doses", true).AddForeignKey(fk);
}

TEST_F(TableDefinitionOpsTest, AReferencedPrimaryKeyIsDroppedOnlyWhenForced) {
  AddDoses(*session_, *db_, *cursor_);
  const TImage before = Image();
  EXPECT_THAT([&] { cursor_->DeleteIndex("PK"); },
              ThrowsDvx(kErrDropIndexPrimaryReferenced,
                        "Cannot delete constraint primary key 'PK' in table 'Remedies' - foreign key(s) referencing "
                        "this table exists"));
  EXPECT_EQ(Image(), before);
  cursor_->DeleteIndex("PK", true);
  cursor_->Open();
  EXPECT_EQ(cursor_->Table().IndexByName("PK"), nullptr);
  EXPECT_FALSE(cursor_->Table().ConstraintManager().ConstraintDefs().HasForeignKeyActions());
  TDVXLocalCursor doses(*session_, "Doses");
  doses.Open();
  EXPECT_EQ(doses.Table().ConstraintManager().ConstraintDefs().FindByName("FK_Remedy"), -1);
  ExpectClean();
}

TEST_F(TableDefinitionOpsTest, DeleteAllIndexesRemovesTheirConstraints) {
  cursor_->DeleteAllIndexes();
  cursor_->Open();
  EXPECT_EQ(cursor_->Table().IndexCount(), 0);
  // The NOT NULL constraint stays; primary and unique went with their
  // indexes.
  EXPECT_EQ(ConstraintCount(), 1);
  EXPECT_THAT(Insert(10, "Arnica", 1), Succeeded());
  ReopenFresh();
  EXPECT_EQ(cursor_->Table().IndexCount(), 0);
  EXPECT_EQ(Insert(std::nullopt, "Nux").code, kErrNotNullViolated);
  ExpectClean();
}

TEST_F(TableDefinitionOpsTest, EmptyTableKeepsIndexesAndSequences) {
  TDVXLocalCursor other(*session_, kTable);
  other.Open();
  EXPECT_THAT([&] { cursor_->EmptyTable(); },
              ThrowsDvx(kErrEmptyTableOpen, "Cannot delete table 'Remedies'. Table is open by another dataset"));
  other.Close();
  EXPECT_THAT([&] { TDVXLocalCursor(*session_, "Ghost").EmptyTable(); },
              ThrowsDvx(kErrCursorEmptyTableNotFound, "Table not found, table name = Ghost"));
  cursor_->EmptyTable();
  cursor_->Open();
  EXPECT_EQ(cursor_->GetRecordCount(), 0);
  EXPECT_EQ(cursor_->Table().IndexCount(), 3);
  ExpectClean();
  ASSERT_THAT(Insert(10, "Arnica"), Succeeded());
  EXPECT_EQ(GetInt(kId), 6);  // the autoincrement value goes on from 5
  ReopenFresh();
  EXPECT_EQ(cursor_->GetRecordCount(), 1);
  EXPECT_EQ(Insert(10, "Other").code, kErrUniqueDuplicate);  // the unique index holds the new record
  ExpectClean();
}

TEST_F(TableDefinitionOpsTest, RenameFieldRefusals) {
  const TImage before = Image();
  EXPECT_THAT([&] { cursor_->RenameField("Ghost", "X"); }, ThrowsDvx(kErrRenameFieldMissing, "Field 'Ghost' not found"));
  EXPECT_THAT([&] { cursor_->RenameField("Name", "code"); },
              ThrowsDvx(kErrRenameFieldTaken, "Cannot rename field 'Name'. Field 'code' already exists"));
  EXPECT_THAT([&] { cursor_->RenameField("name", "Title"); },
              ThrowsDvx(kErrRenameFieldIndexed,
                        "Cannot rename field 'name' in table 'Remedies' - index 'IX_Name' includes this field"));
  EXPECT_THAT([&] { TDVXLocalCursor(*session_, "Ghost").RenameField("A", "B"); },
              ThrowsDvx(kErrCursorRenameFieldNotFound, "Table not found, table name = Ghost"));
  session_->StartTransaction();
  EXPECT_THAT([&] { cursor_->RenameField("Name", "Title"); },
              ThrowsDvx(kErrCursorRenameFieldInTransaction, "Cannot perform this operation inside a transaction"));
  session_->Rollback();
  EXPECT_EQ(Image(), before);

  // A field of a foreign key, found by its ObjectID.
  AddDoses(*session_, *db_, *cursor_);
  EXPECT_THAT([&] { TDVXLocalCursor(*session_, "Doses").RenameField("REMEDYID", "Remedy"); },
              ThrowsDvx(kErrRenameFieldForeignKey,
                        "Cannot rename field 'REMEDYID' in table 'Doses' - foreign key 'FK_Remedy' includes this field"));
}

TEST_F(TableDefinitionOpsTest, RenamedFieldKeepsRecordsAndConstraintsAndSurvivesReopen) {
  cursor_->DeleteIndex("UQ_Code");
  cursor_->RenameField("code", "Number");
  cursor_->Open();
  EXPECT_EQ(Fields().Items(kCode)->ObjectName(), "Number");
  // The NOT NULL constraint follows the new name.
  EXPECT_THAT(Insert(std::nullopt, "Nux"), ResultIs(kErrNotNullViolated, HasSubstr("Value in field 'Number' cannot be null")));
  const TImage renamed = Image();
  ReopenFresh();
  EXPECT_EQ(Image(), renamed);
  EXPECT_EQ(renamed.rows.size(), 5u);
  EXPECT_EQ(Insert(std::nullopt, "Nux").code, kErrNotNullViolated);
}

// Every write of the operation in turn fails once: the operation either
// fails with the table exactly as before (in this process and after a
// reopen) or, past its last write, succeeds.
TEST_F(TableDefinitionOpsTest, WriteFailuresLeaveTheTableAsItWas) {
  const std::vector<std::pair<const char*, std::function<void()>>> operations{
      {"AddIndex", [&] { cursor_->AddIndex(IndexOn("IX_Code", "Code", true)); }},
      {"AddUniqueIndex", [&] { cursor_->AddIndex(IndexOn("UQ_Name", "Name", false, false, true)); }},
      {"DropIndex", [&] { cursor_->DeleteIndex("UQ_Code"); }},
      {"EmptyTable", [&] { cursor_->EmptyTable(); }},
      {"DeleteAllIndexes", [&] { cursor_->DeleteAllIndexes(); }}};
  for (const auto& [what, operation] : operations) {
    bool succeeded = false;
    int failures = 0;
    for (int n = 1; n < 100 && !succeeded; ++n) {
      Recreate();
      const TImage before = Image();
      fs_.FailNthWrite(n);
      auto error = DvxErrorOf(operation);
      fs_.FailNthWrite(0);
      if (!error) {
        succeeded = true;
        break;
      }
      ++failures;
      EXPECT_EQ(Image(), before) << what << ", write " << n << ": " << error->what();
      ReopenFresh();
      EXPECT_EQ(Image(), before) << what << ", write " << n << " after reopen";
      if (HasFailure()) return;
    }
    EXPECT_TRUE(succeeded) << what;
    EXPECT_GT(failures, 0) << what << " wrote nothing";
    ReopenFresh();
    ExpectClean();
  }
}

// The identifiers of every definition of a table.
std::vector<int32_t> IdsOf(TDVXTableData& table) {
  std::vector<int32_t> ids;
  auto add = [&](const TDVXMetaObjectDefs& defs) {
    for (int i = 0; i < defs.Count(); ++i) ids.push_back(defs.Item(i)->ObjectID());
  };
  add(table.Fields());
  add(table.IndexManager().IndexDefs());
  add(table.ConstraintManager().ConstraintDefs());
  add(table.SequenceManager().SequenceDefs());
  return ids;
}

TEST_F(TableDefinitionOpsTest, IdentifiersAreUniqueAcrossTheFile) {
  CreateRemedies("Second");
  std::vector<int32_t> old = IdsOf(cursor_->Table());
  {
    TDVXLocalCursor second(*session_, "Second");
    second.Open();
    for (int32_t id : IdsOf(second.Table())) old.push_back(id);
  }
  // The table created last holds the highest identifiers; the foreign key
  // below loads the two it joins, never this one.
  CreateRemedies("Other");
  {
    TDVXLocalCursor other(*session_, "Other");
    other.Open();
    for (int32_t id : IdsOf(other.Table())) old.push_back(id);
  }
  cursor_->EmptyTable();
  const int32_t highestOld = *std::max_element(old.begin(), old.end());
  // A new database object has loaded only "Remedies": "Second" holds
  // identifiers above all of its.
  ReopenFresh();
  // A foreign key is the first definition drawn after the reopen.
  cursor_->Close();
  TDVXConstraintDefForeignKey fk;
  fk.SetObjectName("FK_Second");
  fk.Table() = {"Second", 0};
  fk.AddColumn("Code");
  TDVXLocalCursor(*session_, kTable, true).AddForeignKey(fk);
  CreateRemedies("Third");
  const int32_t added = cursor_->AddIndex(IndexOn("UQ_Code2", "Code", false, false, true));
  TDVXLocalCursor third(*session_, "Third");
  third.Open();
  std::vector<int32_t> fresh = IdsOf(third.Table());
  fresh.push_back(added);
  cursor_->Open();
  const TDVXConstraintDefs& c = cursor_->Table().ConstraintManager().ConstraintDefs();
  const int constraint = c.FindByName("UQ_Code2");
  ASSERT_GE(constraint, 0);
  fresh.push_back(c.Items(constraint)->ObjectID());
  const int foreignKey = c.FindByName("FK_Second");
  ASSERT_GE(foreignKey, 0);
  fresh.push_back(c.Items(foreignKey)->ObjectID());
  for (int32_t id : fresh) EXPECT_GT(id, highestOld);
}

// A file whose table has its files but an empty definition stream (left
// by a create that committed the files before the definitions, as creates
// once did). Such a leftover can never be opened, so it must at least be
// droppable (a restructure's recovery drops its half-made copy this way).
TEST_F(TableDefinitionOpsTest, ATableWhoseDefinitionsNeverReachedTheFileCanBeDropped) {
  db_->Storage().CreateTableFiles("Halb");
  Reopen();
  ASSERT_TRUE(db_->TableExists("Halb"));
  db_->DeleteTable(*session_, "Halb");
  EXPECT_FALSE(db_->TableExists("Halb"));
  Reopen();
  EXPECT_FALSE(db_->TableExists("Halb"));
  EXPECT_TRUE(db_->TableExists("Remedies"));
}

}  // namespace
}  // namespace dvx::test
