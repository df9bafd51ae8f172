// A session's connection to its database object: by the object it was
// made on, or by file name through the process's registry.
#include <exception>
#include <vector>

#include "engine/core/exception.h"
#include "engine/tables/database_data.h"
#include "engine/tables/disk_database_data.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/session_errors.h"
#include "engine/tables/transaction.h"

namespace dvx {

std::vector<std::string> TDVXBaseSession::RemoteDatabaseNames() {
  throw EDVXException(kErrRemoteDatabaseNames, "Error - operation is not supported");
}

void TDVXBaseSession::SendServerMessage(const std::string&) {
  throw EDVXException(kErrRemoteSendMessage, "Error - operation is not supported");
}

void TDVXBaseSession::ShutdownServer() {
  throw EDVXException(kErrRemoteShutdown, "Error - operation is not supported");
}

TDVXLocalSession::TDVXLocalSession(TDVXDatabaseParams params, TDVXDatabaseRegistry& registry)
    : registry_(&registry), params_(std::move(params)) {}

TDVXDatabaseData& TDVXLocalSession::Database() {
  if (!database_) throw EDVXException(kErrSessionNotConnected, "Session is not connected to a database");
  return *database_;
}

void TDVXLocalSession::Connect() {
  if (database_)
    throw EDVXException(kErrSessionConnected, "Session is already connected to database '%s'", {params_.fileName});
  TDVXDatabaseData& database = registry_ ? registry_->Acquire(params_) : *given_;
  try {
    sessionID_ = database.ConnectSession();
  } catch (...) {
    if (registry_) registry_->Release(database);
    throw;
  }
  database_ = &database;
}

void TDVXLocalSession::Disconnect() {
  if (!database_) return;
  // Every step runs; the first failure is passed on at the end.
  std::exception_ptr failure;
  auto step = [&](auto&& f) {
    try {
      f();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  };
  if (transaction_) {
    std::unique_ptr<TDVXTransaction> transaction = std::move(transaction_);
    step([&] { transaction->Rollback(); });
  }
  const std::vector<TDVXLocalCursor*> cursors = cursors_;
  for (TDVXLocalCursor* cursor : cursors) step([&] { cursor->Close(); });
  TDVXDatabaseData& database = *database_;
  step([&] { database.PageManager().CancelChanges(sessionID_); });
  step([&] { database.TableLocks().RemoveAllLocks(sessionID_); });
  step([&] { database.DisconnectSession(sessionID_); });
  database_ = nullptr;
  sessionID_ = -1;
  if (registry_) step([&] { registry_->Release(database); });
  if (failure) std::rethrow_exception(failure);
}

void TDVXLocalSession::CreateDatabase() {
  TDVXDatabaseRegistry& registry = registry_ ? *registry_ : TDVXDatabaseRegistry::Instance();
  TDVXLockGuard guard(registry.Lock());
  TDVXFileSystem& fileSystem = params_.FileSystem();
  if (TDVXDatabaseRegistry::IsMemoryName(params_.fileName) || TDVXDatabaseRegistry::IsTemporaryName(params_.fileName) ||
      registry.IsOpen(params_.fileName, fileSystem))
    throw EDVXException(kErrCreateDatabaseOpen, "Cannot create database. Database is already open");
  TDVXDiskDatabaseData database(params_.fileName, params_.lockParams, fileSystem);
  database.CreateDatabase(params_.pageSize, params_.extentPageCount, params_.maxSessionCount, params_.crypto);
}

bool TDVXLocalSession::DatabaseExists() {
  if (TDVXDatabaseRegistry::IsMemoryName(params_.fileName) || TDVXDatabaseRegistry::IsTemporaryName(params_.fileName))
    return true;
  return params_.FileSystem().Exists(params_.fileName);
}

}  // namespace dvx
