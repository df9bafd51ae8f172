#include "engine/storage/blob_storage.h"

#include <algorithm>
#include <cstring>

#include "engine/core/exception.h"
#include "engine/schema/blob_slot.h"
#include "engine/storage/compression/compressor.h"
#include "engine/storage/record_errors.h"

namespace dvx {
namespace {

int CharSize(const TDVXFieldDef& field) { return IsWideType(field.BaseFieldType()) ? 2 : 1; }

uint8_t StringAlgorithm(const TDVXFieldDef& field) {
  return field.HasBlobAttributes() ? field.BlobCompressionAlgorithm() : static_cast<uint8_t>(caNone);
}

// Bytes of the string in a slot up to and including its terminator; a slot
// without one (a damaged buffer) counts whole, its last unit taken as the
// terminator.
size_t StringBytes(const TDVXFieldDef& field, const uint8_t* slot) {
  const size_t unit = static_cast<size_t>(CharSize(field));
  const size_t units = static_cast<size_t>(field.MemoryDataSize()) / unit;
  for (size_t i = 0; i < units; ++i) {
    bool zero = true;
    for (size_t b = 0; b < unit; ++b) zero = zero && slot[i * unit + b] == 0;
    if (zero) return (i + 1) * unit;
  }
  return units * unit;
}

}  // namespace

TDVXRecordID TDVXBlobStorage::StoreVarString(int32_t session, const TDVXFieldDef& field, const uint8_t* slot) {
  const size_t length = StringBytes(field, slot);
  std::vector<uint8_t> text(slot, slot + length);
  std::fill(text.end() - CharSize(field), text.end(), 0);
  TDVXItemHeader header{kVarStringWord0, length, 0};
  const uint8_t algorithm = StringAlgorithm(field);
  if (algorithm == caNone) return items_.WriteItem(session, tpkStrings, header, text);
  std::vector<uint8_t> packed = CompressBuffer(algorithm, field.BlobCompressionMode(), text);
  return items_.WriteItem(session, tpkStrings, header, packed);
}

bool TDVXBlobStorage::VarStringEquals(int32_t session, const TDVXFieldDef& field, const TDVXRecordID& reference,
                                      const uint8_t* slot) {
  const size_t length = StringBytes(field, slot);
  const size_t unit = static_cast<size_t>(CharSize(field));
  std::vector<uint8_t> stored;
  try {
    const TDVXItemHeader header = items_.ReadItem(session, reference, stored);
    if (header.word0 != kVarStringWord0 || header.uncompressedSize != length) return false;
    const uint8_t algorithm = StringAlgorithm(field);
    if (algorithm != caNone) stored = DecompressBuffer(algorithm, stored, length);
  } catch (const EDVXException&) {
    // Stored anew; freeing the old item reports what is wrong with it.
    return false;
  }
  // The characters before the terminator, which both end in.
  return stored.size() == length && std::equal(slot, slot + length - unit, stored.begin()) &&
         std::all_of(stored.end() - static_cast<std::ptrdiff_t>(unit), stored.end(), [](uint8_t b) { return b == 0; });
}

TDVXRecordID TDVXBlobStorage::StoreBlob(int32_t session, const TDVXFieldDef& field, const uint8_t* slot,
                                        std::optional<TDVXRecordID> kept) {
  if (BlobSlotMarker(slot) == kBlobSlotPending) {
    std::span<const uint8_t> block = PendingBlobBlock(BlobSlotHandle(slot));
    TDVXItemHeader header{GetI32(block.data()), GetU64(block.data() + 4), 0};
    return items_.WriteItem(session, tpkBlobs, header, block.subspan(kPendingBlobHeaderSize));
  }
  const TDVXRecordID reference = TDVXRecordID::Decode(slot);
  if (kept && *kept == reference) return reference;
  // A reference this record does not own (a buffer copied from another
  // record): the value gets an item of its own.
  std::vector<uint8_t> stored;
  TDVXItemHeader header = items_.ReadItem(session, reference, stored);
  return items_.WriteItem(session, tpkBlobs, header, stored);
}

void TDVXBlobStorage::LoadVarString(int32_t session, const TDVXFieldDef& field, const TDVXRecordID& reference,
                                    uint8_t* slot) {
  std::vector<uint8_t> stored;
  TDVXItemHeader header = items_.ReadItem(session, reference, stored);
  const uint64_t capacity = static_cast<uint64_t>(field.MemoryDataSize());
  // The string, terminator included, must fit its slot before a byte moves.
  if (header.word0 != kVarStringWord0 || header.uncompressedSize == 0 || header.uncompressedSize > capacity)
    throw EDVXException(kErrItemDataSize,
                        "Error reading row data - invalid DataSize. DataSize = %d, CompressedSize = %d, "
                        "TableName = '%s', PageNo = %d",
                        {static_cast<int64_t>(header.uncompressedSize), static_cast<int64_t>(header.storedSize),
                         table_.tableName, reference.pageNo});
  const size_t length = static_cast<size_t>(header.uncompressedSize);
  const uint8_t algorithm = StringAlgorithm(field);
  if (algorithm != caNone) stored = DecompressBuffer(algorithm, stored, length);
  if (stored.size() != length)
    throw EDVXException(kErrItemDataSize,
                        "Error reading row data - invalid DataSize. DataSize = %d, CompressedSize = %d, "
                        "TableName = '%s', PageNo = %d",
                        {static_cast<int64_t>(length), static_cast<int64_t>(stored.size()), table_.tableName,
                         reference.pageNo});
  std::memcpy(slot, stored.data(), length);
  std::memset(slot + length, 0, static_cast<size_t>(capacity - length));
  // Whatever the item said, the slot ends in a terminator.
  std::memset(slot + capacity - CharSize(field), 0, static_cast<size_t>(CharSize(field)));
}

void TDVXBlobStorage::LoadBlobReference(const TDVXRecordID& reference, uint8_t* slot) {
  TDVXBlobReference bytes;
  reference.Encode(bytes.data());
  SetBlobSlotReference(slot, bytes);
}

std::unique_ptr<TDVXBlobValueStream> TDVXBlobStorage::ReadBlobValue(int32_t session, const TDVXFieldDef& field,
                                                                    const TDVXRecordID& reference,
                                                                    uint64_t temporaryThreshold) {
  if (field.BlobBlockSize() == 0) throw EDVXException(kErrZeroBlobBlockSize, "Stream block size = 0 is not allowed");
  std::vector<uint8_t> stored;
  TDVXItemHeader header = items_.ReadItem(session, reference, stored);
  return std::make_unique<TDVXBlobValueStream>(field, header, stored, temporaryThreshold);
}

void TDVXBlobStorage::FreeItem(int32_t session, const TDVXFieldDef& field, const TDVXRecordID& reference) {
  items_.DeleteItem(session, reference, field.ObjectName());
}

}  // namespace dvx
