#pragma once
// TDVXResidentTableData: what the tables of the in-memory and the temporary
// database have in common. Their records and index pages live in managers
// of the table itself, which no other program sees: table locks succeed at
// once, nothing is revalidated, and the state (sequence values, index
// roots) lives only in memory, so there is nothing to write or reread.
// Record locks still keep two sessions of this process from editing one
// record at a time; they go through the database's lock registry.
#include <string>

#include "engine/tables/table_data.h"

namespace dvx {

class TDVXResidentTableData : public TDVXTableData {
 public:
  using TDVXTableData::TDVXTableData;

  void Refresh() override {}
  void SaveState(int32_t) override {}
  void ReloadState(int32_t) override {}
  void SaveDefinitions(int32_t) override {}

  // The intent lock of an open table is registered all the same: record
  // locks hang on the table's entry in the registry. Nothing else takes
  // registry locks on these tables, so it is never refused.
  bool LockTableS(int32_t) override { return true; }
  bool UnlockTableS(int32_t) override { return true; }
  bool LockTableIRW(int32_t) override { return true; }
  bool UnlockTableIRW(int32_t) override { return true; }
  bool LockTableRW(int32_t) override { return true; }
  bool UnlockTableRW(int32_t) override { return true; }
  bool LockTableX(int32_t) override { return true; }
  bool UnlockTableX(int32_t) override { return true; }
  bool HoldsTableLocks(int32_t) override { return false; }
  bool RecordsOutsidePages() const override { return true; }

  // A new table: copies of the definitions (see DefineNewTable), one
  // B-tree per index and an empty record manager.
  void Define(const TDVXFieldDefs& fields, const TDVXIndexDefs& indexes, const TDVXConstraintDefs& constraints);

 protected:
  virtual void CreateRecordManager() = 0;
};

}  // namespace dvx
