#include "engine/query/sql_update.h"

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/query/ao_table.h"
#include "engine/query/dml_support.h"
#include "engine/query/query_errors.h"
#include "engine/query/query_sessions.h"
#include "engine/query/select_parser.h"
#include "engine/query/select_statement.h"
#include "engine/query/unexpected_end.h"
#include "engine/schema/field_def.h"
#include "engine/sql/expression.h"
#include "engine/sql/sql_errors.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_operation.h"
#include "engine/tables/table_read_scope.h"
#include "engine/values/variant.h"

namespace dvx {

namespace {

bool IsNameToken(const TToken& t) {
  return t.kind == tkWord || t.kind == tkQuoted || t.kind == tkBracketed || t.kind == tkKeyword;
}

[[noreturn]] void FailAt(int32_t code, const char* message, const TToken& t) {
  throw EDVXException(code, message, {t.text, t.line, t.column});
}

TToken WordToken(const std::string& text, const TToken& at) {
  TToken token;
  token.kind = tkWord;
  token.text = text;
  token.line = at.line;
  token.column = at.column;
  return token;
}

}  // namespace

TDVXSQLTableChange::TDVXSQLTableChange(TDVXLexer& lexer, const TDVXSQLContext& context)
    : TDVXSQLCommand(lexer, context) {}

TDVXSQLTableChange::~TDVXSQLTableChange() = default;

void TDVXSQLTableChange::ParseQuery(int32_t readOnlyCode) {
  TToken t;
  lexer_.SetPosition(0, t);
  TDVXSelectParseSettings settings;
  settings.environment = context_.environment;
  settings.services = context_.services;
  TDVXSelectParser parser(lexer_, settings);
  query_ = parser.ParseQuery();
  if (lexer_.GetCurrentToken(t)) FailAt(kErrTrailingTokens, kMsgUnexpectedToken, t);
  bool direct = query_->operation == qoSelect && query_->select;
  if (direct) {
    const TDVXSelectStatement& s = *query_->select;
    direct = s.tables.size() == 1 && s.tables[0]->kind == TDVXTableReference::rkTable && !s.distinct &&
             s.groupBy.empty() && !s.having && s.topCount < 0 && s.topStart <= 1 && !s.hasInto;
  }
  if (!direct) throw EDVXException(readOnlyCode, "Dataset is in read only mode");
}

void TDVXSQLTableChange::ChangeRecords(int32_t lockCode, int32_t unlockCode,
                                       const std::function<void(TDVXLocalCursor& cursor)>& prepare,
                                       const std::function<void(TDVXLocalCursor& cursor)>& change) {
  rowsAffected_ = 0;
  TDVXSelectStatement& s = *query_->select;
  const TDVXTableReference& reference = *s.tables[0];
  const bool inMemory = reference.inMemory;
  TDVXLocalSession& session = context_.sessions->SessionFor(reference.databaseName, inMemory);
  TDVXAOTable table(session, reference.tableName, reference.alias, inMemory);
  // The operator's cursor walks the records first, then changes them.
  TDVXLocalCursor& writer = table.Cursor();
  prepare(writer);
  TDVXStatementTableLock lock(writer, lockCode, unlockCode);
  const std::vector<TDVXRecordID> ids = MatchingRecords(table, std::move(s.where));
  TDVXOperationScope statement(session);
  statement.Touch(writer.Table());
  int32_t changed = 0;
  {
    // One read bracket for the whole walk: the reads of the records nest
    // in it instead of each taking the table's lock S of its own. Holding
    // S makes no one wait on this statement who could make it wait in
    // turn: the intent lock IRW it holds already (the statement's, or
    // its transaction's from the Touch above) keeps every other writer
    // of the table out until it ends.
    TDVXTableReadScope reading(writer.Table(), writer.SessionID());
    for (const TDVXRecordID& id : ids) {
      writer.SetPosition(false, false, id);
      // A record another session deleted since the scan is passed over.
      if (writer.GetRecord(grmCurrent) != grrDone) continue;
      change(writer);
      ++changed;
    }
  }
  statement.Complete();
  lock.Release();
  rowsAffected_ = changed;
}

// --- UPDATE -------------------------------------------------------------------------

TDVXSQLUpdate::TDVXSQLUpdate(TDVXLexer& lexer, const TDVXSQLContext& context) : TDVXSQLTableChange(lexer, context) {}

TDVXSQLUpdate::~TDVXSQLUpdate() = default;

void TDVXSQLUpdate::Parse() {
  TToken t;
  auto next = [&](int32_t endCode) {
    if (!lexer_.GetNextToken(t)) RaiseUnexpectedEnd(lexer_, endCode);
  };
  next(kErrUpdateTable);
  if (TDVXLexer::IsKeyword(t, kwMemory)) {
    inMemory_ = true;
    next(kErrUpdateMemoryTable);
    if (!IsNameToken(t)) FailAt(kErrUpdateMemoryTable, kMsgTableNameExpected, t);
  } else if (!IsNameToken(t)) {
    FailAt(kErrUpdateTable, kMsgTableNameExpected, t);
  }
  const TToken nameToken = t;
  tableName_ = t.text;
  next(kErrUnexpectedEnd);
  if (TDVXLexer::IsKeyword(t, kwPassword)) {
    if (!lexer_.GetNextToken(t) || t.kind != tkQuoted) {
      if (t.kind == tkNone) throw EDVXException(kErrUpdatePassword, kMsgQuotedPassword, {"", lexer_.EndLine(), lexer_.EndColumn()});
      FailAt(kErrUpdatePassword, kMsgQuotedPassword, t);
    }
    password_ = t.text;
    next(kErrUnexpectedEnd);
  }
  if (!TDVXLexer::IsKeyword(t, kwSet)) throw EDVXException(kErrUpdateSet, kMsgQueryTokenExpected, {"SET", t.text, t.line, t.column});
  while (true) {
    next(kErrUnexpectedEnd);
    const std::string column = t.text;
    for (const std::string& c : columns_)
      if (SameName(c, column)) throw EDVXException(kErrUpdateColumnTwice, "Column '%s' named twice", {column});
    next(kErrUpdateEquals);
    if (t.text != "=") throw EDVXException(kErrUpdateEquals, kMsgQueryTokenExpected, {"=", t.text, t.line, t.column});
    next(kErrSetValueExpected);
    auto value = std::make_unique<TDVXExpression>();
    value->SetEnvironment(context_.environment);
    value->SetServices(context_.services);
    if (!value->ParseValue(lexer_) || !value->Root()) {
      lexer_.GetCurrentToken(t);
      FailAt(kErrSetValueExpected, "Expression expected, but '%s' found at line %d, column %d", t);
    }
    columns_.push_back(column);
    values_.push_back(std::move(value));
    if (!lexer_.GetCurrentToken(t) || TDVXLexer::IsKeyword(t, kwWhere)) break;
    if (t.kind != tkComma) throw EDVXException(kErrUpdateSeparator, kMsgQueryTokenExpected, {",", t.text, t.line, t.column});
  }
  // Everything before WHERE becomes "select * from [MEMORY] table".
  const TToken at = nameToken;
  std::vector<TToken> head;
  head.push_back(TDVXLexer::MakeKeywordToken("SELECT", at));
  head.push_back(WordToken("*", at));
  head.push_back(TDVXLexer::MakeKeywordToken("FROM", at));
  if (inMemory_) head.push_back(TDVXLexer::MakeKeywordToken("MEMORY", at));
  head.push_back(nameToken);
  lexer_.ReplaceTokens(0, lexer_.GetPosition(), std::move(head));
  ParseQuery(kErrUpdateReadOnly);
}

void TDVXSQLUpdate::Execute(bool /*open*/, bool& readOnly, bool /*requestLive*/) {
  readOnly = true;
  std::vector<int> fields;
  ChangeRecords(
      kErrUpdateLock, kErrUpdateUnlock,
      [&](TDVXLocalCursor& cursor) {
        const TDVXFieldDefs& defs = cursor.Fields();
        for (const std::string& c : columns_) {
          const int no = defs.FindByName(c);
          if (no < 0) throw EDVXException(kErrUpdateField, "Cannot find field %s in table %s", {c, tableName_});
          fields.push_back(no);
        }
        for (auto& value : values_) {
          value->BindToCursor(&cursor.RowSource());
          value->SetCursor(&cursor.RowSource());
          value->Prepare();
        }
      },
      [&](TDVXLocalCursor& cursor) {
        // Every value sees the record as it was before this change.
        std::vector<TDVXVariant> computed;
        computed.reserve(values_.size());
        for (auto& value : values_) {
          const TDVXVariant* v = value->GetValue(true);
          if (!v) throw EDVXException(kErrValueIsNull, "Value is Null");
          computed.push_back(*v);
        }
        const TDVXSQLRecordEvents* events = context_.events;
        const bool told = events && (events->beforeUpdate || events->afterUpdate);
        std::vector<TDVXVariant> old;
        if (told) old = RecordValues(cursor);
        for (size_t i = 0; i < fields.size(); ++i) StoreFieldValue(cursor, fields[i], &computed[i]);
        if (told && events->beforeUpdate) events->beforeUpdate(cursor.TableName(), old, RecordValues(cursor));
        RaiseIfFailed(cursor.UpdateRecord());
        if (told && events->afterUpdate) events->afterUpdate(cursor.TableName(), old, RecordValues(cursor));
      });
}

// --- DELETE -------------------------------------------------------------------------

void TDVXSQLDelete::Parse() {
  TToken t;
  lexer_.GetCurrentToken(t);
  if (!lexer_.PeekNextToken(t)) RaiseUnexpectedEnd(lexer_, kErrDeleteEnd);
  // DELETE FROM ... reads as select * FROM ...
  TToken first;
  lexer_.GetCurrentToken(first);
  lexer_.ReplaceTokens(0, 1, {TDVXLexer::MakeKeywordToken("SELECT", first), WordToken("*", first)});
  ParseQuery(kErrDeleteReadOnly);
}

void TDVXSQLDelete::Execute(bool /*open*/, bool& readOnly, bool /*requestLive*/) {
  readOnly = true;
  ChangeRecords(
      kErrDeleteLock, kErrDeleteUnlock, [](TDVXLocalCursor&) {},
      [this](TDVXLocalCursor& cursor) {
        const TDVXSQLRecordEvents* events = context_.events;
        std::vector<TDVXVariant> values;
        if (events && (events->beforeDelete || events->afterDelete)) values = RecordValues(cursor);
        if (events && events->beforeDelete) events->beforeDelete(cursor.TableName(), values);
        RaiseIfFailed(cursor.DeleteRecord());
        if (events && events->afterDelete) events->afterDelete(cursor.TableName(), values);
      });
}

}  // namespace dvx
