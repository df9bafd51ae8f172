// A program running random INSERT, UPDATE and DELETE statements in
// transactions through the SQL processor is killed with SIGKILL at random
// moments. Each transaction is drawn from its number, so the test knows
// what every one does: some insert a key that is taken (that statement
// fails and the transaction goes on without it), some end in ROLLBACK.
// After every kill the table must be the state after the last transaction
// the program reported or after the one under way, and dvx check must be
// clean.
#include <unistd.h>

#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/query/query_sessions.h"
#include "engine/query/sql_processor.h"
#include "tests/tools/dvx_table_fixture.h"
#include "tests/tools/killed_writer.h"

namespace {

using dvxtest::RunDvx;
using namespace dvx;
using dvx::test::RunAndKillWriter;
using dvx::test::TKilledWriter;

// Key → value and text.
using TState = std::map<int64_t, std::pair<int64_t, std::string>>;

struct TStatement {
  std::string sql;
  std::function<void(TState&)> apply;  // null: the statement fails
};

struct TTransactionPlan {
  std::vector<TStatement> statements;
  bool rollback = false;
};

// What transaction `step` does to the table as the steps before left it.
TTransactionPlan Plan(int64_t step, const TState& before) {
  std::mt19937 random(static_cast<uint32_t>(step * 7919 + 13));
  TTransactionPlan plan;
  plan.rollback = random() % 5 == 0;
  const int count = 2 + static_cast<int>(random() % 5);
  // The table as the statements so far left it inside the transaction.
  TState now = before;
  for (int i = 0; i < count; ++i) {
    if (!plan.statements.empty() && plan.statements.back().apply) plan.statements.back().apply(now);
    const int kind = static_cast<int>(random() % 4);
    if (kind == 0 || now.empty()) {
      const int64_t key = step * 10 + i;
      const int64_t value = static_cast<int64_t>(random() % 100);
      const std::string text = "t" + std::to_string(step);
      plan.statements.push_back({"INSERT INTO K (k, v, s) VALUES (" + std::to_string(key) + ", " +
                                     std::to_string(value) + ", '" + text + "')",
                                 [=](TState& s) { s[key] = {value, text}; }});
    } else if (kind == 1) {
      // A key that is taken: refused, the transaction goes on.
      const int64_t key = now.begin()->first;
      plan.statements.push_back({"INSERT INTO K (k, v, s) VALUES (" + std::to_string(key) + ", 0, 'dup')", nullptr});
    } else if (kind == 2) {
      const int64_t low = static_cast<int64_t>(random() % static_cast<uint32_t>(step * 10 + 10));
      const int64_t high = low + static_cast<int64_t>(random() % 30);
      const int64_t add = 1 + static_cast<int64_t>(random() % 9);
      plan.statements.push_back({"UPDATE K SET v = v + " + std::to_string(add) + ", s = 'u" + std::to_string(step) +
                                     "' WHERE k BETWEEN " + std::to_string(low) + " AND " + std::to_string(high),
                                 [=](TState& s) {
                                   for (auto& [k, row] : s)
                                     if (k >= low && k <= high) row = {row.first + add, "u" + std::to_string(step)};
                                 }});
    } else {
      const int64_t low = static_cast<int64_t>(random() % static_cast<uint32_t>(step * 10 + 10));
      const int64_t high = low + static_cast<int64_t>(random() % 4);
      plan.statements.push_back({"DELETE FROM K WHERE k >= " + std::to_string(low) + " AND k <= " + std::to_string(high),
                                 [=](TState& s) {
                                   for (auto it = s.begin(); it != s.end();)
                                     it = it->first >= low && it->first <= high ? s.erase(it) : std::next(it);
                                 }});
    }
  }
  return plan;
}

// The table after transaction `step` (steps from 0; -1: before any).
TState StateAfter(int64_t step) {
  TState state;
  for (int64_t s = 0; s <= step; ++s) {
    TState next = state;
    const TTransactionPlan plan = Plan(s, state);
    for (const TStatement& statement : plan.statements)
      if (statement.apply) statement.apply(next);
    if (!plan.rollback) state = std::move(next);
  }
  return state;
}

class DvxSqlKillTest : public dvxtest::TDvxTableTest {
 protected:
  struct TRunner {
    explicit TRunner(const std::string& file) : db(file, TDVXLockParams{200, 5}) {
      TDVXCryptoInfo crypto;
      db.OpenDatabase(false, false, crypto);
      session = std::make_unique<TDVXLocalSession>(db);
      sessions = std::make_unique<TDVXLocalQuerySessions>(session.get(), file);
      TDVXSQLSettings settings;
      settings.databaseName = file;
      processor = std::make_unique<TDVXLocalSQLProcessor>(*sessions, settings);
    }
    ~TRunner() {
      processor.reset();
      sessions.reset();
      session.reset();
      db.CloseDatabase();
    }
    void Run(const std::string& sql) {
      processor->SetSQL(sql);
      processor->Execute();
    }
    TDVXDiskDatabaseData db;
    std::unique_ptr<TDVXLocalSession> session;
    std::unique_ptr<TDVXLocalQuerySessions> sessions;
    std::unique_ptr<TDVXLocalSQLProcessor> processor;
  };

  // The child: runs the transactions from `step` on for ever and writes
  // the number of each one finished to `out`.
  [[noreturn]] static void Writer(const std::string& file, int64_t step, int out) {
    try {
      TRunner runner(file);
      TState state = StateAfter(step - 1);
      for (;; ++step) {
        const TTransactionPlan plan = Plan(step, state);
        runner.Run("START TRANSACTION");
        TState next = state;
        for (const TStatement& statement : plan.statements) {
          try {
            runner.Run(statement.sql);
          } catch (const EDVXException& e) {
            if (statement.apply) throw;
            continue;
          }
          if (!statement.apply) throw std::runtime_error("not refused: " + statement.sql);
          statement.apply(next);
        }
        runner.Run(plan.rollback ? "ROLLBACK" : "COMMIT");
        if (!plan.rollback) state = std::move(next);
        if (write(out, &step, sizeof step) != sizeof step) _exit(3);
      }
    } catch (const std::exception& e) {
      std::fprintf(stderr, "writer: %s\n", e.what());
      _exit(2);
    }
  }

  static TState ReadTable(TDVXLocalSQLProcessor& processor) {
    processor.SetSQL("SELECT k, v, s FROM K");
    TDVXLocalCursor* cursor = processor.Execute();
    TState state;
    TDVXVariant k, v, s;
    cursor->First();
    while (cursor->GetRecord(grmNext) == grrDone) {
      cursor->GetFieldValue(0, k);
      cursor->GetFieldValue(1, v);
      cursor->GetFieldValue(2, s);
      std::string text = s.GetAsString();
      while (!text.empty() && text.back() == '\0') text.pop_back();
      state[k.GetAsSignedInt64()] = {v.GetAsSignedInt64(), text};
    }
    return state;
  }
};

TEST_F(DvxSqlKillTest, KilledSqlTransactionsLeaveTheLastCommitOrTheOneUnderWay) {
  CreateDatabase();
  Export();
  {
    TRunner runner(file_);
    runner.Run("CREATE TABLE K (k INTEGER, v INTEGER, s VARCHAR(12), PRIMARY KEY pk (k))");
  }
  std::mt19937 random(11);
  int64_t step = 0;  // the first transaction not yet known to be in the file
  for (int round = 1; round <= 12; ++round) {
    const TKilledWriter writer =
        RunAndKillWriter([&](int out) { Writer(file_, step, out); }, step - 1, random);
    const int64_t reported = writer.reported;
    ASSERT_TRUE(writer.started) << "round " << round << ": the writer finished no transaction";
    ASSERT_TRUE(writer.killed) << "round " << round << ": the writer ended by itself";
    {
      TRunner runner(file_);
      const TState table = ReadTable(*runner.processor);
      if (table == StateAfter(reported + 1) && !(table == StateAfter(reported))) {
        step = reported + 2;
      } else {
        ASSERT_EQ(table, StateAfter(reported)) << "round " << round << ": reported step " << reported;
        step = reported + 1;
      }
    }
    auto check = RunDvx("check " + file_);
    ASSERT_EQ(check.status, 0) << "round " << round << "\n" << check.out;
  }
  // The runs went on long enough to change the table a good deal.
  EXPECT_GT(StateAfter(step - 1).size(), 20u);
}

}  // namespace
