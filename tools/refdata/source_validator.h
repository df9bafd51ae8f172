#pragma once
// Checks the reference sources against the tables' schemas and the content
// rules, and reports every problem with its file and line.
#include <filesystem>
#include <string_view>
#include <vector>

#include "tools/refdata/content_rules.h"
#include "tools/refdata/source_problem.h"
#include "tools/refdata/source_tree.h"
#include "tools/refdata/tree_shape.h"

namespace refdata {

// The problems of an already loaded tree (its reading problems included),
// sorted by file and line. `notes`, when given, receives what is worth
// knowing but no problem (finder names marked as spelt otherwise than their
// page).
std::vector<TProblem> ValidateSourceTree(const TSourceTree& tree, const TContentRules& rules,
                                         std::vector<TProblem>* notes = nullptr);

struct TTableCount {
  std::string_view table;
  int entries = 0;
};

struct TValidationReport {
  std::vector<TProblem> problems;
  std::vector<TProblem> notes;
  std::vector<TTableCount> counts;  // one per reference table
  std::array<int, kDeepestTreeLevel + 1> treeLevels{};
  std::string treeShape;  // entries per level and children per entry
};

// Loads the tree below `root` and validates it.
TValidationReport ValidateDataDirectory(const std::filesystem::path& root,
                                        const TContentRules& rules = DefaultContentRules());

}  // namespace refdata
