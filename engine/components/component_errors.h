#pragma once
// The messages of the database and session components, and which form
// each takes.
//
// State errors of a component (what a program can put right by changing
// the component: its name, its session, whether it is open) are the
// dataset framework's EDatabaseError, raised for the component. Failures of
// the engine itself carry a native code and are EDVXException. Errors that
// come from the engine handle (a missing file, a locked file, a wrong
// password) pass through unchanged.
#include <cstdint>
#include <string>

#include "engine/core/message_format.h"

namespace dvx {

class TComponent;

// --- EDatabaseError ---
constexpr const char* kMsgDatabaseNameMissing = "Database name missing";
constexpr const char* kMsgInvalidSessionName = "Invalid session name '%s'";
constexpr const char* kMsgDatabaseIsOpen = "Cannot perform this operation on an open database";
constexpr const char* kMsgDatabaseNotOpened = "Database is not opened";
constexpr const char* kMsgCannotOpenDatabase = "Cannot open database '%s'";
constexpr const char* kMsgSessionActive = "Cannot perform this operation on an active session";
constexpr const char* kMsgSessionNameMissing = "Session name missing";
constexpr const char* kMsgDuplicateSessionName = "Duplicate session name '%s'";
constexpr const char* kMsgAutoSessionNameMany =
    "Cannot enable AutoSessionName property with more than one session on a form or data-module";
constexpr const char* kMsgAutoSessionNameAdd =
    "Cannot add a session to the form or data-module while session '%s' has AutoSessionName enabled";
constexpr const char* kMsgAutoSessionNameModify = "Cannot modify SessionName while AutoSessionName is enabled";

// --- EDVXException (codes of our own) ---
constexpr int32_t kErrDatabaseOpen = 31240;          // "Database open error"
constexpr int32_t kErrInvalidKeySize = 31241;        // "Error setting Key, invalid KeySize = %d. KeySize should be >= 0 and < %d"
constexpr int32_t kErrEngineNotInitialized = 31242;  // "Database Engine is not initialized"

// The format filled with its arguments; the format itself followed by
// " Arguments are invalid!" when they do not fit, as the engine does.
std::string FormatComponentMessage(const char* format, TDVXFormatArgs args);

// Raises the dataset's "Cannot open database '%s'" for a database it did
// not obtain; the engine's reason, when there is one, follows after " - ".
[[noreturn]] void CannotOpenDatabaseError(const std::string& databaseName, const std::string& reason,
                                          const TComponent* dataset);

}  // namespace dvx
