#include "engine/tables/local_cursor.h"

#include <cstring>
#include <exception>

#include "engine/core/cleanup_failures.h"
#include "engine/core/exception.h"
#include "engine/schema/blob_slot.h"
#include "engine/schema/record_buffer.h"
#include "engine/values/field_types.h"
#include "engine/sql/expression.h"
#include "engine/tables/cursor_row_source.h"
#include "engine/tables/database_data.h"
#include "engine/tables/local_session.h"
#include "engine/tables/resident_table_errors.h"
#include "engine/tables/table_change_notices.h"
#include "engine/tables/table_data.h"
#include "engine/tables/table_data_errors.h"

namespace dvx {

TDVXLocalCursor::TDVXLocalCursor(TDVXLocalSession& session, std::string tableName, bool exclusive)
    : session_(session), tableName_(std::move(tableName)), exclusive_(exclusive) {}

TDVXLocalCursor::~TDVXLocalCursor() {
  try {
    Close();
  } catch (...) {
    NoteCleanupFailure("closing a cursor");
  }
}

int32_t TDVXLocalCursor::SessionID() const { return session_.SessionID(); }

TDVXTableData& TDVXLocalCursor::Table() const {
  if (!table_) throw EDVXException(kErrCursorNotOpen, "Cursor on table '%s' is not open", {tableName_});
  return *table_;
}

const TDVXFieldDefs& TDVXLocalCursor::Fields() const { return Table().Fields(); }

void TDVXLocalCursor::Open() {
  if (table_) return;
  TDVXDatabaseData& database = session_.Database();
  if (!database.TableExists(tableName_))
    throw EDVXException(kErrCursorTableNotFound, "Table not found, table name = %s", {tableName_});
  TDVXTableData& table = database.OpenTable(session_, tableName_, exclusive_);
  // An exclusive open keeps every other session and program out of the
  // table for as long as it is open; otherwise the intent lock IS keeps
  // only exclusive openers out.
  const TDVXTableLockMode openMode = exclusive_ ? tlmX : tlmIS;
  if (!(exclusive_ ? table.LockTableX(SessionID()) : table.LockTableIS(SessionID()))) {
    database.ReleaseTable(table);
    throw EDVXException(kErrLockTableInsert, "Error - cannot lock table in '%s' mode, table name = '%s'",
                        {TableLockModeName(openMode), tableName_});
  }
  table.RegisterCursor(*this);
  session_.RegisterCursor(*this);
  table_ = &table;
  buffer_.assign(static_cast<size_t>(table.RecordSize()) + kCursorRecordIDSize + 1, 0);
  keyBuffer_.assign(static_cast<size_t>(table.RecordSize()) + kCursorKeyControlSize, 0);
  currentIndexID_ = -1;
  range_ = TDVXCursorRange{};
  recordIDsValid_ = false;
  First();
  if (observer_) TDVXChangeNotices::Arm(*this, true);
}

void TDVXLocalCursor::SetObserver(TDVXCursorObserver* observer) { TDVXChangeNotices::SetObserver(*this, observer); }

void TDVXLocalCursor::Close() {
  if (!table_) return;
  TDVXTableData& table = *table_;
  // First: a call under way to the observer on another thread ends before
  // the cursor goes, and none comes after.
  if (observer_) TDVXChangeNotices::Arm(*this, false);
  ReleaseEditLock();
  DropBLOBStreams(false, false);
  ReleaseTableLocks();
  // A buffer that cannot give its pending values back must not keep the
  // cursor registered: the close goes through and reports the error after.
  std::exception_ptr discardFailure;
  try {
    DiscardPendingBlobs(table.Fields(), buffer_.data());
  } catch (const EDVXException&) {
    discardFailure = std::current_exception();
  }
  // Expressions and the projection are bound to the layout of the table
  // as it was open.
  filter_.reset();
  condition_.reset();
  visibleFields_.clear();
  recordIDs_.Clear();
  recordIDsValid_ = false;
  table_ = nullptr;
  session_.UnregisterCursor(*this);
  table.UnregisterCursor(*this);
  if (exclusive_) table.UnlockTableX(SessionID());
  else table.UnlockTableIS(SessionID());
  TDVXDatabaseData& database = session_.Database();
  // Whether the table is to go is decided before it is released: a
  // database that does not keep its tables frees the object there.
  const bool drop = dropOnClose_ && database.KeepsTables() && table.CursorCount() == 0;
  database.ReleaseTable(table);
  if (drop) database.DeleteTable(session_, tableName_);
  if (discardFailure) std::rethrow_exception(discardFailure);
}

void TDVXLocalCursor::NewRecord() {
  TDVXTableData& table = Table();
  DiscardPendingBlobs(table.Fields(), buffer_.data());
  std::fill(buffer_.begin(), buffer_.end(), 0);
  for (int i = 0; i < table.Fields().Count(); ++i) SetNull(true, i, buffer_.data());
  table.ApplyDefaults(*this, buffer_.data(), false);
}

void TDVXLocalCursor::WriteRecordID() {
  recordID_.Encode(buffer_.data() + buffer_.size() - 1 - kCursorRecordIDSize);
}

void TDVXLocalCursor::SetPosition(bool bof, bool eof, const TDVXRecordID& id) {
  bof_ = bof;
  eof_ = eof;
  recordID_ = id;
  if (!buffer_.empty()) WriteRecordID();
}

void TDVXLocalCursor::First() { SetPosition(true, false, kNoRecordID); }

void TDVXLocalCursor::Last() { SetPosition(false, true, kNoRecordID); }

template <typename F>
TDVXCursorResult TDVXLocalCursor::Run(F&& operation) {
  try {
    operation(Table());
  } catch (const EDVXException& e) {
    return {e.NativeError() != 0 ? e.NativeError() : -1, e.NativeError(), e.Message()};
  }
  return {};
}

TDVXCursorResult TDVXLocalCursor::InsertRecord() {
  TDVXChangeNotices::TScope notices;
  return Run([&](TDVXTableData& table) { table.Insert(*this); });
}

void TDVXLocalCursor::ReleaseEditLock() noexcept {
  if (!editLocked_) return;
  editLocked_ = false;
  try {
    table_->UnlockRecordForEdit(*this, editLock_);
  } catch (...) {
    // The session's end releases whatever it still holds.
  }
}

template <typename F>
TDVXCursorResult TDVXLocalCursor::RunLocked(F&& operation) {
  return Run([&](TDVXTableData& table) {
    if (bof_ || eof_) throw EDVXException(kErrNoCurrentRecord, "Error - no current record in table '%s'", {tableName_});
    const TDVXRecordID id = recordID_;
    const bool held = editLocked_ && editLock_ == id;
    if (!held) table.LockRecordForEdit(*this);
    try {
      operation(table);
    } catch (...) {
      if (!held) table.UnlockRecordForEdit(*this, id);
      throw;
    }
    editLocked_ = false;
    table.UnlockRecordForEdit(*this, id);
  });
}

TDVXCursorResult TDVXLocalCursor::UpdateRecord() {
  TDVXChangeNotices::TScope notices;
  return RunLocked([&](TDVXTableData& table) { table.Update(*this); });
}

TDVXCursorResult TDVXLocalCursor::BeginEdit() {
  TDVXChangeNotices::TScope notices;
  TDVXCursorResult refused;
  if (RefuseTemporary(kResultTemporaryEdit, "Cannot update record in temporary mode", refused)) return refused;
  return Run([&](TDVXTableData& table) {
    if (bof_ || eof_) throw EDVXException(kErrNoCurrentRecord, "Error - no current record in table '%s'", {tableName_});
    if (editLocked_ && editLock_ == recordID_) return;
    if (editLocked_) {
      table.UnlockRecordForEdit(*this, editLock_);
      editLocked_ = false;
    }
    table.LockRecordForEdit(*this);
    editLocked_ = true;
    editLock_ = recordID_;
    // The edit starts from the record as stored now.
    if (table.GetRecord(*this, grmCurrent) != grrDone) {
      ReleaseEditLock();
      table.CannotLoad(recordID_);
    }
  });
}

TDVXCursorResult TDVXLocalCursor::CancelEdit() {
  TDVXChangeNotices::TScope notices;
  TDVXCursorResult refused;
  if (RefuseTemporary(kResultTemporaryCancel, "Cannot update record in temporary mode", refused)) return refused;
  return Run([&](TDVXTableData& table) {
    DropBLOBStreams(true, false);
    DiscardPendingBlobs(table.Fields(), buffer_.data());
    if (!editLocked_) return;
    table.UnlockRecordForEdit(*this, editLock_);
    editLocked_ = false;
  });
}

TDVXCursorResult TDVXLocalCursor::Post(bool insert) {
  TDVXChangeNotices::TScope notices;
  if (insert) {
    // Autoincrement values drawn for a refused record are given back to
    // the buffer's NULLs, so posting it again draws afresh.
    const std::vector<uint8_t> before(buffer_.begin(), buffer_.begin() + Table().RecordSize());
    TDVXCursorResult result = InsertRecord();
    if (result.ok()) return result;
    const TDVXFieldDefs& fields = Table().Fields();
    for (int i = 0; i < fields.Count(); ++i) {
      const TDVXFieldDef& f = *fields.Items(i);
      if (!IsAutoincType(f.AdvancedFieldType())) continue;
      SetNull(IsNull(i, before.data()), i, buffer_.data());
      std::memcpy(buffer_.data() + f.MemoryOffset(), before.data() + f.MemoryOffset(),
                  static_cast<size_t>(f.MemoryDataSize()));
    }
    result.code = -8;
    return result;
  }
  TDVXCursorResult result = UpdateRecord();
  if (result.ok()) return result;
  result.code = -2;
  result.message = "Error updating record: " + result.message;
  return result;
}

TDVXCursorResult TDVXLocalCursor::Delete() {
  TDVXChangeNotices::TScope notices;
  TDVXCursorResult refused;
  if (RefuseTemporary(kResultTemporaryDelete, "Cannot delete record in temporary mode", refused)) return refused;
  TDVXCursorResult result = DeleteRecord();
  if (!result.ok()) result.code = -3;
  return result;
}

TDVXCursorResult TDVXLocalCursor::DeleteRecord() {
  TDVXChangeNotices::TScope notices;
  const TDVXCursorResult result = RunLocked([&](TDVXTableData& table) { table.Delete(*this); });
  if (result.ok() && Restricted() && !bof_ && !eof_ && !Accepts(Record())) {
    // The table leaves the cursor on a neighbour in its order; a restricted
    // cursor stands on a neighbour of its set instead: the next one, or the
    // prior one when there is no next.
    const TDVXRecordID landed = recordID_;
    if (GetRecord(grmNext) == grrDone) return result;
    SetPosition(false, false, landed);
    if (Table().GetRecord(*this, grmCurrent) == grrDone && GetRecord(grmPrior) == grrDone) return result;
    Last();
  }
  return result;
}

TDVXCursorSnapshot TDVXLocalCursor::TakeSnapshot() const { return {bof_, eof_, recordID_, buffer_}; }

void TDVXLocalCursor::PutSnapshot(const TDVXCursorSnapshot& snapshot) {
  // Pending BLOB blocks belong to one buffer; a snapshot's copy of a slot
  // would name a block the live buffer may free, so the live slots are
  // released and the snapshot's taken without pending values. A released
  // block's handle must leave the slot with its marker: the NULL flag alone
  // does not stop a later release from freeing it again.
  if (table_) DiscardPendingBlobs(table_->Fields(), buffer_.data());
  buffer_ = snapshot.buffer;
  if (table_) {
    const TDVXFieldDefs& fields = table_->Fields();
    for (int i = 0; i < fields.Count(); ++i) {
      uint8_t* slot = buffer_.data() + fields.Items(i)->MemoryOffset();
      if (IsAdvancedBlobType(fields.Items(i)->AdvancedFieldType()) && BlobSlotMarker(slot) == kBlobSlotPending) {
        std::memset(slot, 0, 8);
        SetNull(true, i, buffer_.data());
      }
    }
  }
  bof_ = snapshot.bof;
  eof_ = snapshot.eof;
  recordID_ = snapshot.recordID;
}

}  // namespace dvx
