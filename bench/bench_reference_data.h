#pragma once
// The folders a benchmark of the program finds beside itself, and the
// reference databases built from data/ once per run into a temporary
// folder by the builder of this build.
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace dvxbench {

// The build folder: the benchmark lives in its bench/ folder.
inline std::filesystem::path BuildFolder() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path();
}

// The source tree the build was configured from (empty when unknown).
inline std::filesystem::path SourceFolder() {
  std::ifstream cache(BuildFolder() / "CMakeCache.txt");
  const std::string key = "CMAKE_HOME_DIRECTORY:INTERNAL=";
  for (std::string line; std::getline(cache, line);)
    if (line.starts_with(key)) return std::filesystem::path(line.substr(key.size()));
  return {};
}

// The eight databases, built on first use into a folder named after `name`;
// empty when they cannot be built.
inline const std::filesystem::path& ReferenceDatabases(const std::string& name) {
  static const std::filesystem::path folder = [&]() -> std::filesystem::path {
    std::string pattern = (std::filesystem::temp_directory_path() / ("fendra_bench_" + name + "_XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) return {};
    const std::filesystem::path out = std::filesystem::path(pattern) / "data";
    const std::string command = (BuildFolder() / "tools" / "refdata" / "fendra-data").string() + " build '" +
                                (SourceFolder() / "data").string() + "' '" + out.string() + "' > /dev/null";
    if (std::system(command.c_str()) != 0) return {};
    return out;
  }();
  return folder;
}

}  // namespace dvxbench
