#pragma once
// TDVXTransaction: a session's transaction. While it is open, record
// operations are not committed one by one: the session's changed pages
// stay in its change set until Commit writes them all at once or Rollback
// discards them. Tables take part from their first change, holding the
// intent lock IRW from then to the end; each keeps the state it had then,
// and Rollback gives it back together with every cursor's position and
// buffer as they were at the start.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/tables/local_cursor.h"
#include "engine/tables/table_data.h"

namespace dvx {

class TDVXLocalSession;
class TDVXLocalCursor;

class TDVXTransaction {
 public:
  // Refused (10824) while the session holds table locks other than the
  // intent lock of an open table.
  TDVXTransaction(TDVXLocalSession& session, TDVXDatabaseData& database);
  // A transaction that is not finished is rolled back quietly; Free raises
  // 10819 for it instead.
  ~TDVXTransaction();
  TDVXTransaction(const TDVXTransaction&) = delete;
  TDVXTransaction& operator=(const TDVXTransaction&) = delete;

  void Enroll(TDVXTableData& table);
  // Write-locks every table taking part (refused: rollback and 10826),
  // commits the session's pages and, with `flush`, the file buffers. A
  // commit that fails rolls the transaction back and passes the error on.
  // A commit that held although a step after its commit point failed is
  // finished and passes the error on, with nothing rolled back.
  void Commit(bool flush);
  void Rollback();
  void Free();

  // An operation of the transaction could not be undone (its rollback to
  // the savepoint was refused): its changes are still in the change set.
  // From here every operation is refused, and Commit rolls the whole
  // transaction back and raises kErrTransactionBroken with `cause`.
  void Break(const std::string& cause);
  bool Broken() const { return !brokenBy_.empty(); }
  // Raises kErrTransactionBroken when the transaction is broken.
  void CheckNotBroken() const;

  bool Finished() const { return finished_; }
  int32_t SessionID() const { return sessionID_; }
  std::vector<TDVXTableData*> Tables() const;

 private:
  void Finish();
  // Rollback for a path that raises another error already.
  void RollbackAfterFailure() noexcept;

  TDVXLocalSession& session_;
  int32_t sessionID_;
  TDVXDatabaseData& database_;
  std::vector<std::pair<TDVXTableData*, TDVXTableState>> tables_;
  std::vector<std::pair<TDVXLocalCursor*, TDVXCursorSnapshot>> cursors_;
  bool finished_ = false;
  std::string brokenBy_;
};

}  // namespace dvx
