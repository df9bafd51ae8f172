#include "engine/storage/database_file.h"
#include "engine/storage/storage_errors.h"

#include "engine/core/exception.h"

namespace dvx {
TDVXDatabaseFile::TDVXDatabaseFile(TDVXFileSystem& fileSystem) : fileSystem_(fileSystem) {}

TDVXDatabaseFile::~TDVXDatabaseFile() = default;

void TDVXDatabaseFile::CheckOpen(const char* operation) const {
  if (!file_) throw EDVXException(kErrClosedFile, "Cannot perform this operation (%s) on a closed file", {operation});
}

void TDVXDatabaseFile::CheckClosed(const char* operation) const {
  if (file_) throw EDVXException(kErrOpenedFile, "Cannot perform this operation (%s) on a opened file", {operation});
}

void TDVXDatabaseFile::CreateFile(const std::string& fileName) {
  CheckClosed("CreateFile");
  if (fileName.find_first_not_of(" \t") == std::string::npos)
    throw EDVXException(kErrBlankFileName, "Cannot create file with blank FileName");
  TDVXFileError error;
  // The file is opened without truncation and emptied only once this open
  // holds it exclusively: a file another program has open is refused
  // unchanged, never emptied under it.
  auto file = fileSystem_.Open(fileName, TDVXFileOpen::OpenOrCreate, TDVXFileAccess::ReadWrite,
                               TDVXFileShare::Exclusive, error);
  Attach(std::move(file), fileName, kAccessReadWrite, kShareExclusive, kErrCreateFile,
         "Cannot create file: '%s' Error code: %d. ErrorMessage: %s", error);
  if (!file_->SetEndOfFile(0)) {
    TDVXFileError failed{file_->LastErrorCode(), file_->LastError()};
    file_.reset();
    throw EDVXException(kErrCreateFile, "Cannot create file: '%s' Error code: %d. ErrorMessage: %s",
                        {fileName, failed.code, failed.message});
  }
}

void TDVXDatabaseFile::OpenFile(const std::string& fileName, uint8_t& access, uint8_t& share) {
  CheckClosed("OpenFile");
  if (access > kAccessReadWrite) throw EDVXException(kErrUnknownAccessMode, "Unknown Access mode: '%d'", {access});
  if (share > kShareDenyNone) throw EDVXException(kErrUnknownShareMode, "Unknown Share mode: '%d'", {share});
  if (!fileSystem_.Exists(fileName))
    throw EDVXException(kErrFileMissing, "Error - database file '%s' does not exists", {fileName});
  if (fileSystem_.IsReadOnly(fileName)) access = kAccessReadOnly;
  TDVXFileError error;
  auto file = fileSystem_.Open(fileName, TDVXFileOpen::OpenExisting,
                               access == kAccessReadWrite ? TDVXFileAccess::ReadWrite : TDVXFileAccess::ReadOnly,
                               share == kShareExclusive ? TDVXFileShare::Exclusive : TDVXFileShare::Shared, error);
  Attach(std::move(file), fileName, access, share, kErrOpenFile,
         "Cannot open file:'%s' Error code: %d. ErrorMessage: %s", error);
}

// Takes over a file the file system opened, or reports why it could not:
// `format` gets the file name and the file layer's error number and text.
void TDVXDatabaseFile::Attach(std::unique_ptr<TDVXFile> file, const std::string& fileName, uint8_t access,
                              uint8_t share, int32_t errorCode, std::string_view format,
                              const TDVXFileError& error) {
  if (!file) throw EDVXException(errorCode, format, {fileName, error.code, error.message});
  file_ = std::move(file);
  unsynced_ = true;
  fileName_ = fileName;
  access_ = access;
  share_ = share;
  position_ = 0;
}

void TDVXDatabaseFile::CloseFile() {
  CheckOpen("CloseFile");
  // Closing cannot fail on the file layer; the object simply goes.
  file_.reset();
  position_ = 0;
}

void TDVXDatabaseFile::Seek(int32_t errorCode, int64_t position) {
  CheckOpen("Seek");
  if (position < 0) {
    int64_t size = GetSize();
    throw EDVXException(errorCode ? errorCode : kErrSeek,
                        "Cannot Set File Position to %d. FileName='%s'. FilePosition = %d, FileSize = %d",
                        {position, fileName_, position_, size});
  }
  position_ = position;
}

int64_t TDVXDatabaseFile::GetPosition() const {
  CheckOpen("GetPosition");
  return position_;
}

int64_t TDVXDatabaseFile::GetSize() {
  CheckOpen("GetSize");
  uint64_t size = 0;
  if (!file_->GetSize(size))
    throw EDVXException(kErrFileSize, "Cannot Get File Size for file: '%s'. ErrorCode:%d. ErrorMessage: %s",
                        {fileName_, file_->LastErrorCode(), file_->LastError()});
  return static_cast<int64_t>(size);
}

void TDVXDatabaseFile::SetSize(int64_t size) {
  CheckOpen("SetSize");
  Seek(kErrTruncateFile, size);
  unsynced_ = true;
  if (!file_->SetEndOfFile(static_cast<uint64_t>(size)))
    throw EDVXException(kErrTruncateFile, "Cannot Truncate File '%s' to %d bytes. ErrorCode:%d. ErrorMessage: %s",
                        {fileName_, size, file_->LastErrorCode(), file_->LastError()});
}

void TDVXDatabaseFile::ReadBuffer(void* buffer, int32_t errorCode, int64_t position, size_t count) {
  CheckOpen("ReadBuffer");
  Seek(errorCode, position);
  size_t done = 0;
  bool ok = file_->ReadAt(static_cast<uint64_t>(position), buffer, count, done);
  if (ok && done == count) {
    position_ = position + static_cast<int64_t>(count);
    return;
  }
  int code = ok ? 0 : file_->LastErrorCode();
  std::string reason = ok ? "end of file reached after " + std::to_string(done) + " bytes" : file_->LastError();
  uint64_t size = 0;
  file_->GetSize(size);
  throw EDVXException(errorCode,
                      "Cannot Read from file: '%s' Position = %d, Count = %d, FilePosition = %d, FileSize = %d, "
                      "ErrorCode:%d. ErrorMessage: %s",
                      {fileName_, position, static_cast<int64_t>(count), position_, static_cast<int64_t>(size), code,
                       reason});
}

void TDVXDatabaseFile::WriteBuffer(const void* buffer, int32_t errorCode, int64_t position, size_t count) {
  CheckOpen("WriteBuffer");
  Seek(errorCode, position);
  unsynced_ = true;
  if (file_->WriteAt(static_cast<uint64_t>(position), buffer, count)) {
    position_ = position + static_cast<int64_t>(count);
    return;
  }
  int code = file_->LastErrorCode();
  uint64_t size = 0;
  file_->GetSize(size);
  throw EDVXException(errorCode,
                      "Cannot Write to file: '%s' Position = %d, Count = %d, FilePosition = %d, FileSize = %d, "
                      "ErrorCode:%d. ErrorMessage: %s",
                      {fileName_, position, static_cast<int64_t>(count), position_, static_cast<int64_t>(size), code,
                       file_->LastError()});
}

void TDVXDatabaseFile::FlushFileBuffers() {
  CheckOpen("FlushFileBuffers");
  // Nothing written through this open since its last sync: the sync would
  // cost a disk round trip for nothing (a commit has synced already).
  if (!unsynced_) return;
  if (!file_->Flush())
    throw EDVXException(kErrFlushFile, "Cannot flush file buffers for file: '%s'. ErrorCode:%d. ErrorMessage: %s",
                        {fileName_, file_->LastErrorCode(), file_->LastError()});
  unsynced_ = false;
}

bool TDVXDatabaseFile::LockByte(int64_t position, bool exclusive) {
  CheckOpen("LockByte");
  // A read-only open cannot hold a write lock on a POSIX file; a shared
  // lock still keeps writers out.
  if (access_ == kAccessReadOnly) exclusive = false;
  return file_->TryLock(static_cast<uint64_t>(position), 1, exclusive);
}

bool TDVXDatabaseFile::UnlockByte(int64_t position) {
  CheckOpen("UnlockByte");
  return file_->Unlock(static_cast<uint64_t>(position), 1);
}

bool TDVXDatabaseFile::IsByteLocked(int64_t position) { return IsRegionLocked(position, 1); }

bool TDVXDatabaseFile::IsRegionLocked(int64_t position, int64_t count) {
  CheckOpen("IsRegionLocked");
  if (count <= 0) return false;
  return file_->IsLockedByOther(static_cast<uint64_t>(position), static_cast<uint64_t>(count));
}

}  // namespace dvx
