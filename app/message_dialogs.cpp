#include "app/message_dialogs.h"

#include <QAbstractButton>
#include <QCoreApplication>

#include "app/fendra_application.h"

namespace fendra {

namespace {

QMessageBox::StandardButton Run(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                QMessageBox::StandardButtons buttons, QMessageBox::StandardButton escape) {
  QMessageBox box(icon, QStringLiteral("Fendra"), text, buttons, parent);
  box.setObjectName(QStringLiteral("FendraMessage"));
  // The program carries no translations: the German captions are set here.
  const std::pair<QMessageBox::StandardButton, const char*> captions[] = {
      {QMessageBox::Ok, "OK"}, {QMessageBox::Yes, "Ja"}, {QMessageBox::No, "Nein"},
      {QMessageBox::Cancel, "Abbrechen"}};
  for (const auto& [button, caption] : captions)
    if (QAbstractButton* b = box.button(button)) b->setText(QString::fromUtf8(caption));
  box.setEscapeButton(escape);
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  return clicked ? box.standardButton(clicked) : escape;
}

}  // namespace

void ShowWarning(QWidget* parent, const QString& text) {
  Run(parent, QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool ConfirmYesNo(QWidget* parent, const QString& text) {
  return Run(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
         QMessageBox::Yes;
}

QMessageBox::StandardButton AskYesNoCancel(QWidget* parent, const QString& text) {
  return Run(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
             QMessageBox::Cancel);
}

void ShowApplicationError(const QString& text) {
  if (auto* app = qobject_cast<TFendraApplication*>(QCoreApplication::instance())) {
    app->ShowError(text);
    return;
  }
  QMessageBox::critical(nullptr, QStringLiteral("Fendra"), text);
}

}  // namespace fendra
