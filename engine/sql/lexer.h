#pragma once
// TDVXLexer: splits an SQL text into statements and each statement into
// tokens. The processor asks for one statement at a time; parsers then walk
// that statement's tokens forward and, to try an alternative, back to a
// position they remembered.
//
// Statements end at ";" outside quoted texts, bracketed names and comments,
// and at the end of the text; a statement without tokens (";;", a lone
// comment) is skipped. Parameters (":name", ":'name'", ":[name]") are bound
// while tokenizing: each parameter token carries its own copy of the value
// it had then, so every parameter a statement names must be in the list
// before the statement is tokenized.
//
// Tokenizing errors (30059 missing ")", 30060 unmatched ")", 30061
// unterminated text, 30062 bad character in a number, 30358 unknown
// parameter) abort the statement: it has no tokens, and the scan continues
// after it on the next call.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/exception.h"
#include "engine/sql/token.h"
#include "engine/values/sql_param.h"

namespace dvx {

class TDVXLexer {
 public:
  // The parameter list is not owned and may be null (no parameters).
  TDVXLexer(std::string sql, const TDVXSQLParams* params);

  // Tokenizes the next statement and makes its first token current; false
  // when the rest of the text holds no token.
  bool NextStatement();
  // Ordinal of the current statement, from 1; 0 before the first.
  int StatementNumber() const { return statementNumber_; }

  // The token at the current index; false (and a token of kind tkNone) past
  // the end of the statement.
  bool GetCurrentToken(TToken& token) const;
  // Moves one token on and returns it as GetCurrentToken does.
  bool GetNextToken(TToken& token);
  // The token after the current one, without moving.
  bool PeekNextToken(TToken& token) const;
  int GetPosition() const { return index_; }
  // Makes `index` current (clamped to 0 .. TokenCount()) and returns the
  // token there.
  bool SetPosition(int index, TToken& token);
  int TokenCount() const { return static_cast<int>(tokens_.size()); }
  // Replaces `count` tokens of the current statement from `from` on by
  // `tokens` (statements that read as a query once rewritten); the current
  // index is left where it was, clamped to the new token count.
  void ReplaceTokens(int from, int count, std::vector<TToken> tokens);
  // A keyword token of the text (upper case), placed where `at` stands.
  static TToken MakeKeywordToken(std::string_view upperCaseWord, const TToken& at);

  // True when the token is a keyword and, unless kwNone is asked, that one.
  static bool IsKeyword(const TToken& token, TSQLKeyword keyword = kwNone);

  // The step every statement parser takes when it expects certain kinds:
  // moves on; at the end of the statement raises 30161 (or returns false
  // when `code` is -1); when `allowed` is not empty and the new token's kind
  // is not in it, raises `code` with `message` and the token's text, line
  // and column.
  bool GetNextTokenExpecting(TToken& token, TTokenKinds allowed, int32_t code, std::string_view message);

  // Where the current statement's last token ends (the line and column just
  // after it): the place reported when a statement ends too early.
  int32_t EndLine() const { return endLine_; }
  int32_t EndColumn() const { return endColumn_; }

 private:
  struct TPending;

  void Advance();
  char At(size_t pos) const { return pos < sql_.size() ? sql_[pos] : '\0'; }
  bool HasAt(size_t pos) const { return pos < sql_.size(); }
  void StartToken(TPending& pending);
  void FinishToken(TPending& pending);
  // Errors found inside a statement are kept (the first one) until the
  // statement's end is known, so that the next call starts after it.
  void Fail(EDVXException error);
  void ValidateNumber(const TPending& pending);
  void SkipComment(bool toLineEnd);

  std::string sql_;
  const TDVXSQLParams* params_;
  size_t scan_ = 0;
  int32_t line_ = 1;
  int32_t column_ = 1;
  int statementNumber_ = 0;
  std::vector<TToken> tokens_;
  int index_ = 0;
  int32_t endLine_ = 1;
  int32_t endColumn_ = 1;
  std::optional<EDVXException> failure_;
};

}  // namespace dvx
