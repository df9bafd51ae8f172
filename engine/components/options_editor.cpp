#include "engine/components/options_editor.h"

#include <algorithm>

namespace dvx {

void TDVXOptionsEditor::SetMaxSessionCount(int32_t value) { maxSessionCount_ = value <= 0 ? 1 : value; }

void TDVXOptionsEditor::SetPageSize(int value) { pageSize_ = std::clamp(value, kMinPageSize, kMaxPageSize); }

void TDVXOptionsEditor::SetExtentPageCount(int value) {
  extentPageCount_ = std::clamp(value, kMinExtentPageCount, kMaxExtentPageCount);
}

void TDVXOptionsEditor::SetRandomSearchRetryCount(int value) {
  randomSearchRetryCount_ = std::clamp(value, 1, kMaxRandomSearchRetryCount);
}

void TDVXOptionsEditor::Assign(const TDVXOptionsEditor& source) {
  maxSessionCount_ = source.maxSessionCount_;
  pageSize_ = source.pageSize_;
  extentPageCount_ = source.extentPageCount_;
  randomSearchRetryCount_ = source.randomSearchRetryCount_;
}

void TDVXOptionsEditor::TakeFileSettings(int pageSize, int extentPageCount, int32_t maxSessionCount) {
  pageSize_ = pageSize;
  extentPageCount_ = extentPageCount;
  maxSessionCount_ = maxSessionCount;
}

}  // namespace dvx
