// Two datasets on one table driven at random and compared after every
// step with a model: the table as an ordered map, and for each dataset its
// current record. Posts that break the unique key and deletes a database
// event refuses must leave everything as it was; the other dataset must
// follow every change through the cursor's observer.
#include <cstring>
#include <map>
#include <optional>
#include <random>

#include "tests/engine/components/dvx_dataset_fixture.h"

namespace dvx::test {
namespace {

class DataSetModelTest : public TDataSetFixture {
 protected:
  struct TView {
    TTestDataSet* ds;
    std::unique_ptr<TDataSource> source;
    std::unique_ptr<TRowLink> link;
    std::optional<int> current;  // the model's current Id
    std::map<int, TBookmark> bookmarks;
  };

  // Ids in key order.
  std::vector<int> Ids() const {
    std::vector<int> ids;
    for (const auto& [id, code] : table_) ids.push_back(id);
    return ids;
  }
  int Position(int id) const {
    int n = 1;
    for (const auto& [key, code] : table_) {
      if (key == id) return n;
      ++n;
    }
    return -1;
  }
  // Where a view stands after its record was deleted: the next, else the prior.
  std::optional<int> Neighbour(int id) const {
    auto next = table_.upper_bound(id);
    if (next != table_.end()) return next->first;
    auto prior = table_.lower_bound(id);
    if (prior == table_.begin()) return std::nullopt;
    return std::prev(prior)->first;
  }

  void Check(TView& v, int step) {
    SCOPED_TRACE("step " + std::to_string(step));
    TTestDataSet& ds = *v.ds;
    ASSERT_EQ(ds.State(), dsBrowse);
    ASSERT_EQ(ds.RecordCount(), static_cast<int64_t>(table_.size()));
    if (table_.empty()) {
      EXPECT_TRUE(ds.IsEmpty());
      EXPECT_EQ(v.link->RecordCount(), 0);
      return;
    }
    ASSERT_TRUE(v.current.has_value());
    ASSERT_EQ(ds.FieldByName("Id").AsInteger(), *v.current);
    EXPECT_EQ(ds.FieldByName("Code").AsInteger(), table_.at(*v.current));
    EXPECT_EQ(ds.RecNo(), Position(*v.current));
    // The link's rows are consecutive records of the order around the
    // current one, as many as the window holds.
    const std::vector<int> rows = v.link->Rows("Id");
    const std::vector<int> ids = Ids();
    ASSERT_EQ(rows.size(), std::min(ids.size(), static_cast<size_t>(kRows)));
    auto start = std::find(ids.begin(), ids.end(), rows.front());
    ASSERT_NE(start, ids.end());
    ASSERT_LE(static_cast<size_t>(start - ids.begin()) + rows.size(), ids.size());
    EXPECT_TRUE(std::equal(rows.begin(), rows.end(), start));
    EXPECT_EQ(rows.at(static_cast<size_t>(v.link->ActiveRecord())), *v.current);
  }

  static constexpr int kRows = 4;
  std::map<int, int> table_;  // Id -> Code
};

TEST_F(DataSetModelTest, TwoDataSetsFollowTheModel) {
  TView views[2];
  for (TView& v : views) {
    v.ds = &MakeDataSet("Items", "PK");
    v.source = std::make_unique<TDataSource>();
    v.source->SetDataSet(v.ds);
    v.link = std::make_unique<TRowLink>(*v.source, kRows);
    v.ds->Open();
  }
  // A delete of a record whose code ends in 7 is refused by the database.
  database_->BeforeDeleteRecord = [](TDVXDatabase&, TComponent&, const std::string&,
                                     const std::vector<TDVXVariant>& values, bool& abort) {
    abort = values[1].GetAsSignedInt32() % 10 == 7;
  };
  std::mt19937 random(20240611);
  int nextCode = 1;
  int failedPosts = 0, failedDeletes = 0, deletes = 0, inserts = 0, edits = 0, cancels = 0, followed = 0;
  for (int step = 0; step < 600; ++step) {
    TView& v = views[random() % 2];
    TView& other = &v == &views[0] ? views[1] : views[0];
    TTestDataSet& ds = *v.ds;
    const std::vector<int> ids = Ids();
    const int op = static_cast<int>(random() % 12);
    const std::optional<int> otherBefore = other.current;
    if (op == 0 && !ids.empty()) {
      ds.First();
      v.current = ids.front();
    } else if (op == 1 && !ids.empty()) {
      ds.Last();
      v.current = ids.back();
    } else if (op == 2 && v.current) {
      const int moved = ds.MoveBy(static_cast<int>(random() % 5) - 2);
      const int at = Position(*v.current) - 1 + moved;
      v.current = ids.at(static_cast<size_t>(at));
    } else if (op == 3 && v.current) {
      v.bookmarks[*v.current] = ds.GetBookmark();
    } else if (op == 4 && !v.bookmarks.empty()) {
      auto it = std::next(v.bookmarks.begin(), static_cast<long>(random() % v.bookmarks.size()));
      if (table_.count(it->first)) {
        ds.GotoBookmark(it->second);
        v.current = it->first;
      } else {
        // The engine may give the record's place to a later record; the
        // bookmark then leads there, never to the record that has gone.
        if (ds.BookmarkValid(it->second)) {
          ds.GotoBookmark(it->second);
          v.current = ds.FieldByName("Id").AsInteger();
          EXPECT_NE(*v.current, it->first);
        }
        v.bookmarks.erase(it);
      }
    } else if (op == 5 && !ids.empty()) {
      const int n = 1 + static_cast<int>(random() % (ids.size() + 2));
      ds.SetRecNo(n);
      v.current = ids.at(static_cast<size_t>(std::min<int>(n, static_cast<int>(ids.size())) - 1));
    } else if (op <= 7) {
      // Insert; one in four reuses a taken code and must fail.
      const bool clash = !table_.empty() && random() % 4 == 0;
      const int code = clash ? table_.begin()->second : nextCode++;
      const bool append = random() % 2 == 0;
      if (append) ds.Append(); else ds.Insert();
      // A cancelled append leaves the dataset at the end it went to.
      const std::optional<int> afterCancel =
          append && !table_.empty() ? std::optional<int>(table_.rbegin()->first) : v.current;
      ds.FieldByName("Code").SetAsInteger(code);
      ds.FieldByName("Name").SetAsString("n" + std::to_string(code));
      if (clash) {
        EXPECT_THROW(ds.Post(), EDVXException);
        EXPECT_EQ(ds.State(), dsInsert);
        EXPECT_EQ(ds.FieldByName("Code").AsInteger(), code);
        ++failedPosts;
        ds.Cancel();
        ++cancels;
        v.current = afterCancel;
      } else if (random() % 5 == 0) {
        ds.Cancel();
        ++cancels;
        v.current = afterCancel;
      } else {
        ds.Post();
        v.current = ds.FieldByName("Id").AsInteger();
        table_[*v.current] = code;
        ++inserts;
      }
    } else if (op <= 9 && v.current) {
      const bool clash = table_.size() > 1 && random() % 3 == 0;
      int code = nextCode++;
      if (clash)
        for (const auto& [id, c] : table_)
          if (id != *v.current) code = c;
      ds.Edit();
      ds.FieldByName("Code").SetAsInteger(code);
      if (clash) {
        EXPECT_THROW(ds.Post(), EDVXException);
        EXPECT_EQ(ds.State(), dsEdit);
        ++failedPosts;
        ds.Cancel();
        ++cancels;
      } else {
        ds.Post();
        table_[*v.current] = code;
        ++edits;
      }
    } else if (v.current) {
      const int id = *v.current;
      if (table_.at(id) % 10 == 7) {
        EXPECT_THROW(ds.Delete(), EDVXException);
        ++failedDeletes;
      } else {
        ds.Delete();
        v.current = Neighbour(id);
        table_.erase(id);
        ++deletes;
      }
    }
    // The other dataset: its record stays, or gives way to its neighbour.
    if (other.current && !table_.count(*other.current)) {
      // Neighbour of a key no longer in the map.
      auto next = table_.upper_bound(*other.current);
      other.current = next != table_.end() ? std::optional<int>(next->first)
                                           : (table_.empty() ? std::nullopt : std::optional<int>(table_.rbegin()->first));
    }
    if (!other.current && !table_.empty()) other.current = table_.begin()->first;
    if (other.current != otherBefore) ++followed;
    if (!v.current && !table_.empty()) v.current = ds.FieldByName("Id").AsInteger();
    SCOPED_TRACE("op " + std::to_string(op) + (&v == &views[0] ? " on A" : " on B"));
    Check(v, step);
    Check(other, step);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(failedPosts, 10);
  EXPECT_GT(failedDeletes, 0);
  EXPECT_GT(deletes, 10);
  EXPECT_GT(inserts, 10);
  EXPECT_GT(edits, 10);
  EXPECT_GT(cancels, 5);
  EXPECT_GT(followed, 5) << "the other dataset had to move after changes";
}

TEST_F(DataSetModelTest, TheOtherDataSetHearsOfAChange) {
  TTestDataSet& a = OpenItems();
  TTestDataSet& b = OpenItems();
  TDataSource source;
  source.SetDataSet(&b);
  TRowLink link(source, 3);
  AddItem(a, 1, "one");
  EXPECT_EQ(b.RecordCount(), 1);
  EXPECT_EQ(link.Rows("Code"), std::vector<int>{1});
  const int heard = link.dataSetChanges;
  a.Edit();
  a.FieldByName("Code").SetAsInteger(5);
  a.Post();
  EXPECT_GT(link.dataSetChanges, heard);
  EXPECT_EQ(b.FieldByName("Code").AsInteger(), 5) << "re-read without being asked";
}

TEST_F(DataSetModelTest, AChangeDuringAnEditWaitsForThePost) {
  TTestDataSet& a = OpenItems();
  TTestDataSet& b = OpenItems();
  AddItem(a, 1, "one");
  b.First();
  b.Edit();
  b.FieldByName("Name").SetAsString("mine");
  AddItem(a, 2, "two");
  EXPECT_EQ(b.State(), dsEdit);
  EXPECT_EQ(b.FieldByName("Name").AsString(), "mine") << "the user's value is kept";
  b.Post();
  EXPECT_EQ(b.RecordCount(), 2);
  b.Last();
  EXPECT_EQ(b.FieldByName("Code").AsInteger(), 2);
}

}  // namespace
}  // namespace dvx::test
