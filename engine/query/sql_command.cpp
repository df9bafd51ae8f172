#include "engine/query/sql_command.h"

#include "engine/query/ao.h"
#include "engine/query/query_sessions.h"
#include "engine/query/result_table.h"
#include "engine/tables/local_cursor.h"

namespace dvx {

TDVXSQLCursorCommand::~TDVXSQLCursorCommand() {
  // The result cursor drops its temporary table; it goes before the tree
  // whose rows filled it.
  result_.reset();
  tree_.reset();
}

void TDVXSQLCursorCommand::Execute(bool /*open*/, bool& readOnly, bool requestLive) {
  result_.reset();
  tree_.reset();
  readOnly = true;
  std::unique_ptr<TDVXLocalCursor> live;
  tree_ = BuildOperatorTree(requestLive && !hasInto_, live);
  if (live) {
    result_ = std::move(live);
    readOnly = false;
    return;
  }
  if (hasInto_) {
    TDVXLocalSession& session = context_.sessions->SessionFor(
        intoDatabase_.empty() ? context_.environment.databaseName : intoDatabase_,
        intoInMemory_ || context_.environment.inMemory);
    rowsAffected_ = static_cast<int32_t>(WriteIntoTable(*tree_, session, intoTable_));
    return;
  }
  result_ = WriteTemporaryResult(*tree_, context_.sessions->TemporarySession());
}

std::unique_ptr<TDVXAO> TDVXSQLCursorCommand::ExecuteToRows() {
  std::unique_ptr<TDVXLocalCursor> live;
  return BuildOperatorTree(false, live);
}

}  // namespace dvx
