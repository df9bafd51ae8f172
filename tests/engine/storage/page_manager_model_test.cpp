// A randomized run of three sessions adding, changing, removing, committing
// and rolling back pages, checked against a model of what each session sees
// and of what reaches the file.
#include <map>
#include <random>
#include <set>

#include "engine/storage/free_space_manager.h"
#include "tests/engine/storage/storage_test_util.h"

namespace dvx::test {
namespace {

class PageManagerModelTest : public TDiskFixture {};

struct TSessionModel {
  std::map<int32_t, uint8_t> pending;
  std::set<int32_t> removed;
};

TEST_F(PageManagerModelTest, SessionsMatchTheModel) {
  auto pm = Create(256, 8);
  pm->SetCacheCapacity(5);  // eviction happens all the time
  std::map<int32_t, uint8_t> committed;
  std::map<int32_t, TSessionModel> sessions;
  std::mt19937 rng(11);
  auto touchedElsewhere = [&](int32_t s, int32_t no) {
    for (auto& [id, m] : sessions)
      if (id != s && (m.pending.count(no) || m.removed.count(no))) return true;
    return false;
  };
  auto pickCommitted = [&]() -> int32_t {
    if (committed.empty()) return -1;
    auto it = committed.begin();
    std::advance(it, rng() % committed.size());
    return it->first;
  };
  for (int step = 0; step < 4000; ++step) {
    int32_t s = 1 + static_cast<int32_t>(rng() % 3);
    TSessionModel& m = sessions[s];
    uint8_t value = static_cast<uint8_t>(rng());
    switch (rng() % 11) {
      case 0:
      case 7:
      case 8: {
        TDVXPage* page = pm->AddPage(s);
        ASSERT_FALSE(committed.count(page->PageNo())) << "live page handed out again";
        page->WritableData()[0] = value;
        m.pending[page->PageNo()] = value;
        pm->PutPage(page);
        break;
      }
      case 1:
      case 2: {
        int32_t no = pickCommitted();
        if (no < 0) break;
        if (touchedElsewhere(s, no)) {
          // Another session's uncommitted change stays its own: this one
          // reads the committed version and may not write it.
          bool dirtyElsewhere = false;
          for (auto& [id, other] : sessions) dirtyElsewhere |= id != s && other.pending.count(no);
          TDVXPage* seen = pm->GetPage(s, no);
          ASSERT_EQ(seen->Data()[0], committed[no]) << "page " << no;
          if (dirtyElsewhere) {
            ASSERT_EQ(DvxCodeOf([&] { seen->SetDirty(); }), 20090) << "page " << no;
          }
          pm->PutPage(seen);
          break;
        }
        TDVXPage* page = pm->GetPage(s, no);
        page->SetDirty();
        page->WritableData()[0] = value;
        m.pending[no] = value;
        pm->PutPage(page);
        break;
      }
      case 3: {
        int32_t no = pickCommitted();
        if (no < 0 || touchedElsewhere(s, no)) break;
        pm->RemovePage(s, no);
        m.removed.insert(no);
        break;
      }
      case 4: {
        int32_t no = pickCommitted();
        if (no < 0 || touchedElsewhere(s, no)) break;
        TDVXPage* page = pm->GetPage(s, no);
        uint8_t expected = m.pending.count(no) ? m.pending[no] : committed[no];
        ASSERT_EQ(page->Data()[0], expected) << "page " << no;
        pm->PutPage(page);
        break;
      }
      case 5:
      case 9:
      case 10:
        pm->ApplyChanges(s);
        for (auto& [no, v] : m.pending) committed[no] = v;
        for (int32_t no : m.removed) committed.erase(no);
        m = {};
        break;
      case 6:
        pm->CancelChanges(s);
        m = {};
        break;
    }
  }
  for (auto& [s, m] : sessions) {
    pm->ApplyChanges(s);
    for (auto& [no, v] : m.pending) committed[no] = v;
    for (int32_t no : m.removed) committed.erase(no);
  }
  ASSERT_GT(committed.size(), 50u);
  pm->CloseDatabaseFile();
  auto fresh = Open();
  for (auto& [no, v] : committed) {
    TDVXPage* page = fresh->GetPage(9, no);
    ASSERT_EQ(page->Data()[0], v) << "page " << no;
    fresh->PutPage(page);
  }
  // Every page is either a bitmap, committed, or free.
  EXPECT_EQ(fresh->FreeSpaceManager().FreePageCount() + 3 + static_cast<int32_t>(committed.size()),
            fresh->GetPageCount());
}

}  // namespace
}  // namespace dvx::test
