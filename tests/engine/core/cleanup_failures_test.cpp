// The log of failures that cleanup code could not pass on: what was being
// cleaned up and the exception's message, the last entries kept, every one
// counted.
#include "engine/core/cleanup_failures.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "engine/core/exception.h"

namespace dvx {
namespace {

class CleanupFailuresTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearCleanupFailures(); }
  void TearDown() override { ClearCleanupFailures(); }
};

TEST_F(CleanupFailuresTest, KeepsWhereAndTheMessageOfTheExceptionBeingHandled) {
  try {
    throw EDVXException(20090, std::string("Page is used by other session"));
  } catch (...) {
    NoteCleanupFailure("putting back a page");
  }
  try {
    throw 42;
  } catch (...) {
    NoteCleanupFailure("closing a cursor");
  }
  NoteCleanupFailure("outside a handler");
  EXPECT_EQ(CleanupFailures(), (std::vector<std::string>{
                                   "putting back a page: Page is used by other session - Native error: 20090",
                                   "closing a cursor: unknown exception", "outside a handler: no exception"}));
  EXPECT_EQ(CleanupFailureCount(), 3u);
}

TEST_F(CleanupFailuresTest, KeepsTheLastEntriesAndCountsEveryOneFromManyThreads) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([] {
      for (int i = 0; i < 100; ++i) {
        try {
          throw std::runtime_error("step " + std::to_string(i));
        } catch (...) {
          NoteCleanupFailure("thread");
        }
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(CleanupFailureCount(), 400u);
  const std::vector<std::string> kept = CleanupFailures();
  ASSERT_EQ(kept.size(), kCleanupFailuresKept);
  EXPECT_EQ(kept.back().rfind("thread: step ", 0), 0u) << kept.back();
  try {
    throw std::runtime_error("last");
  } catch (...) {
    NoteCleanupFailure("after");
  }
  EXPECT_EQ(CleanupFailures().back(), "after: last");
  EXPECT_EQ(CleanupFailures().size(), kCleanupFailuresKept);
}

}  // namespace
}  // namespace dvx
