#include "engine/components/lock_params_editor.h"

namespace dvx {

void TDVXLockParamsEditor::SetRetryCount(int32_t value) {
  if (value > 0) retryCount_ = value;
}

void TDVXLockParamsEditor::SetDelay(int32_t value) {
  if (value >= 0) delay_ = value;
}

void TDVXLockParamsEditor::Assign(const TDVXLockParamsEditor& source) {
  retryCount_ = source.retryCount_;
  delay_ = source.delay_;
}

}  // namespace dvx
