// Whole-matrix and randomized checks of values against simple models.
#include <gtest/gtest.h>

#include <random>

#include "engine/values/type_promotion.h"
#include "engine/values/value_codec.h"
#include "engine/values/value_errors.h"
#include "engine/values/variant.h"
#include "value_test_util.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::DvxCodeOf;

namespace dvx {
namespace {

using namespace dvx::testing;

// One non-NULL sample per base type.
TDVXVariant Sample(int type) {
  switch (type) {
    case bftChar: return Text("1", bftChar);
    case bftWideChar: return Wide(u"1", bftWideChar);
    case bftString: return Text("1");
    case bftWideString: return Wide(u"1");
    case bftSignedInt8: return I8(1);
    case bftSignedInt16: return I16(1);
    case bftSignedInt32: return I32(1);
    case bftSignedInt64: return I64(1);
    case bftUnsignedInt8: return U8(1);
    case bftUnsignedInt16: return U16(1);
    case bftUnsignedInt32: return U32(1);
    case bftSingle: return Sgl(1);
    case bftFloat: return Dbl(1);
    case bftExtended: return Ext(1);
    case bftDate: return Date(100);
    case bftTime: return Time(100);
    case bftDateTime: return DateTime(100, 100);
    case bftBlob: return Text("1", bftBlob);
    case bftMemo: return Text("1", bftMemo);
    case bftWideMemo: return Wide(u"1", bftWideMemo);
    case bftLogical: return Logical(true);
    case bftCurrency: return Cur(1);
    case bftBytes: return Bytes({1});
    default: return Bytes({1}, bftVarBytes);
  }
}

// Whether a conversion rule exists from `from` to `to`, written from the
// rules by source family rather than from the code.
bool HasRule(int from, int to) {
  auto in = [](int t, std::initializer_list<int> set) { return std::find(set.begin(), set.end(), t) != set.end(); };
  const std::initializer_list<int> text = {1, 2, 3, 4, 19, 20};
  const std::initializer_list<int> numbers = {5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 22};
  if (from == to) return true;
  if (in(from, {1, 2, 3, 4, 18, 19, 20})) return to >= 1 && to <= 22;
  if (in(from, numbers)) return in(to, text) || in(to, numbers) || in(to, {15, 16, 17, 21});
  if (from == 15) return in(to, text) || in(to, numbers) || in(to, {16, 17});
  if (from == 16) return in(to, text) || in(to, numbers) || in(to, {17, 21});
  if (from == 17) return in(to, text) || in(to, {15, 16});
  if (from == 21) return in(to, text) || in(to, numbers);
  return false;
}

TEST(ConversionMatrix, EveryPairConvertsOrFailsWithItsCode) {
  for (int from = 1; from <= 24; ++from) {
    for (int to = 0; to <= 25; ++to) {
      TDVXVariant v = Sample(from);
      int32_t code = DvxCodeOf([&] { v.ConvertTo(static_cast<uint8_t>(to)); });
      bool rule = to >= 1 && to <= 24 && HasRule(from, to);
      if (!rule) {
        EXPECT_EQ(code, kErrCannotCast) << from << " -> " << to;
        EXPECT_EQ(v.DataType(), from);
        continue;
      }
      // The samples are "1" and its kin, which every rule accepts except
      // the date parsers reading the text "1".
      bool textToDate = IsTextType(from) || from == bftBlob;
      if (textToDate && to >= bftDate && to <= bftDateTime) {
        EXPECT_EQ(code, kErrConversionFailed) << from << " -> " << to;
        continue;
      }
      ASSERT_EQ(code, 0) << from << " -> " << to;
      EXPECT_EQ(v.DataType(), to);
      int32_t fixed = FixedDataSize(to);
      if (fixed != 0) {
        EXPECT_EQ(v.DataSize(), fixed) << from << " -> " << to;
      }
    }
  }
}

// Integer addition and multiplication against a 128-bit model: the common
// type from the table, a range error for 8- and 16-bit results that do not
// fit, the low bits for 32- and 64-bit results.
TEST(IntegerArithmeticModel, MatchesWideArithmetic) {
  std::mt19937_64 random(31337);
  const int types[] = {bftSignedInt8, bftSignedInt16, bftSignedInt32, bftSignedInt64,
                       bftUnsignedInt8, bftUnsignedInt16, bftUnsignedInt32};
  auto sample = [&](int type) -> int64_t {
    uint64_t r = random();
    switch (type) {
      case bftSignedInt8: return static_cast<int8_t>(r);
      case bftSignedInt16: return static_cast<int16_t>(r);
      case bftSignedInt32: return static_cast<int32_t>(r);
      case bftSignedInt64: return static_cast<int64_t>(r);
      case bftUnsignedInt8: return static_cast<uint8_t>(r);
      case bftUnsignedInt16: return static_cast<uint16_t>(r);
      default: return static_cast<uint32_t>(r);
    }
  };
  auto make = [](int type, int64_t v) {
    TDVXValueBytes bytes = EncodeInteger(type, v);
    TDVXVariant x;
    x.SetBuffer(bytes.data(), static_cast<int32_t>(bytes.size()), true, static_cast<uint8_t>(type));
    return x;
  };
  for (int round = 0; round < 20000; ++round) {
    int lt = types[random() % 7], rt = types[random() % 7];
    int64_t a = sample(lt), b = sample(rt);
    // Small operands now and then, so that 8- and 16-bit results also fit.
    if (random() % 2) {
      a %= 50;
      b %= 50;
      if (lt >= bftUnsignedInt8) a = std::abs(a);
      if (rt >= bftUnsignedInt8) b = std::abs(b);
    }
    bool multiply = random() % 2;
    int common = PromoteBaseTypes(lt, rt);
    __int128 exact = multiply ? static_cast<__int128>(a) * b : static_cast<__int128>(a) + b;
    TDVXVariant left = make(lt, a);
    int32_t code = DvxCodeOf([&] {
      if (multiply) {
        left.Multiply(make(rt, b));
      } else {
        left.Add(make(rt, b));
      }
    });
    __int128 lo = INT64_MIN, hi = INT64_MAX;
    switch (common) {
      case bftSignedInt8: lo = INT8_MIN, hi = INT8_MAX; break;
      case bftSignedInt16: lo = INT16_MIN, hi = INT16_MAX; break;
      case bftSignedInt32: lo = INT32_MIN, hi = INT32_MAX; break;
      case bftUnsignedInt8: lo = 0, hi = UINT8_MAX; break;
      case bftUnsignedInt16: lo = 0, hi = UINT16_MAX; break;
      case bftUnsignedInt32: lo = 0, hi = UINT32_MAX; break;
      default: break;
    }
    // Each side is first converted to the common type (the table meets
    // SIGNEDINT16 and UNSIGNEDINT16 as UNSIGNEDINT16, so -1 cannot).
    if (a < lo || a > hi || b < lo || b > hi) {
      ASSERT_EQ(code, kErrConversionFailed) << a << (multiply ? " * " : " + ") << b;
      continue;
    }
    bool wraps = common == bftSignedInt32 || common == bftUnsignedInt32 || common == bftSignedInt64;
    if (!wraps && (exact < lo || exact > hi)) {
      ASSERT_EQ(code, kErrRange) << a << (multiply ? " * " : " + ") << b;
      continue;
    }
    ASSERT_EQ(code, 0) << a << (multiply ? " * " : " + ") << b;
    ASSERT_EQ(left.DataType(), common);
    int64_t expected;
    switch (common) {
      case bftSignedInt32: expected = static_cast<int32_t>(static_cast<uint32_t>(exact)); break;
      case bftUnsignedInt32: expected = static_cast<uint32_t>(exact); break;
      case bftSignedInt64: expected = static_cast<int64_t>(static_cast<uint64_t>(exact)); break;
      default: expected = static_cast<int64_t>(exact);
    }
    ASSERT_EQ(left.GetAsSignedInt64(), expected) << a << (multiply ? " * " : " + ") << b;
  }
}

// Comparison of integers of any two types agrees with the numbers, except
// where the table sends the pair to a narrower type.
TEST(IntegerCompareModel, AgreesWithTheNumbers) {
  std::mt19937 random(5);
  for (int round = 0; round < 5000; ++round) {
    int64_t a = static_cast<int32_t>(random() % 2001) - 1000, b = static_cast<int32_t>(random() % 2001) - 1000;
    TDVXVariant x = I64(a), y = I32(static_cast<int32_t>(b));
    int expected = a < b ? -1 : (a > b ? 1 : 0);
    ASSERT_EQ(x.Compare(y), expected);
    ASSERT_EQ(y.Compare(x), -expected);
    ASSERT_EQ(Dbl(static_cast<double>(a)).Compare(y), expected);
  }
}

}  // namespace
}  // namespace dvx
