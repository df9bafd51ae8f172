#include <gtest/gtest.h>

#include <random>

#include "engine/values/sql_param.h"
#include "engine/values/value_errors.h"
#include "engine/values/variant.h"
#include "engine/core/stream.h"
#include "value_test_util.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::DvxCodeOf;
using dvx::testing::DvxErrorOf;
using dvx::testing::ThrowsDvx;

namespace dvx {
namespace {

using namespace dvx::testing;
using Image = std::vector<uint8_t>;

Image Saved(const TDVXVariant& v) {
  TDVXMemoryStream stream;
  v.SaveToStream(stream);
  return stream.Bytes();
}

TDVXVariant Loaded(const Image& image) {
  TDVXMemoryStream stream(image);
  TDVXVariant v;
  v.LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), image.size());
  return v;
}

TEST(VariantStream, ByteImagesOfValues) {
  EXPECT_EQ(Saved(I32(-2)), (Image{7, 0, 4, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Saved(Text("Ab")), (Image{3, 0, 3, 0, 0, 0, 'A', 'b', 0}));
  EXPECT_EQ(Saved(Wide(u"\u20AC")), (Image{4, 0, 4, 0, 0, 0, 0xAC, 0x20, 0, 0}));
  EXPECT_EQ(Saved(TDVXVariant(bftDate)), (Image{15, 255}));
  EXPECT_EQ(Saved(TDVXVariant()), (Image{0, 255}));
  EXPECT_EQ(Saved(Logical(true)), (Image{21, 0, 2, 0, 0, 0, 0xFF, 0xFF}));
  EXPECT_EQ(Saved(DateTime(693594, -1)), (Image{17, 0, 8, 0, 0, 0, 0x5A, 0x95, 0x0A, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
  // 1.0 as an 80-bit real: significand 0x8000000000000000, exponent 16383.
  EXPECT_EQ(Saved(Ext(1.0L)), (Image{14, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
  // A value set NULL keeps its buffer but writes no data.
  TDVXVariant n = I32(5);
  n.SetNull();
  EXPECT_EQ(Saved(n), (Image{7, 255}));
}

TEST(VariantStream, RoundTripOfEveryKind) {
  std::vector<TDVXVariant> values = {I8(-5), I16(-300), I32(123456), I64(INT64_MIN), U8(250), U16(65000),
                                     U32(4000000000u), Sgl(1.25f), Dbl(0.1), Ext(1.0L / 3), Date(731645),
                                     Time(86399999), DateTime(731645, 1), Text("x", bftBlob), Text("memo", bftMemo),
                                     Wide(u"w", bftWideMemo), Logical(false), Cur(9.99), Bytes({0, 1, 2}),
                                     Bytes({9}, bftVarBytes), Text("c", bftChar), Wide(u"wc", bftWideChar),
                                     TDVXVariant(bftString)};
  for (const TDVXVariant& v : values) {
    TDVXVariant back = Loaded(Saved(v));
    EXPECT_EQ(back.DataType(), v.DataType());
    EXPECT_EQ(back.IsNull(), v.IsNull());
    if (!v.IsNull()) {
      EXPECT_EQ(BytesOf(back), BytesOf(v)) << BaseFieldTypeName(v.DataType());
    }
  }
}

class CorruptValueStream : public ::testing::Test {
 protected:
  // Loads into a value holding 77; returns the code and checks the value
  // kept its state.
  static int32_t LoadCode(const Image& image) {
    TDVXVariant v = I32(77);
    TDVXMemoryStream stream(image);
    int32_t code = DvxCodeOf([&] { v.LoadFromStream(stream); });
    EXPECT_EQ(v.DataType(), bftSignedInt32);
    EXPECT_EQ(v.GetAsSignedInt32(), 77);
    return code;
  }
};

TEST_F(CorruptValueStream, UnknownTypeByte) {
  EXPECT_EQ(LoadCode({25, 255}), kErrUnknownDataType);
  EXPECT_EQ(LoadCode({200, 0, 1, 0, 0, 0, 1}), kErrUnknownDataType);
}

TEST_F(CorruptValueStream, LengthPastTheEnd) {
  EXPECT_EQ(LoadCode({3, 0, 10, 0, 0, 0, 'a', 'b'}), kErrValueStream);
  EXPECT_EQ(LoadCode({3, 0, 0xFF, 0xFF, 0xFF, 0x7F, 'a'}), kErrValueStream);
  EXPECT_EQ(LoadCode({3, 0, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}), kErrValueStream);  // negative
}

TEST_F(CorruptValueStream, TruncatedAtEveryByte) {
  Image full = Saved(Text("Arnica"));
  for (size_t n = 0; n < full.size(); ++n)
    EXPECT_NE(LoadCode(Image(full.begin(), full.begin() + static_cast<long>(n))), 0) << n;
}

TEST_F(CorruptValueStream, NullFlagOtherThanTheTwoMarks) {
  EXPECT_EQ(LoadCode({7, 1, 4, 0, 0, 0, 1, 0, 0, 0}), kErrValueStream);
}

TEST_F(CorruptValueStream, FixedTypeWithWrongSize) {
  EXPECT_EQ(LoadCode({8, 0, 2, 0, 0, 0, 1, 2}), kErrInvalidValueSize);
  EXPECT_EQ(LoadCode({14, 0, 8, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}), kErrInvalidValueSize);
}

TEST_F(CorruptValueStream, RandomBytesNeverCrash) {
  std::mt19937 random(20261209);
  int loaded = 0, refused = 0;
  for (int round = 0; round < 2000; ++round) {
    Image image(random() % 16);
    for (auto& b : image) b = static_cast<uint8_t>(random());
    if (!image.empty() && random() % 2) image[0] = static_cast<uint8_t>(random() % 25);
    TDVXMemoryStream stream(image);
    TDVXVariant v;
    if (DvxErrorOf([&] { v.LoadFromStream(stream); })) {
      ++refused;
    } else {
      ++loaded;
      if (!v.IsNull()) (void)v.Compare(v);
    }
  }
  // Both paths were taken: some images are valid values, most are refused.
  EXPECT_GT(loaded, 0);
  EXPECT_GT(refused, 0);
}

TEST(SQLParamStream, NameThenValue) {
  TDVXSQLParam p;
  p.SetName("Nr");
  p.SetAsSignedInt16(5);
  TDVXMemoryStream stream;
  p.SaveToStream(stream);
  EXPECT_EQ(stream.Bytes(), (Image{2, 0, 0, 0, 'N', 'r', 6, 0, 2, 0, 0, 0, 5, 0}));
  stream.SetPosition(0);
  TDVXSQLParam back;
  back.LoadFromStream(stream);
  EXPECT_EQ(back.Name(), "Nr");
  EXPECT_EQ(back.GetAsSignedInt16(), 5);
}

TEST(SQLParamStream, CorruptNameLengthChangesNothing) {
  for (Image image : {Image{9, 0, 0, 0, 'N'}, Image{0xFF, 0xFF, 0xFF, 0xFF}, Image{2, 0}, Image{1, 0, 0, 0, 'N', 99, 255}}) {
    TDVXSQLParam p;
    p.SetName("keep");
    TDVXMemoryStream stream(image);
    int32_t code = DvxCodeOf([&] { p.LoadFromStream(stream); });
    EXPECT_TRUE(code == kErrValueStream || code == kErrUnknownDataType || code == 30900) << code;
    EXPECT_EQ(p.Name(), "keep");
  }
}

TEST(SQLParams, AddFindAndClear) {
  TDVXSQLParams params;
  TDVXSQLParam& first = params.Add();
  EXPECT_TRUE(first.IsNull());
  EXPECT_EQ(first.DataType(), bftUnknown);
  first.SetName("Stra\xDF" "e");
  params.Add().SetName("Nr");
  params.Add().SetName("NR");
  EXPECT_EQ(params.Count(), 3);
  EXPECT_EQ(params.FindParam("nr"), &params.Item(1));  // first match wins
  EXPECT_EQ(params.FindParam("STRA\xDF" "E"), &params.Item(0));
  EXPECT_EQ(params.FindParam("Name"), nullptr);
  EXPECT_THAT([&] { params.Item(3); }, ThrowsDvx());
  EXPECT_THAT([&] { params.Item(-1); }, ThrowsDvx());
  params.Clear();
  EXPECT_EQ(params.Count(), 0);
}

TEST(SQLParams, AssignTakesTheNameOnlyFromAParameter) {
  TDVXSQLParam a, b;
  a.SetName("A");
  a.SetAsSignedInt32(1);
  b.SetName("B");
  b.Assign(a);
  EXPECT_EQ(b.Name(), "A");
  b.SetName("B");
  b.Assign(I32(9));
  EXPECT_EQ(b.Name(), "B");
  EXPECT_EQ(b.GetAsSignedInt32(), 9);
}

}  // namespace
}  // namespace dvx
