#pragma once
// TEntryEditor: what one tab's entry form does to its table, apart from
// which panels the window shows around it.
//
//   BeginNew   a new record is inserted and the input takes its name; the
//              list's grid, search line and navigator are disabled while
//              the insert is pending, so no positioning can post a
//              half-filled record
//   Store      posts the new record; a refused post (a duplicate name, a
//              lock) shows the table's error and leaves the insert pending,
//              so the name can be corrected or the insert cancelled
//   Cancel     drops the pending insert (or edit) and enables the list
//   Delete     deletes the list's current record after a Ja/Nein question
//              naming it; a pending insert is dropped first and a pending
//              edit stored first, so the record named is the one stored;
//              the table then stands on a neighbour
//
// The form's buttons and memos are the window's to switch; the editor only
// enables the input and the list.
#include <QPointer>
#include <QString>
#include <string>
#include <vector>

#include "app/entry_form.h"

namespace dvx {
class TDVXTable;
}

namespace fendra {

class TEntryEditor {
 public:
  // `nameField` is the engine name of the field the input edits; the list
  // controls are found by object name under `window`.
  TEntryEditor(QWidget* window, TEntryForm& form, dvx::TDVXTable& table, std::string nameField,
               std::vector<const char*> listControls);

  bool Inserting() const;
  void BeginNew();
  // True when the record was stored.
  bool Store();
  void Cancel();
  // True when a record was deleted.
  bool DeleteCurrent();

  // The list controls as they were before an insert disabled them.
  void SetListLocked(bool locked);
  bool ListLocked() const { return locked_; }

 private:
  QString CurrentName() const;

  QWidget* window_;
  TEntryForm& form_;
  dvx::TDVXTable& table_;
  std::string nameField_;
  std::vector<const char*> listControls_;
  // The controls disabled by the lock, to be enabled again by the unlock;
  // those already disabled stay as they were.
  std::vector<QPointer<QWidget>> disabled_;
  bool locked_ = false;
};

}  // namespace fendra
