// TDVXTable: the key buffers, key entry and the key searches on the
// active index.
#include <cstring>
#include <functional>

#include "engine/components/dataset_errors.h"
#include "engine/components/object_names.h"
#include "engine/components/table.h"
#include "engine/components/table_errors.h"
#include "engine/core/byte_order.h"
#include "engine/core/exception.h"
#include "engine/schema/index_def.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_data.h"

namespace dvx {

namespace {

// KeyInfo at offset D of a key buffer (table.h).
constexpr int kKeyModified = 0;
constexpr int kKeyExclusive = 1;
constexpr int kKeyFieldCount = 2;
constexpr int kKeyInfoSize = 6;

// Restores the dataset's state even when a field assignment throws.
class TKeyState {
 public:
  TKeyState(std::function<void()> restore) : restore_(std::move(restore)) {}
  ~TKeyState() { restore_(); }

 private:
  std::function<void()> restore_;
};

}  // namespace

void TDVXTable::Fire(const TDataSetNotifyEvent& event) {
  if (event) event(*this);
}

uint8_t* TDVXTable::KeyBuffer(TKeyIndex key) const {
  if (keyBuffers_.size() != static_cast<size_t>(kKeyBufferCount))
    throw EDVXException(kErrNilCursorKey, kMsgNilPointer);
  return const_cast<uint8_t*>(keyBuffers_[static_cast<size_t>(key)].data());
}

void TDVXTable::ClearKeyBuffer(TKeyIndex key) {
  uint8_t* buffer = KeyBuffer(key);
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorKey);
  // Every field NULL, no defaults: a key holds only what was put in it.
  cursor.InitRecord(buffer, false);
  std::memset(buffer + RecordSize(), 0, static_cast<size_t>(BufferSize() - RecordSize()));
}

void TDVXTable::SetKeyExclusive(bool exclusive, TKeyIndex key) {
  KeyBuffer(key)[RecordSize() + kKeyExclusive] = exclusive ? 1 : 0;
}

void TDVXTable::SetKeyFieldCount(int32_t count, TKeyIndex key) {
  PutI32(KeyBuffer(key) + RecordSize() + kKeyFieldCount, count);
}

void TDVXTable::LeaveEditState() {
  CommitPendingKey();
  CheckBrowseMode();
}

void TDVXTable::InitKeyEntry(TKeyIndex key) {
  CheckHandle(kErrNilCursorKey);
  LeaveEditState();
  // The saved copy lets CancelKeyEntry put the key back as it was.
  std::memcpy(KeyBuffer(kiSave), KeyBuffer(key), static_cast<size_t>(BufferSize()));
  ClearKeyBuffer(key);
  SetTempState(dsSetKey, KeyBuffer(key));
  SetModified(false);
  keyEntry_ = key;
}

void TDVXTable::BeginKeyEntry() { InitKeyEntry(kiLookup); }

void TDVXTable::PostKeyEntry() {
  if (keyEntry_ < 0) return;
  UpdateRecord();
  uint8_t* buffer = KeyBuffer(static_cast<TKeyIndex>(keyEntry_));
  buffer[RecordSize() + kKeyModified] = Modified() ? 1 : 0;
  keyEntry_ = -1;
  SetModified(false);
  RestoreState(dsBrowse);
  DataEvent(deDataSetChange);
}

void TDVXTable::CancelKeyEntry() {
  if (keyEntry_ < 0) return;
  std::memcpy(KeyBuffer(static_cast<TKeyIndex>(keyEntry_)), KeyBuffer(kiSave), static_cast<size_t>(BufferSize()));
  keyEntry_ = -1;
  SetModified(false);
  RestoreState(dsBrowse);
  DataEvent(deDataSetChange);
}

void TDVXTable::CommitPendingKey() {
  if (keyEntry_ >= 0 && State() == dsSetKey) PostKeyEntry();
}

void TDVXTable::FillKey(TKeyIndex key, size_t count, const std::function<void(TField&, size_t)>& assign) {
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorKey);
  if (activeIndex_.empty()) throw EDVXException(kErrNoActiveIndex, kMsgNoActiveIndex);
  TDVXTableData& table = cursor.Table();
  const TDVXIndexDefs& indexes = table.IndexManager().IndexDefs();
  const int at = indexes.FindByName(activeIndex_);
  if (at < 0) throw EDVXException(kErrNoActiveIndex, kMsgNoActiveIndex);
  const std::vector<TDVXIndexColumn>& columns = indexes.Items(at)->Columns();
  // The values go in before anything is changed, so a refusal leaves the
  // key buffer as it was.
  if (count > columns.size()) throw EDVXException(kErrKeyFieldOutOfRange, kMsgKeyFieldOutOfRange);
  std::vector<uint8_t> saved(KeyBuffer(key), KeyBuffer(key) + BufferSize());
  const bool wasModified = Modified();
  const TDataSetState old = SetTempState(dsSetKey, KeyBuffer(key));
  try {
    TKeyState restore([this, old, wasModified] {
      RestoreState(old);
      SetModified(wasModified);
    });
    ClearKeyBuffer(key);
    for (size_t i = 0; i < count; ++i) {
      if (i >= IndexFieldNos().size() || IndexFieldNos()[i] < 0)
        throw EDVXException(kErrCannotAccessIndexField, kMsgCannotAccessIndexField, {HostName(columns[i].fieldName)});
      assign(Fields()[IndexFieldNos()[i]], i);
    }
    SetKeyFieldCount(static_cast<int32_t>(count), key);
    KeyBuffer(key)[RecordSize() + kKeyModified] = Modified() ? 1 : 0;
  } catch (...) {
    std::memcpy(KeyBuffer(key), saved.data(), saved.size());
    throw;
  }
}

void TDVXTable::FillKey(TKeyIndex key, const std::vector<TDVXVariant>& values) {
  FillKey(key, values.size(), [&values](TField& field, size_t i) {
    if (values[i].IsNull())
      field.Clear();
    else
      field.SetAsVariant(values[i]);
  });
}

void TDVXTable::LoadCursorKey(TKeyIndex key) {
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorKey);
  const uint8_t* buffer = KeyBuffer(key);
  std::vector<uint8_t>& cursorKey = cursor.KeyBuffer();
  const size_t size = static_cast<size_t>(RecordSize() + kKeyInfoSize);
  if (cursorKey.size() < size) cursorKey.resize(size);
  std::memcpy(cursorKey.data(), buffer, size);
  // 0 means every column of the index; the cursor takes the same rule.
  cursor.SetKeyFieldCount(GetI32(buffer + RecordSize() + kKeyFieldCount));
}

void TDVXTable::SeekNearest(const std::vector<TDVXVariant>& values) {
  CheckHandle(kErrNilCursorKey);
  LeaveEditState();
  FillKey(kiLookup, values);
  GotoNearestKey();
}

bool TDVXTable::SeekKey(const std::vector<TDVXVariant>& values) {
  CheckHandle(kErrNilCursorKey);
  LeaveEditState();
  FillKey(kiLookup, values);
  return GotoExactKey();
}

void TDVXTable::SeekNearest(const std::string& utf8Text) {
  CheckHandle(kErrNilCursorKey);
  LeaveEditState();
  FillKey(kiLookup, 1, [&utf8Text](TField& field, size_t) { field.SetAsString(utf8Text); });
  GotoNearestKey();
}

bool TDVXTable::SeekKey(int64_t value) {
  CheckHandle(kErrNilCursorKey);
  LeaveEditState();
  FillKey(kiLookup, 1, [value](TField& field, size_t) { field.SetAsLargeInt(value); });
  return GotoExactKey();
}

bool TDVXTable::GotoExactKey() {
  CheckHandle(kErrNilCursorKey);
  LeaveEditState();
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorKey);
  if (activeIndex_.empty()) throw EDVXException(kErrNoActiveIndex, kMsgNoActiveIndex);
  Fire(BeforeScroll);
  LoadCursorKey(kiLookup);
  CursorPosChanged();
  // Exact mode: the first record whose leading key fields equal the key.
  // When none does the cursor has not moved and the window is still right.
  if (!cursor.GotoKey(1)) return false;
  Resync(rmExact | rmCenter);
  Fire(AfterScroll);
  return true;
}

void TDVXTable::GotoNearestKey() {
  CheckHandle(kErrNilCursorKey);
  LeaveEditState();
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorKey);
  if (activeIndex_.empty()) throw EDVXException(kErrNoActiveIndex, kMsgNoActiveIndex);
  Fire(BeforeScroll);
  LoadCursorKey(kiLookup);
  CursorPosChanged();
  const bool exclusive = KeyBuffer(kiLookup)[RecordSize() + kKeyExclusive] != 0;
  // 3: first entry greater than the key; 5: first greater or equal.
  if (!cursor.GotoKey(exclusive ? 3 : 5)) {
    // Nothing at or after the key: the last record.
    cursor.Last();
    if (cursor.GetRecord(grmPrior) != grrDone) {
      // An empty set: the window shows nothing.
      Resync(0);
      Fire(AfterScroll);
      return;
    }
  }
  Resync(rmCenter);
  Fire(AfterScroll);
}

}  // namespace dvx
