#include "engine/sql/lexer.h"

#include <algorithm>
#include <optional>

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/sql/sql_errors.h"

namespace dvx {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsQuote(char c) { return c == '\'' || c == '"' || c == '`'; }
bool IsNumberKind(TTokenKind k) { return k == tkInteger || k == tkReal; }

// Characters that end any open token and start one of their own.
bool IsBreakingChar(char c) {
  switch (c) {
    case '>': case '<': case '=': case '(': case ')': case ',':
    case '/': case '*': case ':': case '|':
      return true;
    default:
      return false;
  }
}

struct TPosition {
  int32_t line;
  int32_t column;
};

}  // namespace

// The token being read. `quote` is the closing character while inside a
// quoted text or bracketed name, 0 otherwise.
struct TDVXLexer::TPending {
  bool open = false;
  TTokenKind kind = tkNone;
  std::string text;
  int32_t line = 0;
  int32_t column = 0;
  char quote = 0;
  bool parameter = false;
  char last = 0;
};

TDVXLexer::TDVXLexer(std::string sql, const TDVXSQLParams* params) : sql_(std::move(sql)), params_(params) {}

void TDVXLexer::Advance() {
  // A line feed starts a new line; a carriage return does not move the
  // column; every other character moves it by one.
  char c = sql_[scan_++];
  if (c == '\n') {
    ++line_;
    column_ = 1;
  } else if (c != '\r') {
    ++column_;
  }
}

void TDVXLexer::SkipComment(bool toLineEnd) {
  Advance();
  Advance();
  while (scan_ < sql_.size()) {
    if (toLineEnd) {
      bool lineFeed = sql_[scan_] == '\n';
      Advance();
      if (lineFeed) return;
    } else if (sql_[scan_] == '*' && At(scan_ + 1) == '/') {
      Advance();
      Advance();
      return;
    } else {
      Advance();
    }
  }
  // A comment left open runs to the end of the text.
}

// Opens a token at the current character and consumes what belongs to it at
// once: the one-character tokens and two-character operators end here, a
// parameter's ":" takes the character after it.
void TDVXLexer::StartToken(TPending& p) {
  p = TPending{};
  p.open = true;
  p.line = line_;
  p.column = column_;
  char c = sql_[scan_];
  char next = At(scan_ + 1);
  auto single = [&](TTokenKind kind, int length) {
    p.kind = kind;
    for (int i = 0; i < length; ++i) {
      p.text += sql_[scan_];
      Advance();
    }
    FinishToken(p);
  };
  if (IsQuote(c) || c == '[') {
    p.kind = c == '[' ? tkBracketed : tkQuoted;
    p.quote = c == '[' ? ']' : c;
    Advance();
    return;
  }
  switch (c) {
    case '(': return single(tkOpen, 1);
    case ')': return single(tkClose, 1);
    case ',': return single(tkComma, 1);
    case '-': case '+': case '*': case '/': case '=': return single(tkWord, 1);
    case '<': return single(tkWord, next == '=' || next == '>' ? 2 : 1);
    case '>': return single(tkWord, next == '=' ? 2 : 1);
    case '|': return single(tkWord, next == '|' ? 2 : 1);
    default: break;
  }
  if (c == '.') {
    // ".5" is a number; any other point stands alone.
    if (!IsDigit(next)) return single(tkPoint, 1);
    p.kind = tkInteger;
    p.text.assign(1, '.');
    p.last = '.';
    Advance();
    return;
  }
  if (c == ':') {
    // A parameter: ":" and a name, a quoted text or a bracketed text. A ":"
    // before anything else names the parameter "" (and so is not found).
    p.parameter = true;
    Advance();
    if (IsQuote(next) || next == '[') {
      p.kind = next == '[' ? tkBracketed : tkQuoted;
      p.quote = next == '[' ? ']' : next;
      Advance();
      return;
    }
    p.kind = tkWord;
    if (!HasAt(scan_) || IsSeparator(next) || IsBreakingChar(next) || next == ';' || next == '.' || next == '+' ||
        next == '-') {
      FinishToken(p);
      return;
    }
    p.text += next;
    p.last = next;
    Advance();
    return;
  }
  p.kind = IsDigit(c) ? tkInteger : tkWord;
  p.text += c;
  p.last = c;
  Advance();
}

// A number's text must read as digits, at most one point, and an exponent
// with an optional sign and at least one digit. The rules of the token
// breaks let "1.2.3" or "1e" through; they are refused here so that no
// malformed literal reaches a parser. The position named is the first
// character that does not fit (the last one when the text stops short).
void TDVXLexer::ValidateNumber(const TPending& p) {
  const std::string& t = p.text;
  size_t i = 0, mantissaDigits = 0;
  std::optional<size_t> bad;
  while (i < t.size() && IsDigit(t[i])) ++i, ++mantissaDigits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && IsDigit(t[i])) ++i, ++mantissaDigits;
  }
  if (mantissaDigits == 0) bad = 0;
  if (!bad && i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t digits = 0;
    while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
    if (digits == 0) bad = i < t.size() ? i : t.size() - 1;
  }
  if (!bad && i < t.size()) bad = i;
  if (!bad) return;
  // Numbers never span lines, so the column is the start plus the offset.
  Fail(EDVXException(kErrInvalidNumericSymbol, "Invalid numeric symbol '%s' at line %d, column %d",
                      {std::string(1, t[*bad]), p.line, p.column + static_cast<int32_t>(*bad)}));
}

void TDVXLexer::Fail(EDVXException error) {
  if (!failure_) failure_ = std::move(error);
}

void TDVXLexer::FinishToken(TPending& p) {
  if (!p.open) return;
  p.open = false;
  endLine_ = line_;
  endColumn_ = column_;
  TToken token;
  token.kind = p.kind;
  token.line = p.line;
  token.column = p.column;
  if (IsNumberKind(p.kind)) {
    if (p.text.find_first_of(".eE") != std::string::npos) token.kind = tkReal;
    ValidateNumber(p);
  }
  token.text = std::move(p.text);
  if (p.parameter) {
    token.kind = tkParameter;
    const TDVXSQLParam* param = params_ ? params_->FindParam(token.text) : nullptr;
    if (param)
      token.value = std::make_shared<const TDVXVariant>(*param);
    else
      Fail(EDVXException(kErrParamNotFound, "Value for parameter '%s' not found", {token.text}));
  } else if (token.kind == tkWord) {
    token.keyword = FindKeyword(AnsiUpperCase(token.text));
    if (token.keyword != kwNone) token.kind = tkKeyword;
  }
  tokens_.push_back(std::move(token));
}

bool TDVXLexer::NextStatement() {
  while (true) {
    tokens_.clear();
    index_ = 0;
    failure_.reset();
    if (scan_ >= sql_.size()) return false;
    endLine_ = line_;
    endColumn_ = column_;

    TPending p;
    std::vector<TPosition> openParens;
    std::optional<TPosition> unmatchedClose;
    bool statementEnded = false;
    // Every pass consumes at least one character.
    while (scan_ < sql_.size() && !statementEnded) {
      char c = sql_[scan_];
      if (p.open && p.quote != 0) {
        if (c == p.quote && At(scan_ + 1) == p.quote && HasAt(scan_ + 1)) {
          p.text += c;
          Advance();
          Advance();
        } else if (c == p.quote) {
          Advance();
          FinishToken(p);
        } else {
          p.text += c;
          Advance();
        }
        continue;
      }
      if (c == ';') {
        FinishToken(p);
        Advance();
        statementEnded = true;
        continue;
      }
      if ((c == '-' && At(scan_ + 1) == '-') || (c == '/' && At(scan_ + 1) == '*')) {
        FinishToken(p);
        SkipComment(c == '-');
        continue;
      }
      if (IsSeparator(c)) {
        FinishToken(p);
        Advance();
        continue;
      }
      if (p.open) {
        bool number = IsNumberKind(p.kind);
        bool ends = IsBreakingChar(c) || (c == '.' && !number) ||
                    ((c == '+' || c == '-') && (!number || (p.last != 'e' && p.last != 'E')));
        if (!ends) {
          if (number && !IsDigit(c) && c != '.' && c != 'e' && c != 'E' && c != '+' && c != '-')
            Fail(EDVXException(kErrInvalidNumericSymbol, "Invalid numeric symbol '%s' at line %d, column %d",
                               {std::string(1, c), line_, column_}));
          p.text += c;
          p.last = c;
          Advance();
          continue;
        }
        FinishToken(p);
      }
      TPosition at{line_, column_};
      if (c == '(') openParens.push_back(at);
      if (c == ')') {
        if (!openParens.empty())
          openParens.pop_back();
        else if (!unmatchedClose)
          unmatchedClose = at;
      }
      StartToken(p);
    }
    bool unterminated = p.open && p.quote != 0;
    if (!unterminated) FinishToken(p);

    // The first error met inside the statement comes first, then what is
    // wrong with the statement as a whole.
    if (failure_ || !openParens.empty() || unmatchedClose || unterminated) tokens_.clear();
    if (failure_) throw *failure_;
    if (!openParens.empty())
      throw EDVXException(kErrMissingCloseParen, "Missing symbol ')' at line %d, column %d",
                          {openParens.back().line, openParens.back().column});
    if (unmatchedClose)
      throw EDVXException(kErrUnexpectedCloseParen, "Unexpected symbol ')' found at line %d, column %d",
                          {unmatchedClose->line, unmatchedClose->column});
    if (unterminated)
      throw EDVXException(kErrUnterminatedString, "Unterminated string at line %d, column %d", {p.line, p.column});
    if (!tokens_.empty()) {
      ++statementNumber_;
      return true;
    }
  }
}

bool TDVXLexer::GetCurrentToken(TToken& token) const {
  if (index_ < 0 || index_ >= TokenCount()) {
    token = TToken{};
    return false;
  }
  token = tokens_[static_cast<size_t>(index_)];
  return true;
}

bool TDVXLexer::GetNextToken(TToken& token) {
  if (index_ < TokenCount()) ++index_;
  return GetCurrentToken(token);
}

bool TDVXLexer::PeekNextToken(TToken& token) const {
  int next = index_ + 1;
  if (next >= TokenCount()) {
    token = TToken{};
    return false;
  }
  token = tokens_[static_cast<size_t>(next)];
  return true;
}

bool TDVXLexer::SetPosition(int index, TToken& token) {
  index_ = index < 0 ? 0 : (index > TokenCount() ? TokenCount() : index);
  return GetCurrentToken(token);
}

void TDVXLexer::ReplaceTokens(int from, int count, std::vector<TToken> tokens) {
  from = std::clamp(from, 0, TokenCount());
  count = std::clamp(count, 0, TokenCount() - from);
  tokens_.erase(tokens_.begin() + from, tokens_.begin() + from + count);
  tokens_.insert(tokens_.begin() + from, std::make_move_iterator(tokens.begin()), std::make_move_iterator(tokens.end()));
  index_ = std::min(index_, TokenCount());
}

TToken TDVXLexer::MakeKeywordToken(std::string_view upperCaseWord, const TToken& at) {
  TToken token;
  token.text = std::string(upperCaseWord);
  token.keyword = FindKeyword(upperCaseWord);
  token.kind = token.keyword == kwNone ? tkWord : tkKeyword;
  token.line = at.line;
  token.column = at.column;
  return token;
}

bool TDVXLexer::IsKeyword(const TToken& token, TSQLKeyword keyword) {
  if (token.kind != tkKeyword) return false;
  return keyword == kwNone || token.keyword == keyword;
}

bool TDVXLexer::GetNextTokenExpecting(TToken& token, TTokenKinds allowed, int32_t code, std::string_view message) {
  if (!GetNextToken(token)) {
    if (code == -1) return false;
    throw EDVXException(kErrUnexpectedEnd, kMsgUnexpectedEnd, {endLine_, endColumn_});
  }
  if (allowed != 0 && !InKinds(allowed, token.kind))
    throw EDVXException(code, message, {token.text, token.line, token.column});
  return true;
}

}  // namespace dvx
