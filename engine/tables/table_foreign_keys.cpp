// Foreign keys at work: the referenced-row check of an insert or update,
// and the actions that follow a change of a referenced row.
//
// A foreign key lives in the referencing table; its action, with the same
// columns and action codes, in the referenced table. Columns pair up by
// position with the referenced table's primary key.
//
// A row's own change is made before the actions of its foreign keys run,
// all in one operation of the session: the referencing rows are then
// checked against the referenced table as it will stand (a cascaded key
// finds its new row, a default finds whatever row it names), a row that
// refers to itself is seen already changed, so a cycle of cascades ends,
// and any refusal, however deep, takes every change of the operation back.
#include <memory>
#include <string>
#include <vector>

#include "engine/core/exception.h"
#include "engine/schema/record_buffer.h"
#include "engine/sql/expression.h"
#include "engine/tables/database_data.h"
#include "engine/tables/foreign_key_errors.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_data.h"
#include "engine/tables/table_row_source.h"
#include "engine/values/value_slot.h"

namespace dvx {

namespace {

// Scopes of one record operation that an action chain may nest before it
// is taken for a loop of definitions rather than data; far below what the
// stack holds.
constexpr int kMaxActionDepth = 400;

TDVXVariant FieldValue(const TDVXFieldDefs& fields, int fieldNo, const uint8_t* record) {
  TDVXVariant value;
  if (IsNull(fieldNo, record)) return value;
  const TDVXFieldDef& f = *fields.Items(fieldNo);
  ReadFieldSlot(value, f.BaseFieldType(), record + f.MemoryOffset(), f.MemoryDataSize(), false);
  return value;
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) joined += (joined.empty() ? "" : ";") + name;
  return joined;
}

// The records of the cursor's table whose fields equal the values; a
// field compared with NULL matches no record.
TDVXRecordIDList FindRows(TDVXLocalCursor& cursor, const std::vector<std::string>& fieldNames,
                          const std::vector<TDVXVariant>& values) {
  TDVXTableData& table = cursor.Table();
  TDVXTableRowSource row(table.Fields());
  TDVXExpression expression;
  expression.BuildLocate(&row, JoinNames(fieldNames), values, false, false);
  TDVXRecordIDList ids;
  TDVXScanOptions options;
  options.list = &ids;
  table.Scan(cursor, &expression, options);
  return ids;
}

// Whether the cursor's table holds a record whose primary key equals the
// values, one for each key column: a probe of the primary index, then the
// record found compared with the values as the scan compares them (the
// index may ignore case, and a value longer than its key column is cut in
// the key).
bool HasPrimaryKey(TDVXLocalCursor& cursor, const TDVXIndexDef& primary, const std::vector<TDVXVariant>& values) {
  const TDVXFieldDefs& fields = cursor.Fields();
  std::vector<int> fieldNos;
  for (const TDVXIndexColumn& column : primary.Columns()) {
    const int fieldNo = fields.FindByName(column.fieldName);
    if (fieldNo < 0) return false;
    fieldNos.push_back(fieldNo);
  }
  cursor.SetCurrentIndex(primary.ObjectName());
  uint8_t* key = cursor.KeyBuffer().data();
  for (size_t i = 0; i < fieldNos.size(); ++i) {
    const TDVXFieldDef& f = *fields.Items(fieldNos[i]);
    const bool stored = WriteFieldSlot(values[i], f.BaseFieldType(), key + f.MemoryOffset(), f.MemoryDataSize());
    SetNull(!stored, fieldNos[i], key);
  }
  cursor.SetKeyFieldCount(static_cast<int32_t>(fieldNos.size()));
  if (!cursor.GotoKey(ctEqual)) return false;
  for (size_t i = 0; i < fieldNos.size(); ++i) {
    const TDVXVariant found = FieldValue(fields, fieldNos[i], cursor.Record());
    if (found.IsNull() || found.Compare(values[i]) != 0) return false;
  }
  return true;
}

// The referenced side of every foreign key; null when the table has none.
const TDVXIndexDef* PrimaryKey(TDVXTableData& table) { return table.IndexManager().IndexDefs().FindPrimary(); }

// A table the operation may change stays loaded until the operation ends:
// its object carries the state a failure has to put back. One cursor of
// the operation holds it open.
void KeepLoaded(TDVXLocalSession& session, TDVXTableData& table) {
  auto& cursors = session.Operation().cursors;
  for (const auto& cursor : cursors)
    if (&cursor->Table() == &table) return;
  auto cursor = std::make_shared<TDVXLocalCursor>(session, table.TableName());
  cursor->Open();
  cursors.push_back(std::move(cursor));
}

}  // namespace

std::unique_lock<TDVXCriticalSection> TDVXTableData::LockForeignKeys() {
  const TDVXConstraintDefs& c = constraintManager_.ConstraintDefs();
  if (!c.HasForeignKeys() && !c.HasForeignKeyActions()) return {};
  return std::unique_lock<TDVXCriticalSection>(database_.ForeignKeyLock());
}

void TDVXTableData::CheckForeignKey(TDVXLocalCursor& cursor, const TDVXConstraintDefForeignKey& foreignKey,
                                    const uint8_t* buffer) {
  const std::string& name = foreignKey.ObjectName();
  const auto& columns = foreignKey.Columns();
  std::vector<int> fieldNos;
  size_t nulls = 0;
  for (size_t i = 0; i < columns.size(); ++i) {
    const int fieldNo = Fields().FindByID(columns[i].id);
    if (fieldNo < 0)
      throw EDVXException(kErrForeignKeyColumn,
                          "Error checking constraint foreign key '%s' in table '%s' - invalid column specification, "
                          "column index = %d, column object id = %d",
                          {name, tableName_, static_cast<int32_t>(i), columns[i].id});
    fieldNos.push_back(fieldNo);
    if (IsNull(fieldNo, buffer)) ++nulls;
  }
  switch (foreignKey.MatchType()) {
    case mtSimple:
      if (nulls > 0) return;
      break;
    case mtFull:
      if (nulls == columns.size()) return;
      if (nulls > 0)
        throw EDVXException(kErrForeignKeyViolated, "Constraint foreign key '%s' violated in table '%s'",
                            {name, tableName_});
      break;
    case mtPartial:
      // The columns that are not NULL must meet a row.
      if (nulls == columns.size()) return;
      break;
    default:
      throw EDVXException(kErrForeignKeyMatchType,
                          "Error checking constraint foreign key '%s' in table '%s' - invalid match type = %d",
                          {name, tableName_, static_cast<int32_t>(foreignKey.MatchType())});
  }
  const std::string& referenced = foreignKey.Table().name;
  TDVXLocalCursor target(cursor.Session(), referenced);
  try {
    target.Open();
  } catch (const EDVXException& e) {
    throw EDVXException(kErrForeignKeyOpenReferenced,
                        "Error checking constraint foreign key '%s' in table '%s' - cannot open referenced table due "
                        "to error: %s",
                        {name, tableName_, e.Message()});
  }
  const TDVXIndexDef* primary = PrimaryKey(target.Table());
  if (!primary)
    throw EDVXException(kErrForeignKeyNoPrimary,
                        "Error checking constraint foreign key '%s' in table '%s' - primary key not found in "
                        "referenced table '%s'",
                        {name, tableName_, referenced});
  if (primary->Columns().size() != columns.size())
    throw EDVXException(kErrForeignKeyPrimaryColumns,
                        "Error checking constraint foreign key '%s' in table '%s' - primary key '%s' has invalid "
                        "number of columns in referenced table '%s'",
                        {name, tableName_, primary->ObjectName(), referenced});
  std::vector<std::string> names;
  std::vector<TDVXVariant> values;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (IsNull(fieldNos[i], buffer)) continue;
    names.push_back(primary->Columns()[i].fieldName);
    values.push_back(FieldValue(Fields(), fieldNos[i], buffer));
  }
  // A whole key is probed in the referenced primary index; a partial match
  // (some columns NULL) looks for any row with the other columns' values.
  const bool found = names.size() == columns.size() ? HasPrimaryKey(target, *primary, values)
                                                    : !FindRows(target, names, values).empty();
  if (!found)
    throw EDVXException(kErrForeignKeyViolated, "Constraint foreign key '%s' violated in table '%s'",
                        {name, tableName_});
}

void TDVXTableData::RunForeignKeyActions(TDVXLocalSession& session, const uint8_t* old, const uint8_t* updated) {
  const TDVXConstraintDefs& constraints = constraintManager_.ConstraintDefs();
  const TDVXIndexDef* primary = PrimaryKey(*this);
  if (updated && primary) {
    // Only a change of the referenced key concerns the referencing rows.
    bool changed = false;
    for (const TDVXIndexColumn& column : primary->Columns()) {
      const int fieldNo = Fields().FindByName(column.fieldName);
      if (fieldNo < 0) continue;
      const TDVXVariant before = FieldValue(Fields(), fieldNo, old);
      const TDVXVariant after = FieldValue(Fields(), fieldNo, updated);
      changed = changed || before.IsNull() != after.IsNull() || (!before.IsNull() && before.Compare(after) != 0);
    }
    if (!changed) return;
  }
  if (session.Operation().depth > kMaxActionDepth)
    throw EDVXException(kErrForeignKeyActionsTooDeep, "Error - foreign key actions nested too deeply in table '%s'",
                        {tableName_});
  for (int i = 0; i < constraints.Count(); ++i) {
    if (constraints.Items(i)->ConstraintType() != ctForeignKeyAction) continue;
    const auto& action = static_cast<const TDVXConstraintDefForeignKeyAction&>(*constraints.Items(i));
    if ((updated ? action.UpdateAction() : action.DeleteAction()) == raNoAction) continue;
    RunForeignKeyAction(session, action, old, updated);
  }
}

void TDVXTableData::RunForeignKeyAction(TDVXLocalSession& session, const TDVXConstraintDefForeignKeyAction& action,
                                        const uint8_t* old, const uint8_t* updated) {
  const std::string& foreignKey = action.Key().name;
  const std::string& referencing = action.Table().name;
  const TDVXIndexDef* primary = PrimaryKey(*this);
  if (!primary)
    throw EDVXException(kErrForeignKeyActionNoPrimary,
                        "Error checking constraint foreign key '%s' in table '%s' - primary key not found in "
                        "referenced table '%s'",
                        {foreignKey, referencing, tableName_});
  if (primary->Columns().size() != action.Columns().size())
    throw EDVXException(kErrForeignKeyPrimaryColumns,
                        "Error checking constraint foreign key '%s' in table '%s' - primary key '%s' has invalid "
                        "number of columns in referenced table '%s'",
                        {foreignKey, referencing, primary->ObjectName(), tableName_});
  TDVXLocalCursor target(session, referencing);
  target.Open();
  TDVXTableData& table = target.Table();
  KeepLoaded(session, table);
  std::vector<std::string> names;
  std::vector<int> fieldNos;
  std::vector<TDVXVariant> oldKey;
  std::vector<TDVXVariant> newKey;
  for (size_t i = 0; i < action.Columns().size(); ++i) {
    const std::string& column = action.Columns()[i].name;
    const int fieldNo = table.Fields().FindByName(column);
    if (fieldNo < 0)
      throw EDVXException(kErrForeignKeyActionField,
                          "Invalid foreign key '%s' definition in table '%s' - field '%s' does not exist",
                          {foreignKey, referencing, column});
    const int keyNo = Fields().FindByName(primary->Columns()[i].fieldName);
    if (keyNo < 0)
      throw EDVXException(kErrForeignKeyActionField,
                          "Invalid foreign key '%s' definition in table '%s' - field '%s' does not exist",
                          {foreignKey, tableName_, primary->Columns()[i].fieldName});
    names.push_back(column);
    fieldNos.push_back(fieldNo);
    oldKey.push_back(FieldValue(Fields(), keyNo, old));
    if (updated) newKey.push_back(FieldValue(Fields(), keyNo, updated));
  }
  const TDVXRecordIDList rows = FindRows(target, names, oldKey);
  if (rows.empty()) return;
  const int code = updated ? action.UpdateAction() : action.DeleteAction();
  std::vector<TDVXVariant> values;
  switch (code) {
    case raRestrict:
      if (updated)
        throw EDVXException(kErrForeignKeyRestrictUpdate,
                            "Cannot update record(s) in table '%s' - constraint foreign key '%s' in table '%s' violated",
                            {tableName_, foreignKey, referencing});
      throw EDVXException(kErrForeignKeyRestrictDelete,
                          "Cannot delete record(s) in table '%s' - constraint foreign key '%s' in table '%s' violated",
                          {tableName_, foreignKey, referencing});
    case raCascade:
      if (!updated) {
        table.DeleteRecords(target, rows);
        return;
      }
      values = newKey;
      break;
    case raSetNull:
      values.assign(fieldNos.size(), TDVXVariant());
      break;
    case raSetDefault:
      for (int fieldNo : fieldNos) values.push_back(table.Fields().Items(fieldNo)->DefaultValue().Value());
      break;
    default:
      throw EDVXException(kErrForeignKeyActionInvalid,
                          "Error - invalid foreign key action (%d) in table '%s' referencing foreign key '%s' in "
                          "table '%s'",
                          {static_cast<int32_t>(code), tableName_, foreignKey, referencing});
  }
  table.UpdateRecords(target, rows, fieldNos, values);
}

}  // namespace dvx
