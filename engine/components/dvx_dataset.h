#pragma once
// TDVXDataSet: the framework's dataset over an engine cursor, the common
// base of the table and the query components. Every record operation goes
// to the cursor; the dataset adds state checks, the conversions between
// the engine's memory format and the host formats (field_conversion.h),
// the database's record events and the error texts.
//
// Record buffer (one per row of the framework's window), D being the
// table's in-memory record size:
//
//   offset      size  content
//   0           D     the record in the engine's memory format, null flags first
//   D           6     bookmark: the record ID, PageNo int32 LE, PageItemNo uint16 LE
//   D + 6       1     bookmark flag: 0 current, 1 before first, 2 after last, 3 inserted
//   D + 7       C     calculated fields: per field a presence byte, then its value
//
// This is the cursor's own buffer layout (local_cursor.h) extended by the
// calculated area, so a fetched record is copied over whole. The bookmark
// the dataset hands out is the 7 bytes at D. D + 7 must fit 16 bits; a
// larger record is refused at open.
//
// Dataset buffers never hold a pending BLOB value: a BLOB written through
// a stream lives in the cursor's buffer (which owns the pending block)
// until the post, and the dataset's active buffer only mirrors whether the
// field is NULL. At post the non-BLOB fields of the active buffer are
// copied into the cursor's buffer beside the BLOB slots it holds.
//
// Names are UTF-8 on this side: the field and index definitions, the
// advanced and foreign-key definitions, the fields of Locate and Lookup and
// the Filter text are converted to and from the engine's Windows-1252 by
// object_names.h, and a name Windows-1252 cannot hold is refused.
//
// Changes through other cursors (another dataset, another program) arrive
// through the cursor's observer: in browse state the window is re-read at
// once and the links told (deDataSetChange); in edit and insert state, and
// while the dataset is itself inside a cursor call, the change is noted
// and the window re-read when the post or cancel ends (the framework
// re-reads it there) or at the next notice that finds the dataset idle.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/components/adv_field_def.h"
#include "engine/components/database_client.h"
#include "engine/components/dataset.h"
#include "engine/components/foreign_key_def.h"
#include "engine/tables/cursor_observer.h"
#include "engine/tables/cursor_result.h"

namespace dvx {

class TDVXDatabase;
class TDVXLocalCursor;
class TDVXLocalSession;
class TDVXBlobStream;

constexpr int kDataSetBookmarkSize = 7;
constexpr const char* kInMemoryDatabaseName = "MEMORY";

class TDVXDataSet : public TDataSet, public TDVXDatabaseClient, private TDVXCursorObserver {
 public:
  explicit TDVXDataSet(TComponent* owner = nullptr);
  ~TDVXDataSet() override;

  // "4.20 ": the engine version with two decimals and a blank, whatever
  // the locale's decimal separator.
  static std::string CurrentVersion();

  // Whether the dataset keeps its own field and index definitions in its
  // design. Any change to FieldDefs or IndexDefs from outside switches it
  // on; with it on, closing keeps the definitions instead of clearing them.
  bool StoreDefs() const { return storeDefs_; }
  void SetStoreDefs(bool store) { storeDefs_ = store; }
  const std::string& DatabaseName() const { return databaseName_; }
  // "MEMORY" in any case switches InMemory on, any other name off.
  // Refused while the dataset holds its database.
  void SetDatabaseName(const std::string& name);
  const std::string& SessionName() const { return sessionName_; }
  void SetSessionName(const std::string& name);
  bool InMemory() const { return inMemory_; }
  // True names the database "MEMORY"; false leaves the name alone.
  void SetInMemory(bool inMemory);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);
  // The framework refuses edits, inserts and deletes of a read-only
  // dataset before anything moves.
  bool CanModify() const override { return !readOnly_; }
  bool AutoCalcFields() const { return autoCalcFields_; }
  void SetAutoCalcFields(bool on) { autoCalcFields_ = on; }

  // The engine's definitions of the open cursor's fields and foreign keys.
  const std::vector<TDVXAdvFieldDef>& AdvFieldDefs() const { return advFieldDefs_; }
  const std::vector<TDVXForeignKeyDef>& ForeignKeyDefs() const { return foreignKeyDefs_; }
  // The database component in use while open, else null.
  TDVXDatabase* Database() const { return database_; }

  // Deletes every record of the dataset's set ("Dataset is in read only
  // mode" when read-only).
  void EmptyTable();

  std::unique_ptr<TDVXStream> CreateBlobStream(TField& field, TBlobStreamMode mode) override;
  bool Locate(const std::string& keyFields, const std::vector<TDVXVariant>& keyValues,
              const TLocateOptions& options = {}) override;
  std::vector<TDVXVariant> Lookup(const std::string& keyFields, const std::vector<TDVXVariant>& keyValues,
                                  const std::string& resultFields) override;
  int64_t RecordCount() override;
  int64_t RecNo() override;
  void SetRecNo(int64_t recNo) override;
  bool BookmarkValid(const TBookmark& bookmark) override;
  int CompareBookmarks(const TBookmark& a, const TBookmark& b) override;

  // The database's disconnection closes the dataset (database_client.h).
  void CloseForDisconnect() override;

 protected:
  // --- what a subclass supplies ---
  // The cursor for the dataset's table or result, not yet open or open;
  // null fails the open with "Error creating table handle".
  virtual std::unique_ptr<TDVXLocalCursor> CreateHandle() = 0;
  // The index whose columns the dataset's keys use; "" for none.
  virtual std::string ActiveIndexName() const { return std::string(); }
  // Called at the end of the open (the table component makes its key
  // buffers there).
  virtual void PrepareCursor() {}
  // Called at the start of the close, while the cursor is still there.
  virtual void UnprepareCursor() {}

  // --- for subclasses ---
  // While opening: the source can only be read (a database that fell back
  // to read-only), so the dataset becomes read-only too and refuses edits
  // up front instead of failing at the post.
  void TakeReadOnlyFromSource(bool readOnly) {
    if (readOnly) readOnly_ = true;
  }
  // The open cursor; null while closed.
  TDVXLocalCursor* Handle() const { return cursor_.get(); }
  // The engine session of the database in use; null while closed.
  TDVXLocalSession* EngineSession() const;
  // Dataset field numbers (0-based) of the active index's columns, and
  // their summed memory size.
  const std::vector<int>& IndexFieldNos() const { return indexFieldNos_; }
  int32_t KeySize() const { return keySize_; }
  // The table field number behind a data field.
  int TableFieldNo(const TField& field) const;
  // Builds the index column map again after the active index changed.
  void RebuildIndexFieldMap() { InitIndexFieldMap(); }
  // The record part of a buffer, D bytes.
  int32_t RecordSize() const { return recordSize_; }
  // The whole buffer: record, bookmark, flag and calculated fields.
  int32_t BufferSize() const { return recordSize_ + kDataSetBookmarkSize + calcFieldsSize_; }
  // The table name the record events are given.
  std::string EventTableName() const;
  // Raises the framework's error for this dataset.
  [[noreturn]] void Fail(const std::string& message) const;
  // "Nil pointer occured" under the place's code when closed.
  TDVXLocalCursor& CheckHandle(int32_t code) const;

  // --- framework hooks ---
  uint8_t* AllocRecordBuffer() override;
  void FreeRecordBuffer(uint8_t*& buffer) override;
  void InternalInitRecord(uint8_t* buffer) override;
  TGetResult GetRecord(uint8_t* buffer, TGetMode mode, bool doCheck) override;
  std::unique_ptr<TFetchScope> BeginFetch() override;
  void InternalOpen() override;
  void InternalClose() override;
  bool IsCursorOpen() const override { return cursor_ != nullptr; }
  void InternalFirst() override;
  void InternalLast() override;
  void InternalGotoBookmark(const uint8_t* bookmark) override;
  void InternalSetToRecord(uint8_t* buffer) override;
  int BookmarkSize() const override { return kDataSetBookmarkSize; }
  void GetBookmarkData(const uint8_t* buffer, uint8_t* bookmark) const override;
  void SetBookmarkData(uint8_t* buffer, const uint8_t* bookmark) override;
  TBookmarkFlag GetBookmarkFlag(const uint8_t* buffer) const override;
  void SetBookmarkFlag(uint8_t* buffer, TBookmarkFlag flag) override;
  bool GetFieldDataFrom(const uint8_t* buffer, const TField& field, void* data) override;
  void SetFieldDataIn(uint8_t* buffer, const TField& field, const void* data) override;
  int CalcFieldsOffset() const override { return recordSize_ + kDataSetBookmarkSize; }
  void InternalEdit() override;
  void InternalInsert() override;
  void InternalPost() override;
  void InternalCancel() override;
  void InternalDelete() override;
  void InternalRefresh() override;
  void FilterChanged() override;
  // FindFirst/FindNext/...: the cursor applies the filter text (and the
  // record filter) for the search when the dataset is not Filtered.
  bool FindRecord(bool restart, bool goForward) override;

 private:
  friend class TDVXBlobStream;

  // --- open and close (dvx_dataset_open.cpp) ---
  void AcquireDatabase();
  void ReleaseDatabase() noexcept;
  void InitFieldDefs();
  void InitIndexFieldMap();
  void ClearDefinitions();
  void CheckDatabaseClosed() const;

  // --- fetch (dvx_dataset_buffers.cpp) ---
  // Copies the cursor's record, its ID and flag current into a buffer,
  // then computes the calculated fields.
  void TakeCursorRecord(uint8_t* buffer);
  // Goes to a record ID: the cursor's result.
  int GotoRecordID(const uint8_t* recordID);
  void CursorTableChanged(TDVXLocalCursor& cursor) override;
  // Re-reads the window after a change elsewhere, when it is safe to.
  void FollowTableChange();

  // --- editing (dvx_dataset_edit.cpp) ---
  void CheckWritable() const;
  // The values of every field of the cursor's buffer, for record events.
  std::vector<TDVXVariant> CursorValues();
  // The active buffer's non-BLOB fields into the cursor's buffer.
  void CopyActiveToCursor();
  [[noreturn]] void RaiseCursorResult(const TDVXCursorResult& result, int32_t ownCode, const char* prefix) const;
  // The cursor's BLOB slot of a field changed (a stream closed): the
  // active buffer follows its null flag.
  void BlobFieldWritten(const TField& field);

  // --- filters (dvx_dataset_search.cpp) ---
  // The filter text and the record filter on the cursor (on), or off.
  void ApplyFilterToCursor(bool on);

  std::string databaseName_;
  std::string sessionName_;
  bool inMemory_ = false;
  bool readOnly_ = false;
  bool autoCalcFields_ = true;
  bool storeDefs_ = false;
  // Set while the dataset fills or clears its definitions from the
  // cursor, which is no change of the component's own design.
  bool fillingDefs_ = false;

  TDVXDatabase* database_ = nullptr;
  bool registered_ = false;
  std::unique_ptr<TDVXLocalCursor> cursor_;
  int32_t recordSize_ = 0;
  int32_t calcFieldsSize_ = 0;
  // Per data field (by FieldNo - 1): the table field it shows.
  std::vector<int> tableFieldNos_;
  std::vector<int> indexFieldNos_;
  int32_t keySize_ = 0;
  std::vector<TDVXAdvFieldDef> advFieldDefs_;
  std::vector<TDVXForeignKeyDef> foreignKeyDefs_;
  // The record as it was when the edit began, and the old values the
  // update events are given (collected only when a handler is assigned).
  std::vector<uint8_t> editCopy_;
  std::vector<TDVXVariant> oldValues_;
  std::vector<TDVXVariant> newValues_;
  // The filter callback's view of a candidate record.
  std::vector<uint8_t> filterBuffer_;
  // Depth of the dataset's own cursor calls, and a change noticed meanwhile.
  int cursorCallDepth_ = 0;
  bool tableChangePending_ = false;
};

}  // namespace dvx
