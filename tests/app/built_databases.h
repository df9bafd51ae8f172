#pragma once
// The eight reference databases built from data/ by fendra-data, once per
// test run, and the entries of data/ read plainly, so tests compare what
// the window shows with the sources.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/platform/temp_files.h"

namespace fendra::testing {

namespace fs = std::filesystem;

inline fs::path MakeTempFolder(const char* stem) {
  std::string pattern = dvx::TempDirectory() + stem + "_XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
  return fs::path(pattern);
}

// Removes the folders made for the run when the test program ends.
class TTempFolders {
 public:
  ~TTempFolders() {
    std::error_code ignored;
    for (const fs::path& folder : folders_) fs::remove_all(folder, ignored);
  }
  fs::path Make(const char* stem) {
    folders_.push_back(MakeTempFolder(stem));
    return folders_.back();
  }
  static TTempFolders& Instance() {
    static TTempFolders folders;
    return folders;
  }

 private:
  std::vector<fs::path> folders_;
};

inline fs::path DataSources() { return fs::path(FENDRA_SOURCE_DIR) / "data"; }

// Built once; a failing build fails every test that needs the set.
inline const fs::path& BuiltDatabases() {
  static const fs::path built = [] {
    const fs::path out = TTempFolders::Instance().Make("fendra_window_data") / "set";
    const std::string command = std::string(FENDRA_DATA_EXECUTABLE) + " build '" + DataSources().string() + "' '" +
                                out.string() + "' > /dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return fs::path();
    return out;
  }();
  EXPECT_FALSE(built.empty()) << "fendra-data could not build the reference databases";
  return built;
}

// A copy of the built set in a folder of its own, for a test that removes
// or damages one of its files.
inline fs::path CopyOfBuiltDatabases() {
  const fs::path copy = TTempFolders::Instance().Make("fendra_window_copy");
  for (const auto& file : fs::directory_iterator(BuiltDatabases()))
    if (file.path().extension() == ".dvx") fs::copy_file(file.path(), copy / file.path().filename());
  return copy;
}

// One entry of a data/ table folder: its header fields and its text.
struct TSourceEntry {
  std::map<std::string, std::string> fields;
  std::string text;
  std::string Field(const std::string& name) const {
    const auto it = fields.find(name);
    return it == fields.end() ? std::string() : it->second;
  }
};

// The entries of every .md file of the folder, files by name, entries in
// file order: the order the builder inserts them.
inline std::vector<TSourceEntry> ReadSourceEntries(const std::string& folder) {
  std::vector<fs::path> files;
  for (const auto& item : fs::directory_iterator(DataSources() / folder))
    if (item.path().extension() == ".md") files.push_back(item.path());
  std::sort(files.begin(), files.end());
  std::vector<TSourceEntry> entries;
  for (const fs::path& file : files) {
    std::ifstream in(file);
    std::string line;
    enum { kOutside, kHeader, kText } where = kOutside;
    while (std::getline(in, line)) {
      if (line == "+++") {
        if (where == kHeader) {
          where = kText;
        } else {
          entries.emplace_back();
          where = kHeader;
        }
        continue;
      }
      if (where == kHeader) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        auto trim = [](std::string s) {
          s.erase(0, s.find_first_not_of(" \t"));
          s.erase(s.find_last_not_of(" \t\r") + 1);
          return s;
        };
        entries.back().fields[trim(line.substr(0, colon))] = trim(line.substr(colon + 1));
      } else if (where == kText) {
        entries.back().text += line + "\n";
      }
    }
  }
  return entries;
}

// The part of a remedy's text that one memo field holds ("@@ Vorkommen"
// up to the next "@@ " line); the whole text without sections.
inline std::string MemoSection(const std::string& text, const std::string& section) {
  if (section.empty()) return text;
  const std::string marker = "@@ " + section + "\n";
  size_t start = text.find(marker);
  if (start == std::string::npos) return std::string();
  start += marker.size();
  const size_t end = text.find("\n@@ ", start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start + 1);
}

// The first words of a Markdown text as a reader sees them: the first line
// with text, without heading, list and emphasis marks or reference braces.
inline std::string FirstWords(const std::string& markdown, int count = 4) {
  std::istringstream lines(markdown);
  std::string line;
  while (std::getline(lines, line)) {
    std::string plain;
    for (char c : line)
      if (c != '#' && c != '*' && c != '_' && c != '{' && c != '}' && c != '[' && c != ']' && c != '`') plain += c;
    std::istringstream words(plain);
    std::string word, result;
    int taken = 0;
    while (taken < count && words >> word) {
      if (taken == 0 && (word == "-" || (word.back() == '.' && std::isdigit(static_cast<unsigned char>(word[0])))))
        continue;
      result += (taken++ ? " " : "") + word;
    }
    if (taken > 0) return result;
  }
  return std::string();
}

}  // namespace fendra::testing
