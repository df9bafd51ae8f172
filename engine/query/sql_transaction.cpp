#include "engine/query/sql_transaction.h"

#include "engine/core/exception.h"
#include "engine/query/query_errors.h"
#include "engine/query/query_sessions.h"
#include "engine/query/unexpected_end.h"
#include "engine/sql/sql_errors.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"

namespace dvx {

TDVXLocalSession& TDVXTransactionCommand::Session() {
  return context_.sessions->SessionFor(context_.environment.databaseName, context_.environment.inMemory);
}

void TDVXStartTransaction::Parse() {
  TToken t;
  if (!lexer_.GetNextToken(t)) RaiseUnexpectedEnd(lexer_, kErrStartEnd);
  if (!TDVXLexer::IsKeyword(t, kwTransaction))
    throw EDVXException(kErrStartTransaction, kMsgSQLTokenExpected, {t.text, t.line, t.column});
}

void TDVXStartTransaction::Execute(bool, bool& readOnly, bool) {
  readOnly = true;
  Session().StartTransaction();
}

void TDVXCommit::Parse() {
  TToken t;
  flush_ = !(lexer_.PeekNextToken(t) && TDVXLexer::IsKeyword(t, kwNoflush));
}

void TDVXCommit::Execute(bool, bool& readOnly, bool) {
  readOnly = true;
  Session().Commit(flush_);
}

void TDVXRollback::Execute(bool, bool& readOnly, bool) {
  readOnly = true;
  Session().Rollback();
}

}  // namespace dvx
