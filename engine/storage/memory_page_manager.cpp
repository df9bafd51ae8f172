#include "engine/storage/memory_page_manager.h"

#include <algorithm>
#include <cstring>

#include "engine/core/exception.h"
#include "engine/storage/coded_stream_items.h"
#include "engine/storage/memory_storage_errors.h"

namespace dvx {
namespace {

[[noreturn]] void NotAllocated(int32_t code) {
  throw EDVXException(code, "Not released page is allocated");
}

[[noreturn]] void Invalid(const char* what, int64_t value) {
  throw EDVXException(kErrPagesStreamInvalid, "Invalid page manager stream: %s = %d", {std::string(what), value});
}

}  // namespace

void TDVXPageStreamCounters::Write(TDVXStream& stream, int pageSize, int headerSize) const {
  WriteCodedU32(stream, static_cast<uint32_t>(capacity), kErrPagesWriteCapacity);
  WriteCodedU32(stream, static_cast<uint32_t>(highest), kErrPagesWriteHighest);
  WriteCodedU32(stream, static_cast<uint32_t>(growthStep), kErrPagesWriteGrowth);
  WriteCodedU16(stream, static_cast<uint16_t>(pageSize), kErrPagesWritePageSize);
  WriteCodedU16(stream, static_cast<uint16_t>(headerSize), kErrPagesWriteHeaderSize);
  WriteCodedU32(stream, static_cast<uint32_t>(pageCount), kErrPagesWritePageCount);
}

TDVXPageStreamCounters TDVXPageStreamCounters::Read(TDVXStream& stream, int pageSize) {
  TDVXPageStreamCounters c;
  c.capacity = static_cast<int32_t>(ReadCodedU32(stream, kErrPagesReadCapacity));
  c.highest = static_cast<int32_t>(ReadCodedU32(stream, kErrPagesReadHighest));
  c.growthStep = static_cast<int32_t>(ReadCodedU32(stream, kErrPagesReadGrowth));
  const uint16_t size = ReadCodedU16(stream, kErrPagesReadPageSize);
  const uint16_t header = ReadCodedU16(stream, kErrPagesReadHeaderSize);
  c.pageCount = static_cast<int32_t>(ReadCodedU32(stream, kErrPagesReadPageCount));
  if (c.capacity < 0 || c.capacity > TDVXMemoryPageManager::kMaxCapacity) Invalid("capacity", c.capacity);
  if (c.growthStep < 1 || c.growthStep > TDVXMemoryPageManager::kMaxCapacity) Invalid("growth step", c.growthStep);
  if (size != pageSize) Invalid("page size", size);
  if (header != 0) Invalid("page header size", header);
  return c;
}

TDVXMemoryPageManager::TDVXMemoryPageManager() : TDVXPageManager(kPageSize, 0) {}

TDVXMemoryPageManager::~TDVXMemoryPageManager() = default;

int32_t TDVXMemoryPageManager::GetPageCount() {
  TDVXLockGuard guard(Lock());
  return pageCount_;
}

bool TDVXMemoryPageManager::IsAllocated(int32_t pageNo) const {
  return pageNo >= 0 && pageNo < allocated_.Size() && allocated_.Get(pageNo);
}

void TDVXMemoryPageManager::Grow(int32_t pageNo) {
  if (pageNo < Capacity()) return;
  const int32_t capacity = std::max(Capacity() + growthStep_, pageNo + 1);
  // Every new slot is made before any member changes, so a failed
  // allocation leaves the manager as it was.
  std::vector<TDVXBufferPtr> fresh;
  for (int32_t i = Capacity(); i < capacity; ++i) fresh.push_back(AllocBuffer(static_cast<size_t>(kPageSize)));
  slots_.reserve(static_cast<size_t>(capacity));
  for (auto& slot : fresh) slots_.push_back(std::move(slot));
  allocated_.Resize(capacity);
}

void TDVXMemoryPageManager::InternalAddPage(TDVXPage& page) {
  // The lowest free number, or the next one after the highest used.
  const int32_t highest = allocated_.HighestSet();
  int32_t no = allocated_.FindClear(0, highest + 1);
  if (no == -1) no = highest + 1;
  if (no < 0) throw EDVXException(kErrPagesStreamInvalid, "Invalid PageNo = %d", {no});
  Grow(no);
  if (allocated_.Get(no)) NotAllocated(kErrPageStillAllocated);
  std::memset(Slot(no), 0, static_cast<size_t>(kPageSize));
  allocated_.Set(no, true);
  ++pageCount_;
  page.SetPageNo(no);
  std::memset(Frame(page), 0, static_cast<size_t>(kPageSize));
}

void TDVXMemoryPageManager::InternalRemovePage(int32_t pageNo) {
  if (!IsAllocated(pageNo)) throw EDVXException(kErrMemoryFreeFreePage, "Invalid PageNo = %d", {pageNo});
  allocated_.Set(pageNo, false);
  --pageCount_;
  std::memset(Slot(pageNo), 0, static_cast<size_t>(kPageSize));
}

void TDVXMemoryPageManager::CheckPageNo(int32_t pageNo) {
  if (!IsAllocated(pageNo)) NotAllocated(kErrMemoryReadFreePage);
}

void TDVXMemoryPageManager::InternalReadPage(TDVXPage& page) {
  if (!IsAllocated(page.PageNo())) NotAllocated(kErrMemoryReadFreePage);
  std::memcpy(Frame(page), Slot(page.PageNo()), static_cast<size_t>(kPageSize));
}

void TDVXMemoryPageManager::InternalWritePage(TDVXPage& page) {
  if (!IsAllocated(page.PageNo())) NotAllocated(kErrMemoryWriteFreePage);
  std::memcpy(Slot(page.PageNo()), page.Buffer(), static_cast<size_t>(kPageSize));
}

void TDVXMemoryPageManager::Clear() {
  TDVXLockGuard guard(Lock());
  DiscardAllPages();
  slots_.clear();
  allocated_ = TDVXBitArray();
  pageCount_ = 0;
}

void TDVXMemoryPageManager::SaveToStream(TDVXStream& stream) {
  TDVXLockGuard guard(Lock());
  TDVXPageStreamCounters{Capacity(), HighestPageNo(), growthStep_, pageCount_}.Write(stream, PageSize(), HeaderSize());
  allocated_.SaveToStream(stream, kErrPagesWriteContents);
  for (auto& slot : slots_) stream.WriteBuffer(slot.get(), static_cast<size_t>(kPageSize), kErrPagesWriteContents);
}

void TDVXMemoryPageManager::LoadFromStream(TDVXStream& stream) {
  TDVXLockGuard guard(Lock());
  // Everything is read and checked into locals first: a failed load leaves
  // the manager as it was.
  const TDVXPageStreamCounters c = TDVXPageStreamCounters::Read(stream, kPageSize);
  const int32_t capacity = c.capacity, highest = c.highest, growth = c.growthStep, pageCount = c.pageCount;
  TDVXBitArray allocated;
  allocated.LoadFromStream(stream, capacity, kErrPagesReadContents, kErrPagesStreamInvalid);
  if (allocated.Size() != capacity) Invalid("bit count", allocated.Size());
  if (allocated.HighestSet() != highest) Invalid("highest page number", highest);
  if (allocated.CountSet() != pageCount) Invalid("page count", pageCount);
  CheckAvailable(stream, static_cast<uint64_t>(capacity) * kPageSize, kErrPagesReadContents);
  std::vector<TDVXBufferPtr> slots;
  slots.reserve(static_cast<size_t>(capacity));
  for (int32_t i = 0; i < capacity; ++i) {
    slots.push_back(AllocBuffer(static_cast<size_t>(kPageSize), false));
    stream.ReadBuffer(slots.back().get(), static_cast<size_t>(kPageSize), kErrPagesReadContents);
  }
  CheckNoDirtyPages();
  DiscardAllPages();
  slots_ = std::move(slots);
  allocated_ = std::move(allocated);
  pageCount_ = pageCount;
  growthStep_ = growth;
}

}  // namespace dvx
