#include <gtest/gtest.h>

#include "engine/values/value_errors.h"
#include "engine/values/variant.h"
#include "engine/core/memory_manager.h"
#include "value_test_util.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::ThrowsDvx;

namespace dvx {
namespace {

using namespace dvx::testing;

TEST(VariantLifecycle, FreshValueIsNullOfItsType) {
  TDVXVariant v(bftSignedInt32);
  EXPECT_TRUE(v.IsNull());
  EXPECT_EQ(v.DataType(), bftSignedInt32);
  EXPECT_EQ(v.DataSize(), 0);
  EXPECT_EQ(v.Data(), nullptr);
}

TEST(VariantLifecycle, SetNullKeepsTypeAndBufferButClearDropsThem) {
  TDVXVariant v = I32(7);
  v.SetNull();
  EXPECT_TRUE(v.IsNull());
  EXPECT_EQ(v.DataType(), bftSignedInt32);
  EXPECT_EQ(v.DataSize(), 4);
  v.Clear(bftDate);
  EXPECT_TRUE(v.IsNull());
  EXPECT_EQ(v.DataType(), bftDate);
  EXPECT_EQ(v.Data(), nullptr);
}

TEST(VariantLifecycle, OwnedBuffersComeFromTheEngineAllocatorAndAreFreed) {
  auto& memory = TDVXMemoryManager::Instance();
  uint64_t before = memory.CurrentBytes();
  {
    TDVXVariant v = Text("hello");
    EXPECT_EQ(memory.BlockSize(v.Data()), 6u);
    TDVXVariant copy(v);
    EXPECT_NE(copy.Data(), v.Data());
  }
  EXPECT_EQ(memory.CurrentBytes(), before);
}

TEST(VariantLifecycle, SetSizeZeroMeansNullAndGrowingKeepsTheBytes) {
  TDVXVariant v = I16(0x1234);
  v.SetSize(4);
  ASSERT_EQ(v.DataSize(), 4);
  EXPECT_EQ(v.Data()[0], 0x34);
  EXPECT_EQ(v.Data()[1], 0x12);
  v.SetSize(0);
  EXPECT_TRUE(v.IsNull());
}

TEST(VariantRawAccess, BorrowedBufferIsReadInPlaceAndNeverFreedOrResized) {
  uint8_t record[4] = {1, 0, 0, 0};
  TDVXVariant v;
  v.SetBuffer(record, 4, false, bftSignedInt32);
  EXPECT_TRUE(v.IsBorrowed());
  EXPECT_EQ(v.Data(), record);
  record[0] = 9;
  EXPECT_EQ(v.GetAsSignedInt32(), 9);
  v.SetSize(8);  // takes its own buffer instead of resizing the record
  EXPECT_FALSE(v.IsBorrowed());
  EXPECT_NE(v.Data(), record);
  EXPECT_EQ(v.Data()[0], 9);
  // Writing through MutableData of a borrowed value leaves the source alone.
  TDVXVariant w;
  w.SetBuffer(record, 4, false, bftSignedInt32);
  w.MutableData()[0] = 5;
  EXPECT_EQ(record[0], 9);
}

TEST(VariantRawAccess, SetBufferCopyOfItsOwnBytesIsSafe) {
  TDVXVariant v = Text("abcdef");
  v.SetBuffer(v.Data() + 2, 5, true, bftString);  // "cdef\0", a shorter copy of itself
  EXPECT_EQ(v.GetAsString(), "cdef");
}

TEST(VariantRawAccess, GetBufferChecksTheCapacity) {
  TDVXVariant v = I64(-2);
  uint8_t out[8] = {};
  EXPECT_TRUE(v.GetBuffer(out, 8));
  EXPECT_EQ(out[7], 0xFF);
  EXPECT_THAT([&] { v.GetBuffer(out, 7); }, ThrowsDvx(kErrBufferSizeExceeded));
  EXPECT_FALSE(TDVXVariant(bftSignedInt64).GetBuffer(out, 8));
}

TEST(VariantRawAccess, AssignCopiesOrBorrows) {
  TDVXVariant source = Text("abc");
  TDVXVariant copy, borrowed;
  copy.Assign(source, true);
  borrowed.Assign(source, false);
  EXPECT_NE(copy.Data(), source.Data());
  EXPECT_EQ(borrowed.Data(), source.Data());
  EXPECT_TRUE(borrowed.IsBorrowed());
  EXPECT_EQ(copy.GetAsString(), "abc");
  EXPECT_EQ(borrowed.GetAsString(), "abc");
  TDVXVariant nullSource(bftDate);
  copy.Assign(nullSource);
  EXPECT_TRUE(copy.IsNull());
  EXPECT_EQ(copy.DataType(), bftDate);
}

TEST(VariantRawAccess, StringLengthCountsCharacters) {
  EXPECT_EQ(Text("abc").GetStringLength(), 3);
  EXPECT_EQ(Text("abc", bftChar).GetStringLength(), 3);
  EXPECT_EQ(Wide(u"abcd").GetStringLength(), 4);
  EXPECT_EQ(Text("abcde", bftMemo).GetStringLength(), 5);
  EXPECT_EQ(Wide(u"ab", bftWideMemo).GetStringLength(), 2);
  EXPECT_EQ(I32(5).GetStringLength(), -1);
  EXPECT_EQ(TDVXVariant(bftString).GetStringLength(), -1);
}

TEST(VariantTypedAccess, SetterOnUntypedValueStoresItsOwnType) {
  TDVXVariant v;
  v.SetAsSignedInt16(-300);
  EXPECT_EQ(v.DataType(), bftSignedInt16);
  EXPECT_EQ(BytesOf(v), (std::vector<uint8_t>{0xD4, 0xFE}));
  v.Clear();
  v.SetAsLogical(true);
  EXPECT_EQ(BytesOf(v), (std::vector<uint8_t>{0xFF, 0xFF}));
  v.Clear();
  v.SetAsString("x");
  EXPECT_EQ(v.DataType(), bftString);
  EXPECT_EQ(BytesOf(v), (std::vector<uint8_t>{'x', 0}));
  v.Clear();
  v.SetAsWideString(u"\u20AC");
  EXPECT_EQ(v.DataType(), bftWideString);
  EXPECT_EQ(BytesOf(v), (std::vector<uint8_t>{0xAC, 0x20, 0, 0}));
}

TEST(VariantTypedAccess, SetterOnAnotherTypeConvertsIntoThatType) {
  TDVXVariant v(bftFloat);
  v.SetAsSignedInt32(3);
  EXPECT_EQ(v.DataType(), bftFloat);
  EXPECT_EQ(v.GetAsDouble(), 3.0);
  TDVXVariant s(bftString);
  s.SetAsDouble(2.5);
  EXPECT_EQ(s.DataType(), bftString);
  EXPECT_EQ(s.GetAsString(), "2.5");
}

TEST(VariantTypedAccess, FailingConvertingSetterLeavesNullOfTheOwnType) {
  TDVXVariant v = I8(1);
  EXPECT_THAT([&] { v.SetAsSignedInt32(1000); }, ThrowsDvx(kErrConversionFailed));
  EXPECT_TRUE(v.IsNull());
  EXPECT_EQ(v.DataType(), bftSignedInt8);
}

TEST(VariantTypedAccess, EmptyStringIsNull) {
  TDVXVariant v;
  v.SetAsString("");
  EXPECT_TRUE(v.IsNull());
  EXPECT_THAT([&] { v.GetAsString(); }, ThrowsDvx(kErrValueIsNull));
  EXPECT_THAT([&] { TDVXVariant(bftSignedInt32).GetAsSignedInt32(); }, ThrowsDvx(kErrValueIsNull));
}

TEST(VariantTypedAccess, GettersConvertACopyAndLeaveTheValue) {
  TDVXVariant v = Text("42");
  EXPECT_EQ(v.GetAsSignedInt8(), 42);
  EXPECT_EQ(v.GetAsUnsignedInt32(), 42u);
  EXPECT_EQ(v.GetAsDouble(), 42.0);
  EXPECT_EQ(v.DataType(), bftString);
  EXPECT_EQ(v.GetAsString(), "42");
}

TEST(VariantTypedAccess, EightBitStringIsCutAtItsFirstZero) {
  const char bytes[] = {'a', 'b', 0, 'c', 0};
  TDVXVariant v;
  v.SetBuffer(bytes, 5, true, bftChar);
  EXPECT_EQ(v.GetAsString(), "ab");
  // A string without a terminator (a damaged buffer) ends at its last byte.
  v.SetBuffer("xyz", 3, true, bftString);
  EXPECT_EQ(v.GetAsString(), "xyz");
}

TEST(VariantTypedAccess, DatesAsDayNumbersAndDateTimeValues) {
  TDVXVariant v;
  v.SetAsDateValue(38051.75);  // 2004-03-05 18:00
  EXPECT_EQ(v.DataType(), bftDate);
  EXPECT_EQ(v.GetAsDate(), 731645);
  EXPECT_EQ(v.GetAsDateValue(), 38051.0);
  TDVXVariant t;
  t.SetAsTimeValue(0.75);
  EXPECT_EQ(t.GetAsTime(), 64800000);
  EXPECT_DOUBLE_EQ(t.GetAsTimeValue(), 0.75);
  TDVXVariant dt;
  dt.SetAsDateTimeValue(-1.25);  // 1899-12-29 06:00
  EXPECT_EQ(dt.GetAsDateTime(), (TDVXDateTimePair{693593, 21600000}));
  EXPECT_DOUBLE_EQ(dt.GetAsDateTimeValue(), -1.25);
}

TEST(VariantTypedAccess, ExtendedKeepsMoreThanDoublePrecision) {
  long double third = 1.0L / 3.0L;
  TDVXVariant v;
  v.SetAsExtended(third);
  EXPECT_EQ(v.DataSize(), 10);
  EXPECT_EQ(v.GetAsExtended(), third);
  EXPECT_EQ(v.GetAsDouble(), static_cast<double>(third));
}

TEST(VariantTypedAccess, FixedTypeWithShortBufferIsRefusedNotOverread) {
  TDVXVariant v;
  uint8_t two[2] = {1, 2};
  v.SetBuffer(two, 2, true, bftSignedInt64);
  EXPECT_THAT([&] { v.GetAsSignedInt64(); }, ThrowsDvx(kErrInvalidValueSize));
  EXPECT_THAT([&] { v.Compare(I64(1)); }, ThrowsDvx(kErrInvalidValueSize));
}

TEST(VariantTypedAccess, SetDataTypeYieldsNullOnFailureConvertToRaises) {
  TDVXVariant v = Text("abc");
  v.SetDataType(bftSignedInt32);
  EXPECT_TRUE(v.IsNull());
  EXPECT_EQ(v.DataType(), bftSignedInt32);
  TDVXVariant w = Text("abc");
  EXPECT_THAT([&] { w.ConvertTo(bftSignedInt32); }, ThrowsDvx(kErrConversionFailed));
  EXPECT_EQ(w.DataType(), bftString);
  EXPECT_EQ(w.GetAsString(), "abc");
  TDVXVariant n(bftString);
  n.SetDataType(bftDate);
  EXPECT_TRUE(n.IsNull());
  EXPECT_EQ(n.DataType(), bftDate);
}

}  // namespace
}  // namespace dvx
