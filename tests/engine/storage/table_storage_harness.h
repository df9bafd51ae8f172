#pragma once
// A table's storage built directly, without the table layer: a database on
// the in-memory file system, one table whose internal files come from the
// storage core and whose metadata stream holds the test's field
// definitions, and a disk record manager over it. Record buffers are built
// and read through the record-buffer functions of the schema layer.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/platform/memory_file.h"
#include "engine/schema/blob_slot.h"
#include "engine/schema/record_buffer.h"
#include "engine/schema/table_managers.h"
#include "engine/storage/database_checker.h"
#include "engine/storage/disk_database_storage.h"
#include "engine/storage/disk_record_manager.h"
#include "engine/storage/record_checker.h"
#include "engine/storage/table_files.h"
#include "tests/engine/storage/record_buffer_helpers.h"
#include "tests/support/byte_helpers.h"
#include "tests/support/dvx_matchers.h"

namespace dvx::test {

using testing::DvxCodeOf;
using testing::DvxErrorOf;
using testing::Pattern;
using testing::ReadI32;
using testing::ReadU16;
using testing::ThrowsDvx;
using testing::WriteI32;
using testing::WriteU16;
using ::testing::_;
using ::testing::HasSubstr;

class TTableStorageFixture : public TRecordBufferHelpers {
 protected:
  static constexpr const char* kFile = "records.dvx";

  // Creates the database and the table "Remedies" with `fields_`, and opens
  // a record manager on it.
  void CreateTable(int pageSize = 4096, int randomSearchRetryCount = 10) {
    fields_.RecomputeLayout();
    retryCount_ = randomSearchRetryCount;
    db_ = std::make_unique<TDVXDiskDatabaseStorage>(kFile, TDVXLockParams{3, 1}, fs_);
    db_->CreateDatabase(pageSize, 8, 4);
    OpenDatabase();
    table_ = db_->CreateTableFiles("Remedies");
    TDVXBaseSequenceManager sequences;
    TDVXBaseFieldManager fieldManager(sequences);
    fieldManager.FieldDefs().Assign(fields_);
    TDVXBaseConstraintManager constraints;
    TDVXMemoryStream metadata;
    SaveTableMetadataStream(metadata, fieldManager, constraints);
    TDVXTableMetadataFile file(db_->PageManager());
    file.Open(table_.metadataFirstPageNo);
    file.WriteStream(kSystemSessionID, metadata);
    db_->PageManager().ApplyChanges(kSystemSessionID);
    OpenManager();
  }

  void OpenDatabase() {
    TDVXCryptoInfo crypto;
    db_->OpenDatabase(false, true, crypto);
    session_ = db_->ConnectSession();
  }

  void OpenManager() {
    info_.tableID = table_.tableID;
    info_.tableName = table_.tableName;
    info_.fields = &fields_;
    rm_ = std::make_unique<TDVXDiskRecordManager>(session_, info_, &db_->PageManager(), table_.pfsMapFirstPageNo, true,
                                                  retryCount_);
  }

  TDVXBaseRecordManager& Records() override { return *rm_; }
  TDVXPageManager& PM() { return db_->PageManager(); }
  void Commit() { PM().ApplyChanges(session_); }
  void Cancel() {
    PM().CancelChanges(session_);
    rm_->Refresh();
  }
  // Closes the file and opens it again with a new record manager.
  void Reopen() {
    rm_.reset();
    db_->CloseDatabase();
    OpenDatabase();
    OpenManager();
  }

  // The database checker and the record checker on the committed file.
  std::vector<std::string> CheckFile() {
    TDVXDatabaseChecker checker(db_->PageManager());
    TDVXRecordChecker records(db_->PageManager(), checker);
    records.Check();
    std::vector<std::string> problems = records.Problems();
    std::vector<std::string> more = checker.Check();
    problems.insert(problems.end(), more.begin(), more.end());
    return problems;
  }

  std::vector<uint8_t> GetBlob(const std::vector<uint8_t>& buffer, int field) {
    auto stream = rm_->OpenBlob(session_, field, buffer.data());
    std::vector<uint8_t> value(static_cast<size_t>(stream->Size()));
    stream->ReadBuffer(value.data(), value.size(), 0);
    return value;
  }

  // A raw page image from the committed file.
  std::vector<uint8_t> FilePage(int32_t pageNo) {
    std::vector<uint8_t> page(static_cast<size_t>(PM().PageSize()));
    db_->PageManager().ReadWholePage(page.data(), pageNo, 0);
    return page;
  }
  void WriteFilePage(int32_t pageNo, const std::vector<uint8_t>& page) {
    db_->PageManager().WriteWholePage(page.data(), pageNo, 0);
    // The cache must not keep the old image.
    db_->PageManager().ForgetCachedPage(pageNo);
  }

  TDVXMemoryFileSystem fs_;
  std::unique_ptr<TDVXDiskDatabaseStorage> db_;
  TDVXTableListRecord table_;
  TDVXStorageTableInfo info_;
  std::unique_ptr<TDVXDiskRecordManager> rm_;
  int retryCount_ = 10;
};

}  // namespace dvx::test
