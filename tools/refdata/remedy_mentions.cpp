#include "tools/refdata/remedy_mentions.h"

#include <algorithm>

namespace refdata {

namespace {

// Letters, digits and every byte of a multi-byte UTF-8 character continue a
// word, so "Apis" is not found in "Apisin" nor "China" in "Chinarinde".
bool IsWordByte(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 0x80 || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

std::string Trimmed(std::string_view line) {
  const size_t begin = line.find_first_not_of(" \t\r");
  if (begin == std::string_view::npos) return {};
  const size_t end = line.find_last_not_of(" \t\r");
  return std::string(line.substr(begin, end - begin + 1));
}

struct TSpan {
  size_t begin = 0;  // of the content
  size_t end = 0;
};

// The {{...}} references and the **...** bold spans of each line.
void MarkedSpans(std::string_view text, std::vector<TSpan>& references, std::vector<TSpan>& bold) {
  size_t lineStart = 0;
  while (lineStart <= text.size()) {
    size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    const std::string_view line = text.substr(lineStart, lineEnd - lineStart);
    for (size_t at = line.find("{{"); at != std::string_view::npos; at = line.find("{{", at + 2)) {
      const size_t close = line.find("}}", at + 2);
      if (close == std::string_view::npos) break;
      references.push_back({lineStart + at + 2, lineStart + close});
      at = close;
    }
    for (size_t at = line.find("**"); at != std::string_view::npos;) {
      const size_t close = line.find("**", at + 2);
      if (close == std::string_view::npos) break;
      bold.push_back({lineStart + at + 2, lineStart + close});
      at = line.find("**", close + 2);
    }
    lineStart = lineEnd + 1;
  }
}

const TSpan* SpanHolding(const std::vector<TSpan>& spans, size_t begin, size_t end) {
  for (const TSpan& span : spans)
    if (span.begin <= begin && end <= span.end) return &span;
  return nullptr;
}

}  // namespace

int LineOfOffset(std::string_view text, size_t offset, int firstLine) {
  offset = std::min(offset, text.size());
  return firstLine + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

TRemedyNames CollectRemedyNames(const TSourceTree& tree, std::string_view knownNamesFile, std::vector<TProblem>& problems) {
  TRemedyNames names;
  const TTableSource& remedies = tree.Table(kRemedyTable);
  for (const TSourceEntry& entry : remedies.entries) {
    const std::string name = entry.Value(remedies.schema->nameField);
    if (!name.empty()) names.pages.push_back(name);
  }
  if (knownNamesFile.empty()) return names;
  std::string content;
  if (!ReadWholeFile(tree.root / knownNamesFile, knownNamesFile, content, problems)) return names;
  if (!CheckUtf8(knownNamesFile, content, problems)) return names;
  int lineNumber = 0;
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    ++lineNumber;
    const std::string line = Trimmed(std::string_view(content).substr(start, end - start));
    start = end + 1;
    if (line.empty() || line.front() == '#') continue;
    names.known.push_back(line);
    names.knownLines.push_back(lineNumber);
  }
  return names;
}

std::vector<TMention> FindRemedyMentions(std::string_view text, const TRemedyNames& names) {
  std::vector<TSpan> references, bold;
  MarkedSpans(text, references, bold);
  std::vector<TMention> mentions;
  for (const TSpan& span : references)
    mentions.push_back({span.begin, std::string(text.substr(span.begin, span.end - span.begin)), true, false});
  // Longer names first, so that a listed name inside a longer one is taken
  // by the longer one.
  std::vector<const std::string*> all;
  for (const std::string& name : names.pages) all.push_back(&name);
  for (const std::string& name : names.known) all.push_back(&name);
  std::sort(all.begin(), all.end(), [](const std::string* a, const std::string* b) { return a->size() > b->size(); });
  std::vector<TSpan> taken;
  for (const std::string* name : all) {
    if (name->empty()) continue;
    for (size_t at = text.find(*name); at != std::string_view::npos; at = text.find(*name, at + 1)) {
      const size_t end = at + name->size();
      if ((at > 0 && IsWordByte(text[at - 1])) || (end < text.size() && IsWordByte(text[end]))) continue;
      if (SpanHolding(references, at, end) || SpanHolding(taken, at, end)) continue;
      const TSpan* inBold = SpanHolding(bold, at, end);
      mentions.push_back({at, *name, false, inBold && inBold->begin == at && inBold->end == end});
      taken.push_back({at, end});
    }
  }
  std::sort(mentions.begin(), mentions.end(), [](const TMention& a, const TMention& b) { return a.offset < b.offset; });
  return mentions;
}

}  // namespace refdata
