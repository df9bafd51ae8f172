#include "app/data_controls/data_control_errors.h"

#include <QCoreApplication>
#include <QDebug>

#include "app/fendra_application.h"

namespace fendra {

void ReportDataControlError(const std::exception& error) {
  const QString text = QString::fromUtf8(error.what());
  if (auto* app = qobject_cast<TFendraApplication*>(QCoreApplication::instance()))
    app->ShowError(text);
  else
    qWarning().noquote() << text;
}

}  // namespace fendra
