#pragma once
// TDVXBTreeChecker: verifies one B-tree index against its ordering
// invariant and page structure, for the tests and the database check.
// It reads every page of the tree once and reports what it finds instead
// of stopping at the first fault:
//  - every page can be read as a B-tree page of this index (flags, key
//    length, count within the page), carries the root flag exactly when it
//    is the root, and is reached only once;
//  - keys are non-decreasing on every page, and every key lies within the
//    separators above it (separator i not greater than any key below child
//    i, not smaller than any key below child i-1);
//  - all leaves lie on one level, no deeper than 32 levels;
//  - the pages of every level are chained both ways in key order from -1
//    to -1;
//  - only the root, or the only page of a level, is without entries;
//  - no record ID appears twice.
#include <cstdint>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/tables/btree_index.h"

namespace dvx {

struct TDVXBTreeCheckReport {
  std::vector<std::string> problems;
  int64_t entryCount = 0;      // leaf entries
  int depth = 0;               // levels, 0 for an index without pages
  std::vector<int> levelPages;  // pages per level, root first
  std::set<int32_t> pages;     // every page the tree uses

  bool Ok() const { return problems.empty(); }
};

class TDVXBTreeChecker {
 public:
  static constexpr size_t kMaxProblems = 100;

  TDVXBTreeChecker(TDVXBTreeIndex& index, int32_t session) : index_(index), session_(session) {}
  TDVXBTreeCheckReport Check();

 private:
  struct TLevelPage {
    int32_t pageNo;
    int32_t prev;
    int32_t next;
    int count;
  };
  void Visit(const TDVXBTreeContext& context, int32_t pageNo, int level, const uint8_t* low, const uint8_t* high,
             TDVXBTreeCheckReport& report);
  void Problem(TDVXBTreeCheckReport& report, const std::string& text);

  TDVXBTreeIndex& index_;
  int32_t session_;
  std::vector<std::vector<TLevelPage>> levels_;
  std::unordered_set<TDVXRecordID, TDVXRecordIDHash> recordIDs_;
  int leafLevel_ = -1;
};

}  // namespace dvx
