// TDVXTable: the table-level maintenance operations. Each works on the
// closed table (EmptyTable also on the open one) through a cursor of its
// own that lives for the operation only.
#include <algorithm>

#include "engine/components/database_error.h"
#include "engine/components/dataset_messages.h"
#include "engine/components/object_names.h"
#include "engine/components/table.h"
#include "engine/components/table_database.h"
#include "engine/components/table_errors.h"
#include "engine/components/table_internal.h"
#include "engine/core/exception.h"
#include "engine/schema/constraint_defs.h"
#include "engine/schema/field_def.h"
#include "engine/schema/index_def.h"
#include "engine/storage/storage_errors.h"
#include "engine/tables/disk_database_data.h"
#include "engine/tables/database_data.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_data.h"
#include "engine/values/field_types.h"

namespace dvx {

namespace {

bool ListHas(const std::vector<std::string>& names, const std::string& name) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& n) { return SameHostName(n, name); });
}

// The host size a field definition gives its engine field: characters of
// strings, bytes of byte fields, nothing for the rest.
int32_t EngineSize(const TFieldDef& def) {
  switch (def.DataType()) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftBytes:
    case ftVarBytes:
      return def.Size();
    default:
      return 0;
  }
}

// A stored table of that name is refused rather than replaced: the
// engine's create drops it, and every record with it. In-memory and
// temporary tables are replaced, as the cursor does for them.
void RefuseStoredTable(TDVXLocalSession& engine, const std::string& hostName) {
  TDVXDatabaseData& database = engine.Database();
  if (dynamic_cast<TDVXDiskDatabaseData*>(&database) && database.TableExists(EngineName(hostName)))
    throw EDVXException(kErrTableExists, kMsgTableExists, {hostName});
}

}  // namespace

void BuildEngineDefinitions(const TFieldDefs& hostFields, const TIndexDefs& hostIndexes, TDVXFieldDefs& fields,
                            TDVXIndexDefs& indexes, TDVXConstraintDefs& constraints) {
  for (int i = 0; i < hostFields.Count(); ++i) {
    const TFieldDef& def = hostFields[i];
    int advanced = ComponentToAdvancedType(def.DataType());
    if (def.DataType() == ftMemo && def.WideMemo()) advanced = aftWideMemo;
    const std::string name = EngineName(def.Name());
    fields.Add(name, advanced, EngineSize(def));
    if (def.Required()) constraints.AddNotNull()->SetFieldName(name);
  }
  for (int i = 0; i < hostIndexes.Count(); ++i) {
    const TIndexDef& def = hostIndexes[i];
    TDVXIndexDef* index = indexes.Add(EngineName(def.Name()));
    const TIndexDef caseIns("", def.CaseInsFields());
    const TIndexDef desc("", def.DescFields());
    const std::vector<std::string> caseInsList = caseIns.FieldList();
    const std::vector<std::string> descList = desc.FieldList();
    for (const std::string& field : def.FieldList())
      index->AddColumn(EngineName(field), def.Options().descending || ListHas(descList, field),
                       def.Options().caseInsensitive || ListHas(caseInsList, field));
    index->SetPrimary(def.Options().primary);
    index->SetUnique(def.Options().unique && !def.Options().primary);
  }
}

void TDVXTable::BuildEngineDefs(TDVXFieldDefs& fields, TDVXIndexDefs& indexes, TDVXConstraintDefs& constraints) {
  BuildEngineDefinitions(FieldDefs(), IndexDefs(), fields, indexes, constraints);
}

void TDVXTable::CheckMaintenance(bool needClosed) const {
  if (needClosed) CheckInactive();
  if (tableName_.empty()) Fail(kMsgMissingTableName);
}

void TDVXTable::CreateTable() {
  CheckMaintenance(true);
  TDVXTableDatabase db(nullptr, SessionName(), DatabaseName(), this);
  db.RequireWritable();
  TDVXFieldDefs fields;
  TDVXIndexDefs indexes;
  TDVXConstraintDefs constraints;
  BuildEngineDefs(fields, indexes, constraints);
  RefuseStoredTable(db.Engine(), tableName_);
  TDVXLocalCursor cursor(db.Engine(), EngineName(tableName_), true);
  cursor.CreateTable(fields, indexes, constraints);
}

void TDVXTable::DeleteTable() {
  CheckMaintenance(true);
  TDVXTableDatabase db(nullptr, SessionName(), DatabaseName(), this);
  db.RequireWritable();
  TDVXLocalCursor cursor(db.Engine(), EngineName(tableName_), true);
  cursor.DeleteTable();
}

void TDVXTable::EmptyTable() {
  if (Active()) {
    TDVXDataSet::EmptyTable();
    return;
  }
  CheckMaintenance(true);
  TDVXTableDatabase db(nullptr, SessionName(), DatabaseName(), this);
  db.RequireWritable();
  TDVXLocalCursor cursor(db.Engine(), EngineName(tableName_), exclusive_);
  cursor.EmptyTable();
}

void TDVXTable::RenameTable(const std::string& newName) {
  CheckMaintenance(true);
  TDVXTableDatabase db(nullptr, SessionName(), DatabaseName(), this);
  db.RequireWritable();
  const std::string engineNewName = EngineName(newName);
  TDVXLocalCursor cursor(db.Engine(), EngineName(tableName_), true);
  cursor.RenameTable(engineNewName);
  tableName_ = newName;
}

void TDVXTable::AddIndex(const std::string& name, const std::string& fields, TIndexOptions options,
                         const std::string& descFields, const std::string& caseInsFields) {
  CheckMaintenance(true);
  TDVXTableDatabase db(nullptr, SessionName(), DatabaseName(), this);
  db.RequireWritable();
  if (!exclusive_) throw EDVXException(kErrAddIndexNotExclusive, kMsgNotExclusive, {tableName_});
  if (name.empty() || EngineName(name).size() > 255)
    throw EDVXException(kErrAddIndexInvalidName, kMsgInvalidIndexName, {name});
  TDVXLocalCursor cursor(db.Engine(), EngineName(tableName_), true);
  cursor.Open();
  const TDVXFieldDefs& tableFields = cursor.Table().Fields();
  TIndexDefs host;
  TIndexDef& def = host.Add(name, fields, options);
  def.SetDescFields(descFields);
  def.SetCaseInsFields(caseInsFields);
  if (def.FieldList().empty()) throw EDVXException(kErrAddIndexField, kMsgCannotFindIndexField, {fields});
  for (const std::string& field : def.FieldList())
    if (tableFields.FindByName(EngineName(field)) < 0) throw EDVXException(kErrAddIndexField, kMsgCannotFindIndexField, {field});
  TDVXFieldDefs noFields;
  TDVXIndexDefs indexes;
  TDVXConstraintDefs noConstraints;
  BuildEngineDefinitions(TFieldDefs(), host, noFields, indexes, noConstraints);
  cursor.AddIndex(*indexes.Items(0));
}

void TDVXTable::DeleteIndex(const std::string& name) {
  CheckMaintenance(true);
  TDVXTableDatabase db(nullptr, SessionName(), DatabaseName(), this);
  db.RequireWritable();
  if (!exclusive_) throw EDVXException(kErrDeleteIndexNotExclusive, kMsgNotExclusive, {tableName_});
  if (name.empty()) throw EDVXException(kErrDeleteIndexInvalidName, kMsgInvalidIndexName, {name});
  TDVXLocalCursor cursor(db.Engine(), EngineName(tableName_), true);
  cursor.DeleteIndex(EngineName(name));
}

void TDVXTable::ImportTable(TDataSet& source) {
  CheckMaintenance(true);
  const bool wasActive = source.Active();
  try {
    {
      // Before the component's definitions give way to the source's.
      TDVXTableDatabase db(nullptr, SessionName(), DatabaseName(), this);
      RefuseStoredTable(db.Engine(), tableName_);
    }
    if (!wasActive) source.Open();
    FieldDefs().Clear();
    for (int i = 0; i < source.FieldDefs().Count(); ++i) {
      const TFieldDef& def = source.FieldDefs()[i];
      TFieldDef& copy = FieldDefs().Add(def.Name(), def.DataType(), def.Size(), def.Required());
      copy.SetWideMemo(def.WideMemo());
    }
    IndexDefs().Clear();
    for (int i = 0; i < source.IndexDefs().Count(); ++i) {
      const TIndexDef& def = source.IndexDefs()[i];
      TIndexDef& copy = IndexDefs().Add(def.Name(), def.Fields(), def.Options());
      copy.SetDescFields(def.DescFields());
      copy.SetCaseInsFields(def.CaseInsFields());
    }
    SetStoreDefs(true);
    CreateTable();
  } catch (const EDVXException& e) {
    if (!wasActive && source.Active()) source.Close();
    throw EDVXException(kErrImportCreate, FillText(kMsgImportCreate, e.Message()) + kLineBreak);
  } catch (const EDatabaseError& e) {
    if (!wasActive && source.Active()) source.Close();
    throw EDVXException(kErrImportCreate, FillText(kMsgImportCreate, e.Message()) + kLineBreak);
  }
  try {
    CopyRecordsFrom(source, tbopImport);
  } catch (const EDVXException& e) {
    if (!wasActive && source.Active()) source.Close();
    throw EDVXException(kErrImportCopy, FillText(kMsgImportCopy, e.Message()) + kLineBreak);
  } catch (const EDatabaseError& e) {
    if (!wasActive && source.Active()) source.Close();
    throw EDVXException(kErrImportCopy, FillText(kMsgImportCopy, e.Message()) + kLineBreak);
  }
  if (!wasActive) source.Close();
}

}  // namespace dvx
