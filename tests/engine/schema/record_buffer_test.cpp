#include "engine/schema/record_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/exception.h"
#include "engine/schema/table_errors.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::ThrowsDvx;

namespace dvx {
namespace {

class RecordBuffer : public ::testing::Test {
 protected:
  void SetUp() override {
    fields_.Add("Name", aftChar, 5);
    fields_.Add("Note", aftVarchar, 10);
    fields_.Add("Count", aftInteger);
    fields_.Add("Text", aftMemo);
    fields_.Add("Ratio", aftExtended);
    fields_.Add("Wide", aftWideVarchar, 3);
    buffer_.assign(fields_.RecordSize(), 0);
  }
  TDVXFieldDefs fields_;
  std::vector<uint8_t> buffer_;
};

TEST_F(RecordBuffer, LayoutRunsMemoryAndDiskOffsetsSeparately) {
  // Bitmap 1 byte; Char(5) 6/6, Varchar(10) 11/6, Integer 4/4, Memo 8/6,
  // Extended 10/10, WideVarchar(3) 8/6.
  const int32_t memory[] = {1, 7, 18, 22, 30, 40};
  const int32_t disk[] = {1, 7, 13, 17, 23, 33};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(memory[i], fields_.Items(i)->MemoryOffset()) << i;
    EXPECT_EQ(disk[i], fields_.Items(i)->DiskOffset()) << i;
  }
  EXPECT_EQ(48, fields_.RecordSize());
  EXPECT_EQ(39, fields_.DiskRecordSize());
  EXPECT_TRUE(fields_.HasBlobOrVarStringFields());
  EXPECT_FALSE(fields_.HasAutoincFields());
}

TEST(RecordLayout, NineFieldsTakeATwoByteBitmap) {
  TDVXFieldDefs fields;
  for (int i = 0; i < 9; ++i) fields.Add("F" + std::to_string(i), aftByte);
  EXPECT_EQ(2, fields.NullBitmapSize());
  EXPECT_EQ(2, fields.Items(0)->MemoryOffset());
  EXPECT_EQ(11, fields.RecordSize());
  std::vector<uint8_t> buffer(fields.RecordSize(), 0);
  SetNull(true, 8, buffer.data());
  SetNull(true, 0, buffer.data());
  EXPECT_EQ(0x01, buffer[0]);
  EXPECT_EQ(0x01, buffer[1]);
  EXPECT_TRUE(IsNull(8, buffer.data()));
  EXPECT_FALSE(IsNull(7, buffer.data()));
}

TEST(RecordLayout, SeventeenFieldsTakeAThreeByteBitmap) {
  TDVXFieldDefs fields;
  for (int i = 0; i < 17; ++i) fields.Add("F" + std::to_string(i), aftSmallInt);
  EXPECT_EQ(3, fields.NullBitmapSize());
  EXPECT_EQ(3, fields.Items(0)->MemoryOffset());
  std::vector<uint8_t> buffer(fields.RecordSize(), 0);
  for (int i : {0, 7, 9, 16}) SetNull(true, i, buffer.data());
  EXPECT_EQ((std::vector<uint8_t>{0x81, 0x02, 0x01}), std::vector<uint8_t>(buffer.begin(), buffer.begin() + 3));
  SetNull(false, 7, buffer.data());
  EXPECT_EQ(0x01, buffer[0]);
}

TEST(RecordLayout, WideVarcharOfTenIs22BytesInMemoryAnd6OnDisk) {
  TDVXFieldDefs fields;
  TDVXFieldDef* f = fields.Add("W", aftWideVarchar, 10);
  EXPECT_EQ(22, f->MemoryDataSize());
  EXPECT_EQ(6, f->DiskDataSize());
  EXPECT_EQ(bftWideString, f->BaseFieldType());
}

TEST(RecordLayout, TimeStampIsStoredLikeDateTime) {
  TDVXFieldDefs fields;
  TDVXFieldDef* ts = fields.Add("T", aftTimeStamp);
  TDVXFieldDef* dt = fields.Add("D", aftDateTime);
  EXPECT_EQ(dt->BaseFieldType(), ts->BaseFieldType());
  EXPECT_EQ(8, ts->MemoryDataSize());
  EXPECT_EQ(8, ts->DiskDataSize());
}

TEST(RecordLayout, DateTimeSlotsHoldDayNumberThenMilliseconds) {
  TDVXFieldDefs fields;
  fields.Add("Born", aftDateTime);
  fields.Add("Day", aftDate);
  std::vector<uint8_t> buffer(fields.RecordSize(), 0xFF);
  int32_t firstDay[2] = {1, 0};        // 0001-01-01 00:00
  int32_t epoch[2] = {693594, 3600000};  // 1899-12-30 01:00
  SetFieldData(0, fields, firstDay, buffer.data());
  int32_t epochDay = 693594;
  SetFieldData(1, fields, &epochDay, buffer.data());
  EXPECT_EQ((std::vector<uint8_t>{0xFC, 1, 0, 0, 0, 0, 0, 0, 0, 0x5A, 0x95, 0x0A, 0x00}), buffer);
  SetFieldData(0, fields, epoch, buffer.data());
  EXPECT_EQ((std::vector<uint8_t>{0x5A, 0x95, 0x0A, 0x00, 0x80, 0xEE, 0x36, 0x00}),
            std::vector<uint8_t>(buffer.begin() + 1, buffer.begin() + 9));
}

TEST(RecordLayout, NoFieldsHaveNoRecordSize) {
  TDVXFieldDefs fields;
  EXPECT_THAT([&] { fields.RecordSize(); }, ThrowsDvx(10131, "Error creating table - no fields were specified"));
}

TEST_F(RecordBuffer, CharIsCutToItsSizeAndEmptyIsNull) {
  SetFieldData(0, fields_, "abcdefg", buffer_.data());
  EXPECT_EQ((std::vector<uint8_t>{'a', 'b', 'c', 'd', 'e', 0}),
            std::vector<uint8_t>(buffer_.begin() + 1, buffer_.begin() + 7));
  EXPECT_FALSE(IsNull(0, buffer_.data()));
  char out[6];
  ASSERT_TRUE(GetFieldData(0, fields_, out, buffer_.data()));
  EXPECT_STREQ("abcde", out);
  SetFieldData(0, fields_, "", buffer_.data());
  EXPECT_TRUE(IsNull(0, buffer_.data()));
  EXPECT_FALSE(GetFieldData(0, fields_, out, buffer_.data()));
}

TEST_F(RecordBuffer, ShortStringGetsItsTerminator) {
  SetFieldData(1, fields_, "0123456789", buffer_.data());
  SetFieldData(1, fields_, "xy", buffer_.data());
  char out[11];
  ASSERT_TRUE(GetFieldData(1, fields_, out, buffer_.data()));
  EXPECT_STREQ("xy", out);
}

TEST_F(RecordBuffer, WideStringsPassAddresses) {
  const char16_t* text = u"Äpfel";
  SetFieldData(5, fields_, &text, buffer_.data());
  // Cut to 3 characters: Ä p f, then two zero bytes.
  EXPECT_EQ((std::vector<uint8_t>{0xC4, 0, 'p', 0, 'f', 0, 0, 0}),
            std::vector<uint8_t>(buffer_.begin() + 40, buffer_.begin() + 48));
  const char16_t* read = nullptr;
  ASSERT_TRUE(GetFieldData(5, fields_, &read, buffer_.data()));
  EXPECT_EQ(reinterpret_cast<const char16_t*>(buffer_.data() + 40), read);
  const char16_t* empty = u"";
  SetFieldData(5, fields_, &empty, buffer_.data());
  EXPECT_TRUE(IsNull(5, buffer_.data()));
}

TEST_F(RecordBuffer, FixedValuesCopyTheirSize) {
  int32_t v = -2;
  SetFieldData(2, fields_, &v, buffer_.data());
  EXPECT_EQ((std::vector<uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}),
            std::vector<uint8_t>(buffer_.begin() + 18, buffer_.begin() + 22));
  int32_t back = 0;
  ASSERT_TRUE(GetFieldData(2, fields_, &back, buffer_.data()));
  EXPECT_EQ(-2, back);
  EXPECT_TRUE(GetFieldData(2, fields_, nullptr, buffer_.data()));
  SetFieldData(2, fields_, nullptr, buffer_.data());
  EXPECT_FALSE(GetFieldData(2, fields_, nullptr, buffer_.data()));
}

TEST_F(RecordBuffer, BlobFieldsAnswerWithoutCopying) {
  SetNull(false, 3, buffer_.data());
  uint8_t sentinel[8] = {9, 9, 9, 9, 9, 9, 9, 9};
  EXPECT_TRUE(GetFieldData(3, fields_, sentinel, buffer_.data()));
  EXPECT_EQ(9, sentinel[0]);
}

TEST_F(RecordBuffer, FieldNumbersAndBuffersAreChecked) {
  EXPECT_THAT([&] { GetFieldData(6, fields_, nullptr, buffer_.data()); },
              ThrowsDvx(10000, "Invalid field number - FieldNo = 6, FieldCount = 6"));
  EXPECT_THAT([&] { GetFieldData(-1, fields_, nullptr, buffer_.data()); }, ThrowsDvx(10000));
  EXPECT_THAT([&] { SetFieldData(6, fields_, "x", buffer_.data()); }, ThrowsDvx(10004));
  EXPECT_THAT([&] { GetFieldData(0, fields_, nullptr, nullptr); }, ThrowsDvx(10003, "Nil pointer occured"));
}

TEST_F(RecordBuffer, FixedFieldsCopyBetweenTheTwoForms) {
  SetFieldData(0, fields_, "ab", buffer_.data());
  int32_t v = 0x01020304;
  SetFieldData(2, fields_, &v, buffer_.data());
  SetNull(true, 1, buffer_.data());
  std::vector<uint8_t> disk(fields_.DiskRecordSize(), 0xEE);
  CopyFixedFieldsToDisk(fields_, buffer_.data(), disk.data());
  EXPECT_EQ(buffer_[0], disk[0]);
  EXPECT_EQ((std::vector<uint8_t>{'a', 'b', 0}), std::vector<uint8_t>(disk.begin() + 1, disk.begin() + 4));
  EXPECT_EQ((std::vector<uint8_t>{4, 3, 2, 1}), std::vector<uint8_t>(disk.begin() + 13, disk.begin() + 17));
  EXPECT_EQ(0xEE, disk[7]);  // the Varchar reference is the record manager's
  std::vector<uint8_t> back(fields_.RecordSize(), 0);
  CopyFixedFieldsFromDisk(fields_, disk.data(), back.data());
  EXPECT_EQ(0, std::memcmp(back.data() + 18, buffer_.data() + 18, 4));
  EXPECT_TRUE(IsNull(1, back.data()));
}

}  // namespace
}  // namespace dvx
