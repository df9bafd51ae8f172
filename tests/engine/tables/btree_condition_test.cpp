// Condition searches of types 1 to 5 in both directions, condition scans,
// estimates, and the key probes behind unique constraints.
#include <algorithm>
#include <random>

#include "tests/engine/tables/btree_test_support.h"

namespace dvx::test {
namespace {

class BTreeConditionTest : public TBTreeFixture {
 protected:
  // Keys with runs of duplicates and NULLs on 64-byte pages.
  void BuildRuns() {
    MakeIntIndex(64);
    std::mt19937 rng(4);
    for (int i = 0; i < 120; ++i) InsertInt(rng() % 10 == 0 ? std::nullopt : std::optional<int32_t>(rng() % 12 * 5));
    entries_ = Entries();
  }
  static bool Satisfies(int type, int c) {
    switch (type) {
      case ctEqual:
        return c == 0;
      case ctLess:
        return c < 0;
      case ctGreater:
        return c > 0;
      case ctLessOrEqual:
        return c <= 0;
      default:
        return c >= 0;
    }
  }
  // Positions in index order satisfying the condition, as the walk in that
  // direction meets them until the first that fails.
  std::vector<size_t> ExpectedRun(int type, const TDVXKey& key, bool forward) {
    std::vector<size_t> satisfying;
    for (size_t i = 0; i < entries_.size(); ++i)
      if (Satisfies(type, index_->KeyRef().Compare(entries_[i].first.data(), key.data()))) satisfying.push_back(i);
    if (!forward) std::reverse(satisfying.begin(), satisfying.end());
    return satisfying;
  }
  std::vector<std::optional<int32_t>> Probes() { return {std::nullopt, -5, 0, 12, 15, 30, 55, 60}; }

  std::vector<std::pair<TDVXKey, TDVXRecordID>> entries_;
};

TEST_F(BTreeConditionTest, SearchesFindTheFirstAndLastSatisfyingEntry) {
  BuildRuns();
  for (int type = ctEqual; type <= ctGreaterOrEqual; ++type)
    for (auto probe : Probes())
      for (bool forward : {true, false}) {
        SCOPED_TRACE("type " + std::to_string(type) + " probe " + (probe ? std::to_string(*probe) : "NULL") +
                     (forward ? " forward" : " backward"));
        TDVXKey key = index_->KeyRef().MakeKey(IntRecord(probe).data());
        auto run = ExpectedRun(type, key, forward);
        TDVXKeyPath path;
        bool found = index_->FindByCondition(kSession, type, key.data(), 1, forward, path);
        ASSERT_EQ(found, !run.empty());
        if (found) {
          EXPECT_EQ(index_->RecordIDAt(kSession, path), entries_[run.front()].second);
        }
      }
}

TEST_F(BTreeConditionTest, ScansWalkTheSatisfyingRunInOrder) {
  BuildRuns();
  for (int type = ctEqual; type <= ctGreaterOrEqual; ++type)
    for (auto probe : Probes())
      for (int direction : {1, -1}) {
        SCOPED_TRACE("type " + std::to_string(type) + " probe " + (probe ? std::to_string(*probe) : "NULL") +
                     " direction " + std::to_string(direction));
        Record record = IntRecord(probe);
        TDVXKey key = index_->KeyRef().MakeKey(record.data());
        std::vector<TDVXRecordID> expected;
        for (size_t i : ExpectedRun(type, key, direction > 0)) expected.push_back(entries_[i].second);
        auto state = index_->NewScanState(TDVXIndexCondition{type, record.data(), 1});
        std::vector<TDVXRecordID> scanned;
        TDVXRecordID id;
        while (index_->ScanNext(kSession, state.get(), direction, id)) scanned.push_back(id);
        EXPECT_EQ(scanned, expected);
        EXPECT_FALSE(index_->ScanNext(kSession, state.get(), direction, id)) << "a finished scan stays finished";
      }
}

TEST_F(BTreeConditionTest, LeadingColumnConditionsIgnoreTheRest) {
  UseMemoryPages(128);
  table_.AddField("A", aftInteger);
  table_.AddField("B", aftInteger);
  MakeIndex({{"A", false, false}, {"B", true, false}});
  for (int a = 0; a < 6; ++a)
    for (int b = 0; b < 4; ++b) {
      Record r = table_.NewRecord();
      table_.SetInt(r, 0, a);
      table_.SetInt(r, 1, b);
      Insert(r);
    }
  Record probe = table_.NewRecord();
  table_.SetInt(probe, 0, 3);
  auto state = index_->NewScanState(TDVXIndexCondition{ctEqual, probe.data(), 1});
  std::vector<int32_t> bs;
  TDVXRecordID id;
  while (index_->ScanNext(kSession, state.get(), 1, id)) {
    Record r = table_.Get(id);
    EXPECT_EQ(GetI32(r.data() + table_.fields.Items(0)->MemoryOffset()), 3);
    bs.push_back(GetI32(r.data() + table_.fields.Items(1)->MemoryOffset()));
  }
  EXPECT_EQ(bs, (std::vector<int32_t>{3, 2, 1, 0})) << "the second column runs descending";
  EXPECT_THAT([&] { index_->NewScanState(TDVXIndexCondition{ctEqual, probe.data(), 3}); },
              ThrowsDvx(30946, "Index error: invalid params"));
  EXPECT_THAT([&] { index_->NewScanState(TDVXIndexCondition{6, probe.data(), 1}); }, ThrowsDvx(30946));
}

TEST_F(BTreeConditionTest, ScanRefusesMissingStatesAndChangedDirections) {
  BuildRuns();
  Record record = IntRecord(30);
  TDVXRecordID id;
  EXPECT_THAT([&] { index_->ScanNext(kSession, nullptr, 1, id); }, ThrowsDvx(20077, "Pointer is nil"));
  auto state = index_->NewScanState(TDVXIndexCondition{ctGreaterOrEqual, record.data(), 1});
  EXPECT_THAT([&] { index_->ScanNext(kSession, state.get(), 0, id); }, ThrowsDvx(20078, "Index error: invalid params"));
  TDVXIndexScanState foreign;
  EXPECT_THAT([&] { index_->ScanNext(kSession, &foreign, 1, id); }, ThrowsDvx(20078));
  ASSERT_TRUE(index_->ScanNext(kSession, state.get(), 1, id));
  EXPECT_THAT([&] { index_->ScanNext(kSession, state.get(), -1, id); },
              ThrowsDvx(20079, "Index error: invalid params"));
}

TEST_F(BTreeConditionTest, ScanGoesOnAfterTheTreeChanged) {
  MakeIntIndex(64);
  for (int i = 0; i < 20; ++i) InsertInt(i);
  Record record = IntRecord(5);
  auto state = index_->NewScanState(TDVXIndexCondition{ctGreaterOrEqual, record.data(), 1});
  std::vector<int32_t> met;
  TDVXRecordID id;
  while (index_->ScanNext(kSession, state.get(), 1, id)) {
    met.push_back(*IntOf(index_->KeyRef().MakeKey(table_.Get(id).data())));
    if (met.back() == 8) {
      // Splits everywhere, and the reported record goes away.
      for (int i = 100; i < 160; ++i) InsertInt(i);
      Delete(id);
    }
  }
  std::vector<int32_t> expected;
  for (int i = 5; i < 20; ++i) expected.push_back(i);
  for (int i = 100; i < 160; ++i) expected.push_back(i);
  EXPECT_EQ(met, expected);
}

TEST_F(BTreeConditionTest, EstimateIsExactOnOnePageAndCloseOnMany) {
  MakeIntIndex(4096);
  for (int i = 0; i < 100; ++i) InsertInt(i / 2);
  auto estimate = [&](std::vector<std::pair<int, int32_t>> conditions) {
    std::vector<Record> records;
    std::vector<TDVXIndexCondition> list;
    for (auto& [type, value] : conditions) records.push_back(IntRecord(value));
    for (size_t i = 0; i < conditions.size(); ++i) list.push_back({conditions[i].first, records[i].data(), 1});
    return index_->EstimateCount(kSession, list);
  };
  EXPECT_EQ(estimate({}), 100);
  EXPECT_EQ(estimate({{ctEqual, 7}}), 2);
  EXPECT_EQ(estimate({{ctEqual, 70}}), 0);
  EXPECT_EQ(estimate({{ctLess, 10}}), 20);
  EXPECT_EQ(estimate({{ctGreaterOrEqual, 10}, {ctLessOrEqual, 19}}), 20);
  EXPECT_EQ(estimate({{ctGreater, 30}, {ctLess, 20}}), 0);

  MakeIntIndex(64);
  std::vector<int32_t> keys;
  for (int i = 0; i < 2000; ++i) keys.push_back(i);
  std::mt19937 rng(8);
  std::shuffle(keys.begin(), keys.end(), rng);
  for (int32_t k : keys) InsertInt(k);
  for (int32_t from : {100, 1000, 1900}) {
    int64_t n = estimate({{ctGreaterOrEqual, from}});
    EXPECT_GE(n, (2000 - from) / 2) << from;
    EXPECT_LE(n, (2000 - from) * 2) << from;
  }
}

TEST_F(BTreeConditionTest, ConditionDirectionPointsAwayFromTheSatisfyingEnd) {
  MakeIntIndex(64);
  EXPECT_EQ(index_->ConditionDirection(ctEqual), 0);
  EXPECT_EQ(index_->ConditionDirection(ctLess), 1);
  EXPECT_EQ(index_->ConditionDirection(ctLessOrEqual), 1);
  EXPECT_EQ(index_->ConditionDirection(ctGreater), -1);
  EXPECT_EQ(index_->ConditionDirection(ctGreaterOrEqual), -1);
  EXPECT_EQ(index_->ConditionDirection(9), 0);
}

TEST_F(BTreeConditionTest, CaseInsensitiveUniqueIndexTakesEachWordOnce) {
  UseMemoryPages(128);
  table_.AddField("W", aftChar, 10);
  auto word = [&](const char* s) {
    Record r = table_.NewRecord();
    table_.SetText(r, 0, s);
    return r;
  };
  MakeIndex({{"W", false, true}}, true);
  EXPECT_TRUE(index_->IsKeyFree(kSession, word("Abc").data())) << "an index without pages";
  Insert(word("Abc"));
  EXPECT_FALSE(index_->IsKeyFree(kSession, word("aBC").data()));
  EXPECT_FALSE(index_->IsKeyFree(kSession, word("ABC").data()));
  EXPECT_TRUE(index_->IsKeyFree(kSession, word("Abd").data()));
  EXPECT_TRUE(index_->IsKeyFreeForUpdate(kSession, word("ABC").data(), word("abc").data())) << "its own key";
  EXPECT_FALSE(index_->IsKeyFreeForUpdate(kSession, word("abc").data(), word("xyz").data()));
  EXPECT_TRUE(index_->IsKeyFreeForUpdate(kSession, word("xyz").data(), word("abc").data()));

  MakeIndex({{"W", false, false}}, true);
  Insert(word("Abc"));
  EXPECT_TRUE(index_->IsKeyFree(kSession, word("ABC").data())) << "case counts in a case-sensitive column";
  MakeIndex({{"W", false, true}}, false);
  Insert(word("Abc"));
  EXPECT_TRUE(index_->IsKeyFree(kSession, word("ABC").data())) << "a non-unique index takes every key";
}

}  // namespace
}  // namespace dvx::test
