#pragma once
// TDVXMemoryBlobStore: the BLOB values of the records of an in-memory or
// temporary table, kept beside the records. A stored record's BLOB slot is
// current and names its value by a 32-bit identifier:
//
//   slot bytes 0..3  value identifier (never 0)
//   slot bytes 4..5  0
//   slot bytes 6..7  kBlobSlotCurrent
//
// Each value belongs to exactly one stored record. Identifiers count up and
// are not reused while a value holds them, so a record buffer read before
// its record changed names either its old value or nothing, never another
// record's value; a name that finds nothing is an error, not a crash.
//
// Storing a record's BLOB fields is two steps, so a failure leaves nothing
// behind: Prepare makes the new values (from pending blocks, or copies of
// values of other records) and returns the references; FillSlots puts them
// into the stored copy (nothing else changes, so the copy can still be
// dropped); once the copy is in place, Commit makes the caller's slots
// current (giving back their pending blocks) and frees the old record's
// values that the new one no longer names. Abort frees what Prepare made.
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <vector>

#include "engine/core/memory_manager.h"
#include "engine/core/temporary_stream.h"
#include "engine/schema/field_def.h"
#include "engine/storage/blob_value_stream.h"

namespace dvx {

class TDVXMemoryBlobStore {
 public:
  struct TValue {
    int32_t word0 = 0;
    uint64_t uncompressedSize = 0;
    TDVXBufferPtr stored;
    size_t storedSize = 0;
    std::span<const uint8_t> Stored() const { return {stored.get(), storedSize}; }
  };
  // One entry per field: the value identifier (0 for none, or no BLOB
  // field) and whether Prepare made it.
  struct TReference {
    uint32_t id = 0;
    bool made = false;
  };
  using TReferences = std::vector<TReference>;

  TDVXMemoryBlobStore() = default;
  TDVXMemoryBlobStore(const TDVXMemoryBlobStore&) = delete;
  TDVXMemoryBlobStore& operator=(const TDVXMemoryBlobStore&) = delete;

  // `old` is the stored record being replaced (updates), or null.
  TReferences Prepare(const TDVXFieldDefs& fields, const uint8_t* buffer, const uint8_t* old);
  void Abort(const TReferences& references);
  // `stored` is the copy of the record the manager keeps.
  static void FillSlots(const TDVXFieldDefs& fields, uint8_t* stored, const TReferences& references);
  void Commit(const TDVXFieldDefs& fields, uint8_t* buffer, const TReferences& references, const uint8_t* old);
  // Frees every value a stored record names.
  void ReleaseRecord(const TDVXFieldDefs& fields, const uint8_t* stored);

  // A new value; its identifier.
  uint32_t Add(int32_t word0, uint64_t uncompressedSize, std::span<const uint8_t> stored);
  // 30974 for an identifier that names no value.
  const TValue& Get(uint32_t id) const;
  void Free(uint32_t id);
  void Clear() { values_.clear(); }
  size_t Count() const { return values_.size(); }
  size_t Bytes() const;

  // The identifier in a current slot; 0 for any other slot.
  static uint32_t SlotID(const uint8_t* slot);
  static void SetSlotID(uint8_t* slot, uint32_t id);

  // The value of BLOB field `fieldNo` of `buffer`: a stored value, a
  // pending one, or an empty one for NULL.
  std::unique_ptr<TDVXBlobValueStream> Open(const TDVXFieldDefs& fields, int fieldNo, const uint8_t* buffer,
                                            uint64_t temporaryThreshold = TDVXTemporaryStream::kDefaultThreshold) const;

 private:
  std::map<uint32_t, TValue> values_;
  uint32_t next_ = 0;
};

}  // namespace dvx
