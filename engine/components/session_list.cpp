#include "engine/components/session_list.h"

#include <algorithm>
#include <atomic>

#include "engine/components/component_errors.h"
#include "engine/components/database_error.h"
#include "engine/components/session.h"
#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/tables/database_registry.h"

namespace dvx {

namespace {

// Set once the registry has been freed; plain static storage, readable at
// any time of the run.
std::atomic<bool> finished{false};
std::atomic<TDVXSessionList*> current{nullptr};
TDVXCriticalSection* StartStopLock() {
  // Never freed: ShutDown may run from the end of the run, after other
  // static objects are gone.
  static auto* lock = new TDVXCriticalSection;
  return lock;
}

}  // namespace

TDVXSessionList& TDVXSessionList::Instance() {
  if (TDVXSessionList* list = current.load(std::memory_order_acquire)) return *list;
  TDVXLockGuard guard(*StartStopLock());
  if (finished.load()) throw EDVXException(kErrEngineNotInitialized, "Database Engine is not initialized");
  if (TDVXSessionList* list = current.load()) return *list;
  // The database registry first: static objects go in the reverse order
  // of their making, so the sessions are stopped while it still exists.
  TDVXDatabaseRegistry::Instance();
  struct TEndOfRun {
    ~TEndOfRun() { TDVXSessionList::ShutDown(); }
  };
  static TEndOfRun endOfRun;
  auto* list = new TDVXSessionList;
  current.store(list, std::memory_order_release);
  return *list;
}

void TDVXSessionList::ShutDown() {
  TDVXLockGuard guard(*StartStopLock());
  finished.store(true);
  TDVXSessionList* list = current.exchange(nullptr);
  delete list;
}

TDVXSessionList::TDVXSessionList() {
  defaultSession_.reset(new TDVXSession(*this, TDVXSession::TDefaultTag{}));
}

TDVXSessionList::~TDVXSessionList() {
  for (TDVXSession* session : Sessions()) session->Detach();
  defaultSession_.reset();
}

TDVXSession* TDVXSessionList::FindSession(const std::string& name) {
  if (name.empty()) return defaultSession_.get();
  TDVXLockGuard guard(lock_);
  for (TDVXSession* session : sessions_)
    if (SameName(session->SessionName(), name)) return session;
  return nullptr;
}

TDVXSession& TDVXSessionList::GetSession(const std::string& name) {
  if (TDVXSession* session = FindSession(name)) return *session;
  DatabaseError(FormatComponentMessage(kMsgInvalidSessionName, {name}));
}

std::vector<TDVXSession*> TDVXSessionList::Sessions() {
  TDVXLockGuard guard(lock_);
  return sessions_;
}

void TDVXSessionList::AddSession(TDVXSession& session) {
  TDVXLockGuard guard(lock_);
  sessions_.push_back(&session);
}

void TDVXSessionList::RemoveSession(TDVXSession& session) {
  TDVXLockGuard guard(lock_);
  sessions_.erase(std::remove(sessions_.begin(), sessions_.end(), &session), sessions_.end());
}

int TDVXSessionList::TakeAutoNumber() {
  TDVXLockGuard guard(lock_);
  auto free = std::find(autoNumbers_.begin(), autoNumbers_.end(), false);
  const int number = static_cast<int>(free - autoNumbers_.begin());
  if (free == autoNumbers_.end())
    autoNumbers_.push_back(true);
  else
    *free = true;
  return number;
}

void TDVXSessionList::ReturnAutoNumber(int number) {
  TDVXLockGuard guard(lock_);
  if (number >= 0 && number < static_cast<int>(autoNumbers_.size())) autoNumbers_[number] = false;
}

}  // namespace dvx
