#include "engine/query/sql_union.h"

#include "engine/core/exception.h"
#include "engine/query/ao_union.h"
#include "engine/query/query_errors.h"
#include "engine/query/select_parser.h"
#include "engine/query/sql_select.h"
#include "engine/tables/local_cursor.h"

namespace dvx {

TDVXSQLUnion::TDVXSQLUnion(TDVXLexer& lexer, const TDVXSQLContext& context) : TDVXSQLCursorCommand(lexer, context) {}

TDVXSQLUnion::~TDVXSQLUnion() = default;

void TDVXSQLUnion::Parse() {
  TDVXSelectParseSettings settings;
  settings.environment = context_.environment;
  settings.services = context_.services;
  TDVXSelectParser parser(lexer_, settings);
  root_ = parser.ParseQuery();
  TToken token;
  if (lexer_.GetCurrentToken(token))
    throw EDVXException(kErrTrailingTokens, kMsgUnexpectedToken, {token.text, token.line, token.column});
  if (root_->operation == qoSelect) {
    const TDVXSelectStatement& select = *root_->select;
    hasInto_ = select.hasInto;
    intoInMemory_ = select.intoInMemory;
    intoDatabase_ = select.intoDatabase;
    intoTable_ = select.intoTable;
  }
}

std::unique_ptr<TDVXAO> TDVXSQLUnion::BuildOperatorTree(bool allowLive, std::unique_ptr<TDVXLocalCursor>& live) {
  return BuildNode(*root_, allowLive && root_->operation == qoSelect, live);
}

std::unique_ptr<TDVXAO> TDVXSQLUnion::BuildNode(TDVXQueryExprNode& node, bool allowLive,
                                                std::unique_ptr<TDVXLocalCursor>& live) {
  if (node.operation == qoSelect) {
    // Building moves conditions into the operators, so a statement runs
    // once; the SELECT command keeps it (and the expressions the tree
    // reads) for as long as this command lives.
    if (!node.select) throw EDVXException(kErrQueryRunTwice, "A parsed query runs once; parse it again to run it again");
    selects_.push_back(std::make_unique<TDVXSQLSelect>(lexer_, context_, std::move(node.select)));
    return selects_.back()->BuildOperatorTree(allowLive, live);
  }
  std::unique_ptr<TDVXAO> left = BuildNode(*node.left, false, live);
  std::unique_ptr<TDVXAO> right = BuildNode(*node.right, false, live);
  const int kind = node.operation == qoUnion ? ukUnion : node.operation == qoIntersect ? ukIntersect : ukExcept;
  auto op = std::make_unique<TDVXAOUnion>(kind, std::move(left), std::move(right), !node.all, node.corresponding,
                                          node.correspondingBy);
  op->Open();
  return op;
}

}  // namespace dvx
