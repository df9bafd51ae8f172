#include "engine/tables/transaction.h"

#include "engine/core/exception.h"
#include "engine/storage/page_manager.h"
#include "engine/tables/database_data.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_change_notices.h"
#include "engine/tables/table_data_errors.h"

namespace dvx {

TDVXTransaction::TDVXTransaction(TDVXLocalSession& session, TDVXDatabaseData& database)
    : session_(session), sessionID_(session.SessionID()), database_(database) {
  for (TDVXTableData* table : database_.OpenTables())
    if (table->HoldsTableLocks(sessionID_))
      throw EDVXException(kErrRemainingTableLocks,
                          "Cannot start transaction due to remaining table locks in table '%s'", {table->TableName()});
  for (TDVXLocalCursor* cursor : session_.Cursors()) cursors_.emplace_back(cursor, cursor->TakeSnapshot());
}

TDVXTransaction::~TDVXTransaction() {
  if (finished_) return;
  try {
    Rollback();
  } catch (...) {
  }
}

void TDVXTransaction::Free() {
  if (!finished_) throw EDVXException(kErrTransactionNotFinished, "Transaction is not finished");
}

std::vector<TDVXTableData*> TDVXTransaction::Tables() const {
  std::vector<TDVXTableData*> tables;
  for (auto& [table, state] : tables_) tables.push_back(table);
  return tables;
}

void TDVXTransaction::Enroll(TDVXTableData& table) {
  for (auto& [t, state] : tables_)
    if (t == &table) return;
  // The intent to write is held from the first change to the end: no other
  // session or program commits to the table in between (their changes
  // would meet this transaction's stale index roots and page images),
  // while readers still get in until the commit upgrades to RW.
  if (!table.LockTableIRW(sessionID_)) table.RaiseLockFailure(kErrLockTableInsert, false, tlmIRW);
  try {
    // The operation's read bracket began before this lock was held: a
    // nested one reads the counter again, and the operation goes on at
    // that counter (page_manager.h, invariant 6), so what another program
    // committed before the lock is taken over.
    TDVXPageBracket look(table.IndexPageManager(), sessionID_);
    table.ReloadState(sessionID_);
    table.SetActiveTransaction(sessionID_);
    tables_.emplace_back(&table, table.TakeState());
  } catch (...) {
    table.UnlockTableIRW(sessionID_);
    throw;
  }
}

void TDVXTransaction::Commit(bool flush) {
  std::vector<TDVXTableData*> locked;
  for (auto& [table, state] : tables_) {
    if (!table->LockTableRW(sessionID_)) {
      for (TDVXTableData* t : locked) t->UnlockTableRW(sessionID_);
      Rollback();
      throw EDVXException(kErrCommitLocked,
                          "Commit operation failed - rollback called. Some of modified tables are locked by other "
                          "sessions");
    }
    locked.push_back(table);
  }
  try {
    // Every operation already wrote its tables' state into the change set.
    session_.PageManager().ApplyChanges(sessionID_);
    for (TDVXTableData* t : locked) t->NoteOwnCommit();
    if (flush) session_.PageManager().FlushBuffers();
  } catch (...) {
    for (TDVXTableData* t : locked) t->UnlockTableRW(sessionID_);
    try {
      Rollback();
    } catch (...) {
    }
    throw;
  }
  for (TDVXTableData* t : locked) t->UnlockTableRW(sessionID_);
  Finish();
}

void TDVXTransaction::Rollback() {
  if (finished_) return;
  // The observers of the tables put back hear of it once the rollback is
  // done and the tables are released.
  TDVXChangeNotices::TScope notices;
  try {
    session_.PageManager().CancelChanges(sessionID_);
  } catch (...) {
    Finish();
    throw;
  }
  for (auto& [table, state] : tables_) {
    table->PutState(state);
    table->Refresh();
    table->NoteChangeFromOutside();
  }
  for (auto& [cursor, snapshot] : cursors_)
    for (TDVXLocalCursor* live : session_.Cursors())
      if (live == cursor) cursor->PutSnapshot(snapshot);
  Finish();
}

void TDVXTransaction::Finish() {
  finished_ = true;
  for (auto& [table, state] : tables_) {
    table->UnlockTableIRW(sessionID_);
    table->ClearActiveTransaction();
    database_.ReleaseTable(*table);
  }
  tables_.clear();
}

}  // namespace dvx
