// dvx schema FILE [TABLE] [--host] [--password TEXT]: the field, index and
// constraint definitions of every table (or of the one named) in a readable
// form (schema_text.h); with --host the field and index definitions as the
// table component reads them when it opens the table, in host types
// (host_schema_text.h). An unknown table name is an error (exit 1).
#include <algorithm>
#include <atomic>
#include <iostream>
#include <optional>

#include "engine/components/database.h"
#include "engine/components/database_error.h"
#include "engine/components/table.h"
#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_data.h"
#include "tools/dvx/command.h"
#include "tools/dvx/host_schema_text.h"
#include "tools/dvx/engine_text.h"
#include "tools/dvx/schema_text.h"
#include "tools/dvx/table_database.h"

namespace dvx::tool {
namespace {

void PrintTable(TDVXTableData& table) {
  const TDVXFieldDefs& fields = table.Fields();
  const TDVXIndexDefs& indexes = table.IndexManager().IndexDefs();
  const TDVXConstraintDefs& constraints = table.ConstraintManager().ConstraintDefs();
  std::cout << "Table " << Shown(table.TableName()) << "\n  Fields:\n";
  for (int i = 0; i < fields.Count(); ++i) std::cout << "    " << Shown(FieldText(*fields.Items(i))) << "\n";
  std::cout << "  Indexes:\n";
  if (indexes.Count() == 0) std::cout << "    (none)\n";
  for (int i = 0; i < indexes.Count(); ++i) std::cout << "    " << Shown(IndexText(*indexes.Items(i))) << "\n";
  std::cout << "  Constraints:\n";
  if (constraints.Count() == 0) std::cout << "    (none)\n";
  for (int i = 0; i < constraints.Count(); ++i) std::cout << "    " << Shown(ConstraintText(*constraints.Items(i))) << "\n";
}

// Opens the table through a database and a table component, read-only and
// shared, as an application would.
void PrintHostTable(const std::string& fileName, const std::string& password, const std::string& tableName) {
  static std::atomic<int> counter{0};
  TDVXDatabase database;
  database.SetDatabaseName("dvxSchema" + std::to_string(++counter));
  database.SetDatabaseFileName(fileName);
  database.SetExclusive(false);
  database.SetReadOnly(true);
  database.CryptoParams().SetPassword(password);
  TDVXTable table;
  table.SetDatabaseName(database.DatabaseName());
  table.SetTableName(AnsiToUtf8(tableName));
  table.SetReadOnly(true);
  table.Open();
  std::cout << "Table " << Shown(tableName) << "\n  Fields:\n";
  for (int i = 0; i < table.FieldDefs().Count(); ++i) std::cout << "    " << HostFieldText(table.FieldDefs()[i]) << "\n";
  std::cout << "  Indexes:\n";
  if (table.IndexDefs().Count() == 0) std::cout << "    (none)\n";
  for (int i = 0; i < table.IndexDefs().Count(); ++i) std::cout << "    " << HostIndexText(table.IndexDefs()[i]) << "\n";
}

int RunSchema(const std::vector<std::string>& args) {
  TDvxParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args, {"--password"}, {"--host"}, parsed, error)) return UsageError(error);
  if (parsed.positional.empty() || parsed.positional.size() > 2) return UsageError("schema needs FILE and at most one TABLE");
  // The component view opens the file itself, after the names are read.
  std::optional<TDvxTableDatabase> db(std::in_place, parsed.positional[0], parsed.Get("--password"));
  std::vector<std::string> names = db->Database().TableNames();
  if (parsed.positional.size() == 2) {
    const std::string& wanted = parsed.positional[1];
    const std::optional<std::string> found = FindName(names, wanted);
    if (!found) {
      std::cerr << "dvx: table '" << wanted << "' not found in " << parsed.positional[0] << "\n";
      return kExitFailure;
    }
    names = {*found};
  }
  int failures = 0;
  if (parsed.Has("--host")) db.reset();
  for (size_t i = 0; i < names.size(); ++i) {
    if (i) std::cout << "\n";
    if (!db) {
      try {
        PrintHostTable(parsed.positional[0], parsed.Get("--password"), names[i]);
      } catch (const EDatabaseError& e) {
        std::cout << "Table " << Shown(names[i]) << ": cannot be opened: " << e.Message() << "\n";
        ++failures;
      } catch (const std::exception& e) {
        std::cout << "Table " << Shown(names[i]) << ": cannot be opened: " << e.what() << "\n";
        ++failures;
      }
      continue;
    }
    try {
      TDVXLocalCursor cursor(db->Session(), names[i]);
      cursor.Open();
      PrintTable(cursor.Table());
    } catch (const EDVXException& e) {
      std::cout << "Table " << Shown(names[i]) << ": cannot be opened: " << Shown(e.what()) << "\n";
      ++failures;
    }
  }
  if (names.empty()) std::cout << "(no tables)\n";
  return failures ? kExitFailure : kExitOk;
}

TDvxCommandRegistration registration({"schema", "schema FILE [TABLE] [--host] [--password TEXT]",
                                      "field, index and constraint definitions of every table or of one; with --host "
                                      "the field and index definitions as the table component sees them",
                                      RunSchema});

}  // namespace
}  // namespace dvx::tool
