#include "engine/core/temporary_stream.h"

#include <cstdio>

#include "engine/core/exception.h"
#include "engine/core/platform/random.h"

namespace dvx {
namespace {

constexpr char kTempFilePrefix[] = "DVX";
constexpr int32_t kErrTempFileWrite = kErrStreamWrite;

}  // namespace

TDVXTemporaryStream::TDVXTemporaryStream(uint64_t threshold, TDVXFileSystem& fileSystem, std::string directory)
    : threshold_(threshold), fileSystem_(fileSystem), directory_(std::move(directory)) {
  if (!directory_.empty() && directory_.back() != '/') directory_ += '/';
}

TDVXTemporaryStream::~TDVXTemporaryStream() {
  if (!file_) return;
  file_->Close();
  fileSystem_.Remove(fileName_);
}

std::string TDVXTemporaryStream::NewFileName() {
  // The operating system's file system reserves the name atomically; any
  // other (the tests' in-memory one) takes the first name not in use.
  if (&fileSystem_ == &TDVXFileSystem::Default()) return CreateUniqueTempFile(kTempFilePrefix, directory_);
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", TDVXRandom::System().Next(0xFFFFFFFFu));
    std::string name = directory_ + kTempFilePrefix + suffix + ".tmp";
    if (!fileSystem_.Exists(name)) return name;
  }
  throw EDVXException(0, "Cannot create a temporary file '%s' in '%s': %s",
                      {std::string(kTempFilePrefix), directory_, std::string("no free name")});
}

void TDVXTemporaryStream::SpillIfLarger(uint64_t newSize) {
  if (file_ || newSize <= threshold_) return;
  std::string name = NewFileName();
  std::unique_ptr<TDVXFileStream> file;
  try {
    file = TDVXFileStream::Create(name, fileSystem_);
    file->WriteBuffer(memory_.Bytes().data(), memory_.Bytes().size(), kErrTempFileWrite);
  } catch (...) {
    file.reset();
    fileSystem_.Remove(name);
    throw;
  }
  file->SetPosition(memory_.Position());
  file_ = std::move(file);
  fileName_ = std::move(name);
  memory_ = TDVXMemoryStream();
}

size_t TDVXTemporaryStream::Read(void* buffer, size_t count) { return Current().Read(buffer, count); }

size_t TDVXTemporaryStream::Write(const void* buffer, size_t count) {
  SpillIfLarger(Position() + count);
  return Current().Write(buffer, count);
}

void TDVXTemporaryStream::SetSize(uint64_t size) {
  SpillIfLarger(size);
  Current().SetSize(size);
}

}  // namespace dvx
