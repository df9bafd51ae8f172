#pragma once
// TDVXCursorObserver: what a cursor's user (a dataset holding a window of
// records) is told when the table under the cursor changed in a way the
// cursor did not make itself. Set with TDVXLocalCursor::SetObserver.
//
// When an observer is called:
//  - after a change made through ANOTHER cursor on the same table object in
//    this process: an insert, update or delete (also one a foreign key
//    action made), DeleteAll and UpdateAll (once for the whole operation),
//    emptying the table, a definition change that keeps the table (indexes
//    added or dropped, a field renamed, a foreign key added or removed).
//    The cursor that made the change is not told;
//  - after a transaction was rolled back that had changed the table: every
//    cursor on it is told, the rolled-back session's own included (their
//    positions were put back);
//  - after an operation on the table noticed that another program had
//    committed to the database file since the table last looked: every
//    cursor on the table is told. The file says only that something was
//    committed, not to which table, so a commit by another program to
//    another table of the same file is reported too.
// A change that was refused or failed (and so changed nothing) is reported
// to no one; an operation that changes several records reports once.
//
// Contract:
//  1. The call comes on the thread that made or noticed the change, after
//     the operation has finished and every lock of the table is released.
//     The observer may read through its cursor (re-read its window, count,
//     seek); what it reads there that reports further changes is delivered
//     after it returns, never nested into it.
//  2. The observer must not close or destroy cursors, nor change the
//     table, from the call.
//  3. A cursor that is closed, or whose observer is reset, gets no more
//     calls, including those still pending for it. A cursor is not told of
//     changes made before it was opened.
//  4. An exception from an observer does not undo or break the change: it
//     is complete by then. The remaining observers are still called; then
//     the first exception is raised to the caller of the operation that
//     made or noticed the change. (Record operations that return a
//     TDVXCursorResult report their own failures in it; an observer's
//     exception still leaves them by throwing.)
//  5. When the operation that noticed another program's commit fails with
//     an exception of its own, the notice waits until the next operation
//     on the same thread finishes.
//
// The cursor does not own its observer; the observer outlives the setting.

namespace dvx {

class TDVXLocalCursor;

class TDVXCursorObserver {
 public:
  virtual void CursorTableChanged(TDVXLocalCursor& cursor) = 0;

 protected:
  ~TDVXCursorObserver() = default;
};

}  // namespace dvx
