#include "engine/query/query.h"

#include <functional>
#include <sstream>

#include "engine/components/data_source.h"
#include "engine/components/database.h"
#include "engine/components/table.h"
#include "engine/components/table_errors.h"
#include "engine/components/dataset_errors.h"
#include "engine/components/dataset_messages.h"
#include "engine/components/object_names.h"
#include "engine/components/session.h"
#include "engine/components/session_list.h"
#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/query/query_data_link.h"
#include "engine/query/query_services.h"
#include "engine/query/query_sessions.h"
#include "engine/query/sql_processor.h"
#include "engine/tables/local_cursor.h"
#include "engine/values/field_types.h"

namespace dvx {

namespace {

constexpr const char* kMsgNoSQLStatement = "No SQL statement available";
constexpr const char* kMsgExecuteBlocked = "Execute SQL script is blocked by database event";
constexpr const char* kMsgNoResultSet = "The statement returns no result set";

}  // namespace

TDVXQuery::TDVXQuery(TComponent* owner) : TDVXDataSet(owner) {
  // Filters of any dataset may hold subqueries from now on.
  InstallQueryServices();
}

TDVXQuery::~TDVXQuery() {
  try {
    Close();
  } catch (const std::exception& e) {
    HandleException(e);
  }
  dataLink_.reset();
  processor_.reset();
  sessions_.reset();
}

TDataSource* TDVXQuery::DataSource() const { return dataLink_ ? dataLink_->DataSource() : nullptr; }

void TDVXQuery::SetDataSource(TDataSource* source) {
  for (TDataSource* at = source; at != nullptr;) {
    TDataSet* dataSet = at->DataSet();
    if (dataSet == this) Fail(kMsgCircularDataLink);
    if (auto* query = dynamic_cast<TDVXQuery*>(dataSet))
      at = query->DataSource();
    else if (auto* table = dynamic_cast<TDVXTable*>(dataSet))
      at = table->MasterSource();
    else
      at = nullptr;
  }
  if (!dataLink_) dataLink_ = std::make_unique<TDVXQueryDataLink>(*this);
  dataLink_->SetDataSource(source);
}

void TDVXQuery::SetSQL(const std::vector<std::string>& lines) {
  if (lines == sql_) return;
  Close();
  sql_ = lines;
  TextChanged();
}

void TDVXQuery::SetSQLText(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  SetSQL(lines);
}

std::string TDVXQuery::SQLText() const {
  std::string text;
  for (size_t i = 0; i < sql_.size(); ++i) text += (i ? "\n" : "") + sql_[i];
  return text;
}

void TDVXQuery::SetRequestLive(bool live) {
  CheckInactive();
  requestLive_ = live;
}

void TDVXQuery::TextChanged() {
  ReleaseStatement();
  if (!paramCheck_) return;
  // A new collection from the markers, keeping the values of parameters
  // whose names survive.
  TDVXQueryParams fresh;
  for (const std::string& name : ParseParamNames(SQLText())) fresh.Add(name);
  fresh.AssignValues(params_);
  params_.Clear();
  for (int i = 0; i < fresh.Count(); ++i) params_.Add(fresh.Items(i).Name()).Assign(fresh.Items(i));
}

void TDVXQuery::CompileStatement(TDVXLocalSession& session) {
  if (Handle()) Fail(kSDataSetOpen);
  if (processor_) return;
  const std::string text = SQLText();
  if (text.size() < 2) Fail(kMsgNoSQLStatement);
  sessions_ = std::make_unique<TDVXLocalQuerySessions>(&session, DatabaseName());
  TDVXSQLSettings settings;
  settings.databaseName = DatabaseName();
  settings.sessionName = SessionName();
  settings.inMemory = InMemory();
  settings.requestLive = requestLive_;
  settings.events = &events_;
  processor_ = std::make_unique<TDVXLocalSQLProcessor>(*sessions_, settings);
  processor_->SetSQL(Utf8ToAnsi(text));
}

void TDVXQuery::WireRecordEvents(TDVXDatabase* database) {
  events_ = TDVXSQLRecordEvents();
  if (!database) return;
  // Only events assigned now are wired: the statement compiles again at
  // every run, and records are read for the events only when one listens.
  auto record = [this, database](TDVXDatabase::TRecordEvent TDVXDatabase::*event, int32_t code, const char* message) {
    return [this, database, event, code, message](const std::string& table, const std::vector<TDVXVariant>& values) {
      bool abort = false;
      (database->*event)(*database, *this, HostName(table), values, abort);
      if (abort && code) throw EDVXException(code, message);
    };
  };
  auto update = [this, database](TDVXDatabase::TUpdateRecordEvent TDVXDatabase::*event, int32_t code,
                                 const char* message) {
    return [this, database, event, code, message](const std::string& table, const std::vector<TDVXVariant>& oldValues,
                                                  const std::vector<TDVXVariant>& newValues) {
      bool abort = false;
      (database->*event)(*database, *this, HostName(table), oldValues, newValues, abort);
      if (abort && code) throw EDVXException(code, message);
    };
  };
  if (database->BeforeInsertRecord)
    events_.beforeInsert = record(&TDVXDatabase::BeforeInsertRecord, kErrInsertBlocked, kMsgInsertBlocked);
  if (database->AfterInsertRecord) events_.afterInsert = record(&TDVXDatabase::AfterInsertRecord, 0, "");
  if (database->BeforeDeleteRecord)
    events_.beforeDelete = record(&TDVXDatabase::BeforeDeleteRecord, kErrDeleteBlocked, kMsgDeleteBlocked);
  if (database->AfterDeleteRecord) events_.afterDelete = record(&TDVXDatabase::AfterDeleteRecord, 0, "");
  if (database->BeforeUpdateRecord)
    events_.beforeUpdate = update(&TDVXDatabase::BeforeUpdateRecord, kErrUpdateBlocked, kMsgUpdateBlocked);
  if (database->AfterUpdateRecord) events_.afterUpdate = update(&TDVXDatabase::AfterUpdateRecord, 0, "");
}

void TDVXQuery::ReleaseStatement() {
  if (processor_ && rememberRowsAffected_) rowsAffected_ = processor_->RowsAffected();
  rememberRowsAffected_ = false;
  processor_.reset();
  sessions_.reset();
}

void TDVXQuery::PassParams() {
  // Parameters not given a value take the master's field of their name.
  if (TDataSet* master = dataLink_ ? dataLink_->DataSet() : nullptr; master && master->Active()) {
    for (int i = 0; i < params_.Count(); ++i) {
      TDVXQueryParam& p = params_.Items(i);
      if (p.Bound()) continue;
      if (TField* field = master->FindField(p.Name())) {
        TDVXVariant value = field->AsVariant();
        if (p.DataType() == ftUnknown) p.SetDataType(field->DataType());
        p.SetValue(value);
        p.SetBound(false);
      }
    }
  }
  TDVXSQLParams& target = processor_->Params();
  target.Clear();
  for (int i = 0; i < params_.Count(); ++i) {
    const TDVXQueryParam& p = params_.Items(i);
    TDVXSQLParam& out = target.Add();
    out.SetName(p.Name());
    if (p.IsNull()) {
      out.Clear();
      continue;
    }
    if (p.DataType() == ftBlob || p.DataType() == ftGraphic) {
      const std::string bytes = p.Value().GetAsString();
      out.SetBuffer(bytes.data(), static_cast<int32_t>(bytes.size()), true, bftBlob);
      continue;
    }
    TDVXVariant value(p.Value());
    const int advanced = p.DataType() == ftUnknown ? aftUnknown : ComponentToAdvancedType(p.DataType());
    if (advanced != aftUnknown) {
      const uint8_t base = static_cast<uint8_t>(AdvancedToBaseType(advanced));
      if (base != value.DataType()) value.ConvertTo(base);
    }
    static_cast<TDVXVariant&>(out).Assign(value, true);
  }
}

std::unique_ptr<TDVXLocalCursor> TDVXQuery::Execute(TDVXDatabase& database, bool withResult) {
  if (sql_.empty()) Fail(kMsgNoSQLStatement);
  if (database.BeforeExecuteSQL) {
    bool abort = false;
    database.BeforeExecuteSQL(database, SQLText(), abort);
    if (abort) Fail(kMsgExecuteBlocked);
  }
  TDVXLocalSession* session = database.Handle();
  if (!session) Fail(kMsgNoSQLStatement);
  CompileStatement(*session);
  WireRecordEvents(&database);
  rememberRowsAffected_ = !withResult;
  std::unique_ptr<TDVXLocalCursor> cursor;
  try {
    PassParams();
    processor_->Execute(true);
    if (withResult) {
      cursor = processor_->TakeResultCursor();
      if (!cursor) Fail(kMsgNoResultSet);
      resultMadeReadOnly_ = !ReadOnly() && processor_->ReadOnlyResult();
      TakeReadOnlyFromSource(processor_->ReadOnlyResult());
    }
  } catch (...) {
    ReleaseStatement();
    throw;
  }
  if (database.AfterExecuteSQL) database.AfterExecuteSQL(database, SQLText());
  return cursor;
}

std::unique_ptr<TDVXLocalCursor> TDVXQuery::CreateHandle() {
  // The dataset holds its database while it opens.
  ReleaseStatement();
  return Execute(*Database(), true);
}

void TDVXQuery::InternalClose() {
  // The result cursor goes first; its temporary table lives in a session
  // of the statement's.
  TDVXDataSet::InternalClose();
  ReleaseStatement();
  if (resultMadeReadOnly_) {
    resultMadeReadOnly_ = false;
    SetReadOnly(false);
  }
}

void TDVXQuery::WithDatabase(const std::function<void(TDVXDatabase&)>& work) {
  CheckInactive();
  TDVXSession& session = TDVXSessionList::Instance().GetSession(SessionName());
  std::string reason;
  TDVXDatabase* database = session.AcquireDatabase(DatabaseName(), Owner(), &reason);
  if (!database) Fail("Cannot open database " + DatabaseName() + (reason.empty() ? "" : " - " + reason));
  try {
    work(*database);
  } catch (...) {
    session.ReleaseDatabase(database);
    throw;
  }
  session.ReleaseDatabase(database);
}

void TDVXQuery::Prepare() {
  WithDatabase([&](TDVXDatabase& database) {
    if (!database.Handle()) Fail(kMsgNoSQLStatement);
    CompileStatement(*database.Handle());
  });
}

void TDVXQuery::UnPrepare() { ReleaseStatement(); }

void TDVXQuery::ExecSQL() {
  WithDatabase([&](TDVXDatabase& database) {
    ReleaseStatement();
    Execute(database, false);
    ReleaseStatement();
  });
}

int64_t TDVXQuery::RowsAffected() const {
  if (processor_ && !rememberRowsAffected_) return processor_->RowsAffected();
  return rowsAffected_;
}

}  // namespace dvx
