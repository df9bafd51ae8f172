// The page cache and the per-session change sets.
#include <set>
#include <thread>

#include "engine/storage/free_space_manager.h"
#include "tests/engine/storage/storage_test_util.h"

namespace dvx::test {
namespace {

class PageCacheTest : public TDiskFixture {
 protected:
  // A file with `n` committed pages after the bitmaps (pages 3 .. 3+n-1),
  // each holding its own number in its first data byte.
  std::unique_ptr<TDVXDiskPageManager> WithPages(int n, int pageSize = 512) {
    auto pm = Create(pageSize, 8);
    for (int i = 0; i < n; ++i) {
      TDVXPage* p = pm->AddPage(1);
      p->WritableData()[0] = static_cast<uint8_t>(p->PageNo());
      pm->PutPage(p);
    }
    pm->ApplyChanges(1);
    pm->DiscardAllPages();
    return pm;
  }
};

TEST_F(PageCacheTest, ThirtyOnePagesReleasedKeepThirtyAndDropTheFirst) {
  auto pm = WithPages(31);
  for (int no = 3; no < 34; ++no) pm->PutPage(pm->GetPage(1, no));
  EXPECT_EQ(pm->CachedPageCount(), 30u);
  // The first released page was dropped: reading it again goes to the file.
  fs_.FailNthRead(1);
  EXPECT_THAT([&] { pm->GetPage(1, 3); }, ThrowsDvx());
  TDVXPage* kept = pm->GetPage(1, 4);  // still cached, no read needed
  EXPECT_EQ(kept->Data()[0], 4);
  pm->PutPage(kept);
}

TEST_F(PageCacheTest, PagesInUseAreNotEvicted) {
  auto pm = WithPages(32);
  TDVXPage* held = pm->GetPage(1, 3);
  for (int no = 4; no < 35; ++no) pm->PutPage(pm->GetPage(1, no));
  EXPECT_EQ(held->Data()[0], 3);
  pm->PutPage(held);
  EXPECT_EQ(pm->CachedPageCount(), 30u);
}

TEST_F(PageCacheTest, PageHeldByOneSessionIsRefusedToAnother) {
  auto pm = WithPages(1);
  TDVXPage* page = pm->GetPage(1, 3);
  EXPECT_THAT([&] { pm->GetPage(2, 3); }, ThrowsDvx(20090, HasSubstr("Page is used by other session")));
  pm->PutPage(page);
  pm->PutPage(pm->GetPage(2, 3));
}

TEST_F(PageCacheTest, UncommittedChangesOfOneSessionStayInvisibleToAnother) {
  auto pm = WithPages(1);
  TDVXPage* page = pm->GetPage(1, 3);
  const uint8_t before = page->Data()[0];
  page->SetDirty();
  page->WritableData()[0] = 99;
  pm->PutPage(page);
  TDVXPage* copy = pm->GetPage(2, 3);
  EXPECT_NE(copy, page);
  EXPECT_EQ(copy->Data()[0], before) << "the other session reads the file's version";
  EXPECT_THAT([&] { copy->SetDirty(); }, ThrowsDvx(20090));
  pm->PutPage(copy);
  EXPECT_EQ(pm->GetPage(1, 3)->Data()[0], 99) << "the change stays its session's";
  pm->PutPage(page);
  pm->ApplyChanges(1);
  TDVXPage* seen = pm->GetPage(2, 3);
  EXPECT_EQ(seen->Data()[0], 99);
  pm->PutPage(seen);
}

TEST_F(PageCacheTest, DirtyPageIsNeverRereadWhenTheCounterMoves) {
  Create(512, 8)->CloseDatabaseFile();
  auto a = Open(false);
  auto b = Open(false);
  TDVXPage* added = b->AddPage(1);
  b->PutPage(added);
  b->ApplyChanges(1);
  TDVXPage* page = a->GetPage(1, 3);
  page->SetDirty();
  page->WritableData()[5] = 42;
  // Another manager commits: the counter moves while `page` is dirty.
  TDVXPage* other = b->AddPage(1);
  b->PutPage(other);
  b->ApplyChanges(1);
  // A second use of the page, still in the clean list but dirty and in use.
  TDVXPage* nested = a->GetPage(1, 3);
  EXPECT_EQ(nested, page);
  EXPECT_EQ(nested->Data()[5], 42);
  a->PutPage(nested);
  a->PutPage(page);
  TDVXPage* again = a->GetPage(1, 3);
  EXPECT_EQ(again->Data()[5], 42);
  a->PutPage(again);
  a->ApplyChanges(1);
}

TEST_F(PageCacheTest, SharedManagerRereadsAPageAnotherCommitChanged) {
  WithPages(1)->CloseDatabaseFile();
  auto a = Open(false);
  auto b = Open(false);
  a->PutPage(a->GetPage(1, 3));
  TDVXPage* page = b->GetPage(1, 3);
  page->SetDirty();
  page->WritableData()[0] = 0xAB;
  b->PutPage(page);
  b->ApplyChanges(1);
  TDVXPage* seen = a->GetPage(1, 3);
  EXPECT_EQ(seen->Data()[0], 0xAB);
  a->PutPage(seen);
  // The hook can spare a page from revalidation.
  TDVXPage* p2 = b->GetPage(1, 3);
  p2->SetDirty();
  p2->WritableData()[0] = 0xCD;
  b->PutPage(p2);
  b->ApplyChanges(1);
  TDVXPage* spared = a->GetPage(1, 3, [](void*, int32_t, int32_t) { return false; }, nullptr);
  EXPECT_EQ(spared->Data()[0], 0xAB);
  a->PutPage(spared);
}

TEST_F(PageCacheTest, SharedManagerSeesPagesAnotherProcessAdded) {
  Create(512, 8)->CloseDatabaseFile();
  auto a = Open(false);
  auto b = Open(false);
  TDVXPage* page = b->AddPage(1);
  page->WritableData()[0] = 7;
  b->PutPage(page);
  b->ApplyChanges(1);
  TDVXPage* seen = a->GetPage(1, 3);
  EXPECT_EQ(seen->Data()[0], 7);
  a->PutPage(seen);
}

TEST_F(PageCacheTest, RollbackFreesAddedPagesAndDropsChanges) {
  auto pm = WithPages(1);
  TDVXPage* changed = pm->GetPage(1, 3);
  changed->SetDirty();
  changed->WritableData()[0] = 200;
  pm->PutPage(changed);
  for (int i = 0; i < 3; ++i) pm->PutPage(pm->AddPage(1));
  EXPECT_EQ(pm->GetPageCount(), 7);
  pm->CancelChanges(1);
  EXPECT_EQ(pm->GetPageCount(), 4);
  EXPECT_EQ(pm->FreeSpaceManager().FreePageCount(), 0);
  TDVXPage* page = pm->GetPage(1, 3);
  EXPECT_EQ(page->Data()[0], 3);
  pm->PutPage(page);
}

TEST_F(PageCacheTest, CommitRaisesTheStateCounterAndStampsPages) {
  auto pm = WithPages(0);
  int32_t before = pm->Header().stateCounter;
  TDVXPage* p = pm->AddPage(1);
  pm->PutPage(p);
  pm->ApplyChanges(1);
  EXPECT_EQ(pm->Header().stateCounter, before + 1);
  TDVXPage* again = pm->GetPage(1, 3);
  EXPECT_EQ(again->Stamp(), before + 1);
  pm->PutPage(again);
  pm->ApplyChanges(1);  // nothing to do: counter unchanged
  EXPECT_EQ(ReadI32(Bytes(), 22), before + 1);
}

TEST_F(PageCacheTest, IncrementStateCounterWritesTheRaisedCounterToTheHeader) {
  auto pm = WithPages(0);
  int32_t before = ReadI32(Bytes(), 22);
  EXPECT_EQ(pm->IncrementStateCounter(), before + 1);
  EXPECT_EQ(ReadI32(Bytes(), 22), before + 1);
  EXPECT_EQ(pm->GetStateCounter(), before + 1);
  fs_.FailNthWrite(1);
  EXPECT_THAT([&] { pm->IncrementStateCounter(); }, ThrowsDvx());
  // The failed attempt released the state byte: the next one goes through.
  int32_t raised = pm->IncrementStateCounter();
  EXPECT_EQ(raised, ReadI32(Bytes(), 22));
  EXPECT_EQ(raised, before + 2);
}

TEST_F(PageCacheTest, CommitOfAPageStillHeldIsRefused) {
  auto pm = WithPages(1);
  TDVXPage* p = pm->GetPage(1, 3);
  p->SetDirty();
  pm->PutPage(p);
  TDVXPage* held = pm->GetPage(1, 3);
  auto before = Bytes();
  EXPECT_THAT([&] { pm->ApplyChanges(1); }, ThrowsDvx(10823, HasSubstr("Cannot remove used page, pageNo = 3, UseCount = 1")));
  EXPECT_EQ(Bytes(), before);
  pm->PutPage(held);
  pm->ApplyChanges(1);
}

TEST_F(PageCacheTest, RemovedPagesAreFreedAtCommitOnly) {
  auto pm = WithPages(2);
  pm->RemovePage(1, 3);
  pm->RemovePage(1, 3);  // twice in one change set frees once
  EXPECT_EQ(pm->FreeSpaceManager().FreePageCount(), 0);
  pm->ApplyChanges(1);
  EXPECT_EQ(pm->FreeSpaceManager().FreePageCount(), 1);
  TDVXPage* reused = pm->AddPage(1);
  EXPECT_EQ(reused->PageNo(), 3);
  pm->PutPage(reused);
  pm->ApplyChanges(1);
}

TEST_F(PageCacheTest, PutPageChecksUseCount) {
  auto pm = WithPages(1);
  TDVXPage* p = pm->GetPage(1, 3);
  pm->PutPage(p);
  EXPECT_THAT([&] { pm->PutPage(p); }, ThrowsDvx(10665));
}

TEST_F(PageCacheTest, FailedReadLeavesNoPageInTheCache) {
  auto pm = WithPages(2);
  fs_.FailNthRead(1);
  EXPECT_THAT([&] { pm->GetPage(1, 4); }, ThrowsDvx(10466));
  EXPECT_EQ(pm->CachedPageCount(), 0u);
  TDVXPage* page = pm->GetPage(1, 4);
  EXPECT_EQ(page->Data()[0], 4);
  pm->PutPage(page);
}

TEST_F(PageCacheTest, PageObjectsCheckTheirHandOutAndBuffers) {
  auto pm = WithPages(0);
  TDVXPage stray(pm.get(), 512, 40);
  stray.SetPageNo(3);
  EXPECT_THAT([&] { pm->PutPage(&stray); }, ThrowsDvx(20040));
  TDVXPage unassigned(pm.get(), 512, 40);
  EXPECT_THAT([&] { pm->PutPage(&unassigned); }, ThrowsDvx(20065));
  EXPECT_THAT([&] { stray.AssignBuffer(nullptr, 1024); }, ThrowsDvx(20038));
  std::vector<uint8_t> small(100, 1), large(1024, 2);
  EXPECT_THAT([&] { stray.AssignBuffer(small.data(), small.size()); }, ThrowsDvx(20039));
  stray.AssignBuffer(large.data(), large.size());
  EXPECT_EQ(stray.BufferSize(), 1024u);
  EXPECT_EQ(stray.Buffer()[1023], 2);
  std::vector<uint8_t> slot(512, 9);
  stray.BorrowBuffer(slot.data());
  EXPECT_FALSE(stray.OwnsBuffer());
  EXPECT_EQ(stray.Data()[0], 9);
}

TEST_F(PageCacheTest, PageRefGivesThePageBackOnException) {
  auto pm = WithPages(1);
  try {
    TDVXPageRef ref(*pm, pm->GetPage(1, 3));
    throw std::runtime_error("x");
  } catch (const std::runtime_error&) {
  }
  // Still held by session 1, the page would be refused to session 2.
  EXPECT_NO_THROW(pm->PutPage(pm->GetPage(2, 3)));
}

TEST_F(PageCacheTest, ClosingWithUncommittedPagesIsRefused) {
  auto pm = WithPages(0);
  pm->PutPage(pm->AddPage(1));
  EXPECT_THAT([&] { pm->CloseDatabaseFile(); }, ThrowsDvx(20097, HasSubstr("TDVXDiskPageManager")));
  pm->CancelChanges(1);
  pm->CloseDatabaseFile();
}

TEST_F(PageCacheTest, FailedWriteInACommitKeepsTheChangeSetForARetry) {
  auto pm = WithPages(0);
  for (int i = 0; i < 3; ++i) {
    TDVXPage* p = pm->AddPage(1);
    p->WritableData()[1] = static_cast<uint8_t>(10 + i);
    pm->PutPage(p);
  }
  fs_.FailNthWrite(2);
  EXPECT_THAT([&] { pm->ApplyChanges(1); }, ThrowsDvx());
  EXPECT_TRUE(pm->HasChanges(1));
  pm->ApplyChanges(1);
  pm->FlushBuffers();
  auto b = Bytes();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(b[298 + (3 + i) * 512 + 41], 10 + i);
  EXPECT_FALSE(pm->HasChanges(1));
}

TEST_F(PageCacheTest, FailedHeaderWriteAndFailedFlushSurfaceAndLeaveTheManagerUsable) {
  auto pm = WithPages(0);
  // Fail the 1st, 2nd, ... write of an add-and-commit: each failure is an
  // engine error, and the manager goes on working afterwards.
  int failures = 0;
  for (int w = 1; w <= 8; ++w) {
    fs_.FailNthWrite(w);
    int32_t code = DvxCodeOf([&] {
      TDVXPage* p = pm->AddPage(1);
      p->WritableData()[0] = static_cast<uint8_t>(w);
      pm->PutPage(p);
      pm->ApplyChanges(1);
    });
    failures += code != 0;
    fs_.FailNthWrite(0);
    if (pm->HasChanges(1)) pm->ApplyChanges(1);
    EXPECT_FALSE(pm->HasChanges(1));
  }
  EXPECT_GT(failures, 3);
  // A direct write leaves something to sync (after a commit, which syncs
  // itself, a flush has nothing to do).
  const int32_t spare = pm->AllocatePageNo();
  fs_.FailNthFlush(1);
  EXPECT_THAT([&] { pm->FlushBuffers(); }, ThrowsDvx(30379));
  const int flushes = fs_.FlushCount();
  pm->FlushBuffers();
  EXPECT_EQ(fs_.FlushCount(), flushes + 1) << "the failed sync is tried again";
  pm->FlushBuffers();
  EXPECT_EQ(fs_.FlushCount(), flushes + 1) << "nothing written since";
  pm->FreePageNo(spare);
  pm->CloseDatabaseFile();
  auto again = Open();
  int32_t count = again->GetPageCount();
  EXPECT_GE(count, 3 + 8 - failures);
  // Every committed page can be read back.
  for (int32_t no = 3; no < count; ++no) again->PutPage(again->GetPage(1, no));
}

TEST_F(PageCacheTest, ThreadsWithTheirOwnSessionsShareOneManager) {
  auto pm = WithPages(0);
  std::vector<std::vector<int32_t>> added(4);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 100; ++i) {
        TDVXPage* page = pm->AddPage(t + 1);
        page->WritableData()[0] = static_cast<uint8_t>(t + 1);
        added[t].push_back(page->PageNo());
        pm->PutPage(page);
        if (i % 10 == 9) pm->ApplyChanges(t + 1);
      }
    });
  for (auto& th : threads) th.join();
  std::set<int32_t> all;
  for (int t = 0; t < 4; ++t)
    for (int32_t no : added[t]) {
      ASSERT_TRUE(all.insert(no).second) << "page " << no << " handed out twice";
      TDVXPage* page = pm->GetPage(9, no);
      EXPECT_EQ(page->Data()[0], t + 1);
      pm->PutPage(page);
    }
  EXPECT_EQ(pm->GetPageCount(), 403);
}

}  // namespace
}  // namespace dvx::test
