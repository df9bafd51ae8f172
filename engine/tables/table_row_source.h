#pragma once
// TDVXTableRowSource: a table's record buffer as expressions read it. A
// scan, a CHECK constraint or a foreign key test binds its expression to
// one of these and points it at whatever record it is looking at: the
// scan's scratch buffer, the record about to be stored, a referenced row.
#include <cstdint>

#include "engine/schema/field_def.h"
#include "engine/sql/expr_row_access.h"

namespace dvx {

class TDVXTableRowSource : public TDVXExprCursor {
 public:
  explicit TDVXTableRowSource(const TDVXFieldDefs& fields, const uint8_t* buffer = nullptr)
      : fields_(fields), buffer_(buffer) {}

  const TDVXFieldDefs& RowFieldDefs() const override { return fields_; }
  const uint8_t* RowBuffer() const override { return buffer_; }
  void SetRowBuffer(const uint8_t* buffer) { buffer_ = buffer; }

 private:
  const TDVXFieldDefs& fields_;
  const uint8_t* buffer_;
};

}  // namespace dvx
