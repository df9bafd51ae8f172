// dvx: a command-line tool for people who work with database files.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "engine/core/exception.h"
#include "engine/core/version.h"
#include "tools/dvx/command.h"

namespace {

using namespace dvx::tool;

void PrintHelp(std::ostream& out) {
  out << "Usage: dvx COMMAND [ARGUMENTS]\n"
         "       dvx --help | --version\n\n"
         "Works with database files of the Dovrentix engine.\n\n"
         "Commands:\n";
  auto commands = Commands();
  std::sort(commands.begin(), commands.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  for (const auto& c : commands) out << "  " << c.synopsis << "\n      " << c.description << "\n";
  if (commands.empty()) out << "  (none yet)\n";
  out << "\nExit status: 0 success, 1 failure, 2 wrong command line.\n";
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return UsageError("no command given (try 'dvx --help')");
  const std::string& first = args[0];
  if (first == "--help" || first == "-h" || first == "help") {
    PrintHelp(std::cout);
    return kExitOk;
  }
  if (first == "--version") {
    std::cout << dvx::kEngineVersionText << "\n";
    return kExitOk;
  }
  for (const auto& command : Commands()) {
    if (command.name != first) continue;
    try {
      return command.run(std::vector<std::string>(args.begin() + 1, args.end()));
    } catch (const dvx::EDVXException& e) {
      std::cerr << "dvx: " << e.what() << "\n";
      return kExitFailure;
    } catch (const std::exception& e) {
      std::cerr << "dvx: " << e.what() << "\n";
      return kExitFailure;
    }
  }
  return UsageError("unknown command '" + first + "' (try 'dvx --help')");
}
