// dvx dump FILE TABLE [--index NAME] [--limit N] [--blob-hash] [--password
// TEXT]: the table's records as tab-separated UTF-8 text, a header line of
// field names first, in physical order or in the order of the named index;
// at most N records with --limit; large objects as their size and SHA-256
// with --blob-hash. Field texts are dump_text.h's. An unknown table or
// index, a bad --limit or a file that cannot be opened writes nothing to
// standard output.
#include <algorithm>
#include <climits>
#include <iostream>
#include <stdexcept>

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/tables/disk_table_data.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_read_scope.h"
#include "tools/dvx/command.h"
#include "tools/dvx/dump_text.h"
#include "tools/dvx/engine_text.h"
#include "tools/dvx/table_database.h"

namespace dvx::tool {
namespace {

std::string HeaderLine(const TDVXFieldDefs& fields) {
  std::string line;
  for (int i = 0; i < fields.Count(); ++i) {
    if (i) line += '\t';
    AppendEscaped(line, Shown(fields.Items(i)->ObjectName()));
  }
  return line + '\n';
}

// Writes the records the cursor walks to standard output, one line each,
// every line finished before it is written. Returns the exit status.
int WriteRecords(TDVXLocalCursor& cursor, int32_t session, long limit, TDvxBlobText blobText) {
  TDVXDiskTableData* table = dynamic_cast<TDVXDiskTableData*>(&cursor.Table());
  if (!table) throw std::runtime_error("table '" + Shown(cursor.TableName()) + "' is not a table of a database file");
  const TDVXFieldDefs& fields = cursor.Fields();
  const TDvxBlobOpener openBlob = [&](int fieldNo) -> std::unique_ptr<TDVXStream> {
    TDVXTableReadScope scope(*table, session);
    return table->DiskRecordManager().OpenBlob(session, fieldNo, cursor.Record());
  };
  std::cout << HeaderLine(fields);
  std::string line;
  cursor.First();
  for (long written = 0; written < limit; ++written) {
    const TDVXGetRecordResult result = cursor.GetRecord(grmNext);
    if (result == grrEOF) break;
    if (result != grrDone) {
      std::cout.flush();
      std::cerr << "dvx: record " << written + 1 << " of table '" << Shown(cursor.TableName()) << "' cannot be read\n";
      return kExitFailure;
    }
    line.clear();
    for (int i = 0; i < fields.Count(); ++i) {
      if (i) line += '\t';
      try {
        AppendFieldText(line, fields, i, cursor.Record(), openBlob, blobText);
      } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "dvx: record " << written + 1 << ", field '" << Shown(fields.Items(i)->ObjectName()) << "': " << Shown(e.what())
                  << "\n";
        return kExitFailure;
      }
    }
    line += '\n';
    std::cout << line;
  }
  std::cout.flush();
  return std::cout ? kExitOk : kExitFailure;
}

int RunDump(const std::vector<std::string>& args) {
  TDvxParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args, {"--index", "--limit", "--password"}, {"--blob-hash"}, parsed, error)) return UsageError(error);
  if (parsed.positional.size() != 2) return UsageError("dump needs FILE and TABLE");
  long limit = LONG_MAX;
  if (parsed.Has("--limit") && !ParseNumber(parsed.Get("--limit"), 0, LONG_MAX, limit))
    return UsageError("--limit needs a whole number of records, 0 or more");
  const std::string& fileName = parsed.positional[0];
  const std::string& wanted = parsed.positional[1];
  TDvxTableDatabase db(fileName, parsed.Get("--password"));
  const std::optional<std::string> found = FindName(db.Database().TableNames(), wanted);
  if (!found) {
    std::cerr << "dvx: table '" << wanted << "' not found in " << fileName << "\n";
    return kExitFailure;
  }
  TDVXLocalCursor cursor(db.Session(), *found);
  cursor.Open();
  if (parsed.Has("--index")) {
    const std::string typed = parsed.Get("--index");
    const std::optional<std::string> index = EngineName(typed);
    // An empty name would select physical order without a word.
    if (!index || index->empty() || !cursor.Table().IndexByName(*index)) {
      std::cerr << "dvx: index '" << typed << "' not found in table '" << Shown(*found) << "'\n";
      return kExitFailure;
    }
    cursor.SetCurrentIndex(*index);
  }
  const TDvxBlobText blobText = parsed.Has("--blob-hash") ? TDvxBlobText::SizeAndHash : TDvxBlobText::Size;
  return WriteRecords(cursor, db.Session().SessionID(), limit, blobText);
}

TDvxCommandRegistration registration(
    {"dump", "dump FILE TABLE [--index NAME] [--limit N] [--blob-hash] [--password TEXT]",
     "the table's records as tab-separated UTF-8 text under a line of field names, in physical order or in the "
     "index's; NULL is empty, numbers use \".\", booleans are true/false, dates and times ISO 8601 "
     "(2026-12-09 13:45:30.250), bytes hex, BLOBs and pictures <N bytes> (with --blob-hash every BLOB, picture and "
     "memo <N bytes sha256:HEX>); \\ tab CR LF in texts are written "
     "\\\\ \\t \\r \\n",
     RunDump});

}  // namespace
}  // namespace dvx::tool
