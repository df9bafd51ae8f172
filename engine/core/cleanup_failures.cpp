#include "engine/core/cleanup_failures.h"

#include <atomic>
#include <deque>
#include <exception>
#include <mutex>

namespace dvx {
namespace {

struct TCleanupLog {
  std::mutex mutex;
  std::deque<std::string> kept;
  std::atomic<uint64_t> count{0};
};

TCleanupLog& Log() {
  static TCleanupLog* log = new TCleanupLog;  // outlives every static destructor that may note
  return *log;
}

std::string CurrentMessage() {
  const std::exception_ptr current = std::current_exception();
  if (!current) return "no exception";
  try {
    std::rethrow_exception(current);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown exception";
  }
}

}  // namespace

void NoteCleanupFailure(const char* where) noexcept {
  try {
    std::string entry = std::string(where) + ": " + CurrentMessage();
    TCleanupLog& log = Log();
    std::lock_guard guard(log.mutex);
    ++log.count;
    log.kept.push_back(std::move(entry));
    if (log.kept.size() > kCleanupFailuresKept) log.kept.pop_front();
  } catch (...) {
    // Out of memory while recording: the count is all that can be kept.
    ++Log().count;
  }
}

std::vector<std::string> CleanupFailures() {
  TCleanupLog& log = Log();
  std::lock_guard guard(log.mutex);
  return {log.kept.begin(), log.kept.end()};
}

uint64_t CleanupFailureCount() { return Log().count.load(); }

void ClearCleanupFailures() {
  TCleanupLog& log = Log();
  std::lock_guard guard(log.mutex);
  log.kept.clear();
  log.count = 0;
}

}  // namespace dvx
