// A randomized run of inserts and deletes with many duplicate keys and
// NULLs, checked after every step against a sorted model and, every few
// hundred steps and at the end, against the invariant checker, the full
// entry order, record numbers and the pages the tree holds.
#include <algorithm>
#include <map>
#include <random>
#include <unordered_map>

#include "tests/engine/tables/btree_test_support.h"

namespace dvx::test {
namespace {

using TModelKey = std::optional<int32_t>;

// The index order of one INTEGER column: NULL first, reversed when the
// column is descending.
struct TModelOrder {
  bool descending = false;
  bool operator()(const TModelKey& a, const TModelKey& b) const {
    int c = !a || !b ? (a.has_value() == b.has_value() ? 0 : (a ? 1 : -1)) : (*a < *b ? -1 : (*b < *a ? 1 : 0));
    return descending ? c > 0 : c < 0;
  }
};

struct TModelRun {
  const char* name;
  int pageSize;
  bool descending;
  bool disk;
  int steps;
};

void PrintTo(const TModelRun& run, std::ostream* out) { *out << run.name; }

class BTreeModelTest : public TBTreeFixture, public ::testing::WithParamInterface<TModelRun> {
 protected:
  using TModel = std::multimap<TModelKey, TDVXRecordID, TModelOrder>;

  // The model's answer to a condition search: the key the first (forward)
  // or last (backward) satisfying entry has.
  static std::optional<TModelKey> Expected(const TModel& model, int type, const TModelKey& key, bool forward) {
    if (model.empty()) return std::nullopt;
    const TModelOrder& less = model.key_comp();
    const TModelKey& first = model.begin()->first;
    const TModelKey& last = std::prev(model.end())->first;
    auto lower = model.lower_bound(key), upper = model.upper_bound(key);
    switch (type) {
      case ctEqual:
        if (lower == upper) return std::nullopt;
        return key;
      case ctLess:
        if (forward) return less(first, key) ? std::optional<TModelKey>(first) : std::nullopt;
        return lower == model.begin() ? std::nullopt : std::optional<TModelKey>(std::prev(lower)->first);
      case ctGreater:
        if (forward) return upper == model.end() ? std::nullopt : std::optional<TModelKey>(upper->first);
        return less(key, last) ? std::optional<TModelKey>(last) : std::nullopt;
      case ctLessOrEqual:
        if (forward) return !less(key, first) ? std::optional<TModelKey>(first) : std::nullopt;
        return upper == model.begin() ? std::nullopt : std::optional<TModelKey>(std::prev(upper)->first);
      case ctGreaterOrEqual:
        if (forward) return lower == model.end() ? std::nullopt : std::optional<TModelKey>(lower->first);
        return !less(last, key) ? std::optional<TModelKey>(last) : std::nullopt;
    }
    return std::nullopt;
  }

  void CheckWhole(const TModel& model, std::mt19937& rng, int step) {
    SCOPED_TRACE("step " + std::to_string(step));
    pm_->ApplyChanges(kSession);  // later steps read the pages back from storage
    auto report = Check();
    ASSERT_TRUE(report.Ok()) << ::testing::PrintToString(report.problems);
    ASSERT_EQ(report.entryCount, static_cast<int64_t>(model.size()));
    if (memory_) {
      EXPECT_EQ(memory_->LivePages(), static_cast<int>(report.pages.size())) << "pages leaked or lost";
    }

    // The whole order, and each run of equal keys as a set of records.
    auto entries = Entries();
    ASSERT_EQ(entries.size(), model.size());
    auto it = model.begin();
    for (size_t i = 0; i < entries.size();) {
      auto run = model.equal_range(it->first);
      std::vector<TDVXRecordID> expected, actual;
      for (auto r = run.first; r != run.second; ++r) expected.push_back(r->second);
      for (; i < entries.size() && actual.size() < expected.size(); ++i) {
        ASSERT_EQ(IntOf(entries[i].first), it->first) << "entry " << i;
        actual.push_back(entries[i].second);
      }
      auto byId = [](const TDVXRecordID& a, const TDVXRecordID& b) {
        return std::tie(a.pageNo, a.itemNo) < std::tie(b.pageNo, b.itemNo);
      };
      std::sort(expected.begin(), expected.end(), byId);
      std::sort(actual.begin(), actual.end(), byId);
      ASSERT_EQ(actual, expected);
      it = run.second;
    }

    // Record numbers and the n-th record, for a few entries.
    for (int probe = 0; probe < 3 && !entries.empty(); ++probe) {
      size_t n = rng() % entries.size();
      const TDVXRecordID id = entries[n].second;
      int64_t recNo = index_->GetRecNo(kSession, id, table_.Get(id).data());
      const TModelKey key = IntOf(entries[n].first);
      auto before = std::distance(model.begin(), model.lower_bound(key));
      auto equal = static_cast<int64_t>(model.count(key));
      EXPECT_GE(recNo, before + 1);
      EXPECT_LE(recNo, before + equal);
      TDVXRecordID nth;
      ASSERT_TRUE(index_->GetNthRecord(kSession, static_cast<int64_t>(n) + 1, nth));
      EXPECT_EQ(nth, id);
    }
  }
};

TEST_P(BTreeModelTest, MatchesASortedModel) {
  const TModelRun& run = GetParam();
  if (run.disk)
    UseDiskPages(run.pageSize);
  else
    UseMemoryPages(run.pageSize);
  pm_->SetCacheCapacity(8);
  table_.AddField("K", aftInteger);
  // Unique only so that IsKeyFree answers; the tree itself takes every key.
  MakeIndex({{"K", run.descending, false}}, true);

  TModel model(TModelOrder{run.descending});
  std::vector<TDVXRecordID> live;  // for picking a random live record
  std::unordered_map<TDVXRecordID, size_t, TDVXRecordIDHash> slot;
  std::mt19937 rng(static_cast<uint32_t>(run.pageSize * 7 + run.descending));
  auto randomKey = [&]() -> TModelKey {
    if (rng() % 20 == 0) return std::nullopt;
    return static_cast<int32_t>(rng() % 301) - 150;
  };
  auto eraseModel = [&](const TDVXRecordID& id, const TModelKey& key) {
    auto range = model.equal_range(key);
    for (auto r = range.first; r != range.second; ++r)
      if (r->second == id) {
        model.erase(r);
        break;
      }
    size_t at = slot[id];
    slot[live.back()] = at;
    live[at] = live.back();
    live.pop_back();
    slot.erase(id);
  };

  for (int step = 0; step < run.steps; ++step) {
    // Grow, shrink almost to nothing, grow again.
    const int phase = step * 3 / run.steps;
    const int insertPercent = phase == 0 ? 70 : (phase == 1 ? 25 : 60);
    const int action = static_cast<int>(rng() % 100);
    TDVXKeyPath path;
    if (live.empty() || action < insertPercent) {
      TModelKey key = randomKey();
      TDVXRecordID id = InsertInt(key);
      model.emplace(key, id);
      slot[id] = live.size();
      live.push_back(id);
      ASSERT_TRUE(index_->FindKeyPath(kSession, table_.Get(id).data(), id, path)) << "step " << step;
      ASSERT_EQ(IntOf(index_->KeyAt(kSession, path)), key);
    } else if (action < 95) {
      TDVXRecordID id = live[rng() % live.size()];
      TModelKey key = IntOf(index_->KeyRef().MakeKey(table_.Get(id).data()));
      Record record = table_.Get(id);
      Delete(id);
      eraseModel(id, key);
      ASSERT_FALSE(index_->FindKeyPath(kSession, record.data(), id, path)) << "step " << step;
    } else {
      // A record ID the index does not hold, with a key it may hold.
      Record record = IntRecord(randomKey());
      ASSERT_THAT([&] { index_->DeleteRecord(kSession, record.data(), TDVXRecordID{7, 7}); }, ThrowsDvx(20027));
    }

    // One condition search and one key probe per step.
    TModelKey probe = randomKey();
    Record probeRecord = IntRecord(probe);
    TDVXKey probeKey = index_->KeyRef().MakeKey(probeRecord.data());
    const int type = 1 + static_cast<int>(rng() % 5);
    const bool forward = rng() % 2 == 0;
    auto expected = Expected(model, type, probe, forward);
    bool found = index_->FindByCondition(kSession, type, probeKey.data(), 1, forward, path);
    ASSERT_EQ(found, expected.has_value()) << "step " << step << " type " << type << " forward " << forward;
    if (found) {
      ASSERT_EQ(IntOf(index_->KeyAt(kSession, path)), *expected) << "step " << step << " type " << type;
    }
    ASSERT_EQ(index_->IsKeyFree(kSession, probeRecord.data()), model.count(probe) == 0) << "step " << step;

    if (step % 500 == 499) {
      CheckWhole(model, rng, step);
      if (HasFatalFailure()) return;
    }
  }
  CheckWhole(model, rng, run.steps);
}

INSTANTIATE_TEST_SUITE_P(PageSizes, BTreeModelTest,
                         ::testing::Values(TModelRun{"Memory64", 64, false, false, 15000},
                                           TModelRun{"Memory100Descending", 100, true, false, 15000},
                                           TModelRun{"Memory512", 512, false, false, 15000},
                                           TModelRun{"Disk256Descending", 256, true, true, 6000}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dvx::test
