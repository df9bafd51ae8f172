// Default values of fields: their stream form, their conversion into record
// slots by the value model, and ApplyDefaults with autoincrement sequences.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "engine/values/value_errors.h"
#include "engine/core/exception.h"
#include "engine/values/day_number.h"
#include "engine/values/extended_float.h"
#include "engine/schema/field_manager.h"
#include "engine/schema/record_buffer.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::DvxCodeOf;
using dvx::testing::DvxErrorOf;
using dvx::testing::ThrowsDvx;

namespace dvx {
namespace {

std::vector<uint8_t> Saved(const TDVXStoredValue& v) {
  TDVXMemoryStream s;
  v.SaveToStream(s);
  return s.Bytes();
}

TEST(StoredValueStream, ImagesOfNullAndValues) {
  EXPECT_EQ((std::vector<uint8_t>{7, 255}), Saved(TDVXStoredValue(bftSignedInt32)));
  EXPECT_EQ((std::vector<uint8_t>{7, 0, 4, 0, 0, 0, 0xD2, 0x04, 0, 0}),
            Saved(TDVXStoredValue::FromInt(bftSignedInt32, 1234)));
  EXPECT_EQ((std::vector<uint8_t>{1, 0, 3, 0, 0, 0, 'a', 'b', 0}), Saved(TDVXStoredValue::FromAnsi("ab")));
  EXPECT_EQ((std::vector<uint8_t>{1, 255}), Saved(TDVXStoredValue::FromAnsi("")));
}

TEST(StoredValueStream, RoundTrip) {
  for (const TDVXStoredValue& v : {TDVXStoredValue::FromWide(u"Öl"), TDVXStoredValue::FromDouble(bftExtended, -2.5),
                                   TDVXStoredValue(bftDate), TDVXStoredValue::FromInt(bftLogical, 1)}) {
    TDVXMemoryStream s(Saved(v));
    TDVXStoredValue back;
    back.LoadFromStream(s);
    EXPECT_EQ(v, back);
    EXPECT_EQ(s.Size(), s.Position());
  }
}

TEST(StoredValueStream, CorruptFormsAreRefused) {
  auto load = [](std::vector<uint8_t> bytes) {
    TDVXMemoryStream s(std::move(bytes));
    TDVXStoredValue v;
    return DvxCodeOf([&] { v.LoadFromStream(s); });
  };
  EXPECT_EQ(30910, load({25, 255}));                           // unknown type
  EXPECT_EQ(30910, load({7, 1}));                              // null flag neither 0 nor 255
  EXPECT_EQ(30910, load({7, 0, 5, 0, 0, 0, 1, 2}));            // size past the end
  EXPECT_EQ(30910, load({7, 0, 0xFF, 0xFF, 0xFF, 0xFF}));      // negative size
  EXPECT_EQ(30910, load({7, 0, 2, 0, 0, 0, 1, 2}));            // size wrong for INT32
  EXPECT_EQ(30900, load({7, 0, 4, 0}));                        // truncated size
  EXPECT_EQ(30900, load({7}));
}

TEST(StoredValueStream, AShortReadReportsTheStreamsOwnMessage) {
  TDVXMemoryStream s(std::vector<uint8_t>{7, 0, 4, 0});
  TDVXStoredValue v;
  EXPECT_THAT([&] { v.LoadFromStream(s); },
              ThrowsDvx(30900, "Cannot read from stream. Position = 4, Stream size = 4, Block size = 4, Bytes Read = 2"));
}

// Defaults reach the record through ApplyDefaults, which converts them to
// the field's type by the value model's rules.
class DefaultIntoField : public ::testing::Test {
 protected:
  // The slot of a one-field table after ApplyDefaults; the slot starts as
  // 0xAA so that every byte written shows.
  std::vector<uint8_t> Write(const TDVXStoredValue& v, int advancedType, int32_t size = 0) {
    TDVXBaseSequenceManager sequences;
    TDVXBaseFieldManager fields(sequences);
    TDVXFieldDef* f = fields.FieldDefs().Add("F", advancedType, size);
    f->SetDefaultValue(v);
    fields.FieldDefs().RecomputeLayout();
    buffer_.assign(static_cast<size_t>(fields.FieldDefs().RecordSize()), 0xAA);
    buffer_[0] = 0x01;  // NULL
    TDVXSequenceSessionValues session;
    fields.ApplyDefaults(session, buffer_.data(), true);
    return std::vector<uint8_t>(buffer_.begin() + f->MemoryOffset(),
                                buffer_.begin() + f->MemoryOffset() + f->MemoryDataSize());
  }
  template <typename T>
  T WriteAs(const TDVXStoredValue& v, int advancedType) {
    std::vector<uint8_t> slot = Write(v, advancedType);
    T value;
    EXPECT_EQ(sizeof value, slot.size());
    std::memcpy(&value, slot.data(), sizeof value);
    return value;
  }
  // Native code and message of the failure; the field stays NULL.
  std::pair<int32_t, std::string> Failure(const TDVXStoredValue& v, int advancedType, int32_t size = 0) {
    auto e = DvxErrorOf([&] { Write(v, advancedType, size); });
    if (!e) return {0, {}};
    return {e->NativeError(), e->Message()};
  }
  static std::string CastMessage(int from, int to) {
    return std::string("Cannot cast from '") + BaseFieldTypeName(from) + "' to '" + BaseFieldTypeName(to) + "'";
  }
  bool FieldIsNull() const { return IsNull(0, buffer_.data()); }
  std::vector<uint8_t> buffer_;
};

TEST_F(DefaultIntoField, StringsAreRecodedAndCut) {
  EXPECT_EQ((std::vector<uint8_t>{'O', 'r', 'a', 0}), Write(TDVXStoredValue::FromAnsi("Orange"), aftChar, 3));
  EXPECT_FALSE(FieldIsNull());
  EXPECT_EQ((std::vector<uint8_t>{0xD6, 0, 'l', 0, 0, 0, 0, 0}), Write(TDVXStoredValue::FromAnsi("\xD6l"), aftWideChar, 3));
  EXPECT_EQ((std::vector<uint8_t>{0xE4, 0, 0}), Write(TDVXStoredValue::FromWide(u"ä"), aftVarchar, 2));
}

TEST_F(DefaultIntoField, NumbersConvertWithinRange) {
  EXPECT_EQ((std::vector<uint8_t>{0x2C, 0x01}), Write(TDVXStoredValue::FromInt(bftSignedInt32, 300), aftSmallInt));
  EXPECT_EQ(kErrConversionFailed, Failure(TDVXStoredValue::FromInt(bftSignedInt32, 300), aftByte).first);
  EXPECT_EQ(kErrConversionFailed, Failure(TDVXStoredValue::FromInt(bftSignedInt32, -1), aftCardinal).first);
  std::vector<uint8_t> ext = Write(TDVXStoredValue::FromInt(bftSignedInt8, -3), aftExtended);
  EXPECT_EQ(-3.0, ExtendedToDouble(ext.data()));
  EXPECT_EQ(-7, WriteAs<int32_t>(TDVXStoredValue::FromDouble(bftFloat, -7.9), aftInteger));
  EXPECT_EQ((std::vector<uint8_t>{0xFF, 0xFF}), Write(TDVXStoredValue::FromInt(bftSignedInt32, 5), aftBoolean));
}

TEST_F(DefaultIntoField, TextDefaultsParseIntoTypedFields) {
  int32_t day = 0;
  ASSERT_TRUE(EncodeDayNumber(2024, 3, 12, day));
  EXPECT_EQ(day, WriteAs<int32_t>(TDVXStoredValue::FromAnsi("12.03.2024"), aftDate));
  EXPECT_FALSE(FieldIsNull());
  EXPECT_EQ(1.5, WriteAs<double>(TDVXStoredValue::FromAnsi("1.5"), aftDouble));
  EXPECT_EQ(12, WriteAs<int32_t>(TDVXStoredValue::FromAnsi("12"), aftInteger));
  EXPECT_EQ(int16_t{-1}, WriteAs<int16_t>(TDVXStoredValue::FromWide(u"TRUE"), aftBoolean));
  int32_t ms = 0;
  ASSERT_TRUE(EncodeTimeMs(13, 45, 0, 0, ms));
  EXPECT_EQ(ms, WriteAs<int32_t>(TDVXStoredValue::FromAnsi("13:45:00"), aftTime));
}

TEST_F(DefaultIntoField, TypedDefaultsBecomeText) {
  EXPECT_EQ((std::vector<uint8_t>{'4', '2', 0, 0, 0}), Write(TDVXStoredValue::FromInt(bftSignedInt32, 42), aftChar, 4));
  EXPECT_EQ((std::vector<uint8_t>{'-', '1', '2', '3', 0}),
            Write(TDVXStoredValue::FromInt(bftSignedInt64, -123456), aftVarchar, 4));
  EXPECT_EQ((std::vector<uint8_t>{'0', 0, '.', 0, '5', 0, 0, 0}),
            Write(TDVXStoredValue::FromDouble(bftFloat, 0.5), aftWideChar, 3));
  int32_t day = 0;
  ASSERT_TRUE(EncodeDayNumber(2024, 3, 12, day));
  std::vector<uint8_t> dateText = Write(TDVXStoredValue::FromBytes(bftDate, &day, 4), aftChar, 10);
  EXPECT_EQ("12.03.2024", std::string(reinterpret_cast<const char*>(dateText.data())));
  // A real default into a DATE field is a day number; its fraction is dropped.
  EXPECT_EQ(731645, WriteAs<int32_t>(TDVXStoredValue::FromDouble(bftFloat, 731645.75), aftDate));
}

TEST_F(DefaultIntoField, ADefaultThatBecomesEmptyTextLeavesTheFieldNull) {
  int32_t noDate = kMissingDayNumber;
  Write(TDVXStoredValue::FromBytes(bftDate, &noDate, 4), aftChar, 10);
  EXPECT_TRUE(FieldIsNull());
}

TEST_F(DefaultIntoField, BadDefaultsFailWithTheConversionError) {
  auto failure = Failure(TDVXStoredValue::FromAnsi("zwölf"), aftInteger);
  EXPECT_EQ(kErrConversionFailed, failure.first);
  EXPECT_EQ(CastMessage(bftChar, bftSignedInt32), failure.second);
  EXPECT_TRUE(FieldIsNull());
  EXPECT_EQ(kErrConversionFailed, Failure(TDVXStoredValue::FromAnsi("31.02.2024"), aftDate).first);
  EXPECT_EQ(kErrConversionFailed, Failure(TDVXStoredValue::FromAnsi("1,5"), aftDouble).first);
  EXPECT_EQ(kErrConversionFailed, Failure(TDVXStoredValue::FromAnsi("70000"), aftSmallInt).first);
}

TEST_F(DefaultIntoField, PairsWithoutConversionAreRefused) {
  int32_t day = 731645;
  auto failure = Failure(TDVXStoredValue::FromBytes(bftDate, &day, 4), aftBoolean);
  EXPECT_EQ(kErrCannotCast, failure.first);
  EXPECT_EQ(CastMessage(bftDate, bftLogical), failure.second);
  EXPECT_EQ(kErrCannotCast, Failure(TDVXStoredValue::FromInt(bftLogical, 1), aftDate).first);
  // A BLOB slot holds a reference, never a value.
  EXPECT_EQ(kErrCannotCast, Failure(TDVXStoredValue::FromInt(bftSignedInt32, 1), aftMemo).first);
}

class ApplyDefaultsTest : public ::testing::Test {
 protected:
  ApplyDefaultsTest() : fields_(sequences_) {}
  void SetUp() override {
    TDVXSequenceDef* seq = sequences_.SequenceDefs().Add();
    seq->SetObjectName("$S_Autoinc$T$Id");
    seq->SetObjectID(77);
    seq->SetSequenceType(bftSignedInt16);
    seq->SetMaxValue(INT64_MAX);
    TDVXFieldDefs& defs = fields_.FieldDefs();
    TDVXFieldDef* id = defs.Add("Id", aftAutoIncSmallInt);
    id->SetAutoincSequenceID(77);
    // A default on an autoincrement field loses to the sequence.
    id->SetDefaultValue(TDVXStoredValue::FromInt(bftSignedInt16, 999));
    defs.Add("Name", aftChar, 4)->SetDefaultValue(TDVXStoredValue::FromAnsi("none"));
    defs.Add("Other", aftInteger);
    defs.RecomputeLayout();
    buffer_.assign(defs.RecordSize(), 0);
    buffer_[0] = 0x07;  // all NULL
  }
  TDVXBaseSequenceManager sequences_;
  TDVXBaseFieldManager fields_;
  TDVXSequenceSessionValues session_;
  std::vector<uint8_t> buffer_;
};

TEST_F(ApplyDefaultsTest, DefaultsAndSequenceValuesFillTheBuffer) {
  fields_.ApplyDefaults(session_, buffer_.data(), true);
  // Bitmap: only Other stays NULL. Id = 1 (int16), Name = "none\0".
  EXPECT_EQ((std::vector<uint8_t>{0x04, 1, 0, 'n', 'o', 'n', 'e', 0}),
            std::vector<uint8_t>(buffer_.begin(), buffer_.begin() + 8));
  EXPECT_EQ(1, sequences_.GetLastValue(session_, 77));
  fields_.ApplyDefaults(session_, buffer_.data(), true);
  EXPECT_EQ(2, buffer_[1]);
}

TEST_F(ApplyDefaultsTest, WithoutTheSwitchTheDefaultStays) {
  fields_.ApplyDefaults(session_, buffer_.data(), false);
  EXPECT_EQ(0xE7, buffer_[1]);  // 999 = 0x03E7
  EXPECT_EQ(0x03, buffer_[2]);
  EXPECT_THAT([&] { sequences_.GetLastValue(session_, 77); }, ThrowsDvx(30012));
}

TEST_F(ApplyDefaultsTest, SequenceOverflowOfTheFieldTypeStopsTheInsert) {
  sequences_.GetSequence(77).SetCurrentValue(32766);
  sequences_.GetSequence(77).SetCycled(false);
  fields_.ApplyDefaults(session_, buffer_.data(), true);
  EXPECT_EQ(0xFF, buffer_[1]);
  EXPECT_EQ(0x7F, buffer_[2]);
  EXPECT_THAT([&] { fields_.ApplyDefaults(session_, buffer_.data(), true); },
              ThrowsDvx(30009, "Sequence '$S_Autoinc$T$Id' overflow"));
}

TEST(ApplyDefaultsPlain, TableWithoutDefaultsIsLeftAlone) {
  TDVXBaseSequenceManager sequences;
  TDVXBaseFieldManager fields(sequences);
  fields.FieldDefs().Add("A", aftInteger);
  std::vector<uint8_t> buffer(fields.FieldDefs().RecordSize(), 0x5A);
  TDVXSequenceSessionValues session;
  fields.ApplyDefaults(session, buffer.data(), true);
  EXPECT_EQ(std::vector<uint8_t>(5, 0x5A), buffer);
}

}  // namespace
}  // namespace dvx
