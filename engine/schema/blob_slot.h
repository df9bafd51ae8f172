#pragma once
// The 8-byte slot of a BLOB field (base types 18..20) in a record buffer.
//
//   bytes 0..5  the BLOB reference exactly as in the disk record, when the
//               marker is kBlobSlotCurrent
//   bytes 0..3  the handle of a pending block, when the marker is
//               kBlobSlotPending; the next record write stores the block and
//               puts the new reference back with kBlobSlotCurrent
//   bytes 6..7  uint16 marker
//
// A pending block holds a new value until the record is written: the
// 12-byte header of the BLOB stream that produced it (Word0, 4 bytes;
// uncompressed size, 8 bytes) followed by the stream's bytes, taken from the
// engine allocator (so its memory limit applies). Blocks live in
// a process-wide table; the slot keeps only their 32-bit handle, never an
// address, so a stale or copied slot cannot reach freed memory: a handle
// that names no live block is an error.
#include <array>
#include <cstdint>
#include <span>

#include "engine/core/stream.h"
#include "engine/schema/field_def.h"

namespace dvx {

constexpr uint16_t kBlobSlotCurrent = 0xF0F0;
constexpr uint16_t kBlobSlotPending = 0x0F0F;
constexpr int kBlobReferenceSize = 6;
constexpr int kPendingBlobHeaderSize = 12;

using TDVXBlobReference = std::array<uint8_t, kBlobReferenceSize>;
using TDVXPendingBlobHeader = std::array<uint8_t, kPendingBlobHeaderSize>;

uint16_t BlobSlotMarker(const uint8_t* slot);
uint32_t BlobSlotHandle(const uint8_t* slot);

// What a record read from disk leaves in the slot.
void SetBlobSlotReference(uint8_t* slot, const TDVXBlobReference& reference);

// Stores the whole of `source` (from its start) as the new value of a BLOB
// field: an old pending block is freed first; an empty stream makes the field
// NULL; otherwise the slot becomes pending. A short read is 10117.
void StoreBlobValue(int fieldNo, const TDVXFieldDefs& fields, uint8_t* buffer, const TDVXPendingBlobHeader& header,
                    TDVXStream& source);

// Frees the pending block of every BLOB field that has one, whatever its
// null flag, and sets those fields NULL. Fields holding a stored reference
// keep it. A non-NULL pending slot with an empty handle is 10118.
void DiscardPendingBlobs(const TDVXFieldDefs& fields, uint8_t* buffer);
// The same for one field; nothing for a field that is no BLOB or not pending.
void ReleasePendingBlob(int fieldNo, const TDVXFieldDefs& fields, uint8_t* buffer);

// The bytes of a pending block (header included), valid until the block is
// freed; 30913 for a handle that names no live block.
std::span<const uint8_t> PendingBlobBlock(uint32_t handle);
// After the record write stored the block: frees it and puts the new
// reference into the slot.
void CommitBlobSlot(uint8_t* slot, const TDVXBlobReference& reference);

// Live pending blocks in the process (for leak checks).
size_t PendingBlobCount();

}  // namespace dvx
