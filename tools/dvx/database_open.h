#pragma once
// Opening a database file for the dvx commands that only look at it: read
// only, shared with other programs. An encrypted file is opened with the
// key check and `password`; a wrong or missing one fails with the engine's
// key message before any page is read. The password is ignored for plain
// files.
#include <memory>
#include <string>

#include "engine/storage/disk_page_manager.h"

namespace dvx::tool {

std::unique_ptr<TDVXDiskPageManager> OpenForReading(const std::string& fileName, const std::string& password = "");
// Parses a whole decimal number in [low, high]; false otherwise.
bool ParseNumber(const std::string& text, long low, long high, long& value);

}  // namespace dvx::tool
