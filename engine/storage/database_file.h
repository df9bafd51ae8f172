#pragma once
// TDVXDatabaseFile: the thin file object every byte of a database file goes
// through. It sits on the replaceable file layer (TDVXFileSystem), so tests
// run it over the in-memory file system with injected faults.
//
// Every operation checks that the file is open (or, for the two that open
// it, closed) and turns a failure of the file layer into an EDVXException
// with the engine's message and the caller's native code. A read that
// returns fewer bytes than asked is a failure too: a page or header cut off
// by a truncated file must never be taken for zeros.
#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/platform/file.h"

namespace dvx {

// Access mode bytes: 0 read only, 1 read and write. Share mode bytes: 0 no
// sharing, 1 others may read and write.
constexpr uint8_t kAccessReadOnly = 0;
constexpr uint8_t kAccessReadWrite = 1;
constexpr uint8_t kShareExclusive = 0;
constexpr uint8_t kShareDenyNone = 1;

class TDVXDatabaseFile {
 public:
  explicit TDVXDatabaseFile(TDVXFileSystem& fileSystem = TDVXFileSystem::Default());
  ~TDVXDatabaseFile();
  TDVXDatabaseFile(const TDVXDatabaseFile&) = delete;
  TDVXDatabaseFile& operator=(const TDVXDatabaseFile&) = delete;

  void CreateFile(const std::string& fileName);
  // `access` and `share` are in/out: the values actually used come back
  // (a file with the read-only attribute is opened read only).
  void OpenFile(const std::string& fileName, uint8_t& access, uint8_t& share);
  void CloseFile();

  void Seek(int32_t errorCode, int64_t position);
  void SetPosition(int64_t position) { Seek(0, position); }
  int64_t GetPosition() const;
  int64_t GetSize();
  void SetSize(int64_t size);

  void ReadBuffer(void* buffer, int32_t errorCode, int64_t position, size_t count);
  void WriteBuffer(const void* buffer, int32_t errorCode, int64_t position, size_t count);
  void FlushFileBuffers();

  // Real byte-range locks of the open file description: they conflict with
  // every other open of the file, in this process or another, and vanish
  // with the open or the process. They never wait.
  bool LockByte(int64_t position, bool exclusive = true);
  bool UnlockByte(int64_t position);
  bool IsByteLocked(int64_t position);
  bool IsRegionLocked(int64_t position, int64_t count);

  bool IsOpen() const { return file_ != nullptr; }
  const std::string& FileName() const { return fileName_; }
  uint8_t Access() const { return access_; }
  uint8_t Share() const { return share_; }
  TDVXFileSystem& FileSystem() { return fileSystem_; }

 private:
  void CheckOpen(const char* operation) const;
  void CheckClosed(const char* operation) const;
  void Attach(std::unique_ptr<TDVXFile> file, const std::string& fileName, uint8_t access, uint8_t share,
              int32_t errorCode, std::string_view format, const TDVXFileError& error);

  TDVXFileSystem& fileSystem_;
  std::unique_ptr<TDVXFile> file_;
  std::string fileName_;
  uint8_t access_ = kAccessReadOnly;
  uint8_t share_ = kShareExclusive;
  int64_t position_ = 0;
  // Written or truncated since the last sync (a new open counts as such).
  bool unsynced_ = true;
};

}  // namespace dvx
