// Content checks: the fixed sets of keys and names the application looks up,
// the emergency note, and the size of each list.
#include <algorithm>
#include <map>
#include <string>

#include "tools/refdata/table_schema.h"
#include "tools/refdata/validator_checks.h"

namespace refdata::checks {

namespace {

std::string FolderOf(const TTableSource& source) { return std::string(source.schema->sourcePath); }

// The table's names must be exactly `expected`, each once.
template <typename TName>
void CheckExactNames(const TTableSource& source, std::span<const TName> expected, std::string_view what,
                     TProblems& problems) {
  std::map<std::string, int> wanted;
  for (const TName& name : expected) wanted.emplace(std::string(name), 0);
  for (const TSourceEntry& entry : source.entries) {
    const THeaderField* name = entry.Field(source.schema->nameField);
    if (!name || name->value.empty()) continue;  // reported as missing
    const auto it = wanted.find(name->value);
    if (it == wanted.end())
      problems.push_back({entry.file, name->line, "'" + name->value + "' is not one of the " + std::to_string(expected.size()) +
                                                      " " + std::string(what)});
    else if (++it->second == 2)
      problems.push_back({entry.file, name->line, "'" + name->value + "' is given more than once"});
  }
  for (const auto& [name, count] : wanted)
    if (count == 0) problems.push_back({FolderOf(source), 0, "no entry for '" + name + "', one of the " + std::string(what)});
}

void CheckAtLeast(const TTableSource& source, int minimum, TProblems& problems) {
  const int count = static_cast<int>(source.entries.size());
  if (count < minimum)
    problems.push_back({FolderOf(source), 0, std::string(source.schema->tableName) + " has " + std::to_string(count) +
                                                 " entries; it needs at least " + std::to_string(minimum)});
}

// The first paragraph: the text up to its first blank line.
std::string_view FirstParagraph(std::string_view text) {
  size_t end = 0;
  while (true) {
    const size_t lineEnd = text.find('\n', end);
    if (lineEnd == std::string_view::npos) return text;
    const size_t next = text.find_first_not_of(" \t\r", lineEnd + 1);
    if (next == std::string_view::npos || text[next] == '\n') return text.substr(0, lineEnd);
    end = lineEnd + 1;
  }
}

void CheckEmergencyNote(const TTableSource& source, std::string_view marker, TProblems& problems) {
  if (marker.empty()) return;
  for (const TSourceEntry& entry : source.entries) {
    const TMemoText* text = entry.Memo(source.schema->memoFields.front());
    if (!text || text->text.empty()) continue;  // reported as missing
    if (FirstParagraph(text->text).find(marker) == std::string_view::npos)
      problems.push_back({entry.file, text->line, "the text must start with the note on calling " + std::string(marker) +
                                                      " or a doctor; its first paragraph does not name " + std::string(marker)});
  }
}

}  // namespace

void CheckContent(const TSourceTree& tree, const TContentRules& rules, TProblems& problems) {
  CheckExactNames(tree.Table(kBasicsTable), rules.basicsKeys, "basics topic keys", problems);
  CheckExactNames(tree.Table(kChildRemedyTable), rules.childRemedyNames, "children's finder remedies", problems);
  CheckAtLeast(tree.Table(kIndicationTable), rules.minIndications, problems);
  CheckAtLeast(tree.Table(kChildIndicationTable), rules.minChildIndications, problems);
  CheckAtLeast(tree.Table(kEmergencyTable), rules.minEmergencies, problems);
  // Emergency texts held to the warning block are checked with it.
  const bool triaged = !rules.triageSteps.empty() &&
                       std::find(rules.triageTables.begin(), rules.triageTables.end(), kEmergencyTable) != rules.triageTables.end();
  if (!triaged) CheckEmergencyNote(tree.Table(kEmergencyTable), rules.emergencyNoteMarker, problems);
  const TTableSource& remedies = tree.Table(kRemedyTable);
  const int remedyCount = static_cast<int>(remedies.entries.size());
  if (rules.maxRemedies > 0 && remedyCount > rules.maxRemedies)
    problems.push_back({FolderOf(remedies), 0, "TABHOM has " + std::to_string(remedyCount) + " entries; at most " +
                                                   std::to_string(rules.maxRemedies) + " are planned"});
  if (tree.imprint && tree.imprint->find_first_not_of(" \t\r\n") == std::string::npos)
    problems.push_back({std::string(kImprintFile), 0, "the imprint text is empty"});
}

}  // namespace refdata::checks
