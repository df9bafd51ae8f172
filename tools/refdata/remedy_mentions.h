#pragma once
// Where the texts name remedies: {{page}} references, and the names of pages
// and of remedies without a page written as words of the text.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tools/refdata/source_problem.h"
#include "tools/refdata/source_tree.h"

namespace refdata {

// The remedy names the texts may use: the pages' Hom Bezeichnung and the
// names of the known-names file (remedies without a page).
struct TRemedyNames {
  std::vector<std::string> pages;
  std::vector<std::string> known;
  std::vector<int> knownLines;  // line of each known name in its file
};

// Reads the known-names file: one name per line; blank lines and lines
// starting with "#" are skipped. A missing or unreadable file is a problem.
TRemedyNames CollectRemedyNames(const TSourceTree& tree, std::string_view knownNamesFile,
                                std::vector<TProblem>& problems);

struct TMention {
  size_t offset = 0;  // of the name (after "{{" for a reference)
  std::string name;
  bool reference = false;  // written {{name}}
  bool bold = false;       // written **name**, the bold span holding exactly the name
};

// Every {{...}} reference and every further whole-word occurrence of a page
// or known name, in text order. A name inside a longer listed name or inside
// a reference is not reported again.
std::vector<TMention> FindRemedyMentions(std::string_view text, const TRemedyNames& names);

// The 1-based line of `offset` in a text whose first line is `firstLine`.
int LineOfOffset(std::string_view text, size_t offset, int firstLine);

}  // namespace refdata
