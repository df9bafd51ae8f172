#pragma once
// TDVXSQLRecordEvents: what the data-changing statements tell their caller
// around each record they insert, update or delete (the query component
// passes them on to its database component's record events). A
// before-event refuses the change by raising; the statement then fails and,
// being all or nothing, changes nothing. Values are the record's fields in
// table order (old and new values for updates); the table name is the
// engine's.
#include <functional>
#include <string>
#include <vector>

#include "engine/values/variant.h"

namespace dvx {

struct TDVXSQLRecordEvents {
  using TRecordEvent = std::function<void(const std::string& tableName, const std::vector<TDVXVariant>& values)>;
  using TUpdateEvent = std::function<void(const std::string& tableName, const std::vector<TDVXVariant>& oldValues,
                                          const std::vector<TDVXVariant>& newValues)>;
  TRecordEvent beforeInsert, afterInsert, beforeDelete, afterDelete;
  TUpdateEvent beforeUpdate, afterUpdate;
};

}  // namespace dvx
