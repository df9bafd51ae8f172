#include "engine/core/platform/os_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace dvx {
namespace {

class TDVXOSFile : public TDVXFile {
 public:
  TDVXOSFile(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}
  ~TDVXOSFile() override { ::close(fd_); }

  bool ReadAt(uint64_t position, void* buffer, size_t count, size_t& done) override {
    done = 0;
    auto* out = static_cast<uint8_t*>(buffer);
    while (done < count) {
      ssize_t n = ::pread(fd_, out + done, count - done, static_cast<off_t>(position + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return Fail("read");
      }
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    return true;
  }

  bool WriteAt(uint64_t position, const void* buffer, size_t count) override {
    size_t done = 0;
    auto* in = static_cast<const uint8_t*>(buffer);
    while (done < count) {
      ssize_t n = ::pwrite(fd_, in + done, count - done, static_cast<off_t>(position + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return Fail("write");
      }
      done += static_cast<size_t>(n);
    }
    return true;
  }

  bool Flush() override { return ::fdatasync(fd_) == 0 || Fail("flush"); }

  bool GetSize(uint64_t& size) override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return Fail("stat");
    size = static_cast<uint64_t>(st.st_size);
    return true;
  }

  bool SetEndOfFile(uint64_t size) override {
    return ::ftruncate(fd_, static_cast<off_t>(size)) == 0 || Fail("truncate");
  }

  bool TryLock(uint64_t position, uint64_t length, bool exclusive) override {
    struct flock fl = Range(position, length, exclusive ? F_WRLCK : F_RDLCK);
    if (::fcntl(fd_, F_OFD_SETLK, &fl) == 0) return true;
    if (errno != EACCES && errno != EAGAIN) Fail("lock");
    return false;
  }

  bool Unlock(uint64_t position, uint64_t length) override {
    struct flock fl = Range(position, length, F_UNLCK);
    return ::fcntl(fd_, F_OFD_SETLK, &fl) == 0 || Fail("unlock");
  }

  bool IsLockedByOther(uint64_t position, uint64_t length) override {
    struct flock fl = Range(position, length, F_WRLCK);
    if (::fcntl(fd_, F_OFD_GETLK, &fl) != 0) return Fail("lock query");
    return fl.l_type != F_UNLCK;
  }

  const std::string& LastError() const override { return error_; }
  int LastErrorCode() const override { return errorCode_; }
  const std::string& FileName() const override { return name_; }

 private:
  static struct flock Range(uint64_t position, uint64_t length, short type) {
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(position);
    fl.l_len = static_cast<off_t>(length);
    fl.l_pid = 0;
    return fl;
  }

  bool Fail(const char* what) {
    errorCode_ = errno;
    error_ = std::string(what) + " failed on '" + name_ + "': " + std::strerror(errorCode_);
    return false;
  }

  int fd_;
  std::string name_;
  std::string error_;
  int errorCode_ = 0;
};

}  // namespace

std::unique_ptr<TDVXFile> TDVXOSFileSystem::Open(const std::string& name, TDVXFileOpen how,
                                                 TDVXFileAccess access, TDVXFileShare share,
                                                 TDVXFileError& error) {
  int flags = O_CLOEXEC | (access == TDVXFileAccess::ReadWrite ? O_RDWR : O_RDONLY);
  if (how == TDVXFileOpen::CreateOrTruncate) flags |= O_CREAT | O_TRUNC;
  if (how == TDVXFileOpen::OpenOrCreate) flags |= O_CREAT;
  int fd = ::open(name.c_str(), flags, 0644);
  if (fd < 0) {
    error.code = errno;
    error.message = "cannot open '" + name + "': " + std::strerror(error.code);
    return nullptr;
  }
  // Exclusive opens keep other processes out with an advisory lock on the
  // whole file handle; shared opens take a shared one, so an exclusive open
  // and a shared one never coexist.
  int op = (share == TDVXFileShare::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
  if (::flock(fd, op) != 0) {
    error.code = errno;
    error.message = "file '" + name + "' is in use by another program";
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<TDVXOSFile>(fd, name);
}

bool TDVXOSFileSystem::Exists(const std::string& name) {
  struct stat st;
  return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool TDVXOSFileSystem::IsReadOnly(const std::string& name) {
  struct stat st;
  if (::stat(name.c_str(), &st) != 0) return false;
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool TDVXOSFileSystem::SetReadOnly(const std::string& name, bool readOnly) {
  struct stat st;
  if (::stat(name.c_str(), &st) != 0) return false;
  mode_t mode = st.st_mode & 07777;
  mode = readOnly ? (mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
  return ::chmod(name.c_str(), mode) == 0;
}

bool TDVXOSFileSystem::Remove(const std::string& name) { return ::unlink(name.c_str()) == 0; }

bool TDVXOSFileSystem::Rename(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool TDVXOSFileSystem::SyncDirectoryOf(const std::string& name) {
  size_t slash = name.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : name.substr(0, slash);
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

TDVXFileSystem& TDVXFileSystem::Default() {
  static TDVXOSFileSystem* fs = new TDVXOSFileSystem();
  return *fs;
}

}  // namespace dvx
