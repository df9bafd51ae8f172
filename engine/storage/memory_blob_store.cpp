#include "engine/storage/memory_blob_store.h"

#include <cstring>

#include "engine/core/byte_order.h"
#include "engine/core/exception.h"
#include "engine/schema/blob_slot.h"
#include "engine/schema/record_buffer.h"
#include "engine/storage/memory_storage_errors.h"

namespace dvx {
namespace {

[[noreturn]] void Unknown(uint32_t id) {
  throw EDVXException(kErrMemoryBlobReference, "Invalid BLOB reference = %d", {static_cast<int64_t>(id)});
}

}  // namespace

uint32_t TDVXMemoryBlobStore::SlotID(const uint8_t* slot) {
  return BlobSlotMarker(slot) == kBlobSlotCurrent ? GetU32(slot) : 0;
}

void TDVXMemoryBlobStore::SetSlotID(uint8_t* slot, uint32_t id) {
  TDVXBlobReference reference{};
  PutU32(reference.data(), id);
  SetBlobSlotReference(slot, reference);
}

uint32_t TDVXMemoryBlobStore::Add(int32_t word0, uint64_t uncompressedSize, std::span<const uint8_t> stored) {
  TValue value;
  value.word0 = word0;
  value.uncompressedSize = uncompressedSize;
  value.storedSize = stored.size();
  value.stored = AllocBuffer(stored.size() ? stored.size() : 1, false);
  if (!stored.empty()) std::memcpy(value.stored.get(), stored.data(), stored.size());
  do {
    if (++next_ == 0) next_ = 1;
  } while (values_.count(next_));
  values_.emplace(next_, std::move(value));
  return next_;
}

const TDVXMemoryBlobStore::TValue& TDVXMemoryBlobStore::Get(uint32_t id) const {
  auto it = values_.find(id);
  if (it == values_.end()) Unknown(id);
  return it->second;
}

void TDVXMemoryBlobStore::Free(uint32_t id) {
  if (values_.erase(id) == 0) Unknown(id);
}

size_t TDVXMemoryBlobStore::Bytes() const {
  size_t n = 0;
  for (const auto& [id, value] : values_) n += value.storedSize;
  return n;
}

TDVXMemoryBlobStore::TReferences TDVXMemoryBlobStore::Prepare(const TDVXFieldDefs& fields, const uint8_t* buffer,
                                                              const uint8_t* old) {
  TReferences references(static_cast<size_t>(fields.Count()));
  try {
    for (int i = 0; i < fields.Count(); ++i) {
      const TDVXFieldDef& f = *fields.Items(i);
      if (!IsBlobType(f.BaseFieldType()) || IsNull(i, buffer)) continue;
      const uint8_t* slot = buffer + f.MemoryOffset();
      TReference& reference = references[static_cast<size_t>(i)];
      if (BlobSlotMarker(slot) == kBlobSlotPending) {
        std::span<const uint8_t> block = PendingBlobBlock(BlobSlotHandle(slot));
        reference = {Add(GetI32(block.data()), GetU64(block.data() + 4), block.subspan(kPendingBlobHeaderSize)), true};
        continue;
      }
      const uint32_t id = SlotID(slot);
      if (id == 0) Unknown(GetU32(slot));
      // The value the stored record already holds for the field stays;
      // a value of another record is copied, so no two records share one.
      if (old && !IsNull(i, old) && SlotID(old + f.MemoryOffset()) == id) {
        reference = {id, false};
        continue;
      }
      const TValue& value = Get(id);
      reference = {Add(value.word0, value.uncompressedSize, value.Stored()), true};
    }
  } catch (...) {
    Abort(references);
    throw;
  }
  return references;
}

void TDVXMemoryBlobStore::Abort(const TReferences& references) {
  for (const TReference& reference : references)
    if (reference.made) values_.erase(reference.id);
}

void TDVXMemoryBlobStore::FillSlots(const TDVXFieldDefs& fields, uint8_t* stored, const TReferences& references) {
  for (int i = 0; i < fields.Count(); ++i) {
    const TDVXFieldDef& f = *fields.Items(i);
    if (!IsBlobType(f.BaseFieldType())) continue;
    const uint32_t id = references[static_cast<size_t>(i)].id;
    uint8_t* slot = stored + f.MemoryOffset();
    if (id == 0) {
      std::memset(slot, 0, 8);
      SetNull(true, i, stored);
    } else {
      SetSlotID(slot, id);
    }
  }
}

void TDVXMemoryBlobStore::Commit(const TDVXFieldDefs& fields, uint8_t* buffer, const TReferences& references,
                                 const uint8_t* old) {
  for (int i = 0; i < fields.Count(); ++i) {
    const TDVXFieldDef& f = *fields.Items(i);
    if (!IsBlobType(f.BaseFieldType())) continue;
    const uint32_t id = references[static_cast<size_t>(i)].id;
    if (old && !IsNull(i, old)) {
      const uint32_t oldID = SlotID(old + f.MemoryOffset());
      if (oldID != 0 && oldID != id) values_.erase(oldID);
    }
    if (id == 0) {
      // A pending block of a field set to NULL is given back too.
      ReleasePendingBlob(i, fields, buffer);
      continue;
    }
    TDVXBlobReference reference{};
    PutU32(reference.data(), id);
    CommitBlobSlot(buffer + f.MemoryOffset(), reference);
  }
}

void TDVXMemoryBlobStore::ReleaseRecord(const TDVXFieldDefs& fields, const uint8_t* stored) {
  for (int i = 0; i < fields.Count(); ++i) {
    const TDVXFieldDef& f = *fields.Items(i);
    if (!IsBlobType(f.BaseFieldType()) || IsNull(i, stored)) continue;
    values_.erase(SlotID(stored + f.MemoryOffset()));
  }
}

std::unique_ptr<TDVXBlobValueStream> TDVXMemoryBlobStore::Open(const TDVXFieldDefs& fields, int fieldNo,
                                                               const uint8_t* buffer,
                                                               uint64_t temporaryThreshold) const {
  const TDVXFieldDef& f = *fields.Items(fieldNo);
  const uint8_t* slot = buffer + f.MemoryOffset();
  if (IsNull(fieldNo, buffer)) return std::make_unique<TDVXBlobValueStream>(f, temporaryThreshold);
  if (BlobSlotMarker(slot) == kBlobSlotPending) return TDVXBlobValueStream::OfPendingSlot(f, slot, temporaryThreshold);
  const uint32_t id = SlotID(slot);
  if (id == 0) Unknown(GetU32(slot));
  const TValue& value = Get(id);
  TDVXItemHeader header{value.word0, value.uncompressedSize, value.storedSize};
  std::vector<uint8_t> stored(value.Stored().begin(), value.Stored().end());
  return std::make_unique<TDVXBlobValueStream>(f, header, stored, temporaryThreshold);
}

}  // namespace dvx
