#pragma once
// TDVXTable: the dataset over one stored table, read in the order of one
// index. It adds to TDVXDataSet the choice of the active index, key
// searches through key buffers, ranges, master/detail linking and the
// table-level maintenance operations (create, delete, empty, rename,
// indexes, import, restructure).
//
// Every name the table takes or gives (TableName, IndexName,
// IndexFieldNames, the definitions, MasterFields) is UTF-8; it meets the
// engine's Windows-1252 names only through object_names.h.
//
// Key buffers: six buffers of the dataset's buffer size, made when the
// table opens and freed when it closes. Each holds a key in the record
// layout (the index fields' data and null flags), and where a record
// buffer has its bookmark (offset D = RecordSize) the key's KeyInfo:
//
//   offset from D  size  field       meaning
//   0              1     Modified    the key was changed since it was last applied
//   1              1     Exclusive   the key itself is excluded (search after it;
//                                    range without the bound)
//   2              4     FieldCount  leading index fields the key uses, int32 LE;
//                                    0 means all index fields
//
// This is the cursor's key control layout (local_cursor.h), so a key is
// handed to the cursor by copying RecordSize + 6 bytes.
//
// Key entry: BeginKeyEntry / BeginRangeStart / BeginRangeEnd put the
// dataset into set-key state on one buffer (field writes go there; only
// fields of the active index are writable). PostKeyEntry commits the key
// (Modified takes the dataset's modified flag), CancelKeyEntry restores it
// from the saved copy; every key search and ApplyKeyRange commits a
// pending key entry first.
//
// Invariants while open:
//   1. keyBuffers_ holds kKeyBufferCount buffers of BufferSize() bytes.
//   2. activeIndex_ names the cursor's current index ("" physical order)
//      and the dataset's index column map is the one of activeIndex_.
//   3. The current range buffers hold the keys last given to the cursor;
//      rangeApplied_ says whether the cursor has a range from them.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/components/dvx_dataset.h"
#include "engine/components/progress_operations.h"
#include "engine/core/exception.h"
#include "engine/values/variant.h"

namespace dvx {

class TDataSource;
class TDVXFieldDefs;
class TDVXIndexDefs;
class TDVXConstraintDefs;
class TDVXTableMasterLink;
class TDVXLocalSession;

constexpr int32_t kDefaultMemoryTableAllocBy = 1000;
constexpr const char* kTemporaryDatabaseName = "TEMP";

class TDVXTable : public TDVXDataSet {
 public:
  enum TKeyIndex : int {
    kiLookup,
    kiRangeStart,
    kiRangeEnd,
    kiCurRangeStart,
    kiCurRangeEnd,
    kiSave,
  };
  static constexpr int kKeyBufferCount = 6;

  explicit TDVXTable(TComponent* owner = nullptr);
  ~TDVXTable() override;

  // --- properties (table_open.cpp) ---
  const std::string& TableName() const { return tableName_; }
  // Refused while open.
  void SetTableName(const std::string& name);
  // IndexName and IndexFieldNames share one text; the one not set reads "".
  std::string IndexName() const { return indexIsFieldNames_ ? std::string() : indexText_; }
  void SetIndexName(const std::string& name);
  std::string IndexFieldNames() const { return indexIsFieldNames_ ? indexText_ : std::string(); }
  // Field names separated by ";"; "" clears both.
  void SetIndexFieldNames(const std::string& names);
  // The name of the index in force while open; "" for physical order.
  std::string ActiveIndex() const;
  bool Exclusive() const { return exclusive_; }
  void SetExclusive(bool exclusive);
  int32_t MemoryTableAllocBy() const { return memoryTableAllocBy_; }
  void SetMemoryTableAllocBy(int32_t allocBy) { memoryTableAllocBy_ = allocBy; }
  // The table lives in the temporary database: requires the table closed
  // and names the database "TEMP".
  bool TemporaryTable() const { return temporary_; }
  void SetTemporaryTable(bool temporary);
  // Whether a table of TableName exists in the database; false when no
  // database could be obtained.
  bool Exists();
  TDVXTableProgress OnProgress;

  // --- key searches (table_keys.cpp) ---
  void SeekNearest(const std::vector<TDVXVariant>& values);
  bool SeekKey(const std::vector<TDVXVariant>& values);
  void SeekNearest(const std::string& utf8Text);
  bool SeekKey(int64_t value);
  void BeginKeyEntry();
  void BeginRangeStart();
  void BeginRangeEnd();
  void PostKeyEntry();
  void CancelKeyEntry();
  bool GotoExactKey();
  void GotoNearestKey();
  // The key flags of a key buffer (lookup by default), for callers that
  // search after a key or use fewer fields.
  void SetKeyExclusive(bool exclusive, TKeyIndex key = kiLookup);
  void SetKeyFieldCount(int32_t count, TKeyIndex key = kiLookup);

  // --- ranges and master/detail (table_ranges.cpp) ---
  void ApplyKeyRange();
  void CancelKeyRange();
  // Both bounds from values, inclusive, then applied.
  void SetRange(const std::vector<TDVXVariant>& startValues, const std::vector<TDVXVariant>& endValues);
  bool RangeApplied() const { return rangeApplied_; }
  TDataSource* MasterSource() const;
  void SetMasterSource(TDataSource* source);
  const std::string& MasterFields() const { return masterFields_; }
  void SetMasterFields(const std::string& fields);

  // --- maintenance (table_maintenance.cpp) ---
  // A stored table of the name is refused ("Cannot create table. Table
  // '%s' already exists"), by ImportTable too; an in-memory or temporary
  // one is replaced.
  void CreateTable();
  void DeleteTable();
  // Closed: every record of the table; open: every record of the set.
  void EmptyTable();
  void RenameTable(const std::string& newName);
  void AddIndex(const std::string& name, const std::string& fields, TIndexOptions options = {},
                const std::string& descFields = "", const std::string& caseInsFields = "");
  void DeleteIndex(const std::string& name);
  // Creates the table from the source's field and index definitions and
  // copies its records (the source is opened when closed).
  void ImportTable(TDataSet& source);

  // --- restructure (table_restructure.cpp) ---
  // Rebuilds the closed table with the given host definitions, copying
  // every record (fields by name, values converted) through a temporary
  // table that then takes the table's name.
  void RestructureTable(const TFieldDefs& fields, const TIndexDefs& indexes);

 protected:
  std::unique_ptr<TDVXLocalCursor> CreateHandle() override;
  std::string ActiveIndexName() const override { return activeIndex_; }
  void PrepareCursor() override;
  void UnprepareCursor() override;
  void InternalInsert() override;

 private:
  friend class TDVXTableMasterLink;

  // --- restructure steps (table_restructure.cpp) ---
  // Steps 1-5 of a restructure, foreign keys aside.
  void RebuildThroughTemporary(TDVXLocalSession& engine, const std::string& table, const TDVXFieldDefs& engineFields,
                               const TDVXIndexDefs& engineIndexes, const TDVXConstraintDefs& constraints);
  // "Error - restructure table 'T' failed. " with the step and its cause.
  EDVXException RestructureStepFailed(const std::string& step, const std::exception& e) const;

  // --- open and index choice ---
  // The engine index the index text names on the open cursor ("" none);
  // activeIndex_ holds the engine's name.
  std::string ResolveIndex(const std::string& text, bool fieldNames) const;
  void ChangeIndex(const std::string& text, bool fieldNames);

  // --- keys ---
  uint8_t* KeyBuffer(TKeyIndex key) const;
  void ClearKeyBuffer(TKeyIndex key);
  void InitKeyEntry(TKeyIndex key);
  void FillKey(TKeyIndex key, const std::vector<TDVXVariant>& values);
  // Clears the key and assigns `count` leading index fields through
  // `assign` in key-entry state; the field count becomes `count`.
  void FillKey(TKeyIndex key, size_t count, const std::function<void(TField&, size_t)>& assign);
  void Fire(const TDataSetNotifyEvent& event);
  // Copies the key to the cursor's key buffer with its field count.
  void LoadCursorKey(TKeyIndex key);
  void CommitPendingKey();
  // Leaves edit state: a pending change is posted, an unchanged edit cancelled.
  void LeaveEditState();

  // --- ranges ---
  bool ApplyRangeToCursor();
  void ApplyMasterRange();
  // The master's values as both range keys, handed to the cursor; false
  // without an open master.
  bool SetMasterRangeKeys();
  // The master's values into the new record's leading index fields.
  void CopyMasterValues();

  // --- maintenance ---
  // The engine definitions of the component's host definitions; fields of
  // the component without a definition are added first.
  void BuildEngineDefs(TDVXFieldDefs& fields, TDVXIndexDefs& indexes, TDVXConstraintDefs& constraints);
  void CheckMaintenance(bool needClosed) const;
  // Appends every record of `source` (fields by name), reporting progress
  // as `operation`; opens and closes this table when it is closed.
  void CopyRecordsFrom(TDataSet& source, TDVXTableOperation operation);

  std::string tableName_;
  std::string indexText_;
  bool indexIsFieldNames_ = false;
  std::string activeIndex_;
  bool exclusive_ = false;
  bool temporary_ = false;
  int32_t memoryTableAllocBy_ = kDefaultMemoryTableAllocBy;
  // Off for the tables a restructure itself opens while it runs.
  bool recoverOnOpen_ = true;

  std::vector<std::vector<uint8_t>> keyBuffers_;
  // The buffer of a pending key entry (-1 none).
  int keyEntry_ = -1;
  bool rangeApplied_ = false;
  // Which bounds were begun, and which the cursor's range has.
  bool rangeStartSet_ = false;
  bool rangeEndSet_ = false;
  bool appliedStartSet_ = false;
  bool appliedEndSet_ = false;

  std::string masterFields_;
  std::unique_ptr<TDVXTableMasterLink> masterLink_;
};

}  // namespace dvx
