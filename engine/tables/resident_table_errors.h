#pragma once
// Native error codes of the in-memory and temporary databases and their
// table objects. Every raise site has its own code.
#include <cstdint>

namespace dvx {

// In-memory tables.
constexpr int32_t kErrLastAutoincField = 30335;    // "Field #%d not found"
constexpr int32_t kErrSetAutoincField = 10575;     // "Field #%d not found"
constexpr int32_t kErrLoadTableOpen = 10152;       // "Cannot load table '%s'. Table is open by another dataset"
constexpr int32_t kErrSaveTableOpen = 10153;       // "Cannot save table '%s'. Table is open by another dataset"
constexpr int32_t kErrImageTableNotFound = 10154;  // "Table not found, table name = %s"

// Temporary tables (the message table gives these no code; ours sit beside
// the temporary record manager's and the foreign key codes).
constexpr int32_t kErrTemporaryUpdate = 10132;       // "Cannot update record in temporary mode"
constexpr int32_t kErrTemporaryDelete = 10133;       // "Cannot delete record in temporary mode"
constexpr int32_t kErrTemporaryOperation = 10134;    // "Error - operation is not supported"
constexpr int32_t kErrTemporaryForeignKey = 11589;   // "Foreign keys are not supported in temporary tables"

// Cursor results on a table of the temporary database.
constexpr int32_t kResultTemporaryEdit = -9;
constexpr int32_t kResultTemporaryDelete = -10;
constexpr int32_t kResultTemporaryCancel = -11;

}  // namespace dvx
