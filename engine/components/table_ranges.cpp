// TDVXTable: key ranges and the master/detail link.
//
// A range has two bounds, each open until its key is begun (BeginRangeStart,
// BeginRangeEnd, SetRange or the master link); CancelKeyRange opens both
// again. ApplyKeyRange hands the cursor only what changed since the last
// application: the bound keys' field data, their Exclusive flags and field
// counts are compared with the copies taken then.
#include <cstring>

#include "engine/components/data_source.h"
#include "engine/components/database_error.h"
#include "engine/components/dataset_errors.h"
#include "engine/components/table.h"
#include "engine/components/table_errors.h"
#include "engine/components/table_master_link.h"
#include "engine/core/byte_order.h"
#include "engine/core/exception.h"
#include "engine/tables/local_cursor.h"

namespace dvx {

namespace {

constexpr int kKeyExclusive = 1;
constexpr int kKeyFieldCount = 2;

// "A;B" as {"A", "B"}, blanks around the names dropped.
std::vector<std::string> SplitNames(const std::string& names) {
  std::vector<std::string> result;
  std::string item;
  auto flush = [&] {
    const size_t first = item.find_first_not_of(' ');
    const size_t last = item.find_last_not_of(' ');
    if (first != std::string::npos) result.push_back(item.substr(first, last - first + 1));
    item.clear();
  };
  for (char c : names) {
    if (c == ';') flush();
    else item += c;
  }
  flush();
  return result;
}

}  // namespace

bool TDVXTableMasterLink::Linked() const { return DataSource() != nullptr && !detail_.MasterFields().empty(); }

void TDVXTableMasterLink::ActiveChanged() {
  if (detail_.Active() && Linked()) detail_.ApplyMasterRange();
}

void TDVXTableMasterLink::RecordChanged(TField* field) {
  // A field written while the master is edited is not a new master record.
  if (field != nullptr) return;
  if (detail_.Active() && Linked()) detail_.ApplyMasterRange();
}

bool TDVXTable::ApplyRangeToCursor() {
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorRange);
  if (activeIndex_.empty()) throw EDVXException(kErrNoActiveIndex, kMsgNoActiveIndex);
  const size_t compared = static_cast<size_t>(RecordSize() + kKeyFieldCount + 4);
  const uint8_t* start = KeyBuffer(kiRangeStart);
  const uint8_t* end = KeyBuffer(kiRangeEnd);
  uint8_t* curStart = KeyBuffer(kiCurRangeStart);
  uint8_t* curEnd = KeyBuffer(kiCurRangeEnd);
  // The Modified byte is left out: it says whether the key was written,
  // not what it holds.
  auto same = [&](const uint8_t* a, const uint8_t* b) {
    return std::memcmp(a, b, static_cast<size_t>(RecordSize())) == 0 &&
           std::memcmp(a + RecordSize() + kKeyExclusive, b + RecordSize() + kKeyExclusive,
                       compared - static_cast<size_t>(RecordSize() + kKeyExclusive)) == 0;
  };
  if (rangeApplied_ && appliedStartSet_ == rangeStartSet_ && appliedEndSet_ == rangeEndSet_ &&
      (!rangeStartSet_ || same(start, curStart)) && (!rangeEndSet_ || same(end, curEnd)))
    return false;
  if (!rangeStartSet_ && !rangeEndSet_) {
    cursor.CancelRange();
  } else {
    cursor.SetRange(rangeStartSet_ ? start : nullptr, rangeEndSet_ ? end : nullptr,
                    end[RecordSize() + kKeyExclusive] != 0, start[RecordSize() + kKeyExclusive] != 0,
                    GetI32(end + RecordSize() + kKeyFieldCount), GetI32(start + RecordSize() + kKeyFieldCount));
  }
  std::memcpy(curStart, start, static_cast<size_t>(BufferSize()));
  std::memcpy(curEnd, end, static_cast<size_t>(BufferSize()));
  appliedStartSet_ = rangeStartSet_;
  appliedEndSet_ = rangeEndSet_;
  rangeApplied_ = rangeStartSet_ || rangeEndSet_;
  return true;
}

void TDVXTable::ApplyKeyRange() {
  CheckHandle(kErrNilCursorRange);
  LeaveEditState();
  if (ApplyRangeToCursor()) First();
}

void TDVXTable::CancelKeyRange() {
  CheckHandle(kErrNilCursorRange);
  LeaveEditState();
  if (!rangeApplied_) return;
  CheckHandle(kErrNilCursorRange).CancelRange();
  rangeApplied_ = false;
  rangeStartSet_ = rangeEndSet_ = false;
  appliedStartSet_ = appliedEndSet_ = false;
  // The cursor stands before the first record now.
  CursorPosChanged();
  First();
}

void TDVXTable::SetRange(const std::vector<TDVXVariant>& startValues, const std::vector<TDVXVariant>& endValues) {
  CheckHandle(kErrNilCursorRange);
  LeaveEditState();
  FillKey(kiRangeStart, startValues);
  FillKey(kiRangeEnd, endValues);
  rangeStartSet_ = rangeEndSet_ = true;
  ApplyKeyRange();
}

void TDVXTable::BeginRangeStart() {
  InitKeyEntry(kiRangeStart);
  rangeStartSet_ = true;
}

void TDVXTable::BeginRangeEnd() {
  InitKeyEntry(kiRangeEnd);
  rangeEndSet_ = true;
}

TDataSource* TDVXTable::MasterSource() const { return masterLink_ ? masterLink_->DataSource() : nullptr; }

void TDVXTable::SetMasterSource(TDataSource* source) {
  // The chain of masters must not come back to this table.
  for (TDataSource* at = source; at != nullptr;) {
    TDataSet* dataSet = at->DataSet();
    if (dataSet == this) DatabaseError(kMsgCircularDataLink, this);
    auto* table = dynamic_cast<TDVXTable*>(dataSet);
    at = table ? table->MasterSource() : nullptr;
  }
  if (!masterLink_) masterLink_ = std::make_unique<TDVXTableMasterLink>(*this);
  masterLink_->SetDataSource(source);
  if (!source && Active() && rangeApplied_) CancelKeyRange();
}

void TDVXTable::SetMasterFields(const std::string& fields) {
  masterFields_ = fields;
  if (Active()) {
    if (masterLink_ && masterLink_->Linked())
      ApplyMasterRange();
    else if (fields.empty() && rangeApplied_)
      CancelKeyRange();
  }
}

bool TDVXTable::SetMasterRangeKeys() {
  TDataSet* master = masterLink_ ? masterLink_->DataSet() : nullptr;
  if (!master || !master->Active()) return false;
  const std::vector<std::string> names = SplitNames(masterFields_);
  std::vector<TDVXVariant> values;
  for (const std::string& name : names) values.push_back(master->FieldByName(name).AsVariant());
  FillKey(kiRangeStart, values);
  FillKey(kiRangeEnd, values);
  rangeStartSet_ = rangeEndSet_ = true;
  ApplyRangeToCursor();
  return true;
}

void TDVXTable::ApplyMasterRange() {
  TDataSet* master = masterLink_ ? masterLink_->DataSet() : nullptr;
  if (!Active() || !master) return;
  LeaveEditState();
  if (!master->Active()) {
    // Without a master record the detail shows all its records.
    if (rangeApplied_) CancelKeyRange();
    return;
  }
  // The master moved: the detail goes to its first record even when the
  // key is the same as before.
  SetMasterRangeKeys();
  CursorPosChanged();
  First();
}

void TDVXTable::InternalInsert() {
  TDVXDataSet::InternalInsert();
  CopyMasterValues();
}

void TDVXTable::CopyMasterValues() {
  TDataSet* master = masterLink_ && masterLink_->Linked() ? masterLink_->DataSet() : nullptr;
  if (!master || !master->Active() || master->IsEmpty()) return;
  const std::vector<std::string> names = SplitNames(masterFields_);
  std::vector<TDVXVariant> values;
  for (const std::string& name : names) values.push_back(master->FieldByName(name).AsVariant());
  // Written in key-entry state on the new record's buffer, so that only
  // the leading index fields can take them and the links hear nothing.
  uint8_t* buffer = ActiveBuffer();
  const TDataSetState old = SetTempState(dsSetKey, buffer);
  try {
    for (size_t i = 0; i < values.size() && i < IndexFieldNos().size() && IndexFieldNos()[i] >= 0; ++i) {
      TField& field = Fields()[IndexFieldNos()[i]];
      if (values[i].IsNull())
        field.Clear();
      else
        field.SetAsVariant(values[i]);
    }
  } catch (...) {
    RestoreState(old);
    throw;
  }
  RestoreState(old);
}

}  // namespace dvx
