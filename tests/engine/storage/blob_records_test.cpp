// Records with variable strings and BLOBs: their items, compression, what
// updates keep and free, copies of buffers, pending values, and damaged
// string items.
#include <gtest/gtest.h>

#include "engine/storage/compression/compressor.h"
#include "engine/storage/record_errors.h"
#include "table_storage_harness.h"

namespace dvx::test {
namespace {

enum { kId, kName, kNote, kText, kPicture, kPacked };

class BlobRecords : public TTableStorageFixture {
 protected:
  void SetUp() override {
    fields_.Add("Id", aftInteger);
    fields_.Add("Name", aftVarchar, 40);
    fields_.Add("Note", aftWideVarchar, 20);
    TDVXFieldDef* text = fields_.Add("Text", aftFormattedMemo);
    text->SetBlobCompressionAlgorithm(caZLIB);
    text->SetBlobCompressionMode(6);
    text->SetBlobBlockSize(1000);
    fields_.Add("Picture", aftGraphic);
    TDVXFieldDef* packed = fields_.Add("Packed", aftVarchar, 3000);
    packed->SetBlobCompressionAlgorithm(caZLIB);
    packed->SetBlobCompressionMode(9);
    CreateTable();
  }
  std::vector<uint8_t> Full(int32_t id) {
    std::vector<uint8_t> r = NewRecord();
    SetInt(r, kId, id);
    SetText(r, kName, "Arnica " + std::to_string(id));
    const char16_t* note = u"Prellung";
    SetFieldData(kNote, fields_, &note, r.data());
    SetBlob(r, kText, Rtf(id));
    SetBlob(r, kPicture, Png(id));
    SetText(r, kPacked, std::string(2500, static_cast<char>('a' + id % 26)));
    return r;
  }
  static std::vector<uint8_t> Rtf(int32_t id) {
    std::string text = "{\\rtf1 Arnica montana " + std::to_string(id) + " ";
    for (int i = 0; i < 300; ++i) text += "bei Prellungen und Blutergüssen; ";
    return std::vector<uint8_t>(text.begin(), text.end());
  }
  static std::vector<uint8_t> Png(int32_t id) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> rest = Pattern(5000 + static_cast<size_t>(id), static_cast<uint32_t>(id));
    png.insert(png.end(), rest.begin(), rest.end());
    return png;
  }
  // The reference a stored record holds for a field.
  TDVXRecordID Reference(const TDVXRecordID& id, int field) {
    std::vector<uint8_t> page = FilePage(id.pageNo);
    const size_t at = kPageHeaderSize + static_cast<size_t>(rm_->Layout().SlotOffset(id.itemNo)) +
                      static_cast<size_t>(fields_.Items(field)->DiskOffset());
    return TDVXRecordID::Decode(page.data() + at);
  }
  TDVXItemHeader Item(const TDVXRecordID& reference, std::vector<uint8_t>* data = nullptr) {
    std::vector<uint8_t> bytes;
    TDVXItemHeader header = rm_->Items().ReadItem(session_, reference, bytes);
    if (data) *data = bytes;
    return header;
  }
  void ExpectClean() {
    std::vector<std::string> problems = CheckFile();
    EXPECT_TRUE(problems.empty()) << ::testing::PrintToString(problems);
  }
};

TEST_F(BlobRecords, EveryKindOfValueComesBackAfterCommitAndReopen) {
  std::vector<TDVXRecordID> ids;
  for (int32_t i = 1; i <= 3; ++i) {
    std::vector<uint8_t> r = Full(i);
    ids.push_back(rm_->InsertRecord(r.data(), session_));
  }
  Commit();
  Reopen();
  for (int32_t i = 1; i <= 3; ++i) {
    std::vector<uint8_t> r = Read(ids[static_cast<size_t>(i - 1)]);
    EXPECT_EQ(i, GetInt(r, kId));
    EXPECT_EQ("Arnica " + std::to_string(i), GetText(r, kName));
    const char16_t* note = nullptr;
    ASSERT_TRUE(GetFieldData(kNote, fields_, &note, r.data()));
    EXPECT_EQ(0, std::memcmp(note, u"Prellung", 18));
    EXPECT_EQ(Rtf(i), GetBlob(r, kText));
    EXPECT_EQ(Png(i), GetBlob(r, kPicture));
    EXPECT_EQ(std::string(2500, static_cast<char>('a' + i)), GetText(r, kPacked));
    EXPECT_EQ(kBlobSlotCurrent, BlobSlotMarker(r.data() + fields_.Items(kText)->MemoryOffset()));
  }
  ExpectClean();
}

TEST_F(BlobRecords, AnAbcStringIsAnItemOfFourBytes) {
  std::vector<uint8_t> r = NewRecord();
  SetText(r, kName, "abc");
  TDVXRecordID id = rm_->InsertRecord(r.data(), session_);
  Commit();
  std::vector<uint8_t> data;
  TDVXItemHeader header = Item(Reference(id, kName), &data);
  EXPECT_EQ(-1, header.word0);
  EXPECT_EQ(4u, header.uncompressedSize);
  EXPECT_EQ(4u, header.storedSize);
  EXPECT_EQ(std::vector<uint8_t>({'a', 'b', 'c', 0}), data);
}

TEST_F(BlobRecords, ItemsKeepTheirCompressedFormsAndBlockCounts) {
  std::vector<uint8_t> r = Full(4);
  TDVXRecordID id = rm_->InsertRecord(r.data(), session_);
  Commit();
  TDVXItemHeader packed = Item(Reference(id, kPacked));
  EXPECT_EQ(2501u, packed.uncompressedSize);
  EXPECT_LT(packed.storedSize, 100u);
  TDVXItemHeader text = Item(Reference(id, kText));
  EXPECT_EQ(Rtf(4).size(), text.uncompressedSize);
  EXPECT_EQ((Rtf(4).size() + 999) / 1000, static_cast<size_t>(text.word0));  // BlockCount
  std::vector<uint8_t> stored;
  TDVXItemHeader picture = Item(Reference(id, kPicture), &stored);
  EXPECT_EQ(0, picture.word0);
  EXPECT_EQ(Png(4), stored);  // a picture's bytes as they are
}

TEST_F(BlobRecords, UpdatesKeepUnchangedBlobsAndFreeWhatTheyReplace) {
  std::vector<uint8_t> r = Full(5);
  TDVXRecordID id = rm_->InsertRecord(r.data(), session_);
  Commit();
  const TDVXRecordID text = Reference(id, kText), picture = Reference(id, kPicture);
  std::vector<uint8_t> read = Read(id);
  SetInt(read, kId, 50);
  rm_->UpdateRecord(read.data(), id, session_);
  Commit();
  EXPECT_EQ(text, Reference(id, kText));
  EXPECT_EQ(picture, Reference(id, kPicture));
  EXPECT_EQ("Arnica 5", GetText(Read(id), kName));
  ExpectClean();
  // A new value and a NULL: both old items go.
  SetBlob(read, kText, Rtf(99));
  SetFieldData(kPicture, fields_, nullptr, read.data());
  rm_->UpdateRecord(read.data(), id, session_);
  Commit();
  EXPECT_NE(text, Reference(id, kText));
  std::vector<uint8_t> back = Read(id);
  EXPECT_EQ(Rtf(99), GetBlob(back, kText));
  EXPECT_TRUE(IsNull(kPicture, back.data()));
  EXPECT_THAT([&] { Item(picture); }, ThrowsDvx());
  ExpectClean();
}

// Strings too: an update stores again only the strings that changed (8-bit,
// wide and compressed ones alike) and frees what they replace.
TEST_F(BlobRecords, UpdatesKeepUnchangedStringsAndFreeWhatTheyReplace) {
  std::vector<uint8_t> r = Full(6);
  TDVXRecordID id = rm_->InsertRecord(r.data(), session_);
  Commit();
  const TDVXRecordID name = Reference(id, kName), note = Reference(id, kNote), packed = Reference(id, kPacked);
  std::vector<uint8_t> read = Read(id);
  SetInt(read, kId, 60);
  rm_->UpdateRecord(read.data(), id, session_);
  Commit();
  EXPECT_EQ(name, Reference(id, kName));
  EXPECT_EQ(note, Reference(id, kNote));
  EXPECT_EQ(packed, Reference(id, kPacked));
  ExpectClean();
  // One character more, one less, another at the end: each stored again.
  SetText(read, kName, "Arnica 66");
  SetText(read, kPacked, std::string(2499, 'g'));
  const char16_t* other = u"Prellunh";
  SetFieldData(kNote, fields_, &other, read.data());
  rm_->UpdateRecord(read.data(), id, session_);
  Commit();
  EXPECT_NE(name, Reference(id, kName));
  EXPECT_NE(note, Reference(id, kNote));
  EXPECT_NE(packed, Reference(id, kPacked));
  for (const TDVXRecordID& freed : {name, note, packed}) EXPECT_THAT([&] { Item(freed); }, ThrowsDvx());
  const std::vector<uint8_t> back = Read(id);
  EXPECT_EQ("Arnica 66", GetText(back, kName));
  EXPECT_EQ(std::string(2499, 'g'), GetText(back, kPacked));
  EXPECT_EQ(60, GetInt(back, kId));
  Reopen();
  EXPECT_EQ("Arnica 66", GetText(Read(id), kName));
  ExpectClean();
}

TEST_F(BlobRecords, DeletingRecordsFreesAllTheirItems) {
  std::vector<TDVXRecordID> ids;
  for (int32_t i = 0; i < 12; ++i) {
    std::vector<uint8_t> r = Full(i);
    ids.push_back(rm_->InsertRecord(r.data(), session_));
  }
  Commit();
  for (const auto& id : ids) rm_->DeleteRecord(id, session_);
  Commit();
  EXPECT_EQ(0, rm_->RecordCount(session_));
  const int coverage = rm_->Maps().Coverage();
  for (int32_t p = 0; p < std::min(rm_->Maps().PageNoLimit(), coverage); ++p)
    EXPECT_EQ(kPageValueFree, rm_->Maps().PageValue(session_, p)) << "page " << p;
  ExpectClean();
}

TEST_F(BlobRecords, ABufferCopiedFromAnotherRecordGetsItemsOfItsOwn) {
  std::vector<uint8_t> r = Full(6);
  TDVXRecordID a = rm_->InsertRecord(r.data(), session_);
  Commit();
  std::vector<uint8_t> copy = Read(a);
  TDVXRecordID b = rm_->InsertRecord(copy.data(), session_);
  Commit();
  EXPECT_NE(Reference(a, kText), Reference(b, kText));
  rm_->DeleteRecord(a, session_);
  Commit();
  EXPECT_EQ(Rtf(6), GetBlob(Read(b), kText));
  // The copy's slot names the new item, so updating it keeps that item.
  rm_->UpdateRecord(copy.data(), b, session_);
  Commit();
  EXPECT_EQ(Png(6), GetBlob(Read(b), kPicture));
  ExpectClean();
}

TEST_F(BlobRecords, PendingBlocksAreGivenBackByEveryWrite) {
  const size_t before = PendingBlobCount();
  std::vector<uint8_t> r = Full(7);
  EXPECT_EQ(before + 2, PendingBlobCount());
  // A value stored and then its field set NULL by the bare flag.
  SetNull(true, kPicture, r.data());
  TDVXRecordID id = rm_->InsertRecord(r.data(), session_);
  EXPECT_EQ(before, PendingBlobCount());
  SetBlob(r, kPicture, Png(1));
  rm_->UpdateRecord(r.data(), id, session_);
  EXPECT_EQ(before, PendingBlobCount());
  EXPECT_EQ(Png(1), GetBlob(Read(id), kPicture));
}

TEST_F(BlobRecords, AFailedInsertLeavesTheBufferAndTheFileAsTheyWere) {
  Commit();
  std::vector<uint8_t> r = Full(8);
  fields_.Items(kPacked)->SetBlobCompressionAlgorithm(caBZIP);
  fields_.Items(kPacked)->SetBlobCompressionMode(0);
  EXPECT_THAT([&] { rm_->InsertRecord(r.data(), session_); }, ThrowsDvx(10085));
  Cancel();
  EXPECT_EQ(kBlobSlotPending, BlobSlotMarker(r.data() + fields_.Items(kText)->MemoryOffset()));
  fields_.Items(kPacked)->SetBlobCompressionAlgorithm(caZLIB);
  fields_.Items(kPacked)->SetBlobCompressionMode(9);
  EXPECT_EQ(0, rm_->RecordCount(session_));
  TDVXRecordID id = rm_->InsertRecord(r.data(), session_);
  Commit();
  EXPECT_EQ(Rtf(8), GetBlob(Read(id), kText));
  ExpectClean();
}

TEST_F(BlobRecords, BlobSettingsThatCannotWorkAreRefused) {
  TDVXFieldDef* text = fields_.Items(kText);
  text->SetBlobCompressionAlgorithm(caBZIP);
  text->SetBlobCompressionMode(0);
  TDVXBlobValueStream stream(*text);
  EXPECT_THAT([&] { stream.WriteBuffer("abc", 3, 0); },
              ThrowsDvx(10085, HasSubstr("Compress buffer failed. CompAlg = 2, CompMode = 0")));
  text->SetBlobBlockSize(0);
  EXPECT_THAT([&] { TDVXBlobValueStream zero(*text); }, ThrowsDvx(kErrZeroBlobBlockSize, "Stream block size = 0 is not allowed"));
}

TEST_F(BlobRecords, LargeValuesReadThroughATemporaryFile) {
  std::vector<uint8_t> r = NewRecord();
  const std::vector<uint8_t> big = Pattern(300000, 3);
  SetBlob(r, kPicture, big);
  TDVXRecordID id = rm_->InsertRecord(r.data(), session_);
  Commit();
  std::vector<uint8_t> back = Read(id);
  auto stream = rm_->OpenBlob(session_, kPicture, back.data(), 100000);
  EXPECT_TRUE(stream->Storage().InFile());
  std::vector<uint8_t> value(static_cast<size_t>(stream->Size()));
  stream->ReadBuffer(value.data(), value.size(), 0);
  EXPECT_EQ(big, value);
  ExpectClean();
}

class DamagedStrings : public BlobRecords {
 protected:
  void SetUp() override {
    BlobRecords::SetUp();
    std::vector<uint8_t> r = NewRecord();
    SetInt(r, kId, 1);
    SetText(r, kName, "Belladonna");
    id_ = rm_->InsertRecord(r.data(), session_);
    Commit();
    // The item now claims a string longer than the field's slot.
    const TDVXRecordID item = Reference(id_, kName);
    std::vector<uint8_t> page = FilePage(item.pageNo);
    WriteI32(page, kPageHeaderSize + 4, 500);
    WriteFilePage(item.pageNo, page);
  }
  TDVXRecordID id_;
};

TEST_F(DamagedStrings, AStringLongerThanItsSlotFailsTheRead) {
  std::vector<uint8_t> r = NewRecord();
  TDVXGetRecordRequest request;
  request.session = session_;
  request.recordID = id_;
  request.buffer = r.data();
  EXPECT_THAT([&] { rm_->GetRecord(request); },
              ThrowsDvx(kErrLoadRecordVar,
                        ::testing::AllOf(::testing::StartsWith("Error loading record. TableName = Remedies, SessionID = " +
                                                               std::to_string(session_) + ", PageNo = " +
                                                               std::to_string(id_.pageNo) + ", ItemNo = " +
                                                               std::to_string(id_.itemNo) + ": "),
                                         ::testing::HasSubstr("Native error"))))
      << "the message names the cause of the failed read";
}

TEST_F(DamagedStrings, WhileRepairingTheStringBecomesNull) {
  rm_->SetRepairing(true);
  std::vector<uint8_t> r = Read(id_);
  EXPECT_TRUE(IsNull(kName, r.data()));
  EXPECT_EQ(1, GetInt(r, kId));
}

}  // namespace
}  // namespace dvx::test
