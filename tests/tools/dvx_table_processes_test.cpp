// Two programs insert into and delete from one table of one file at once:
// the table locks serialise their changes, each takes over the other's
// committed state (index roots, sequences, page maps) before it changes
// the table, and the file ends consistent with every committed record;
// once with every record committed alone, once with transactions of ten.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/tools/dvx_table_fixture.h"

namespace {

using dvxtest::RunDvx;
using namespace dvx;
using dvx::test::kCode;
using dvx::test::kId;
using dvx::test::kName;

class DvxTableProcessesBase : public dvxtest::TDvxTableTest {
 protected:
  static constexpr int kInserts = 300;
  static int32_t CodeOf(char tag, int i) { return (tag == 'A' ? 100000 : 200000) + i; }
  // After insert i, a writer deletes its record of insert i − 3 when that
  // one's number is a multiple of four.
  static bool Deleted(int i) { return i % 4 == 0 && i + 3 < kInserts; }

  // With `batches`, every ten inserts (and their deletes) are one
  // transaction.
  static void Writer(const std::string& file, char tag, bool batches) {
    TDVXDiskDatabaseData db(file, TDVXLockParams{5000, 1});
    TDVXCryptoInfo crypto;
    db.OpenDatabase(false, false, crypto);
    {
      TDVXLocalSession session(db);
      TDVXLocalCursor cursor(session, kTable);
      cursor.Open();
      std::vector<TDVXRecordID> mine;
      for (int i = 0; i < kInserts; ++i) {
        if (batches && i % 10 == 0) session.StartTransaction();
        cursor.NewRecord();
        const int32_t code = CodeOf(tag, i);
        SetFieldData(kCode, cursor.Fields(), &code, cursor.Record());
        const std::string name = std::string(1, tag) + " remedy " + std::to_string(i);
        SetFieldData(kName, cursor.Fields(), name.c_str(), cursor.Record());
        if (const TDVXCursorResult result = cursor.InsertRecord(); !result.ok()) throw std::runtime_error(result.message);
        mine.push_back(cursor.RecordID());
        if (i >= 3 && Deleted(i - 3)) {
          cursor.SetPosition(false, false, mine[static_cast<size_t>(i - 3)]);
          if (cursor.GetRecord(grmCurrent) != grrDone) throw std::runtime_error("own record gone");
          int32_t stored = 0;
          GetFieldData(kCode, cursor.Fields(), &stored, cursor.Record());
          if (stored != CodeOf(tag, i - 3)) throw std::runtime_error("own record changed");
          if (const TDVXCursorResult result = cursor.DeleteRecord(); !result.ok()) throw std::runtime_error(result.message);
        }
        if (batches && (i % 10 == 9 || i + 1 == kInserts)) session.Commit(true);
      }
      cursor.Close();
    }
    db.CloseDatabase();
  }
};

class DvxTableProcessesTest : public DvxTableProcessesBase, public ::testing::WithParamInterface<bool> {};

TEST_P(DvxTableProcessesTest, TwoWritersEndWithEveryCommittedRecordAndACleanFile) {
  const bool batches = GetParam();
  ASSERT_NO_FATAL_FAILURE(CreateFilledRemedies());
  Export();
  const std::string file = file_;
  ASSERT_NO_FATAL_FAILURE(dvxtest::RunTwoWriters([&](char tag) { Writer(file, tag, batches); }));

  auto check = RunDvx("check " + file_);
  EXPECT_EQ(check.status, 0) << check.out;

  std::multiset<int32_t> expected{10, 20, 30};
  for (char tag : {'A', 'B'})
    for (int i = 0; i < kInserts; ++i)
      if (!Deleted(i)) expected.insert(CodeOf(tag, i));
  TDVXDiskDatabaseData db(file_, TDVXLockParams{3, 1});
  TDVXCryptoInfo crypto;
  db.OpenDatabase(true, false, crypto);
  std::multiset<int32_t> found;
  std::set<int32_t> ids;
  {
    TDVXLocalSession session(db);
    TDVXLocalCursor cursor(session, kTable);
    cursor.Open();
    while (cursor.GetRecord(grmNext) == grrDone) {
      int32_t code = 0, id = 0;
      GetFieldData(kCode, cursor.Fields(), &code, cursor.Record());
      GetFieldData(kId, cursor.Fields(), &id, cursor.Record());
      found.insert(code);
      ids.insert(id);
    }
    EXPECT_EQ(cursor.GetRecordCount(), static_cast<int64_t>(expected.size()));
    cursor.Close();
  }
  db.CloseDatabase();
  EXPECT_EQ(found, expected);
  // Both programs drew autoincrement values from one sequence.
  EXPECT_EQ(ids.size(), found.size());
}

INSTANTIATE_TEST_SUITE_P(OneByOneAndInTransactions, DvxTableProcessesTest, ::testing::Bool());

}  // namespace
