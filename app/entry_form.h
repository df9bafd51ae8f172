#pragma once
// The small form that takes a list's text view's place while an entry is
// added or deleted: a label before the name input, three read-only
// explanation memos of which one is shown at a time, and five buttons.
//
//   memo     shown while
//   Ask      the form asks for a new name
//   Stored   the new entry has been stored ("Weiter" leads to its text)
//   Delete   the form deletes the list's current entry
//
// The input is bound to the list's name field like the list itself, so it
// shows the current record's name, or the name being typed for a new one.
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/data_controls/db_edit.h"

namespace fendra {

// Object names and texts of one tab's form.
struct TEntryFormDesign {
  const char* Label;
  const char* Input;
  const char* AskMemo;
  const char* StoredMemo;
  const char* DeleteMemo;
  const char* NewButton;
  const char* StoreButton;
  const char* CancelButton;
  const char* DeleteButton;
  const char* GoButton;
  QString AskText;
  QString StoredText;
};

struct TEntryForm {
  QFrame* Panel = nullptr;
  QLabel* Label = nullptr;
  TDBEdit* Input = nullptr;
  QPlainTextEdit* AskMemo = nullptr;
  QPlainTextEdit* StoredMemo = nullptr;
  QPlainTextEdit* DeleteMemo = nullptr;
  QPushButton* New = nullptr;
  QPushButton* Store = nullptr;
  QPushButton* Cancel = nullptr;
  QPushButton* Delete = nullptr;
  QPushButton* Go = nullptr;
};

// The designs of the A-to-Z, emergency and materia medica forms.
const TEntryFormDesign& AtoZEntryFormDesign();
const TEntryFormDesign& EmergencyEntryFormDesign();
const TEntryFormDesign& RemedyEntryFormDesign();

// Fills `panel`, which has no layout yet, with the form's controls. The
// input starts disabled: it takes a name only once the form asks for one.
TEntryForm BuildEntryForm(QFrame* panel, const TEntryFormDesign& design);

}  // namespace fendra
