#include "engine/query/sql_processor.h"

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/query/ao.h"
#include "engine/query/query_errors.h"
#include "engine/query/sql_command.h"
#include "engine/query/sql_ddl_index.h"
#include "engine/query/sql_ddl_table.h"
#include "engine/query/sql_insert.h"
#include "engine/query/sql_transaction.h"
#include "engine/query/sql_union.h"
#include "engine/query/sql_update.h"
#include "engine/query/unexpected_end.h"
#include "engine/sql/lexer.h"
#include "engine/sql/sql_errors.h"
#include "engine/tables/local_cursor.h"

namespace dvx {

TDVXLocalSQLProcessor::TDVXLocalSQLProcessor(TDVXQuerySessions& sessions, TDVXSQLSettings settings)
    : sessions_(sessions), settings_(std::move(settings)), services_(sessions) {}

TDVXLocalSQLProcessor::~TDVXLocalSQLProcessor() {
  command_.reset();
  result_.reset();
}

std::unique_ptr<TDVXSQLCommand> TDVXLocalSQLProcessor::Dispatch(TDVXLexer& lexer) {
  TDVXSQLContext context;
  context.sessions = &sessions_;
  context.environment.databaseName = settings_.databaseName;
  context.environment.sessionName = settings_.sessionName;
  context.environment.inMemory = settings_.inMemory;
  context.environment.params = &params_;
  context.services = &services_;
  context.requestLive = settings_.requestLive;
  context.events = settings_.events;
  TToken token;
  lexer.GetCurrentToken(token);
  if (token.kind == tkOpen || TDVXLexer::IsKeyword(token, kwSelect)) {
    auto command = std::make_unique<TDVXSQLUnion>(lexer, context);
    command->Parse();
    return command;
  }
  if (token.kind != tkKeyword)
    throw EDVXException(kErrStatementToken, kMsgSQLTokenExpected, {token.text, token.line, token.column});
  std::string statement = token.text;
  auto objectWord = [&](int32_t endCode, int32_t typeCode, std::initializer_list<TSQLKeyword> allowed, bool optional) {
    TToken next;
    if (!lexer.PeekNextToken(next)) {
      if (optional) return;
      RaiseUnexpectedEnd(lexer, endCode);
    }
    for (TSQLKeyword k : allowed)
      if (TDVXLexer::IsKeyword(next, k)) {
        statement += " " + next.text;
        return;
      }
    if (optional) return;
    throw EDVXException(typeCode, kMsgObjectTypeExpected, {next.text, next.line, next.column});
  };
  std::unique_ptr<TDVXSQLCommand> command;
  switch (token.keyword) {
    case kwInsert: command = std::make_unique<TDVXSQLInsert>(lexer, context); break;
    case kwUpdate: command = std::make_unique<TDVXSQLUpdate>(lexer, context); break;
    case kwDelete: command = std::make_unique<TDVXSQLDelete>(lexer, context); break;
    case kwStart: command = std::make_unique<TDVXStartTransaction>(lexer, context); break;
    case kwCommit: command = std::make_unique<TDVXCommit>(lexer, context); break;
    case kwRollback: command = std::make_unique<TDVXRollback>(lexer, context); break;
    case kwCreate: {
      objectWord(kErrEndAfterCreate, kErrObjectTypeCreate, {kwTable, kwUnique, kwIndex}, false);
      TToken next;
      lexer.PeekNextToken(next);
      if (TDVXLexer::IsKeyword(next, kwTable))
        command = std::make_unique<TDVXDDLCreateTable>(lexer, context);
      else
        command = std::make_unique<TDVXDDLCreateIndex>(lexer, context);
      break;
    }
    case kwDrop: {
      objectWord(kErrEndAfterDrop, kErrObjectTypeDrop, {kwTable, kwIndex}, false);
      TToken next;
      lexer.PeekNextToken(next);
      if (TDVXLexer::IsKeyword(next, kwTable))
        command = std::make_unique<TDVXDDLDropTable>(lexer, context);
      else
        command = std::make_unique<TDVXDDLDropIndex>(lexer, context);
      break;
    }
    case kwAlter:
      objectWord(kErrEndAfterAlter, kErrObjectTypeAlter, {kwTable}, false);
      command = std::make_unique<TDVXDDLAlterTable>(lexer, context);
      break;
    case kwRename: {
      TToken next;
      if (!lexer.PeekNextToken(next))
        RaiseUnexpectedEnd(lexer, kErrEndAfterRename);
      objectWord(kErrEndAfterRename, kErrEndAfterRename, {kwTable}, true);
      command = std::make_unique<TDVXDDLRenameTable>(lexer, context);
      break;
    }
    default: throw EDVXException(kErrStatementKeyword, kMsgSQLTokenExpected, {token.text, token.line, token.column});
  }
  command->Parse();
  return command;
}

TDVXLocalCursor* TDVXLocalSQLProcessor::Execute(bool open) {
  command_.reset();
  result_.reset();
  lexer_ = std::make_unique<TDVXLexer>(sql_, &params_);
  readOnly_ = true;
  rowsAffected_ = 0;
  while (lexer_->NextStatement()) {
    command_.reset();
    command_ = Dispatch(*lexer_);
    bool readOnly = true;
    command_->Execute(open, readOnly, settings_.requestLive);
    rowsAffected_ += command_->RowsAffected();
    if (TDVXLocalCursor* cursor = command_->GetResultCursor()) {
      // The result stands on its first row (at its end when it has none).
      cursor->First();
      cursor->GetRecord(grmNext);
      readOnly_ = readOnly;
      result_ = std::move(command_);
    }
    if (observer_) observer_(result_ && !command_ ? *result_ : *command_);
  }
  return result_ ? result_->GetResultCursor() : nullptr;
}

std::unique_ptr<TDVXLocalCursor> TDVXLocalSQLProcessor::TakeResultCursor() {
  auto* command = dynamic_cast<TDVXSQLCursorCommand*>(result_.get());
  return command ? command->TakeResultCursor() : nullptr;
}

std::unique_ptr<TDVXAO> TDVXLocalSQLProcessor::ExecuteToRows() {
  command_.reset();
  result_.reset();
  lexer_ = std::make_unique<TDVXLexer>(sql_, &params_);
  if (!lexer_->NextStatement()) return nullptr;
  std::unique_ptr<TDVXSQLCommand> command = Dispatch(*lexer_);
  auto* query = dynamic_cast<TDVXSQLCursorCommand*>(command.get());
  if (!query) return nullptr;
  std::unique_ptr<TDVXAO> rows = query->ExecuteToRows();
  command_ = std::move(command);
  return rows;
}

}  // namespace dvx
