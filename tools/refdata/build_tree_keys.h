#pragma once
// The tree's sort keys (field Ls) as the builder stores them: two digits per
// level, joined by points. The root is "00"; a first-level entry is its
// position among the root's children ("03"); below that an entry's key is its
// parent's key, a point and its position among its siblings ("03.02",
// "03.02.01"). Positions count from 1 in insertion order.
//
// Ls is part of the tree's primary key, so every entry gets one. The sources
// write it too, for the people who read them; the builder refuses sources
// whose Ls disagrees with the entry's place rather than pick one of the two.
#include <span>
#include <string>
#include <vector>

#include "tools/refdata/source_problem.h"
#include "tools/refdata/source_reader.h"
#include "tools/refdata/tree_shape.h"

namespace refdata {

// Two digits per level allow this many children of one entry.
inline constexpr int kMaxTreeSiblings = 99;

struct TTreeKeys {
  std::vector<std::string> keys;  // per entry, in insertion order; "" where none could be given
  std::vector<TProblem> problems;
};

// The keys of the tree entries whose parents `shape` resolved. Besides keys
// that disagree with the sources it reports a parent inserted after its
// child (the child stores the parent's Baum_ID, which exists only once the
// parent is written) and more siblings than two digits number.
TTreeKeys AssignTreeKeys(std::span<const TSourceEntry> entries, const TTreeShape& shape);

}  // namespace refdata
