// Walking the cursor's set: neighbour reads with the range and the record
// filter applied, record counts and numbers, bookmarks.
//
// A restricted cursor steps through its record ID list (cursor_filter.cpp)
// and falls back on walking the table's order itself, skipping what the
// acceptance test refuses, where the list cannot say: from a record that
// left the set (or vanished) the walk continues from where it stood
// exactly as in an unrestricted walk. Counts and numbers come from the
// list. A range on the index bounds the walk: it starts at the key and
// ends where the index passes the other key.
#include <algorithm>

#include "engine/core/exception.h"
#include "engine/tables/index.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_data.h"
#include "engine/tables/table_data_errors.h"
#include "engine/tables/table_read_scope.h"

namespace dvx {

TDVXGetRecordResult TDVXLocalCursor::ReadAt(const TDVXRecordID& id) {
  SetPosition(false, false, id);
  return Table().GetRecord(*this, grmCurrent);
}

bool TDVXLocalCursor::SeekRangeStart(bool forward, TDVXGetRecordResult& result) {
  const bool applies = forward ? bof_ && range_.hasLow : eof_ && range_.hasHigh;
  if (!applies) return false;
  TDVXTableData& table = Table();
  TDVXIndex& index = *CurrentIndex();
  const int32_t session = SessionID();
  TDVXIndexCondition condition;
  if (forward) condition = {range_.lowExclusive ? ctGreater : ctGreaterOrEqual, range_.low.data(), range_.lowCount};
  else condition = {range_.highExclusive ? ctLess : ctLessOrEqual, range_.high.data(), range_.highCount};
  TDVXRecordID id;
  bool found;
  {
    TDVXTableReadScope scope(table, session);
    auto state = index.NewScanState(condition);
    found = index.ScanNext(session, state.get(), forward ? 1 : -1, id);
  }
  if (found) {
    result = ReadAt(id);
  } else {
    SetPosition(!forward, forward, recordID_);
    result = forward ? grrEOF : grrBOF;
  }
  return true;
}

// The walk a restricted cursor falls back on where its record ID list
// cannot say (cursor_filter.cpp).
TDVXGetRecordResult TDVXLocalCursor::WalkRestricted(TDVXGetRecordMode mode) {
  TDVXTableData& table = Table();
  if (!Restricted() || mode == grmCurrent) return table.GetRecord(*this, mode);
  const bool forward = mode == grmNext;
  TDVXGetRecordResult result;
  if (!SeekRangeStart(forward, result)) result = table.GetRecord(*this, mode);
  for (; result == grrDone; result = table.GetRecord(*this, mode)) {
    if (PastRange(forward, Record())) {
      // Index order: every record further on lies beyond the range too.
      SetPosition(!forward, forward, recordID_);
      return forward ? grrEOF : grrBOF;
    }
    if (Accepts(Record())) return grrDone;
  }
  return result;
}

// The list the cursor steps through, kept fresh by the table's change
// counter (cursor_filter.cpp).
TDVXRecordIDList TDVXLocalCursor::RecordIDList() { return RecordIDs().Items(); }

int64_t TDVXLocalCursor::GetRecordCount() {
  if (!Restricted()) return Table().RecordCount(SessionID());
  return RecordIDs().Count();
}

int64_t TDVXLocalCursor::GetRecNo() {
  if (bof_ || eof_) return -1;
  if (Restricted()) {
    const int64_t at = RecordIDs().IndexOf(recordID_);
    return at < 0 ? -1 : at + 1;
  }
  TDVXTableData& table = Table();
  const int32_t session = SessionID();
  TDVXTableReadScope scope(table, session);
  TDVXIndex* index = CurrentIndex();
  if (!index) return table.RecordManager().RecordNoOf(recordID_, session);
  // The stored record, not the buffer: its key may have been edited.
  std::vector<uint8_t> record(static_cast<size_t>(table.RecordSize()), 0);
  if (!table.ReadRecord(session, recordID_, record.data())) return -1;
  return index->GetRecNo(session, recordID_, record.data());
}

TDVXGetRecordResult TDVXLocalCursor::SetRecNo(int64_t n) {
  TDVXRecordID id = kNoRecordID;
  if (Restricted()) {
    const TDVXRecordBitmap& list = RecordIDs();
    if (list.Count() > 0) id = list[std::clamp<int64_t>(n, 1, list.Count()) - 1];
  } else {
    TDVXTableData& table = Table();
    const int32_t session = SessionID();
    TDVXTableReadScope scope(table, session);
    const int64_t count = table.RecordManager().RecordCount(session);
    if (count > 0) {
      n = std::clamp<int64_t>(n, 1, count);
      TDVXIndex* index = CurrentIndex();
      if (!index) id = table.RecordManager().RecordIDOf(n, session);
      else if (!index->GetNthRecord(session, n, id)) id = kNoRecordID;
    }
  }
  if (id.IsNone()) {
    Last();
    return grrEOF;
  }
  return ReadAt(id);
}

TDVXBookmark TDVXLocalCursor::GetBookmark() const {
  TDVXBookmark bookmark{};
  bookmark[0] = bof_ ? 1 : 0;
  bookmark[1] = eof_ ? 1 : 0;
  recordID_.Encode(bookmark.data() + 2);
  return bookmark;
}

TDVXGetRecordResult TDVXLocalCursor::GotoBookmark(const TDVXBookmark& bookmark) {
  Table();
  const TDVXRecordID id = TDVXRecordID::Decode(bookmark.data() + 2);
  const bool bof = bookmark[0] != 0;
  const bool eof = bookmark[1] != 0;
  SetPosition(bof, eof, id);
  if (bof) return grrBOF;
  if (eof) return grrEOF;
  return Table().GetRecord(*this, grmCurrent);
}

bool TDVXLocalCursor::IsRecordDeleted() { return Table().IsRecordDeleted(*this); }

}  // namespace dvx
