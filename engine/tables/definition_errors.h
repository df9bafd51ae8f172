#pragma once
// Native error codes of the table definition operations (adding and
// dropping indexes, emptying a table, renaming a field) and of the cursor
// operations that lead to them.
#include <cstdint>

namespace dvx {

constexpr int32_t kErrEmptyTableOpen = 10072;         // "Cannot delete table '%s'. Table is open by another dataset"
constexpr int32_t kErrRenameFieldMissing = 30343;     // "Field '%s' not found"
constexpr int32_t kErrRenameFieldTaken = 30344;       // "Cannot rename field '%s'. Field '%s' already exists"
constexpr int32_t kErrRenameFieldIndexed = 11489;     // "Cannot rename field '%s' in table '%s' - index '%s' includes ..."
constexpr int32_t kErrRenameFieldForeignKey = 11488;  // "... - foreign key '%s' includes this field"

// The cursor's side.
constexpr int32_t kErrCursorCreateTableNil = 10523;            // "Nil pointer occured"
constexpr int32_t kErrCursorEmptyTableNotFound = 10073;        // "Table not found, table name = %s"
constexpr int32_t kErrCursorRenameFieldInTransaction = 11165;  // "Cannot perform this operation inside a transaction"
constexpr int32_t kErrCursorRenameFieldNotFound = 11166;       // "Table not found, table name = %s"
constexpr int32_t kErrCursorAddIndexExists = 20022;            // "Cannot create index '%s'. Index already exists"
constexpr int32_t kErrCursorDeleteIndexMissing = 20021;        // "Cannot delete index '%s'. Index not found"

// Codes of our own where the message table has none.
constexpr int32_t kErrDefinitionInTransaction = 30990;         // "Cannot perform this operation inside a transaction"
constexpr int32_t kErrCursorAddIndexInTransaction = 30991;     // "Cannot perform this operation inside a transaction"
constexpr int32_t kErrCursorDeleteIndexInTransaction = 30992;  // "Cannot perform this operation inside a transaction"
constexpr int32_t kErrCursorDropIndexesInTransaction = 30993;  // "Cannot perform this operation inside a transaction"
constexpr int32_t kErrCursorEmptyTableInTransaction = 30994;   // "Cannot perform this operation inside a transaction"
constexpr int32_t kErrCursorAddIndexNotFound = 30995;          // "Table not found, table name = %s"
constexpr int32_t kErrCursorDeleteIndexNotFound = 30996;       // "Table not found, table name = %s"
constexpr int32_t kErrCursorDropIndexesNotFound = 30997;       // "Table not found, table name = %s"
constexpr int32_t kErrDropIndexMissing = 30998;                // "Cannot find index by ID = %d"
constexpr int32_t kErrDropIndexPrimaryReferenced = 30999;      // "Cannot delete constraint primary key '%s' ..."

}  // namespace dvx
