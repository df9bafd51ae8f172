#include "tools/dvx/database_open.h"

#include <cerrno>
#include <cstdlib>

#include "engine/storage/storage_errors.h"

namespace dvx::tool {
namespace {

std::unique_ptr<TDVXDiskPageManager> Open(const std::string& fileName, const std::string& password, bool readOnly) {
  auto pm = std::make_unique<TDVXDiskPageManager>(TDVXLockParams{10, 100});
  TDVXCryptoInfo crypto;
  crypto.password = password;
  // The key check costs a key derivation only for encrypted files; without a
  // password the check fails on the all-zero key.
  pm->OpenDatabaseFile(fileName, readOnly, false, false, crypto);
  return pm;
}

}  // namespace

std::unique_ptr<TDVXDiskPageManager> OpenForReading(const std::string& fileName, const std::string& password) {
  return Open(fileName, password, true);
}

std::unique_ptr<TDVXDiskPageManager> OpenForWriting(const std::string& fileName, const std::string& password) {
  return Open(fileName, password, false);
}

TDvxConsistentState::TDvxConsistentState(TDVXDiskPageManager& pageManager)
    : state_(pageManager, TDVXLockByte::State,
             [&] {
               return EDVXException(kErrLockState, "Error locking State in database '%s'",
                                    {pageManager.FileName()});
             }),
      tables_(pageManager, TDVXLockByte::Tables, [&] {
        return EDVXException(kErrLockTablesOpen, "Error locking Tables in database '%s'", {pageManager.FileName()});
      }) {
  // Pages read before the locks were taken may be of an older state.
  pageManager.DiscardCleanPages();
  pageManager.ReadHeader();
}

bool ParseNumber(const std::string& text, long low, long high, long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < low || v > high) return false;
  value = v;
  return true;
}

}  // namespace dvx::tool
