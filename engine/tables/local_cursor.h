#pragma once
// TDVXCursor / TDVXLocalCursor: one client's open view of one table: its
// record buffer, its position and its current index. The cursor hands its
// work to the table's shared object (table_data.h); record operations come
// back as result codes (0 for success, the native error code otherwise,
// with the message in LastMessage), navigation as TDVXGetRecordResult.
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
// Bookmark (8 bytes): BOF flag, EOF flag, PageNo int32 LE, PageItemNo
// uint16 LE.
//
// A cursor is restricted while a range or a record filter is set; it then
// shows only the records that pass the acceptance test, in its order.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/storage/base_record_manager.h"
#include "engine/storage/record_id.h"
#include "engine/tables/record_id_list.h"

namespace dvx {

class TDVXConstraintDefForeignKey;
class TDVXFieldDefs;
class TDVXIndex;
class TDVXLocalSession;
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
  virtual int32_t InsertRecord() = 0;
  virtual int32_t UpdateRecord() = 0;
  virtual int32_t DeleteRecord() = 0;
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
  bool Restricted() const { return HasRange() || static_cast<bool>(recordFilter_); }
  // The records of the cursor's set in its order, read afresh.
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
  int32_t InsertRecord() override;
  int32_t UpdateRecord() override;
  int32_t DeleteRecord() override;
  int64_t GetRecordCount() override;
  // Edits. BeginEdit locks the current record (another session's edit,
  // update or delete of it is refused until the edit ends) and reads it
  // again; CancelEdit unlocks it. Post and Delete take the lock for their
  // own duration when no edit holds it, and end the edit when they
  // succeed; when they fail, the cursor, its lock and the table stay as
  // they were. Result codes: Post -8 (insert) or -2 (update), Delete -3,
  // with the message; BeginEdit and CancelEdit the native code.
  int32_t BeginEdit();
  int32_t CancelEdit();
  int32_t Post(bool insert);
  int32_t Delete();
  bool Editing() const { return editLocked_; }
  const std::string& LastMessage() const { return lastMessage_; }
  int32_t LastResult() const { return lastResult_; }

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

 private:
  template <typename F>
  int32_t Run(F&& operation);
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
  int32_t RunLocked(F&& operation);
  void ReleaseEditLock() noexcept;

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
  int32_t lastResult_ = 0;
  std::string lastMessage_;
};

}  // namespace dvx
