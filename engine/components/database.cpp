// The database component's properties, its place in a session, its
// datasets and its engine services. Connecting and disconnecting are in
// database_connection.cpp.
#include "engine/components/database.h"

#include <algorithm>
#include <string>

#include "engine/components/component_errors.h"
#include "engine/components/database_error.h"
#include "engine/components/object_names.h"
#include "engine/components/session.h"
#include "engine/components/session_list.h"
#include "engine/core/locale.h"
#include "engine/core/platform/random.h"
#include "engine/tables/disk_database_data.h"
#include "engine/tables/local_session.h"

namespace dvx {

namespace {

// The default DatabaseName draws from 0 ... 2147483646.
constexpr uint32_t kDatabaseNameRange = 2147483647u;

}  // namespace

TDVXDatabase::TDVXDatabase(TComponent* owner) : TComponent(owner) {
  databaseName_ = kDatabaseNamePrefix + std::to_string(TDVXRandom::System().Next(kDatabaseNameRange));
  TDVXSession* session = dynamic_cast<TDVXSession*>(owner);
  if (session == nullptr) session = &TDVXSessionList::Instance().DefaultSession();
  sessionName_ = session->SessionName();
  session->AddDatabase(*this);
}

TDVXDatabase::~TDVXDatabase() {
  try {
    Close();
  } catch (const std::exception&) {
    // A destructor cannot pass the failure on; Close has let go of the
    // handle and closed every dataset regardless.
  }
  if (session_ == nullptr) return;
  if (session_->list_) {
    session_->RemoveDatabase(*this);
  } else {
    // The registry has shut down; nothing else runs any more.
    auto& list = session_->databases_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

bool TDVXDatabase::Connected() const { return handle_ != nullptr; }

void TDVXDatabase::SetConnected(bool value) {
  if (Loading()) {
    streamedConnected_ = value;
    return;
  }
  if (value)
    Open();
  else
    Close();
}

void TDVXDatabase::Loaded() {
  if (streamedConnected_) {
    Open();
    return;
  }
  BindToSession(TDVXSessionList::Instance().FindSession(sessionName_));
}

double TDVXDatabase::FormatVersion() {
  TDVXLockGuard guard(lock_);
  if (!handle_) return kDefaultFormatVersion;
  auto* disk = dynamic_cast<TDVXDiskDatabaseData*>(&handle_->Database());
  return disk ? disk->Storage().PageManager().Header().formatVersion : kDefaultFormatVersion;
}

void TDVXDatabase::SetDatabaseName(const std::string& name) {
  if (Connected()) DatabaseError(kMsgDatabaseIsOpen, this);
  if (session_) session_->CheckDatabaseName(*this, name);
  databaseName_ = name;
}

void TDVXDatabase::SetDatabaseFileName(const std::string& fileName) {
  Close();
  databaseFileName_ = fileName;
}

void TDVXDatabase::SetSessionName(const std::string& name) {
  if (Connected()) DatabaseError(kMsgDatabaseIsOpen, this);
  if (!Loading()) BindToSession(TDVXSessionList::Instance().FindSession(name));
  sessionName_ = name;
}

void TDVXDatabase::BindToSession(TDVXSession* session) {
  if (session == session_) return;
  if (session) session->CheckDatabaseName(*this, databaseName_);
  if (session_) session_->RemoveDatabase(*this);
  if (session) session->AddDatabase(*this);
}

void TDVXDatabase::RegisterClient(TDVXDatabaseClient& client) {
  TDVXLockGuard guard(lock_);
  if (std::find(clients_.begin(), clients_.end(), &client) == clients_.end()) clients_.push_back(&client);
}

void TDVXDatabase::UnregisterClient(TDVXDatabaseClient& client) {
  TDVXLockGuard guard(lock_);
  clients_.erase(std::remove(clients_.begin(), clients_.end(), &client), clients_.end());
}

size_t TDVXDatabase::ClientCount() {
  TDVXLockGuard guard(lock_);
  return clients_.size();
}

void TDVXDatabase::CloseClients(std::exception_ptr& failure) {
  TDVXLockGuard guard(lock_);
  const std::vector<TDVXDatabaseClient*> clients = clients_;
  for (auto it = clients.rbegin(); it != clients.rend(); ++it) {
    auto registered = [&] { return std::find(clients_.begin(), clients_.end(), *it) != clients_.end(); };
    // A dataset closed by an earlier one (a detail closed with its master)
    // is already gone.
    if (!registered()) continue;
    try {
      (*it)->CloseForDisconnect();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
    // The handle goes next: nothing may keep a cursor on it.
    if (registered()) UnregisterClient(**it);
  }
}

void TDVXDatabase::CheckConnected() {
  if (!Connected()) DatabaseError(kMsgDatabaseNotOpened, this);
}

TDVXDatabaseParams TDVXDatabase::HandleParams() const {
  TDVXDatabaseParams params;
  params.fileName = databaseFileName_.empty() ? databaseName_ : databaseFileName_;
  params.lockParams = lockParams_.ToLockParams();
  params.readOnly = readOnly_;
  params.exclusive = exclusive_;
  params.crypto = cryptoParams_.ToCryptoInfo();
  params.pageSize = options_.PageSize();
  params.extentPageCount = options_.ExtentPageCount();
  params.maxSessionCount = options_.MaxSessionCount();
  return params;
}

bool TDVXDatabase::DatabaseExists() {
  TDVXLockGuard guard(lock_);
  if (handle_) return handle_->DatabaseExists();
  return MakeHandle()->DatabaseExists();
}

bool TDVXDatabase::TableExists(const std::string& tableName) {
  const std::string engineName = EngineName(tableName);
  const bool wasConnected = Connected();
  if (!wasConnected) Open();
  bool exists = false;
  try {
    exists = handle_->Database().TableExists(engineName);
  } catch (...) {
    if (!wasConnected) Close();
    throw;
  }
  if (!wasConnected) Close();
  return exists;
}

void TDVXDatabase::StartTransaction() {
  CheckConnected();
  handle_->StartTransaction();
}

bool TDVXDatabase::InTransaction() {
  CheckConnected();
  return handle_->InTransaction();
}

void TDVXDatabase::Commit(bool flush) {
  CheckConnected();
  handle_->Commit(flush);
}

void TDVXDatabase::Rollback() {
  CheckConnected();
  handle_->Rollback();
}

}  // namespace dvx
