#include "app/lock_messages.h"

#include <QStringList>

namespace fendra {

bool IsLockFailure(const QString& engineText) {
  // "Error editing record - cannot lock record in 'U' mode ...", "Canot
  // lock record - already locked ..." (the engine's own spelling), "Error -
  // cannot lock table in '%s' mode ...", "Error - cannot lock
  // FreeSpaceManager ...".
  static const QStringList kLockFailures{
      QStringLiteral("cannot lock record"), QStringLiteral("canot lock record"),
      QStringLiteral("cannot lock table"), QStringLiteral("cannot lock FreeSpaceManager")};
  for (const QString& failure : kLockFailures)
    if (engineText.contains(failure, Qt::CaseInsensitive)) return true;
  return false;
}

QString UserErrorText(const QString& engineText) {
  if (!IsLockFailure(engineText)) return engineText;
  return QStringLiteral(
             "Der Eintrag ist gerade in einem anderen Programm in Bearbeitung und gesperrt. Auch nach mehreren "
             "Versuchen wurde die Sperre nicht aufgehoben; es wurde nichts gespeichert. Versuchen Sie es "
             "später noch einmal.\n\n") +
         engineText;
}

}  // namespace fendra
