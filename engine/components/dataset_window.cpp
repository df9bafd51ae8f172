// TDataSet: the window of record buffers and navigation.
//
// buffers_ holds bufferCount_ + 1 buffers: the rows 0 .. bufferCount_-1 of
// the window and, last, the scratch buffer every fetch reads into. A
// successful fetch swaps the scratch buffer into the window:
//
//   next, window not full   the fetched buffer becomes row recordCount_
//   next, window full       row 0 leaves (it becomes the scratch buffer),
//                           every row moves up one, the fetched is last
//   prior                   every row moves down one (the last leaves a full
//                           window), the fetched is row 0
//
// scrollShift_ adds up how far the rows moved (-1 per "next, full", +1 per
// prior) during one MoveBy; the links move their first row by as much.
// cursorRecord_ is the row whose record the source stands on, -1 when that
// is not known (after a failed fetch, a search, an edit operation);
// SetCurrentRecord repositions the source only when it differs.
#include <algorithm>

#include "engine/components/data_link.h"
#include "engine/components/data_source.h"
#include "engine/components/database_error.h"
#include "engine/components/dataset.h"
#include "engine/components/dataset_messages.h"

namespace dvx {

void TDataSet::AllocateBuffers(int count) {
  // Rows plus the scratch buffer.
  while (static_cast<int>(buffers_.size()) < count + 1) buffers_.push_back(AllocRecordBuffer());
  bufferCount_ = count;
}

void TDataSet::FreeBuffers() {
  for (uint8_t*& buffer : buffers_) FreeRecordBuffer(buffer);
  buffers_.clear();
  bufferCount_ = 0;
  recordCount_ = 0;
  activeRecord_ = 0;
  cursorRecord_ = -1;
}

void TDataSet::UpdateBufferCount() {
  int count = 1;
  for (TDataSource* source : dataSources_)
    for (TDataLink* link : source->DataLinks()) count = std::max(count, link->BufferCount());
  SetBufferCount(count);
}

void TDataSet::SetBufferCount(int count) {
  if (count < 1) count = 1;
  if (buffers_.empty()) {
    AllocateBuffers(count);
    return;
  }
  if (count == bufferCount_) return;
  const int oldCount = bufferCount_;
  std::vector<uint8_t*> rows(buffers_.begin(), buffers_.begin() + oldCount);
  uint8_t* scratch = buffers_[oldCount];
  if (count < oldCount && recordCount_ > 0) {
    // Shrinking keeps the active record: rows before it leave only as far
    // as needed, then rows after it.
    const int drop = std::max(0, activeRecord_ - count + 1);
    std::rotate(rows.begin(), rows.begin() + drop, rows.end());
    activeRecord_ -= drop;
    recordCount_ -= drop;
    cursorRecord_ = cursorRecord_ >= drop ? cursorRecord_ - drop : -1;
    if (recordCount_ > count) recordCount_ = count;
    if (cursorRecord_ >= recordCount_) cursorRecord_ = -1;
  }
  // The used rows are at the front, so the free ones go first.
  while (static_cast<int>(rows.size()) > count) {
    uint8_t* buffer = rows.back();
    rows.pop_back();
    FreeRecordBuffer(buffer);
  }
  while (static_cast<int>(rows.size()) < count) rows.push_back(AllocRecordBuffer());
  rows.push_back(scratch);
  buffers_ = std::move(rows);
  bufferCount_ = count;
  if (state_ != dsBrowse && state_ != dsEdit && state_ != dsInsert) return;
  // A larger window shows the records after the active one, then (at the
  // end of the records) the ones before it. A record being inserted has
  // no neighbours to read from until it is posted.
  if (count > oldCount && recordCount_ > 0 && state_ != dsInsert) {
    GetNextRecords();
    GetPriorRecords();
  }
  DataEvent(deDataSetChange);
}

void TDataSet::ClearBuffers() {
  recordCount_ = 0;
  activeRecord_ = 0;
  cursorRecord_ = -1;
  bof_ = eof_ = true;
}

void TDataSet::ActivateBuffers() {
  recordCount_ = 1;
  activeRecord_ = 0;
  cursorRecord_ = 0;
  bof_ = eof_ = false;
}

void TDataSet::SetCurrentRecord(int index) {
  if (cursorRecord_ == index) return;
  uint8_t* buffer = buffers_[index];
  switch (GetBookmarkFlag(buffer)) {
    case bfBOF:
      InternalFirst();
      break;
    case bfEOF:
      InternalLast();
      break;
    case bfCurrent:
    case bfInserted:
      InternalSetToRecord(buffer);
      break;
  }
  cursorRecord_ = index;
}

void TDataSet::UpdateCursorPos() {
  if (recordCount_ > 0) SetCurrentRecord(activeRecord_);
}

bool TDataSet::GetNextRecord() {
  // With an empty window the caller has put the source where reading starts.
  if (recordCount_ > 0) SetCurrentRecord(recordCount_ - 1);
  uint8_t* fetched = ScratchBuffer();
  if (GetRecord(fetched, gmNext, true) != grOK) {
    cursorRecord_ = -1;
    return false;
  }
  if (recordCount_ == 0) {
    std::swap(buffers_[0], buffers_[bufferCount_]);
    ActivateBuffers();
  } else if (recordCount_ < bufferCount_) {
    std::swap(buffers_[recordCount_], buffers_[bufferCount_]);
    ++recordCount_;
  } else {
    uint8_t* first = buffers_[0];
    for (int i = 0; i < bufferCount_; ++i) buffers_[i] = buffers_[i + 1];
    buffers_[bufferCount_] = first;
    --activeRecord_;
    --scrollShift_;
  }
  cursorRecord_ = recordCount_ - 1;
  return true;
}

bool TDataSet::GetPriorRecord() {
  if (recordCount_ > 0) SetCurrentRecord(0);
  uint8_t* fetched = ScratchBuffer();
  if (GetRecord(fetched, gmPrior, true) != grOK) {
    cursorRecord_ = -1;
    return false;
  }
  if (recordCount_ == 0) {
    std::swap(buffers_[0], buffers_[bufferCount_]);
    ActivateBuffers();
    return true;
  }
  // The buffer that leaves (a free one, or the last row of a full window)
  // becomes the scratch buffer.
  const int last = recordCount_ < bufferCount_ ? recordCount_ : bufferCount_ - 1;
  buffers_[bufferCount_] = buffers_[last];
  for (int i = last; i > 0; --i) buffers_[i] = buffers_[i - 1];
  buffers_[0] = fetched;
  if (recordCount_ < bufferCount_) ++recordCount_;
  ++activeRecord_;
  ++scrollShift_;
  cursorRecord_ = 0;
  return true;
}

int TDataSet::GetNextRecords() {
  const std::unique_ptr<TFetchScope> fetch = BeginFetch();
  int fetched = 0;
  while (recordCount_ < bufferCount_ && GetNextRecord()) ++fetched;
  return fetched;
}

int TDataSet::GetPriorRecords() {
  const std::unique_ptr<TFetchScope> fetch = BeginFetch();
  int fetched = 0;
  while (recordCount_ < bufferCount_ && GetPriorRecord()) ++fetched;
  return fetched;
}

void TDataSet::Resync(TResyncModes mode) {
  CheckActive();
  uint8_t* fetched = ScratchBuffer();
  // The source stands on the record that is to be current (an operation
  // left it there); without rmExact a record that cannot be read gives way
  // to its neighbour. The rows are read as one fetch; the event follows it.
  cursorRecord_ = -1;
  {
    const std::unique_ptr<TFetchScope> fetch = BeginFetch();
    if (mode & rmExact) {
      if (GetRecord(fetched, gmCurrent, false) != grOK) DatabaseError(kSRecordChanged, this);
    } else if (GetRecord(fetched, gmCurrent, false) != grOK && GetRecord(fetched, gmNext, false) != grOK &&
               GetRecord(fetched, gmPrior, false) != grOK) {
      ClearBuffers();
      fetched = nullptr;
    }
    if (fetched) {
      int before = (mode & rmCenter) ? (bufferCount_ - 1) / 2 : activeRecord_;
      std::swap(buffers_[0], buffers_[bufferCount_]);
      ActivateBuffers();
      while (before > 0 && GetPriorRecord()) --before;
      GetNextRecords();
      GetPriorRecords();
    }
  }
  if (!fetched) {
    DataEvent(deDataSetChange);
    return;
  }
  bof_ = eof_ = false;
  DataEvent(deDataSetChange);
}

// --- navigation ----------------------------------------------------------

void TDataSet::First() {
  CheckBrowseMode();
  DoEvent(BeforeScroll);
  ClearBuffers();
  InternalFirst();
  GetNextRecords();
  bof_ = true;
  eof_ = recordCount_ == 0;
  DataEvent(deDataSetChange);
  DoEvent(AfterScroll);
}

void TDataSet::Last() {
  CheckBrowseMode();
  DoEvent(BeforeScroll);
  ClearBuffers();
  InternalLast();
  GetPriorRecords();
  activeRecord_ = recordCount_ > 0 ? recordCount_ - 1 : 0;
  eof_ = true;
  bof_ = recordCount_ == 0;
  DataEvent(deDataSetChange);
  DoEvent(AfterScroll);
}

int TDataSet::MoveBy(int distance) {
  CheckBrowseMode();
  if (distance == 0 || (distance > 0 && eof_) || (distance < 0 && bof_)) return 0;
  DoEvent(BeforeScroll);
  bof_ = eof_ = false;
  const int oldRecordCount = recordCount_;
  scrollShift_ = 0;
  int moved = 0;
  try {
    while (distance > 0) {
      if (activeRecord_ < recordCount_ - 1) {
        ++activeRecord_;
      } else if (GetNextRecord()) {
        ++activeRecord_;
      } else {
        eof_ = true;
        break;
      }
      --distance;
      ++moved;
    }
    while (distance < 0) {
      if (activeRecord_ > 0) {
        --activeRecord_;
      } else if (GetPriorRecord()) {
        --activeRecord_;
      } else {
        bof_ = true;
        break;
      }
      ++distance;
      --moved;
    }
  } catch (...) {
    // The rows fetched so far stay; the links must hear of them.
    DataEvent(deDataSetChange);
    throw;
  }
  if (recordCount_ != oldRecordCount)
    DataEvent(deDataSetChange);
  else
    DataEvent(deDataSetScroll, scrollShift_);
  DoEvent(AfterScroll);
  return moved;
}

int64_t TDataSet::RecordCount() { return -1; }

int64_t TDataSet::RecNo() { return -1; }

void TDataSet::SetRecNo(int64_t recNo) {
  const int64_t current = RecNo();
  if (current > 0 && recNo > 0) MoveBy(static_cast<int>(recNo - current));
}

// --- bookmarks -----------------------------------------------------------

TBookmark TDataSet::GetBookmark() {
  if (!Active() || recordCount_ == 0) return {};
  uint8_t* buffer = buffers_[activeRecord_];
  if (GetBookmarkFlag(buffer) != bfCurrent) return {};
  TBookmark bookmark(BookmarkSize());
  GetBookmarkData(buffer, bookmark.data());
  return bookmark;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
  CheckBrowseMode();
  if (bookmark.empty() || static_cast<int>(bookmark.size()) != BookmarkSize() || !BookmarkValid(bookmark)) {
    CursorPosChanged();
    DatabaseError(kSRecordNotFound, this);
  }
  DoEvent(BeforeScroll);
  CursorPosChanged();
  InternalGotoBookmark(bookmark.data());
  Resync(rmExact | rmCenter);
  DoEvent(AfterScroll);
}

bool TDataSet::BookmarkValid(const TBookmark& bookmark) {
  return Active() && static_cast<int>(bookmark.size()) == BookmarkSize();
}

int TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) {
  if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : (a.empty() ? 1 : -1);
  const int c = std::lexicographical_compare_three_way(a.begin(), a.end(), b.begin(), b.end()) < 0 ? -1
                : a == b                                                                             ? 0
                                                                                                     : 1;
  return c;
}

}  // namespace dvx
