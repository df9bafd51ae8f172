#include "tools/dvx/database_open.h"

#include <cerrno>
#include <cstdlib>

namespace dvx::tool {

std::unique_ptr<TDVXDiskPageManager> OpenForReading(const std::string& fileName, const std::string& password) {
  auto pm = std::make_unique<TDVXDiskPageManager>(TDVXLockParams{10, 100});
  bool readOnly = true;
  TDVXCryptoInfo crypto;
  crypto.password = password;
  // The key check costs a key derivation only for encrypted files; without a
  // password the check fails on the all-zero key.
  pm->OpenDatabaseFile(fileName, readOnly, false, false, crypto);
  return pm;
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
