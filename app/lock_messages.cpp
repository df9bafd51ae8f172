#include "app/lock_messages.h"

#include <QRegularExpression>

namespace fendra {

bool IsLockFailure(const QString& engineText) {
  // "Error editing record - cannot lock record in 'U' mode ...", "Canot
  // lock record - already locked ...", "Error - cannot lock table in '%s'
  // mode ...", "Error - cannot lock FreeSpaceManager ..." (the engine's own
  // spelling included).
  static const QRegularExpression lock(QStringLiteral("\\bcann?ot lock (record|table|FreeSpaceManager)\\b"),
                                       QRegularExpression::CaseInsensitiveOption);
  return lock.match(engineText).hasMatch();
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
