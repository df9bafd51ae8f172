#include "engine/values/host_variant.h"

#include <gtest/gtest.h>

#include "engine/values/value_errors.h"
#include "engine/values/variant.h"
#include "value_test_util.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::ThrowsDvx;
using ::testing::_;

namespace dvx {
namespace {

using namespace dvx::testing;

TDVXVariant FromHost(const TDVXHostVariant& h, uint8_t type = bftUnknown) {
  TDVXVariant v(type);
  HostVariantToValue(h, v);
  return v;
}

TEST(HostVariant, KindsMapToTheirBaseTypes) {
  struct Case {
    TDVXHostVariant host;
    uint8_t type;
  };
  const Case cases[] = {
      {{hvkSmallint, int64_t{-2}}, bftSignedInt16}, {{hvkInteger, int64_t{7}}, bftSignedInt32},
      {{hvkSingle, 1.5}, bftSingle},                {{hvkDouble, 2.5}, bftFloat},
      {{hvkCurrency, 3.25}, bftCurrency},           {{hvkDate, 38051.5}, bftDateTime},
      {{hvkOleStr, std::u16string(u"o")}, bftWideString},
      {{hvkBoolean, true}, bftLogical},             {{hvkShortInt, int64_t{-1}}, bftSignedInt8},
      {{hvkByte, int64_t{255}}, bftUnsignedInt8},   {{hvkWord, int64_t{65535}}, bftUnsignedInt16},
      {{hvkLongWord, int64_t{4000000000}}, bftUnsignedInt32},
      {{hvkInt64, int64_t{INT64_MIN}}, bftSignedInt64},
      {{hvkString, std::string("s")}, bftString},   {{hvkUString, std::u16string(u"u")}, bftWideString},
      {{hvkByteArray, std::vector<uint8_t>{1, 2}}, bftBytes},
  };
  for (const Case& c : cases) {
    TDVXVariant v = FromHost(c.host);
    EXPECT_EQ(v.DataType(), c.type) << c.host.kind;
    EXPECT_FALSE(v.IsNull()) << c.host.kind;
  }
  EXPECT_EQ(FromHost({hvkDate, 38051.5}).GetAsDateTime(), (TDVXDateTimePair{731645, 43200000}));
  EXPECT_EQ(FromHost({hvkLongWord, int64_t{4000000000}}).GetAsUnsignedInt32(), 4000000000u);
}

TEST(HostVariant, NullKeepsTheTypeAndTypedTargetsConvert) {
  TDVXVariant v = FromHost({hvkNull, std::monostate{}}, bftDate);
  EXPECT_TRUE(v.IsNull());
  EXPECT_EQ(v.DataType(), bftDate);
  TDVXVariant s = FromHost({hvkInteger, int64_t{42}}, bftString);
  EXPECT_EQ(s.DataType(), bftString);
  EXPECT_EQ(s.GetAsString(), "42");
}

TEST(HostVariant, UnsupportedKindsAreRefused) {
  EXPECT_THAT([] { FromHost({hvkEmpty, std::monostate{}}); }, ThrowsDvx(_, "Unsupported Variant Type 0"));
  EXPECT_THAT([] { FromHost({hvkDispatch, std::monostate{}}); }, ThrowsDvx(kErrUnsupportedVariant));
  EXPECT_THAT([] { FromHost({0x4711, int64_t{1}}); }, ThrowsDvx(kErrUnsupportedVariant));
  // A kind with the wrong payload is refused, not misread.
  EXPECT_THAT([] { FromHost({hvkInteger, std::string("1")}); }, ThrowsDvx(kErrUnsupportedVariant));
}

TEST(HostVariant, ValuesGoBackToTheirKinds) {
  EXPECT_EQ(ValueToHostVariant(TDVXVariant(bftSignedInt32)).kind, hvkNull);
  EXPECT_EQ(ValueToHostVariant(I8(-3)).value, TDVXHostVariant::TPayload(int64_t{-3}));
  EXPECT_EQ(ValueToHostVariant(U32(4000000000u)).kind, hvkLongWord);
  TDVXHostVariant d = ValueToHostVariant(DateTime(731645, 43200000));
  EXPECT_EQ(d.kind, hvkDate);
  EXPECT_EQ(std::get<double>(d.value), 38051.5);
  EXPECT_EQ(ValueToHostVariant(Text("m", bftMemo)).value, TDVXHostVariant::TPayload(std::string("m")));
  EXPECT_EQ(ValueToHostVariant(Wide(u"w")).kind, hvkOleStr);
  EXPECT_EQ(ValueToHostVariant(Ext(0.5L)).kind, hvkDouble);
  EXPECT_EQ(ValueToHostVariant(Bytes({7}, bftVarBytes)).value, TDVXHostVariant::TPayload(std::vector<uint8_t>{7}));
  TDVXVariant untyped;
  untyped.SetBuffer("x", 1, true, bftUnknown);
  EXPECT_THAT([&] { ValueToHostVariant(untyped); }, ThrowsDvx(_, "Unsupported Variant Type Unknown"));
  EXPECT_THAT([&] { ValueToHostVariant(untyped); }, ThrowsDvx(kErrUnsupportedVariantBack));
}

TEST(HostVariant, RoundTripThroughTheHostForm) {
  for (const TDVXVariant& v : {I16(-5), I32(1 << 30), Dbl(0.1), Cur(12.5), Logical(true), Text("abc"),
                               Wide(u"\u20AC"), Bytes({1, 2, 3})}) {
    TDVXVariant back = FromHost(ValueToHostVariant(v));
    EXPECT_EQ(back.DataType(), v.DataType());
    EXPECT_EQ(BytesOf(back), BytesOf(v));
  }
}

}  // namespace
}  // namespace dvx
