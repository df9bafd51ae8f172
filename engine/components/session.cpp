#include "engine/components/session.h"

#include <algorithm>
#include <exception>
#include <memory>

#include "engine/components/component_errors.h"
#include "engine/components/database.h"
#include "engine/components/database_error.h"
#include "engine/components/session_list.h"
#include "engine/components/session_member.h"
#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/storage/storage_errors.h"

namespace dvx {

namespace {

// The sessions among `owner`'s components other than `self`.
std::vector<TDVXSession*> SiblingSessions(const TComponent* owner, const TDVXSession* self) {
  std::vector<TDVXSession*> sessions;
  if (owner == nullptr) return sessions;
  for (TComponent* component : owner->Components())
    if (auto* session = dynamic_cast<TDVXSession*>(component); session && session != self)
      sessions.push_back(session);
  return sessions;
}

}  // namespace

TDVXSession::TDVXSession(TComponent* owner) : TComponent(owner), list_(&TDVXSessionList::Instance()) {
  for (TDVXSession* sibling : SiblingSessions(owner, this))
    if (sibling->AutoSessionName())
      DatabaseError(FormatComponentMessage(kMsgAutoSessionNameAdd, {sibling->SessionName()}), this);
  list_->AddSession(*this);
}

TDVXSession::TDVXSession(TDVXSessionList& list, TDefaultTag) : list_(&list), isDefault_(true) {
  sessionName_ = TDVXSessionList::kDefaultSessionName;
  list_->AddSession(*this);
}

TDVXSession::~TDVXSession() {
  if (list_) {
    try {
      Stop();
    } catch (const std::exception&) {
      // A destructor cannot pass the failure on; Stop has run every step
      // regardless, so the session leaves nothing connected behind.
    }
    if (autoNumber_ >= 0) list_->ReturnAutoNumber(autoNumber_);
    list_->RemoveSession(*this);
  }
  // Components that outlive their session keep their SessionName and find
  // no session until one of that name exists again.
  for (TDVXDatabase* database : databases_) database->session_ = nullptr;
  databases_.clear();
}

TDVXSessionList& TDVXSession::List() {
  if (!list_) throw EDVXException(kErrEngineNotInitialized, "Database Engine is not initialized");
  return *list_;
}

void TDVXSession::LockEngine() {
  // The critical section is entered at every level, not only the first:
  // it is re-entrant per thread already, and a count shared by all threads
  // of the session would let a second thread through unguarded.
  List().EngineLock().Enter();
  ++lockCount_;
}

void TDVXSession::UnlockEngine() {
  --lockCount_;
  List().EngineLock().Leave();
}

void TDVXSession::SetActive(bool value) {
  if (Loading()) {
    streamedActive_ = value;
    return;
  }
  if (value)
    Start();
  else
    Stop();
}

void TDVXSession::Loaded() {
  if (autoSessionName_) ApplyAutoSessionName();
  if (streamedActive_) Start();
}

void TDVXSession::Start() {
  if (active_) return;
  TDVXEngineLock guard(*this);
  if (OnStartup) OnStartup(*this);
  if (sessionName_.empty()) DatabaseError(kMsgSessionNameMissing, this);
  if (!isDefault_) List().DefaultSession().Start();
  active_ = true;
}

void TDVXSession::Stop() {
  if (!active_) return;
  TDVXEngineLock guard(*this);
  // Every component is dealt with; the first failure is passed on at the
  // end, with the session stopped.
  std::exception_ptr failure;
  const std::vector<TDVXDatabase*> databases = databases_;
  for (auto it = databases.rbegin(); it != databases.rend(); ++it) {
    TDVXDatabase* database = *it;
    if (std::find(databases_.begin(), databases_.end(), database) == databases_.end()) continue;
    try {
      if (database->Temporary())
        delete database;
      else
        database->Close();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  }
  active_ = false;
  if (failure) std::rethrow_exception(failure);
}

void TDVXSession::Detach() {
  try {
    Stop();
  } catch (const std::exception&) {
    // The end of the run has no one to tell; Stop has still disconnected
    // every component.
  }
  if (autoNumber_ >= 0) list_->ReturnAutoNumber(autoNumber_);
  autoNumber_ = -1;
  list_->RemoveSession(*this);
  list_ = nullptr;
}

void TDVXSession::SetSessionName(const std::string& name) {
  if (autoSessionName_) DatabaseError(kMsgAutoSessionNameModify, this);
  if (active_) DatabaseError(kMsgSessionActive, this);
  StoreSessionName(name);
}

void TDVXSession::StoreSessionName(const std::string& name) {
  if (!name.empty()) {
    TDVXSession* holder = List().FindSession(name);
    if (holder && holder != this)
      DatabaseError(FormatComponentMessage(kMsgDuplicateSessionName, {name}), this);
  }
  TDVXEngineLock guard(*this);
  sessionName_ = name;
  for (TDVXDatabase* database : databases_) database->sessionName_ = name;
}

void TDVXSession::SetAutoSessionName(bool value) {
  if (value == autoSessionName_) return;
  if (value) {
    if (active_) DatabaseError(kMsgSessionActive, this);
    if (!SiblingSessions(Owner(), this).empty()) DatabaseError(kMsgAutoSessionNameMany, this);
  }
  autoSessionName_ = value;
  if (!value) {
    List().ReturnAutoNumber(autoNumber_);
    autoNumber_ = -1;
  } else if (!Loading()) {
    ApplyAutoSessionName();
  }
}

void TDVXSession::SetName(const std::string& name) {
  TComponent::SetName(name);
  if (autoSessionName_ && !Loading()) ApplyAutoSessionName();
}

void TDVXSession::ApplyAutoSessionName() {
  if (autoNumber_ < 0) autoNumber_ = List().TakeAutoNumber();
  const std::string name = FormatComponentMessage("%s_%d", {Name(), autoNumber_ + 1});
  StoreSessionName(name);
  if (Owner() == nullptr) return;
  const std::vector<TComponent*> siblings = Owner()->Components();
  for (TComponent* component : siblings)
    if (auto* member = dynamic_cast<TDVXSessionMember*>(component)) member->SetSessionName(name);
}

std::vector<TDVXDatabase*> TDVXSession::Databases() {
  TDVXEngineLock guard(*this);
  return databases_;
}

TDVXDatabase* TDVXSession::FindDatabase(const std::string& name) {
  TDVXEngineLock guard(*this);
  for (TDVXDatabase* database : databases_)
    if (SameName(database->DatabaseName(), name)) return database;
  return nullptr;
}

void TDVXSession::AddDatabase(TDVXDatabase& database) {
  TDVXEngineLock guard(*this);
  if (std::find(databases_.begin(), databases_.end(), &database) == databases_.end())
    databases_.push_back(&database);
  database.session_ = this;
}

void TDVXSession::RemoveDatabase(TDVXDatabase& database) {
  TDVXEngineLock guard(*this);
  databases_.erase(std::remove(databases_.begin(), databases_.end(), &database), databases_.end());
  if (database.session_ == this) database.session_ = nullptr;
}

void TDVXSession::CheckDatabaseName(const TDVXDatabase& database, const std::string& name) {
  TDVXEngineLock guard(*this);
  const std::vector<TDVXDatabase*> databases = databases_;
  for (TDVXDatabase* other : databases) {
    if (other == &database || !SameName(other->DatabaseName(), name)) continue;
    if (other->Temporary() && other->ReferenceCount() == 0) {
      delete other;
      continue;
    }
    if (other->HandleShared() && database.HandleShared()) continue;
    DatabaseError(kMsgDatabaseIsOpen, &database);
  }
}

TDVXDatabase* TDVXSession::AcquireDatabase(const std::string& name, TComponent* owner, std::string* error) {
  TDVXEngineLock guard(*this);
  TDVXDatabase* database = nullptr;
  for (TDVXDatabase* candidate : databases_)
    if (candidate->Owner() == owner && candidate->HandleShared() && SameName(candidate->DatabaseName(), name)) {
      database = candidate;
      break;
    }
  if (database == nullptr) database = FindDatabase(name);
  // A component made here is freed again by every failure below.
  std::unique_ptr<TDVXDatabase> temporary;
  try {
    if (database == nullptr) {
      temporary = std::make_unique<TDVXDatabase>(this);
      temporary->temporary_ = true;
      temporary->SetDatabaseName(name);
      temporary->SetKeepConnection(keepConnections_);
      database = temporary.get();
    }
    if (database->LocalDatabase() && !database->DatabaseFileName().empty() && !database->Connected() &&
        !database->DatabaseExists())
      throw EDVXException(kErrFileMissing, "Error - database file '%s' does not exists",
                          {database->DatabaseFileName()});
    database->Open();
    ++database->referenceCount_;
  } catch (const std::exception& e) {
    if (error) *error = e.what();
    return nullptr;
  }
  temporary.release();
  return database;
}

void TDVXSession::ReleaseDatabase(TDVXDatabase* database) {
  if (database == nullptr) return;
  TDVXEngineLock guard(*this);
  if (database->referenceCount_ > 0) --database->referenceCount_;
  if (database->referenceCount_ > 0 || database->KeepConnection() || database->closing_) return;
  if (database->Temporary())
    delete database;
  else
    database->Close();
}

}  // namespace dvx
