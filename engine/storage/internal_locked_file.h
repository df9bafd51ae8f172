#pragma once
// TDVXInternalLockedDBFile: the direct kind of internal file (same on-disk
// form as the cached kind). Its pages are taken straight from the free
// space manager and its bytes are read and written straight to the file,
// so other processes see them at once; its bytes can be locked with real
// byte-range locks on the page bytes that hold them.
#include <cstdint>
#include <vector>

#include "engine/storage/disk_page_manager.h"
#include "engine/storage/internal_file.h"

namespace dvx {

class TDVXInternalLockedDBFile {
 public:
  TDVXInternalLockedDBFile(TDVXDiskPageManager& pageManager, uint16_t pageType);

  // Content bytes are not set: unspecified in a plain database, random in an
  // encrypted one.
  void Create(int64_t size, int32_t owner);
  void Open(int32_t firstPageNo);
  void Close();
  // Removes the chain's pages in the system session; they are freed at its
  // next commit.
  void DeleteFile();

  void DirectReadBuffer(void* buffer, int64_t count, int64_t position);
  void DirectWriteBuffer(const void* buffer, int64_t count, int64_t position);

  bool LockFile();
  bool UnlockFile();
  bool LockByte(int64_t position);
  bool UnlockByte(int64_t position);
  bool IsByteLocked(int64_t position);
  bool IsRegionLocked(int64_t position, int64_t count);

  bool IsOpen() const { return firstPageNo_ != kNoPage; }
  int32_t FirstPageNo() const { return firstPageNo_; }
  int64_t FileSize() const { return fileSize_; }
  const std::vector<int32_t>& Chain() const { return chain_; }

 private:
  void CheckOpen(const char* operation) const;
  void CheckSpan(int64_t count, int64_t position, int32_t startCode, int32_t endCode, int32_t sizeCode) const;
  // File position of the page byte that holds content byte `position`.
  int64_t BytePosition(int64_t position, int32_t errorCode);
  template <typename F>
  void Transfer(int64_t count, int64_t position, F&& segment);

  TDVXDiskPageManager& pageManager_;
  uint16_t pageType_;
  int32_t firstPageNo_ = kNoPage;
  int64_t fileSize_ = 0;
  std::vector<int32_t> chain_;
};

}  // namespace dvx
