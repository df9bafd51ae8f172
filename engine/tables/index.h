#pragma once
// TDVXIndex: one index of a table, owned by the table's index manager. The
// index knows keys and record IDs only; the table operations call it on
// every insert, update and delete, and cursors walk it. Every operation
// that touches pages takes the session whose change set receives them.
//
// What the index needs from its table (every record for a build, one
// record by ID for navigation) comes through TDVXIndexTableAccess, which
// the table object supplies.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/schema/field_def.h"
#include "engine/schema/index_def.h"
#include "engine/sql/scan_condition.h"
#include "engine/storage/base_record_manager.h"
#include "engine/storage/page_manager.h"
#include "engine/tables/key_path.h"
#include "engine/tables/record_id_list.h"

namespace dvx {

// The modes are the record managers' (grmCurrent, grmNext, grmPrior).
// Results of the index's GetRecord, numbered as the record managers'.
enum TDVXIndexRecordResult : int {
  grrRecordRead = 0,
  grrBeginningPassed = 1,
  grrEndPassedOrEmpty = 2,
  grrNotReadable = 3,
};

class TDVXIndexTableAccess {
 public:
  virtual ~TDVXIndexTableAccess() = default;
  // Calls `visit` with every record of the table in physical order.
  virtual void ForEachRecord(int32_t session,
                             const std::function<void(const TDVXRecordID& id, const uint8_t* record)>& visit) = 0;
  // Reads one record into `record`; false when it cannot be read.
  virtual bool ReadRecord(int32_t session, const TDVXRecordID& id, uint8_t* record) = 0;
};

struct TDVXIndexGetRecordRequest {
  TDVXGetRecordMode mode = grmNext;
  bool bof = false;
  bool eof = false;
  // In: the current record (its key is taken from `record`). Out: the
  // record read.
  TDVXRecordID recordID;
  uint8_t* record = nullptr;
};

// One condition on the index: the key of `record` over its first
// `columns` index columns.
struct TDVXIndexCondition {
  int conditionType = ctEqual;
  const uint8_t* record = nullptr;
  int columns = 0;
};

// The state of a condition scan; the index that made it knows its inside.
class TDVXIndexScanState {
 public:
  virtual ~TDVXIndexScanState() = default;
};

class TDVXIndex {
 public:
  // `fields` is the table's field definitions; a table without them is
  // refused when the index is created or opened.
  TDVXIndex(TDVXIndexDef& indexDef, const TDVXFieldDefs* fields, TDVXPageManager& pageManager)
      : indexDef_(indexDef), fields_(fields), pageManager_(pageManager) {}
  virtual ~TDVXIndex() = default;
  TDVXIndex(const TDVXIndex&) = delete;
  TDVXIndex& operator=(const TDVXIndex&) = delete;

  // Operations in slot order. Key paths and scan states are owned through
  // their unique_ptr: dropping it frees them.
  virtual void Create(int32_t session, TDVXIndexTableAccess& table) = 0;
  virtual void Drop(int32_t session) = 0;
  virtual void Open() = 0;
  virtual TDVXIndexRecordResult GetRecord(int32_t session, TDVXIndexGetRecordRequest& request,
                                        TDVXIndexTableAccess& table) = 0;
  virtual std::unique_ptr<TDVXKeyPath> NewKeyPath() const = 0;
  virtual bool FindKeyPath(int32_t session, const uint8_t* record, const TDVXRecordID& id, TDVXKeyPath& path) = 0;
  virtual int CompareKeyPaths(const TDVXKeyPath& a, const TDVXKeyPath& b) const = 0;
  virtual int64_t GetRecNo(int32_t session, const TDVXRecordID& id, const uint8_t* record,
                           const TDVXRecordIDList* restrictTo = nullptr) = 0;
  virtual bool GetNthRecord(int32_t session, int64_t n, TDVXRecordID& id) = 0;
  virtual void RemoveDuplicateKeys(int32_t session, TDVXRecordIDList& list) = 0;
  virtual std::unique_ptr<TDVXIndexScanState> NewScanState(const TDVXIndexCondition& condition) const = 0;
  virtual bool ScanNext(int32_t session, TDVXIndexScanState* state, int direction, TDVXRecordID& id) = 0;
  virtual int CompareRecordKeys(const uint8_t* a, const uint8_t* b, int columns) const = 0;
  virtual int ConditionDirection(int conditionType) const = 0;
  virtual int64_t EstimateCount(int32_t session, const std::vector<TDVXIndexCondition>& conditions) = 0;
  virtual bool IsKeyFree(int32_t session, const uint8_t* record) = 0;
  virtual bool IsKeyFreeForUpdate(int32_t session, const uint8_t* newRecord, const uint8_t* oldRecord) = 0;
  virtual void InsertRecord(int32_t session, const uint8_t* record, const TDVXRecordID& id) = 0;
  virtual void DeleteRecord(int32_t session, const uint8_t* record, const TDVXRecordID& id) = 0;
  virtual void UpdateRecord(int32_t session, const uint8_t* oldRecord, const uint8_t* newRecord,
                            const TDVXRecordID& id) = 0;

  TDVXIndexDef& IndexDef() { return indexDef_; }
  const TDVXIndexDef& IndexDef() const { return indexDef_; }
  TDVXPageManager& PageManager() { return pageManager_; }

 protected:
  TDVXIndexDef& indexDef_;
  const TDVXFieldDefs* fields_;
  TDVXPageManager& pageManager_;
};

}  // namespace dvx
