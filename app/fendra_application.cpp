#include "app/fendra_application.h"

#include <QMessageBox>
#include <exception>

#include "app/lock_messages.h"

namespace fendra {

TFendraApplication::TFendraApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Fendra"));
}

bool TFendraApplication::notify(QObject* receiver, QEvent* event) {
  // Exceptions must not unwind through Qt's event dispatch; this is the one
  // place every handler's error passes on its way out.
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowError(QString::fromUtf8(e.what()));
  } catch (...) {
    ShowError(QStringLiteral("Unbekannter Fehler"));
  }
  return false;
}

void TFendraApplication::ShowError(const QString& engineText) {
  const QString text = UserErrorText(engineText);
  if (presenter_) {
    presenter_(text);
    return;
  }
  QMessageBox::critical(activeWindow(), QStringLiteral("Fendra"), text);
}

void TFendraApplication::SetErrorPresenterForTesting(std::function<void(const QString&)> presenter) {
  presenter_ = std::move(presenter);
}

}  // namespace fendra
