#pragma once
// TDVXLockParamsEditor: how often and how patiently a database component's
// engine session retries a lock held by someone else (RetryLoop).
// Values that would make no attempt or a negative wait are ignored, so the
// component always holds a usable pair.
#include <cstdint>

#include "engine/storage/lock_retry.h"

namespace dvx {

class TDVXLockParamsEditor {
 public:
  static constexpr int32_t kDefaultRetryCount = 10;
  static constexpr int32_t kDefaultDelay = 500;  // milliseconds

  int32_t RetryCount() const { return retryCount_; }
  // Values <= 0 leave the count unchanged.
  void SetRetryCount(int32_t value);
  int32_t Delay() const { return delay_; }
  // Values < 0 leave the delay unchanged.
  void SetDelay(int32_t value);

  void Assign(const TDVXLockParamsEditor& source);
  TDVXLockParams ToLockParams() const { return {retryCount_, delay_}; }

 private:
  int32_t retryCount_ = kDefaultRetryCount;
  int32_t delay_ = kDefaultDelay;
};

}  // namespace dvx
