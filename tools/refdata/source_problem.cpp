#include "tools/refdata/source_problem.h"

#include <algorithm>

namespace refdata {

std::string FormatProblem(const TProblem& problem) {
  std::string text = problem.file;
  if (problem.line > 0) text += ":" + std::to_string(problem.line);
  return text + ": " + problem.message;
}

void SortProblems(std::vector<TProblem>& problems) {
  std::stable_sort(problems.begin(), problems.end(), [](const TProblem& a, const TProblem& b) {
    if (a.file != b.file) return a.file < b.file;
    return a.line < b.line;
  });
}

}  // namespace refdata
