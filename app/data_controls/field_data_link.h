#pragma once
// TFieldDataLink: the link of a control that shows one field of the active
// record (an edit, a label, a rich text, a picture). It finds its field by
// name whenever the dataset opens or its fields change, and turns the link
// calls into four plain callbacks the control sets:
//
//   OnDataChange     the field's value may differ: show it again
//   OnEditingChange  edit or insert began or ended: the control may become
//                    writable or read-only
//   OnUpdateData     write the control's pending change into the field
//   OnActiveChange   the dataset opened or closed, or the field changed
//
// Pending changes: the control calls Modified() when the user changed what
// it shows; UpdateData (before a post) and CheckBrowseMode (before the
// dataset leaves its record) then write the change into the field, so a
// post or a move never drops what was typed. Showing the field again
// (OnDataChange) ends a pending change: it is either written or reverted.
#include <functional>
#include <string>

#include "engine/components/data_link.h"

namespace dvx {
class TField;
}

namespace fendra {

class TFieldDataLink : public dvx::TDataLink {
 public:
  const std::string& FieldName() const { return fieldName_; }
  void SetFieldName(std::string name);
  // The field while the dataset is open and has it, else null.
  dvx::TField* Field() const { return field_; }

  // Whether a change typed into the control could be stored: an open
  // dataset that allows changes, a field that is not read-only, a link that
  // is not read-only.
  bool CanModify() const;
  // Puts the dataset into edit state for a change the user is about to
  // make; false when the change cannot be stored (the control drops it).
  bool BeginEdit();
  bool Modified() const { return modified_; }
  void SetModified() { modified_ = true; }
  // Drops the pending change and shows the field's value again.
  void Reset();

  std::function<void()> OnDataChange;
  std::function<void()> OnEditingChange;
  std::function<void()> OnUpdateData;
  std::function<void()> OnActiveChange;

 protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void LayoutChanged() override;
  void RecordChanged(dvx::TField* field) override;
  void UpdateData() override;
  void CheckBrowseMode() override;

 private:
  void UpdateField();
  void WritePending();

  std::string fieldName_;
  dvx::TField* field_ = nullptr;
  bool modified_ = false;
  bool writing_ = false;
};

}  // namespace fendra
