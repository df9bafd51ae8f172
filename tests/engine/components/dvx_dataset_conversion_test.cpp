// Values between a record buffer's engine format and the host formats of
// the fields: every advanced type both ways, NULLs, boundaries, dates
// before 1900, empty strings as NULL and the refusals.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "engine/components/dataset_errors.h"
#include "engine/components/dataset_types.h"
#include "engine/components/field_conversion.h"
#include "engine/core/exception.h"
#include "engine/schema/field_def.h"
#include "engine/schema/record_buffer.h"
#include "engine/values/day_number.h"
#include "engine/values/extended_float.h"
#include "tests/support/dvx_matchers.h"

namespace dvx::test {
namespace {

using testing::ThrowsDvx;

class FieldConversionTest : public ::testing::Test {
 protected:
  // One field of the type (and size) at number 0 of a fresh buffer.
  void Define(int advancedType, int32_t size = 0) {
    fields_.Clear();
    fields_.Add("F", advancedType, size);
    fields_.RecomputeLayout();
    record_.assign(static_cast<size_t>(fields_.RecordSize()), 0);
    SetNull(true, 0, record_.data());
    host_ = AdvancedToComponentType(advancedType);
  }
  template <typename T>
  void Write(const T& value) {
    HostToEngine(fields_, 0, record_.data(), host_, "F", &value);
  }
  template <typename T>
  T Read() {
    T value{};
    EXPECT_TRUE(EngineToHost(fields_, 0, record_.data(), host_, "F", &value));
    return value;
  }
  template <typename T>
  T RoundTrip(const T& value) {
    Write(value);
    return Read<T>();
  }
  bool IsNullNow() { return !EngineToHost(fields_, 0, record_.data(), host_, "F", nullptr); }
  const uint8_t* Slot() { return record_.data() + fields_.Items(0)->MemoryOffset(); }

  TDVXFieldDefs fields_;
  std::vector<uint8_t> record_;
  TFieldType host_ = ftUnknown;
};

TEST_F(FieldConversionTest, EveryAdvancedTypeHasTheHostTypeOfItsTable) {
  const std::vector<std::pair<int, TFieldType>> table = {
      {aftChar, ftFixedChar},       {aftVarchar, ftString},           {aftWideChar, ftWideString},
      {aftWideVarchar, ftWideString}, {aftShortInt, ftSmallint},      {aftSmallInt, ftSmallint},
      {aftInteger, ftInteger},      {aftLargeInt, ftLargeint},        {aftCardinal, ftLargeint},
      {aftAutoIncLargeInt, ftLargeint}, {aftByte, ftWord},            {aftWord, ftWord},
      {aftAutoInc, ftAutoInc},      {aftAutoIncShortInt, ftAutoInc},  {aftAutoIncSmallInt, ftAutoInc},
      {aftAutoIncInteger, ftAutoInc}, {aftAutoIncByte, ftAutoInc},    {aftAutoIncWord, ftAutoInc},
      {aftAutoIncCardinal, ftAutoInc}, {aftSingle, ftFloat},          {aftDouble, ftFloat},
      {aftExtended, ftFloat},       {aftBoolean, ftBoolean},          {aftCurrency, ftCurrency},
      {aftDate, ftDate},            {aftTime, ftTime},                {aftDateTime, ftDateTime},
      {aftTimeStamp, ftTimeStamp},  {aftBytes, ftBytes},              {aftVarBytes, ftVarBytes},
      {aftBlob, ftBlob},            {aftGraphic, ftGraphic},          {aftMemo, ftMemo},
      {aftWideMemo, ftMemo},        {aftFormattedMemo, ftFmtMemo}};
  EXPECT_EQ(table.size(), static_cast<size_t>(kAdvancedFieldTypeCount));
  for (const auto& [advanced, host] : table) EXPECT_EQ(AdvancedToComponentType(advanced), host) << advanced;
}

TEST_F(FieldConversionTest, TheReverseMappingTakesTheFirstEngineTypeOfEachHostType) {
  const std::vector<std::pair<TFieldType, int>> table = {
      {ftFixedChar, aftChar},  {ftString, aftVarchar},     {ftWideString, aftWideChar}, {ftSmallint, aftSmallInt},
      {ftInteger, aftInteger}, {ftLargeint, aftLargeInt},  {ftWord, aftWord},           {ftAutoInc, aftAutoInc},
      {ftFloat, aftDouble},    {ftBoolean, aftBoolean},    {ftCurrency, aftCurrency},   {ftDate, aftDate},
      {ftTime, aftTime},       {ftDateTime, aftDateTime},  {ftTimeStamp, aftTimeStamp}, {ftBytes, aftBytes},
      {ftVarBytes, aftVarBytes}, {ftBlob, aftBlob},        {ftParadoxOle, aftBlob},     {ftDBaseOle, aftBlob},
      {ftTypedBinary, aftBlob}, {ftGraphic, aftGraphic},   {ftMemo, aftMemo},           {ftFmtMemo, aftFormattedMemo}};
  for (const auto& [host, advanced] : table) EXPECT_EQ(ComponentToAdvancedType(host), advanced) << host;
  EXPECT_THAT([] { ComponentToAdvancedType(ftBCD); }, ThrowsDvx(30289, "Unknown DataType: '8'"));
}

TEST_F(FieldConversionTest, NarrowIntegersWidenToTheirHostIntegerAndBack) {
  Define(aftShortInt);
  EXPECT_EQ(RoundTrip<int16_t>(-128), -128);
  EXPECT_EQ(RoundTrip<int16_t>(127), 127);
  EXPECT_EQ(static_cast<int8_t>(Slot()[0]), 127) << "one byte in the record";
  Define(aftByte);
  EXPECT_EQ(RoundTrip<uint16_t>(255), 255);
  Define(aftAutoIncWord);
  EXPECT_EQ(RoundTrip<int32_t>(65535), 65535);
  Define(aftCardinal);
  EXPECT_EQ(RoundTrip<int64_t>(4294967295LL), 4294967295LL);
  Define(aftLargeInt);
  EXPECT_EQ(RoundTrip<int64_t>(std::numeric_limits<int64_t>::min()), std::numeric_limits<int64_t>::min());
}

TEST_F(FieldConversionTest, AValueTheEngineTypeCannotHoldIsRefusedAndChangesNothing) {
  Define(aftShortInt);
  Write<int16_t>(5);
  EXPECT_THAT([&] { Write<int16_t>(128); }, ThrowsDvx(kErrValueOutOfRange, "Value 128 is out of range for field 'F'"));
  EXPECT_EQ(Read<int16_t>(), 5);
  Define(aftByte);
  EXPECT_THAT([&] { Write<uint16_t>(256); }, ThrowsDvx(kErrValueOutOfRange));
  Define(aftCardinal);
  EXPECT_THAT([&] { Write<int64_t>(-1); }, ThrowsDvx(kErrValueOutOfRange));
}

TEST_F(FieldConversionTest, AnAutoIncCardinalAboveTheHostRangeIsReportedNotWrapped) {
  Define(aftAutoIncCardinal);
  const uint32_t big = 3000000000u;
  std::memcpy(record_.data() + fields_.Items(0)->MemoryOffset(), &big, 4);
  SetNull(false, 0, record_.data());
  int32_t value = 0;
  EXPECT_THAT([&] { EngineToHost(fields_, 0, record_.data(), host_, "F", &value); },
              ThrowsDvx(kErrValueOutOfRange, "Value 3000000000 is out of range for field 'F'"));
}

TEST_F(FieldConversionTest, FloatsWidenAndNarrow) {
  Define(aftSingle);
  EXPECT_EQ(RoundTrip<double>(1.5), 1.5);
  EXPECT_THAT([&] { Write<double>(1e300); }, ThrowsDvx(kErrValueOutOfRange));
  Define(aftExtended);
  EXPECT_EQ(RoundTrip<double>(-123456.789), -123456.789);
  EXPECT_EQ(ExtendedToDouble(Slot()), -123456.789) << "ten bytes in the record";
  Define(aftDouble);
  EXPECT_EQ(RoundTrip<double>(std::numeric_limits<double>::max()), std::numeric_limits<double>::max());
  Define(aftCurrency);
  EXPECT_EQ(RoundTrip<double>(19.99), 19.99);
}

TEST_F(FieldConversionTest, BooleansAreMinusOneInTheRecordAndOneOnTheHostSide) {
  Define(aftBoolean);
  EXPECT_EQ(RoundTrip<int16_t>(1), 1);
  int16_t stored;
  std::memcpy(&stored, Slot(), 2);
  EXPECT_EQ(stored, -1);
  EXPECT_EQ(RoundTrip<int16_t>(0), 0);
}

TEST_F(FieldConversionTest, TwelveOClockIsFortyThreeMillionTwoHundredThousand) {
  Define(aftTime);
  int32_t noon = 12 * 3600 * 1000;
  Write(noon);
  EXPECT_EQ(Read<int32_t>(), 43200000);
  EXPECT_THAT([&] { Write<int32_t>(86400000); }, ThrowsDvx(kErrInvalidDateValue, "Invalid date or time value for field 'F'"));
}

TEST_F(FieldConversionTest, TheFirstMidnightOfYearOneIsOneDayOfMilliseconds) {
  Define(aftDateTime);
  StoreDateTime({1, 0}, record_.data() + fields_.Items(0)->MemoryOffset());
  SetNull(false, 0, record_.data());
  EXPECT_EQ(Read<double>(), 86400000.0);
  EXPECT_EQ(RoundTrip<double>(86400000.0), 86400000.0);
}

TEST_F(FieldConversionTest, DateTimesBefore1900RoundTrip) {
  Define(aftDateTime);
  int32_t day = 0;
  ASSERT_TRUE(EncodeDayNumber(1789, 7, 14, day));
  const double value = static_cast<double>(day) * 86400000.0 + 15 * 3600000.0 + 30 * 60000.0 + 1;
  EXPECT_EQ(RoundTrip<double>(value), value);
  EXPECT_EQ(LoadDateTime(Slot()), (TDVXDateTimePair{day, 15 * 3600000 + 30 * 60000 + 1}));
  EXPECT_THAT([&] { Write<double>(0.0); }, ThrowsDvx(kErrInvalidDateValue)) << "day 0 is before 0001-01-01";
}

TEST_F(FieldConversionTest, ADateTimeWithoutTimePartReadsAsMidnight) {
  Define(aftDateTime);
  StoreDateTime({700000, kNoTimePart}, record_.data() + fields_.Items(0)->MemoryOffset());
  SetNull(false, 0, record_.data());
  EXPECT_EQ(Read<double>(), 700000.0 * 86400000.0);
}

TEST_F(FieldConversionTest, DatesAreDayNumbersFromYearOne) {
  Define(aftDate);
  EXPECT_EQ(RoundTrip<int32_t>(1), 1);
  EXPECT_EQ(RoundTrip<int32_t>(kLastDayNumber), kLastDayNumber);
  EXPECT_THAT([&] { Write<int32_t>(0); }, ThrowsDvx(kErrInvalidDateValue));
  EXPECT_THAT([&] { Write<int32_t>(kLastDayNumber + 1); }, ThrowsDvx(kErrInvalidDateValue));
}

TEST_F(FieldConversionTest, TimeStampsTravelAsTheirParts) {
  Define(aftTimeStamp);
  TSQLTimeStamp stamp{1850, 2, 28, 23, 59, 58, 999};
  EXPECT_EQ(RoundTrip(stamp), stamp);
  TSQLTimeStamp bad{2023, 2, 29, 0, 0, 0, 0};
  EXPECT_THAT([&] { Write(bad); }, ThrowsDvx(kErrInvalidDateValue));
  EXPECT_EQ(Read<TSQLTimeStamp>(), stamp) << "the refused value changed nothing";
}

TEST_F(FieldConversionTest, StringsAreCutToTheirSizeAndEmptyIsNull) {
  Define(aftChar, 5);
  char text[8] = "abcdefg";
  Write(text);
  char back[6] = {};
  ASSERT_TRUE(EngineToHost(fields_, 0, record_.data(), host_, "F", back));
  EXPECT_STREQ(back, "abcde");
  char empty[1] = "";
  Write(empty);
  EXPECT_TRUE(IsNullNow());
}

TEST_F(FieldConversionTest, WideStringsCopyTheirUnits) {
  Define(aftWideVarchar, 4);
  std::u16string text = u"\u00e4\u00f6\u20ac";
  HostToEngine(fields_, 0, record_.data(), host_, "F", text.c_str());
  char16_t back[5] = {};
  ASSERT_TRUE(EngineToHost(fields_, 0, record_.data(), host_, "F", back));
  EXPECT_EQ(std::u16string(back), text);
  const char16_t empty[1] = {0};
  HostToEngine(fields_, 0, record_.data(), host_, "F", empty);
  EXPECT_TRUE(IsNullNow());
}

TEST_F(FieldConversionTest, VarBytesCarryALengthOnTheHostSideOnly) {
  Define(aftVarBytes, 4);
  uint8_t value[6] = {3, 0, 0xAA, 0xBB, 0xCC, 0xFF};
  Write(value);
  uint8_t back[6] = {};
  ASSERT_TRUE(EngineToHost(fields_, 0, record_.data(), host_, "F", back));
  const std::vector<uint8_t> expected = {4, 0, 0xAA, 0xBB, 0xCC, 0};
  EXPECT_EQ(std::vector<uint8_t>(back, back + 6), expected) << "the slot reads back whole, zero-padded";
  uint8_t none[2] = {0, 0};
  Write(none);
  EXPECT_TRUE(IsNullNow());
}

TEST_F(FieldConversionTest, NullIsNullEitherWay) {
  for (int type = aftChar; type <= aftWideMemo; ++type) {
    Define(type, IsFixedStringType(AdvancedToBaseType(type)) || IsAdvancedBytesType(type) ? 4 : 0);
    EXPECT_TRUE(IsNullNow()) << type;
    SetNull(false, 0, record_.data());
    HostToEngine(fields_, 0, record_.data(), host_, "F", nullptr);
    EXPECT_TRUE(IsNullNow()) << type;
  }
}

}  // namespace
}  // namespace dvx::test
