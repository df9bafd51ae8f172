// Several cursors of two sessions on one table against an in-memory model:
// random navigation in physical and index order, key searches, ranges,
// record filters, record numbers, bookmarks, inserts, edits and deletes.
// After every step the cursor that moved stands where the model says, its
// buffer holds the model's record, and every other cursor still stands
// where it stood.
#include <algorithm>
#include <map>
#include <random>

#include "engine/tables/memory_database_data.h"
#include "engine/tables/table_data_errors.h"
#include "engine/tables/temporary_database_data.h"
#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

struct TRow {
  int32_t id = 0;
  int32_t code = 0;
  std::string name;
  bool operator==(const TRow&) const = default;
};

// The orders the model predicts exactly: record IDs, and the two unique
// keys (the name index has ties, whose order among themselves the model
// does not know).
enum TOrder { oPhysical, oPK, oCode };
const char* const kOrderIndex[] = {"", "PK", "UQ_Code"};

struct TModelCursor {
  std::unique_ptr<TDVXLocalCursor> cursor;
  TOrder order = oPhysical;
  bool bof = true;
  bool eof = false;
  TDVXRecordID id = kNoRecordID;
  TRow buffer;  // what the buffer's key fields hold while on a record
  // Range on Code (only under oCode) and the filter "code % divisor != 0".
  bool hasLow = false, hasHigh = false, lowExcl = false, highExcl = false;
  int32_t low = 0, high = 0;
  int divisor = 0;
};

// The table's storage: a database file, the in-memory database or the
// temporary database (which refuses updates and deletes).
enum TStorage { sDisk, sMemory, sTemporary };

class LocalCursorModelTest : public TTableFixture, public ::testing::WithParamInterface<TStorage> {
 protected:
  using TModel = std::map<TDVXRecordID, TRow, bool (*)(const TDVXRecordID&, const TDVXRecordID&)>;

  static bool ByID(const TDVXRecordID& a, const TDVXRecordID& b) { return CompareRecordIDs(a, b) < 0; }

  // -1, 0, 1: where `a` (a row at a record ID) stands against `b` in an order.
  static int Compare(TOrder order, const TDVXRecordID& ida, const TRow& a, const TDVXRecordID& idb, const TRow& b) {
    auto sign = [](int64_t d) { return d < 0 ? -1 : d > 0 ? 1 : 0; };
    switch (order) {
      case oPK: return sign(int64_t{a.id} - b.id);
      case oCode: return sign(int64_t{a.code} - b.code);
      default: return CompareRecordIDs(ida, idb) < 0 ? -1 : CompareRecordIDs(ida, idb) > 0 ? 1 : 0;
    }
  }
  static bool InRange(const TModelCursor& c, const TRow& r) {
    if (c.hasLow && (r.code < c.low || (c.lowExcl && r.code == c.low))) return false;
    if (c.hasHigh && (r.code > c.high || (c.highExcl && r.code == c.high))) return false;
    return true;
  }
  static bool Accepts(const TModelCursor& c, const TRow& r) {
    return InRange(c, r) && (c.divisor == 0 || r.code % c.divisor != 0);
  }
  // The cursor's set in its order.
  std::vector<TDVXRecordID> Set(const TModelCursor& c) const {
    std::vector<TDVXRecordID> ids;
    for (auto& [id, r] : model_)
      if (Accepts(c, r)) ids.push_back(id);
    std::sort(ids.begin(), ids.end(), [&](const TDVXRecordID& a, const TDVXRecordID& b) {
      return Compare(c.order, a, model_.at(a), b, model_.at(b)) < 0;
    });
    return ids;
  }

  TRow Read(const TDVXLocalCursor& c) {
    return {*GetInt(c.Record(), kId), *GetInt(c.Record(), kCode), GetText(c.Record(), kName)};
  }
  void Stand(TModelCursor& c, const TDVXRecordID& id) {
    c.bof = c.eof = false;
    c.id = id;
    c.buffer = model_.at(id);
  }
  void ExpectPosition(const TModelCursor& c, const char* what) {
    ASSERT_EQ(c.cursor->Bof(), c.bof) << what;
    ASSERT_EQ(c.cursor->Eof(), c.eof) << what;
    if (c.bof || c.eof) return;
    ASSERT_EQ(c.cursor->RecordID(), c.id) << what;
    ASSERT_EQ(Read(*c.cursor), c.buffer) << what;
  }

  // The expected neighbour of the cursor's position: the first (last) row
  // of its set after (before) the key its buffer holds. The record itself
  // may have gone or moved (or its slot may hold another record): only an
  // entry of both its ID and the buffer's key is the cursor's own.
  std::optional<TDVXRecordID> Neighbour(const TModelCursor& c, bool forward) {
    std::vector<TDVXRecordID> set = Set(c);
    if (c.bof) return forward && !set.empty() ? std::optional(set.front()) : std::nullopt;
    if (c.eof) return !forward && !set.empty() ? std::optional(set.back()) : std::nullopt;
    if (forward) {
      for (const TDVXRecordID& id : set)
        if (After(c, id, 1)) return id;
    } else {
      for (auto it = set.rbegin(); it != set.rend(); ++it)
        if (After(c, *it, -1)) return *it;
    }
    return std::nullopt;
  }

  bool After(const TModelCursor& c, const TDVXRecordID& id, int direction) {
    const int cmp = Compare(c.order, id, model_.at(id), c.id, c.buffer) * direction;
    return cmp > 0 || (cmp == 0 && !(id == c.id));
  }

  void Navigate(TModelCursor& c) {
    const int how = static_cast<int>(rng_() % 6);
    if (how == 0) {
      c.cursor->First();
      c.bof = true, c.eof = false;
    } else if (how == 1) {
      c.cursor->Last();
      c.bof = false, c.eof = true;
    }
    const bool forward = how == 0 || how == 2 || how == 4;
    std::optional<TDVXRecordID> expected = Neighbour(c, forward);
    const TDVXGetRecordResult result = c.cursor->GetRecord(forward ? grmNext : grmPrior);
    if (expected) {
      ASSERT_EQ(result, grrDone);
      Stand(c, *expected);
    } else {
      ASSERT_EQ(result, forward ? grrEOF : grrBOF) << "moving past an end";
      c.bof = !forward;
      c.eof = forward;
    }
  }

  void ChangeOrderOrRestriction(TModelCursor& c) {
    const int how = static_cast<int>(rng_() % 4);
    if (how == 0) {
      c.order = static_cast<TOrder>(rng_() % 3);
      c.cursor->SetCurrentIndex(kOrderIndex[c.order]);
      c.hasLow = c.hasHigh = false;
    } else if (how == 1) {
      c.order = oCode;
      c.cursor->SetCurrentIndex("UQ_Code");
      c.hasLow = rng_() % 3 != 0;
      c.hasHigh = rng_() % 3 != 0;
      c.low = static_cast<int32_t>(rng_() % 200);
      c.high = c.low + static_cast<int32_t>(rng_() % 150);
      c.lowExcl = rng_() % 2;
      c.highExcl = rng_() % 2;
      std::vector<uint8_t> low(Fields().RecordSize()), high(Fields().RecordSize());
      SetInt(low.data(), kCode, c.low);
      SetInt(high.data(), kCode, c.high);
      c.cursor->SetRange(c.hasLow ? low.data() : nullptr, c.hasHigh ? high.data() : nullptr, c.highExcl, c.lowExcl,
                         0, 1);
    } else if (how == 2) {
      c.hasLow = c.hasHigh = false;
      c.cursor->CancelRange();
    } else {
      c.divisor = rng_() % 2 ? 0 : 2 + static_cast<int>(rng_() % 3);
      if (c.divisor == 0) {
        c.cursor->SetRecordFilter(nullptr);
      } else {
        const int divisor = c.divisor;
        c.cursor->SetRecordFilter([this, divisor](const uint8_t* record) { return *GetInt(record, kCode) % divisor != 0; });
      }
    }
    c.bof = true, c.eof = false;
  }

  void SearchKey(TModelCursor& c) {
    if (c.order == oPhysical) {
      EXPECT_THAT([&] { c.cursor->GotoKey(ctEqual); }, ThrowsDvx(kErrNoCurrentIndex));
      return;
    }
    const int type = 1 + static_cast<int>(rng_() % 5);
    TRow key{static_cast<int32_t>(rng_() % 60), static_cast<int32_t>(rng_() % 400), ""};
    std::vector<uint8_t>& buffer = c.cursor->KeyBuffer();
    std::fill(buffer.begin(), buffer.end(), 0);
    SetInt(buffer.data(), c.order == oPK ? kId : kCode, c.order == oPK ? key.id : key.code);
    c.cursor->SetKeyFieldCount(rng_() % 2 ? 0 : 1);
    std::vector<TDVXRecordID> set = Set(c);
    auto satisfies = [&](const TDVXRecordID& id) {
      const int cmp = Compare(c.order, id, model_.at(id), kNoRecordID, key);
      return type == ctEqual ? cmp == 0 : type == ctLess ? cmp < 0 : type == ctGreater ? cmp > 0
                                                                  : type == ctLessOrEqual ? cmp <= 0 : cmp >= 0;
    };
    std::optional<TDVXRecordID> expected;
    if (type == ctLess || type == ctLessOrEqual) {
      for (auto it = set.rbegin(); it != set.rend() && !expected; ++it)
        if (satisfies(*it)) expected = *it;
    } else {
      for (auto it = set.begin(); it != set.end() && !expected; ++it)
        if (satisfies(*it)) expected = *it;
    }
    ASSERT_EQ(c.cursor->GotoKey(type), expected.has_value()) << "condition " << type;
    if (expected) Stand(c, *expected);
  }

  void Numbers(TModelCursor& c) {
    std::vector<TDVXRecordID> set = Set(c);
    ASSERT_EQ(c.cursor->GetRecordCount(), static_cast<int64_t>(set.size()));
    int64_t expectedNo = -1;
    if (!c.bof && !c.eof) {
      // Numbered where the stored record stands now, whatever the buffer holds.
      auto it = std::find(set.begin(), set.end(), c.id);
      if (it != set.end()) expectedNo = it - set.begin() + 1;
    }
    ASSERT_EQ(c.cursor->GetRecNo(), expectedNo);
    const int64_t n = static_cast<int64_t>(rng_() % (set.size() + 3));
    const TDVXGetRecordResult result = c.cursor->SetRecNo(n);
    if (set.empty()) {
      ASSERT_EQ(result, grrEOF);
      c.bof = false, c.eof = true;
      return;
    }
    ASSERT_EQ(result, grrDone);
    Stand(c, set[static_cast<size_t>(std::clamp<int64_t>(n, 1, static_cast<int64_t>(set.size())) - 1)]);
    ASSERT_EQ(c.cursor->GetRecNo(), std::clamp<int64_t>(n, 1, static_cast<int64_t>(set.size())));
  }

  void Bookmarks(TModelCursor& c) {
    bookmarks_.push_back({c.cursor->GetBookmark(), c.bof, c.eof, c.id});
    const auto& [bookmark, bof, eof, id] = bookmarks_[rng_() % bookmarks_.size()];
    // A bookmark of another cursor names a position in the same table.
    const TDVXGetRecordResult result = c.cursor->GotoBookmark(bookmark);
    c.bof = bof, c.eof = eof, c.id = id;
    if (bof) ASSERT_EQ(result, grrBOF);
    else if (eof) ASSERT_EQ(result, grrEOF);
    else if (!model_.count(id)) {
      ASSERT_EQ(result, grrError) << "a bookmark of a deleted record";
      ASSERT_TRUE(c.cursor->IsRecordDeleted());
      c.cursor->First();
      c.bof = true, c.eof = false;
    } else {
      ASSERT_EQ(result, grrDone);
      ASSERT_FALSE(c.cursor->IsRecordDeleted());
      Stand(c, id);
    }
  }

  bool CodeTaken(int32_t code, const TDVXRecordID* except = nullptr) {
    for (auto& [id, r] : model_)
      if (r.code == code && !(except && id == *except)) return true;
    return false;
  }
  std::string RandomName() {
    static const char* kNames[] = {"Arnica", "Belladonna", "Calendula", "", "Ignatia", "Nux vomica", "Sulfur"};
    return kNames[rng_() % 7];
  }

  void Change(TModelCursor& c) {
    TDVXLocalCursor& cursor = *c.cursor;
    const int how = GetParam() == sTemporary ? 0 : static_cast<int>(rng_() % 3);
    if (how == 0 || c.bof || c.eof) {
      const TDVXBookmark before = cursor.GetBookmark();
      cursor.NewRecord();
      TRow r{0, static_cast<int32_t>(rng_() % 400), RandomName()};
      SetInt(cursor.Record(), kCode, r.code);
      SetText(cursor.Record(), kName, r.name);
      const TDVXCursorResult result = cursor.InsertRecord();
      if (CodeTaken(r.code)) {
        ASSERT_EQ(result.code, kErrUniqueDuplicate);
        // The buffer holds the refused record unless the position's record
        // can be read again.
        cursor.GotoBookmark(before);
        if (!c.bof && !c.eof) c.buffer = Read(cursor);
        return;
      }
      ASSERT_THAT(result, Succeeded());
      r.id = *GetInt(cursor.Record(), kId);
      model_[cursor.RecordID()] = r;
      Stand(c, cursor.RecordID());
      return;
    }
    if (!model_.count(c.id)) return;  // gone under the cursor; nothing to edit
    ASSERT_EQ(cursor.GetRecord(grmCurrent), grrDone);
    c.buffer = model_.at(c.id);
    if (how == 1) {
      TRow r = model_.at(c.id);
      r.code = static_cast<int32_t>(rng_() % 400);
      if (rng_() % 2) r.name = RandomName();
      SetInt(cursor.Record(), kCode, r.code);
      SetText(cursor.Record(), kName, r.name);
      const TDVXCursorResult result = cursor.UpdateRecord();
      if (CodeTaken(r.code, &c.id)) {
        ASSERT_EQ(result.code, kErrUniqueDuplicate);
        ASSERT_EQ(cursor.GetRecord(grmCurrent), grrDone);
        return;
      }
      ASSERT_THAT(result, Succeeded());
      model_[c.id] = r;
      c.buffer = r;
      return;
    }
    // Delete: the cursor goes to the next record of its set after the
    // deleted key, else the prior one, else to EOF.
    const TDVXRecordID gone = c.id;
    std::optional<TDVXRecordID> next = Neighbour(c, true);
    std::optional<TDVXRecordID> prior = Neighbour(c, false);
    ASSERT_THAT(cursor.DeleteRecord(), Succeeded());
    model_.erase(gone);
    if (next) Stand(c, *next);
    else if (prior) Stand(c, *prior);
    else c.bof = false, c.eof = true;
  }

  struct TSavedBookmark {
    TDVXBookmark bookmark;
    bool bof, eof;
    TDVXRecordID id;
  };
  std::mt19937 rng_{4711};
  TModel model_{ByID};
  std::vector<TSavedBookmark> bookmarks_;
};

TEST_P(LocalCursorModelTest, CursorsOfTwoSessionsAgreeWithModelAfterEveryStep) {
  CreateDatabase();
  TDVXMemoryDatabaseData memory;
  TDVXTemporaryDatabaseData temporary;
  if (GetParam() == sMemory) UseDatabase(memory);
  if (GetParam() == sTemporary) UseDatabase(temporary);
  CreateRemedies();
  OpenCursor();
  auto second = std::make_unique<TDVXLocalSession>(Database());
  std::vector<TModelCursor> cursors(4);
  for (size_t i = 0; i < cursors.size(); ++i) {
    cursors[i].cursor = std::make_unique<TDVXLocalCursor>(i % 2 ? *second : *session_, kTable);
    cursors[i].cursor->Open();
  }
  int moved = 0, found = 0;
  for (int step = 0; step < 4000; ++step) {
    TModelCursor& c = cursors[rng_() % cursors.size()];
    const int what = static_cast<int>(rng_() % 20);
    const std::string label = "step " + std::to_string(step) + " action " + std::to_string(what);
    SCOPED_TRACE(label);
    if (what < 7) {
      ASSERT_NO_FATAL_FAILURE(Navigate(c));
      moved += !c.bof && !c.eof;
    } else if (what < 9) {
      ASSERT_NO_FATAL_FAILURE(ChangeOrderOrRestriction(c));
    } else if (what < 11) {
      ASSERT_NO_FATAL_FAILURE(SearchKey(c));
      found += !c.bof && !c.eof;
    } else if (what < 12) {
      ASSERT_NO_FATAL_FAILURE(Numbers(c));
    } else if (what < 13) {
      ASSERT_NO_FATAL_FAILURE(Bookmarks(c));
    } else {
      ASSERT_NO_FATAL_FAILURE(Change(c));
    }
    for (const TModelCursor& other : cursors) ASSERT_NO_FATAL_FAILURE(ExpectPosition(other, label.c_str()));
  }
  EXPECT_GT(model_.size(), 20u);
  EXPECT_GT(moved, 500);
  EXPECT_GT(found, 100);
  for (TModelCursor& c : cursors) c.cursor.reset();
  ExpectIndexesValid();
  cursor_.reset();
  second.reset();
  session_.reset();
}

INSTANTIATE_TEST_SUITE_P(Storages, LocalCursorModelTest, ::testing::Values(sDisk, sMemory, sTemporary),
                         [](const auto& info) {
                           return std::string(info.param == sDisk ? "Disk" : info.param == sMemory ? "Memory"
                                                                                               : "Temporary");
                         });

}  // namespace
}  // namespace dvx::test
