#include "engine/storage/memory_record_manager.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "engine/core/exception.h"
#include "engine/schema/record_buffer.h"
#include "engine/storage/coded_stream_items.h"
#include "engine/storage/memory_storage_errors.h"

namespace dvx {
namespace {

int32_t RecordSizeOf(const TDVXStorageTableInfo& table) {
  const int32_t size = table.fields && table.fields->Count() > 0 ? table.fields->RecordSize() : 0;
  if (size <= 0) throw EDVXException(kErrMemoryRecordSize, "Invalid record size = 0");
  return size;
}

[[noreturn]] void InvalidImage(const char* what, int64_t value) {
  throw EDVXException(kErrImageInvalid, "Invalid in-memory table image: %s = %d", {std::string(what), value});
}

bool BitSet(const std::vector<uint8_t>& bits, int32_t i) {
  return (bits[static_cast<size_t>(i) >> 3] >> (i & 7)) & 1;
}

}  // namespace

TDVXMemoryRecordManager::TDVXMemoryRecordManager(const TDVXStorageTableInfo& table, int32_t growthStep)
    : table_(table), recordSize_(RecordSizeOf(table)), growthStep_(std::max<int32_t>(growthStep, 1)) {}

uint8_t* TDVXMemoryRecordManager::Scratch() {
  // Made on first use: a loaded table's record size is trusted only once
  // a record of that size has been read.
  scratch_.resize(static_cast<size_t>(recordSize_));
  return scratch_.data();
}

TDVXRecordID TDVXMemoryRecordManager::NumberToRecordID(int64_t number) {
  if (number < std::numeric_limits<int32_t>::min() || number > std::numeric_limits<int32_t>::max())
    throw EDVXException(kErrRecordNumberRange, "Record number %d is out of range", {number});
  return {static_cast<int32_t>(number), 0};
}

bool TDVXMemoryRecordManager::SlotUsed(int32_t slot) const {
  if (slot < 0 || slot >= capacity_) return false;
  return !BitSet(bitmap_, slot);
}

uint8_t* TDVXMemoryRecordManager::SlotPointer(int32_t slot) const {
  const TDVXBufferPtr& chunk = chunks_[static_cast<size_t>(slot / kSlotsPerChunk)];
  return chunk.get() + static_cast<size_t>(slot % kSlotsPerChunk) * static_cast<size_t>(recordSize_);
}

uint8_t* TDVXMemoryRecordManager::MakeSlot(int32_t slot) {
  TDVXBufferPtr& chunk = chunks_[static_cast<size_t>(slot / kSlotsPerChunk)];
  if (!chunk) chunk = AllocBuffer(static_cast<size_t>(kSlotsPerChunk) * static_cast<size_t>(recordSize_), false);
  return SlotPointer(slot);
}

const uint8_t* TDVXMemoryRecordManager::Record(int32_t slot) const {
  if (!SlotUsed(slot)) throw EDVXException(kErrRetrieveRecord, "Error retreiving record");
  return SlotPointer(slot);
}

void TDVXMemoryRecordManager::Grow(int32_t slot) {
  if (slot < capacity_) return;
  const int64_t wanted = std::max<int64_t>(int64_t{capacity_} + growthStep_, int64_t{slot} + 1);
  const int32_t capacity = static_cast<int32_t>(std::min<int64_t>(wanted, std::numeric_limits<int32_t>::max()));
  chunks_.resize((static_cast<size_t>(capacity) + kSlotsPerChunk - 1) / kSlotsPerChunk);
  // New slots are free: their bits are 1.
  const size_t oldBytes = bitmap_.size();
  bitmap_.resize((static_cast<size_t>(capacity) + 7) / 8, 0xFF);
  if (oldBytes > 0 && capacity_ % 8) bitmap_[oldBytes - 1] |= static_cast<uint8_t>(0xFF << (capacity_ % 8));
  capacity_ = capacity;
}

int32_t TDVXMemoryRecordManager::NextUsedSlot(int32_t from) const {
  if (count_ == 0) return -1;
  from = std::max(from, min_);
  if (from > max_) return -1;
  if (noDeletions_ == kNoDeletions) return from;
  for (int32_t s = from; s <= max_;) {
    if ((s & 7) == 0 && bitmap_[static_cast<size_t>(s) >> 3] == 0xFF) {
      s += 8;
      continue;
    }
    if (!BitSet(bitmap_, s)) return s;
    ++s;
  }
  return -1;
}

int32_t TDVXMemoryRecordManager::PriorUsedSlot(int32_t from) const {
  if (count_ == 0) return -1;
  from = std::min(from, max_);
  if (from < min_) return -1;
  if (noDeletions_ == kNoDeletions) return from;
  for (int32_t s = from; s >= min_; --s)
    if (!BitSet(bitmap_, s)) return s;
  return -1;
}

void TDVXMemoryRecordManager::Store(int32_t slot, uint8_t* buffer, const uint8_t* old) {
  const TDVXFieldDefs& fields = Fields();
  TDVXMemoryBlobStore::TReferences references = blobs_.Prepare(fields, buffer, old);
  uint8_t* target;
  try {
    target = MakeSlot(slot);
  } catch (...) {
    blobs_.Abort(references);
    throw;
  }
  std::memcpy(target, buffer, static_cast<size_t>(recordSize_));
  TDVXMemoryBlobStore::FillSlots(fields, target, references);
  blobs_.Commit(fields, buffer, references, old);
}

int64_t TDVXMemoryRecordManager::RecordCount(int32_t session) {
  TDVXLockGuard guard(lock_);
  return count_;
}

void TDVXMemoryRecordManager::FreeAllPages(int32_t session) { Empty(); }

TDVXRecordID TDVXMemoryRecordManager::InsertRecord(uint8_t* buffer, int32_t session) {
  TDVXLockGuard guard(lock_);
  if (!buffer) throw EDVXException(kErrRetrieveRecord, "Error retreiving record");
  if (count_ > 0 && max_ == std::numeric_limits<int32_t>::max())
    throw EDVXException(kErrAppendBeyondCapacity, "Invalid record No = %d", {static_cast<int64_t>(max_) + 1});
  const int32_t slot = count_ == 0 ? 0 : max_ + 1;
  Grow(slot);
  Store(slot, buffer, nullptr);
  bitmap_[static_cast<size_t>(slot) >> 3] &= static_cast<uint8_t>(~(1u << (slot & 7)));
  if (++count_ == 1) {
    min_ = max_ = slot;
  } else {
    min_ = std::min(min_, slot);
    max_ = std::max(max_, slot);
  }
  return {slot, 0};
}

void TDVXMemoryRecordManager::UpdateRecord(uint8_t* buffer, const TDVXRecordID& recordID, int32_t session) {
  TDVXLockGuard guard(lock_);
  const int32_t slot = recordID.pageNo;
  // Besides a slot outside min … max, a free slot inside is refused: it
  // holds no record to change.
  if (!buffer || !Exists(slot) || slot < min_ || slot > max_)
    throw EDVXException(kErrUpdateRecordNo, "Invalid record No = %d", {slot});
  uint8_t* old = Scratch();
  std::memcpy(old, SlotPointer(slot), static_cast<size_t>(recordSize_));
  Store(slot, buffer, old);
}

void TDVXMemoryRecordManager::Take(int32_t slot) {
  blobs_.ReleaseRecord(Fields(), SlotPointer(slot));
  bitmap_[static_cast<size_t>(slot) >> 3] |= static_cast<uint8_t>(1u << (slot & 7));
  noDeletions_ = 0;
  if (--count_ == 0) {
    min_ = max_ = 0;
    // Nothing is left in any chunk.
    for (auto& chunk : chunks_) chunk.reset();
    return;
  }
  if (slot == min_) min_ = NextUsedSlot(slot + 1);
  if (slot == max_) max_ = PriorUsedSlot(slot - 1);
}

void TDVXMemoryRecordManager::DeleteRecord(const TDVXRecordID& recordID, int32_t session) {
  TDVXLockGuard guard(lock_);
  const int32_t slot = recordID.pageNo;
  if (!Exists(slot) || slot < min_ || slot > max_)
    throw EDVXException(kErrDeleteRecordNo, "Invalid record No = %d", {slot});
  Take(slot);
}

bool TDVXMemoryRecordManager::RecordExists(const TDVXRecordID& recordID, int32_t session) {
  TDVXLockGuard guard(lock_);
  return Exists(recordID.pageNo);
}

TDVXGetRecordResult TDVXMemoryRecordManager::GetRecord(TDVXGetRecordRequest& request) {
  TDVXLockGuard guard(lock_);
  if (!request.buffer) throw EDVXException(kErrRetrieveRecord, "Error retreiving record");
  int32_t found = -1;
  if (request.first) {
    if (request.mode == grmPrior) return grrBOF;
    if (request.mode != grmNext) return grrError;
    if (count_ == 0) return grrEOF;
    found = min_;
  } else if (request.last) {
    if (request.mode == grmNext) return grrEOF;
    if (request.mode != grmPrior) return grrError;
    if (count_ == 0) return grrBOF;
    found = max_;
  } else if (request.mode == grmCurrent) {
    if (!Exists(request.recordID.pageNo)) return grrError;
    found = request.recordID.pageNo;
  } else if (request.mode == grmNext) {
    // From a vanished record too: the next used slot above it.
    const int32_t current = request.recordID.pageNo;
    if (count_ == 0) return grrEOF;
    if (current >= max_ || current >= capacity_ - 1) return grrEOF;
    found = NextUsedSlot(current + 1);
    if (found == -1) return grrEOF;
  } else if (request.mode == grmPrior) {
    const int32_t current = request.recordID.pageNo;
    if (count_ == 0) return grrBOF;
    if (current <= min_ || current < 1) return grrBOF;
    found = PriorUsedSlot(current - 1);
    if (found == -1) return grrBOF;
  } else {
    return grrError;
  }
  std::memcpy(request.buffer, SlotPointer(found), static_cast<size_t>(recordSize_));
  request.first = request.last = false;
  request.recordID = {found, 0};
  return grrDone;
}

int64_t TDVXMemoryRecordManager::RecordNoOf(const TDVXRecordID& recordID, int32_t session) {
  TDVXLockGuard guard(lock_);
  const int32_t slot = recordID.pageNo;
  if (!Exists(slot) || slot < min_ || slot > max_) return -1;
  // The number of used slots from min up to the record's own.
  if (noDeletions_ == kNoDeletions) return int64_t{slot} - min_ + 1;
  int64_t number = 0;
  int32_t s = min_;
  for (; s <= slot && (s & 7); ++s) number += !BitSet(bitmap_, s);
  for (; s + 7 <= slot; s += 8) number += 8 - std::popcount(bitmap_[static_cast<size_t>(s) >> 3]);
  for (; s <= slot; ++s) number += !BitSet(bitmap_, s);
  return number;
}

TDVXRecordID TDVXMemoryRecordManager::RecordIDOf(int64_t recordNo, int32_t session) {
  TDVXLockGuard guard(lock_);
  if (recordNo < 1 || recordNo > count_) return kNoRecordID;
  if (noDeletions_ == kNoDeletions) return {static_cast<int32_t>(min_ + recordNo - 1), 0};
  int64_t left = recordNo;
  int32_t s = min_;
  for (; s <= max_ && (s & 7); ++s)
    if (!BitSet(bitmap_, s) && --left == 0) return {s, 0};
  for (; s + 7 <= max_; s += 8) {
    const int64_t used = 8 - std::popcount(bitmap_[static_cast<size_t>(s) >> 3]);
    if (used >= left) break;
    left -= used;
  }
  for (; s <= max_; ++s)
    if (!BitSet(bitmap_, s) && --left == 0) return {s, 0};
  return kNoRecordID;
}

void TDVXMemoryRecordManager::Empty() {
  TDVXLockGuard guard(lock_);
  blobs_.Clear();
  chunks_.clear();
  bitmap_.clear();
  capacity_ = 0;
  count_ = 0;
  min_ = max_ = 0;
}

std::unique_ptr<TDVXBlobValueStream> TDVXMemoryRecordManager::OpenBlob(int fieldNo, const uint8_t* buffer,
                                                                       uint64_t temporaryThreshold) {
  TDVXLockGuard guard(lock_);
  return blobs_.Open(Fields(), fieldNo, buffer, temporaryThreshold);
}

void TDVXMemoryRecordManager::SaveToStream(TDVXStream& stream) {
  TDVXLockGuard guard(lock_);
  WriteCodedU32(stream, static_cast<uint32_t>(capacity_), kErrRecordsStreamWrite);
  WriteCodedU8(stream, noDeletions_, kErrRecordsStreamWrite);
  WriteCodedU32(stream, static_cast<uint32_t>(min_), kErrRecordsStreamWrite);
  WriteCodedU32(stream, static_cast<uint32_t>(max_), kErrRecordsStreamWrite);
  stream.WriteBuffer(bitmap_.data(), bitmap_.size(), kErrRecordsStreamWrite);
}

void TDVXMemoryRecordManager::LoadState(TDVXStream& stream, int64_t recordCount) {
  TDVXLockGuard guard(lock_);
  const int32_t capacity = static_cast<int32_t>(ReadCodedU32(stream, kErrImageReadCapacity));
  const uint8_t noDeletions = ReadCodedU8(stream, kErrImageReadNoDeletions);
  const int32_t min = static_cast<int32_t>(ReadCodedU32(stream, kErrImageReadMin));
  const int32_t max = static_cast<int32_t>(ReadCodedU32(stream, kErrImageReadMax));
  if (capacity < 0) InvalidImage("capacity", capacity);
  if (recordCount < 1 || recordCount > capacity) InvalidImage("record count", recordCount);
  if (noDeletions != 0 && noDeletions != kNoDeletions) InvalidImage("NoDeletions", noDeletions);
  if (min < 0 || min > max || max >= capacity) InvalidImage("min", min);
  if (int64_t{max} - min + 1 < recordCount) InvalidImage("max", max);
  const size_t bytes = (static_cast<size_t>(capacity) + 7) / 8;
  // The bitmap is in the stream before its buffer is made, so a lying
  // capacity allocates nothing.
  CheckAvailable(stream, bytes, kErrImageReadBitmap);
  std::vector<uint8_t> bitmap(bytes);
  stream.ReadBuffer(bitmap.data(), bytes, kErrImageReadBitmap);
  Empty();
  noDeletions_ = noDeletions;
  chunks_.resize((static_cast<size_t>(capacity) + kSlotsPerChunk - 1) / kSlotsPerChunk);
  bitmap_.assign(bytes, 0xFF);
  capacity_ = capacity;
  loadedBitmap_ = std::move(bitmap);
  loadedMin_ = min;
  loadedMax_ = max;
  loadedCount_ = recordCount;
  nextAppend_ = 0;
}

void TDVXMemoryRecordManager::AppendRecord(const uint8_t* buffer) {
  TDVXLockGuard guard(lock_);
  int32_t slot = nextAppend_;
  const int32_t bits = static_cast<int32_t>(std::min<size_t>(loadedBitmap_.size() * 8, capacity_));
  if (noDeletions_ == 0)
    while (slot < bits && BitSet(loadedBitmap_, slot)) ++slot;
  if (slot >= capacity_) throw EDVXException(kErrAppendBeyondCapacity, "Invalid record No = %d", {slot});
  if (noDeletions_ == 0 && slot >= bits) throw EDVXException(kErrAppendBeyondBitmap, "Invalid record No = %d", {slot});
  uint8_t* copy = Scratch();
  std::memcpy(copy, buffer, static_cast<size_t>(recordSize_));
  Store(slot, copy, nullptr);
  bitmap_[static_cast<size_t>(slot) >> 3] &= static_cast<uint8_t>(~(1u << (slot & 7)));
  if (++count_ == 1) min_ = slot;
  max_ = slot;
  nextAppend_ = slot + 1;
}

void TDVXMemoryRecordManager::FinishLoad() {
  TDVXLockGuard guard(lock_);
  // The records must fill the saved slots and no others, so the RecordIDs
  // the saved indexes hold name the same records again.
  if (count_ != loadedCount_) InvalidImage("record count", count_);
  if (noDeletions_ == 0) {
    if (min_ != loadedMin_ || max_ != loadedMax_) InvalidImage("min", loadedMin_);
    const size_t whole = static_cast<size_t>(capacity_) / 8;
    if (!std::equal(bitmap_.begin(), bitmap_.begin() + static_cast<ptrdiff_t>(whole), loadedBitmap_.begin()))
      InvalidImage("bitmap", 0);
    for (int32_t s = static_cast<int32_t>(whole * 8); s < capacity_; ++s)
      if (BitSet(bitmap_, s) != BitSet(loadedBitmap_, s)) InvalidImage("bitmap slot", s);
  } else if (min_ != 0 || max_ != count_ - 1 || loadedMin_ != 0 || loadedMax_ != max_) {
    InvalidImage("min", loadedMin_);
  }
  loadedBitmap_.clear();
  loadedBitmap_.shrink_to_fit();
}

}  // namespace dvx
