// Definition operations on foreign keys: adding one, removing a constraint
// (with the counterpart of a foreign key in the other table), following a
// renamed table, and what dropping a table leaves to remove elsewhere.
//
// Each operation edits the definitions of one or more tables in memory and
// then writes all of them through the system change set, committed at
// once as one unit of work: the definitions belong to the database, not to
// a session's transaction, and either every table holds the change or none
// does (a failed write puts the definitions in memory back as they were).
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/schema/table_definitions.h"
#include "engine/storage/owner_ids.h"
#include "engine/tables/database_data.h"
#include "engine/tables/foreign_key_errors.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_change_notices.h"
#include "engine/tables/table_data.h"
#include "engine/tables/table_data_errors.h"
#include "engine/tables/unit_of_work.h"

namespace dvx {

namespace {

// The tables whose constraint definitions one operation changes, each
// locked and kept open for the operation's length; the change is one unit
// of work, which puts every table's constraints back unless it commits.
class TConstraintChange {
 public:
  explicit TConstraintChange(TDVXLocalSession& session)
      : session_(session), work_(session.Database().PageManager(), kSystemSessionID) {}
  TConstraintChange(const TConstraintChange&) = delete;
  TConstraintChange& operator=(const TConstraintChange&) = delete;

  // The constraints of `table`, to be changed.
  TDVXConstraintDefs& Edit(TDVXTableData& table) {
    for (TEdited& e : edited_)
      if (e.table == &table) return table.ConstraintManager().ConstraintDefs();
    edited_.emplace_back(&table);
    TEdited& e = edited_.back();
    e.lock = std::unique_lock<TDVXCriticalSection>(table.Lock());
    auto before = std::make_shared<TDVXConstraintDefs>();
    before->Assign(table.ConstraintManager().ConstraintDefs());
    // The definitions are durable with the pages the table's indexes live
    // in (the database's for a disk table).
    work_.OnUndo(table.IndexPageManager(),
                 [&table, before] { table.ConstraintManager().ConstraintDefs().Assign(*before); });
    return table.ConstraintManager().ConstraintDefs();
  }
  // Another table by name, opened in the session for the operation's
  // length; null when it does not exist.
  TDVXTableData* Open(const std::string& tableName) {
    if (!session_.Database().TableExists(tableName)) return nullptr;
    cursors_.push_back(std::make_unique<TDVXLocalCursor>(session_, tableName));
    cursors_.back()->Open();
    return &cursors_.back()->Table();
  }
  TDVXUnitOfWork& Work() { return work_; }

  void Commit() {
    for (TEdited& e : edited_) e.table->SaveDefinitions(kSystemSessionID);
    work_.Commit(true);
    // The cursors this change opened have no observers; every other
    // cursor on an edited table hears of it.
    for (TEdited& e : edited_) e.table->NoteChangeThrough(nullptr);
  }

 private:
  struct TEdited {
    explicit TEdited(TDVXTableData* t) : table(t) {}
    TDVXTableData* table;
    std::unique_lock<TDVXCriticalSection> lock;
  };

  TDVXLocalSession& session_;
  // Destroyed in reverse order: the unit is undone while the tables are
  // locked, and the cursors close after the locks are released.
  std::vector<std::unique_ptr<TDVXLocalCursor>> cursors_;
  std::list<TEdited> edited_;
  TDVXUnitOfWork work_;
};

bool IsForeignKeyKind(const TDVXConstraintDef& c) {
  return c.ConstraintType() == ctForeignKey || c.ConstraintType() == ctForeignKeyAction;
}

// Removes a foreign key or action and, unless kept, its counterpart named
// by the key pair in the table named by the table pair.
void RemoveForeignKeyKind(TConstraintChange& change, TDVXTableData& table, int position, bool keepCounterpart) {
  TDVXConstraintDefs& defs = change.Edit(table);
  const auto& c = static_cast<const TDVXConstraintDefForeignKeyAction&>(*defs.Items(position));
  const TDVXNamedRef other = c.Table();
  const std::string key = c.Key().name;
  defs.Delete(position);
  if (keepCounterpart) return;
  TDVXTableData* partner = SameName(other.name, table.TableName()) ? &table : change.Open(other.name);
  if (!partner) return;
  TDVXConstraintDefs& partnerDefs = change.Edit(*partner);
  const int at = partnerDefs.FindByName(key);
  // A counterpart already gone, or a constraint of another kind that took
  // its name, is left alone.
  if (at >= 0 && IsForeignKeyKind(*partnerDefs.Items(at))) partnerDefs.Delete(at);
}

}  // namespace

void TDVXTableData::AddForeignKey(TDVXLocalCursor& cursor, const TDVXConstraintDefForeignKey& definition) {
  TDVXChangeNotices::TScope notices;
  CheckForeignKeysAllowed();
  // The key and its action draw identifiers: first above every one the
  // file holds, as for a new table or index.
  database_.SyncObjectIDCounter();
  std::lock_guard foreignKeys(database_.ForeignKeyLock());
  TDVXLockGuard guard(lock_);
  TDVXConstraintDefForeignKey fk;
  fk.Assign(definition);
  TDVXConstraintDefs& mine = constraintManager_.ConstraintDefs();
  if (fk.ObjectName().empty()) {
    // Named as a table's unnamed foreign keys are at creation, free among
    // this table's constraints.
    TDVXConstraintDefs scratch;
    do {
      scratch.Clear();
      scratch.AddForeignKey();
      NameConstraints(scratch);
    } while (mine.FindByName(scratch.Items(0)->ObjectName()) >= 0);
    fk.SetObjectName(scratch.Items(0)->ObjectName());
  }
  const std::string& name = fk.ObjectName();
  if (mine.FindByName(name) >= 0)
    throw EDVXException(kErrForeignKeyNameTaken,
                        "Cannot create foreign key '%s' in table '%s' - constraint with such name already exists",
                        {name, tableName_});
  // Codes the stored form cannot hold would leave both tables unreadable.
  if (fk.MatchType() > mtPartial)
    throw EDVXException(kErrForeignKeyMatchType,
                        "Error checking constraint foreign key '%s' in table '%s' - invalid match type = %d",
                        {name, tableName_, static_cast<int32_t>(fk.MatchType())});
  for (const uint8_t code : {fk.DeleteAction(), fk.UpdateAction()})
    if (code > raNoAction)
      throw EDVXException(kErrForeignKeyActionInvalid,
                          "Error - invalid foreign key action (%d) in table '%s' referencing foreign key '%s' in "
                          "table '%s'",
                          {static_cast<int32_t>(code), fk.Table().name, name, tableName_});
  for (TDVXNamedRef& column : fk.Columns()) {
    const TDVXMetaObjectDef* field = Fields().GetByName(column.name);
    if (!field)
      throw EDVXException(kErrForeignKeyNewColumn, "Cannot create foreign key '%s' - column '%s' does not exist in table '%s'",
                          {name, column.name, tableName_});
    column.id = field->ObjectID();
  }
  const std::string& referenced = fk.Table().name;
  if (!database_.TableExists(referenced))
    throw EDVXException(kErrReferencedTableMissing,
                        "Invalid foreign key '%s' definition in table '%s' - referenced table '%s' does not exist",
                        {name, tableName_, referenced});
  TConstraintChange change(cursor.Session());
  TDVXTableData& target = SameName(referenced, tableName_) ? *this : *change.Open(referenced);
  const TDVXIndexDef* primary = target.IndexManager().IndexDefs().FindPrimary();
  if (!primary)
    throw EDVXException(kErrForeignKeyNoPrimary,
                        "Error checking constraint foreign key '%s' in table '%s' - primary key not found in "
                        "referenced table '%s'",
                        {name, tableName_, referenced});
  if (primary->Columns().size() != fk.Columns().size())
    throw EDVXException(kErrForeignKeyPrimaryColumns,
                        "Error checking constraint foreign key '%s' in table '%s' - primary key '%s' has invalid "
                        "number of columns in referenced table '%s'",
                        {name, tableName_, primary->ObjectName(), referenced});
  // The records already there must hold the new key (checked before the
  // key exists, so no check of another foreign key runs twice).
  TDVXRecordIDList ids;
  TDVXScanOptions all;
  all.list = &ids;
  Scan(cursor, nullptr, all);
  std::vector<uint8_t> record;
  for (const TDVXRecordID& id : ids) {
    if (!ReadStored(cursor.SessionID(), id, record))
      throw EDVXException(kErrLoadRecord, "Error - cannot load record (PageNo = %d, PageItemNo = %d) in table '%s'",
                          {id.pageNo, static_cast<int32_t>(id.itemNo), tableName_});
    CheckForeignKey(cursor, fk, record.data());
  }
  TDVXConstraintDefs& targetDefs = change.Edit(target);
  TDVXConstraintDefs& ownDefs = change.Edit(*this);
  {
    TDVXLockGuard databaseGuard(database_.Lock());
    TDVXSequenceDef& counter = database_.ObjectIDCounter();
    fk.SetObjectID(DrawObjectID(counter));
    const TDVXConstraintDefForeignKeyAction* action = CreateForeignKeyAction(targetDefs, fk, tableName_, counter);
    fk.Key() = {action->ObjectName(), action->ObjectID()};
  }
  ownDefs.AddForeignKey()->Assign(fk);
  change.Commit();
}

void TDVXTableData::DeleteConstraint(TDVXLocalSession& session, const std::string& name, bool keepCounterpart,
                                     bool force) {
  TDVXChangeNotices::TScope notices;
  std::lock_guard foreignKeys(database_.ForeignKeyLock());
  TDVXLockGuard guard(lock_);
  TDVXConstraintDefs& mine = constraintManager_.ConstraintDefs();
  const int position = mine.FindByName(name);
  if (position < 0)
    throw EDVXException(kErrConstraintMissing, "Error - constraint '%s' does not exist in table '%s'",
                        {name, tableName_});
  TConstraintChange change(session);
  const TDVXConstraintDef& c = *mine.Items(position);
  if (IsForeignKeyKind(c)) {
    RemoveForeignKeyKind(change, *this, position, keepCounterpart);
  } else if (c.ConstraintType() == ctPrimaryKey) {
    if (mine.HasForeignKeyActions() && !force)
      throw EDVXException(kErrPrimaryKeyReferenced,
                          "Cannot delete constraint primary key '%s' in table '%s' - foreign key(s) referencing this "
                          "table exists",
                          {name, tableName_});
    const int32_t indexID = static_cast<const TDVXConstraintDefPrimary&>(c).Pairs()[2].id;
    for (int i = mine.Count() - 1; i >= 0; --i)
      if (mine.Items(i)->ConstraintType() == ctForeignKeyAction) RemoveForeignKeyKind(change, *this, i, false);
    change.Edit(*this).Delete(mine.FindByName(name));
    // The primary index goes with its constraint; its definitions and
    // pages are put back as they were when the change is not committed.
    auto indexesBefore = std::make_shared<TDVXIndexDefs>();
    indexesBefore->Assign(indexManager_.IndexDefs());
    change.Work().OnUndo(IndexPageManager(), [this, indexesBefore] {
      indexManager_.IndexDefs().Assign(*indexesBefore);
      BuildIndexes();
    });
    DropIndexPages(indexID, kSystemSessionID);
    change.Commit();
    return;
  } else {
    // A unique constraint's index stays; it only no longer refuses
    // duplicates.
    change.Edit(*this).Delete(position);
  }
  change.Commit();
}

void TDVXTableData::DropIndexPages(int32_t indexID, int32_t session) {
  TDVXIndexDefs& defs = indexManager_.IndexDefs();
  const int position = defs.FindByID(indexID);
  if (position < 0) return;
  Index(position).Drop(session);
  defs.Delete(position);
  BuildIndexes();
  SaveState(session);
}

bool TDVXTableData::RenameTableReferences(const std::string& oldName, const std::string& newName) {
  bool changed = false;
  TDVXConstraintDefs& defs = constraintManager_.ConstraintDefs();
  for (int i = 0; i < defs.Count(); ++i) {
    if (!IsForeignKeyKind(*defs.Items(i))) continue;
    TDVXNamedRef& table = static_cast<TDVXConstraintDefForeignKeyAction*>(defs.Items(i))->Table();
    if (!SameName(table.name, oldName)) continue;
    table.name = newName;
    changed = true;
  }
  return changed;
}

std::vector<TDVXTableData::TConstraintRef> TDVXTableData::ForeignKeyCounterparts() const {
  std::vector<TConstraintRef> refs;
  const TDVXConstraintDefs& defs = constraintManager_.ConstraintDefs();
  for (int i = 0; i < defs.Count(); ++i) {
    if (!IsForeignKeyKind(*defs.Items(i))) continue;
    const auto& c = static_cast<const TDVXConstraintDefForeignKeyAction&>(*defs.Items(i));
    if (!SameName(c.Table().name, tableName_)) refs.push_back({c.Table().name, c.Key().name});
  }
  return refs;
}

void TDVXTableData::RemoveConstraints(TDVXLocalSession& session, const std::vector<TConstraintRef>& constraints) {
  TDVXChangeNotices::TScope notices;
  std::lock_guard foreignKeys(session.Database().ForeignKeyLock());
  TConstraintChange change(session);
  for (const TConstraintRef& ref : constraints) {
    TDVXTableData* table = change.Open(ref.tableName);
    if (!table) continue;
    TDVXConstraintDefs& defs = change.Edit(*table);
    const int at = defs.FindByName(ref.constraintName);
    if (at >= 0 && IsForeignKeyKind(*defs.Items(at))) defs.Delete(at);
  }
  change.Commit();
}

void TDVXTableData::FollowRenamedTable(TDVXLocalSession& session, const std::vector<std::string>& tables,
                                       const std::string& oldName, const std::string& newName) {
  TDVXChangeNotices::TScope notices;
  std::lock_guard foreignKeys(session.Database().ForeignKeyLock());
  TConstraintChange change(session);
  for (const std::string& name : tables) {
    TDVXTableData* table = change.Open(name);
    if (!table) continue;
    change.Edit(*table);
    table->RenameTableReferences(oldName, newName);
  }
  change.Commit();
}

}  // namespace dvx
