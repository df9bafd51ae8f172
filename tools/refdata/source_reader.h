#pragma once
// Reads the two source forms of the reference tables.
//
// Entry file (UTF-8, "\n" or "\r\n" line ends, an optional byte order mark):
//
//   +++                        opens an entry's header
//   Field: value               header lines; blank lines between them ignored
//   +++                        closes the header
//   text ...                   the entry's text, up to the next "+++" or the end
//   +++                        opens the next entry
//
// Only a line of exactly "+++" is a delimiter. In a table with several memo
// fields the text is divided by lines "@@ Field"; each starts that field's
// text. Leading and trailing blank lines of a text or section are dropped.
//
// Tab file: a header line naming the columns, separated by tabs, then one
// row per line with exactly as many cells; cells are trimmed, blank lines
// are skipped.
//
// The reader checks only the form; what the fields hold is the validator's
// concern. Every problem names the file and line.
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/refdata/source_problem.h"
#include "tools/refdata/table_schema.h"

namespace refdata {

struct THeaderField {
  std::string name;
  std::string value;  // trimmed
  int line = 0;
};

struct TMemoText {
  std::string field;
  std::string text;  // without leading and trailing blank lines
  int line = 0;      // the line of the text's first line
};

struct TSourceEntry {
  std::string file;  // relative to the data folder
  int line = 0;      // the "+++" that opens the header
  std::vector<THeaderField> header;
  std::vector<TMemoText> memos;  // in the order they appear

  // The header line of that field, or nullptr when the field is left out.
  const THeaderField* Field(std::string_view name) const;
  // The field's value; empty when it is left out.
  std::string Value(std::string_view name) const;
  // The memo of that field, or nullptr when the text has none.
  const TMemoText* Memo(std::string_view field) const;
};

struct TEntryFile {
  std::vector<TSourceEntry> entries;  // in file order
  std::vector<TProblem> problems;
};

// Splits the content of one entry file. `file` names it in entries and
// problems; `memoFields` are the table's memo fields in declared order.
TEntryFile ParseEntryFile(std::string_view file, std::string_view content,
                          std::span<const std::string_view> memoFields);

struct TTabRow {
  int line = 0;
  std::vector<std::string> cells;
};

struct TTabFile {
  std::vector<TTabRow> rows;
  std::vector<TProblem> problems;
};

// Splits the content of a tab file whose columns are `columns`, in order.
TTabFile ParseTabFile(std::string_view file, std::string_view content,
                      std::span<const TFieldSchema> columns);

// The whole content of a file. A file that cannot be read gives a problem
// naming `file` and an empty result.
bool ReadWholeFile(const std::filesystem::path& path, std::string_view file, std::string& content,
                   std::vector<TProblem>& problems);

// Checks that content is UTF-8; otherwise adds a problem at the offending
// line and returns false.
bool CheckUtf8(std::string_view file, std::string_view content, std::vector<TProblem>& problems);

}  // namespace refdata
