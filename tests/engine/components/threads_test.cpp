// Connecting and disconnecting from several threads at once: components
// of different sessions, and components of one session sharing a file.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/engine/components/components_fixture.h"

namespace dvx::test {
namespace {

class DatabaseThreadsTest : public TComponentsFixture {
 protected:
  // Runs `rounds` connect/acquire/release/disconnect cycles on `database`
  // and counts every failure.
  static void Cycle(TDVXDatabase& database, TDVXSession& session, int rounds, std::atomic<int>& failures) {
    for (int i = 0; i < rounds; ++i) {
      try {
        database.Open();
        if (!database.Handle() || !database.Handle()->Connected()) ++failures;
        TDVXDatabase* acquired = session.AcquireDatabase(database.DatabaseName(), nullptr);
        if (acquired != &database) ++failures;
        session.ReleaseDatabase(acquired);
        database.Close();
      } catch (const std::exception&) {
        ++failures;
      }
    }
  }
};

TEST_F(DatabaseThreadsTest, ComponentsOfDifferentSessionsConnectAtOnce) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 40;
  TComponent form;
  std::vector<TDVXSession*> sessions;
  std::vector<std::unique_ptr<TDVXDatabase>> databases;
  std::vector<std::string> files;
  for (int t = 0; t < kThreads; ++t) {
    auto* session = new TDVXSession(&form);
    session->SetSessionName("Thread" + std::to_string(t));
    sessions.push_back(session);
    // Two threads share each file, each through its own session.
    const std::string file = t % 2 == 0 ? CreateFile("t" + std::to_string(t) + ".dvx") : files.back();
    files.push_back(file);
    auto database = MakeDatabase("dbThread", file);
    database->SetSessionName(session->SessionName());
    database->Options().SetMaxSessionCount(8);
    databases.push_back(std::move(database));
  }
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] { Cycle(*databases[t], *sessions[t], kRounds, failures); });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  for (const auto& database : databases) EXPECT_FALSE(database->Connected());
  for (const auto& file : files) EXPECT_EQ(Users(file), 0);
}

TEST_F(DatabaseThreadsTest, TheEngineLockIsReentrantAndCountedPerSession) {
  TDVXSession session;
  session.SetSessionName("Locks");
  {
    TDVXEngineLock outer(session);
    TDVXEngineLock inner(session);
    EXPECT_EQ(session.EngineLockCount(), 2);
    // Another thread cannot enter while this one holds it.
    std::atomic<bool> entered{false};
    std::thread other([&] {
      entered = TDVXSessionList::Instance().EngineLock().TryEnter();
      if (entered) TDVXSessionList::Instance().EngineLock().Leave();
    });
    other.join();
    EXPECT_FALSE(entered.load());
  }
  EXPECT_EQ(session.EngineLockCount(), 0);
}

}  // namespace
}  // namespace dvx::test
