// TDVXTable: properties, opening the cursor and the choice of the active
// index, also while open.
#include <cstring>

#include "engine/components/data_source.h"
#include "engine/components/database.h"
#include "engine/components/dataset_errors.h"
#include "engine/components/object_names.h"
#include "engine/components/session.h"
#include "engine/components/session_list.h"
#include "engine/components/table.h"
#include "engine/components/table_errors.h"
#include "engine/components/table_internal.h"
#include "engine/components/table_master_link.h"
#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/schema/constraint_defs.h"
#include "engine/schema/field_def.h"
#include "engine/schema/index_def.h"
#include "engine/tables/database_data.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_data.h"

namespace dvx {

namespace {

// The index's columns as "A;B;C".
std::string JoinedColumns(const TDVXIndexDef& index) {
  std::string names;
  for (const TDVXIndexColumn& column : index.Columns()) names += (names.empty() ? "" : ";") + column.fieldName;
  return names;
}

// "A; b ;C" as "A;B;C" upper-cased, for comparing field lists.
std::string NormalFieldList(const std::string& names) {
  std::string result, item;
  auto flush = [&] {
    const size_t first = item.find_first_not_of(' ');
    const size_t last = item.find_last_not_of(' ');
    if (first != std::string::npos) result += (result.empty() ? "" : ";") + item.substr(first, last - first + 1);
    item.clear();
  };
  for (char c : names) {
    if (c == ';') flush();
    else item += c;
  }
  flush();
  return AnsiUpperCase(result);
}

// The engine index a (UTF-8) index text names: by name, or for field
// names the first index whose columns are exactly the fields, else the
// first whose leading columns are. "" for an empty text.
std::string ResolveIndexOn(const TDVXIndexDefs& indexes, const std::string& text, bool fieldNames) {
  if (text.empty()) return std::string();
  if (!fieldNames) {
    const int at = indexes.FindByName(EngineName(text));
    if (at < 0) throw EDVXException(kErrFindIndex, kMsgFindIndex, {text});
    return indexes.Items(at)->ObjectName();
  }
  const std::string wanted = NormalFieldList(EngineName(text));
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < indexes.Count(); ++i) {
      const std::string columns = AnsiUpperCase(JoinedColumns(*indexes.Items(i)));
      if (columns == wanted || (pass == 1 && columns.compare(0, wanted.size() + 1, wanted + ";") == 0))
        return indexes.Items(i)->ObjectName();
    }
  }
  throw EDVXException(kErrFindIndex, kMsgFindIndex, {text});
}

}  // namespace

TDVXTable::TDVXTable(TComponent* owner) : TDVXDataSet(owner) {}

TDVXTable::~TDVXTable() {
  try {
    Close();
  } catch (const std::exception& e) {
    HandleException(e);
  }
  masterLink_.reset();
}

std::string TDVXTable::ActiveIndex() const { return HostName(activeIndex_); }

void TDVXTable::SetTableName(const std::string& name) {
  CheckInactive();
  tableName_ = name;
}

void TDVXTable::SetExclusive(bool exclusive) {
  CheckInactive();
  exclusive_ = exclusive;
}

void TDVXTable::SetTemporaryTable(bool temporary) {
  CheckInactive();
  if (temporary) SetDatabaseName(kTemporaryDatabaseName);
  temporary_ = temporary;
}

void TDVXTable::SetIndexName(const std::string& name) {
  if (!indexIsFieldNames_ && name == indexText_) return;
  ChangeIndex(name, false);
}

void TDVXTable::SetIndexFieldNames(const std::string& names) {
  if (indexIsFieldNames_ && names == indexText_) return;
  // An empty text clears both kinds.
  ChangeIndex(names, !names.empty());
}

bool TDVXTable::Exists() {
  if (Active()) return Handle() != nullptr;
  if (tableName_.empty()) return false;
  TDVXSession& session = TDVXSessionList::Instance().GetSession(SessionName());
  TDVXDatabase* database = session.AcquireDatabase(DatabaseName(), Owner(), nullptr);
  if (!database) return false;
  bool exists = false;
  try {
    exists = database->TableExists(tableName_);
  } catch (...) {
    session.ReleaseDatabase(database);
    throw;
  }
  session.ReleaseDatabase(database);
  return exists;
}

std::string TDVXTable::ResolveIndex(const std::string& text, bool fieldNames) const {
  return ResolveIndexOn(CheckHandle(kErrNilCursorIndex).Table().IndexManager().IndexDefs(), text, fieldNames);
}

std::unique_ptr<TDVXLocalCursor> TDVXTable::CreateHandle() {
  if (tableName_.empty()) Fail(kMsgMissingTableName);
  TDVXLocalSession* session = EngineSession();
  if (!session) throw EDVXException(kErrOpenCannotCreateCursor, kMsgCannotCreateCursor);
  // A restructure that a dying process left half done is finished or
  // undone before anyone reads the table.
  const std::string engineName = EngineName(tableName_);
  if (recoverOnOpen_ && Database() && !Database()->ReadOnly()) RecoverRestructure(*session, engineName);
  auto cursor = std::make_unique<TDVXLocalCursor>(*session, engineName, exclusive_);
  // Only in-memory and temporary tables come into being at open; a stored
  // table must exist, and the cursor's open says so when it does not.
  const bool resident = InMemory() || temporary_ || AnsiUpperCase(DatabaseName()) == kTemporaryDatabaseName;
  if (resident && !session->Database().TableExists(engineName) && FieldDefs().Count() > 0) {
    TDVXFieldDefs fields;
    TDVXIndexDefs indexes;
    TDVXConstraintDefs constraints;
    BuildEngineDefs(fields, indexes, constraints);
    cursor->CreateTable(fields, indexes, constraints);
  }
  cursor->Open();
  TakeReadOnlyFromSource(Database() && Database()->ReadOnly());
  // The index is resolved on the cursor being opened, before the dataset
  // holds it.
  const std::string index = ResolveIndexOn(cursor->Table().IndexManager().IndexDefs(), indexText_, indexIsFieldNames_);
  if (!index.empty()) cursor->SetCurrentIndex(index);
  activeIndex_ = index;
  return cursor;
}

void TDVXTable::PrepareCursor() {
  keyBuffers_.assign(kKeyBufferCount, std::vector<uint8_t>(static_cast<size_t>(BufferSize()), 0));
  keyEntry_ = -1;
  rangeApplied_ = false;
  // The framework reads the first records after this: the range is
  // only handed to the cursor.
  if (masterLink_ && masterLink_->Linked()) SetMasterRangeKeys();
}

void TDVXTable::UnprepareCursor() {
  keyBuffers_.clear();
  keyEntry_ = -1;
  rangeApplied_ = false;
  rangeStartSet_ = rangeEndSet_ = appliedStartSet_ = appliedEndSet_ = false;
  activeIndex_.clear();
}

void TDVXTable::ChangeIndex(const std::string& text, bool fieldNames) {
  if (!Active()) {
    indexText_ = text;
    indexIsFieldNames_ = fieldNames;
    return;
  }
  LeaveEditState();
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorIndex);
  const std::string index = ResolveIndex(text, fieldNames);
  // The record stays current: its position is taken by record ID, which
  // does not depend on the order.
  UpdateCursorPos();
  const bool hadRecord = !IsEmpty();
  const TDVXBookmark mark = cursor.GetBookmark();
  const std::string previous = activeIndex_;
  cursor.SetCurrentIndex(index);
  activeIndex_ = index;
  try {
    RebuildIndexFieldMap();
  } catch (...) {
    cursor.SetCurrentIndex(previous);
    activeIndex_ = previous;
    RebuildIndexFieldMap();
    throw;
  }
  indexText_ = text;
  indexIsFieldNames_ = fieldNames;
  rangeApplied_ = false;
  rangeStartSet_ = rangeEndSet_ = appliedStartSet_ = appliedEndSet_ = false;
  for (TKeyIndex key : {kiRangeStart, kiRangeEnd, kiCurRangeStart, kiCurRangeEnd}) ClearKeyBuffer(key);
  if (masterLink_ && masterLink_->Linked()) SetMasterRangeKeys();
  CursorPosChanged();
  if (hadRecord && cursor.GotoBookmark(mark) == grrDone) {
    Resync(rmCenter);
  } else {
    First();
  }
}

}  // namespace dvx
