#include "engine/tables/table_change_notices.h"

#include <algorithm>
#include <exception>
#include <thread>

#include "engine/tables/cursor_observer.h"
#include "engine/tables/local_cursor.h"

namespace dvx {

namespace {

struct TEntry {
  std::thread::id thread;
  TDVXLocalCursor* cursor;
  uint64_t sequence;
  bool kept;
};

struct TPending {
  std::mutex lock;
  std::vector<TEntry> entries;
  uint64_t sequence = 0;
};

TPending& Pending() {
  static TPending pending;
  return pending;
}

std::recursive_mutex& DeliveryLock() {
  static std::recursive_mutex lock;
  return lock;
}

// The thread's open scopes, and whether it is calling observers now (the
// scopes of what an observer does then deliver nothing themselves).
thread_local int scopeDepth = 0;
thread_local bool delivering = false;

// Under the pending lock.
void DropEntriesOf(TPending& pending, const TDVXLocalCursor& cursor) {
  auto& e = pending.entries;
  e.erase(std::remove_if(e.begin(), e.end(), [&](const TEntry& x) { return x.cursor == &cursor; }), e.end());
}

}  // namespace

TDVXChangeNotices::TScope::TScope() : uncaught_(std::uncaught_exceptions()) {
  TPending& pending = Pending();
  {
    std::lock_guard guard(pending.lock);
    mark_ = pending.sequence;
  }
  ++scopeDepth;
}

TDVXChangeNotices::TScope::~TScope() noexcept(false) {
  const bool failed = std::uncaught_exceptions() > uncaught_;
  if (failed) {
    TPending& pending = Pending();
    const std::thread::id self = std::this_thread::get_id();
    std::lock_guard guard(pending.lock);
    auto& e = pending.entries;
    e.erase(std::remove_if(e.begin(), e.end(),
                           [&](const TEntry& x) { return x.thread == self && !x.kept && x.sequence >= mark_; }),
            e.end());
  }
  if (--scopeDepth > 0 || delivering || failed) return;
  Deliver();
}

void TDVXChangeNotices::Note(const std::vector<TDVXLocalCursor*>& cursors, const TDVXLocalCursor* source, bool kept) {
  if (cursors.empty() || (cursors.size() == 1 && cursors.front() == source)) return;
  TPending& pending = Pending();
  const std::thread::id self = std::this_thread::get_id();
  std::lock_guard guard(pending.lock);
  for (TDVXLocalCursor* cursor : cursors) {
    if (cursor == source || !cursor->observed_) continue;
    auto found = std::find_if(pending.entries.begin(), pending.entries.end(),
                              [&](const TEntry& x) { return x.thread == self && x.cursor == cursor; });
    // An entry there already calls the observer once: whatever of it a
    // failure drops, this notice goes with it or the entry stays (kept, or
    // older than the failed scope).
    if (found != pending.entries.end()) {
      found->kept = found->kept || kept;
      continue;
    }
    pending.entries.push_back({self, cursor, pending.sequence++, kept});
  }
}

void TDVXChangeNotices::SetObserver(TDVXLocalCursor& cursor, TDVXCursorObserver* observer) {
  std::lock_guard delivery(DeliveryLock());
  cursor.observer_ = observer;
  TPending& pending = Pending();
  std::lock_guard guard(pending.lock);
  cursor.observed_ = observer != nullptr && cursor.IsOpen();
  if (!cursor.observed_) DropEntriesOf(pending, cursor);
}

void TDVXChangeNotices::Arm(TDVXLocalCursor& cursor, bool on) {
  std::lock_guard delivery(DeliveryLock());
  TPending& pending = Pending();
  std::lock_guard guard(pending.lock);
  cursor.observed_ = on && cursor.observer_ != nullptr;
  if (!cursor.observed_) DropEntriesOf(pending, cursor);
}

size_t TDVXChangeNotices::PendingCountForTest() {
  TPending& pending = Pending();
  std::lock_guard guard(pending.lock);
  return pending.entries.size();
}

void TDVXChangeNotices::Deliver() {
  TPending& pending = Pending();
  const std::thread::id self = std::this_thread::get_id();
  {
    // Nothing for this thread: no lock taken beyond the pending one.
    std::lock_guard guard(pending.lock);
    if (std::none_of(pending.entries.begin(), pending.entries.end(),
                     [&](const TEntry& x) { return x.thread == self; }))
      return;
  }
  std::lock_guard delivery(DeliveryLock());
  delivering = true;
  std::exception_ptr first;
  for (;;) {
    TDVXLocalCursor* cursor = nullptr;
    {
      std::lock_guard guard(pending.lock);
      auto found = std::find_if(pending.entries.begin(), pending.entries.end(),
                                [&](const TEntry& x) { return x.thread == self; });
      if (found == pending.entries.end()) break;
      cursor = found->cursor;
      pending.entries.erase(found);
    }
    // An entry exists only while its cursor is open with an observer, and
    // both change only under the delivery lock held here.
    try {
      cursor->observer_->CursorTableChanged(*cursor);
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  }
  delivering = false;
  if (first) std::rethrow_exception(first);
}

}  // namespace dvx
