#include "engine/query/sql_restructure.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "engine/components/table_internal.h"
#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/query/dml_support.h"
#include "engine/query/query_errors.h"
#include "engine/schema/constraint_defs.h"
#include "engine/schema/field_def.h"
#include "engine/schema/index_def.h"
#include "engine/schema/record_buffer.h"
#include "engine/schema/sequence_def.h"
#include "engine/schema/sequence_manager.h"
#include "engine/tables/cursor_row_source.h"
#include "engine/tables/database_data.h"
#include "engine/tables/foreign_keys_involving.h"
#include "engine/tables/index.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_data.h"
#include "engine/tables/table_operation.h"
#include "engine/values/field_types.h"
#include "engine/values/value_slot.h"

namespace dvx {

namespace {

TDVXSequenceDef* SequenceByID(TDVXTableData& table, int32_t id) {
  TDVXSequenceDefs& defs = table.SequenceManager().SequenceDefs();
  for (int i = 0; i < defs.Count(); ++i)
    if (defs.Items(i)->ObjectID() == id) return defs.Items(i);
  return nullptr;
}

void CopyRecords(TDVXLocalSession& session, const std::string& from, const std::string& to) {
  TDVXLocalCursor source(session, from, true);
  source.Open();
  TDVXLocalCursor target(session, to, true);
  target.Open();
  const TDVXFieldDefs& sourceFields = source.Fields();
  const TDVXFieldDefs& targetFields = target.Fields();
  std::vector<std::pair<int, int>> pairs;
  for (int i = 0; i < targetFields.Count(); ++i) {
    const int at = sourceFields.FindByName(targetFields.Items(i)->ObjectName());
    if (at >= 0) pairs.emplace_back(at, i);
  }
  TDVXOperationScope copy(session);
  copy.Touch(target.Table());
  source.First();
  TDVXVariant value;
  while (source.GetRecord(grmNext) == grrDone) {
    target.NewRecord();
    const uint8_t* record = source.Record();
    for (auto [s, t] : pairs) {
      const TDVXFieldDef& def = *sourceFields.Items(s);
      if (IsNull(s, record)) {
        StoreFieldValue(target, t, nullptr);
        continue;
      }
      if (IsBlobType(def.BaseFieldType()))
        ReadWholeBlob(source, s, record, value);
      else
        ReadFieldSlot(value, def.BaseFieldType(), record + def.MemoryOffset(), def.MemoryDataSize(), true);
      StoreFieldValue(target, t, &value);
    }
    RaiseIfFailed(target.InsertRecord());
  }
  // Values the old sequences handed out are not handed out again.
  TDVXTableData& was = source.Table();
  TDVXTableData& now = target.Table();
  for (int i = 0; i < now.Fields().Count(); ++i) {
    const TDVXFieldDef& field = *now.Fields().Items(i);
    if (!IsAutoincType(field.AdvancedFieldType())) continue;
    const int at = was.Fields().FindByName(field.ObjectName());
    if (at < 0 || !IsAutoincType(was.Fields().Items(at)->AdvancedFieldType())) continue;
    TDVXSequenceDef* old = SequenceByID(was, was.Fields().Items(at)->AutoincSequenceID());
    TDVXSequenceDef* fresh = SequenceByID(now, field.AutoincSequenceID());
    if (old && fresh) fresh->SetCurrentValue(std::max(fresh->CurrentValue(), old->CurrentValue()));
  }
  copy.Complete();
}

void Rebuild(TDVXLocalSession& session, const std::string& table, const TDVXFieldDefs& fields,
             const TDVXIndexDefs& indexes, const TDVXConstraintDefs& constraints);

}  // namespace

void ReadTableDefinitions(TDVXLocalSession& session, const std::string& table, TDVXFieldDefs& fields,
                          TDVXIndexDefs& indexes, TDVXConstraintDefs& constraints) {
  TDVXLocalCursor cursor(session, table, true);
  cursor.Open();
  TDVXTableData& data = cursor.Table();
  fields.Assign(data.Fields());
  indexes.Assign(data.IndexManager().IndexDefs());
  for (int i = 0; i < indexes.Count(); ++i) indexes.Items(i)->SetRootPageNo(-1);
  const TDVXConstraintDefs& own = data.ConstraintManager().ConstraintDefs();
  for (int i = 0; i < own.Count(); ++i) {
    const TDVXConstraintDef& c = *own.Items(i);
    // Foreign keys are taken off and put back by the rebuild itself.
    if (c.ConstraintType() == ctNotNull) {
      constraints.AddNotNull()->SetFieldName(static_cast<const TDVXConstraintDefNotNull&>(c).FieldName());
    } else if (c.ConstraintType() == ctCheck) {
      const auto& from = static_cast<const TDVXConstraintDefCheck&>(c);
      TDVXConstraintDefCheck* check = constraints.AddCheck();
      check->SetFieldName(from.FieldName());
      check->MinValue() = from.MinValue();
      check->MaxValue() = from.MaxValue();
    }
  }
}

void RecoverTableRebuild(TDVXLocalSession& session, const std::string& table) {
  TDVXDatabaseData& database = session.Database();
  if (database.TableExists(RestructureNewName(table)) || database.TableExists(RestructureOldName(table)))
    RecoverRestructure(session, table);
}

void RebuildTable(TDVXLocalSession& session, const std::string& table, const TDVXFieldDefs& fields,
                  const TDVXIndexDefs& indexes, const TDVXConstraintDefs& constraints) {
  RecoverTableRebuild(session, table);
  // The new table is made without foreign keys: the table's own keys and
  // those of other tables pointing at it come off first and go back on
  // afterwards (onto the old table again when the rebuild fails), each
  // checking the records it covers. A key that cannot go back fails the
  // statement after the rebuild.
  const std::vector<TDVXDetachedForeignKey> keys = ForeignKeysInvolving(session, table);
  // A key that could not go back would be lost with the old table: the
  // new definitions must keep what each key needs.
  for (const TDVXDetachedForeignKey& key : keys) {
    if (SameName(key.table, table)) {
      for (const TDVXNamedRef& column : key.definition.Columns())
        if (fields.FindByName(column.name) < 0)
          throw EDVXException(kErrRebuildForeignKey, "Foreign key '%s' of table '%s' needs field '%s'",
                              {key.definition.ObjectName(), key.table, column.name});
    }
    if (SameName(key.definition.Table().name, table)) {
      const TDVXIndexDef* primary = indexes.FindPrimary();
      if (!primary || primary->Columns().size() != key.definition.Columns().size())
        throw EDVXException(kErrRebuildForeignKey, "Foreign key '%s' of table '%s' needs the primary key of table '%s'",
                            {key.definition.ObjectName(), key.table, table});
    }
  }
  size_t detached = 0;
  auto reattach = [&](bool report) {
    std::exception_ptr first;
    for (size_t i = 0; i < detached; ++i) {
      try {
        AttachForeignKey(session, keys[i]);
      } catch (const EDVXException&) {
        if (!first) first = std::current_exception();
      }
    }
    detached = 0;
    if (first && report) std::rethrow_exception(first);
  };
  try {
    for (; detached < keys.size(); ++detached)
      DetachForeignKey(session, keys[detached]);
    Rebuild(session, table, fields, indexes, constraints);
  } catch (...) {
    reattach(false);
    throw;
  }
  reattach(true);
}

namespace {

void Rebuild(TDVXLocalSession& session, const std::string& table, const TDVXFieldDefs& fields,
             const TDVXIndexDefs& indexes, const TDVXConstraintDefs& constraints) {
  TDVXDatabaseData& database = session.Database();
  const std::string newName = RestructureNewName(table);
  const std::string oldName = RestructureOldName(table);
  TDVXFieldDefs newFields;
  newFields.Assign(fields);
  for (int i = 0; i < newFields.Count(); ++i) newFields.Items(i)->SetAutoincSequenceID(-1);
  newFields.RecomputeLayout();
  {
    TDVXLocalCursor creator(session, newName, true);
    creator.CreateTable(newFields, indexes, constraints);
  }
  auto dropNew = [&] {
    try {
      database.DeleteTable(session, newName);
    } catch (const EDVXException&) {
      // Left for the next recovery, which drops it while T stands.
    }
  };
  try {
    CopyRecords(session, table, newName);
    database.RenameTable(session, table, oldName);
  } catch (...) {
    // T stands as it was.
    if (!database.TableExists(table)) RecoverRestructure(session, table);
    dropNew();
    throw;
  }
  try {
    database.RenameTable(session, newName, table);
  } catch (...) {
    try {
      database.RenameTable(session, oldName, table);
      database.DeleteTable(session, newName);
    } catch (const EDVXException&) {
      // The next recovery finishes what is left.
    }
    throw;
  }
  // T is the new table now. The old one is tried twice: left over, it is
  // dropped by the next recovery, but until then it would hold the old
  // data under its temporary name.
  try {
    database.DeleteTable(session, oldName);
  } catch (const EDVXException&) {
    database.DeleteTable(session, oldName);
  }
}

}  // namespace

}  // namespace dvx
