#pragma once
// TDVXSQLSelect: one SELECT statement and the building of its operator
// tree:
//
//   1. Each table reference becomes a table operator, a join reference a
//      join over its two sides. Join fields: none for CROSS and NATURAL;
//      the USING fields; or the "=" terms of the ON condition between the
//      two sides, and for inner joins also those of WHERE. The rest of an
//      inner join's ON condition is pushed down into it; the rest of an
//      outer join's decides which rows match.
//   2. References separated by "," are joined left to right: inner on the
//      WHERE "=" terms between the tree so far and the next, else cross.
//   3. WHERE is pushed down the tree (never into the optional side of an
//      outer join); a term that lands nowhere is reported.
//   4. Grouping (GROUP BY, or aggregates in the select list) puts a group
//      operator on top, with HAVING.
//   5. The result is the top operator over the select list, with
//      DISTINCT, ORDER BY (result columns by name or number, or other
//      fields of the top operator) and TOP applied, in that order.
//
// A live result is asked for and possible when the statement reads one
// table with plain fields only, without DISTINCT, grouping, ORDER BY or
// TOP: the table's own cursor is the result, with WHERE as its condition.
#include <memory>

#include "engine/query/select_statement.h"
#include "engine/query/sql_command.h"

namespace dvx {

class TDVXSQLSelect : public TDVXSQLCursorCommand {
 public:
  // Over a SELECT the query parser has parsed already.
  TDVXSQLSelect(TDVXLexer& lexer, const TDVXSQLContext& context, std::unique_ptr<TDVXSelectStatement> statement);
  ~TDVXSQLSelect() override;

  void Parse() override {}
  const TDVXSelectStatement& Statement() const { return *statement_; }

  std::unique_ptr<TDVXAO> BuildOperatorTree(bool allowLive, std::unique_ptr<TDVXLocalCursor>& live) override;

 private:
  std::unique_ptr<TDVXAO> BuildReference(TDVXTableReference& reference);
  std::unique_ptr<TDVXSelectStatement> statement_;
};

}  // namespace dvx
