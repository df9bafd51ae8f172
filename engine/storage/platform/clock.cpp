#include "engine/storage/platform/clock.h"

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
    int64_t days = DaysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) -
                   DaysFromCivil(1899, 12, 30);
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

 private:
  // Days since 1970-01-01 of a proleptic Gregorian date.
  static int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
  }
};

}  // namespace

TDVXClock& TDVXClock::System() {
  static TDVXSystemClock* clock = new TDVXSystemClock();
  return *clock;
}

}  // namespace dvx
