// dvx crashtest FILE [--kills N] [--seed N] [--page-size N] [--cipher NAME --password TEXT]:
// kills a writing program at random moments and checks what it leaves.
//
// A child process opens FILE and commits one change after another (create,
// drop and rename tables, grow and shrink their metadata files), reporting
// each commit through a pipe once it has returned. After a random time the
// child is killed with SIGKILL. The parent then opens the file for writing
// (which plays back an abandoned journal), checks it, and compares the
// tables and their metadata with the changes the child reported: every
// reported commit must be there, and at most the one commit under way when
// the child died may be there besides. The changes are a function of the
// seed and the step number, so the parent knows each of them. Exit status
// 0 when every round passed.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <iostream>
#include <map>
#include <random>

#include "engine/crypto/crypto_names.h"
#include "engine/storage/database_checker.h"
#include "engine/storage/disk_database_storage.h"
#include "tools/dvx/command.h"
#include "tools/dvx/database_open.h"

namespace dvx::tool {
namespace {

using TTables = std::map<std::string, std::vector<uint8_t>>;

struct TSettings {
  std::string file;
  uint64_t seed = 1;
  TDVXCryptoInfo crypto;
};

uint64_t Mix(uint64_t seed, uint64_t step) {
  uint64_t x = seed * 0x9E3779B97F4A7C15ull + step * 0xBF58476D1CE4E5B9ull + 1;
  x ^= x >> 31;
  x *= 0x94D049BB133111EBull;
  return x ^ (x >> 29);
}

// The change of step `step` on `tables`, as one commit: applied to the
// model when `db` is null.
void Step(TTables& tables, uint64_t seed, int64_t step, TDVXDiskDatabaseStorage* db) {
  const uint64_t r = Mix(seed, static_cast<uint64_t>(step));
  std::vector<std::string> names;
  for (const auto& [name, content] : tables) names.push_back(name);
  const std::string some = names.empty() ? std::string() : names[(r >> 8) % names.size()];
  const int kind = names.size() < 3 ? 0 : names.size() > 12 ? 1 : static_cast<int>(r % 6);
  if (kind == 0) {  // create
    const std::string name = "T" + std::to_string(step);
    if (db) db->CreateTableFiles(name);
    tables[name] = {};
  } else if (kind == 1) {  // drop
    if (db) db->DropTableFiles(some);
    tables.erase(some);
  } else if (kind == 2) {  // rename
    const std::string name = "R" + std::to_string(step);
    if (db) db->RenameTable(some, name);
    auto content = std::move(tables[some]);
    tables.erase(some);
    tables[name] = std::move(content);
  } else {  // metadata grows or shrinks
    std::vector<uint8_t> content((r >> 16) % 9000, static_cast<uint8_t>(step));
    if (db) {
      TDVXInternalDBFile file(db->PageManager(), DVXPageTypeIDTableMetadata);
      file.Open(db->TableRecord(some)->metadataFirstPageNo, false);
      file.ReadFile(1);
      file.Content() = content;
      file.WriteFile(1);
      db->PageManager().ApplyChanges(1);
    }
    tables[some] = std::move(content);
  }
}

TTables ReadTables(TDVXDiskDatabaseStorage& db) {
  TTables tables;
  for (const auto& name : db.TableNames()) {
    TDVXInternalDBFile file(db.PageManager(), DVXPageTypeIDTableMetadata);
    file.Open(db.TableRecord(name)->metadataFirstPageNo, false);
    file.ReadFile(1);
    tables[name] = file.Content();
  }
  return tables;
}

// The child: commits from `step` on for ever, writing each finished step
// number to `out`.
[[noreturn]] void Writer(const TSettings& settings, TTables tables, int64_t step, int out) {
  try {
    TDVXDiskDatabaseStorage db(settings.file, {200, 5});
    TDVXCryptoInfo crypto = settings.crypto;
    db.OpenDatabase(false, false, crypto);
    db.ConnectSession();
    for (;; ++step) {
      Step(tables, settings.seed, step, &db);
      int64_t done = step;
      if (write(out, &done, sizeof done) != sizeof done) _exit(3);
    }
  } catch (const std::exception& e) {
    std::cerr << "dvx crashtest: the writer failed: " << e.what() << "\n";
    _exit(2);
  }
}

int RunCrashTest(const std::vector<std::string>& args) {
  TDvxParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args, {"--kills", "--seed", "--page-size", "--cipher", "--password"}, {}, parsed, error))
    return UsageError(error);
  if (parsed.positional.size() != 1) return UsageError("crashtest needs exactly one FILE");
  long kills = 20, seed = 1, pageSize = 512;
  if (!ParseNumber(parsed.Get("--kills", "20"), 1, 1000000, kills)) return UsageError("--kills must be a number");
  if (!ParseNumber(parsed.Get("--seed", "1"), 0, 1L << 30, seed)) return UsageError("--seed must be a number");
  if (!ParseNumber(parsed.Get("--page-size", "512"), 128, 65535, pageSize))
    return UsageError("--page-size must be a number from 128 to 65535");
  TSettings settings;
  settings.file = parsed.positional[0];
  settings.seed = static_cast<uint64_t>(seed);
  if (parsed.Has("--cipher")) {
    auto algorithm = CryptoAlgorithmFromName(parsed.Get("--cipher"));
    if (!algorithm || parsed.Get("--password").empty())
      return UsageError("--cipher needs a known cipher name and a --password");
    settings.crypto.algorithm = *algorithm;
    settings.crypto.password = parsed.Get("--password");
  }
  if (TDVXFileSystem::Default().Exists(settings.file)) {
    std::cerr << "dvx: " << settings.file << " exists; crashtest makes a file of its own\n";
    return kExitFailure;
  }
  TDVXDiskDatabaseStorage(settings.file).CreateDatabase(static_cast<int>(pageSize), 8, 4, settings.crypto);
  std::mt19937_64 random(settings.seed);
  TTables model;
  int64_t step = 0;
  long failures = 0, recoveries = 0, maxUnowned = 0, staleRounds = 0;
  for (long round = 1; round <= kills; ++round) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return kExitFailure;
    pid_t child = fork();
    if (child < 0) return kExitFailure;
    if (child == 0) {
      close(pipeFds[0]);
      Writer(settings, model, step, pipeFds[1]);
    }
    close(pipeFds[1]);
    usleep(static_cast<useconds_t>(500 + random() % 40000));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    int64_t done = step - 1, reported = 0;
    while (read(pipeFds[0], &reported, sizeof reported) == sizeof reported) done = reported;
    close(pipeFds[0]);
    if (WIFEXITED(status)) {
      std::cout << "round " << round << ": the writer ended by itself (status " << WEXITSTATUS(status) << ")\n";
      ++failures;
      break;
    }
    // Every reported step is in the model; the next one may be in the file.
    for (; step <= done; ++step) Step(model, settings.seed, step, nullptr);
    TTables next = model;
    Step(next, settings.seed, step, nullptr);
    try {
      TDVXDiskDatabaseStorage db(settings.file, {200, 5});
      TDVXCryptoInfo crypto = settings.crypto;
      db.OpenDatabase(false, false, crypto);
      recoveries += db.PageManager().Recoveries();
      TTables found = ReadTables(db);
      if (found == next) {
        model = next;
        ++step;
      } else if (found != model) {
        std::cout << "round " << round << ": the file holds neither the state after step " << step - 1
                  << " nor the one after step " << step << "\n";
        ++failures;
      }
      TDvxConsistentState hold(db.PageManager());
      TDVXDatabaseChecker checker(db.PageManager());
      for (const auto& p : checker.Check()) {
        std::cout << "round " << round << ": problem: " << p << "\n";
        ++failures;
      }
      maxUnowned = std::max<long>(maxUnowned, static_cast<long>(checker.UnownedPages().size()));
      staleRounds += checker.StaleExtentBits().empty() ? 0 : 1;
    } catch (const std::exception& e) {
      std::cout << "round " << round << ": " << e.what() << "\n";
      ++failures;
    }
  }
  std::cout << "crashtest: " << kills << " kills, " << step << " commits, " << recoveries
            << " journals played back, at most " << maxUnowned << " unowned pages, " << staleRounds
            << " rounds with stale extent bits, " << failures << " failures\n";
  return failures == 0 ? kExitOk : kExitFailure;
}

TDvxCommandRegistration registration(
    {"crashtest", "crashtest FILE [--kills N] [--seed N] [--page-size N] [--cipher NAME --password TEXT]",
     "creates FILE and kills a program committing to it at random moments N times (default 20), checking after\n"
     "      each kill that the file recovers, checks clean and holds every commit the program reported",
     RunCrashTest});

}  // namespace
}  // namespace dvx::tool
