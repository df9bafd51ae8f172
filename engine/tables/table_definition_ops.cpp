// Definition operations of a table object: adding and dropping indexes,
// emptying the table, renaming a field.
//
// Each operation edits the definitions in memory, puts the pages it
// changes (index pages, record pages) into the system change set, writes
// the definitions (metadata file) and the state (sequences and index
// definitions) there too, and commits the whole set at once as one unit of
// work (unit_of_work.h), which holds the definitions as they were: a
// failure before the commit holds cancels the change set and puts them
// back, so the table, its pages and its file are as before the operation.
#include <memory>
#include <string>
#include <vector>

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/schema/table_definitions.h"
#include "engine/storage/owner_ids.h"
#include "engine/tables/btree_index.h"
#include "engine/tables/database_data.h"
#include "engine/tables/definition_errors.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_change_notices.h"
#include "engine/tables/table_data.h"
#include "engine/tables/unit_of_work.h"

namespace dvx {

void TDVXTableData::NoteDefinitions(TDVXUnitOfWork& work) {
  auto fields = std::make_shared<TDVXFieldDefs>();
  auto indexes = std::make_shared<TDVXIndexDefs>();
  auto constraints = std::make_shared<TDVXConstraintDefs>();
  fields->Assign(Fields());
  indexes->Assign(indexManager_.IndexDefs());
  constraints->Assign(constraintManager_.ConstraintDefs());
  // The definitions are durable with the pages the table's indexes live
  // in: the database's for a disk table, the table's own otherwise.
  work.OnUndo(IndexPageManager(), [this, fields, indexes, constraints] {
    Fields().Assign(*fields);
    Fields().RecomputeLayout();
    indexManager_.IndexDefs().Assign(*indexes);
    constraintManager_.ConstraintDefs().Assign(*constraints);
    BuildIndexes();
    Refresh();
  });
}

void TDVXTableData::CommitDefinitions(TDVXUnitOfWork& work) {
  SaveDefinitions(kSystemSessionID);
  SaveState(kSystemSessionID);
  work.Commit(true);
}

namespace {

// Whether a primary or unique constraint is the one of the index.
bool BuiltOn(const TDVXConstraintDef& c, int32_t indexID) {
  if (c.ConstraintType() != ctPrimaryKey && c.ConstraintType() != ctUnique) return false;
  return static_cast<const TDVXConstraintDefUnique&>(c).Pairs()[2].id == indexID;
}

}  // namespace

void TDVXTableData::RefuseInTransaction() const {
  // The definitions belong to the database, not to a transaction that
  // might still be rolled back.
  if (activeTransaction_ != kNoTransaction)
    throw EDVXException(kErrDefinitionInTransaction, "Cannot perform this operation inside a transaction");
}

int32_t TDVXTableData::AddIndex(const TDVXIndexDef& definition, TDVXLocalCursor& cursor) {
  TDVXChangeNotices::TScope notices;
  database_.SyncObjectIDCounter();
  TDVXLockGuard guard(lock_);
  RefuseInTransaction();
  {
    // The new index among the table's: names present and distinct, columns
    // present, at most one primary index.
    TDVXIndexDefs all;
    all.Assign(indexManager_.IndexDefs());
    all.Add(definition.ObjectName())->Assign(definition);
    ValidateTableCreation(tableName_, Fields(), all, TDVXConstraintDefs());
  }
  TDVXUnitOfWork work(database_.PageManager(), kSystemSessionID);
  NoteDefinitions(work);
  TDVXIndexDefs& defs = indexManager_.IndexDefs();
  TDVXIndexDef* added = defs.Add(definition.ObjectName());
  added->Assign(definition);
  added->SetRootPageNo(-1);
  {
    TDVXLockGuard databaseGuard(database_.Lock());
    added->SetObjectID(DrawObjectID(database_.ObjectIDCounter()));
  }
  const int32_t id = added->ObjectID();
  // A key too long for the page is refused before a page is taken.
  TDVXBTreeIndex(*added, &Fields(), IndexPageManager()).OpenForCreate();
  if (!added->Temporary() && !cursor.TemporaryMode()) {
    TDVXLockGuard databaseGuard(database_.Lock());
    AddIndexConstraint(*added, constraintManager_.ConstraintDefs(), Fields(), defs, database_.ObjectIDCounter());
  }
  BuildIndexes();
  TDVXIndex& index = *IndexByID(id);
  index.Create(kSystemSessionID, *this);
  CommitDefinitions(work);
  FollowIndexChange();
  NoteChangeThrough(&cursor);
  return id;
}

void TDVXTableData::DropIndexDefinition(int32_t indexID, int32_t session) {
  TDVXIndexDefs& defs = indexManager_.IndexDefs();
  const int position = defs.FindByID(indexID);
  if (position < 0) throw EDVXException(kErrDropIndexMissing, "Cannot find index by ID = %d", {indexID});
  TDVXConstraintDefs& constraints = constraintManager_.ConstraintDefs();
  for (int i = constraints.Count() - 1; i >= 0; --i)
    if (BuiltOn(*constraints.Items(i), indexID)) constraints.Delete(i);
  Index(position).Drop(session);
  defs.Delete(position);
  BuildIndexes();
}

void TDVXTableData::FollowIndexChange() {
  for (TDVXLocalCursor* cursor : cursors_) cursor->FollowIndexChange();
}

void TDVXTableData::DropIndex(int32_t indexID, TDVXLocalCursor& cursor, bool force) {
  TDVXChangeNotices::TScope notices;
  std::string primaryName;
  {
    TDVXLockGuard guard(lock_);
    RefuseInTransaction();
    const TDVXConstraintDefs& constraints = constraintManager_.ConstraintDefs();
    if (constraints.HasForeignKeyActions())
      for (int i = 0; i < constraints.Count(); ++i)
        if (constraints.Items(i)->ConstraintType() == ctPrimaryKey && BuiltOn(*constraints.Items(i), indexID))
          primaryName = constraints.Items(i)->ObjectName();
    if (primaryName.empty()) {
      TDVXUnitOfWork work(database_.PageManager(), kSystemSessionID);
      NoteDefinitions(work);
      DropIndexDefinition(indexID, kSystemSessionID);
      CommitDefinitions(work);
      FollowIndexChange();
      NoteChangeThrough(&cursor);
      return;
    }
    if (!force)
      throw EDVXException(kErrDropIndexPrimaryReferenced,
                          "Cannot delete constraint primary key '%s' in table '%s' - foreign key(s) referencing this "
                          "table exists",
                          {primaryName, tableName_});
  }
  // A primary key that foreign keys of other tables rely on goes as a
  // forced DeleteConstraint removes it: every action of the table with its
  // counterparts first, then the index. It takes the foreign key lock
  // before this table's, so this table's lock is not held here.
  DeleteConstraint(cursor.Session(), primaryName, false, true);
  TDVXLockGuard guard(lock_);
  FollowIndexChange();
  NoteChangeThrough(&cursor);
}

void TDVXTableData::DropAllIndexes(TDVXLocalCursor& cursor, bool force) {
  TDVXChangeNotices::TScope notices;
  std::vector<int32_t> ids;
  {
    TDVXLockGuard guard(lock_);
    RefuseInTransaction();
    for (int i = 0; i < IndexCount(); ++i) ids.push_back(Index(i).IndexDef().ObjectID());
    const TDVXConstraintDefs& constraints = constraintManager_.ConstraintDefs();
    if (!constraints.HasForeignKeyActions() || !indexManager_.IndexDefs().FindPrimary()) {
      // All at once: every index and its constraint, or none of them.
      TDVXUnitOfWork work(database_.PageManager(), kSystemSessionID);
      NoteDefinitions(work);
      for (const int32_t id : ids) DropIndexDefinition(id, kSystemSessionID);
      CommitDefinitions(work);
      FollowIndexChange();
      NoteChangeThrough(&cursor);
      return;
    }
  }
  // A referenced primary key goes as DropIndex removes it (refused unless
  // forced); each index is committed on its own then.
  for (const int32_t id : ids) DropIndex(id, cursor, force);
}

void TDVXTableData::EmptyTable(TDVXLocalCursor& cursor) {
  TDVXChangeNotices::TScope notices;
  TDVXLockGuard guard(lock_);
  RefuseInTransaction();
  for (const TDVXLocalCursor* other : cursors_)
    if (other != &cursor)
      throw EDVXException(kErrEmptyTableOpen, "Cannot delete table '%s'. Table is open by another dataset",
                          {tableName_});
  CheckDeleteAllowed();
  TDVXUnitOfWork work(database_.PageManager(), kSystemSessionID);
  NoteDefinitions(work);
  for (int i = 0; i < IndexCount(); ++i) {
    Index(i).Drop(kSystemSessionID);
    Index(i).IndexDef().SetRootPageNo(-1);
  }
  RecordManager().FreeAllPages(kSystemSessionID);
  BuildIndexes();
  CommitDefinitions(work);
  cursor.SetPosition(true, false, kNoRecordID);
  cursor.FollowIndexChange();
  NoteChangeThrough(&cursor);
}

void TDVXTableData::RenameField(const std::string& oldName, const std::string& newName) {
  TDVXChangeNotices::TScope notices;
  TDVXLockGuard guard(lock_);
  RefuseInTransaction();
  TDVXFieldDefs& fields = Fields();
  const int position = fields.FindByName(oldName);
  if (position < 0) throw EDVXException(kErrRenameFieldMissing, "Field '%s' not found", {oldName});
  const int taken = fields.FindByName(newName);
  // Renaming a field to itself in other letter case is a rename all the
  // same.
  if (taken >= 0 && taken != position)
    throw EDVXException(kErrRenameFieldTaken, "Cannot rename field '%s'. Field '%s' already exists",
                        {oldName, newName});
  TDVXFieldDef& field = *fields.Items(position);
  const TDVXIndexDefs& indexes = indexManager_.IndexDefs();
  for (int i = 0; i < indexes.Count(); ++i)
    for (const TDVXIndexColumn& column : indexes.Items(i)->Columns())
      if (SameName(column.fieldName, field.ObjectName()))
        throw EDVXException(kErrRenameFieldIndexed,
                            "Cannot rename field '%s' in table '%s' - index '%s' includes this field",
                            {oldName, tableName_, indexes.Items(i)->ObjectName()});
  TDVXConstraintDefs& constraints = constraintManager_.ConstraintDefs();
  for (int i = 0; i < constraints.Count(); ++i) {
    const TDVXConstraintDef& c = *constraints.Items(i);
    if (c.ConstraintType() != ctForeignKey) continue;
    for (const TDVXNamedRef& column : static_cast<const TDVXConstraintDefForeignKey&>(c).Columns())
      if (column.id == field.ObjectID())
        throw EDVXException(kErrRenameFieldForeignKey,
                            "Cannot rename field '%s' in table '%s' - foreign key '%s' includes this field",
                            {oldName, tableName_, c.ObjectName()});
  }
  TDVXUnitOfWork work(database_.PageManager(), kSystemSessionID);
  NoteDefinitions(work);
  const std::string previous = field.ObjectName();
  field.SetObjectName(newName);
  for (int i = 0; i < constraints.Count(); ++i) {
    TDVXConstraintDef& c = *constraints.Items(i);
    if (c.ConstraintType() != ctNotNull && c.ConstraintType() != ctCheck) continue;
    auto& fieldConstraint = static_cast<TDVXConstraintDefNotNull&>(c);
    if (SameName(fieldConstraint.FieldName(), previous)) fieldConstraint.SetFieldName(newName);
  }
  CommitDefinitions(work);
  // The operation's own cursor has no observer; every other one hears.
  NoteChangeThrough(nullptr);
}

}  // namespace dvx
