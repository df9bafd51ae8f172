// How a dataset obtains its database from its session: the component it
// finds or the temporary one it makes, the existence check, the reason it
// is told on failure, and the counting of users.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "engine/components/component_errors.h"
#include "engine/storage/storage_errors.h"
#include "tests/engine/components/components_fixture.h"

namespace dvx::test {
namespace {

using ::testing::HasSubstr;

class AcquireDatabaseTest : public TComponentsFixture {
 protected:
  void SetUp() override {
    TComponentsFixture::SetUp();
    session_ = new TDVXSession(&form_);
    session_->SetSessionName("Acquire");
  }
  std::unique_ptr<TDVXDatabase> MakeInSession(const std::string& name, const std::string& file,
                                              TComponent* owner = nullptr) {
    auto database = MakeDatabase(name, file, owner);
    database->SetSessionName("Acquire");
    return database;
  }

  TComponent form_;
  TDVXSession* session_ = nullptr;
};

TEST_F(AcquireDatabaseTest, AnExistingComponentIsConnectedAndCounted) {
  const std::string file = CreateFile("found.dvx");
  auto database = MakeInSession("dbFound", file);
  EXPECT_EQ(session_->AcquireDatabase("DBFOUND", &form_), database.get());
  EXPECT_TRUE(database->Connected());
  EXPECT_EQ(session_->AcquireDatabase("dbFound", &form_), database.get());
  EXPECT_EQ(database->ReferenceCount(), 2);
  session_->ReleaseDatabase(database.get());
  session_->ReleaseDatabase(database.get());
  EXPECT_EQ(database->ReferenceCount(), 0);
  EXPECT_TRUE(database->Connected()) << "KeepConnection holds it";
}

TEST_F(AcquireDatabaseTest, TheLastReleaseDisconnectsWithoutKeepConnection) {
  const std::string file = CreateFile("drop.dvx");
  auto database = MakeInSession("dbDrop", file);
  database->SetKeepConnection(false);
  session_->AcquireDatabase("dbDrop", nullptr);
  session_->AcquireDatabase("dbDrop", nullptr);
  session_->ReleaseDatabase(database.get());
  EXPECT_TRUE(database->Connected());
  session_->ReleaseDatabase(database.get());
  EXPECT_FALSE(database->Connected());
}

TEST_F(AcquireDatabaseTest, ASharingComponentOfTheSameOwnerIsPreferred) {
  TComponent otherForm;
  auto elsewhere = MakeInSession("dbPick", Path("pick.dvx"), &otherForm);
  elsewhere->SetHandleShared(true);
  elsewhere.release();  // otherForm owns it
  auto mine = MakeDatabase("dbPick", CreateFile("pick.dvx"), &form_);
  mine->SetHandleShared(true);
  mine->SetSessionName("Acquire");
  EXPECT_EQ(session_->AcquireDatabase("dbPick", &form_), mine.get());
  session_->ReleaseDatabase(mine.get());
}

TEST_F(AcquireDatabaseTest, AnUnknownNameGetsATemporaryComponentFreedOnRelease) {
  session_->SetKeepConnections(false);
  TDVXDatabase* database = session_->AcquireDatabase("memory", &form_);
  ASSERT_NE(database, nullptr);
  EXPECT_TRUE(database->Temporary());
  EXPECT_EQ(database->Owner(), session_);
  EXPECT_EQ(database->DatabaseFileName(), "") << "no file name, so no existence check";
  EXPECT_FALSE(database->KeepConnection());
  EXPECT_TRUE(database->Connected());
  EXPECT_EQ(session_->FindDatabase("MEMORY"), database);
  session_->ReleaseDatabase(database);
  EXPECT_EQ(session_->FindDatabase("MEMORY"), nullptr);
  EXPECT_TRUE(session_->Components().empty());
}

TEST_F(AcquireDatabaseTest, ATemporaryComponentKeepsTheSessionsKeepConnections) {
  TDVXDatabase* database = session_->AcquireDatabase("TEMP", nullptr);
  ASSERT_NE(database, nullptr);
  EXPECT_TRUE(database->KeepConnection());
  session_->ReleaseDatabase(database);
  EXPECT_EQ(session_->FindDatabase("TEMP"), database) << "kept while the session runs";
  session_->SetActive(false);
  EXPECT_EQ(session_->FindDatabase("TEMP"), nullptr) << "stopping frees temporary components";
}

TEST_F(AcquireDatabaseTest, AnUnknownNameWithoutADatabaseTellsWhy) {
  std::string error;
  EXPECT_EQ(session_->AcquireDatabase("dbNowhere", &form_, &error), nullptr);
  EXPECT_THAT(error, HasSubstr("Error - database file 'dbNowhere' does not exists"));
  EXPECT_EQ(session_->FindDatabase("dbNowhere"), nullptr) << "the temporary component is freed";
  EXPECT_TRUE(session_->Components().empty());
}

TEST_F(AcquireDatabaseTest, AMissingFileIsReportedToTheDatasetAsCannotOpen) {
  auto database = MakeInSession("dbGrundlg", Path("dbGrundlg.dvx"));
  // The component itself passes the engine's error on...
  EXPECT_THAT([&] { database->Open(); }, ThrowsDvx(kErrFileMissing));
  // ...while a dataset asking for it reports that it cannot open it.
  std::string error;
  EXPECT_EQ(session_->AcquireDatabase("dbGrundlg", &form_, &error), nullptr);
  EXPECT_EQ(error, "Error - database file '" + Path("dbGrundlg.dvx") + "' does not exists - Native error: 11351");
  EXPECT_EQ(session_->FindDatabase("dbGrundlg"), database.get()) << "a component of the program stays";
  EXPECT_THAT([&] { CannotOpenDatabaseError("dbGrundlg", "", nullptr); },
              ThrowsDatabaseError("Cannot open database 'dbGrundlg'"));
  EXPECT_THAT([&] { CannotOpenDatabaseError("dbGrundlg", error, nullptr); },
              ThrowsDatabaseError("Cannot open database 'dbGrundlg' - " + error));
}

TEST_F(AcquireDatabaseTest, AFailedOpenIsToldToo) {
  TDVXCryptoInfo crypto;
  crypto.algorithm = craRijndael_128;
  crypto.password = "right";
  const std::string file = CreateFile("locked.dvx", 4096, 8, 4, crypto);
  auto database = MakeInSession("dbLocked", file);
  database->CryptoParams().SetCryptoAlgorithm(craRijndael_128);
  database->CryptoParams().SetPassword("wrong");
  std::string error;
  EXPECT_EQ(session_->AcquireDatabase("dbLocked", &form_, &error), nullptr);
  EXPECT_THAT(error, HasSubstr("encryption key"));
  EXPECT_FALSE(database->Connected());
  EXPECT_EQ(database->ReferenceCount(), 0);
  database->CryptoParams().SetPassword("right");
  EXPECT_EQ(session_->AcquireDatabase("dbLocked", &form_, &error), database.get());
  EXPECT_EQ(database->CryptoParams().CryptoAlgorithm(), craRijndael_128);
  session_->ReleaseDatabase(database.get());
}

TEST_F(AcquireDatabaseTest, AnUnusedTemporaryComponentGivesWayToANamedOne) {
  TDVXDatabase* temporary = session_->AcquireDatabase("MEMORY", nullptr);
  ASSERT_NE(temporary, nullptr);
  session_->ReleaseDatabase(temporary);
  TDVXDatabase named(&form_);
  named.SetSessionName("Acquire");
  named.SetDatabaseName("Memory");
  EXPECT_EQ(session_->FindDatabase("MEMORY"), &named);
  EXPECT_TRUE(session_->Components().empty());
}

TEST_F(AcquireDatabaseTest, ATemporaryComponentInUseKeepsItsName) {
  TDVXDatabase* temporary = session_->AcquireDatabase("MEMORY", nullptr);
  ASSERT_NE(temporary, nullptr);
  TDVXDatabase named(&form_);
  named.SetSessionName("Acquire");
  EXPECT_THROW(named.SetDatabaseName("MEMORY"), EDatabaseError);
  session_->ReleaseDatabase(temporary);
}

TEST_F(AcquireDatabaseTest, DisconnectingClosesTheDatasetsOfATemporaryComponent) {
  std::vector<std::string> log;
  TStubDataset dataset(&form_, "tblMem", log);
  TDVXDatabase* database = session_->AcquireDatabase("MEMORY", &form_);
  ASSERT_NE(database, nullptr);
  dataset.Attach(*database);
  session_->SetActive(false);
  EXPECT_EQ(log, std::vector<std::string>{"tblMem"});
}

// A dataset closed by its database's disconnection releases the database
// through the session, as it does when it closes by itself; the release
// must neither disconnect again nor free the component that is closing.
TEST_F(AcquireDatabaseTest, AReleaseDuringDisconnectionDoesNotDisconnectAgain) {
  const std::string file = CreateFile("again.dvx");
  auto database = MakeInSession("dbAgain", file);
  database->SetKeepConnection(false);
  int disconnects = 0;
  database->BeforeDisconnect = [&](TDVXDatabase&) { ++disconnects; };
  std::vector<std::string> log;
  TStubDataset dataset(&form_, "tblAgain", log);
  ASSERT_TRUE(dataset.Acquire(*session_, "dbAgain"));
  database->Close();
  EXPECT_EQ(disconnects, 1);
  EXPECT_EQ(log, std::vector<std::string>{"tblAgain"});
  EXPECT_EQ(database->ReferenceCount(), 0);
}

TEST_F(AcquireDatabaseTest, StoppingTheSessionFreesATemporaryComponentItsDatasetReleases) {
  session_->SetKeepConnections(false);
  std::vector<std::string> log;
  TStubDataset first(&form_, "tblFirst", log), second(&form_, "tblSecond", log);
  ASSERT_TRUE(first.Acquire(*session_, "MEMORY"));
  ASSERT_TRUE(second.Acquire(*session_, "MEMORY"));
  EXPECT_EQ(session_->FindDatabase("MEMORY")->ReferenceCount(), 2);
  session_->SetActive(false);
  EXPECT_EQ(log, (std::vector<std::string>{"tblSecond", "tblFirst"}));
  EXPECT_TRUE(session_->Components().empty());
}

}  // namespace
}  // namespace dvx::test
