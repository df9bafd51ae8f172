#include "engine/schema/blob_slot.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/core/exception.h"
#include "engine/core/memory_manager.h"
#include "engine/schema/record_buffer.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::DvxCodeOf;
using dvx::testing::ThrowsDvx;

namespace dvx {
namespace {

// A stream that claims more bytes than it delivers.
class ShortStream : public TDVXMemoryStream {
 public:
  using TDVXMemoryStream::TDVXMemoryStream;
  size_t Read(void* buffer, size_t count) override { return TDVXMemoryStream::Read(buffer, count / 2); }
};

class BlobSlot : public ::testing::Test {
 protected:
  void SetUp() override {
    fields_.Add("Id", aftInteger);
    fields_.Add("Picture", aftGraphic);
    fields_.Add("Text", aftWideMemo);
    buffer_.assign(fields_.RecordSize(), 0);
    SetNull(true, 1, buffer_.data());
    SetNull(true, 2, buffer_.data());
    before_ = PendingBlobCount();
  }
  void TearDown() override {
    DiscardPendingBlobs(fields_, buffer_.data());
    EXPECT_EQ(before_, PendingBlobCount());
  }
  uint8_t* Slot(int field) { return buffer_.data() + fields_.Items(field)->MemoryOffset(); }

  TDVXFieldDefs fields_;
  std::vector<uint8_t> buffer_;
  size_t before_ = 0;
  TDVXPendingBlobHeader header_{1, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0};
};

TEST_F(BlobSlot, ReferenceFromDiskIsMarkedCurrent) {
  SetBlobSlotReference(Slot(1), {0x10, 0x20, 0x30, 0x40, 0x02, 0x00});
  EXPECT_EQ((std::vector<uint8_t>{0x10, 0x20, 0x30, 0x40, 0x02, 0x00, 0xF0, 0xF0}),
            std::vector<uint8_t>(Slot(1), Slot(1) + 8));
}

TEST_F(BlobSlot, StoringAValueMakesThePendingBlock) {
  TDVXMemoryStream value(std::vector<uint8_t>{'a', 'b', 'c'});
  StoreBlobValue(1, fields_, buffer_.data(), header_, value);
  EXPECT_FALSE(IsNull(1, buffer_.data()));
  EXPECT_EQ(kBlobSlotPending, BlobSlotMarker(Slot(1)));
  EXPECT_EQ(0x0F, Slot(1)[6]);
  EXPECT_EQ(0x0F, Slot(1)[7]);
  std::span<const uint8_t> block = PendingBlobBlock(BlobSlotHandle(Slot(1)));
  EXPECT_EQ((std::vector<uint8_t>{1, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 'a', 'b', 'c'}),
            std::vector<uint8_t>(block.begin(), block.end()));
  EXPECT_EQ(before_ + 1, PendingBlobCount());
}

TEST_F(BlobSlot, ReplacingAPendingValueFreesTheOldBlock) {
  TDVXMemoryStream first(std::vector<uint8_t>{1, 2});
  StoreBlobValue(2, fields_, buffer_.data(), header_, first);
  uint32_t oldHandle = BlobSlotHandle(Slot(2));
  TDVXMemoryStream second(std::vector<uint8_t>{3});
  StoreBlobValue(2, fields_, buffer_.data(), header_, second);
  EXPECT_EQ(before_ + 1, PendingBlobCount());
  EXPECT_THAT([&] { PendingBlobBlock(oldHandle); }, ThrowsDvx());
  EXPECT_EQ(13u, PendingBlobBlock(BlobSlotHandle(Slot(2))).size());
}

TEST_F(BlobSlot, EmptyStreamMakesTheFieldNull) {
  TDVXMemoryStream value(std::vector<uint8_t>{1});
  StoreBlobValue(1, fields_, buffer_.data(), header_, value);
  TDVXMemoryStream empty;
  StoreBlobValue(1, fields_, buffer_.data(), header_, empty);
  EXPECT_TRUE(IsNull(1, buffer_.data()));
  EXPECT_EQ(before_, PendingBlobCount());
}

TEST_F(BlobSlot, ShortReadIsAnError) {
  ShortStream value(std::vector<uint8_t>(10, 7));
  EXPECT_THAT([&] { StoreBlobValue(1, fields_, buffer_.data(), header_, value); },
              ThrowsDvx(10117, "Cannot read from stream. Position = 5, Stream size = 10, Block size = 10, Bytes Read = 5"));
  EXPECT_EQ(before_, PendingBlobCount());
}

TEST_F(BlobSlot, DiscardFreesPendingValuesAndKeepsStoredReferences) {
  SetBlobSlotReference(Slot(1), {1, 0, 0, 0, 0, 0});
  SetNull(false, 1, buffer_.data());
  TDVXMemoryStream value(std::vector<uint8_t>{5, 6});
  StoreBlobValue(2, fields_, buffer_.data(), header_, value);
  DiscardPendingBlobs(fields_, buffer_.data());
  EXPECT_TRUE(IsNull(2, buffer_.data()));
  EXPECT_FALSE(IsNull(1, buffer_.data()));
  EXPECT_EQ(kBlobSlotCurrent, BlobSlotMarker(Slot(1)));
  EXPECT_EQ(before_, PendingBlobCount());
}

TEST_F(BlobSlot, APendingValueSetToNullGivesItsBlockBack) {
  TDVXMemoryStream value(std::vector<uint8_t>{5, 6});
  StoreBlobValue(1, fields_, buffer_.data(), header_, value);
  SetFieldData(1, fields_, nullptr, buffer_.data());
  EXPECT_TRUE(IsNull(1, buffer_.data()));
  EXPECT_EQ(before_, PendingBlobCount());
  EXPECT_NE(kBlobSlotPending, BlobSlotMarker(Slot(1)));
}

TEST_F(BlobSlot, DiscardAndReplaceFreeAPendingBlockWhateverTheNullFlag) {
  TDVXMemoryStream value(std::vector<uint8_t>{5, 6});
  StoreBlobValue(1, fields_, buffer_.data(), header_, value);
  SetNull(true, 1, buffer_.data());  // the bare flag, as a caller may set it
  DiscardPendingBlobs(fields_, buffer_.data());
  EXPECT_EQ(before_, PendingBlobCount());
  StoreBlobValue(2, fields_, buffer_.data(), header_, value);
  SetNull(true, 2, buffer_.data());
  TDVXMemoryStream next(std::vector<uint8_t>{7});
  StoreBlobValue(2, fields_, buffer_.data(), header_, next);
  EXPECT_EQ(before_ + 1, PendingBlobCount());
  EXPECT_EQ(13u, PendingBlobBlock(BlobSlotHandle(Slot(2))).size());
}

TEST_F(BlobSlot, PendingSlotWithoutHandleIsNilPointer) {
  SetNull(false, 1, buffer_.data());
  Slot(1)[6] = Slot(1)[7] = 0x0F;
  EXPECT_THAT([&] { DiscardPendingBlobs(fields_, buffer_.data()); }, ThrowsDvx(10118));
  SetNull(true, 1, buffer_.data());
}

TEST_F(BlobSlot, ACopiedSlotCannotFreeTwice) {
  TDVXMemoryStream value(std::vector<uint8_t>{5});
  StoreBlobValue(1, fields_, buffer_.data(), header_, value);
  std::vector<uint8_t> copy = buffer_;
  DiscardPendingBlobs(fields_, buffer_.data());
  EXPECT_THAT([&] { DiscardPendingBlobs(fields_, copy.data()); }, ThrowsDvx());
}

TEST_F(BlobSlot, PendingBlocksRespectTheEngineMemoryLimit) {
  TDVXMemoryManager& memory = TDVXMemoryManager::Instance();
  memory.SetLimit(memory.CurrentBytes() + 1024);
  TDVXMemoryStream big(std::vector<uint8_t>(4096, 1));
  int32_t code = DvxCodeOf([&] { StoreBlobValue(1, fields_, buffer_.data(), header_, big); });
  memory.SetLimit(0);
  EXPECT_EQ(30004, code);
  EXPECT_TRUE(IsNull(1, buffer_.data()));
  EXPECT_EQ(before_, PendingBlobCount());
}

TEST_F(BlobSlot, CommitPutsTheNewReference) {
  TDVXMemoryStream value(std::vector<uint8_t>{5});
  StoreBlobValue(1, fields_, buffer_.data(), header_, value);
  CommitBlobSlot(Slot(1), {9, 0, 0, 0, 1, 0});
  EXPECT_EQ((std::vector<uint8_t>{9, 0, 0, 0, 1, 0, 0xF0, 0xF0}), std::vector<uint8_t>(Slot(1), Slot(1) + 8));
  EXPECT_EQ(before_, PendingBlobCount());
}

}  // namespace
}  // namespace dvx
