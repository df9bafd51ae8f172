#include "engine/tables/transaction.h"

#include "engine/core/exception.h"
#include "engine/storage/page_manager.h"
#include "engine/tables/database_data.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_change_notices.h"
#include "engine/tables/table_data_errors.h"
#include "engine/tables/unit_of_work.h"

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
  RollbackAfterFailure();
}

void TDVXTransaction::RollbackAfterFailure() noexcept {
  try {
    Rollback();
  } catch (const std::exception& e) {
    // Rollback finished the transaction before it raised: the session's
    // change set is what could not be cancelled, and the session's next
    // operation meets it (table_operation.h) and reports it.
    session_.Operation().leftover = e.what();
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

void TDVXTransaction::Break(const std::string& cause) {
  if (brokenBy_.empty()) brokenBy_ = cause.empty() ? std::string("Unknown error") : cause;
}

void TDVXTransaction::CheckNotBroken() const {
  if (Broken())
    throw EDVXException(kErrTransactionBroken,
                        "Transaction in database '%s' cannot go on - an operation of it could not be undone: %s",
                        {database_.DatabaseName(), brokenBy_});
}

void TDVXTransaction::Commit(bool flush) {
  if (Broken()) {
    // The change set holds a half-undone operation: none of it may reach
    // the file.
    const std::string cause = brokenBy_;
    Rollback();
    throw EDVXException(kErrTransactionBroken,
                        "Commit operation failed - rollback called. An operation of the transaction could not be "
                        "undone: %s",
                        {cause});
  }
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
  TDVXPageManager& pm = session_.PageManager();
  try {
    // Every operation already wrote its tables' state into the change set.
    pm.ApplyChanges(sessionID_);
  } catch (...) {
    for (TDVXTableData* t : locked) t->UnlockTableRW(sessionID_);
    // The page manager drops a change set once its commit holds: a step
    // after the commit point failed, and the file has the transaction.
    // Rolling back would put the state before it over a file that holds it.
    if (!pm.HasChanges(sessionID_)) {
      Finish();
      throw;
    }
    RollbackAfterFailure();
    throw;
  }
  for (TDVXTableData* t : locked) t->NoteOwnCommit();
  try {
    if (flush) pm.FlushBuffers();
  } catch (...) {
    // The commit has synced the file; a failed flush undoes nothing.
    for (TDVXTableData* t : locked) t->UnlockTableRW(sessionID_);
    Finish();
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
