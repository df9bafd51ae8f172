// Walking an index: the cursor's neighbour reads with both ends and
// vanished records, moves along key paths, path comparison, record numbers
// and the duplicate filter.
#include <algorithm>
#include <random>

#include "tests/engine/tables/btree_test_support.h"

namespace dvx::test {
namespace {

class BTreeNavigationTest : public TBTreeFixture {
 protected:
  // Keys 0, 10, ..., 290 on 64-byte pages: three levels.
  void BuildTens() {
    MakeIntIndex(64);
    std::vector<int32_t> keys;
    for (int i = 0; i < 30; ++i) keys.push_back(i * 10);
    std::mt19937 rng(1);
    std::shuffle(keys.begin(), keys.end(), rng);
    for (int32_t k : keys) byKey_[k] = InsertInt(k);
  }
  TDVXIndexRecordResult Get(TDVXGetRecordMode mode) {
    request_.mode = mode;
    request_.record = buffer_.data();
    return index_->GetRecord(kSession, request_, table_);
  }
  void StandOn(int32_t key) {
    request_.recordID = byKey_.at(key);
    buffer_ = table_.Get(request_.recordID);
    request_.bof = request_.eof = false;
  }
  std::optional<int32_t> BufferKey() { return IntOf(index_->KeyRef().MakeKey(buffer_.data())); }

  std::map<int32_t, TDVXRecordID> byKey_;
  TDVXIndexGetRecordRequest request_;
  Record buffer_ = Record(64, 0);
};

TEST_F(BTreeNavigationTest, GetRecordWalksBothWaysAndStopsAtEitherEnd) {
  BuildTens();
  buffer_ = table_.NewRecord();
  request_.bof = true;
  for (int i = 0; i < 30; ++i) {
    ASSERT_EQ(Get(grmNext), grrRecordRead) << i;
    EXPECT_EQ(BufferKey(), i * 10);
    EXPECT_EQ(request_.recordID, byKey_[i * 10]);
    EXPECT_FALSE(request_.bof || request_.eof);
  }
  EXPECT_EQ(Get(grmNext), grrEndPassedOrEmpty);
  EXPECT_TRUE(request_.eof);
  EXPECT_EQ(Get(grmNext), grrEndPassedOrEmpty) << "past the end stays there";
  EXPECT_EQ(request_.recordID, byKey_[290]) << "the last record is not read again";
  for (int i = 29; i >= 0; --i) {
    ASSERT_EQ(Get(grmPrior), grrRecordRead) << i;
    EXPECT_EQ(BufferKey(), i * 10);
  }
  EXPECT_EQ(Get(grmPrior), grrBeginningPassed);
  EXPECT_TRUE(request_.bof);
  EXPECT_FALSE(request_.eof);
  EXPECT_EQ(Get(grmPrior), grrBeginningPassed);
  ASSERT_EQ(Get(grmNext), grrRecordRead);
  EXPECT_EQ(BufferKey(), 0);
}

TEST_F(BTreeNavigationTest, GetRecordRefusesTheCurrentModeAndAMissingBuffer) {
  BuildTens();
  StandOn(10);
  EXPECT_THAT([&] { Get(grmCurrent); }, ThrowsDvx(20053, "Invalid get record mode for index: grmCurrent"));
  request_.mode = grmNext;
  request_.record = nullptr;
  EXPECT_THAT([&] { index_->GetRecord(kSession, request_, table_); }, ThrowsDvx(30948, "Pointer is nil"));
}

TEST_F(BTreeNavigationTest, EmptyIndexEndsEveryMove) {
  MakeIntIndex(64);
  buffer_ = IntRecord(1);
  request_.bof = true;
  EXPECT_EQ(Get(grmNext), grrEndPassedOrEmpty) << "no pages yet";
  TDVXRecordID id = InsertInt(1);
  Delete(id);
  request_.bof = false;
  request_.eof = true;
  EXPECT_EQ(Get(grmPrior), grrEndPassedOrEmpty) << "an empty root leaf";
  EXPECT_TRUE(request_.eof);
  EXPECT_FALSE(request_.bof);
}

TEST_F(BTreeNavigationTest, VanishedRecordContinuesFromWhereItsKeyWouldStand) {
  BuildTens();
  StandOn(150);
  Delete(byKey_[150]);
  ASSERT_EQ(Get(grmNext), grrRecordRead);
  EXPECT_EQ(BufferKey(), 160);
  StandOn(160);
  Delete(byKey_[160]);
  buffer_ = IntRecord(160);
  ASSERT_EQ(Get(grmPrior), grrRecordRead);
  EXPECT_EQ(BufferKey(), 140);
  // A vanished record behind the last key passes the end.
  request_.recordID = TDVXRecordID{9, 9};
  buffer_ = IntRecord(999);
  EXPECT_EQ(Get(grmNext), grrEndPassedOrEmpty);
}

TEST_F(BTreeNavigationTest, VanishedDuplicateSkipsNoRecordOfItsKey) {
  MakeIntIndex(64);
  InsertInt(5);
  std::vector<TDVXRecordID> sevens;
  for (int i = 0; i < 12; ++i) sevens.push_back(InsertInt(7));
  InsertInt(9);
  auto order = RecordOrder();
  // Stand on the middle seven, delete it, and walk on: every other seven
  // that came after it in the index is still met before the nine.
  const TDVXRecordID middle = order[6];
  std::vector<TDVXRecordID> after(order.begin() + 7, order.end() - 1);
  request_.recordID = middle;
  buffer_ = table_.Get(middle);
  Delete(middle);
  std::vector<TDVXRecordID> met;
  while (Get(grmNext) == grrRecordRead && BufferKey() == 7) met.push_back(request_.recordID);
  EXPECT_EQ(BufferKey(), 9);
  for (const TDVXRecordID& id : after) EXPECT_NE(std::find(met.begin(), met.end(), id), met.end());
}

TEST_F(BTreeNavigationTest, RecordTheTableCannotReadIsResult3) {
  BuildTens();
  StandOn(40);
  table_.Remove(byKey_[50]);  // the index still holds it
  EXPECT_EQ(Get(grmNext), grrNotReadable);
  EXPECT_EQ(request_.recordID, byKey_[40]) << "the position stays";
}

TEST_F(BTreeNavigationTest, PathMovesNeedAPositionAndTheLevelLinks) {
  BuildTens();
  TDVXKeyPath empty;
  EXPECT_THAT([&] { index_->MoveNext(kSession, empty); }, ThrowsDvx(20068, "Index error: invalid position"));
  EXPECT_THAT([&] { index_->MovePrior(kSession, empty); }, ThrowsDvx(20069, "Index error: invalid position"));
  TDVXKeyPath path;
  ASSERT_TRUE(index_->First(kSession, path));
  ASSERT_GE(path.Depth(), 2);
  const int32_t firstLeaf = path.Leaf().pageNo;
  while (path.Leaf().pageNo == firstLeaf) ASSERT_TRUE(index_->MoveNext(kSession, path));
  ASSERT_TRUE(index_->MovePrior(kSession, path));
  Patch(firstLeaf, 6, {0xff, 0xff, 0xff, 0xff});  // the first leaf loses its next link
  EXPECT_THAT([&] { index_->MoveNext(kSession, path); }, ThrowsDvx(20070, "Index error: invalid page number"));
}

TEST_F(BTreeNavigationTest, KeyPathsCompareByPositionWithinOneTree) {
  BuildTens();
  TDVXKeyPath a, b;
  ASSERT_TRUE(index_->FindKeyPath(kSession, table_.Get(byKey_[30]).data(), byKey_[30], a));
  ASSERT_TRUE(index_->FindKeyPath(kSession, table_.Get(byKey_[200]).data(), byKey_[200], b));
  EXPECT_EQ(index_->CompareKeyPaths(a, b), -1);
  EXPECT_EQ(index_->CompareKeyPaths(b, a), 1);
  EXPECT_EQ(index_->CompareKeyPaths(a, a), 0);
  TDVXKeyPath shorter = a;
  shorter.Pop();
  EXPECT_THAT([&] { index_->CompareKeyPaths(a, shorter); }, ThrowsDvx(20051, "Invalid index key path"));
  TDVXKeyPath foreign = a;
  foreign.Level(0).pageNo = 12345;
  EXPECT_THAT([&] { index_->CompareKeyPaths(a, foreign); }, ThrowsDvx(20052, "Invalid index key path"));
}

TEST_F(BTreeNavigationTest, KeyPathHoldsThirtyTwoLevelsAndAFractionalPosition) {
  TDVXKeyPath path;
  path.Push(7, 1, 2);
  path.Push(8, 1, 4);
  EXPECT_DOUBLE_EQ(path.Position(), (1 * 4 + 1) / 8.0);
  for (int i = 2; i < TDVXKeyPath::kMaxDepth; ++i) path.Push(i, 0, 1);
  EXPECT_THAT([&] { path.Push(99, 0, 1); }, ThrowsDvx(30920));
}

TEST_F(BTreeNavigationTest, RecordNumbersCountTheLeavesToTheLeft) {
  BuildTens();
  TDVXRecordIDList evens;
  for (int i = 0; i < 30; i += 2) evens.push_back(byKey_[i * 10]);
  for (int i = 0; i < 30; ++i) {
    const TDVXRecordID id = byKey_[i * 10];
    EXPECT_EQ(index_->GetRecNo(kSession, id, table_.Get(id).data()), i + 1);
    EXPECT_EQ(index_->GetRecNo(kSession, id, table_.Get(id).data(), &evens), i % 2 == 0 ? i / 2 + 1 : -1);
    TDVXRecordID nth;
    ASSERT_TRUE(index_->GetNthRecord(kSession, i + 1, nth));
    EXPECT_EQ(nth, id);
  }
  Record stray = IntRecord(10);
  EXPECT_EQ(index_->GetRecNo(kSession, TDVXRecordID{1, 2}, stray.data()), -1);
  TDVXRecordID nth;
  EXPECT_FALSE(index_->GetNthRecord(kSession, 0, nth));
  EXPECT_FALSE(index_->GetNthRecord(kSession, 31, nth));
}

TEST_F(BTreeNavigationTest, RemoveDuplicateKeysKeepsTheFirstListedRecordOfEachKey) {
  MakeIntIndex(64);
  std::vector<TDVXRecordID> all;
  for (int i = 0; i < 40; ++i) all.push_back(InsertInt(i % 4));
  auto order = RecordOrder();
  // Every record but the first of each key in index order, in a scrambled
  // list order.
  TDVXRecordIDList list(all.begin(), all.end());
  std::mt19937 rng(2);
  std::shuffle(list.begin(), list.end(), rng);
  TDVXRecordIDList firsts;
  for (int key = 0; key < 4; ++key) {
    auto it = std::find_if(order.begin(), order.end(),
                           [&](const TDVXRecordID& id) { return IntOf(index_->KeyRef().MakeKey(table_.Get(id).data())) == key; });
    list.erase(std::find(list.begin(), list.end(), *it));
    // The first listed record of this key is the next one in index order.
    auto next = std::find_if(std::next(it), order.end(), [&](const TDVXRecordID& id) {
      return IntOf(index_->KeyRef().MakeKey(table_.Get(id).data())) == key;
    });
    firsts.push_back(*next);
  }
  TDVXRecordIDList expected;
  for (const TDVXRecordID& id : list)
    if (std::find(firsts.begin(), firsts.end(), id) != firsts.end()) expected.push_back(id);
  index_->RemoveDuplicateKeys(kSession, list);
  EXPECT_EQ(list, expected) << "one record per key, in the list's own order";
}

}  // namespace
}  // namespace dvx::test
