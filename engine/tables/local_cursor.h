#pragma once
// TDVXCursor / TDVXLocalCursor: one client's open view of one table: its
// record buffer, its position and its current index. The cursor hands its
// work to the table's shared object (table_data.h); record operations come
// back as a TDVXCursorResult (cursor_result.h), navigation as
// TDVXGetRecordResult. An observer (cursor_observer.h) hears of the changes
// to the table that other cursors, other programs or a rollback made.
//
// Record buffer: RecordSize bytes of the record, then the record ID of the
// record in the buffer (PageNo int32, PageItemNo uint16, little-endian),
// then one state byte (kRecordInserted after an insert through this
// cursor).
//
// Key buffer (key searches): RecordSize bytes holding the key fields in
// record layout, then six control bytes written by the caller:
//
//   offset          size  meaning
//   RecordSize + 0  1     not interpreted by the cursor
//   RecordSize + 1  1     exclusive flag (the caller picks the condition)
//   RecordSize + 2  4     key field count, int32 LE; 0 means every field
//
// Bookmark (8 bytes):
//
//   offset  size  meaning
//   0       1     BOF flag (0 or 1)
//   1       1     EOF flag (0 or 1)
//   2       4     PageNo, int32 LE    } the record ID as
//   6       2     PageItemNo, uint16 LE } TDVXRecordID::Encode writes it
//
// A cursor is restricted while a range, a filter expression, an external
// condition or a record filter is set; it then shows only the records that
// pass the acceptance test, in its order.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/schema/constraint_defs.h"
#include "engine/schema/field_def.h"
#include "engine/schema/index_def.h"
#include "engine/storage/base_record_manager.h"
#include "engine/storage/record_id.h"
#include "engine/tables/cursor_result.h"
#include "engine/tables/record_bitmap.h"
#include "engine/tables/record_id_list.h"

namespace dvx {

class TDVXChangeNotices;
class TDVXConstraintDefForeignKey;
class TDVXCursorObserver;
class TDVXCursorRowSource;
class TDVXExprCursor;
class TDVXExpression;
class TDVXVariant;
class TDVXFieldDefs;
class TDVXIndex;
class TDVXLocalBLOBStream;
class TDVXLocalSession;
class TDVXStream;
class TDVXTableData;

constexpr int kCursorRecordIDSize = 6;
constexpr int kCursorKeyControlSize = 6;
constexpr uint8_t kRecordInserted = 3;

using TDVXBookmark = std::array<uint8_t, 8>;
// Answers for a record (RecordSize bytes) whether it belongs to the set.
using TDVXRecordFilter = std::function<bool(const uint8_t* record)>;

// A range over the current index: the record's key over the first
// lowCount (highCount) index fields compared with the low (high) key.
struct TDVXCursorRange {
  bool hasLow = false;
  bool hasHigh = false;
  std::vector<uint8_t> low;
  std::vector<uint8_t> high;
  bool lowExclusive = false;
  bool highExclusive = false;
  int lowCount = 0;
  int highCount = 0;
};

// --- filters and locate (cursor_filter.cpp) ---
// A filter text's comparisons: ignoring case; with noPartialCompare a
// string constant ending in "*" is compared as it stands, not as a prefix.
struct TDVXFilterOptions {
  bool caseInsensitive = false;
  bool noPartialCompare = false;
};
// A locate's comparisons: ignoring case; partialKey compares strings as
// prefixes of the field values.
struct TDVXLocateOptions {
  bool caseInsensitive = false;
  bool partialKey = false;
};
// --- end of filters and locate ---

// A cursor's position and buffer, kept around a transaction.
struct TDVXCursorSnapshot {
  bool bof = true;
  bool eof = false;
  TDVXRecordID recordID = kNoRecordID;
  std::vector<uint8_t> buffer;
};

class TDVXCursor {
 public:
  virtual ~TDVXCursor() = default;
  virtual void Open() = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  virtual void First() = 0;
  virtual void Last() = 0;
  virtual TDVXGetRecordResult GetRecord(TDVXGetRecordMode mode) = 0;
  virtual TDVXCursorResult InsertRecord() = 0;
  virtual TDVXCursorResult UpdateRecord() = 0;
  virtual TDVXCursorResult DeleteRecord() = 0;
  virtual int64_t GetRecordCount() = 0;
};

class TDVXLocalCursor : public TDVXCursor {
 public:
  TDVXLocalCursor(TDVXLocalSession& session, std::string tableName, bool exclusive = false);
  ~TDVXLocalCursor() override;
  TDVXLocalCursor(const TDVXLocalCursor&) = delete;
  TDVXLocalCursor& operator=(const TDVXLocalCursor&) = delete;

  // Registers with the table (loading it for the first cursor) and stands
  // before the first record.
  void Open() override;
  void Close() override;
  bool IsOpen() const override { return table_ != nullptr; }

  TDVXLocalSession& Session() { return session_; }
  int32_t SessionID() const;
  const std::string& TableName() const { return tableName_; }
  bool Exclusive() const { return exclusive_; }
  // 30953 while closed.
  TDVXTableData& Table() const;
  const TDVXFieldDefs& Fields() const;

  // The record part of the buffer (RecordSize bytes).
  uint8_t* Record() { return buffer_.data(); }
  const uint8_t* Record() const { return buffer_.data(); }
  std::vector<uint8_t>& Buffer() { return buffer_; }
  // Every field NULL, then the defaults (no autoincrement values: those
  // are drawn by the insert for fields left NULL).
  void NewRecord();

  // Position.
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  const TDVXRecordID& RecordID() const { return recordID_; }
  void SetPosition(bool bof, bool eof, const TDVXRecordID& id);
  // The index whose order the cursor walks; -1 for physical order.
  int32_t CurrentIndexID() const { return currentIndexID_; }
  // "" for physical order; an unknown name is 30957.
  void SetCurrentIndex(const std::string& indexName);
  // As SetCurrentIndex, but an unknown name selects physical order.
  void SetIndex(const std::string& indexName);
  // Both cancel the range (its keys belong to the old order) and stand
  // before the first record.

  // Key searches on the current index (30959 in physical order). The key
  // is the first RecordSize bytes of KeyBuffer(); its control bytes give
  // the field count. Types 1, 3 and 5 find the first entry satisfying the
  // condition, 2 and 4 the last (the one nearest the key). A restricted
  // cursor finds only records of its set. True and positioned on the
  // record read; false with the position unchanged.
  std::vector<uint8_t>& KeyBuffer() { return keyBuffer_; }
  void SetKeyFieldCount(int32_t count);
  bool GotoKey(int conditionType);

  // Either key may be null (that end open). Field counts of 0 take every
  // field of the current index. Needs a current index (30959); stands
  // before the first record.
  void SetRange(const uint8_t* lowKey, const uint8_t* highKey, bool highExclusive, bool lowExclusive,
                int highFieldCount, int lowFieldCount);
  void CancelRange();
  bool HasRange() const { return range_.hasLow || range_.hasHigh; }
  // Null clears the filter; stands before the first record.
  void SetRecordFilter(TDVXRecordFilter filter);
  bool Restricted() const { return HasRange() || static_cast<bool>(recordFilter_) || filter_ || condition_; }
  // The records of the cursor's set in its order, as they stand now.
  TDVXRecordIDList RecordIDList();

  // 1-based number of the current record in the cursor's set; -1 on BOF,
  // EOF or a record that can no longer be read.
  int64_t GetRecNo();
  // Reads the n-th record of the set (n cut to 1..count); an empty set
  // stands on EOF and gives grrEOF.
  TDVXGetRecordResult SetRecNo(int64_t n);
  TDVXBookmark GetBookmark() const;
  // Restores the position exactly and reads the record there (grrError
  // when it has gone); on BOF or EOF gives grrBOF or grrEOF.
  TDVXGetRecordResult GotoBookmark(const TDVXBookmark& bookmark);
  bool IsRecordDeleted();

  void First() override;
  void Last() override;
  TDVXGetRecordResult GetRecord(TDVXGetRecordMode mode) override;
  TDVXCursorResult InsertRecord() override;
  TDVXCursorResult UpdateRecord() override;
  TDVXCursorResult DeleteRecord() override;
  int64_t GetRecordCount() override;
  // Edits. BeginEdit locks the current record (another session's edit,
  // update or delete of it is refused until the edit ends) and reads it
  // again; CancelEdit unlocks it. Post and Delete take the lock for their
  // own duration when no edit holds it, and end the edit when they
  // succeed; when they fail, the cursor, its lock and the table stay as
  // they were. Result codes: Post -8 (insert) or -2 (update), Delete -3,
  // with the message; BeginEdit and CancelEdit the native code.
  TDVXCursorResult BeginEdit();
  TDVXCursorResult CancelEdit();
  TDVXCursorResult Post(bool insert);
  TDVXCursorResult Delete();
  bool Editing() const { return editLocked_; }

  // The observer told of changes to the table this cursor did not make
  // (cursor_observer.h states when and how); null for none. It stays set
  // across Close and Open but is called only while the cursor is open.
  void SetObserver(TDVXCursorObserver* observer);
  TDVXCursorObserver* Observer() const { return observer_; }

  TDVXCursorSnapshot TakeSnapshot() const;
  void PutSnapshot(const TDVXCursorSnapshot& snapshot);

  // --- table life cycle with foreign keys (cursor_foreign_keys.cpp) ---
  // Each closes the cursor first and raises "Table not found, table name =
  // %s" under its own code when the table does not exist. AddForeignKey
  // and DeleteConstraint need a cursor made for exclusive use; RenameTable
  // and DeleteTable are refused inside a transaction. RenameTable leaves
  // the cursor on the new name.
  void AddForeignKey(const TDVXConstraintDefForeignKey& definition);
  void DeleteConstraint(const std::string& name, bool keepCounterpart = false, bool force = false);
  void RenameTable(const std::string& newName);
  void DeleteTable(bool force = false);
  // --- end of table life cycle with foreign keys ---

  // --- table definitions (cursor_definition_ops.cpp) ---
  // Each closes the cursor first; the work runs on a cursor of its own.
  // CreateTable: an in-memory table, or one made in temporary mode,
  // replaces a table of the name; the index definitions are taken without
  // pages.
  void CreateTable(const TDVXFieldDefs& fields, const TDVXIndexDefs& indexes, const TDVXConstraintDefs& constraints);
  void EmptyTable();
  void RenameField(const std::string& oldName, const std::string& newName);
  // The new index's ObjectID.
  int32_t AddIndex(const TDVXIndexDef& definition);
  void DeleteIndex(const std::string& name, bool force = false);
  void DeleteAllIndexes(bool force = false);
  // After the table's indexes changed: a current index that is gone gives
  // way to physical order (before the first record).
  void FollowIndexChange();
  // --- end of table definitions ---

  // --- memory and temporary tables (cursor_memory_image.cpp) ---
  // With the flag, closing the last cursor of a table of the in-memory or
  // temporary database drops the table.
  void SetDropOnClose(bool drop) { dropOnClose_ = drop; }
  bool DropOnClose() const { return dropOnClose_; }
  // Whole-table export and import of an in-memory table as one image.
  // Each closes the cursor first; 10154 when the table does not exist,
  // 10153 / 10152 while another cursor has it open; other databases'
  // tables refuse with "Error - operation is not supported".
  void SaveToStream(TDVXStream& stream, uint8_t algorithm = 0, uint8_t mode = 0);
  void LoadFromStream(TDVXStream& stream);
  // --- end of memory and temporary tables ---

  // --- BLOB streams, table locks, repair and SQL script (cursor_blob.cpp,
  // cursor_table_locks.cpp, cursor_repair.cpp, cursor_generate_sql.cpp) ---
  // A stream over BLOB field `fieldNo` of the current buffer: mode 1 reads,
  // 0 writes a new value, 2 reads and writes (local_blob_stream.h). 10110
  // for a field number out of range; 10115 for a second writer of a field.
  std::shared_ptr<TDVXLocalBLOBStream> OpenBLOB(int mode, int fieldNo);
  // Closes the field's streams; a writer first makes its content the
  // field's pending value. 10118 for a field number out of range.
  void CloseBLOB(int fieldNo);
  // Closes every stream (writers storing their content), or only writers.
  void CloseAllBLOBs(bool onlyWriters);
  size_t OpenBLOBCount() const { return blobStreams_.size(); }

  // Table locks held through the cursor, on top of what its operations
  // take for themselves: "S", "IRW" and "RW". Refusals raise the lock (or
  // unlock) message under the caller's code; the Try variants say whether
  // the lock was had. Inside a transaction all of them do nothing (the Try
  // variants give true). Locks still held when the cursor closes are
  // released then.
  void LockShared(int32_t code);
  void UnlockShared(int32_t code);
  bool TryLockShared();
  void LockIntentReadWrite(int32_t code);
  void UnlockIntentReadWrite(int32_t code);
  bool TryLockIntentReadWrite();
  void LockExclusive(int32_t code);
  void UnlockExclusive(int32_t code);
  bool TryLockExclusive();

  // Rebuilds the table from its readable records under a new name, then
  // replaces the old table with it (a cursor made for exclusive use; 11165
  // otherwise). Problems are appended to `log`; false when the table was
  // left as it was.
  bool RepairTable(std::string& log);

  // An SQL script of the table: its CREATE TABLE statement, a CREATE
  // INDEX statement per index that is not the primary one and an INSERT
  // statement per record, each ending in ";" and a line break.
  struct TSQLScriptOptions {
    bool withCreate = true;
    bool withIndexes = true;
    bool withData = true;
    bool quoteNames = false;
  };
  std::string GenerateSQL(const TSQLScriptOptions& options);
  // --- end of BLOB streams, table locks, repair and SQL script ---

  // --- filters, locate, projection and field access (cursor_filter.cpp, cursor_fields.cpp) ---
  // The acceptance test of a record: range, filter expression, external
  // condition, record filter callback, each only when the previous passed.
  // Setting or clearing any of them stands the cursor before the first
  // record and invalidates the record ID list.
  // A parse error raises the expression's error and keeps the filter
  // that was set before.
  void SetFilter(const std::string& text, const TDVXFilterOptions& options = {});
  // Drops the filter expression; an external condition stays in force.
  void ClearFilter();
  // The SQL layer's condition, bound here to this cursor's record; null
  // clears it.
  void SetCondition(std::unique_ptr<TDVXExpression> condition);
  bool HasFilter() const { return filter_ != nullptr; }
  bool HasCondition() const { return condition_ != nullptr; }
  // The first record of the cursor's set, in its order, whose fields
  // (names separated by ";") equal the values: true and positioned there
  // with the record read; false with the position unchanged.
  bool Locate(const std::string& fieldNames, const std::vector<TDVXVariant>& values,
              const TDVXLocateOptions& options = {});
  // The cursor's record as expressions read it (fields under their own
  // names and the projection's aliases).
  TDVXExprCursor& RowSource();
  // The record ID list of a restricted cursor is built on demand and
  // dropped whenever the set may have changed.
  bool RecordIDListValid() const { return recordIDsValid_; }

  // The visible fields: every table field, or those a projection chose.
  void SetProjection(const std::vector<std::string>& fieldNames, const std::vector<std::string>& aliases);
  int VisibleFieldCount() const;
  // The table field number and the name a visible field shows.
  int VisibleFieldNo(int fieldNo) const;
  std::string VisibleFieldName(int fieldNo) const;
  // Field access by visible field number on the cursor's buffer, as
  // record_buffer.h does it (10005 / 10006 for a number out of range).
  bool GetFieldData(int fieldNo, void* dest) const;
  void SetFieldData(int fieldNo, const void* source);
  // The field's value; a BLOB, MEMO or WIDEMEMO value is read whole and
  // ends in one (two for WIDEMEMO) zero bytes.
  void GetFieldValue(int fieldNo, TDVXVariant& value);
  // The name of the first index serving that order, "" when none does.
  std::string FindIndexByFields(const std::vector<std::string>& fieldNames, const std::vector<std::string>& directions,
                                const std::vector<std::string>& cases);
  // Every field NULL; with `applyDefaults` and outside temporary mode the
  // defaults are applied and autoincrement values drawn at once.
  void InitRecord(uint8_t* buffer, bool applyDefaults);
  void SetTemporaryMode(bool on) { temporaryMode_ = on; }
  bool TemporaryMode() const { return temporaryMode_; }
  // --- end of filters, locate, projection and field access ---

 private:
  template <typename F>
  TDVXCursorResult Run(F&& operation);
  void WriteRecordID();
  TDVXIndex* CurrentIndex() const;
  void SelectIndex(int32_t objectID);
  // The index's field count for a caller's count (0: all); 30960 outside.
  int KeyFieldCount(int count) const;
  // Range and record filter on a record image.
  bool Accepts(const uint8_t* record) const;
  // Whether the record lies beyond the range's end the walk heads for.
  bool PastRange(bool forward, const uint8_t* record) const;
  // Starting a walk from BOF (EOF) with a low (high) key seeks the key
  // instead of the first (last) record; false when it does not apply.
  bool SeekRangeStart(bool forward, TDVXGetRecordResult& result);
  TDVXGetRecordResult ReadAt(const TDVXRecordID& id);
  // Runs a change of the current record under its record lock.
  template <typename F>
  TDVXCursorResult RunLocked(F&& operation);
  void ReleaseEditLock() noexcept;
  // A table of the temporary database refuses edits with a result code
  // of its own (and the message): true, with `result` set, when it did.
  bool RefuseTemporary(int32_t code, const char* message, TDVXCursorResult& result);

  TDVXLocalSession& session_;
  std::string tableName_;
  bool exclusive_;
  TDVXTableData* table_ = nullptr;
  std::vector<uint8_t> buffer_;
  bool bof_ = true;
  bool eof_ = false;
  TDVXRecordID recordID_ = kNoRecordID;
  int32_t currentIndexID_ = -1;
  std::vector<uint8_t> keyBuffer_;
  TDVXCursorRange range_;
  TDVXRecordFilter recordFilter_;
  bool editLocked_ = false;
  TDVXRecordID editLock_ = kNoRecordID;
  bool dropOnClose_ = false;
  // --- BLOB streams and table locks ---
  void DropBLOBStreams(bool onlyWriters, bool store);
  void TableLock(int mode, int32_t code);
  void TableUnlock(int mode, int32_t code);
  bool TryTableLock(int mode);
  void ReleaseTableLocks() noexcept;
  std::vector<std::shared_ptr<TDVXLocalBLOBStream>> blobStreams_;
  // Locks held through the cursor: S, IRW, RW.
  std::array<int32_t, 3> heldLocks_{};
  // --- end of BLOB streams and table locks ---
  // --- filters, record ID list and projection ---
  struct TVisibleField {
    int fieldNo;
    std::string name;
  };
  // Filter expression and external condition on a record image.
  bool PassesFilters(const uint8_t* record) const;
  void InvalidateRecordIDs() { recordIDsValid_ = false; }
  // The record ID list, rebuilt when invalid or when the table changed
  // since it was built.
  const TDVXRecordBitmap& RecordIDs();
  // Navigation of a restricted cursor by walking the table and skipping.
  TDVXGetRecordResult WalkRestricted(TDVXGetRecordMode mode);
  // A step of a restricted cursor through its record ID list.
  TDVXGetRecordResult StepRestricted(TDVXGetRecordMode mode);
  std::unique_ptr<TDVXCursorRowSource> rowSource_;
  std::unique_ptr<TDVXExpression> filter_;
  std::unique_ptr<TDVXExpression> condition_;
  TDVXRecordBitmap recordIDs_;
  bool recordIDsValid_ = false;
  // The order the list was built in (-1 physical) and the table's change
  // count then: either moving drops the list.
  int32_t recordIDsIndexID_ = -1;
  uint64_t recordIDsChangeCount_ = 0;
  // Where the last step of a restricted walk landed, at which change count:
  // only from there does the list know the cursor's place (a record read
  // otherwise, or changed since, is placed by the key in the buffer).
  TDVXRecordID landing_ = kNoRecordID;
  uint64_t landingChangeCount_ = 0;
  std::vector<TVisibleField> visibleFields_;
  bool temporaryMode_ = false;
  // --- end of filters, record ID list and projection ---
  // --- change notices (table_change_notices.cpp) ---
  friend class TDVXChangeNotices;
  // Written under the notices' delivery lock.
  TDVXCursorObserver* observer_ = nullptr;
  // Open with an observer: notices are taken. Guarded by the notices'
  // pending lock.
  bool observed_ = false;
  // --- end of change notices ---
};

}  // namespace dvx
