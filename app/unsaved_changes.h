#pragma once
// Closing the window with changes not stored yet: when any table of the
// data module is in edit or insert state, the user is asked "Änderungen
// speichern?" and
//
//   Ja         every pending change is posted; a post that fails shows its
//              error and keeps the window open, the change still pending
//   Nein       every pending change is dropped and the window closes
//   Abbrechen  nothing changes and the window stays open
//
// Without pending changes the window closes without a question.
class QWidget;

namespace fendra {

class TDataModule;

// Whether any table is being edited or inserted into.
bool HasPendingChanges(const TDataModule& data);
// True when the window may close.
bool SettlePendingChanges(QWidget* window, TDataModule& data);

}  // namespace fendra
