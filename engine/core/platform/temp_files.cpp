#include "engine/core/platform/temp_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/core/exception.h"
#include "engine/core/platform/random.h"

namespace dvx {

std::string TempDirectory() {
  const char* dir = std::getenv("TMPDIR");
  std::string result = (dir && *dir) ? dir : "/tmp";
  if (result.back() != '/') result += '/';
  return result;
}

std::string CreateUniqueTempFile(const std::string& prefix, const std::string& directory) {
  std::string dir = directory.empty() ? TempDirectory() : directory;
  if (dir.back() != '/') dir += '/';
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", TDVXRandom::System().Next(0xFFFFFFFFu));
    std::string name = dir + prefix + suffix + ".tmp";
    // O_EXCL: the name is ours only if nobody had it.
    int fd = ::open(name.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) break;
  }
  throw EDVXException(0, "Cannot create a temporary file '%s' in '%s': %s",
                      {prefix, dir, std::string(std::strerror(errno))});
}

}  // namespace dvx
