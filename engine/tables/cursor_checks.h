#pragma once
// The checks the cursor's table life-cycle operations make of the session
// before they reach the table: the table exists, no transaction is open,
// the cursor was made for exclusive use. Each raises under the caller's
// code.
#include <cstdint>
#include <string>

#include "engine/core/exception.h"
#include "engine/tables/database_data.h"
#include "engine/tables/local_session.h"

namespace dvx {

inline void RequireTable(TDVXLocalSession& session, const std::string& tableName, int32_t code) {
  if (!session.Database().TableExists(tableName))
    throw EDVXException(code, "Table not found, table name = %s", {tableName});
}

inline void RequireNoTransaction(TDVXLocalSession& session, int32_t code) {
  if (session.InTransaction()) throw EDVXException(code, "Cannot perform this operation inside a transaction");
}

inline void RequireExclusive(bool exclusive, const std::string& tableName, int32_t code) {
  if (!exclusive) throw EDVXException(code, "Error - table '%s' is not opened in exclusive mode", {tableName});
}

}  // namespace dvx
