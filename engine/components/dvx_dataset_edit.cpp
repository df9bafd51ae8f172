// TDVXDataSet: edit, insert, post, cancel and delete, with the database's
// record events.
//
// Post:
//   1. the state checks: open, in edit or insert state, writable;
//   2. the active buffer's fields go into the cursor's buffer (its BLOB
//      slots already hold what streams wrote) and writers still open
//      store their content;
//   3. the values for the events are collected, only when the database
//      has a handler for the before- or after-event;
//   4. the before-event may refuse ("... is blocked by database event");
//   5. the cursor writes the record; a failure keeps the state, the
//      active buffer and the table as they were;
//   6. the after-event gets the values as written (autoincrement numbers
//      included);
//   7. the value arrays are emptied whatever happened.
#include <cstring>

#include "engine/components/database.h"
#include "engine/components/cursor_call.h"
#include "engine/components/dataset_errors.h"
#include "engine/components/dvx_dataset.h"
#include "engine/core/exception.h"
#include "engine/schema/field_def.h"
#include "engine/schema/record_buffer.h"
#include "engine/storage/record_id.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_data.h"

namespace dvx {

namespace {

// Empties the value arrays when the post or delete ends, however it ends.
class TValuesReset {
 public:
  TValuesReset(std::vector<TDVXVariant>& a, std::vector<TDVXVariant>& b) : a_(a), b_(b) {}
  ~TValuesReset() {
    a_.clear();
    b_.clear();
  }
  TValuesReset(const TValuesReset&) = delete;
  TValuesReset& operator=(const TValuesReset&) = delete;

 private:
  std::vector<TDVXVariant>& a_;
  std::vector<TDVXVariant>& b_;
};

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

void TDVXDataSet::CheckWritable() const {
  if (readOnly_) Fail(kMsgDataSetReadOnly);
}

void TDVXDataSet::RaiseCursorResult(const TDVXCursorResult& result, int32_t ownCode, const char* prefix) const {
  const std::string message = StartsWith(result.message, prefix) ? result.message : prefix + result.message;
  throw EDVXException(result.nativeCode != 0 ? result.nativeCode : ownCode, message);
}

std::vector<TDVXVariant> TDVXDataSet::CursorValues() {
  std::vector<TDVXVariant> values(tableFieldNos_.size());
  TCursorCall call(cursorCallDepth_);
  for (size_t i = 0; i < tableFieldNos_.size(); ++i) cursor_->GetFieldValue(static_cast<int>(i), values[i]);
  return values;
}

void TDVXDataSet::CopyActiveToCursor() {
  const uint8_t* source = ActiveBuffer();
  uint8_t* target = cursor_->Record();
  const TDVXFieldDefs& fields = cursor_->Table().Fields();
  for (int i = 0; i < fields.Count(); ++i) {
    const TDVXFieldDef& field = *fields.Items(i);
    if (IsBlobType(field.BaseFieldType())) continue;
    std::memcpy(target + field.MemoryOffset(), source + field.MemoryOffset(),
                static_cast<size_t>(field.MemoryDataSize()));
    SetNull(IsNull(i, source), i, target);
  }
}

void TDVXDataSet::InternalEdit() {
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorEdit);
  CheckWritable();
  InternalSetToRecord(ActiveBuffer());
  TDVXCursorResult result;
  {
    TCursorCall call(cursorCallDepth_);
    result = cursor.BeginEdit();
  }
  if (result.code == -9) throw EDVXException(kErrTemporaryUpdate, kMsgTemporaryUpdate);
  if (!result.ok()) RaiseCursorResult(result, kErrEditRecord, kMsgEditRecord);
  // The edit starts from the record as stored now, which the cursor has
  // just read under its lock.
  TakeCursorRecord(ActiveBuffer());
  editCopy_.assign(cursor.Record(), cursor.Record() + recordSize_);
  oldValues_.clear();
  if (database_ && (database_->BeforeUpdateRecord || database_->AfterUpdateRecord)) oldValues_ = CursorValues();
}

void TDVXDataSet::InternalInsert() {
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorInsert);
  CheckWritable();
  // The cursor's buffer receives what BLOB streams write for the new
  // record; it starts with every field NULL.
  TCursorCall call(cursorCallDepth_);
  cursor.InitRecord(cursor.Record(), false);
}

void TDVXDataSet::InternalPost() {
  if (!Active()) Fail("Dataset is not opened");
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorPost);
  if (State() != dsEdit && State() != dsInsert) Fail(kMsgNotInsertOrEdit);
  CheckWritable();
  const bool insert = State() == dsInsert;
  TValuesReset reset(oldValues_, newValues_);
  {
    TCursorCall call(cursorCallDepth_);
    CopyActiveToCursor();
    cursor.CloseAllBLOBs(true);
  }
  TDVXDatabase* database = database_;
  const std::string tableName = EventTableName();
  if (insert) {
    if (database && (database->BeforeInsertRecord || database->AfterInsertRecord)) newValues_ = CursorValues();
    if (database && database->BeforeInsertRecord) {
      bool abort = false;
      database->BeforeInsertRecord(*database, *this, tableName, newValues_, abort);
      if (abort) throw EDVXException(kErrInsertBlocked, kMsgInsertBlocked);
    }
  } else {
    if (database && (database->BeforeUpdateRecord || database->AfterUpdateRecord)) newValues_ = CursorValues();
    if (database && database->BeforeUpdateRecord) {
      bool abort = false;
      database->BeforeUpdateRecord(*database, *this, tableName, oldValues_, newValues_, abort);
      if (abort) throw EDVXException(kErrUpdateBlocked, kMsgUpdateBlocked);
    }
  }
  TDVXCursorResult result;
  {
    TCursorCall call(cursorCallDepth_);
    result = cursor.Post(insert);
  }
  if (!result.ok()) {
    if (insert) RaiseCursorResult(result, kErrInsertRecord, kMsgInsertRecord);
    RaiseCursorResult(result, kErrUpdateRecord, kMsgUpdateRecord);
  }
  editCopy_.clear();
  // The framework re-reads the window after the post, which takes in
  // whatever changed elsewhere meanwhile.
  tableChangePending_ = false;
  if (!database) return;
  bool ignored = false;
  if (insert && database->AfterInsertRecord) {
    newValues_ = CursorValues();
    database->AfterInsertRecord(*database, *this, tableName, newValues_, ignored);
  } else if (!insert && database->AfterUpdateRecord) {
    newValues_ = CursorValues();
    database->AfterUpdateRecord(*database, *this, tableName, oldValues_, newValues_, ignored);
  }
}

void TDVXDataSet::InternalCancel() {
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorCancel);
  TDVXCursorResult result;
  {
    TCursorCall call(cursorCallDepth_);
    result = cursor.CancelEdit();
    if (result.code == -11) {
      // A table of the temporary database has no edits to end; what
      // streams wrote for the new record is dropped here instead.
      cursor.CloseAllBLOBs(true);
      cursor.InitRecord(cursor.Record(), false);
      result = TDVXCursorResult{};
    }
  }
  editCopy_.clear();
  oldValues_.clear();
  tableChangePending_ = false;
  if (!result.ok()) RaiseCursorResult(result, kErrEditRecord, kMsgEditRecord);
  // A cancelled insert goes back to where it was made: the record the new
  // one stood before, the end (append) or the start (empty dataset); the
  // cursor stayed put meanwhile, its buffer holding the new record.
  uint8_t* active = ActiveBuffer();
  if (State() != dsInsert || !active) return;
  TCursorCall call(cursorCallDepth_);
  switch (GetBookmarkFlag(active)) {
    case bfEOF: cursor.Last(); break;
    case bfBOF: cursor.First(); break;
    default:
      if (!TDVXRecordID::Decode(active + recordSize_).IsNone()) GotoRecordID(active + recordSize_);
      break;
  }
}

void TDVXDataSet::InternalDelete() {
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorDelete);
  CheckWritable();
  if (cursor.Editing()) {
    TCursorCall call(cursorCallDepth_);
    const TDVXCursorResult cancelled = cursor.CancelEdit();
    if (!cancelled.ok()) RaiseCursorResult(cancelled, kErrDeleteRecord, kMsgDeleteRecord);
  }
  TValuesReset reset(oldValues_, newValues_);
  InternalSetToRecord(ActiveBuffer());
  TDVXDatabase* database = database_;
  const std::string tableName = EventTableName();
  if (database && (database->BeforeDeleteRecord || database->AfterDeleteRecord)) oldValues_ = CursorValues();
  if (database && database->BeforeDeleteRecord) {
    bool abort = false;
    database->BeforeDeleteRecord(*database, *this, tableName, oldValues_, abort);
    if (abort) throw EDVXException(kErrDeleteBlocked, kMsgDeleteBlocked);
  }
  TDVXCursorResult result;
  {
    TCursorCall call(cursorCallDepth_);
    result = cursor.Delete();
  }
  if (result.code == -10) throw EDVXException(kErrTemporaryDelete, kMsgTemporaryDelete);
  if (result.code == -9 || result.code == -11) throw EDVXException(kErrTemporaryUpdate, result.message);
  if (!result.ok()) RaiseCursorResult(result, kErrDeleteRecord, kMsgDeleteRecord);
  if (database && database->AfterDeleteRecord) {
    bool ignored = false;
    database->AfterDeleteRecord(*database, *this, tableName, oldValues_, ignored);
  }
}

void TDVXDataSet::EmptyTable() {
  CheckActive();
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorEmpty);
  CheckWritable();
  CheckBrowseMode();
  {
    TCursorCall call(cursorCallDepth_);
    cursor.First();
    cursor.Table().DeleteAll(cursor);
  }
  First();
}

}  // namespace dvx
