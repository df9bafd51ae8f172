#include "tools/dvx/command.h"

#include <algorithm>
#include <iostream>

namespace dvx::tool {

std::vector<TDvxCommand>& Commands() {
  static std::vector<TDvxCommand> commands;
  return commands;
}

TDvxCommandRegistration::TDvxCommandRegistration(TDvxCommand command) {
  Commands().push_back(std::move(command));
}

int UsageError(const std::string& message) {
  std::cerr << "dvx: " << message << "\n";
  return kExitUsage;
}

bool TDvxParsedArgs::Has(const std::string& name) const {
  return std::any_of(options.begin(), options.end(), [&](const auto& o) { return o.first == name; });
}

std::string TDvxParsedArgs::Get(const std::string& name, const std::string& fallback) const {
  for (auto it = options.rbegin(); it != options.rend(); ++it)
    if (it->first == name) return it->second;
  return fallback;
}

bool ParseArgs(const std::vector<std::string>& args, const std::vector<std::string>& valued,
               const std::vector<std::string>& flags, TDvxParsedArgs& out, std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      std::string name = a, value;
      bool inlineValue = false;
      if (auto eq = a.find('='); eq != std::string::npos) {
        name = a.substr(0, eq);
        value = a.substr(eq + 1);
        inlineValue = true;
      }
      if (std::find(valued.begin(), valued.end(), name) != valued.end()) {
        if (!inlineValue) {
          if (i + 1 >= args.size()) {
            error = "option " + name + " needs a value";
            return false;
          }
          value = args[++i];
        }
        out.options.emplace_back(name, value);
      } else if (std::find(flags.begin(), flags.end(), name) != flags.end() && !inlineValue) {
        out.options.emplace_back(name, "");
      } else {
        error = "unknown option " + name;
        return false;
      }
    } else {
      out.positional.push_back(a);
    }
  }
  return true;
}

}  // namespace dvx::tool
