#pragma once
// A re-entrant mutual-exclusion lock: the owning thread may enter again, and
// must leave as often as it entered.
#include <mutex>

namespace dvx {

class TDVXCriticalSection {
 public:
  void Enter() { mutex_.lock(); }
  bool TryEnter() { return mutex_.try_lock(); }
  void Leave() { mutex_.unlock(); }
  // For std::lock_guard / std::unique_lock.
  void lock() { Enter(); }
  void unlock() { Leave(); }
  bool try_lock() { return TryEnter(); }

 private:
  std::recursive_mutex mutex_;
};

using TDVXLockGuard = std::lock_guard<TDVXCriticalSection>;

}  // namespace dvx
