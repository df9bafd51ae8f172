#include "tools/refdata/source_reader.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>

#include "tools/refdata/text_encoding.h"

namespace refdata {

namespace {

constexpr std::string_view kDelimiter = "+++";
constexpr std::string_view kSectionMark = "@@";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// The lines of a text without their line ends; a final line end adds no line.
std::vector<std::string_view> SplitLines(std::string_view content) {
  std::vector<std::string_view> lines;
  while (!content.empty()) {
    const size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    content.remove_prefix(end + 1);
  }
  return lines;
}

std::string_view WithoutByteOrderMark(std::string_view content) {
  if (content.substr(0, kByteOrderMark.size()) == kByteOrderMark) content.remove_prefix(kByteOrderMark.size());
  return content;
}

std::string JoinNames(std::span<const std::string_view> names) {
  std::string text;
  for (std::string_view name : names) {
    if (!text.empty()) text += ", ";
    text += "'@@ " + std::string(name) + "'";
  }
  return text;
}

// Collects the lines of one text, then cuts it into memos.
class TTextCollector {
 public:
  TTextCollector(std::string_view file, std::span<const std::string_view> memoFields,
                 std::vector<TProblem>& problems)
      : file_(file), memoFields_(memoFields), problems_(problems) {}

  void Add(int line, std::string_view text) { lines_.push_back({line, text}); }

  // Fills the entry's memos from the collected lines and starts over.
  void Finish(TSourceEntry& entry) {
    if (memoFields_.size() == 1)
      FinishSingle(entry);
    else
      FinishSections(entry);
    lines_.clear();
  }

 private:
  struct TLine {
    int number;
    std::string_view text;
  };

  void Problem(int line, std::string message) { problems_.push_back({std::string(file_), line, std::move(message)}); }

  // Lines whose trimmed form starts with "+++" are neither delimiters nor
  // text: most likely a delimiter with stray characters.
  void CheckLine(const TLine& line) {
    if (Trim(line.text).substr(0, kDelimiter.size()) == kDelimiter)
      Problem(line.number, "a text line may not start with '+++'; only a line of exactly '+++' separates entries");
  }

  static TMemoText MakeMemo(std::string_view field, std::span<const TLine> lines, int fallbackLine) {
    size_t first = 0;
    size_t last = lines.size();
    while (first < last && Trim(lines[first].text).empty()) ++first;
    while (last > first && Trim(lines[last - 1].text).empty()) --last;
    TMemoText memo{std::string(field), "", first < last ? lines[first].number : fallbackLine};
    for (size_t i = first; i < last; ++i) {
      if (i > first) memo.text += '\n';
      memo.text += lines[i].text;
    }
    return memo;
  }

  void FinishSingle(TSourceEntry& entry) {
    for (const TLine& line : lines_) {
      CheckLine(line);
      if (line.text.substr(0, kSectionMark.size()) == kSectionMark)
        Problem(line.number, "this table's text has no '@@' sections");
    }
    entry.memos.push_back(MakeMemo(memoFields_.front(), lines_, TextStart(entry)));
  }

  void FinishSections(TSourceEntry& entry) {
    std::optional<std::string_view> field;
    int fieldLine = 0;
    size_t start = 0;
    const auto close = [&](size_t end) {
      const std::span<const TLine> section(lines_.data() + start, end - start);
      if (field) {
        entry.memos.push_back(MakeMemo(*field, section, fieldLine + 1));
      } else {
        for (const TLine& line : section)
          if (!Trim(line.text).empty()) {
            Problem(line.number, "text before the first section; the text must begin with one of " +
                                     JoinNames(memoFields_));
            break;
          }
      }
    };
    for (size_t i = 0; i < lines_.size(); ++i) {
      const TLine& line = lines_[i];
      CheckLine(line);
      if (line.text.substr(0, kSectionMark.size()) != kSectionMark) continue;
      close(i);
      start = i + 1;
      field.reset();
      fieldLine = line.number;
      const std::string_view name = Trim(line.text.substr(kSectionMark.size()));
      const auto known = std::find(memoFields_.begin(), memoFields_.end(), name);
      if (known == memoFields_.end()) {
        Problem(line.number, "unknown section '@@ " + std::string(name) + "'; the sections are " + JoinNames(memoFields_));
        field = std::string_view();  // swallow the section's lines: one problem is enough
      } else if (entry.Memo(name)) {
        Problem(line.number, "section '@@ " + std::string(name) + "' appears twice in this entry");
        field = std::string_view();
      } else {
        field = *known;
      }
    }
    close(lines_.size());
    std::erase_if(entry.memos, [](const TMemoText& memo) { return memo.field.empty(); });
  }

  int TextStart(const TSourceEntry& entry) const { return lines_.empty() ? entry.line : lines_.front().number; }

  std::string_view file_;
  std::span<const std::string_view> memoFields_;
  std::vector<TProblem>& problems_;
  std::vector<TLine> lines_;
};

}  // namespace

const THeaderField* TSourceEntry::Field(std::string_view name) const {
  for (const THeaderField& field : header)
    if (field.name == name) return &field;
  return nullptr;
}

std::string TSourceEntry::Value(std::string_view name) const {
  const THeaderField* field = Field(name);
  return field ? field->value : std::string();
}

const TMemoText* TSourceEntry::Memo(std::string_view field) const {
  for (const TMemoText& memo : memos)
    if (memo.field == field) return &memo;
  return nullptr;
}

TEntryFile ParseEntryFile(std::string_view file, std::string_view content,
                          std::span<const std::string_view> memoFields) {
  TEntryFile result;
  if (!CheckUtf8(file, content, result.problems)) return result;
  const auto problem = [&](int line, std::string message) {
    result.problems.push_back({std::string(file), line, std::move(message)});
  };
  TTextCollector text(file, memoFields, result.problems);
  enum class TState { Preamble, Header, Text } state = TState::Preamble;
  bool preambleReported = false;
  bool headerLineReported = false;  // one malformed line per header is enough
  int lineNumber = 0;
  for (std::string_view line : SplitLines(WithoutByteOrderMark(content))) {
    ++lineNumber;
    if (line == kDelimiter) {
      if (state == TState::Header) {
        state = TState::Text;
        continue;
      }
      if (state == TState::Text) text.Finish(result.entries.back());
      result.entries.push_back({std::string(file), lineNumber, {}, {}});
      state = TState::Header;
      headerLineReported = false;
      continue;
    }
    switch (state) {
      case TState::Preamble:
        if (!Trim(line).empty() && !preambleReported) {
          problem(lineNumber, "text before the first entry; an entry file begins with a line '+++'");
          preambleReported = true;
        }
        break;
      case TState::Header: {
        if (Trim(line).empty()) break;
        const size_t colon = line.find(':');
        const std::string_view name = Trim(line.substr(0, colon == std::string_view::npos ? 0 : colon));
        if (colon == std::string_view::npos || name.empty()) {
          if (!headerLineReported)
            problem(lineNumber, "header line is not 'Field: value' (is the header missing its closing '+++'?)");
          headerLineReported = true;
          break;
        }
        TSourceEntry& entry = result.entries.back();
        if (const THeaderField* earlier = entry.Field(name)) {
          problem(lineNumber, "header field '" + std::string(name) + "' is given twice (first at line " +
                                  std::to_string(earlier->line) + ")");
          break;
        }
        entry.header.push_back({std::string(name), std::string(Trim(line.substr(colon + 1))), lineNumber});
        break;
      }
      case TState::Text:
        text.Add(lineNumber, line);
        break;
    }
  }
  if (state == TState::Header)
    problem(result.entries.back().line, "the header opened here is not closed by a line '+++'");
  if (state == TState::Text) text.Finish(result.entries.back());
  if (result.entries.empty() && !preambleReported) problem(0, "the file holds no entry");
  return result;
}

TTabFile ParseTabFile(std::string_view file, std::string_view content, std::span<const TFieldSchema> columns) {
  TTabFile result;
  if (!CheckUtf8(file, content, result.problems)) return result;
  std::string expected;
  for (const TFieldSchema& column : columns) expected += (expected.empty() ? "" : "\t") + std::string(column.name);
  const auto problem = [&](int line, std::string message) {
    result.problems.push_back({std::string(file), line, std::move(message)});
  };
  int lineNumber = 0;
  bool headerSeen = false;
  for (std::string_view line : SplitLines(WithoutByteOrderMark(content))) {
    ++lineNumber;
    if (Trim(line).empty()) continue;
    if (!headerSeen) {
      headerSeen = true;
      if (line != expected) problem(lineNumber, "the header line must be '" + expected + "' (columns separated by a tab)");
      continue;
    }
    TTabRow row{lineNumber, {}};
    while (true) {
      const size_t tab = line.find('\t');
      row.cells.emplace_back(Trim(line.substr(0, tab)));
      if (tab == std::string_view::npos) break;
      line.remove_prefix(tab + 1);
    }
    if (row.cells.size() != columns.size()) {
      problem(lineNumber, "the line has " + std::to_string(row.cells.size()) + " tab-separated cells instead of " +
                              std::to_string(columns.size()));
      continue;
    }
    result.rows.push_back(std::move(row));
  }
  if (!headerSeen) problem(0, "the file is empty; it needs at least the header line '" + expected + "'");
  return result;
}

bool ReadWholeFile(const std::filesystem::path& path, std::string_view file, std::string& content,
                   std::vector<TProblem>& problems) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    problems.push_back({std::string(file), 0, "cannot be opened for reading"});
    content.clear();
    return false;
  }
  content.assign(std::istreambuf_iterator<char>(in), {});
  if (in.bad()) {
    problems.push_back({std::string(file), 0, "cannot be read"});
    content.clear();
    return false;
  }
  return true;
}

bool CheckUtf8(std::string_view file, std::string_view content, std::vector<TProblem>& problems) {
  const std::optional<size_t> bad = FindInvalidUtf8(content);
  if (!bad) return true;
  const int line = 1 + static_cast<int>(std::count(content.begin(), content.begin() + static_cast<std::ptrdiff_t>(*bad), '\n'));
  problems.push_back({std::string(file), line, "not UTF-8 (an ill-formed byte sequence); save the file as UTF-8"});
  return false;
}

}  // namespace refdata
