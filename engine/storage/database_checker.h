#pragma once
// TDVXDatabaseChecker: verifies the structures of a database file that the
// storage layer itself defines, reading pages straight from the file (never
// through the cache) and collecting every problem instead of stopping at the
// first:
//  - the free-space bitmaps: page headers, GAM and SGAM marks against the
//    PFS bits, and PFS bits against the pages that structures use;
//  - the system directory, the active sessions file, the table list (its
//    size) and the internal files of every listed table: page headers,
//    chains (bounded, no cycles), internal-file headers and sizes;
//  - no page claimed by two structures.
// Later layers add their own pages (records, data items, indexes) through
// AddReferencedPage before Check.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/storage/disk_page_manager.h"

namespace dvx {

class TDVXDatabaseChecker {
 public:
  explicit TDVXDatabaseChecker(TDVXDiskPageManager& pageManager);

  void AddReferencedPage(int32_t pageNo, const std::string& owner);
  std::vector<std::string> Check();

  // The content of an internal file read straight from the file; problems
  // are reported, not thrown. Returns false when the file cannot be read.
  bool ReadInternalFile(int32_t firstPageNo, uint16_t pageType, const std::string& name,
                        std::vector<uint8_t>& content);

 private:
  void Problem(const std::string& text) { problems_.push_back(text); }
  bool ReadPage(int32_t pageNo, std::vector<uint8_t>& page);
  void Claim(int32_t pageNo, const std::string& owner);
  void CheckBitmaps();

  TDVXDiskPageManager& pageManager_;
  std::map<int32_t, std::string> owners_;
  std::vector<std::string> problems_;
};

}  // namespace dvx
