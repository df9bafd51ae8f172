#pragma once
// Native error codes of the cursor's table maintenance: repairing a table
// and writing it out as an SQL script.
#include <cstdint>

namespace dvx {

constexpr int32_t kErrRepairNotExclusive = 11165;  // "Error - table '%s' is not opened in exclusive mode"

// Codes of our own where the message table has none.
constexpr int32_t kErrRepairInTransaction = 11167;  // "Cannot perform this operation inside a transaction"
constexpr int32_t kErrRepairCopyRecord = 11168;     // "Error - cannot copy record (PageNo = %d, PageItemNo = %d) ..."

}  // namespace dvx
