// dvx sql FILE [--password PW] [-c TEXT]: runs SQL against a database
// file: the text given with -c, or what standard input holds. Other
// database names in the text resolve as the SQL processor resolves them
// ("MEMORY" is the in-memory database, any other name a database file).
//
// For each statement that gives rows: a header line of the column names,
// one line per row, tab-separated, each value as 'dvx dump' writes it
// (dump_text.h), then "(N rows)". A statement without rows prints "(N rows
// affected)". An error prints the engine's message on standard error and
// ends with status 1, after the statements before it have run.
//
// With a terminal on standard input it is a shell: a prompt, and each
// statement (text up to a ";" at the end of a line, or a blank line) runs
// as it is entered; an error is reported and the shell goes on. The text
// is UTF-8 on this side and the engine's Windows-1252 inside.
#include <unistd.h>

#include <iostream>
#include <iterator>
#include <sstream>

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/query/query_services.h"
#include "engine/query/query_sessions.h"
#include "engine/query/sql_command.h"
#include "engine/query/sql_processor.h"
#include "engine/tables/disk_database_data.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_data.h"
#include "engine/tables/table_read_scope.h"
#include "tools/dvx/command.h"
#include "tools/dvx/dump_text.h"

namespace dvx::tool {
namespace {

// Writes a result cursor's rows; false when a value cannot be written.
bool WriteResult(TDVXLocalCursor& cursor) {
  const int count = cursor.VisibleFieldCount();
  std::string line;
  for (int i = 0; i < count; ++i) {
    if (i) line += '\t';
    AppendEscaped(line, AnsiToUtf8(cursor.VisibleFieldName(i)));
  }
  std::cout << line << '\n';
  TDVXTableData& table = cursor.Table();
  const TDVXFieldDefs& fields = cursor.Fields();
  const TDvxBlobOpener openBlob = [&](int fieldNo) -> std::unique_ptr<TDVXStream> {
    TDVXTableReadScope scope(table, cursor.SessionID());
    return table.OpenBlobValue(cursor.SessionID(), fieldNo, cursor.Record());
  };
  int64_t rows = 0;
  cursor.First();
  while (cursor.GetRecord(grmNext) == grrDone) {
    line.clear();
    for (int i = 0; i < count; ++i) {
      if (i) line += '\t';
      AppendFieldText(line, fields, cursor.VisibleFieldNo(i), cursor.Record(), openBlob);
    }
    std::cout << line << '\n';
    ++rows;
  }
  std::cout << "(" << rows << (rows == 1 ? " row)" : " rows)") << '\n';
  return true;
}

class TSqlRunner {
 public:
  TSqlRunner(const std::string& fileName, const std::string& password)
      : database_(fileName, TDVXLockParams{10, 100}) {
    TDVXCryptoInfo crypto;
    crypto.password = password;
    database_.OpenDatabase(false, false, crypto);
    session_ = std::make_unique<TDVXLocalSession>(database_);
    sessions_ = std::make_unique<TDVXLocalQuerySessions>(session_.get(), fileName);
    TDVXSQLSettings settings;
    settings.databaseName = fileName;
    processor_ = std::make_unique<TDVXLocalSQLProcessor>(*sessions_, settings);
    processor_->SetStatementObserver([](TDVXSQLCommand& command) {
      if (TDVXLocalCursor* cursor = command.GetResultCursor()) {
        WriteResult(*cursor);
      } else {
        const int32_t n = command.RowsAffected();
        std::cout << "(" << n << (n == 1 ? " row affected)" : " rows affected)") << '\n';
      }
      std::cout.flush();
    });
  }
  ~TSqlRunner() {
    processor_.reset();
    sessions_.reset();
    session_.reset();
    database_.CloseDatabase();
  }

  // Runs the text; false (with the message on standard error) on an error.
  bool Run(const std::string& utf8) {
    try {
      processor_->SetSQL(Utf8ToAnsi(utf8));
      processor_->Execute();
      return true;
    } catch (const EDVXException& e) {
      std::cout.flush();
      std::cerr << "dvx: " << AnsiToUtf8(e.what()) << '\n';
      return false;
    }
  }

 private:
  TDVXDiskDatabaseData database_;
  std::unique_ptr<TDVXLocalSession> session_;
  std::unique_ptr<TDVXLocalQuerySessions> sessions_;
  std::unique_ptr<TDVXLocalSQLProcessor> processor_;
};

int Shell(TSqlRunner& runner) {
  std::string pending, line;
  std::cout << "dvx> " << std::flush;
  while (std::getline(std::cin, line)) {
    pending += line + '\n';
    const size_t end = line.find_last_not_of(" \t\r");
    const bool complete = end == std::string::npos ? true : line[end] == ';';
    if (complete && pending.find_first_not_of(" \t\r\n;") != std::string::npos) {
      runner.Run(pending);
      pending.clear();
    } else if (complete) {
      pending.clear();
    }
    std::cout << (pending.empty() ? "dvx> " : "...> ") << std::flush;
  }
  if (!pending.empty()) runner.Run(pending);
  std::cout << '\n';
  return kExitOk;
}

int RunSql(const std::vector<std::string>& args) {
  // "-c TEXT" is taken off before the long options are parsed.
  std::vector<std::string> rest;
  bool hasText = false;
  std::string text;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "-c") {
      rest.push_back(args[i]);
      continue;
    }
    if (i + 1 >= args.size()) return UsageError("option -c needs a value");
    hasText = true;
    text = args[++i];
  }
  TDvxParsedArgs parsed;
  std::string error;
  if (!ParseArgs(rest, {"--password"}, {}, parsed, error)) return UsageError(error);
  if (parsed.positional.size() != 1) return UsageError("sql needs FILE");
  InstallQueryServices();
  try {
    TSqlRunner runner(parsed.positional[0], parsed.Get("--password"));
    if (hasText) return runner.Run(text) ? kExitOk : kExitFailure;
    if (isatty(STDIN_FILENO)) return Shell(runner);
    std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    return runner.Run(input) ? kExitOk : kExitFailure;
  } catch (const EDVXException& e) {
    std::cerr << "dvx: " << AnsiToUtf8(e.what()) << '\n';
    return kExitFailure;
  }
}

TDvxCommandRegistration registration(
    {"sql", "sql FILE [--password PW] [-c TEXT]",
     "runs SQL (the -c text, or standard input; a shell on a terminal): each result as a line of column names, "
     "tab-separated rows in the value format of dump and \"(N rows)\"; \"(N rows affected)\" for statements "
     "without rows; an error goes to standard error with status 1",
     RunSql});

}  // namespace
}  // namespace dvx::tool
