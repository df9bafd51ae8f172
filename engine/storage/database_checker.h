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
//  - no page claimed by two structures;
//  - every first page's OwnerID, and the OwnerID and NextPageNo of the
//    bitmap pages; whatever the engine refuses when it opens a database.
// Two findings are not corruption and are kept apart from the problems:
// pages marked in use that no structure owns (a program that died between
// taking a page and committing leaves them), and GAM or SGAM bits that
// disagree with the PFS bits (hints a crash may leave stale). Reclaim frees
// the first and recomputes the second.
// Later layers add their own pages (records, data items, indexes) through
// AddReferencedPage before Check.
#include <climits>
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
  // The problems (corruption); the two other findings come after it.
  std::vector<std::string> Check();
  const std::vector<int32_t>& UnownedPages() const { return unowned_; }
  const std::vector<std::string>& StaleExtentBits() const { return staleExtents_; }
  // Whether every structure that may own a page was walked: tables with
  // indexes own pages without a page header the checker cannot see yet.
  bool CanReclaim() const { return reclaimRefusal_.empty(); }
  const std::string& ReclaimRefusal() const { return reclaimRefusal_; }
  // After Check, on a manager open for writing under the StateLockByte:
  // frees the unowned pages and rewrites the GAM and SGAM bits from the PFS
  // bits. Returns the number of pages freed.
  int32_t Reclaim();

  // The content of an internal file read straight from the file; problems
  // are reported, not thrown. Returns false when the file cannot be read.
  bool ReadInternalFile(int32_t firstPageNo, uint16_t pageType, const std::string& name,
                        std::vector<uint8_t>& content, int32_t owner = kNoOwnerCheck, bool direct = false);
  static constexpr int32_t kNoOwnerCheck = INT32_MIN;

 private:
  void Problem(const std::string& text) { problems_.push_back(text); }
  bool ReadPage(int32_t pageNo, std::vector<uint8_t>& page);
  void Claim(int32_t pageNo, const std::string& owner);
  void CheckBitmaps();

  TDVXDiskPageManager& pageManager_;
  std::map<int32_t, std::string> owners_;
  std::vector<std::string> problems_;
  std::vector<int32_t> unowned_;
  std::vector<std::string> staleExtents_;
  std::string reclaimRefusal_;
};

}  // namespace dvx
