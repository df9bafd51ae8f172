#pragma once
// Native error codes of the table objects, cursors, sessions and
// transactions. Every raise site has its own code; several share a message.
#include <cstdint>

namespace dvx {

// Locks around record operations.
constexpr int32_t kErrLockTableInsert = 10533;      // "Error - cannot lock table in '%s' mode, table name = '%s'"
constexpr int32_t kErrUnlockTableInsert = 10534;    // "Error - cannot unlock table in '%s' mode, table name = '%s'"

// Constraints.
constexpr int32_t kErrNotNullFieldMissing = 30024;   // "Field #%d not found"
constexpr int32_t kErrNotNullViolated = 30026;       // "Constraint '%s' violated. Value in field '%s' cannot be null"
constexpr int32_t kErrCheckFieldMissing = 30028;     // "Field #%d not found"
constexpr int32_t kErrCheckBelowMin = 30029;         // "... cannot be lower then '%s'"
constexpr int32_t kErrCheckAboveMax = 30030;         // "... cannot be greater then '%s'"
constexpr int32_t kErrConstraintNotImplemented = 30036;  // "Not implemented yet"
constexpr int32_t kErrUniqueDuplicate = 30320;       // "Constraint unique '%s' violated. Duplicate found."
constexpr int32_t kErrPrimaryDuplicate = 30319;      // "Primary Key constraint '%s' violated. Duplicate found."
constexpr int32_t kErrPrimaryFieldMissing = 30329;   // "Field #%d not found"
constexpr int32_t kErrPrimaryNull = 30330;           // "Constraint '%s' violated. Value in field '%s' cannot be null"

// Tables and cursors.
constexpr int32_t kErrCursorTableNotFound = 10028;          // "Table not found, table name = %s"
constexpr int32_t kErrTableInUse = 10779;             // "Error - table '%s' is in use"
constexpr int32_t kErrCreateTableNoFields = 10025;    // "Error creating table - no fields were specified"
constexpr int32_t kErrDeleteTableOpen = 20017;        // "Cannot delete table '%s'. Table is open by another dataset"
constexpr int32_t kErrLoadRecord = 11466;             // "Error - cannot load record (PageNo = %d, PageItemNo = %d) in table '%s'"

// Transactions.
constexpr int32_t kErrTransactionNotFinished = 10819;  // "Transaction is not finished"
constexpr int32_t kErrRemainingTableLocks = 10824;     // "Cannot start transaction due to remaining table locks in table '%s'"
constexpr int32_t kErrCommitLocked = 10826;            // "Commit operation failed - rollback called. ..."
constexpr int32_t kErrActiveTransaction = 11616;       // "Cannot set active transaction for table '%s'. ..."

// Codes of our own where the message table has none.
constexpr int32_t kErrCursorNotOpen = 30953;           // "Cursor on table '%s' is not open"
constexpr int32_t kErrNoCurrentRecord = 30954;         // "Error - no current record in table '%s'"
constexpr int32_t kErrStartTransactionNoDatabase = 10813;  // "Nil pointer occured"
constexpr int32_t kErrTransactionActive = 10814;           // "Transaction already started in database '%s'"
constexpr int32_t kErrCommitNoDatabase = 10815;            // "Nil pointer occured"
constexpr int32_t kErrCommitNoTransaction = 10816;         // "Transaction is not started in database '%s'"
constexpr int32_t kErrRollbackNoDatabase = 10817;          // "Nil pointer occured"
constexpr int32_t kErrRollbackNoTransaction = 10818;       // "Transaction is not started in database '%s'"
constexpr int32_t kErrTableDefinitionMismatch = 30957; // "Error - table '%s' has no index with ID = %d"
constexpr int32_t kErrDatabaseNotOpen = 30958;         // "Database file '%s' is not open"
constexpr int32_t kErrNoCurrentIndex = 30959;          // "Error - no current index in table '%s'"
constexpr int32_t kErrLockRecordForEdit = 30961;       // "Error editing record - cannot lock record in '%s' mode. ..."
constexpr int32_t kErrUnlockRecordForEdit = 30962;     // "Error editing or deleting record - cannot unlock record in '%s' mode. ..."
constexpr int32_t kErrInvalidKeyFieldCount = 30960;    // "Error - invalid key field count = %d, index '%s' has %d fields"
constexpr int32_t kErrInvalidScanCondition = 30970;    // "Invalid scan condition #%d for table '%s'"
constexpr int32_t kErrScanRowSource = 30971;           // "Scan expression of table '%s' is bound to another record layout"
constexpr int32_t kErrUpdateAllField = 30972;          // "Cannot find field %s in table %s"
constexpr int32_t kErrUpdateAllItemCount = 30973;      // "Invalid item number - ItemNo = %d, ItemCount = %d"
constexpr int32_t kErrStaleBlobReference = 30987;      // "Error updating record - field '%s' of the record ... changed since it was read"

}  // namespace dvx
