// Inserting, deleting and updating entries: the root's life, splits,
// duplicates that span leaves, merges back down, unchanged keys on update,
// building and dropping an index.
#include <algorithm>
#include <random>

#include "tests/engine/tables/btree_test_support.h"

namespace dvx::test {
namespace {

class BTreeInsertDeleteTest : public TBTreeFixture {};

TEST_F(BTreeInsertDeleteTest, FirstInsertAllocatesTheRootAndTheLastDeleteKeepsIt) {
  MakeIntIndex(64);
  EXPECT_EQ(def_.RootPageNo(), -1);
  TDVXRecordID id = InsertInt(5);
  const int32_t root = def_.RootPageNo();
  ASSERT_NE(root, -1);
  Delete(id);
  EXPECT_EQ(def_.RootPageNo(), root);
  EXPECT_TRUE(Entries().empty());
  pm_->ApplyChanges(kSession);
  EXPECT_EQ(memory_->LivePages(), 1);
  ExpectValid();
}

TEST_F(BTreeInsertDeleteTest, FifthEntryOfAFourEntryPageSplitsTheRootOnDisk) {
  // CHAR(16) keys take 24-byte entries: four fit a 128-byte page.
  UseDiskPages(128);
  table_.AddField("W", aftChar, 16);
  MakeIndex({{"W", false, false}});
  auto word = [&](const char* s) {
    Record r = table_.NewRecord();
    table_.SetText(r, 0, s);
    return Insert(r);
  };
  for (const char* s : {"delta", "alpha", "echo", "bravo"}) word(s);
  const int32_t root = def_.RootPageNo();
  EXPECT_EQ(Check().depth, 1);
  word("charlie");
  auto report = Check();
  EXPECT_TRUE(report.Ok()) << ::testing::PrintToString(report.problems);
  EXPECT_EQ(def_.RootPageNo(), root);
  EXPECT_EQ(report.depth, 2);
  EXPECT_EQ(report.levelPages, (std::vector<int>{1, 2}));
  TDVXBTreeContext context = index_->Context(kSession);
  TDVXBTreePage node(context, root);
  ASSERT_FALSE(node.IsLeaf());
  ASSERT_EQ(node.Count(), 2);
  EXPECT_EQ(TDVXBTreePage(context, node.Child(0)).Count(), 2);
  EXPECT_EQ(TDVXBTreePage(context, node.Child(1)).Count(), 3);
  std::vector<std::string> words;
  for (auto& e : Entries()) words.emplace_back(reinterpret_cast<const char*>(e.first.data() + 1));
  EXPECT_EQ(words, (std::vector<std::string>{"alpha", "bravo", "charlie", "delta", "echo"}));
}

TEST_F(BTreeInsertDeleteTest, DuplicatesSpanningLeavesAreEachFound) {
  MakeIntIndex(64);
  std::vector<TDVXRecordID> sevens;
  for (int i = 0; i < 30; ++i) {
    InsertInt(i % 3 == 0 ? 3 : 9);
    sevens.push_back(InsertInt(7));
  }
  auto report = Check();
  ASSERT_TRUE(report.Ok()) << ::testing::PrintToString(report.problems);
  ASSERT_GT(report.levelPages.back(), 5) << "the sevens fill several leaves";
  for (const TDVXRecordID& id : sevens) {
    TDVXKeyPath path;
    ASSERT_TRUE(index_->FindKeyPath(kSession, table_.Get(id).data(), id, path));
    EXPECT_EQ(index_->RecordIDAt(kSession, path), id);
  }
  std::mt19937 rng(3);
  std::shuffle(sevens.begin(), sevens.end(), rng);
  for (const TDVXRecordID& id : sevens) {
    Delete(id);
    ExpectValid();
  }
  for (auto& e : Entries()) EXPECT_NE(IntOf(e.first), 7);
}

TEST_F(BTreeInsertDeleteTest, DeletingAnEntryThatIsNotThereIs20027) {
  MakeIntIndex(64);
  Record r = IntRecord(4);
  const char* message = "Index error: cannot delete entry. Entry not found";
  EXPECT_THAT([&] { index_->DeleteRecord(kSession, r.data(), TDVXRecordID{1, 1}); }, ThrowsDvx(20027, message));
  TDVXRecordID id = InsertInt(4);
  EXPECT_THAT([&] { index_->DeleteRecord(kSession, r.data(), TDVXRecordID{1, 1}); }, ThrowsDvx(20027, message));
  Record other = IntRecord(5);
  EXPECT_THAT([&] { index_->DeleteRecord(kSession, other.data(), id); }, ThrowsDvx(20027, message));
  EXPECT_THAT([&] { index_->UpdateRecord(kSession, other.data(), r.data(), id); }, ThrowsDvx(20027, message));
  EXPECT_EQ(Entries().size(), 1u);
}

TEST_F(BTreeInsertDeleteTest, DeletingEverythingMergesBackToTheRoot) {
  MakeIntIndex(64);
  std::vector<TDVXRecordID> ids;
  std::mt19937 rng(9);
  for (int i = 0; i < 400; ++i) ids.push_back(InsertInt(static_cast<int32_t>(rng() % 50)));
  const int32_t root = def_.RootPageNo();
  pm_->ApplyChanges(kSession);
  const int grown = memory_->LivePages();
  std::shuffle(ids.begin(), ids.end(), rng);
  for (size_t i = 0; i < ids.size(); ++i) {
    Delete(ids[i]);
    if (i % 25 == 0) ExpectValid();
  }
  pm_->ApplyChanges(kSession);
  auto report = Check();
  EXPECT_TRUE(report.Ok()) << ::testing::PrintToString(report.problems);
  EXPECT_EQ(report.entryCount, 0);
  EXPECT_EQ(def_.RootPageNo(), root);
  EXPECT_LT(memory_->LivePages(), grown / 10) << "merged pages are freed";
  EXPECT_EQ(memory_->LivePages(), static_cast<int>(report.pages.size()));
}

TEST_F(BTreeInsertDeleteTest, UpdateWithAnUnchangedKeyLeavesTheIndexUntouched) {
  UseMemoryPages(128);
  table_.AddField("W", aftChar, 8);
  table_.AddField("N", aftInteger);
  MakeIndex({{"W", false, true}});
  Record r = table_.NewRecord();
  table_.SetText(r, 0, "abc");
  TDVXRecordID id = Insert(r);
  for (const char* w : {"x", "y", "z", "w", "v"}) {
    Record other = table_.NewRecord();
    table_.SetText(other, 0, w);
    Insert(other);
  }
  pm_->ApplyChanges(kSession);
  const auto before = Check().pages;
  std::vector<std::vector<uint8_t>> images;
  for (int32_t p : before) images.push_back(PageImage(p));
  const uint64_t changes = index_->ChangeCount();

  Record changed = r;
  table_.SetInt(changed, 1, 42);        // not a key column
  table_.SetText(changed, 0, "ABC");  // equal to "abc" in a case-insensitive column
  index_->UpdateRecord(kSession, r.data(), changed.data(), id);
  EXPECT_EQ(index_->ChangeCount(), changes);
  EXPECT_FALSE(pm_->HasChanges(kSession));
  size_t i = 0;
  for (int32_t p : before) EXPECT_EQ(PageImage(p), images[i++]) << "page " << p;

  Record moved = r;
  table_.SetText(moved, 0, "zz");
  index_->UpdateRecord(kSession, r.data(), moved.data(), id);
  EXPECT_EQ(RecordOrder().back(), id);
  ExpectValid();
}

TEST_F(BTreeInsertDeleteTest, CreateBuildsTheIndexFromEveryRecord) {
  UseMemoryPages(64);
  table_.AddField("K", aftInteger);
  std::mt19937 rng(5);
  for (int i = 0; i < 300; ++i) table_.Add(IntRecord(static_cast<int32_t>(rng() % 1000)));
  def_.SetObjectName("IX");
  def_.AddColumn("K");
  index_ = std::make_unique<TDVXBTreeIndex>(def_, &table_.fields, *pm_);
  index_->Create(kSession, table_);
  auto report = Check();
  EXPECT_TRUE(report.Ok()) << ::testing::PrintToString(report.problems);
  EXPECT_EQ(report.entryCount, 300);
  auto entries = Entries();
  EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end(),
                             [](const auto& a, const auto& b) { return IntOf(a.first) < IntOf(b.first); }));

  index_->Drop(kSession);
  EXPECT_NE(def_.RootPageNo(), -1) << "resetting the root is the caller's";
  pm_->ApplyChanges(kSession);
  EXPECT_EQ(memory_->LivePages(), 0);
}

TEST_F(BTreeInsertDeleteTest, UniqueIndexOverDuplicateKeysLeavesNoIndexBehind) {
  UseMemoryPages(64);
  table_.AddField("K", aftInteger);
  for (int i = 0; i < 40; ++i) table_.Add(IntRecord(i));
  table_.Add(IntRecord(17));
  def_.SetObjectName("PK");
  def_.AddColumn("K");
  def_.SetPrimary(true);
  index_ = std::make_unique<TDVXBTreeIndex>(def_, &table_.fields, *pm_);
  EXPECT_THAT([&] { index_->Create(kSession, table_); },
              ThrowsDvx(30943, "Cannot create unique index 'PK'. Duplicate key found"));
  EXPECT_EQ(def_.RootPageNo(), -1);
  pm_->ApplyChanges(kSession);
  EXPECT_EQ(memory_->LivePages(), 0);
}

TEST_F(BTreeInsertDeleteTest, DescendingColumnPutsNullsLast) {
  UseMemoryPages(64);
  table_.AddField("K", aftInteger);
  for (bool descending : {false, true}) {
    SCOPED_TRACE(descending ? "descending" : "ascending");
    MakeIndex({{"K", descending, false}});
    for (std::optional<int32_t> v : {std::optional<int32_t>(20), std::optional<int32_t>(), std::optional<int32_t>(-3),
                                     std::optional<int32_t>(8), std::optional<int32_t>()})
      InsertInt(v);
    std::vector<std::optional<int32_t>> keys;
    for (auto& e : Entries()) keys.push_back(IntOf(e.first));
    std::vector<std::optional<int32_t>> expected = {std::nullopt, std::nullopt, -3, 8, 20};
    if (descending) std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(keys, expected);
    ExpectValid();
  }
}

}  // namespace
}  // namespace dvx::test
