// dvx check FILE [--password TEXT]: verifies the bitmaps, page headers,
// internal files and the table list; prints every problem and exits 1 when there is any.
#include <iostream>

#include "engine/storage/database_checker.h"
#include "tools/dvx/command.h"
#include "tools/dvx/database_open.h"

namespace dvx::tool {
namespace {

int RunCheck(const std::vector<std::string>& args) {
  TDvxParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args, {"--password"}, {}, parsed, error)) return UsageError(error);
  if (parsed.positional.size() != 1) return UsageError("check needs exactly one FILE");
  auto pm = OpenForReading(parsed.positional[0], parsed.Get("--password"));
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

TDvxCommandRegistration registration({"check", "check FILE [--password TEXT]",
                                      "verifies free-space bitmaps, page headers, internal files and the table list",
                                      RunCheck});

}  // namespace
}  // namespace dvx::tool
