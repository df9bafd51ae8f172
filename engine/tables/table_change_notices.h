#pragma once
// TDVXChangeNotices: the notices of table changes on their way to the
// observers of cursors (cursor_observer.h).
//
// A table object notes a change while it holds its lock; the notice waits
// in a pending list until the outermost TScope of the thread ends, which
// every operation that may note a change opens before it takes any lock.
// So observers are called with no table lock held, once per operation
// however many records it changed.
//
// Pending entry: (thread, cursor, sequence number, kept). One entry per
// thread and cursor at most: a second notice for the pair adds nothing but
// may make the entry kept.
//  - A change entry stands for a change the operation made. A scope that
//    ends by an exception drops the change entries noted since it began:
//    the operation was undone as a whole, so nothing changed.
//  - A kept entry stands for what the operation found already done (a
//    commit of another program taken over, a rolled-back transaction); a
//    failure of the operation does not take it back. A scope ending by an
//    exception delivers nothing; the next scope to end normally does.
//
// Locks: the delivery lock (process-wide, re-entrant) is held while
// observers are called and while a cursor's observer is set or reset, so
// a cursor closed on another thread waits for a call under way to it and
// gets none after. It is taken only where no table lock is held. The
// pending lock is innermost: nothing else is taken under it.
#include <cstdint>
#include <mutex>
#include <vector>

namespace dvx {

class TDVXCursorObserver;
class TDVXLocalCursor;

class TDVXChangeNotices {
 public:
  class TScope {
   public:
    TScope();
    // Calls the observers when it is the thread's outermost scope and ends
    // normally; raises the first exception an observer raised.
    ~TScope() noexcept(false);
    TScope(const TScope&) = delete;
    TScope& operator=(const TScope&) = delete;

   private:
    int uncaught_;
    uint64_t mark_;
  };

  // Under the table's lock: a notice for every observed cursor of
  // `cursors` except `source` (null: every one).
  static void Note(const std::vector<TDVXLocalCursor*>& cursors, const TDVXLocalCursor* source, bool kept);
  // Sets (or with null resets) the cursor's observer. Takes the delivery
  // lock.
  static void SetObserver(TDVXLocalCursor& cursor, TDVXCursorObserver* observer);
  // Whether an open cursor with an observer takes notices: on when it has
  // opened, off before it closes (dropping what is pending for it). Takes
  // the delivery lock.
  static void Arm(TDVXLocalCursor& cursor, bool on);
  // How many notices are waiting, on every thread (a test hook).
  static size_t PendingCountForTest();

 private:
  static void Deliver();
};

}  // namespace dvx
