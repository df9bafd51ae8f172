// dvx check FILE: verifies the bitmaps, page headers, internal files and
// the table list; prints every problem and exits 1 when there is any.
#include <iostream>

#include "engine/storage/database_checker.h"
#include "tools/dvx/command.h"
#include "tools/dvx/database_open.h"

namespace dvx::tool {
namespace {

int RunCheck(const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError("check needs exactly one FILE");
  auto pm = OpenForReading(args[0]);
  TDVXDatabaseChecker checker(*pm);
  auto problems = checker.Check();
  for (const auto& p : problems) std::cout << "problem: " << p << "\n";
  if (!problems.empty()) {
    std::cout << problems.size() << " problem(s) found\n";
    return kExitFailure;
  }
  std::cout << "No problems found (" << pm->GetPageCount() << " pages)\n";
  return kExitOk;
}

TDvxCommandRegistration registration({"check", "check FILE",
                                      "verifies free-space bitmaps, page headers, internal files and the table list",
                                      RunCheck});

}  // namespace
}  // namespace dvx::tool
