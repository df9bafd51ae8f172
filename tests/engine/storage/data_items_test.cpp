// Data items: small-data pages with their directory, large-item chains,
// ItemID reuse, and pages whose bytes cannot be right.
#include <gtest/gtest.h>

#include <functional>

#include "engine/storage/record_errors.h"
#include "table_storage_harness.h"

namespace dvx::test {
namespace {

class DataItems : public TTableStorageFixture {
 protected:
  void SetUp() override {
    fields_.Add("Id", aftInteger);
    CreateTable();
  }
  TDVXDataItemManager& Items() { return rm_->Items(); }
  // An item of total size `total` (header included), its bytes a pattern.
  TDVXRecordID WriteOfTotal(int total, uint32_t seed = 1) {
    return Items().WriteItem(session_, tpkBlobs, {0, 0, 0}, Pattern(static_cast<size_t>(total - kItemHeaderSize), seed));
  }
  std::vector<uint8_t> DataOf(const TDVXRecordID& reference) {
    std::vector<uint8_t> data;
    Items().ReadItem(session_, reference, data);
    return data;
  }
  uint16_t TypeOf(int32_t pageNo) {
    TDVXPageRef page(PM(), PM().GetPage(session_, pageNo));
    return TDVXPageHeader::PageType(page->Buffer());
  }
  // The data area of a page as the file holds it after a commit.
  std::vector<uint8_t> DataArea(int32_t pageNo) {
    std::vector<uint8_t> page = FilePage(pageNo);
    return std::vector<uint8_t>(page.begin() + kPageHeaderSize, page.end());
  }
};

TEST_F(DataItems, ASmallItemIsItsHeaderAndBytesWithADirectoryEntryAtTheEnd) {
  TDVXRecordID abc = Items().WriteItem(session_, tpkStrings, {kVarStringWord0, 4, 0},
                                       std::vector<uint8_t>{'a', 'b', 'c', 0});
  Commit();
  EXPECT_EQ(0, abc.itemNo);
  std::vector<uint8_t> area = DataArea(abc.pageNo);
  // Header: Word0 -1, UncompressedSize 4, StoredSize 4; then "abc\0".
  EXPECT_EQ("ffffffff" "0400000000000000" "0400000000000000" "61626300", testing::ToHex(area.data(), 24));
  const size_t end = area.size();
  EXPECT_EQ(1, ReadU16(area, end - 2));        // ItemCount
  EXPECT_EQ(0, ReadU16(area, end - 6));        // ItemID
  EXPECT_EQ(24, ReadU16(area, end - 4));       // ItemSize
  EXPECT_EQ(4056 - 2 - 4 - 24, rm_->Maps().PageValue(session_, abc.pageNo));
  TDVXTablePageKind kind;
  rm_->Maps().PageValue(session_, abc.pageNo, &kind);
  EXPECT_EQ(tpkStrings, kind);
  EXPECT_EQ(PageTypeIDTableDataSmall, TypeOf(abc.pageNo));
}

TEST_F(DataItems, AnItemOf4049BytesStaysSmallAndOneOf4050StartsAChain) {
  TDVXRecordID small = WriteOfTotal(4049);
  TDVXRecordID large = WriteOfTotal(4050, 2);
  EXPECT_EQ(PageTypeIDTableDataSmall, TypeOf(small.pageNo));
  EXPECT_EQ(1, rm_->Maps().PageValue(session_, small.pageNo));  // 4056 - 2 - 4 - 4049
  EXPECT_EQ(PageTypeIDTableDataLarge, TypeOf(large.pageNo));
  EXPECT_EQ(0, large.itemNo);
  EXPECT_EQ(0, rm_->Maps().PageValue(session_, large.pageNo));
  EXPECT_EQ(Pattern(4029), DataOf(small));
  EXPECT_EQ(Pattern(4030, 2), DataOf(large));
}

TEST_F(DataItems, ALargeItemRunsThroughItsChainAndGoesWhole) {
  TDVXRecordID large = WriteOfTotal(3 * 4056 - 5, 9);
  Commit();
  std::vector<int32_t> chain{large.pageNo};
  while (chain.size() < 4) {
    int32_t next = ReadI32(FilePage(chain.back()), 10);
    if (next == kNoPage) break;
    chain.push_back(next);
  }
  ASSERT_EQ(3u, chain.size());
  for (int32_t no : chain) {
    EXPECT_EQ(PageTypeIDTableDataLarge, TypeOf(no));
    EXPECT_EQ(0, rm_->Maps().PageValue(session_, no));
  }
  EXPECT_EQ(Pattern(3 * 4056 - 25, 9), DataOf(large));
  Items().DeleteItem(session_, large, "F");
  Commit();
  for (int32_t no : chain) EXPECT_EQ(kPageValueFree, rm_->Maps().PageValue(session_, no));
}

TEST_F(DataItems, DeletingTheMiddleOfThreeMovesTheThirdDownAndFreesItsItemID) {
  TDVXRecordID first = WriteOfTotal(100, 1), middle = WriteOfTotal(60, 2), third = WriteOfTotal(80, 3);
  ASSERT_EQ(first.pageNo, third.pageNo);
  EXPECT_EQ((std::vector<uint16_t>{0, 1, 2}), (std::vector<uint16_t>{first.itemNo, middle.itemNo, third.itemNo}));
  Items().DeleteItem(session_, middle, "Picture");
  Commit();
  std::vector<uint8_t> area = DataArea(first.pageNo);
  const size_t end = area.size();
  EXPECT_EQ(2, ReadU16(area, end - 2));
  EXPECT_EQ(2, ReadU16(area, end - 10));  // the third item's entry moved up
  EXPECT_EQ(80, ReadU16(area, end - 8));
  // The third item now follows the first.
  std::vector<uint8_t> moved(area.begin() + 100 + kItemHeaderSize, area.begin() + 100 + 80);
  EXPECT_EQ(Pattern(60, 3), moved);
  EXPECT_EQ(Pattern(60, 3), DataOf(third));
  EXPECT_EQ(4056 - 2 - 8 - 180, rm_->Maps().PageValue(session_, first.pageNo));
  TDVXRecordID next = WriteOfTotal(30, 4);
  EXPECT_EQ((TDVXRecordID{first.pageNo, 1}), next);
  EXPECT_EQ(Pattern(10, 4), DataOf(next));
  EXPECT_EQ(Pattern(80, 1), DataOf(first));
}

TEST_F(DataItems, TheLastItemOfAPageTakesThePageWithIt) {
  TDVXRecordID only = WriteOfTotal(50);
  Commit();
  Items().DeleteItem(session_, only, "F");
  Commit();
  EXPECT_EQ(kPageValueFree, rm_->Maps().PageValue(session_, only.pageNo));
  EXPECT_THAT([&] { DataOf(only); }, ThrowsDvx());
}

TEST_F(DataItems, MissingItemsAreReportedWithTheirNames) {
  TDVXRecordID a = WriteOfTotal(50), b = WriteOfTotal(50);
  EXPECT_THAT([&] { DataOf({a.pageNo, 7}); },
              ThrowsDvx(kErrItemNotFound, "Error loading record. TableName = Remedies, SessionID = " +
                                              std::to_string(session_) + ", PageNo = " + std::to_string(a.pageNo) +
                                              ", ItemNo = 7"));
  EXPECT_THAT([&] { Items().DeleteItem(session_, {b.pageNo, 9}, "Picture"); },
              ThrowsDvx(kErrDeleteBlobItem, "Error deleting record - cannot delete blob item. TableName = 'Remedies', "
                                            "FieldName = 'Picture', PageNo = " + std::to_string(b.pageNo) +
                                                ", PageItemNo = 9, ItemCount = 2"));
  // A page that holds no items at all.
  const int32_t pfs = rm_->Maps().Entries()[0].pfsPageNo;
  EXPECT_THAT([&] { DataOf({pfs, 0}); },
              ThrowsDvx(kErrItemPageType, "Error - invalid page type = 13, table name = 'Remedies', pageNo = " +
                                              std::to_string(pfs)));
  EXPECT_THAT([&] { Items().DeleteItem(session_, {pfs, 0}, "F"); }, ThrowsDvx(kErrDeleteItemPageType));
  EXPECT_THAT([&] { DataOf({PM().GetPageCount() + 5, 0}); }, ThrowsDvx(kErrRepairPageBeyond));
}

// Damaged pages, changed in the file after a commit.
class DamagedItems : public DataItems {
 protected:
  void SetUp() override {
    DataItems::SetUp();
    small_ = WriteOfTotal(120);
    WriteOfTotal(40);
    large_ = WriteOfTotal(9000);
    Commit();
  }
  // Changes the committed page and reads the item again.
  int32_t ReadCodeAfter(int32_t pageNo, const std::function<void(std::vector<uint8_t>&)>& damage,
                        const TDVXRecordID& reference) {
    std::vector<uint8_t> page = FilePage(pageNo);
    damage(page);
    WriteFilePage(pageNo, page);
    return DvxCodeOf([&] { DataOf(reference); });
  }
  size_t End() { return static_cast<size_t>(PM().PageSize()); }
  TDVXRecordID small_, large_;
};

TEST_F(DamagedItems, ADirectoryBeyondItsPageIsRefused) {
  EXPECT_EQ(kErrCorruptTablePage, ReadCodeAfter(small_.pageNo, [&](std::vector<uint8_t>& p) { WriteU16(p, End() - 2, 2000); }, small_));
}

TEST_F(DamagedItems, AnItemSizeBelowItsHeaderIsRefused) {
  EXPECT_EQ(kErrCorruptTablePage, ReadCodeAfter(small_.pageNo, [&](std::vector<uint8_t>& p) { WriteU16(p, End() - 4, 12); }, small_));
}

TEST_F(DamagedItems, ItemsLargerThanThePageAreRefused) {
  EXPECT_EQ(kErrCorruptTablePage, ReadCodeAfter(small_.pageNo, [&](std::vector<uint8_t>& p) { WriteU16(p, End() - 4, 4050); }, small_));
}

TEST_F(DamagedItems, AStoredSizeOtherThanTheEntrysIsRefused) {
  EXPECT_EQ(kErrItemDataSize,
            ReadCodeAfter(small_.pageNo, [&](std::vector<uint8_t>& p) { WriteI32(p, kPageHeaderSize + 12, 99); }, small_));
}

TEST_F(DamagedItems, AChainShorterThanItsItemIsRefused) {
  EXPECT_EQ(kErrItemDataSize, ReadCodeAfter(large_.pageNo, [&](std::vector<uint8_t>& p) { WriteI32(p, 10, -1); }, large_));
}

TEST_F(DamagedItems, AChainThatComesBackIsRefused) {
  EXPECT_EQ(kErrCorruptTablePage,
            ReadCodeAfter(large_.pageNo, [&](std::vector<uint8_t>& p) { WriteI32(p, 10, large_.pageNo); }, large_));
}

TEST_F(DamagedItems, AStoredSizeBeyondTheFileIsRefusedBeforeAnythingIsAllocated) {
  EXPECT_EQ(kErrItemDataSize, ReadCodeAfter(large_.pageNo, [&](std::vector<uint8_t>& p) {
              WriteI32(p, kPageHeaderSize + 12, -1);
              WriteI32(p, kPageHeaderSize + 16, 0x7FFFFFFF);
            }, large_));
}

TEST_F(DamagedItems, APageOfAnotherOwnerIsRefused) {
  EXPECT_EQ(kErrCorruptTablePage, ReadCodeAfter(small_.pageNo, [&](std::vector<uint8_t>& p) { WriteI32(p, 22, 99); }, small_));
}

}  // namespace
}  // namespace dvx::test
