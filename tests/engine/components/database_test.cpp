// The database component: defaults, connecting and disconnecting with
// their events, the file's settings taken back, the name rules, shared
// handles, its datasets and its engine services.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/components/component_errors.h"
#include "engine/storage/storage_errors.h"
#include "tests/engine/components/components_fixture.h"

namespace dvx::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class DatabaseTest : public TComponentsFixture {
 protected:
  TComponent form_;
};

TEST_F(DatabaseTest, PublishedDefaults) {
  TDVXDatabase database;
  EXPECT_THAT(database.DatabaseName(), ::testing::MatchesRegex("DovrentixDB_[0-9]+"));
  EXPECT_EQ(database.DatabaseFileName(), "");
  EXPECT_EQ(database.SessionName(), "Default");
  EXPECT_EQ(database.Session(), &TDVXSessionList::Instance().DefaultSession());
  EXPECT_TRUE(database.Exclusive());
  EXPECT_FALSE(database.ReadOnly());
  EXPECT_FALSE(database.HandleShared());
  EXPECT_TRUE(database.KeepConnection());
  EXPECT_TRUE(database.LocalDatabase());
  EXPECT_FALSE(database.Connected());
  EXPECT_EQ(database.Handle(), nullptr);
  EXPECT_DOUBLE_EQ(database.FormatVersion(), 4.2);
  database.SetFormatVersion(1.0);
  EXPECT_DOUBLE_EQ(database.FormatVersion(), 4.2);
}

TEST_F(DatabaseTest, AnEmptyDatabaseNameIsRefusedAtConnect) {
  TDVXDatabase database;
  database.SetDatabaseName("");
  EXPECT_THAT([&] { database.Open(); }, ThrowsDatabaseError("Database name missing"));
}

TEST_F(DatabaseTest, AnUnknownSessionIsRefusedAtConnect) {
  TDVXDatabase database;
  database.SetSessionName("Ghost");
  EXPECT_EQ(database.Session(), nullptr);
  EXPECT_THAT([&] { database.Open(); }, ThrowsDatabaseError("Invalid session name 'Ghost'"));
}

TEST_F(DatabaseTest, AMissingFileGivesTheEnginesOwnError) {
  auto database = MakeDatabase("dbMissing", Path("missing.dvx"));
  EXPECT_THAT([&] { database->Open(); },
              ThrowsDvx(kErrFileMissing, "Error - database file '" + Path("missing.dvx") + "' does not exists"));
  EXPECT_FALSE(database->Connected());
}

TEST_F(DatabaseTest, ANonLocalDatabaseHasNoHandle) {
  const std::string file = CreateFile("remote.dvx");
  auto database = MakeDatabase("dbRemote", file);
  database->SetLocalDatabase(false);
  EXPECT_THAT([&] { database->Open(); }, ThrowsDvx(kErrDatabaseOpen, "Database open error"));
  EXPECT_FALSE(database->Connected());
}

TEST_F(DatabaseTest, EventsComeInOrderAroundConnectAndDisconnect) {
  const std::string file = CreateFile("events.dvx");
  auto database = MakeDatabase("dbEvents", file);
  std::vector<std::string> log;
  database->BeforeConnect = [&](TDVXDatabase& d) { log.push_back(d.Connected() ? "BC+" : "BC-"); };
  database->AfterConnect = [&](TDVXDatabase& d) { log.push_back(d.Connected() ? "AC+" : "AC-"); };
  database->BeforeDisconnect = [&](TDVXDatabase& d) { log.push_back(d.Connected() ? "BD+" : "BD-"); };
  database->AfterDisconnect = [&](TDVXDatabase& d) { log.push_back(d.Connected() ? "AD+" : "AD-"); };
  database->SetConnected(true);
  database->SetConnected(true);
  database->SetConnected(false);
  database->SetConnected(false);
  EXPECT_THAT(log, ElementsAre("BC-", "AC+", "BD+", "AD-"));
}

TEST_F(DatabaseTest, AFailedConnectRaisesOnlyBeforeConnect) {
  auto database = MakeDatabase("dbNoFile", Path("none.dvx"));
  std::vector<std::string> log;
  database->BeforeConnect = [&](TDVXDatabase&) { log.push_back("BC"); };
  database->AfterConnect = [&](TDVXDatabase&) { log.push_back("AC"); };
  EXPECT_THROW(database->Open(), EDVXException);
  EXPECT_THAT(log, ElementsAre("BC"));
}

TEST_F(DatabaseTest, TheFilesStoredSettingsReplaceTheComponents) {
  const std::string file = CreateFile("big.dvx", 8192, 16, 3);
  auto database = MakeDatabase("dbBig", file);
  database->Options().SetPageSize(4096);
  database->Options().SetExtentPageCount(8);
  database->Options().SetMaxSessionCount(1);
  database->Open();
  EXPECT_EQ(database->Options().PageSize(), 8192);
  EXPECT_EQ(database->Options().ExtentPageCount(), 16);
  EXPECT_EQ(database->Options().MaxSessionCount(), 3);
  EXPECT_EQ(database->CryptoParams().CryptoAlgorithm(), craNone);
  EXPECT_DOUBLE_EQ(database->FormatVersion(), 4.2);
}

TEST_F(DatabaseTest, AFileThatCannotBeWrittenOpensReadOnly) {
  const std::string file = CreateFile("locked.dvx");
  ASSERT_TRUE(TDVXFileSystem::Default().SetReadOnly(file, true));
  auto database = MakeDatabase("dbReadOnly", file);
  database->Open();
  EXPECT_TRUE(database->ReadOnly());
  database->Close();
  TDVXFileSystem::Default().SetReadOnly(file, false);
}

TEST_F(DatabaseTest, ComponentsThatDoNotShareGetHandlesOfTheirOwn) {
  const std::string file = CreateFile("own.dvx");
  TDVXSession session(&form_);
  session.SetSessionName("Own");
  auto first = MakeDatabase("dbOwn", file);
  first->SetHandleShared(true);
  first->Open();
  TDVXDatabase second;
  second.SetSessionName("Own");  // same name, other session
  second.SetDatabaseName("dbOwn");
  second.SetDatabaseFileName(file);
  second.SetExclusive(false);
  second.SetHandleShared(true);
  second.Open();
  EXPECT_FALSE(second.HandleBorrowed()) << "handles are borrowed within a session only";
  EXPECT_NE(second.Handle(), first->Handle());
  EXPECT_EQ(Users(file), 2);
}

TEST_F(DatabaseTest, HandleParamsCarryTheComponentsSettings) {
  auto database = MakeDatabase("dbParams", Path("p.dvx"));
  database->SetReadOnly(true);
  database->LockParams().SetRetryCount(3);
  database->LockParams().SetDelay(7);
  database->Options().SetPageSize(2048);
  database->CryptoParams().SetCryptoAlgorithm(craRijndael_128);
  TDVXDatabaseParams params = database->HandleParams();
  EXPECT_EQ(params.fileName, Path("p.dvx"));
  EXPECT_TRUE(params.readOnly);
  EXPECT_FALSE(params.exclusive);
  EXPECT_EQ(params.lockParams.retryCount, 3);
  EXPECT_EQ(params.lockParams.delay, 7);
  EXPECT_EQ(params.pageSize, 2048);
  EXPECT_EQ(params.crypto.algorithm, craRijndael_128);
  database->SetDatabaseFileName("");
  EXPECT_EQ(database->HandleParams().fileName, "dbParams") << "without a file the name names the database";
}

TEST_F(DatabaseTest, ConnectingHoldsOneEngineSessionOnTheFile) {
  const std::string file = CreateFile("users.dvx");
  auto database = MakeDatabase("dbUsers", file);
  database->Open();
  ASSERT_NE(database->Handle(), nullptr);
  EXPECT_TRUE(database->Handle()->Connected());
  EXPECT_EQ(Users(file), 1);
  database->Close();
  EXPECT_EQ(Users(file), 0);
}

TEST_F(DatabaseTest, NameFileAndSessionRulesWhileConnected) {
  const std::string file = CreateFile("rules.dvx");
  auto database = MakeDatabase("dbRules", file);
  database->Open();
  EXPECT_THAT([&] { database->SetDatabaseName("other"); },
              ThrowsDatabaseError("Cannot perform this operation on an open database"));
  EXPECT_THAT([&] { database->SetSessionName("Default"); },
              ThrowsDatabaseError("Cannot perform this operation on an open database"));
  EXPECT_EQ(database->DatabaseName(), "dbRules");
  database->SetDatabaseFileName(file);
  EXPECT_FALSE(database->Connected()) << "a new file name disconnects first";
}

TEST_F(DatabaseTest, TheSecondComponentOfANameInASessionIsRefusedUnlessBothShare) {
  auto first = MakeDatabase("dbSame", Path("a.dvx"));
  TDVXDatabase second;
  EXPECT_THAT([&] { second.SetDatabaseName("DBSAME"); },
              ThrowsDatabaseError("Cannot perform this operation on an open database"));
  second.SetHandleShared(true);
  EXPECT_THROW(second.SetDatabaseName("dbSame"), EDatabaseError) << "only one of the two shares";
  first->SetHandleShared(true);
  second.SetDatabaseName("dbSame");
  EXPECT_EQ(second.DatabaseName(), "dbSame");
}

TEST_F(DatabaseTest, MovingToASessionChecksTheNameThere) {
  TDVXSession session(&form_);
  session.SetSessionName("Moves");
  TDVXDatabase inSession(&form_);
  inSession.SetSessionName("Moves");
  inSession.SetDatabaseName("dbMove");
  auto outside = MakeDatabase("dbMove", Path("m.dvx"));
  EXPECT_THROW(outside->SetSessionName("Moves"), EDatabaseError);
  EXPECT_EQ(outside->SessionName(), "Default");
  EXPECT_EQ(outside->Session(), &TDVXSessionList::Instance().DefaultSession());
}

TEST_F(DatabaseTest, ASharingComponentBorrowsTheHandleAndOutlivesItsLender) {
  const std::string file = CreateFile("shared.dvx");
  CreateTable(file, "Items");
  auto lender = MakeDatabase("dbShared", file);
  lender->SetHandleShared(true);
  TDVXDatabase borrower;
  borrower.SetHandleShared(true);
  borrower.SetDatabaseName("dbShared");
  lender->Open();
  borrower.Open();
  EXPECT_TRUE(borrower.HandleBorrowed());
  EXPECT_EQ(borrower.Handle(), lender->Handle());
  EXPECT_EQ(Users(file), 1) << "one engine session for both";
  lender->Close();
  ASSERT_TRUE(borrower.Connected());
  EXPECT_TRUE(borrower.Handle()->Connected()) << "the borrower's handle stays open";
  EXPECT_TRUE(borrower.TableExists("Items"));
  borrower.Close();
  EXPECT_EQ(Users(file), 0);
}

TEST_F(DatabaseTest, DisconnectingClosesDatasetsLastRegisteredFirst) {
  const std::string file = CreateFile("clients.dvx");
  auto database = MakeDatabase("dbClients", file);
  database->Open();
  std::vector<std::string> log;
  TStubDataset a(&form_, "tblA", log), b(&form_, "tblB", log), c(&form_, "tblC", log);
  a.Attach(*database);
  b.Attach(*database);
  c.Attach(*database);
  EXPECT_EQ(database->ClientCount(), 3u);
  database->Close();
  EXPECT_THAT(log, ElementsAre("tblC", "tblB", "tblA"));
  EXPECT_EQ(database->ClientCount(), 0u);
}

TEST_F(DatabaseTest, DestructionDisconnectsAndLeavesTheSession) {
  const std::string file = CreateFile("gone.dvx");
  TDVXSession& standard = TDVXSessionList::Instance().DefaultSession();
  auto database = MakeDatabase("dbGone", file);
  database->Open();
  TDVXDatabase* raw = database.get();
  database.reset();
  EXPECT_EQ(Users(file), 0);
  const auto list = standard.Databases();
  EXPECT_EQ(std::find(list.begin(), list.end(), raw), list.end());
}

TEST_F(DatabaseTest, ServicesNeedAConnection) {
  TDVXDatabase database;
  EXPECT_THAT([&] { database.StartTransaction(); }, ThrowsDatabaseError("Database is not opened"));
  EXPECT_THAT([&] { database.InTransaction(); }, ThrowsDatabaseError("Database is not opened"));
  EXPECT_THAT([&] { database.Commit(); }, ThrowsDatabaseError("Database is not opened"));
  EXPECT_THAT([&] { database.Rollback(); }, ThrowsDatabaseError("Database is not opened"));
}

TEST_F(DatabaseTest, TheErrorNamesTheComponent) {
  TDVXDatabase database;
  database.SetName("dbNamed");
  try {
    database.Commit();
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "dbNamed: Database is not opened");
    EXPECT_EQ(e.ComponentName(), "dbNamed");
  }
}

TEST_F(DatabaseTest, TransactionsReachTheHandle) {
  const std::string file = CreateFile("tx.dvx");
  auto database = MakeDatabase("dbTx", file);
  database->Open();
  EXPECT_FALSE(database->InTransaction());
  database->StartTransaction();
  EXPECT_TRUE(database->InTransaction());
  database->Commit(false);
  EXPECT_FALSE(database->InTransaction());
  database->StartTransaction();
  database->Rollback();
  EXPECT_FALSE(database->InTransaction());
}

TEST_F(DatabaseTest, DatabaseExistsWorksWithoutAConnection) {
  auto database = MakeDatabase("dbExists", Path("later.dvx"));
  EXPECT_FALSE(database->DatabaseExists());
  CreateFile("later.dvx");
  EXPECT_TRUE(database->DatabaseExists());
  EXPECT_FALSE(database->Connected());
  database->Open();
  EXPECT_TRUE(database->DatabaseExists());
}

TEST_F(DatabaseTest, TableExistsConnectsForTheQuestionAndRestoresTheState) {
  const std::string file = CreateFile("tables.dvx");
  CreateTable(file, "Baum");
  auto database = MakeDatabase("dbTables", file);
  EXPECT_TRUE(database->TableExists("Baum"));
  EXPECT_FALSE(database->TableExists("Ast"));
  EXPECT_FALSE(database->Connected());
  database->Open();
  EXPECT_TRUE(database->TableExists("baum"));
  EXPECT_TRUE(database->Connected());
}

TEST_F(DatabaseTest, LoadingConnectsOnlyAfterLoaded) {
  const std::string file = CreateFile("loaded.dvx");
  auto* database = new TDVXDatabase(&form_);
  form_.BeginLoading();
  database->SetDatabaseName("dbLoaded");
  database->SetDatabaseFileName(file);
  database->SetExclusive(false);
  database->SetConnected(true);
  EXPECT_FALSE(database->Connected());
  form_.EndLoading();
  EXPECT_TRUE(database->Connected());
}

TEST_F(DatabaseTest, LoadingBindsToTheNamedSession) {
  TDVXSession session(&form_);
  session.SetSessionName("Design");
  auto* database = new TDVXDatabase(&form_);
  form_.BeginLoading();
  database->SetSessionName("Design");
  EXPECT_NE(database->Session(), &session);
  form_.EndLoading();
  EXPECT_EQ(database->Session(), &session);
}

TEST_F(DatabaseTest, ConnectingStartsTheSessionAndJoinsIt) {
  const std::string file = CreateFile("join.dvx");
  TDVXSession session(&form_);
  session.SetSessionName("Joined");
  auto database = MakeDatabase("dbJoin", file);
  database->SetSessionName("Joined");
  database->Open();
  EXPECT_TRUE(session.Active());
  EXPECT_EQ(database->Session(), &session);
  session.SetActive(false);
  EXPECT_FALSE(database->Connected()) << "stopping a session disconnects its databases";
}

TEST_F(DatabaseTest, TheInMemoryDatabaseNeedsNoFile) {
  TDVXDatabase database;
  database.SetDatabaseName("MEMORY");
  database.Open();
  EXPECT_TRUE(database.Connected());
  EXPECT_DOUBLE_EQ(database.FormatVersion(), 4.2);
  EXPECT_THAT([&] { database.StartTransaction(); }, ThrowsDvx(10831));
}

}  // namespace
}  // namespace dvx::test
