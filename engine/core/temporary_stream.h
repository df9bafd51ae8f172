#pragma once
// TDVXTemporaryStream: scratch data that is usually small (a BLOB value
// being read or written) but may not be. It is a memory stream until a
// write or a size change would make it larger than its threshold
// (104,857,600 bytes unless the creator gives another); then its content
// moves into a new file "DVX<random>.tmp" in the temporary directory and
// stays there. The file is closed and deleted when the stream is destroyed.
//
//   memory ──(grows past the threshold)──▶ file ──(destroyed)──▶ deleted
#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/file_stream.h"
#include "engine/core/platform/temp_files.h"
#include "engine/core/stream.h"

namespace dvx {

class TDVXTemporaryStream : public TDVXStream {
 public:
  static constexpr uint64_t kDefaultThreshold = 104857600;

  explicit TDVXTemporaryStream(uint64_t threshold = kDefaultThreshold,
                               TDVXFileSystem& fileSystem = TDVXFileSystem::Default(),
                               std::string directory = TempDirectory());
  ~TDVXTemporaryStream() override;
  TDVXTemporaryStream(const TDVXTemporaryStream&) = delete;
  TDVXTemporaryStream& operator=(const TDVXTemporaryStream&) = delete;

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  uint64_t Position() const override { return Current().Position(); }
  void SetPosition(uint64_t position) override { Current().SetPosition(position); }
  uint64_t Size() const override { return Current().Size(); }
  void SetSize(uint64_t size) override;

  bool InFile() const { return file_ != nullptr; }
  // Empty while the content is in memory.
  const std::string& FileName() const { return fileName_; }
  uint64_t Threshold() const { return threshold_; }

 private:
  TDVXStream& Current() { return file_ ? static_cast<TDVXStream&>(*file_) : memory_; }
  const TDVXStream& Current() const { return file_ ? static_cast<const TDVXStream&>(*file_) : memory_; }
  // Moves the content into a new temporary file when `newSize` passes the
  // threshold.
  void SpillIfLarger(uint64_t newSize);
  std::string NewFileName();

  uint64_t threshold_;
  TDVXFileSystem& fileSystem_;
  std::string directory_;
  TDVXMemoryStream memory_;
  std::unique_ptr<TDVXFileStream> file_;
  std::string fileName_;
};

}  // namespace dvx
