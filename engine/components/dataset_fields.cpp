// TDataSet: the field objects, the buffer each state reads and writes,
// calculated fields, the filter settings and the record filter event.
//
// Calculated area of a buffer, from CalcFieldsOffset(): for each calculated
// field in declaration order one presence byte (0 NULL, 1 value) followed
// by the field's DataSize() bytes of host format.
#include <cstring>

#include "engine/components/database_error.h"
#include "engine/components/dataset.h"
#include "engine/components/dataset_messages.h"
#include "engine/components/field_classes.h"
#include "engine/components/object_names.h"

namespace dvx {

namespace {

bool WritableState(TDataSetState state) {
  switch (state) {
    case dsEdit:
    case dsInsert:
    case dsSetKey:
    case dsCalcFields:
    case dsFilter:
    case dsNewValue:
      return true;
    default:
      return false;
  }
}

}  // namespace

void TDataSet::CreateFields() {
  DestroyFields();
  for (int i = 0; i < fieldDefs_.Count(); ++i) {
    const TFieldDef& def = fieldDefs_[i];
    std::unique_ptr<TField> field =
        CreateFieldOfType(*this, def.Name(), def.DataType(), def.Size(), def.Required(), def.FieldNo());
    if (auto* memo = dynamic_cast<TMemoField*>(field.get())) memo->SetWideMemo(def.WideMemo());
    fields_.Add(std::move(field));
  }
  int offset = 0;
  for (const TCalcFieldDecl& decl : calcFieldDecls_) {
    if (fields_.Find(decl.name) != nullptr) {
      DestroyFields();
      DatabaseError(MessageText(kSDuplicateFieldName, {decl.name}), this);
    }
    std::unique_ptr<TField> field = CreateFieldOfType(*this, decl.name, decl.dataType, decl.size, false, 0, fkCalculated);
    field->calcOffset_ = offset;
    offset += 1 + field->DataSize();
    fields_.Add(std::move(field));
  }
  calcFieldsSize_ = offset;
}

void TDataSet::DestroyFields() {
  fields_.Clear();
  calcFieldsSize_ = 0;
}

void TDataSet::AddCalculatedField(const std::string& name, TFieldType dataType, int size) {
  CheckInactive();
  for (const TCalcFieldDecl& decl : calcFieldDecls_)
    if (SameHostName(decl.name, name)) DatabaseError(MessageText(kSDuplicateFieldName, {name}), this);
  calcFieldDecls_.push_back({name, dataType, size});
}

TField& TDataSet::FieldByName(const std::string& name) const {
  TField* field = fields_.Find(name);
  if (field == nullptr) DatabaseError(MessageText(kSFieldNotFound, {name}), this);
  return *field;
}

uint8_t* TDataSet::ActiveBuffer() const {
  switch (state_) {
    case dsBrowse:
    case dsEdit:
    case dsInsert:
      return recordCount_ > 0 ? buffers_[activeRecord_] : nullptr;
    case dsSetKey:
    case dsCalcFields:
    case dsFilter:
    case dsNewValue:
    case dsOldValue:
      if (tempBuffer_ != nullptr) return tempBuffer_;
      return recordCount_ > 0 ? buffers_[activeRecord_] : nullptr;
    default:
      return nullptr;
  }
}

TDataSetState TDataSet::SetTempState(TDataSetState state, uint8_t* buffer) {
  const TDataSetState old = state_;
  tempStack_.emplace_back(old, tempBuffer_);
  state_ = state;
  tempBuffer_ = buffer;
  ++tempDepth_;
  return old;
}

void TDataSet::RestoreState(TDataSetState state) {
  if (!tempStack_.empty()) {
    tempBuffer_ = tempStack_.back().second;
    tempStack_.pop_back();
  }
  if (tempDepth_ > 0) --tempDepth_;
  state_ = state;
}

namespace {

// Restores the state even when the code in between throws.
class TTempState {
 public:
  TTempState(TDataSet& dataSet, TDataSetState old, void (TDataSet::*restore)(TDataSetState))
      : dataSet_(dataSet), old_(old), restore_(restore) {}
  ~TTempState() { (dataSet_.*restore_)(old_); }

 private:
  TDataSet& dataSet_;
  TDataSetState old_;
  void (TDataSet::*restore_)(TDataSetState);
};

}  // namespace

void TDataSet::ReadCalcField(const uint8_t* buffer, const TField& field, void* data, bool& present) const {
  const uint8_t* slot = buffer + CalcFieldsOffset() + field.calcOffset_;
  present = slot[0] != 0;
  if (present && data != nullptr) std::memcpy(data, slot + 1, field.DataSize());
}

bool TDataSet::GetFieldData(const TField& field, void* buffer) {
  const uint8_t* record = ActiveBuffer();
  if (record == nullptr) return false;
  if (field.Calculated()) {
    if (field.calcOffset_ < 0) return false;
    bool present = false;
    ReadCalcField(record, field, buffer, present);
    return present;
  }
  return GetFieldDataFrom(record, field, buffer);
}

void TDataSet::SetFieldData(TField& field, const void* buffer) {
  if (!WritableState(state_)) DatabaseError(kSNotEditing, this);
  uint8_t* record = ActiveBuffer();
  if (record == nullptr) DatabaseError(kSNotEditing, this);
  const bool calcState = state_ == dsCalcFields || state_ == dsFilter;
  if (field.Calculated()) {
    // Only OnCalcFields computes calculated fields.
    if (state_ != dsCalcFields || field.calcOffset_ < 0)
      DatabaseError(MessageText(kSFieldReadOnly, {field.DisplayLabel()}), this);
    uint8_t* slot = record + CalcFieldsOffset() + field.calcOffset_;
    slot[0] = buffer != nullptr ? 1 : 0;
    if (buffer != nullptr) std::memcpy(slot + 1, buffer, field.DataSize());
    return;
  }
  if (calcState) {
    SetFieldDataIn(record, field, buffer);
    return;
  }
  if (field.ReadOnly() && state_ != dsSetKey)
    DatabaseError(MessageText(kSFieldReadOnly, {field.DisplayLabel()}), this);
  // OnValidate sees the new value in the field and may refuse it; the old
  // value is then put back.
  std::vector<uint8_t> old(static_cast<size_t>(std::max(field.DataSize(), 1)));
  const bool hadValue = field.OnValidate ? GetFieldDataFrom(record, field, old.data()) : false;
  SetFieldDataIn(record, field, buffer);
  if (field.OnValidate) {
    try {
      field.OnValidate(field);
    } catch (...) {
      SetFieldDataIn(record, field, hadValue ? old.data() : nullptr);
      throw;
    }
  }
  if (state_ == dsEdit || state_ == dsInsert) modified_ = true;
  field.Changed();
  if (state_ == dsEdit || state_ == dsInsert) {
    if (calcFieldsSize_ > 0 && OnCalcFields) CalculateFields(record);
    DataEvent(deFieldChange, reinterpret_cast<intptr_t>(&field));
  }
}

void TDataSet::BlobModified(TField& field) {
  if (state_ == dsEdit || state_ == dsInsert) modified_ = true;
  field.Changed();
  DataEvent(deFieldChange, reinterpret_cast<intptr_t>(&field));
}

void TDataSet::CalculateFields(uint8_t* buffer) {
  if (calcFieldsSize_ == 0) return;
  for (int i = 0; i < fields_.Count(); ++i)
    if (fields_[i].calcOffset_ >= 0) buffer[CalcFieldsOffset() + fields_[i].calcOffset_] = 0;
  if (!OnCalcFields) return;
  const TDataSetState old = SetTempState(dsCalcFields, buffer);
  TTempState restore(*this, old, &TDataSet::RestoreState);
  OnCalcFields(*this);
}

bool TDataSet::RecordFilterAccepts(uint8_t* buffer) {
  if (!OnFilterRecord) return true;
  const TDataSetState old = SetTempState(dsFilter, buffer);
  TTempState restore(*this, old, &TDataSet::RestoreState);
  bool accept = true;
  try {
    OnFilterRecord(*this, accept);
  } catch (const std::exception& error) {
    // A faulty handler must not make records vanish unseen: the error is
    // reported and the record stays.
    HandleException(error);
    accept = true;
  }
  return accept;
}

void TDataSet::SetFilter(const std::string& text) {
  if (text == filterText_) return;
  filterText_ = text;
  if (Active() && filtered_) {
    CheckBrowseMode();
    FilterChanged();
    First();
  }
}

void TDataSet::SetFiltered(bool filtered) {
  if (filtered == filtered_) return;
  if (Active()) CheckBrowseMode();
  filtered_ = filtered;
  if (Active()) {
    FilterChanged();
    First();
  }
}

void TDataSet::SetFilterOptions(const TFilterOptions& options) {
  filterOptions_ = options;
  if (Active() && filtered_) {
    CheckBrowseMode();
    FilterChanged();
    First();
  }
}

}  // namespace dvx
