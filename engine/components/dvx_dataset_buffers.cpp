// TDVXDataSet: record buffers, fetching, navigation, bookmarks, record
// numbers and following changes made elsewhere.
#include <cstring>

#include "engine/components/cursor_call.h"
#include "engine/components/dataset_errors.h"
#include "engine/components/dvx_dataset.h"
#include "engine/core/exception.h"
#include "engine/storage/record_id.h"
#include "engine/tables/cursor_walk.h"
#include "engine/tables/table_data.h"
#include "engine/tables/local_cursor.h"

namespace dvx {

namespace {

constexpr int kFlagOffset = kCursorRecordIDSize;  // from D

TDVXGetRecordMode CursorMode(TGetMode mode) {
  switch (mode) {
    case gmNext: return grmNext;
    case gmPrior: return grmPrior;
    default: return grmCurrent;
  }
}

}  // namespace

uint8_t* TDVXDataSet::AllocRecordBuffer() {
  uint8_t* buffer = new uint8_t[static_cast<size_t>(BufferSize())];
  std::memset(buffer, 0, static_cast<size_t>(BufferSize()));
  return buffer;
}

void TDVXDataSet::FreeRecordBuffer(uint8_t*& buffer) {
  delete[] buffer;
  buffer = nullptr;
}

void TDVXDataSet::InternalInitRecord(uint8_t* buffer) {
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorInit);
  {
    TCursorCall call(cursorCallDepth_);
    // Defaults and autoincrement values are taken now: a cancelled
    // insert has still used its number. A read-only dataset never posts,
    // so it takes none.
    cursor.InitRecord(buffer, !readOnly_);
  }
  kNoRecordID.Encode(buffer + recordSize_);
  buffer[recordSize_ + kFlagOffset] = bfInserted;
  std::memset(buffer + CalcFieldsOffset(), 0, static_cast<size_t>(calcFieldsSize_));
}

void TDVXDataSet::TakeCursorRecord(uint8_t* buffer) {
  // Record and record ID lie in the cursor's buffer as they do here.
  std::memcpy(buffer, cursor_->Buffer().data(), static_cast<size_t>(recordSize_ + kCursorRecordIDSize));
  buffer[recordSize_ + kFlagOffset] = bfCurrent;
  std::memset(buffer + CalcFieldsOffset(), 0, static_cast<size_t>(calcFieldsSize_));
  if (calcFieldsSize_ > 0 || OnCalcFields) CalculateFields(buffer);
}

TGetResult TDVXDataSet::GetRecord(uint8_t* buffer, TGetMode mode, bool doCheck) {
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorFetch);
  TDVXGetRecordResult result;
  {
    TCursorCall call(cursorCallDepth_);
    result = cursor.GetRecord(CursorMode(mode));
  }
  switch (result) {
    case grrDone: TakeCursorRecord(buffer); return grOK;
    case grrBOF: return grBOF;
    case grrEOF: return grEOF;
    default:
      if (doCheck) {
        // What stood in the way, when a damaged page did.
        std::string message = kMsgRetrieveRecord;
        if (const std::string& cause = cursor.Table().LastReadCause(); !cause.empty()) message += ": " + cause;
        throw EDVXException(kErrRetrieveRecord, message);
      }
      return grError;
  }
}

namespace {

// The rows of a window read as one walk of the cursor: one table lock and
// one look at the file for all of them.
class TCursorFetch : public TFetchScope {
 public:
  explicit TCursorFetch(TDVXLocalCursor& cursor) : walk_(cursor) {}

 private:
  TDVXCursorWalk walk_;
};

}  // namespace

std::unique_ptr<TFetchScope> TDVXDataSet::BeginFetch() {
  if (!cursor_) return nullptr;
  // A walk that cannot begin (the table locked, the file unreadable) leaves
  // the rows to be read one by one, each read reporting what stands in its
  // way as it always has.
  try {
    return std::make_unique<TCursorFetch>(*cursor_);
  } catch (const EDVXException&) {
    return nullptr;
  }
}

void TDVXDataSet::InternalFirst() { CheckHandle(kErrNilCursorFirst).First(); }

void TDVXDataSet::InternalLast() { CheckHandle(kErrNilCursorLast).Last(); }

int TDVXDataSet::GotoRecordID(const uint8_t* recordID) {
  TDVXBookmark bookmark{};
  std::memcpy(bookmark.data() + 2, recordID, kCursorRecordIDSize);
  TCursorCall call(cursorCallDepth_);
  return cursor_->GotoBookmark(bookmark);
}

void TDVXDataSet::InternalGotoBookmark(const uint8_t* bookmark) {
  CheckHandle(kErrNilCursorBookmark);
  if (GotoRecordID(bookmark) != grrDone) Fail("Record not found");
}

void TDVXDataSet::InternalSetToRecord(uint8_t* buffer) {
  CheckHandle(kErrNilCursorSetToRecord);
  // A new record has no place yet (its buffer names the record it stands
  // before, which a cancel goes back to); the cursor's buffer holds it
  // with what BLOB streams wrote, so the cursor stays. A record that has
  // gone leaves the cursor where its ID points, from where the cursor's
  // order continues.
  if (buffer[recordSize_ + kFlagOffset] == bfInserted) return;
  // The record under edit is in the cursor's buffer with what BLOB
  // streams wrote; reading it again would drop that.
  const TDVXRecordID id = TDVXRecordID::Decode(buffer + recordSize_);
  if (cursor_->Editing() && !cursor_->Bof() && !cursor_->Eof() && cursor_->RecordID() == id) return;
  GotoRecordID(buffer + recordSize_);
}

void TDVXDataSet::GetBookmarkData(const uint8_t* buffer, uint8_t* bookmark) const {
  std::memcpy(bookmark, buffer + recordSize_, kDataSetBookmarkSize);
}

void TDVXDataSet::SetBookmarkData(uint8_t* buffer, const uint8_t* bookmark) {
  std::memcpy(buffer + recordSize_, bookmark, kCursorRecordIDSize);
}

TBookmarkFlag TDVXDataSet::GetBookmarkFlag(const uint8_t* buffer) const {
  return static_cast<TBookmarkFlag>(buffer[recordSize_ + kFlagOffset]);
}

void TDVXDataSet::SetBookmarkFlag(uint8_t* buffer, TBookmarkFlag flag) { buffer[recordSize_ + kFlagOffset] = flag; }

int64_t TDVXDataSet::RecordCount() {
  if (!cursor_) return 0;
  TCursorCall call(cursorCallDepth_);
  return cursor_->GetRecordCount();
}

int64_t TDVXDataSet::RecNo() {
  if (!cursor_ || State() == dsInsert || IsEmpty()) return -1;
  UpdateCursorPos();
  TCursorCall call(cursorCallDepth_);
  return cursor_->GetRecNo();
}

void TDVXDataSet::SetRecNo(int64_t recNo) {
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorRecNo);
  CheckBrowseMode();
  if (BeforeScroll) BeforeScroll(*this);
  TDVXGetRecordResult result;
  {
    TCursorCall call(cursorCallDepth_);
    result = cursor.SetRecNo(recNo);
  }
  if (result != grrDone) return;
  Resync(rmCenter);
  if (AfterScroll) AfterScroll(*this);
}

bool TDVXDataSet::BookmarkValid(const TBookmark& bookmark) {
  if (!cursor_ || bookmark.size() != static_cast<size_t>(kDataSetBookmarkSize)) return false;
  if (State() != dsBrowse) Fail("Dataset is not in browse mode");
  const TDVXBookmark saved = cursor_->GetBookmark();
  const bool found = GotoRecordID(bookmark.data()) == grrDone;
  TCursorCall call(cursorCallDepth_);
  cursor_->GotoBookmark(saved);
  CursorPosChanged();
  return found;
}

int TDVXDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) {
  if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : (a.empty() ? 1 : -1);
  if (std::memcmp(a.data(), b.data(), kCursorRecordIDSize) == 0) return 0;
  CheckHandle(kErrNilCursorBookmark);
  if (State() != dsBrowse) Fail("Dataset is not in browse mode");
  const TDVXBookmark saved = cursor_->GetBookmark();
  // A bookmark whose record has gone sorts after every present one.
  auto position = [&](const TBookmark& bookmark) -> int64_t {
    if (GotoRecordID(bookmark.data()) != grrDone) return INT64_MAX;
    TCursorCall call(cursorCallDepth_);
    const int64_t recNo = cursor_->GetRecNo();
    return recNo < 0 ? INT64_MAX : recNo;
  };
  const int64_t pa = position(a);
  const int64_t pb = position(b);
  {
    TCursorCall call(cursorCallDepth_);
    cursor_->GotoBookmark(saved);
  }
  CursorPosChanged();
  return pa < pb ? -1 : (pa > pb ? 1 : 0);
}

void TDVXDataSet::CursorTableChanged(TDVXLocalCursor&) {
  if (cursorCallDepth_ > 0 || State() != dsBrowse) {
    tableChangePending_ = true;
    return;
  }
  FollowTableChange();
}

void TDVXDataSet::FollowTableChange() {
  tableChangePending_ = false;
  if (State() != dsBrowse) return;
  // The active record is looked for again; when it has gone the window
  // continues from its neighbour.
  CursorPosChanged();
  UpdateCursorPos();
  Resync(0);
}

}  // namespace dvx
