// Reference checks: every {{remedy}} names a materia medica entry, every
// [[indication]] an A-to-Z entry, and the cross-references join A-to-Z
// entries.
#include <algorithm>
#include <array>
#include <set>
#include <string>

#include "tools/refdata/table_schema.h"
#include "tools/refdata/validator_checks.h"

namespace refdata::checks {

namespace {

using TNames = std::set<std::string, std::less<>>;

struct TReferenceKind {
  std::string_view open;
  std::string_view close;
  const TNames* names;
  std::string_view target;  // what the name must be, for messages
};

TNames NamesOf(const TTableSource& source) {
  TNames names;
  for (const TSourceEntry& entry : source.entries) names.insert(entry.Value(source.schema->nameField));
  return names;
}

int LineAt(std::string_view text, size_t offset, int firstLine) {
  return firstLine + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

// Checks one kind of reference in a text whose first line is `firstLine`.
void ScanText(std::string_view text, const std::string& file, int firstLine, const TReferenceKind& kind,
              TProblems& problems) {
  size_t at = 0;
  while (true) {
    const size_t open = text.find(kind.open, at);
    const size_t strayClose = text.find(kind.close, at);
    if (strayClose < open) {
      problems.push_back({file, LineAt(text, strayClose, firstLine),
                          "'" + std::string(kind.close) + "' without an opening '" + std::string(kind.open) + "'"});
      at = strayClose + kind.close.size();
      continue;
    }
    if (open == std::string_view::npos) return;
    const size_t nameStart = open + kind.open.size();
    const size_t close = text.find(kind.close, nameStart);
    const size_t lineEnd = text.find('\n', nameStart);
    if (close == std::string_view::npos || close > lineEnd) {
      problems.push_back({file, LineAt(text, open, firstLine),
                          "'" + std::string(kind.open) + "' is not closed by '" + std::string(kind.close) + "' on the same line"});
      at = nameStart;
      continue;
    }
    const std::string_view name = text.substr(nameStart, close - nameStart);
    if (!kind.names->contains(name))
      problems.push_back({file, LineAt(text, open, firstLine),
                          std::string(kind.open) + std::string(name) + std::string(kind.close) + " names no " +
                              std::string(kind.target) + " (names must match exactly)"});
    at = close + kind.close.size();
  }
}

}  // namespace

void CheckReferences(const TSourceTree& tree, TProblems& problems) {
  const TNames remedies = NamesOf(tree.Table(kRemedyTable));
  const TNames indications = NamesOf(tree.Table(kIndicationTable));
  const std::array<TReferenceKind, 2> kinds{{
      {"{{", "}}", &remedies, "materia medica entry (Hom Bezeichnung of TABHOM)"},
      {"[[", "]]", &indications, "A-to-Z indication (Indikationen of IndList)"},
  }};
  for (const TTableSource& source : tree.tables)
    for (const TSourceEntry& entry : source.entries)
      for (const TMemoText& memo : entry.memos)
        for (const TReferenceKind& kind : kinds) ScanText(memo.text, entry.file, memo.line, kind, problems);
  if (tree.imprint)
    for (const TReferenceKind& kind : kinds) ScanText(*tree.imprint, std::string(kImprintFile), 1, kind, problems);

  const TTableSource& crossReferences = tree.Table(kCrossReferenceTable);
  const std::string file = crossReferences.files.empty() ? std::string(crossReferences.schema->sourcePath) : crossReferences.files.front();
  for (const TTabRow& row : crossReferences.rows) {
    for (const std::string& name : row.cells)
      if (!name.empty() && !indications.contains(name))
        problems.push_back({file, row.line, "'" + name + "' names no A-to-Z indication (Indikationen of IndList)"});
    if (row.cells[0] == row.cells[1])
      problems.push_back({file, row.line, "'" + row.cells[0] + "' refers to itself"});
  }
}

}  // namespace refdata::checks
