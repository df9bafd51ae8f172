#include "engine/components/blob_stream.h"

#include "engine/components/dataset_errors.h"
#include "engine/components/dvx_dataset.h"
#include "engine/core/exception.h"
#include "engine/schema/field_def.h"
#include "engine/tables/local_blob_stream.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_data.h"

namespace dvx {

TDVXBlobStream::TDVXBlobStream(TDVXDataSet& dataSet, TField& field, TBlobStreamMode mode)
    : dataSet_(dataSet), field_(field), mode_(mode), fieldNo_(field.FieldNo() - 1) {
  TDVXLocalCursor& cursor = dataSet.CheckHandle(kErrNilCursorBlob);
  const TDVXFieldDef& def = *cursor.Table().Fields().Items(dataSet.TableFieldNo(field));
  wideMemo_ = def.AdvancedFieldType() == aftWideMemo;
  const bool writer = mode != bmRead;
  if (writer) {
    dataSet.CheckWritable();
    if (dataSet.State() != dsEdit && dataSet.State() != dsInsert) dataSet.Fail(kMsgNotEditOrInsert);
  }
  uint8_t* active = dataSet.ActiveBuffer();
  if (!active) return;
  // In browse state the cursor is brought to the active record, whose
  // BLOB references its buffer then holds; in edit and insert state it
  // stands there already, with what earlier streams wrote.
  if (dataSet.State() != dsEdit && dataSet.State() != dsInsert) dataSet.InternalSetToRecord(active);
  const int engineMode = mode == bmRead ? kBlobModeRead : (mode == bmWrite ? kBlobModeWrite : kBlobModeReadWrite);
  stream_ = cursor.OpenBLOB(engineMode, fieldNo_);
  if (mode == bmWrite) {
    stream_->SetSize(0);
    modified_ = true;
  }
}

TDVXBlobStream::~TDVXBlobStream() {
  if (!stream_) return;
  TDVXLocalCursor* cursor = dataSet_.Handle();
  const bool open = stream_->IsOpen();
  stream_.reset();
  if (!cursor || !open) return;
  try {
    cursor->CloseBLOB(fieldNo_);
    if (modified_) {
      // The framework marks the record modified and tells the field and
      // the controls; the dataset's hook takes the NULL flag from the
      // cursor's buffer.
      const uint8_t marker = 1;
      dataSet_.SetFieldData(field_, &marker);
    }
  } catch (const std::exception& e) {
    dataSet_.HandleException(e);
  }
}

size_t TDVXBlobStream::Read(void* buffer, size_t count) { return stream_ ? stream_->Read(buffer, count) : 0; }

size_t TDVXBlobStream::Write(const void* buffer, size_t count) {
  if (!stream_) throw EDVXException(kErrNilCursorBlob, kMsgNilPointer);
  const size_t written = stream_->Write(buffer, count);
  if (written > 0) modified_ = true;
  return written;
}

uint64_t TDVXBlobStream::Position() const { return stream_ ? stream_->Position() : 0; }

void TDVXBlobStream::SetPosition(uint64_t position) {
  if (stream_) stream_->SetPosition(position);
}

uint64_t TDVXBlobStream::Size() const { return stream_ ? stream_->Size() : 0; }

void TDVXBlobStream::SetSize(uint64_t size) {
  if (!stream_) throw EDVXException(kErrNilCursorBlob, kMsgNilPointer);
  stream_->SetSize(size);
  modified_ = true;
}

}  // namespace dvx

namespace dvx {

std::unique_ptr<TDVXStream> TDVXDataSet::CreateBlobStream(TField& field, TBlobStreamMode mode) {
  CheckActive();
  return std::make_unique<TDVXBlobStream>(*this, field, mode);
}

}  // namespace dvx
