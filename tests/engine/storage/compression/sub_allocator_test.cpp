// The PPM sub-allocator against a model of the blocks handed out: random
// allocations, growth, shrinking and frees in a small memory that runs out
// again and again; blocks never overlap, keep their contents when moved,
// stay clear of the text area, and freed memory becomes usable again.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "engine/storage/compression/sub_allocator.h"

namespace dvx::test {
namespace {

using TAlloc = TPpmSubAllocator;
constexpr uint32_t kUnit = TAlloc::kUnitSize;

uint32_t ClassUnits(uint32_t units) { return TAlloc::IndexToUnits(TAlloc::UnitsToIndex(units)); }

TEST(PpmSubAllocatorTest, ThirtyEightClassesUpTo128Units) {
  const uint32_t first[13] = {1, 2, 3, 4, 6, 8, 10, 12, 15, 18, 21, 24, 28};
  for (int i = 0; i < 13; ++i) EXPECT_EQ(TAlloc::IndexToUnits(i), first[i]);
  EXPECT_EQ(TAlloc::IndexToUnits(TAlloc::kIndexCount - 1), 128u);
  for (uint32_t units = 1; units <= 128; ++units) {
    const int index = TAlloc::UnitsToIndex(units);
    EXPECT_GE(TAlloc::IndexToUnits(index), units);
    if (index > 0) {
      EXPECT_LT(TAlloc::IndexToUnits(index - 1), units);
    }
  }
}

class PpmSubAllocatorModelTest : public ::testing::Test {
 protected:
  struct TBlock {
    uint32_t units;  // as the user asked
    uint8_t tag;
  };

  TAlloc alloc_{64 * 1024};
  std::map<uint32_t, TBlock> live_;
  std::mt19937 rng_{5};

  // Contents by tag; byte 1 stays below 0xFF as a model state's frequency does.
  uint8_t Expected(uint8_t tag, uint32_t i) const { return static_cast<uint8_t>((tag + i * 7) % 251); }

  void Fill(uint32_t at, const TBlock& b, uint32_t from = 0) {
    for (uint32_t i = from; i < b.units * kUnit; ++i) alloc_.Base()[at + i] = Expected(b.tag, i);
  }

  void Check(uint32_t at, const TBlock& b) {
    for (uint32_t i = 0; i < b.units * kUnit; ++i)
      ASSERT_EQ(alloc_.Base()[at + i], Expected(b.tag, i)) << "block " << at << " byte " << i;
  }

  void Add(uint32_t at, uint32_t units, uint8_t tag) {
    ASSERT_EQ(at % 4, 0u);
    ASSERT_GE(at, alloc_.UnitsStart());
    ASSERT_GT(at, alloc_.Text());
    const uint32_t end = at + ClassUnits(units) * kUnit;
    auto next = live_.lower_bound(at);
    if (next != live_.end()) {
      ASSERT_LE(end, next->first) << "overlaps the block after it";
    }
    if (next != live_.begin()) {
      auto prev = std::prev(next);
      ASSERT_LE(prev->first + ClassUnits(prev->second.units) * kUnit, at) << "overlaps the block before it";
    }
    live_[at] = {units, tag};
    Fill(at, live_[at]);
  }

  std::map<uint32_t, TBlock>::iterator Pick() {
    auto it = live_.begin();
    std::advance(it, rng_() % live_.size());
    return it;
  }
};

TEST_F(PpmSubAllocatorModelTest, BlocksMatchTheModel) {
  int exhausted = 0;
  for (int step = 0; step < 20000; ++step) {
    const uint8_t tag = static_cast<uint8_t>(rng_());
    const int op = static_cast<int>(rng_() % 10);
    if (op < 2) {
      if (const uint32_t at = alloc_.AllocContext()) Add(at, 1, tag); else ++exhausted;
    } else if (op < 5) {
      const int index = static_cast<int>(rng_() % (rng_() % 4 == 0 ? TAlloc::kIndexCount : 8));
      if (const uint32_t at = alloc_.AllocUnits(index)) Add(at, TAlloc::IndexToUnits(index), tag); else ++exhausted;
    } else if (op < 7 && !live_.empty()) {
      auto it = Pick();
      const uint32_t old = it->first;
      const TBlock b = it->second;
      if (b.units >= TAlloc::kMaxBlockUnits) continue;
      const uint32_t moved = alloc_.ExpandUnits(old, b.units);
      if (moved == 0) {
        ++exhausted;
        Check(old, b);  // kept as it was
        continue;
      }
      live_.erase(it);
      Check(moved, b);
      Add(moved, b.units + 1, b.tag);
    } else if (op < 8 && !live_.empty()) {
      auto it = Pick();
      const uint32_t old = it->first;
      const TBlock b = it->second;
      if (b.units < 2) continue;
      const uint32_t units = 1 + rng_() % (b.units - 1);
      live_.erase(it);
      const uint32_t kept = alloc_.ShrinkUnits(old, b.units, units);
      Check(kept, {units, b.tag});
      Add(kept, units, b.tag);
    } else if (!live_.empty()) {
      auto it = Pick();
      Check(it->first, it->second);
      alloc_.FreeUnits(it->first, it->second.units);
      live_.erase(it);
    }
    if (rng_() % 4 == 0) alloc_.PutText(tag);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(exhausted, 100) << "the memory never ran out; the test is too gentle";
  for (const auto& [at, b] : live_) Check(at, b);
}

TEST_F(PpmSubAllocatorModelTest, FreedSmallBlocksAreGluedForLargeRequests) {
  // Fill the memory with one-unit contexts, free them all, then ask for the
  // largest class: only merging neighbours can serve it. Between two glues
  // the allocator lets 255 requests fail (the model restarts on them
  // anyway), so failures are tolerated up to that many in a row.
  std::vector<uint32_t> small;
  while (const uint32_t at = alloc_.AllocContext()) small.push_back(at);
  const size_t units = small.size();
  ASSERT_GT(units, 4000u);
  for (uint32_t at : small) alloc_.FreeUnits(at, 1);
  size_t large = 0;
  for (int failuresInARow = 0; failuresInARow < 300;) {
    if (alloc_.AllocUnits(TAlloc::kIndexCount - 1) != 0) {
      ++large;
      failuresInARow = 0;
    } else {
      ++failuresInARow;
    }
  }
  EXPECT_GE(large * 128, units * 9 / 10);
}

TEST_F(PpmSubAllocatorModelTest, TextStopsShortOfTheUnitsAndResetStartsOver) {
  uint32_t written = 0;
  while (alloc_.PutText(static_cast<uint8_t>(written))) ++written;
  EXPECT_LT(alloc_.Text(), alloc_.UnitsStart());
  EXPECT_GT(written, 64u * 1024 / 8 - 2 * kUnit);
  // With the text area full, running out of units takes nothing from it.
  while (alloc_.AllocContext() != 0) {
  }
  EXPECT_LT(alloc_.Text(), alloc_.UnitsStart());
  alloc_.Reset();
  EXPECT_EQ(alloc_.Text(), alloc_.TextStart());
  EXPECT_NE(alloc_.AllocUnits(TAlloc::kIndexCount - 1), 0u);
}

}  // namespace
}  // namespace dvx::test
