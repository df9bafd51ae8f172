// The cursor's side of the table definition operations: the checks of the
// cursor and session, then the table object's work on a cursor of its own
// (the caller's cursor is closed and does not count as another dataset).
#include <string>

#include "engine/core/exception.h"
#include "engine/tables/cursor_checks.h"
#include "engine/tables/database_data.h"
#include "engine/tables/definition_errors.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_data.h"

namespace dvx {

void TDVXLocalCursor::CreateTable(const TDVXFieldDefs& fields, const TDVXIndexDefs& indexes,
                                  const TDVXConstraintDefs& constraints) {
  Close();
  TDVXDatabaseData& database = session_.Database();
  if ((database.PseudoName() == "MEMORY" || temporaryMode_) && database.TableExists(tableName_))
    database.DeleteTable(session_, tableName_);
  TDVXIndexDefs withoutPages;
  withoutPages.Assign(indexes);
  for (int i = 0; i < withoutPages.Count(); ++i) withoutPages.Items(i)->SetRootPageNo(-1);
  database.CreateTable(session_, tableName_, fields, withoutPages, constraints);
  if (!database.TableExists(tableName_)) throw EDVXException(kErrCursorCreateTableNil, "Nil pointer occured");
}

void TDVXLocalCursor::EmptyTable() {
  RequireNoTransaction(session_, kErrCursorEmptyTableInTransaction);
  Close();
  RequireTable(session_, tableName_, kErrCursorEmptyTableNotFound);
  TDVXLocalCursor work(session_, tableName_);
  work.Open();
  work.Table().EmptyTable(work);
}

void TDVXLocalCursor::RenameField(const std::string& oldName, const std::string& newName) {
  RequireNoTransaction(session_, kErrCursorRenameFieldInTransaction);
  Close();
  RequireTable(session_, tableName_, kErrCursorRenameFieldNotFound);
  TDVXLocalCursor work(session_, tableName_);
  work.Open();
  work.Table().RenameField(oldName, newName);
}

int32_t TDVXLocalCursor::AddIndex(const TDVXIndexDef& definition) {
  RequireNoTransaction(session_, kErrCursorAddIndexInTransaction);
  Close();
  RequireTable(session_, tableName_, kErrCursorAddIndexNotFound);
  TDVXLocalCursor work(session_, tableName_);
  work.SetTemporaryMode(temporaryMode_);
  work.Open();
  if (work.Table().IndexManager().IndexDefs().FindByName(definition.ObjectName()) >= 0)
    throw EDVXException(kErrCursorAddIndexExists, "Cannot create index '%s'. Index already exists",
                        {definition.ObjectName()});
  return work.Table().AddIndex(definition, work);
}

void TDVXLocalCursor::DeleteIndex(const std::string& name, bool force) {
  RequireNoTransaction(session_, kErrCursorDeleteIndexInTransaction);
  Close();
  RequireTable(session_, tableName_, kErrCursorDeleteIndexNotFound);
  TDVXLocalCursor work(session_, tableName_);
  work.Open();
  const TDVXIndexDefs& defs = work.Table().IndexManager().IndexDefs();
  const int position = defs.FindByName(name);
  if (position < 0) throw EDVXException(kErrCursorDeleteIndexMissing, "Cannot delete index '%s'. Index not found", {name});
  work.Table().DropIndex(defs.Items(position)->ObjectID(), work, force);
}

void TDVXLocalCursor::DeleteAllIndexes(bool force) {
  RequireNoTransaction(session_, kErrCursorDropIndexesInTransaction);
  Close();
  RequireTable(session_, tableName_, kErrCursorDropIndexesNotFound);
  TDVXLocalCursor work(session_, tableName_);
  work.Open();
  work.Table().DropAllIndexes(work, force);
}

void TDVXLocalCursor::FollowIndexChange() {
  if (table_ && currentIndexID_ != -1 && !table_->IndexByID(currentIndexID_)) SelectIndex(-1);
}

}  // namespace dvx
