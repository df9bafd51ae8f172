#pragma once
// TDVXTableData: the one shared object per open table. Every cursor of
// every session on the table goes through it; its lock serialises them.
// It owns the table's field, constraint, index and sequence managers, one
// B-tree per index, and (through the storage specialisation) the record
// manager and the pages the indexes live in.
//
// Record operations (Insert, Update, Delete) are all or nothing: each runs
// in an operation scope of its session (table_operation.h), which commits
// the session's pages when it ends outside a transaction and cancels them,
// or rolls back to the operation's savepoint inside one, when anything
// fails; the in-memory state the operation changed (sequence values, index
// root pages, the page maps) is put back with them.
//
// Lock order: the table object's lock, then the table lock of the
// registry, then a record lock; released in reverse order.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/core/platform/critical_section.h"
#include "engine/schema/table_managers.h"
#include "engine/storage/base_record_manager.h"
#include "engine/storage/blob_value_stream.h"
#include "engine/tables/index.h"
#include "engine/tables/table_scan.h"
#include "engine/values/variant.h"

namespace dvx {

class TDVXDatabaseData;
class TDVXExpression;
class TDVXLocalCursor;
class TDVXLocalSession;
class TDVXUnitOfWork;

constexpr int32_t kNoTransaction = -1;

// Table lock modes, numbered as the lock registry numbers them.
enum TDVXTableLockMode : int { tlmIS = 0, tlmS = 1, tlmIRW = 2, tlmRW = 3, tlmX = 5 };
const char* TableLockModeName(TDVXTableLockMode mode);

// What an operation or a transaction may have to put back: the sequences'
// current values and the indexes' root pages, in collection order.
struct TDVXTableState {
  std::vector<int64_t> sequenceValues;
  std::vector<int32_t> rootPages;
  bool operator==(const TDVXTableState&) const = default;
};

class TDVXTableData : public TDVXIndexTableAccess {
 public:
  TDVXTableData(TDVXDatabaseData& database, std::string tableName);
  ~TDVXTableData() override;
  TDVXTableData(const TDVXTableData&) = delete;
  TDVXTableData& operator=(const TDVXTableData&) = delete;

  // Storage operations, in slot order.
  virtual TDVXPageManager& IndexPageManager() = 0;
  virtual int32_t TableID() const { return -1; }
  virtual TDVXBaseRecordManager& RecordManager() = 0;
  // Forgets what was read from pages the session has cancelled or rolled
  // back (the page maps are read again at the next operation).
  virtual void Refresh() = 0;
  // Writes the sequences and index definitions into the session's change
  // set (the most-updated state of a disk table).
  virtual void SaveState(int32_t session) = 0;
  // Takes over what other programs committed to the table's state
  // (sequence values, index root pages) before an operation relies on it;
  // nothing to do for a table no other program can change.
  virtual void ReloadState(int32_t session) {}

  // Table locks of the database's registry, one pair per mode. A lock is
  // tried RetryCount times with Delay between attempts; false when it
  // stayed refused. Unlocking is never refused.
  virtual bool LockTableIS(int32_t session) { return LockMode(session, tlmIS); }
  virtual bool UnlockTableIS(int32_t session) { return UnlockMode(session, tlmIS); }
  virtual bool LockTableS(int32_t session) { return LockMode(session, tlmS); }
  virtual bool UnlockTableS(int32_t session) { return UnlockMode(session, tlmS); }
  virtual bool LockTableIRW(int32_t session) { return LockMode(session, tlmIRW); }
  virtual bool UnlockTableIRW(int32_t session) { return UnlockMode(session, tlmIRW); }
  virtual bool LockTableRW(int32_t session) { return LockMode(session, tlmRW); }
  virtual bool UnlockTableRW(int32_t session) { return UnlockMode(session, tlmRW); }
  virtual bool LockTableX(int32_t session) { return LockMode(session, tlmX); }
  virtual bool UnlockTableX(int32_t session) { return UnlockMode(session, tlmX); }
  // Whether the session holds a table lock other than IS (the intent lock
  // of an open table does not keep a transaction from starting).
  virtual bool HoldsTableLocks(int32_t session);
  // What names the table's lock bytes between programs: its locks file's
  // first page; -1 where no other program can see the table.
  virtual int32_t LocksFileID() const { return -1; }

  const std::string& TableName() const { return tableName_; }
  // "Error - cannot lock table in '%s' mode, ..." (or the unlock message)
  // for a lock of this table that stayed refused.
  [[noreturn]] void RaiseLockFailure(int32_t code, bool unlock, TDVXTableLockMode mode) const;
  TDVXDatabaseData& Database() { return database_; }
  TDVXCriticalSection& Lock() { return lock_; }
  TDVXBaseFieldManager& FieldManager() { return fieldManager_; }
  TDVXFieldDefs& Fields() { return fieldManager_.FieldDefs(); }
  const TDVXFieldDefs& Fields() const { return fieldManager_.FieldDefs(); }
  TDVXBaseConstraintManager& ConstraintManager() { return constraintManager_; }
  TDVXBaseIndexManager& IndexManager() { return indexManager_; }
  TDVXBaseSequenceManager& SequenceManager() { return sequenceManager_; }
  int32_t RecordSize() const { return Fields().RecordSize(); }
  bool HasBlobs() const { return hasBlobs_; }

  int IndexCount() const { return static_cast<int>(indexes_.size()); }
  TDVXIndex& Index(int i) { return *indexes_.at(static_cast<size_t>(i)); }
  // The index with the definition's ObjectID; none for -1 or an unknown ID.
  TDVXIndex* IndexByID(int32_t objectID);
  TDVXIndex* IndexByName(const std::string& name);

  void RegisterCursor(TDVXLocalCursor& cursor);
  void UnregisterCursor(TDVXLocalCursor& cursor);
  size_t CursorCount() const { return cursors_.size(); }

  // Record operations. The cursor's buffer holds the record to write;
  // each throws on a refused or failed operation and has then changed
  // nothing.
  void ApplyDefaults(TDVXLocalCursor& cursor, uint8_t* buffer, bool autoinc);
  // Raises on the first violated constraint, in constraint order. `old` is
  // the stored record an update replaces (null on insert).
  // `skipForeignKeys` leaves the referenced rows unchecked, for callers
  // that copy records whose references are known to hold.
  void CheckConstraints(TDVXLocalCursor& cursor, bool insert, const uint8_t* buffer, const uint8_t* old,
                        bool skipForeignKeys = false);
  bool Insert(TDVXLocalCursor& cursor);
  bool Update(TDVXLocalCursor& cursor);
  bool Delete(TDVXLocalCursor& cursor);
  // The record lock of an edit or delete (table_record_lock.cpp): locks
  // the cursor's current record, or raises; unlocks a record the cursor's
  // session holds, or raises.
  void LockRecordForEdit(TDVXLocalCursor& cursor);
  void UnlockRecordForEdit(TDVXLocalCursor& cursor, const TDVXRecordID& id);
  // Deletes every record, one by one as Delete does.
  void DeleteAll(TDVXLocalCursor& cursor);
  // Sets the named fields of every record to the values (NULL values make
  // the fields NULL) and updates each record as Update does: all of them
  // or none. The names and the count are checked before anything changes.
  // The cursor keeps its place and reads its record again.
  void UpdateAll(TDVXLocalCursor& cursor, const std::vector<std::string>& fieldNames,
                 const std::vector<TDVXVariant>& values);

  int64_t RecordCount(int32_t session);
  bool IsRecordDeleted(TDVXLocalCursor& cursor);
  // Reads the neighbour (or the current record) of the cursor's position
  // in the cursor's order (physical, or its current index) into its
  // buffer and moves the cursor there.
  TDVXGetRecordResult GetRecord(TDVXLocalCursor& cursor, TDVXGetRecordMode mode);
  // Finds the records that satisfy the expression (bound to a row source
  // of this table's layout, or null), every condition and the options'
  // test; see table_scan.h. The expression's index conditions are added to
  // `conditions`; it is evaluated on each visited record and afterwards
  // reads its own cursor's buffer again. False when nothing matched.
  bool Scan(TDVXLocalCursor& cursor, TDVXExpression* expression, const TDVXScanOptions& options,
            TDVXScanSearchConditionArray conditions = {});

  // What indexes need of the table.
  void ForEachRecord(int32_t session,
                     const std::function<void(const TDVXRecordID& id, const uint8_t* record)>& visit) override;
  bool ReadRecord(int32_t session, const TDVXRecordID& id, uint8_t* record) override;
  // Why the last read of a record (ReadRecord, GetRecord) failed, when a
  // page stood in the way; empty when it found no record or succeeded.
  const std::string& LastReadCause() const { return lastReadCause_; }
  // "Error - cannot load record …" for `id`, followed by the last read's
  // cause when there is one.
  [[noreturn]] void CannotLoad(const TDVXRecordID& id) const { CannotLoad(id, lastReadCause_); }
  [[noreturn]] void CannotLoad(const TDVXRecordID& id, const std::string& cause) const;

  TDVXTableState TakeState() const;
  void PutState(const TDVXTableState& state);

  // The session whose transaction the table takes part in.
  int32_t ActiveTransaction() const { return activeTransaction_; }
  void SetActiveTransaction(int32_t sessionID);
  void ClearActiveTransaction() { activeTransaction_ = kNoTransaction; }

  // --- foreign keys (table_foreign_keys.cpp, table_constraint_ops.cpp) ---
  // Writes the field and constraint definitions into the session's change
  // set; a table whose definitions live only in memory has nothing to do.
  virtual void SaveDefinitions(int32_t session) {}
  // Adds a foreign key of this table: its columns resolved, the referenced
  // table's primary key matched, every record checked, the action created
  // in the referenced table; both tables' definitions are committed at
  // once. Nothing changes when any step fails.
  void AddForeignKey(TDVXLocalCursor& cursor, const TDVXConstraintDefForeignKey& definition);
  // Removes a constraint. A foreign key or its action takes its counterpart
  // in the other table along unless `keepCounterpart`; a primary key is
  // refused while actions of the table exist, unless `force` removes them
  // first. The definitions are committed at once.
  void DeleteConstraint(TDVXLocalSession& session, const std::string& name, bool keepCounterpart, bool force);
  // Points this table's foreign keys and actions that name `oldName` at
  // `newName`, in memory; true when any changed.
  bool RenameTableReferences(const std::string& oldName, const std::string& newName);
  // The counterparts in other tables of this table's foreign keys and
  // actions: what dropping this table leaves to remove there.
  struct TConstraintRef {
    std::string tableName;
    std::string constraintName;
  };
  std::vector<TConstraintRef> ForeignKeyCounterparts() const;
  // Removes each named constraint from its table where both still exist,
  // committing all at once.
  static void RemoveConstraints(TDVXLocalSession& session, const std::vector<TConstraintRef>& constraints);
  // After a table was renamed: the foreign keys and actions of the listed
  // tables that name it follow, committed at once.
  static void FollowRenamedTable(TDVXLocalSession& session, const std::vector<std::string>& tables,
                                 const std::string& oldName, const std::string& newName);
  // The mutual exclusion every operation that may reach a second table
  // through a foreign key takes before its own table's lock, so that two
  // such operations never wait for each other's table locks; not taken for
  // tables outside every foreign key.
  std::unique_lock<TDVXCriticalSection> LockForeignKeys();
  // --- end of foreign keys ---

  // --- BLOB values (table_blobs.cpp) ---
  // A stream over BLOB field `fieldNo` of the cursor's buffer: mode 0 a
  // new, empty value; modes 1 and 2 the value the slot holds (the stored
  // item, a pending value, or empty for NULL).
  std::unique_ptr<TDVXBlobValueStream> OpenBLOB(TDVXLocalCursor& cursor, int fieldNo, int mode);
  // Makes the stream's content the pending value of the field in the
  // cursor's buffer (an empty stream makes the field NULL).
  void StoreBLOB(TDVXLocalCursor& cursor, int fieldNo, TDVXBlobValueStream& stream);
  // Frees every pending value of the cursor's buffer (the fields become
  // NULL; stored references stay).
  void FreePendingBLOB(TDVXLocalCursor& cursor);
  // The value behind a BLOB slot of a record image of this table, whatever
  // storage keeps it.
  virtual std::unique_ptr<TDVXBlobValueStream> OpenBlobValue(int32_t session, int fieldNo, const uint8_t* record);
  // A record write hands the record manager a copy of the buffer whose
  // pending values are copies of their own: the manager frees the copies
  // and writes references into the copy, and only when the whole operation
  // succeeded does the buffer take them over (Adopt). A write that fails
  // leaves the buffer with its pending values, ready to be posted again.
  class TPendingBlobWrite {
   public:
    TPendingBlobWrite(const TDVXFieldDefs& fields, uint8_t* record);
    ~TPendingBlobWrite();
    TPendingBlobWrite(const TPendingBlobWrite&) = delete;
    TPendingBlobWrite& operator=(const TPendingBlobWrite&) = delete;
    uint8_t* Record() { return copy_.empty() ? record_ : copy_.data(); }
    void Adopt();

   private:
    const TDVXFieldDefs& fields_;
    uint8_t* record_;
    std::vector<uint8_t> copy_;
  };
  // --- end of BLOB values ---

  // --- change counter (cursor record ID lists, cursor_filter.cpp) ---
  // Moves with every insert, update and delete and with every state put
  // back or taken over from the file: a cursor's record ID list built at
  // another count may no longer be the set.
  uint64_t ChangeCount() const { return changeCount_; }
  void NoteChange() { ++changeCount_; }
  // --- end of change counter ---

  // --- read scopes (table_read_scope.h) ---
  // The session whose outermost read scope is open on the table (under the
  // table's lock) and how deep its scopes nest; kNoTransaction when none.
  int32_t ReadScopeSession() const { return readScopeSession_; }
  int ReadScopeDepth() const { return readScopeDepth_; }
  void SetReadScope(int32_t session, int depth) {
    readScopeSession_ = session;
    readScopeDepth_ = depth;
  }
  // --- end of read scopes ---

  // --- change notices (table_change_notices.h, cursor_observer.h) ---
  // Under the table's lock, after a change took effect: the observers of
  // the other cursors (every cursor for a null source) hear of it when the
  // operation ends; not at all if it fails after all.
  void NoteChangeThrough(const TDVXLocalCursor* source);
  // Under the table's lock: what the table took over from another
  // program's commit, or a rolled-back transaction put back; every
  // cursor's observer hears of it, whatever the operation then does.
  void NoteChangeFromOutside();
  // After this process committed the session's changes to the table while
  // holding it against other programs: the file's state of the table is
  // the one in memory, so the next check is not to take the commit for
  // another program's.
  virtual void NoteOwnCommit() {}
  // --- end of change notices ---

  // --- definition operations (table_definition_ops.cpp) ---
  // Each changes the table's definitions and pages all at once: the new
  // definitions and every page go into one change set, committed together;
  // a failure anywhere leaves definitions, pages and records as they were.
  // Refused while the table takes part in a transaction.
  // AddIndex: a fresh ObjectID, built over the records (a unique or primary
  // index over duplicate keys fails); a non-temporary index also gets its
  // unique or primary constraint. The new index's ObjectID.
  virtual int32_t AddIndex(const TDVXIndexDef& definition, TDVXLocalCursor& cursor);
  // DropIndex: the constraint built on the index goes with it; a primary
  // key that foreign key actions depend on is refused unless `force`.
  virtual void DropIndex(int32_t indexID, TDVXLocalCursor& cursor, bool force = false);
  virtual void DropAllIndexes(TDVXLocalCursor& cursor, bool force = false);
  // No records, every index defined and empty; sequences keep their
  // values. Refused while another cursor is registered.
  virtual void EmptyTable(TDVXLocalCursor& cursor);
  // Refused for a field an index or foreign key includes; NOT NULL and
  // CHECK constraints follow the new name.
  virtual void RenameField(const std::string& oldName, const std::string& newName);
  // --- end of definition operations ---

  // --- memory and temporary tables (memory_table_data.cpp, temporary_table_data.cpp) ---
  // Raise for the changes the table's storage refuses, before anything
  // changes; a table that takes them all does nothing.
  virtual void CheckUpdateAllowed() const {}
  virtual void CheckDeleteAllowed() const {}
  virtual void CheckForeignKeysAllowed() const {}
  // Whether the records live outside the pages of the session's change
  // set: cancelling the change set then does not take back a stored
  // record, and a failed insert removes it itself.
  virtual bool RecordsOutsidePages() const { return false; }
  // The new name of a table its database renamed while keeping the object
  // loaded (in-memory tables).
  void SetTableName(const std::string& name) { tableName_ = name; }
  // Whether every foreign key action of the table changes another table.
  bool ActionsStayInOtherTables() const;
  // --- end of memory and temporary tables ---

 protected:
  // Takes copies of a new table's definitions: validated, numbered from the
  // database's counter, autoincrement sequences created, constraints of
  // unique and primary indexes added, every constraint named and resolved,
  // every index without pages. An index whose key leaves room for fewer
  // than four entries on a page is refused here, before any storage exists.
  void DefineNewTable(const TDVXFieldDefs& fields, const TDVXIndexDefs& indexes,
                      const TDVXConstraintDefs& constraints);
  // The highest ObjectID of the table's definitions.
  int32_t HighestObjectID() const;
  // One B-tree per index definition, opened on its stored root.
  void BuildIndexes();
  bool LockMode(int32_t session, TDVXTableLockMode mode);
  bool UnlockMode(int32_t session, TDVXTableLockMode mode);

 private:
  // The table lock of a change: RW outside a transaction, enrolment in the
  // transaction inside one.
  class TChangeLock;
  void CheckUnique(const TDVXConstraintDefUnique& constraint, bool insert, const uint8_t* buffer, const uint8_t* old,
                   int32_t session);
  void CheckNotNull(const TDVXConstraintDefNotNull& constraint, const uint8_t* buffer, int32_t missingCode,
                    int32_t nullCode);
  void CheckRange(const TDVXConstraintDefCheck& constraint, const uint8_t* buffer);
  void DrawAutoincValues(TDVXLocalSession& session, uint8_t* buffer);
  bool ReadStored(int32_t session, const TDVXRecordID& id, std::vector<uint8_t>& buffer);
  // 30987 when a BLOB field of `buffer` names a stored value that is no
  // longer the one `stored` (the record as it is now) holds.
  void CheckBlobReferences(const uint8_t* buffer, const uint8_t* stored, const TDVXRecordID& id) const;
  // Moves the cursor off the record it stands on before a delete.
  void StepAside(TDVXLocalCursor& cursor);
  // Sets the fields of each listed record (UpdateAll's work on a given set).
  void UpdateRecords(TDVXLocalCursor& cursor, const TDVXRecordIDList& ids, const std::vector<int>& fieldNos,
                     const std::vector<TDVXVariant>& values);
  // The records of the cursor's set: its range and filter, or the table.
  TDVXRecordIDList SetOf(TDVXLocalCursor& cursor);
  // Deletes each listed record that still exists, as Delete does.
  void DeleteRecords(TDVXLocalCursor& cursor, const TDVXRecordIDList& ids);

  // --- foreign keys (table_foreign_keys.cpp) ---
  void CheckForeignKey(TDVXLocalCursor& cursor, const TDVXConstraintDefForeignKey& foreignKey, const uint8_t* buffer);
  // The actions of the foreign keys referencing this table, after the row
  // `old` was deleted (`updated` null) or changed into `updated`.
  void RunForeignKeyActions(TDVXLocalSession& session, const uint8_t* old, const uint8_t* updated);
  void RunForeignKeyAction(TDVXLocalSession& session, const TDVXConstraintDefForeignKeyAction& action,
                           const uint8_t* old, const uint8_t* updated);
  // Frees an index's pages and removes its definition, in the session's
  // change set with the table's new state.
  void DropIndexPages(int32_t indexID, int32_t session);
  // --- end of foreign keys ---
  // --- definition operations ---
  // Puts the definitions as they are now back unless the unit commits.
  void NoteDefinitions(TDVXUnitOfWork& work);
  // Writes definitions and state into the system change set and commits
  // the unit, flushing the file.
  void CommitDefinitions(TDVXUnitOfWork& work);
  void RefuseInTransaction() const;
  // Drops one index with its constraint; the caller commits.
  void DropIndexDefinition(int32_t indexID, int32_t session);
  // Cursors whose current index is gone fall back to physical order.
  void FollowIndexChange();
  // --- end of definition operations ---

  TDVXDatabaseData& database_;
  std::string tableName_;
  std::string lastReadCause_;
  TDVXCriticalSection lock_;
  TDVXBaseSequenceManager sequenceManager_;
  TDVXBaseFieldManager fieldManager_;
  TDVXBaseConstraintManager constraintManager_;
  TDVXBaseIndexManager indexManager_;
  std::vector<std::unique_ptr<TDVXIndex>> indexes_;
  std::vector<TDVXLocalCursor*> cursors_;
  int32_t activeTransaction_ = kNoTransaction;
  uint64_t changeCount_ = 0;
  int32_t readScopeSession_ = kNoTransaction;
  int readScopeDepth_ = 0;

 protected:
  bool hasBlobs_ = false;
};

}  // namespace dvx
