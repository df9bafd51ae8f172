#pragma once
// Native error codes of foreign keys: the referenced-row check, the actions
// that follow a change of a referenced row, and the definition operations
// that add, remove and rename them.
#include <cstdint>

namespace dvx {

// Referenced-row check.
constexpr int32_t kErrForeignKeyViolated = 11420;         // "Constraint foreign key '%s' violated in table '%s'"
constexpr int32_t kErrForeignKeyMatchType = 11421;        // "... invalid match type = %d"
constexpr int32_t kErrForeignKeyColumn = 11422;           // "... invalid column specification, column index = %d, ..."

// Actions.
constexpr int32_t kErrForeignKeyRestrictUpdate = 11454;   // "Cannot update record(s) in table '%s' - ..."
constexpr int32_t kErrForeignKeyRestrictDelete = 11455;   // "Cannot delete record(s) in table '%s' - ..."
constexpr int32_t kErrForeignKeyActionInvalid = 11456;    // "Error - invalid foreign key action (%d) in table '%s' ..."
constexpr int32_t kErrForeignKeyActionField = 11458;      // "Invalid foreign key '%s' definition in table '%s' - field ..."
constexpr int32_t kErrForeignKeyActionNoPrimary = 11460;  // "... primary key not found in referenced table '%s'"

// Definition operations.
constexpr int32_t kErrDeleteTableForeignKeys = 11481;     // "Cannot delete table '%s' - foreign key constraint(s) violated"
constexpr int32_t kErrConstraintMissing = 11482;          // "Error - constraint '%s' does not exist in table '%s'"
constexpr int32_t kErrPrimaryKeyReferenced = 11483;       // "Cannot delete constraint primary key '%s' in table '%s' - ..."
constexpr int32_t kErrReferencedTableMissing = 11487;     // "Invalid foreign key '%s' definition in table '%s' - referenced ..."
constexpr int32_t kErrForeignKeyNewColumn = 11587;        // "Cannot create foreign key '%s' - column '%s' does not exist ..."
constexpr int32_t kErrForeignKeyNameTaken = 11588;        // "Cannot create foreign key '%s' in table '%s' - constraint with ..."

// Cursor-level table life cycle.
constexpr int32_t kErrCursorDeleteTableNotFound = 10027;       // "Table not found, table name = %s"
constexpr int32_t kErrCursorDeleteTableInTransaction = 10838;  // "Cannot perform this operation inside a transaction"
constexpr int32_t kErrCursorRenameTableInTransaction = 10839;  // "Cannot perform this operation inside a transaction"
constexpr int32_t kErrCursorRenameTableNotFound = 10151;       // "Table not found, table name = %s"
constexpr int32_t kErrRenameTableOpen = 10150;                 // "Cannot rename table '%s'. Table is open by another dataset"
constexpr int32_t kErrCursorAddForeignKeyNotFound = 11582;     // "Table not found, table name = %s"
constexpr int32_t kErrCursorAddForeignKeyNotExclusive = 11583; // "Error - table '%s' is not opened in exclusive mode"
constexpr int32_t kErrCursorDeleteConstraintNotFound = 11484;  // "Table not found, table name = %s"
constexpr int32_t kErrCursorDeleteConstraintNotExclusive = 11486;  // "Error - table '%s' is not opened in exclusive mode"

// Codes of our own where the message table has none.
constexpr int32_t kErrForeignKeyOpenReferenced = 31020;   // "... cannot open referenced table due to error: %s"
constexpr int32_t kErrForeignKeyNoPrimary = 31021;        // "... primary key not found in referenced table '%s'"
constexpr int32_t kErrForeignKeyPrimaryColumns = 31022;   // "... primary key '%s' has invalid number of columns ..."
constexpr int32_t kErrForeignKeyActionsTooDeep = 31023;   // "Error - foreign key actions nested too deeply in table '%s'"
constexpr int32_t kErrRenameTableUnsupported = 31024;     // "Error - table '%s' of this database cannot be renamed"

}  // namespace dvx
