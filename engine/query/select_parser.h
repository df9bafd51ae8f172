#pragma once
// TDVXSelectParser: a query's tokens to its parsed form
// (select_statement.h), from the lexer's current token ("SELECT" or "(")
// on. Conditions and values are parsed by the expression layer with the
// statement's settings (parameters are in the tokens already).
//
//   query      term { (UNION | MINUS | EXCEPT) [ALL] [corresponding] term }
//   term       primary { INTERSECT [ALL] [corresponding] primary }
//   primary    "(" query ")" | select
//   select     SELECT [ALL | DISTINCT] [TOP n ["," start]] list
//              [INTO [MEMORY] name ["." name]] FROM references
//              [WHERE condition] [GROUP BY fields] [HAVING condition]
//              [ORDER BY (INDEX name | specification {"," specification})]
//
// Nesting of parenthesised queries and table references is bounded, so
// hostile text ends in an error, never in an exhausted stack. The parser
// stops at the first token that continues none of these; the caller decides
// whether more may follow.
#include <memory>
#include <string>

#include "engine/query/select_statement.h"
#include "engine/sql/expr_services.h"
#include "engine/sql/lexer.h"

namespace dvx {

struct TDVXSelectParseSettings {
  // Database, session, in-memory setting and parameters of the statement
  // (conditions and subqueries take them).
  TDVXExprEnvironment environment;
  // Null: the installed services.
  TDVXExprServices* services = nullptr;
};

class TDVXSelectParser {
 public:
  static constexpr int kMaxNesting = 64;

  TDVXSelectParser(TDVXLexer& lexer, TDVXSelectParseSettings settings);

  std::unique_ptr<TDVXQueryExprNode> ParseQuery();

 private:
  std::unique_ptr<TDVXQueryExprNode> ParseTerm();
  std::unique_ptr<TDVXQueryExprNode> ParsePrimary();
  std::unique_ptr<TDVXSelectStatement> ParseSelect();
  void ParseSetOptions(TDVXQueryExprNode& node);
  void ParseSelectList(TDVXSelectStatement& select);
  void ParseInto(TDVXSelectStatement& select);
  std::unique_ptr<TDVXTableReference> ParseTableReference(int code);
  std::unique_ptr<TDVXTableReference> ParseTablePrimary(int code);
  void ParseGroupBy(TDVXSelectStatement& select);
  void ParseOrderBy(TDVXSelectStatement& select);
  std::vector<TDVXFieldReference> ParseFieldList(int code);
  std::unique_ptr<TDVXExpression> NewExpression() const;

  // Token walking: current_ mirrors the lexer's current token.
  bool AtEnd() const { return current_.kind == tkNone; }
  bool Is(TSQLKeyword keyword) const { return TDVXLexer::IsKeyword(current_, keyword); }
  bool IsName() const { return current_.kind == tkWord || current_.kind == tkQuoted || current_.kind == tkBracketed; }
  void Next();
  void Sync();
  // Raises `code` with the current token's text and place; at the end of
  // the statement the unexpected-end error instead.
  [[noreturn]] void Fail(int32_t code, const char* message) const;
  [[noreturn]] void FailExpected(int32_t code, const char* what) const;
  void Expect(TSQLKeyword keyword, int32_t code, const char* what);
  void Enter();
  void Leave() { --depth_; }

  TDVXLexer& lexer_;
  TDVXSelectParseSettings settings_;
  TToken current_;
  int depth_ = 0;
};

}  // namespace dvx
