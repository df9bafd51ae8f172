// Remedy name checks: the list of the materia medica pages with the finder
// names mapped to them, and how the texts write remedy names.
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/core/locale.h"
#include "tools/refdata/remedy_mentions.h"
#include "tools/refdata/table_schema.h"
#include "tools/refdata/validator_checks.h"

namespace refdata::checks {

namespace {

constexpr std::string_view kListHeader = "Hom Bezeichnung\tDt Bezeichnung\tDatei\tFinder";
constexpr std::string_view kChildFinderTag = "K:";
constexpr std::string_view kEmergencyFinderTag = "N:";
// "N:Aluminia=Alumina": the finder spells the name otherwise than its page
// ("Aluminia" for Alumina); the spelling after the mark is held to the rules
// instead, and the finder's own spelling is reported as a note.
constexpr char kSpeltAsMark = '=';

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string> parts;
  while (true) {
    const size_t end = text.find(separator);
    parts.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) return parts;
    text.remove_prefix(end + separator.size());
  }
}

std::string BaseName(const std::string& file) {
  const size_t slash = file.rfind('/');
  return slash == std::string::npos ? file : file.substr(slash + 1);
}

// The page the materia medica search lands on for `name`: the first page
// whose name sorts at or after it on the table's active index (its primary
// index on Hom Bezeichnung: German collation, letter case significant), or
// the last page when every page sorts before it.
const std::string* Landing(const std::vector<std::string>& sortedAnsi, const std::vector<std::string>& sortedNames,
                           const std::string& name) {
  if (sortedNames.empty()) return nullptr;
  const std::string key = dvx::Utf8ToAnsi(name);
  for (size_t i = 0; i < sortedAnsi.size(); ++i)
    if (dvx::CompareAnsi(sortedAnsi[i], key, false) >= 0) return &sortedNames[i];
  return &sortedNames.back();
}

// The finder's name without a trailing "." must begin the page's name,
// ignoring letter case, so that the program can tell a right landing from a
// neighbour.
bool BeginsPageName(std::string name, const std::string& page) {
  while (!name.empty() && name.back() == '.') name.pop_back();
  const std::string prefix = dvx::AnsiLowerCase(dvx::Utf8ToAnsi(name));
  const std::string whole = dvx::AnsiLowerCase(dvx::Utf8ToAnsi(page));
  return whole.compare(0, prefix.size(), prefix) == 0;
}

struct TFinder {
  std::string_view tag;
  std::string_view what;
  std::map<std::string, int> mapped;  // finder name -> times mapped
};

}  // namespace

void CheckRemedyList(const TSourceTree& tree, const TContentRules& rules, TProblems& problems, TProblems& notes) {
  if (rules.remedyListFile.empty()) return;
  const std::string file(rules.remedyListFile);
  std::string content;
  if (!ReadWholeFile(tree.root / file, file, content, problems)) return;
  if (!CheckUtf8(file, content, problems)) return;

  const TTableSource& remedies = tree.Table(kRemedyTable);
  std::map<std::string, const TSourceEntry*> pages;
  for (const TSourceEntry& entry : remedies.entries) pages.emplace(entry.Value(remedies.schema->nameField), &entry);
  std::vector<std::string> sortedNames;
  for (const auto& [name, entry] : pages) sortedNames.push_back(name);
  std::sort(sortedNames.begin(), sortedNames.end(), [](const std::string& a, const std::string& b) {
    return dvx::CompareAnsi(dvx::Utf8ToAnsi(a), dvx::Utf8ToAnsi(b), false) < 0;
  });
  std::vector<std::string> sortedAnsi;
  for (const std::string& name : sortedNames) sortedAnsi.push_back(dvx::Utf8ToAnsi(name));

  const TTableSchema* childTable = FindTable(kChildRemedyTable);
  const TFieldSchema* childName = childTable ? FindField(*childTable, childTable->nameField) : nullptr;
  const size_t childNameSize = childName ? static_cast<size_t>(childName->size) : std::string::npos;
  TFinder child{kChildFinderTag, "children's finder", {}};
  TFinder emergency{kEmergencyFinderTag, "emergency finder", {}};
  for (const std::string& name : rules.childRemedyNames) child.mapped.emplace(name, 0);
  for (std::string_view name : rules.emergencyRemedyNames) emergency.mapped.emplace(std::string(name), 0);

  std::map<std::string, int> listed;  // page -> line
  std::vector<std::string> lines = Split(content, "\n");
  for (std::string& line : lines)
    if (!line.empty() && line.back() == '\r') line.pop_back();
  if (lines.empty() || lines.front() != kListHeader) {
    problems.push_back({file, 1, "the first line must be the header '" + std::string(kListHeader) + "' (tab-separated)"});
    return;
  }
  for (size_t i = 1; i < lines.size(); ++i) {
    const int lineNumber = static_cast<int>(i) + 1;
    if (lines[i].find_first_not_of(" \t") == std::string::npos) continue;
    const std::vector<std::string> cells = Split(lines[i], "\t");
    if (cells.size() != 4) {
      problems.push_back({file, lineNumber, "the line has " + std::to_string(cells.size()) + " cells; the list has 4 columns"});
      continue;
    }
    const std::string& page = cells[0];
    const auto found = pages.find(page);
    if (found == pages.end()) {
      problems.push_back({file, lineNumber, "'" + page + "' is no materia medica page (Hom Bezeichnung of TABHOM)"});
      continue;
    }
    if (!listed.emplace(page, lineNumber).second) {
      problems.push_back({file, lineNumber, "'" + page + "' is listed more than once"});
      continue;
    }
    const TSourceEntry& entry = *found->second;
    if (cells[1] != entry.Value("Dt Bezeichnung"))
      problems.push_back({file, lineNumber, "the German name of '" + page + "' is '" + entry.Value("Dt Bezeichnung") +
                                                "' on its page, not '" + cells[1] + "'"});
    if (cells[2] != BaseName(entry.file))
      problems.push_back({file, lineNumber, "the page '" + page + "' is in the file '" + BaseName(entry.file) + "', not '" + cells[2] + "'"});
    if (cells[3] == "-") continue;
    for (const std::string& item : Split(cells[3], "; ")) {
      TFinder* finder = item.starts_with(child.tag) ? &child : item.starts_with(emergency.tag) ? &emergency : nullptr;
      if (!finder) {
        problems.push_back({file, lineNumber, "the finder name '" + item + "' must start with 'K:' (children's finder) or 'N:' (emergency finder)"});
        continue;
      }
      std::string name = item.substr(finder->tag.size());
      std::string spelling = name;  // the spelling the landing rules are checked on
      const bool marked = name.find(kSpeltAsMark) != std::string::npos;
      if (marked) {
        spelling = name.substr(name.find(kSpeltAsMark) + 1);
        name.resize(name.find(kSpeltAsMark));
        if (name.empty() || spelling.empty() || spelling.find(kSpeltAsMark) != std::string::npos) {
          problems.push_back({file, lineNumber, "the finder name '" + item + "' must read 'name" + kSpeltAsMark + "spelling of the page'"});
          continue;
        }
      }
      // The children's finder shows the full name; its table keeps what the
      // name field holds of it.
      const auto known = finder->mapped.find(finder == &child ? CutToCharacters(name, childNameSize) : name);
      if (known == finder->mapped.end()) {
        problems.push_back({file, lineNumber, "'" + name + "' is no remedy name of the " + std::string(finder->what)});
        continue;
      }
      if (++known->second > 1) problems.push_back({file, lineNumber, "the " + std::string(finder->what) + "'s '" + name + "' is mapped more than once"});
      const std::string quoted = "the " + std::string(finder->what) + "'s '" + spelling + "'";
      const std::string* landing = Landing(sortedAnsi, sortedNames, spelling);
      if (landing && *landing != page)
        problems.push_back({file, lineNumber, quoted + " lands on the page '" + *landing + "', not on '" + page + "'"});
      if (!BeginsPageName(spelling, page))
        problems.push_back({file, lineNumber, quoted + " does not begin the page name '" + page + "' (ignoring case and a trailing '.')"});
      if (!marked) continue;
      // The finder's own spelling: what a reader typing it would meet.
      const std::string* own = Landing(sortedAnsi, sortedNames, name);
      const bool ownLands = !own || *own == page;
      const bool ownBegins = BeginsPageName(name, page);
      std::string what = "the " + std::string(finder->what) + "'s '" + name + "' is marked as spelt '" + spelling + "' on its page '" + page + "'";
      if (ownLands && ownBegins) {
        problems.push_back({file, lineNumber, what + ", but it lands there as it stands and needs no mark"});
        continue;
      }
      what += "; as it stands it";
      if (!ownLands) what += " lands on '" + *own + "'";
      if (!ownLands && !ownBegins) what += " and";
      if (!ownBegins) what += " does not begin the page name";
      notes.push_back({file, lineNumber, what});
    }
  }
  for (const auto& [page, entry] : pages)
    if (!page.empty() && !listed.contains(page))
      problems.push_back({entry->file, entry->line, "the page '" + page + "' is missing from " + file});
  for (const TFinder* finder : {&child, &emergency})
    for (const auto& [name, count] : finder->mapped)
      if (count == 0) problems.push_back({file, 0, "the " + std::string(finder->what) + "'s '" + name + "' is mapped to no page"});
}

void CheckRemedyNames(const TSourceTree& tree, const TContentRules& rules, TProblems& problems) {
  if (rules.knownNamesFile.empty()) return;
  const TRemedyNames names = CollectRemedyNames(tree, rules.knownNamesFile, problems);
  const std::string knownFile(rules.knownNamesFile);
  const std::set<std::string, std::less<>> pages(names.pages.begin(), names.pages.end());
  std::set<std::string, std::less<>> known;
  for (size_t i = 0; i < names.known.size(); ++i) {
    if (pages.contains(names.known[i]))
      problems.push_back({knownFile, names.knownLines[i], "'" + names.known[i] + "' has a page; refer to it as {{" + names.known[i] + "}}"});
    if (!known.insert(names.known[i]).second)
      problems.push_back({knownFile, names.knownLines[i], "'" + names.known[i] + "' is listed more than once"});
  }
  auto scan = [&](std::string_view text, const std::string& file, int firstLine, const std::string& ownPage) {
    for (const TMention& mention : FindRemedyMentions(text, names)) {
      if (mention.reference) continue;  // checked by the reference checks
      const int line = LineOfOffset(text, mention.offset, firstLine);
      if (pages.contains(mention.name)) {
        if (mention.name != ownPage)
          problems.push_back({file, line, "'" + mention.name + "' has a page; write it {{" + mention.name + "}}"});
      } else if (!mention.bold) {
        problems.push_back({file, line, "'" + mention.name + "' is a remedy without a page; write it **" + mention.name + "**"});
      }
    }
  };
  for (const TTableSource& source : tree.tables) {
    const bool remedyTable = source.schema->tableName == kRemedyTable;
    for (const TSourceEntry& entry : source.entries) {
      const std::string ownPage = remedyTable ? entry.Value(source.schema->nameField) : std::string();
      for (const TMemoText& memo : entry.memos) scan(memo.text, entry.file, memo.line, ownPage);
    }
  }
  if (tree.imprint) scan(*tree.imprint, std::string(kImprintFile), 1, {});
}

}  // namespace refdata::checks
