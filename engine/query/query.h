#pragma once
// TDVXQuery: the dataset whose records come from an SQL statement. It keeps
// the statement's text as lines, derives its parameters from the ":name"
// markers (with ParamCheck), hands text and parameter values to the
// engine's SQL processor and shows the result cursor it returns.
//
// States: closed and not compiled → (Open) compiled and open → (Close)
// closed and not compiled. Opening always compiles again, so a changed
// text or parameter value takes effect at the next open. The result can be
// edited only when RequestLive was asked and the statement reads one table
// directly; otherwise it is read-only.
//
// Names and texts are UTF-8 on this side (the SQL text, parameter
// strings); the engine sees Windows-1252.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/components/dvx_dataset.h"
#include "engine/query/query_params.h"
#include "engine/query/sql_record_events.h"

namespace dvx {

class TDataSource;
class TDVXDatabase;
class TDVXLocalSQLProcessor;
class TDVXLocalQuerySessions;
class TDVXQueryDataLink;

class TDVXQuery : public TDVXDataSet {
 public:
  explicit TDVXQuery(TComponent* owner = nullptr);
  ~TDVXQuery() override;

  const std::vector<std::string>& SQL() const { return sql_; }
  // A different text closes the query first; parameters are derived again.
  void SetSQL(const std::vector<std::string>& lines);
  // The text split into lines.
  void SetSQLText(const std::string& text);
  std::string SQLText() const;

  // The master: unbound parameters take the values of its fields of the
  // same names, and the query follows its record. A source whose chain of
  // masters leads back to the query is refused ("Circular datalinks are
  // not allowed").
  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* source);

  bool ParamCheck() const { return paramCheck_; }
  void SetParamCheck(bool on) { paramCheck_ = on; }
  bool RequestLive() const { return requestLive_; }
  void SetRequestLive(bool live);
  TDVXQueryParams& Params() { return params_; }
  TDVXQueryParam& ParamByName(const std::string& name) { return params_.ParamByName(name); }
  TDVXQueryParam& ParamNamed(const std::string& name) { return params_.ParamByName(name); }

  // Compiles the statement without running it ("Cannot perform this
  // operation on an open dataset" while open, "No SQL statement available"
  // for a text under two characters).
  void Prepare();
  void UnPrepare();
  bool Prepared() const { return processor_ != nullptr; }
  // Runs the statement without a result set (the query must be closed).
  void ExecSQL();
  // Rows affected by the last execution; -1 before any.
  int64_t RowsAffected() const;

 protected:
  std::unique_ptr<TDVXLocalCursor> CreateHandle() override;
  void InternalClose() override;

 private:
  void TextChanged();
  // Runs `work` on the query's database, held for the call (inactive
  // queries only).
  void WithDatabase(const std::function<void(TDVXDatabase&)>& work);
  void CompileStatement(TDVXLocalSession& session);
  void ReleaseStatement();
  // The database component's record events, for the records the statement
  // changes: they receive this query as their dataset.
  void WireRecordEvents(TDVXDatabase* database);
  // Runs the statement on `database`; with a result set its cursor.
  std::unique_ptr<TDVXLocalCursor> Execute(TDVXDatabase& database, bool withResult);
  void PassParams();

  std::vector<std::string> sql_;
  bool paramCheck_ = true;
  bool requestLive_ = false;
  TDVXQueryParams params_;
  std::unique_ptr<TDVXQueryDataLink> dataLink_;
  std::unique_ptr<TDVXLocalQuerySessions> sessions_;
  std::unique_ptr<TDVXLocalSQLProcessor> processor_;
  TDVXSQLRecordEvents events_;
  int64_t rowsAffected_ = -1;
  // The last open made the query read-only because its result was; the
  // close gives the query back its own setting.
  bool resultMadeReadOnly_ = false;
  bool rememberRowsAffected_ = false;
};

}  // namespace dvx
