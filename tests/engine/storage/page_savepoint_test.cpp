// Savepoints inside a session's change set: a rollback to one puts back
// every page image the session changed since, releases the pages it added
// and forgets its removals, and leaves what came before the savepoint.
#include <map>
#include <random>

#include "engine/storage/database_checker.h"
#include "engine/storage/free_space_manager.h"
#include "tests/engine/storage/storage_test_util.h"

namespace dvx::test {
namespace {

class PageSavepointTest : public TDiskFixture {
 protected:
  void SetUp() override {
    pm_ = Create(512, 8);
    for (int i = 0; i < 4; ++i) pages_.push_back(AddWith(static_cast<uint8_t>(10 + i)));
    pm_->ApplyChanges(1);
  }
  int32_t AddWith(uint8_t value) {
    TDVXPageRef page(*pm_, pm_->AddPage(1));
    page->WritableData()[0] = value;
    return page->PageNo();
  }
  void Write(int32_t pageNo, uint8_t value) {
    TDVXPageRef page(*pm_, pm_->GetPage(1, pageNo));
    page->SetDirty();
    page->WritableData()[0] = value;
  }
  uint8_t Read(int32_t pageNo, int32_t session = 1) {
    TDVXPageRef page(*pm_, pm_->GetPage(session, pageNo));
    return page->Data()[0];
  }
  uint8_t OnDisk(int32_t pageNo) {
    std::vector<uint8_t> bytes(512);
    pm_->ReadWholePage(bytes.data(), pageNo, 0);
    return bytes[kPageHeaderSize];
  }

  std::unique_ptr<TDVXDiskPageManager> pm_;
  std::vector<int32_t> pages_;
};

TEST_F(PageSavepointTest, RollbackRestoresImagesAndKeepsEarlierChanges) {
  Write(pages_[0], 20);  // before the savepoint: stays
  pm_->BeginSavepoint(1);
  Write(pages_[0], 30);
  Write(pages_[1], 31);
  pm_->RollbackToSavepoint(1);
  EXPECT_EQ(Read(pages_[0]), 20);
  EXPECT_EQ(Read(pages_[1]), 11);
  pm_->ApplyChanges(1);
  EXPECT_EQ(OnDisk(pages_[0]), 20);
  EXPECT_EQ(OnDisk(pages_[1]), 11);
}

TEST_F(PageSavepointTest, PageCleanBeforeTheSavepointIsCleanAgainAndNotWritten) {
  pm_->BeginSavepoint(1);
  Write(pages_[2], 99);
  pm_->RollbackToSavepoint(1);
  EXPECT_FALSE(pm_->HasChanges(1));
  // Another session may take the page again: it is no longer held dirty.
  EXPECT_EQ(Read(pages_[2], 2), 12);
}

TEST_F(PageSavepointTest, PagesAddedSinceTheSavepointAreReleased) {
  const int32_t before = AddWith(40);
  const int32_t freeBefore = pm_->FreeSpaceManager().FreePageCount();
  pm_->BeginSavepoint(1);
  AddWith(41);
  AddWith(42);
  pm_->RollbackToSavepoint(1);
  EXPECT_EQ(pm_->FreeSpaceManager().FreePageCount(), freeBefore);
  pm_->ApplyChanges(1);
  EXPECT_EQ(OnDisk(before), 40);
}

TEST_F(PageSavepointTest, RemovalsSinceTheSavepointAreForgotten) {
  pm_->RemovePage(1, pages_[0]);
  pm_->BeginSavepoint(1);
  pm_->RemovePage(1, pages_[1]);
  pm_->RollbackToSavepoint(1);
  const int32_t freeBefore = pm_->FreeSpaceManager().FreePageCount();
  pm_->ApplyChanges(1);
  EXPECT_EQ(pm_->FreeSpaceManager().FreePageCount(), freeBefore + 1);
  EXPECT_EQ(OnDisk(pages_[1]), 11);
}

TEST_F(PageSavepointTest, RollbackWhilePageIsHeldIsRefusedAndChangesNothing) {
  pm_->BeginSavepoint(1);
  Write(pages_[0], 50);
  TDVXPage* held = pm_->GetPage(1, pages_[0]);
  EXPECT_THAT([&] { pm_->RollbackToSavepoint(1); }, ThrowsDvx(30952));
  EXPECT_EQ(held->Data()[0], 50);
  pm_->PutPage(held);
  pm_->RollbackToSavepoint(1);
  EXPECT_EQ(Read(pages_[0]), 10);
}

TEST_F(PageSavepointTest, SecondSavepointAndRollbackWithoutOneAreRefused) {
  EXPECT_THAT([&] { pm_->RollbackToSavepoint(1); }, ThrowsDvx(30951));
  pm_->BeginSavepoint(1);
  EXPECT_THAT([&] { pm_->BeginSavepoint(1); }, ThrowsDvx(30950));
  pm_->ReleaseSavepoint(1);
  EXPECT_FALSE(pm_->HasSavepoint(1));
}

TEST_F(PageSavepointTest, CommitEndsTheSavepoint) {
  pm_->BeginSavepoint(1);
  Write(pages_[0], 60);
  pm_->ApplyChanges(1);
  EXPECT_FALSE(pm_->HasSavepoint(1));
  EXPECT_EQ(OnDisk(pages_[0]), 60);
}

// Random operations in savepoints, half of them rolled back, against a
// model of every page's first byte; after every step the session's view
// and, after every commit, the file agree with the model.
TEST_F(PageSavepointTest, RandomSavepointsAgreeWithModel) {
  std::mt19937 rng(7);
  std::map<int32_t, uint8_t> model;
  for (int32_t no : pages_) model[no] = static_cast<uint8_t>(10 + (no - pages_[0]));
  for (int step = 0; step < 400; ++step) {
    std::map<int32_t, uint8_t> before = model;
    pm_->BeginSavepoint(1);
    for (int n = rng() % 5; n >= 0; --n) {
      const int what = rng() % 4;
      if (what == 0 || model.empty()) {
        const uint8_t v = static_cast<uint8_t>(rng());
        model[AddWith(v)] = v;
      } else {
        auto it = std::next(model.begin(), static_cast<long>(rng() % model.size()));
        if (what == 1 && model.size() > 2) {
          pm_->RemovePage(1, it->first);
          model.erase(it);
        } else {
          it->second = static_cast<uint8_t>(rng());
          Write(it->first, it->second);
        }
      }
    }
    if (rng() % 2) {
      pm_->RollbackToSavepoint(1);
      model = before;
    } else {
      pm_->ReleaseSavepoint(1);
    }
    for (auto& [no, v] : model) ASSERT_EQ(Read(no), v) << "step " << step << " page " << no;
    if (rng() % 8 == 0) {
      pm_->ApplyChanges(1);
      for (auto& [no, v] : model) ASSERT_EQ(OnDisk(no), v);
    }
  }
  pm_->ApplyChanges(1);
  pm_->DiscardAllPages();
  for (auto& [no, v] : model) EXPECT_EQ(Read(no), v);
  // No page a rolled-back operation took stays in use. (The file has no
  // system directory, which the checker reports apart.)
  TDVXDatabaseChecker checker(*pm_);
  for (auto& [no, v] : model) checker.AddReferencedPage(no, "model page");
  checker.Check();
  EXPECT_THAT(checker.UnownedPages(), ::testing::IsEmpty());
}

}  // namespace
}  // namespace dvx::test
