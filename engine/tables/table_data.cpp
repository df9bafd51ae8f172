#include "engine/tables/table_data.h"

#include <algorithm>
#include <cstring>

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/core/message_format.h"
#include "engine/schema/blob_slot.h"
#include "engine/schema/record_buffer.h"
#include "engine/schema/table_definitions.h"
#include "engine/sql/expr_node_comparison.h"
#include "engine/sql/expr_node_const.h"
#include "engine/sql/expr_node_field.h"
#include "engine/sql/expression.h"
#include "engine/values/field_types.h"
#include "engine/tables/database_data.h"
#include "engine/values/field_compare.h"
#include "engine/values/value_slot.h"
#include "engine/tables/btree_index.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_read_scope.h"
#include "engine/tables/unit_of_work.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_change_notices.h"
#include "engine/tables/table_data_errors.h"
#include "engine/tables/table_operation.h"
#include "engine/tables/table_row_source.h"
#include "engine/tables/transaction.h"

namespace dvx {

const char* TableLockModeName(TDVXTableLockMode mode) {
  switch (mode) {
    case tlmIS: return "IS";
    case tlmS: return "S";
    case tlmIRW: return "IRW";
    case tlmRW: return "RW";
    case tlmX: return "X";
  }
  return "?";
}

TDVXTableData::TDVXTableData(TDVXDatabaseData& database, std::string tableName)
    : database_(database), tableName_(std::move(tableName)), fieldManager_(sequenceManager_) {}

TDVXTableData::~TDVXTableData() = default;

bool TDVXTableData::LockMode(int32_t session, TDVXTableLockMode mode) {
  TDVXTableLocksManager& locks = database_.TableLocks();
  return RetryLoop(locks.Params(), [&] { return locks.LockTable(session, tableName_, LocksFileID(), mode); });
}

bool TDVXTableData::UnlockMode(int32_t session, TDVXTableLockMode mode) {
  return database_.TableLocks().UnlockTable(tableName_, session, mode);
}

bool TDVXTableData::HoldsTableLocks(int32_t session) {
  TDVXTableLocksManager& locks = database_.TableLocks();
  for (int mode : {ltS, ltIRW, ltRW, ltX})
    if (locks.LockCount(tableName_, session, mode) > 0) return true;
  return false;
}

void TDVXTableData::RaiseLockFailure(int32_t code, bool unlock, TDVXTableLockMode mode) const {
  throw EDVXException(code,
                      unlock ? "Error - cannot unlock table in '%s' mode, table name = '%s'"
                             : "Error - cannot lock table in '%s' mode, table name = '%s'",
                      {TableLockModeName(mode), tableName_});
}

void TDVXTableData::DefineNewTable(const TDVXFieldDefs& fields, const TDVXIndexDefs& indexes,
                                   const TDVXConstraintDefs& constraints) {
  ValidateTableCreation(tableName_, fields, indexes, constraints);
  database_.SyncObjectIDCounter();
  TDVXLockGuard databaseGuard(database_.Lock());
  TDVXSequenceDef& counter = database_.ObjectIDCounter();
  TDVXFieldDefs& f = Fields();
  f.Assign(fields);
  AssignObjectIDs(f, counter);
  f.RecomputeLayout();
  CreateAutoincSequences(tableName_, f, sequenceManager_, counter);
  TDVXIndexDefs& ix = indexManager_.IndexDefs();
  ix.Assign(indexes);
  AssignObjectIDs(ix, counter);
  for (int i = 0; i < ix.Count(); ++i) {
    ix.Items(i)->SetRootPageNo(-1);
    TDVXBTreeIndex(*ix.Items(i), &f, IndexPageManager()).OpenForCreate();
  }
  TDVXConstraintDefs& c = constraintManager_.ConstraintDefs();
  c.Assign(constraints);
  CreateUniqueConstraintsFromIndexes(ix, c);
  AssignObjectIDs(c, counter);
  NameConstraints(c);
  ResolveConstraintReferences(c, f, ix);
  hasBlobs_ = false;
  for (int i = 0; i < f.Count(); ++i) hasBlobs_ = hasBlobs_ || IsAdvancedBlobType(f.Items(i)->AdvancedFieldType());
}

int32_t TDVXTableData::HighestObjectID() const {
  int32_t highest = 0;
  auto raise = [&](const TDVXMetaObjectDefs& defs) {
    for (int i = 0; i < defs.Count(); ++i) highest = std::max(highest, defs.Item(i)->ObjectID());
  };
  raise(Fields());
  raise(indexManager_.IndexDefs());
  raise(constraintManager_.ConstraintDefs());
  raise(sequenceManager_.SequenceDefs());
  return highest;
}

void TDVXTableData::BuildIndexes() {
  indexes_.clear();
  TDVXIndexDefs& defs = indexManager_.IndexDefs();
  for (int i = 0; i < defs.Count(); ++i) {
    auto index = std::make_unique<TDVXBTreeIndex>(*defs.Items(i), &Fields(), IndexPageManager());
    index->Open();
    indexes_.push_back(std::move(index));
  }
}

TDVXIndex* TDVXTableData::IndexByID(int32_t objectID) {
  if (objectID == -1) return nullptr;
  for (auto& index : indexes_)
    if (index->IndexDef().ObjectID() == objectID) return index.get();
  return nullptr;
}

TDVXIndex* TDVXTableData::IndexByName(const std::string& name) {
  const int i = indexManager_.IndexDefs().FindByName(name);
  return i < 0 ? nullptr : indexes_.at(static_cast<size_t>(i)).get();
}

void TDVXTableData::RegisterCursor(TDVXLocalCursor& cursor) {
  TDVXLockGuard guard(lock_);
  cursors_.push_back(&cursor);
}

void TDVXTableData::UnregisterCursor(TDVXLocalCursor& cursor) {
  TDVXLockGuard guard(lock_);
  cursors_.erase(std::remove(cursors_.begin(), cursors_.end(), &cursor), cursors_.end());
}

void TDVXTableData::NoteChangeThrough(const TDVXLocalCursor* source) {
  TDVXLockGuard guard(lock_);
  TDVXChangeNotices::Note(cursors_, source, false);
}

void TDVXTableData::NoteChangeFromOutside() {
  TDVXLockGuard guard(lock_);
  TDVXChangeNotices::Note(cursors_, nullptr, true);
}

void TDVXTableData::SetActiveTransaction(int32_t sessionID) {
  if (activeTransaction_ != kNoTransaction && activeTransaction_ != sessionID)
    throw EDVXException(kErrActiveTransaction,
                        "Cannot set active transaction for table '%s'. FActiveTransactionSessionID = %d, aSessionID = %d",
                        {tableName_, activeTransaction_, sessionID});
  activeTransaction_ = sessionID;
}

TDVXTableState TDVXTableData::TakeState() const {
  TDVXTableState state;
  const TDVXSequenceDefs& sequences = sequenceManager_.SequenceDefs();
  for (int i = 0; i < sequences.Count(); ++i) state.sequenceValues.push_back(sequences.Items(i)->CurrentValue());
  const TDVXIndexDefs& indexes = indexManager_.IndexDefs();
  for (int i = 0; i < indexes.Count(); ++i) state.rootPages.push_back(indexes.Items(i)->RootPageNo());
  return state;
}

void TDVXTableData::PutState(const TDVXTableState& state) {
  NoteChange();
  TDVXSequenceDefs& sequences = sequenceManager_.SequenceDefs();
  for (int i = 0; i < sequences.Count() && i < static_cast<int>(state.sequenceValues.size()); ++i)
    sequences.Items(i)->SetCurrentValue(state.sequenceValues[static_cast<size_t>(i)]);
  TDVXIndexDefs& indexes = indexManager_.IndexDefs();
  for (int i = 0; i < indexes.Count() && i < static_cast<int>(state.rootPages.size()); ++i)
    indexes.Items(i)->SetRootPageNo(state.rootPages[static_cast<size_t>(i)]);
}

// --- the table lock of a change ----------------------------------------------

// Outside a transaction a change holds the table in RW mode for its
// duration; inside one the table is enrolled instead (the operation
// scope's Touch) and the transaction's commit takes the lock.
class TDVXTableData::TChangeLock {
 public:
  // The operation reads and writes in one read bracket (page_manager.h,
  // invariant 6), opened once the lock RW keeps other programs away from
  // the table (inside a transaction: for the transaction's own view).
  TChangeLock(TDVXTableData& table, TDVXLocalSession& session) : table_(table), session_(session.SessionID()) {
    if (!session.InTransaction()) {
      if (!table.LockTableRW(session_)) table.RaiseLockFailure(kErrLockTableInsert, false, tlmRW);
      held_ = true;
    }
    try {
      table.IndexPageManager().BeginBracket(session_);
      bracket_ = true;
      if (held_) table.ReloadState(session_);
    } catch (...) {
      EndBracket();
      if (held_) table_.UnlockTableRW(session_);
      throw;
    }
  }
  ~TChangeLock() {
    EndBracket();
    if (held_) table_.UnlockTableRW(session_);
  }
  // Releasing reports a refusal; the destructor cannot.
  void Release() {
    EndBracket();
    if (!held_) return;
    held_ = false;
    if (!table_.UnlockTableRW(session_)) table_.RaiseLockFailure(kErrUnlockTableInsert, true, tlmRW);
  }

 private:
  void EndBracket() {
    if (bracket_) table_.IndexPageManager().EndBracket(session_);
    bracket_ = false;
  }

  TDVXTableData& table_;
  int32_t session_;
  bool held_ = false;
  bool bracket_ = false;
};

// --- constraints --------------------------------------------------------------

void TDVXTableData::ApplyDefaults(TDVXLocalCursor& cursor, uint8_t* buffer, bool autoinc) {
  TDVXLockGuard guard(lock_);
  fieldManager_.ApplyDefaults(cursor.Session(), buffer, autoinc);
}

void TDVXTableData::DrawAutoincValues(TDVXLocalSession& session, uint8_t* buffer) {
  const TDVXFieldDefs& fields = Fields();
  if (!fields.HasAutoincFields()) return;
  for (int i = 0; i < fields.Count(); ++i) {
    const TDVXFieldDef& f = *fields.Items(i);
    if (!IsAutoincType(f.AdvancedFieldType()) || !IsNull(i, buffer)) continue;
    const int64_t value = sequenceManager_.GetNextValue(session, f.AutoincSequenceID());
    // The low MemoryDataSize bytes of the little-endian int64.
    std::memcpy(buffer + f.MemoryOffset(), &value, static_cast<size_t>(f.MemoryDataSize()));
    SetNull(false, i, buffer);
  }
}

void TDVXTableData::CheckNotNull(const TDVXConstraintDefNotNull& constraint, const uint8_t* buffer,
                                 int32_t missingCode, int32_t nullCode) {
  const int fieldNo = Fields().FindByID(constraint.FieldID());
  if (fieldNo < 0) throw EDVXException(missingCode, "Field #%d not found", {constraint.FieldID()});
  if (IsNull(fieldNo, buffer))
    throw EDVXException(nullCode, "Constraint '%s' violated. Value in field '%s' cannot be null",
                        {constraint.ObjectName(), Fields().Items(fieldNo)->ObjectName()});
}

// A bound is held against the value as the SQL comparison "field < bound"
// would hold it: in the value model, where the two meet in their common
// type. Writing the bound into the field's slot first would cut it (2.5 in
// an integer field, 'abcd' in a VARCHAR(3)) and let values through that lie
// outside it.
void TDVXTableData::CheckRange(const TDVXConstraintDefCheck& constraint, const uint8_t* buffer) {
  const int fieldNo = Fields().FindByID(constraint.FieldID());
  if (fieldNo < 0) throw EDVXException(kErrCheckFieldMissing, "Field #%d not found", {constraint.FieldID()});
  if (IsNull(fieldNo, buffer)) return;
  const TDVXFieldDef& f = *Fields().Items(fieldNo);
  TDVXTableRowSource row(Fields(), buffer);
  auto violates = [&](TDVXExprNodeKind kind, const TDVXStoredValue& bound) {
    if (bound.IsNull()) return false;
    TDVXExpression comparison;
    comparison.SetRoot(std::make_unique<TDVXExprNodeComparison>(
        kind, std::make_unique<TDVXExprNodeField>("", f.ObjectName()),
        std::make_unique<TDVXExprNodeConst>(bound.Value()), true));
    comparison.BindToCursor(&row);
    comparison.Prepare();
    return comparison.IsTrue();
  };
  if (violates(nkLess, constraint.MinValue()))
    throw EDVXException(kErrCheckBelowMin, "Constraint '%s' violated. Value in field '%s' cannot be lower then '%s'",
                        {constraint.ObjectName(), f.ObjectName(), constraint.MinValue().Value().GetAsString()});
  if (violates(nkGreater, constraint.MaxValue()))
    throw EDVXException(kErrCheckAboveMax,
                        "Constraint '%s' violated. Value in field '%s' cannot be greater then '%s'",
                        {constraint.ObjectName(), f.ObjectName(), constraint.MaxValue().Value().GetAsString()});
}

void TDVXTableData::CheckUnique(const TDVXConstraintDefUnique& constraint, bool insert, const uint8_t* buffer,
                                const uint8_t* old, int32_t session) {
  const bool primary = constraint.ConstraintType() == ctPrimaryKey;
  if (primary)
    for (const TDVXNamedRef& column : constraint.Columns()) {
      const int fieldNo = Fields().FindByID(column.id);
      if (fieldNo < 0) throw EDVXException(kErrPrimaryFieldMissing, "Field #%d not found", {column.id});
      if (IsNull(fieldNo, buffer))
        throw EDVXException(kErrPrimaryNull, "Constraint '%s' violated. Value in field '%s' cannot be null",
                            {constraint.ObjectName(), Fields().Items(fieldNo)->ObjectName()});
    }
  TDVXIndex* index = IndexByID(constraint.Pairs()[2].id);
  if (!index)
    throw EDVXException(kErrTableDefinitionMismatch, "Error - table '%s' has no index with ID = %d",
                        {tableName_, constraint.Pairs()[2].id});
  // NULL keys compare equal, so a second all-NULL key is a duplicate too.
  const bool free = insert || !old ? index->IsKeyFree(session, buffer) : index->IsKeyFreeForUpdate(session, buffer, old);
  if (free) return;
  if (primary)
    throw EDVXException(kErrPrimaryDuplicate, "Primary Key constraint '%s' violated. Duplicate found.",
                        {constraint.ObjectName()});
  throw EDVXException(kErrUniqueDuplicate, "Constraint unique '%s' violated. Duplicate found.",
                      {constraint.ObjectName()});
}

void TDVXTableData::CheckConstraints(TDVXLocalCursor& cursor, bool insert, const uint8_t* buffer,
                                     const uint8_t* old, bool skipForeignKeys) {
  TDVXLockGuard guard(lock_);
  const int32_t session = cursor.SessionID();
  const TDVXConstraintDefs& constraints = constraintManager_.ConstraintDefs();
  for (int i = 0; i < constraints.Count(); ++i) {
    const TDVXConstraintDef& c = *constraints.Items(i);
    switch (c.ConstraintType()) {
      case ctPrimaryKey:
      case ctUnique:
        CheckUnique(static_cast<const TDVXConstraintDefUnique&>(c), insert, buffer, old, session);
        break;
      case ctNotNull:
        CheckNotNull(static_cast<const TDVXConstraintDefNotNull&>(c), buffer, kErrNotNullFieldMissing,
                     kErrNotNullViolated);
        break;
      case ctCheck:
        CheckRange(static_cast<const TDVXConstraintDefCheck&>(c), buffer);
        break;
      case ctForeignKey:
        if (!skipForeignKeys) CheckForeignKey(cursor, static_cast<const TDVXConstraintDefForeignKey&>(c), buffer);
        break;
      case ctForeignKeyAction:
        break;
      default:
        throw EDVXException(kErrConstraintNotImplemented, "Not implemented yet");
    }
  }
}

// --- records ------------------------------------------------------------------

bool TDVXTableData::ReadStored(int32_t session, const TDVXRecordID& id, std::vector<uint8_t>& buffer) {
  buffer.assign(static_cast<size_t>(RecordSize()), 0);
  return ReadRecord(session, id, buffer.data());
}

bool TDVXTableData::ReadRecord(int32_t session, const TDVXRecordID& id, uint8_t* record) {
  TDVXGetRecordRequest request;
  request.session = session;
  request.mode = grmCurrent;
  request.recordID = id;
  request.buffer = record;
  const bool read = RecordManager().GetRecord(request) == grrDone;
  lastReadCause_ = std::move(request.cause);
  return read;
}

void TDVXTableData::CannotLoad(const TDVXRecordID& id, const std::string& cause) const {
  constexpr const char* kFormat = "Error - cannot load record (PageNo = %d, PageItemNo = %d) in table '%s'";
  std::string message =
      FormatMessage(kFormat, {id.pageNo, static_cast<int32_t>(id.itemNo), tableName_}).value_or(kFormat);
  if (!cause.empty()) message += ": " + cause;
  throw EDVXException(kErrLoadRecord, message);
}

void TDVXTableData::ForEachRecord(int32_t session,
                                  const std::function<void(const TDVXRecordID& id, const uint8_t* record)>& visit) {
  std::vector<uint8_t> buffer(static_cast<size_t>(RecordSize()), 0);
  TDVXGetRecordRequest request;
  request.session = session;
  request.mode = grmNext;
  request.first = true;
  request.buffer = buffer.data();
  TDVXGetRecordResult result;
  while ((result = RecordManager().GetRecord(request)) == grrDone) {
    visit(request.recordID, buffer.data());
    request.first = false;
  }
  // A walk that cannot go on is damage: an index built or a constraint
  // checked over part of the records would say what is not so.
  if (result == grrError) CannotLoad(request.recordID, request.cause);
}

int64_t TDVXTableData::RecordCount(int32_t session) {
  TDVXLockGuard guard(lock_);
  return RecordManager().RecordCount(session);
}

bool TDVXTableData::IsRecordDeleted(TDVXLocalCursor& cursor) {
  TDVXLockGuard guard(lock_);
  if (cursor.Bof() || cursor.Eof()) return false;
  return !RecordManager().RecordExists(cursor.RecordID(), cursor.SessionID());
}

bool TDVXTableData::Insert(TDVXLocalCursor& cursor) {
  TDVXChangeNotices::TScope notices;
  const auto foreignKeys = LockForeignKeys();
  TDVXLockGuard guard(lock_);
  NoteChange();
  TDVXLocalSession& session = cursor.Session();
  const int32_t id = session.SessionID();
  TChangeLock tableLock(*this, session);
  TDVXOperationScope operation(session);
  operation.Touch(*this);
  uint8_t* buffer = cursor.Record();
  DrawAutoincValues(session, buffer);
  CheckConstraints(cursor, true, buffer, nullptr);
  TPendingBlobWrite blobs(Fields(), buffer);
  const TDVXRecordID recordID = RecordManager().InsertRecord(blobs.Record(), id);
  // The index pages go back with the operation; a record kept outside
  // pages is taken back with them, whether an index or the commit of the
  // index pages failed, so the table and its indexes agree.
  if (RecordsOutsidePages())
    session.Operation().work->OnUndo(IndexPageManager(),
                                     [this, recordID, id] { RecordManager().DeleteRecord(recordID, id); });
  for (auto& index : indexes_) index->InsertRecord(id, buffer, recordID);
  // The record's autoincrement values were mostly drawn when it was begun
  // (InitRecord), outside any operation, so the state Touch took holds
  // them already and Complete finds nothing to save. The sequence goes
  // with the record all the same, or a table loaded again hands out the
  // same numbers again.
  if (Fields().HasAutoincFields()) SaveState(id);
  operation.Complete();
  blobs.Adopt();
  NoteChangeThrough(&cursor);
  tableLock.Release();
  cursor.SetPosition(false, false, recordID);
  cursor.Buffer()[static_cast<size_t>(RecordSize()) + kCursorRecordIDSize] = kRecordInserted;
  return true;
}

bool TDVXTableData::Update(TDVXLocalCursor& cursor) {
  TDVXChangeNotices::TScope notices;
  const auto foreignKeys = LockForeignKeys();
  TDVXLockGuard guard(lock_);
  NoteChange();
  TDVXLocalSession& session = cursor.Session();
  const int32_t id = session.SessionID();
  CheckUpdateAllowed();
  if (cursor.Bof() || cursor.Eof())
    throw EDVXException(kErrNoCurrentRecord, "Error - no current record in table '%s'", {tableName_});
  const TDVXRecordID recordID = cursor.RecordID();
  TChangeLock tableLock(*this, session);
  TDVXOperationScope operation(session);
  operation.Touch(*this);
  std::vector<uint8_t> old;
  if (!ReadStored(id, recordID, old)) CannotLoad(recordID);
  uint8_t* buffer = cursor.Record();
  CheckBlobReferences(buffer, old.data(), recordID);
  CheckConstraints(cursor, false, buffer, old.data());
  const bool hasActions = constraintManager_.ConstraintDefs().HasUpdateActions();
  // A record kept outside pages is not taken back with them: where the
  // actions stay in other tables they run first, so a refused one finds
  // this row untouched.
  const bool actionsFirst = hasActions && RecordsOutsidePages() && ActionsStayInOtherTables();
  if (actionsFirst) RunForeignKeyActions(session, old.data(), buffer);
  for (auto& index : indexes_) index->UpdateRecord(id, old.data(), buffer, recordID);
  TPendingBlobWrite blobs(Fields(), buffer);
  RecordManager().UpdateRecord(blobs.Record(), recordID, id);
  // The referencing rows follow the row as it now stands, in the same
  // operation: a refused action leaves this row unchanged too.
  if (hasActions && !actionsFirst) RunForeignKeyActions(session, old.data(), buffer);
  operation.Complete();
  blobs.Adopt();
  NoteChangeThrough(&cursor);
  tableLock.Release();
  return true;
}

void TDVXTableData::CheckBlobReferences(const uint8_t* buffer, const uint8_t* stored, const TDVXRecordID& id) const {
  // A BLOB value the buffer carries over from its read must still be the
  // record's: a buffer read before another cursor replaced the value names
  // a freed item, which a later insert may have taken, and writing it back
  // would give this record the other one's value.
  if (!hasBlobs_) return;
  const TDVXFieldDefs& fields = Fields();
  for (int i = 0; i < fields.Count(); ++i) {
    const TDVXFieldDef& field = *fields.Items(i);
    if (!IsAdvancedBlobType(field.AdvancedFieldType()) || IsNull(i, buffer)) continue;
    const uint8_t* slot = buffer + field.MemoryOffset();
    if (BlobSlotMarker(slot) != kBlobSlotCurrent) continue;
    const uint8_t* now = stored + field.MemoryOffset();
    if (!IsNull(i, stored) && BlobSlotMarker(now) == kBlobSlotCurrent &&
        std::memcmp(slot, now, kBlobReferenceSize) == 0)
      continue;
    throw EDVXException(kErrStaleBlobReference,
                        "Error updating record - field '%s' of the record (PageNo = %d, PageItemNo = %d) in table '%s' "
                        "changed since it was read",
                        {field.ObjectName(), id.pageNo, static_cast<int32_t>(id.itemNo), tableName_});
  }
}

void TDVXTableData::StepAside(TDVXLocalCursor& cursor) {
  const TDVXRecordID recordID = cursor.RecordID();
  if (GetRecord(cursor, grmNext) == grrDone) return;
  // No next record: the previous one, found from where the record stands
  // (the buffer still holds its image when nothing was read).
  cursor.SetPosition(false, false, recordID);
  if (GetRecord(cursor, grmPrior) == grrDone) return;
  cursor.SetPosition(false, true, kNoRecordID);
}

bool TDVXTableData::ActionsStayInOtherTables() const {
  const TDVXConstraintDefs& constraints = constraintManager_.ConstraintDefs();
  for (int i = 0; i < constraints.Count(); ++i) {
    if (constraints.Items(i)->ConstraintType() != ctForeignKeyAction) continue;
    const auto& action = static_cast<const TDVXConstraintDefForeignKeyAction&>(*constraints.Items(i));
    if (SameName(action.Table().name, tableName_)) return false;
  }
  return true;
}

bool TDVXTableData::Delete(TDVXLocalCursor& cursor) {
  TDVXChangeNotices::TScope notices;
  const auto foreignKeys = LockForeignKeys();
  TDVXLockGuard guard(lock_);
  NoteChange();
  TDVXLocalSession& session = cursor.Session();
  const int32_t id = session.SessionID();
  CheckDeleteAllowed();
  if (cursor.Bof() || cursor.Eof())
    throw EDVXException(kErrNoCurrentRecord, "Error - no current record in table '%s'", {tableName_});
  TChangeLock tableLock(*this, session);
  TDVXOperationScope operation(session);
  operation.Touch(*this);
  // The record is taken before the cursor moves: its ID and stored image
  // decide which index entries go, whatever the cursor reads next.
  const TDVXRecordID recordID = cursor.RecordID();
  std::vector<uint8_t> image;
  if (!ReadStored(id, recordID, image)) {
    operation.Complete();
    tableLock.Release();
    return false;
  }
  DiscardPendingBlobs(Fields(), cursor.Record());
  const TDVXCursorSnapshot before = cursor.TakeSnapshot();
  std::memcpy(cursor.Record(), image.data(), image.size());
  try {
    StepAside(cursor);
    const bool hasActions = constraintManager_.ConstraintDefs().HasDeleteActions();
    // As in Update: for a record outside pages the actions go first.
    const bool actionsFirst = hasActions && RecordsOutsidePages() && ActionsStayInOtherTables();
    if (actionsFirst) RunForeignKeyActions(session, image.data(), nullptr);
    for (auto& index : indexes_) index->DeleteRecord(id, image.data(), recordID);
    RecordManager().DeleteRecord(recordID, id);
    if (hasActions && !actionsFirst) RunForeignKeyActions(session, image.data(), nullptr);
    operation.Complete();
  } catch (...) {
    cursor.PutSnapshot(before);
    throw;
  }
  NoteChangeThrough(&cursor);
  tableLock.Release();
  return true;
}

void TDVXTableData::DeleteAll(TDVXLocalCursor& cursor) {
  // One notice for all the records, after the table's lock is released.
  TDVXChangeNotices::TScope notices;
  CheckDeleteAllowed();
  const auto foreignKeys = LockForeignKeys();
  TDVXLockGuard guard(lock_);
  TDVXOperationScope operation(cursor.Session());
  operation.Touch(*this);
  DeleteRecords(cursor, SetOf(cursor));
  operation.Complete();
  cursor.First();
}

TDVXRecordIDList TDVXTableData::SetOf(TDVXLocalCursor& cursor) {
  // A restricted cursor's set is its range and filter, not the table.
  if (cursor.Restricted()) return cursor.RecordIDList();
  TDVXRecordIDList ids;
  TDVXScanOptions all;
  all.list = &ids;
  Scan(cursor, nullptr, all);
  return ids;
}

void TDVXTableData::DeleteRecords(TDVXLocalCursor& cursor, const TDVXRecordIDList& ids) {
  // The set is taken before the first delete; a record that an action of
  // an earlier delete took along is passed over.
  for (const TDVXRecordID& id : ids) {
    cursor.SetPosition(false, false, id);
    if (GetRecord(cursor, grmCurrent) == grrDone) Delete(cursor);
  }
}

void TDVXTableData::UpdateAll(TDVXLocalCursor& cursor, const std::vector<std::string>& fieldNames,
                              const std::vector<TDVXVariant>& values) {
  TDVXChangeNotices::TScope notices;
  CheckUpdateAllowed();
  const auto foreignKeys = LockForeignKeys();
  TDVXLockGuard guard(lock_);
  // ItemNo is the number of names, ItemCount the number of values.
  if (fieldNames.size() != values.size())
    throw EDVXException(kErrUpdateAllItemCount, "Invalid item number - ItemNo = %d, ItemCount = %d",
                        {static_cast<int32_t>(fieldNames.size()), static_cast<int32_t>(values.size())});
  std::vector<int> fieldNos;
  for (const std::string& name : fieldNames) {
    const int fieldNo = Fields().FindByName(name);
    if (fieldNo < 0) throw EDVXException(kErrUpdateAllField, "Cannot find field %s in table %s", {name, tableName_});
    fieldNos.push_back(fieldNo);
  }
  // The set is taken before the first update: an update moves its record
  // in the order of an index, and a walk that updated as it went could
  // meet a record twice or miss one.
  UpdateRecords(cursor, SetOf(cursor), fieldNos, values);
}

void TDVXTableData::UpdateRecords(TDVXLocalCursor& cursor, const TDVXRecordIDList& ids,
                                  const std::vector<int>& fieldNos, const std::vector<TDVXVariant>& values) {
  TDVXOperationScope operation(cursor.Session());
  operation.Touch(*this);
  const TDVXCursorSnapshot before = cursor.TakeSnapshot();
  try {
    for (const TDVXRecordID& id : ids) {
      cursor.SetPosition(false, false, id);
      if (GetRecord(cursor, grmCurrent) != grrDone) CannotLoad(id);
      uint8_t* record = cursor.Record();
      for (size_t i = 0; i < fieldNos.size(); ++i) {
        const TDVXFieldDef& field = *Fields().Items(fieldNos[i]);
        const bool stored = WriteFieldSlot(values[i], field.BaseFieldType(), record + field.MemoryOffset(),
                                           field.MemoryDataSize());
        SetNull(!stored, fieldNos[i], record);
      }
      Update(cursor);
    }
    operation.Complete();
  } catch (...) {
    cursor.PutSnapshot(before);
    throw;
  }
  cursor.PutSnapshot(before);
  if (!cursor.Bof() && !cursor.Eof() && GetRecord(cursor, grmCurrent) != grrDone) cursor.First();
}

TDVXGetRecordResult TDVXTableData::GetRecord(TDVXLocalCursor& cursor, TDVXGetRecordMode mode) {
  const int32_t session = cursor.SessionID();
  TDVXTableReadScope read(*this, session);
  TDVXIndex* index = IndexByID(cursor.CurrentIndexID());
  lastReadCause_.clear();
  if (!index || mode == grmCurrent) {
    TDVXGetRecordRequest request;
    request.session = session;
    request.mode = mode;
    request.first = cursor.Bof();
    request.last = cursor.Eof();
    request.recordID = cursor.RecordID();
    request.buffer = cursor.Record();
    if (mode == grmCurrent && (cursor.Bof() || cursor.Eof())) return cursor.Bof() ? grrBOF : grrEOF;
    const TDVXGetRecordResult result = RecordManager().GetRecord(request);
    lastReadCause_ = std::move(request.cause);
    if (result == grrDone) cursor.SetPosition(false, false, request.recordID);
    else if (result == grrBOF) cursor.SetPosition(true, false, cursor.RecordID());
    else if (result == grrEOF) cursor.SetPosition(false, true, cursor.RecordID());
    return result;
  }
  TDVXIndexGetRecordRequest request;
  request.mode = mode;
  request.bof = cursor.Bof();
  request.eof = cursor.Eof();
  request.recordID = cursor.RecordID();
  request.record = cursor.Record();
  switch (index->GetRecord(session, request, *this)) {
    case grrRecordRead:
      cursor.SetPosition(false, false, request.recordID);
      return grrDone;
    case grrBeginningPassed:
      cursor.SetPosition(true, false, cursor.RecordID());
      return grrBOF;
    case grrEndPassedOrEmpty:
      cursor.SetPosition(false, true, cursor.RecordID());
      return grrEOF;
    default:
      return grrError;
  }
}

}  // namespace dvx
