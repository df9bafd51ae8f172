#pragma once
// TDVXSQLUnion: a query, a single SELECT or set operations of SELECTs
// (select_parser.h for the grammar). A single SELECT runs as itself (its
// INTO target becomes the command's, and it may give a live result); a set
// operation runs each SELECT to its rows and combines them with union
// operators (ao_union.h): UNION, INTERSECT, EXCEPT, distinct unless ALL.
#include <memory>
#include <vector>

#include "engine/query/select_statement.h"
#include "engine/query/sql_command.h"

namespace dvx {

class TDVXSQLSelect;

class TDVXSQLUnion : public TDVXSQLCursorCommand {
 public:
  TDVXSQLUnion(TDVXLexer& lexer, const TDVXSQLContext& context);
  ~TDVXSQLUnion() override;

  // Parses the query from the lexer's current token to the end of the
  // statement; tokens after a whole query raise 31101.
  void Parse() override;
  const TDVXQueryExprNode& Root() const { return *root_; }

  std::unique_ptr<TDVXAO> BuildOperatorTree(bool allowLive, std::unique_ptr<TDVXLocalCursor>& live) override;

 private:
  std::unique_ptr<TDVXAO> BuildNode(TDVXQueryExprNode& node, bool allowLive, std::unique_ptr<TDVXLocalCursor>& live);

  std::unique_ptr<TDVXQueryExprNode> root_;
  std::vector<std::unique_ptr<TDVXSQLSelect>> selects_;
};

}  // namespace dvx
