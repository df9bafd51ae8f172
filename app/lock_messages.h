#pragma once
// The engine's messages are English. A lock that another program holds
// (the record being edited there, its table locked while it writes) is
// what a user of two programs on the same files meets in daily use, so it
// is said in German first, with the engine's message kept below for the
// details. Any other message is shown as it is.
#include <QString>

namespace fendra {

// Whether the engine's message says a lock could not be taken after its
// retries.
bool IsLockFailure(const QString& engineText);
QString UserErrorText(const QString& engineText);

}  // namespace fendra
