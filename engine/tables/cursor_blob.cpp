// The cursor's BLOB streams: opening one on a field of the current buffer,
// and closing them, which makes a writer's content the field's pending
// value. The cursor keeps every stream it handed out until it closes it,
// so none outlives the buffer it belongs to (local_blob_stream.h).
#include <algorithm>

#include "engine/core/exception.h"
#include "engine/schema/field_def.h"
#include "engine/tables/cursor_blob_errors.h"
#include "engine/tables/local_blob_stream.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_data.h"
#include "engine/values/base_field_type.h"

namespace dvx {

std::shared_ptr<TDVXLocalBLOBStream> TDVXLocalCursor::OpenBLOB(int mode, int fieldNo) {
  TDVXTableData& table = Table();
  const TDVXFieldDefs& fields = table.Fields();
  if (fieldNo < 0 || fieldNo >= fields.Count())
    throw EDVXException(kErrOpenBlobFieldNo, "Invalid field number - FieldNo = %d, FieldCount = %d",
                        {fieldNo, fields.Count()});
  const TDVXFieldDef& field = *fields.Items(fieldNo);
  if (!IsBlobType(field.BaseFieldType()))
    throw EDVXException(kErrOpenBlobNotBlob, "Field is not a BLOB field. FieldNo = %d, FieldName = %s",
                        {fieldNo, field.ObjectName()});
  if (mode != kBlobModeWrite && mode != kBlobModeRead && mode != kBlobModeReadWrite)
    throw EDVXException(kErrOpenBlobMode, "Invalid BLOB stream mode = %d", {mode});
  if (mode != kBlobModeRead)
    for (const auto& open : blobStreams_)
      if (open->FieldNo() == fieldNo && open->Writer())
        throw EDVXException(kErrBlobFieldAlreadyOpen, "BLOB field already opened. FieldNo = %d, FieldName = %s",
                            {fieldNo, field.ObjectName()});
  auto stream = std::make_shared<TDVXLocalBLOBStream>(fieldNo, mode, table.OpenBLOB(*this, fieldNo, mode));
  blobStreams_.push_back(stream);
  return stream;
}

void TDVXLocalCursor::CloseBLOB(int fieldNo) {
  TDVXTableData& table = Table();
  if (fieldNo < 0 || fieldNo >= table.Fields().Count())
    throw EDVXException(kErrCloseBlobFieldNo, "Invalid field number - FieldNo = %d, FieldCount = %d",
                        {fieldNo, table.Fields().Count()});
  // The writer's content is stored before any stream goes: a failed store
  // leaves every stream of the field open.
  for (const auto& open : blobStreams_)
    if (open->FieldNo() == fieldNo && open->Writer()) table.StoreBLOB(*this, fieldNo, open->Value());
  auto it = std::stable_partition(blobStreams_.begin(), blobStreams_.end(),
                                  [&](const auto& open) { return open->FieldNo() != fieldNo; });
  for (auto at = it; at != blobStreams_.end(); ++at) (*at)->Invalidate();
  blobStreams_.erase(it, blobStreams_.end());
}

void TDVXLocalCursor::CloseAllBLOBs(bool onlyWriters) { DropBLOBStreams(onlyWriters, true); }

void TDVXLocalCursor::DropBLOBStreams(bool onlyWriters, bool store) {
  if (store && table_)
    for (const auto& open : blobStreams_)
      if (open->Writer()) table_->StoreBLOB(*this, open->FieldNo(), open->Value());
  auto it = std::stable_partition(blobStreams_.begin(), blobStreams_.end(),
                                  [&](const auto& open) { return onlyWriters && !open->Writer(); });
  for (auto at = it; at != blobStreams_.end(); ++at) (*at)->Invalidate();
  blobStreams_.erase(it, blobStreams_.end());
}

}  // namespace dvx
