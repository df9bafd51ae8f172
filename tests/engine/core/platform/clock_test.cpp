#include "engine/core/platform/clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace dvx {
namespace {

TEST(SystemClock, NowCountsDaysFrom18991230) {
  // 1970-01-01 is day 25569 of the engine's day-fraction scale.
  setenv("TZ", "UTC", 1);
  tzset();
  double expected = static_cast<double>(std::time(nullptr)) / 86400.0 + 25569.0;
  double now = TDVXClock::System().Now();
  EXPECT_NEAR(now, expected, 2.0 / 86400.0);
}

TEST(SystemClock, TicksNeverGoBackAndSleepWaits) {
  auto& clock = TDVXClock::System();
  uint64_t before = clock.TickMilliseconds();
  clock.Sleep(20);
  uint64_t after = clock.TickMilliseconds();
  EXPECT_GE(after, before + 20);
}

}  // namespace
}  // namespace dvx
