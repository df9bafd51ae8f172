#include "tools/refdata/source_tree.h"

#include <algorithm>
#include <stdexcept>
#include <system_error>

namespace refdata {

namespace {

namespace fs = std::filesystem;

void Append(std::vector<TProblem>& to, std::vector<TProblem>&& from) {
  to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
}

// The .md files directly inside the folder, by file name.
std::vector<std::string> EntryFileNames(const fs::path& folder, std::string_view relative,
                                        std::vector<TProblem>& problems) {
  std::vector<std::string> names;
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    problems.push_back({std::string(relative), 0, "the table's folder is missing"});
    return names;
  }
  fs::directory_iterator it(folder, error), end;
  for (; !error && it != end; it.increment(error)) {
    if (it->path().extension() == ".md" && it->is_regular_file(error)) names.push_back(it->path().filename().string());
  }
  if (error) problems.push_back({std::string(relative), 0, "the folder cannot be listed: " + error.message()});
  std::sort(names.begin(), names.end());
  return names;
}

void LoadEntryFiles(const fs::path& root, TTableSource& table, std::vector<TProblem>& problems) {
  const std::string folder(table.schema->sourcePath);
  for (const std::string& name : EntryFileNames(root / folder, folder, problems)) {
    const std::string relative = folder + "/" + name;
    std::string content;
    if (!ReadWholeFile(root / folder / name, relative, content, problems)) continue;
    TEntryFile file = ParseEntryFile(relative, content, table.schema->memoFields);
    table.files.push_back(relative);
    Append(problems, std::move(file.problems));
    std::move(file.entries.begin(), file.entries.end(), std::back_inserter(table.entries));
  }
}

void LoadTabFile(const fs::path& root, TTableSource& table, std::vector<TProblem>& problems) {
  const std::string relative(table.schema->sourcePath);
  std::error_code error;
  if (!fs::is_regular_file(root / relative, error)) {
    problems.push_back({relative, 0, "the table's file is missing"});
    return;
  }
  std::string content;
  if (!ReadWholeFile(root / relative, relative, content, problems)) return;
  TTabFile file = ParseTabFile(relative, content, table.schema->fields);
  table.files.push_back(relative);
  Append(problems, std::move(file.problems));
  table.rows = std::move(file.rows);
}

void LoadImprint(const fs::path& root, TSourceTree& tree) {
  const std::string relative(kImprintFile);
  std::error_code error;
  if (!fs::is_regular_file(root / relative, error)) {
    tree.problems.push_back({relative, 0, "the imprint text is missing"});
    return;
  }
  std::string content;
  if (!ReadWholeFile(root / relative, relative, content, tree.problems)) return;
  if (!CheckUtf8(relative, content, tree.problems)) return;
  tree.imprint = std::move(content);
}

}  // namespace

const TTableSource& TSourceTree::Table(std::string_view tableName) const {
  for (const TTableSource& table : tables)
    if (table.schema->tableName == tableName) return table;
  throw std::out_of_range("no reference table is named " + std::string(tableName));
}

TSourceTree LoadSourceTree(const fs::path& root) {
  TSourceTree tree;
  tree.root = root;
  for (const TTableSchema& schema : ReferenceTables()) {
    TTableSource& table = tree.tables.emplace_back();
    table.schema = &schema;
    if (schema.form == TSourceForm::EntryFiles)
      LoadEntryFiles(root, table, tree.problems);
    else
      LoadTabFile(root, table, tree.problems);
  }
  LoadImprint(root, tree);
  return tree;
}

}  // namespace refdata
