#pragma once
// The clock and waiting. Date-times are the engine's day-fraction values:
// days since 1899-12-30 as a double, the fraction being the time of day.
#include <cstdint>

namespace dvx {

class TDVXClock {
 public:
  virtual ~TDVXClock() = default;
  // The current local date and time as a day-fraction value.
  virtual double Now() = 0;
  // Milliseconds from an arbitrary fixed point; never goes backwards.
  virtual uint64_t TickMilliseconds() = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;

  // The system clock.
  static TDVXClock& System();
};

}  // namespace dvx
