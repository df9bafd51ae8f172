// Conditions and values over one row, table-driven and grouped by
// construct: text in, the value shown by Show() or an error code out.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "engine/sql/expression.h"
#include "engine/sql/sql_errors.h"
#include "sql_test_support.h"
#include "tests/support/dvx_matchers.h"

namespace dvx {
namespace {

using namespace dvx::testing;

// The row every case reads.
class ExprRow {
 public:
  ExprRow() {
    cursor.Field("Ebene", aftInteger)
        .Field("Name", aftVarchar, 20)
        .Field("Kurz", aftChar, 3)
        .Field("Preis", aftDouble)
        .Field("Menge", aftSmallInt)
        .Field("Datum", aftDate)
        .Field("Flag", aftBoolean)
        .Field("WName", aftWideVarchar, 10)
        .Field("Nichts", aftInteger)
        .Field("Notiz", aftMemo)
        .Field("Bild", aftBlob)
        .Field("LeerBild", aftBlob);
    cursor.NewRow();
    cursor.Set("Ebene", Int(2));
    cursor.Set("Name", Str("Arnica"));
    cursor.Set("Kurz", Str("abc"));
    cursor.Set("Preis", Real(1.5));
    cursor.Set("Menge", Int(7));
    cursor.Set("Datum", DateOf(2004, 3, 5));
    cursor.Set("Flag", Bool(true));
    cursor.Set("WName", WStr(u"\u00D6l\u20ACx"));
    cursor.Set("Notiz", Str("memo text"));
    TDVXVariant picture;
    picture.SetBuffer("\x01\x02", 2, true, bftBlob);
    cursor.Set("Bild", picture);
  }
  TTestCursor cursor;
};

struct TCase {
  const char* sql;
  const char* expected;  // Show() of the result, or "ERR <code>"
};

std::string Outcome(bool condition, const std::string& sql) {
  static ExprRow* row = new ExprRow();
  try {
    TParsed parsed = condition ? ParseConditionText(sql, &row->cursor) : ParseValueText(sql, &row->cursor);
    const TDVXVariant* value = parsed.expression->GetValue(true);
    if (!value) return "no value";
    TToken rest;
    if (parsed.lexer->GetCurrentToken(rest)) return "stopped at " + rest.text;
    return Show(*value);
  } catch (const EDVXException& e) {
    return "ERR " + std::to_string(e.NativeError());
  }
}

class Values : public ::testing::TestWithParam<TCase> {};
TEST_P(Values, Evaluate) { EXPECT_EQ(Outcome(false, GetParam().sql), GetParam().expected) << GetParam().sql; }

class Conditions : public ::testing::TestWithParam<TCase> {};
TEST_P(Conditions, Evaluate) { EXPECT_EQ(Outcome(true, GetParam().sql), GetParam().expected) << GetParam().sql; }

INSTANTIATE_TEST_SUITE_P(
    Arithmetic, Values,
    ::testing::Values(TCase{"2 * 3 + 4", "SIGNEDINT64 10"}, TCase{"-2 * 3", "SIGNEDINT64 -6"},
                      TCase{"10 - 3 - 2", "SIGNEDINT64 5"}, TCase{"7 / 2", "SIGNEDINT64 3"},
                      TCase{"7 / 2.0", "FLOAT 3.5"}, TCase{"(1 + 2) * 3", "SIGNEDINT64 9"},
                      TCase{"1e2 + .5", "FLOAT 100.5"}, TCase{"-Preis", "FLOAT -1.5"},
                      TCase{"Ebene * 10", "SIGNEDINT64 20"}, TCase{"Menge + 1", "SIGNEDINT64 8"},
                      TCase{"Nichts + 5", "SIGNEDINT64 5"}, TCase{"5 + Nichts", "NULL"},
                      TCase{"5 - Nichts", "NULL"}, TCase{"5 * Nichts", "NULL"}, TCase{"Nichts / 5", "NULL"},
                      TCase{"1 / 0", "ERR 30128"}, TCase{"Datum + Bild", "ERR 30124"},
                      TCase{"Datum + 1", "DATE 06.03.2004"}, TCase{"YEAR(Datum) + 1", "SIGNEDINT64 2005"}));

INSTANTIATE_TEST_SUITE_P(
    Concatenation, Values,
    ::testing::Values(TCase{"'ab' + 'cd'", "STRING abcd"}, TCase{"'ab' || 'cd'", "STRING abcd"},
                      TCase{"Name + 1", "STRING Arnica1"}, TCase{"Name || Ebene", "STRING Arnica2"},
                      TCase{"1 + 'a'", "STRING 1a"}, TCase{"'x' || Nichts", "NULL"},
                      TCase{"Nichts || 'x'", "STRING x"}, TCase{"'Stand ' || Datum", "STRING Stand 05.03.2004"},
                      TCase{"UPPER(Kurz) || '-' || LENGTH(Name)", "STRING ABC-6"}));

INSTANTIATE_TEST_SUITE_P(
    StringFunctions, Values,
    ::testing::Values(TCase{"UPPER(Name)", "STRING ARNICA"}, TCase{"LOWER('\xC4" "B')", "STRING \xE4" "b"},
                      TCase{"TRIM('  a b  ')", "STRING a b"}, TCase{"LTRIM('  a ')", "STRING a "},
                      TCase{"RTRIM(' a  ')", "STRING  a"}, TCase{"TRIM('   ')", "NULL"},
                      TCase{"UPPER(Nichts)", "NULL"}, TCase{"LENGTH(Name)", "SIGNEDINT32 6"},
                      TCase{"LENGTH(Nichts)", "SIGNEDINT32 0"}, TCase{"LENGTH(WName)", "SIGNEDINT32 4"},
                      TCase{"LENGTH(12345)", "SIGNEDINT32 5"}, TCase{"UPPER(WName)", "WIDESTRING \xD6L\x80X"},
                      TCase{"POS('ni', Name)", "SIGNEDINT32 3"}, TCase{"POSITION('x' IN Name)", "SIGNEDINT32 0"},
                      TCase{"POS(Nichts, Name)", "SIGNEDINT32 0"}, TCase{"SUBSTRING(Name, 2, 3)", "STRING rni"},
                      TCase{"SUBSTRING(Name FROM 4)", "STRING ica"},
                      TCase{"SUBSTRING(Name FROM 0 FOR 2)", "STRING Ar"}, TCase{"SUBSTRING(Name, 10)", "NULL"},
                      TCase{"SUBSTRING(Nichts, 1)", "NULL"}, TCase{"SUBSTRING(Name, 5, 100)", "STRING ca"}));

INSTANTIATE_TEST_SUITE_P(
    DateFunctions, Values,
    ::testing::Values(TCase{"YEAR(Datum)", "UNSIGNEDINT16 2004"}, TCase{"MONTH(Datum)", "UNSIGNEDINT16 3"},
                      TCase{"DAY(Datum)", "UNSIGNEDINT16 5"}, TCase{"QUARTER(Datum)", "UNSIGNEDINT16 1"},
                      TCase{"EXTRACT(MONTH FROM Datum)", "UNSIGNEDINT16 3"},
                      TCase{"EXTRACT(DAY, Datum)", "UNSIGNEDINT16 5"},
                      TCase{"WEEKDAY(Datum)", "UNSIGNEDINT16 6"}, TCase{"DAYOFWEEK(Datum)", "UNSIGNEDINT16 5"},
                      TCase{"DAYNAME(Datum)", "STRING Friday"}, TCase{"MONTHNAME(Datum)", "STRING March"},
                      TCase{"YEAR(Nichts)", "NULL"}, TCase{"TOSTRING(Datum, 'DD.MM.YYYY')", "STRING 05.03.2004"},
                      TCase{"TODATE('5.3.2004', 'DD.MM.YYYY')", "DATE 05.03.2004"},
                      TCase{"TODATE('12:30', 'HH24:NN')", "TIME 12:30:00"},
                      TCase{"HOUR(TODATE('5.3.2004 12:30', 'DD.MM.YYYY HH24:NN'))", "UNSIGNEDINT16 12"},
                      TCase{"TODATE(Nichts, 'YYYY')", "NULL"}, TCase{"TOSTRING(Nichts, 'YYYY')", "NULL"}));

INSTANTIATE_TEST_SUITE_P(
    CastIsNullAndBlobs, Values,
    ::testing::Values(TCase{"CAST(Ebene AS VARCHAR)", "STRING 2"}, TCase{"CAST('12' AS INTEGER)", "SIGNEDINT32 12"},
                      TCase{"CAST('x' AS INTEGER)", "ERR 30051"}, TCase{"CAST(1.5, VARCHAR(10))", "STRING 1.5"},
                      TCase{"CAST(NULL AS DATE)", "NULL"}, TCase{"CAST(1 AS BLOB)", "ERR 30077"},
                      TCase{"CAST(1 AS FOO)", "ERR 30077"}, TCase{"ISNULL(Nichts, 7)", "SIGNEDINT32 7"},
                      TCase{"ISNULL(Ebene, 7)", "SIGNEDINT32 2"}, TCase{"ISNULL(Nichts, 'x')", "ERR 30051"},
                      TCase{"ISNULL(LeerBild, 1)", "ERR 11600"}, TCase{"TOBLOB('QUJD')", "BLOB ABC"},
                      TCase{"TOBLOB('41 42 43', HEX)", "BLOB ABC"}, TCase{"TOBLOB('QUJD', MIME64)", "BLOB ABC"},
                      TCase{"TOBLOB('4142X', HEX)", "ERR 11344"}, TCase{"TOBLOB('Q', MIME64)", "ERR 11344"}));

INSTANTIATE_TEST_SUITE_P(
    Constants, Values,
    ::testing::Values(TCase{"''", "NULL"}, TCase{"TRUE", "true"}, TCase{"NULL", "NULL"},
                      TCase{"\"double\"", "STRING double"}, TCase{"2.50", "FLOAT 2.5"},
                      TCase{"[Ebene]", "SIGNEDINT32 2"}, TCase{"-9223372036854775807", "SIGNEDINT64 -9223372036854775807"}));

INSTANTIATE_TEST_SUITE_P(
    Comparisons, Conditions,
    ::testing::Values(TCase{"Ebene = 2", "true"}, TCase{"Ebene <> 1", "true"}, TCase{"Nichts = 1", "false"},
                      TCase{"Nichts <> 1", "true"}, TCase{"Nichts = NULL", "false"}, TCase{"NULL <> NULL", "true"},
                      TCase{"Ebene >= 2 AND Ebene <= 2", "true"}, TCase{"Name = 'arnica'", "false"},
                      TCase{"Name > 'Apis'", "true"}, TCase{"'Arnica' = Name", "true"},
                      TCase{"Preis > 1", "true"}, TCase{"Preis < 1.4", "false"},
                      TCase{"Datum = '05.03.2004'", "true"}, TCase{"TRUE = Flag", "true"},
                      TCase{"2 = (Ebene)", "true"}, TCase{"(Ebene) = 2", "ERR 30066"},
                      TCase{"Kurz = 'abc'", "true"}, TCase{"Ebene + 1 = 3", "true"}));

INSTANTIATE_TEST_SUITE_P(
    Logic, Conditions,
    ::testing::Values(TCase{"Ebene = 2 OR Nichts > 1", "true"}, TCase{"NOT Ebene = 2", "false"},
                      TCase{"NOT (Ebene = 1 AND Name LIKE Nichts)", "true"}, TCase{"Name LIKE Nichts", "NULL"},
                      TCase{"NOT Name LIKE Nichts", "NULL"}, TCase{"Name LIKE Nichts AND Ebene = 2", "NULL"},
                      TCase{"Name LIKE Nichts AND Ebene = 1", "false"}, TCase{"Ebene = 1 AND Name LIKE Nichts", "false"},
                      TCase{"Name LIKE Nichts OR Ebene = 2", "true"}, TCase{"Name LIKE Nichts OR Ebene = 1", "NULL"},
                      TCase{"TRUE", "true"}, TCase{"FALSE OR TRUE AND FALSE", "false"},
                      TCase{"Ebene = 1 OR Ebene = 3 OR Ebene = 2", "true"}, TCase{"Nichts IS NULL", "true"},
                      TCase{"Ebene IS NOT NULL", "true"}, TCase{"Ebene = 2 IS TRUE", "true"},
                      TCase{"Ebene = 2 IS FALSE", "false"}, TCase{"Ebene = 2 IS NOT TRUE", "false"},
                      TCase{"Ebene = 2 IS NOT FALSE", "true"}, TCase{"Name LIKE Nichts IS UNKNOWN", "true"},
                      TCase{"Name LIKE Nichts IS NOT UNKNOWN", "false"}, TCase{"Ebene = 2 IS MAYBE", "ERR 30067"},
                      TCase{"ISNULL(Nichts)", "true"}, TCase{"ISNULL(Ebene)", "false"},
                      TCase{"ISNULL(Nichts, 0) = 0", "true"}, TCase{"ISNULL(Nichts) IS TRUE", "true"}));

INSTANTIATE_TEST_SUITE_P(
    InBetweenLike, Conditions,
    ::testing::Values(TCase{"Name IN ('x', 'ARNICA')", "true"}, TCase{"Ebene IN (1, 3)", "false"},
                      TCase{"Ebene NOT IN (1, 3)", "true"}, TCase{"Nichts IN (1)", "NULL"},
                      TCase{"Ebene IN (1, NULL)", "false"}, TCase{"Ebene IN (1, Ebene * 1)", "true"},
                      TCase{"Ebene BETWEEN 1 AND 3", "true"}, TCase{"Name BETWEEN 'ARNICA' AND 'B'", "true"},
                      TCase{"Ebene NOT BETWEEN 1 AND 3", "false"}, TCase{"Ebene BETWEEN Nichts AND 3", "NULL"},
                      TCase{"Ebene BETWEEN 1 AND 3 AND Name = 'Arnica'", "true"},
                      TCase{"'ab' LIKE 'ab%'", "true"}, TCase{"'abc' LIKE 'ab%'", "true"},
                      TCase{"'abc' LIKE 'a_c'", "true"}, TCase{"'ac' LIKE 'a_c'", "false"},
                      TCase{"Nichts LIKE '%'", "NULL"}, TCase{"Name NOT LIKE 'A%'", "false"},
                      TCase{"Name LIKE 'a%'", "false"}, TCase{"Name LIKE '%n%c_'", "true"},
                      TCase{"Ebene LIKE 2", "ERR 30120"}, TCase{"Notiz LIKE 'memo%'", "true"},
                      TCase{"WName LIKE '\xD6l%'", "true"}, TCase{"Ebene LIKE '2'", "true"}));

INSTANTIATE_TEST_SUITE_P(
    SyntaxErrors, Conditions,
    ::testing::Values(TCase{"Ebene = ", "ERR 30118"}, TCase{"Ebene = 2 AND", "ERR 30118"},
                      TCase{"Ebene = 2 OR ORDER", "ERR 30070"}, TCase{"Ebene = 2 AND ORDER", "ERR 30069"},
                      TCase{"NOT ORDER", "ERR 30068"}, TCase{"ORDER", "ERR 30066"},
                      TCase{"(Ebene = 2 Name = 'x')", "ERR 30931"}, TCase{"Ebene = (1 2)", "ERR 30071"},
                      TCase{"UPPER Name = 'x'", "ERR 30090"}, TCase{"UPPER() = 'x'", "ERR 30092"},
                      TCase{"UPPER(Name, 1) = 'x'", "ERR 30091"}, TCase{"COUNT(* , 1) > 1", "ERR 30073"},
                      TCase{"SUM Name > 1", "ERR 30074"}, TCase{"SUM() > 1", "ERR 30102"},
                      TCase{"SUM(Ebene 1) > 1", "ERR 30075"}, TCase{"CAST(Ebene AS FOO) = 1", "ERR 30077"},
                      TCase{"CAST(Ebene AS INTEGER = 1", "ERR 30059"}, TCase{"CAST(Ebene INTEGER) = 1", "ERR 30945"},
                      TCase{"SUBSTRING(Name 1) = 'x'", "ERR 30100"}, TCase{"SUBSTRING(Name, 'x') = 'a'", "ERR 30101"},
                      TCase{"SUBSTRING(Name, 1 2) = 'a'", "ERR 30103"}, TCase{"SUBSTRING(Name, 1, 2 3) = 'a'", "ERR 30104"},
                      TCase{"POS('a' Name) = 1", "ERR 30080"}, TCase{"LENGTH Name = 1", "ERR 30083"},
                      TCase{"LENGTH(Name 1) = 1", "ERR 30084"}, TCase{"LENGTH() = 1", "ERR 30085"},
                      TCase{"TOSTRING(Datum) = 'x'", "ERR 30095"}, TCase{"TOSTRING(Datum, 5) = 'x'", "ERR 30096"},
                      TCase{"TODATE(Name, Name) = Datum", "ERR 30109"}, TCase{"YEAR Datum = 1", "ERR 11601"},
                      TCase{"EXTRACT(MONTH Datum) = 1", "ERR 11602"}, TCase{"EXTRACT(1 FROM Datum) = 1", "ERR 30941"},
                      TCase{"ISNULL Ebene", "ERR 11597"}, TCase{"ISNULL(Ebene 1)", "ERR 11599"},
                      TCase{"TOBLOB(1) IS NULL", "ERR 11346"}, TCase{"TOBLOB('QQ==', OCT) IS NULL", "ERR 11347"},
                      TCase{"Ebene = 1 b", "stopped at b"}, TCase{"LASTAUTOINC(t, f) = 1", "ERR 30934"},
                      TCase{"Ebene IN (SELECT x FROM t)", "ERR 30933"},
                      TCase{"EXISTS (SELECT x FROM t)", "ERR 30933"}));

// The messages of syntax errors name the token and its place.
TEST(ExpressionMessages, NameTheTokenAndItsPlace) {
  ExprRow row;
  using dvx::testing::ThrowsDvx;
  EXPECT_THAT([&] { ParseConditionText("(Ebene) = 1", &row.cursor); },
              ThrowsDvx(kErrTestExpected, "Boolean expression expected, but 'Ebene' found at line 1, column 2"));
  EXPECT_THAT([&] { ParseConditionText("Ebene = 1 AND\n  ORDER", &row.cursor); },
              ThrowsDvx(kErrAndOperand, "Boolean expression expected, but 'ORDER' found at line 2, column 3"));
  EXPECT_THAT([&] { ParseConditionText("Ebene = 1 IS maybe", &row.cursor); },
              ThrowsDvx(kErrTruthWordExpected,
                        "Token 'TRUE, FALSE or UNKNOWN' expected, but 'maybe' found at line 1, column 14"));
  EXPECT_THAT([&] { ParseConditionText("Ebene =", &row.cursor); },
              ThrowsDvx(kErrConditionEnd, "Unexpected end of SQL command found at line 1, column 8"));
  EXPECT_THAT([&] { ParseConditionText("SUBSTRING(Name 1) = ''", &row.cursor); },
              ThrowsDvx(kErrSubstringFrom, "Token ',' or 'from' expected, but '1' found at line 1, column 16"));
  EXPECT_THAT([&] { ParseConditionText("UPPER(,) = ''", &row.cursor); },
              ThrowsDvx(kErrStringFunctionArgument,
                        "String argument expected for function 'UPPER', but ',' found at line 1, column 7"));
  EXPECT_THAT([&] { ParseConditionText("Nope = 1", &row.cursor); }, ThrowsDvx(kErrCursorFieldNotFound, "Field 'Nope' not found"));
  EXPECT_THAT([&] { ParseValueText("TOBLOB('zz', HEX)"); },
              ThrowsDvx(kErrToBlobDecode, "Error - cannot convert BLOB value \"zz\", format = 1"));
  EXPECT_THAT([&] { ParseValueText("ISNULL(1, 2"); }, ThrowsDvx(kErrMissingCloseParen));
  EXPECT_THAT([&] { ParseValueText("ISNULL(1 2)"); }, ThrowsDvx(kErrIsNullClose, "Missing symbol ')' at line 1, column 10"));
}

TEST(ExpressionConstants, IntegerBeyondSixtyFourBitsIsReal) {
  TParsed parsed = ParseValueText("12345678901234567890");
  EXPECT_EQ(parsed.expression->GetValue()->DataType(), bftFloat);
  EXPECT_DOUBLE_EQ(parsed.expression->GetValue()->GetAsDouble(), 12345678901234567890.0);
}

}  // namespace
}  // namespace dvx
