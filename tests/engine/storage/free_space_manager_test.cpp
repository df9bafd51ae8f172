// Allocation and release through the free-space bitmaps, at their edges.
#include <random>
#include <set>

#include "engine/storage/free_space_manager.h"
#include "tests/engine/storage/storage_test_util.h"

namespace dvx::test {
namespace {

class FreeSpaceTest : public TDiskFixture {
 protected:
  std::vector<uint8_t> PageBytes(int pageSize, int32_t no) {
    auto b = Bytes();
    size_t at = 298 + static_cast<size_t>(no) * pageSize;
    return std::vector<uint8_t>(b.begin() + at, b.begin() + at + pageSize);
  }
  int64_t FileSize() { return static_cast<int64_t>(Bytes().size()); }
};

TEST_F(FreeSpaceTest, AllocationOnPageCountFourReturnsFourAndMarksTheBitmaps) {
  auto pm = Create(4096, 8);
  EXPECT_EQ(pm->AllocatePageNo(), 3);
  EXPECT_EQ(pm->AllocatePageNo(), 4);
  auto pfs = PageBytes(4096, 0);
  EXPECT_EQ(pfs[40], 0x1F);  // bits 0..4
  EXPECT_EQ(PageBytes(4096, 1)[40], 0x01);
  EXPECT_EQ(PageBytes(4096, 2)[40], 0x00);
  EXPECT_EQ(FileSize(), 298 + 5 * 4096);
}

TEST_F(FreeSpaceTest, FullExtentIsMarkedInTheSGAM) {
  auto pm = Create(4096, 8);
  for (int i = 0; i < 5; ++i) pm->AllocatePageNo();  // pages 3..7
  EXPECT_EQ(PageBytes(4096, 2)[40], 0x01);
  EXPECT_EQ(pm->AllocatePageNo(), 8);
  EXPECT_EQ(PageBytes(4096, 1)[40], 0x03);
  pm->FreePageNo(5);
  EXPECT_EQ(PageBytes(4096, 2)[40], 0x00);
}

TEST_F(FreeSpaceTest, FreeingTheLastPageShrinksTheFile) {
  auto pm = Create(4096, 8);
  pm->AllocatePageNo();
  int32_t last = pm->AllocatePageNo();
  pm->FreePageNo(last);
  EXPECT_EQ(pm->GetPageCount(), 4);
  EXPECT_EQ(FileSize(), 298 + 4 * 4096);
  EXPECT_EQ(ReadI32(Bytes(), 18), 4);
}

TEST_F(FreeSpaceTest, FreedMiddlePageIsReusedFirst) {
  auto pm = Create(4096, 8);
  for (int i = 0; i < 6; ++i) pm->AllocatePageNo();  // 3..8
  pm->FreePageNo(5);
  EXPECT_EQ(pm->GetPageCount(), 9);
  EXPECT_EQ(pm->FreeSpaceManager().FreePageCount(), 1);
  EXPECT_EQ(pm->AllocatePageNo(), 5);
  EXPECT_EQ(pm->GetPageCount(), 9);
}

TEST_F(FreeSpaceTest, BitmapPagesAndFreePagesCannotBeFreed) {
  auto pm = Create(4096, 8);
  pm->AllocatePageNo();
  EXPECT_THAT([&] { pm->FreePageNo(0); }, ThrowsDvx(50001, HasSubstr("Error - cannot free PFS page, pageNo = 0")));
  EXPECT_THAT([&] { pm->FreePageNo(1); }, ThrowsDvx(50001));
  EXPECT_THAT([&] { pm->FreePageNo(2); }, ThrowsDvx(50001));
  EXPECT_THAT([&] { pm->FreePageNo(4); }, ThrowsDvx(50034));
  pm->AllocatePageNo();
  pm->AllocatePageNo();
  pm->FreePageNo(4);
  EXPECT_THAT([&] { pm->FreePageNo(4); }, ThrowsDvx(50035));
}

TEST_F(FreeSpaceTest, StateLockByteHeldElsewhereMakesAllocationFail) {
  Create(4096, 8)->CloseDatabaseFile();
  auto a = Open(false);
  auto b = Open(false);
  ASSERT_TRUE(a->LockStateByte());
  EXPECT_THAT([&] { b->AllocatePageNo(); }, ThrowsDvx(50000, HasSubstr("RetryCount = 3, Delay = 1")));
  a->UnlockStateByte();
  EXPECT_EQ(b->AllocatePageNo(), 3);
}

// Page size 128 gives B = 704 pages per PFS page; with E = 4 an interval is
// I = 2816 pages, so a few thousand allocations cross both boundaries.
TEST_F(FreeSpaceTest, GrowingPastAPFSPageAndAnIntervalAndShrinkingBack) {
  auto pm = Create(128, 4);
  std::vector<int32_t> pages;
  for (int i = 0; i < 2900; ++i) pages.push_back(pm->AllocatePageNo());
  std::set<int32_t> unique(pages.begin(), pages.end());
  EXPECT_EQ(unique.size(), pages.size());
  for (int32_t bitmap : {0, 1, 2, 704, 1408, 2112, 2816, 2817, 2818}) EXPECT_EQ(unique.count(bitmap), 0u) << bitmap;
  EXPECT_EQ(PageBytes(128, 704)[8], PageTypeIDPFS);
  EXPECT_EQ(PageBytes(128, 2816)[8], PageTypeIDPFS);
  EXPECT_EQ(PageBytes(128, 2817)[8], PageTypeIDGAM);
  EXPECT_EQ(PageBytes(128, 2818)[8], PageTypeIDSGAM);
  // A new interval's first extent (2816..2819) is full at once with E = 4.
  EXPECT_EQ(PageBytes(128, 2818)[40] & 1, 1);
  EXPECT_EQ(pm->GetPageCount(), 2900 + 3 + 3 + 3);
  for (auto it = pages.rbegin(); it != pages.rend(); ++it) pm->FreePageNo(*it);
  EXPECT_EQ(pm->GetPageCount(), 3);
  EXPECT_EQ(FileSize(), 298 + 3 * 128);
}

TEST_F(FreeSpaceTest, ShrinkingNeverEndsOnABitmapPage) {
  auto pm = Create(128, 4);
  std::vector<int32_t> pages;
  while (pm->GetPageCount() < 706) pages.push_back(pm->AllocatePageNo());
  EXPECT_EQ(pages.back(), 705);  // PFS 704 then its first page
  pm->FreePageNo(705);
  EXPECT_EQ(pm->GetPageCount(), 704);  // PFS page 704 went too
  EXPECT_EQ(pm->AllocatePageNo(), 705);
  EXPECT_EQ(PageBytes(128, 704)[8], PageTypeIDPFS);
  pm->FreePageNo(pages[5]);
  pm->FreePageNo(705);
  EXPECT_EQ(pm->GetPageCount(), 704);
}

// A model of the allocator: the lowest free page is handed out unless the
// file ends exactly at a bitmap boundary, where it grows.
TEST_F(FreeSpaceTest, RandomAllocationsAndReleasesFollowTheModel) {
  auto pm = Create(128, 4);
  const int64_t B = 704, I = 2816;
  std::set<int32_t> used;
  std::mt19937 rng(7);
  auto isBitmap = [&](int64_t p) { return p % B == 0 || p % I == 1 || p % I == 2; };
  for (int step = 0; step < 6000; ++step) {
    bool allocate = used.empty() || rng() % 100 < (step < 4000 ? 70 : 20);
    if (allocate) {
      int64_t pc = pm->GetPageCount();
      int64_t expected = -1;
      if (pc % I != 0 && pc % B != 0)
        for (int64_t p = 3; p < pc; ++p)
          if (!isBitmap(p) && !used.count(static_cast<int32_t>(p))) {
            expected = p;
            break;
          }
      int32_t got = pm->AllocatePageNo();
      ASSERT_FALSE(isBitmap(got)) << got;
      ASSERT_TRUE(used.insert(got).second) << "page handed out twice: " << got;
      if (expected >= 0) {
        ASSERT_EQ(got, expected);
      }
    } else {
      auto it = used.begin();
      std::advance(it, rng() % used.size());
      pm->FreePageNo(*it);
      used.erase(it);
    }
    if (step % 500 == 0 || !allocate) {
      int64_t pc = pm->GetPageCount();
      int64_t top = used.empty() ? 2 : *used.rbegin();
      ASSERT_FALSE(isBitmap(pc - 1) && pc > 3) << "file ends on a bitmap page " << pc - 1;
      if (!allocate) {
        ASSERT_EQ(pc - 1, std::max<int64_t>(top, 2));
      }
    }
  }
  int64_t pc = pm->GetPageCount();
  int64_t bitmaps = 0;
  for (int64_t p = 0; p < pc; ++p) bitmaps += isBitmap(p);
  EXPECT_EQ(pm->FreeSpaceManager().FreePageCount(), pc - bitmaps - static_cast<int64_t>(used.size()));
}

}  // namespace
}  // namespace dvx::test
