// The cursor's side of the table life-cycle operations that concern
// foreign keys: the checks of the cursor and session, then the table
// object's work on a cursor of its own.
#include <string>
#include <vector>

#include "engine/core/exception.h"
#include "engine/core/cleanup_failures.h"
#include "engine/tables/cursor_checks.h"
#include "engine/tables/database_data.h"
#include "engine/tables/foreign_key_errors.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_data.h"
#include "engine/tables/table_data_errors.h"

namespace dvx {

void TDVXLocalCursor::AddForeignKey(const TDVXConstraintDefForeignKey& definition) {
  Close();
  RequireTable(session_, tableName_, kErrCursorAddForeignKeyNotFound);
  RequireExclusive(exclusive_, tableName_, kErrCursorAddForeignKeyNotExclusive);
  TDVXLocalCursor work(session_, tableName_, true);
  work.Open();
  work.Table().AddForeignKey(work, definition);
}

void TDVXLocalCursor::DeleteConstraint(const std::string& name, bool keepCounterpart, bool force) {
  Close();
  RequireTable(session_, tableName_, kErrCursorDeleteConstraintNotFound);
  RequireExclusive(exclusive_, tableName_, kErrCursorDeleteConstraintNotExclusive);
  TDVXLocalCursor work(session_, tableName_, true);
  work.Open();
  work.Table().DeleteConstraint(session_, name, keepCounterpart, force);
}

void TDVXLocalCursor::RenameTable(const std::string& newName) {
  RequireNoTransaction(session_, kErrCursorRenameTableInTransaction);
  Close();
  RequireTable(session_, tableName_, kErrCursorRenameTableNotFound);
  TDVXDatabaseData& database = session_.Database();
  // A database that keeps its tables loaded has them open without cursors.
  if (TDVXTableData* open = database.FindOpenTable(tableName_);
      open && (!database.KeepsTables() || open->CursorCount() > 0))
    throw EDVXException(kErrRenameTableOpen, "Cannot rename table '%s'. Table is open by another dataset",
                        {tableName_});
  // The tables whose foreign keys name this one, itself included for a key
  // that refers to its own table.
  std::vector<std::string> partners{newName};
  {
    TDVXLocalCursor probe(session_, tableName_);
    probe.Open();
    for (const auto& ref : probe.Table().ForeignKeyCounterparts()) partners.push_back(ref.tableName);
  }
  const std::string oldName = tableName_;
  database.RenameTable(session_, oldName, newName);
  try {
    TDVXTableData::FollowRenamedTable(session_, partners, oldName, newName);
  } catch (...) {
    // References that could not follow keep the old name valid instead.
    try {
      database.RenameTable(session_, newName, oldName);
    } catch (...) {
      NoteCleanupFailure("giving a table its old name back");
    }
    throw;
  }
  tableName_ = newName;
}

void TDVXLocalCursor::DeleteTable(bool force) {
  RequireNoTransaction(session_, kErrCursorDeleteTableInTransaction);
  Close();
  RequireTable(session_, tableName_, kErrCursorDeleteTableNotFound);
  std::vector<TDVXTableData::TConstraintRef> counterparts;
  {
    TDVXLocalCursor probe(session_, tableName_);
    probe.Open();
    TDVXTableData& table = probe.Table();
    if (table.CursorCount() > 1 && !force)
      throw EDVXException(kErrDeleteTableOpen, "Cannot delete table '%s'. Table is open by another dataset",
                          {tableName_});
    counterparts = table.ForeignKeyCounterparts();
    if (!counterparts.empty() && !force)
      throw EDVXException(kErrDeleteTableForeignKeys, "Cannot delete table '%s' - foreign key constraint(s) violated",
                          {tableName_});
  }
  // The counterparts go once the table is gone: a refused drop leaves the
  // other tables as they were.
  session_.Database().DeleteTable(session_, tableName_);
  if (!counterparts.empty()) TDVXTableData::RemoveConstraints(session_, counterparts);
}

}  // namespace dvx
