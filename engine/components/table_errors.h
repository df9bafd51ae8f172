#pragma once
// Messages and native codes of the table component (TDVXTable).
//
// Which form each takes: "Missing TableName property" and "Circular
// datalinks are not allowed" are state errors a program puts right by
// changing the component, so they are the framework's EDatabaseError
// naming the table. Everything else is an EDVXException with a native code
// of its own, one per place, or the engine's own exception passed on.
#include <cstdint>

namespace dvx {

// --- EDatabaseError ---
constexpr const char* kMsgMissingTableName = "Missing TableName property";
constexpr const char* kMsgCircularDataLink = "Circular datalinks are not allowed";

// --- EDVXException ---
constexpr const char* kMsgNoActiveIndex = "No index currently active";
constexpr int32_t kErrNoActiveIndex = 31400;
constexpr const char* kMsgKeyFieldOutOfRange = "Field index out of range";
constexpr int32_t kErrKeyFieldOutOfRange = 31401;
constexpr const char* kMsgCannotAccessIndexField = "Cannot access index field '%s'";
constexpr int32_t kErrCannotAccessIndexField = 31402;
// "Nil pointer occured" (dataset_errors.h) for key operations without a cursor.
constexpr int32_t kErrNilCursorKey = 31403;
constexpr int32_t kErrNilCursorRange = 31404;
constexpr int32_t kErrNilCursorIndex = 31405;

constexpr const char* kMsgDatabaseReadOnly = "Error - database is in read only mode";
constexpr int32_t kErrDatabaseReadOnly = 31410;
constexpr const char* kMsgCannotCreateCursor = "Error - cannot create cursor";
constexpr int32_t kErrCannotCreateCursor = 31411;
constexpr const char* kMsgNotExclusive = "Error - table '%s' is not opened in exclusive mode";
constexpr int32_t kErrAddIndexNotExclusive = 31412;
constexpr int32_t kErrDeleteIndexNotExclusive = 31413;
constexpr const char* kMsgInvalidIndexName = "Invalid index name '%s'";
constexpr int32_t kErrAddIndexInvalidName = 31414;
constexpr int32_t kErrDeleteIndexInvalidName = 31415;
constexpr const char* kMsgCannotFindIndexField = "Cannot find index field '%s'";
constexpr int32_t kErrAddIndexField = 31416;
// A table opened but not a table of the file (another table database).
constexpr int32_t kErrOpenCannotCreateCursor = 31417;

// CreateTable and ImportTable over a stored table of the same name: the
// engine's own message and code (30394).
constexpr const char* kMsgTableExists = "Cannot create table. Table '%s' already exists";

// Import: each followed by a line break.
constexpr const char* kMsgImportCreate = "Error importing table. Cannot create table due to error: %s";
constexpr int32_t kErrImportCreate = 31420;
constexpr const char* kMsgImportCopy = "Error importing table. Cannot copy data due to error: %s";
constexpr int32_t kErrImportCopy = 31421;

// Restructure and repair through a temporary table: the head names the
// operation and the table, one of the steps follows, then " due to
// error: ", a line break, the engine's message and a line break.
constexpr const char* kMsgTableOperationFailed = "Error - %s table '%s' failed. ";
constexpr const char* kMsgStepCreateStructure = "Cannot create structure for new table";
constexpr const char* kMsgStepCreateTemporary = "Cannot create temporary table '%s'";
constexpr const char* kMsgStepOpenTemporary = "Cannot open temporary table '%s'";
constexpr const char* kMsgStepOpenSource = "Cannot open source table";
constexpr const char* kMsgStepCopyData = "Cannot copy data";
constexpr const char* kMsgStepCopyRecords = "Cannot copy records to temporary table";
constexpr const char* kMsgStepCloseTemporary = "Cannot close temporary table";
constexpr const char* kMsgStepRenameTemporary = "Cannot rename temporary table '%s'";
constexpr const char* kMsgStepDeleteTable = "Cannot delete table";
constexpr const char* kMsgStepForeignKeys = "Cannot recreate foreign keys referencing this table";
constexpr const char* kMsgStepDueToError = " due to error: ";
constexpr int32_t kErrRestructure = 31430;

}  // namespace dvx
