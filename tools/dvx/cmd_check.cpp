// dvx check FILE [--password TEXT] [--reclaim]: verifies the bitmaps, page
// headers, internal files and the table list of a consistent state (it
// holds the lock bytes a commit takes while it reads), prints every
// problem and exits 1 when there is any. Pages marked in use that no
// structure owns, and stale extent bits, are reported on lines of their own
// and are not problems; --reclaim frees those pages and recomputes the bits.
#include <iostream>

#include "engine/storage/database_checker.h"
#include "tools/dvx/command.h"
#include "tools/dvx/database_open.h"

namespace dvx::tool {
namespace {

std::string PageList(const std::vector<int32_t>& pages) {
  std::string text;
  for (size_t i = 0; i < pages.size() && i < 20; ++i) text += (i ? ", " : "") + std::to_string(pages[i]);
  if (pages.size() > 20) text += ", ...";
  return text;
}

int RunCheck(const std::vector<std::string>& args) {
  TDvxParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args, {"--password"}, {"--reclaim"}, parsed, error)) return UsageError(error);
  if (parsed.positional.size() != 1) return UsageError("check needs exactly one FILE");
  const bool reclaim = parsed.Has("--reclaim");
  auto pm = reclaim ? OpenForWriting(parsed.positional[0], parsed.Get("--password"))
                    : OpenForReading(parsed.positional[0], parsed.Get("--password"));
  TDvxConsistentState hold(*pm);
  TDVXDatabaseChecker checker(*pm);
  auto problems = checker.Check();
  for (const auto& p : problems) std::cout << "problem: " << p << "\n";
  const auto unowned = checker.UnownedPages();
  const auto stale = checker.StaleExtentBits();
  if (!unowned.empty())
    std::cout << "unowned pages: " << unowned.size() << " marked in use without an owner (" << PageList(unowned)
              << ")" << (reclaim ? "" : "; 'dvx check --reclaim' frees them") << "\n";
  if (!stale.empty()) {
    std::cout << "stale extent bits: " << stale.size() << (reclaim ? "" : "; 'dvx check --reclaim' recomputes them")
              << "\n";
    for (const auto& s : stale) std::cout << "  " << s << "\n";
  }
  if (!problems.empty()) {
    std::cout << problems.size() << " problem(s) found" << (reclaim ? "; nothing reclaimed" : "") << "\n";
    return kExitFailure;
  }
  if (reclaim && (!unowned.empty() || !stale.empty())) {
    if (!checker.CanReclaim()) {
      std::cout << "not reclaimed: " << checker.ReclaimRefusal() << "\n";
      return kExitFailure;
    }
    int32_t freed = checker.Reclaim();
    std::cout << "reclaimed: " << freed << " page(s) freed" << (stale.empty() ? "" : ", extent bits recomputed")
              << "\n";
  }
  std::cout << "No problems found (" << pm->GetPageCount() << " pages)\n";
  return kExitOk;
}

TDvxCommandRegistration registration(
    {"check", "check FILE [--password TEXT] [--reclaim]",
     "verifies free-space bitmaps, page headers, internal files and the table list; --reclaim frees pages\n"
     "      no structure owns and recomputes stale extent bits",
     RunCheck});

}  // namespace
}  // namespace dvx::tool
