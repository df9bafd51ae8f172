#pragma once
// TDVXTableReadScope: what a cursor holds while it reads a table outside
// the table object's own operations (key searches, record numbers, the
// record ID list, a walk over the records): the table object's lock, then
// the table lock S of the registry and a read bracket of the page manager
// (page_manager.h, invariant 6), released in reverse order on every path,
// with the table's view brought up to what other programs committed. What
// that brought is told to the table's observers once the scope (and any
// operation around it) has ended and the locks are released.
//
// Scopes of one session on one table nest: only the outermost takes the
// lock S, reads the state counter and takes over the table's state; the
// inner ones (each record of a walk, the reads of a search) trust what it
// saw, since the lock S keeps other programs' commits away from the table
// until the outermost ends. A scope of another session (one thread may
// serve several) takes its own lock and bracket.
#include <cstdint>

#include "engine/core/exception.h"
#include "engine/tables/table_change_notices.h"
#include "engine/tables/table_data.h"
#include "engine/tables/table_data_errors.h"

namespace dvx {

class TDVXTableReadScope {
 public:
  TDVXTableReadScope(TDVXTableData& table, int32_t session)
      : notices_(), guard_(table.Lock()), table_(table), session_(session) {
    if (table.ReadScopeDepth() > 0 && table.ReadScopeSession() == session) {
      nested_ = true;
      table.SetReadScope(session, table.ReadScopeDepth() + 1);
      return;
    }
    if (!table.LockTableS(session))
      table.RaiseLockFailure(kErrLockTableInsert, false, tlmS);
    // The counter is read once the lock is held, so pages stamped with it
    // are what the file holds for as long as the lock is.
    try {
      table.IndexPageManager().BeginBracket(session);
    } catch (...) {
      table.UnlockTableS(session);
      throw;
    }
    // What another program committed (index roots, sequences) is taken
    // over before anything is read through it.
    try {
      table.ReloadState(session);
    } catch (...) {
      table.IndexPageManager().EndBracket(session);
      table.UnlockTableS(session);
      throw;
    }
    outerSession_ = table.ReadScopeSession();
    outerDepth_ = table.ReadScopeDepth();
    table.SetReadScope(session, 1);
  }
  ~TDVXTableReadScope() {
    if (nested_) {
      table_.SetReadScope(session_, table_.ReadScopeDepth() - 1);
      return;
    }
    table_.SetReadScope(outerSession_, outerDepth_);
    table_.IndexPageManager().EndBracket(session_);
    table_.UnlockTableS(session_);
  }
  TDVXTableReadScope(const TDVXTableReadScope&) = delete;
  TDVXTableReadScope& operator=(const TDVXTableReadScope&) = delete;

 private:
  // First member, so it ends after the locks.
  TDVXChangeNotices::TScope notices_;
  TDVXLockGuard guard_;
  TDVXTableData& table_;
  int32_t session_;
  bool nested_ = false;
  // The scope of another session this one interrupted (restored at its end).
  int32_t outerSession_ = kNoTransaction;
  int outerDepth_ = 0;
};

}  // namespace dvx
