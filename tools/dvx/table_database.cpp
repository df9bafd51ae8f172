#include "tools/dvx/table_database.h"

namespace dvx::tool {

TDvxTableDatabase::TDvxTableDatabase(const std::string& fileName, const std::string& password, bool forWriting)
    : database_(std::make_unique<TDVXDiskDatabaseData>(fileName, TDVXLockParams{10, 100})) {
  TDVXCryptoInfo crypto;
  crypto.password = password;
  database_->OpenDatabase(!forWriting, false, crypto);
  hold_ = std::make_unique<TDvxConsistentState>(database_->PageManager());
  session_ = std::make_unique<TDVXLocalSession>(*database_);
}

// The session and every table object go before the locks are given up and
// the file is closed.
TDvxTableDatabase::~TDvxTableDatabase() {
  session_.reset();
  hold_.reset();
  database_->CloseDatabase();
}

}  // namespace dvx::tool
