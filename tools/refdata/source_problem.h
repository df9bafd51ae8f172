#pragma once
// One finding about the reference sources: where it is and what is wrong.
#include <string>
#include <vector>

namespace refdata {

struct TProblem {
  std::string file;  // relative to the data folder, with "/" separators
  int line = 0;      // 1-based; 0 when the problem concerns the whole file
  std::string message;
};

// "Baum/01-kopf.md:12: message", or "Baum/01-kopf.md: message" without a line.
std::string FormatProblem(const TProblem& problem);

// Orders problems by file, then line, keeping the order of equal places.
void SortProblems(std::vector<TProblem>& problems);

}  // namespace refdata
