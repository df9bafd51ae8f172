#include "engine/schema/blob_slot.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "engine/core/exception.h"
#include "engine/core/memory_manager.h"
#include "engine/schema/record_buffer.h"
#include "engine/schema/table_errors.h"

namespace dvx {

namespace {

// Process-wide table of pending blocks. Handles count up from 1 and are not
// reused until the counter wraps, so a stale handle finds nothing.
class TDVXPendingBlobTable {
 public:
  static TDVXPendingBlobTable& Instance() {
    static TDVXPendingBlobTable table;
    return table;
  }

  struct Block {
    TDVXBufferPtr data;
    size_t size;
  };

  uint32_t Add(Block block) {
    std::lock_guard<std::mutex> guard(lock_);
    do {
      if (++next_ == 0) next_ = 1;
    } while (blocks_.count(next_));
    blocks_.emplace(next_, std::move(block));
    return next_;
  }

  std::span<const uint8_t> Get(uint32_t handle) {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = blocks_.find(handle);
    if (it == blocks_.end()) Unknown(handle);
    return {it->second.data.get(), it->second.size};
  }

  void Free(uint32_t handle) {
    std::lock_guard<std::mutex> guard(lock_);
    if (blocks_.erase(handle) == 0) Unknown(handle);
  }

  size_t Count() {
    std::lock_guard<std::mutex> guard(lock_);
    return blocks_.size();
  }

 private:
  [[noreturn]] static void Unknown(uint32_t handle) {
    throw EDVXException(kErrPendingBlobHandle, "Invalid pending BLOB handle %d", {static_cast<int64_t>(handle)});
  }

  std::mutex lock_;
  std::map<uint32_t, Block> blocks_;
  uint32_t next_ = 0;
};

void PutMarker(uint8_t* slot, uint16_t marker) {
  slot[6] = static_cast<uint8_t>(marker);
  slot[7] = static_cast<uint8_t>(marker >> 8);
}

void PutHandle(uint8_t* slot, uint32_t handle) {
  for (int i = 0; i < 4; ++i) slot[i] = static_cast<uint8_t>(handle >> (8 * i));
}

}  // namespace

uint16_t BlobSlotMarker(const uint8_t* slot) { return static_cast<uint16_t>(slot[6] | (slot[7] << 8)); }

uint32_t BlobSlotHandle(const uint8_t* slot) {
  return static_cast<uint32_t>(slot[0]) | (static_cast<uint32_t>(slot[1]) << 8) |
         (static_cast<uint32_t>(slot[2]) << 16) | (static_cast<uint32_t>(slot[3]) << 24);
}

void SetBlobSlotReference(uint8_t* slot, const TDVXBlobReference& reference) {
  std::memcpy(slot, reference.data(), kBlobReferenceSize);
  PutMarker(slot, kBlobSlotCurrent);
}

void StoreBlobValue(int fieldNo, const TDVXFieldDefs& fields, uint8_t* buffer, const TDVXPendingBlobHeader& header,
                    TDVXStream& source) {
  const TDVXFieldDef& f = *fields.Items(fieldNo);
  if (!IsBlobType(f.BaseFieldType()))
    throw EDVXException(kErrSetFieldCopy, "Error getting field data - FieldNo = %d, MemoryOffset = %d, MemoryDataSize = %d",
                        {fieldNo, f.MemoryOffset(), f.MemoryDataSize()});
  uint8_t* slot = buffer + f.MemoryOffset();
  ReleasePendingBlob(fieldNo, fields, buffer);
  uint64_t size = source.Size();
  if (size == 0) {
    std::memset(slot, 0, 8);
    SetNull(true, fieldNo, buffer);
    return;
  }
  size_t blockSize = kPendingBlobHeaderSize + static_cast<size_t>(size);
  TDVXPendingBlobTable::Block block{AllocBuffer(blockSize, false), blockSize};
  std::memcpy(block.data.get(), header.data(), kPendingBlobHeaderSize);
  source.SetPosition(0);
  size_t got = source.Read(block.data.get() + kPendingBlobHeaderSize, size);
  if (got != size)
    throw EDVXException(kErrBlobStreamRead,
                        "Cannot read from stream. Position = %d, Stream size = %d, Block size = %d, Bytes Read = %d",
                        {static_cast<int64_t>(source.Position()), static_cast<int64_t>(size),
                         static_cast<int64_t>(size), static_cast<int64_t>(got)});
  uint32_t handle = TDVXPendingBlobTable::Instance().Add(std::move(block));
  PutHandle(slot, handle);
  slot[4] = slot[5] = 0;
  PutMarker(slot, kBlobSlotPending);
  SetNull(false, fieldNo, buffer);
}

void ReleasePendingBlob(int fieldNo, const TDVXFieldDefs& fields, uint8_t* buffer) {
  const TDVXFieldDef& f = *fields.Items(fieldNo);
  if (!IsBlobType(f.BaseFieldType())) return;
  uint8_t* slot = buffer + f.MemoryOffset();
  if (BlobSlotMarker(slot) != kBlobSlotPending) return;
  // The block belongs to the slot whatever the null flag says: a field set
  // to NULL after its value was stored still owns it until here.
  uint32_t handle = BlobSlotHandle(slot);
  if (handle == 0 && !IsNull(fieldNo, buffer)) throw EDVXException(kErrBlobNilHandle, "Nil pointer occured");
  if (handle != 0) TDVXPendingBlobTable::Instance().Free(handle);
  std::memset(slot, 0, 8);
  SetNull(true, fieldNo, buffer);
}

void DiscardPendingBlobs(const TDVXFieldDefs& fields, uint8_t* buffer) {
  for (int i = 0; i < fields.Count(); ++i) ReleasePendingBlob(i, fields, buffer);
}

std::span<const uint8_t> PendingBlobBlock(uint32_t handle) { return TDVXPendingBlobTable::Instance().Get(handle); }

void CommitBlobSlot(uint8_t* slot, const TDVXBlobReference& reference) {
  if (BlobSlotMarker(slot) == kBlobSlotPending) TDVXPendingBlobTable::Instance().Free(BlobSlotHandle(slot));
  SetBlobSlotReference(slot, reference);
}

size_t PendingBlobCount() { return TDVXPendingBlobTable::Instance().Count(); }

}  // namespace dvx
