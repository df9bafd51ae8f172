#include "engine/core/file_stream.h"

#include "engine/core/exception.h"

namespace dvx {
namespace {

constexpr int32_t kErrCreateFile = 30361;
constexpr int32_t kErrOpenFile = 30364;
constexpr int32_t kErrTruncateFile = 30370;
constexpr int32_t kErrFileSize = 30371;

}  // namespace

std::unique_ptr<TDVXFileStream> TDVXFileStream::Create(const std::string& fileName, TDVXFileSystem& fileSystem) {
  TDVXFileError error;
  auto file = fileSystem.Open(fileName, TDVXFileOpen::CreateOrTruncate, TDVXFileAccess::ReadWrite,
                              TDVXFileShare::Exclusive, error);
  if (!file)
    throw EDVXException(kErrCreateFile, "Cannot create file: '%s' Error code: %d. ErrorMessage: %s",
                        {fileName, error.code, error.message});
  return std::unique_ptr<TDVXFileStream>(new TDVXFileStream(std::move(file)));
}

std::unique_ptr<TDVXFileStream> TDVXFileStream::Open(const std::string& fileName, TDVXFileAccess access,
                                                     TDVXFileShare share, TDVXFileSystem& fileSystem) {
  TDVXFileError error;
  auto file = fileSystem.Open(fileName, TDVXFileOpen::OpenExisting, access, share, error);
  if (!file)
    throw EDVXException(kErrOpenFile, "Cannot open file:'%s' Error code: %d. ErrorMessage: %s",
                        {fileName, error.code, error.message});
  return std::unique_ptr<TDVXFileStream>(new TDVXFileStream(std::move(file)));
}

size_t TDVXFileStream::Read(void* buffer, size_t count) {
  size_t done = 0;
  if (!file_->ReadAt(position_, buffer, count, done)) return 0;
  position_ += done;
  return done;
}

size_t TDVXFileStream::Write(const void* buffer, size_t count) {
  if (count == 0 || !file_->WriteAt(position_, buffer, count)) return 0;
  position_ += count;
  return count;
}

uint64_t TDVXFileStream::Size() const {
  uint64_t size = 0;
  if (!file_->GetSize(size))
    throw EDVXException(kErrFileSize, "Cannot Get File Size for file: '%s'. ErrorCode:%d. ErrorMessage: %s",
                        {file_->FileName(), file_->LastErrorCode(), file_->LastError()});
  return size;
}

void TDVXFileStream::SetSize(uint64_t size) {
  if (!file_->SetEndOfFile(size))
    throw EDVXException(kErrTruncateFile, "Cannot Truncate File '%s' to %d bytes. ErrorCode:%d. ErrorMessage: %s",
                        {file_->FileName(), static_cast<int64_t>(size), file_->LastErrorCode(), file_->LastError()});
}

}  // namespace dvx
