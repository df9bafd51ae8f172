#include "engine/storage/blob_value_stream.h"

#include "engine/core/byte_order.h"
#include "engine/core/exception.h"
#include "engine/schema/blob_slot.h"
#include "engine/storage/record_errors.h"

namespace dvx {

TDVXBlobStreamDescriptor TDVXBlobValueStream::Descriptor(const TDVXFieldDef& field) {
  if (field.BlobBlockSize() == 0)
    throw EDVXException(kErrZeroBlobBlockSize, "Stream block size = 0 is not allowed");
  TDVXBlobStreamDescriptor descriptor;
  descriptor.blockSize = field.BlobBlockSize();
  descriptor.algorithm = field.BlobCompressionAlgorithm();
  descriptor.mode = field.BlobCompressionMode();
  return descriptor;
}

TDVXBlobValueStream::TDVXBlobValueStream(const TDVXFieldDef& field, uint64_t temporaryThreshold)
    : storage_(std::make_unique<TDVXTemporaryStream>(temporaryThreshold)) {
  view_ = std::make_unique<TDVXCompressedBLOBStream>(*storage_, Descriptor(field), true, false);
}

TDVXBlobValueStream::TDVXBlobValueStream(const TDVXFieldDef& field, const TDVXItemHeader& header,
                                         const std::vector<uint8_t>& stored, uint64_t temporaryThreshold)
    : storage_(std::make_unique<TDVXTemporaryStream>(temporaryThreshold)) {
  TDVXBlobStreamDescriptor descriptor = Descriptor(field);
  storage_->WriteBuffer(stored.data(), stored.size(), kErrBlobBlockDataWrite);
  descriptor.blockCount = header.word0;
  descriptor.uncompressedSize = static_cast<int64_t>(header.uncompressedSize);
  if (descriptor.uncompressedSize < 0)
    throw EDVXException(kErrCorruptBlobStream, "Corrupt BLOB stream, block at position %d: %s",
                        {0, std::string("value size beyond 63 bits")});
  view_ = std::make_unique<TDVXCompressedBLOBStream>(*storage_, descriptor, false, false);
}

void TDVXBlobValueStream::StoreInto(int fieldNo, const TDVXFieldDefs& fields, uint8_t* buffer) {
  StoreBlobValue(fieldNo, fields, buffer, view_->PendingHeader(), *storage_);
}

std::unique_ptr<TDVXBlobValueStream> TDVXBlobValueStream::OfPendingSlot(const TDVXFieldDef& field, const uint8_t* slot,
                                                                    uint64_t temporaryThreshold) {
  std::span<const uint8_t> block = PendingBlobBlock(BlobSlotHandle(slot));
  TDVXItemHeader header{GetI32(block.data()), GetU64(block.data() + 4), block.size() - kPendingBlobHeaderSize};
  std::vector<uint8_t> stored(block.begin() + kPendingBlobHeaderSize, block.end());
  return std::make_unique<TDVXBlobValueStream>(field, header, stored, temporaryThreshold);
}

}  // namespace dvx
