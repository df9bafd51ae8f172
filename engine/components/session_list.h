#pragma once
// TDVXSessionList: the process's sessions. It is made on first use,
// together with the DefaultSession "Default" (after the engine's database
// registry, so that it goes before the registry at the end of the run), and
// freed at the end of the run or by ShutDown: every session is stopped then
// (its temporary database components freed, the others disconnected), the
// DefaultSession freed and the other sessions, which their owners free,
// left without a registry. Using the registry after that fails with
// "Database Engine is not initialized".
//
// Locks: the list's own lock guards the session list and the bit set of
// automatic session numbers; the engine lock is the one process-wide
// critical section that sessions take around connecting, disconnecting,
// starting and stopping (TDVXEngineLock). The engine lock may be held when
// the list's lock is taken, never the other way round.
#include <memory>
#include <string>
#include <vector>

#include "engine/core/platform/critical_section.h"

namespace dvx {

class TDVXSession;

class TDVXSessionList {
 public:
  static constexpr const char* kDefaultSessionName = "Default";

  // The process's registry; 31242 after ShutDown.
  static TDVXSessionList& Instance();
  // Stops every session and frees the registry (the end of the run does
  // it when the program has not); nothing happens the second time.
  static void ShutDown();

  TDVXSessionList(const TDVXSessionList&) = delete;
  TDVXSessionList& operator=(const TDVXSessionList&) = delete;

  TDVXSession& DefaultSession() { return *defaultSession_; }
  // Case-insensitive; "" finds the DefaultSession; null when none.
  TDVXSession* FindSession(const std::string& name);
  // As FindSession; none: "Invalid session name '%s'".
  TDVXSession& GetSession(const std::string& name);
  // A snapshot, in registration order (the DefaultSession first).
  std::vector<TDVXSession*> Sessions();

  TDVXCriticalSection& EngineLock() { return engineLock_; }

 private:
  friend class TDVXSession;

  TDVXSessionList();
  ~TDVXSessionList();

  void AddSession(TDVXSession& session);
  void RemoveSession(TDVXSession& session);
  // The lowest free automatic number, taken; and given back.
  int TakeAutoNumber();
  void ReturnAutoNumber(int number);

  TDVXCriticalSection lock_;
  TDVXCriticalSection engineLock_;
  std::vector<TDVXSession*> sessions_;
  std::vector<bool> autoNumbers_;
  std::unique_ptr<TDVXSession> defaultSession_;
};

}  // namespace dvx
