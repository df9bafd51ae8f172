#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

#include "engine/values/value_errors.h"
#include "engine/values/variant.h"
#include "value_test_util.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::DvxCodeOf;
using dvx::testing::ThrowsDvx;
using ::testing::_;

namespace dvx {
namespace {

using namespace dvx::testing;

// 2004-03-05: day 38051 of the date-time scale, so day number 38051 + 693594.
constexpr int32_t k20040305 = 731645;

TDVXVariant Converted(TDVXVariant v, uint8_t type) {
  v.ConvertTo(type);
  return v;
}

std::string AsText(TDVXVariant v) { return Converted(std::move(v), bftString).GetAsString(); }

int32_t CastCode(TDVXVariant v, uint8_t type) {
  return DvxCodeOf([&] { v.ConvertTo(type); });
}

class TextSource : public ::testing::Test {};

TEST_F(TextSource, ReencodesBetweenEightBitAndWide) {
  TDVXVariant w = Converted(Text("Gr\xFC\xDF" "e \x80"), bftWideString);
  EXPECT_EQ(w.GetAsWideString(), u"Gr\u00FC\u00DFe \u20AC");
  EXPECT_EQ(w.DataSize(), 16);
  TDVXVariant back = Converted(w, bftChar);
  EXPECT_EQ(back.DataType(), bftChar);
  EXPECT_EQ(BytesOf(back), (std::vector<uint8_t>{'G', 'r', 0xFC, 0xDF, 'e', ' ', 0x80, 0}));
  // A character the code page cannot show becomes "?".
  EXPECT_EQ(Converted(Wide(u"a\u4E00b"), bftString).GetAsString(), "a?b");
}

TEST_F(TextSource, ToLargeObjectsTheTextBytesWithoutTerminator) {
  EXPECT_EQ(BytesOf(Converted(Text("ab"), bftMemo)), (std::vector<uint8_t>{'a', 'b'}));
  EXPECT_EQ(BytesOf(Converted(Text("ab"), bftBlob)), (std::vector<uint8_t>{'a', 'b'}));
  EXPECT_EQ(BytesOf(Converted(Text("ab"), bftWideMemo)), (std::vector<uint8_t>{'a', 0, 'b', 0}));
  // And back: a large object read as text.
  EXPECT_EQ(Converted(Text("xyz", bftBlob), bftString).GetAsString(), "xyz");
  EXPECT_EQ(Converted(Wide(u"\u20AC", bftWideMemo), bftString).GetAsString(), "\x80");
}

TEST_F(TextSource, ParsesIntegersWithARangeCheckForTheTarget) {
  EXPECT_EQ(Converted(Text("-128"), bftSignedInt8).GetAsSignedInt8(), -128);
  EXPECT_EQ(Converted(Text(" 65535 "), bftUnsignedInt16).GetAsUnsignedInt16(), 65535);
  EXPECT_EQ(Converted(Text("-9223372036854775808"), bftSignedInt64).GetAsSignedInt64(), INT64_MIN);
  EXPECT_EQ(Converted(Text("4294967295"), bftUnsignedInt32).GetAsUnsignedInt32(), 4294967295u);
  EXPECT_EQ(CastCode(Text("128"), bftSignedInt8), kErrConversionFailed);
  EXPECT_EQ(CastCode(Text("-1"), bftUnsignedInt32), kErrConversionFailed);
  EXPECT_EQ(CastCode(Text("9223372036854775808"), bftSignedInt64), kErrConversionFailed);
  EXPECT_EQ(CastCode(Text("12x"), bftSignedInt32), kErrConversionFailed);
  EXPECT_EQ(CastCode(Text("1.5"), bftSignedInt32), kErrConversionFailed);
}

TEST_F(TextSource, FailureMessageNamesBothTypes) {
  EXPECT_THAT([] { Text("abc").GetAsSignedInt32(); }, ThrowsDvx(_, "Cannot cast from 'STRING' to 'SIGNEDINT32'"));
  EXPECT_THAT([] { Bytes({1}).GetAsDate(); }, ThrowsDvx(_, "Cannot cast from 'BYTES' to 'DATE'"));
}

TEST_F(TextSource, ParsesRealsWithAPointWhateverTheMachineLocale) {
  // Switch the C library to a comma locale when the machine has one; the
  // result must not change either way.
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = previous ? previous : "C";
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  EXPECT_EQ(Converted(Text("1.5"), bftFloat).GetAsDouble(), 1.5);
  EXPECT_EQ(Converted(Text("-2.5E3"), bftSingle).GetAsSingle(), -2500.0f);
  EXPECT_EQ(Converted(Text("0.1"), bftExtended).GetAsExtended(), 0.1L);
  EXPECT_EQ(AsText(Dbl(1.5)), "1.5");
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(CastCode(Text("1,5"), bftFloat), kErrConversionFailed);
  EXPECT_EQ(CastCode(Text("inf"), bftFloat), kErrConversionFailed);
  EXPECT_EQ(CastCode(Text("1e"), bftFloat), kErrConversionFailed);
}

TEST_F(TextSource, ParsesCurrencyWithAPoint) {
  EXPECT_EQ(Converted(Text("12.3456"), bftCurrency).GetAsCurrency(), 12.3456);
  EXPECT_EQ(CastCode(Text("12 EUR"), bftCurrency), kErrConversionFailed);
}

TEST_F(TextSource, ParsesGermanDatesAndTimes) {
  EXPECT_EQ(Converted(Text("05.03.2004"), bftDate).GetAsDate(), k20040305);
  EXPECT_EQ(Converted(Text("5.3.2004"), bftDate).GetAsDate(), k20040305);
  EXPECT_EQ(Converted(Text("13:45:30"), bftTime).GetAsTime(), (13 * 3600 + 45 * 60 + 30) * 1000);
  EXPECT_EQ(Converted(Text("05.03.2004 13:45"), bftDateTime).GetAsDateTime(),
            (TDVXDateTimePair{k20040305, (13 * 60 + 45) * 60000}));
  EXPECT_EQ(Converted(Text("05.03.2004"), bftDateTime).GetAsDateTime(), (TDVXDateTimePair{k20040305, -1}));
  EXPECT_EQ(CastCode(Text("30.02.2004"), bftDate), kErrConversionFailed);
  EXPECT_EQ(CastCode(Text("2004-03-05"), bftDate), kErrConversionFailed);
  EXPECT_EQ(CastCode(Text("24:00:00"), bftTime), kErrConversionFailed);
}

TEST_F(TextSource, LogicalIsTrueOnlyForOneAndTrue) {
  EXPECT_TRUE(Converted(Text("true"), bftLogical).GetAsLogical());
  EXPECT_TRUE(Converted(Text("TRUE"), bftLogical).GetAsLogical());
  EXPECT_TRUE(Converted(Text("1"), bftLogical).GetAsLogical());
  EXPECT_FALSE(Converted(Text("yes"), bftLogical).GetAsLogical());
  EXPECT_FALSE(Converted(Text("2"), bftLogical).GetAsLogical());
  EXPECT_EQ(Converted(Text("x"), bftLogical).DataType(), bftLogical);
}

TEST_F(TextSource, NoRuleToBytes) { EXPECT_EQ(CastCode(Text("ab"), bftBytes), kErrCannotCast); }

TEST(IntegerSource, ToTextAndOtherIntegers) {
  EXPECT_EQ(AsText(I32(-42)), "-42");
  EXPECT_EQ(AsText(U32(4294967295u)), "4294967295");
  EXPECT_EQ(AsText(I64(INT64_MIN)), "-9223372036854775808");
  EXPECT_EQ(Converted(I32(-42), bftWideChar).GetAsWideString(), u"-42");
  EXPECT_EQ(Converted(U8(200), bftSignedInt16).GetAsSignedInt16(), 200);
  EXPECT_EQ(CastCode(U8(200), bftSignedInt8), kErrConversionFailed);
  EXPECT_EQ(CastCode(I32(-1), bftUnsignedInt8), kErrConversionFailed);
  EXPECT_EQ(CastCode(I64(4294967296), bftUnsignedInt32), kErrConversionFailed);
  EXPECT_EQ(Converted(I64(4294967295), bftUnsignedInt32).GetAsUnsignedInt32(), 4294967295u);
}

TEST(IntegerSource, ToRealsDatesAndLogical) {
  EXPECT_EQ(Converted(I64(int64_t{1} << 40), bftFloat).GetAsDouble(), 1099511627776.0);
  EXPECT_EQ(Converted(I32(7), bftCurrency).GetAsCurrency(), 7.0);
  EXPECT_EQ(Converted(I32(k20040305), bftDate).GetAsDate(), k20040305);
  EXPECT_EQ(Converted(I32(1000), bftTime).GetAsTime(), 1000);
  EXPECT_EQ(Converted(I32(5), bftDateTime).GetAsDateTime(), (TDVXDateTimePair{5, -1}));
  EXPECT_TRUE(Converted(I8(-3), bftLogical).GetAsLogical());
  EXPECT_FALSE(Converted(I8(0), bftLogical).GetAsLogical());
  EXPECT_EQ(CastCode(I64(INT64_MAX), bftDate), kErrConversionFailed);
  EXPECT_EQ(CastCode(I32(1), bftBlob), kErrCannotCast);
  EXPECT_EQ(CastCode(I32(1), bftBytes), kErrCannotCast);
}

TEST(RealSource, GeneralFormatWithFifteenDigitsForDoubles) {
  EXPECT_EQ(AsText(Dbl(0.1 + 0.2)), "0.3");
  EXPECT_EQ(AsText(Dbl(1.0 / 3.0)), "0.333333333333333");
  EXPECT_EQ(AsText(Dbl(-2.5)), "-2.5");
  EXPECT_EQ(AsText(Dbl(100)), "100");
  EXPECT_EQ(AsText(Dbl(123456789012345.0)), "123456789012345");
  EXPECT_EQ(AsText(Dbl(1e15)), "1E15");
  EXPECT_EQ(AsText(Dbl(0.0001)), "0.0001");
  EXPECT_EQ(AsText(Dbl(0.00001)), "0.00001");
  EXPECT_EQ(AsText(Dbl(1.5e-6)), "1.5E-6");
  EXPECT_EQ(AsText(Dbl(0)), "0");
  EXPECT_EQ(AsText(Sgl(0.1f)), "0.1");
  EXPECT_EQ(AsText(Ext(0.1L)), "0.1");
  EXPECT_EQ(AsText(Cur(1.0 / 3.0)), "0.3333");
  EXPECT_EQ(AsText(Cur(-12.5)), "-12.5");
  EXPECT_EQ(AsText(Cur(7)), "7");
}

TEST(RealSource, TextRoundTripKeepsTheValue) {
  for (double d : {0.1, 2.675, 1e-300, 123.456, -98765.4321, 6.02214076e23}) {
    TDVXVariant v = Converted(Converted(Dbl(d), bftString), bftFloat);
    EXPECT_EQ(v.GetAsDouble(), std::stod(AsText(Dbl(d)))) << d;
    EXPECT_NEAR(v.GetAsDouble(), d, std::fabs(d) * 1e-14) << d;
  }
}

TEST(RealSource, ToNarrowerRealsWithRangeCheck) {
  EXPECT_EQ(Converted(Dbl(0.5), bftSingle).GetAsSingle(), 0.5f);
  EXPECT_EQ(CastCode(Dbl(1e39), bftSingle), kErrConversionFailed);
  EXPECT_EQ(CastCode(Ext(1e400L), bftFloat), kErrConversionFailed);
  EXPECT_EQ(CastCode(Ext(1e400L), bftCurrency), kErrConversionFailed);
  EXPECT_EQ(Converted(Ext(1e-400L), bftFloat).GetAsDouble(), 0.0);  // underflow rounds to zero
}

TEST(RealSource, ToIntegersTruncatesTowardZeroWithRangeCheck) {
  EXPECT_EQ(Converted(Dbl(-2.9), bftSignedInt32).GetAsSignedInt32(), -2);
  EXPECT_EQ(Converted(Dbl(2.9), bftUnsignedInt8).GetAsUnsignedInt8(), 2);
  EXPECT_EQ(CastCode(Dbl(128.5), bftSignedInt8), kErrConversionFailed);
  EXPECT_EQ(CastCode(Dbl(1e19), bftSignedInt64), kErrConversionFailed);
  EXPECT_EQ(CastCode(Dbl(NAN), bftSignedInt32), kErrConversionFailed);
}

TEST(RealSource, ToDatesTimesAndLogical) {
  EXPECT_EQ(Converted(Dbl(731645.9), bftDate).GetAsDate(), k20040305);
  EXPECT_EQ(Converted(Dbl(86400000.0 + 5), bftTime).GetAsTime(), 5);
  EXPECT_EQ(Converted(Dbl(-5), bftTime).GetAsTime(), 86400000 - 5);
  EXPECT_EQ(Converted(Dbl(731645.5), bftDateTime).GetAsDateTime(), (TDVXDateTimePair{k20040305, 43200000}));
  EXPECT_TRUE(Converted(Dbl(0.5), bftLogical).GetAsLogical());
  EXPECT_FALSE(Converted(Cur(0), bftLogical).GetAsLogical());
  EXPECT_EQ(CastCode(Dbl(1e12), bftDate), kErrConversionFailed);
}

TEST(DateSource, ToTextNumbersAndTime) {
  EXPECT_EQ(AsText(Date(k20040305)), "05.03.2004");
  EXPECT_EQ(AsText(Date(1)), "01.01.0001");
  EXPECT_EQ(Converted(Date(k20040305), bftSignedInt32).GetAsSignedInt32(), k20040305);
  EXPECT_EQ(Converted(Date(k20040305), bftFloat).GetAsDouble(), k20040305);
  EXPECT_EQ(Converted(Date(k20040305), bftTime).GetAsTime(), 0);
  EXPECT_EQ(Converted(Date(k20040305), bftDateTime).GetAsDateTime(), (TDVXDateTimePair{k20040305, -1}));
  EXPECT_EQ(CastCode(Date(k20040305), bftSignedInt8), kErrConversionFailed);
  EXPECT_EQ(CastCode(Date(k20040305), bftLogical), kErrCannotCast);
  // The missing date has no text: the result is NULL.
  EXPECT_TRUE(Converted(Date(INT32_MIN), bftString).IsNull());
}

TEST(TimeSource, ToTextNumbersDateTimeAndLogical) {
  EXPECT_EQ(AsText(Time(((13 * 60 + 5) * 60 + 9) * 1000 + 999)), "13:05:09");
  EXPECT_TRUE(Converted(Time(-1), bftString).IsNull());
  EXPECT_EQ(Converted(Time(1234), bftSignedInt64).GetAsSignedInt64(), 1234);
  EXPECT_EQ(Converted(Time(1234), bftDateTime).GetAsDateTime(), (TDVXDateTimePair{INT32_MIN, 1234}));
  EXPECT_TRUE(Converted(Time(0), bftLogical).GetAsLogical());
  EXPECT_FALSE(Converted(Time(-1), bftLogical).GetAsLogical());
  EXPECT_EQ(CastCode(Time(0), bftDate), kErrCannotCast);
}

TEST(DateTimeSource, ToTextDateAndTime) {
  EXPECT_EQ(AsText(DateTime(k20040305, 3723000)), "05.03.2004 01:02:03");
  EXPECT_EQ(AsText(DateTime(k20040305, -1)), "05.03.2004");
  EXPECT_EQ(AsText(DateTime(INT32_MIN, 3723000)), "01:02:03");
  EXPECT_TRUE(Converted(DateTime(INT32_MIN, -1), bftString).IsNull());
  EXPECT_EQ(Converted(DateTime(k20040305, 5), bftDate).GetAsDate(), k20040305);
  EXPECT_EQ(Converted(DateTime(k20040305, 5), bftTime).GetAsTime(), 5);
  EXPECT_EQ(CastCode(DateTime(k20040305, 5), bftFloat), kErrCannotCast);
  EXPECT_EQ(CastCode(DateTime(k20040305, 5), bftLogical), kErrCannotCast);
}

TEST(DateTimeSource, MissingDateIsDateTimeZero) {
  EXPECT_EQ(DateTime(INT32_MIN, 43200000).GetAsDateTimeValue(), 0.5);
  EXPECT_EQ(Date(INT32_MIN).GetAsDateValue(), 0.0);
}

TEST(LogicalSource, ToTextAndNumbers) {
  EXPECT_EQ(AsText(Logical(true)), "True");
  EXPECT_EQ(AsText(Logical(false)), "False");
  EXPECT_EQ(Converted(Logical(true), bftSignedInt8).GetAsSignedInt8(), 1);
  EXPECT_EQ(Converted(Logical(true), bftUnsignedInt32).GetAsUnsignedInt32(), 1u);
  EXPECT_EQ(Converted(Logical(true), bftFloat).GetAsDouble(), 1.0);
  EXPECT_EQ(Converted(Logical(false), bftCurrency).GetAsCurrency(), 0.0);
  EXPECT_EQ(CastCode(Logical(true), bftDate), kErrCannotCast);
}

TEST(NoRule, BytesTypeZeroAndUnknownCodes) {
  EXPECT_EQ(CastCode(Bytes({1, 2}), bftDate), kErrCannotCast);
  EXPECT_EQ(CastCode(Bytes({1, 2}), bftString), kErrCannotCast);
  EXPECT_EQ(CastCode(Bytes({1, 2}, bftVarBytes), bftBytes), kErrCannotCast);
  EXPECT_EQ(CastCode(I32(1), 0), kErrCannotCast);
  EXPECT_EQ(CastCode(I32(1), 99), kErrCannotCast);
  TDVXVariant untyped;
  untyped.SetBuffer("x", 1, true, 0);
  EXPECT_EQ(CastCode(untyped, bftString), kErrCannotCast);
  EXPECT_THAT([&] { untyped.ConvertTo(bftString); }, ThrowsDvx(_, "Cannot cast from 'Unknown' to 'STRING'"));
  // The same type copies.
  EXPECT_EQ(BytesOf(Converted(Bytes({1, 2}), bftBytes)), (std::vector<uint8_t>{1, 2}));
}

}  // namespace
}  // namespace dvx
