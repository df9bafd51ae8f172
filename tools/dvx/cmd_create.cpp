// dvx create FILE [--page-size N] [--extent-pages N] [--max-sessions N]
#include <iostream>

#include "engine/storage/disk_database_data.h"
#include "tools/dvx/command.h"
#include "tools/dvx/database_open.h"

namespace dvx::tool {
namespace {

int RunCreate(const std::vector<std::string>& args) {
  TDvxParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args, {"--page-size", "--extent-pages", "--max-sessions"}, {}, parsed, error))
    return UsageError(error);
  if (parsed.positional.size() != 1) return UsageError("create needs exactly one FILE");
  long pageSize = 4096, extent = 8, sessions = 100;
  if (!ParseNumber(parsed.Get("--page-size", "4096"), 128, 65535, pageSize))
    return UsageError("--page-size must be a number from 128 to 65535");
  if (!ParseNumber(parsed.Get("--extent-pages", "8"), 4, 65535, extent))
    return UsageError("--extent-pages must be a number from 4 to 65535");
  if (!ParseNumber(parsed.Get("--max-sessions", "100"), 1, kMaxSessionsPerDatabase, sessions))
    return UsageError("--max-sessions must be a number from 1 to 1000000");
  TDVXDiskDatabaseData database(parsed.positional[0]);
  database.CreateDatabase(static_cast<int>(pageSize), static_cast<int>(extent), static_cast<int32_t>(sessions));
  std::cout << "Created " << parsed.positional[0] << "\n";
  return kExitOk;
}

TDvxCommandRegistration registration({"create", "create FILE [--page-size N] [--extent-pages N] [--max-sessions N]",
                                      "creates an empty database file (defaults 4096, 8, 100)", RunCreate});

}  // namespace
}  // namespace dvx::tool
