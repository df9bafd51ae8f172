#pragma once
// TDVXMemoryManager: the engine-wide guarded allocator.
//
// Block layout (the head is private to the process):
//   offset 0   8  user size
//   offset 8   1  allocation kind (0 heap)
//   offset 9   4  head guard word kHeadGuard
//   offset 13  3  padding, so the user area starts 16-aligned
//   offset 16  n  user bytes
//   offset 16+n 4 tail guard word kTailGuard (unaligned)
//
// Live blocks are also kept in a set, so a pointer that was never handed
// out or was freed already is refused ("Invalid pointer") without touching
// memory that is not ours any more.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_set>

namespace dvx {

class TDVXMemoryManager {
 public:
  static constexpr uint32_t kHeadGuard = 0xA5C3E1F7u;
  static constexpr uint32_t kTailGuard = 0x5E3C1A7Fu;
  static constexpr size_t kHeadSize = 16;
  static constexpr size_t kTailSize = 4;

  TDVXMemoryManager() = default;
  ~TDVXMemoryManager();
  TDVXMemoryManager(const TDVXMemoryManager&) = delete;
  TDVXMemoryManager& operator=(const TDVXMemoryManager&) = delete;

  // The process-wide allocator engine buffers come from.
  static TDVXMemoryManager& Instance();

  // A block of `size` bytes, zero-filled when `zero` is set.
  void* GetMem(size_t size, bool zero = true);
  // Resizes a block; the grown part is zero-filled when `zeroGrowth` is set.
  // A null pointer allocates.
  void* ReallocMem(void* block, size_t newSize, bool zeroGrowth = true);
  void FreeMem(void* block);
  size_t BlockSize(const void* block) const;

  // 0 means no limit.
  void SetLimit(uint64_t bytes);
  uint64_t Limit() const;
  // The smaller of the limit's remainder and the free physical memory.
  uint64_t AvailableMemory() const;

  uint64_t AllocCount() const;
  uint64_t FreeCount() const;
  uint64_t ReallocCount() const;
  uint64_t CurrentBytes() const;
  uint64_t PeakBytes() const;

 private:
  uint8_t* HeadOf(void* block) const;
  void CheckGuards(uint8_t* head, size_t size) const;
  void ReserveLocked(size_t size);

  mutable std::mutex lock_;
  std::unordered_set<const void*> live_;
  uint64_t limit_ = 0;
  uint64_t allocs_ = 0, frees_ = 0, reallocs_ = 0, current_ = 0, peak_ = 0;
};

// Frees through the engine allocator; for std::unique_ptr.
struct TDVXMemFree {
  void operator()(void* block) const { TDVXMemoryManager::Instance().FreeMem(block); }
};
using TDVXBufferPtr = std::unique_ptr<uint8_t[], TDVXMemFree>;
// A zeroed engine buffer that is freed by its owner.
TDVXBufferPtr AllocBuffer(size_t size, bool zero = true);

}  // namespace dvx
