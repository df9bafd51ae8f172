#pragma once
// TDVXFileStream: a stream over one file of a file system (the operating
// system's, or the in-memory one of the tests), opened by name: created
// (or truncated), or opened with an access and a share mode.
//
// A failed create or open raises the engine's file messages
//   "Cannot create file: '%s' Error code: %d. ErrorMessage: %s" (30361)
//   "Cannot open file:'%s' Error code: %d. ErrorMessage: %s"   (30364)
// Transfers that the file refuses come back short (Read, Write) and the
// file's description of the failure is kept in LastError(); the exact
// helpers of TDVXStream turn them into the stream messages. SetSize that the
// file refuses raises "Cannot Truncate File '%s' to %d bytes. ErrorCode:%d.
// ErrorMessage: %s" (30370).
#include <memory>
#include <string>

#include "engine/core/platform/file.h"
#include "engine/core/stream.h"

namespace dvx {

class TDVXFileStream : public TDVXStream {
 public:
  // Creates the file, or empties an existing one; read-write, exclusive.
  static std::unique_ptr<TDVXFileStream> Create(const std::string& fileName,
                                                TDVXFileSystem& fileSystem = TDVXFileSystem::Default());
  static std::unique_ptr<TDVXFileStream> Open(const std::string& fileName, TDVXFileAccess access,
                                              TDVXFileShare share,
                                              TDVXFileSystem& fileSystem = TDVXFileSystem::Default());

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  uint64_t Position() const override { return position_; }
  void SetPosition(uint64_t position) override { position_ = position; }
  uint64_t Size() const override;
  void SetSize(uint64_t size) override;

  const std::string& FileName() const { return file_->FileName(); }
  const std::string& LastError() const { return file_->LastError(); }
  // Closes the file; the stream is not used afterwards.
  void Close() { file_.reset(); }

 private:
  explicit TDVXFileStream(std::unique_ptr<TDVXFile> file) : file_(std::move(file)) {}

  std::unique_ptr<TDVXFile> file_;
  uint64_t position_ = 0;
};

}  // namespace dvx
