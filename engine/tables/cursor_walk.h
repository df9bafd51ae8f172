#pragma once
// TDVXCursorWalk: one walk over a cursor's records (a scan, a range, the
// rows a dataset fetches for its window) under one table lock S and one
// read bracket, instead of one of each per record.
//
// Each GetRecord of the cursor is a read scope of its own; inside a walk
// those scopes nest in the walk's (table_read_scope.h), so the file header
// is read and the lock taken once for the walk, and every cached page
// stamped with the walk's counter is trusted until the walk ends. Other
// programs' commits to the table wait for the walk to end; what they
// committed before it began is seen, nothing they commit during it is.
//
// A walk is for reading: the caller changes no record of the table through
// any cursor while one is open, and keeps it as short as the loop it wraps
// (never across waiting for the user).
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_read_scope.h"

namespace dvx {

class TDVXCursorWalk {
 public:
  explicit TDVXCursorWalk(TDVXLocalCursor& cursor) : scope_(cursor.Table(), cursor.SessionID()) {}
  TDVXCursorWalk(const TDVXCursorWalk&) = delete;
  TDVXCursorWalk& operator=(const TDVXCursorWalk&) = delete;

 private:
  TDVXTableReadScope scope_;
};

}  // namespace dvx
