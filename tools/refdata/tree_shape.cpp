#include "tools/refdata/tree_shape.h"

#include <algorithm>
#include <map>
#include <string>

#include "tools/refdata/table_schema.h"

namespace refdata {

namespace {

constexpr std::string_view kNameField = "BezTree";

void Problem(TTreeShape& shape, const TSourceEntry& entry, int line, std::string message) {
  shape.problems.push_back({entry.file, line, std::move(message)});
}

void ResolveParents(std::span<const TSourceEntry> entries, std::string_view rootName, TTreeShape& shape) {
  std::map<std::string, int, std::less<>> byName;
  for (size_t i = 0; i < entries.size(); ++i) byName.emplace(entries[i].Value(kNameField), static_cast<int>(i));
  for (size_t i = 0; i < entries.size(); ++i) {
    const TSourceEntry& entry = entries[i];
    const std::string name = entry.Value(kNameField);
    const THeaderField* eltern = entry.Field(kParentPseudoField);
    if (!eltern) {
      if (name != rootName) {
        Problem(shape, entry, entry.line,
                "the entry has no 'Eltern'; only the root '" + std::string(rootName) + "' goes without a parent");
      } else if (shape.root < 0) {
        shape.root = static_cast<int>(i);
      }
      continue;
    }
    if (name == rootName) {
      Problem(shape, entry, eltern->line, "the root '" + std::string(rootName) + "' must not have an 'Eltern'");
      continue;
    }
    if (eltern->value.empty()) {
      Problem(shape, entry, eltern->line, "'Eltern' is empty; it names the BezTree of the parent entry");
      continue;
    }
    const auto found = byName.find(eltern->value);
    if (found == byName.end()) {
      Problem(shape, entry, eltern->line, "'Eltern: " + eltern->value + "' names no tree entry");
      continue;
    }
    shape.parent[i] = found->second;
    ++shape.children[static_cast<size_t>(found->second)];
  }
}

// Depth by walking up until the walk meets the end of a chain, an entry
// measured before, or an entry of the walk itself (a cycle); then the walked
// entries get their depths from the top down.
void MeasureDepths(std::span<const TSourceEntry> entries, TTreeShape& shape) {
  enum class TMark { Unseen, OnWalk, Done };
  std::vector<TMark> mark(entries.size(), TMark::Unseen);
  for (size_t start = 0; start < entries.size(); ++start) {
    std::vector<int> walk;
    int at = static_cast<int>(start);
    while (at >= 0 && mark[at] == TMark::Unseen) {
      mark[at] = TMark::OnWalk;
      walk.push_back(at);
      at = shape.parent[at];
    }
    bool reachesRoot = false;
    int depth = -1;  // the depth above the walk's topmost entry
    if (at < 0) {
      reachesRoot = !walk.empty() && walk.back() == shape.root;
    } else if (mark[at] == TMark::OnWalk) {
      std::string chain;
      for (auto it = std::find(walk.begin(), walk.end(), at); it != walk.end(); ++it)
        chain += entries[*it].Value(kNameField) + " -> ";
      chain += entries[at].Value(kNameField);
      const TSourceEntry& entry = entries[at];
      const THeaderField* eltern = entry.Field(kParentPseudoField);
      Problem(shape, entry, eltern ? eltern->line : entry.line, "the 'Eltern' links form a cycle: " + chain);
    } else {
      depth = shape.depth[at];
      reachesRoot = depth >= 0;
    }
    for (auto it = walk.rbegin(); it != walk.rend(); ++it) {
      if (reachesRoot) shape.depth[*it] = ++depth;
      mark[*it] = TMark::Done;
    }
  }
}

void CountLevels(std::span<const TSourceEntry> entries, TTreeShape& shape) {
  for (size_t i = 0; i < entries.size(); ++i) {
    const int depth = shape.depth[i];
    if (depth < 0) continue;
    if (depth <= kDeepestTreeLevel) {
      ++shape.levelCount[depth];
      continue;
    }
    ++shape.deeperCount;
    Problem(shape, entries[i], entries[i].line,
            "'" + entries[i].Value(kNameField) + "' is on level " + std::to_string(depth) +
                " below the root; the tree shows only " + std::to_string(kDeepestTreeLevel) + " levels");
  }
}

}  // namespace

TTreeShape AnalyseTree(std::span<const TSourceEntry> entries, std::string_view rootName) {
  TTreeShape shape;
  shape.parent.assign(entries.size(), -1);
  shape.depth.assign(entries.size(), -1);
  shape.children.assign(entries.size(), 0);
  ResolveParents(entries, rootName, shape);
  if (shape.root < 0) {
    shape.problems.push_back({std::string(kTreeTable), 0, "the tree has no root entry '" + std::string(rootName) + "' without 'Eltern'"});
  } else if (shape.root > 0) {
    const TSourceEntry& root = entries[shape.root];
    Problem(shape, root, root.line,
            "the root must be the first tree entry, so that it gets Baum_ID 1 (where new first-level entries attach); " +
                entries.front().file + ":" + std::to_string(entries.front().line) + " comes before it");
  }
  MeasureDepths(entries, shape);
  CountLevels(entries, shape);
  return shape;
}

std::array<int, 8> ChildrenPerEntry(const TTreeShape& shape, int level) {
  std::array<int, 8> counts{};
  for (size_t i = 0; i < shape.depth.size(); ++i)
    if (shape.depth[i] == level) ++counts[std::min<size_t>(static_cast<size_t>(shape.children[i]), counts.size() - 1)];
  return counts;
}

std::string DescribeTreeShape(const TTreeShape& shape) {
  std::string text;
  for (int level = 0; level <= kDeepestTreeLevel; ++level) {
    if (level > 0) text += "; ";
    text += "level " + std::to_string(level) + ": " + std::to_string(shape.levelCount[level]) + " entries";
    if (level == kDeepestTreeLevel) break;
    const std::array<int, 8> counts = ChildrenPerEntry(shape, level);
    text += ", children per entry";
    bool first = true;
    for (size_t n = 0; n < counts.size(); ++n) {
      if (counts[n] == 0) continue;
      text += (first ? " " : ", ") + std::to_string(counts[n]) + " x " + std::to_string(n) + (n + 1 == counts.size() ? "+" : "");
      first = false;
    }
  }
  return text;
}

}  // namespace refdata
