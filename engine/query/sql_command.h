#pragma once
// TDVXSQLCommand: the base of every statement the SQL processor runs. A
// command is made over the lexer standing on its statement's first token,
// parses itself (Parse, called by the processor right after making it),
// then runs (Execute). TDVXSQLCursorCommand is the base of the statements
// that produce rows through a tree of operators: it runs the tree and
// keeps its result (a cursor over a temporary table, or over the base table
// itself for a live result) until the command is freed.
#include <cstdint>
#include <memory>
#include <string>

#include "engine/sql/expr_services.h"
#include "engine/sql/lexer.h"
#include "engine/query/sql_record_events.h"

namespace dvx {

class TDVXAO;
class TDVXLocalCursor;
class TDVXQuerySessions;

// What every statement of one run shares.
struct TDVXSQLContext {
  TDVXQuerySessions* sessions = nullptr;
  // Database name, session name, in-memory setting and parameters.
  TDVXExprEnvironment environment;
  // Null: the installed services.
  TDVXExprServices* services = nullptr;
  bool requestLive = false;
  // Told of each record the statement changes; null: nobody listens.
  const TDVXSQLRecordEvents* events = nullptr;
};

class TDVXSQLCommand {
 public:
  TDVXSQLCommand(TDVXLexer& lexer, const TDVXSQLContext& context) : lexer_(lexer), context_(context) {}
  virtual ~TDVXSQLCommand() = default;
  TDVXSQLCommand(const TDVXSQLCommand&) = delete;
  TDVXSQLCommand& operator=(const TDVXSQLCommand&) = delete;

  virtual void Parse() = 0;
  // Runs the statement; `readOnly` is set to whether its result (if any)
  // cannot be edited.
  virtual void Execute(bool open, bool& readOnly, bool requestLive) = 0;
  // The statement's rows, standing before the first; null when it has none.
  virtual TDVXLocalCursor* GetResultCursor() { return nullptr; }
  int32_t RowsAffected() const { return rowsAffected_; }

 protected:
  TDVXLexer& lexer_;
  TDVXSQLContext context_;
  int32_t rowsAffected_ = 0;
};

class TDVXSQLCursorCommand : public TDVXSQLCommand {
 public:
  using TDVXSQLCommand::TDVXSQLCommand;
  ~TDVXSQLCursorCommand() override;

  void Execute(bool open, bool& readOnly, bool requestLive) override;
  TDVXLocalCursor* GetResultCursor() override { return result_.get(); }
  // Hands the result cursor over (the query component's dataset keeps it).
  std::unique_ptr<TDVXLocalCursor> TakeResultCursor() { return std::move(result_); }
  // Runs the statement to its materialized result rows (never live, never
  // INTO): what a subquery reads.
  std::unique_ptr<TDVXAO> ExecuteToRows();

  // The operator tree, opened, with its result materialized; or, when
  // `allowLive` and the statement reads one table directly, the table's
  // cursor as `live` (and no operator).
  virtual std::unique_ptr<TDVXAO> BuildOperatorTree(bool allowLive, std::unique_ptr<TDVXLocalCursor>& live) = 0;

 protected:
  // The INTO target (set by the parse).
  bool hasInto_ = false;
  bool intoInMemory_ = false;
  std::string intoDatabase_;
  std::string intoTable_;

 private:
  std::unique_ptr<TDVXAO> tree_;
  std::unique_ptr<TDVXLocalCursor> result_;
};

}  // namespace dvx
