#pragma once
// The dvx tool's commands. Each command lives in its own file and registers
// itself with a static TDvxCommandRegistration, so adding a command never
// touches main.
#include <functional>
#include <string>
#include <vector>

namespace dvx::tool {

// Exit statuses: 0 success, 1 the command failed (bad file, problems found),
// 2 the command line was wrong.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct TDvxCommand {
  std::string name;
  std::string synopsis;     // "create FILE [--page-size N] ..."
  std::string description;  // one line for --help
  std::function<int(const std::vector<std::string>& args)> run;
};

std::vector<TDvxCommand>& Commands();

struct TDvxCommandRegistration {
  explicit TDvxCommandRegistration(TDvxCommand command);
};

// A usage error: prints "dvx: <message>" to standard error and returns 2.
int UsageError(const std::string& message);

// Splits "--name value" options off the arguments. `valued` lists the
// options that take a value, `flags` those that do not. Unknown options and
// missing values are usage errors (returns false with `error` set).
struct TDvxParsedArgs {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> options;
  bool Has(const std::string& name) const;
  std::string Get(const std::string& name, const std::string& fallback = "") const;
};
bool ParseArgs(const std::vector<std::string>& args, const std::vector<std::string>& valued,
               const std::vector<std::string>& flags, TDvxParsedArgs& out, std::string& error);

}  // namespace dvx::tool
