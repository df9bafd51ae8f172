#pragma once
#include <string>

namespace dvx {

// The system's temporary directory, with a trailing '/'.
std::string TempDirectory();
// Creates a new empty file named <dir><prefix><random>.tmp that did not
// exist before and returns its name. Throws EDVXException when no name can
// be had.
std::string CreateUniqueTempFile(const std::string& prefix, const std::string& directory = TempDirectory());

}  // namespace dvx
