#include "app/data_controls/db_edit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>

#include "app/data_controls/text_change_keys.h"
#include "engine/components/dataset.h"
#include "engine/components/field.h"

namespace fendra {

TDBEdit::TDBEdit(QWidget* parent, const char* name) : QLineEdit(parent) {
  if (name != nullptr) setObjectName(name);
  link_.OnDataChange = [this] { ShowField(); };
  link_.OnEditingChange = [this] { UpdateAccess(); };
  link_.OnActiveChange = [this] { UpdateAccess(); };
  link_.OnUpdateData = [this] { WriteField(); };
  connect(this, &QLineEdit::textEdited, this, &TDBEdit::TextEdited);
  UpdateAccess();
}

void TDBEdit::SetDataReadOnly(bool readOnly) {
  link_.SetReadOnly(readOnly);
  UpdateAccess();
}

void TDBEdit::UpdateAccess() {
  // Both setters reset the selection, even to the same value.
  const bool readOnly = !link_.CanModify();
  if (readOnly != isReadOnly()) setReadOnly(readOnly);
  dvx::TField* field = link_.Field();
  const bool text = field != nullptr && (field->DataType() == dvx::ftString || field->DataType() == dvx::ftFixedChar ||
                                         field->DataType() == dvx::ftWideString);
  const int length = text && field->Size() > 0 ? field->Size() : 32767;
  if (length != maxLength()) setMaxLength(length);
}

void TDBEdit::ShowField() {
  UpdateAccess();
  dvx::TField* field = link_.Field();
  QString shown;
  if (field != nullptr) {
    // The edit text while the user works in the control, the display text
    // while it only shows the record.
    const bool working = hasFocus() || link_.Editing();
    shown = QString::fromStdString(working ? field->AsString() : field->DisplayText());
  }
  if (shown == text()) return;
  setText(shown);
  if (hasFocus()) setCursorPosition(static_cast<int>(shown.size()));
}

void TDBEdit::WriteField() {
  dvx::TField* field = link_.Field();
  if (field == nullptr) return;
  const QString typed = text();
  field->SetAsString(typed.toStdString());
  // A value the field normalises (a number's blanks, a date's form) is
  // shown as it was stored.
  const QString stored = QString::fromStdString(field->AsString());
  if (stored != typed) setText(stored);
}

void TDBEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && link_.Modified()) {
    link_.Reset();
    selectAll();
    event->accept();
    return;
  }
  if (KeyChangesText(*event, TTextKind::SingleLine) && !isReadOnly()) {
    // Edit state first: entering it re-reads the record, which must not
    // overwrite the key the user is typing.
    if (!link_.BeginEdit()) {
      event->accept();
      return;
    }
  }
  QLineEdit::keyPressEvent(event);
}

void TDBEdit::TextEdited() {
  // A change that did not come through a key (the context menu's paste, a
  // drop, an input method) starts the edit afterwards; the typed text is
  // kept through the re-read that entering edit state causes.
  if (!link_.Editing()) {
    const QString typed = text();
    if (!link_.BeginEdit()) {
      link_.Reset();
      return;
    }
    if (text() != typed) setText(typed);
  }
  link_.SetModified();
}

void TDBEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  if (!link_.Modified()) ShowField();
}

void TDBEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (link_.Modified() && link_.Editing()) link_.UpdateRecord();
  if (!link_.Modified()) ShowField();
}

}  // namespace fendra
