#pragma once
// Writing a materialized result into a table: a new table of the
// temporary database ("TEMPORARY_TABLE_" and a random number), dropped
// when its last cursor closes, or the INTO target, a new table of the
// named database. Result names are made unique: a name already taken
// (ignoring case) gets "_1", "_2", ... appended. Autoincrement types become
// their plain integer types; a string or byte column of unknown size gets
// 255.
#include <memory>
#include <string>

namespace dvx {

class TDVXAO;
class TDVXLocalCursor;
class TDVXLocalSession;

// The result rows of `op` (materialized) in a new temporary table; the
// cursor stands before the first row.
std::unique_ptr<TDVXLocalCursor> WriteTemporaryResult(TDVXAO& op, TDVXLocalSession& temporarySession);

// The rows into a new table `tableName` of the session's database: an
// existing table of the name is refused, naming it, before anything
// changes; a failure while copying drops the new table again and raises
// 10403. Returns the number of rows written.
int64_t WriteIntoTable(TDVXAO& op, TDVXLocalSession& session, const std::string& tableName);

}  // namespace dvx
