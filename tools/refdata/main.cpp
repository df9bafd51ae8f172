// refdata-check [data folder]: validates the reference sources and prints
// every problem, then the number of entries per table. Exit status 0 when
// there is no problem, 1 when there are problems or the check failed, 2 for
// a wrong command line.
#include <exception>
#include <filesystem>
#include <iostream>
#include <string_view>

#include "tools/refdata/source_validator.h"

namespace {

constexpr const char* kUsage = "usage: refdata-check [data folder]   (default: ./data)\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 || (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h"))) {
    std::cerr << kUsage;
    return argc > 2 ? 2 : 0;
  }
  const std::filesystem::path root = argc == 2 ? argv[1] : "data";
  try {
    if (!std::filesystem::is_directory(root)) {
      std::cerr << "refdata-check: " << root.string() << " is not a folder\n" << kUsage;
      return 2;
    }
    const refdata::TValidationReport report = refdata::ValidateDataDirectory(root);
    for (const refdata::TProblem& problem : report.problems) std::cout << refdata::FormatProblem(problem) << '\n';
    if (!report.problems.empty()) std::cout << '\n';
    for (const refdata::TProblem& note : report.notes) std::cout << "note: " << refdata::FormatProblem(note) << '\n';
    if (!report.notes.empty()) std::cout << '\n';
    std::cout << "Entries per table:\n";
    for (const refdata::TTableCount& count : report.counts) {
      std::cout << "  " << count.table << ": " << count.entries;
      if (count.table == refdata::kTreeTable)
        std::cout << " (root " << report.treeLevels[0] << ", level 1: " << report.treeLevels[1]
                  << ", level 2: " << report.treeLevels[2] << ", level 3: " << report.treeLevels[3] << ")";
      std::cout << '\n';
    }
    std::cout << "Tree shape: " << report.treeShape << '\n';
    std::cout << report.problems.size() << (report.problems.size() == 1 ? " problem\n" : " problems\n");
    return report.problems.empty() ? 0 : 1;
  } catch (const std::exception& error) {
    std::cerr << "refdata-check: " << error.what() << '\n';
    return 1;
  }
}
