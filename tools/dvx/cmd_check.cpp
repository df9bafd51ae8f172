// dvx check FILE [--password TEXT] [--reclaim]: verifies the bitmaps, page
// headers, internal files and the table list of a consistent state (it
// holds the lock bytes a commit takes while it reads), the record pages of
// every table, and every table's records against its indexes and its NOT
// NULL, UNIQUE and PRIMARY KEY constraints; prints every problem and exits
// 1 when there is any. Pages marked in use that no
// structure owns, and stale extent bits, are reported on lines of their own
// and are not problems; --reclaim frees those pages and recomputes the bits.
#include <iostream>
#include <memory>

#include "engine/core/exception.h"
#include "engine/storage/database_checker.h"
#include "engine/storage/record_checker.h"
#include "engine/schema/table_managers.h"
#include "engine/storage/table_files.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_checker.h"
#include "tools/dvx/command.h"
#include "tools/dvx/table_database.h"

namespace dvx::tool {
namespace {

std::string PageList(const std::vector<int32_t>& pages) {
  std::string text;
  for (size_t i = 0; i < pages.size() && i < 20; ++i) text += (i ? ", " : "") + std::to_string(pages[i]);
  if (pages.size() > 20) text += ", ...";
  return text;
}

// Whether the table's metadata file holds definitions the table layer can
// read. A table made at the storage level alone has an empty one, or one of
// content the storage layer does not interpret; its internal files are
// still checked, but it has no records or indexes to compare. `why` says
// what was not readable.
bool HasDefinitions(TDVXDiskPageManager& pm, int32_t session, const TDVXTableListRecord& record, std::string& why) {
  TDVXTableMetadataFile metadata(pm);
  metadata.Open(record.metadataFirstPageNo);
  TDVXMemoryStream stream = metadata.ReadStream(session);
  if (stream.Size() == 0) return false;
  try {
    TDVXBaseSequenceManager sequences;
    TDVXBaseFieldManager fields(sequences);
    TDVXBaseConstraintManager constraints;
    LoadTableMetadataStream(stream, fields, constraints);
    // Bytes that happen to read as field and constraint definitions are not
    // a table of the table layer unless its sequences and index
    // definitions read too: such a table was written past the table layer.
    TDVXTableMostUpdatedFile mostUpdated(pm);
    mostUpdated.Open(record.mostUpdatedFirstPageNo);
    TDVXMemoryStream state = mostUpdated.ReadStream(session);
    TDVXBaseIndexManager indexes;
    LoadMostUpdatedStream(state, sequences, indexes);
    return true;
  } catch (const EDVXException& e) {
    why = e.Message();
    return false;
  }
}

// The record pages of every table with definitions, then its records
// against its indexes and constraints. The pages found are handed to the
// database checker before its own check, so it sees who owns them. Tables
// whose definitions cannot be read are listed in `unchecked`.
void CheckTables(TDvxTableDatabase& db, TDVXDatabaseChecker& checker, std::vector<std::string>& problems,
                 std::vector<std::string>& unchecked) {
  TDVXDiskPageManager& pm = db.PageManager();
  TDVXRecordChecker records(pm, checker);
  // A copy: opening a table reads the list again.
  const std::vector<TDVXTableListRecord> tables = db.Database().Storage().TableList().Records();
  for (const TDVXTableListRecord& record : tables) {
    std::string why;
    try {
      if (!HasDefinitions(pm, db.Session().SessionID(), record, why)) {
        if (!why.empty()) unchecked.push_back(record.tableName + " (" + why + ")");
        continue;
      }
    } catch (const EDVXException&) {
      continue;  // an unreadable metadata file is the database checker's to report
    }
    records.CheckTable(record);
    try {
      TDVXLocalCursor cursor(db.Session(), record.tableName);
      cursor.Open();
      TDVXTableCheckReport report = TDVXTableChecker(cursor.Table(), db.Session().SessionID()).Check();
      problems.insert(problems.end(), report.problems.begin(), report.problems.end());
      for (const auto& [page, owner] : report.indexPages) checker.AddReferencedPage(page, owner);
    } catch (const EDVXException& e) {
      problems.push_back("table '" + record.tableName + "' cannot be opened: " + e.Message());
    }
  }
  problems.insert(problems.begin(), records.Problems().begin(), records.Problems().end());
}

int RunCheck(const std::vector<std::string>& args) {
  TDvxParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args, {"--password"}, {"--reclaim"}, parsed, error)) return UsageError(error);
  if (parsed.positional.size() != 1) return UsageError("check needs exactly one FILE");
  const bool reclaim = parsed.Has("--reclaim");
  // Opened through the table layer when its directory and table list can
  // be read; otherwise the storage structures alone are checked (and the
  // reason is a problem of its own).
  std::unique_ptr<TDvxTableDatabase> db;
  std::string tablesRefused;
  try {
    db = std::make_unique<TDvxTableDatabase>(parsed.positional[0], parsed.Get("--password"), reclaim);
  } catch (const EDVXException& e) {
    tablesRefused = e.Message();
  }
  std::unique_ptr<TDVXDiskPageManager> plain;
  std::unique_ptr<TDvxConsistentState> hold;
  if (!db) {
    plain = reclaim ? OpenForWriting(parsed.positional[0], parsed.Get("--password"))
                    : OpenForReading(parsed.positional[0], parsed.Get("--password"));
    hold = std::make_unique<TDvxConsistentState>(*plain);
  }
  TDVXDiskPageManager* pm = db ? &db->PageManager() : plain.get();
  TDVXDatabaseChecker checker(*pm);
  std::vector<std::string> problems;
  std::vector<std::string> unchecked;
  if (db) CheckTables(*db, checker, problems, unchecked);
  else problems.push_back("the tables are not checked: " + tablesRefused);
  const auto storageProblems = checker.Check();
  problems.insert(problems.begin(), storageProblems.begin(), storageProblems.end());
  for (const auto& p : problems) std::cout << "problem: " << p << "\n";
  for (const auto& t : unchecked)
    std::cout << "table not compared with its indexes: " << t << "; its definitions are not the table layer's\n";
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
     "verifies free-space bitmaps, page headers, internal files, the table list, record pages, and every\n"
     "      table's records against its indexes and NOT NULL, UNIQUE and PRIMARY KEY constraints; --reclaim frees pages\n"
     "      no structure owns and recomputes stale extent bits",
     RunCheck});

}  // namespace
}  // namespace dvx::tool
