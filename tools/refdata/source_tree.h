#pragma once
// The whole reference source tree, read into memory.
//
// data/
//   <table folder>/*.md   entry files of a table, read in file-name order;
//                         that is the order the builder inserts them
//   Verweise/verweise.tsv the cross-references
//   impressum.md          the imprint text
//
// Other files (pictures, lists kept by the writers) are not read here.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/refdata/source_problem.h"
#include "tools/refdata/source_reader.h"
#include "tools/refdata/table_schema.h"

namespace refdata {

inline constexpr std::string_view kImprintFile = "impressum.md";

struct TTableSource {
  const TTableSchema* schema = nullptr;
  std::vector<std::string> files;     // read, relative to the data folder
  std::vector<TSourceEntry> entries;  // entry-file tables, in insertion order
  std::vector<TTabRow> rows;          // tab-file tables
};

struct TSourceTree {
  std::filesystem::path root;
  std::vector<TTableSource> tables;  // one per reference table, in the same order
  std::optional<std::string> imprint;
  std::vector<TProblem> problems;    // what reading found

  // The source of the table of that name; throws std::out_of_range for a
  // name that is no reference table.
  const TTableSource& Table(std::string_view tableName) const;
};

// Reads every table's sources below `root`. Missing folders, unreadable
// files and malformed entries become problems; nothing is thrown for them.
TSourceTree LoadSourceTree(const std::filesystem::path& root);

}  // namespace refdata
