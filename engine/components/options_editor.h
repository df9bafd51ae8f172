#pragma once
// TDVXOptionsEditor: the settings a database file is created with (page
// size, extent size, how many sessions may share it) and the retry count of
// the random search for free space. Each setter brings its value into the
// accepted range instead of refusing it. Once a file is open, its stored
// settings replace these (TakeFileSettings), so the component shows what
// the file really has.
#include <cstdint>

namespace dvx {

class TDVXOptionsEditor {
 public:
  static constexpr int32_t kDefaultMaxSessionCount = 1;
  static constexpr int kDefaultPageSize = 4096;
  static constexpr int kMinPageSize = 128;
  static constexpr int kMaxPageSize = 65535;
  static constexpr int kDefaultExtentPageCount = 8;
  static constexpr int kMinExtentPageCount = 4;
  static constexpr int kMaxExtentPageCount = 100;
  static constexpr int kDefaultRandomSearchRetryCount = 10;
  static constexpr int kMaxRandomSearchRetryCount = 100;

  int32_t MaxSessionCount() const { return maxSessionCount_; }
  // Values <= 0 become 1.
  void SetMaxSessionCount(int32_t value);
  int PageSize() const { return pageSize_; }
  // Clamped to 128 ... 65535.
  void SetPageSize(int value);
  int ExtentPageCount() const { return extentPageCount_; }
  // Clamped to 4 ... 100.
  void SetExtentPageCount(int value);
  int RandomSearchRetryCount() const { return randomSearchRetryCount_; }
  // Values <= 0 become 1, values > 100 become 100.
  void SetRandomSearchRetryCount(int value);

  void Assign(const TDVXOptionsEditor& source);

  // The settings read from an open file, stored as the file has them: a
  // file made by other means may lie outside the ranges the setters keep.
  void TakeFileSettings(int pageSize, int extentPageCount, int32_t maxSessionCount);

 private:
  int32_t maxSessionCount_ = kDefaultMaxSessionCount;
  int pageSize_ = kDefaultPageSize;
  int extentPageCount_ = kDefaultExtentPageCount;
  int randomSearchRetryCount_ = kDefaultRandomSearchRetryCount;
};

}  // namespace dvx
