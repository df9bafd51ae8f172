// dvx schema FILE [TABLE] [--password TEXT]: the field, index and
// constraint definitions of every table (or of the one named) in a readable
// form (schema_text.h). An unknown table name is an error (exit 1).
#include <algorithm>
#include <iostream>

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_data.h"
#include "tools/dvx/command.h"
#include "tools/dvx/schema_text.h"
#include "tools/dvx/table_database.h"

namespace dvx::tool {
namespace {

void PrintTable(TDVXTableData& table) {
  const TDVXFieldDefs& fields = table.Fields();
  const TDVXIndexDefs& indexes = table.IndexManager().IndexDefs();
  const TDVXConstraintDefs& constraints = table.ConstraintManager().ConstraintDefs();
  std::cout << "Table " << table.TableName() << "\n  Fields:\n";
  for (int i = 0; i < fields.Count(); ++i) std::cout << "    " << FieldText(*fields.Items(i)) << "\n";
  std::cout << "  Indexes:\n";
  if (indexes.Count() == 0) std::cout << "    (none)\n";
  for (int i = 0; i < indexes.Count(); ++i) std::cout << "    " << IndexText(*indexes.Items(i)) << "\n";
  std::cout << "  Constraints:\n";
  if (constraints.Count() == 0) std::cout << "    (none)\n";
  for (int i = 0; i < constraints.Count(); ++i) std::cout << "    " << ConstraintText(*constraints.Items(i)) << "\n";
}

int RunSchema(const std::vector<std::string>& args) {
  TDvxParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args, {"--password"}, {}, parsed, error)) return UsageError(error);
  if (parsed.positional.empty() || parsed.positional.size() > 2) return UsageError("schema needs FILE and at most one TABLE");
  TDvxTableDatabase db(parsed.positional[0], parsed.Get("--password"));
  std::vector<std::string> names = db.Database().TableNames();
  if (parsed.positional.size() == 2) {
    const std::string& wanted = parsed.positional[1];
    // Table names compare as the engine compares them (without regard to case).
    auto found = std::find_if(names.begin(), names.end(), [&](const std::string& n) { return SameName(n, wanted); });
    if (found == names.end()) {
      std::cerr << "dvx: table '" << wanted << "' not found in " << parsed.positional[0] << "\n";
      return kExitFailure;
    }
    names = {*found};
  }
  int failures = 0;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i) std::cout << "\n";
    try {
      TDVXLocalCursor cursor(db.Session(), names[i]);
      cursor.Open();
      PrintTable(cursor.Table());
    } catch (const EDVXException& e) {
      std::cout << "Table " << names[i] << ": cannot be opened: " << e.what() << "\n";
      ++failures;
    }
  }
  if (names.empty()) std::cout << "(no tables)\n";
  return failures ? kExitFailure : kExitOk;
}

TDvxCommandRegistration registration({"schema", "schema FILE [TABLE] [--password TEXT]",
                                      "field, index and constraint definitions of every table or of one",
                                      RunSchema});

}  // namespace
}  // namespace dvx::tool
