#include "engine/query/sql_insert.h"

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/core/message_format.h"
#include "engine/query/ao.h"
#include "engine/query/ao_table.h"
#include "engine/query/dml_support.h"
#include "engine/query/query_errors.h"
#include "engine/query/query_sessions.h"
#include "engine/query/sql_union.h"
#include "engine/query/unexpected_end.h"
#include "engine/schema/field_def.h"
#include "engine/sql/expression.h"
#include "engine/sql/sql_errors.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_operation.h"
#include "engine/values/field_types.h"

namespace dvx {

namespace {

bool IsNameToken(const TToken& t) {
  return t.kind == tkWord || t.kind == tkQuoted || t.kind == tkBracketed || t.kind == tkKeyword;
}

std::string Formatted(std::string_view format, TDVXFormatArgs args) {
  return FormatMessage(format, args).value_or(std::string(format));
}

[[noreturn]] void FailAt(int32_t code, const char* message, const TToken& t) {
  throw EDVXException(code, message, {t.text, t.line, t.column});
}

}  // namespace

TDVXSQLInsert::TDVXSQLInsert(TDVXLexer& lexer, const TDVXSQLContext& context) : TDVXSQLCommand(lexer, context) {}

TDVXSQLInsert::~TDVXSQLInsert() = default;

void TDVXSQLInsert::Parse() {
  TToken t;
  auto next = [&](int32_t endCode) {
    if (!lexer_.GetNextToken(t)) RaiseUnexpectedEnd(lexer_, endCode);
  };
  next(kErrInsertEnd);
  if (!TDVXLexer::IsKeyword(t, kwInto)) throw EDVXException(kErrInsertInto, kMsgQueryTokenExpected, {"INTO", t.text, t.line, t.column});
  next(kErrInsertTable);
  if (TDVXLexer::IsKeyword(t, kwMemory)) {
    inMemory_ = true;
    next(kErrInsertMemoryTable);
    if (!IsNameToken(t)) FailAt(kErrInsertMemoryTable, kMsgTableNameExpected, t);
  } else if (!IsNameToken(t)) {
    FailAt(kErrInsertTable, kMsgTableNameExpected, t);
  }
  tableName_ = t.text;
  next(kErrInsertAfterTable);
  if (TDVXLexer::IsKeyword(t, kwPassword)) {
    if (!lexer_.GetNextToken(t) || t.kind != tkQuoted) {
      if (t.kind == tkNone) throw EDVXException(kErrInsertPassword, kMsgQuotedPassword, {"", lexer_.EndLine(), lexer_.EndColumn()});
      FailAt(kErrInsertPassword, kMsgQuotedPassword, t);
    }
    password_ = t.text;
    next(kErrInsertAfterPassword);
  }
  if (t.kind == tkOpen) {
    while (true) {
      next(kErrInsertColumn);
      if (!IsNameToken(t)) FailAt(kErrInsertColumn, kMsgFieldNameExpected, t);
      for (const std::string& c : columns_)
        if (SameName(c, t.text)) throw EDVXException(kErrInsertColumnTwice, "Column '%s' named twice", {t.text});
      columns_.push_back(t.text);
      next(kErrInsertColumnSeparator);
      if (t.kind == tkClose) break;
      if (t.kind != tkComma) FailAt(kErrInsertColumnSeparator, kMsgCloseOrComma, t);
    }
    next(kErrInsertAfterColumns);
  }
  if (TDVXLexer::IsKeyword(t, kwValues)) {
    next(kErrInsertValuesOpen);
    if (t.kind != tkOpen) FailAt(kErrInsertValuesOpen, kMsgOpenExpected, t);
    while (true) {
      next(kErrInsertValueEnd);
      auto value = std::make_unique<TDVXExpression>();
      value->SetEnvironment(context_.environment);
      value->SetServices(context_.services);
      const bool parsed = value->ParseValue(lexer_);
      lexer_.GetCurrentToken(t);
      if (!parsed || !value->Root()) {
        if (t.kind == tkNone) RaiseUnexpectedEnd(lexer_, kErrInsertValueEnd);
        FailAt(kErrInsertValueParse, "Error parsing parameter '%s' at line %d, column %d", t);
      }
      values_.push_back(std::move(value));
      if (t.kind == tkNone) RaiseUnexpectedEnd(lexer_, kErrInsertValueEnd);
      if (t.kind == tkClose) break;
      // Only "," separates values: anything else is a mistake, not a
      // separator to pass over.
      if (t.kind != tkComma) FailAt(kErrInsertValueSeparator, kMsgCloseOrComma, t);
    }
    if (lexer_.GetNextToken(t)) FailAt(kErrTrailingTokens, kMsgUnexpectedToken, t);
  } else if (TDVXLexer::IsKeyword(t, kwSelect) || t.kind == tkOpen) {
    select_ = std::make_unique<TDVXSQLUnion>(lexer_, context_);
    select_->Parse();
  } else {
    // A misspelt VALUES must not insert an empty record.
    throw EDVXException(kErrInsertSource, kMsgQueryTokenExpected, {"VALUES' or 'SELECT", t.text, t.line, t.column});
  }
  if (!columns_.empty() && !select_ && columns_.size() != values_.size())
    throw EDVXException(kErrInsertValueCount, "Column count %d differs from value count %d",
                        {static_cast<int64_t>(columns_.size()), static_cast<int64_t>(values_.size())});
}

void TDVXSQLInsert::Execute(bool /*open*/, bool& readOnly, bool /*requestLive*/) {
  readOnly = true;
  rowsAffected_ = 0;
  const bool inMemory = inMemory_ || context_.environment.inMemory;
  TDVXLocalSession& session = context_.sessions->SessionFor(context_.environment.databaseName, inMemory);
  // Opening through the table operator gives a missing table its message.
  TDVXAOTable target(session, tableName_, "", inMemory);
  TDVXLocalCursor& cursor = target.Cursor();
  if (select_) {
    InsertRows(cursor);
  } else {
    InsertValues(cursor);
  }
}

void TDVXSQLInsert::InsertValues(TDVXLocalCursor& cursor) {
  const TDVXFieldDefs& defs = cursor.Fields();
  std::vector<int> targets;
  if (!columns_.empty()) {
    for (const std::string& c : columns_) {
      const int no = defs.FindByName(c);
      if (no < 0) throw EDVXException(kErrInsertColumnMissing, "Field '%s' not found", {c});
      targets.push_back(no);
    }
  } else {
    if (static_cast<int>(values_.size()) > defs.Count())
      throw EDVXException(kErrInsertTooManyValues, "Table '%s' has %d fields, but %d values are given",
                          {tableName_, static_cast<int64_t>(defs.Count()), static_cast<int64_t>(values_.size())});
    for (size_t i = 0; i < values_.size(); ++i) targets.push_back(static_cast<int>(i));
  }
  TDVXOperationScope statement(cursor.Session());
  statement.Touch(cursor.Table());
  cursor.NewRecord();
  for (size_t i = 0; i < values_.size(); ++i) {
    const TDVXVariant* value = values_[i]->GetValue(true);
    const TDVXFieldDef& def = *defs.Items(targets[i]);
    if (!value) {
      throw EDVXException(kErrValueUndefined, "Parameter Value undefined (FieldName='%s', Type='%s')",
                          {def.ObjectName(), AdvancedTypeSQLName(def.AdvancedFieldType())});
    }
    StoreFieldValue(cursor, targets[i], value);
  }
  Post(cursor);
  statement.Complete();
  rowsAffected_ = 1;
}

void TDVXSQLInsert::Post(TDVXLocalCursor& cursor) {
  if (context_.events && context_.events->beforeInsert)
    context_.events->beforeInsert(cursor.TableName(), RecordValues(cursor));
  RaiseIfFailed(cursor.InsertRecord());
  if (context_.events && context_.events->afterInsert)
    context_.events->afterInsert(cursor.TableName(), RecordValues(cursor));
}

void TDVXSQLInsert::InsertRows(TDVXLocalCursor& cursor) {
  std::unique_ptr<TDVXAO> rows = select_->ExecuteToRows();
  const TDVXFieldDefs& defs = cursor.Fields();
  // The table field of each result column; -1 passes the column over.
  std::vector<int> targets;
  if (!columns_.empty()) {
    if (static_cast<int>(columns_.size()) != rows->FieldCount())
      throw EDVXException(kErrInsertSelectCount, "Column count %d differs from the SELECT's column count %d",
                          {static_cast<int64_t>(columns_.size()), static_cast<int64_t>(rows->FieldCount())});
    for (const std::string& c : columns_) {
      const int no = defs.FindByName(c);
      if (no < 0) throw EDVXException(kErrInsertColumnMissing, "Field '%s' not found", {c});
      targets.push_back(no);
    }
  } else {
    for (int i = 0; i < rows->FieldCount(); ++i) {
      const TDVXFieldLink& link = rows->Field(i);
      targets.push_back(defs.FindByName(link.displayName.empty() ? link.fieldName : link.displayName));
    }
  }
  TDVXOperationScope statement(cursor.Session());
  statement.Touch(cursor.Table());
  std::string log;
  int64_t number = 0;
  for (const TDVXRow& row : rows->Rows()) {
    ++number;
    cursor.NewRecord();
    auto before = [&] {
      if (context_.events && context_.events->beforeInsert)
        context_.events->beforeInsert(cursor.TableName(), RecordValues(cursor));
    };
    for (size_t i = 0; i < targets.size(); ++i) {
      if (targets[i] < 0) continue;
      try {
        StoreFieldValue(cursor, targets[i], &row[i]);
      } catch (const EDVXException& e) {
        StoreFieldValue(cursor, targets[i], nullptr);
        log += Formatted("Error copying table. Record #%d, field '%s' was copied with Null value due to error: %s",
                             {number, defs.Items(targets[i])->ObjectName(), e.Message()}) +
               "\r\n";
      }
    }
    before();
    const TDVXCursorResult result = cursor.InsertRecord();
    if (result.ok() && context_.events && context_.events->afterInsert)
      context_.events->afterInsert(cursor.TableName(), RecordValues(cursor));
    if (!result.ok()) {
      // Nothing of a failed statement is kept, so copying stops here.
      log += Formatted("Error copying table. Record #%d was not imported due to error: %s", {number, result.message}) +
             "\r\n";
      break;
    }
  }
  if (!log.empty())
    throw EDVXException(kErrInsertSelect, "Error - INSERT from SELECT failed, table name = %s, error log: %s",
                        {tableName_, log});
  statement.Complete();
  rowsAffected_ = static_cast<int32_t>(number);
}

}  // namespace dvx
