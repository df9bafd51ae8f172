// A program changing two tables in transactions is killed with SIGKILL at
// random moments. Each transaction inserts a record into both tables,
// renames the record of the step before and now and then deletes an older
// one, in both tables alike. After every kill the file must open (playing
// back what the journal holds), hold in both tables exactly the state
// after the last transaction the program reported, or after the one under
// way when it died, and pass dvx check.
#include <unistd.h>

#include <map>
#include <random>
#include <string>

#include "tests/tools/dvx_table_fixture.h"
#include "tests/tools/killed_writer.h"

namespace {

using dvxtest::RunDvx;
using namespace dvx;
using dvx::test::RunAndKillWriter;
using dvx::test::TKilledWriter;
using dvx::test::kCode;
using dvx::test::kName;

constexpr const char* kDoses = "Doses";

// Code → name of every record after transaction `step` (steps count from
// 0): record k is inserted as "N<k>" at step k, renamed "U<k>" at step
// k + 1, and deleted at step k + 2 when that step is a multiple of three.
std::map<int32_t, std::string> StateAfter(int64_t step) {
  std::map<int32_t, std::string> state;
  for (int32_t k = 0; k <= step; ++k) {
    if (k + 2 <= step && (k + 2) % 3 == 0) continue;
    state[k] = (k + 1 <= step ? "U" : "N") + std::to_string(k);
  }
  return state;
}

class DvxTableKillTest : public dvxtest::TDvxTableTest {
 protected:
  // Puts the cursor on the record with the code (its index is UQ_Code).
  static void Find(TDVXLocalCursor& cursor, int32_t code) {
    SetFieldData(kCode, cursor.Fields(), &code, cursor.KeyBuffer().data());
    cursor.SetKeyFieldCount(1);
    if (!cursor.GotoKey(1)) throw std::runtime_error("record " + std::to_string(code) + " not found");
  }
  static void SetName(TDVXLocalCursor& cursor, const std::string& name) {
    SetFieldData(kName, cursor.Fields(), name.c_str(), cursor.Record());
  }

  // The child: runs transactions from `step` on for ever and writes the
  // number of each committed one to `out`.
  [[noreturn]] static void Writer(const std::string& file, int64_t step, int out) {
    try {
      TDVXDiskDatabaseData db(file, TDVXLockParams{200, 5});
      TDVXCryptoInfo crypto;
      db.OpenDatabase(false, false, crypto);
      TDVXLocalSession session(db);
      TDVXLocalCursor remedies(session, kTable), doses(session, kDoses);
      for (TDVXLocalCursor* cursor : {&remedies, &doses}) {
        cursor->Open();
        cursor->SetIndex("UQ_Code");
      }
      for (;; ++step) {
        session.StartTransaction();
        const auto code = static_cast<int32_t>(step);
        for (TDVXLocalCursor* cursor : {&remedies, &doses}) {
          cursor->NewRecord();
          SetFieldData(kCode, cursor->Fields(), &code, cursor->Record());
          SetName(*cursor, "N" + std::to_string(code));
          if (const TDVXCursorResult result = cursor->InsertRecord(); !result.ok()) throw std::runtime_error(result.message);
          if (code >= 1) {
            Find(*cursor, code - 1);
            SetName(*cursor, "U" + std::to_string(code - 1));
            if (const TDVXCursorResult result = cursor->UpdateRecord(); !result.ok()) throw std::runtime_error(result.message);
          }
          if (code >= 2 && code % 3 == 0) {
            Find(*cursor, code - 2);
            if (const TDVXCursorResult result = cursor->DeleteRecord(); !result.ok()) throw std::runtime_error(result.message);
          }
        }
        session.Commit(true);
        if (write(out, &step, sizeof step) != sizeof step) _exit(3);
      }
    } catch (const std::exception& e) {
      std::fprintf(stderr, "writer: %s\n", e.what());
      _exit(2);
    }
  }

  std::map<int32_t, std::string> ReadTable(TDVXLocalSession& session, const std::string& table) {
    std::map<int32_t, std::string> state;
    TDVXLocalCursor cursor(session, table);
    cursor.Open();
    while (cursor.GetRecord(grmNext) == grrDone) {
      int32_t code = 0;
      char name[41] = {};
      GetFieldData(kCode, cursor.Fields(), &code, cursor.Record());
      GetFieldData(kName, cursor.Fields(), name, cursor.Record());
      state[code] = name;
    }
    return state;
  }
};

TEST_F(DvxTableKillTest, KilledTransactionsLeaveBothTablesAtTheLastCommitOrTheOneUnderWay) {
  CreateDatabase();
  CreateRemedies();
  CreateRemedies(kDoses);
  Export();
  std::mt19937 random(7);
  int64_t step = 0;  // the first transaction not yet known to be in the file
  for (int round = 1; round <= 12; ++round) {
    const TKilledWriter writer =
        RunAndKillWriter([&](int out) { Writer(file_, step, out); }, step - 1, random);
    const int64_t reported = writer.reported;
    ASSERT_TRUE(writer.started) << "round " << round << ": the writer committed nothing";
    ASSERT_TRUE(writer.killed) << "round " << round << ": the writer ended by itself";

    TDVXDiskDatabaseData db(file_, TDVXLockParams{3, 1});
    TDVXCryptoInfo crypto;
    db.OpenDatabase(false, false, crypto);
    {
      TDVXLocalSession session(db);
      const auto remedies = ReadTable(session, kTable);
      EXPECT_EQ(ReadTable(session, kDoses), remedies) << "round " << round;
      if (remedies == StateAfter(reported + 1)) {
        step = reported + 2;
      } else {
        EXPECT_EQ(remedies, StateAfter(reported)) << "round " << round << ": reported step " << reported;
        step = reported + 1;
      }
    }
    db.CloseDatabase();
    auto check = RunDvx("check " + file_);
    ASSERT_EQ(check.status, 0) << "round " << round << "\n" << check.out;
  }
}

}  // namespace
