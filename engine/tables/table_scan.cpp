// Record scans of a table: choosing the walk, testing each visited record,
// and reporting the matches in the cursor's order (table_scan.h).
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/schema/blob_slot.h"
#include "engine/schema/record_buffer.h"
#include "engine/sql/expression.h"
#include "engine/values/field_types.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_data.h"
#include "engine/tables/table_data_errors.h"

namespace dvx {

namespace {

using TVisit = std::function<bool(const TDVXRecordID& id, const uint8_t* record)>;

// One match, with its place in the cursor's index when the walk took
// another order.
struct TFound {
  TDVXRecordID id;
  std::unique_ptr<TDVXKeyPath> path;
};

class TScanRun {
 public:
  TScanRun(TDVXTableData& table, TDVXLocalCursor& cursor, TDVXExpression* expression,
           const TDVXScanOptions& options, TDVXScanSearchConditionArray& conditions)
      : table_(table),
        cursor_(cursor),
        session_(cursor.SessionID()),
        expression_(expression),
        options_(options),
        conditions_(conditions),
        scratch_(static_cast<size_t>(table.RecordSize()), 0),
        cursorIndex_(table.IndexByID(cursor.CurrentIndexID())) {}

  bool Run();

 private:
  void Validate();
  // The field number of each index column, for the NULL rule.
  std::vector<int> ColumnFields(const TDVXIndex& index) const;
  bool KeyHolds(const TDVXScanSearchCondition& condition, const uint8_t* record);
  bool Accepts(const uint8_t* record);
  const TDVXScanSearchCondition* ChooseWalk();
  void WalkCursorOrder(bool backward, const TVisit& visit);
  void WalkCondition(const TDVXScanSearchCondition& condition, int direction, const TVisit& visit);

  TDVXTableData& table_;
  TDVXLocalCursor& cursor_;
  int32_t session_;
  TDVXExpression* expression_;
  const TDVXScanOptions& options_;
  TDVXScanSearchConditionArray& conditions_;
  std::vector<uint8_t> scratch_;
  TDVXIndex* cursorIndex_;
  // Per condition: its index and the field numbers of its columns.
  std::vector<TDVXIndex*> indexes_;
  std::vector<std::vector<int>> columnFields_;
};

// Points the scan's expressions at the scratch buffer and, whatever
// happens, back at their cursors' buffers afterwards.
class TExpressionBuffers {
 public:
  TExpressionBuffers(TDVXExpression* expression, TDVXScanSearchConditionArray& conditions, const uint8_t* buffer)
      : expression_(expression), conditions_(conditions) {
    Point(buffer);
  }
  ~TExpressionBuffers() { Point(nullptr); }
  TExpressionBuffers(const TExpressionBuffers&) = delete;
  TExpressionBuffers& operator=(const TExpressionBuffers&) = delete;

 private:
  void Point(const uint8_t* buffer) {
    if (expression_) expression_->SetRecordBuffer(buffer);
    for (TDVXScanSearchCondition& c : conditions_)
      if (c.expression && c.expression != expression_) c.expression->SetRecordBuffer(buffer);
  }
  TDVXExpression* expression_;
  TDVXScanSearchConditionArray& conditions_;
};

// The table's shared lock for the length of the scan.
class TSharedTableLock {
 public:
  TSharedTableLock(TDVXTableData& table, int32_t session) : table_(table), session_(session) {
    if (!table.LockTableS(session))
      table.RaiseLockFailure(kErrLockTableInsert, false, tlmS);
  }
  ~TSharedTableLock() { table_.UnlockTableS(session_); }
  TSharedTableLock(const TSharedTableLock&) = delete;
  TSharedTableLock& operator=(const TSharedTableLock&) = delete;

 private:
  TDVXTableData& table_;
  int32_t session_;
};

std::vector<int> TScanRun::ColumnFields(const TDVXIndex& index) const {
  std::vector<int> fields;
  const TDVXFieldDefs& defs = table_.Fields();
  for (const TDVXIndexColumn& column : index.IndexDef().Columns()) {
    int found = -1;
    for (int f = 0; f < defs.Count() && found < 0; ++f)
      if (SameName(defs.Items(f)->ObjectName(), column.fieldName)) found = f;
    fields.push_back(found);
  }
  return fields;
}

void TScanRun::Validate() {
  if (expression_) {
    // Field nodes read the visited record by the offsets of the layout
    // they were bound to; another layout would read out of place.
    TDVXExprCursor* source = expression_->Cursor();
    if (!source || source->RowFieldDefs().RecordSize() != table_.RecordSize() ||
        source->RowFieldDefs().Count() != table_.Fields().Count())
      throw EDVXException(kErrScanRowSource, "Scan expression of table '%s' is bound to another record layout",
                          {table_.TableName()});
  }
  const auto invalid = [&](size_t i) {
    throw EDVXException(kErrInvalidScanCondition, "Invalid scan condition #%d for table '%s'",
                        {static_cast<int32_t>(i), table_.TableName()});
  };
  for (size_t i = 0; i < conditions_.size(); ++i) {
    const TDVXScanSearchCondition& c = conditions_[i];
    TDVXIndex* index = nullptr;
    std::vector<int> fields;
    if (c.indexID == -1) {
      // A condition no index serves is decided by its expression alone.
      if (!c.expression) invalid(i);
    } else {
      index = table_.IndexByID(c.indexID);
      if (!index)
        throw EDVXException(kErrTableDefinitionMismatch, "Error - table '%s' has no index with ID = %d",
                            {table_.TableName(), c.indexID});
      fields = ColumnFields(*index);
      if (c.conditionType < ctEqual || c.conditionType > ctGreaterOrEqual || c.keyFieldCount < 1 ||
          c.keyFieldCount > static_cast<int>(fields.size()) || c.keyBuffer.size() < scratch_.size())
        invalid(i);
    }
    indexes_.push_back(index);
    columnFields_.push_back(std::move(fields));
  }
}

bool TScanRun::KeyHolds(const TDVXScanSearchCondition& condition, const uint8_t* record) {
  const size_t i = static_cast<size_t>(&condition - conditions_.data());
  const std::vector<int>& fields = columnFields_[i];
  // A NULL column never satisfies a comparison with a value, although
  // NULL sorts as the lowest key in the index.
  for (int c = 0; c < condition.keyFieldCount; ++c) {
    const int field = fields[static_cast<size_t>(c)];
    if (field >= 0 && IsNull(field, record) && !IsNull(field, condition.keyBuffer.data())) return false;
  }
  const int comparison = indexes_[i]->CompareRecordKeys(record, condition.keyBuffer.data(), condition.keyFieldCount);
  return ConditionHolds(condition.conditionType, comparison);
}

bool TScanRun::Accepts(const uint8_t* record) {
  for (const TDVXScanSearchCondition& c : conditions_) {
    if (c.indexID != -1) {
      if (!KeyHolds(c, record)) return false;
    } else if (c.expression != expression_ && !c.expression->IsTrue()) {
      return false;
    }
  }
  if (expression_ && !expression_->IsTrue()) return false;
  return !options_.accept || options_.accept(record);
}

const TDVXScanSearchCondition* TScanRun::ChooseWalk() {
  const TDVXFieldDefs& defs = table_.Fields();
  for (size_t i = 0; i < conditions_.size(); ++i) {
    const TDVXIndex* index = indexes_[i];
    if (!index || conditions_[i].conditionType != ctEqual) continue;
    const TDVXIndexDef& def = index->IndexDef();
    const int first = columnFields_[i].empty() ? -1 : columnFields_[i][0];
    if (def.Unique() || def.Primary() || (first >= 0 && IsAutoincType(defs.Items(first)->AdvancedFieldType())))
      return &conditions_[i];
  }
  // Left to this implementation: the condition whose run of entries is
  // estimated shortest, and only when it leaves out some of the records
  // (walking a whole index costs more than walking the table).
  const TDVXScanSearchCondition* best = nullptr;
  int64_t bestEstimate = table_.RecordManager().RecordCount(session_);
  for (size_t i = 0; i < conditions_.size(); ++i) {
    if (!indexes_[i]) continue;
    const TDVXScanSearchCondition& c = conditions_[i];
    const int64_t estimate =
        indexes_[i]->EstimateCount(session_, {TDVXIndexCondition{c.conditionType, c.keyBuffer.data(), c.keyFieldCount}});
    if (estimate < bestEstimate) {
      best = &c;
      bestEstimate = estimate;
    }
  }
  return best;
}

void TScanRun::WalkCursorOrder(bool backward, const TVisit& visit) {
  if (cursorIndex_) {
    TDVXIndexGetRecordRequest request;
    request.mode = backward ? grmPrior : grmNext;
    request.bof = !backward;
    request.eof = backward;
    request.record = scratch_.data();
    for (;;) {
      const TDVXIndexRecordResult result = cursorIndex_->GetRecord(session_, request, table_);
      if (result == grrNotReadable) table_.CannotLoad(request.recordID);
      if (result != grrRecordRead) return;
      request.bof = request.eof = false;
      if (!visit(request.recordID, scratch_.data())) return;
    }
  }
  TDVXGetRecordRequest request;
  request.session = session_;
  request.mode = backward ? grmPrior : grmNext;
  request.first = !backward;
  request.last = backward;
  request.buffer = scratch_.data();
  for (;;) {
    const TDVXGetRecordResult result = table_.RecordManager().GetRecord(request);
    if (result == grrError) table_.CannotLoad(request.recordID, request.cause);
    if (result != grrDone) return;
    request.first = request.last = false;
    if (!visit(request.recordID, scratch_.data())) return;
  }
}

void TScanRun::WalkCondition(const TDVXScanSearchCondition& condition, int direction, const TVisit& visit) {
  TDVXIndex& index = *indexes_[static_cast<size_t>(&condition - conditions_.data())];
  std::unique_ptr<TDVXIndexScanState> state =
      index.NewScanState(TDVXIndexCondition{condition.conditionType, condition.keyBuffer.data(), condition.keyFieldCount});
  TDVXRecordID id;
  while (index.ScanNext(session_, state.get(), direction, id)) {
    if (!table_.ReadRecord(session_, id, scratch_.data())) table_.CannotLoad(id);
    if (!visit(id, scratch_.data())) return;
  }
}

bool TScanRun::Run() {
  if (table_.RecordManager().RecordCount(session_) == 0) return false;
  if (expression_) {
    // The comparisons stay in the expression: the index narrows the walk,
    // the expression still decides every record.
    expression_->ExtractIndexConditions(table_.IndexManager().IndexDefs(), conditions_);
  }
  Validate();
  if (expression_ && expression_->IsNeverTrue()) return false;
  TExpressionBuffers buffers(expression_, conditions_, scratch_.data());

  const TDVXScanSearchCondition* walk = ChooseWalk();
  const bool inOrder = !walk || indexes_[static_cast<size_t>(walk - conditions_.data())] == cursorIndex_;
  const bool single = options_.list == nullptr;
  std::vector<TFound> found;
  const TVisit visit = [&](const TDVXRecordID& id, const uint8_t* record) {
    if (!Accepts(record)) return true;
    TFound match{id, nullptr};
    if (!inOrder && cursorIndex_) {
      match.path = cursorIndex_->NewKeyPath();
      if (!cursorIndex_->FindKeyPath(session_, record, id, *match.path)) table_.CannotLoad(id);
    }
    found.push_back(std::move(match));
    // In the cursor's order the first match of a single search is the one.
    return !(inOrder && single);
  };
  // A single backward search in the cursor's order walks backward; every
  // other walk goes forward and is put in order below.
  const bool backward = inOrder && single && options_.backward;
  if (walk)
    WalkCondition(*walk, backward ? -1 : 1, visit);
  else
    WalkCursorOrder(backward, visit);
  if (found.empty()) return false;

  if (!inOrder) {
    if (cursorIndex_) {
      std::sort(found.begin(), found.end(), [&](const TFound& a, const TFound& b) {
        return cursorIndex_->CompareKeyPaths(*a.path, *b.path) < 0;
      });
    } else {
      // Physical order is RecordID order.
      std::sort(found.begin(), found.end(), [](const TFound& a, const TFound& b) {
        return a.id.pageNo != b.id.pageNo ? a.id.pageNo < b.id.pageNo : a.id.itemNo < b.id.itemNo;
      });
    }
  }
  if (!single) {
    for (const TFound& match : found) options_.list->push_back(match.id);
    return true;
  }
  const TDVXRecordID id = (!inOrder && options_.backward) ? found.back().id : found.front().id;
  DiscardPendingBlobs(table_.Fields(), cursor_.Record());
  if (!table_.ReadRecord(session_, id, cursor_.Record())) table_.CannotLoad(id);
  cursor_.SetPosition(false, false, id);
  return true;
}

}  // namespace

bool TDVXTableData::Scan(TDVXLocalCursor& cursor, TDVXExpression* expression, const TDVXScanOptions& options,
                         TDVXScanSearchConditionArray conditions) {
  TDVXLockGuard guard(lock_);
  TSharedTableLock tableLock(*this, cursor.SessionID());
  // One read bracket for the whole scan (page_manager.h, invariant 6).
  TDVXPageBracket bracket(IndexPageManager(), cursor.SessionID());
  return TScanRun(*this, cursor, expression, options, conditions).Run();
}

}  // namespace dvx
