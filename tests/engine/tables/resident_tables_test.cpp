// Tables of the in-memory and temporary databases: slots, saved images,
// temporary files, refusals; sessions connected by file name through the
// registry.
#include <algorithm>

#include "engine/core/stream.h"
#include "engine/storage/owner_ids.h"
#include "engine/storage/storage_errors.h"
#include "engine/tables/foreign_key_errors.h"
#include "engine/tables/database_registry.h"
#include "engine/tables/memory_database_data.h"
#include "engine/tables/resident_table_errors.h"
#include "engine/tables/session_errors.h"
#include "engine/tables/table_data_errors.h"
#include "engine/tables/temporary_database_data.h"
#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

class ResidentTableTest : public TTableFixture {
 protected:
  void TearDown() override {
    cursor_.reset();
    session_.reset();
  }
  void FillMemory(int count) {
    UseDatabase(memory_);
    CreateRemedies();
    OpenCursor();
    for (int i = 1; i <= count; ++i) ASSERT_THAT(Insert(i * 10, "R" + std::to_string(i)), Succeeded());
  }
  std::vector<int32_t> CodesByIndex(const char* index) {
    cursor_->SetCurrentIndex(index);
    std::vector<int32_t> codes;
    for (const TDVXRecordID& id : Walk()) {
      Seek(id);
      codes.push_back(*GetInt(kCode));
    }
    return codes;
  }
  std::vector<int32_t> Slots() {
    cursor_->SetCurrentIndex("");
    std::vector<int32_t> slots;
    for (const TDVXRecordID& id : Walk()) slots.push_back(id.pageNo);
    return slots;
  }
  TDVXMemoryTableData& MemoryTable() { return memory_.MemoryTable(kTable); }
  // Three records and an in-memory table "Kids" of the same shape whose
  // Code references them (restrict); leaves the cursor closed.
  void FillWithKids() {
    FillMemory(3);
    CreateRemedies("Kids");
    cursor_->Close();
    TDVXConstraintDefForeignKey fk;
    fk.SetObjectName("FK_Kids");
    fk.Table() = {kTable, 0};
    fk.AddColumn("Code");
    TDVXLocalCursor(*session_, "Kids", true).AddForeignKey(fk);
  }

  TDVXMemoryDatabaseData memory_;
};

TEST_F(ResidentTableTest, MemoryTableReusesNoSlotUntilItIsEmpty) {
  FillMemory(3);
  EXPECT_EQ(Slots(), (std::vector<int32_t>{0, 1, 2}));
  Seek({1, 0});
  ASSERT_THAT(cursor_->DeleteRecord(), Succeeded());
  ASSERT_THAT(Insert(40, "D"), Succeeded());
  EXPECT_EQ(cursor_->RecordID().pageNo, 3);
  cursor_->Table().DeleteAll(*cursor_);
  EXPECT_EQ(cursor_->GetRecordCount(), 0);
  ASSERT_THAT(Insert(50, "E"), Succeeded());
  EXPECT_EQ(cursor_->RecordID().pageNo, 0);
}

TEST_F(ResidentTableTest, MemoryTableLivesWithoutCursorsUntilDropOnClose) {
  FillMemory(2);
  cursor_->Close();
  EXPECT_TRUE(memory_.TableExists(kTable));
  OpenCursor();
  EXPECT_EQ(cursor_->GetRecordCount(), 2);
  cursor_->SetDropOnClose(true);
  TDVXLocalCursor other(*session_, kTable);
  other.Open();
  cursor_->Close();
  EXPECT_TRUE(memory_.TableExists(kTable)) << "another cursor still has it";
  other.SetDropOnClose(true);
  other.Close();
  EXPECT_FALSE(memory_.TableExists(kTable));
}

// A forced primary key removal on an in-memory table commits the pages it
// frees in the table's own page manager, where they live.
TEST_F(ResidentTableTest, ForcedPrimaryKeyRemovalCommitsTheTablesOwnPages) {
  FillWithKids();
  const int32_t pagesBefore = MemoryTable().IndexPageManager().GetPageCount();
  TDVXLocalCursor(*session_, kTable, true).DeleteConstraint("PK", false, true);
  EXPECT_FALSE(MemoryTable().IndexPageManager().HasChanges(kSystemSessionID));
  EXPECT_LT(MemoryTable().IndexPageManager().GetPageCount(), pagesBefore);
  EXPECT_EQ(MemoryTable().IndexByName("PK"), nullptr);
  OpenCursor();
  EXPECT_EQ(CodesByIndex("UQ_Code"), (std::vector<int32_t>{10, 20, 30}));
  TDVXLocalCursor kids(*session_, "Kids");
  kids.Open();
  EXPECT_LT(kids.Table().ConstraintManager().ConstraintDefs().FindByName("FK_Kids"), 0);
}

// Records of an in-memory table lie outside the pages an operation takes
// back: a refused foreign key action must find the row untouched.
TEST_F(ResidentTableTest, RefusedActionsLeaveTheMemoryRowAndItsIndexes) {
  FillWithKids();
  OpenCursor();  // the field helpers read its layout, which Kids shares
  TDVXLocalCursor kids(*session_, "Kids");
  kids.Open();
  kids.NewRecord();
  SetInt(kids.Record(), kCode, 1);
  SetText(kids.Record(), kName, "Kid");
  ASSERT_THAT(kids.InsertRecord(), Succeeded());
  cursor_->SetCurrentIndex("PK");
  const TDVXRecordID first = Walk().front();
  Seek(first);
  EXPECT_THAT(cursor_->DeleteRecord(), ResultIs(kErrForeignKeyRestrictDelete, HasSubstr("Cannot delete record(s) in table 'Remedies'")));
  Seek(first);
  SetInt(kId, 7);
  EXPECT_THAT(cursor_->UpdateRecord(), ResultIs(kErrForeignKeyRestrictUpdate, HasSubstr("Cannot update record(s) in table 'Remedies'")));
  Seek(first);
  EXPECT_EQ(GetInt(kId), 1);
  EXPECT_EQ(cursor_->GetRecordCount(), 3);
  ExpectIndexesValid();
  EXPECT_EQ(CodesByIndex("PK"), (std::vector<int32_t>{10, 20, 30}));
  EXPECT_EQ(CodesByIndex("UQ_Code"), (std::vector<int32_t>{10, 20, 30}));
}

TEST_F(ResidentTableTest, MemoryTableIsRenamedWithItsRecords) {
  FillMemory(3);
  CreateRemedies("Taken");
  TDVXLocalCursor other(*session_, kTable);
  other.Open();
  EXPECT_THAT([&] { cursor_->RenameTable("Renamed"); },
              ThrowsDvx(kErrRenameTableOpen, "Cannot rename table 'Remedies'. Table is open by another dataset"));
  other.Close();
  EXPECT_THAT([&] { cursor_->RenameTable("taken"); }, ThrowsDvx(kErrRenameTargetExists));
  EXPECT_TRUE(memory_.TableExists(kTable));
  cursor_->RenameTable("Renamed");
  EXPECT_FALSE(memory_.TableExists(kTable));
  EXPECT_EQ(cursor_->TableName(), "Renamed");
  cursor_->Open();
  EXPECT_EQ(cursor_->GetRecordCount(), 3);
  EXPECT_EQ(CodesByIndex("UQ_Code"), (std::vector<int32_t>{10, 20, 30}));
}

TEST_F(ResidentTableTest, AutoincValuesOfMemoryTable) {
  FillMemory(2);
  TDVXMemoryTableData& table = MemoryTable();
  EXPECT_EQ(table.LastAutoincValue(kId, *session_), 2);
  EXPECT_THAT([&] { table.LastAutoincValue(3, *session_); }, ThrowsDvx(kErrLastAutoincField, "Field #3 not found"));
  table.SetAutoincValue(kId, *cursor_, 100);
  ASSERT_THAT(Insert(30, "C"), Succeeded());
  EXPECT_EQ(GetInt(kId), 101);
  EXPECT_THAT([&] { table.SetAutoincValue(3, *cursor_, 1); }, ThrowsDvx(kErrSetAutoincField, "Field #3 not found"));
  EXPECT_EQ(table.RecordIDToNumber({-2, 7}), -2);
  EXPECT_THAT([&] { table.NumberToRecordID(int64_t{1} << 31); }, ThrowsDvx());
  EXPECT_LT(table.CompareRecordIDs({-1, 0}, {0, 0}), 0);
}

TEST_F(ResidentTableTest, ImageLoadsBackSameRecordsSlotsAndIndexes) {
  for (uint8_t algorithm : {0, 1}) {
    SCOPED_TRACE(static_cast<int>(algorithm));
    FillMemory(3);
    Seek({1, 0});
    ASSERT_THAT(cursor_->DeleteRecord(), Succeeded());
    const std::vector<int32_t> byName = CodesByIndex("IX_Name");
    TDVXMemoryStream image;
    cursor_->SaveToStream(image, algorithm, 6);
    EXPECT_FALSE(cursor_->IsOpen());
    OpenCursor();
    ASSERT_THAT(Insert(99, "Extra"), Succeeded());
    const int64_t counter = memory_.ObjectIDCounter().CurrentValue();
    memory_.ObjectIDCounter().SetCurrentValue(1);
    image.SetPosition(0);
    cursor_->LoadFromStream(image);
    EXPECT_EQ(memory_.ObjectIDCounter().CurrentValue(), counter);
    OpenCursor();
    EXPECT_EQ(Slots(), (std::vector<int32_t>{0, 2}));
    EXPECT_EQ(CodesByIndex("UQ_Code"), (std::vector<int32_t>{10, 30}));
    EXPECT_EQ(CodesByIndex("IX_Name"), byName);
    ExpectIndexesValid();
    EXPECT_EQ(Insert(30, "Dup").code, kErrUniqueDuplicate) << "the unique index came back";
    ASSERT_THAT(Insert(20, "B"), Succeeded());
    EXPECT_EQ(cursor_->RecordID().pageNo, 3);
    TearDown();
    memory_.DeleteTable(*std::make_unique<TDVXLocalSession>(memory_), kTable);
  }
}

TEST_F(ResidentTableTest, ImageRefusedWhileAnotherCursorIsOpen) {
  FillMemory(1);
  TDVXLocalCursor other(*session_, kTable);
  other.Open();
  TDVXMemoryStream image;
  EXPECT_THAT([&] { cursor_->SaveToStream(image); },
              ThrowsDvx(kErrSaveTableOpen, "Cannot save table 'Remedies'. Table is open by another dataset"));
  EXPECT_EQ(image.Size(), 0u);
  other.Close();
  cursor_->SaveToStream(image);
  other.Open();
  image.SetPosition(0);
  EXPECT_THAT([&] { cursor_->LoadFromStream(image); },
              ThrowsDvx(kErrLoadTableOpen, "Cannot load table 'Remedies'. Table is open by another dataset"));
  EXPECT_EQ(other.GetRecordCount(), 1);
  TDVXLocalCursor missing(*session_, "Nowhere");
  EXPECT_THAT([&] { missing.SaveToStream(image); },
              ThrowsDvx(kErrImageTableNotFound, "Table not found, table name = Nowhere"));
}

TEST_F(ResidentTableTest, TruncatedImageKeepsTableInHeadAndDropsItInBody) {
  FillMemory(2);
  TDVXMemoryStream image;
  cursor_->SaveToStream(image);
  TDVXMemoryStream head(std::vector<uint8_t>(image.Bytes().begin(), image.Bytes().begin() + 30));
  EXPECT_THAT([&] { cursor_->LoadFromStream(head); }, ThrowsDvx());
  ASSERT_TRUE(memory_.TableExists(kTable));
  OpenCursor();
  EXPECT_EQ(cursor_->GetRecordCount(), 2) << "a bad head changes nothing";
  TDVXMemoryStream body(std::vector<uint8_t>(image.Bytes().begin(), image.Bytes().end() - 10));
  EXPECT_THAT([&] { cursor_->LoadFromStream(body); }, ThrowsDvx());
  EXPECT_FALSE(memory_.TableExists(kTable)) << "no half-loaded table stays";
}

TEST_F(ResidentTableTest, ImageOfDiskTableIsRefused) {
  CreateDatabase();
  CreateRemedies();
  OpenCursor();
  TDVXMemoryStream image;
  EXPECT_THAT([&] { cursor_->SaveToStream(image); },
              ThrowsDvx(kErrTemporaryOperation, "Error - operation is not supported"));
}

class TemporaryTableTest : public ResidentTableTest {
 protected:
  void FillTemporary(int count) {
    UseDatabase(temporary_);
    CreateRemedies();
    OpenCursor();
    for (int i = 1; i <= count; ++i) ASSERT_THAT(Insert(i, "T" + std::to_string(i % 7)), Succeeded());
  }
  TDVXTemporaryTableData& Table() { return static_cast<TDVXTemporaryTableData&>(cursor_->Table()); }

  TDVXTemporaryDatabaseData temporary_{[this] {
    TDVXTemporaryTableSettings settings;
    settings.memoryPages = 1;
    settings.records.memoryLimitRecords = 2;
    settings.records.bufferRecords = 3;
    settings.records.growthStep = 1;
    settings.records.fileSystem = &fs_;
    return settings;
  }()};
};

TEST_F(TemporaryTableTest, OutgrownTableKeepsEveryRecordAndItsFilesGoWithIt) {
  FillTemporary(300);
  std::vector<int32_t> expected(300);
  for (int i = 0; i < 300; ++i) expected[static_cast<size_t>(i)] = i + 1;
  EXPECT_EQ(CodesByIndex("UQ_Code"), expected);
  EXPECT_EQ(CodesByIndex(""), expected);
  ExpectIndexesValid();
  const std::string records = Table().TemporaryRecordManager().FileName();
  const std::string pages = Table().TemporaryPageManager().FileName();
  ASSERT_TRUE(Table().TemporaryRecordManager().HasFile());
  ASSERT_TRUE(Table().TemporaryPageManager().HasFile());
  EXPECT_TRUE(fs_.Exists(records));
  EXPECT_TRUE(fs_.Exists(pages));
  EXPECT_EQ(Table().RecordIDToNumber(Table().NumberToRecordID(5)), 5);
  EXPECT_LT(Table().CompareRecordIDs(Table().NumberToRecordID(5), Table().NumberToRecordID(6)), 0);
  cursor_->Close();
  temporary_.DeleteTable(*session_, kTable);
  EXPECT_FALSE(fs_.Exists(records));
  EXPECT_FALSE(fs_.Exists(pages));
}

TEST_F(TemporaryTableTest, ChangesOtherThanInsertsAreRefused) {
  FillTemporary(2);
  Seek(Table().NumberToRecordID(0));
  SetInt(kCode, 77);
  EXPECT_THAT(cursor_->UpdateRecord(), ResultIs(kErrTemporaryUpdate, "Cannot update record in temporary mode"));
  EXPECT_THAT(cursor_->Post(false), ResultIs(-2, HasSubstr("Error updating record: Cannot update record in temporary mode")));
  // The engine's refusal carries its native code; the cursor's own refusal
  // of a temporary table has no engine error behind it.
  EXPECT_THAT(cursor_->DeleteRecord(), ResultIs(kErrTemporaryDelete, ::testing::_, kErrTemporaryDelete));
  EXPECT_THAT(cursor_->BeginEdit(), ResultIs(-9, "Cannot update record in temporary mode"));
  EXPECT_THAT(cursor_->Delete(), ResultIs(-10, "Cannot delete record in temporary mode", 0));
  EXPECT_EQ(cursor_->CancelEdit().code, -11);
  EXPECT_THAT([&] { Table().DeleteAll(*cursor_); }, ThrowsDvx(kErrTemporaryDelete));
  EXPECT_THAT([&] { Table().UpdateAll(*cursor_, {"Code"}, {TDVXVariant()}); }, ThrowsDvx(kErrTemporaryUpdate));
  EXPECT_EQ(CodesByIndex("UQ_Code"), (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(Table().LastAutoincValue(kId, *session_), 0);
  EXPECT_THAT([&] { temporary_.RenameTable(*session_, kTable, "Other"); },
              ThrowsDvx(kErrTemporaryOperation, "Error - operation is not supported"));
  TDVXFieldDefs fields;
  fields.Add("Ref", aftInteger);
  TDVXConstraintDefs constraints;
  constraints.AddForeignKey()->SetObjectName("FK");
  EXPECT_THAT([&] { temporary_.CreateTable(*session_, "Child", fields, {}, constraints); },
              ThrowsDvx(kErrTemporaryForeignKey, "Foreign keys are not supported in temporary tables"));
  EXPECT_FALSE(temporary_.TableExists("Child"));
  EXPECT_EQ(temporary_.NewTableName().rfind("TEMPORARY_TABLE_", 0), 0u);
}

class SessionConnectionTest : public ResidentTableTest {
 protected:
  TDVXDatabaseParams FileParams(const std::string& name) {
    TDVXDatabaseParams params;
    params.fileName = name;
    params.fileSystem = &fs_;
    params.lockParams = {3, 1};
    params.pageSize = 1024;
    params.maxSessionCount = 4;
    return params;
  }
  TDVXDatabaseRegistry registry_;
};

TEST_F(SessionConnectionTest, TransactionsOnlyOnDiskDatabases) {
  for (const char* name : {"MEMORY", "temp"}) {
    TDVXDatabaseParams params;
    params.fileName = name;
    TDVXLocalSession session(params, registry_);
    session.Connect();
    EXPECT_THAT([&] { session.StartTransaction(); },
                ThrowsDvx(kErrTransactionNotDisk, "Cannot start transaction. Only disk databases are allowed for this"));
    EXPECT_FALSE(session.InTransaction());
    EXPECT_THAT([&] { session.CreateDatabase(); }, ThrowsDvx(kErrCreateDatabaseOpen));
  }
  TDVXDatabaseParams memory;
  memory.fileName = "memory";
  TDVXLocalSession a(memory, registry_), b(memory, registry_);
  a.Connect();
  b.Connect();
  EXPECT_EQ(&a.Database(), &registry_.MemoryDatabase());
  EXPECT_EQ(&b.Database(), &registry_.MemoryDatabase());
  EXPECT_EQ(a.Database().PseudoName(), "MEMORY");
}

TEST_F(SessionConnectionTest, SessionsOnOneFileShareOneDatabaseObject) {
  TDVXLocalSession a(FileParams("shared.dvx"), registry_);
  EXPECT_FALSE(a.DatabaseExists());
  a.CreateDatabase();
  EXPECT_TRUE(a.DatabaseExists());
  EXPECT_FALSE(a.Connected());
  EXPECT_THAT([&] { a.Database(); }, ThrowsDvx(kErrSessionNotConnected));
  a.Connect();
  TDVXLocalSession b(FileParams("SHARED.DVX"), registry_);
  b.Connect();
  EXPECT_EQ(&a.Database(), &b.Database());
  EXPECT_NE(a.SessionID(), b.SessionID());
  EXPECT_EQ(registry_.UserCount("Shared.dvx", fs_), 2);
  EXPECT_THAT([&] { b.CreateDatabase(); },
              ThrowsDvx(kErrCreateDatabaseOpen, "Cannot create database. Database is already open"));
  EXPECT_THAT([&] { a.Connect(); }, ThrowsDvx(kErrSessionConnected));
  a.Disconnect();
  EXPECT_FALSE(a.Connected());
  EXPECT_TRUE(registry_.IsOpen("shared.dvx", fs_));
  b.Disconnect();
  EXPECT_FALSE(registry_.IsOpen("shared.dvx", fs_)) << "the last session closes the file";
}

TEST_F(SessionConnectionTest, TransactionMessagesNameTheDatabase) {
  TDVXLocalSession session(FileParams("codes.dvx"), registry_);
  EXPECT_THAT([&] { session.StartTransaction(); }, ThrowsDvx(kErrStartTransactionNoDatabase, "Nil pointer occured"));
  EXPECT_THAT([&] { session.Commit(); }, ThrowsDvx(kErrCommitNoDatabase, "Nil pointer occured"));
  EXPECT_THAT([&] { session.Rollback(); }, ThrowsDvx(kErrRollbackNoDatabase, "Nil pointer occured"));
  session.CreateDatabase();
  session.Connect();
  EXPECT_THAT([&] { session.Commit(); },
              ThrowsDvx(kErrCommitNoTransaction, "Transaction is not started in database 'codes.dvx'"));
  EXPECT_THAT([&] { session.Rollback(); },
              ThrowsDvx(kErrRollbackNoTransaction, "Transaction is not started in database 'codes.dvx'"));
  session.StartTransaction();
  EXPECT_THAT([&] { session.StartTransaction(); },
              ThrowsDvx(kErrTransactionActive, "Transaction already started in database 'codes.dvx'"));
  EXPECT_TRUE(session.InTransaction());
  session.Rollback();
  EXPECT_FALSE(session.InTransaction());
}

TEST_F(SessionConnectionTest, DisconnectRollsBackUnfinishedTransaction) {
  session_ = std::make_unique<TDVXLocalSession>(FileParams("tx.dvx"), registry_);
  session_->CreateDatabase();
  session_->Connect();
  database_ = &session_->Database();
  CreateRemedies();
  OpenCursor();
  ASSERT_THAT(Insert(1, "Kept"), Succeeded());
  session_->StartTransaction();
  ASSERT_THAT(Insert(2, "Rolled back"), Succeeded());
  session_->Disconnect();
  EXPECT_FALSE(cursor_->IsOpen());
  EXPECT_FALSE(registry_.IsOpen("tx.dvx", fs_));
  session_->Connect();
  database_ = &session_->Database();
  OpenCursor();
  EXPECT_EQ(cursor_->GetRecordCount(), 1);
}

TEST_F(SessionConnectionTest, ServerOperationsAreNotSupported) {
  TDVXLocalSession session(memory_);
  EXPECT_THAT([&] { session.RemoteDatabaseNames(); },
              ThrowsDvx(kErrRemoteDatabaseNames, "Error - operation is not supported"));
  EXPECT_THAT([&] { session.SendServerMessage("x"); }, ThrowsDvx(kErrRemoteSendMessage));
  EXPECT_THAT([&] { session.ShutdownServer(); }, ThrowsDvx(kErrRemoteShutdown));
}

}  // namespace
}  // namespace dvx::test
