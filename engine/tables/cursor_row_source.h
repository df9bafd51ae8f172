#pragma once
// TDVXCursorRowSource: a cursor's record as its filter, condition and
// locate expressions read it. Fields are found under their own names and
// under the names a projection gave them; BLOB fields are read whole
// through the table's BLOB values.
#include <cstdint>
#include <string_view>

#include "engine/sql/expr_row_access.h"

namespace dvx {

class TDVXLocalCursor;

class TDVXCursorRowSource : public TDVXExprCursor {
 public:
  explicit TDVXCursorRowSource(TDVXLocalCursor& cursor) : cursor_(cursor) {}

  const TDVXFieldDefs& RowFieldDefs() const override;
  const uint8_t* RowBuffer() const override;
  int FindSecondaryFieldName(std::string_view name) const override;
  void ReadBlobFieldValue(int fieldNo, const uint8_t* buffer, TDVXVariant& value) const override;

 private:
  TDVXLocalCursor& cursor_;
};

// The whole BLOB value of table field `fieldNo` of a record image of the
// cursor's table, followed by one zero byte (two for WIDEMEMO); NULL for
// a NULL field.
void ReadWholeBlob(TDVXLocalCursor& cursor, int fieldNo, const uint8_t* record, TDVXVariant& value);

}  // namespace dvx
