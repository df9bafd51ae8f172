#pragma once
// Shared by the engine dataset tests: a database file in a temporary
// directory with the tables below, a database component on it in the
// default session, a minimal dataset subclass opening a named table
// (optionally in the order of an index), and a data link that reads the
// window's rows as a grid would.
//
//   Items   Id AUTOINC (primary "PK"), Code INTEGER (unique "UQ_Code"),
//           Name VARCHAR(20)
//   Notes   Id INTEGER (primary "PK_Notes"), Memo MEMO, Pic GRAPHIC,
//           Wide WIDEMEMO
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/components/data_link.h"
#include "engine/components/data_source.h"
#include "engine/components/database.h"
#include "engine/components/database_error.h"
#include "engine/components/dvx_dataset.h"
#include "engine/components/session.h"
#include "engine/components/session_list.h"
#include "engine/core/platform/temp_files.h"
#include "engine/schema/constraint_defs.h"
#include "engine/schema/field_def.h"
#include "engine/schema/index_def.h"
#include "engine/tables/database_data.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "tests/support/dvx_matchers.h"

namespace dvx::test {

using testing::ThrowsDvx;

inline auto ThrowsDataSetError(::testing::Matcher<const std::string&> message) {
  return ::testing::Throws<EDatabaseError>(::testing::Property("Message", &EDatabaseError::Message, message));
}

// A dataset over one table, in the order of an index when one is named.
class TTestDataSet : public TDVXDataSet {
 public:
  TTestDataSet(TComponent* owner, std::string table, std::string index = "")
      : TDVXDataSet(owner), table_(std::move(table)), index_(std::move(index)) {}
  ~TTestDataSet() override { Close(); }

  bool nullHandle = false;
  // How often PrepareCursor ran.
  int prepared = 0;
  using TDVXDataSet::Handle;
  using TDVXDataSet::IndexFieldNos;
  using TDVXDataSet::KeySize;
  using TDVXDataSet::RecordSize;

 protected:
  std::unique_ptr<TDVXLocalCursor> CreateHandle() override {
    if (nullHandle) return nullptr;
    auto cursor = std::make_unique<TDVXLocalCursor>(*EngineSession(), table_);
    cursor->Open();
    if (!index_.empty() && cursor->Table().IndexByName(index_)) cursor->SetCurrentIndex(index_);
    return cursor;
  }
  std::string ActiveIndexName() const override { return index_; }
  void PrepareCursor() override { ++prepared; }

 private:
  std::string table_;
  std::string index_;
};

// Reads the rows of the window as a grid does, and counts what it heard.
class TRowLink : public TDataLink {
 public:
  explicit TRowLink(TDataSource& source, int rows) {
    SetDataSource(&source);
    SetBufferCount(rows);
  }
  ~TRowLink() override { SetDataSource(nullptr); }
  // The integer field of each row, top to bottom.
  std::vector<int> Rows(const std::string& field) {
    std::vector<int> rows;
    TDataSet* ds = DataSet();
    const int active = ActiveRecord();
    for (int i = 0; i < RecordCount(); ++i) {
      SetActiveRecord(i);
      rows.push_back(ds->FieldByName(field).AsInteger());
    }
    SetActiveRecord(active);
    return rows;
  }
  int dataSetChanges = 0;

 protected:
  void DataSetChanged() override { ++dataSetChanges; }
};

class TDataSetFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = TempDirectory() + "dvx_dataset_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern + "/";
    file_ = dir_ + "items.dvx";
    CreateFile();
    static std::atomic<int> counter{0};
    databaseName_ = "dbDataSet" + std::to_string(++counter);
    database_ = std::make_unique<TDVXDatabase>();
    database_->SetDatabaseName(databaseName_);
    database_->SetDatabaseFileName(file_);
    database_->SetExclusive(false);
  }
  void TearDown() override {
    datasets_.clear();
    database_.reset();
    std::filesystem::remove_all(dir_);
  }

  void CreateFile() {
    TDVXDatabaseParams params;
    params.fileName = file_;
    TDVXLocalSession session(params);
    session.CreateDatabase();
    session.Connect();
    {
      TDVXFieldDefs fields;
      fields.Add("Id", aftAutoInc);
      fields.Add("Code", aftInteger);
      fields.Add("Name", aftVarchar, 20);
      TDVXIndexDefs indexes;
      TDVXIndexDef* pk = indexes.Add("PK");
      pk->AddColumn("Id");
      pk->SetPrimary(true);
      TDVXIndexDef* code = indexes.Add("UQ_Code");
      code->AddColumn("Code");
      code->SetUnique(true);
      TDVXConstraintDefs constraints;
      constraints.AddNotNull()->SetFieldName("Code");
      session.Database().CreateTable(session, "Items", fields, indexes, constraints);
    }
    {
      TDVXFieldDefs fields;
      fields.Add("Id", aftInteger);
      fields.Add("Memo", aftMemo);
      fields.Add("Pic", aftGraphic);
      fields.Add("Wide", aftWideMemo);
      TDVXIndexDefs indexes;
      TDVXIndexDef* pk = indexes.Add("PK_Notes");
      pk->AddColumn("Id");
      pk->SetPrimary(true);
      session.Database().CreateTable(session, "Notes", fields, indexes, TDVXConstraintDefs{});
    }
    session.Disconnect();
  }

  // A dataset of the fixture's database on a table, owned by the test.
  TTestDataSet& MakeDataSet(const std::string& table, const std::string& index = "") {
    datasets_.push_back(std::make_unique<TTestDataSet>(&form_, table, index));
    datasets_.back()->SetDatabaseName(databaseName_);
    return *datasets_.back();
  }
  TTestDataSet& OpenItems() {
    TTestDataSet& ds = MakeDataSet("Items", "PK");
    ds.Open();
    return ds;
  }
  void AddItem(TDataSet& ds, int code, const std::string& name) {
    ds.Append();
    ds.FieldByName("Code").SetAsInteger(code);
    ds.FieldByName("Name").SetAsString(name);
    ds.Post();
  }

  TComponent form_;
  std::string dir_;
  std::string file_;
  std::string databaseName_;
  std::unique_ptr<TDVXDatabase> database_;
  std::vector<std::unique_ptr<TTestDataSet>> datasets_;
};

}  // namespace dvx::test
