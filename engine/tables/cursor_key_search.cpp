// The cursor's current index, its key searches and its range and record
// filter: what decides which records a restricted cursor shows.
#include <cstring>

#include "engine/core/exception.h"
#include "engine/schema/blob_slot.h"
#include "engine/tables/index.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_data.h"
#include "engine/tables/table_data_errors.h"
#include "engine/tables/table_read_scope.h"

namespace dvx {

TDVXIndex* TDVXLocalCursor::CurrentIndex() const { return Table().IndexByID(currentIndexID_); }

void TDVXLocalCursor::SelectIndex(int32_t objectID) {
  currentIndexID_ = objectID;
  // A range's keys are compared in the order of the index it was set on;
  // under another order they would cut out an arbitrary part of the set.
  range_ = TDVXCursorRange{};
  InvalidateRecordIDs();
  First();
}

void TDVXLocalCursor::SetCurrentIndex(const std::string& indexName) {
  if (indexName.empty()) return SelectIndex(-1);
  TDVXIndex* index = Table().IndexByName(indexName);
  if (!index)
    throw EDVXException(kErrTableDefinitionMismatch, "Error - table '%s' has no index with ID = %d", {tableName_, -1});
  SelectIndex(index->IndexDef().ObjectID());
}

void TDVXLocalCursor::SetIndex(const std::string& indexName) {
  TDVXIndex* index = indexName.empty() ? nullptr : Table().IndexByName(indexName);
  SelectIndex(index ? index->IndexDef().ObjectID() : -1);
}

int TDVXLocalCursor::KeyFieldCount(int count) const {
  TDVXIndex* index = CurrentIndex();
  if (!index) throw EDVXException(kErrNoCurrentIndex, "Error - no current index in table '%s'", {tableName_});
  const int columns = static_cast<int>(index->IndexDef().Columns().size());
  if (count == 0) return columns;
  if (count < 0 || count > columns)
    throw EDVXException(kErrInvalidKeyFieldCount, "Error - invalid key field count = %d, index '%s' has %d fields",
                        {count, index->IndexDef().ObjectName(), columns});
  return count;
}

void TDVXLocalCursor::SetKeyFieldCount(int32_t count) {
  std::memcpy(keyBuffer_.data() + keyBuffer_.size() - 4, &count, 4);
}

bool TDVXLocalCursor::GotoKey(int conditionType) {
  TDVXTableData& table = Table();
  int32_t requested = 0;
  std::memcpy(&requested, keyBuffer_.data() + keyBuffer_.size() - 4, 4);
  const int columns = KeyFieldCount(requested);
  TDVXIndex& index = *CurrentIndex();
  const int32_t session = SessionID();
  // "Less" conditions are satisfied from the start of the index on; the
  // entry nearest the key is the last of them.
  const int direction = conditionType == ctLess || conditionType == ctLessOrEqual ? -1 : 1;
  std::vector<uint8_t> record(static_cast<size_t>(table.RecordSize()), 0);
  TDVXRecordID id;
  {
    TDVXTableReadScope scope(table, session);
    auto state = index.NewScanState(TDVXIndexCondition{conditionType, keyBuffer_.data(), columns});
    bool found = false;
    while (!found && index.ScanNext(session, state.get(), direction, id)) {
      if (!table.ReadRecord(session, id, record.data())) table.CannotLoad(id);
      found = Accepts(record.data());
    }
    if (!found) return false;
  }
  DiscardPendingBlobs(table.Fields(), buffer_.data());
  std::memcpy(buffer_.data(), record.data(), record.size());
  SetPosition(false, false, id);
  return true;
}

void TDVXLocalCursor::SetRange(const uint8_t* lowKey, const uint8_t* highKey, bool highExclusive, bool lowExclusive,
                               int highFieldCount, int lowFieldCount) {
  const size_t size = static_cast<size_t>(Table().RecordSize());
  TDVXCursorRange range;
  range.hasLow = lowKey != nullptr;
  range.hasHigh = highKey != nullptr;
  range.lowExclusive = lowExclusive;
  range.highExclusive = highExclusive;
  range.lowCount = KeyFieldCount(lowFieldCount);
  range.highCount = KeyFieldCount(highFieldCount);
  if (lowKey) range.low.assign(lowKey, lowKey + size);
  if (highKey) range.high.assign(highKey, highKey + size);
  range_ = std::move(range);
  InvalidateRecordIDs();
  First();
}

void TDVXLocalCursor::CancelRange() {
  range_ = TDVXCursorRange{};
  InvalidateRecordIDs();
  First();
}

void TDVXLocalCursor::SetRecordFilter(TDVXRecordFilter filter) {
  recordFilter_ = std::move(filter);
  InvalidateRecordIDs();
  First();
}

bool TDVXLocalCursor::PastRange(bool forward, const uint8_t* record) const {
  if (forward ? !range_.hasHigh : !range_.hasLow) return false;
  const TDVXIndex& index = *CurrentIndex();
  if (forward) {
    const int c = index.CompareRecordKeys(record, range_.high.data(), range_.highCount);
    return c > 0 || (c == 0 && range_.highExclusive);
  }
  const int c = index.CompareRecordKeys(record, range_.low.data(), range_.lowCount);
  return c < 0 || (c == 0 && range_.lowExclusive);
}

bool TDVXLocalCursor::Accepts(const uint8_t* record) const {
  if (HasRange() && (PastRange(true, record) || PastRange(false, record))) return false;
  if (!PassesFilters(record)) return false;
  return !recordFilter_ || recordFilter_(record);
}

}  // namespace dvx
