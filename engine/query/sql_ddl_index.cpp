#include "engine/query/sql_ddl_index.h"

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/query/query_errors.h"
#include "engine/query/query_sessions.h"
#include "engine/query/unexpected_end.h"
#include "engine/schema/index_def.h"
#include "engine/sql/sql_errors.h"
#include "engine/tables/cursor_checks.h"
#include "engine/tables/definition_errors.h"
#include "engine/tables/index.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_data.h"

namespace dvx {

namespace {

bool IsNameKind(const TToken& t) {
  return t.kind == tkWord || t.kind == tkQuoted || t.kind == tkBracketed || t.kind == tkKeyword;
}

}  // namespace

void TDVXDDLIndexCommand::Next(int32_t code) {
  if (!lexer_.GetNextToken(t_)) RaiseUnexpectedEnd(lexer_, code);
}

void TDVXDDLIndexCommand::Fail(int32_t code, const char* message) const {
  if (t_.kind == tkNone) RaiseUnexpectedEnd(lexer_, code);
  throw EDVXException(code, message, {t_.text, t_.line, t_.column});
}

TDVXLocalSession& TDVXDDLIndexCommand::DefinitionSession() {
  TDVXLocalSession& session = context_.sessions->SessionFor(context_.environment.databaseName, inMemory_);
  RequireNoTransaction(session, kErrDefinitionInTransaction);
  return session;
}

void TDVXDDLCreateIndex::Parse() {
  Next(kErrUnexpectedEnd);
  const char* indexWord = "'INDEX' keyword expected, but '%s' found at line %d, column %d";
  if (TDVXLexer::IsKeyword(t_, kwUnique)) {
    unique_ = true;
    Next(kErrIndexKeyword);
    if (t_.kind != tkKeyword) Fail(kErrIndexKeyword, indexWord);
    if (!TDVXLexer::IsKeyword(t_, kwIndex)) Fail(kErrIndexWord, indexWord);
  }
  Next(kErrIndexName);
  if (TDVXLexer::IsKeyword(t_, kwIf)) {
    const char* notWord = "'NOT' keyword expected, but '%s' found at line %d, column %d";
    const char* existsWord = "'EXISTS' keyword expected, but '%s' found at line %d, column %d";
    Next(kErrIfNotWord);
    if (t_.kind != tkKeyword) Fail(kErrIfNotWord, notWord);
    if (!TDVXLexer::IsKeyword(t_, kwNot)) Fail(kErrIfNotKeyword, notWord);
    Next(kErrIfNotExistsWord);
    if (t_.kind != tkKeyword) Fail(kErrIfNotExistsWord, existsWord);
    if (!TDVXLexer::IsKeyword(t_, kwExists)) Fail(kErrIfNotExistsKeyword, existsWord);
    ifNotExists_ = true;
    Next(kErrIndexName);
  }
  if (!IsNameKind(t_)) Fail(kErrIndexName, "index name expected, but '%s' found at line %d, column %d");
  indexName_ = t_.text;
  const char* onWord = "'ON' keyword expected, but '%s' found at line %d, column %d";
  Next(kErrIndexOnWord);
  if (t_.kind != tkKeyword) Fail(kErrIndexOnWord, onWord);
  if (!TDVXLexer::IsKeyword(t_, kwOn)) Fail(kErrIndexOnKeyword, onWord);
  Next(kErrIndexTable);
  if (!IsNameKind(t_)) Fail(kErrIndexTable, kMsgTableNameExpected);
  if (TDVXLexer::IsKeyword(t_, kwMemory)) {
    inMemory_ = true;
    Next(kErrIndexMemoryTable);
    if (!IsNameKind(t_)) Fail(kErrIndexMemoryTable, kMsgTableNameExpected);
  }
  tableName_ = t_.text;
  Next(kErrIndexOpen);
  if (t_.kind != tkOpen) Fail(kErrIndexOpen, kMsgOpenExpected);
  do {
    Next(kErrIndexColumn);
    if (TDVXLexer::IsKeyword(t_, kwPassword)) {
      Next(kErrIndexPassword);
      if (t_.kind != tkQuoted) Fail(kErrIndexPassword, kMsgQuotedPassword);
      password_ = t_.text;
      Next(kErrIndexSeparator);
      if (t_.kind != tkClose && t_.kind != tkComma) Fail(kErrIndexSeparator, kMsgCloseOrComma);
      continue;
    }
    if (!IsNameKind(t_)) Fail(kErrIndexColumn, kMsgFieldNameExpected);
    TDVXIndexField field{t_.text};
    while (true) {
      Next(kErrIndexSeparator);
      if (t_.kind == tkClose || t_.kind == tkComma) break;
      if (TDVXLexer::IsKeyword(t_, kwDesc)) field.descending = 1;
      else if (TDVXLexer::IsKeyword(t_, kwAsc)) field.descending = 0;
      else if (AnsiUpperCase(t_.text) == "NOCASE") field.caseInsensitive = 1;
      else if (TDVXLexer::IsKeyword(t_, kwCase)) field.caseInsensitive = 0;
      // Other words are passed over.
    }
    columns_.push_back(field);
  } while (t_.kind != tkClose);
  if (lexer_.GetNextToken(t_)) Fail(kErrDdlTrailing, kMsgUnexpectedToken);
}

void TDVXDDLCreateIndex::Execute(bool, bool& readOnly, bool) {
  readOnly = true;
  TDVXLocalSession& session = DefinitionSession();
  TDVXLocalCursor cursor(session, tableName_, true);
  cursor.Open();
  if (ifNotExists_ && cursor.Table().IndexByName(indexName_)) return;
  TDVXIndexDef index;
  index.SetObjectName(indexName_);
  for (const TDVXIndexField& f : columns_) index.AddColumn(f.fieldName, f.descending != 0, f.caseInsensitive != 0);
  index.SetUnique(unique_);
  cursor.AddIndex(index);
}

void TDVXDDLDropIndex::Parse() {
  Next(kErrUnexpectedEnd);  // INDEX
  Next(kErrDropIndexEnd);
  if (TDVXLexer::IsKeyword(t_, kwIf)) {
    const char* existsWord = "'EXISTS' keyword expected, but '%s' found at line %d, column %d";
    Next(kErrIfExistsWord);
    if (t_.kind != tkKeyword) Fail(kErrIfExistsWord, existsWord);
    if (!TDVXLexer::IsKeyword(t_, kwExists)) Fail(kErrIfExistsKeyword, existsWord);
    ifExists_ = true;
    Next(kErrIfExistsEnd);
  }
  if (TDVXLexer::IsKeyword(t_, kwMemory)) {
    inMemory_ = true;
    Next(kErrDropIndexMemory);
    if (!IsNameKind(t_)) Fail(kErrDropIndexMemory, kMsgTableNameExpected);
  }
  tableName_ = t_.text;
  Next(kErrDropIndexAfterTable);
  if (t_.kind != tkPoint) throw EDVXException(kErrDropIndexPoint, kMsgQueryTokenExpected, {".", t_.text, t_.line, t_.column});
  Next(kErrDropIndexAfterPoint);
  indexName_ = t_.text;
  if (lexer_.GetNextToken(t_)) {
    if (!TDVXLexer::IsKeyword(t_, kwPassword)) Fail(kErrDdlTrailing, kMsgUnexpectedToken);
    Next(kErrDropIndexPassword);
    if (t_.kind != tkQuoted) Fail(kErrDropIndexPassword, kMsgQuotedPassword);
    password_ = t_.text;
    if (lexer_.GetNextToken(t_)) Fail(kErrDdlTrailing, kMsgUnexpectedToken);
  }
}

void TDVXDDLDropIndex::Execute(bool, bool& readOnly, bool) {
  readOnly = true;
  TDVXLocalSession& session = DefinitionSession();
  TDVXLocalCursor cursor(session, tableName_, true);
  cursor.Open();
  if (ifExists_ && !cursor.Table().IndexByName(indexName_)) return;
  cursor.DeleteIndex(indexName_);
}

}  // namespace dvx
