// The table page maps: table PFS page layout, coverage order of the map
// entries, the search for room (all entries or random picks), counted page
// values, and maps that cannot be right refused when read.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <random>

#include "engine/storage/record_errors.h"
#include "engine/storage/table_page_maps_manager.h"
#include "tests/support/dvx_matchers.h"

namespace dvx {
namespace {

using testing::ThrowsDvx;
using ::testing::HasSubstr;

constexpr int32_t kSession = 1;
constexpr int32_t kTableID = 7;

// A page manager in memory whose AddPage hands out the page numbers a test
// scripts (the lowest number not in use once the script is spent), so page
// placement can be chosen freely.
class TScriptedPageManager : public TDVXPageManager {
 public:
  explicit TScriptedPageManager(int pageSize) : TDVXPageManager(pageSize, kPageHeaderSize) {}
  ~TScriptedPageManager() override { DiscardAllPages(); }

  std::deque<int32_t> script;

  int32_t GetPageCount() override { return pages_.empty() ? 4 : std::max(4, pages_.rbegin()->first + 1); }
  void InternalAddPage(TDVXPage& page) override {
    int32_t no = 4;
    if (!script.empty()) {
      no = script.front();
      script.pop_front();
    } else {
      while (pages_.count(no)) ++no;
    }
    pages_[no].assign(static_cast<size_t>(PageSize()), 0);
    page.SetPageNo(no);
    std::fill(Frame(page), Frame(page) + PageSize(), 0);
    TDVXPageHeader::Format(Frame(page), PageTypeIDEmpty, kNoPage, -1);
  }
  void InternalRemovePage(int32_t pageNo) override { pages_.erase(pageNo); }
  void InternalReadPage(TDVXPage& page) override {
    auto it = pages_.find(page.PageNo());
    if (it == pages_.end()) throw EDVXException(10471, "Invalid PageNo = %d", {page.PageNo()});
    std::copy(it->second.begin(), it->second.end(), Frame(page));
  }
  void InternalWritePage(TDVXPage& page) override {
    pages_[page.PageNo()].assign(page.Buffer(), page.Buffer() + PageSize());
  }

 private:
  std::map<int32_t, std::vector<uint8_t>> pages_;
};

class TScriptedRandom : public TDVXRandom {
 public:
  std::deque<uint32_t> values;
  std::vector<uint32_t> ranges;
  uint32_t Next(uint32_t range) override {
    ranges.push_back(range);
    uint32_t v = values.empty() ? 0 : values.front();
    if (!values.empty()) values.pop_front();
    return v % range;
  }
  void Fill(void* buffer, size_t count) override { std::fill_n(static_cast<uint8_t*>(buffer), count, 0); }
};

// Page size 128: 88 data bytes, N = 39 pages per table PFS page.
class TablePageMaps : public ::testing::Test {
 protected:
  TablePageMaps() : pm_(128) {
    info_.tableID = kTableID;
    info_.tableName = "Maps";
    TDVXTablePFSMapFile file(pm_);
    file.Create(kSession, kTableID);
    mapPage_ = file.File().FirstPageNo();
    pm_.ApplyChanges(kSession);
    maps_ = std::make_unique<TDVXTablePageMapsManager>(pm_, info_, 10, random_);
    maps_->Open(mapPage_, false);
    maps_->Load(kSession);
  }
  ~TablePageMaps() override { pm_.CancelChanges(kSession); }

  // A table page at a scripted number.
  int32_t PageAt(int32_t pageNo, TDVXTablePageKind kind, std::deque<int32_t> pfsPages = {}) {
    pm_.script = {pageNo};
    pm_.script.insert(pm_.script.end(), pfsPages.begin(), pfsPages.end());
    return maps_->AllocatePage(kSession, kind)->PageNo();
  }

  TScriptedPageManager pm_;
  TScriptedRandom random_;
  TDVXStorageTableInfo info_;
  int32_t mapPage_ = kNoPage;
  std::unique_ptr<TDVXTablePageMapsManager> maps_;
};

TEST(TablePFSLayout, CoverageFollowsThePageSize) {
  TDVXTablePFSLayout layout4096(4096 - 40);
  EXPECT_EQ(1802, layout4096.coverage);
  EXPECT_EQ(3604, layout4096.kindOffset);
  EXPECT_LE(layout4096.kindOffset + (layout4096.coverage + 3) / 4, 4056);
  EXPECT_EQ(39, TDVXTablePFSLayout(88).coverage);
}

TEST(TablePFSLayout, KindsArePackedFourToAByteLowBitsFirst) {
  TDVXTablePFSLayout layout(88);
  std::vector<uint8_t> data(88, 0);
  layout.SetKind(data.data(), 0, tpkContinuation);
  layout.SetKind(data.data(), 1, tpkStrings);
  layout.SetKind(data.data(), 3, tpkBlobs);
  layout.SetKind(data.data(), 4, tpkBlobs);
  EXPECT_EQ(0b11'00'10'01, data[layout.kindOffset]);
  EXPECT_EQ(0b11, data[layout.kindOffset + 1]);
  layout.SetKind(data.data(), 3, tpkRecords);
  EXPECT_EQ(tpkRecords, layout.Kind(data.data(), 3));
  EXPECT_EQ(tpkStrings, layout.Kind(data.data(), 1));
  layout.SetValue(data.data(), 2, 0x1234);
  EXPECT_EQ(0x34, data[4]);
  EXPECT_EQ(0x12, data[5]);
}

TEST_F(TablePageMaps, EntriesStayInCoverageOrderWhateverNumbersTheirPagesGet) {
  // Page 100 needs three entries; their table PFS pages get falling numbers.
  EXPECT_EQ(100, PageAt(100, tpkRecords, {90, 60, 30}));
  ASSERT_EQ(3u, maps_->Entries().size());
  EXPECT_EQ(90, maps_->Entries()[0].pfsPageNo);
  EXPECT_EQ(60, maps_->Entries()[1].pfsPageNo);
  EXPECT_EQ(30, maps_->Entries()[2].pfsPageNo);
  EXPECT_EQ(101, maps_->PageNoLimit());
  maps_->SetPageValue(kSession, 100, true, 3);
  // Page 100 is covered by entry 2, whose page is 30.
  EXPECT_EQ(3, maps_->Entries()[2].recordCount);
  TDVXPageRef pfs(pm_, pm_.GetPage(kSession, 30));
  TDVXTablePFSLayout layout(88);
  EXPECT_EQ(3, layout.Value(pfs->Data(), 100 - 78));
  pfs.Release();
  // Written and read back, the order is the same.
  maps_->Save(kSession);
  TDVXTablePageMapsManager again(pm_, info_);
  again.Open(mapPage_, false);
  again.Load(kSession);
  ASSERT_EQ(3u, again.Entries().size());
  EXPECT_EQ(30, again.Entries()[2].pfsPageNo);
  EXPECT_EQ(3, again.PageValue(kSession, 100));
  EXPECT_EQ(3, again.RecordCount());
}

TEST_F(TablePageMaps, CountedValuesKeepTheRecordCount) {
  PageAt(10, tpkRecords);
  PageAt(11, tpkStrings);
  maps_->SetPageValue(kSession, 10, true, 4);
  maps_->SetPageValue(kSession, 11, false, 500);
  EXPECT_EQ(4, maps_->RecordCount());
  maps_->SetPageValue(kSession, 10, true, 2);
  EXPECT_EQ(2, maps_->RecordCount());
  maps_->SetPageValue(kSession, 10, true, kPageValueFree);
  EXPECT_EQ(0, maps_->RecordCount());
  TDVXTablePageKind kind;
  EXPECT_EQ(500, maps_->PageValue(kSession, 11, &kind));
  EXPECT_EQ(tpkStrings, kind);
  EXPECT_THAT([&] { maps_->PageValue(kSession, 12); }, ThrowsDvx(kErrPageBeyondMap, "Invalid PageNo = 0, Count = 1"));
  EXPECT_THAT([&] { maps_->SetPageValue(kSession, -5, false, 1); }, ThrowsDvx(kErrSetBeyondMap));
}

TEST_F(TablePageMaps, AFewEntriesAreAllSearchedInOrderWithoutChance) {
  PageAt(50, tpkRecords, {5, 6});
  PageAt(20, tpkRecords);
  maps_->SetPageValue(kSession, 50, true, 3);
  maps_->SetPageValue(kSession, 20, true, 10);
  uint16_t previous = 0;
  TDVXPageRef found = maps_->FindPageWithRoom(kSession, tpkRecords, 10, previous);
  EXPECT_EQ(50, found->PageNo());
  EXPECT_EQ(3, previous);
  found.Release();
  maps_->SetPageValue(kSession, 20, true, 9);
  EXPECT_EQ(20, maps_->FindPageWithRoom(kSession, tpkRecords, 10, previous)->PageNo());
  EXPECT_EQ(9, previous);
  EXPECT_TRUE(random_.ranges.empty());
}

TEST_F(TablePageMaps, DataPagesNeedAtLeastTheThresholdOfFreeBytes) {
  PageAt(8, tpkBlobs);
  PageAt(9, tpkStrings);
  maps_->SetPageValue(kSession, 8, false, 40);
  maps_->SetPageValue(kSession, 9, false, 40);
  uint16_t previous = 0;
  EXPECT_EQ(9, maps_->FindPageWithRoom(kSession, tpkStrings, 40, previous)->PageNo());
  EXPECT_EQ(8, maps_->FindPageWithRoom(kSession, tpkBlobs, 30, previous)->PageNo());
  pm_.script = {12};
  EXPECT_EQ(12, maps_->FindPageWithRoom(kSession, tpkBlobs, 41, previous)->PageNo());
  EXPECT_EQ(kPageValueFree, previous);
  // Freed room is found again.
  maps_->SetPageValue(kSession, 8, false, 60);
  EXPECT_EQ(8, maps_->FindPageWithRoom(kSession, tpkBlobs, 41, previous)->PageNo());
}

// Records of many sizes ask for many amounts of room in turn; whatever
// the search remembered between them, it finds the first page of the kind
// with room, as a look at every page from the start does.
TEST_F(TablePageMaps, TheSearchFindsTheFirstPageWithRoomWhateverWasAskedBefore) {
  std::mt19937 random(31);
  // Pages 10 to 38 of the first entry (its table PFS page is 200), every
  // third one a record page.
  const int32_t first = 10, limit = 39;
  auto kindOf = [](int32_t no) { return no % 3 == 0 ? tpkRecords : tpkStrings; };
  PageAt(first, kindOf(first), {200});
  for (int32_t no = first + 1; no < limit; ++no) PageAt(no, kindOf(no));
  auto firstFit = [&](TDVXTablePageKind kind, uint16_t threshold) {
    for (int32_t no = first; no < limit; ++no) {
      TDVXTablePageKind at = tpkRecords;
      const uint16_t value = maps_->PageValue(kSession, no, &at);
      if (value == kPageValueFree || at != kind) continue;
      if (kind == tpkRecords ? value < threshold : value >= threshold) return no;
    }
    return kNoPage;
  };
  int found = 0;
  for (int step = 0; step < 4000; ++step) {
    // Some pages gain or lose room between the searches.
    for (int k = 0; k < 2; ++k) {
      const int32_t no = first + static_cast<int32_t>(random() % (limit - first));
      const bool records = kindOf(no) == tpkRecords;
      maps_->SetPageValue(kSession, no, records, static_cast<uint16_t>(records ? random() % 12 : random() % 90));
    }
    const bool records = random() % 3 == 0;
    const TDVXTablePageKind kind = records ? tpkRecords : tpkStrings;
    const uint16_t threshold = static_cast<uint16_t>(records ? 1 + random() % 11 : 1 + random() % 80);
    const int32_t expected = firstFit(kind, threshold);
    if (expected == kNoPage) continue;  // a new page would be allocated: not what is checked here
    uint16_t previous = 0;
    ASSERT_EQ(expected, maps_->FindPageWithRoom(kSession, kind, threshold, previous)->PageNo())
        << "step " << step << ", threshold " << threshold;
    ++found;
  }
  EXPECT_GT(found, 2000);
}

TEST_F(TablePageMaps, ManyEntriesAreSampledAtRandomRetryCountTimes) {
  PageAt(12 * 39 - 1, tpkRecords);  // 12 entries
  ASSERT_EQ(12u, maps_->Entries().size());
  PageAt(7 * 39 + 5, tpkRecords);
  maps_->SetPageValue(kSession, 7 * 39 + 5, true, 1);
  maps_->SetPageValue(kSession, 12 * 39 - 1, true, 10);
  random_.values = {3, 3, 7};
  uint16_t previous = 0;
  EXPECT_EQ(7 * 39 + 5, maps_->FindPageWithRoom(kSession, tpkRecords, 10, previous)->PageNo());
  EXPECT_EQ((std::vector<uint32_t>{12, 12, 12}), random_.ranges);
  // Ten picks of entries without room (a repeated pick still counts): a
  // new page, although entry 7 has room.
  random_.ranges.clear();
  random_.values = {1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 7};
  pm_.script = {600};
  TDVXPageRef fresh = maps_->FindPageWithRoom(kSession, tpkRecords, 10, previous);
  EXPECT_EQ(600, fresh->PageNo());
  EXPECT_EQ(kPageValueFree, previous);
  EXPECT_EQ(10u, random_.ranges.size());
}

TEST_F(TablePageMaps, RecordPagesAreWalkedInPageOrderSkippingOtherKinds) {
  PageAt(45, tpkRecords, {30, 31});
  PageAt(5, tpkRecords);
  PageAt(6, tpkBlobs);
  PageAt(80, tpkRecords, {7});
  maps_->SetPageValue(kSession, 45, true, 2);
  maps_->SetPageValue(kSession, 5, true, 1);
  maps_->SetPageValue(kSession, 6, false, 30);
  maps_->SetPageValue(kSession, 80, true, 4);
  EXPECT_EQ(5, maps_->NextRecordPage(kSession, kNoPage));
  EXPECT_EQ(45, maps_->NextRecordPage(kSession, 5));
  EXPECT_EQ(80, maps_->NextRecordPage(kSession, 45));
  EXPECT_EQ(kNoPage, maps_->NextRecordPage(kSession, 80));
  EXPECT_EQ(80, maps_->PriorRecordPage(kSession, TDVXTablePageMapsManager::kNoPageAbove));
  EXPECT_EQ(5, maps_->PriorRecordPage(kSession, 45));
  EXPECT_EQ(kNoPage, maps_->PriorRecordPage(kSession, 5));
  EXPECT_EQ(3, maps_->RecordsBefore(kSession, 80));
  int64_t before = 0;
  EXPECT_EQ(45, maps_->PageOfRecord(kSession, 3, before));
  EXPECT_EQ(1, before);
  EXPECT_EQ(80, maps_->PageOfRecord(kSession, 7, before));
  EXPECT_EQ(kNoPage, maps_->PageOfRecord(kSession, 8, before));
}

TEST_F(TablePageMaps, FreeAllPagesEmptiesTheMap) {
  PageAt(45, tpkRecords, {40});
  PageAt(6, tpkBlobs);
  maps_->SetPageValue(kSession, 45, true, 2);
  maps_->SetPageValue(kSession, 6, false, 1);
  maps_->Save(kSession);
  pm_.ApplyChanges(kSession);
  maps_->FreeAllPages(kSession);
  maps_->Save(kSession);
  pm_.ApplyChanges(kSession);
  EXPECT_EQ(0, maps_->RecordCount());
  EXPECT_EQ(0, maps_->PageNoLimit());
  EXPECT_THAT([&] { pm_.GetPage(kSession, 45); }, ThrowsDvx(10471));
  EXPECT_THAT([&] { pm_.GetPage(kSession, 40); }, ThrowsDvx(10471));
}

class CorruptPageMaps : public TablePageMaps {
 protected:
  // Loads a map whose file holds `limit` and the `entries`.
  int32_t LoadCode(int32_t limit, std::vector<TDVXTablePFSMapEntry> entries) {
    TDVXTablePFSMapFile file(pm_);
    file.Open(mapPage_);
    file.State() = {limit, std::move(entries)};
    file.Save(kSession);
    TDVXTablePageMapsManager maps(pm_, info_);
    maps.Open(mapPage_, false);
    return testing::DvxCodeOf([&] { maps.Load(kSession); });
  }
};

TEST_F(CorruptPageMaps, LimitsEntriesAndCountsAreCheckedBeforeUse) {
  PageAt(50, tpkRecords, {5, 6});
  EXPECT_EQ(0, LoadCode(51, {{5, 0}, {6, 0}}));
  EXPECT_EQ(kErrCorruptPageMap, LoadCode(51, {{5, 0}}));             // too few entries for the limit
  EXPECT_EQ(kErrCorruptPageMap, LoadCode(20, {{5, 0}, {6, 0}}));     // too many
  EXPECT_EQ(kErrCorruptPageMap, LoadCode(51, {{5, 0}, {5, 0}}));     // one page twice
  EXPECT_EQ(kErrCorruptPageMap, LoadCode(51, {{5, 0}, {9999, 0}}));  // beyond the file
  EXPECT_EQ(kErrCorruptPageMap, LoadCode(51, {{5, -1}, {6, 0}}));    // negative count
  EXPECT_EQ(kErrCorruptPageMap, LoadCode(-3, {}));
  EXPECT_EQ(kErrCorruptPageMap, LoadCode(100000, {}));
}

TEST_F(CorruptPageMaps, AnEntryNamingAnotherPageKindIsRefusedWhenUsed) {
  PageAt(10, tpkRecords, {11});
  maps_->Save(kSession);
  // The entry points at the record page itself.
  LoadCode(11, {{10, 0}});
  TDVXTablePageMapsManager maps(pm_, info_);
  maps.Open(mapPage_, false);
  maps.Load(kSession);
  EXPECT_THAT([&] { maps.PageValue(kSession, 10); }, ThrowsDvx(kErrCorruptTablePage, HasSubstr("table PFS page")));
}

}  // namespace
}  // namespace dvx
