#include "engine/core/platform/clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace dvx {
namespace {

class TDVXSystemClock : public TDVXClock {
 public:
  double Now() override {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    // Day number of the local date counted from 1899-12-30.
    const sys_days date = year_month_day{year{local.tm_year + 1900}, month{static_cast<unsigned>(local.tm_mon + 1)},
                                         day{static_cast<unsigned>(local.tm_mday)}};
    const int64_t days = (date - sys_days{year{1899} / December / 30}).count();
    double fraction = (local.tm_hour * 3600000.0 + local.tm_min * 60000.0 + local.tm_sec * 1000.0 +
                       static_cast<double>(ms)) / 86400000.0;
    return static_cast<double>(days) + fraction;
  }

  uint64_t TickMilliseconds() override {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }

  void Sleep(uint32_t milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
};

}  // namespace

TDVXClock& TDVXClock::System() {
  static TDVXSystemClock* clock = new TDVXSystemClock();
  return *clock;
}

}  // namespace dvx
