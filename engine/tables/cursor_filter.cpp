// The cursor's filter expression, external condition and locate, and the
// record ID list of a restricted cursor.
//
// Record ID list: the records of the set in the cursor's order, built
// through the table's scan (so indexes serve the filter's comparisons) the
// first time a restricted cursor needs it. It stays valid while the table's
// change counter (moved by every change, and by taking over what other
// programs committed) and the cursor's order stay as
// they were at the build, and while the range, filter, condition and
// callback are unchanged; anything else drops it and the next use builds it
// again. A lazy rebuild leaves the cursor where it stands: only setting a
// filter, condition, range or callback stands it before the first record.
//
// Stepping: from BOF (EOF) the first (last) entry; from a record in the
// list its neighbour entry. From a record not in the list (one that left
// the set, or vanished) the cursor walks the table's order and skips, as
// an unrestricted walk continues from where the record's key would stand.
#include "engine/core/exception.h"
#include "engine/schema/blob_slot.h"
#include "engine/schema/record_buffer.h"
#include "engine/sql/expression.h"
#include "engine/tables/cursor_row_source.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_data.h"
#include "engine/tables/table_read_scope.h"

namespace dvx {

namespace {

// Points an expression at a record image for one test and back at the
// cursor's buffer afterwards, whatever happens.
class TPointAt {
 public:
  TPointAt(TDVXExpression& expression, const uint8_t* record) : expression_(expression) {
    expression_.SetRecordBuffer(record);
  }
  ~TPointAt() { expression_.SetRecordBuffer(nullptr); }
  TPointAt(const TPointAt&) = delete;
  TPointAt& operator=(const TPointAt&) = delete;

 private:
  TDVXExpression& expression_;
};

}  // namespace

TDVXExprCursor& TDVXLocalCursor::RowSource() {
  if (!rowSource_) rowSource_ = std::make_unique<TDVXCursorRowSource>(*this);
  return *rowSource_;
}

void TDVXLocalCursor::SetFilter(const std::string& text, const TDVXFilterOptions& options) {
  Table();
  auto filter = std::make_unique<TDVXExpression>();
  // Parsed aside: a text that does not parse keeps the filter in force.
  filter->ParseFilter(&RowSource(), text, !options.noPartialCompare, options.caseInsensitive);
  filter_ = std::move(filter);
  InvalidateRecordIDs();
  First();
}

void TDVXLocalCursor::ClearFilter() {
  // The external condition belongs to the SQL layer and stays; clearing
  // the filter never lets records past it.
  filter_.reset();
  InvalidateRecordIDs();
  First();
}

void TDVXLocalCursor::SetCondition(std::unique_ptr<TDVXExpression> condition) {
  if (condition) {
    Table();
    condition->BindToCursor(&RowSource());
    condition->SetCursor(&RowSource());
  }
  condition_ = std::move(condition);
  InvalidateRecordIDs();
  First();
}

bool TDVXLocalCursor::PassesFilters(const uint8_t* record) const {
  if (filter_) {
    TPointAt at(*filter_, record);
    if (!filter_->IsTrue()) return false;
  }
  if (condition_) {
    TPointAt at(*condition_, record);
    if (!condition_->IsTrue()) return false;
  }
  return true;
}

const TDVXRecordBitmap& TDVXLocalCursor::RecordIDs() {
  TDVXTableData& table = Table();
  {
    // Takes over what other programs committed, which moves the table's
    // change counter: that counter alone says whether the list is stale.
    TDVXTableReadScope scope(table, SessionID());
  }
  if (recordIDsValid_ && recordIDsChangeCount_ == table.ChangeCount() && recordIDsIndexID_ == currentIndexID_)
    return recordIDs_;
  recordIDsValid_ = false;
  recordIDs_.Clear();
  TDVXRecordIDArray ids;
  TDVXScanOptions options;
  options.list = &ids;
  // The filter expression goes to the scan, which takes the comparisons an
  // index can serve; the range, the condition and the callback are tested
  // on every record it yields.
  options.accept = [this](const uint8_t* record) {
    if (HasRange() && (PastRange(true, record) || PastRange(false, record))) return false;
    if (condition_) {
      TPointAt at(*condition_, record);
      if (!condition_->IsTrue()) return false;
    }
    return !recordFilter_ || recordFilter_(record);
  };
  table.Scan(*this, filter_.get(), options);
  recordIDs_.Assign(std::move(ids));
  recordIDsIndexID_ = currentIndexID_;
  recordIDsChangeCount_ = table.ChangeCount();
  recordIDsValid_ = true;
  return recordIDs_;
}

TDVXGetRecordResult TDVXLocalCursor::GetRecord(TDVXGetRecordMode mode) {
  TDVXTableData& table = Table();
  if (!Restricted() || mode == grmCurrent) return table.GetRecord(*this, mode);
  // The walk to the next accepted record is one read: one lock S and one
  // read bracket for every record it passes (table_read_scope.h).
  TDVXTableReadScope scope(table, SessionID());
  const TDVXGetRecordResult result = StepRestricted(mode);
  if (result == grrDone) {
    landing_ = recordID_;
    landingChangeCount_ = table.ChangeCount();
  }
  return result;
}

TDVXGetRecordResult TDVXLocalCursor::StepRestricted(TDVXGetRecordMode mode) {
  TDVXTableData& table = Table();
  const bool forward = mode == grmNext;
  const TDVXRecordBitmap& list = RecordIDs();
  int64_t next;
  if (forward ? bof_ : eof_) {
    next = forward ? 0 : list.Count() - 1;
  } else if (bof_ || eof_) {
    return WalkRestricted(mode);
  } else {
    const int64_t at = list.IndexOf(recordID_);
    if (at < 0 || !(landing_ == recordID_) || landingChangeCount_ != recordIDsChangeCount_)
      return WalkRestricted(mode);
    next = forward ? at + 1 : at - 1;
  }
  if (next < 0 || next >= list.Count()) {
    SetPosition(!forward, forward, recordID_);
    return forward ? grrEOF : grrBOF;
  }
  const bool fromBof = bof_;
  const bool fromEof = eof_;
  const TDVXRecordID from = recordID_;
  if (ReadAt(list[next]) == grrDone && Accepts(Record())) return grrDone;
  // The list no longer matches the table (a change it could not see):
  // it is built again, and the walk decides this step from where the
  // cursor stood.
  InvalidateRecordIDs();
  SetPosition(fromBof, fromEof, from);
  if (!fromBof && !fromEof) table.GetRecord(*this, grmCurrent);
  return WalkRestricted(mode);
}

bool TDVXLocalCursor::Locate(const std::string& fieldNames, const std::vector<TDVXVariant>& values,
                             const TDVXLocateOptions& options) {
  TDVXTableData& table = Table();
  TDVXExpression expression;
  expression.BuildLocate(&RowSource(), fieldNames, values, options.caseInsensitive, options.partialKey);
  TDVXScanOptions scan;
  // The match must belong to the cursor's set.
  if (Restricted()) scan.accept = [this](const uint8_t* record) { return Accepts(record); };
  return table.Scan(*this, &expression, scan);
}

}  // namespace dvx
