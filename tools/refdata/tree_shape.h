#pragma once
// How the tree entries hang together: every entry names its parent by the
// parent's BezTree in the pseudo-field Eltern; only the root has none. The
// builder inserts the root first, so it gets Baum_ID 1, which is where the
// application's level editor attaches new first-level entries.
#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/refdata/source_problem.h"
#include "tools/refdata/source_reader.h"

namespace refdata {

// The application shows the root and three levels below it.
inline constexpr int kDeepestTreeLevel = 3;

struct TTreeShape {
  int root = -1;                 // index of the root entry, -1 when there is none
  std::vector<int> parent;       // per entry: index of its parent, -1 for the root or an unresolved name
  std::vector<int> depth;        // per entry: 0 for the root, -1 when it does not reach the root
  std::vector<int> children;     // per entry: the number of entries that name it as parent
  std::array<int, kDeepestTreeLevel + 1> levelCount{};  // entries at depth 0 .. 3
  int deeperCount = 0;           // entries below level 3
  std::vector<TProblem> problems;
};

// Resolves the parents of the tree entries (in insertion order) and measures
// each entry's depth. Parents are found by exact name; the first entry of a
// name wins (duplicate names are reported by the name check).
TTreeShape AnalyseTree(std::span<const TSourceEntry> entries, std::string_view rootName);

// How many entries of a level have how many children: result[n] is the number
// of entries on `level` with n children (the last slot collects n and more).
std::array<int, 8> ChildrenPerEntry(const TTreeShape& shape, int level);

// A line such as "level 1: 12 entries, children per entry 3 x 2, 5 x 4".
std::string DescribeTreeShape(const TTreeShape& shape);


}  // namespace refdata
