// Index pages byte for byte: hand-computed images of a leaf and of a node,
// and damaged images that must be refused rather than read.
#include "tests/engine/tables/btree_test_support.h"

namespace dvx::test {
namespace {

using testing::FromHex;

class BTreePageImageTest : public TBTreeFixture {
 protected:
  // The bytes given, then zeros to the end of the page.
  std::string Page(const std::string& hex) {
    std::vector<uint8_t> bytes = FromHex(hex);
    bytes.resize(static_cast<size_t>(pm_->PageSize()), 0);
    return ToHex(bytes);
  }
  // A four-entry leaf: INTEGER keys need 11-byte entries, and 64 bytes
  // hold 18 + 4 * 11 of them.
  void FillRootLeaf() {
    MakeIntIndex(64);
    InsertInt(30);            // record 100:0
    InsertInt(10);            // 100:1
    InsertInt(std::nullopt);  // 100:2
    InsertInt(20);            // 100:3
  }
};

TEST_F(BTreePageImageTest, RootLeafHoldsItsEntriesInKeyOrder) {
  FillRootLeaf();
  ASSERT_EQ(def_.RootPageNo(), 0);
  EXPECT_EQ(ToHex(PageImage(0)), Page("01 01 ffffffff ffffffff 01 00 0500 0400 0000"
                                      "01 00000000 64000000 0200"    // NULL first
                                      "00 0a000000 64000000 0100"    // 10
                                      "00 14000000 64000000 0300"    // 20
                                      "00 1e000000 64000000 0000"));  // 30
}

TEST_F(BTreePageImageTest, FifthEntrySplitsTheRootIntoANodeOverTwoLeaves) {
  FillRootLeaf();
  InsertInt(40);  // 100:4
  EXPECT_EQ(def_.RootPageNo(), 0) << "the root keeps its page";
  EXPECT_EQ(ToHex(PageImage(0)), Page("01 00 ffffffff ffffffff 01 00 0500 0200 0000"
                                      "00 00000000 01000000"    // below every key: page 1
                                      "00 14000000 02000000"));  // from 20 on: page 2
  EXPECT_EQ(ToHex(PageImage(1)), Page("00 01 ffffffff 02000000 00 00 0500 0200 0000"
                                      "01 00000000 64000000 0200"
                                      "00 0a000000 64000000 0100"));
  EXPECT_EQ(ToHex(PageImage(2)), Page("00 01 01000000 ffffffff 00 00 0500 0300 0000"
                                      "00 14000000 64000000 0300"
                                      "00 1e000000 64000000 0000"
                                      "00 28000000 64000000 0400"));
  ExpectValid();
}

TEST_F(BTreePageImageTest, DeletedEntriesLeaveNoBytesBehind) {
  FillRootLeaf();
  TDVXKeyPath path;
  ASSERT_TRUE(index_->Last(kSession, path));
  Delete(index_->RecordIDAt(kSession, path));  // 30, the last entry
  EXPECT_EQ(ToHex(PageImage(0)), Page("01 01 ffffffff ffffffff 01 00 0500 0300 0000"
                                      "01 00000000 64000000 0200"
                                      "00 0a000000 64000000 0100"
                                      "00 14000000 64000000 0300"));
}

TEST_F(BTreePageImageTest, NewPagesOverwriteTheStorageHeader) {
  UseDiskPages(128);
  table_.AddField("K", aftInteger);
  MakeIndex({{"K", false, false}});
  InsertInt(7);
  std::vector<uint8_t> image = PageImage(def_.RootPageNo());
  std::vector<uint8_t> expected = FromHex("01 01 ffffffff ffffffff 01 00 0500 0100 0000 00 07000000 64000000 0000");
  expected.resize(128, 0);
  EXPECT_EQ(ToHex(image), ToHex(expected));
}

TEST_F(BTreePageImageTest, ExtraHeaderMovesTheEntries) {
  // Pages from elsewhere may carry an extra header; entries start behind
  // it and stay there when the page changes.
  MakeIntIndex(64);
  InsertInt(5);
  Patch(0, 0, FromHex("01 01 ffffffff ffffffff 01 00 0500 0100 0200 abcd 00 05000000 64000000 0000"));
  InsertInt(3);
  auto entries = Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(IntOf(entries[0].first), 3);
  EXPECT_EQ(IntOf(entries[1].first), 5);
  EXPECT_EQ(ToHex(PageImage(0)).substr(0, 2 * 42), ToHex(FromHex("01 01 ffffffff ffffffff 01 00 0500 0200 0200 abcd"
                                                                 "00 03000000 64000000 0100"
                                                                 "00 05000000 64000000 0000")));
}

struct TDamage {
  const char* name;
  size_t offset;
  std::vector<uint8_t> bytes;
  const char* message;
};

class BTreeDamagedPageTest : public BTreePageImageTest, public ::testing::WithParamInterface<TDamage> {};

TEST_P(BTreeDamagedPageTest, IsRefusedWithTheFault) {
  FillRootLeaf();
  const TDamage& damage = GetParam();
  Patch(0, damage.offset, damage.bytes);
  auto message = std::string("Index error: invalid page 0: ") + damage.message;
  TDVXKeyPath path;
  EXPECT_THAT([&] { index_->First(kSession, path); }, ThrowsDvx(30940, message));
  EXPECT_THAT([&] { InsertInt(1); }, ThrowsDvx(30940, message));
  EXPECT_THAT([&] { Check(); }, ::testing::Not(ThrowsDvx()));
  EXPECT_THAT(Check().problems, ::testing::ElementsAre("page 0: " + message));
}

INSTANTIATE_TEST_SUITE_P(
    Damages, BTreeDamagedPageTest,
    ::testing::Values(TDamage{"KeyLength", 12, {6, 0}, "key length differs from the index's"},
                      TDamage{"CountPastPage", 14, {5, 0}, "entry count runs past the page"},
                      TDamage{"HugeCount", 14, {0xff, 0xff}, "entry count runs past the page"},
                      TDamage{"ExtraHeaderPastPage", 16, {47, 0}, "extra header runs past the page"},
                      TDamage{"ExtendedEntries", 11, {1}, "extended entries are not supported"},
                      TDamage{"LeafFlag", 1, {2}, "leaf flag is neither 0 nor 1"},
                      TDamage{"RootFlag", 0, {7}, "root flag is neither 0 nor 1"}),
    [](const auto& info) { return std::string(info.param.name); });

class BTreeDamagedTreeTest : public BTreePageImageTest {
 protected:
  // Root node 0 over leaves 1 and 2.
  void SetUp() override {
    FillRootLeaf();
    InsertInt(40);
  }
};

TEST_F(BTreeDamagedTreeTest, ChildWithTheRootFlagIsRefused) {
  Patch(1, 0, FromHex("01"));
  EXPECT_THAT([&] { InsertInt(1); },
              ThrowsDvx(30944, "Index error: invalid tree: page 1 below page 0 carries the root flag"));
}

TEST_F(BTreeDamagedTreeTest, ChildThatIsItsOwnNodeIsRefused) {
  Patch(0, 18 + 5, FromHex("00000000"));
  EXPECT_THAT([&] { InsertInt(1); },
              ThrowsDvx(30944, "Index error: invalid tree: entry 0 of page 0 names no child page"));
}

TEST_F(BTreeDamagedTreeTest, ChildWithoutPageNumberIsRefused) {
  Patch(0, 18 + 9 + 5, FromHex("ffffffff"));
  EXPECT_THAT([&] { InsertInt(35); },
              ThrowsDvx(30944, "Index error: invalid tree: entry 1 of page 0 names no child page"));
}

TEST_F(BTreeDamagedTreeTest, NodeWithoutEntriesIsRefused) {
  Patch(0, 14, FromHex("0000"));
  TDVXKeyPath path;
  EXPECT_THAT([&] { index_->First(kSession, path); },
              ThrowsDvx(30944, "Index error: invalid tree: page 0 is a node without entries"));
}

TEST_F(BTreeDamagedTreeTest, LeafOnTheNodeLevelIsRefusedWhenWalked) {
  Patch(1, 1, FromHex("00"));  // leaf 1 claims to be a node; its entries then run to child pages
  TDVXKeyPath path;
  EXPECT_THAT([&] { index_->First(kSession, path); }, ThrowsDvx());
  EXPECT_FALSE(Check().Ok());
}

}  // namespace
}  // namespace dvx::test
