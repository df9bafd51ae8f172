#include "app/data_controls/field_data_link.h"

#include "engine/components/dataset.h"
#include "engine/components/field.h"

namespace fendra {

void TFieldDataLink::SetFieldName(std::string name) {
  if (name == fieldName_) return;
  fieldName_ = std::move(name);
  UpdateField();
}

bool TFieldDataLink::CanModify() const {
  if (ReadOnly() || field_ == nullptr || field_->ReadOnly() || field_->Calculated()) return false;
  dvx::TDataSet* dataSet = DataSet();
  return Active() && dataSet != nullptr && dataSet->CanModify();
}

bool TFieldDataLink::BeginEdit() {
  if (!CanModify()) return false;
  return Edit();
}

void TFieldDataLink::Reset() {
  modified_ = false;
  if (OnDataChange) OnDataChange();
}

void TFieldDataLink::UpdateField() {
  dvx::TDataSet* dataSet = DataSet();
  dvx::TField* found = (Active() && dataSet != nullptr && !fieldName_.empty()) ? dataSet->FindField(fieldName_) : nullptr;
  field_ = found;
  modified_ = false;
  if (OnActiveChange) OnActiveChange();
  if (OnDataChange) OnDataChange();
}

void TFieldDataLink::ActiveChanged() { UpdateField(); }

void TFieldDataLink::LayoutChanged() { UpdateField(); }

void TFieldDataLink::EditingChanged() {
  if (OnEditingChange) OnEditingChange();
}

void TFieldDataLink::RecordChanged(dvx::TField* field) {
  // While the control writes its own change, the field's notification
  // brings nothing new to show (and re-reading would move a caret).
  if (writing_) return;
  if (field != nullptr && field != field_) return;
  modified_ = false;
  if (OnDataChange) OnDataChange();
}

void TFieldDataLink::WritePending() {
  if (!modified_ || field_ == nullptr || !OnUpdateData) return;
  writing_ = true;
  try {
    OnUpdateData();
  } catch (...) {
    // The change stays pending so the user can correct it.
    writing_ = false;
    throw;
  }
  writing_ = false;
  modified_ = false;
}

void TFieldDataLink::UpdateData() { WritePending(); }

void TFieldDataLink::CheckBrowseMode() { WritePending(); }

}  // namespace fendra
