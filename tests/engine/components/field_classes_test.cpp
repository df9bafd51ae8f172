// The field classes: host formats, conversions, boundaries, NULL and the
// conversion errors by text. One memory dataset carries a field of every
// type and is in edit state.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/components/field_classes.h"
#include "engine/values/base_field_type.h"
#include "engine/values/day_number.h"
#include "tests/engine/components/dataset_fixture.h"

namespace dvx::testing {
namespace {

class FieldClassesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& defs = dataSet.FieldDefs();
    defs.Add("S", ftString, 5);
    defs.Add("FC", ftFixedChar, 3);
    defs.Add("W", ftWideString, 4);
    defs.Add("SI", ftSmallint);
    defs.Add("L", ftLargeint);
    defs.Add("WO", ftWord);
    defs.Add("A", ftAutoInc);
    defs.Add("C", ftCurrency);
    defs.Add("B", ftBoolean);
    defs.Add("T", ftTime);
    defs.Add("DT", ftDateTime);
    defs.Add("TS", ftTimeStamp);
    defs.Add("BY", ftBytes, 4);
    defs.Add("VB", ftVarBytes, 4);
    defs.Add("BL", ftBlob);
    defs.Add("WM", ftMemo).SetWideMemo(true);
    defs.Add("FM", ftFmtMemo);
    dataSet.AddRow(1);
    dataSet.Open();
    dataSet.Edit();
  }
  TField& F(const char* name) { return dataSet.FieldByName(name); }
  // The leading bytes of the field's host value; GetData writes all of
  // it (a wide string's whole buffer, a VarBytes' length and bytes).
  template <typename T>
  T Raw(const char* name) {
    std::vector<uint8_t> bytes(std::max<size_t>(sizeof(T), static_cast<size_t>(F(name).DataSize())));
    EXPECT_TRUE(F(name).GetData(bytes.data()));
    T value{};
    std::memcpy(&value, bytes.data(), sizeof(T));
    return value;
  }
  std::string ErrorOf(const std::function<void()>& action) { return DatabaseErrorOf(action); }

  TMemoryDataSet dataSet;
};

TEST_F(FieldClassesTest, EveryTypeGetsItsClass) {
  EXPECT_NE(dynamic_cast<TStringField*>(&F("S")), nullptr);
  EXPECT_NE(dynamic_cast<TFixedCharField*>(&F("FC")), nullptr);
  EXPECT_NE(dynamic_cast<TWideStringField*>(&F("W")), nullptr);
  EXPECT_NE(dynamic_cast<TSmallintField*>(&F("SI")), nullptr);
  EXPECT_NE(dynamic_cast<TLargeintField*>(&F("L")), nullptr);
  EXPECT_NE(dynamic_cast<TWordField*>(&F("WO")), nullptr);
  EXPECT_NE(dynamic_cast<TAutoIncField*>(&F("A")), nullptr);
  EXPECT_NE(dynamic_cast<TCurrencyField*>(&F("C")), nullptr);
  EXPECT_NE(dynamic_cast<TSQLTimeStampField*>(&F("TS")), nullptr);
  EXPECT_NE(dynamic_cast<TVarBytesField*>(&F("VB")), nullptr);
  EXPECT_NE(dynamic_cast<TGraphicField*>(&F("Picture")), nullptr);
  EXPECT_NE(dynamic_cast<TFmtMemoField*>(&F("FM")), nullptr);
  EXPECT_TRUE(dynamic_cast<TMemoField&>(F("WM")).WideMemo());
  EXPECT_FALSE(dynamic_cast<TMemoField&>(F("Notes")).WideMemo());
}

TEST_F(FieldClassesTest, HostSizes) {
  EXPECT_EQ(F("S").DataSize(), 6);
  EXPECT_EQ(F("W").DataSize(), 10);
  EXPECT_EQ(F("SI").DataSize(), 2);
  EXPECT_EQ(F("Key").DataSize(), 4);
  EXPECT_EQ(F("L").DataSize(), 8);
  EXPECT_EQ(F("B").DataSize(), 2);
  EXPECT_EQ(F("Day").DataSize(), 4);
  EXPECT_EQ(F("DT").DataSize(), 8);
  EXPECT_EQ(F("BY").DataSize(), 4);
  EXPECT_EQ(F("VB").DataSize(), 6);
  EXPECT_EQ(F("BL").DataSize(), 0);
}

TEST_F(FieldClassesTest, NullReadsAsEmptyZeroAndFalse) {
  for (const char* name : {"S", "SI", "L", "Amount", "C", "B", "Day", "T", "DT", "BL", "Notes"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(F(name).IsNull());
    EXPECT_EQ(F(name).AsString(), "");
    EXPECT_TRUE(F(name).AsVariant().IsNull());
  }
  EXPECT_EQ(F("SI").AsInteger(), 0);
  EXPECT_EQ(F("Amount").AsFloat(), 0.0);
  EXPECT_FALSE(F("B").AsBoolean());
  EXPECT_EQ(F("DT").AsDateTime(), 0.0);
}

TEST_F(FieldClassesTest, EmptyStringMakesEveryTypeNull) {
  F("S").SetAsString("x");
  F("SI").SetAsString("7");
  F("Day").SetAsString("01.02.2003");
  F("Notes").SetAsString("n");
  for (const char* name : {"S", "SI", "Day", "Notes"}) {
    F(name).SetAsString("");
    EXPECT_TRUE(F(name).IsNull()) << name;
  }
}

// --- text ----------------------------------------------------------------

TEST_F(FieldClassesTest, StringStoresWindows1252AndReadsUtf8) {
  F("S").SetAsString("Müße");
  EXPECT_EQ(F("S").AsString(), "Müße");
  char raw[6] = {};
  ASSERT_TRUE(F("S").GetData(raw));
  EXPECT_STREQ(raw, "M\xFC\xDF" "e");
}

TEST_F(FieldClassesTest, StringRefusesACharacterWindows1252CannotShow) {
  F("S").SetAsString("ab");
  EXPECT_EQ(ErrorOf([&] { F("S").SetAsString("aΩ"); }), "'aΩ' is not a valid value for field 'S'");
  EXPECT_EQ(F("S").AsString(), "ab");
}

TEST_F(FieldClassesTest, StringRefusesMoreCharactersThanItsSize) {
  F("S").SetAsString("äbcde");
  EXPECT_EQ(F("S").AsString(), "äbcde");
  EXPECT_EQ(ErrorOf([&] { F("S").SetAsString("abcdef"); }), "'abcdef' is too long for field 'S' (at most 5 characters)");
  EXPECT_EQ(F("S").AsString(), "äbcde");
}

TEST_F(FieldClassesTest, StringConvertsNumbersBothWays) {
  F("S").SetAsInteger(-42);
  EXPECT_EQ(F("S").AsInteger(), -42);
  F("S").SetAsFloat(1.5);
  EXPECT_EQ(F("S").AsString(), "1,5");
  EXPECT_EQ(F("S").AsFloat(), 1.5);
  F("S").SetAsString("x1");
  EXPECT_EQ(ErrorOf([&] { F("S").AsInteger(); }), "'x1' is not a valid integer value for field 'S'");
  EXPECT_EQ(ErrorOf([&] { F("S").AsFloat(); }), "'x1' is not a valid floating point value for field 'S'");
  EXPECT_EQ(ErrorOf([&] { F("S").AsBoolean(); }), "'x1' is not a valid boolean value for field 'S'");
}

TEST_F(FieldClassesTest, WideStringKeepsWhatWindows1252Cannot) {
  F("W").SetAsString("Ωµ€");
  EXPECT_EQ(F("W").AsString(), "Ωµ€");
  EXPECT_EQ(Raw<char16_t>("W"), u'Ω');
  EXPECT_EQ(ErrorOf([&] { F("W").SetAsString("ΩΩΩΩΩ"); }), "'ΩΩΩΩΩ' is too long for field 'W' (at most 4 characters)");
}

// --- integers ------------------------------------------------------------

TEST_F(FieldClassesTest, SmallintBoundaries) {
  F("SI").SetAsInteger(-32768);
  EXPECT_EQ(Raw<int16_t>("SI"), -32768);
  F("SI").SetAsInteger(32767);
  EXPECT_EQ(F("SI").AsString(), "32767");
  EXPECT_EQ(ErrorOf([&] { F("SI").SetAsInteger(32768); }),
            "32768 is not a valid value for field 'SI'. The allowed range is -32768 to 32767");
  EXPECT_EQ(F("SI").AsInteger(), 32767);
}

TEST_F(FieldClassesTest, WordBoundaries) {
  F("WO").SetAsInteger(65535);
  EXPECT_EQ(Raw<uint16_t>("WO"), 65535);
  EXPECT_EQ(ErrorOf([&] { F("WO").SetAsInteger(-1); }),
            "-1 is not a valid value for field 'WO'. The allowed range is 0 to 65535");
}

TEST_F(FieldClassesTest, IntegerFromTextAndFloat) {
  F("Key").SetAsString(" -17 ");
  EXPECT_EQ(Raw<int32_t>("Key"), -17);
  EXPECT_EQ(ErrorOf([&] { F("Key").SetAsString("12x"); }), "'12x' is not a valid integer value for field 'Key'");
  F("Key").SetAsFloat(2.5);
  EXPECT_EQ(F("Key").AsInteger(), 3);
  EXPECT_EQ(ErrorOf([&] { F("Key").SetAsFloat(NAN); }), "'NAN' is not a valid integer value for field 'Key'");
  EXPECT_EQ(ErrorOf([&] { F("Key").SetAsLargeInt(int64_t{1} << 31); }),
            "2147483648 is not a valid value for field 'Key'. The allowed range is -2147483648 to 2147483647");
}

TEST_F(FieldClassesTest, LargeintKeepsSixtyFourBitsAndRefusesThemAsInteger) {
  F("L").SetAsLargeInt(INT64_MIN);
  EXPECT_EQ(Raw<int64_t>("L"), INT64_MIN);
  F("L").SetAsLargeInt(5000000000);
  EXPECT_EQ(F("L").AsString(), "5000000000");
  EXPECT_EQ(ErrorOf([&] { F("L").AsInteger(); }), "'5000000000' is not a valid integer value for field 'L'");
}

TEST_F(FieldClassesTest, AnIntegerIsNoBoolean) {
  EXPECT_EQ(ErrorOf([&] { F("Key").AsBoolean(); }), "Cannot access field 'Key' as type Boolean");
  EXPECT_EQ(ErrorOf([&] { F("Key").SetAsDateTime(1); }), "Cannot access field 'Key' as type DateTime");
}

// --- floats and booleans -------------------------------------------------

TEST_F(FieldClassesTest, FloatUsesTheLocaleDecimalSeparator) {
  F("Amount").SetAsString("-1,25");
  EXPECT_EQ(Raw<double>("Amount"), -1.25);
  EXPECT_EQ(F("Amount").AsString(), "-1,25");
  EXPECT_EQ(ErrorOf([&] { F("Amount").SetAsString("1.25"); }),
            "'1.25' is not a valid floating point value for field 'Amount'");
  EXPECT_EQ(ErrorOf([&] { F("Amount").SetAsFloat(INFINITY); }),
            "'INF' is not a valid floating point value for field 'Amount'");
  EXPECT_EQ(F("Amount").AsFloat(), -1.25);
}

TEST_F(FieldClassesTest, CurrencyShowsDecimalsAndSign) {
  F("C").SetAsFloat(12.5);
  EXPECT_EQ(F("C").AsString(), "12,5");
  EXPECT_EQ(F("C").DisplayText(), "12,50 €");
  F("C").SetAsFloat(-0.004);
  EXPECT_EQ(F("C").DisplayText(), "0,00 €");
}

TEST_F(FieldClassesTest, BooleanTexts) {
  F("B").SetAsString("tRuE");
  EXPECT_EQ(Raw<int16_t>("B"), 1);
  EXPECT_EQ(F("B").AsString(), "True");
  F("B").SetAsString("0");
  EXPECT_EQ(F("B").AsString(), "False");
  EXPECT_EQ(ErrorOf([&] { F("B").SetAsString("ja"); }), "'ja' is not a valid boolean value for field 'B'");
  EXPECT_EQ(ErrorOf([&] { F("B").SetAsInteger(2); }), "'2' is not a valid boolean value for field 'B'");
}

// --- dates and times -----------------------------------------------------

TEST_F(FieldClassesTest, DateStoresTheDayNumber) {
  F("Day").SetAsString("9.12.2026");
  int32_t expected = 0;
  ASSERT_TRUE(EncodeDayNumber(2026, 12, 9, expected));
  EXPECT_EQ(Raw<int32_t>("Day"), expected);
  EXPECT_EQ(F("Day").AsString(), "09.12.2026");
  EXPECT_EQ(F("Day").AsDateTime(), expected - kDayNumberOf18991230);
}

TEST_F(FieldClassesTest, DatesBefore1900AreNegative) {
  F("Day").SetAsString("29.12.1899");
  EXPECT_EQ(F("Day").AsDateTime(), -1.0);
  // 100 years with 24 leap days (1800 is none) before 30.12.1899.
  F("Day").SetAsDateTime(-36524.0);
  EXPECT_EQ(F("Day").AsString(), "30.12.1799");
  F("Day").SetAsString("01.01.0001");
  EXPECT_EQ(Raw<int32_t>("Day"), 1);
}

TEST_F(FieldClassesTest, DateRefusesDaysThatDoNotExist) {
  EXPECT_EQ(ErrorOf([&] { F("Day").SetAsString("29.02.2026"); }), "'29.02.2026' is not a valid date value for field 'Day'");
  EXPECT_EQ(ErrorOf([&] { F("Day").SetAsDateTime(3e6); }), "'3000000' is not a valid date value for field 'Day'");
  EXPECT_TRUE(F("Day").IsNull());
}

TEST_F(FieldClassesTest, TimeStoresMillisecondsSinceMidnight) {
  F("T").SetAsString("12:00");
  EXPECT_EQ(Raw<int32_t>("T"), 12 * 3600 * 1000);
  EXPECT_EQ(F("T").AsString(), "12:00:00");
  EXPECT_EQ(F("T").AsDateTime(), 0.5);
  EXPECT_EQ(ErrorOf([&] { F("T").SetAsString("25:00"); }), "'25:00' is not a valid time value for field 'T'");
}

TEST_F(FieldClassesTest, DateTimeHostValueIsDayNumberTimesAMillisecondDay) {
  F("DT").SetAsString("01.01.0001");
  EXPECT_EQ(Raw<double>("DT"), 86400000.0);
  F("DT").SetAsString("09.12.2026 05:19:07");
  EXPECT_EQ(F("DT").AsString(), "09.12.2026 05:19:07");
  F("DT").SetAsDateTime(-1.25);
  EXPECT_EQ(F("DT").AsString(), "29.12.1899 06:00:00");
  EXPECT_EQ(F("DT").AsDateTime(), -1.25);
  EXPECT_EQ(ErrorOf([&] { F("DT").SetAsString("09.12.2026 5"); }),
            "'09.12.2026 5' is not a valid date and time value for field 'DT'");
}

TEST_F(FieldClassesTest, TimeStampChecksItsParts) {
  TSQLTimeStamp stamp{2026, 12, 9, 5, 19, 7, 250};
  dynamic_cast<TSQLTimeStampField&>(F("TS")).SetAsSQLTimeStamp(stamp);
  EXPECT_EQ(Raw<TSQLTimeStamp>("TS"), stamp);
  EXPECT_EQ(F("TS").AsString(), "09.12.2026 05:19:07");
  stamp.month = 13;
  EXPECT_EQ(ErrorOf([&] { dynamic_cast<TSQLTimeStampField&>(F("TS")).SetAsSQLTimeStamp(stamp); }),
            "'2026-13-9 5:19:7.250' is not a valid time stamp value for field 'TS'");
  F("TS").SetAsString("01.03.1700");
  EXPECT_EQ(Raw<TSQLTimeStamp>("TS"), (TSQLTimeStamp{1700, 3, 1, 0, 0, 0, 0}));
}

// --- bytes and BLOBs -----------------------------------------------------

TEST_F(FieldClassesTest, BytesArePaddedAndLimited) {
  F("BY").SetAsBytes({1, 2});
  EXPECT_EQ(F("BY").AsBytes(), (std::vector<uint8_t>{1, 2, 0, 0}));
  EXPECT_EQ(ErrorOf([&] { F("BY").SetAsBytes({1, 2, 3, 4, 5}); }), "5 bytes are too many for field 'BY' (at most 4)");
  F("VB").SetAsBytes({9, 8});
  EXPECT_EQ(F("VB").AsBytes(), (std::vector<uint8_t>{9, 8}));
  EXPECT_EQ(Raw<uint16_t>("VB"), 2);
}

TEST_F(FieldClassesTest, BlobTakesBytesAndNoneIsNull) {
  F("BL").SetAsBytes({0, 255, 7});
  EXPECT_EQ(F("BL").AsBytes(), (std::vector<uint8_t>{0, 255, 7}));
  EXPECT_EQ(dynamic_cast<TBlobField&>(F("BL")).BlobSize(), 3);
  EXPECT_EQ(F("BL").DisplayText(), "(BLOB)");
  EXPECT_EQ(F("Picture").DisplayText(), "(GRAPHIC)");
  F("BL").SetAsBytes({});
  EXPECT_TRUE(F("BL").IsNull());
  F("BL").SetAsString("x");
  F("BL").Clear();
  EXPECT_TRUE(F("BL").IsNull());
}

TEST_F(FieldClassesTest, MemoIsWindows1252AndRefusesWhatItCannotShow) {
  F("Notes").SetAsString("Grüße");
  EXPECT_EQ(F("Notes").AsBytes(), (std::vector<uint8_t>{'G', 'r', 0xFC, 0xDF, 'e'}));
  EXPECT_EQ(F("Notes").DisplayText(), "Grüße");
  EXPECT_EQ(ErrorOf([&] { F("Notes").SetAsString("Ω"); }), "'Ω' is not a valid value for field 'Notes'");
  EXPECT_EQ(F("Notes").AsString(), "Grüße");
}

TEST_F(FieldClassesTest, WideMemoIsUtf16LittleEndian) {
  F("WM").SetAsString("aΩ");
  EXPECT_EQ(F("WM").AsBytes(), (std::vector<uint8_t>{'a', 0, 0xA9, 0x03}));
  EXPECT_EQ(F("WM").AsString(), "aΩ");
  EXPECT_EQ(F("WM").AsVariant().DataType(), bftWideMemo);
}

TEST_F(FieldClassesTest, FormattedMemoGivesItsBytesUnchanged) {
  const std::string rtf = "{\\rtf1\\ansi Gr\\'fc\\'dfe \xFC}";
  F("FM").SetAsString(rtf);
  EXPECT_EQ(F("FM").AsString(), rtf);
  EXPECT_EQ(F("FM").DisplayText(), "(FMTMEMO)");
}

// --- values --------------------------------------------------------------

TEST_F(FieldClassesTest, VariantsRoundTrip) {
  F("Key").SetAsInteger(77);
  F("S").SetAsString("Öl");
  F("Day").SetAsString("01.03.1700");
  for (const char* name : {"Key", "S", "Day"}) {
    const TDVXVariant value = F(name).AsVariant();
    const std::string before = F(name).AsString();
    F(name).Clear();
    F(name).SetAsVariant(value);
    EXPECT_EQ(F(name).AsString(), before) << name;
  }
  EXPECT_EQ(F("S").AsVariant().GetAsString(), "\xD6l");
}

// --- writing rules -------------------------------------------------------

TEST_F(FieldClassesTest, WritingOutsideEditOrInsertIsRefused) {
  dataSet.Cancel();
  EXPECT_EQ(ErrorOf([&] { F("S").SetAsString("x"); }), "Dataset not in edit or insert mode");
  EXPECT_EQ(ErrorOf([&] { F("Notes").SetAsString("x"); }), "Dataset not in edit or insert mode");
}

TEST_F(FieldClassesTest, ReadOnlyFieldRefusesWrites) {
  F("S").SetReadOnly(true);
  EXPECT_EQ(ErrorOf([&] { F("S").SetAsString("x"); }), "Field 'S' cannot be modified");
  EXPECT_TRUE(F("S").IsNull());
}

TEST_F(FieldClassesTest, OnValidateMayRefuseAndTheOldValueStays) {
  F("S").SetAsString("ok");
  F("S").OnValidate = [](TField& field) {
    if (field.AsString() == "bad") throw std::runtime_error("refused by validation");
  };
  EXPECT_THROW(F("S").SetAsString("bad"), std::runtime_error);
  EXPECT_EQ(F("S").AsString(), "ok");
}

TEST_F(FieldClassesTest, UnknownTypeHasNoFieldClass) {
  EXPECT_EQ(ErrorOf([&] { CreateFieldOfType(dataSet, "X", ftCursor, 0, false, 1); }), "Unknown DataType: '22'");
}

}  // namespace
}  // namespace dvx::testing
