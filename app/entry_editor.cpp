#include "app/entry_editor.h"

#include <exception>

#include "app/message_dialogs.h"
#include "engine/components/dataset_types.h"
#include "engine/components/field.h"
#include "engine/components/table.h"

namespace fendra {

TEntryEditor::TEntryEditor(QWidget* window, TEntryForm& form, dvx::TDVXTable& table, std::string nameField,
                           std::vector<const char*> listControls)
    : window_(window),
      form_(form),
      table_(table),
      nameField_(std::move(nameField)),
      listControls_(std::move(listControls)) {}

bool TEntryEditor::Inserting() const { return table_.State() == dvx::dsInsert; }

void TEntryEditor::BeginNew() {
  if (!Inserting()) table_.Insert();
  SetListLocked(true);
  form_.Input->setEnabled(true);
  form_.Input->setFocus(Qt::OtherFocusReason);
}

bool TEntryEditor::Store() {
  // The typed name reaches the field before the post; an empty one is no
  // name at all.
  if (Inserting()) table_.UpdateRecord();
  if (form_.Input->text().trimmed().isEmpty()) {
    ShowWarning(window_, QStringLiteral("Sie müssen eine Indikation eintippen!"));
    form_.Input->setFocus(Qt::OtherFocusReason);
    return false;
  }
  if (table_.State() == dvx::dsEdit || Inserting()) {
    try {
      table_.Post();
    } catch (const std::exception& e) {
      // The record stays as typed, still being inserted.
      ShowApplicationError(QString::fromUtf8(e.what()));
      form_.Input->setFocus(Qt::OtherFocusReason);
      return false;
    }
  }
  table_.Refresh();
  SetListLocked(false);
  form_.Input->setEnabled(false);
  return true;
}

void TEntryEditor::Cancel() {
  table_.Cancel();
  SetListLocked(false);
  form_.Input->setEnabled(false);
}

QString TEntryEditor::CurrentName() const {
  return QString::fromStdString(table_.FieldByName(nameField_).AsString()).trimmed();
}

bool TEntryEditor::DeleteCurrent() {
  if (Inserting()) Cancel();
  // A pending change of the current record (its text, or its name in
  // another control) is stored first, as moving on would store it: the
  // question then names the record as it is stored.
  if (table_.State() == dvx::dsEdit) {
    try {
      table_.CheckBrowseMode();
    } catch (const std::exception& e) {
      ShowApplicationError(QString::fromUtf8(e.what()));
      return false;
    }
  }
  if (table_.IsEmpty()) {
    ShowWarning(window_, QStringLiteral("Die Liste enthält keinen Eintrag, der gelöscht werden könnte."));
    return false;
  }
  const QString name = CurrentName();
  if (!ConfirmYesNo(window_, QStringLiteral("Soll der Eintrag „%1“ gelöscht werden?").arg(name))) return false;
  try {
    table_.Delete();
  } catch (const std::exception& e) {
    ShowApplicationError(QString::fromUtf8(e.what()));
    return false;
  }
  return true;
}

void TEntryEditor::SetListLocked(bool locked) {
  if (locked == locked_) return;
  locked_ = locked;
  if (locked) {
    for (const char* name : listControls_) {
      QWidget* control = window_->findChild<QWidget*>(QString::fromLatin1(name));
      if (control == nullptr || !control->isEnabled()) continue;
      control->setEnabled(false);
      disabled_.emplace_back(control);
    }
  } else {
    for (const QPointer<QWidget>& control : disabled_)
      if (control) control->setEnabled(true);
    disabled_.clear();
  }
}

}  // namespace fendra
