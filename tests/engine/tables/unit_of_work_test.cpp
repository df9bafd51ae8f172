// The unit of work on page managers of its own: the commit order (the
// tables' own page managers before the database's), a step that fails
// before its commit point (it and every later one cancelled, the earlier
// ones kept with their in-memory state), a step that fails after it (held:
// nothing undone, the failure reported), undo failures reported, and an
// abort by the destructor.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/exception.h"
#include "engine/storage/memory_page_manager.h"
#include "engine/tables/unit_of_work.h"
#include "tests/support/dvx_matchers.h"

namespace dvx::test {
namespace {

using testing::DvxErrorOf;
using ::testing::HasSubstr;

constexpr int32_t kSession = 7;

// Memory pages that log their commits into a shared journal of names and
// fail a page write, or the end of a commit (after its commit point), on
// demand.
class TLoggingPages : public TDVXMemoryPageManager {
 public:
  TLoggingPages(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
  void InternalWritePage(TDVXPage& page) override {
    if (failWrite) throw EDVXException(4242, name_ + " write failed");
    TDVXMemoryPageManager::InternalWritePage(page);
  }
  bool failWrite = false;
  bool failEnd = false;

 protected:
  void CommitPoint(int32_t stamp, bool releases) override { log_.push_back(name_); }
  void EndCommit() override {
    if (failEnd) throw EDVXException(4343, name_ + " end failed");
  }

 private:
  std::string name_;
  std::vector<std::string>& log_;
};

class UnitOfWorkTest : public ::testing::Test {
 protected:
  // One changed page in the session's change set of `pages`.
  static int32_t Change(TDVXPageManager& pages, uint8_t value) {
    TDVXPage* page = pages.AddPage(kSession);
    page->WritableData()[0] = value;
    const int32_t no = page->PageNo();
    pages.PutPage(page);
    return no;
  }
  static uint8_t Read(TDVXPageManager& pages, int32_t no) {
    TDVXPage* page = pages.GetPage(kSession, no);
    const uint8_t value = page->Data()[0];
    pages.PutPage(page);
    return value;
  }

  std::vector<std::string> log_;
  TLoggingPages database_{"database", log_};
  TLoggingPages first_{"first", log_};
  TLoggingPages second_{"second", log_};
  std::vector<std::string> undone_;
};

TEST_F(UnitOfWorkTest, TablesOwnPagesCommitBeforeTheDatabaseInTheOrderEnlisted) {
  TDVXUnitOfWork work(database_, kSession);
  Change(database_, 1);
  work.Enlist(second_);
  work.OnUndo(first_, [&] { undone_.push_back("first"); });
  work.Enlist(second_);
  Change(first_, 2);
  Change(second_, 3);
  work.Commit();
  EXPECT_EQ(log_, (std::vector<std::string>{"second", "first", "database"}));
  EXPECT_TRUE(undone_.empty());
  EXPECT_FALSE(work.Open());
  EXPECT_TRUE(work.DatabaseCommitted());
  for (TDVXPageManager* pages : {static_cast<TDVXPageManager*>(&database_), static_cast<TDVXPageManager*>(&first_)})
    EXPECT_FALSE(pages->HasChanges(kSession));
}

TEST_F(UnitOfWorkTest, AFailedStepCancelsItAndTheLaterOnesAndKeepsTheEarlierOnes) {
  TDVXUnitOfWork work(database_, kSession);
  work.OnUndo(first_, [&] { undone_.push_back("first"); });
  work.OnUndo(second_, [&] { undone_.push_back("second"); });
  work.OnUndo(database_, [&] { undone_.push_back("database"); });
  const int32_t kept = Change(first_, 11);
  Change(second_, 12);
  Change(database_, 13);
  second_.failWrite = true;
  auto error = DvxErrorOf([&] { work.Commit(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->NativeError(), 4242);
  EXPECT_THAT(error->what(), HasSubstr("second write failed"));
  // The first step holds its pages and its state; the rest is undone,
  // newest undo first.
  EXPECT_EQ(log_, std::vector<std::string>{"first"});
  EXPECT_EQ(Read(first_, kept), 11);
  EXPECT_EQ(undone_, (std::vector<std::string>{"database", "second"}));
  EXPECT_FALSE(second_.HasChanges(kSession));
  EXPECT_FALSE(database_.HasChanges(kSession));
  EXPECT_FALSE(work.DatabaseCommitted());
}

TEST_F(UnitOfWorkTest, AFailureAfterTheCommitPointUndoesNothingAndIsReported) {
  TDVXUnitOfWork work(database_, kSession);
  work.OnUndo(first_, [&] { undone_.push_back("first"); });
  work.OnUndo(database_, [&] { undone_.push_back("database"); });
  Change(first_, 1);
  const int32_t no = Change(database_, 2);
  first_.failEnd = true;
  auto error = DvxErrorOf([&] { work.Commit(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->NativeError(), 4343);
  // Both commits hold: the failed end came after the first one's commit
  // point, and the database's step still ran.
  EXPECT_EQ(log_, (std::vector<std::string>{"first", "database"}));
  EXPECT_TRUE(undone_.empty());
  EXPECT_TRUE(work.DatabaseCommitted());
  EXPECT_EQ(Read(database_, no), 2);
  EXPECT_EQ(work.LastFailure(), "first end failed");
}

TEST_F(UnitOfWorkTest, UndoFailuresAreAppendedToTheFirstFailure) {
  TDVXUnitOfWork work(database_, kSession);
  work.OnUndo(database_, [] { throw EDVXException(77, "undo one failed"); });
  work.OnUndo(database_, [] { throw EDVXException(78, "undo two failed"); });
  Change(database_, 1);
  database_.failWrite = true;
  auto error = DvxErrorOf([&] { work.Commit(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->NativeError(), 4242);
  EXPECT_EQ(error->Message(), "database write failed; then: undo two failed; then: undo one failed");
}

TEST_F(UnitOfWorkTest, AbortCancelsEveryStepRunsEveryUndoAndReportsTheFirstFailure) {
  {
    TDVXUnitOfWork work(database_, kSession);
    work.OnUndo(first_, [&] { undone_.push_back("first"); });
    work.OnUndo(database_, [&] { undone_.push_back("database"); });
    Change(first_, 1);
    Change(database_, 2);
  }
  EXPECT_EQ(undone_, (std::vector<std::string>{"database", "first"}));
  EXPECT_FALSE(first_.HasChanges(kSession));
  EXPECT_FALSE(database_.HasChanges(kSession));
  EXPECT_TRUE(log_.empty());

  // A page still held keeps its change set from being cancelled: reported,
  // and every other step is undone all the same.
  undone_.clear();
  TDVXUnitOfWork work(database_, kSession);
  work.OnUndo(first_, [&] { undone_.push_back("first"); });
  Change(first_, 1);
  TDVXPage* held = database_.AddPage(kSession);
  auto error = DvxErrorOf([&] { work.Abort(); });
  ASSERT_TRUE(error);
  EXPECT_THAT(error->what(), HasSubstr("Cannot remove used page"));
  EXPECT_EQ(work.LastFailure(), error->Message());
  EXPECT_EQ(undone_, std::vector<std::string>{"first"});
  EXPECT_FALSE(first_.HasChanges(kSession));
  database_.PutPage(held);
  database_.CancelChanges(kSession);
}

}  // namespace
}  // namespace dvx::test
