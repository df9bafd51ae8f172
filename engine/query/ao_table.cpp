#include "engine/query/ao_table.h"

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/sql/scan_condition.h"
#include "engine/tables/index.h"
#include "engine/query/query_errors.h"
#include "engine/query/sql_restructure.h"
#include "engine/schema/record_buffer.h"
#include "engine/tables/cursor_row_source.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_data.h"
#include "engine/tables/table_read_scope.h"
#include "engine/tables/table_scan.h"
#include "engine/values/value_slot.h"

namespace dvx {

TDVXAOTable::TDVXAOTable(TDVXLocalSession& session, const std::string& tableName, const std::string& alias,
                         bool inMemory)
    : tableName_(tableName), alias_(alias) {
  cursor_ = std::make_unique<TDVXLocalCursor>(session, tableName);
  auto missing = [&] {
    if (inMemory) return EDVXException(kErrMemoryTableMissing, "Table '%s' does not exist", {tableName});
    return EDVXException(kErrTableOpen, "Cannot open table %s, InMemory = %d", {tableName, inMemory ? 1 : 0});
  };
  try {
    cursor_->Open();
  } catch (const EDVXException&) {
    // A table that is not there gets the statement's own message; any
    // other failure to open keeps its cause.
    if (session.Database().TableExists(tableName)) throw;
    // Missing because a program died in the middle of rebuilding it: the
    // rebuild is finished (or undone) and the table opened again.
    RecoverTableRebuild(session, tableName);
    if (!session.Database().TableExists(tableName)) throw missing();
    cursor_->Open();
  }
  const TDVXFieldDefs& defs = cursor_->Fields();
  for (int i = 0; i < defs.Count(); ++i) {
    const TDVXFieldDef& def = *defs.Items(i);
    TDVXFieldLink link;
    link.fieldName = def.ObjectName();
    link.tableName = tableName;
    link.tableAlias = alias;
    link.fieldType = def.AdvancedFieldType();
    link.size = def.FieldSize();
    link.blobBlockSize = def.BlobBlockSize();
    link.blobCompressionAlgorithm = def.BlobCompressionAlgorithm();
    link.blobCompressionMode = def.BlobCompressionMode();
    fields_.push_back(std::move(link));
  }
}

TDVXAOTable::~TDVXAOTable() = default;

void TDVXAOTable::Open() {
  if (!filter_ || !filter_->Root()) return;
  // The filter reads the cursor's record, so the scan can test it on the
  // records it visits and take its comparisons for an index.
  filter_->BindToCursor(&cursor_->RowSource());
  filter_->SetCursor(&cursor_->RowSource());
  filter_->Prepare();
  filterApplied_ = true;
  if (PlanRangeWalk()) return;
  scanned_ = true;
  ids_.clear();
  if (filter_->IsNeverTrue()) return;
  TDVXScanOptions options;
  options.list = &ids_;
  TDVXTableReadScope scope(cursor_->Table(), cursor_->SessionID());
  cursor_->Table().Scan(*cursor_, filter_.get(), options);
}

int64_t TDVXAOTable::RecordCount() {
  if (Materialized() || walk_.active) return TDVXAO::RecordCount();
  if (scanned_) return static_cast<int64_t>(ids_.size());
  return cursor_->GetRecordCount();
}

std::unique_ptr<TDVXLocalCursor> TDVXAOTable::TakeLiveCursor() {
  if (filter_ && filter_->Root()) cursor_->SetCondition(std::move(filter_));
  filterApplied_ = false;
  scanned_ = false;
  walk_.active = false;
  cursor_->First();
  return std::move(cursor_);
}

namespace {

class TTableScope : public TDVXAOReadScope {
 public:
  TTableScope(TDVXTableData& table, int32_t session) : scope_(table, session) {}

 private:
  TDVXTableReadScope scope_;
};

}  // namespace

std::unique_ptr<TDVXAOReadScope> TDVXAOTable::ReadingScope() {
  return std::make_unique<TTableScope>(cursor_->Table(), cursor_->SessionID());
}

void TDVXAOTable::DoRewind() {
  next_ = 0;
  walk_.started = false;
  cursor_->First();
}

std::string TDVXAOTable::IndexOnField(int fieldNo) const {
  const TDVXFieldDef& field = *cursor_->Fields().Items(fieldNo);
  TDVXTableData& table = cursor_->Table();
  for (int i = 0; i < table.IndexCount(); ++i) {
    const TDVXIndexDef& def = table.Index(i).IndexDef();
    if (def.Columns().empty()) continue;
    const TDVXIndexColumn& first = def.Columns().front();
    if (!SameName(first.fieldName, field.ObjectName()) || first.descending) continue;
        // Walks compare values as the operators do; for numbers and dates that
    // is the index's own order.
    if (!IsNumericType(field.BaseFieldType()) && !IsDateTimeType(field.BaseFieldType())) continue;
    return def.ObjectName();
  }
  return std::string();
}

void TDVXAOTable::SetProbe(const std::string& indexName, int fieldNo, const TDVXVariant& key) {
  walk_.active = true;
  walk_.indexName = indexName;
  walk_.fieldNo = fieldNo;
  walk_.hasLow = walk_.hasHigh = true;
  walk_.lowInclusive = walk_.highInclusive = true;
  walk_.low.Assign(key, true);
  walk_.high.Assign(key, true);
  walk_.started = false;
}

bool TDVXAOTable::PlanRangeWalk() {
  TDVXScanSearchConditionArray conditions;
  filter_->ExtractIndexConditions(cursor_->Table().IndexManager().IndexDefs(), conditions);
  const TDVXFieldDefs& defs = cursor_->Fields();
  for (int f = 0; f < defs.Count(); ++f) {
    const std::string index = IndexOnField(f);
    if (index.empty()) continue;
    const TDVXFieldDef& def = *defs.Items(f);
    TIndexWalk walk;
    for (const TDVXScanSearchCondition& c : conditions) {
      if (c.keyFieldCount != 1 || c.keyBuffer.size() < static_cast<size_t>(defs.RecordSize())) continue;
      const uint8_t* key = c.keyBuffer.data();
      if (IsNull(f, key)) continue;
      TDVXVariant value;
      ReadFieldSlot(value, def.BaseFieldType(), key + def.MemoryOffset(), def.MemoryDataSize(), false);
      if ((c.conditionType == ctGreater || c.conditionType == ctGreaterOrEqual) && !walk.hasLow) {
        walk.hasLow = true;
        walk.lowInclusive = c.conditionType == ctGreaterOrEqual;
        walk.low.Assign(value, true);
      } else if ((c.conditionType == ctLess || c.conditionType == ctLessOrEqual) && !walk.hasHigh) {
        walk.hasHigh = true;
        walk.highInclusive = c.conditionType == ctLessOrEqual;
        walk.high.Assign(value, true);
      }
    }
    if (!walk.hasLow || !walk.hasHigh) continue;
    walk.active = true;
    walk.indexName = index;
    walk.fieldNo = f;
    walk_ = std::move(walk);
    return true;
  }
  return false;
}

bool TDVXAOTable::PastHigh() {
  if (!walk_.hasHigh) return false;
  TDVXVariant value;
  DoGetValue(walk_.fieldNo, value);
  const int c = CompareForSort(value, walk_.high, false);
  return c > 0 || (c == 0 && !walk_.highInclusive);
}

bool TDVXAOTable::StepIndexWalk() {
  while (true) {
    if (!walk_.started) {
      walk_.started = true;
      if (cursor_->CurrentIndexID() < 0 || cursor_->Table().IndexByName(walk_.indexName) == nullptr ||
          cursor_->Table().IndexByName(walk_.indexName)->IndexDef().ObjectID() != cursor_->CurrentIndexID())
        cursor_->SetCurrentIndex(walk_.indexName);
      if (walk_.hasLow) {
        const TDVXFieldDefs& defs = cursor_->Fields();
        const TDVXFieldDef& def = *defs.Items(walk_.fieldNo);
        uint8_t* key = cursor_->KeyBuffer().data();
        for (int i = 0; i < defs.Count(); ++i) SetNull(true, i, key);
        TDVXVariant low(walk_.low);
        if (low.DataType() != def.BaseFieldType()) low.ConvertTo(static_cast<uint8_t>(def.BaseFieldType()));
        if (!WriteFieldSlot(low, def.BaseFieldType(), key + def.MemoryOffset(), def.MemoryDataSize())) return false;
        SetNull(false, walk_.fieldNo, key);
        cursor_->SetKeyFieldCount(1);
        if (!cursor_->GotoKey(walk_.lowInclusive ? ctGreaterOrEqual : ctGreater)) return false;
      } else {
        cursor_->First();
        if (cursor_->GetRecord(grmNext) != grrDone) return false;
      }
    } else if (cursor_->GetRecord(grmNext) != grrDone) {
      return false;
    }
    if (PastHigh()) return false;
    if (!filter_ || !filter_->Root() || filter_->IsTrue()) return true;
  }
}

bool TDVXAOTable::DoNextRow() {
  if (walk_.active) return StepIndexWalk();
  if (!scanned_) return cursor_->GetRecord(grmNext) == grrDone;
  while (next_ < ids_.size()) {
    cursor_->SetPosition(false, false, ids_[next_++]);
    // A record gone since the scan (another session deleted it) is passed.
    if (cursor_->GetRecord(grmCurrent) == grrDone) return true;
  }
  return false;
}

void TDVXAOTable::DoGetValue(int fieldNo, TDVXVariant& value) {
  const TDVXFieldDefs& defs = cursor_->Fields();
  const TDVXFieldDef& def = *defs.Items(fieldNo);
  const uint8_t* record = cursor_->Record();
  if (IsNull(fieldNo, record)) {
    value.Clear(static_cast<uint8_t>(def.BaseFieldType()));
    return;
  }
  if (IsBlobType(def.BaseFieldType())) {
    ReadWholeBlob(*cursor_, fieldNo, record, value);
    return;
  }
  ReadFieldSlot(value, def.BaseFieldType(), record + def.MemoryOffset(), def.MemoryDataSize(), true);
}

}  // namespace dvx
