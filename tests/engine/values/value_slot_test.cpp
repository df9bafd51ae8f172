#include "engine/values/value_slot.h"

#include <gtest/gtest.h>

#include "engine/values/value_errors.h"
#include "engine/values/variant.h"
#include "value_test_util.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::ThrowsDvx;

namespace dvx {
namespace {

using namespace dvx::testing;
using Slot = std::vector<uint8_t>;

TEST(ValueSlot, FixedTypesCopyTheirBytes) {
  Slot slot(4, 0xEE);
  EXPECT_TRUE(WriteFieldSlot(I16(300), bftSignedInt32, slot.data(), 4));
  EXPECT_EQ(slot, (Slot{0x2C, 0x01, 0, 0}));
  TDVXVariant v;
  ReadFieldSlot(v, bftSignedInt32, slot.data(), 4, true);
  EXPECT_TRUE(v.IsBorrowed());
  EXPECT_EQ(v.GetAsSignedInt32(), 300);
  Slot dt(8);
  EXPECT_TRUE(WriteFieldSlot(Text("05.03.2004"), bftDateTime, dt.data(), 8));
  EXPECT_EQ(dt, (Slot{0xFD, 0x29, 0x0B, 0, 0xFF, 0xFF, 0xFF, 0xFF}));  // 731645, no time part
}

TEST(ValueSlot, StringsAreCutToTheSlotAndTerminated) {
  Slot slot(6, 0xEE);  // CHAR of size 5
  EXPECT_TRUE(WriteFieldSlot(Text("Belladonna"), bftChar, slot.data(), 6));
  EXPECT_EQ(slot, (Slot{'B', 'e', 'l', 'l', 'a', 0}));
  EXPECT_TRUE(WriteFieldSlot(Text("ab"), bftChar, slot.data(), 6));
  EXPECT_EQ(slot, (Slot{'a', 'b', 0, 0, 0, 0}));
  TDVXVariant v;
  ReadFieldSlot(v, bftChar, slot.data(), 6, true);
  EXPECT_EQ(v.DataSize(), 3);
  EXPECT_EQ(v.GetAsString(), "ab");
  Slot wide(6, 0xEE);  // WIDECHAR of size 2
  EXPECT_TRUE(WriteFieldSlot(Text("xyz"), bftWideChar, wide.data(), 6));
  EXPECT_EQ(wide, (Slot{'x', 0, 'y', 0, 0, 0}));
  ReadFieldSlot(v, bftWideChar, wide.data(), 6, false);
  EXPECT_FALSE(v.IsBorrowed());
  EXPECT_EQ(v.GetAsWideString(), u"xy");
}

TEST(ValueSlot, NullAndEmptyWriteNothing) {
  Slot slot(4, 0xEE);
  EXPECT_FALSE(WriteFieldSlot(TDVXVariant(bftString), bftChar, slot.data(), 4));
  EXPECT_FALSE(WriteFieldSlot(Time(-1), bftChar, slot.data(), 4));
  EXPECT_EQ(slot, (Slot(4, 0xEE)));
  Slot empty(4, 0);
  TDVXVariant v = I32(1);
  ReadFieldSlot(v, bftString, empty.data(), 4, true);
  EXPECT_TRUE(v.IsNull());
}

TEST(ValueSlot, DamagedSlotWithoutTerminatorIsReadWithinItsBounds) {
  Slot slot{'a', 'b', 'c'};
  TDVXVariant v;
  ReadFieldSlot(v, bftChar, slot.data(), 3, true);
  EXPECT_EQ(v.GetAsString(), "abc");
  EXPECT_FALSE(v.IsBorrowed());
}

TEST(ValueSlot, LargeObjectsAndBadTypesAreRefused) {
  Slot slot(8);
  TDVXVariant v;
  EXPECT_THAT([&] { WriteFieldSlot(Text("a"), bftMemo, slot.data(), 8); }, ThrowsDvx(kErrCannotCast));
  EXPECT_THAT([&] { ReadFieldSlot(v, bftBlob, slot.data(), 8, true); }, ThrowsDvx(kErrCannotCast));
  EXPECT_THAT([&] { WriteFieldSlot(I32(1), 0, slot.data(), 8); }, ThrowsDvx(kErrCannotCast));
  EXPECT_THAT([&] { WriteFieldSlot(I32(1), bftSignedInt64, slot.data(), 4); }, ThrowsDvx(kErrInvalidValueSize));
  EXPECT_THAT([&] { ReadFieldSlot(v, bftSignedInt64, slot.data(), 4, true); }, ThrowsDvx(kErrInvalidValueSize));
  EXPECT_THAT([&] { WriteFieldSlot(Text("x"), bftSignedInt32, slot.data(), 4); }, ThrowsDvx(kErrConversionFailed));
}

TEST(ValueSlot, BytesArePaddedOrCut) {
  Slot slot(4, 0xEE);
  EXPECT_TRUE(WriteFieldSlot(Bytes({1, 2}), bftBytes, slot.data(), 4));
  EXPECT_EQ(slot, (Slot{1, 2, 0, 0}));
  EXPECT_TRUE(WriteFieldSlot(Bytes({1, 2, 3, 4, 5}, bftVarBytes), bftVarBytes, slot.data(), 4));
  EXPECT_EQ(slot, (Slot{1, 2, 3, 4}));
}

}  // namespace
}  // namespace dvx
