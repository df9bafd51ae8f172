#include <gtest/gtest.h>

#include "engine/schema/sequence_manager.h"
#include "table_test_support.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::ThrowsDvx;
using ::testing::_;

namespace dvx {
namespace {

using testing::TDVXScriptedRandom;

TDVXSequenceDef Sequence(TDVXBaseFieldType type, int64_t min, int64_t max, int64_t current, int64_t increment,
                         bool cycled) {
  TDVXSequenceDef s;
  s.SetObjectName("Seq");
  s.SetSequenceType(type);
  s.SetMinValue(min);
  s.SetMaxValue(max);
  s.SetCurrentValue(current);
  s.SetIncrement(increment);
  s.SetCycled(cycled);
  return s;
}

TEST(SequenceNextValue, DefaultsStartAtOne) {
  TDVXSequenceDef s;
  EXPECT_EQ(1, s.NextValue());
  EXPECT_EQ(2, s.NextValue());
  EXPECT_EQ(2, s.CurrentValue());
}

TEST(SequenceNextValue, CycledSequenceRestartsAtItsMinimumItself) {
  TDVXSequenceDef s = Sequence(bftUnsignedInt32, 0, 3, 2, 2, true);
  EXPECT_EQ(0, s.NextValue());
  EXPECT_EQ(2, s.NextValue());
  EXPECT_EQ(0, s.NextValue());
}

TEST(SequenceNextValue, UncycledOverflowKeepsTheValue) {
  TDVXSequenceDef s = Sequence(bftSignedInt64, 0, 10, 9, 1, false);
  EXPECT_EQ(10, s.NextValue());
  EXPECT_THAT([&] { s.NextValue(); }, ThrowsDvx(30009));
  EXPECT_THAT([&] { s.NextValue(); }, ThrowsDvx(_, "Sequence 'Seq' overflow"));
  EXPECT_EQ(10, s.CurrentValue());
}

TEST(SequenceNextValue, TheFieldTypeNarrowsTheMaximum) {
  TDVXSequenceDef byte = Sequence(bftUnsignedInt8, 0, INT64_MAX, 254, 1, false);
  EXPECT_EQ(255, byte.NextValue());
  EXPECT_THAT([&] { byte.NextValue(); }, ThrowsDvx(30009));
  TDVXSequenceDef small = Sequence(bftSignedInt16, 5, INT64_MAX, 32767, 1, true);
  EXPECT_EQ(5, small.NextValue());
  TDVXSequenceDef integer = Sequence(bftSignedInt32, 0, INT64_MAX, 2147483647, 1, false);
  EXPECT_THAT([&] { integer.NextValue(); }, ThrowsDvx(30009));
  TDVXSequenceDef cardinal = Sequence(bftUnsignedInt32, 0, INT64_MAX, 4294967294LL, 1, false);
  EXPECT_EQ(4294967295LL, cardinal.NextValue());
  EXPECT_EQ(4294967295LL, cardinal.EffectiveMaxValue());
}

TEST(SequenceNextValue, SixtyFourBitAdditionOverflowIsAnOverflowNotAWrap) {
  TDVXSequenceDef s = Sequence(bftSignedInt64, 0, INT64_MAX, INT64_MAX - 1, 1, false);
  EXPECT_EQ(INT64_MAX, s.NextValue());
  EXPECT_THAT([&] { s.NextValue(); }, ThrowsDvx(30009));
  TDVXSequenceDef cycled = Sequence(bftSignedInt64, 7, INT64_MAX, INT64_MAX, 100, true);
  EXPECT_EQ(7, cycled.NextValue());
}

TEST(SequenceNextValue, DescendingSequencesStopAtTheirMinimum) {
  TDVXSequenceDef s = Sequence(bftSignedInt32, -2, 5, 0, -1, false);
  EXPECT_EQ(-1, s.NextValue());
  EXPECT_EQ(-2, s.NextValue());
  EXPECT_THAT([&] { s.NextValue(); }, ThrowsDvx(30009));
  TDVXSequenceDef cycled = Sequence(bftSignedInt32, -2, 5, -2, -1, true);
  EXPECT_EQ(5, cycled.NextValue());
  TDVXSequenceDef bottom = Sequence(bftSignedInt64, INT64_MIN, 0, INT64_MIN, -1, false);
  EXPECT_THAT([&] { bottom.NextValue(); }, ThrowsDvx(30009));
}

TEST(SequenceNextValue, MinimumAboveTheTypeRangeCannotCycle) {
  TDVXSequenceDef s = Sequence(bftUnsignedInt8, 300, 1000, 255, 1, true);
  EXPECT_THAT([&] { s.NextValue(); }, ThrowsDvx(30009));
}

TEST(SequenceNextValue, AscendingValuesBelowTheTypeStartAtTheCommonMinimumNeverAtTheMaximum) {
  TDVXSequenceDef cycled = Sequence(bftUnsignedInt32, -10, 4294967295LL, -10, 1, true);
  EXPECT_EQ(0, cycled.NextValue());
  EXPECT_EQ(1, cycled.NextValue());
  TDVXSequenceDef uncycled = Sequence(bftUnsignedInt32, -10, 4294967295LL, -10, 1, false);
  EXPECT_EQ(0, uncycled.NextValue());
  TDVXSequenceDef belowMinimum = Sequence(bftSignedInt32, 100, 200, 0, 5, false);
  EXPECT_EQ(100, belowMinimum.NextValue());
  EXPECT_EQ(105, belowMinimum.NextValue());
  // At the end of the common range: overflow, or the restart at its start.
  TDVXSequenceDef top = Sequence(bftUnsignedInt8, -10, 1000, 255, 1, true);
  EXPECT_EQ(0, top.NextValue());
  TDVXSequenceDef stop = Sequence(bftUnsignedInt8, -10, 1000, 255, 1, false);
  EXPECT_THAT([&] { stop.NextValue(); }, ThrowsDvx(30009));
  EXPECT_EQ(255, stop.CurrentValue());
}

class SequenceManager : public ::testing::Test {
 protected:
  SequenceManager() : random_({7, 7, 12}), manager_(random_) {
    TDVXSequenceDef* s = manager_.SequenceDefs().Add();
    s->SetObjectName("$S_Autoinc$T$F");
    s->SetObjectID(40);
  }
  TDVXScriptedRandom random_;
  TDVXBaseSequenceManager manager_;
  TDVXSequenceSessionValues session_;
};

TEST_F(SequenceManager, NextAndLastValuesPerSession) {
  EXPECT_EQ(1, manager_.GetNextValue(session_, 40));
  EXPECT_EQ(2, manager_.GetNextValue(session_, 40));
  EXPECT_EQ(2, manager_.GetLastValue(session_, 40));
  TDVXSequenceSessionValues other;
  EXPECT_THAT([&] { manager_.GetLastValue(other, 40); }, ThrowsDvx(_, "No SequenceLastValue in session for sequence '$S_Autoinc$T$F'. Call GetNextVal first"));
}

TEST_F(SequenceManager, UnknownIdentifiersHaveTheirOwnCodes) {
  EXPECT_THAT([&] { manager_.GetNextValue(session_, 41); }, ThrowsDvx(30010));
  EXPECT_THAT([&] { manager_.GetLastValue(session_, 41); }, ThrowsDvx(30011));
  EXPECT_THAT([&] { manager_.GetSequence(41); }, ThrowsDvx(30013));
  EXPECT_THAT([&] { manager_.GetSequence(41); }, ThrowsDvx(_, "Sequence #41 not found"));
}

TEST_F(SequenceManager, NamesRetryWithARandomNumberFromTheBase) {
  EXPECT_EQ("$S_Autoinc$T$G", manager_.MakeSequenceName(true, "G", "T"));
  EXPECT_EQ("$S_Linked$T$F", manager_.MakeSequenceName(false, "F", "T"));
  EXPECT_TRUE(random_.ranges.empty());
  manager_.SequenceDefs().Add()->SetObjectName("$S_Autoinc$T$F7");
  // 7 is taken, 7 again, then 12 is free: each attempt starts from the base.
  EXPECT_EQ("$S_Autoinc$t$f12", manager_.MakeSequenceName(true, "f", "t"));
  EXPECT_EQ((std::vector<uint32_t>{65535, 65535, 65535}), random_.ranges);
}

TEST_F(SequenceManager, SharedSequenceIsWrittenAndCountedOnce) {
  TDVXFieldDefs fields;
  fields.Add("A", aftAutoInc)->SetAutoincSequenceID(40);
  fields.Add("X", aftInteger);
  fields.Add("B", aftAutoIncWord)->SetAutoincSequenceID(40);
  TDVXMemoryStream stream;
  manager_.SaveToStream(stream, fields);
  EXPECT_EQ(4 + 1 + 14 + 4 + 1 + 32 + 1, static_cast<int>(stream.Size()));
  EXPECT_EQ(1, stream.Bytes()[0]);
  stream.SetPosition(0);
  TDVXBaseSequenceManager loaded;
  loaded.LoadFromStream(stream);
  EXPECT_EQ(1, loaded.SequenceDefs().Count());
  EXPECT_EQ(40, loaded.SequenceDefs().Items(0)->ObjectID());
}

}  // namespace
}  // namespace dvx
