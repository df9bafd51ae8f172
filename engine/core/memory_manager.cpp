#include "engine/core/memory_manager.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "engine/core/exception.h"

namespace dvx {
namespace {

constexpr uint8_t kKindHeap = 0;

void PutU32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
uint32_t GetU32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

uint64_t FreePhysicalMemory() {
  long pages = sysconf(_SC_AVPHYS_PAGES);
  long pageSize = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return UINT64_MAX;
  return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
}

}  // namespace

TDVXMemoryManager::~TDVXMemoryManager() {
  for (const void* block : live_) std::free(const_cast<uint8_t*>(static_cast<const uint8_t*>(block)) - kHeadSize);
}

TDVXMemoryManager& TDVXMemoryManager::Instance() {
  // Never destroyed: engine objects with static lifetime may free their
  // buffers during shut-down after this function's statics would be gone.
  static TDVXMemoryManager* instance = new TDVXMemoryManager();
  return *instance;
}

void TDVXMemoryManager::ReserveLocked(size_t size) {
  if (limit_ != 0 && current_ + size > limit_)
    throw EDVXException(30004, "Memory limit exceeded (Limit = %d bytes)", {static_cast<int64_t>(limit_)});
}

void* TDVXMemoryManager::GetMem(size_t size, bool zero) {
  if (size == 0) throw EDVXException(30286, "Cannot alocate 0 bytes");
  if (size > SIZE_MAX - kHeadSize - kTailSize) throw EDVXException(30004, "Memory limit exceeded (Limit = %d bytes)", {static_cast<int64_t>(limit_)});
  std::lock_guard<std::mutex> guard(lock_);
  ReserveLocked(size);
  auto* head = static_cast<uint8_t*>(zero ? std::calloc(1, kHeadSize + size + kTailSize)
                                          : std::malloc(kHeadSize + size + kTailSize));
  if (head == nullptr)
    throw EDVXException(30004, "Memory limit exceeded (Limit = %d bytes)", {static_cast<int64_t>(limit_)});
  uint64_t size64 = size;
  std::memcpy(head, &size64, 8);
  head[8] = kKindHeap;
  PutU32(head + 9, kHeadGuard);
  std::memset(head + 13, 0, 3);
  PutU32(head + kHeadSize + size, kTailGuard);
  void* block = head + kHeadSize;
  live_.insert(block);
  ++allocs_;
  current_ += size;
  if (current_ > peak_) peak_ = current_;
  return block;
}

uint8_t* TDVXMemoryManager::HeadOf(void* block) const {
  if (block == nullptr || live_.count(block) == 0) throw EDVXException(30001, "Invalid pointer");
  return static_cast<uint8_t*>(block) - kHeadSize;
}

void TDVXMemoryManager::CheckGuards(uint8_t* head, size_t size) const {
  if (GetU32(head + 9) != kHeadGuard || GetU32(head + kHeadSize + size) != kTailGuard)
    throw EDVXException(30137, "Memory overrun detected");
}

void TDVXMemoryManager::FreeMem(void* block) {
  std::lock_guard<std::mutex> guard(lock_);
  uint8_t* head = HeadOf(block);
  uint64_t size;
  std::memcpy(&size, head, 8);
  // A block whose guards are broken is still released: the damage is
  // reported, and keeping the block would only leak it.
  bool damaged = GetU32(head + 9) != kHeadGuard || GetU32(head + kHeadSize + size) != kTailGuard;
  live_.erase(block);
  ++frees_;
  current_ -= size;
  std::free(head);
  if (damaged) throw EDVXException(30137, "Memory overrun detected");
}

void* TDVXMemoryManager::ReallocMem(void* block, size_t newSize, bool zeroGrowth) {
  if (block == nullptr) return GetMem(newSize, zeroGrowth);
  if (newSize == 0) throw EDVXException(30286, "Cannot alocate 0 bytes");
  if (newSize > SIZE_MAX - kHeadSize - kTailSize) throw EDVXException(30004, "Memory limit exceeded (Limit = %d bytes)", {static_cast<int64_t>(limit_)});
  std::lock_guard<std::mutex> guard(lock_);
  uint8_t* head = HeadOf(block);
  uint64_t oldSize;
  std::memcpy(&oldSize, head, 8);
  CheckGuards(head, oldSize);
  if (newSize > oldSize) ReserveLocked(newSize - oldSize);
  auto* moved = static_cast<uint8_t*>(std::realloc(head, kHeadSize + newSize + kTailSize));
  if (moved == nullptr)
    throw EDVXException(30004, "Memory limit exceeded (Limit = %d bytes)", {static_cast<int64_t>(limit_)});
  live_.erase(block);
  uint64_t size64 = newSize;
  std::memcpy(moved, &size64, 8);
  if (newSize > oldSize && zeroGrowth) std::memset(moved + kHeadSize + oldSize, 0, newSize - oldSize);
  PutU32(moved + kHeadSize + newSize, kTailGuard);
  void* result = moved + kHeadSize;
  live_.insert(result);
  ++reallocs_;
  current_ = current_ - oldSize + newSize;
  if (current_ > peak_) peak_ = current_;
  return result;
}

size_t TDVXMemoryManager::BlockSize(const void* block) const {
  std::lock_guard<std::mutex> guard(lock_);
  uint8_t* head = HeadOf(const_cast<void*>(block));
  uint64_t size;
  std::memcpy(&size, head, 8);
  return static_cast<size_t>(size);
}

void TDVXMemoryManager::SetLimit(uint64_t bytes) {
  std::lock_guard<std::mutex> guard(lock_);
  limit_ = bytes;
}
uint64_t TDVXMemoryManager::Limit() const {
  std::lock_guard<std::mutex> guard(lock_);
  return limit_;
}
uint64_t TDVXMemoryManager::AvailableMemory() const {
  std::lock_guard<std::mutex> guard(lock_);
  uint64_t physical = FreePhysicalMemory();
  if (limit_ == 0) return physical;
  uint64_t rest = limit_ > current_ ? limit_ - current_ : 0;
  return rest < physical ? rest : physical;
}
uint64_t TDVXMemoryManager::AllocCount() const { std::lock_guard<std::mutex> g(lock_); return allocs_; }
uint64_t TDVXMemoryManager::FreeCount() const { std::lock_guard<std::mutex> g(lock_); return frees_; }
uint64_t TDVXMemoryManager::ReallocCount() const { std::lock_guard<std::mutex> g(lock_); return reallocs_; }
uint64_t TDVXMemoryManager::CurrentBytes() const { std::lock_guard<std::mutex> g(lock_); return current_; }
uint64_t TDVXMemoryManager::PeakBytes() const { std::lock_guard<std::mutex> g(lock_); return peak_; }

TDVXBufferPtr AllocBuffer(size_t size, bool zero) {
  return TDVXBufferPtr(static_cast<uint8_t*>(TDVXMemoryManager::Instance().GetMem(size, zero)));
}

}  // namespace dvx
