// TDVXDataSet: field values between the record buffers and the fields.
#include <algorithm>
#include <cstring>

#include "engine/components/dataset_errors.h"
#include "engine/components/dvx_dataset.h"
#include "engine/components/field_conversion.h"
#include "engine/core/exception.h"
#include "engine/schema/field_def.h"
#include "engine/schema/record_buffer.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_data.h"

namespace dvx {

bool TDVXDataSet::GetFieldDataFrom(const uint8_t* buffer, const TField& field, void* data) {
  if (!buffer || field.FieldKind() != fkData) return false;
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorField);
  return EngineToHost(cursor.Table().Fields(), TableFieldNo(field), buffer, field.DataType(), field.FieldName(), data);
}

void TDVXDataSet::SetFieldDataIn(uint8_t* buffer, const TField& field, const void* data) {
  if (!buffer || field.FieldKind() != fkData) return;
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorField);
  const int dataSetFieldNo = field.FieldNo() - 1;
  if (State() == dsSetKey &&
      std::find(indexFieldNos_.begin(), indexFieldNos_.end(), dataSetFieldNo) == indexFieldNos_.end()) {
    std::string message = kMsgFieldNotInIndex;
    message.replace(message.find("%s"), 2, field.FieldName());
    Fail(message);
  }
  const TDVXFieldDefs& fields = cursor.Table().Fields();
  const int tableFieldNo = TableFieldNo(field);
  if (IsBlobType(fields.Items(tableFieldNo)->BaseFieldType()) && (State() == dsEdit || State() == dsInsert)) {
    if (data) {
      // A BLOB stream was closed: its value lies in the cursor's buffer,
      // and the record buffer only follows whether it is NULL.
      SetNull(IsNull(tableFieldNo, cursor.Record()), tableFieldNo, buffer);
    } else {
      cursor.SetFieldData(dataSetFieldNo, nullptr);
      SetNull(true, tableFieldNo, buffer);
    }
    return;
  }
  HostToEngine(fields, tableFieldNo, buffer, field.DataType(), field.FieldName(), data);
}

}  // namespace dvx
