// TDataSet: Locate, Lookup and the Find family by walking the records.
// The records are read into the scratch buffer in filter state, so the
// window and the current record stay untouched until a match is found;
// a match becomes current through Resync around the source's position.
// A subclass whose source can search by itself overrides Locate, Lookup
// and FindRecord.
#include "engine/components/database_error.h"
#include "engine/components/dataset.h"
#include "engine/components/dataset_messages.h"
#include "engine/core/locale.h"
#include "engine/values/base_field_type.h"

namespace dvx {

namespace {

class TFilterScope {
 public:
  TFilterScope(TDataSetState old, std::function<void(TDataSetState)> restore) : old_(old), restore_(std::move(restore)) {}
  ~TFilterScope() { restore_(old_); }

 private:
  TDataSetState old_;
  std::function<void(TDataSetState)> restore_;
};

}  // namespace

std::vector<TField*> TDataSet::FieldList(const std::string& names) const {
  std::vector<TField*> list;
  size_t start = 0;
  while (start <= names.size()) {
    size_t end = names.find(';', start);
    if (end == std::string::npos) end = names.size();
    std::string name = names.substr(start, end - start);
    while (!name.empty() && name.front() == ' ') name.erase(name.begin());
    while (!name.empty() && name.back() == ' ') name.pop_back();
    if (!name.empty()) list.push_back(&FieldByName(name));
    start = end + 1;
  }
  return list;
}

bool TDataSet::RecordMatches(const std::vector<TField*>& fields, const std::vector<TDVXVariant>& values,
                             const TLocateOptions& options) const {
  for (size_t i = 0; i < fields.size(); ++i) {
    const TDVXVariant actual = fields[i]->AsVariant();
    const TDVXVariant& wanted = values[i];
    if (actual.IsNull() || wanted.IsNull()) {
      if (actual.IsNull() != wanted.IsNull()) return false;
      continue;
    }
    const bool text = IsTextType(actual.DataType()) && IsTextType(wanted.DataType());
    if (text && options.partialKey) {
      // The field begins with the key: as long as it, and equal over it.
      if (actual.GetStringLength() < wanted.GetStringLength()) return false;
      if (actual.Compare(wanted, true, options.caseInsensitive) != 0) return false;
    } else if (actual.Compare(wanted, false, text && options.caseInsensitive) != 0) {
      return false;
    }
  }
  return true;
}

bool TDataSet::LocateRecord(const std::string& keyFields, const std::vector<TDVXVariant>& keyValues,
                            const TLocateOptions& options) {
  CheckBrowseMode();
  const std::vector<TField*> fields = FieldList(keyFields);
  if (fields.size() != keyValues.size() || fields.empty())
    DatabaseError(MessageText(kSKeyValueCount, {keyFields, static_cast<int>(fields.size()),
                                                static_cast<int>(keyValues.size())}),
                  this);
  uint8_t* buffer = ScratchBuffer();
  CursorPosChanged();
  InternalFirst();
  const TDataSetState old = SetTempState(dsFilter, buffer);
  TFilterScope scope(old, [this](TDataSetState s) { RestoreState(s); });
  while (GetRecord(buffer, gmNext, true) == grOK)
    if (RecordMatches(fields, keyValues, options)) return true;
  return false;
}

bool TDataSet::Locate(const std::string& keyFields, const std::vector<TDVXVariant>& keyValues,
                      const TLocateOptions& options) {
  if (!LocateRecord(keyFields, keyValues, options)) {
    CursorPosChanged();
    return false;
  }
  DoEvent(BeforeScroll);
  Resync(rmExact | rmCenter);
  DoEvent(AfterScroll);
  return true;
}

std::vector<TDVXVariant> TDataSet::Lookup(const std::string& keyFields, const std::vector<TDVXVariant>& keyValues,
                                          const std::string& resultFields) {
  const std::vector<TField*> results = FieldList(resultFields);
  std::vector<TDVXVariant> values;
  if (LocateRecord(keyFields, keyValues, {})) {
    const TDataSetState old = SetTempState(dsFilter, ScratchBuffer());
    TFilterScope scope(old, [this](TDataSetState s) { RestoreState(s); });
    for (TField* field : results) values.push_back(field->AsVariant());
  }
  // The source moved; the window did not.
  CursorPosChanged();
  return values;
}

bool TDataSet::FindRecord(bool restart, bool goForward) {
  CheckBrowseMode();
  uint8_t* buffer = ScratchBuffer();
  if (restart) {
    CursorPosChanged();
    if (goForward)
      InternalFirst();
    else
      InternalLast();
  } else {
    UpdateCursorPos();
  }
  bool found = false;
  {
    const TDataSetState old = SetTempState(dsFilter, buffer);
    TFilterScope scope(old, [this](TDataSetState s) { RestoreState(s); });
    while (!found && GetRecord(buffer, goForward ? gmNext : gmPrior, true) == grOK)
      // A Filtered source reads only records that pass; otherwise the
      // record event decides.
      found = filtered_ || RecordFilterAccepts(buffer);
  }
  if (!found) {
    CursorPosChanged();
    return false;
  }
  DoEvent(BeforeScroll);
  Resync(rmExact | rmCenter);
  DoEvent(AfterScroll);
  return true;
}

bool TDataSet::FindFirst() { return FindRecord(true, true); }
bool TDataSet::FindLast() { return FindRecord(true, false); }
bool TDataSet::FindNext() { return FindRecord(false, true); }
bool TDataSet::FindPrior() { return FindRecord(false, false); }

}  // namespace dvx
