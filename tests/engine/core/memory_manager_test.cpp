#include "engine/core/memory_manager.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "engine/core/exception.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::ThrowsDvx;
using dvx::testing::ThrowsDvxWithText;

namespace dvx {
namespace {

class MemoryManagerTest : public ::testing::Test {
 protected:
  TDVXMemoryManager mm;
};

TEST_F(MemoryManagerTest, BlocksAreAlignedZeroedAndCounted) {
  auto* a = static_cast<uint8_t*>(mm.GetMem(3));
  auto* b = static_cast<uint8_t*>(mm.GetMem(100));
  EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 16, 0u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % 16, 0u);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(b[i], 0);
  EXPECT_EQ(mm.CurrentBytes(), 103u);
  EXPECT_EQ(mm.AllocCount(), 2u);
  mm.FreeMem(a);
  EXPECT_EQ(mm.CurrentBytes(), 100u);
  EXPECT_EQ(mm.PeakBytes(), 103u);
  EXPECT_EQ(mm.FreeCount(), 1u);
  mm.FreeMem(b);
  EXPECT_EQ(mm.CurrentBytes(), 0u);
}

TEST_F(MemoryManagerTest, ZeroSizeRequestFails) {
  EXPECT_THAT([&] { mm.GetMem(0); }, ThrowsDvxWithText(30286, "Cannot alocate 0 bytes - Native error: 30286"));
}

TEST_F(MemoryManagerTest, TailOverrunIsDetectedOnFree) {
  auto* p = static_cast<uint8_t*>(mm.GetMem(10));
  p[10] = 0xEE;  // one byte past the end: the tail guard
  EXPECT_THAT([&] { mm.FreeMem(p); }, ThrowsDvx(30137));
  EXPECT_EQ(mm.CurrentBytes(), 0u);  // released all the same
}

TEST_F(MemoryManagerTest, HeadUnderrunIsDetectedOnFree) {
  auto* p = static_cast<uint8_t*>(mm.GetMem(10));
  p[-4] ^= 0xFF;  // inside the head's guard word
  EXPECT_THAT([&] { mm.FreeMem(p); }, ThrowsDvx(30137));
}

TEST_F(MemoryManagerTest, DoubleFreeAndForeignPointersAreInvalid) {
  void* p = mm.GetMem(8);
  mm.FreeMem(p);
  EXPECT_THAT([&] { mm.FreeMem(p); }, ThrowsDvx(30001));
  int local = 0;
  EXPECT_THAT([&] { mm.FreeMem(&local); }, ThrowsDvx(30001));
  EXPECT_THAT([&] { mm.FreeMem(nullptr); }, ThrowsDvx(30001));
  EXPECT_EQ(mm.FreeCount(), 1u);
}

TEST_F(MemoryManagerTest, LimitRefusesWhatWouldExceedIt) {
  mm.SetLimit(100);
  void* a = mm.GetMem(60);
  EXPECT_THAT([&] { mm.GetMem(41); },
              ThrowsDvxWithText(30004, "Memory limit exceeded (Limit = 100 bytes) - Native error: 30004"));
  void* b = mm.GetMem(40);
  EXPECT_EQ(mm.AvailableMemory(), 0u);
  EXPECT_THAT([&] { mm.ReallocMem(b, 41); }, ThrowsDvx(30004));
  mm.FreeMem(a);
  mm.FreeMem(b);
  EXPECT_EQ(mm.AvailableMemory(), 100u);
}

TEST_F(MemoryManagerTest, ReallocKeepsContentAndZeroesGrowthWhenAsked) {
  auto* p = static_cast<uint8_t*>(mm.GetMem(4, false));
  std::memcpy(p, "abcd", 4);
  p = static_cast<uint8_t*>(mm.ReallocMem(p, 4096, true));
  EXPECT_EQ(std::memcmp(p, "abcd", 4), 0);
  for (int i = 4; i < 4096; ++i) ASSERT_EQ(p[i], 0) << i;
  EXPECT_EQ(mm.BlockSize(p), 4096u);
  p = static_cast<uint8_t*>(mm.ReallocMem(p, 2));
  EXPECT_EQ(std::memcmp(p, "ab", 2), 0);
  EXPECT_EQ(mm.CurrentBytes(), 2u);
  EXPECT_EQ(mm.ReallocCount(), 2u);
  p[2] = 1;  // the tail guard moved with the shrink
  EXPECT_THAT([&] { mm.FreeMem(p); }, ThrowsDvx(30137));
}

TEST_F(MemoryManagerTest, ThreadedStressKeepsCountersExact) {
  constexpr int kThreads = 4, kRounds = 2000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([this, t] {
      std::vector<void*> held;
      for (int i = 0; i < kRounds; ++i) {
        size_t size = 1 + static_cast<size_t>((i * 37 + t * 11) % 300);
        auto* p = static_cast<uint8_t*>(mm.GetMem(size, false));
        std::memset(p, t, size);
        held.push_back(p);
        if (i % 3 == 0) held.back() = mm.ReallocMem(held.back(), size + 50);
        if (held.size() > 16) {
          mm.FreeMem(held.front());
          held.erase(held.begin());
        }
      }
      for (void* p : held) mm.FreeMem(p);
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(mm.CurrentBytes(), 0u);
  EXPECT_EQ(mm.AllocCount(), static_cast<uint64_t>(kThreads * kRounds));
  EXPECT_EQ(mm.FreeCount(), mm.AllocCount());
}

TEST(EngineBuffer, OwnedBufferReturnsToTheProcessAllocator) {
  auto& mm = TDVXMemoryManager::Instance();
  uint64_t before = mm.CurrentBytes();
  {
    TDVXBufferPtr buffer = AllocBuffer(64);
    EXPECT_EQ(buffer[63], 0);
    EXPECT_GE(mm.CurrentBytes(), before + 64);
  }
  EXPECT_EQ(mm.CurrentBytes(), before);
}

}  // namespace
}  // namespace dvx
