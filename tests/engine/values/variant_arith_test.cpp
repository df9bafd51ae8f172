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

class VariantArithmetic : public ::testing::Test {
 protected:
  static TDVXVariant Sum(TDVXVariant a, const TDVXVariant& b) {
    a.Add(b);
    return a;
  }
  static TDVXVariant Difference(TDVXVariant a, const TDVXVariant& b) {
    a.Subtract(b);
    return a;
  }
  static TDVXVariant Product(TDVXVariant a, const TDVXVariant& b) {
    a.Multiply(b);
    return a;
  }
  static TDVXVariant Quotient(TDVXVariant a, const TDVXVariant& b) {
    a.Divide(b);
    return a;
  }
  static TDVXVariant Negated(TDVXVariant a) {
    a.Negate();
    return a;
  }
};

TEST_F(VariantArithmetic, NullRules) {
  TDVXVariant nullInt(bftSignedInt32);
  TDVXVariant r = Sum(nullInt, I32(5));
  EXPECT_EQ(r.GetAsSignedInt32(), 5);  // NULL + 5 = 5
  EXPECT_TRUE(Sum(I32(5), nullInt).IsNull());
  EXPECT_TRUE(Product(I32(5), nullInt).IsNull());
  EXPECT_TRUE(Product(nullInt, I32(5)).IsNull());
  EXPECT_TRUE(Quotient(nullInt, I32(5)).IsNull());
  EXPECT_TRUE(Quotient(I32(5), nullInt).IsNull());
  EXPECT_TRUE(Difference(I32(5), nullInt).IsNull());
  EXPECT_TRUE(Negated(nullInt).IsNull());
  // NULL + x copies x, type included.
  EXPECT_EQ(Sum(TDVXVariant(bftFloat), Text("a")).GetAsString(), "a");
}

TEST_F(VariantArithmetic, EightAndSixteenBitResultsAreRangeChecked) {
  EXPECT_THAT([] { Sum(I8(100), I8(100)); }, ThrowsDvx(kErrRange));
  EXPECT_EQ(Sum(I8(100), I8(27)).GetAsSignedInt8(), 127);
  EXPECT_THAT([] { Sum(I16(32767), I16(1)); }, ThrowsDvx(kErrRange));
  EXPECT_THAT([] { Product(U8(16), U8(16)); }, ThrowsDvx(kErrRange));
  EXPECT_NO_THROW(Difference(U16(0), U16(1)));  // U16 - U16 meets SIGNEDINT32 after negation
  EXPECT_EQ(Difference(U16(0), U16(1)).GetAsSignedInt32(), -1);
  EXPECT_THAT([] { Sum(U16(65535), U16(1)); }, ThrowsDvx(kErrRange));
}

TEST_F(VariantArithmetic, FailedOperationLeavesTheLeftValue) {
  TDVXVariant a = I8(100);
  EXPECT_THAT([&] { a.Add(I8(100)); }, ThrowsDvx(kErrRange));
  EXPECT_EQ(a.DataType(), bftSignedInt8);
  EXPECT_EQ(a.GetAsSignedInt8(), 100);
}

TEST_F(VariantArithmetic, ThirtyTwoAndSixtyFourBitResultsWrapAround) {
  TDVXVariant r = Sum(I32(2147483647), I32(1));
  EXPECT_EQ(r.DataType(), bftSignedInt32);
  EXPECT_EQ(r.GetAsSignedInt32(), -2147483648);
  EXPECT_EQ(Product(I32(65536), I32(65536)).GetAsSignedInt32(), 0);
  EXPECT_EQ(Sum(U32(4294967295u), U32(2)).GetAsUnsignedInt32(), 1u);
  EXPECT_EQ(Sum(I64(INT64_MAX), I64(1)).GetAsSignedInt64(), INT64_MIN);
  EXPECT_EQ(Product(I64(INT64_MIN), I64(-1)).GetAsSignedInt64(), INT64_MIN);
  EXPECT_EQ(Negated(I32(INT32_MIN)).GetAsSignedInt32(), INT32_MIN);
  EXPECT_EQ(Negated(I64(INT64_MIN)).GetAsSignedInt64(), INT64_MIN);
}

TEST_F(VariantArithmetic, NumbersMeetInTheCommonType) {
  TDVXVariant r = Sum(I32(1), Dbl(0.5));
  EXPECT_EQ(r.DataType(), bftFloat);
  EXPECT_EQ(r.GetAsDouble(), 1.5);
  EXPECT_EQ(Sum(Dbl(0.1), Dbl(0.2)).GetAsString(), "0.3");
  EXPECT_EQ(Sum(I8(1), U8(200)).DataType(), bftSignedInt16);
  TDVXVariant c = Product(Cur(2.5), I32(3));  // meets as SIGNEDINT32: 2 * 3
  EXPECT_EQ(c.DataType(), bftSignedInt32);
  EXPECT_EQ(c.GetAsSignedInt32(), 6);
  EXPECT_EQ(Product(I32(3), Cur(2.5)).GetAsCurrency(), 7.5);
  EXPECT_EQ(Product(Ext(1.5L), Ext(2.0L)).GetAsExtended(), 3.0L);
  EXPECT_EQ(Sum(Sgl(0.5f), Sgl(0.25f)).GetAsSingle(), 0.75f);
}

TEST_F(VariantArithmetic, IntegerDivisionTruncates) {
  EXPECT_EQ(Quotient(I32(7), I32(2)).GetAsSignedInt32(), 3);
  EXPECT_EQ(Quotient(I32(-7), I32(2)).GetAsSignedInt32(), -3);
  EXPECT_EQ(Quotient(Dbl(7), I32(2)).GetAsDouble(), 3.5);
}

TEST_F(VariantArithmetic, DivisionFaultsAreDivisionErrors) {
  EXPECT_THAT([] { Quotient(I32(1), I32(0)); }, ThrowsDvx(_, "Division error: Division by zero"));
  EXPECT_THAT([] { Quotient(Dbl(1), Dbl(0)); }, ThrowsDvx(kErrDivision));
  EXPECT_THAT([] { Quotient(I64(INT64_MIN), I64(-1)); }, ThrowsDvx(kErrDivision));
  EXPECT_THAT([] { Quotient(I8(-128), I8(-1)); }, ThrowsDvx(_, "Division error: Range check error"));
  // Engine errors inside a division keep their own code.
  EXPECT_THAT([] { Quotient(Date(1), Text("x")); }, ThrowsDvx(kErrConversionFailed));
}

TEST_F(VariantArithmetic, RealOverflowIsAnErrorNotInfinity) {
  EXPECT_THAT([] { Product(Dbl(1e300), Dbl(1e300)); }, ThrowsDvx(kErrRange));
  EXPECT_THAT([] { Sum(Sgl(3e38f), Sgl(3e38f)); }, ThrowsDvx(kErrRange));
}

TEST_F(VariantArithmetic, StringsConcatenate) {
  EXPECT_EQ(Sum(Text("ab"), Text("cd")).GetAsString(), "abcd");
  TDVXVariant s = Sum(Text("Nr. "), I32(12));
  EXPECT_EQ(s.DataType(), bftString);
  EXPECT_EQ(s.GetAsString(), "Nr. 12");
  TDVXVariant w = Sum(Text("a"), Wide(u"\u20AC"));
  EXPECT_EQ(w.DataType(), bftWideString);
  EXPECT_EQ(w.GetAsWideString(), u"a\u20AC");
  TDVXVariant m = Sum(Text("ab", bftMemo), Text("cd", bftMemo));
  EXPECT_EQ(BytesOf(m), (std::vector<uint8_t>{'a', 'b', 'c', 'd'}));
  EXPECT_THAT([] { Product(Text("a"), Text("b")); }, ThrowsDvx(_, "Not numeric argument in numeric operator '*'"));
  EXPECT_THAT([] { Quotient(Text("a"), Text("b")); }, ThrowsDvx(kErrNotNumericDivide));
}

TEST_F(VariantArithmetic, LogicalIsOr) {
  EXPECT_TRUE(Sum(Logical(false), Logical(true)).GetAsLogical());
  EXPECT_FALSE(Product(Logical(false), Logical(false)).GetAsLogical());
  EXPECT_TRUE(Quotient(Logical(true), Logical(false)).GetAsLogical());
}

TEST_F(VariantArithmetic, DatesTimesAndDateTimes) {
  EXPECT_EQ(Sum(Date(731645), I32(30)).GetAsDate(), 731675);
  EXPECT_EQ(Sum(Time(1000), Time(500)).GetAsTime(), 1500);
  // Days and milliseconds add separately, whole days carry.
  TDVXVariant dt = Sum(DateTime(100, 86399000), DateTime(1, 2000));
  EXPECT_EQ(dt.GetAsDateTime(), (TDVXDateTimePair{102, 1000}));
  EXPECT_EQ(Sum(DateTime(100, -1), DateTime(1, -1)).GetAsDateTime(), (TDVXDateTimePair{101, -1}));
  // A DATE plus a TIME meets as DATETIME: that day at that time.
  TDVXVariant at = Sum(Date(731645), Time(3600000));
  EXPECT_EQ(at.DataType(), bftDateTime);
  EXPECT_EQ(at.GetAsDateTime(), (TDVXDateTimePair{731645, 3600000}));
  EXPECT_EQ(Sum(DateTime(INT32_MIN, 86000000), DateTime(INT32_MIN, 1000000)).GetAsDateTime(),
            (TDVXDateTimePair{INT32_MIN, 600000}));
  EXPECT_EQ(Product(Date(3), Date(4)).GetAsDate(), 12);
  EXPECT_EQ(Quotient(Time(1000), Time(10)).GetAsTime(), 100);
  EXPECT_EQ(Difference(Date(731645), Date(731640)).GetAsDate(), 5);
}

TEST_F(VariantArithmetic, NonNumericCommonTypes) {
  EXPECT_THAT([] { Sum(Date(1), Text("x", bftBlob)); }, ThrowsDvx(_, "Not numeric argument in numeric operator '+'"));
  EXPECT_THAT([] { Sum(Bytes({1}), Bytes({2})); }, ThrowsDvx(kErrNotNumericAdd));
  EXPECT_THAT([] { Product(Bytes({1}), I32(2)); }, ThrowsDvx(kErrNotNumericMultiply));
  EXPECT_THAT([] { Quotient(Text("a", bftBlob), Text("a", bftBlob)); }, ThrowsDvx(kErrNotNumericDivide));
}

TEST_F(VariantArithmetic, Negation) {
  EXPECT_EQ(Negated(I8(-127)).GetAsSignedInt8(), 127);
  EXPECT_THAT([] { Negated(I8(-128)); }, ThrowsDvx(kErrRange));
  TDVXVariant u = Negated(U8(128));
  EXPECT_EQ(u.DataType(), bftSignedInt8);
  EXPECT_EQ(u.GetAsSignedInt8(), -128);
  EXPECT_THAT([] { Negated(U8(129)); }, ThrowsDvx(kErrRange));
  EXPECT_EQ(Negated(U16(300)).DataType(), bftSignedInt16);
  EXPECT_EQ(Negated(U32(2147483648u)).GetAsSignedInt32(), INT32_MIN);
  EXPECT_THAT([] { Negated(U32(3000000000u)); }, ThrowsDvx(kErrRange));
  EXPECT_EQ(Negated(Dbl(1.5)).GetAsDouble(), -1.5);
  EXPECT_EQ(Negated(Ext(2.5L)).GetAsExtended(), -2.5L);
  EXPECT_EQ(Negated(Cur(3)).GetAsCurrency(), -3.0);
  EXPECT_EQ(Negated(Date(5)).GetAsDate(), -5);
  EXPECT_FALSE(Negated(Logical(true)).GetAsLogical());
  EXPECT_THAT([] { Negated(Time(5)); }, ThrowsDvx(_, "Cannot invert value with not numeric type 'TIME'"));
  EXPECT_THAT([] { Negated(DateTime(1, 1)); }, ThrowsDvx(kErrCannotInvert));
  EXPECT_THAT([] { Negated(Text("1")); }, ThrowsDvx(kErrCannotInvert));
}

}  // namespace
}  // namespace dvx
