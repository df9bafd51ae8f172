#pragma once
// A database on the in-memory file system with one table "Remedies" made
// through the table layer, a session and a cursor on it, and helpers to
// fill and read the cursor's record.
//
//   Id    AUTOINC INTEGER   primary index "PK"
//   Code  INTEGER           NOT NULL, unique index "UQ_Code"
//   Name  VARCHAR(40)       index "IX_Name", descending, case-insensitive
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/platform/memory_file.h"
#include "engine/schema/record_buffer.h"
#include "engine/storage/database_checker.h"
#include "engine/storage/record_checker.h"
#include "engine/tables/btree_checker.h"
#include "engine/tables/btree_index.h"
#include "engine/tables/disk_database_data.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_data.h"
#include "tests/support/cursor_result_matchers.h"
#include "tests/support/dvx_matchers.h"

namespace dvx::test {

using testing::DvxErrorOf;
using testing::ResultIs;
using testing::Succeeded;
using testing::ThrowsDvx;
using ::testing::HasSubstr;

enum { kId, kCode, kName };

class TTableFixture : public ::testing::Test {
 protected:
  static constexpr const char* kFile = "tables.dvx";
  static constexpr const char* kTable = "Remedies";

  void CreateDatabase(int pageSize = 1024) {
    db_ = std::make_unique<TDVXDiskDatabaseData>(kFile, TDVXLockParams{3, 1}, fs_);
    db_->CreateDatabase(pageSize, 8, 4);
    OpenDatabase();
  }
  void OpenDatabase() {
    TDVXCryptoInfo crypto;
    db_->OpenDatabase(false, true, crypto);
    session_ = std::make_unique<TDVXLocalSession>(*db_);
  }
  void CreateRemedies(const std::string& name = kTable) {
    TDVXFieldDefs fields;
    fields.Add("Id", aftAutoIncInteger);
    fields.Add("Code", aftInteger);
    fields.Add("Name", aftVarchar, 40);
    TDVXIndexDefs indexes;
    TDVXIndexDef* pk = indexes.Add("PK");
    pk->AddColumn("Id");
    pk->SetPrimary(true);
    TDVXIndexDef* code = indexes.Add("UQ_Code");
    code->AddColumn("Code");
    code->SetUnique(true);
    indexes.Add("IX_Name")->AddColumn("Name", true, true);
    TDVXConstraintDefs constraints;
    constraints.AddNotNull()->SetFieldName("Code");
    Database().CreateTable(*session_, name, fields, indexes, constraints);
  }
  // The in-memory or temporary database instead of the disk one: a
  // session on it replaces the fixture's.
  void UseDatabase(TDVXDatabaseData& database) {
    cursor_.reset();
    session_ = std::make_unique<TDVXLocalSession>(database);
    database_ = &database;
  }
  TDVXDatabaseData& Database() { return database_ ? *database_ : *db_; }
  TDVXLocalCursor& OpenCursor() {
    cursor_ = std::make_unique<TDVXLocalCursor>(*session_, kTable);
    cursor_->Open();
    return *cursor_;
  }
  void Reopen() {
    cursor_.reset();
    session_.reset();
    db_->CloseDatabase();
    OpenDatabase();
    OpenCursor();
  }

  // As Reopen, with a new database object: nothing this process knew
  // about the file (its identifier counter included) survives.
  void ReopenFresh() {
    cursor_.reset();
    session_.reset();
    db_->CloseDatabase();
    db_ = std::make_unique<TDVXDiskDatabaseData>(kFile, TDVXLockParams{3, 1}, fs_);
    OpenDatabase();
    OpenCursor();
  }

  const TDVXFieldDefs& Fields() { return cursor_->Fields(); }
  // Field access on a record image of the table (a cursor's buffer).
  void SetInt(uint8_t* record, int field, std::optional<int32_t> value) {
    SetFieldData(field, Fields(), value ? &*value : nullptr, record);
  }
  std::optional<int32_t> GetInt(const uint8_t* record, int field) {
    int32_t value = 0;
    if (!GetFieldData(field, Fields(), &value, record)) return std::nullopt;
    return value;
  }
  void SetText(uint8_t* record, int field, const std::string& text) {
    SetFieldData(field, Fields(), text.empty() ? nullptr : text.c_str(), record);
  }
  std::string GetText(const uint8_t* record, int field) {
    std::vector<char> text(static_cast<size_t>(Fields().Items(field)->MemoryDataSize()) + 1, 0);
    if (!GetFieldData(field, Fields(), text.data(), record)) return "";
    return text.data();
  }
  void SetInt(int field, std::optional<int32_t> value) { SetInt(cursor_->Record(), field, value); }
  std::optional<int32_t> GetInt(int field) { return GetInt(cursor_->Record(), field); }
  void SetText(int field, const std::string& text) { SetText(cursor_->Record(), field, text); }
  std::string GetText(int field) { return GetText(cursor_->Record(), field); }
  // Inserts a record; the cursor's result.
  TDVXCursorResult Insert(std::optional<int32_t> code, const std::string& name, std::optional<int32_t> id = std::nullopt) {
    cursor_->NewRecord();
    SetInt(kId, id);
    SetInt(kCode, code);
    SetText(kName, name);
    return cursor_->InsertRecord();
  }
  // Puts the cursor on a record and reads it.
  void Seek(const TDVXRecordID& id) {
    cursor_->SetPosition(false, false, id);
    ASSERT_EQ(grrDone, cursor_->GetRecord(grmCurrent));
  }
  // The record IDs in the cursor's current order.
  std::vector<TDVXRecordID> Walk() {
    std::vector<TDVXRecordID> ids;
    cursor_->First();
    while (cursor_->GetRecord(grmNext) == grrDone) ids.push_back(cursor_->RecordID());
    return ids;
  }
  void ExpectIndexesValid() {
    TDVXTableData& table = cursor_->Table();
    for (int i = 0; i < table.IndexCount(); ++i) {
      auto report = TDVXBTreeChecker(static_cast<TDVXBTreeIndex&>(table.Index(i)), session_->SessionID()).Check();
      EXPECT_TRUE(report.Ok()) << ::testing::PrintToString(report.problems);
      EXPECT_EQ(report.entryCount, table.RecordCount(session_->SessionID()));
    }
  }

  // A table "Notes" with BLOB fields:
  //   Id       INTEGER   primary index "PK_Notes"
  //   Text     MEMO
  //   Picture  GRAPHIC   zlib level 6 in 4096-byte blocks when `compressed`
  enum { kNoteId, kNoteText, kNotePicture };
  static constexpr const char* kNotes = "Notes";
  void CreateNotes(bool compressed = false) {
    TDVXFieldDefs fields;
    fields.Add("Id", aftInteger);
    fields.Add("Text", aftMemo);
    TDVXFieldDef* picture = fields.Add("Picture", aftGraphic);
    if (compressed) {
      picture->SetBlobCompressionAlgorithm(1);
      picture->SetBlobCompressionMode(6);
      picture->SetBlobBlockSize(4096);
    }
    TDVXIndexDefs indexes;
    TDVXIndexDef* pk = indexes.Add("PK_Notes");
    pk->AddColumn("Id");
    pk->SetPrimary(true);
    db_->CreateTable(*session_, kNotes, fields, indexes, TDVXConstraintDefs());
  }
  // Problems the record and database checkers find in the file.
  std::vector<std::string> FileProblems() {
    TDVXDatabaseChecker checker(db_->PageManager());
    TDVXRecordChecker records(db_->PageManager(), checker);
    records.Check();
    std::vector<std::string> problems = records.Problems();
    for (auto& p : checker.Check()) problems.push_back(p);
    return problems;
  }
  // Overwrites the page type of a page in the file (type 0x77, no page of
  // the engine's) and drops the cached copy.
  void DamagePageType(int32_t pageNo) {
    std::vector<uint8_t> page(static_cast<size_t>(db_->PageManager().PageSize()));
    db_->PageManager().ReadWholePage(page.data(), pageNo, 0);
    page[8] = 0x77;
    page[9] = 0x00;
    db_->PageManager().WriteWholePage(page.data(), pageNo, 0);
    db_->PageManager().ForgetCachedPage(pageNo);
  }
  static std::vector<uint8_t> ReadAll(TDVXStream& stream) {
    std::vector<uint8_t> bytes(static_cast<size_t>(stream.Size()));
    stream.SetPosition(0);
    if (!bytes.empty()) {
      EXPECT_EQ(stream.Read(bytes.data(), bytes.size()), bytes.size());
    }
    return bytes;
  }
  static std::vector<uint8_t> Pattern(size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes(size);
    for (auto& b : bytes) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
    return bytes;
  }

  TDVXMemoryFileSystem fs_;
  std::unique_ptr<TDVXDiskDatabaseData> db_;
  TDVXDatabaseData* database_ = nullptr;
  std::unique_ptr<TDVXLocalSession> session_;
  std::unique_ptr<TDVXLocalCursor> cursor_;
};

}  // namespace dvx::test
