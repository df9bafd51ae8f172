#pragma once
// The application object and its default error handling: an error that
// escapes a handler is shown with its text in a message box, and the window
// stays usable.
#include <QApplication>
#include <functional>

namespace fendra {

class TFendraApplication : public QApplication {
  Q_OBJECT
 public:
  TFendraApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  // Shows an error text the way the application shows every error.
  void ShowError(const QString& text);

  // Replaces the message box, so tests can see what would be shown.
  void SetErrorPresenterForTesting(std::function<void(const QString&)> presenter);

 private:
  std::function<void(const QString&)> presenter_;
};

// The window's look: style, palette and style sheet.
void ApplyFendraLook(QApplication& app);

}  // namespace fendra
