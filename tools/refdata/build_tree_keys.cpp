#include "tools/refdata/build_tree_keys.h"

#include "tools/refdata/table_schema.h"

namespace refdata {

namespace {

constexpr std::string_view kNameField = "BezTree";

// 1 .. 99 as "01" .. "99".
std::string TwoDigits(int position) {
  return {static_cast<char>('0' + position / 10), static_cast<char>('0' + position % 10)};
}

std::string Place(const TSourceEntry& entry) { return entry.file + ":" + std::to_string(entry.line); }

}  // namespace

TTreeKeys AssignTreeKeys(std::span<const TSourceEntry> entries, const TTreeShape& shape) {
  TTreeKeys result;
  result.keys.assign(entries.size(), std::string());
  std::vector<int> children(entries.size(), 0);
  for (size_t i = 0; i < entries.size(); ++i) {
    const TSourceEntry& entry = entries[i];
    const int parent = shape.parent[i];
    if (static_cast<int>(i) == shape.root) {
      result.keys[i] = "00";
    } else if (parent >= 0) {
      const TSourceEntry& parentEntry = entries[static_cast<size_t>(parent)];
      if (parent > static_cast<int>(i)) {
        const THeaderField* eltern = entry.Field(kParentPseudoField);
        result.problems.push_back({entry.file, eltern ? eltern->line : entry.line,
                                   "the parent '" + parentEntry.Value(kNameField) + "' comes later, at " +
                                       Place(parentEntry) + "; a parent must come before its children"});
        continue;
      }
      const int position = ++children[static_cast<size_t>(parent)];
      if (position > kMaxTreeSiblings) {
        result.problems.push_back({entry.file, entry.line,
                                   "'" + parentEntry.Value(kNameField) + "' has more than " +
                                       std::to_string(kMaxTreeSiblings) +
                                       " children; 'Ls' numbers them with two digits"});
        continue;
      }
      const std::string& parentKey = result.keys[static_cast<size_t>(parent)];
      if (parentKey.empty()) continue;  // the parent's own problem is reported
      result.keys[i] = parent == shape.root ? TwoDigits(position) : parentKey + "." + TwoDigits(position);
    }
    if (result.keys[i].empty()) continue;  // no place in the tree: reported by the tree check
    const THeaderField* given = entry.Field(kTreeSortField);
    if (given && !given->value.empty() && given->value != result.keys[i]) {
      const std::string where = static_cast<int>(i) == shape.root
                                    ? std::string("the root")
                                    : "child " + std::to_string(children[static_cast<size_t>(parent)]) + " of '" +
                                          entries[static_cast<size_t>(parent)].Value(kNameField) + "'";
      result.problems.push_back({entry.file, given->line,
                                 "'Ls: " + given->value + "' does not match the entry's place: it is " + where +
                                     ", so its 'Ls' is '" + result.keys[i] + "'"});
    }
  }
  return result;
}

}  // namespace refdata
