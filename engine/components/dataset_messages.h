#pragma once
// The dataset framework's own texts. They are raised as EDatabaseError with
// the dataset (or the field's dataset) as the failing component; the %s and
// %d placeholders are filled with FormatMessage.
#include <string>

#include "engine/core/message_format.h"

namespace dvx {

// States.
inline constexpr const char* kSDataSetClosed = "Dataset is not opened";
inline constexpr const char* kSDataSetOpen = "Cannot perform this operation on an open dataset";
inline constexpr const char* kSNotEditing = "Dataset not in edit or insert mode";
inline constexpr const char* kSDataSetReadOnly = "Cannot modify a read-only dataset";
inline constexpr const char* kSDataSetEmpty = "Cannot perform this operation on an empty dataset";

// Records.
inline constexpr const char* kSRecordNotFound = "Record not found";
inline constexpr const char* kSRecordChanged = "Record not found or changed by another user";
inline constexpr const char* kSOperationAborted = "Operation aborted";

// Fields and definitions.
inline constexpr const char* kSFieldNotFound = "Field '%s' not found";
inline constexpr const char* kSFieldReadOnly = "Field '%s' cannot be modified";
inline constexpr const char* kSDuplicateFieldName = "Duplicate field name '%s'";
inline constexpr const char* kSDuplicateIndexName = "Duplicate index name '%s'";
inline constexpr const char* kSFieldRequired = "Field '%s' must have a value";
inline constexpr const char* kSUnknownDataType = "Unknown DataType: '%s'";
inline constexpr const char* kSKeyValueCount = "Field list '%s' has %d fields but %d values were given";

// Conversions. "%s" is the value as text, then the field's name.
inline constexpr const char* kSInvalidValue = "'%s' is not a valid value for field '%s'";
inline constexpr const char* kSInvalidKindValue = "'%s' is not a valid %s value for field '%s'";
inline constexpr const char* kSFieldRange = "%s is not a valid value for field '%s'. The allowed range is %s to %s";
inline constexpr const char* kSFieldTooLong = "'%s' is too long for field '%s' (at most %d characters)";
inline constexpr const char* kSBytesTooLong = "%d bytes are too many for field '%s' (at most %d)";
inline constexpr const char* kSFieldAccess = "Cannot access field '%s' as type %s";

// The message with its arguments; the format itself when they do not fit
// (a programming error, but never a reason to lose the report).
inline std::string MessageText(const char* format, TDVXFormatArgs args) {
  return FormatMessage(format, args).value_or(format);
}

}  // namespace dvx
