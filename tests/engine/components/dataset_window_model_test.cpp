// A randomized test of the window of record buffers against a simple
// model: the records as a list of keys, the window as the keys of its rows
// with the active row, and each link's first row in the window. After
// every step the dataset and two links must show what the model shows.
#include <algorithm>
#include <random>

#include "tests/engine/components/dataset_fixture.h"

namespace dvx::testing {
namespace {

constexpr int kNew = -1;  // the row of a record being inserted, before its key is set

struct TLinkModel {
  int bufferCount = 1;
  int first = 0;  // the window row shown first
};

class TWindowModel {
 public:
  std::vector<int> rows;  // keys in order
  std::vector<int> win;   // keys of the window's rows
  int act = 0;
  int bufferCount = 1;
  bool bof = true, eof = true;
  TDataSetState state = dsBrowse;
  int anchor = -1;  // insert: the index the new record goes to (rows.size() for append)
  int pendingKey = kNew;
  std::vector<TLinkModel> links;

  int Cur() const { return static_cast<int>(std::find(rows.begin(), rows.end(), win[act]) - rows.begin()); }
  int Top() const { return static_cast<int>(std::find(rows.begin(), rows.end(), win[0]) - rows.begin()); }
  int N() const { return static_cast<int>(rows.size()); }

  void SetWindow(int top, int count, int active) {
    win.assign(rows.begin() + top, rows.begin() + top + count);
    act = active;
  }
  void Empty() {
    win.clear();
    act = 0;
    bof = eof = true;
  }
  // The links keep their first row and are clamped (a re-read window).
  void Changed() {
    for (TLinkModel& link : links) Clamp(link, link.first);
  }
  // The links keep their first record (a scrolled window); each is told
  // how far its rows moved on top of that, in records.
  void Scrolled(int shift) {
    scrolls.clear();
    for (TLinkModel& link : links) {
      const int moved = link.first + shift;
      Clamp(link, moved);
      scrolls.push_back(link.first - moved);
    }
  }
  std::vector<int> scrolls;
  void Clamp(TLinkModel& link, int first) {
    const int count = static_cast<int>(win.size());
    if (act >= first + link.bufferCount) first = act - link.bufferCount + 1;
    if (act < first) first = act;
    if (first + link.bufferCount > count) first = std::max(0, count - link.bufferCount);
    if (first > act) first = act;
    link.first = std::max(first, 0);
  }

  void Resync(int hint, int cur) {
    if (rows.empty()) {
      Empty();
    } else {
      int before = std::min(hint, cur);
      const int after = std::min(bufferCount - 1 - before, N() - 1 - cur);
      before += std::min(bufferCount - 1 - before - after, cur - before);
      SetWindow(cur - before, before + after + 1, before);
      bof = eof = false;
    }
    Changed();
  }
  void First() {
    if (rows.empty()) {
      Empty();
    } else {
      SetWindow(0, std::min(bufferCount, N()), 0);
      bof = true;
      eof = false;
    }
    Changed();
  }
  void Last() {
    if (rows.empty()) {
      Empty();
    } else {
      const int count = std::min(bufferCount, N());
      SetWindow(N() - count, count, count - 1);
      eof = true;
      bof = false;
    }
    Changed();
  }
  int MoveBy(int distance) {
    if (distance == 0 || (distance > 0 && eof) || (distance < 0 && bof)) return 0;
    bof = eof = false;
    const int cur = Cur();
    const int oldTop = Top();
    int target = cur + distance;
    if (target > N() - 1) {
      target = N() - 1;
      eof = true;
    }
    if (target < 0) {
      target = 0;
      bof = true;
    }
    int top = oldTop;
    const int count = static_cast<int>(win.size());
    if (target > top + count - 1) top = target - count + 1;
    if (target < top) top = target;
    SetWindow(top, count, target - top);
    Scrolled(oldTop - top);
    return target - cur;
  }
  void Insert() {
    anchor = rows.empty() ? 0 : Cur();
    win.insert(win.begin() + act, kNew);
    if (static_cast<int>(win.size()) > bufferCount) win.pop_back();
    state = dsInsert;
    pendingKey = kNew;
    bof = eof = false;
    Changed();
  }
  void Append() {
    const int count = std::min(bufferCount - 1, N());
    SetWindow(N() - count, count, count);
    win.push_back(kNew);
    anchor = N();
    state = dsInsert;
    pendingKey = kNew;
    bof = eof = false;
    Changed();
  }
  void SetKey(int key) {
    pendingKey = key;
    win[act] = key;
  }
  void Post() {
    if (state == dsInsert) {
      rows.insert(rows.begin() + anchor, pendingKey);
      state = dsBrowse;
      Resync(act, anchor);
    } else {
      const int cur = static_cast<int>(std::find(rows.begin(), rows.end(), editedKey) - rows.begin());
      rows[cur] = pendingKey;
      state = dsBrowse;
      Resync(act, cur);
    }
  }
  void Cancel() {
    if (state == dsInsert) {
      state = dsBrowse;
      // An append goes back to the last record, an insert to the record
      // it stood before.
      Resync(act, std::min(anchor, N() - 1));
    } else {
      state = dsBrowse;
      win[act] = editedKey;
      Resync(act, Cur());
    }
  }
  void Delete() {
    const int cur = Cur();
    rows.erase(rows.begin() + cur);
    Resync(act, std::min(cur, N() - 1));
  }
  void GotoIndex(int cur) { Resync((bufferCount - 1) / 2, cur); }
  void SetBufferCount(int count) {
    const int old = bufferCount;
    bufferCount = count;
    if (!win.empty() && count < old) {
      const int drop = std::max(0, act - count + 1);
      win.erase(win.begin(), win.begin() + drop);
      act -= drop;
      if (static_cast<int>(win.size()) > count) win.resize(count);
    } else if (!win.empty() && count > old) {
      int top = Top();
      int last = top + static_cast<int>(win.size()) - 1;
      while (static_cast<int>(win.size()) < count && last + 1 < N()) win.push_back(rows[++last]);
      while (static_cast<int>(win.size()) < count && top > 0) {
        win.insert(win.begin(), rows[--top]);
        ++act;
      }
    }
    Changed();
  }

  int editedKey = 0;
};

class DataSetWindowModelTest : public DataSetTest {
 protected:
  void SetUp() override {
    Fill(12);
    for (int i = 1; i <= 12; ++i) model.rows.push_back(i);
    nextKey = 100;
    source.SetDataSet(&dataSet);
    link.SetDataSource(&source);
    small.SetDataSource(&source);
    small.SetBufferCount(2);
    model.links = {{1, 0}, {2, 0}};
    model.bufferCount = 2;
    dataSet.Open();
    model.First();
  }

  // The keys of a link's rows, read through the link.
  std::vector<int> RowsOf(TDataLink& view) {
    std::vector<int> keys;
    const int active = view.ActiveRecord();
    for (int row = 0; row < view.RecordCount(); ++row) {
      view.SetActiveRecord(row);
      TField& key = dataSet.FieldByName("Key");
      keys.push_back(key.IsNull() ? kNew : key.AsInteger());
    }
    view.SetActiveRecord(active);
    return keys;
  }

  void Check(const std::string& step) {
    SCOPED_TRACE(step);
    ASSERT_EQ(dataSet.State(), model.state);
    ASSERT_EQ(dataSet.Bof(), model.bof);
    ASSERT_EQ(dataSet.Eof(), model.eof);
    ASSERT_EQ(dataSet.RecordCount(), model.N());
    if (model.win.empty()) {
      ASSERT_TRUE(dataSet.IsEmpty());
    } else {
      TField& key = dataSet.FieldByName("Key");
      ASSERT_EQ(key.IsNull() ? kNew : key.AsInteger(), model.win[model.act]);
      const int cur = model.state == dsEdit ? static_cast<int>(std::find(model.rows.begin(), model.rows.end(),
                                                                           model.editedKey) -
                                                                 model.rows.begin())
                                            : model.Cur();
      ASSERT_EQ(dataSet.RecNo(), model.state == dsInsert ? -1 : cur + 1);
    }
    TDataLink* views[] = {&link, &small};
    for (int i = 0; i < 2; ++i) {
      const TLinkModel& m = model.links[i];
      const int count = std::clamp(static_cast<int>(model.win.size()) - m.first, 0, m.bufferCount);
      ASSERT_EQ(views[i]->RecordCount(), count) << "link " << i;
      if (count > 0) ASSERT_EQ(views[i]->ActiveRecord(), model.act - m.first) << "link " << i;
      std::vector<int> expected(model.win.begin() + m.first, model.win.begin() + m.first + count);
      ASSERT_EQ(RowsOf(*views[i]), expected) << "link " << i;
    }
    if (model.N() > model.bufferCount && !model.win.empty() && model.state == dsBrowse) {
      if (model.Top() == 0) ++atStart;
      if (model.Top() + static_cast<int>(model.win.size()) == model.N()) ++atEnd;
    }
  }

  void Step(std::mt19937& random) {
    const int op = static_cast<int>(random() % 17);
    const int n = model.N();
    if (model.state != dsBrowse) {
      switch (op % 4) {
        case 0: {
          const int key = nextKey++;
          dataSet.FieldByName("Key").SetAsInteger(key);
          model.SetKey(key);
          return Check("set key");
        }
        case 1:
          if (model.pendingKey == kNew) {
            EXPECT_EQ(DatabaseErrorOf([&] { dataSet.Post(); }), "Field 'Key' must have a value");
            return Check("post without key");
          }
          dataSet.Post();
          // A bookmark belongs to the record, whatever its key becomes.
          if (model.state == dsEdit && bookmarkKey == model.editedKey) bookmarkKey = model.pendingKey;
          model.Post();
          return Check("post");
        case 2:
          dataSet.Cancel();
          model.Cancel();
          return Check("cancel");
        default:
          if (model.pendingKey != kNew) {
            dataSet.RefuseNextPost("refused");
            EXPECT_EQ(DatabaseErrorOf([&] { dataSet.Post(); }), "refused");
            ++failedPosts;
          }
          return Check("failed post");
      }
    }
    switch (op) {
      case 0:
        dataSet.First();
        model.First();
        return Check("first");
      case 1:
        dataSet.Last();
        model.Last();
        return Check("last");
      case 2:
      case 3:
      case 4: {
        const int distance = op == 2 ? 1 : op == 3 ? -1 : static_cast<int>(random() % 15) - 7;
        link.ClearEvents();
        small.ClearEvents();
        model.scrolls = {0, 0};
        const bool still = distance == 0 || (distance > 0 && model.eof) || (distance < 0 && model.bof);
        const int moved = dataSet.MoveBy(distance);
        EXPECT_EQ(moved, model.MoveBy(distance));
        if (!still) {
          EXPECT_EQ(link.scrolls, std::vector<int>{model.scrolls[0]});
          EXPECT_EQ(small.scrolls, std::vector<int>{model.scrolls[1]});
        } else {
          EXPECT_TRUE(link.scrolls.empty());
        }
        return Check("move by " + std::to_string(distance));
      }
      case 5:
        if (n == 0) return;
        {
          const int recNo = 1 + static_cast<int>(random() % n);
          dataSet.SetRecNo(recNo);
          model.GotoIndex(recNo - 1);
          return Check("recno " + std::to_string(recNo));
        }
      case 6:
        if (n == 0) return;
        bookmark = dataSet.GetBookmark();
        bookmarkKey = model.win[model.act];
        return;
      case 7: {
        if (bookmark.empty()) return;
        const auto at = std::find(model.rows.begin(), model.rows.end(), bookmarkKey);
        if (at == model.rows.end()) {
          EXPECT_EQ(DatabaseErrorOf([&] { dataSet.GotoBookmark(bookmark); }), "Record not found");
          ++staleBookmarks;
        } else {
          dataSet.GotoBookmark(bookmark);
          model.GotoIndex(static_cast<int>(at - model.rows.begin()));
        }
        return Check("goto bookmark");
      }
      case 8:
        dataSet.Insert();
        model.Insert();
        return Check("insert");
      case 9:
        dataSet.Append();
        model.Append();
        return Check("append");
      case 10:
        if (n == 0) return;
        model.editedKey = model.win[model.act];
        dataSet.Edit();
        model.state = dsEdit;
        model.pendingKey = model.editedKey;
        return Check("edit");
      case 11:
      case 12:
        if (n == 0) {
          EXPECT_EQ(DatabaseErrorOf([&] { dataSet.Delete(); }), "Cannot perform this operation on an empty dataset");
          return Check("delete on empty");
        }
        dataSet.Delete();
        model.Delete();
        return Check("delete");
      case 13:
        if (n == 0) return;
        dataSet.RefuseNextDelete("refused");
        EXPECT_EQ(DatabaseErrorOf([&] { dataSet.Delete(); }), "refused");
        ++failedDeletes;
        return Check("failed delete");
      default: {
        const int count = 1 + static_cast<int>(random() % 6);
        link.SetBufferCount(count);
        model.links[0].bufferCount = count;
        model.SetBufferCount(std::max(count, 2));
        ++bufferChanges;
        return Check("buffer count " + std::to_string(count));
      }
    }
  }

  TWindowModel model;
  TRecordingLink small;
  int nextKey = 0;
  TBookmark bookmark;
  int bookmarkKey = 0;
  int failedPosts = 0, failedDeletes = 0, staleBookmarks = 0, bufferChanges = 0, atStart = 0, atEnd = 0;
};

TEST_F(DataSetWindowModelTest, RandomOperationsMatchTheModel) {
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    std::mt19937 random(seed);
    for (int step = 0; step < 400; ++step) {
      SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step));
      Step(random);
      if (HasFatalFailure()) return;
      // Keep the records between a few and a couple of windows.
      if (model.state == dsBrowse && model.N() < 3) {
        for (int i = 0; i < 6; ++i) {
          dataSet.Append();
          const int key = nextKey++;
          dataSet.FieldByName("Key").SetAsInteger(key);
          dataSet.Post();
          model.Append();
          model.SetKey(key);
          model.Post();
        }
        Check("refill");
        if (HasFatalFailure()) return;
      }
    }
  }
  EXPECT_GT(failedPosts, 10);
  EXPECT_GT(failedDeletes, 10);
  EXPECT_GT(staleBookmarks, 0);
  EXPECT_GT(bufferChanges, 10);
  EXPECT_GT(atStart, 10);
  EXPECT_GT(atEnd, 10);
}

}  // namespace
}  // namespace dvx::testing
