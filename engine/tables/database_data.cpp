#include "engine/tables/database_data.h"

#include <algorithm>

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/schema/table_definitions.h"
#include "engine/tables/foreign_key_errors.h"
#include "engine/tables/table_data.h"

namespace dvx {

TDVXDatabaseData::TDVXDatabaseData() = default;

TDVXDatabaseData::~TDVXDatabaseData() = default;

TDVXTableData* TDVXDatabaseData::FindOpenTable(const std::string& tableName) {
  TDVXLockGuard guard(lock_);
  for (auto& table : tables_)
    if (SameName(table->TableName(), tableName)) return table.get();
  return nullptr;
}

std::vector<TDVXTableData*> TDVXDatabaseData::OpenTables() {
  TDVXLockGuard guard(lock_);
  std::vector<TDVXTableData*> tables;
  for (auto& table : tables_) tables.push_back(table.get());
  return tables;
}

TDVXTableData& TDVXDatabaseData::OpenTable(TDVXLocalSession& session, const std::string& tableName, bool exclusive) {
  TDVXLockGuard guard(lock_);
  if (TDVXTableData* open = FindOpenTable(tableName)) return *open;
  tables_.push_back(LoadTable(session, tableName, exclusive));
  return *tables_.back();
}

void TDVXDatabaseData::ReleaseTable(TDVXTableData& table) {
  TDVXLockGuard guard(lock_);
  if (KeepsTables()) return;
  if (table.CursorCount() > 0 || table.ActiveTransaction() != kNoTransaction) return;
  auto it = std::find_if(tables_.begin(), tables_.end(), [&](const auto& t) { return t.get() == &table; });
  if (it != tables_.end()) tables_.erase(it);
}

void TDVXDatabaseData::AdoptTable(std::unique_ptr<TDVXTableData> table) {
  TDVXLockGuard guard(lock_);
  tables_.push_back(std::move(table));
}

std::unique_ptr<TDVXTableData> TDVXDatabaseData::RemoveTable(TDVXTableData& table) {
  TDVXLockGuard guard(lock_);
  auto it = std::find_if(tables_.begin(), tables_.end(), [&](const auto& t) { return t.get() == &table; });
  if (it == tables_.end()) return nullptr;
  std::unique_ptr<TDVXTableData> taken = std::move(*it);
  tables_.erase(it);
  return taken;
}

void TDVXDatabaseData::FreeTables() {
  TDVXLockGuard guard(lock_);
  tables_.clear();
}

int32_t TDVXDatabaseData::NextObjectID() {
  TDVXLockGuard guard(lock_);
  return DrawObjectID(objectIDCounter_);
}

void TDVXDatabaseData::RaiseObjectIDCounter(int32_t highestID) {
  TDVXLockGuard guard(lock_);
  if (highestID > objectIDCounter_.CurrentValue()) objectIDCounter_.SetCurrentValue(highestID);
}

void TDVXDatabaseData::RenameTable(TDVXLocalSession&, const std::string& oldName, const std::string&) {
  throw EDVXException(kErrRenameTableUnsupported, "Error - table '%s' of this database cannot be renamed", {oldName});
}

}  // namespace dvx
