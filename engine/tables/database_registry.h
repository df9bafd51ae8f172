#pragma once
// TDVXDatabaseRegistry: the database objects of the process. The in-memory
// database "MEMORY" and the temporary database "TEMP" exist for the whole
// run; a database file has one object while sessions are connected to it,
// found by its file name (compared without regard to case) on its file
// system, opened by the first session and closed when the last one leaves.
// One lock guards the lists; the database objects guard themselves.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/platform/critical_section.h"
#include "engine/core/platform/file.h"
#include "engine/crypto/crypto_info.h"
#include "engine/storage/lock_retry.h"
#include "engine/tables/database_data.h"

namespace dvx {

class TDVXDiskDatabaseData;
class TDVXMemoryDatabaseData;
class TDVXTemporaryDatabaseData;

// How a session reaches its database: the file name (or "MEMORY", "TEMP")
// and, for a file, how the first session opens it and creates it.
struct TDVXDatabaseParams {
  std::string fileName;
  TDVXLockParams lockParams;
  TDVXFileSystem* fileSystem = nullptr;  // null: the operating system's
  bool readOnly = false;
  bool exclusive = false;
  TDVXCryptoInfo crypto;
  int pageSize = 4096;
  int extentPageCount = 8;
  int32_t maxSessionCount = 1;

  TDVXFileSystem& FileSystem() const { return fileSystem ? *fileSystem : TDVXFileSystem::Default(); }
};

class TDVXDatabaseRegistry {
 public:
  TDVXDatabaseRegistry();
  ~TDVXDatabaseRegistry();
  TDVXDatabaseRegistry(const TDVXDatabaseRegistry&) = delete;
  TDVXDatabaseRegistry& operator=(const TDVXDatabaseRegistry&) = delete;

  // The registry of the process, made on first use.
  static TDVXDatabaseRegistry& Instance();

  TDVXMemoryDatabaseData& MemoryDatabase() { return *memory_; }
  TDVXTemporaryDatabaseData& TemporaryDatabase() { return *temporary_; }

  // The database object for the parameters' file name, opened with them
  // when none is open; every Acquire is matched by one Release. An open
  // that fails leaves nothing registered.
  TDVXDatabaseData& Acquire(const TDVXDatabaseParams& params);
  // The last release of a file's object closes it and removes it, also
  // when closing reports a failure (which is passed on).
  void Release(TDVXDatabaseData& database);
  // Whether a database object of the file is open in the process.
  bool IsOpen(const std::string& fileName, TDVXFileSystem& fileSystem);
  // The number of sessions holding the file's object (0 when none is open).
  int UserCount(const std::string& fileName, TDVXFileSystem& fileSystem);

  TDVXCriticalSection& Lock() { return lock_; }

  static bool IsMemoryName(const std::string& fileName);
  static bool IsTemporaryName(const std::string& fileName);

 private:
  struct TEntry;
  TEntry* Find(const std::string& fileName, TDVXFileSystem& fileSystem);

  TDVXCriticalSection lock_;
  std::unique_ptr<TDVXMemoryDatabaseData> memory_;
  std::unique_ptr<TDVXTemporaryDatabaseData> temporary_;
  std::vector<std::unique_ptr<TEntry>> files_;
};

}  // namespace dvx
