// dvx create FILE [--page-size N] [--extent-pages N] [--max-sessions N]
//                 [--cipher NAME [--mode NAME] --password TEXT] [--force]
// An existing file is refused unless --force is given; even then a file
// that another program has open is refused and left as it is.
#include <iostream>

#include "engine/crypto/crypto_names.h"
#include "engine/storage/disk_database_storage.h"
#include "tools/dvx/command.h"
#include "tools/dvx/database_open.h"

namespace dvx::tool {
namespace {

// Fills `crypto` from the encryption options; false after a usage error
// (`status` holds the exit status).
bool CryptoOptions(const TDvxParsedArgs& parsed, TDVXCryptoInfo& crypto, int& status) {
  if (!parsed.Has("--cipher")) {
    if (parsed.Has("--mode") || parsed.Has("--password")) {
      status = UsageError("--mode and --password need --cipher");
      return false;
    }
    return true;
  }
  auto algorithm = CryptoAlgorithmFromName(parsed.Get("--cipher"));
  if (!algorithm) {
    status = UsageError("unknown cipher '" + parsed.Get("--cipher") + "'; valid ciphers: " + CryptoAlgorithmNameList());
    return false;
  }
  // CTS is the engine's default mode: it keeps every transfer's length and
  // chains all of its blocks.
  auto mode = CryptoModeFromName(parsed.Get("--mode", "CTS"));
  if (!mode) {
    status = UsageError("unknown mode '" + parsed.Get("--mode") + "'; valid modes: " + CryptoModeNameList());
    return false;
  }
  // Without a password the key would be all zero bytes: no protection.
  if (parsed.Get("--password").empty()) {
    status = UsageError("--cipher needs a non-empty --password");
    return false;
  }
  crypto.algorithm = *algorithm;
  crypto.mode = *mode;
  crypto.password = parsed.Get("--password");
  return true;
}

int RunCreate(const std::vector<std::string>& args) {
  TDvxParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args, {"--page-size", "--extent-pages", "--max-sessions", "--cipher", "--mode", "--password"},
                 {"--force"}, parsed, error))
    return UsageError(error);
  if (parsed.positional.size() != 1) return UsageError("create needs exactly one FILE");
  long pageSize = 4096, extent = 8, sessions = 100;
  if (!ParseNumber(parsed.Get("--page-size", "4096"), 128, 65535, pageSize))
    return UsageError("--page-size must be a number from 128 to 65535");
  if (!ParseNumber(parsed.Get("--extent-pages", "8"), 4, 65535, extent))
    return UsageError("--extent-pages must be a number from 4 to 65535");
  if (!ParseNumber(parsed.Get("--max-sessions", "100"), 1, kMaxSessionsPerDatabase, sessions))
    return UsageError("--max-sessions must be a number from 1 to 1000000");
  TDVXCryptoInfo crypto;
  int status = kExitOk;
  if (!CryptoOptions(parsed, crypto, status)) return status;
  if (!parsed.Has("--force") && TDVXFileSystem::Default().Exists(parsed.positional[0])) {
    std::cerr << "dvx: " << parsed.positional[0] << " exists; --force replaces it\n";
    return kExitFailure;
  }
  TDVXDiskDatabaseStorage database(parsed.positional[0]);
  database.CreateDatabase(static_cast<int>(pageSize), static_cast<int>(extent), static_cast<int32_t>(sessions),
                          crypto);
  std::cout << "Created " << parsed.positional[0] << "\n";
  return kExitOk;
}

TDvxCommandRegistration registration(
    {"create",
     "create FILE [--page-size N] [--extent-pages N] [--max-sessions N] [--cipher NAME [--mode NAME] --password TEXT]"
     " [--force]",
     "creates an empty database file (defaults 4096, 8, 100); an existing file only with --force, and never one\n"
     "      in use; --cipher encrypts it with the key derived from\n"
     "      --password (ciphers: " +
         CryptoAlgorithmNameList() + "; modes: " + CryptoModeNameList() + ", default CTS)",
     RunCreate});

}  // namespace
}  // namespace dvx::tool
