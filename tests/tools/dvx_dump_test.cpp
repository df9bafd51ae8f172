// dvx dump on databases built through the table layer: the text of every
// field type, index order, --limit, damaged values and refused command lines.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "engine/storage/blob_value_stream.h"
#include "engine/storage/compression/compressor.h"
#include "engine/values/day_number.h"
#include "engine/values/extended_float.h"
#include "tests/tools/dvx_table_fixture.h"

namespace {

using dvxtest::RunDvx;
using namespace dvx;
using dvx::testing::Succeeded;

// One output line: the fields joined by tabs.
std::string Line(const std::vector<std::string>& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) line += (i ? "\t" : "") + fields[i];
  return line + "\n";
}

class DvxDumpTest : public dvxtest::TDvxTableTest {
 protected:
  enum {
    kTxt, kName, kWTxt, kWName, kI8, kI16, kI32, kI64, kU8, kU16, kU32, kSgl, kDbl, kExt, kFlag,
    kPrice, kBorn, kAt, kStamp, kRaw, kVRaw, kData, kPic, kNote, kRtf, kWNote, kFieldCount
  };
  const std::string kHeader = Line({"Txt", "Name", "WTxt", "WName", "I8", "I16", "I32", "I64", "U8", "U16", "U32",
                                    "Sgl", "Dbl", "Ext", "Flag", "Price", "Born", "At", "Stamp", "Raw", "VRaw", "Data",
                                    "Pic", "Note", "Rtf", "WNote"});

  // A table with one field of every storage type, the picture and the
  // formatted memo compressed; the cursor stands on it.
  void CreateAllTypes() {
    CreateDatabase(4096);
    TDVXFieldDefs f;
    f.Add("Txt", aftChar, 6);
    f.Add("Name", aftVarchar, 20);
    f.Add("WTxt", aftWideChar, 5);
    f.Add("WName", aftWideVarchar, 10);
    for (auto [name, type] : {std::pair{"I8", aftShortInt}, {"I16", aftSmallInt}, {"I32", aftInteger},
                              {"I64", aftLargeInt}, {"U8", aftByte}, {"U16", aftWord}, {"U32", aftCardinal},
                              {"Sgl", aftSingle}, {"Dbl", aftDouble}, {"Ext", aftExtended}, {"Flag", aftBoolean},
                              {"Price", aftCurrency}, {"Born", aftDate}, {"At", aftTime}, {"Stamp", aftDateTime}})
      f.Add(name, type);
    f.Add("Raw", aftBytes, 3);
    f.Add("VRaw", aftVarBytes, 4);
    f.Add("Data", aftBlob);
    f.Add("Pic", aftGraphic)->SetBlobCompressionAlgorithm(caZLIB);
    f.Add("Note", aftMemo);
    f.Add("Rtf", aftFormattedMemo)->SetBlobCompressionAlgorithm(caZLIB);
    f.Add("WNote", aftWideMemo);
    db_->CreateTable(*session_, "AllTypes", f, TDVXIndexDefs(), TDVXConstraintDefs());
    cursor_ = std::make_unique<TDVXLocalCursor>(*session_, "AllTypes");
    cursor_->Open();
  }

  template <typename T>
  void Set(int field, T value) {
    SetFieldData(field, Fields(), &value, cursor_->Record());
  }
  void SetWide(int field, const std::u16string& text) { Set(field, text.c_str()); }
  void SetBytes(int field, const std::vector<uint8_t>& bytes) {
    SetFieldData(field, Fields(), bytes.data(), cursor_->Record());
  }
  void SetExtended(int field, long double value) {
    TDVXExtendedBytes bytes;
    LongDoubleToExtended(value, bytes.data());
    SetFieldData(field, Fields(), bytes.data(), cursor_->Record());
  }
  static int32_t Day(int year, int month, int day) {
    int32_t number = 0;
    EXPECT_TRUE(EncodeDayNumber(year, month, day, number));
    return number;
  }
  void SetDateTime(int field, int32_t day, int32_t milliseconds) {
    uint8_t bytes[8];
    StoreDateTime(TDVXDateTimePair{day, milliseconds}, bytes);
    SetFieldData(field, Fields(), bytes, cursor_->Record());
  }
  void SetBlob(int field, const std::string& value) {
    TDVXBlobValueStream stream(*Fields().Items(field));
    stream.WriteBuffer(value.data(), value.size(), 0);
    stream.StoreInto(field, Fields(), cursor_->Record());
  }
  void InsertRecord() { ASSERT_THAT(cursor_->InsertRecord(), Succeeded()); }
};

TEST_F(DvxDumpTest, EveryFieldTypeNullsAndEscapesAreWrittenExactly) {
  CreateAllTypes();
  cursor_->NewRecord();
  SetText(kTxt, "\xC4\tb\\c");  // Windows-1252: Ä
  SetText(kName, "Gr\xF6\xDF" "e\r\nx");
  SetWide(kWTxt, u"\u20AC\u4E2D");  // the second is no Windows-1252 character
  SetWide(kWName, u"a\nb");
  Set<int8_t>(kI8, -128);
  Set<int16_t>(kI16, -32768);
  Set<int32_t>(kI32, std::numeric_limits<int32_t>::min());
  Set<int64_t>(kI64, std::numeric_limits<int64_t>::min());
  Set<uint8_t>(kU8, 255);
  Set<uint16_t>(kU16, 65535);
  Set<uint32_t>(kU32, 4294967295u);
  Set<float>(kSgl, 0.1f);
  Set<double>(kDbl, 0.1 + 0.2);
  SetExtended(kExt, 18446744073709551615.0L);  // 2^64 - 1: no double holds it
  Set<int16_t>(kFlag, -1);
  Set<double>(kPrice, 1234.5678);
  Set<int32_t>(kBorn, Day(2026, 12, 9));
  Set<int32_t>(kAt, ((13 * 60 + 45) * 60 + 30) * 1000 + 250);
  SetDateTime(kStamp, Day(2026, 12, 9), ((13 * 60 + 45) * 60 + 30) * 1000 + 250);
  SetBytes(kRaw, {0x00, 0xAB, 0x7F});
  SetBytes(kVRaw, {0xFF, 0x01, 0x02, 0x03});
  SetBlob(kData, std::string(1000, 'x'));
  SetBlob(kPic, std::string(100000, '\0'));  // compressed to a few hundred bytes
  SetBlob(kNote, "Zeile 1\r\nZeile 2\t\xC4");
  SetBlob(kRtf, "{\\rtf1\\ansi Arnika\\par}");
  SetBlob(kWNote, std::string("\xDC\0b\0e\0l\0\n\0", 10));  // UTF-16LE "Übel\n"
  InsertRecord();

  cursor_->NewRecord();
  InsertRecord();

  cursor_->NewRecord();
  SetText(kName, "\\");
  Set<int64_t>(kI64, std::numeric_limits<int64_t>::max());
  Set<uint32_t>(kU32, 0);
  Set<float>(kSgl, -0.0f);
  Set<double>(kDbl, 1e20);
  SetExtended(kExt, -2.5L);
  Set<int16_t>(kFlag, 0);
  Set<double>(kPrice, 1e21);
  Set<int32_t>(kBorn, Day(1, 1, 1));
  Set<int32_t>(kAt, 0);
  SetDateTime(kStamp, Day(9999, 12, 31), kNoTimePart);
  InsertRecord();
  Export();

  auto run = RunDvx("dump " + file_ + " alltypes");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, kHeader +
                         Line({R"(Ä\tb\\c)", R"(Größe\r\nx)", "€中", R"(a\nb)", "-128", "-32768", "-2147483648",
                               "-9223372036854775808", "255", "65535", "4294967295", "0.1", "0.30000000000000004",
                               "18446744073709551615", "true", "1234.5678", "2026-12-09", "13:45:30.250",
                               "2026-12-09 13:45:30.250", "00ab7f", "ff010203", "<1000 bytes>", "<100000 bytes>",
                               R"(Zeile 1\r\nZeile 2\tÄ)", R"({\\rtf1\\ansi Arnika\\par})", R"(Übel\n)"}) +
                         std::string(kFieldCount - 1, '\t') + "\n" +
                         Line({"", R"(\\)", "", "", "", "", "", "9223372036854775807", "", "", "0", "-0", "1e+20",
                               "-2.5", "false", "1000000000000000000000", "0001-01-01", "00:00:00.000", "9999-12-31",
                               "", "", "", "", "", "", ""}));
}

// The digests are the standard SHA-256 of the values, so two dumps compare
// equal exactly when the stored bytes do; texts and numbers stay as they are.
TEST_F(DvxDumpTest, BlobHashWritesSizeAndSha256OfEveryLargeObject) {
  CreateAllTypes();
  cursor_->NewRecord();
  SetText(kTxt, "abc");
  SetBlob(kData, "abc");
  SetBlob(kPic, std::string(100000, '\0'));  // stored compressed: the digest is of the value
  SetBlob(kNote, "Zeile 1\r\nZeile 2\t\xC4");
  SetBlob(kRtf, "{\\rtf1\\ansi Arnika\\par}");
  SetBlob(kWNote, std::string("\xDC\0b\0e\0l\0\n\0", 10));
  InsertRecord();
  cursor_->NewRecord();
  InsertRecord();
  Export();

  auto run = RunDvx("dump " + file_ + " alltypes --blob-hash");
  EXPECT_EQ(run.status, 0) << run.out;
  std::vector<std::string> first(kFieldCount, "");
  first[kTxt] = "abc";
  first[kData] = "<3 bytes sha256:ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad>";
  first[kPic] = "<100000 bytes sha256:9192c25b734fcbadbe32dadc28089c60db0e39f90cc20ce2e5733f57261acc0c>";
  first[kNote] = "<18 bytes sha256:22f540de6d314582d47b75d7ca3295a914be5077ef2b8181b6ebe03ce1a8bac3>";
  first[kRtf] = "<23 bytes sha256:2001926c13950ee42015e02d7644d74987b3dbbcf6f87efbd03261601beca2c2>";
  first[kWNote] = "<10 bytes sha256:ad7ed110d4817ffffa16175d43bb39d55c8bedd94ec8b856ed15a2bed14a1294>";
  EXPECT_EQ(run.out, kHeader + Line(first) + std::string(kFieldCount - 1, '\t') + "\n");
}

TEST_F(DvxDumpTest, IndexOrderAndLimit) {
  CreateFilledRemedies();
  ASSERT_THAT(Insert(40, "aconitum"), Succeeded());
  ASSERT_THAT(Insert(5, "bryonia"), Succeeded());
  Export();
  const std::string header = "Id\tCode\tName\n";
  const std::string arnica = "1\t10\tArnica\n", belladonna = "2\t20\tBelladonna\n", calendula = "3\t30\tCalendula\n",
                    aconitum = "4\t40\taconitum\n", bryonia = "5\t5\tbryonia\n";
  auto physical = RunDvx("dump " + file_ + " Remedies");
  EXPECT_EQ(physical.status, 0) << physical.out;
  EXPECT_EQ(physical.out, header + arnica + belladonna + calendula + aconitum + bryonia);
  // IX_Name is descending and ignores case; index names ignore case too.
  auto byName = RunDvx("dump " + file_ + " Remedies --index ix_name");
  EXPECT_EQ(byName.status, 0) << byName.out;
  EXPECT_EQ(byName.out, header + calendula + bryonia + belladonna + arnica + aconitum);
  EXPECT_EQ(RunDvx("dump " + file_ + " Remedies --index UQ_Code").out,
            header + bryonia + arnica + belladonna + calendula + aconitum);
  EXPECT_EQ(RunDvx("dump " + file_ + " Remedies --index IX_Name --limit 2").out, header + calendula + bryonia);
  EXPECT_EQ(RunDvx("dump " + file_ + " Remedies --limit=1").out, header + arnica);
  EXPECT_EQ(RunDvx("dump " + file_ + " Remedies --limit 0").out, header);
  EXPECT_EQ(RunDvx("dump " + file_ + " Remedies --limit 5").out, physical.out);
  EXPECT_EQ(RunDvx("dump " + file_ + " Remedies --limit 6").out, physical.out);
}

TEST_F(DvxDumpTest, EmptyTableGivesTheHeaderAlone) {
  CreateDatabase();
  CreateRemedies();
  Export();
  auto run = RunDvx("dump " + file_ + " Remedies --index PK");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, "Id\tCode\tName\n");
}

TEST_F(DvxDumpTest, UnknownTableIndexAndBadCommandLinesWriteOnlyAnError) {
  CreateFilledRemedies();
  Export();
  auto table = RunDvx("dump " + file_ + " Herbs");
  EXPECT_EQ(table.status, 1);
  EXPECT_EQ(table.out, "dvx: table 'Herbs' not found in " + file_ + "\n");
  auto index = RunDvx("dump " + file_ + " remedies --index IX_Code");
  EXPECT_EQ(index.status, 1);
  EXPECT_EQ(index.out, "dvx: index 'IX_Code' not found in table 'Remedies'\n");
  EXPECT_EQ(RunDvx("dump " + file_ + " Remedies --index=").out, "dvx: index '' not found in table 'Remedies'\n");
  for (const char* limit : {"-1", "x", "2.5", "1e3", "''", "99999999999999999999999"}) {
    auto run = RunDvx("dump " + file_ + " Remedies --limit " + limit);
    EXPECT_EQ(run.status, 2) << limit;
    EXPECT_EQ(run.out, "dvx: --limit needs a whole number of records, 0 or more\n") << limit;
  }
  EXPECT_EQ(RunDvx("dump " + file_ + " Remedies --limit").out, "dvx: option --limit needs a value\n");
  EXPECT_EQ(RunDvx("dump " + file_).out, "dvx: dump needs FILE and TABLE\n");
  EXPECT_EQ(RunDvx("dump " + file_ + " Remedies extra").status, 2);
  EXPECT_EQ(RunDvx("dump " + file_ + " Remedies --bogus").status, 2);
  auto missing = RunDvx("dump " + dir_ + "/missing.dvx Remedies");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out.rfind("dvx: ", 0), 0u) << missing.out;
  EXPECT_NE(missing.out.find("Native error"), std::string::npos) << missing.out;
}

TEST_F(DvxDumpTest, DamagedDateStopsWithAnErrorAfterTheGoodRecords) {
  CreateAllTypes();
  cursor_->NewRecord();
  Set<int32_t>(kBorn, Day(2026, 12, 9));
  InsertRecord();
  cursor_->NewRecord();
  Set<int32_t>(kBorn, 0);  // the day before 0001-01-01
  InsertRecord();
  Export();
  const std::string first = std::string(kBorn, '\t') + "2026-12-09" + std::string(kFieldCount - 1 - kBorn, '\t') + "\n";
  auto run = RunDvx("dump " + file_ + " AllTypes");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, kHeader + first + "dvx: record 2, field 'Born': invalid date (day number 0)\n");
}

TEST_F(DvxDumpTest, DamagedTimesAreErrors) {
  CreateAllTypes();
  cursor_->NewRecord();
  SetDateTime(kStamp, Day(2026, 12, 9), -2);  // -1 alone means "no time part"
  InsertRecord();
  cursor_->NewRecord();
  Set<int32_t>(kAt, kMillisecondsPerDay);
  InsertRecord();
  Export();
  auto stamp = RunDvx("dump " + file_ + " AllTypes");
  EXPECT_EQ(stamp.status, 1);
  EXPECT_EQ(stamp.out, kHeader + "dvx: record 1, field 'Stamp': invalid time (-2 milliseconds)\n");

  OpenDatabase();
  cursor_ = std::make_unique<TDVXLocalCursor>(*session_, "AllTypes");
  cursor_->Open();
  cursor_->First();
  ASSERT_EQ(grrDone, cursor_->GetRecord(grmNext));
  ASSERT_THAT(cursor_->DeleteRecord(), Succeeded());
  Export();
  auto time = RunDvx("dump " + file_ + " AllTypes");
  EXPECT_EQ(time.status, 1);
  EXPECT_EQ(time.out, kHeader + "dvx: record 1, field 'At': invalid time (86400000 milliseconds)\n");
}

TEST_F(DvxDumpTest, EncryptedFileIsReadWithItsPasswordOnly) {
  ASSERT_EQ(RunDvx("create " + file_ + " --cipher Blowfish --password pw").status, 0);
  {
    TDVXDiskDatabaseData db(file_, TDVXLockParams{3, 1});
    TDVXCryptoInfo crypto;
    crypto.password = "pw";
    db.OpenDatabase(false, false, crypto);
    {
      TDVXLocalSession session(db);
      TDVXFieldDefs fields;
      fields.Add("Name", aftVarchar, 10);
      db.CreateTable(session, "Herbs", fields, TDVXIndexDefs(), TDVXConstraintDefs());
      TDVXLocalCursor cursor(session, "Herbs");
      cursor.Open();
      cursor.NewRecord();
      SetFieldData(0, cursor.Fields(), "Arnika", cursor.Record());
      ASSERT_THAT(cursor.InsertRecord(), Succeeded());
    }
    db.CloseDatabase();
  }
  auto good = RunDvx("dump " + file_ + " Herbs --password pw");
  EXPECT_EQ(good.status, 0) << good.out;
  EXPECT_EQ(good.out, "Name\nArnika\n");
  for (const char* password : {"", " --password wrong"}) {
    auto run = RunDvx("dump " + file_ + " Herbs" + password);
    EXPECT_EQ(run.status, 1) << password;
    EXPECT_EQ(run.out.rfind("dvx: ", 0), 0u) << run.out;
    EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << run.out;  // the error line alone
    EXPECT_NE(run.out.find("invalid encryption key - Native error: 10712"), std::string::npos) << run.out;
  }
}

}  // namespace
