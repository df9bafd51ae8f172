#pragma once
// A database file opened through the table layer for the dvx commands that
// read tables: the database object, one session on it, and the file's
// commit locks held for the object's life, so every table is read in one
// consistent state between two commits of other programs. Opening for
// reading refuses a database an ended program left in the middle of a
// commit, as OpenForReading does; opening for writing recovers it first.
#include <memory>
#include <string>

#include "engine/tables/disk_database_data.h"
#include "engine/tables/local_session.h"
#include "tools/dvx/database_open.h"

namespace dvx::tool {

class TDvxTableDatabase {
 public:
  TDvxTableDatabase(const std::string& fileName, const std::string& password, bool forWriting = false);
  ~TDvxTableDatabase();
  TDvxTableDatabase(const TDvxTableDatabase&) = delete;
  TDvxTableDatabase& operator=(const TDvxTableDatabase&) = delete;

  TDVXDiskDatabaseData& Database() { return *database_; }
  TDVXLocalSession& Session() { return *session_; }
  TDVXDiskPageManager& PageManager() { return database_->PageManager(); }

 private:
  std::unique_ptr<TDVXDiskDatabaseData> database_;
  std::unique_ptr<TDvxConsistentState> hold_;
  std::unique_ptr<TDVXLocalSession> session_;
};

}  // namespace dvx::tool
