#pragma once
// TDVXSession: a named group of database components. Datasets find their
// session by name and obtain their database from it (AcquireDatabase /
// ReleaseDatabase); a session creates a temporary database component for a
// name that none of its components has.
//
// States: inactive ──Active := true──▶ active ──Active := false──▶ inactive.
// Starting raises OnStartup, needs a SessionName and starts the
// DefaultSession first; stopping frees the temporary database components
// and disconnects the others. A database that connects starts its session.
//
// Invariants:
//  1. Every database component whose session this is appears once in its
//     list, and the list changes only under the engine lock.
//  2. A temporary component is owned by the session and used by no one
//     but the datasets counted in its reference count.
//  3. While AutoSessionName is set the session holds an automatic number
//     from the registry and its name is "<component name>_<number + 1>".
#include <functional>
#include <string>
#include <vector>

#include "engine/components/component.h"

namespace dvx {

class TDVXDatabase;
class TDVXSessionList;

class TDVXSession : public TComponent {
 public:
  // Registers the session; 31242 after the registry's shut-down, and
  // "Cannot add a session to the form or data-module while session '%s'
  // has AutoSessionName enabled" beside such a session.
  explicit TDVXSession(TComponent* owner = nullptr);
  ~TDVXSession() override;

  bool Active() const { return active_; }
  void SetActive(bool value);
  bool AutoSessionName() const { return autoSessionName_; }
  void SetAutoSessionName(bool value);
  bool KeepConnections() const { return keepConnections_; }
  void SetKeepConnections(bool value) { keepConnections_ = value; }
  const std::string& SessionName() const { return sessionName_; }
  void SetSessionName(const std::string& name);
  std::function<void(TDVXSession&)> OnStartup;

  bool IsDefault() const { return isDefault_; }
  // A snapshot of the session's database components, in joining order.
  std::vector<TDVXDatabase*> Databases();
  // The session's component of that DatabaseName (case-insensitive).
  TDVXDatabase* FindDatabase(const std::string& name);

  // Under the engine lock. Returns the connected database counted as one
  // more user, or null; on null, *error (when given) receives the reason
  // (the engine's own message for a missing, locked or undecipherable file).
  TDVXDatabase* AcquireDatabase(const std::string& name, TComponent* owner, std::string* error = nullptr);
  // One user less; the last one frees a temporary component or
  // disconnects the database unless it keeps its connection.
  void ReleaseDatabase(TDVXDatabase* database);

  // The process-wide engine lock, re-entrant; the session counts how deep
  // it is held through it.
  void LockEngine();
  void UnlockEngine();
  int EngineLockCount() const { return lockCount_; }

  void SetName(const std::string& name) override;

 protected:
  void Loaded() override;

 private:
  friend class TDVXSessionList;
  friend class TDVXDatabase;
  struct TDefaultTag {};
  TDVXSession(TDVXSessionList& list, TDefaultTag);

  TDVXSessionList& List();
  void Start();
  void Stop();
  void ApplyAutoSessionName();
  // Sets the name after the duplicate check; the session's databases
  // follow it.
  void StoreSessionName(const std::string& name);
  void AddDatabase(TDVXDatabase& database);
  void RemoveDatabase(TDVXDatabase& database);
  // Whether `database` may take `name` in this session; frees an unused
  // temporary component of the name, refuses any other holder unless both
  // share their handle.
  void CheckDatabaseName(const TDVXDatabase& database, const std::string& name);
  // The registry's shut-down: stops the session and forgets the registry.
  void Detach();

  TDVXSessionList* list_;
  bool active_ = false;
  bool streamedActive_ = false;
  bool autoSessionName_ = false;
  bool keepConnections_ = true;
  bool isDefault_ = false;
  std::string sessionName_;
  std::vector<TDVXDatabase*> databases_;
  int lockCount_ = 0;
  int autoNumber_ = -1;
};

// Holds the engine lock through a session for a scope.
class TDVXEngineLock {
 public:
  explicit TDVXEngineLock(TDVXSession& session) : session_(session) { session_.LockEngine(); }
  ~TDVXEngineLock() { session_.UnlockEngine(); }
  TDVXEngineLock(const TDVXEngineLock&) = delete;
  TDVXEngineLock& operator=(const TDVXEngineLock&) = delete;

 private:
  TDVXSession& session_;
};

}  // namespace dvx
