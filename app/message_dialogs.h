#pragma once
// The application's own German messages in the standard message dialog:
// a warning with OK, a confirmation with Ja and Nein, and the question
// before closing with Ja, Nein and Abbrechen. Each runs modally; tests
// answer them by finding the active modal widget.
#include <QMessageBox>
#include <QString>

class QWidget;

namespace fendra {

void ShowWarning(QWidget* parent, const QString& text);
// True when the user answered Ja; Nein, Escape and closing the box say no.
bool ConfirmYesNo(QWidget* parent, const QString& text);
// Ja: QMessageBox::Yes, Nein: QMessageBox::No, Abbrechen (or Escape):
// QMessageBox::Cancel.
QMessageBox::StandardButton AskYesNoCancel(QWidget* parent, const QString& text);

// Shows an error the way the application shows every error that escapes a
// handler.
void ShowApplicationError(const QString& text);

}  // namespace fendra
