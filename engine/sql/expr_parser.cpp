#include "engine/sql/expr_parser.h"

#include <cctype>
#include <cstring>

#include "engine/core/exception.h"
#include "engine/sql/expr_node_boolean.h"
#include "engine/sql/expr_node_comparison.h"
#include "engine/sql/expr_node_const.h"
#include "engine/sql/expr_node_isnull_function.h"
#include "engine/sql/expr_node_subquery.h"
#include "engine/sql/expression.h"
#include "engine/sql/sql_errors.h"

namespace dvx {

namespace {

constexpr const char* kOperators[] = {"=", "<", ">", "<=", ">=", "<>", "+", "-", "*", "/", "||", "|"};

bool IsOperatorText(const std::string& text) {
  for (const char* op : kOperators)
    if (text == op) return true;
  return false;
}

// Text of one token as it is written back into a subquery.
std::string TokenSQL(const TToken& token) {
  auto quoted = [](const std::string& text, char open, char close) {
    std::string out(1, open);
    for (char c : text) {
      out += c;
      if (c == close) out += c;
    }
    return out + close;
  };
  switch (token.kind) {
    case tkQuoted: return quoted(token.text, '\'', '\'');
    case tkBracketed: return quoted(token.text, '[', ']');
    case tkParameter: {
      bool plain = !token.text.empty();
      for (char c : token.text)
        plain = plain && (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || static_cast<unsigned char>(c) >= 0x80);
      return plain ? ":" + token.text : ":" + quoted(token.text, '[', ']');
    }
    default: return token.text;
  }
}

}  // namespace

TDVXExprParser::TDVXExprParser(TDVXLexer& lexer, const TDVXExpression& settings, int32_t endCode)
    : lexer_(lexer), settings_(settings), endCode_(endCode) {
  lexer_.GetCurrentToken(token_);
  // Generous for any real statement; a text that needs more is pathological.
  budget_ = 100000 + 2000 * static_cast<int64_t>(lexer_.TokenCount());
}

// --- Tokens ------------------------------------------------------------------------------

void TDVXExprParser::Next() { lexer_.GetNextToken(token_); }

bool TDVXExprParser::StartsAtEnd() {
  if (!AtEnd()) return false;
  hitEnd_ = true;
  return true;
}

void TDVXExprParser::Restore(int mark) { lexer_.SetPosition(mark, token_); }

bool TDVXExprParser::IsOp(const char* text) const { return token_.kind == tkWord && token_.text == text; }

bool TDVXExprParser::NextIs(TTokenKind kind) const {
  TToken next;
  return lexer_.PeekNextToken(next) && next.kind == kind;
}

bool TDVXExprParser::NextIsKw(TSQLKeyword keyword) const {
  TToken next;
  return lexer_.PeekNextToken(next) && TDVXLexer::IsKeyword(next, keyword);
}

bool TDVXExprParser::IsName(bool keywordToo) const {
  if (token_.kind == tkBracketed) return true;
  if (token_.kind == tkKeyword) return keywordToo;
  return token_.kind == tkWord && !IsOperatorText(token_.text);
}

// --- Errors and limits ----------------------------------------------------------------------

void TDVXExprParser::EndOfCommand() const {
  throw EDVXException(endCode_, kMsgUnexpectedEnd, {lexer_.EndLine(), lexer_.EndColumn()});
}

void TDVXExprParser::BooleanExpected(int32_t code) const {
  // When some alternative needed more than the statement holds, the
  // condition was cut short: that is the error, not the token where it
  // began.
  if (AtEnd() || hitEnd_) EndOfCommand();
  throw EDVXException(code, kMsgBooleanExpected, {token_.text, token_.line, token_.column});
}

void TDVXExprParser::TokenExpected(int32_t code, const char* expected) const {
  if (AtEnd()) EndOfCommand();
  throw EDVXException(code, kMsgTokenExpected, {expected, token_.text, token_.line, token_.column});
}

void TDVXExprParser::StringArgument(int32_t code, const char* function) const {
  if (AtEnd()) EndOfCommand();
  throw EDVXException(code, kMsgStringArgument, {function, token_.text, token_.line, token_.column});
}

void TDVXExprParser::ArgumentExpected(int32_t code, const char* function) const {
  if (AtEnd()) EndOfCommand();
  throw EDVXException(code, kMsgArgumentExpected, {function, token_.line, token_.column});
}

void TDVXExprParser::Found(int32_t code, const char* message) const {
  if (AtEnd()) EndOfCommand();
  throw EDVXException(code, message, {token_.text, token_.line, token_.column});
}

void TDVXExprParser::TooComplex() const {
  int32_t line = AtEnd() ? lexer_.EndLine() : token_.line;
  int32_t column = AtEnd() ? lexer_.EndColumn() : token_.column;
  throw EDVXException(kErrExpressionTooComplex, "Expression too complex at line %d, column %d", {line, column});
}

void TDVXExprParser::Expect(TTokenKind kind, int32_t code, const char* text) {
  if (!Is(kind)) TokenExpected(code, text);
  Next();
}

void TDVXExprParser::Step() {
  if (++steps_ > budget_) TooComplex();
}

TDVXExprParser::TNode TDVXExprParser::CheckHeight(TNode node) const {
  if (node && node->Height() > kMaxHeight) TooComplex();
  return node;
}

bool TDVXExprParser::Failed(TRule rule, int position) const {
  return failures_.count((static_cast<uint64_t>(rule) << 32) | static_cast<uint32_t>(position)) != 0;
}

void TDVXExprParser::RememberFailure(TRule rule, int position) {
  failures_.insert((static_cast<uint64_t>(rule) << 32) | static_cast<uint32_t>(position));
}

TDVXExprParser::TNesting::TNesting(TDVXExprParser& p) : parser(p) {
  if (++parser.nesting_ > kMaxNesting) {
    --parser.nesting_;
    parser.TooComplex();
  }
  parser.Step();
}

// --- Entries -------------------------------------------------------------------------------

TDVXExprParser::TNode TDVXExprParser::Condition() {
  if (AtEnd()) EndOfCommand();
  TNode node = ParseOr();
  if (!node) BooleanExpected(kErrTestExpected);
  return CheckHeight(std::move(node));
}

TDVXExprParser::TNode TDVXExprParser::Value() {
  if (AtEnd()) EndOfCommand();
  int start = Mark();
  TNode node = ParseValue();
  if (!node) Restore(start);
  return CheckHeight(std::move(node));
}

// --- Conditions ------------------------------------------------------------------------------

TDVXExprParser::TNode TDVXExprParser::ParseOr() {
  TNode first = ParseAnd();
  if (!first || !IsKw(kwOr)) return first;
  // One node for the whole chain: evaluated child by child it gives what
  // nested two-child ORs give, without their depth.
  auto node = std::make_unique<TDVXExprNodeBoolean>(nkOr);
  node->AddChild(std::move(first));
  while (IsKw(kwOr)) {
    Next();
    TNode term = ParseAnd();
    if (!term) BooleanExpected(kErrOrOperand);
    node->AddChild(std::move(term));
  }
  return CheckHeight(std::move(node));
}

TDVXExprParser::TNode TDVXExprParser::ParseAnd() {
  TNode first = ParseNot();
  if (!first || !IsKw(kwAnd)) return first;
  auto node = std::make_unique<TDVXExprNodeBoolean>(nkAnd);
  node->AddChild(std::move(first));
  while (IsKw(kwAnd)) {
    Next();
    TNode term = ParseNot();
    if (!term) BooleanExpected(kErrAndOperand);
    node->AddChild(std::move(term));
  }
  return CheckHeight(std::move(node));
}

TDVXExprParser::TNode TDVXExprParser::ParseNot() {
  int start = Mark();
  if (IsKw(kwExists) || (IsKw(kwNot) && NextIsKw(kwExists))) {
    if (TNode exists = ParseExists()) return exists;
    Restore(start);
  }
  bool negated = IsKw(kwNot);
  if (negated) Next();
  TNode test = ParseTest();
  if (!test) {
    if (negated) BooleanExpected(kErrNotOperand);
    return nullptr;
  }
  if (!negated) return test;
  auto node = std::make_unique<TDVXExprNodeBoolean>(nkNot);
  node->AddChild(std::move(test));
  return CheckHeight(std::move(node));
}

TDVXExprParser::TNode TDVXExprParser::ParseTest() {
  int start = Mark();
  TNode test = ParsePrimaryCondition();
  if (!test && IsKw(kwIsnull)) {
    Restore(start);
    test = ParseIsNullFunction();
  }
  if (!test) {
    Restore(start);
    return nullptr;
  }
  if (!IsKw(kwIs)) return test;
  Next();
  bool negated = IsKw(kwNot);
  if (negated) Next();
  TDVXExprNodeKind wrap;
  if (IsKw(kwTrue)) {
    wrap = negated ? nkNot : nkNone;
  } else if (IsKw(kwFalse)) {
    wrap = negated ? nkNone : nkNot;
  } else if (IsKw(kwUnknown)) {
    wrap = negated ? nkIsNotNull : nkIsNull;
  } else {
    TokenExpected(kErrTruthWordExpected, "TRUE, FALSE or UNKNOWN");
  }
  Next();
  if (wrap == nkNone) return test;
  auto node = std::make_unique<TDVXExprNodeBoolean>(wrap);
  node->AddChild(std::move(test));
  return CheckHeight(std::move(node));
}

TDVXExprParser::TNode TDVXExprParser::ParsePrimaryCondition() {
  TNesting nesting(*this);
  if (!Is(tkOpen)) return ParsePredicate();
  // A condition that begins with "(" is always a parenthesized condition.
  Next();
  TNode inner = ParseOr();
  if (!inner) BooleanExpected(kErrTestExpected);
  Expect(tkClose, kErrConditionCloseParen, ")");
  return inner;
}

TDVXExprParser::TNode TDVXExprParser::ParsePredicate() {
  if (StartsAtEnd()) return nullptr;
  int start = Mark();
  if (TNode left = ParseOperand()) {
    TDVXExprNodeKind comparison = nkNone;
    if (IsOp("=")) comparison = nkEqual;
    else if (IsOp("<>")) comparison = nkNotEqual;
    else if (IsOp(">")) comparison = nkGreater;
    else if (IsOp("<")) comparison = nkLess;
    else if (IsOp(">=")) comparison = nkGreaterOrEqual;
    else if (IsOp("<=")) comparison = nkLessOrEqual;
    if (comparison != nkNone) {
      Next();
      if (TNode right = ParseOperand()) return MakeComparison(comparison, std::move(left), std::move(right));
    } else if (IsKw(kwIs)) {
      Next();
      bool negated = IsKw(kwNot);
      if (negated) Next();
      if (IsKw(kwNull)) {
        Next();
        auto node = std::make_unique<TDVXExprNodeBoolean>(negated ? nkIsNotNull : nkIsNull);
        node->AddChild(std::move(left));
        return CheckHeight(std::move(node));
      }
    } else {
      bool negated = IsKw(kwNot);
      if (negated) Next();
      if (IsKw(kwLike)) {
        Next();
        if (TNode pattern = ParseOperand()) {
          auto node = std::make_unique<TDVXExprNodeBoolean>(negated ? nkNotLike : nkLike);
          node->SetCaseInsensitive(settings_.CaseInsensitive());
          node->AddChild(std::move(left));
          node->AddChild(std::move(pattern));
          return CheckHeight(std::move(node));
        }
      } else if (IsKw(kwBetween)) {
        Next();
        TNode low = ParseOperand();
        if (low && IsKw(kwAnd)) {
          Next();
          if (TNode high = ParseOperand()) {
            auto node = std::make_unique<TDVXExprNodeBoolean>(negated ? nkNotBetween : nkBetween);
            node->SetCaseInsensitive(true);
            node->AddChild(std::move(left));
            node->AddChild(std::move(low));
            node->AddChild(std::move(high));
            return CheckHeight(std::move(node));
          }
        }
      } else if (IsKw(kwIn)) {
        Next();
        if (TNode in = ParseInTail(std::move(left), negated)) return in;
      }
    }
  }
  Restore(start);
  if (IsKw(kwExists) || (IsKw(kwNot) && NextIsKw(kwExists))) {
    if (TNode exists = ParseExists()) return exists;
    Restore(start);
  }
  if (TNode constant = ParseLogicalConstant()) return constant;
  Restore(start);
  return nullptr;
}

TDVXExprParser::TNode TDVXExprParser::ParseOperand() {
  if (StartsAtEnd()) return nullptr;
  if (IsKw(kwNull)) {
    Next();
    return NullConstant();
  }
  return ParseValue();
}

bool TDVXExprParser::TakePartialMark(TDVXExprNode* node) const {
  auto* constant = dynamic_cast<TDVXExprNodeConst*>(node);
  if (!constant || !constant->IsStringConstant() || constant->Value().IsNull()) return false;
  TDVXVariant& value = constant->MutableValue();
  if (IsWideType(value.DataType())) {
    std::u16string text = value.GetAsWideString();
    if (text.empty() || text.back() != u'*') return false;
    text.pop_back();
    uint8_t type = value.DataType();
    value.Clear(type);
    value.SetAsWideString(text);
  } else {
    std::string text = value.GetAsString();
    if (text.empty() || text.back() != '*') return false;
    text.pop_back();
    uint8_t type = value.DataType();
    value.Clear(type);
    value.SetAsString(text);
  }
  return true;
}

TDVXExprParser::TNode TDVXExprParser::MakeComparison(TDVXExprNodeKind kind, TNode left, TNode right) {
  bool partial = false;
  if (settings_.PartialAllowed()) {
    partial = TakePartialMark(left.get());
    partial = TakePartialMark(right.get()) || partial;
  }
  auto node = std::make_unique<TDVXExprNodeComparison>(kind, std::move(left), std::move(right),
                                                       settings_.NullAsUnknown());
  node->SetCaseInsensitive(settings_.CaseInsensitive());
  node->SetPartial(partial);
  return CheckHeight(std::move(node));
}

TDVXExprParser::TNode TDVXExprParser::ParseExists() {
  bool negated = IsKw(kwNot);
  if (negated) Next();
  if (!IsKw(kwExists)) return nullptr;
  Next();
  std::string sql;
  if (!SubQueryText(sql)) return nullptr;
  return std::make_unique<TDVXExprNodeSubQueryExists>(sql, settings_.Services(), settings_.Environment(), negated);
}

TDVXExprParser::TNode TDVXExprParser::ParseInTail(TNode tested, bool negated) {
  std::string sql;
  if (SubQueryText(sql)) {
    auto node =
        std::make_unique<TDVXExprNodeSubQueryIN>(sql, settings_.Services(), settings_.Environment(), negated);
    node->AddChild(std::move(tested));
    return CheckHeight(std::move(node));
  }
  if (!Is(tkOpen)) return nullptr;
  Next();
  auto node = std::make_unique<TDVXExprNodeBoolean>(negated ? nkNotIn : nkIn);
  node->SetCaseInsensitive(true);
  node->AddChild(std::move(tested));
  while (true) {
    TNode item = ParseOperand();
    if (!item) return nullptr;
    node->AddChild(std::move(item));
    if (!Is(tkComma)) break;
    Next();
  }
  if (!Is(tkClose)) return nullptr;
  Next();
  return CheckHeight(std::move(node));
}

bool TDVXExprParser::SubQueryText(std::string& sql) {
  if (!Is(tkOpen) || !NextIsKw(kwSelect)) return false;
  Next();
  sql.clear();
  int depth = 1;
  bool glue = false;  // the previous token was a point
  while (true) {
    if (AtEnd()) TokenExpected(kErrSubQueryUnclosed, ")");
    if (Is(tkOpen)) ++depth;
    if (Is(tkClose) && --depth == 0) break;
    // A point joins the names on both sides: "t . a" is written "t.a".
    if (!sql.empty() && !glue && !Is(tkPoint)) sql += ' ';
    sql += TokenSQL(token_);
    glue = Is(tkPoint);
    Next();
  }
  Next();
  return true;
}

}  // namespace dvx
