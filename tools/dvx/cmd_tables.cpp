// dvx tables FILE [--password TEXT]: one line per table of the table list,
// in list order: its name, record count, fields and indexes, names in UTF-8. A table that
// cannot be opened gets a line saying why, and the command exits 1.
#include <iostream>

#include "engine/core/exception.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_data.h"
#include "tools/dvx/command.h"
#include "tools/dvx/engine_text.h"
#include "tools/dvx/schema_text.h"
#include "tools/dvx/table_database.h"

namespace dvx::tool {
namespace {

std::string Names(const TDVXMetaObjectDefs& defs) {
  std::string text;
  for (int i = 0; i < defs.Count(); ++i) text += (i ? ", " : "") + Shown(defs.Item(i)->ObjectName());
  return text;
}

int RunTables(const std::vector<std::string>& args) {
  TDvxParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args, {"--password"}, {}, parsed, error)) return UsageError(error);
  if (parsed.positional.size() != 1) return UsageError("tables needs exactly one FILE");
  TDvxTableDatabase db(parsed.positional[0], parsed.Get("--password"));
  int failures = 0;
  for (const std::string& name : db.Database().TableNames()) {
    try {
      TDVXLocalCursor cursor(db.Session(), name);
      cursor.Open();
      TDVXTableData& table = cursor.Table();
      const TDVXIndexDefs& indexes = table.IndexManager().IndexDefs();
      std::cout << Shown(name) << ": " << CountText(table.RecordCount(db.Session().SessionID()), "record", "records")
                << ", " << CountText(table.Fields().Count(), "field", "fields") << " (" << Names(table.Fields())
                << "), " << CountText(indexes.Count(), "index", "indexes");
      if (indexes.Count() > 0) std::cout << " (" << Names(indexes) << ")";
      std::cout << "\n";
    } catch (const EDVXException& e) {
      std::cout << Shown(name) << ": cannot be opened: " << Shown(e.what()) << "\n";
      ++failures;
    }
  }
  return failures ? kExitFailure : kExitOk;
}

TDvxCommandRegistration registration({"tables", "tables FILE [--password TEXT]",
                                      "one line per table: name, record count, fields and indexes", RunTables});

}  // namespace
}  // namespace dvx::tool
