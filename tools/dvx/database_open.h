#pragma once
// Opening a database file for the dvx commands. Reading: read only, shared
// with other programs; a database that an ended program left in the middle
// of a commit is refused (it needs a program that may write it: 'dvx
// recover'). Writing: shared, and such a database is recovered first. An
// encrypted file is opened with the key check and `password`; a wrong or
// missing one fails with the engine's key message before any page is read.
// The password is ignored for plain files.
#include <memory>
#include <string>

#include "engine/storage/disk_page_manager.h"

namespace dvx::tool {

std::unique_ptr<TDVXDiskPageManager> OpenForReading(const std::string& fileName, const std::string& password = "");
std::unique_ptr<TDVXDiskPageManager> OpenForWriting(const std::string& fileName, const std::string& password = "");

// Holds the StateLockByte and the TablesLockByte for a scope, so a command
// reads the state between two commits of other programs, never one half
// written.
class TDvxConsistentState {
 public:
  explicit TDvxConsistentState(TDVXDiskPageManager& pageManager);

 private:
  TDVXLockByteGuard state_;
  TDVXLockByteGuard tables_;
};

// Parses a whole decimal number in [low, high]; false otherwise.
bool ParseNumber(const std::string& text, long low, long high, long& value);

}  // namespace dvx::tool
