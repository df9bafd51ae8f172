#include "engine/schema/table_definitions.h"

#include <gtest/gtest.h>

#include "engine/schema/table_managers.h"
#include "table_test_support.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::DvxErrorOf;
using dvx::testing::ThrowsDvx;
using ::testing::_;

namespace dvx {
namespace {

using testing::TDVXScriptedRandom;

class CreationChecks : public ::testing::Test {
 protected:
  void SetUp() override {
    fields_.Add("Id", aftInteger);
    fields_.Add("Name", aftChar, 20);
    TDVXIndexDef* pk = indexes_.Add("PK");
    pk->AddColumn("Id");
    pk->SetPrimary(true);
  }
  std::pair<int32_t, std::string> Check() {
    auto e = DvxErrorOf([&] { ValidateTableCreation("Kunden", fields_, indexes_, constraints_); });
    if (!e) return {0, ""};
    return {e->NativeError(), e->Message()};
  }
  TDVXFieldDefs fields_;
  TDVXIndexDefs indexes_;
  TDVXConstraintDefs constraints_;
};

TEST_F(CreationChecks, SoundDefinitionsPass) { EXPECT_EQ(0, Check().first); }

TEST_F(CreationChecks, NoFields) {
  fields_.Clear();
  EXPECT_EQ(std::make_pair(11429, std::string("Cannot create table 'Kunden'. No fields were defined")), Check());
}

TEST_F(CreationChecks, UnnamedField) {
  fields_.Add("", aftInteger);
  EXPECT_EQ(std::make_pair(11432, std::string("Cannot create table 'Kunden'. Unnamed fields are not allowed")),
            Check());
}

TEST_F(CreationChecks, DuplicateFieldIgnoringCase) {
  fields_.Add("NAME", aftInteger);
  EXPECT_EQ(std::make_pair(11430, std::string("Cannot create table 'Kunden'. Duplicate field name 'Name'")), Check());
}

TEST_F(CreationChecks, UnnamedIndex) {
  indexes_.Add("")->AddColumn("Id");
  EXPECT_EQ(std::make_pair(11433, std::string("Cannot create table 'Kunden'. Unnamed indexes are not allowed")),
            Check());
}

TEST_F(CreationChecks, IndexWithoutColumns) {
  indexes_.Add("Leer");
  EXPECT_EQ(std::make_pair(11434, std::string("Cannot create table 'Kunden'. No fields defined in index 'Leer'")),
            Check());
}

TEST_F(CreationChecks, DuplicateIndex) {
  indexes_.Add("pk")->AddColumn("Name");
  EXPECT_EQ(std::make_pair(11428, std::string("Cannot create table 'Kunden'. Duplicate index name 'PK'")), Check());
}

TEST_F(CreationChecks, SecondPrimaryIndexIsReportedAfterTheList) {
  TDVXIndexDef* second = indexes_.Add("Second");
  second->AddColumn("Name");
  second->SetPrimary(true);
  indexes_.Add("Third");  // no columns: found while walking, so reported first
  EXPECT_EQ(11434, Check().first);
  indexes_.Delete(2);
  EXPECT_EQ(std::make_pair(11427, std::string("Cannot create table 'Kunden'. Error in indexes definition - multiple "
                                              "primary indexes are not allowed")),
            Check());
}

TEST_F(CreationChecks, DuplicateNamedConstraintsButNotUnnamedOnes) {
  constraints_.AddNotNull()->SetFieldName("Id");
  constraints_.AddNotNull()->SetFieldName("Id");
  EXPECT_EQ(0, Check().first);
  constraints_.AddCheck()->SetObjectName("C1");
  constraints_.AddNotNull()->SetObjectName("c1");
  EXPECT_EQ(std::make_pair(11431, std::string("Cannot create table 'Kunden'. Duplicate constraint name 'C1'")),
            Check());
}

TEST_F(CreationChecks, BlobBlockSizeMustBePositive) {
  TDVXFieldDef* memo = fields_.Add("Text", aftMemo);
  memo->SetBlobBlockSize(0);
  EXPECT_EQ(std::make_pair(10421, std::string("BLOB block size should be > 0 for field Text")), Check());
  memo->SetBlobBlockSize(-1);
  EXPECT_EQ(10421, Check().first);
  // A variable string's block size is not checked.
  memo->SetBlobBlockSize(1);
  fields_.Add("V", aftVarchar, 10)->SetBlobBlockSize(0);
  EXPECT_EQ(0, Check().first);
}

class TableSetUp : public ::testing::Test {
 protected:
  TableSetUp() : random_({5, 5, 9, 1234}), sequences_(random_) {}
  TDVXScriptedRandom random_;
  TDVXSequenceDef counter_;
  TDVXBaseSequenceManager sequences_;
  TDVXFieldDefs fields_;
  TDVXIndexDefs indexes_;
  TDVXConstraintDefs constraints_;
};

TEST_F(TableSetUp, IdentifiersComeFromTheCounterInOrder) {
  fields_.Add("A", aftInteger);
  fields_.Add("B", aftInteger);
  indexes_.Add("I")->AddColumn("A");
  AssignObjectIDs(fields_, counter_);
  AssignObjectIDs(indexes_, counter_);
  EXPECT_EQ(1, fields_.Items(0)->ObjectID());
  EXPECT_EQ(2, fields_.Items(1)->ObjectID());
  EXPECT_EQ(3, indexes_.Items(0)->ObjectID());
  EXPECT_EQ(2, fields_.FindByID(3) + 3);  // -1: no field has identifier 3
  EXPECT_EQ(fields_.Items(1), fields_.GetByID(2));
}

TEST_F(TableSetUp, CounterBeyondInt32IsRefused) {
  counter_.SetCurrentValue(INT32_MAX);
  EXPECT_THAT([&] { DrawObjectID(counter_); }, ThrowsDvx(30009));
}

TEST_F(TableSetUp, AutoincFieldsGetTheirSequences) {
  fields_.Add("Name", aftChar, 4);
  TDVXFieldDef* id = fields_.Add("Id", aftAutoIncSmallInt);
  id->SetAutoincInitialValue(10);
  id->SetAutoincIncrement(5);
  id->SetAutoincMaxValue(100);
  id->SetAutoincCycled(true);
  fields_.Add("Nr", aftAutoIncLargeInt);
  counter_.SetCurrentValue(50);
  CreateAutoincSequences("T", fields_, sequences_, counter_);
  ASSERT_EQ(2, sequences_.SequenceDefs().Count());
  TDVXSequenceDef* s = sequences_.SequenceDefs().Items(0);
  EXPECT_EQ("$S_Autoinc$T$Id", s->ObjectName());
  EXPECT_EQ(51, s->ObjectID());
  EXPECT_EQ(51, id->AutoincSequenceID());
  EXPECT_EQ(bftSignedInt16, s->SequenceType());
  EXPECT_EQ(10, s->CurrentValue());
  EXPECT_EQ(5, s->Increment());
  EXPECT_EQ(100, s->MaxValue());
  EXPECT_TRUE(s->Cycled());
  EXPECT_EQ("$S_Autoinc$T$Nr", sequences_.SequenceDefs().Items(1)->ObjectName());
  EXPECT_EQ(bftSignedInt64, sequences_.SequenceDefs().Items(1)->SequenceType());
  EXPECT_EQ(-1, fields_.Items(0)->AutoincSequenceID());
}

TEST_F(TableSetUp, UnnamedConstraintsGetGeneratedNames) {
  constraints_.AddNotNull()->SetFieldName("F");
  constraints_.AddNotNull()->SetFieldName("F");
  auto* check = constraints_.AddCheck();
  check->SetFieldName("G");
  check->Pairs()[1].name = "P2";
  constraints_.AddForeignKey();
  constraints_.AddCheck()->SetObjectName("$C_NotNull$$F5");
  NameConstraints(constraints_, random_);
  EXPECT_EQ("$C_NotNull$$F", constraints_.Items(0)->ObjectName());
  // The script draws 5 (taken), 5 again (taken), then 9; every attempt
  // starts again from the base name.
  EXPECT_EQ("$C_NotNull$$F9", constraints_.Items(1)->ObjectName());
  EXPECT_EQ("$C_Check$P2$G", constraints_.Items(2)->ObjectName());
  EXPECT_EQ("$FOREIGN_KEY_1234", constraints_.Items(3)->ObjectName());
  EXPECT_EQ((std::vector<uint32_t>{65535, 65535, 65535, 2147483647}), random_.ranges);
}

TEST_F(TableSetUp, UnnamedUniqueConstraintsCannotBeNamed) {
  constraints_.AddUnique();
  EXPECT_THAT([&] { NameConstraints(constraints_, random_); }, ThrowsDvx(30038));
}

TEST_F(TableSetUp, GeneratedNamesFitTheStoredForm) {
  std::string longName(300, 'x');
  constraints_.AddNotNull()->SetFieldName(longName);
  constraints_.AddNotNull()->SetFieldName(longName);
  NameConstraints(constraints_, random_);
  EXPECT_EQ(255u, constraints_.Items(0)->ObjectName().size());
  EXPECT_EQ(255u, constraints_.Items(1)->ObjectName().size());
  EXPECT_NE(constraints_.Items(0)->ObjectName(), constraints_.Items(1)->ObjectName());
}

TEST_F(TableSetUp, ReferencesResolveToIdentifiers) {
  fields_.Add("Id", aftInteger)->SetObjectID(1);
  fields_.Add("Name", aftChar, 5)->SetObjectID(2);
  TDVXIndexDef* pk = indexes_.Add("PK");
  pk->AddColumn("ID");
  pk->SetPrimary(true);
  pk->SetObjectID(3);
  TDVXIndexDef* unique = indexes_.Add("UName");
  unique->AddColumn("Name");
  unique->SetUnique(true);
  unique->SetObjectID(4);
  indexes_.Add("Plain")->AddColumn("Name");
  CreateUniqueConstraintsFromIndexes(indexes_, constraints_);
  constraints_.AddNotNull()->SetFieldName("name");
  constraints_.AddForeignKey()->AddColumn("Id");
  ResolveConstraintReferences(constraints_, fields_, indexes_);
  ASSERT_EQ(4, constraints_.Count());
  auto* p = dynamic_cast<TDVXConstraintDefPrimary*>(constraints_.Items(0));
  ASSERT_NE(nullptr, p);
  EXPECT_EQ("PK", p->ObjectName());
  EXPECT_EQ(3, p->Pairs()[2].id);
  EXPECT_EQ(1, p->Columns()[0].id);
  auto* u = dynamic_cast<TDVXConstraintDefUnique*>(constraints_.Items(1));
  EXPECT_EQ(ctUnique, u->ConstraintType());
  EXPECT_EQ(2, u->Columns()[0].id);
  EXPECT_EQ(2, static_cast<TDVXConstraintDefNotNull*>(constraints_.Items(2))->FieldID());
  EXPECT_EQ(1, static_cast<TDVXConstraintDefForeignKey*>(constraints_.Items(3))->Columns()[0].id);
}

TEST_F(TableSetUp, MissingReferencesHaveTheirOwnCodes) {
  fields_.Add("Id", aftInteger);
  auto resolve = [this] { ResolveConstraintReferences(constraints_, fields_, indexes_); };
  auto* p = constraints_.AddPrimary();
  p->SetIndexName("Gone");
  EXPECT_THAT(resolve, ThrowsDvx(30325));
  EXPECT_THAT(resolve, ThrowsDvx(_, "Index 'Gone' not found"));
  indexes_.Add("Gone")->AddColumn("Id");
  p->Columns().push_back({"Nope", -1});
  EXPECT_THAT(resolve, ThrowsDvx(30331));
  constraints_.Clear();
  constraints_.AddUnique()->SetIndexName("Other");
  EXPECT_THAT(resolve, ThrowsDvx(30326));
  constraints_.Clear();
  auto* u = constraints_.AddUnique();
  u->SetIndexName("Gone");
  u->Columns().push_back({"Nope", -1});
  EXPECT_THAT(resolve, ThrowsDvx(30332));
  constraints_.Clear();
  constraints_.AddForeignKey()->AddColumn("Nope");
  EXPECT_THAT(resolve, ThrowsDvx(11419));
  constraints_.Clear();
  constraints_.AddCheck()->SetFieldName("Nope");
  EXPECT_THAT(resolve, ThrowsDvx(30027));
  EXPECT_THAT(resolve, ThrowsDvx(_, "Field 'Nope' not found"));
  constraints_.Clear();
  constraints_.AddForeignKeyAction()->AddColumn("Nope");
  EXPECT_NO_THROW(resolve());
}

TEST_F(TableSetUp, UniqueIndexAddedLaterGetsAResolvedConstraint) {
  fields_.Add("Id", aftInteger)->SetObjectID(8);
  TDVXIndexDef* index = indexes_.Add("U");
  index->AddColumn("Id");
  index->SetUnique(true);
  index->SetObjectID(9);
  counter_.SetCurrentValue(20);
  TDVXConstraintDefUnique* u = AddIndexConstraint(*index, constraints_, fields_, indexes_, counter_);
  ASSERT_NE(nullptr, u);
  EXPECT_EQ(21, u->ObjectID());
  EXPECT_EQ(9, u->Pairs()[2].id);
  EXPECT_EQ(8, u->Columns()[0].id);
  TDVXIndexDef* plain = indexes_.Add("P");
  plain->AddColumn("Id");
  EXPECT_EQ(nullptr, AddIndexConstraint(*plain, constraints_, fields_, indexes_, counter_));
}

TEST_F(TableSetUp, ForeignKeyActionPointsBack) {
  TDVXConstraintDefForeignKey fk;
  fk.SetObjectName("FK_Order");
  fk.SetObjectID(70);
  fk.SetDeleteAction(raCascade);
  fk.SetUpdateAction(raSetNull);
  fk.SetMatchType(mtPartial);
  fk.AddColumn("CustomerId");
  fk.Columns()[0].id = 5;
  TDVXConstraintDefs referenced;
  auto* first = CreateForeignKeyAction(referenced, fk, "Orders", counter_, random_);
  EXPECT_EQ("FK_Order_Action", first->ObjectName());
  EXPECT_EQ(1, first->ObjectID());
  EXPECT_EQ((TDVXNamedRef{"Orders", -1}), first->Table());
  EXPECT_EQ((TDVXNamedRef{"FK_Order", 70}), first->Key());
  EXPECT_EQ(raCascade, first->DeleteAction());
  EXPECT_EQ(raSetNull, first->UpdateAction());
  EXPECT_EQ(mtPartial, first->MatchType());
  EXPECT_EQ(fk.Columns(), first->Columns());
  auto* second = CreateForeignKeyAction(referenced, fk, "Orders", counter_, random_);
  EXPECT_EQ("FK_Order_Action_5", second->ObjectName());
  EXPECT_TRUE(referenced.HasForeignKeyActions());
  EXPECT_TRUE(referenced.HasDeleteActions());
}

class IndexLookup : public ::testing::Test {
 protected:
  void SetUp() override {
    TDVXIndexDef* a = indexes_.Add("ByA");
    a->AddColumn("A");
    a->SetObjectID(1);
    TDVXIndexDef* ab = indexes_.Add("ByADescNoCase");
    ab->AddColumn("A", true, true);
    ab->AddColumn("B");
    ab->SetObjectID(2);
    ab->SetPrimary(true);
  }
  TDVXIndexDefs indexes_;
};

TEST_F(IndexLookup, DirectionAndCaseWordsSelect) {
  EXPECT_EQ(1, indexes_.FindByColumns({"a"}, {""}, {""}));
  EXPECT_EQ(2, indexes_.FindByColumns({"A"}, {"DESC"}, {"NO_CASE"}));
  EXPECT_EQ(1, indexes_.FindByColumns({"A"}, {"ASC"}, {"CASE"}));
  EXPECT_EQ(-1, indexes_.FindByColumns({"A"}, {"DESC"}, {"CASE"}));
  EXPECT_EQ(2, indexes_.FindByColumns({"A", "B"}, {"", "ASC"}, {"", ""}));
  EXPECT_EQ(-1, indexes_.FindByColumns({"B"}, {""}, {""}));
  EXPECT_EQ(-1, indexes_.FindByColumns({"A", "B", "C"}, {"", "", ""}, {"", "", ""}));
}

TEST_F(IndexLookup, ListsOfDifferentLengths) {
  EXPECT_THAT([&] { indexes_.FindByColumns({"A"}, {}, {""}); }, ThrowsDvx(10276));
  EXPECT_THAT([&] { indexes_.FindByColumns({"A"}, {"", ""}, {""}); }, ThrowsDvx(_, "Error - different lists length. L1 = 1, L2 = 2"));
  EXPECT_THAT([&] { indexes_.FindByColumns({"A"}, {""}, {}); }, ThrowsDvx(10277));
}

TEST_F(IndexLookup, PrimaryAndReplacement) {
  EXPECT_EQ(indexes_.Items(1), indexes_.FindPrimary());
  auto replacement = std::make_unique<TDVXIndexDef>();
  replacement->SetObjectName("New");
  indexes_.SetItem(1, std::move(replacement));
  EXPECT_EQ(nullptr, indexes_.FindPrimary());
  EXPECT_EQ(1, indexes_.FindByName("NEW"));
}

TEST(Collections, AssignRefusesDuplicateNamesWithTheFieldMessage) {
  TDVXIndexDefs source;
  source.Add("X")->AddColumn("A");
  source.Add("x")->AddColumn("B");
  TDVXIndexDefs target;
  EXPECT_THAT([&] { target.Assign(source); }, ThrowsDvx(_, "Duplicate field name x"));
  EXPECT_THAT([&] { target.Assign(source); }, ThrowsDvx(10424));
}

TEST(Collections, AssignCopiesEveryKind) {
  TDVXConstraintDefs source;
  source.AddCheck()->MaxValue() = TDVXStoredValue::FromInt(bftSignedInt32, 3);
  source.AddForeignKey()->SetObjectName("FK");
  TDVXConstraintDefs target;
  target.Assign(source);
  ASSERT_EQ(2, target.Count());
  EXPECT_EQ(testing::SavedBytes(source), testing::SavedBytes(target));
  EXPECT_TRUE(target.HasForeignKeys());
  EXPECT_NE(source.Items(0), target.Items(0));
}

TEST(Collections, ConstraintCollectionCreatesOnlyTypedItems) {
  TDVXConstraintDefs defs;
  EXPECT_THAT([&] { defs.InternalAddCreated(); }, ThrowsDvx(_, "The method 'InternalAddCreated' not overrided in class 'TDVXConstraintDefs'"));
  EXPECT_THAT([&] { defs.InternalAddCreated(); }, ThrowsDvx(30339));
  EXPECT_THAT([&] { defs.AddOfType(6); }, ThrowsDvx(30035));
}

TEST(Collections, InsertMoveDeleteKeepOrder) {
  TDVXSequenceDefs defs;
  for (const char* n : {"A", "B", "C"}) defs.Add()->SetObjectName(n);
  defs.Move(0, 2);
  auto names = [&] {
    std::string s;
    for (int i = 0; i < defs.Count(); ++i) s += defs.Item(i)->ObjectName();
    return s;
  };
  EXPECT_EQ("BCA", names());
  auto d = std::make_unique<TDVXSequenceDef>();
  d->SetObjectName("D");
  defs.Insert(1, std::move(d));
  EXPECT_EQ("BDCA", names());
  defs.Delete(0);
  EXPECT_EQ("DCA", names());
  EXPECT_THAT([&] { defs.Delete(3); }, ThrowsDvx(30914));
  EXPECT_EQ(nullptr, defs.GetByName("b"));
}

TEST(DataTypes, UnknownDeclaredTypeIsUnsupported) {
  TDVXFieldDef f;
  EXPECT_THAT([&] { f.SetDataType(40); }, ThrowsDvx(_, "Unsuported data type 'Unknown'"));
  EXPECT_THAT([&] { f.SetDataType(0); }, ThrowsDvx(30007));
}

class TableStreams : public ::testing::Test {
 protected:
  TableStreams() : fields_(sequences_) {}
  TDVXBaseSequenceManager sequences_;
  TDVXBaseFieldManager fields_;
  TDVXBaseConstraintManager constraints_;
  TDVXBaseIndexManager indexes_;
};

TEST_F(TableStreams, MetadataStreamRoundTripsAndReportsBlobs) {
  fields_.FieldDefs().Add("Id", aftInteger);
  fields_.FieldDefs().Add("Pic", aftGraphic);
  constraints_.ConstraintDefs().AddNotNull()->SetFieldName("Id");
  TDVXMemoryStream stream;
  SaveTableMetadataStream(stream, fields_, constraints_);
  stream.SetPosition(0);
  TDVXBaseSequenceManager otherSequences;
  TDVXBaseFieldManager loadedFields(otherSequences);
  TDVXBaseConstraintManager loadedConstraints;
  EXPECT_TRUE(LoadTableMetadataStream(stream, loadedFields, loadedConstraints));
  EXPECT_EQ(stream.Size(), stream.Position());
  EXPECT_EQ(2, loadedFields.FieldDefs().Count());
  EXPECT_EQ(1 + 4, loadedFields.FieldDefs().Items(1)->MemoryOffset());
  EXPECT_EQ(1, loadedConstraints.ConstraintDefs().Count());
}

TEST_F(TableStreams, MostUpdatedStreamKeepsTheTemporaryIndexesInMemory) {
  TDVXFieldDef* id = fields_.FieldDefs().Add("Id", aftAutoInc);
  TDVXSequenceDef* s = sequences_.SequenceDefs().Add();
  s->SetObjectID(5);
  s->SetCurrentValue(41);
  id->SetAutoincSequenceID(5);
  indexes_.IndexDefs().Add("PK")->AddColumn("Id");
  TDVXIndexDef* sort = indexes_.IndexDefs().Add("$Sort");
  sort->AddColumn("Id", true);
  sort->SetTemporary(true);
  TDVXMemoryStream stream;
  SaveMostUpdatedStream(stream, sequences_, fields_.FieldDefs(), indexes_);
  s->SetCurrentValue(0);
  indexes_.IndexDefs().Items(0)->SetRootPageNo(99);
  stream.SetPosition(0);
  LoadMostUpdatedStream(stream, sequences_, indexes_);
  EXPECT_EQ(41, sequences_.GetSequence(5).CurrentValue());
  ASSERT_EQ(2, indexes_.IndexDefs().Count());
  EXPECT_EQ(-1, indexes_.IndexDefs().Items(0)->RootPageNo());
  EXPECT_EQ("$Sort", indexes_.IndexDefs().Items(1)->ObjectName());
  EXPECT_TRUE(indexes_.IndexDefs().Items(1)->Temporary());
}

}  // namespace
}  // namespace dvx

namespace dvx {
namespace {

TEST(Collections, AssigningAcrossKindsIsAnEngineError) {
  TDVXIndexDefs indexes;
  indexes.Add("I")->AddColumn("A");
  TDVXFieldDefs fields;
  EXPECT_THAT([&] { fields.Assign(indexes); }, ThrowsDvx(30910));
  TDVXConstraintDefNotNull notNull;
  TDVXConstraintDefCheck check;
  EXPECT_THAT([&] { notNull.Assign(check); }, ThrowsDvx(30910));
  TDVXConstraintDefPrimary primary;
  TDVXConstraintDefUnique unique;
  EXPECT_THAT([&] { unique.Assign(primary); }, ThrowsDvx(30910));
}

}  // namespace
}  // namespace dvx
