#include "app/data_controls/blob_bytes.h"

#include <algorithm>
#include <memory>

#include "engine/components/dataset.h"
#include "engine/components/field.h"
#include "engine/core/stream.h"

namespace fendra {

TBlobRead ReadBlobBytes(dvx::TField& field, qsizetype limit) {
  TBlobRead result;
  if (field.IsNull()) return result;
  std::unique_ptr<dvx::TDVXStream> stream = field.DataSet().CreateBlobStream(field, dvx::bmRead);
  if (stream->Size() > static_cast<uint64_t>(limit)) {
    result.tooLong = true;
    return result;
  }
  result.bytes.resize(static_cast<qsizetype>(stream->Size()));
  qsizetype filled = 0;
  // The size is a promise of the stream, not a guarantee: read until it
  // runs dry, and refuse to grow past the limit.
  for (;;) {
    if (filled == result.bytes.size()) {
      if (filled >= limit) {
        char probe;
        if (stream->Read(&probe, 1) == 0) break;
        result.bytes.clear();
        result.tooLong = true;
        return result;
      }
      result.bytes.resize(std::min<qsizetype>(limit, filled + 65536));
    }
    const size_t got = stream->Read(result.bytes.data() + filled, static_cast<size_t>(result.bytes.size() - filled));
    if (got == 0) break;
    filled += static_cast<qsizetype>(got);
  }
  result.bytes.truncate(filled);
  return result;
}

void WriteBlobBytes(dvx::TField& field, QByteArrayView bytes) {
  if (bytes.isEmpty()) {
    field.Clear();
    return;
  }
  std::unique_ptr<dvx::TDVXStream> stream = field.DataSet().CreateBlobStream(field, dvx::bmWrite);
  stream->WriteBuffer(bytes.data(), static_cast<size_t>(bytes.size()), dvx::kErrStreamWrite);
  // Freeing the stream stores the value and tells the field.
  stream.reset();
}

}  // namespace fendra
