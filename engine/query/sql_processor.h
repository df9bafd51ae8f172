#pragma once
// TDVXSQLProcessor / TDVXLocalSQLProcessor: runs an SQL text, statement by
// statement (statements end at ";"), for the query component and the
// command line.
//
// For each statement: the command of the previous one is freed (a command
// whose rows are the run's result so far is kept), the first token picks
// the command ("SELECT" or "(": a query; INSERT, UPDATE, DELETE, START,
// COMMIT, ROLLBACK: the data-changing and transaction statements; CREATE,
// DROP, ALTER, RENAME: the definition statements), the command parses itself and runs, its rows
// affected are added to the run's total, and when it has rows its cursor
// becomes the run's result, standing on its first row (at its end when
// it has none). An error of a
// statement ends the run; statements already run stay done.
//
// Execute returns the cursor of the last statement that gave rows (null
// when none did); it stays valid until the next Execute or the processor
// goes.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/query/query_services.h"
#include "engine/query/sql_record_events.h"
#include "engine/values/sql_param.h"

namespace dvx {

class TDVXAO;
class TDVXLexer;
class TDVXLocalCursor;
class TDVXQuerySessions;
class TDVXSQLCommand;

struct TDVXSQLSettings {
  std::string databaseName;
  std::string sessionName;
  bool inMemory = false;
  bool requestLive = false;
  // Told of each record a data-changing statement changes; null: nobody
  // listens. Not owned.
  const TDVXSQLRecordEvents* events = nullptr;
};

class TDVXSQLProcessor {
 public:
  virtual ~TDVXSQLProcessor() = default;
  virtual TDVXLocalCursor* Execute(bool open = true) = 0;
};

class TDVXLocalSQLProcessor : public TDVXSQLProcessor {
 public:
  TDVXLocalSQLProcessor(TDVXQuerySessions& sessions, TDVXSQLSettings settings);
  ~TDVXLocalSQLProcessor() override;

  void SetSQL(std::string sql) { sql_ = std::move(sql); }
  const std::string& SQL() const { return sql_; }
  TDVXSQLParams& Params() { return params_; }
  const TDVXSQLSettings& Settings() const { return settings_; }
  void SetRequestLive(bool live) { settings_.requestLive = live; }
  void SetInMemory(bool inMemory) { settings_.inMemory = inMemory; }

  TDVXLocalCursor* Execute(bool open = true) override;
  // The text's one query run to its rows (subqueries); a text that is no
  // single query raises as Execute would.
  std::unique_ptr<TDVXAO> ExecuteToRows();

  // Hands the cursor Execute returned over to the caller; it needs the
  // sessions this processor was made with, not the processor.
  std::unique_ptr<TDVXLocalCursor> TakeResultCursor();

  bool ReadOnlyResult() const { return readOnly_; }
  int64_t RowsAffected() const { return rowsAffected_; }

  // Told of each statement after it ran, before the next one is parsed
  // (the command line prints each statement's rows there).
  using TStatementObserver = std::function<void(TDVXSQLCommand& command)>;
  void SetStatementObserver(TStatementObserver observer) { observer_ = std::move(observer); }

 private:
  std::unique_ptr<TDVXSQLCommand> Dispatch(TDVXLexer& lexer);

  TDVXQuerySessions& sessions_;
  TDVXSQLSettings settings_;
  TDVXQueryServices services_;
  std::string sql_;
  TDVXSQLParams params_;
  bool readOnly_ = true;
  int64_t rowsAffected_ = 0;
  TStatementObserver observer_;
  // The lexer outlives the commands made over it.
  std::unique_ptr<TDVXLexer> lexer_;
  std::unique_ptr<TDVXSQLCommand> result_;
  std::unique_ptr<TDVXSQLCommand> command_;
};

}  // namespace dvx
