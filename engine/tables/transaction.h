#pragma once
// TDVXTransaction: a session's transaction. While it is open, record
// operations are not committed one by one: the session's changed pages
// stay in its change set until Commit writes them all at once or Rollback
// discards them. Tables take part from their first change, holding the
// intent lock IRW from then to the end; each keeps the state it had then,
// and Rollback gives it back together with every cursor's position and
// buffer as they were at the start.
#include <cstdint>
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
  void Commit(bool flush);
  void Rollback();
  void Free();

  bool Finished() const { return finished_; }
  int32_t SessionID() const { return sessionID_; }
  std::vector<TDVXTableData*> Tables() const;

 private:
  void Finish();

  TDVXLocalSession& session_;
  int32_t sessionID_;
  TDVXDatabaseData& database_;
  std::vector<std::pair<TDVXTableData*, TDVXTableState>> tables_;
  std::vector<std::pair<TDVXLocalCursor*, TDVXCursorSnapshot>> cursors_;
  bool finished_ = false;
};

}  // namespace dvx
