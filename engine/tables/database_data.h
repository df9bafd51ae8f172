#pragma once
// TDVXDatabaseData: what the sessions of one process share about one
// database: the open table objects, the page manager and the database-wide
// object-identifier counter. The disk database (disk_database_data.h)
// specialises it; memory and temporary databases will beside it.
//
// A table object lives from the first cursor that opens the table until
// the last one closes it. The database object's lock guards the list of
// tables; each table object has a lock of its own for its operations.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/platform/critical_section.h"
#include "engine/schema/constraint_defs.h"
#include "engine/schema/field_def.h"
#include "engine/schema/index_def.h"
#include "engine/schema/sequence_def.h"
#include "engine/storage/page_manager.h"
#include "engine/storage/table_locks_manager.h"

namespace dvx {

class TDVXTableData;
class TDVXLocalSession;

class TDVXDatabaseData {
 public:
  TDVXDatabaseData();
  virtual ~TDVXDatabaseData();
  TDVXDatabaseData(const TDVXDatabaseData&) = delete;
  TDVXDatabaseData& operator=(const TDVXDatabaseData&) = delete;

  virtual TDVXPageManager& PageManager() = 0;
  // The table and record locks of the database's sessions; for a file,
  // they reach other programs through its byte-range locks.
  virtual TDVXTableLocksManager& TableLocks() = 0;
  virtual int32_t ConnectSession() = 0;
  virtual void DisconnectSession(int32_t sessionID) = 0;
  virtual std::vector<std::string> TableNames() = 0;
  virtual bool TableExists(const std::string& tableName) = 0;
  // Creates the table with copies of the definitions, validated, numbered
  // and resolved; an existing table of the name is dropped first.
  virtual void CreateTable(TDVXLocalSession& session, const std::string& tableName, const TDVXFieldDefs& fields,
                           const TDVXIndexDefs& indexes, const TDVXConstraintDefs& constraints) = 0;
  virtual void DeleteTable(TDVXLocalSession& session, const std::string& tableName) = 0;

  // The shared table object, loaded by the first opener.
  TDVXTableData& OpenTable(TDVXLocalSession& session, const std::string& tableName, bool exclusive);
  // Called by a cursor that unregistered: a table without cursors and
  // outside every transaction is closed.
  void ReleaseTable(TDVXTableData& table);
  TDVXTableData* FindOpenTable(const std::string& tableName);
  std::vector<TDVXTableData*> OpenTables();

  // The database-wide identifier counter (first value 1, cycled at
  // 4294967295; identifiers above 2147483647 are refused).
  TDVXSequenceDef& ObjectIDCounter() { return objectIDCounter_; }
  int32_t NextObjectID();
  // A loaded table's identifiers are never handed out again.
  void RaiseObjectIDCounter(int32_t highestID);
  // --- database-wide identifiers (disk_object_ids.cpp) ---
  // Raises the counter above every identifier stored with any table of the
  // database, also of tables not loaded here; called before identifiers
  // are drawn for a new table, index or constraint, outside Lock(). A
  // database whose tables all live in this process has nothing to do.
  virtual void SyncObjectIDCounter() {}
  // --- end of database-wide identifiers ---

  TDVXCriticalSection& Lock() { return lock_; }

  // --- foreign keys ---
  // Taken before a table's own lock by every operation that may reach
  // another table through a foreign key (TDVXTableData::LockForeignKeys).
  TDVXCriticalSection& ForeignKeyLock() { return foreignKeyLock_; }
  // Renames a table that no cursor has open; what names it elsewhere (the
  // foreign keys of other tables) is the caller's. Databases that cannot
  // rename refuse.
  virtual void RenameTable(TDVXLocalSession& session, const std::string& oldName, const std::string& newName);
  // --- end of foreign keys ---

  // --- memory and temporary databases (resident_database_data.h) ---
  // "MEMORY" or "TEMP" for the databases without a file; "" for a file.
  virtual std::string PseudoName() const { return ""; }
  // The name sessions connect with: the file name, or the pseudo name.
  virtual std::string DatabaseName() const { return PseudoName(); }
  // Whether tables stay loaded without cursors, until they are dropped
  // (their records live nowhere else).
  virtual bool KeepsTables() const { return false; }
  // --- end of memory and temporary databases ---

 protected:
  // Builds and loads the table object of an existing table.
  virtual std::unique_ptr<TDVXTableData> LoadTable(TDVXLocalSession& session, const std::string& tableName,
                                                   bool exclusive) = 0;
  // Drops every table object (closing the database).
  void FreeTables();
  // --- memory and temporary databases ---
  // Adds a table object made outside OpenTable; takes one out of the list
  // (null when it is not listed), for the caller to free.
  void AdoptTable(std::unique_ptr<TDVXTableData> table);
  std::unique_ptr<TDVXTableData> RemoveTable(TDVXTableData& table);
  // --- end of memory and temporary databases ---

 private:
  TDVXCriticalSection lock_;
  TDVXCriticalSection foreignKeyLock_;
  std::vector<std::unique_ptr<TDVXTableData>> tables_;
  TDVXSequenceDef objectIDCounter_;
};

}  // namespace dvx
