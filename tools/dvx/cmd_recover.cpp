// dvx recover FILE [--password TEXT]: opens the file for writing, which
// plays back the journal of a commit that a program left unfinished, and
// says whether there was one.
#include <iostream>

#include "tools/dvx/command.h"
#include "tools/dvx/database_open.h"

namespace dvx::tool {
namespace {

int RunRecover(const std::vector<std::string>& args) {
  TDvxParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args, {"--password"}, {}, parsed, error)) return UsageError(error);
  if (parsed.positional.size() != 1) return UsageError("recover needs exactly one FILE");
  auto pm = OpenForWriting(parsed.positional[0], parsed.Get("--password"));
  if (pm->Recoveries() > 0)
    std::cout << "Recovered: the unfinished commit was undone (StateCounter " << pm->Header().stateCounter << ")\n";
  else
    std::cout << "Nothing to recover\n";
  pm->CloseDatabaseFile();
  return kExitOk;
}

TDvxCommandRegistration registration({"recover", "recover FILE [--password TEXT]",
                                      "undoes a commit that a program left unfinished (any program that opens the\n"
                                      "      file for writing does the same)",
                                      RunRecover});

}  // namespace
}  // namespace dvx::tool
