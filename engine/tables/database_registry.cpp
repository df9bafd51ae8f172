#include "engine/tables/database_registry.h"

#include <algorithm>

#include "engine/core/cleanup_failures.h"
#include "engine/core/locale.h"
#include "engine/tables/disk_database_data.h"
#include "engine/tables/memory_database_data.h"
#include "engine/tables/temporary_database_data.h"

namespace dvx {

struct TDVXDatabaseRegistry::TEntry {
  std::string fileName;
  TDVXFileSystem* fileSystem = nullptr;
  std::unique_ptr<TDVXDiskDatabaseData> database;
  int users = 0;
};

TDVXDatabaseRegistry::TDVXDatabaseRegistry()
    : memory_(std::make_unique<TDVXMemoryDatabaseData>()), temporary_(std::make_unique<TDVXTemporaryDatabaseData>()) {}

TDVXDatabaseRegistry::~TDVXDatabaseRegistry() {
  // Files still registered at the end of the run are closed quietly.
  for (auto& entry : files_) {
    try {
      entry->database->CloseDatabase();
    } catch (...) {
      NoteCleanupFailure("closing a database at the end of the run");
    }
  }
}

TDVXDatabaseRegistry& TDVXDatabaseRegistry::Instance() {
  static TDVXDatabaseRegistry registry;
  return registry;
}

bool TDVXDatabaseRegistry::IsMemoryName(const std::string& fileName) { return SameName(fileName, "MEMORY"); }

bool TDVXDatabaseRegistry::IsTemporaryName(const std::string& fileName) { return SameName(fileName, "TEMP"); }

TDVXDatabaseRegistry::TEntry* TDVXDatabaseRegistry::Find(const std::string& fileName, TDVXFileSystem& fileSystem) {
  for (auto& entry : files_)
    if (entry->fileSystem == &fileSystem && SameName(entry->fileName, fileName)) return entry.get();
  return nullptr;
}

TDVXDatabaseData& TDVXDatabaseRegistry::Acquire(const TDVXDatabaseParams& params) {
  if (IsMemoryName(params.fileName)) return *memory_;
  if (IsTemporaryName(params.fileName)) return *temporary_;
  TDVXLockGuard guard(lock_);
  TDVXFileSystem& fileSystem = params.FileSystem();
  if (TEntry* open = Find(params.fileName, fileSystem)) {
    ++open->users;
    return *open->database;
  }
  auto entry = std::make_unique<TEntry>();
  entry->fileName = params.fileName;
  entry->fileSystem = &fileSystem;
  entry->database = std::make_unique<TDVXDiskDatabaseData>(params.fileName, params.lockParams, fileSystem);
  TDVXCryptoInfo crypto = params.crypto;
  entry->database->OpenDatabase(params.readOnly, params.exclusive, crypto);
  entry->users = 1;
  files_.push_back(std::move(entry));
  return *files_.back()->database;
}

void TDVXDatabaseRegistry::Release(TDVXDatabaseData& database) {
  if (&database == memory_.get() || &database == temporary_.get()) return;
  TDVXLockGuard guard(lock_);
  auto it = std::find_if(files_.begin(), files_.end(), [&](const auto& e) { return e->database.get() == &database; });
  if (it == files_.end() || --(*it)->users > 0) return;
  std::unique_ptr<TEntry> entry = std::move(*it);
  files_.erase(it);
  entry->database->CloseDatabase();
}

bool TDVXDatabaseRegistry::IsOpen(const std::string& fileName, TDVXFileSystem& fileSystem) {
  TDVXLockGuard guard(lock_);
  return Find(fileName, fileSystem) != nullptr;
}

int TDVXDatabaseRegistry::UserCount(const std::string& fileName, TDVXFileSystem& fileSystem) {
  TDVXLockGuard guard(lock_);
  const TEntry* entry = Find(fileName, fileSystem);
  return entry ? entry->users : 0;
}

}  // namespace dvx
