#pragma once
// Shared by the component tests: a temporary directory with database
// files made by the engine, a stand-in dataset that records when its
// database closes it, and the matcher for the dataset framework's error.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/components/component.h"
#include "engine/components/database.h"
#include "engine/components/database_client.h"
#include "engine/components/database_error.h"
#include "engine/components/session.h"
#include "engine/components/session_list.h"
#include "engine/core/platform/temp_files.h"
#include "engine/schema/constraint_defs.h"
#include "engine/schema/field_def.h"
#include "engine/schema/index_def.h"
#include "engine/tables/database_data.h"
#include "engine/tables/local_session.h"
#include "engine/values/field_types.h"
#include "tests/support/dvx_matchers.h"

namespace dvx::test {

using testing::ThrowsDvx;

// The call raises EDatabaseError whose message (without the component's
// name) matches.
inline auto ThrowsDatabaseError(::testing::Matcher<const std::string&> message) {
  return ::testing::Throws<EDatabaseError>(::testing::Property("Message", &EDatabaseError::Message, message));
}

// A dataset as far as its database sees it: closing unregisters it and
// appends its name to a shared log.
class TStubDataset : public TComponent, public TDVXDatabaseClient {
 public:
  TStubDataset(TComponent* owner, const std::string& name, std::vector<std::string>& log)
      : TComponent(owner), log_(log) {
    SetName(name);
  }
  void Attach(TDVXDatabase& database) {
    database_ = &database;
    database.RegisterClient(*this);
  }
  // Opens as a dataset does: through the session, which counts it.
  bool Acquire(TDVXSession& session, const std::string& databaseName) {
    TDVXDatabase* database = session.AcquireDatabase(databaseName, Owner());
    if (database == nullptr) return false;
    session_ = &session;
    Attach(*database);
    return true;
  }
  void CloseForDisconnect() override {
    log_.push_back(Name());
    TDVXDatabase* database = database_;
    database_ = nullptr;
    if (database == nullptr) return;
    database->UnregisterClient(*this);
    if (session_) session_->ReleaseDatabase(database);
    session_ = nullptr;
  }

 private:
  std::vector<std::string>& log_;
  TDVXDatabase* database_ = nullptr;
  TDVXSession* session_ = nullptr;
};

class TComponentsFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = TempDirectory() + "dvx_components_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern + "/";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Path(const std::string& name) const { return dir_ + name; }

  // A database file made by the engine directly, with the given settings.
  std::string CreateFile(const std::string& name, int pageSize = 4096, int extentPageCount = 8,
                         int32_t maxSessionCount = 4, const TDVXCryptoInfo& crypto = {}) {
    TDVXDatabaseParams params;
    params.crypto = crypto;
    params.fileName = Path(name);
    params.pageSize = pageSize;
    params.extentPageCount = extentPageCount;
    params.maxSessionCount = maxSessionCount;
    TDVXLocalSession(params).CreateDatabase();
    return params.fileName;
  }
  // A one-field table in the file.
  void CreateTable(const std::string& file, const std::string& table) {
    TDVXDatabaseParams params;
    params.fileName = file;
    TDVXLocalSession session(params);
    session.Connect();
    TDVXFieldDefs fields;
    fields.Add("Id", aftInteger);
    session.Database().CreateTable(session, table, fields, TDVXIndexDefs{}, TDVXConstraintDefs{});
    session.Disconnect();
  }
  // A database component on a file of the directory, not exclusive.
  std::unique_ptr<TDVXDatabase> MakeDatabase(const std::string& databaseName, const std::string& file,
                                             TComponent* owner = nullptr) {
    auto database = std::make_unique<TDVXDatabase>(owner);
    database->SetDatabaseName(databaseName);
    database->SetDatabaseFileName(file);
    database->SetExclusive(false);
    return database;
  }
  // How many engine sessions hold the file's database object.
  static int Users(const std::string& file) {
    return TDVXDatabaseRegistry::Instance().UserCount(file, TDVXFileSystem::Default());
  }

  std::string dir_;
};

}  // namespace dvx::test
