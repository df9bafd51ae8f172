// The cursor's visible fields: projections and their refusals, field
// access and field values of every kind (BLOBs read whole, with their
// terminators), the index serving an order, and new records.
#include <cstring>

#include "engine/tables/cursor_field_errors.h"
#include "engine/tables/local_blob_stream.h"
#include "engine/values/variant.h"
#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

class CursorFieldsTest : public TTableFixture {
 protected:
  void SetUp() override {
    CreateDatabase();
    CreateRemedies();
    OpenCursor();
  }
  TDVXVariant Value(int fieldNo) {
    TDVXVariant value;
    cursor_->GetFieldValue(fieldNo, value);
    return value;
  }
};

TEST_F(CursorFieldsTest, AProjectionIsRefusedForBadListsAndKeepsTheFieldsShown) {
  EXPECT_THAT([&] { cursor_->SetProjection({"Name", "Code"}, {"Title"}); },
              ThrowsDvx(kErrProjectionLengths, "Error - different lists length. L1 = 2, L2 = 1"));
  EXPECT_THAT([&] { cursor_->SetProjection({}, {}); },
              ThrowsDvx(kErrProjectionEmpty, "No fields were specified while setting projection"));
  EXPECT_THAT([&] { cursor_->SetProjection({"Name", "Nope"}, {"", ""}); },
              ThrowsDvx(kErrProjectionField, "Cannot find field Nope"));
  ASSERT_EQ(cursor_->VisibleFieldCount(), 3);
  EXPECT_EQ(cursor_->VisibleFieldName(kName), "Name");
}

TEST_F(CursorFieldsTest, AProjectionShowsItsFieldsUnderTheirAliases) {
  ASSERT_THAT(Insert(7, "Arnica"), Succeeded());
  ASSERT_THAT(Insert(8, "Bryonia"), Succeeded());
  cursor_->SetProjection({"name", "Code"}, {"Title", ""});
  ASSERT_EQ(cursor_->VisibleFieldCount(), 2);
  EXPECT_EQ(cursor_->VisibleFieldName(0), "Title");
  EXPECT_EQ(cursor_->VisibleFieldName(1), "Code");
  EXPECT_EQ(cursor_->VisibleFieldNo(0), kName);
  char text[41] = {};
  ASSERT_TRUE(cursor_->GetFieldData(0, text));
  EXPECT_STREQ(text, "Bryonia");
  EXPECT_EQ(Value(1).GetAsSignedInt32(), 8);
  const int32_t code = 9;
  cursor_->SetFieldData(1, &code);
  EXPECT_EQ(GetInt(kCode), 9);
  // A filter finds the field under its alias too.
  cursor_->SetFilter("Title = 'Arnica'");
  EXPECT_EQ(cursor_->GetRecordCount(), 1);
}

TEST_F(CursorFieldsTest, AFieldNumberOutsideTheVisibleFieldsIsRefused) {
  cursor_->NewRecord();
  int32_t value = 0;
  EXPECT_THAT([&] { cursor_->GetFieldData(3, &value); },
              ThrowsDvx(kErrGetFieldNo, "Invalid field number - FieldNo = 3, FieldCount = 3"));
  EXPECT_THAT([&] { cursor_->SetFieldData(-1, &value); },
              ThrowsDvx(kErrSetFieldNo, "Invalid field number - FieldNo = -1, FieldCount = 3"));
  cursor_->SetProjection({"Code"}, {""});
  EXPECT_THAT([&] { cursor_->GetFieldValue(1, *std::make_unique<TDVXVariant>()); },
              ThrowsDvx(kErrGetFieldNo, "Invalid field number - FieldNo = 1, FieldCount = 1"));
  EXPECT_THAT([&] { cursor_->SetFieldData(1, &value); },
              ThrowsDvx(kErrSetFieldNo, "Invalid field number - FieldNo = 1, FieldCount = 1"));
}

// Kinds: one field of each storage family, with BLOB, MEMO and WIDEMEMO.
enum { kKChar, kKVarchar, kKWide, kKSmall, kKLarge, kKDouble, kKBool, kKDate, kKBytes, kKBlob, kKMemo, kKWideMemo };

TEST_F(CursorFieldsTest, FieldValuesOfEveryKindAndWholeBlobsWithTheirTerminators) {
  TDVXFieldDefs fields;
  fields.Add("C", aftChar, 4);
  fields.Add("V", aftVarchar, 20);
  fields.Add("W", aftWideVarchar, 10);
  fields.Add("S", aftSmallInt);
  fields.Add("L", aftLargeInt);
  fields.Add("D", aftDouble);
  fields.Add("B", aftBoolean);
  fields.Add("Dt", aftDate);
  fields.Add("By", aftBytes, 3);
  fields.Add("Bl", aftBlob);
  fields.Add("M", aftMemo);
  fields.Add("WM", aftWideMemo);
  db_->CreateTable(*session_, "Kinds", fields, TDVXIndexDefs(), TDVXConstraintDefs());
  TDVXLocalCursor kinds(*session_, "Kinds");
  kinds.Open();
  kinds.NewRecord();
  const TDVXFieldDefs& defs = kinds.Fields();
  uint8_t* rec = kinds.Record();
  const char16_t* wide = u"Wörter";
  const int16_t small = -1234;
  const int64_t large = 1234567890123LL;
  const double real = 2.5;
  const uint16_t yes = 1;
  const int32_t day = 739000;
  const uint8_t bytes[3] = {1, 0, 2};
  const std::vector<std::pair<int, const void*>> values = {
      {kKChar, "abcd"}, {kKVarchar, "Varied text"}, {kKWide, &wide}, {kKSmall, &small}, {kKLarge, &large},
      {kKDouble, &real}, {kKBool, &yes},         {kKDate, &day},   {kKBytes, bytes}};
  for (const auto& [field, source] : values) SetFieldData(field, defs, source, rec);
  const std::vector<uint8_t> blob = {0, 1, 2, 250, 0, 9};
  const std::string memo = "Kurzer Text";
  const std::u16string wideMemo = u"Lang\u00e9";
  auto write = [&](int field, const void* data, size_t size) {
    auto stream = kinds.OpenBLOB(kBlobModeWrite, field);
    ASSERT_EQ(stream->Write(data, size), size);
    kinds.CloseBLOB(field);
  };
  write(kKBlob, blob.data(), blob.size());
  write(kKMemo, memo.data(), memo.size());
  // The WIDEMEMO stays NULL in the first record.
  ASSERT_THAT(kinds.InsertRecord(), Succeeded());
  kinds.First();
  ASSERT_EQ(kinds.GetRecord(grmNext), grrDone);

  TDVXVariant v;
  auto value = [&](int field) -> const TDVXVariant& {
    kinds.GetFieldValue(field, v);
    return v;
  };
  EXPECT_EQ(value(kKChar).GetAsString(), "abcd");
  EXPECT_EQ(value(kKVarchar).GetAsString(), "Varied text");
  EXPECT_EQ(v.DataType(), bftString);
  EXPECT_EQ(value(kKWide).GetAsWideString(), u"Wörter");
  EXPECT_EQ(value(kKSmall).GetAsSignedInt16(), -1234);
  EXPECT_EQ(value(kKLarge).GetAsSignedInt64(), 1234567890123LL);
  EXPECT_EQ(value(kKDouble).GetAsDouble(), 2.5);
  EXPECT_TRUE(value(kKBool).GetAsLogical());
  EXPECT_EQ(value(kKDate).GetAsDate(), 739000);
  ASSERT_EQ(value(kKBytes).DataSize(), 3);
  EXPECT_EQ(std::vector<uint8_t>(v.Data(), v.Data() + 3), std::vector<uint8_t>(bytes, bytes + 3));

  kinds.GetFieldValue(kKBlob, v);
  EXPECT_EQ(v.DataType(), bftBlob);
  std::vector<uint8_t> withZero = blob;
  withZero.push_back(0);
  ASSERT_EQ(v.DataSize(), 7);
  EXPECT_EQ(std::vector<uint8_t>(v.Data(), v.Data() + v.DataSize()), withZero);
  kinds.GetFieldValue(kKMemo, v);
  EXPECT_EQ(v.DataType(), bftMemo);
  ASSERT_EQ(v.DataSize(), static_cast<int32_t>(memo.size()) + 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(v.Data())), memo);
  kinds.GetFieldValue(kKWideMemo, v);
  EXPECT_TRUE(v.IsNull());
  EXPECT_EQ(v.DataType(), bftWideMemo);

  write(kKWideMemo, wideMemo.data(), wideMemo.size() * 2);
  ASSERT_THAT(kinds.UpdateRecord(), Succeeded());
  ASSERT_EQ(kinds.GetRecord(grmCurrent), grrDone);
  kinds.GetFieldValue(kKWideMemo, v);
  ASSERT_EQ(v.DataSize(), static_cast<int32_t>(wideMemo.size() * 2) + 2);
  std::vector<uint8_t> expected(wideMemo.size() * 2 + 2, 0);
  std::memcpy(expected.data(), wideMemo.data(), wideMemo.size() * 2);
  EXPECT_EQ(std::vector<uint8_t>(v.Data(), v.Data() + v.DataSize()), expected);

  // Filters read BLOB fields whole as well.
  kinds.SetFilter("M = 'Kurzer Text' AND WM LIKE 'Lang%'");
  EXPECT_EQ(kinds.GetRecordCount(), 1);
  kinds.SetFilter("M = 'Kurzer'");
  EXPECT_EQ(kinds.GetRecordCount(), 0);
  kinds.ClearFilter();
  ASSERT_EQ(kinds.GetRecord(grmNext), grrDone);

  // A NULL field of a fixed kind reads as a NULL value of its type.
  SetFieldData(kKSmall, defs, nullptr, rec);
  kinds.GetFieldValue(kKSmall, v);
  EXPECT_TRUE(v.IsNull());
  EXPECT_EQ(v.DataType(), bftSignedInt16);
}

TEST_F(CursorFieldsTest, FindIndexByFieldsNamesTheFirstIndexServingTheOrder) {
  EXPECT_EQ(cursor_->FindIndexByFields({"code"}, {"ASC"}, {"CASE"}), "UQ_Code");
  EXPECT_EQ(cursor_->FindIndexByFields({"Name"}, {"DESC"}, {"NO_CASE"}), "IX_Name");
  EXPECT_EQ(cursor_->FindIndexByFields({"Name"}, {""}, {""}), "IX_Name");
  EXPECT_EQ(cursor_->FindIndexByFields({"Name"}, {"ASC"}, {""}), "");
  EXPECT_EQ(cursor_->FindIndexByFields({"Name"}, {"DESC"}, {"CASE"}), "");
  EXPECT_EQ(cursor_->FindIndexByFields({"Id", "Code"}, {"", ""}, {"", ""}), "");
  EXPECT_THAT([&] { cursor_->FindIndexByFields({"Id"}, {"", ""}, {""}); }, ThrowsDvx(10276));
}

TEST_F(CursorFieldsTest, InitRecordTakesTheAutoincrementValueWhenTheRecordIsStarted) {
  cursor_->InitRecord(cursor_->Record(), false);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(IsNull(i, cursor_->Record())) << i;
  cursor_->InitRecord(cursor_->Record(), true);
  const std::optional<int32_t> first = GetInt(kId);
  ASSERT_TRUE(first.has_value());
  // Given up and started again: the number is used up.
  cursor_->InitRecord(cursor_->Record(), true);
  ASSERT_EQ(GetInt(kId), *first + 1);
  SetInt(kCode, 1);
  SetText(kName, "Arnica");
  ASSERT_THAT(cursor_->Post(true), Succeeded());
  ASSERT_EQ(cursor_->GetRecord(grmCurrent), grrDone);
  EXPECT_EQ(GetInt(kId), *first + 1);
  // The insert drew nothing more.
  cursor_->InitRecord(cursor_->Record(), true);
  EXPECT_EQ(GetInt(kId), *first + 2);
  // In temporary mode nothing is drawn.
  cursor_->SetTemporaryMode(true);
  cursor_->InitRecord(cursor_->Record(), true);
  EXPECT_FALSE(GetInt(kId).has_value());
}

}  // namespace
}  // namespace dvx::test
