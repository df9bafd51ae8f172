#include "engine/tables/local_blob_stream.h"

#include "engine/core/exception.h"
#include "engine/tables/cursor_blob_errors.h"

namespace dvx {

TDVXLocalBLOBStream::TDVXLocalBLOBStream(int fieldNo, int mode, std::unique_ptr<TDVXBlobValueStream> value)
    : fieldNo_(fieldNo), mode_(mode), value_(std::move(value)) {}

TDVXBlobValueStream& TDVXLocalBLOBStream::Value() const {
  if (!value_) throw EDVXException(kErrBlobStreamClosed, "BLOB stream of field #%d is closed", {fieldNo_});
  return *value_;
}

size_t TDVXLocalBLOBStream::Read(void* buffer, size_t count) { return Value().Read(buffer, count); }

size_t TDVXLocalBLOBStream::Write(const void* buffer, size_t count) {
  TDVXBlobValueStream& value = Value();
  if (!Writer()) throw EDVXException(kErrBlobReadOnlyWrite, "Cannot write to read only stream");
  return value.Write(buffer, count);
}

uint64_t TDVXLocalBLOBStream::Position() const { return Value().Position(); }

void TDVXLocalBLOBStream::SetPosition(uint64_t position) { Value().SetPosition(position); }

uint64_t TDVXLocalBLOBStream::Size() const { return Value().Size(); }

void TDVXLocalBLOBStream::SetSize(uint64_t size) {
  TDVXBlobValueStream& value = Value();
  if (!Writer()) throw EDVXException(kErrBlobReadOnlySetSize, "Cannot write to read only stream");
  value.SetSize(size);
}

}  // namespace dvx
