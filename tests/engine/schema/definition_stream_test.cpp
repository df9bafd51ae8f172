// Stored forms of table definitions, byte for byte, and their round trips.
#include <gtest/gtest.h>

#include "engine/schema/constraint_defs.h"
#include "engine/schema/field_def.h"
#include "engine/schema/index_def.h"
#include "engine/schema/sequence_def.h"
#include "table_test_support.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::ThrowsDvx;

namespace dvx {
namespace {

using testing::Bytes;
using testing::SavedBytes;

template <typename T>
T Loaded(const std::vector<uint8_t>& bytes) {
  TDVXMemoryStream s(bytes);
  T object;
  object.LoadFromStream(s);
  EXPECT_EQ(s.Size(), s.Position()) << "stream not read to its end";
  return object;
}

TEST(FieldDefForm, IntegerWithNullDefault) {
  TDVXFieldDef f;
  f.SetObjectName("ID");
  f.SetObjectID(5);
  f.SetDataType(aftInteger);
  EXPECT_EQ(Bytes().Short("ID").I32(5).U8(7).U8(7).I32(0).U8(0).U8(255).data(), SavedBytes(f));
}

TEST(FieldDefForm, CharWithDefault) {
  TDVXFieldDef f;
  f.SetObjectName("Name");
  f.SetObjectID(6);
  f.SetDataType(aftChar, 30);
  f.SetDefaultValue(TDVXStoredValue::FromAnsi("x"));
  std::vector<uint8_t> expected = Bytes().Short("Name").I32(6).U8(1).U8(1).I32(30).U8(1).U8(0).I32(2).Text("x").U8(0);
  EXPECT_EQ(expected, SavedBytes(f));
  TDVXFieldDef back = Loaded<TDVXFieldDef>(expected);
  EXPECT_EQ("x", back.DefaultValue().Value().GetAsString());
  EXPECT_EQ(31, back.MemoryDataSize());
}

TEST(FieldDefForm, VarcharCarriesBlobAttributesFromVersion2099) {
  TDVXFieldDef f;
  f.SetObjectName("V");
  f.SetObjectID(1);
  f.SetDataType(aftVarchar, 20);
  f.SetBlobCompressionAlgorithm(1);
  f.SetBlobCompressionMode(6);
  std::vector<uint8_t> v42 = Bytes().Short("V").I32(1).U8(3).U8(2).I32(20).U8(1).U8(6).I32(102400).U8(0).U8(255);
  std::vector<uint8_t> v20 = Bytes().Short("V").I32(1).U8(3).U8(2).I32(20).U8(0).U8(255);
  EXPECT_EQ(v42, SavedBytes(f));
  f.SetFormatVersion(2.0);
  EXPECT_EQ(v20, SavedBytes(f));
  f.SetFormatVersion(2.099);
  EXPECT_EQ(v42, SavedBytes(f));
}

TEST(FieldDefForm, CollectionHandsItsVersionToItsItems) {
  TDVXFieldDefs defs;
  defs.SetFormatVersion(2.0);
  defs.Add("V", aftWideVarchar, 5)->SetObjectID(3);
  std::vector<uint8_t> expected = Bytes().I32(1).Short("V").I32(3).U8(4).U8(4).I32(5).U8(0).U8(255);
  EXPECT_EQ(expected, SavedBytes(defs));
  TDVXFieldDefs back;
  back.SetFormatVersion(2.0);
  TDVXMemoryStream s(expected);
  back.LoadFromStream(s);
  EXPECT_EQ(s.Size(), s.Position());
  EXPECT_EQ(12, back.Items(0)->MemoryDataSize());
  // Read with the other version, the same bytes do not parse.
  TDVXFieldDefs other;
  TDVXMemoryStream again(expected);
  EXPECT_THAT([&] { other.LoadFromStream(again); }, ThrowsDvx());
}

TEST(FieldDefForm, MemoAlwaysHasBlobAttributes) {
  TDVXFieldDef f;
  f.SetObjectName("M");
  f.SetObjectID(2);
  f.SetDataType(aftFormattedMemo);
  f.SetFormatVersion(1.0);
  f.SetBlobBlockSize(4096);
  EXPECT_EQ(Bytes().Short("M").I32(2).U8(19).U8(34).I32(0).U8(0).U8(0).I32(4096).U8(0).U8(255).data(), SavedBytes(f));
}

TEST(FieldDefForm, AutoincFieldStoresItsSequenceSettingsAndNoDefault) {
  TDVXFieldDefs defs;
  TDVXFieldDef* f = defs.Add("Nr", aftAutoInc);
  f->SetObjectID(9);
  f->SetAutoincSequenceID(12);
  f->SetAutoincIncrement(2);
  f->SetAutoincInitialValue(100);
  f->SetAutoincMinValue(-5);
  f->SetAutoincCycled(true);
  f->SetDefaultValue(TDVXStoredValue::FromInt(bftSignedInt32, 4));
  std::vector<uint8_t> expected = Bytes()
                                      .I32(1)
                                      .Short("Nr")
                                      .I32(9)
                                      .U8(7)
                                      .U8(12)
                                      .I32(0)
                                      .I32(12)
                                      .I64(2)
                                      .I64(100)
                                      .I64(-5)
                                      .I64(INT64_MAX)
                                      .U8(1);
  EXPECT_EQ(expected, SavedBytes(defs));
  TDVXMemoryStream s(expected);
  TDVXFieldDefs back;
  back.LoadFromStream(s);
  EXPECT_TRUE(back.Items(0)->DefaultValue().IsNull());
  EXPECT_EQ(12, back.Items(0)->AutoincSequenceID());
  EXPECT_EQ(-5, back.Items(0)->AutoincMinValue());
  EXPECT_TRUE(back.Items(0)->AutoincCycled());
  EXPECT_TRUE(back.HasAutoincFields());
  EXPECT_EQ(1, back.Items(0)->MemoryOffset());
  EXPECT_EQ(5, back.RecordSize());
}

TEST(IndexDefForm, ImageAndRoundTrip) {
  TDVXIndexDef index;
  index.SetObjectName("ByName");
  index.SetObjectID(7);
  index.SetUnique(true);
  index.SetRootPageNo(42);
  index.AddColumn("Name", true, false);
  index.AddColumn("Nr", false, true);
  std::vector<uint8_t> expected = Bytes()
                                      .Short("ByName")
                                      .I32(7)
                                      .U8(0)
                                      .U8(1)
                                      .U8(0)
                                      .I32(2)
                                      .I32(42)
                                      .Short("Name")
                                      .U8(1)
                                      .U8(0)
                                      .Short("Nr")
                                      .U8(0)
                                      .U8(1);
  EXPECT_EQ(expected, SavedBytes(index));
  index.SetTemporary(true);
  TDVXIndexDef back = Loaded<TDVXIndexDef>(expected);
  EXPECT_FALSE(back.Temporary());
  EXPECT_EQ(index.Columns(), back.Columns());
  EXPECT_EQ(42, back.RootPageNo());
  EXPECT_TRUE(back.Unique());
}

TEST(IndexDefForm, TemporaryIndexesAreNotSaved) {
  TDVXIndexDefs defs;
  for (const char* name : {"A", "T", "B"}) {
    TDVXIndexDef* index = defs.Add(name);
    index->AddColumn("F");
    index->SetObjectID(name[0]);
  }
  defs.Items(1)->SetTemporary(true);
  std::vector<uint8_t> saved = SavedBytes(defs);
  EXPECT_EQ(Bytes().I32(2).data(), std::vector<uint8_t>(saved.begin(), saved.begin() + 4));
  TDVXMemoryStream s(saved);
  TDVXIndexDefs back;
  back.LoadFromStream(s);
  ASSERT_EQ(2, back.Count());
  EXPECT_EQ("A", back.Items(0)->ObjectName());
  EXPECT_EQ("B", back.Items(1)->ObjectName());
}

TEST(SequenceDefForm, ImageAndRoundTrip) {
  TDVXSequenceDef s;
  s.SetObjectName("S");
  s.SetObjectID(3);
  s.SetSequenceType(bftSignedInt64);
  s.SetMinValue(-1);
  s.SetMaxValue(1000);
  s.SetCurrentValue(17);
  s.SetIncrement(-3);
  s.SetCycled(false);
  std::vector<uint8_t> expected = Bytes().Short("S").I32(3).U8(8).I64(-1).I64(1000).I64(17).I64(-3).U8(0);
  EXPECT_EQ(expected, SavedBytes(s));
  TDVXSequenceDef back = Loaded<TDVXSequenceDef>(expected);
  EXPECT_EQ(SavedBytes(s), SavedBytes(back));
}

class ConstraintForms : public ::testing::Test {
 protected:
  std::vector<uint8_t> RoundTrip(const TDVXConstraintDefs& defs) {
    std::vector<uint8_t> saved = SavedBytes(defs);
    TDVXMemoryStream s(saved);
    TDVXConstraintDefs back;
    back.LoadFromStream(s);
    EXPECT_EQ(s.Size(), s.Position());
    return SavedBytes(back);
  }
  TDVXConstraintDefs defs_;
};

TEST_F(ConstraintForms, NotNull) {
  TDVXConstraintDefNotNull* c = defs_.AddNotNull();
  c->SetObjectName("NN");
  c->SetObjectID(4);
  c->SetFieldName("Name");
  c->Pairs()[2].id = 11;
  std::vector<uint8_t> expected = Bytes()
                                      .I32(1)
                                      .U8(3)
                                      .Short("NN")
                                      .I32(4)
                                      .I32(0)
                                      .I32(0)
                                      .I32(11)
                                      .U8(1)
                                      .Short("")
                                      .U8(1)
                                      .Short("")
                                      .U8(5)
                                      .Short("Name");
  EXPECT_EQ(expected, SavedBytes(defs_));
  EXPECT_EQ(expected, RoundTrip(defs_));
}

TEST_F(ConstraintForms, CheckWithBounds) {
  TDVXConstraintDefCheck* c = defs_.AddCheck();
  c->SetObjectName("C");
  c->SetObjectID(2);
  c->SetFieldName("Age");
  c->Pairs()[2].id = 8;
  c->MinValue() = TDVXStoredValue::FromInt(bftSignedInt16, 1);
  std::vector<uint8_t> expected = Bytes()
                                      .I32(1)
                                      .U8(4)
                                      .Short("C")
                                      .I32(2)
                                      .I32(0)
                                      .I32(0)
                                      .I32(8)
                                      .U8(1)
                                      .Short("")
                                      .U8(1)
                                      .Short("")
                                      .U8(4)
                                      .Short("Age")
                                      .U8(6)
                                      .U8(0)
                                      .I32(2)
                                      .U8(1)
                                      .U8(0)
                                      .U8(0)
                                      .U8(255);
  EXPECT_EQ(expected, SavedBytes(defs_));
  EXPECT_EQ(expected, RoundTrip(defs_));
}

TEST_F(ConstraintForms, PrimaryAndUnique) {
  TDVXConstraintDefPrimary* p = defs_.AddPrimary();
  p->SetObjectName("PK");
  p->SetObjectID(1);
  p->SetIndexName("PK");
  p->Pairs()[2].id = 20;
  p->Columns().push_back({"Id", 30});
  std::vector<uint8_t> expected = Bytes()
                                      .I32(1)
                                      .U8(0)
                                      .Short("PK")
                                      .I32(1)
                                      .I32(0)
                                      .I32(0)
                                      .I32(20)
                                      .I32(1)
                                      .Short("")
                                      .I32(1)
                                      .Short("")
                                      .I32(3)
                                      .Short("PK")
                                      .I32(1)
                                      .I32(30)
                                      .I32(3)
                                      .Short("Id");
  EXPECT_EQ(expected, SavedBytes(defs_));
  EXPECT_EQ(expected, RoundTrip(defs_));
  defs_.AddUnique()->SetObjectName("U");
  std::vector<uint8_t> two = RoundTrip(defs_);
  EXPECT_EQ(2, two[0]);
  TDVXMemoryStream s(two);
  TDVXConstraintDefs back;
  back.LoadFromStream(s);
  EXPECT_EQ(ctPrimaryKey, back.Items(0)->ConstraintType());
  EXPECT_EQ(ctUnique, back.Items(1)->ConstraintType());
  EXPECT_NE(nullptr, dynamic_cast<TDVXConstraintDefPrimary*>(back.Items(0)));
}

TEST_F(ConstraintForms, ForeignKeyAndAction) {
  TDVXConstraintDefForeignKey* fk = defs_.AddForeignKey();
  fk->SetObjectName("FK");
  fk->SetObjectID(3);
  fk->Table() = {"Parent", 0};
  fk->Key() = {"FK_Action", 9};
  fk->SetDeleteAction(raCascade);
  fk->SetUpdateAction(raNoAction);
  fk->SetMatchType(mtFull);
  fk->AddColumn("ParentId");
  std::vector<uint8_t> expected = Bytes()
                                      .I32(1)
                                      .U8(1)
                                      .Short("FK")
                                      .I32(3)
                                      .I32(6)
                                      .Text("Parent")
                                      .I32(0)
                                      .I32(9)
                                      .Text("FK_Action")
                                      .I32(9)
                                      .U8(1)
                                      .U8(4)
                                      .U8(1)
                                      .I32(1)
                                      .I32(-1)
                                      .I32(8)
                                      .Text("ParentId");
  EXPECT_EQ(expected, SavedBytes(defs_));
  EXPECT_EQ(expected, RoundTrip(defs_));
  EXPECT_TRUE(defs_.HasForeignKeys());
  EXPECT_FALSE(defs_.HasForeignKeyActions());
}

TEST_F(ConstraintForms, LoadingRestoresTheSummaryFlags) {
  auto* action = defs_.AddForeignKeyAction();
  action->SetObjectName("A");
  action->SetDeleteAction(raNoAction);
  action->SetUpdateAction(raSetNull);
  std::vector<uint8_t> saved = SavedBytes(defs_);
  TDVXMemoryStream s(saved);
  TDVXConstraintDefs back;
  back.LoadFromStream(s);
  EXPECT_TRUE(back.HasForeignKeyActions());
  EXPECT_FALSE(back.HasForeignKeys());
  EXPECT_TRUE(back.HasUpdateActions());
  EXPECT_FALSE(back.HasDeleteActions());
  back.Delete(0);
  EXPECT_FALSE(back.HasForeignKeyActions());
}

}  // namespace
}  // namespace dvx
