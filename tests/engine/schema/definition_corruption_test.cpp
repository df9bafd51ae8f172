// Loading damaged stored definitions: every failure is an engine error,
// never a read outside the stream; names that a stored form cannot hold are
// refused when writing.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "engine/schema/constraint_defs.h"
#include "engine/schema/field_def.h"
#include "engine/schema/index_def.h"
#include "engine/schema/sequence_manager.h"
#include "table_test_support.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::DvxCodeOf;
using dvx::testing::DvxErrorOf;
using dvx::testing::ThrowsDvx;
using ::testing::_;

namespace dvx {
namespace {

using testing::Bytes;
using testing::SavedBytes;

template <typename T>
int32_t LoadCode(const std::vector<uint8_t>& bytes) {
  return DvxCodeOf([&] {
    TDVXMemoryStream s(bytes);
    T object;
    object.LoadFromStream(s);
  });
}

// A table's definitions of every kind, for truncation and fuzzing.
struct SampleImages {
  std::vector<uint8_t> fields, indexes, constraints, sequences;
  SampleImages() {
    TDVXFieldDefs f;
    f.Add("Id", aftAutoInc)->SetAutoincSequenceID(1);
    f.Add("Name", aftVarchar, 40)->SetDefaultValue(TDVXStoredValue::FromAnsi("n"));
    f.Add("Pic", aftGraphic);
    f.Add("Wide", aftWideChar, 3)->SetDefaultValue(TDVXStoredValue::FromWide(u"ab"));
    fields = SavedBytes(f);
    TDVXIndexDefs i;
    i.Add("PK")->AddColumn("Id");
    i.Items(0)->SetPrimary(true);
    i.Add("ByName")->AddColumn("Name", true, true);
    indexes = SavedBytes(i);
    TDVXConstraintDefs c;
    auto* pk = c.AddPrimary();
    pk->SetObjectName("PK");
    pk->SetIndexName("PK");
    pk->Columns().push_back({"Id", 1});
    c.AddNotNull()->SetFieldName("Name");
    auto* check = c.AddCheck();
    check->SetFieldName("Id");
    check->MaxValue() = TDVXStoredValue::FromInt(bftSignedInt32, 10);
    auto* fk = c.AddForeignKey();
    fk->Table() = {"Other", 0};
    fk->AddColumn("Id");
    c.AddForeignKeyAction()->Key() = {"X", 1};
    constraints = SavedBytes(c);
    TDVXSequenceDefs s;
    s.Add()->SetObjectName("S1");
    s.Add()->SetObjectName("S2");
    sequences = SavedBytes(s);
  }
};

TEST(TruncatedDefinitions, EveryShorterPrefixFailsCleanly) {
  SampleImages images;
  auto check = [](const std::vector<uint8_t>& full, auto load) {
    for (size_t n = 0; n < full.size(); ++n) {
      std::vector<uint8_t> prefix(full.begin(), full.begin() + n);
      int32_t code = load(prefix);
      EXPECT_TRUE(code == 30900 || code == 30910) << "prefix " << n << " gave " << code;
    }
    EXPECT_EQ(0, load(full));
  };
  check(images.fields, LoadCode<TDVXFieldDefs>);
  check(images.indexes, LoadCode<TDVXIndexDefs>);
  check(images.constraints, LoadCode<TDVXConstraintDefs>);
  check(images.sequences, LoadCode<TDVXSequenceDefs>);
}

TEST(CorruptDefinitions, UnknownConstraintTypeNamesTheType) {
  std::vector<uint8_t> bytes = Bytes().I32(1).U8(6).Short("X").I32(1);
  EXPECT_EQ(30316, LoadCode<TDVXConstraintDefs>(bytes));
  EXPECT_THAT([&] {
              TDVXMemoryStream s(bytes);
              TDVXConstraintDefs defs;
              defs.LoadFromStream(s);
            }, ThrowsDvx(_, "Unknown Constraint Type: '6'"));
}

TEST(CorruptDefinitions, UnknownOrMismatchedFieldTypes) {
  EXPECT_EQ(30910, LoadCode<TDVXFieldDef>(Bytes().Short("F").I32(1).U8(7).U8(36).I32(0).U8(0).U8(255)));
  EXPECT_EQ(30910, LoadCode<TDVXFieldDef>(Bytes().Short("F").I32(1).U8(7).U8(0).I32(0).U8(0).U8(255)));
  // Integer declared, CHAR storage type.
  EXPECT_EQ(30910, LoadCode<TDVXFieldDef>(Bytes().Short("F").I32(1).U8(1).U8(7).I32(0).U8(0).U8(255)));
  // A negative declared size.
  EXPECT_EQ(30007, LoadCode<TDVXFieldDef>(Bytes().Short("F").I32(1).U8(1).U8(1).I32(-4).U8(0).U8(255)));
  // A default value whose length runs past the end.
  EXPECT_EQ(30910, LoadCode<TDVXFieldDef>(Bytes().Short("F").I32(1).U8(7).U8(7).I32(0).U8(7).U8(0).I32(1000).I32(0)));
}

TEST(CorruptDefinitions, CountsBeyondTheStreamAreRefusedBeforeLooping) {
  EXPECT_EQ(30910, LoadCode<TDVXFieldDefs>(Bytes().I32(0x7FFFFFFF)));
  EXPECT_EQ(30910, LoadCode<TDVXFieldDefs>(Bytes().I32(-1)));
  EXPECT_EQ(30910, LoadCode<TDVXIndexDefs>(Bytes().I32(1000000)));
  EXPECT_EQ(30910, LoadCode<TDVXConstraintDefs>(Bytes().I32(-7)));
  EXPECT_EQ(30910, LoadCode<TDVXSequenceDefs>(Bytes().I32(2)));
  EXPECT_EQ(30910, LoadCode<TDVXIndexDef>(Bytes().Short("I").I32(1).U8(0).U8(0).U8(0).I32(0x40000000).I32(-1)));
}

TEST(CorruptDefinitions, IndexKindAndSequenceTypeMustBeKnown) {
  EXPECT_EQ(30910, LoadCode<TDVXIndexDef>(Bytes().Short("I").I32(1).U8(1).U8(0).U8(0).I32(0).I32(-1)));
  EXPECT_EQ(30910, LoadCode<TDVXSequenceDef>(Bytes().Short("S").I32(1).U8(0).I64(0).I64(0).I64(0).I64(0).U8(0)));
  EXPECT_EQ(30910, LoadCode<TDVXSequenceDef>(Bytes().Short("S").I32(1).U8(99).I64(0).I64(0).I64(0).I64(0).U8(0)));
}

TEST(CorruptDefinitions, ConstraintNameLengthsMustAgree) {
  // NotNull: the counting byte says 3, the short string has length 1.
  auto notNull = [](uint8_t count) {
    return Bytes().Short("N").I32(1).I32(0).I32(0).I32(0).U8(1).Short("").U8(1).Short("").U8(count).Short("F");
  };
  EXPECT_EQ(0, LoadCode<TDVXConstraintDefNotNull>(notNull(2)));
  EXPECT_EQ(30910, LoadCode<TDVXConstraintDefNotNull>(notNull(3)));
  EXPECT_EQ(30910, LoadCode<TDVXConstraintDefNotNull>(notNull(0)));
  // Unique: an int32 count far past the stream.
  std::vector<uint8_t> unique = Bytes().Short("U").I32(1).I32(0).I32(0).I32(0).I32(0x10000).Short("");
  EXPECT_EQ(30910, LoadCode<TDVXConstraintDefUnique>(unique));
  // Foreign key: a table name length past the end, and one above 255.
  EXPECT_EQ(30910, LoadCode<TDVXConstraintDefForeignKey>(Bytes().Short("K").I32(1).I32(200).Text("abc")));
  EXPECT_EQ(30910, LoadCode<TDVXConstraintDefForeignKey>(Bytes().Short("K").I32(1).I32(-2)));
}

TEST(CorruptDefinitions, ReferentialCodesMustBeKnown) {
  auto fk = [](uint8_t del, uint8_t upd, uint8_t match) {
    return Bytes().Short("K").I32(1).I32(0).I32(0).I32(0).I32(0).U8(del).U8(upd).U8(match).I32(0);
  };
  EXPECT_EQ(0, LoadCode<TDVXConstraintDefForeignKey>(fk(4, 4, 2)));
  EXPECT_EQ(30910, LoadCode<TDVXConstraintDefForeignKey>(fk(5, 0, 0)));
  EXPECT_EQ(30910, LoadCode<TDVXConstraintDefForeignKey>(fk(0, 9, 0)));
  EXPECT_EQ(30910, LoadCode<TDVXConstraintDefForeignKey>(fk(0, 0, 3)));
}

class LongNames : public ::testing::Test {
 protected:
  std::string name254_ = std::string(254, 'n');
  std::string name255_ = std::string(255, 'n');
  std::string name256_ = std::string(256, 'n');
};

TEST_F(LongNames, NotNullAndCheckHoldAtMost254Characters) {
  TDVXConstraintDefNotNull c;
  c.SetFieldName(name254_);
  std::vector<uint8_t> saved = SavedBytes(c);
  TDVXMemoryStream s(saved);
  TDVXConstraintDefNotNull back;
  back.LoadFromStream(s);
  EXPECT_EQ(name254_, back.FieldName());
  c.SetFieldName(name255_);
  TDVXMemoryStream out;
  EXPECT_THAT([&] { c.SaveToStream(out); }, ThrowsDvx(30911));
  EXPECT_EQ(0u, out.Size()) << "nothing written before the refusal";
  TDVXConstraintDefCheck check;
  check.Pairs()[1].name = name255_;
  EXPECT_THAT([&] { SavedBytes(check); }, ThrowsDvx(30911));
}

TEST_F(LongNames, UniqueHolds254LikeTheOtherFieldFormsAndDefinitionsRefuse256) {
  TDVXConstraintDefUnique u;
  u.SetIndexName(name254_);
  u.Columns().push_back({name254_, 1});
  std::vector<uint8_t> saved = SavedBytes(u);
  TDVXMemoryStream s(saved);
  TDVXConstraintDefUnique back;
  back.LoadFromStream(s);
  EXPECT_EQ(name254_, back.IndexName());
  EXPECT_EQ(name254_, back.Columns()[0].name);
  u.SetIndexName(name255_);
  TDVXMemoryStream out;
  EXPECT_THAT([&] { u.SaveToStream(out); }, ThrowsDvx(30911));
  EXPECT_EQ(0u, out.Size()) << "nothing written before the refusal";
  u.SetIndexName(name254_);
  u.Columns()[0].name = name255_;
  EXPECT_THAT([&] { SavedBytes(u); }, ThrowsDvx(30911));
  TDVXFieldDef f;
  f.SetDataType(aftInteger);
  f.SetObjectName(name256_);
  EXPECT_THAT([&] { SavedBytes(f); }, ThrowsDvx(30901));
  TDVXConstraintDefForeignKey fk;
  fk.Table().name = name256_;
  EXPECT_THAT([&] { SavedBytes(fk); }, ThrowsDvx(30911));
}

// Random bytes, and sample images with random bytes changed, loaded as every
// kind of definition collection: each attempt either loads or raises an
// engine error. Run under the sanitizers, this also proves that no attempt
// reads outside the stream.
TEST(DefinitionFuzz, RandomStreamsNeverCrash) {
  SampleImages images;
  std::mt19937 rng(20261209);
  std::vector<std::function<void(TDVXStream&)>> loaders = {
      [](TDVXStream& s) { TDVXFieldDefs d; d.LoadFromStream(s); },
      [](TDVXStream& s) {
        TDVXFieldDefs d;
        d.SetFormatVersion(2.0);
        d.LoadFromStream(s);
      },
      [](TDVXStream& s) { TDVXIndexDefs d; d.LoadFromStream(s); },
      [](TDVXStream& s) { TDVXConstraintDefs d; d.LoadFromStream(s); },
      [](TDVXStream& s) { TDVXSequenceDefs d; d.LoadFromStream(s); },
  };
  const std::vector<std::vector<uint8_t>*> seeds = {&images.fields, &images.fields, &images.indexes,
                                                    &images.constraints, &images.sequences};
  int loaded = 0, refused = 0;
  for (int iteration = 0; iteration < 4000; ++iteration) {
    size_t kind = iteration % loaders.size();
    std::vector<uint8_t> bytes;
    if (iteration % 2 == 0) {
      bytes.resize(rng() % 64);
      for (auto& b : bytes) b = static_cast<uint8_t>(rng());
      if (bytes.size() >= 4 && rng() % 2) bytes[0] = static_cast<uint8_t>(rng() % 4), bytes[1] = bytes[2] = bytes[3] = 0;
    } else {
      bytes = *seeds[kind];
      int flips = 1 + rng() % 4;
      for (int i = 0; i < flips; ++i) bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
      if (rng() % 4 == 0) bytes.resize(rng() % bytes.size());
    }
    TDVXMemoryStream s(bytes);
    if (DvxErrorOf([&] { loaders[kind](s); })) {
      ++refused;
    } else {
      ++loaded;
      EXPECT_LE(s.Position(), s.Size());
    }
  }
  EXPECT_GT(loaded, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace dvx
