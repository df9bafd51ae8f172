#include "engine/sql/expr_row_access.h"

#include <string>

#include "engine/core/exception.h"
#include "engine/sql/sql_errors.h"

namespace dvx {

void TDVXExprCursor::ReadBlobFieldValue(int fieldNo, const uint8_t*, TDVXVariant&) const {
  const TDVXFieldDefs& defs = RowFieldDefs();
  std::string name = fieldNo >= 0 && fieldNo < defs.Count() ? defs.Items(fieldNo)->ObjectName() : std::to_string(fieldNo);
  throw EDVXException(kErrBlobFieldUnreadable, "BLOB field '%s' cannot be read by this cursor", {name});
}

}  // namespace dvx
