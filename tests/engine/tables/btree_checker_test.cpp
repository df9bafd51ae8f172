// The invariant checker: a sound tree reports its shape, and each kind of
// damage is named.
#include "tests/engine/tables/btree_test_support.h"

namespace dvx::test {
namespace {

using testing::FromHex;
using ::testing::Contains;

class BTreeCheckerTest : public TBTreeFixture {
 protected:
  // Root node 0 over leaves 1 (NULL, 10) and 2 (20, 30, 40).
  void SetUp() override {
    MakeIntIndex(64);
    for (std::optional<int32_t> v : {std::optional<int32_t>(30), std::optional<int32_t>(10),
                                     std::optional<int32_t>(), std::optional<int32_t>(20), std::optional<int32_t>(40)})
      InsertInt(v);
    ASSERT_TRUE(Check().Ok());
  }
};

TEST_F(BTreeCheckerTest, SoundTreeReportsItsShape) {
  for (int i = 0; i < 40; ++i) InsertInt(i % 7);
  pm_->ApplyChanges(kSession);
  auto report = Check();
  EXPECT_TRUE(report.Ok()) << ::testing::PrintToString(report.problems);
  EXPECT_EQ(report.entryCount, 45);
  EXPECT_GE(report.depth, 3);
  EXPECT_EQ(report.levelPages.front(), 1);
  int pages = 0;
  for (int n : report.levelPages) pages += n;
  EXPECT_EQ(pages, static_cast<int>(report.pages.size()));
  EXPECT_EQ(memory_->LivePages(), pages);
}

TEST_F(BTreeCheckerTest, IndexWithoutPagesIsSound) {
  MakeIntIndex(64);
  auto report = Check();
  EXPECT_TRUE(report.Ok());
  EXPECT_EQ(report.depth, 0);
}

TEST_F(BTreeCheckerTest, NamesKeysOutOfOrder) {
  Patch(2, 18 + 1, FromHex("32000000"));  // 20 becomes 50, ahead of 30
  EXPECT_THAT(Check().problems, Contains("page 2: keys of entries 0 and 1 are out of order"));
}

TEST_F(BTreeCheckerTest, NamesKeysOutsideTheirSeparators) {
  Patch(0, 18 + 9 + 1, FromHex("0b000000"));  // separator 20 becomes 11
  EXPECT_THAT(Check().problems, ::testing::IsEmpty()) << "a lower separator still bounds its child";
  Patch(0, 18 + 9 + 1, FromHex("15000000"));  // 21: above the child's first key
  EXPECT_THAT(Check().problems, Contains("page 2: key of entry 0 is below its separator"));
  Patch(0, 18 + 9 + 1, FromHex("05000000"));  // 5: below a key of the left child
  EXPECT_THAT(Check().problems, Contains("page 1: key of entry 1 is above the next separator"));
}

TEST_F(BTreeCheckerTest, NamesBrokenLevelLinks) {
  Patch(1, 6, FromHex("ffffffff"));
  Patch(2, 2, FromHex("05000000"));
  auto problems = Check().problems;
  EXPECT_THAT(problems, Contains("page 1 on level 1: next link -1, expected 2"));
  EXPECT_THAT(problems, Contains("page 2 on level 1: previous link 5, expected 1"));
}

TEST_F(BTreeCheckerTest, NamesMisplacedRootFlags) {
  Patch(1, 0, FromHex("01"));
  EXPECT_THAT(Check().problems, Contains("page 1 carries the root flag below the root"));
  Patch(1, 0, FromHex("00"));
  Patch(0, 0, FromHex("00"));
  EXPECT_THAT(Check().problems, Contains("page 0 is the root without the root flag"));
}

TEST_F(BTreeCheckerTest, NamesPagesReachedTwiceAndLeavesOnTwoLevels) {
  Patch(0, 18 + 9 + 5, FromHex("01000000"));  // both entries lead to page 1
  EXPECT_THAT(Check().problems, Contains("page 1 is reached twice"));
  Patch(0, 18 + 9 + 5, FromHex("00000000"));  // ... or back to the root
  EXPECT_THAT(Check().problems, Contains("page 0 is reached twice"));
}

TEST_F(BTreeCheckerTest, NamesUnreadablePagesAndDuplicateRecords) {
  Patch(2, 18 + 11 + 5, FromHex("64000000 0300"));  // 30's record is 20's record
  EXPECT_THAT(Check().problems, Contains("page 2: record ID 100:3 appears twice in the index"));
  Patch(1, 12, FromHex("0900"));
  EXPECT_THAT(Check().problems, Contains("page 1: Index error: invalid page 1: key length differs from the index's"));
}

TEST_F(BTreeCheckerTest, NamesEmptyPagesBesideOthers) {
  Patch(1, 14, FromHex("0000"));
  EXPECT_THAT(Check().problems, Contains("page 1 on level 1 has no entries beside other pages of its level"));
}

}  // namespace
}  // namespace dvx::test
