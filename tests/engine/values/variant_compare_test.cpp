#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/values/value_errors.h"
#include "engine/values/variant.h"
#include "value_test_util.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::ThrowsDvx;
using ::testing::_;

namespace dvx {
namespace {

using namespace dvx::testing;

class VariantCompare : public ::testing::Test {
 protected:
  static int Cmp(const TDVXVariant& a, const TDVXVariant& b, bool prefix = false, bool ignoreCase = false) {
    return a.Compare(b, prefix, ignoreCase);
  }
};

TEST_F(VariantCompare, NullsSortFirstAndEqualEachOther) {
  TDVXVariant nullString(bftString), nullInt(bftSignedInt32);
  EXPECT_EQ(Cmp(nullString, nullInt), 0);
  EXPECT_EQ(Cmp(nullString, Text("a")), -1);
  EXPECT_EQ(Cmp(Text("a"), nullString), 1);
  // Even an incompatible pair: NULL decides before the types are looked at.
  EXPECT_EQ(Cmp(Bytes({1}), TDVXVariant(bftDate)), 1);
}

TEST_F(VariantCompare, SameTypeNumbers) {
  EXPECT_EQ(Cmp(I8(-1), I8(1)), -1);
  EXPECT_EQ(Cmp(U32(4000000000u), U32(1)), 1);
  EXPECT_EQ(Cmp(I64(INT64_MIN), I64(INT64_MAX)), -1);
  EXPECT_EQ(Cmp(Dbl(1.5), Dbl(1.5)), 0);
  EXPECT_EQ(Cmp(Sgl(-0.5f), Sgl(0.25f)), -1);
  EXPECT_EQ(Cmp(Ext(1.0L + 1e-18L), Ext(1.0L)), 1);
  EXPECT_EQ(Cmp(Cur(2), Cur(3)), -1);
  EXPECT_EQ(Cmp(Logical(false), Logical(true)), -1);
  EXPECT_EQ(Cmp(Date(5), Date(4)), 1);
  EXPECT_EQ(Cmp(Time(-1), Time(0)), -1);
  EXPECT_EQ(Cmp(DateTime(10, 0), DateTime(9, 86399999)), 1);
  EXPECT_EQ(Cmp(DateTime(10, 5), DateTime(10, 6)), -1);
}

TEST_F(VariantCompare, ValuesOrderLikeTheSameValuesInRecords) {
  // Reals keep a total order: a NaN sorts after every number, even an
  // infinity, and equals another NaN, as in keys.
  EXPECT_EQ(Cmp(Dbl(NAN), Dbl(1e308)), 1);
  EXPECT_EQ(Cmp(Dbl(-INFINITY), Dbl(NAN)), -1);
  EXPECT_EQ(Cmp(Dbl(NAN), Dbl(NAN)), 0);
  EXPECT_EQ(Cmp(Sgl(NAN), Sgl(INFINITY)), 1);
  EXPECT_EQ(Cmp(Ext(NAN), Ext(-1)), 1);
  // Extended values differ below double's precision.
  int finer = std::numeric_limits<long double>::digits >= 64 ? -1 : 0;
  EXPECT_EQ(Cmp(Ext(1.0L), Ext(1.0L + std::ldexp(1.0L, -63))), finer);
  EXPECT_EQ(Cmp(Dbl(-0.0), Dbl(0.0)), 0);
  EXPECT_EQ(Cmp(Logical(true), Logical(false)), 1);
  EXPECT_EQ(Cmp(DateTime(5, 1), DateTime(5, kNoTimePart)), 1);
}

TEST_F(VariantCompare, DifferentTypesMeetInTheCommonTypeOfTheirOrder) {
  // SIGNEDINT32 with CURRENCY meets as CURRENCY: 1 < 1.5.
  EXPECT_EQ(Cmp(I32(1), Cur(1.5)), -1);
  // CURRENCY with SIGNEDINT32 meets as SIGNEDINT32: 1.5 truncates to 1.
  EXPECT_EQ(Cmp(Cur(1.5), I32(1)), 0);
  EXPECT_EQ(Cmp(I8(-1), U8(255)), -1);  // as SIGNEDINT16
  EXPECT_EQ(Cmp(U32(4000000000u), I32(-1)), 1);  // as SIGNEDINT64
  EXPECT_EQ(Cmp(Dbl(2.5), Ext(2.5L)), 0);
  EXPECT_EQ(Cmp(Logical(true), I32(1)), 0);
}

TEST_F(VariantCompare, NumbersWithTextCompareAsText) {
  // CHAR wins against numbers: "10" sorts before "9".
  EXPECT_EQ(Cmp(I32(10), Text("9")), -1);
  EXPECT_EQ(Cmp(Text("05.03.2004"), Date(731645)), 0);  // text parsed as DATE
  EXPECT_THAT([] { Text("abc").Compare(Date(1)); }, ThrowsDvx(_, "Cannot cast from 'STRING' to 'DATE'"));
}

TEST_F(VariantCompare, DateAgainstDateTimeAndTime) {
  EXPECT_EQ(Cmp(Date(731645), DateTime(731645, 5000)), 0);  // both as DATE
  EXPECT_EQ(Cmp(DateTime(731645, 5000), Date(731645)), 0);
  EXPECT_EQ(Cmp(Time(5000), DateTime(731645, 5000)), 0);  // as TIME
}

TEST_F(VariantCompare, StringsFollowGermanCollation) {
  EXPECT_EQ(Cmp(Text("\xC4pfel"), Text("Birne")), -1);  // Ä sorts with A
  EXPECT_EQ(Cmp(Text("a"), Text("B")), -1);
  EXPECT_EQ(Cmp(Text("a"), Text("A")), -1);  // case counts unless ignored
  EXPECT_EQ(Cmp(Text("a"), Text("A"), false, true), 0);
  // Punctuation is significant: the hyphen is a character of its own that
  // sorts before letters, not something to skip.
  EXPECT_EQ(Cmp(Text("co-op"), Text("coop")), -1);
  EXPECT_EQ(Cmp(Text("co-op"), Text("coop"), false, true), -1);
  EXPECT_EQ(Cmp(Wide(u"\u00C4pfel"), Wide(u"Birne")), -1);
  EXPECT_EQ(Cmp(Wide(u"STRASSE"), Wide(u"strasse"), false, true), 0);
}

TEST_F(VariantCompare, PrefixModeComparesTheShorterLength) {
  EXPECT_EQ(Cmp(Text("Arn"), Text("Arnica")), -1);
  EXPECT_EQ(Cmp(Text("Arn"), Text("Arnica"), true), 0);
  EXPECT_EQ(Cmp(Text("Arnica"), Text("Arn"), true), 0);
  EXPECT_EQ(Cmp(Text("arn"), Text("Arnica"), true, true), 0);
  EXPECT_NE(Cmp(Text("arn"), Text("Arnica"), true, false), 0);
  EXPECT_EQ(Cmp(Text("Arx"), Text("Arnica"), true), 1);
  EXPECT_EQ(Cmp(Wide(u"Bel"), Wide(u"Belladonna"), true), 0);
}

TEST_F(VariantCompare, EightBitAndWideMeetByTheTable) {
  EXPECT_EQ(Cmp(Text("\xDF"), Wide(u"\u00DF")), 0);  // ß in both forms
  EXPECT_EQ(Cmp(Wide(u"a"), Text("b", bftChar)), -1);
}

TEST_F(VariantCompare, LargeObjectTextAgainstStrings) {
  EXPECT_EQ(Cmp(Text("Calendula", bftMemo), Text("Calendula")), 0);
  EXPECT_EQ(Cmp(Text("Calendula", bftBlob), Text("Arnica")), 1);
  EXPECT_EQ(Cmp(Text("Arnica"), Text("Calendula", bftBlob)), -1);
  EXPECT_EQ(Cmp(Wide(u"abc", bftWideMemo), Text("abd")), -1);
  EXPECT_EQ(Cmp(Text("x", bftMemo), Text("x", bftMemo)), 0);
}

TEST_F(VariantCompare, IncompatibleAndUncomparableTypes) {
  EXPECT_THAT([] { Bytes({1}).Compare(I32(1)); }, ThrowsDvx(kErrCompareIncompatible));
  EXPECT_THAT([] { Date(1).Compare(Logical(true)); }, ThrowsDvx(_, "Cannot compare Incompatible DataTypes: 'DATE' and 'LOGICAL'"));
  EXPECT_THAT([] { Text("a", bftBlob).Compare(Text("a", bftBlob)); }, ThrowsDvx(kErrCompareType));
  EXPECT_THAT([] { Bytes({1}).Compare(Bytes({1})); }, ThrowsDvx(_, "Unknown DataType: 'BYTES'"));
  EXPECT_THAT([] { Bytes({1}, bftVarBytes).Compare(Bytes({2}, bftVarBytes)); }, ThrowsDvx(kErrCompareType));
}

TEST_F(VariantCompare, SideConvertedToNothingIsAMissingBuffer) {
  // A BLOB whose text ends at its first byte has no text to compare.
  EXPECT_THAT([] { Bytes({0, 'a'}, bftBlob).Compare(Text("a")); }, ThrowsDvx(kErrValueBufferMissing));
  EXPECT_THAT([] { Text("a").Compare(Bytes({0, 'a'}, bftBlob)); }, ThrowsDvx(kErrValueBufferMissing));
  // Text that is no time, against a TIME, fails in its conversion.
  EXPECT_THAT([] { Time(-1).Compare(Text("x")); }, ThrowsDvx(kErrConversionFailed));
}

}  // namespace
}  // namespace dvx
