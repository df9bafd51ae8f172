// Savepoints cost nothing for the pages an operation leaves alone: a page's
// image is taken at its first change under the savepoint, and a rollback
// puts back exactly those. One transaction of 100,000 operations, each in
// its own savepoint and some rolled back at random, is checked page for
// page against a model.
#include <map>
#include <random>

#include "engine/storage/database_checker.h"
#include "tests/engine/storage/storage_test_util.h"

namespace dvx::test {
namespace {

constexpr int32_t kSession = 1;
using TBytes = std::vector<uint8_t>;

class PageSavepointModelTest : public TDiskFixture {
 protected:
  void SetUp() override { pm_ = Create(512, 8); }
  int DataSize() const { return pm_->PageDataSize(); }
  int32_t Add(const TBytes& bytes) {
    TDVXPageRef page(*pm_, pm_->AddPage(kSession));
    std::memcpy(page->WritableData(), bytes.data(), bytes.size());
    return page->PageNo();
  }
  void Write(int32_t pageNo, int offset, const TBytes& bytes) {
    TDVXPageRef page(*pm_, pm_->GetPage(kSession, pageNo));
    std::memcpy(page->WritableData() + offset, bytes.data(), bytes.size());
  }
  TBytes Read(int32_t pageNo) {
    TDVXPageRef page(*pm_, pm_->GetPage(kSession, pageNo));
    return TBytes(page->Data(), page->Data() + DataSize());
  }
  TBytes Random(std::mt19937& rng, size_t size) {
    TBytes bytes(size);
    for (auto& b : bytes) b = static_cast<uint8_t>(rng());
    return bytes;
  }

  std::unique_ptr<TDVXDiskPageManager> pm_;
};

TEST_F(PageSavepointModelTest, PagesOnlyReadUnderASavepointGetNoImage) {
  std::vector<int32_t> pages;
  for (int i = 0; i < 40; ++i) pages.push_back(Add(TBytes(static_cast<size_t>(DataSize()), static_cast<uint8_t>(i))));
  pm_->BeginSavepoint(kSession);
  for (int32_t no : pages) Read(no);
  EXPECT_EQ(pm_->SavedImageCount(kSession), 0u);
  pm_->ApplyChanges(kSession);
  for (int32_t no : pages) Write(no, 0, {1});
  pm_->BeginSavepoint(kSession);
  for (int32_t no : pages) Read(no);
  Write(pages[3], 5, {7, 7});
  Write(pages[9], 0, {8});
  Write(pages[3], 9, {9});
  EXPECT_EQ(pm_->SavedImageCount(kSession), 2u);
  pm_->RollbackToSavepoint(kSession);
  TBytes expected(static_cast<size_t>(DataSize()), 3);
  expected[0] = 1;
  EXPECT_EQ(Read(pages[3]), expected);
  expected.assign(static_cast<size_t>(DataSize()), 9);
  expected[0] = 1;
  EXPECT_EQ(Read(pages[9]), expected);
}

TEST_F(PageSavepointModelTest, AChangeToAPageHeldSinceBeforeTheSavepointIsRolledBack) {
  const int32_t no = Add(TBytes(static_cast<size_t>(DataSize()), 4));
  pm_->ApplyChanges(kSession);
  TDVXPageRef held(*pm_, pm_->GetPage(kSession, no));
  held->WritableData()[0] = 5;
  pm_->BeginSavepoint(kSession);
  held->WritableData()[0] = 6;
  held.Release();
  pm_->RollbackToSavepoint(kSession);
  EXPECT_EQ(Read(no)[0], 5);
  pm_->ApplyChanges(kSession);
  pm_->DiscardAllPages();
  EXPECT_EQ(Read(no)[0], 5);
}

TEST_F(PageSavepointModelTest, AHundredThousandOperationsWithRandomRollbacksAgreeWithTheModel) {
  std::mt19937 rng(28);
  std::map<int32_t, TBytes> model;
  for (int i = 0; i < 32; ++i) {
    TBytes bytes = Random(rng, static_cast<size_t>(DataSize()));
    model[Add(bytes)] = bytes;
  }
  pm_->ApplyChanges(kSession);
  auto pick = [&] { return std::next(model.begin(), static_cast<long>(rng() % model.size())); };
  auto expectAll = [&](int step) {
    for (auto& [no, bytes] : model) ASSERT_EQ(Read(no), bytes) << "operation " << step << ", page " << no;
  };
  int rollbacks = 0;
  for (int step = 0; step < 100000; ++step) {
    // What the operation changed, newest last, to undo the model with.
    std::vector<std::pair<int32_t, std::optional<TBytes>>> undo;
    std::vector<int32_t> touched;
    pm_->BeginSavepoint(kSession);
    for (int n = 1 + static_cast<int>(rng() % 3); n > 0; --n) {
      const unsigned what = rng() % 10;
      if (what == 0 && model.size() < 64) {
        TBytes bytes = Random(rng, static_cast<size_t>(DataSize()));
        const int32_t no = Add(bytes);
        undo.emplace_back(no, std::nullopt);
        model[no] = bytes;
        touched.push_back(no);
      } else if (what == 1 && model.size() > 16) {
        auto it = pick();
        pm_->RemovePage(kSession, it->first);
        undo.emplace_back(it->first, it->second);
        model.erase(it);
      } else if (what == 2) {
        auto it = pick();
        ASSERT_EQ(Read(it->first), it->second) << "operation " << step;
      } else {
        auto it = pick();
        const int offset = static_cast<int>(rng() % static_cast<unsigned>(DataSize() - 8));
        const TBytes bytes = Random(rng, 1 + rng() % 8);
        undo.emplace_back(it->first, it->second);
        Write(it->first, offset, bytes);
        std::copy(bytes.begin(), bytes.end(), it->second.begin() + offset);
        touched.push_back(it->first);
      }
    }
    if (rng() % 8 == 0) {
      pm_->RollbackToSavepoint(kSession);
      ++rollbacks;
      for (auto it = undo.rbegin(); it != undo.rend(); ++it) {
        if (it->second) model[it->first] = *it->second;
        else model.erase(it->first);
      }
      for (int32_t no : touched)
        if (model.count(no)) ASSERT_EQ(Read(no), model[no]) << "operation " << step << ", page " << no;
    } else {
      pm_->ReleaseSavepoint(kSession);
    }
    if (step % 5000 == 4999) ASSERT_NO_FATAL_FAILURE(expectAll(step));
  }
  EXPECT_GT(rollbacks, 10000);
  ASSERT_NO_FATAL_FAILURE(expectAll(100000));
  pm_->ApplyChanges(kSession);
  pm_->DiscardAllPages();
  ASSERT_NO_FATAL_FAILURE(expectAll(100000));
  // Every page the rolled-back operations added went back to the free space.
  // (The file has no system directory, which the checker reports apart.)
  TDVXDatabaseChecker checker(*pm_);
  for (auto& [no, bytes] : model) checker.AddReferencedPage(no, "model page");
  checker.Check();
  EXPECT_THAT(checker.UnownedPages(), ::testing::IsEmpty());
}

}  // namespace
}  // namespace dvx::test
