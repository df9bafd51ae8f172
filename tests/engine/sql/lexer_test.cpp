#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "engine/core/exception.h"
#include "engine/sql/lexer.h"
#include "engine/sql/sql_errors.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::ThrowsDvx;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace dvx {
namespace {

const char* KindName(TTokenKind kind) {
  switch (kind) {
    case tkWord: return "word";
    case tkQuoted: return "quoted";
    case tkBracketed: return "bracketed";
    case tkInteger: return "integer";
    case tkReal: return "real";
    case tkKeyword: return "keyword";
    case tkParameter: return "parameter";
    case tkOpen: return "open";
    case tkClose: return "close";
    case tkComma: return "comma";
    case tkPoint: return "point";
    default: return "none";
  }
}

// Every statement of a text as "kind:text" lines, one vector per statement.
std::vector<std::vector<std::string>> Statements(const std::string& sql, const TDVXSQLParams* params = nullptr) {
  TDVXLexer lexer(sql, params);
  std::vector<std::vector<std::string>> result;
  while (lexer.NextStatement()) {
    std::vector<std::string> tokens;
    TToken token;
    for (bool ok = lexer.GetCurrentToken(token); ok; ok = lexer.GetNextToken(token))
      tokens.push_back(std::string(KindName(token.kind)) + ":" + token.text);
    result.push_back(tokens);
  }
  return result;
}

std::vector<std::string> Tokens(const std::string& sql) {
  auto statements = Statements(sql);
  EXPECT_EQ(statements.size(), 1u) << sql;
  return statements.empty() ? std::vector<std::string>{} : statements.front();
}

// --- Token kinds, table-driven ---------------------------------------------------------

struct TLexCase {
  const char* sql;
  std::vector<std::string> tokens;
};

class LexerTokens : public ::testing::TestWithParam<TLexCase> {};

TEST_P(LexerTokens, SplitsAndClassifies) { EXPECT_THAT(Tokens(GetParam().sql), ElementsAreArray(GetParam().tokens)); }

INSTANTIATE_TEST_SUITE_P(
    Numbers, LexerTokens,
    ::testing::Values(TLexCase{"1.5", {"real:1.5"}}, TLexCase{".5", {"real:.5"}}, TLexCase{"1e-3", {"real:1e-3"}},
                      TLexCase{"1E+30", {"real:1E+30"}}, TLexCase{"5.", {"real:5."}},
                      TLexCase{"1-3", {"integer:1", "word:-", "integer:3"}},
                      TLexCase{"1+3", {"integer:1", "word:+", "integer:3"}},
                      TLexCase{"2*3/4", {"integer:2", "word:*", "integer:3", "word:/", "integer:4"}},
                      TLexCase{"f(1,2)", {"word:f", "open:(", "integer:1", "comma:,", "integer:2", "close:)"}},
                      TLexCase{"t1.5", {"word:t1", "real:.5"}}));

INSTANTIATE_TEST_SUITE_P(
    WordsAndOperators, LexerTokens,
    ::testing::Values(TLexCase{"a.b", {"word:a", "point:.", "word:b"}},
                      TLexCase{"a<>b", {"word:a", "word:<>", "word:b"}},
                      TLexCase{"a<=b>=c", {"word:a", "word:<=", "word:b", "word:>=", "word:c"}},
                      TLexCase{"a<b>c", {"word:a", "word:<", "word:b", "word:>", "word:c"}},
                      TLexCase{"a||b|c", {"word:a", "word:||", "word:b", "word:|", "word:c"}},
                      TLexCase{"x=-1", {"word:x", "word:=", "word:-", "integer:1"}},
                      TLexCase{"a.*", {"word:a", "point:.", "word:*"}},
                      TLexCase{"Gr\xF6\xDF" "e_1", {"word:Gr\xF6\xDF" "e_1"}},
                      TLexCase{"absolute ABSOLUTE", {"word:absolute", "word:ABSOLUTE"}},
                      TLexCase{"select Where msecond", {"keyword:select", "keyword:Where", "keyword:msecond"}},
                      TLexCase{"a..b", {"word:a", "point:.", "point:.", "word:b"}}));

INSTANTIATE_TEST_SUITE_P(
    QuotingAndComments, LexerTokens,
    ::testing::Values(TLexCase{"'It''s'", {"quoted:It's"}}, TLexCase{"[My Field]", {"bracketed:My Field"}},
                      TLexCase{"[a]]b]", {"bracketed:a]b"}}, TLexCase{"\"say \"\"hi\"\"\"", {"quoted:say \"hi\""}},
                      TLexCase{"`back`", {"quoted:back"}}, TLexCase{"''", {"quoted:"}},
                      TLexCase{"'a;b' [c;d]", {"quoted:a;b", "bracketed:c;d"}},
                      TLexCase{"':abc'", {"quoted::abc"}},
                      TLexCase{"x--comment; still\ny", {"word:x", "word:y"}},
                      TLexCase{"x/* ; */y", {"word:x", "word:y"}}, TLexCase{"a /* open to the end", {"word:a"}},
                      TLexCase{"'a'b", {"quoted:a", "word:b"}}));

TEST(Lexer, ApplicationQueryGivesItsTokensAndParameterValue) {
  TDVXSQLParams params;
  TDVXSQLParam& zuid = params.Add();
  zuid.SetName("ZUID");
  zuid.SetAsSignedInt32(7);
  TDVXLexer lexer("SELECT  Baum_ID, BezTree  FROM Baum\r\nWhere Ebene = :zuid", &params);
  ASSERT_TRUE(lexer.NextStatement());
  std::vector<std::string> seen;
  TToken token;
  for (bool ok = lexer.GetCurrentToken(token); ok; ok = lexer.GetNextToken(token))
    seen.push_back(std::string(KindName(token.kind)) + ":" + token.text);
  EXPECT_THAT(seen, ElementsAre("keyword:SELECT", "word:Baum_ID", "comma:,", "word:BezTree", "keyword:FROM",
                                "word:Baum", "keyword:Where", "word:Ebene", "word:=", "parameter:zuid"));
  lexer.SetPosition(9, token);
  ASSERT_EQ(token.kind, tkParameter);
  ASSERT_TRUE(token.value);
  EXPECT_EQ(token.value->GetAsSignedInt32(), 7);
  EXPECT_EQ(token.line, 2);
  EXPECT_EQ(token.column, 15);
  lexer.SetPosition(6, token);
  EXPECT_TRUE(TDVXLexer::IsKeyword(token, kwWhere));
  EXPECT_TRUE(TDVXLexer::IsKeyword(token));
  EXPECT_FALSE(TDVXLexer::IsKeyword(token, kwSelect));
  EXPECT_FALSE(lexer.NextStatement());
}

// --- Statements --------------------------------------------------------------------------

TEST(LexerStatements, SemicolonsSplitAndTrailingOneAddsNothing) {
  EXPECT_EQ(Statements("SELECT a FROM t; DELETE FROM t;").size(), 2u);
  EXPECT_EQ(Statements(";;a;;  -- nothing\n;").size(), 1u);
  EXPECT_TRUE(Statements("  /* only a comment */ ").empty());
}

TEST(LexerStatements, SemicolonInsideTextCommentOrNameDoesNotSplit) {
  auto statements = Statements("SELECT 'a;b', [c;d] /* ; */ -- ;\nFROM t; x");
  ASSERT_EQ(statements.size(), 2u);
  EXPECT_EQ(statements[0].size(), 6u);
  EXPECT_THAT(statements[1], ElementsAre("word:x"));
}

TEST(LexerStatements, NumbersStatementsInOrder) {
  TDVXLexer lexer("a; b", nullptr);
  EXPECT_EQ(lexer.StatementNumber(), 0);
  ASSERT_TRUE(lexer.NextStatement());
  ASSERT_TRUE(lexer.NextStatement());
  EXPECT_EQ(lexer.StatementNumber(), 2);
}

// --- Positions ---------------------------------------------------------------------------

TEST(LexerPositions, LinesAndColumnsCountFromOne) {
  TDVXLexer lexer("a\r\n\tbb  'x\ny' z", nullptr);
  ASSERT_TRUE(lexer.NextStatement());
  std::vector<std::pair<int, int>> at;
  TToken token;
  for (bool ok = lexer.GetCurrentToken(token); ok; ok = lexer.GetNextToken(token))
    at.emplace_back(token.line, token.column);
  // The carriage return does not move the column; the tab does; the line
  // break inside the quoted text counts.
  EXPECT_THAT(at, ElementsAre(std::pair{1, 1}, std::pair{2, 2}, std::pair{2, 6}, std::pair{3, 4}));
  EXPECT_EQ(lexer.EndLine(), 3);
  EXPECT_EQ(lexer.EndColumn(), 5);
}

// --- Errors, table-driven -----------------------------------------------------------------

struct TLexError {
  const char* sql;
  int32_t code;
  const char* message;
};

class LexerErrors : public ::testing::TestWithParam<TLexError> {};

TEST_P(LexerErrors, RaiseWithPosition) {
  TDVXLexer lexer(GetParam().sql, nullptr);
  EXPECT_THAT([&] { lexer.NextStatement(); }, ThrowsDvx(GetParam().code, GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(
    All, LexerErrors,
    ::testing::Values(TLexError{"SELECT (a", kErrMissingCloseParen, "Missing symbol ')' at line 1, column 8"},
                      TLexError{"f((a) b", kErrMissingCloseParen, "Missing symbol ')' at line 1, column 2"},
                      TLexError{"a) (b)", kErrUnexpectedCloseParen, "Unexpected symbol ')' found at line 1, column 2"},
                      TLexError{"a ) (", kErrMissingCloseParen, "Missing symbol ')' at line 1, column 5"},
                      TLexError{"x = 'abc", kErrUnterminatedString, "Unterminated string at line 1, column 5"},
                      TLexError{"\n [abc; d", kErrUnterminatedString, "Unterminated string at line 2, column 2"},
                      TLexError{"12ab", kErrInvalidNumericSymbol, "Invalid numeric symbol 'a' at line 1, column 3"},
                      TLexError{"x = 1.2.3", kErrInvalidNumericSymbol, "Invalid numeric symbol '.' at line 1, column 8"},
                      TLexError{"1e", kErrInvalidNumericSymbol, "Invalid numeric symbol 'e' at line 1, column 2"},
                      TLexError{"1e+ 2", kErrInvalidNumericSymbol, "Invalid numeric symbol '+' at line 1, column 3"},
                      TLexError{"3'x'", kErrInvalidNumericSymbol, "Invalid numeric symbol ''' at line 1, column 2"},
                      TLexError{"a = :missing", kErrParamNotFound, "Value for parameter 'missing' not found"},
                      TLexError{"a = : b", kErrParamNotFound, "Value for parameter '' not found"}));

TEST(LexerErrorsRecovery, NextStatementStartsAfterTheFailedOne) {
  TDVXLexer lexer("SELECT 12ab; SELECT 'x;y'", nullptr);
  EXPECT_THAT([&] { lexer.NextStatement(); }, ThrowsDvx(kErrInvalidNumericSymbol));
  EXPECT_EQ(lexer.TokenCount(), 0);
  ASSERT_TRUE(lexer.NextStatement());
  EXPECT_EQ(lexer.TokenCount(), 2);
  EXPECT_FALSE(lexer.NextStatement());
}

// --- Parameters ----------------------------------------------------------------------------

class LexerParameters : public ::testing::Test {
 protected:
  LexerParameters() {
    Add("zuid").SetAsSignedInt32(0);
    Add("My Name").SetAsString("Arnica");
    Add("zuid").SetAsSignedInt32(99);  // the first of a name wins
  }
  TDVXSQLParam& Add(const std::string& name) {
    TDVXSQLParam& p = params_.Add();
    p.SetName(name);
    return p;
  }
  TDVXSQLParams params_;
};

TEST_F(LexerParameters, OnlyAColonInTheTextMakesAParameter) {
  auto statements = Statements(":ZUID :'My Name' :[my name] ':zuid' \":zuid\"", &params_);
  ASSERT_EQ(statements.size(), 1u);
  EXPECT_THAT(statements[0], ElementsAre("parameter:ZUID", "parameter:My Name", "parameter:my name",
                                         "quoted::zuid", "quoted::zuid"));
}

TEST_F(LexerParameters, TokenKeepsTheValueOfTokenizingTime) {
  TDVXLexer lexer("a = :zuid; b = :zuid", &params_);
  ASSERT_TRUE(lexer.NextStatement());
  TToken token;
  lexer.SetPosition(2, token);
  params_.Item(0).SetAsSignedInt32(5);
  ASSERT_TRUE(token.value);
  EXPECT_EQ(token.value->GetAsSignedInt32(), 0);
  ASSERT_TRUE(lexer.NextStatement());
  lexer.SetPosition(2, token);
  EXPECT_EQ(token.value->GetAsSignedInt32(), 5);
}

TEST_F(LexerParameters, NoParameterListFindsNothing) {
  TDVXLexer lexer("x = :zuid", nullptr);
  EXPECT_THAT([&] { lexer.NextStatement(); }, ThrowsDvx(kErrParamNotFound, "Value for parameter 'zuid' not found"));
}

// --- Walking the tokens ------------------------------------------------------------------------

TEST(LexerNavigation, MovesForwardBackAndStopsAtTheEnd) {
  TDVXLexer lexer("a b c", nullptr);
  ASSERT_TRUE(lexer.NextStatement());
  TToken token;
  ASSERT_TRUE(lexer.PeekNextToken(token));
  EXPECT_EQ(token.text, "b");
  EXPECT_EQ(lexer.GetPosition(), 0);
  ASSERT_TRUE(lexer.GetNextToken(token));
  ASSERT_TRUE(lexer.GetNextToken(token));
  EXPECT_FALSE(lexer.PeekNextToken(token));
  EXPECT_FALSE(lexer.GetNextToken(token));
  EXPECT_EQ(token.kind, tkNone);
  EXPECT_FALSE(lexer.GetNextToken(token));
  EXPECT_EQ(lexer.GetPosition(), 3);
  ASSERT_TRUE(lexer.SetPosition(1, token));
  EXPECT_EQ(token.text, "b");
  ASSERT_TRUE(lexer.SetPosition(-4, token));
  EXPECT_EQ(token.text, "a");
}

TEST(LexerNavigation, ExpectingStepChecksKindsAndTheEnd) {
  TDVXLexer lexer("SELECT a, 'b' FROM", nullptr);
  ASSERT_TRUE(lexer.NextStatement());
  TToken token;
  EXPECT_TRUE(lexer.GetNextTokenExpecting(token, TokenKinds({tkWord}), 1, "unused"));
  EXPECT_THAT([&] { lexer.GetNextTokenExpecting(token, TokenKinds({tkWord}), 4711, "Name expected: '%s' %d %d"); },
              ThrowsDvx(4711, "Name expected: ',' 1 9"));
  ASSERT_TRUE(lexer.GetNextTokenExpecting(token, 0, 1, "unused"));
  ASSERT_TRUE(lexer.GetNextTokenExpecting(token, 0, 1, "unused"));
  EXPECT_FALSE(lexer.GetNextTokenExpecting(token, 0, -1, "unused"));
  EXPECT_THAT([&] { lexer.GetNextTokenExpecting(token, 0, 1, "unused"); },
              ThrowsDvx(kErrUnexpectedEnd, "Unexpected end of SQL command found at line 1, column 19"));
}

// --- The keyword table ----------------------------------------------------------------------------

TEST(Keywords, TableHasItsOrderAndAbsoluteIsNeverRecognised) {
  EXPECT_EQ(KeywordText(kwAbsolute), "ABSOLUTE");
  EXPECT_EQ(KeywordText(kwAction), "ACTION");
  EXPECT_EQ(KeywordText(kwEndExec), "END-EXEC");
  EXPECT_EQ(KeywordText(kwPassword), "PASSWORD");
  EXPECT_EQ(KeywordText(kwMsecond), "MSECOND");
  EXPECT_EQ(static_cast<int>(kwMsecond), 271);
  EXPECT_EQ(static_cast<int>(kwSelect), 184);
  EXPECT_EQ(FindKeyword("ABSOLUTE"), kwNone);
  std::set<std::string_view> seen;
  for (int i = 1; i < kKeywordCount; ++i) {
    auto text = KeywordText(static_cast<TSQLKeyword>(i));
    EXPECT_TRUE(seen.insert(text).second) << text;
    EXPECT_EQ(FindKeyword(text), static_cast<TSQLKeyword>(i)) << text;
  }
  EXPECT_EQ(seen.size(), 271u);
}

}  // namespace
}  // namespace dvx
