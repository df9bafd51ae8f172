#pragma once
// TDVXResidentDatabaseData: what the in-memory database ("MEMORY") and the
// temporary database ("TEMP") share. Neither has a file, table list, locks
// file or StateCounter: the database object is the only place its tables
// exist, so they stay loaded from CreateTable to DeleteTable (or to the
// end of the database object), with or without cursors.
//
// Each table keeps its index pages in a page manager of its own; the
// database's page manager holds none and only gives the sessions a change
// set that stays empty. Table locks succeed at once; record locks go
// through a lock registry of this process only.
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/storage/memory_page_manager.h"
#include "engine/storage/table_locks_manager.h"
#include "engine/tables/database_data.h"

namespace dvx {

class TDVXResidentTableData;

class TDVXResidentDatabaseData : public TDVXDatabaseData {
 public:
  TDVXResidentDatabaseData();
  ~TDVXResidentDatabaseData() override;

  TDVXPageManager& PageManager() override { return pages_; }
  TDVXTableLocksManager& TableLocks() override { return locks_; }
  // The smallest free number from 1.
  int32_t ConnectSession() override;
  void DisconnectSession(int32_t sessionID) override;
  std::vector<std::string> TableNames() override;
  bool TableExists(const std::string& tableName) override { return FindOpenTable(tableName) != nullptr; }
  // An existing table of the name is dropped first (refused, with nothing
  // changed, while a cursor has it open).
  void CreateTable(TDVXLocalSession& session, const std::string& tableName, const TDVXFieldDefs& fields,
                   const TDVXIndexDefs& indexes, const TDVXConstraintDefs& constraints) override;
  // 20017 while a cursor has the table open; a missing table is 10027.
  void DeleteTable(TDVXLocalSession& session, const std::string& tableName) override;
  bool KeepsTables() const override { return true; }
  // The loaded table object takes the new name: 10150 while a cursor has
  // it open, a taken name as for a file.
  void RenameTable(TDVXLocalSession& session, const std::string& oldName, const std::string& newName) override;

 protected:
  // A table that is not listed does not exist: 10028.
  std::unique_ptr<TDVXTableData> LoadTable(TDVXLocalSession& session, const std::string& tableName,
                                           bool exclusive) override;
  // A new, empty table object of the kind this database holds.
  virtual std::unique_ptr<TDVXResidentTableData> MakeTable(const std::string& tableName) = 0;
  // Raises for definitions this database cannot hold; nothing by default.
  virtual void CheckDefinitions(const TDVXConstraintDefs& constraints) {}
  // Drops a listed table object whatever holds it (a failed load).
  void DropTable(TDVXTableData& table);

 private:
  TDVXMemoryPageManager pages_;
  TDVXTableLocksManager locks_;
  std::set<int32_t> sessions_;
};

}  // namespace dvx
