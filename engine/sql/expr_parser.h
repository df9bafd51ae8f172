#pragma once
// TDVXExprParser: recursive descent with backtracking over a lexer's
// tokens. Every rule starts at the current token and either returns a node
// with the current token moved past what it read, or returns null; the
// caller then goes back to the position it remembered and tries its next
// alternative. Nodes of a failed alternative are freed with it. Errors that
// no other alternative could mend are raised at once, at the token where
// parsing stopped; when the statement has ended there, the error is "end of
// SQL command" under the entry's code (30118 conditions, 30136 values).
//
// Conditions, weakest first:
//   condition   := and-term {OR and-term}
//   and-term    := not-term {AND not-term}
//   not-term    := [NOT] EXISTS subquery | [NOT] test
//   test        := primary-cond [IS [NOT] (TRUE | FALSE | UNKNOWN)]
//                | ISNULL(...)                 (a lone ISNULL call)
//   primary-cond:= "(" condition ")" | predicate
//   predicate   := operand cmp-op operand | operand [NOT] LIKE operand
//                | operand IS [NOT] NULL | operand [NOT] BETWEEN operand AND operand
//                | operand [NOT] IN (subquery | "(" value {"," value} ")")
//                | [NOT] EXISTS subquery | TRUE | FALSE | LOGICAL parameter
//   operand     := NULL | value
// Values:
//   value       := arithmetic | concatenation | TOBLOB(...) | date function
//                | TRUE | FALSE | LOGICAL parameter | NULL
//   arithmetic  := term {("+" | "-") term}   (not followed by "||")
//   term        := factor {("*" | "/") factor}
//   factor      := ["+" | "-"] (primary | function)   (no string constant)
//   concatenation := operand-c {("||" | "+") operand-c};  operand-c := primary | function
//   primary     := number | string | field | (subquery) | aggregate | "(" value ")" | CAST(...)
//   function    := UPPER LOWER TRIM LTRIM RTRIM SUBSTRING TOSTRING POS POSITION LENGTH
//                  LASTAUTOINC ISNULL SYSDATE NOW CURRENT_* TODATE EXTRACT YEAR..MSECOND
//                | DATE, TIME or DATETIME parameter
//
// Where this grammar goes beyond the plain order of alternatives, it does so
// to accept what users write without changing what other texts mean: a
// predicate reads its first operand once and lets the next token choose the
// form; TRUE, FALSE and LOGICAL parameters are tried after the predicate
// forms (so "TRUE = x" compares); a lone ISNULL(...) is a condition only
// when no predicate begins with it (so "ISNULL(a, 0) = 3" compares); every
// function may stand in arithmetic and concatenations ("YEAR(d) + 1",
// "LENGTH(s) || 'x'"); CAST accepts a size after the type name
// ("VARCHAR(20)"); the clock functions accept empty parentheses ("NOW()").
//
// Limits keep hostile texts from exhausting the stack or the clock: nesting
// deeper than kMaxNesting, trees higher than kMaxHeight or more parsing
// steps than the budget raise 30932. Failed attempts are remembered per
// rule and position, so no text is tried twice the same way.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>

#include "engine/sql/expr_node.h"
#include "engine/sql/lexer.h"

namespace dvx {

class TDVXExpression;
class TDVXExprNodeConst;

class TDVXExprParser {
 public:
  using TNode = std::unique_ptr<TDVXExprNode>;

  static constexpr int kMaxNesting = 100;
  static constexpr int kMaxHeight = 512;

  // `endCode` is raised when the statement ends inside a construct.
  TDVXExprParser(TDVXLexer& lexer, const TDVXExpression& settings, int32_t endCode);

  // A whole condition; 30066 when there is none at the current token.
  TNode Condition();
  // A value; null when there is none at the current token.
  TNode Value();

 private:
  enum TRule : uint32_t { rValue, rArithmetic, rTerm, rFactor, rConcat, rPrimary, rOperand };

  // --- Tokens --------------------------------------------------------------------------
  bool AtEnd() const { return token_.kind == tkNone; }
  // True (and noted) when a rule that needs a token starts at the end.
  bool StartsAtEnd();
  void Next();
  int Mark() const { return lexer_.GetPosition(); }
  void Restore(int mark);
  bool IsKw(TSQLKeyword keyword) const { return TDVXLexer::IsKeyword(token_, keyword); }
  bool IsOp(const char* text) const;
  bool Is(TTokenKind kind) const { return token_.kind == kind; }
  bool NextIs(TTokenKind kind) const;
  bool NextIsKw(TSQLKeyword keyword) const;
  // A name: a word that is no operator, a bracketed name, or (where
  // `keywordToo`) a keyword.
  bool IsName(bool keywordToo) const;

  // --- Errors and limits -------------------------------------------------------------------
  [[noreturn]] void EndOfCommand() const;
  [[noreturn]] void BooleanExpected(int32_t code) const;
  [[noreturn]] void TokenExpected(int32_t code, const char* expected) const;
  [[noreturn]] void StringArgument(int32_t code, const char* function) const;
  [[noreturn]] void ArgumentExpected(int32_t code, const char* function) const;
  // A message whose only placeholders are the token, its line and column.
  [[noreturn]] void Found(int32_t code, const char* message) const;
  [[noreturn]] void TooComplex() const;
  void Expect(TTokenKind kind, int32_t code, const char* text);
  void Step();
  TNode CheckHeight(TNode node) const;
  bool Failed(TRule rule, int position) const;
  void RememberFailure(TRule rule, int position);

  struct TNesting {
    explicit TNesting(TDVXExprParser& parser);
    ~TNesting() { --parser.nesting_; }
    TDVXExprParser& parser;
  };

  // --- Conditions (expr_parser.cpp) -----------------------------------------------------------
  TNode ParseOr();
  TNode ParseAnd();
  TNode ParseNot();
  TNode ParseTest();
  TNode ParsePrimaryCondition();
  TNode ParsePredicate();
  TNode ParseOperand();
  TNode ParseExists();
  TNode ParseInTail(TNode tested, bool negated);
  TNode MakeComparison(TDVXExprNodeKind kind, TNode left, TNode right);
  // The constant of a filter's partial comparison loses its final "*".
  bool TakePartialMark(TDVXExprNode* node) const;
  // The SQL text of a subquery "(" SELECT ... ")" at the current token,
  // rebuilt from its tokens; false when there is none here.
  bool SubQueryText(std::string& sql);

  // --- Values (expr_parser_values.cpp) --------------------------------------------------------
  TNode ParseValue();
  TNode ParseArithmetic();
  TNode ParseTerm();
  TNode ParseFactor();
  TNode ParseConcatenation();
  TNode ParseConcatOperand();
  TNode ParsePrimary();
  TNode ParseNumberOrString();
  TNode ParseFieldReference();
  TNode ParseAggregate();
  TNode ParseCast();
  TNode ParseLogicalConstant();
  TNode NullConstant() const;

  // --- Functions (expr_parser_functions.cpp) ---------------------------------------------------
  TNode ParseFunction();
  TNode ParseStringFunction();
  TNode ParseSubstring();
  TNode ParsePos();
  TNode ParseLength();
  TNode ParseToString();
  TNode ParseDateFunction();
  TNode ParseToDate();
  TNode ParseDatePart();
  TNode ParseExtract();
  TNode ParseLastAutoInc();
  TNode ParseIsNullFunction();
  TNode ParseToBlob();
  std::string QuotedFormat(int32_t code);

  TDVXLexer& lexer_;
  const TDVXExpression& settings_;
  int32_t endCode_;
  TToken token_;
  int nesting_ = 0;
  // Some rule needed a token where the statement had ended.
  bool hitEnd_ = false;
  int64_t steps_ = 0;
  int64_t budget_;
  std::unordered_set<uint64_t> failures_;
};

}  // namespace dvx
