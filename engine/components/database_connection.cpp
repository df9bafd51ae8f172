// Connecting and disconnecting a database component.
//
// Connect, in order: BeforeConnect; the name check; the session (found by
// SessionName, joined, started); under the engine lock either a borrowed
// handle (HandleShared) or a new one made from the component's settings,
// opened, and the file's own settings taken back; AfterConnect. Errors
// reach the caller unchanged and leave the component disconnected.
//
// Disconnect: BeforeDisconnect; every registered dataset closed, the last
// registered first; the handle let go (closed when no other component
// shares it); the reference count back to 0; AfterDisconnect. Every step
// runs; the first failure is passed on at the end.
#include <exception>
#include <memory>

#include "engine/components/component_errors.h"
#include "engine/components/database.h"
#include "engine/components/database_error.h"
#include "engine/components/session.h"
#include "engine/components/session_list.h"
#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/tables/disk_database_data.h"
#include "engine/tables/local_session.h"

namespace dvx {

void TDVXDatabase::Open() {
  if (Connected()) return;
  if (BeforeConnect) BeforeConnect(*this);
  if (databaseName_.empty() && !temporary_) DatabaseError(kMsgDatabaseNameMissing, this);
  TDVXSession* session = session_;
  if (session == nullptr || !SameName(session->SessionName(), sessionName_)) {
    session = TDVXSessionList::Instance().FindSession(sessionName_);
    if (session == nullptr) DatabaseError(FormatComponentMessage(kMsgInvalidSessionName, {sessionName_}), this);
  }
  BindToSession(session);
  session->Start();
  {
    TDVXEngineLock engine(*session);
    TDVXLockGuard own(lock_);
    if (handle_) return;  // another thread got here first
    if (handleShared_) {
      if (TDVXDatabase* lender = FindLender(*session)) {
        handle_ = lender->handle_;
        borrowed_ = true;
      }
    }
    if (!handle_) {
      // A handle that fails to open is freed here and its error passed on.
      std::shared_ptr<TDVXLocalSession> handle = MakeHandle();
      handle->Connect();
      TakeBackSettings(*handle);
      handle_ = std::move(handle);
      borrowed_ = false;
    }
  }
  if (AfterConnect) AfterConnect(*this);
}

void TDVXDatabase::Close() {
  if (!Connected() || closing_) return;
  if (BeforeDisconnect) BeforeDisconnect(*this);
  std::exception_ptr failure;
  {
    std::unique_ptr<TDVXEngineLock> engine;
    if (session_ && session_->list_) engine = std::make_unique<TDVXEngineLock>(*session_);
    TDVXLockGuard own(lock_);
    closing_ = true;
    CloseClients(failure);
    closing_ = false;
    std::shared_ptr<TDVXLocalSession> handle = std::move(handle_);
    handle_.reset();
    borrowed_ = false;
    referenceCount_ = 0;
    // The last component holding the handle closes it; the others only let
    // go of their share.
    if (handle && handle.use_count() == 1) {
      try {
        handle->Disconnect();
      } catch (...) {
        if (!failure) failure = std::current_exception();
      }
    }
  }
  if (AfterDisconnect) AfterDisconnect(*this);
  if (failure) std::rethrow_exception(failure);
}

TDVXDatabase* TDVXDatabase::FindLender(TDVXSession& session) {
  for (TDVXDatabase* other : session.databases_)
    if (other != this && other->handleShared_ && other->handle_ && SameName(other->databaseName_, databaseName_))
      return other;
  return nullptr;
}

std::shared_ptr<TDVXLocalSession> TDVXDatabase::MakeHandle() {
  // Only local databases have an engine handle in this process.
  if (!localDatabase_) throw EDVXException(kErrDatabaseOpen, "Database open error");
  return std::make_shared<TDVXLocalSession>(HandleParams());
}

void TDVXDatabase::TakeBackSettings(TDVXLocalSession& handle) {
  // The in-memory and the temporary database have no file to read back.
  auto* disk = dynamic_cast<TDVXDiskDatabaseData*>(&handle.Database());
  if (disk == nullptr) return;
  TDVXDiskDatabaseStorage& storage = disk->Storage();
  // The engine opens a file it may not write read-only.
  readOnly_ = storage.PageManager().ReadOnly();
  options_.TakeFileSettings(storage.PageSize(), storage.ExtentPageCount(), storage.MaxSessionCount());
  cryptoParams_.TakeFileSettings(storage.CryptoInfo().algorithm, storage.CryptoInfo().mode);
}

}  // namespace dvx
