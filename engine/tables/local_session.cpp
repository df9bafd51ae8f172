#include "engine/tables/local_session.h"

#include <algorithm>

#include "engine/core/cleanup_failures.h"
#include "engine/core/exception.h"
#include "engine/tables/database_data.h"
#include "engine/tables/session_errors.h"
#include "engine/tables/table_data_errors.h"
#include "engine/tables/transaction.h"

namespace dvx {

TDVXLocalSession::TDVXLocalSession(TDVXDatabaseData& database) : database_(&database), given_(&database) {
  sessionID_ = database_->ConnectSession();
}

TDVXLocalSession::~TDVXLocalSession() {
  try {
    Disconnect();
  } catch (...) {
    NoteCleanupFailure("disconnecting a session");
  }
}

TDVXPageManager& TDVXLocalSession::PageManager() { return Database().PageManager(); }

void TDVXLocalSession::StartTransaction() {
  if (!Connected()) throw EDVXException(kErrStartTransactionNoDatabase, "Nil pointer occured");
  if (!Database().PseudoName().empty())
    throw EDVXException(kErrTransactionNotDisk, "Cannot start transaction. Only disk databases are allowed for this");
  if (transaction_)
    throw EDVXException(kErrTransactionActive, "Transaction already started in database '%s'",
                        {database_->DatabaseName()});
  transaction_ = std::make_unique<TDVXTransaction>(*this, *database_);
}

void TDVXLocalSession::Commit(bool flush) {
  if (!Connected()) throw EDVXException(kErrCommitNoDatabase, "Nil pointer occured");
  if (!transaction_)
    throw EDVXException(kErrCommitNoTransaction, "Transaction is not started in database '%s'",
                        {database_->DatabaseName()});
  std::unique_ptr<TDVXTransaction> transaction = std::move(transaction_);
  transaction->Commit(flush);
}

void TDVXLocalSession::Rollback() {
  if (!Connected()) throw EDVXException(kErrRollbackNoDatabase, "Nil pointer occured");
  if (!transaction_)
    throw EDVXException(kErrRollbackNoTransaction, "Transaction is not started in database '%s'",
                        {database_->DatabaseName()});
  std::unique_ptr<TDVXTransaction> transaction = std::move(transaction_);
  transaction->Rollback();
}

void TDVXLocalSession::RegisterCursor(TDVXLocalCursor& cursor) { cursors_.push_back(&cursor); }

void TDVXLocalSession::UnregisterCursor(TDVXLocalCursor& cursor) {
  cursors_.erase(std::remove(cursors_.begin(), cursors_.end(), &cursor), cursors_.end());
}

}  // namespace dvx
