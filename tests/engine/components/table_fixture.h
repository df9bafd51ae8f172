#pragma once
// Shared by the table component tests: an empty database file in a
// temporary directory with a database component on it, and table
// components made through CreateTable from host definitions:
//
//   Wort    Wort_ID AUTOINC (primary "PK_Wort"), Name STRING(40),
//           "Idx_CI" on Name ignoring case, "Idx_CS" on Name
//   Baum    Baum_ID INTEGER, Parent INTEGER, Pos INTEGER, Text STRING(30),
//           primary "Primary_Key" on Baum_ID;Parent;Pos
//   Detail  Det_ID AUTOINC (primary "PK_Detail"), Baum_ID INTEGER,
//           Info STRING(20), "Idx_Baum" on Baum_ID;Det_ID
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/components/data_source.h"
#include "engine/components/database.h"
#include "engine/components/database_error.h"
#include "engine/components/table.h"
#include "engine/components/table_errors.h"
#include "engine/core/platform/temp_files.h"
#include "engine/tables/local_session.h"
#include "tests/support/dvx_matchers.h"

namespace dvx::test {

using testing::ThrowsDvx;

inline auto ThrowsTableError(::testing::Matcher<const std::string&> message) {
  return ::testing::Throws<EDatabaseError>(::testing::Property("Message", &EDatabaseError::Message, message));
}
inline auto ThrowsEngineText(::testing::Matcher<const std::string&> message) {
  return ::testing::Throws<EDVXException>(::testing::Property("Message", &EDVXException::Message, message));
}

class TTableFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = TempDirectory() + "dvx_table_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern + "/";
    file_ = dir_ + "table.dvx";
    {
      TDVXDatabaseParams params;
      params.fileName = file_;
      TDVXLocalSession session(params);
      session.CreateDatabase();
    }
    static std::atomic<int> counter{0};
    databaseName_ = "dbTable" + std::to_string(++counter);
    MakeDatabase();
  }
  void TearDown() override {
    tables_.clear();
    sources_.clear();
    database_.reset();
    std::filesystem::remove_all(dir_);
  }
  void MakeDatabase(bool readOnly = false) {
    tables_.clear();
    database_ = std::make_unique<TDVXDatabase>();
    database_->SetDatabaseName(databaseName_);
    database_->SetDatabaseFileName(file_);
    database_->SetReadOnly(readOnly);
  }

  // A closed table component of the fixture's database.
  TDVXTable& MakeTable(const std::string& name) {
    tables_.push_back(std::make_unique<TDVXTable>(&form_));
    tables_.back()->SetDatabaseName(databaseName_);
    tables_.back()->SetTableName(name);
    return *tables_.back();
  }
  TDataSource& MakeSource(TDataSet& dataSet) {
    sources_.push_back(std::make_unique<TDataSource>(&form_));
    sources_.back()->SetDataSet(&dataSet);
    return *sources_.back();
  }

  static void DefineWort(TDVXTable& t) {
    t.FieldDefs().Add("Wort_ID", ftAutoInc);
    t.FieldDefs().Add("Name", ftString, 40);
    t.IndexDefs().Add("PK_Wort", "Wort_ID", {.primary = true, .unique = true});
    t.IndexDefs().Add("Idx_CI", "Name").SetCaseInsFields("Name");
    t.IndexDefs().Add("Idx_CS", "Name");
  }
  static void DefineBaum(TDVXTable& t) {
    t.FieldDefs().Add("Baum_ID", ftInteger, 0, true);
    t.FieldDefs().Add("Parent", ftInteger, 0, true);
    t.FieldDefs().Add("Pos", ftInteger, 0, true);
    t.FieldDefs().Add("Text", ftString, 30);
    t.IndexDefs().Add("Primary_Key", "Baum_ID;Parent;Pos", {.primary = true, .unique = true});
  }
  static void DefineDetail(TDVXTable& t) {
    t.FieldDefs().Add("Det_ID", ftAutoInc);
    t.FieldDefs().Add("Baum_ID", ftInteger);
    t.FieldDefs().Add("Info", ftString, 20);
    t.IndexDefs().Add("PK_Detail", "Det_ID", {.primary = true, .unique = true});
    t.IndexDefs().Add("Idx_Baum", "Baum_ID;Det_ID");
  }
  // Creates the table and opens it in the order of `index`.
  TDVXTable& CreateAndOpen(const std::string& name, void (*define)(TDVXTable&), const std::string& index) {
    TDVXTable& t = MakeTable(name);
    define(t);
    t.CreateTable();
    t.SetIndexName(index);
    t.Open();
    return t;
  }
  static void AddWort(TDVXTable& t, const std::string& name) {
    t.Append();
    t.FieldByName("Name").SetAsString(name);
    t.Post();
  }
  static void AddBaum(TDVXTable& t, int id, int parent, int pos, const std::string& text) {
    t.Append();
    t.FieldByName("Baum_ID").SetAsInteger(id);
    t.FieldByName("Parent").SetAsInteger(parent);
    t.FieldByName("Pos").SetAsInteger(pos);
    t.FieldByName("Text").SetAsString(text);
    t.Post();
  }
  static std::vector<std::string> Column(TDataSet& t, const std::string& field) {
    std::vector<std::string> values;
    for (t.First(); !t.Eof(); t.Next()) values.push_back(t.FieldByName(field).AsString());
    return values;
  }

  TComponent form_;
  std::string dir_;
  std::string file_;
  std::string databaseName_;
  std::unique_ptr<TDVXDatabase> database_;
  std::vector<std::unique_ptr<TDataSource>> sources_;
  std::vector<std::unique_ptr<TDVXTable>> tables_;
};

}  // namespace dvx::test
