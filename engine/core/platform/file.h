#pragma once
// The narrow file interface every byte of a database file goes through.
// The operating-system implementation (os_file) and an in-memory one with
// fault injection (memory_file) stand behind it, so storage tests can fail
// the Nth write or flush and simulate a crash that loses unflushed writes.
//
// Operations report failure by returning false and leaving a description in
// LastError() and the file layer's error number in LastErrorCode() (the
// operating system's errno, or the in-memory layer's own); the storage layer
// turns both into its own engine message with the caller's native code.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace dvx {

enum class TDVXFileAccess { ReadOnly, ReadWrite };
enum class TDVXFileShare { Exclusive, Shared };
// OpenOrCreate opens an existing file without changing it, or creates an
// empty one; a caller that must not destroy a file in use truncates it only
// once it holds the file's locks.
enum class TDVXFileOpen { CreateOrTruncate, OpenExisting, OpenOrCreate };

// Why an open failed: the file layer's error number and a description.
struct TDVXFileError {
  int code = 0;
  std::string message;
};

class TDVXFile {
 public:
  virtual ~TDVXFile() = default;

  // Reads up to `count` bytes at `position`; `done` receives the number read
  // (fewer at the end of the file). False only on an error.
  virtual bool ReadAt(uint64_t position, void* buffer, size_t count, size_t& done) = 0;
  // Writes all `count` bytes at `position`, growing the file as needed.
  virtual bool WriteAt(uint64_t position, const void* buffer, size_t count) = 0;
  virtual bool Flush() = 0;
  virtual bool GetSize(uint64_t& size) = 0;
  virtual bool SetEndOfFile(uint64_t size) = 0;

  // Byte-range locks held by this open file. They conflict with locks of
  // every other open of the same file, in this process or another, and end
  // with the open (or the process). TryLock never waits.
  virtual bool TryLock(uint64_t position, uint64_t length, bool exclusive) = 0;
  virtual bool Unlock(uint64_t position, uint64_t length) = 0;
  // True when another open of the file holds a lock that conflicts with an
  // exclusive lock on the range.
  virtual bool IsLockedByOther(uint64_t position, uint64_t length) = 0;

  virtual const std::string& LastError() const = 0;
  virtual int LastErrorCode() const = 0;
  virtual const std::string& FileName() const = 0;
};

class TDVXFileSystem {
 public:
  virtual ~TDVXFileSystem() = default;

  // Null on failure, with the reason in `error`.
  virtual std::unique_ptr<TDVXFile> Open(const std::string& name, TDVXFileOpen how,
                                         TDVXFileAccess access, TDVXFileShare share,
                                         TDVXFileError& error) = 0;
  virtual bool Exists(const std::string& name) = 0;
  virtual bool IsReadOnly(const std::string& name) = 0;
  virtual bool SetReadOnly(const std::string& name, bool readOnly) = 0;
  virtual bool Remove(const std::string& name) = 0;
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  // Makes the existence of a newly created file survive a crash (syncs the
  // folder that holds it). The in-memory file system keeps its names.
  virtual bool SyncDirectoryOf(const std::string& name) { return true; }

  // The operating system's file system.
  static TDVXFileSystem& Default();
};

}  // namespace dvx
