// TDVXTable: copying records between datasets, and restructuring a table
// through a temporary table.
//
// Restructure steps, for table T (names beside T that the component keeps
// for itself: "$N" + T the new table, "$O" + T the old one while they swap):
//
//   1. drop a "$N" + T left over, create it with the new definitions
//   2. copy every record of T into it (fields by name, values converted),
//      raise its autoincrement sequences to T's
//   3. rename T to "$O" + T
//   4. rename "$N" + T to T
//   5. drop "$O" + T
//
// Each step is one change of the database's directory, committed on its
// own. A process that dies between two steps leaves one of these states,
// and RecoverRestructure (run before the table opens and before every
// maintenance operation) finishes or undoes the work:
//
//   T exists, "$N" + T exists, no "$O" + T    died in 1-3: drop "$N" + T (old table)
//   no T, "$O" + T and "$N" + T exist         died after 3: step 4, 5 (new table)
//   no T, only "$O" + T                        (defensive) rename it back to T
//   T exists, "$O" + T exists                 died after 4: step 5 (new table)
//
// So T is always either the old table or the new one with every record.
//
// The new table is made from host definitions, which carry no foreign
// keys: T's own keys and those of other tables that point at T are taken
// off before step 1 and added again after step 5 (to the old table again
// when a step fails), each re-added key checking the records it covers.
// A process that dies between the two keeps the records but not those
// keys.
#include <algorithm>

#include "engine/components/database_error.h"
#include "engine/components/dataset_messages.h"
#include "engine/components/field.h"
#include "engine/components/object_names.h"
#include "engine/components/table.h"
#include "engine/components/table_database.h"
#include "engine/components/table_errors.h"
#include "engine/components/table_internal.h"
#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/schema/constraint_defs.h"
#include "engine/schema/field_def.h"
#include "engine/schema/index_def.h"
#include "engine/schema/sequence_def.h"
#include "engine/schema/sequence_manager.h"
#include "engine/tables/database_data.h"
#include "engine/tables/foreign_keys_involving.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_data.h"
#include "engine/tables/table_operation.h"
#include "engine/values/field_types.h"

namespace dvx {

namespace {

constexpr const char* kNewPrefix = "$N";
constexpr const char* kOldPrefix = "$O";

TDVXSequenceDef* SequenceByID(TDVXTableData& table, int32_t id) {
  TDVXSequenceDefs& defs = table.SequenceManager().SequenceDefs();
  for (int i = 0; i < defs.Count(); ++i)
    if (defs.Items(i)->ObjectID() == id) return defs.Items(i);
  return nullptr;
}

}  // namespace

std::string FillText(const char* format, const std::string& argument) {
  return MessageText(format, {argument});
}

std::string RestructureNewName(const std::string& table) { return kNewPrefix + table; }
std::string RestructureOldName(const std::string& table) { return kOldPrefix + table; }

void RecoverRestructure(TDVXLocalSession& session, const std::string& table) {
  TDVXDatabaseData& database = session.Database();
  const std::string newName = RestructureNewName(table);
  const std::string oldName = RestructureOldName(table);
  const bool hasTable = database.TableExists(table);
  const bool hasNew = database.TableExists(newName);
  const bool hasOld = database.TableExists(oldName);
  if (!hasNew && !hasOld) return;
  if (hasTable) {
    if (hasOld) {
      database.DeleteTable(session, oldName);
      if (hasNew) database.DeleteTable(session, newName);
    } else {
      // The swap never began: the old table stands, the copy goes.
      database.DeleteTable(session, newName);
    }
    return;
  }
  if (hasNew && hasOld) {
    // The copy was complete before the old table moved aside.
    database.RenameTable(session, newName, table);
    database.DeleteTable(session, oldName);
  } else if (hasOld) {
    database.RenameTable(session, oldName, table);
  }
  // Only "$N" + T without T was never made by a restructure (T is renamed
  // away only after the copy is complete and "$O" + T exists); it stays.
}

void TDVXTable::CopyRecordsFrom(TDataSet& source, TDVXTableOperation operation) {
  const bool wasActive = Active();
  if (!wasActive) Open();
  // Pairs of fields with the same name; BLOB values go whole.
  std::vector<std::pair<TField*, TField*>> pairs;
  for (int i = 0; i < FieldCount(); ++i) {
    TField& to = Fields()[i];
    if (to.FieldKind() != fkData) continue;
    if (TField* from = source.FindField(to.FieldName()); from && from->FieldKind() == fkData)
      pairs.emplace_back(from, &to);
  }
  const int64_t total = std::max<int64_t>(1, source.RecordCount());
  int64_t done = 0;
  int lastPercent = -1;
  source.DisableControls();
  DisableControls();
  try {
    source.First();
    while (!source.Eof()) {
      Append();
      for (auto& [from, to] : pairs) {
        if (from->IsNull())
          to->Clear();
        else if (from->IsBlob() || to->IsBlob())
          to->SetAsBytes(from->AsBytes());
        else
          to->SetAsVariant(from->AsVariant());
      }
      Post();
      ++done;
      const int percent = static_cast<int>(done * 100 / total);
      if (OnProgress && percent != lastPercent) {
        lastPercent = percent;
        bool abort = false;
        OnProgress(*this, std::min(percent, 100), operation, abort);
        if (abort) throw EDVXException(kErrRestructure, kSOperationAborted);
      }
      source.Next();
    }
  } catch (...) {
    if (State() == dsInsert) Cancel();
    EnableControls();
    source.EnableControls();
    if (!wasActive) Close();
    throw;
  }
  EnableControls();
  source.EnableControls();
  // Values the source's sequences handed out are not handed out again.
  if (auto* table = dynamic_cast<TDVXTable*>(&source); table && table->Handle() && Handle()) {
    TDVXTableData& from = table->Handle()->Table();
    TDVXTableData& to = Handle()->Table();
    TDVXOperationScope scope(Handle()->Session());
    scope.Touch(to);
    for (int i = 0; i < to.Fields().Count(); ++i) {
      const TDVXFieldDef& field = *to.Fields().Items(i);
      if (!IsAutoincType(field.AdvancedFieldType())) continue;
      const int at = from.Fields().FindByName(field.ObjectName());
      if (at < 0 || !IsAutoincType(from.Fields().Items(at)->AdvancedFieldType())) continue;
      TDVXSequenceDef* was = SequenceByID(from, from.Fields().Items(at)->AutoincSequenceID());
      TDVXSequenceDef* now = SequenceByID(to, field.AutoincSequenceID());
      if (was && now) now->SetCurrentValue(std::max(now->CurrentValue(), was->CurrentValue()));
    }
    scope.Complete();
  }
  if (!wasActive) Close();
}

EDVXException TDVXTable::RestructureStepFailed(const std::string& step, const std::exception& e) const {
  const std::string cause =
      dynamic_cast<const EDVXException*>(&e) ? static_cast<const EDVXException&>(e).Message() : std::string(e.what());
  return EDVXException(kErrRestructure, MessageText(kMsgTableOperationFailed, {"restructure", tableName_}) + step +
                                            kMsgStepDueToError + kLineBreak + cause + kLineBreak);
}

void TDVXTable::RestructureTable(const TFieldDefs& fields, const TIndexDefs& indexes) {
  CheckMaintenance(true);
  TDVXTableDatabase db(nullptr, SessionName(), DatabaseName(), this);
  db.RequireWritable();
  TDVXLocalSession& engine = db.Engine();
  // Engine names from here on; the messages and the tables opened below
  // take the component's (UTF-8) names.
  const std::string table = EngineName(tableName_);
  RecoverRestructure(engine, table);
  auto fail = [&](const std::string& step, const std::exception& e) { return RestructureStepFailed(step, e); };
  TDVXFieldDefs engineFields;
  TDVXIndexDefs engineIndexes;
  TDVXConstraintDefs constraints;
  try {
    BuildEngineDefinitions(fields, indexes, engineFields, engineIndexes, constraints);
    engineFields.RecomputeLayout();
  } catch (const std::exception& e) {
    throw fail(kMsgStepCreateStructure, e);
  }
  std::vector<TDVXDetachedForeignKey> keys;
  size_t detached = 0;
  // Puts back the keys taken off so far; the first failure is the one
  // reported, the others are left to the caller's report.
  auto reattach = [&](bool report) {
    std::exception_ptr first;
    for (size_t i = 0; i < detached; ++i) {
      try {
        AttachForeignKey(engine, keys[i]);
      } catch (const std::exception& e) {
        if (!first) first = std::current_exception();
        if (!report) ReportException(e);
      }
    }
    detached = 0;
    if (first && report) std::rethrow_exception(first);
  };
  try {
    keys = ForeignKeysInvolving(engine, table);
    for (; detached < keys.size(); ++detached) DetachForeignKey(engine, keys[detached]);
  } catch (const std::exception& e) {
    reattach(false);
    throw fail(kMsgStepForeignKeys, e);
  }
  try {
    RebuildThroughTemporary(engine, table, engineFields, engineIndexes, constraints);
  } catch (...) {
    // The old table stands: its keys go back onto it.
    reattach(false);
    throw;
  }
  try {
    reattach(true);
  } catch (const std::exception& e) {
    throw fail(kMsgStepForeignKeys, e);
  }
}

void TDVXTable::RebuildThroughTemporary(TDVXLocalSession& engine, const std::string& table,
                                        const TDVXFieldDefs& engineFields, const TDVXIndexDefs& engineIndexes,
                                        const TDVXConstraintDefs& constraints) {
  TDVXDatabaseData& database = engine.Database();
  const std::string newName = RestructureNewName(table);
  const std::string oldName = RestructureOldName(table);
  const std::string hostNewName = HostName(newName);
  auto fail = [&](const std::string& step, const std::exception& e) {
    return RestructureStepFailed(step, e);
  };
  try {
    TDVXLocalCursor cursor(engine, newName, true);
    cursor.CreateTable(engineFields, engineIndexes, constraints);
  } catch (const std::exception& e) {
    throw fail(FillText(kMsgStepCreateTemporary, hostNewName), e);
  }
  auto dropNew = [&] {
    // The old table is untouched; a copy that failed must not stay. A
    // failure here leaves it for the next recovery.
    try {
      database.DeleteTable(engine, newName);
    } catch (const std::exception& e) {
      ReportException(e);
    }
  };
  {
    TDVXTable source(Owner());
    source.SetSessionName(SessionName());
    source.SetDatabaseName(DatabaseName());
    source.SetTableName(tableName_);
    source.SetExclusive(true);
    source.SetReadOnly(true);
    source.recoverOnOpen_ = false;
    TDVXTable target(Owner());
    target.SetSessionName(SessionName());
    target.SetDatabaseName(DatabaseName());
    target.SetTableName(hostNewName);
    target.SetExclusive(true);
    target.OnProgress = OnProgress;
    target.recoverOnOpen_ = false;
    try {
      source.Open();
    } catch (const std::exception& e) {
      dropNew();
      throw fail(kMsgStepOpenSource, e);
    }
    try {
      target.Open();
    } catch (const std::exception& e) {
      source.Close();
      dropNew();
      throw fail(FillText(kMsgStepOpenTemporary, hostNewName), e);
    }
    try {
      target.CopyRecordsFrom(source, tbopRestructure);
    } catch (const std::exception& e) {
      target.Close();
      source.Close();
      dropNew();
      throw fail(kMsgStepCopyRecords, e);
    }
    source.Close();
    try {
      target.Close();
    } catch (const std::exception& e) {
      dropNew();
      throw fail(kMsgStepCloseTemporary, e);
    }
  }
  try {
    database.RenameTable(engine, table, oldName);
  } catch (const std::exception& e) {
    dropNew();
    throw fail(FillText(kMsgStepRenameTemporary, hostNewName), e);
  }
  try {
    database.RenameTable(engine, newName, table);
  } catch (const std::exception& e) {
    // Back to the old table; what cannot be undone now the recovery does.
    try {
      database.RenameTable(engine, oldName, table);
      database.DeleteTable(engine, newName);
    } catch (const std::exception& undo) {
      ReportException(undo);
    }
    throw fail(FillText(kMsgStepRenameTemporary, hostNewName), e);
  }
  try {
    database.DeleteTable(engine, oldName);
  } catch (const std::exception& e) {
    throw fail(kMsgStepDeleteTable, e);
  }
}

}  // namespace dvx
