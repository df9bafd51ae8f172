// Units of work on a disk table under faults. A failed write, read or flush
// at each step of an operation's commit (journal, pages, header, syncs,
// frees) leaves the table in memory and the table in the file alike: what
// the cursor shows before a reopen is what a fresh open of the file shows.
// A create killed at any write leaves the table whole or absent. A
// savepoint that cannot be rolled back breaks its transaction instead of
// dropping its change set.
#include <functional>
#include <tuple>

#include "engine/tables/table_checker.h"
#include "engine/tables/temporary_database_data.h"
#include "engine/tables/transaction.h"
#include "engine/tables/unit_of_work.h"
#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

using Row = std::tuple<std::optional<int32_t>, std::optional<int32_t>, std::string>;

// The table as the engine shows it: records in primary-key order, the
// indexes with their roots, fields, tables of the file, the sequence
// values, and what the checkers find.
struct TImage {
  std::vector<Row> rows;
  std::vector<std::pair<std::string, int32_t>> indexes;
  std::vector<std::string> fields;
  std::vector<std::string> tables;
  std::vector<int64_t> sequences;
  std::vector<std::string> problems;
  // What a user sees, without page numbers.
  auto Visible() const { return std::tie(rows, fields, tables, sequences); }
  bool operator==(const TImage&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TImage& image) {
  out << image.rows.size() << " rows, " << image.indexes.size() << " indexes, tables";
  for (const auto& t : image.tables) out << " " << t;
  for (const auto& p : image.problems) out << "\n  " << p;
  return out;
}

using TOperation = std::function<std::string()>;

class UnitOfWorkFaultsTest : public TTableFixture {
 protected:
  void SetUp() override { Fill(); }
  void Fill() {
    CreateDatabase();
    CreateRemedies();
    OpenCursor();
    for (auto [code, name] : std::vector<std::pair<int, std::string>>{
             {30, "Belladonna"}, {10, "Arnica"}, {20, "Chamomilla"}, {40, "Nux vomica"}, {50, "Bryonia"}})
      ASSERT_THAT(Insert(code, name), Succeeded());
  }
  void Recreate() {
    cursor_.reset();
    session_.reset();
    db_->CloseDatabase();
    db_.reset();
    fs_.Remove(kFile);
    Fill();
  }
  TImage Image() {
    if (!cursor_->IsOpen()) cursor_->Open();
    cursor_->SetCurrentIndex("PK");
    TImage image;
    cursor_->First();
    while (cursor_->GetRecord(grmNext) == grrDone) image.rows.emplace_back(GetInt(kId), GetInt(kCode), GetText(kName));
    TDVXTableData& table = cursor_->Table();
    for (int i = 0; i < table.IndexCount(); ++i)
      image.indexes.emplace_back(table.Index(i).IndexDef().ObjectName(), table.Index(i).IndexDef().RootPageNo());
    for (int i = 0; i < table.Fields().Count(); ++i) image.fields.push_back(table.Fields().Items(i)->ObjectName());
    image.tables = db_->TableNames();
    image.sequences = table.TakeState().sequenceValues;
    image.problems = FileProblems();
    for (auto& p : TDVXTableChecker(table, session_->SessionID()).Check().problems) image.problems.push_back(p);
    return image;
  }
  static std::string Failure(const TDVXCursorResult& result) { return result.ok() ? "" : result.message; }
  static std::string Failure(const std::function<void()>& call) {
    auto error = testing::DvxErrorOf(call);
    return error ? error->what() : "";
  }

  // Runs `operation` on a fresh file with the Nth fault set by `fault`, for
  // N from 1 until it runs through. After each run the table in memory must
  // be as before the operation or as after it (a failure after the commit
  // point leaves it done), and a fresh open of the file must show exactly
  // that. Returns the number of failed runs.
  int FaultEachStep(const char* what, const std::function<void(int)>& fault, const TOperation& operation) {
    const TImage before = Image();
    EXPECT_EQ(operation(), "") << what;
    if (HasFailure()) return 0;
    const TImage done = Image();
    EXPECT_NE(done, before) << what << " changed nothing";
    int failures = 0;
    for (int n = 1; n < 400; ++n) {
      Recreate();
      fault(n);
      const std::string error = operation();
      fault(0);
      const TImage shown = Image();
      EXPECT_TRUE(shown.Visible() == before.Visible() || shown.Visible() == done.Visible())
          << what << ", fault " << n << " (" << error << "): " << shown;
      EXPECT_THAT(shown.problems, ::testing::IsEmpty()) << what << ", fault " << n;
      ReopenFresh();
      EXPECT_EQ(Image(), shown) << what << ", fault " << n << " (" << error << ") after a reopen";
      // The table goes on working.
      EXPECT_THAT(Insert(99, "Zincum"), Succeeded()) << what << ", fault " << n;
      ExpectIndexesValid();
      if (HasFailure() || error.empty()) break;
      ++failures;
    }
    return failures;
  }
  std::vector<std::pair<const char*, TOperation>> Operations() {
    return {
        {"insert", [&] { return Failure(Insert(60, "Pulsatilla")); }},
        {"update",
         [&] {
           cursor_->SetCurrentIndex("PK");
           cursor_->First();
           if (cursor_->GetRecord(grmNext) != grrDone) return std::string("no record");
           SetText(kName, "Aconitum");
           SetInt(kCode, 70);
           return Failure(cursor_->UpdateRecord());
         }},
        {"delete",
         [&] {
           cursor_->SetCurrentIndex("PK");
           cursor_->First();
           if (cursor_->GetRecord(grmNext) != grrDone) return std::string("no record");
           return Failure(cursor_->DeleteRecord());
         }},
        {"add index", [&] {
           TDVXIndexDef def;
           def.SetObjectName("IX_Code");
           def.AddColumn("Code", true);
           return Failure([&] { cursor_->AddIndex(def); });
         }},
        {"drop index", [&] { return Failure([&] { cursor_->DeleteIndex("IX_Name"); }); }},
        {"empty table", [&] { return Failure([&] { cursor_->EmptyTable(); }); }},
        {"create table", [&] {
           return Failure([&] {
             TDVXFieldDefs fields;
             fields.Add("Nr", aftInteger);
             fields.Add("Text", aftVarchar, 20);
             TDVXIndexDefs indexes;
             TDVXIndexDef* pk = indexes.Add("PK_Neu");
             pk->AddColumn("Nr");
             pk->SetPrimary(true);
             db_->CreateTable(*session_, "Neu", fields, indexes, TDVXConstraintDefs());
           });
         }},
    };
  }
};

TEST_F(UnitOfWorkFaultsTest, AFailedWriteAtEachStepLeavesMemoryAndFileAlike) {
  for (const auto& [what, operation] : Operations()) {
    Recreate();
    EXPECT_GT(FaultEachStep(what, [&](int n) { fs_.FailNthWrite(n); }, operation), 2) << what;
    if (HasFailure()) return;
  }
}

TEST_F(UnitOfWorkFaultsTest, AFailedFlushAtEachStepLeavesMemoryAndFileAlike) {
  for (const auto& [what, operation] : Operations()) {
    Recreate();
    EXPECT_GT(FaultEachStep(what, [&](int n) { fs_.FailNthFlush(n); }, operation), 0) << what;
    if (HasFailure()) return;
  }
}

TEST_F(UnitOfWorkFaultsTest, AFailedReadAtEachStepLeavesMemoryAndFileAlike) {
  for (const auto& [what, operation] : Operations()) {
    Recreate();
    FaultEachStep(what, [&](int n) { fs_.FailNthRead(n); }, operation);
    if (HasFailure()) return;
  }
}

// The power fails at each write, flush or truncation of a create: after the
// crash the new table is in the file with all its definitions, or not at
// all, and the table that was there before is untouched.
TEST_F(UnitOfWorkFaultsTest, ACreateKilledAtAnyWriteLeavesTheTableWholeOrAbsent) {
  const TImage before = Image();
  int absent = 0, whole = 0;
  for (int n = 1; n < 400; ++n) {
    Recreate();
    fs_.CutPowerAt(n);
    const std::string error = Operations().back().second();
    cursor_.reset();
    session_.reset();
    // Closing writes nothing durable with the power off; what it reports
    // belongs to the dead machine.
    (void)testing::DvxErrorOf([&] { db_->CloseDatabase(); });
    db_.reset();
    fs_.Crash();
    fs_.RestorePower();
    db_ = std::make_unique<TDVXDiskDatabaseData>(kFile, TDVXLockParams{3, 1}, fs_);
    OpenDatabase();
    OpenCursor();
    // The last insert's commit point may not have been synced: the
    // journal undoes it.
    std::vector<Row> rows = Image().rows;
    if (rows.size() + 1 == before.rows.size()) rows.push_back(before.rows.back());
    EXPECT_EQ(rows, before.rows) << "cut " << n;
    if (db_->TableExists("Neu")) {
      ++whole;
      TDVXLocalCursor neu(*session_, "Neu");
      EXPECT_EQ(Failure([&] { neu.Open(); }), "") << "cut " << n;
      if (!neu.IsOpen()) break;
      EXPECT_EQ(neu.Fields().Count(), 2) << "cut " << n;
      EXPECT_EQ(neu.Table().IndexCount(), 1) << "cut " << n;
    } else {
      ++absent;
    }
    EXPECT_THAT(FileProblems(), ::testing::IsEmpty()) << "cut " << n;
    if (HasFailure() || error.empty()) break;
  }
  EXPECT_GT(absent, 3);
  EXPECT_GT(whole, 0);
}

// An operation inside a transaction fails after it changed pages (a
// restricting foreign key refuses the delete), and its savepoint cannot be
// rolled back because a page it changed is still held. The transaction's
// change set is not dropped: the transaction refuses to go on, its commit
// rolls it all back and says why, and the file keeps what it had.
TEST_F(UnitOfWorkFaultsTest, ARefusedSavepointRollbackBreaksTheTransaction) {
  TDVXFieldDefs fields;
  fields.Add("Nr", aftInteger);
  fields.Add("Remedy", aftInteger);
  TDVXIndexDefs indexes;
  TDVXIndexDef* pk = indexes.Add("PK_Use");
  pk->AddColumn("Nr");
  pk->SetPrimary(true);
  db_->CreateTable(*session_, "Uses", fields, indexes, TDVXConstraintDefs());
  TDVXConstraintDefForeignKey fk;
  fk.SetObjectName("FK_Remedy");
  fk.Table() = {kTable, 0};
  fk.AddColumn("Remedy");
  fk.SetDeleteAction(raRestrict);
  cursor_.reset();
  TDVXLocalCursor(*session_, "Uses", true).AddForeignKey(fk);
  OpenCursor();
  TDVXLocalCursor uses(*session_, "Uses");
  uses.Open();
  uses.NewRecord();
  int32_t nr = 1, remedy = 1;
  SetFieldData(0, uses.Fields(), &nr, uses.Record());
  SetFieldData(1, uses.Fields(), &remedy, uses.Record());
  ASSERT_THAT(uses.InsertRecord(), Succeeded());
  const TImage before = Image();

  session_->StartTransaction();
  ASSERT_THAT(Insert(60, "Pulsatilla"), Succeeded());
  // The primary index's root: the delete below changes it.
  TDVXPageManager& pm = session_->PageManager();
  const int32_t sessionID = session_->SessionID();
  TDVXPage* held = pm.GetPage(sessionID, cursor_->Table().IndexByName("PK")->IndexDef().RootPageNo());
  cursor_->SetCurrentIndex("PK");
  cursor_->First();
  ASSERT_EQ(cursor_->GetRecord(grmNext), grrDone);
  ASSERT_EQ(GetInt(kId), 1);
  EXPECT_FALSE(cursor_->DeleteRecord().ok());
  // The half-done delete is not committed by a later operation.
  EXPECT_THAT(Insert(61, "Sepia"), ResultIs(::testing::_, HasSubstr("could not be undone"), kErrTransactionBroken));
  pm.PutPage(held);
  auto error = testing::DvxErrorOf([&] { session_->Commit(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->NativeError(), kErrTransactionBroken);
  EXPECT_THAT(error->what(), HasSubstr("Cannot remove used page"));
  EXPECT_FALSE(session_->InTransaction());
  EXPECT_EQ(Image(), before);
  ReopenFresh();
  EXPECT_EQ(Image(), before);
  EXPECT_THAT(Insert(62, "Silicea"), Succeeded());
  ExpectIndexesValid();
}

// A transaction's commit meets a failed write or flush at each of its
// steps: the records it holds are in memory and in the file, or in
// neither, and the transaction is over either way.
TEST_F(UnitOfWorkFaultsTest, AFaultAtEachStepOfATransactionsCommitLeavesMemoryAndFileAlike) {
  const std::vector<std::pair<const char*, std::function<void(int)>>> faults{
      {"write", [&](int n) { fs_.FailNthWrite(n); }}, {"flush", [&](int n) { fs_.FailNthFlush(n); }}};
  for (const auto& [what, fault] : faults) {
    int failures = 0;
    for (int n = 1; n < 100; ++n) {
      Recreate();
      const TImage before = Image();
      session_->StartTransaction();
      ASSERT_THAT(Insert(60, "Pulsatilla"), Succeeded());
      ASSERT_THAT(Insert(70, "Sepia"), Succeeded());
      fault(n);
      const std::string error = Failure([&] { session_->Commit(true); });
      fault(0);
      EXPECT_FALSE(session_->InTransaction());
      const TImage shown = Image();
      EXPECT_TRUE(shown.Visible() == before.Visible() || shown.rows.size() == before.rows.size() + 2)
          << what << " " << n << " (" << error << "): " << shown;
      EXPECT_THAT(shown.problems, ::testing::IsEmpty()) << what << " " << n;
      ReopenFresh();
      EXPECT_EQ(Image(), shown) << what << " " << n << " (" << error << ") after a reopen";
      EXPECT_THAT(Insert(99, "Zincum"), Succeeded()) << what << " " << n;
      if (HasFailure() || error.empty()) break;
      ++failures;
    }
    EXPECT_GT(failures, 1) << what;
  }
}

// Outside a transaction an operation fails while a page of the session's
// change set is still held, so its pages cannot be cancelled. They are not
// committed by the next operation: it cancels them first, and refuses to
// run while that still fails.
TEST_F(UnitOfWorkFaultsTest, PagesAFailedOperationCouldNotCancelAreDroppedBeforeTheNext) {
  const TImage before = Image();
  TDVXPageManager& pm = session_->PageManager();
  const int32_t sessionID = session_->SessionID();
  TDVXPage* stray = pm.AddPage(sessionID);
  stray->WritableData()[0] = 1;
  EXPECT_THAT(Insert(10, "Arnica"), ResultIs(::testing::_, HasSubstr("Duplicate found")));
  EXPECT_THAT(Insert(60, "Pulsatilla"),
              ResultIs(::testing::_, HasSubstr("could not be undone"), kErrLeftoverChanges));
  EXPECT_EQ(Image(), before);
  pm.PutPage(stray);
  ASSERT_THAT(Insert(60, "Pulsatilla"), Succeeded());
  EXPECT_FALSE(pm.HasChanges(sessionID));
  // The stray page never reached the file: no page is marked used without
  // an owner.
  ReopenFresh();
  EXPECT_THAT(Image().problems, ::testing::IsEmpty());
  EXPECT_EQ(Image().rows.size(), before.rows.size() + 1);
}

}  // namespace
}  // namespace dvx::test

namespace dvx::test {
namespace {

// A temporary table keeps its records outside pages and its index pages,
// beyond the first one, in a file of its own. A write of that file failing
// in the commit of an insert's index pages takes the record back too, so
// the table and its indexes still agree.
class TemporaryUnitOfWorkTest : public TTableFixture {
 protected:
  void TearDown() override {
    cursor_.reset();
    session_.reset();
  }
  TDVXTemporaryDatabaseData temporary_{[this] {
    TDVXTemporaryTableSettings settings;
    settings.memoryPages = 1;
    settings.records.fileSystem = &fs_;
    return settings;
  }()};
};

TEST_F(TemporaryUnitOfWorkTest, AFailedCommitOfTheIndexPagesTakesTheInsertedRecordBack) {
  UseDatabase(temporary_);
  CreateRemedies();
  OpenCursor();
  for (int i = 1; i <= 60; ++i) ASSERT_THAT(Insert(i, "T" + std::to_string(i)), Succeeded());
  int failures = 0;
  for (int n = 1; n <= 3; ++n) {
    for (int i = 0; i < 20; ++i) {
      const int64_t count = cursor_->GetRecordCount();
      fs_.FailNthWrite(n);
      const TDVXCursorResult result = Insert(1000 + 20 * n + i, "F" + std::to_string(i));
      fs_.FailNthWrite(0);
      if (!result.ok()) ++failures;
      EXPECT_EQ(cursor_->GetRecordCount(), count + (result.ok() ? 1 : 0)) << n << " " << result.message;
      ExpectIndexesValid();
      if (HasFailure()) return;
    }
  }
  EXPECT_GT(failures, 0);
}

}  // namespace
}  // namespace dvx::test
