// The saved image of an in-memory table: byte layout of the header, round
// trips (plain and compressed) that keep slot numbers, BLOB values, index
// pages and definitions, version and signature checks, and truncated and
// mutated images that must fail with the engine's exception and leave no
// pending value behind.
#include <cmath>
#include <cstring>
#include <random>
#include <limits>

#include "engine/storage/memory_table_image.h"
#include "tests/engine/storage/memory_records_harness.h"

namespace dvx::test {
namespace {

using testing::ReadI32;
using testing::WriteI32;

constexpr char kTable[] = "Remedies";
constexpr int64_t kCounter = 4711;

class MemoryTableImage : public TMemoryRecordsFixture {
 protected:
  void SetUp() override {
    TMemoryRecordsFixture::SetUp();
    fieldManager_.FieldDefs().Assign(fields_);
    TDVXIndexDef* index = indexes_.IndexDefs().Add("ByName");
    index->AddColumn("Name");
    index->SetRootPageNo(1);
    info_.fields = &fieldManager_.FieldDefs();
    MakeMemory();
    // Two index pages with recognisable contents.
    for (uint8_t mark : {0x5A, 0xA5}) {
      TDVXPage* page = pages_.AddPage(session_);
      std::memset(page->WritableBuffer(), mark, 4096);
      pages_.PutPage(page);
    }
    pages_.ApplyChanges(session_);
  }

  TDVXMemoryTableParts Parts() {
    return {&sequences_, &fieldManager_, &constraints_, &indexes_, &pages_, memory_.get()};
  }
  std::vector<uint8_t> Save(uint8_t algorithm = 0, uint8_t mode = 0) {
    TDVXMemoryStream stream;
    SaveMemoryTableImage(stream, kTable, kCounter, Parts(), algorithm, 0, mode);
    return stream.Bytes();
  }
  std::unique_ptr<TDVXLoadedMemoryTable> Load(const std::vector<uint8_t>& image) {
    TDVXMemoryStream stream(image);
    TDVXMemoryTableImageHead head = ReadMemoryTableImageHead(stream);
    return ReadMemoryTableImageBody(stream, head);
  }
  TDVXRecordID InsertFull(int32_t id, bool blobs) {
    std::vector<uint8_t> r = NewRecord();
    SetInt(r, kId, id);
    SetText(r, kName, "Arnica " + std::to_string(id));
    SetText(r, kCode, "C" + std::to_string(id));
    if (blobs) {
      SetBlob(r, kText, Pattern(900 + id, static_cast<uint8_t>(id)));
      SetBlob(r, kPicture, Pattern(30 + id, static_cast<uint8_t>(id + 1)));
    }
    return memory_->InsertRecord(r.data(), session_);
  }
  // Every record of the loaded table equals the saved one, slot by slot.
  void ExpectSameRecords(TDVXLoadedMemoryTable& loaded) {
    TDVXMemoryRecordManager& back = *loaded.records;
    ASSERT_EQ(back.RecordCount(session_), memory_->RecordCount(session_));
    EXPECT_EQ(back.NoDeletions(), memory_->NoDeletions());
    for (int32_t slot = memory_->NextUsedSlot(0); slot != -1; slot = memory_->NextUsedSlot(slot + 1)) {
      ASSERT_TRUE(back.SlotUsed(slot)) << slot;
      std::vector<uint8_t> a = NewRecord(), b = NewRecord();
      std::memcpy(a.data(), memory_->Record(slot), a.size());
      std::memcpy(b.data(), back.Record(slot), b.size());
      EXPECT_EQ(GetInt(a, kId), GetInt(b, kId));
      EXPECT_EQ(GetText(a, kName), GetText(b, kName));
      EXPECT_EQ(GetText(a, kCode), GetText(b, kCode));
      for (int field : {kText, kPicture})
        EXPECT_EQ(ReadAll(*memory_->OpenBlob(field, a.data())), ReadAll(*back.OpenBlob(field, b.data())));
    }
    EXPECT_EQ(back.Blobs().Count(), memory_->Blobs().Count());
  }
  void ExpectFails(const std::vector<uint8_t>& image) {
    const size_t pending = PendingBlobCount();
    EXPECT_THAT([&] { Load(image); }, ThrowsDvx());
    EXPECT_EQ(PendingBlobCount(), pending);
  }

  TDVXBaseSequenceManager sequences_;
  TDVXBaseFieldManager fieldManager_{sequences_};
  TDVXBaseConstraintManager constraints_;
  TDVXBaseIndexManager indexes_;
  TDVXMemoryPageManager pages_;
};

TEST_F(MemoryTableImage, HeaderNameAndCounterAreLaidOutByteByByte) {
  InsertFull(1, false);
  const std::vector<uint8_t> b = Save();
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "DVS1");
  double version;
  std::memcpy(&version, b.data() + 4, 8);
  EXPECT_EQ(version, 4.2);
  EXPECT_EQ(GetI64(b.data() + 12), 1);
  EXPECT_EQ(b[40], 0);  // no compression
  EXPECT_EQ(b[41], 1);  // mode 0 is written as 1
  EXPECT_EQ(b[42], 8);
  EXPECT_EQ(std::string(b.begin() + 43, b.begin() + 51), kTable);
  EXPECT_EQ(GetI64(b.data() + 51), kCounter);
  TDVXMemoryStream stream(b);
  TDVXMemoryTableImageHead head = ReadMemoryTableImageHead(stream);
  EXPECT_EQ(head.tableName, kTable);
  EXPECT_EQ(head.objectIDCounter, kCounter);
  EXPECT_EQ(stream.Position(), 59u);
}

TEST_F(MemoryTableImage, SlotsZeroAndTwoComeBackAsSlotsZeroAndTwo) {
  InsertFull(1, true);
  InsertFull(2, true);
  InsertFull(3, true);
  memory_->DeleteRecord({1, 0}, session_);
  auto loaded = Load(Save());
  EXPECT_TRUE(loaded->records->SlotUsed(0));
  EXPECT_FALSE(loaded->records->SlotUsed(1));
  EXPECT_TRUE(loaded->records->SlotUsed(2));
  EXPECT_EQ(loaded->records->NoDeletions(), 0);
  ExpectSameRecords(*loaded);
  // New records still go after the highest saved slot.
  std::vector<uint8_t> r = NewRecord();
  EXPECT_EQ(loaded->records->InsertRecord(r.data(), session_).pageNo, 3);
}

TEST_F(MemoryTableImage, DefinitionsAndIndexPagesComeBack) {
  InsertFull(1, true);
  auto loaded = Load(Save());
  ASSERT_EQ(loaded->fields->FieldDefs().Count(), fields_.Count());
  EXPECT_EQ(loaded->fields->FieldDefs().Items(kName)->ObjectName(), "Name");
  EXPECT_TRUE(loaded->hasBlobFields);
  ASSERT_EQ(loaded->indexes->IndexDefs().Count(), 1);
  EXPECT_EQ(loaded->indexes->IndexDefs().Items(0)->RootPageNo(), 1);
  EXPECT_EQ(loaded->indexPages->GetPageCount(), 2);
  TDVXPageRef page(*loaded->indexPages, loaded->indexPages->GetPage(session_, 1));
  EXPECT_EQ(page->Buffer()[4095], 0xA5);
}

TEST_F(MemoryTableImage, AnEmptyTableHasNoRecordPart) {
  const std::vector<uint8_t> b = Save();
  auto loaded = Load(b);
  EXPECT_EQ(loaded->records->RecordCount(session_), 0);
  EXPECT_EQ(GetI64(b.data() + 12), 0);
}

TEST_F(MemoryTableImage, CompressedBodiesRoundTrip) {
  for (int i = 0; i < 40; ++i) InsertFull(i, i % 3 != 0);
  memory_->DeleteRecord({7, 0}, session_);
  const std::vector<uint8_t> plain = Save();
  for (uint8_t algorithm : {caZLIB, caBZIP, caPPM}) {
    const std::vector<uint8_t> b = Save(algorithm, 0);
    EXPECT_EQ(b[40], algorithm);
    EXPECT_LT(b.size(), plain.size() / 2);
    EXPECT_EQ(static_cast<size_t>(GetU32(b.data() + 36)), b.size() - 51 - 8);
    auto loaded = Load(b);
    ExpectSameRecords(*loaded);
  }
}

TEST_F(MemoryTableImage, ATableNameOf256CharactersCannotBeSaved) {
  TDVXMemoryStream stream;
  EXPECT_THAT([&] { SaveMemoryTableImage(stream, std::string(256, 'T'), 0, Parts()); },
              ThrowsDvx(kErrImageNameTooLong));
  SaveMemoryTableImage(stream, std::string(255, 'T'), 0, Parts());
}

TEST_F(MemoryTableImage, VersionsAreCheckedAgainstEveryBound) {
  const std::vector<uint8_t> good = Save();
  auto withVersion = [&](double v) {
    std::vector<uint8_t> b = good;
    std::memcpy(b.data() + 4, &v, 8);
    return b;
  };
  EXPECT_THAT([&] { Load(withVersion(4.3)); },
              ThrowsDvx(kErrImageVersionNewer, HasSubstr("Invalid version number = 4.3")));
  EXPECT_THAT([&] { Load(withVersion(std::nan(""))); }, ThrowsDvx(kErrImageVersionNewer));
  EXPECT_THAT([&] { Load(withVersion(0.9)); }, ThrowsDvx(kErrImageVersionOld));
  EXPECT_THAT([&] { Load(withVersion(1.005)); }, ThrowsDvx(kErrImageVersion101));
  EXPECT_THAT([&] { Load(withVersion(1.015)); }, ThrowsDvx(kErrImageVersion102));
  EXPECT_NE(Load(withVersion(1.03)), nullptr);
  EXPECT_NE(Load(withVersion(4.2001)), nullptr);
}

TEST_F(MemoryTableImage, AForeignSignatureIsRefused) {
  std::vector<uint8_t> b = Save();
  b[3] = '2';
  EXPECT_THAT([&] { Load(b); }, ThrowsDvx(kErrImageSignature, "Invalid signature = DVS2. Should be DVS1"));
}

TEST_F(MemoryTableImage, RecordCountsOutside32BitsAreRefused) {
  InsertFull(1, false);
  std::vector<uint8_t> b = Save();
  PutI64(b.data() + 12, int64_t{1} << 31);
  EXPECT_THAT([&] { Load(b); }, ThrowsDvx(kErrImageInvalid));
  PutI64(b.data() + 12, -1);
  EXPECT_THAT([&] { Load(b); }, ThrowsDvx(kErrImageInvalid));
  PutI64(b.data() + 12, 2);
  EXPECT_THAT([&] { Load(b); }, ThrowsDvx());
}

TEST_F(MemoryTableImage, ABlobValueMustLieWhereItsSlotSays) {
  InsertFull(1, true);
  std::vector<uint8_t> b = Save();
  // The first record's buffer follows the record manager's state; its
  // first BLOB slot holds the position right after the buffer.
  const size_t size = static_cast<size_t>(fields_.RecordSize());
  const size_t textSlot = static_cast<size_t>(fields_.Items(kText)->MemoryOffset());
  size_t bufferAt = b.size();
  for (size_t at = 0; at + size < b.size(); ++at)
    if (GetU64(b.data() + at + textSlot) == at + size && GetI32(b.data() + at + fields_.Items(kId)->MemoryOffset()) == 1) {
      bufferAt = at;
      break;
    }
  ASSERT_LT(bufferAt, b.size());
  PutU64(b.data() + bufferAt + textSlot, bufferAt + size + 1);
  const size_t pending = PendingBlobCount();
  EXPECT_THAT([&] { Load(b); }, ThrowsDvx(kErrImageBlobSeek));
  EXPECT_EQ(PendingBlobCount(), pending);
}

TEST_F(MemoryTableImage, RecordsThatDoNotFillTheSavedSlotsAreRefused) {
  InsertFull(1, false);
  InsertFull(2, false);
  InsertFull(3, false);
  memory_->DeleteRecord({1, 0}, session_);
  std::vector<uint8_t> b = Save();
  // The bitmap is the byte before the first record buffer: slot 1 free.
  const size_t bitmapAt = b.size() - 2 * static_cast<size_t>(fields_.RecordSize()) - 1;
  ASSERT_EQ(b[bitmapAt] & 0x07, 0x02);
  b[bitmapAt] &= static_cast<uint8_t>(~0x02);  // slot 1 "used" but no third record
  EXPECT_THAT([&] { Load(b); }, ThrowsDvx(kErrImageInvalid));
  b[bitmapAt] |= 0x07;  // no slot used at all
  EXPECT_THAT([&] { Load(b); }, ThrowsDvx(kErrAppendBeyondCapacity, "Invalid record No = 4"));
}

TEST_F(MemoryTableImage, EveryTruncationFailsCleanly) {
  InsertFull(1, true);
  InsertFull(2, false);
  memory_->DeleteRecord({0, 0}, session_);
  InsertFull(3, true);
  const std::vector<uint8_t> b = Save();
  for (size_t cut = 0; cut < b.size(); cut += (cut < 400 || b.size() - cut < 6000) ? 1 : 97)
    ExpectFails(std::vector<uint8_t>(b.begin(), b.begin() + static_cast<ptrdiff_t>(cut)));
  const std::vector<uint8_t> packed = Save(caZLIB, 6);
  for (size_t cut = 0; cut < packed.size(); ++cut)
    ExpectFails(std::vector<uint8_t>(packed.begin(), packed.begin() + static_cast<ptrdiff_t>(cut)));
}

TEST_F(MemoryTableImage, MutatedImagesLoadOrFailCleanly) {
  InsertFull(1, true);
  InsertFull(2, true);
  memory_->DeleteRecord({0, 0}, session_);
  InsertFull(3, false);
  const std::vector<uint8_t> b = Save();
  std::mt19937 rng(99);
  const size_t pending = PendingBlobCount();
  int loaded = 0, failed = 0;
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> m = b;
    // Mostly outside the index pages, where every byte means something.
    const size_t pagesEnd = b.size() - 3 * static_cast<size_t>(fields_.RecordSize()) - 3000;
    for (int k = 0; k < 1 + static_cast<int>(rng() % 3); ++k) {
      size_t at = rng() % m.size();
      if (at > 300 && at < pagesEnd && rng() % 4) at = pagesEnd + rng() % (m.size() - pagesEnd);
      static const uint8_t kValues[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF};
      m[at] = rng() % 2 ? static_cast<uint8_t>(rng()) : kValues[rng() % 6];
    }
    try {
      auto table = Load(m);
      ++loaded;
    } catch (const EDVXException&) {
      ++failed;
    }
    ASSERT_EQ(PendingBlobCount(), pending) << round;
  }
  EXPECT_GT(loaded, 0);
  EXPECT_GT(failed, 0);
}

}  // namespace
}  // namespace dvx::test
