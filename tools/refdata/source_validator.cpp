#include "tools/refdata/source_validator.h"

#include <utility>

#include "tools/refdata/validator_checks.h"

namespace refdata {

std::vector<TProblem> ValidateSourceTree(const TSourceTree& tree, const TContentRules& rules,
                                         std::vector<TProblem>* notes) {
  std::vector<TProblem> problems = tree.problems;
  std::vector<TProblem> found;
  checks::CheckFields(tree, problems);
  checks::CheckUniqueNames(tree, problems);
  checks::CheckTree(tree, rules, problems);
  checks::CheckReferences(tree, problems);
  checks::CheckPictures(tree, rules, problems);
  checks::CheckContent(tree, rules, problems);
  checks::CheckTriage(tree, rules, problems);
  checks::CheckRemedyList(tree, rules, problems, found);
  checks::CheckRemedyNames(tree, rules, problems);
  SortProblems(problems);
  if (notes) *notes = std::move(found);
  return problems;
}

TValidationReport ValidateDataDirectory(const std::filesystem::path& root, const TContentRules& rules) {
  const TSourceTree tree = LoadSourceTree(root);
  TValidationReport report;
  report.problems = ValidateSourceTree(tree, rules, &report.notes);
  for (const TTableSource& table : tree.tables) {
    const bool tabFile = table.schema->form == TSourceForm::TabFile;
    report.counts.push_back({table.schema->tableName, static_cast<int>(tabFile ? table.rows.size() : table.entries.size())});
  }
  const TTreeShape shape = AnalyseTree(tree.Table(kTreeTable).entries, rules.treeRootName);
  report.treeLevels = shape.levelCount;
  report.treeShape = DescribeTreeShape(shape);
  return report;
}

}  // namespace refdata
