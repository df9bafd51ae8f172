#include "engine/query/select_parser.h"

#include <charconv>
#include <functional>

#include "engine/core/exception.h"
#include "engine/query/query_errors.h"
#include "engine/query/unexpected_end.h"
#include "engine/sql/sql_errors.h"

namespace dvx {

namespace {

bool ReadInteger(const TToken& token, int64_t& value) {
  if (token.kind != tkInteger) return false;
  const char* begin = token.text.data();
  const char* end = begin + token.text.size();
  auto [ptr, ec] = std::from_chars(begin, end, value);
  return ec == std::errc() && ptr == end;
}

// Depth of parenthesised queries and references, kept by one parser.
class TNestingGuard {
 public:
  explicit TNestingGuard(std::function<void()> leave) : leave_(std::move(leave)) {}
  ~TNestingGuard() { leave_(); }
  TNestingGuard(const TNestingGuard&) = delete;
  TNestingGuard& operator=(const TNestingGuard&) = delete;

 private:
  std::function<void()> leave_;
};

}  // namespace

TDVXSelectParser::TDVXSelectParser(TDVXLexer& lexer, TDVXSelectParseSettings settings)
    : lexer_(lexer), settings_(std::move(settings)) {
  Sync();
}

void TDVXSelectParser::Sync() { lexer_.GetCurrentToken(current_); }

void TDVXSelectParser::Next() { lexer_.GetNextToken(current_); }

void TDVXSelectParser::Fail(int32_t code, const char* message) const {
  if (AtEnd()) RaiseUnexpectedEnd(lexer_, kErrUnexpectedEnd);
  throw EDVXException(code, message, {current_.text, current_.line, current_.column});
}

void TDVXSelectParser::FailExpected(int32_t code, const char* what) const {
  if (AtEnd()) RaiseUnexpectedEnd(lexer_, kErrUnexpectedEnd);
  throw EDVXException(code, kMsgQueryTokenExpected, {what, current_.text, current_.line, current_.column});
}

void TDVXSelectParser::Expect(TSQLKeyword keyword, int32_t code, const char* what) {
  if (!Is(keyword)) FailExpected(code, what);
  Next();
}

void TDVXSelectParser::Enter() {
  if (++depth_ > kMaxNesting) {
    --depth_;
    throw EDVXException(kErrNestingTooDeep, "Query nested too deeply at line %d, column %d",
                        {current_.line, current_.column});
  }
}

std::unique_ptr<TDVXExpression> TDVXSelectParser::NewExpression() const {
  auto expression = std::make_unique<TDVXExpression>();
  expression->SetEnvironment(settings_.environment);
  expression->SetServices(settings_.services);
  return expression;
}

// --- Set operations -----------------------------------------------------------------------

std::unique_ptr<TDVXQueryExprNode> TDVXSelectParser::ParseQuery() {
  Enter();
  TNestingGuard guard([this] { Leave(); });
  std::unique_ptr<TDVXQueryExprNode> left = ParseTerm();
  while (Is(kwUnion) || Is(kwMinus) || Is(kwExcept)) {
    auto node = std::make_unique<TDVXQueryExprNode>();
    node->operation = Is(kwUnion) ? qoUnion : qoExcept;
    Next();
    ParseSetOptions(*node);
    node->left = std::move(left);
    node->right = ParseTerm();
    left = std::move(node);
  }
  return left;
}

std::unique_ptr<TDVXQueryExprNode> TDVXSelectParser::ParseTerm() {
  std::unique_ptr<TDVXQueryExprNode> left = ParsePrimary();
  while (Is(kwIntersect)) {
    auto node = std::make_unique<TDVXQueryExprNode>();
    node->operation = qoIntersect;
    Next();
    ParseSetOptions(*node);
    node->left = std::move(left);
    node->right = ParsePrimary();
    left = std::move(node);
  }
  return left;
}

void TDVXSelectParser::ParseSetOptions(TDVXQueryExprNode& node) {
  if (Is(kwAll)) {
    node.all = true;
    Next();
  }
  if (!Is(kwCorresponding)) return;
  node.corresponding = true;
  Next();
  if (!Is(kwBy)) return;
  Next();
  if (current_.kind != tkOpen) FailExpected(kErrCorrespondingOpen, "(");
  Next();
  node.correspondingBy = ParseFieldList(kErrGroupFieldExpected);
  if (current_.kind != tkClose) FailExpected(kErrCorrespondingClose, ")");
  Next();
}

std::unique_ptr<TDVXQueryExprNode> TDVXSelectParser::ParsePrimary() {
  if (current_.kind == tkOpen) {
    Next();
    std::unique_ptr<TDVXQueryExprNode> inner = ParseQuery();
    if (current_.kind != tkClose) FailExpected(kErrPrimaryClose, ")");
    Next();
    return inner;
  }
  if (!Is(kwSelect)) FailExpected(kErrPrimaryExpected, "SELECT");
  auto node = std::make_unique<TDVXQueryExprNode>();
  node->select = ParseSelect();
  return node;
}

// --- SELECT -----------------------------------------------------------------------------------

std::unique_ptr<TDVXSelectStatement> TDVXSelectParser::ParseSelect() {
  if (!Is(kwSelect)) Fail(kErrSelectExpected, kMsgSQLTokenExpected);
  auto select = std::make_unique<TDVXSelectStatement>();
  Next();
  if (Is(kwAll)) {
    Next();
  } else if (Is(kwDistinct)) {
    select->distinct = true;
    Next();
  }
  if (Is(kwTop)) {
    Next();
    if (!ReadInteger(current_, select->topCount)) Fail(kErrTopCount, kMsgIntegerExpected);
    Next();
    if (current_.kind == tkComma) {
      Next();
      if (!ReadInteger(current_, select->topStart)) Fail(kErrTopStart, kMsgIntegerExpected);
      Next();
    }
  }
  ParseSelectList(*select);
  if (Is(kwInto)) ParseInto(*select);
  if (!Is(kwFrom)) FailExpected(kErrFromExpected, "FROM");
  Next();
  select->tables.push_back(ParseTableReference(kErrTableName));
  while (current_.kind == tkComma) {
    Next();
    select->tables.push_back(ParseTableReference(kErrTableName));
  }
  if (Is(kwInto))
    throw EDVXException(kErrIntoAfterFrom, "INTO clause should be before FROM, line %d, column %d",
                        {current_.line, current_.column});
  if (Is(kwWhere)) {
    Next();
    select->where = NewExpression();
    select->where->ParseCondition(lexer_);
    Sync();
  }
  if (Is(kwGroup)) {
    Next();
    Expect(kwBy, kErrGroupBy, "BY");
    ParseGroupBy(*select);
  }
  if (Is(kwHaving)) {
    Next();
    select->having = NewExpression();
    select->having->ParseCondition(lexer_);
    Sync();
  }
  if (Is(kwOrder)) {
    Next();
    Expect(kwBy, kErrOrderBy, "BY");
    ParseOrderBy(*select);
  }
  if (!select->selectAll) {
    if (select->where) select->where->ApplySelectAliases(select->items);
    if (select->having) select->having->ApplySelectAliases(select->items);
  }
  return select;
}

void TDVXSelectParser::ParseSelectList(TDVXSelectStatement& select) {
  if (AtEnd()) Fail(kErrFieldListExpected, "Field list expected, but '%s' found at line %d, column %d");
  if (current_.kind == tkWord && current_.text == "*") {
    select.selectAll = true;
    Next();
    return;
  }
  bool first = true;
  while (true) {
    TDVXSelectListItem item;
    TToken peek;
    // "qualifier.*": all columns of one table.
    if (IsName() && lexer_.PeekNextToken(peek) && peek.kind == tkPoint) {
      const int at = lexer_.GetPosition();
      TToken star;
      lexer_.SetPosition(at + 2, star);
      if (star.kind == tkWord && star.text == "*") {
        TToken qualifier = current_;
        item.qualifier = qualifier.text;
        item.fieldName = "*";
        item.allColumns = true;
        Next();
        select.items.push_back(std::move(item));
        if (current_.kind != tkComma) break;
        Next();
        first = false;
        continue;
      }
      lexer_.SetPosition(at, current_);
    }
    if (AtEnd() || current_.kind == tkComma || Is(kwFrom) || Is(kwInto)) {
      if (first) Fail(kErrFieldListExpected, "Field list expected, but '%s' found at line %d, column %d");
      Fail(kErrItemAfterComma, kMsgFieldNameExpected);
    }
    auto expression = NewExpression();
    if (!expression->ParseValue(lexer_)) {
      Sync();
      Fail(kErrItemExpression, "Expression expected, but '%s' found at line %d, column %d");
    }
    Sync();
    if (expression->IsField()) {
      item.qualifier = expression->FieldQualifier();
      item.fieldName = expression->FieldName();
    } else {
      item.isExpression = true;
      item.expression = std::move(expression);
    }
    if (Is(kwAs)) {
      Next();
      if (!IsName()) Fail(kErrAliasExpected, "Field pseudonym expected, but '%s' found at line %d, column %d");
      item.alias = current_.text;
      Next();
    } else if (IsName()) {
      item.alias = current_.text;
      Next();
    }
    select.items.push_back(std::move(item));
    first = false;
    if (current_.kind != tkComma) break;
    Next();
  }
}

void TDVXSelectParser::ParseInto(TDVXSelectStatement& select) {
  Next();
  select.hasInto = true;
  if (Is(kwMemory)) {
    select.intoInMemory = true;
    Next();
  }
  if (!IsName()) Fail(kErrIntoTable, kMsgTableNameExpected);
  select.intoTable = current_.text;
  Next();
  if (current_.kind == tkPoint) {
    Next();
    if (!IsName()) Fail(kErrIntoTableAfterPoint, kMsgTableNameExpected);
    select.intoDatabase = select.intoTable;
    select.intoTable = current_.text;
    Next();
  }
}

// --- Table references -------------------------------------------------------------------------

std::unique_ptr<TDVXTableReference> TDVXSelectParser::ParseTableReference(int code) {
  Enter();
  TNestingGuard guard([this] { Leave(); });
  std::unique_ptr<TDVXTableReference> left = ParseTablePrimary(code);
  while (true) {
    bool natural = false;
    if (Is(kwNatural)) {
      natural = true;
      Next();
      if (current_.kind != tkKeyword) Fail(kErrJoinWord, kMsgUnexpectedToken);
    }
    int kind;
    if (Is(kwCross)) {
      kind = jkCross;
    } else if (Is(kwInner)) {
      kind = jkInner;
    } else if (Is(kwLeft)) {
      kind = jkLeft;
    } else if (Is(kwRight)) {
      kind = jkRight;
    } else if (Is(kwFull)) {
      kind = jkFull;
    } else if (Is(kwJoin)) {
      kind = jkInner;
    } else {
      if (natural) FailExpected(kErrJoinExpected, "JOIN");
      return left;
    }
    if (!Is(kwJoin)) {
      Next();
      if ((kind == jkLeft || kind == jkRight || kind == jkFull) && Is(kwOuter)) Next();
      if (current_.kind != tkKeyword) Fail(kErrJoinWord, kMsgUnexpectedToken);
      if (!Is(kwJoin)) FailExpected(kErrJoinExpected, "JOIN");
    }
    Next();
    auto join = std::make_unique<TDVXTableReference>();
    join->kind = TDVXTableReference::rkJoin;
    join->natural = natural;
    join->joinKind = kind;
    join->left = std::move(left);
    join->right = ParseTablePrimary(kErrJoinTable);
    if (kind != jkCross && !natural) {
      if (Is(kwOn)) {
        Next();
        join->onCondition = NewExpression();
        join->onCondition->ParseCondition(lexer_);
        Sync();
      } else if (Is(kwUsing)) {
        Next();
        if (current_.kind != tkOpen) FailExpected(kErrUsingOpen, "(");
        Next();
        join->usingFields = ParseFieldList(kErrGroupFieldExpected);
        if (current_.kind == tkClose) Next();
      } else {
        FailExpected(kErrJoinCondition, "ON' or 'USING");
      }
    }
    left = std::move(join);
  }
}

std::unique_ptr<TDVXTableReference> TDVXSelectParser::ParseTablePrimary(int code) {
  if (current_.kind == tkOpen) {
    Next();
    if (current_.kind == tkClose) Fail(kErrInnerReference, kMsgTableNameExpected);
    std::unique_ptr<TDVXTableReference> inner = ParseTableReference(kErrInnerReference);
    if (current_.kind != tkClose) FailExpected(kErrReferenceClose, ")");
    Next();
    return inner;
  }
  auto table = std::make_unique<TDVXTableReference>();
  table->databaseName = settings_.environment.databaseName;
  table->sessionName = settings_.environment.sessionName;
  table->inMemory = settings_.environment.inMemory;
  if (Is(kwMemory)) {
    table->inMemory = true;
    Next();
  }
  if (!IsName()) Fail(code, kMsgTableNameExpected);
  table->tableName = current_.text;
  Next();
  if (current_.kind == tkPoint) {
    Next();
    if (!IsName()) Fail(kErrTableNameAfterPoint, kMsgTableNameExpected);
    table->databaseName = table->tableName;
    table->tableName = current_.text;
    Next();
  }
  if (Is(kwAs)) {
    Next();
    if (!IsName()) Fail(kErrTableAlias, "Table alias expected, but '%s' found at line %d, column %d");
    table->alias = current_.text;
    Next();
  } else if (current_.kind == tkWord || current_.kind == tkBracketed) {
    table->alias = current_.text;
    Next();
  }
  if (Is(kwPassword)) {
    Next();
    if (current_.kind != tkQuoted)
      Fail(kErrPasswordExpected,
           "Quoted password expected (for PASSWORD \"passwordData\"), but '%s' found at line %d, column %d");
    table->password = current_.text;
    Next();
  }
  return table;
}

// --- GROUP BY and ORDER BY --------------------------------------------------------------------

std::vector<TDVXFieldReference> TDVXSelectParser::ParseFieldList(int code) {
  std::vector<TDVXFieldReference> fields;
  while (true) {
    if (!IsName()) Fail(code, kMsgFieldNameExpected);
    TDVXFieldReference field;
    field.fieldName = current_.text;
    Next();
    if (current_.kind == tkPoint) {
      Next();
      if (!IsName()) Fail(code + 2, kMsgFieldNameExpected);
      field.qualifier = field.fieldName;
      field.fieldName = current_.text;
      Next();
    }
    fields.push_back(std::move(field));
    if (current_.kind != tkComma) break;
    Next();
  }
  return fields;
}

void TDVXSelectParser::ParseGroupBy(TDVXSelectStatement& select) {
  select.groupBy = ParseFieldList(kErrGroupFieldExpected);
  // A list ends at a clause keyword, a parenthesis or the statement's end;
  // anything else (an operator of an expression) is no field list.
  if (!AtEnd() && current_.kind != tkKeyword && current_.kind != tkClose)
    Fail(kErrGroupSeparator, kMsgUnexpectedToken);
  if (!AtEnd() && current_.kind == tkKeyword && !Is(kwHaving) && !Is(kwOrder) && !Is(kwUnion) && !Is(kwMinus) &&
      !Is(kwExcept) && !Is(kwIntersect))
    Fail(kErrGroupSeparator, kMsgUnexpectedToken);
}

void TDVXSelectParser::ParseOrderBy(TDVXSelectStatement& select) {
  if (Is(kwIndex)) {
    Next();
    if (!IsName()) Fail(kErrOrderIndexName, "Index name expected, but '%s' found at line %d, column %d");
    select.orderByIndex = current_.text;
    Next();
    return;
  }
  while (true) {
    TDVXSortSpecification ordering;
    int64_t number = 0;
    if (ReadInteger(current_, number)) {
      ordering.columnNumber = number > 1000000 ? 1000000 : static_cast<int>(number);
      Next();
    } else if (IsName()) {
      ordering.fieldName = current_.text;
      Next();
      if (current_.kind == tkPoint) {
        Next();
        if (!IsName()) Fail(kErrSortAfterPoint, kMsgFieldNameExpected);
        ordering.qualifier = ordering.fieldName;
        ordering.fieldName = current_.text;
        Next();
      }
    } else {
      Fail(kErrSortExpected, kMsgSortExpected);
    }
    if (Is(kwAsc)) {
      Next();
    } else if (Is(kwDesc)) {
      ordering.descending = true;
      Next();
    }
    if (Is(kwNocase)) {
      ordering.caseInsensitive = true;
      Next();
    }
    select.sort.push_back(std::move(ordering));
    if (current_.kind != tkComma) break;
    Next();
  }
}

}  // namespace dvx
