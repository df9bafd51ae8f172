#pragma once
// Opening a database file for the dvx commands that only look at it: read
// only, shared with other programs, the key check skipped.
#include <memory>
#include <string>

#include "engine/storage/disk_page_manager.h"

namespace dvx::tool {

std::unique_ptr<TDVXDiskPageManager> OpenForReading(const std::string& fileName);
// Parses a whole decimal number in [low, high]; false otherwise.
bool ParseNumber(const std::string& text, long low, long high, long& value);

}  // namespace dvx::tool
