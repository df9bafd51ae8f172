// The page managers of in-memory and temporary tables: allocation order,
// the page cache above them, the temporary file beyond the memory limit,
// and their stream forms as hostile input.
#include <filesystem>
#include <map>
#include <random>

#include "engine/storage/memory_page_manager.h"
#include "engine/storage/memory_storage_errors.h"
#include "engine/storage/temporary_page_manager.h"
#include "tests/engine/storage/storage_test_util.h"

namespace dvx::test {
namespace {

constexpr int32_t kSession = 1;

// Adds a page holding `mark` in every byte and commits it.
int32_t AddMarked(TDVXPageManager& pm, uint8_t mark) {
  TDVXPage* page = pm.AddPage(kSession);
  std::memset(page->WritableBuffer(), mark, static_cast<size_t>(page->PageSize()));
  const int32_t no = page->PageNo();
  pm.PutPage(page);
  pm.ApplyChanges(kSession);
  return no;
}

uint8_t FirstByte(TDVXPageManager& pm, int32_t pageNo) {
  TDVXPageRef page(pm, pm.GetPage(kSession, pageNo));
  return page->Buffer()[0];
}

void Remove(TDVXPageManager& pm, int32_t pageNo) {
  pm.RemovePage(kSession, pageNo);
  pm.ApplyChanges(kSession);
}

TEST(MemoryPageManager, HasNoPageHeaderAndPagesOf4096Bytes) {
  TDVXMemoryPageManager pm;
  EXPECT_EQ(pm.PageSize(), 4096);
  EXPECT_EQ(pm.HeaderSize(), 0);
  EXPECT_EQ(pm.GetStateCounter(), 0);
}

TEST(MemoryPageManager, AFreedNumberIsHandedOutAgainFirst) {
  TDVXMemoryPageManager pm;
  EXPECT_EQ(AddMarked(pm, 1), 0);
  EXPECT_EQ(AddMarked(pm, 2), 1);
  EXPECT_EQ(AddMarked(pm, 3), 2);
  Remove(pm, 1);
  EXPECT_EQ(pm.GetPageCount(), 2);
  EXPECT_EQ(AddMarked(pm, 4), 1);
  EXPECT_EQ(AddMarked(pm, 5), 3);
  EXPECT_EQ(FirstByte(pm, 1), 4);
  EXPECT_EQ(FirstByte(pm, 2), 3);
}

TEST(MemoryPageManager, CapacityGrowsInStepsOfFifty) {
  TDVXMemoryPageManager pm;
  EXPECT_EQ(pm.Capacity(), 0);
  AddMarked(pm, 1);
  EXPECT_EQ(pm.Capacity(), 50);
  for (int i = 1; i < 51; ++i) AddMarked(pm, static_cast<uint8_t>(i));
  EXPECT_EQ(pm.Capacity(), 100);
  EXPECT_EQ(FirstByte(pm, 50), 50);
}

TEST(MemoryPageManager, ReadingAFreedPageIsRefused) {
  TDVXMemoryPageManager pm;
  AddMarked(pm, 1);
  const int32_t no = AddMarked(pm, 2);
  Remove(pm, no);
  pm.DiscardAllPages();
  EXPECT_THAT([&] { pm.GetPage(kSession, no); }, ThrowsDvx(kErrMemoryReadFreePage, "Not released page is allocated"));
  EXPECT_THAT([&] { pm.GetPage(kSession, 77); }, ThrowsDvx(kErrMemoryReadFreePage));
  EXPECT_THAT([&] { pm.InternalRemovePage(no); }, ThrowsDvx(kErrMemoryFreeFreePage));
}

TEST(MemoryPageManager, CancelledChangesNeverReachTheStoredPage) {
  TDVXMemoryPageManager pm;
  const int32_t no = AddMarked(pm, 7);
  {
    TDVXPageRef page(pm, pm.GetPage(kSession, no));
    page->SetDirty();
    page->WritableBuffer()[0] = 99;
  }
  pm.CancelChanges(kSession);
  EXPECT_EQ(FirstByte(pm, no), 7);
  // A page added and cancelled gives its number back.
  TDVXPage* added = pm.AddPage(kSession);
  const int32_t addedNo = added->PageNo();
  pm.PutPage(added);
  pm.CancelChanges(kSession);
  EXPECT_FALSE(pm.IsAllocated(addedNo));
  EXPECT_EQ(pm.GetPageCount(), 1);
}

TEST(MemoryPageManager, StreamFormLaysOutEveryItemInOrder) {
  TDVXMemoryPageManager pm;
  AddMarked(pm, 0xA1);
  AddMarked(pm, 0xB2);
  AddMarked(pm, 0xC3);
  Remove(pm, 1);
  TDVXMemoryStream stream;
  pm.SaveToStream(stream);
  const std::vector<uint8_t>& b = stream.Bytes();
  ASSERT_EQ(b.size(), 20u + 4 + 7 + 50u * 4096);
  EXPECT_EQ(ReadI32(b, 0), 50);      // capacity
  EXPECT_EQ(ReadI32(b, 4), 2);       // highest used
  EXPECT_EQ(ReadI32(b, 8), 50);      // growth step
  EXPECT_EQ(ReadU16(b, 12), 4096);   // page size
  EXPECT_EQ(ReadU16(b, 14), 0);      // header size
  EXPECT_EQ(ReadI32(b, 16), 2);      // page count
  EXPECT_EQ(ReadI32(b, 20), 50);     // bits
  EXPECT_EQ(b[24], 0x05);            // pages 0 and 2
  EXPECT_EQ(b[31], 0xA1);            // slot 0
  EXPECT_EQ(b[31 + 4096], 0x00);     // slot 1, freed
  EXPECT_EQ(b[31 + 2 * 4096], 0xC3);
}

TEST(MemoryPageManager, StreamFormRoundTrips) {
  TDVXMemoryPageManager pm;
  for (int i = 0; i < 60; ++i) AddMarked(pm, static_cast<uint8_t>(i + 1));
  Remove(pm, 10);
  TDVXMemoryStream stream;
  pm.SaveToStream(stream);
  stream.SetPosition(0);
  TDVXMemoryPageManager back;
  back.LoadFromStream(stream);
  EXPECT_EQ(back.GetPageCount(), 59);
  EXPECT_EQ(back.Capacity(), 100);
  EXPECT_FALSE(back.IsAllocated(10));
  for (int i = 0; i < 60; ++i)
    if (i != 10) {
      EXPECT_EQ(FirstByte(back, i), i + 1);
    }
  EXPECT_EQ(AddMarked(back, 1), 10);
}

class MemoryPageStreamCorruption : public ::testing::Test {
 protected:
  void SetUp() override {
    TDVXMemoryPageManager pm;
    AddMarked(pm, 1);
    AddMarked(pm, 2);
    pm.SaveToStream(stream_);
  }
  void Load(std::vector<uint8_t> bytes) {
    TDVXMemoryStream stream(std::move(bytes));
    TDVXMemoryPageManager pm;
    pm.LoadFromStream(stream);
  }
  TDVXMemoryStream stream_;
};

TEST_F(MemoryPageStreamCorruption, EveryTruncationFailsWithTheItemsCode) {
  const std::vector<uint8_t>& b = stream_.Bytes();
  const std::map<size_t, int32_t> codes = {{0, kErrPagesReadCapacity},  {4, kErrPagesReadHighest},
                                           {8, kErrPagesReadGrowth},    {12, kErrPagesReadPageSize},
                                           {14, kErrPagesReadHeaderSize}, {16, kErrPagesReadPageCount},
                                           {20, kErrPagesReadContents}, {31, kErrPagesReadContents},
                                           {b.size() - 1, kErrPagesReadContents}};
  for (const auto& [cut, code] : codes)
    EXPECT_THAT([&] { Load(std::vector<uint8_t>(b.begin(), b.begin() + static_cast<ptrdiff_t>(cut))); },
                ThrowsDvx(code, HasSubstr("Cannot read from stream.")))
        << "cut at " << cut;
}

TEST_F(MemoryPageStreamCorruption, CountsThatDisagreeWithTheBitsAreRefused) {
  auto with = [&](size_t offset, int32_t value) {
    std::vector<uint8_t> b = stream_.Bytes();
    WriteI32(b, offset, value);
    return b;
  };
  EXPECT_THAT([&] { Load(with(4, 5)); }, ThrowsDvx(kErrPagesStreamInvalid));    // highest
  EXPECT_THAT([&] { Load(with(16, 3)); }, ThrowsDvx(kErrPagesStreamInvalid));   // page count
  EXPECT_THAT([&] { Load(with(20, 49)); }, ThrowsDvx(kErrPagesStreamInvalid));  // bits
  EXPECT_THAT([&] { Load(with(8, 0)); }, ThrowsDvx(kErrPagesStreamInvalid));    // growth step
  EXPECT_THAT([&] { Load(with(0, -1)); }, ThrowsDvx(kErrPagesStreamInvalid));   // capacity
  // A huge capacity whose pages are not there allocates nothing.
  std::vector<uint8_t> huge = with(0, TDVXMemoryPageManager::kMaxCapacity);
  WriteI32(huge, 20, TDVXMemoryPageManager::kMaxCapacity);
  EXPECT_THAT([&] { Load(huge); }, ThrowsDvx(kErrPagesReadContents));
}

TEST_F(MemoryPageStreamCorruption, AFailedLoadLeavesTheManagerAsItWas) {
  TDVXMemoryPageManager pm;
  AddMarked(pm, 42);
  std::vector<uint8_t> b = stream_.Bytes();
  b.resize(b.size() - 10);
  TDVXMemoryStream stream(b);
  EXPECT_THAT([&] { pm.LoadFromStream(stream); }, ThrowsDvx());
  EXPECT_EQ(pm.GetPageCount(), 1);
  EXPECT_EQ(FirstByte(pm, 0), 42);
}

class TemporaryPageManagerTest : public ::testing::Test {
 protected:
  std::unique_ptr<TDVXTemporaryPageManager> Make(int32_t limit) {
    return std::make_unique<TDVXTemporaryPageManager>(limit, fs_, "tmp/");
  }
  TDVXMemoryFileSystem fs_;
};

TEST_F(TemporaryPageManagerTest, TheDefaultLimitIsATenthOfTheAvailableMemory) {
  const uint64_t expected = TDVXMemoryManager::Instance().AvailableMemory() / 10 / 4096;
  const int64_t limit = TDVXTemporaryPageManager::DefaultMemoryLimit();
  EXPECT_NEAR(static_cast<double>(limit),
              static_cast<double>(std::min<uint64_t>(expected, TDVXMemoryPageManager::kMaxCapacity)),
              static_cast<double>(expected) / 100 + 64);
}

TEST_F(TemporaryPageManagerTest, WithALimitOfOnePageTheSecondPageIsInTheFileAtOffset4096) {
  auto pm = Make(1);
  EXPECT_EQ(AddMarked(*pm, 0x11), 0);
  EXPECT_FALSE(pm->HasFile());
  EXPECT_EQ(AddMarked(*pm, 0x22), 1);
  ASSERT_TRUE(pm->HasFile());
  const std::vector<uint8_t> file = fs_.Contents(pm->FileName());
  ASSERT_EQ(file.size(), 2u * 4096);
  EXPECT_EQ(file[4096], 0x22);
  EXPECT_EQ(file[8191], 0x22);
  EXPECT_EQ(pm->GetPageCount(), 2);
}

TEST_F(TemporaryPageManagerTest, FilePagesAreNotReusedAndFreedOnesAreRefused) {
  auto pm = Make(2);
  for (int i = 0; i < 4; ++i) AddMarked(*pm, static_cast<uint8_t>(i));
  Remove(*pm, 2);
  pm->DiscardAllPages();
  EXPECT_THAT([&] { pm->GetPage(kSession, 2); }, ThrowsDvx(kErrTemporaryReadFreePage));
  EXPECT_EQ(AddMarked(*pm, 9), 4);
  // A memory page freed is used again.
  Remove(*pm, 0);
  EXPECT_EQ(AddMarked(*pm, 8), 0);
  EXPECT_EQ(pm->GetPageCount(), 4);
}

TEST_F(TemporaryPageManagerTest, TheFileIsGoneWhenTheManagerIs) {
  auto pm = Make(0);
  AddMarked(*pm, 1);
  const std::string name = pm->FileName();
  ASSERT_FALSE(name.empty());
  EXPECT_EQ(name.rfind("tmp/DVX", 0), 0u);
  EXPECT_TRUE(fs_.Exists(name));
  pm.reset();
  EXPECT_FALSE(fs_.Exists(name));
}

TEST(TemporaryPageManagerOnDisk, ARealTemporaryFileIsDeletedWithTheManager) {
  std::string name;
  {
    TDVXTemporaryPageManager pm(1);
    AddMarked(pm, 1);
    AddMarked(pm, 2);
    name = pm.FileName();
    ASSERT_TRUE(std::filesystem::exists(name));
    EXPECT_EQ(FirstByte(pm, 1), 2);
  }
  EXPECT_FALSE(std::filesystem::exists(name));
}

TEST_F(TemporaryPageManagerTest, AFailedFileWriteFailsTheCommitAndKeepsTheChanges) {
  auto pm = Make(0);
  AddMarked(*pm, 1);
  TDVXPage* page = pm->GetPage(kSession, 0);
  page->SetDirty();
  page->WritableBuffer()[0] = 5;
  pm->PutPage(page);
  fs_.FailNthWrite(1);
  EXPECT_THAT([&] { pm->ApplyChanges(kSession); }, ThrowsDvx(kErrTemporaryPageWrite));
  pm->ApplyChanges(kSession);
  pm->DiscardAllPages();
  EXPECT_EQ(FirstByte(*pm, 0), 5);
}

// Pages outgrow the memory limit, are changed, freed and read back through
// a small cache, always against a model of their contents.
TEST_F(TemporaryPageManagerTest, PagesBeyondTheLimitMoveToTheFileAndBackWithoutLoss) {
  auto pm = Make(8);
  pm->SetCacheCapacity(3);
  std::map<int32_t, uint8_t> model;
  std::mt19937 rng(7);
  for (int step = 0; step < 600; ++step) {
    const int action = static_cast<int>(rng() % 10);
    if (action < 5 || model.empty()) {
      const uint8_t mark = static_cast<uint8_t>(rng());
      const int32_t no = AddMarked(*pm, mark);
      ASSERT_FALSE(model.count(no));
      model[no] = mark;
    } else {
      auto it = model.begin();
      std::advance(it, static_cast<ptrdiff_t>(rng() % model.size()));
      if (action < 8) {
        TDVXPageRef page(*pm, pm->GetPage(kSession, it->first));
        page->SetDirty();
        it->second = static_cast<uint8_t>(rng());
        std::memset(page->WritableBuffer(), it->second, 4096);
        page.Release();
        pm->ApplyChanges(kSession);
      } else {
        Remove(*pm, it->first);
        model.erase(it);
      }
    }
    ASSERT_EQ(pm->GetPageCount(), static_cast<int32_t>(model.size()));
  }
  ASSERT_GT(model.rbegin()->first, 8);
  pm->DiscardAllPages();
  for (const auto& [no, mark] : model) {
    TDVXPageRef page(*pm, pm->GetPage(kSession, no));
    EXPECT_EQ(page->Buffer()[0], mark) << no;
    EXPECT_EQ(page->Buffer()[4095], mark) << no;
  }
  // The stream form carries memory and file pages alike.
  TDVXMemoryStream stream;
  pm->SaveToStream(stream);
  stream.SetPosition(0);
  auto back = Make(8);
  back->LoadFromStream(stream);
  EXPECT_EQ(back->GetPageCount(), static_cast<int32_t>(model.size()));
  for (const auto& [no, mark] : model) EXPECT_EQ(FirstByte(*back, no), mark) << no;
  const std::string name = back->FileName();
  back.reset();
  EXPECT_FALSE(fs_.Exists(name));
}

}  // namespace
}  // namespace dvx::test
