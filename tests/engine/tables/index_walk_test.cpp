// A cursor stepping through an index continues from the entry it stands on
// without searching the tree again while nothing moved; whatever happens
// between two steps (records inserted, deleted or given another key through
// another cursor, another session's rolled-back transaction, a key edited
// in the cursor's own buffer) the step lands where a search from the
// buffer's key and record ID would. Checked against a model of the index
// over small pages, so steps cross leaves often.
#include <map>
#include <random>

#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

class IndexWalkTest : public TTableFixture {
 protected:
  using TModel = std::map<int32_t, TDVXRecordID>;  // Code → record

  // Where a step from (code, id) lands: past the entry when it is still
  // there, else on the first entry not below the code (forward) or the
  // last not above it (backward).
  static const TModel::value_type* Expected(const TModel& model, int32_t code, const TDVXRecordID& id,
                                            bool forward) {
    auto at = model.find(code);
    const bool present = at != model.end() && at->second == id;
    if (forward) {
      auto next = present ? std::next(at) : model.lower_bound(code);
      return next == model.end() ? nullptr : &*next;
    }
    auto bound = present ? at : model.upper_bound(code);
    if (bound == model.begin()) return nullptr;
    return &*std::prev(bound);
  }
};

TEST_F(IndexWalkTest, StepsAgreeWithASearchWhateverChangedBetweenThem) {
  CreateDatabase(1024);
  CreateRemedies();
  TDVXLocalCursor& walker = OpenCursor();
  TDVXLocalCursor writer(*session_, kTable);
  writer.Open();
  auto insert = [&](int32_t code) {
    writer.NewRecord();
    SetInt(writer.Record(), kCode, code);
    SetText(writer.Record(), kName, "n" + std::to_string(code));
    const TDVXCursorResult result = writer.InsertRecord();
    EXPECT_TRUE(result.ok()) << result.message;
    return writer.RecordID();
  };
  std::mt19937 random(20261211);
  TModel model;
  while (model.size() < 600) {
    const int32_t code = static_cast<int32_t>(random() % 5000) * 2;
    if (!model.count(code)) model[code] = insert(code);
  }
  walker.SetCurrentIndex("UQ_Code");
  walker.First();
  int steps = 0, crossings = 0;
  for (int round = 0; round < 6000; ++round) {
    const unsigned what = random() % 100;
    if (what < 70) {
      const bool forward = random() % 4 != 0;
      const TDVXRecordID from = walker.RecordID();
      const bool atEnd = walker.Bof() || walker.Eof();
      const int32_t code = GetInt(walker.Record(), kCode).value_or(-1);
      const TDVXGetRecordResult result = walker.GetRecord(forward ? grmNext : grmPrior);
      if (atEnd) {
        // From an end the walk starts over; the landing place is checked
        // from the next step on.
        if (result != grrDone) forward ? walker.First() : walker.Last();
        continue;
      }
      const auto* expected = Expected(model, code, from, forward);
      ++steps;
      if (!expected) {
        ASSERT_EQ(result, forward ? grrEOF : grrBOF) << "step " << round << " from code " << code;
        forward ? walker.Last() : walker.First();
        continue;
      }
      ASSERT_EQ(result, grrDone) << "step " << round << " from code " << code;
      ASSERT_EQ(GetInt(walker.Record(), kCode), expected->first) << "step " << round << " from code " << code;
      ASSERT_EQ(walker.RecordID(), expected->second);
      if (walker.RecordID().pageNo != from.pageNo) ++crossings;
    } else if (what < 78) {
      const int32_t code = static_cast<int32_t>(random() % 10000);
      if (!model.count(code)) model[code] = insert(code);
    } else if (what < 86 && !model.empty()) {
      // Deletes the walker's record, or one next to it, or any.
      auto victim = model.begin();
      std::advance(victim, static_cast<long>(random() % model.size()));
      if (random() % 2 == 0 && !walker.Bof() && !walker.Eof()) {
        auto near = model.lower_bound(GetInt(walker.Record(), kCode).value_or(0));
        if (near != model.end()) victim = near;
      }
      writer.SetPosition(false, false, victim->second);
      ASSERT_EQ(writer.GetRecord(grmCurrent), grrDone);
      ASSERT_TRUE(writer.DeleteRecord().ok());
      model.erase(victim);
    } else if (what < 93 && !model.empty()) {
      // Gives a record another key.
      auto moved = model.begin();
      std::advance(moved, static_cast<long>(random() % model.size()));
      const int32_t code = static_cast<int32_t>(random() % 10000);
      if (model.count(code)) continue;
      writer.SetPosition(false, false, moved->second);
      ASSERT_EQ(writer.GetRecord(grmCurrent), grrDone);
      SetInt(writer.Record(), kCode, code);
      ASSERT_TRUE(writer.UpdateRecord().ok());
      const TDVXRecordID id = moved->second;
      model.erase(moved);
      model[code] = id;
    } else if (what < 96) {
      // Another session changes the index and rolls back: the pages go
      // back without the tree's change count telling.
      TDVXLocalSession other(Database());
      TDVXLocalCursor cursor(other, kTable);
      cursor.Open();
      other.StartTransaction();
      for (int i = 0; i < 20; ++i) {
        cursor.NewRecord();
        SetInt(cursor.Record(), kCode, 20001 + 2 * static_cast<int32_t>(random() % 5000));
        cursor.InsertRecord();
      }
      other.Rollback();
      cursor.Close();
    } else if (!walker.Bof() && !walker.Eof()) {
      // An edited key in the walker's own buffer: the step continues from
      // where that key would stand.
      SetInt(walker.Record(), kCode, static_cast<int32_t>(random() % 10000));
    }
  }
  writer.Close();
  EXPECT_GT(steps, 3000);
  EXPECT_GT(crossings, 100);
  ExpectIndexesValid();
}

}  // namespace
}  // namespace dvx::test
