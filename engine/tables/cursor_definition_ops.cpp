// The cursor's side of the table definition operations: the checks of the
// cursor and session, then the table object's work on a cursor of its own
// (the caller's cursor is closed and does not count as another dataset).
#include <memory>
#include <string>

#include "engine/core/exception.h"
#include "engine/tables/cursor_checks.h"
#include "engine/tables/database_data.h"
#include "engine/tables/definition_errors.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_data.h"

namespace dvx {

namespace {

// What every definition operation but CreateTable does first: refused in a
// transaction, the caller's cursor closed, the table there; then a cursor
// of its own on the table, not yet open.
std::unique_ptr<TDVXLocalCursor> WorkCursor(TDVXLocalCursor& cursor, int32_t transactionCode, int32_t notFoundCode) {
  RequireNoTransaction(cursor.Session(), transactionCode);
  cursor.Close();
  RequireTable(cursor.Session(), cursor.TableName(), notFoundCode);
  return std::make_unique<TDVXLocalCursor>(cursor.Session(), cursor.TableName());
}

}  // namespace

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
  const auto work = WorkCursor(*this, kErrCursorEmptyTableInTransaction, kErrCursorEmptyTableNotFound);
  work->Open();
  work->Table().EmptyTable(*work);
}

void TDVXLocalCursor::RenameField(const std::string& oldName, const std::string& newName) {
  const auto work = WorkCursor(*this, kErrCursorRenameFieldInTransaction, kErrCursorRenameFieldNotFound);
  work->Open();
  work->Table().RenameField(oldName, newName);
}

int32_t TDVXLocalCursor::AddIndex(const TDVXIndexDef& definition) {
  const auto work = WorkCursor(*this, kErrCursorAddIndexInTransaction, kErrCursorAddIndexNotFound);
  work->SetTemporaryMode(temporaryMode_);
  work->Open();
  if (work->Table().IndexManager().IndexDefs().FindByName(definition.ObjectName()) >= 0)
    throw EDVXException(kErrCursorAddIndexExists, "Cannot create index '%s'. Index already exists",
                        {definition.ObjectName()});
  return work->Table().AddIndex(definition, *work);
}

void TDVXLocalCursor::DeleteIndex(const std::string& name, bool force) {
  const auto work = WorkCursor(*this, kErrCursorDeleteIndexInTransaction, kErrCursorDeleteIndexNotFound);
  work->Open();
  const TDVXIndexDefs& defs = work->Table().IndexManager().IndexDefs();
  const int position = defs.FindByName(name);
  if (position < 0) throw EDVXException(kErrCursorDeleteIndexMissing, "Cannot delete index '%s'. Index not found", {name});
  work->Table().DropIndex(defs.Items(position)->ObjectID(), *work, force);
}

void TDVXLocalCursor::DeleteAllIndexes(bool force) {
  const auto work = WorkCursor(*this, kErrCursorDropIndexesInTransaction, kErrCursorDropIndexesNotFound);
  work->Open();
  work->Table().DropAllIndexes(*work, force);
}

void TDVXLocalCursor::FollowIndexChange() {
  if (table_ && currentIndexID_ != -1 && !table_->IndexByID(currentIndexID_)) SelectIndex(-1);
}

}  // namespace dvx
