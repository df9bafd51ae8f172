// Triage checks: every complaint entry opens with its warning block, whose
// steps come in order, and names no remedy before the block is over; the
// emergency-call step names none at all.
#include <algorithm>
#include <string>
#include <vector>

#include "tools/refdata/remedy_mentions.h"
#include "tools/refdata/table_schema.h"
#include "tools/refdata/tree_shape.h"
#include "tools/refdata/validator_checks.h"

namespace refdata::checks {

namespace {

// The end of the paragraph that holds `offset`: the next blank line or the
// end of the text.
size_t ParagraphEnd(std::string_view text, size_t offset) {
  size_t at = offset;
  while (true) {
    const size_t lineEnd = text.find('\n', at);
    if (lineEnd == std::string_view::npos) return text.size();
    const size_t next = text.find_first_not_of(" \t\r", lineEnd + 1);
    if (next == std::string_view::npos || text[next] == '\n') return lineEnd;
    at = lineEnd + 1;
  }
}

// Lower case of the ASCII letters, enough for the phrases looked for.
std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

// Remedies in an entry that tells to give nothing by mouth are only given
// alongside and only to a fully conscious child, and the entry says so.
void CheckOnlyAlongside(const TSourceEntry& entry, const TMemoText& memo, const TContentRules& rules,
                        const std::vector<TMention>& mentions, TProblems& problems) {
  if (rules.onlyAlongsideNote.empty() || mentions.empty()) return;
  const std::string lower = AsciiLower(memo.text);
  for (std::string_view phrase : rules.nothingByMouthPhrases) {
    const size_t at = lower.find(phrase);
    if (at == std::string::npos) continue;
    if (memo.text.find(rules.onlyAlongsideNote) == std::string::npos)
      problems.push_back({entry.file, LineOfOffset(memo.text, at, memo.line),
                          "the entry tells to give nothing by mouth ('" + std::string(phrase) + "') and names remedies; say that they are given only alongside, '" +
                              std::string(rules.onlyAlongsideNote) + "'"});
    return;
  }
}

void CheckEntry(const TSourceEntry& entry, const TMemoText& memo, const TContentRules& rules, const TRemedyNames& names,
                TProblems& problems) {
  const std::string_view text = memo.text;
  const std::span<const std::string_view> steps = rules.triageSteps;
  auto at = [&](size_t offset) { return LineOfOffset(text, offset, memo.line); };
  if (text.substr(0, ParagraphEnd(text, 0)).find("112") == std::string_view::npos) {
    problems.push_back({entry.file, memo.line,
                        "the text must open with its warning block; its first paragraph does not name 112"});
  }
  // Each step after the one before it; a missing step ends the search.
  std::vector<size_t> found;
  size_t from = 0;
  for (size_t i = 0; i < steps.size(); ++i) {
    const size_t position = text.find(steps[i], from);
    if (position == std::string_view::npos) {
      const size_t anywhere = text.find(steps[i]);
      if (anywhere != std::string_view::npos)
        problems.push_back({entry.file, at(anywhere),
                            "the warning step '" + std::string(steps[i]) + "' must come after '" + std::string(steps[i - 1]) + "'"});
      else
        problems.push_back({entry.file, memo.line, "the warning block lacks the step '" + std::string(steps[i]) + "'"});
      break;
    }
    found.push_back(position);
    from = position + steps[i].size();
  }
  if (found.empty()) return;
  const size_t emergencyEnd = found.size() > 1 ? found[1] : ParagraphEnd(text, found[0]);
  const size_t blockEnd = found.size() == steps.size() ? ParagraphEnd(text, found.back()) : emergencyEnd;
  // The later steps may not give a sign that calls for the emergency number.
  if (found.size() > 1) {
    const std::string_view later = text.substr(found[1], blockEnd - found[1]);
    for (std::string_view sign : rules.emergencySigns) {
      const size_t at = later.find(sign);
      if (at != std::string_view::npos)
        problems.push_back({entry.file, LineOfOffset(text, found[1] + at, memo.line),
                            "'" + std::string(sign) + "' is a sign that calls for the emergency number; within the warning block it belongs in the step '" +
                                std::string(steps[0]) + "'"});
    }
  }
  const std::vector<TMention> mentions = FindRemedyMentions(text, names);
  CheckOnlyAlongside(entry, memo, rules, mentions, problems);
  for (const TMention& mention : mentions) {
    if (mention.offset >= blockEnd) break;
    if (mention.offset >= found[0] && mention.offset < emergencyEnd)
      problems.push_back({entry.file, at(mention.offset),
                          "the step '" + std::string(steps[0]) + "' names the remedy '" + mention.name +
                              "'; a sign that calls for the emergency number gets no remedy"});
    else
      problems.push_back({entry.file, at(mention.offset),
                          "the remedy '" + mention.name + "' is named before the warning block ends; the warning comes first"});
  }
}

void CheckEntries(const TTableSource& source, std::span<const TSourceEntry> entries, const std::vector<bool>* include,
                  const TContentRules& rules, const TRemedyNames& names, TProblems& problems) {
  for (size_t i = 0; i < entries.size(); ++i) {
    if (include && !(*include)[i]) continue;
    const TMemoText* memo = entries[i].Memo(source.schema->memoFields.front());
    if (!memo || memo->text.empty()) continue;  // reported as missing
    CheckEntry(entries[i], *memo, rules, names, problems);
  }
}

}  // namespace

void CheckTriage(const TSourceTree& tree, const TContentRules& rules, TProblems& problems) {
  if (rules.triageSteps.empty()) return;
  TProblems ignored;  // the known-names file is reported by the name checks
  const TRemedyNames names = CollectRemedyNames(tree, rules.knownNamesFile, ignored);
  auto held = [&](std::string_view table) {
    return std::find(rules.triageTables.begin(), rules.triageTables.end(), table) != rules.triageTables.end();
  };
  for (std::string_view table : {kEmergencyTable, kIndicationTable, kChildIndicationTable}) {
    if (!held(table)) continue;
    const TTableSource& source = tree.Table(table);
    CheckEntries(source, source.entries, nullptr, rules, names, problems);
  }
  // In the tree the complaints are the second and third levels; the first
  // level gives the overview of a region.
  if (!held(kTreeTable)) return;
  const TTableSource& treeSource = tree.Table(kTreeTable);
  const TTreeShape shape = AnalyseTree(treeSource.entries, rules.treeRootName);
  std::vector<bool> complaint(treeSource.entries.size());
  for (size_t i = 0; i < complaint.size(); ++i) complaint[i] = shape.depth[i] >= 2;
  CheckEntries(treeSource, treeSource.entries, &complaint, rules, names, problems);
}

}  // namespace refdata::checks
