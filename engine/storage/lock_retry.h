#pragma once
// Lock retry parameters and RetryLoop: an attempt is repeated up to
// RetryCount times, sleeping Delay milliseconds after every failed attempt
// (the last one included), so no lock wait is unbounded: RetryCount 10 and
// Delay 500 give up after about five seconds.
#include <cstdint>
#include <functional>

#include "engine/core/platform/clock.h"

namespace dvx {

struct TDVXLockParams {
  int32_t retryCount = 10;
  int32_t delay = 500;  // milliseconds
};

inline bool RetryLoop(const TDVXLockParams& params, const std::function<bool()>& attempt,
                      TDVXClock& clock = TDVXClock::System()) {
  int32_t attempts = params.retryCount > 0 ? params.retryCount : 1;
  for (int32_t i = 0; i < attempts; ++i) {
    if (attempt()) return true;
    if (params.delay > 0) clock.Sleep(static_cast<uint32_t>(params.delay));
  }
  return false;
}

}  // namespace dvx
