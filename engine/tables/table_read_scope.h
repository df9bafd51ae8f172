#pragma once
// TDVXTableReadScope: what a cursor holds while it reads a table outside
// the table object's own operations (key searches, record numbers, the
// record ID list): the table object's lock, then the table lock S of the
// registry, released in reverse order on every path, with the table's view
// brought up to what other programs committed. What that brought is told
// to the table's observers once the scope (and any operation around it)
// has ended and the locks are released.
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
    if (!table.LockTableS(session))
      table.RaiseLockFailure(kErrLockTableInsert, false, tlmS);
    // What another program committed (index roots, sequences) is taken
    // over before anything is read through it.
    try {
      table.ReloadState(session);
    } catch (...) {
      table.UnlockTableS(session);
      throw;
    }
  }
  ~TDVXTableReadScope() { table_.UnlockTableS(session_); }
  TDVXTableReadScope(const TDVXTableReadScope&) = delete;
  TDVXTableReadScope& operator=(const TDVXTableReadScope&) = delete;

 private:
  // First member, so it ends after the locks.
  TDVXChangeNotices::TScope notices_;
  TDVXLockGuard guard_;
  TDVXTableData& table_;
  int32_t session_;
};

}  // namespace dvx
