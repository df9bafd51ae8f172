#pragma once
// TDVXTableDatabase: the database a table-level operation works in, for as
// long as the operation runs. An open table lends its own; a closed one
// obtains it from its session and releases it again at the end, also when
// the operation fails.
#include <string>

#include "engine/components/component_errors.h"
#include "engine/components/database.h"
#include "engine/components/dataset.h"
#include "engine/components/session.h"
#include "engine/components/session_list.h"
#include "engine/components/table_errors.h"
#include "engine/core/exception.h"
#include "engine/tables/local_session.h"

namespace dvx {

class TDVXTableDatabase {
 public:
  // Fails with "Cannot open database '%s'" (and the engine's reason) when
  // no database can be had.
  TDVXTableDatabase(TDVXDatabase* own, const std::string& sessionName, const std::string& databaseName,
                    const TComponent* table)
      : database_(own) {
    if (database_) return;
    session_ = &TDVXSessionList::Instance().GetSession(sessionName);
    std::string reason;
    database_ = session_->AcquireDatabase(databaseName, table ? table->Owner() : nullptr, &reason);
    if (!database_) CannotOpenDatabaseError(databaseName, reason, table);
  }
  ~TDVXTableDatabase() {
    if (!session_ || !database_) return;
    try {
      session_->ReleaseDatabase(database_);
    } catch (const std::exception& e) {
      // A destructor cannot pass it on; the application's handler hears of it.
      TDataSet::ReportException(e);
    }
  }
  TDVXTableDatabase(const TDVXTableDatabase&) = delete;
  TDVXTableDatabase& operator=(const TDVXTableDatabase&) = delete;

  TDVXDatabase& Database() const { return *database_; }
  // The engine session; a database without one cannot give cursors.
  TDVXLocalSession& Engine() const {
    TDVXLocalSession* handle = database_->Handle();
    if (!handle) throw EDVXException(kErrCannotCreateCursor, kMsgCannotCreateCursor);
    return *handle;
  }
  void RequireWritable() const {
    if (database_->ReadOnly()) throw EDVXException(kErrDatabaseReadOnly, kMsgDatabaseReadOnly);
  }

 private:
  TDVXDatabase* database_ = nullptr;
  TDVXSession* session_ = nullptr;
};

}  // namespace dvx
