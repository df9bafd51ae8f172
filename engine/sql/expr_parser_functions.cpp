// Functions: string and date functions, LASTAUTOINC, ISNULL and TOBLOB.
// Once a function's keyword is read, nothing else can mean it, so a
// malformed call is an error at once rather than a failed alternative.
#include <string>

#include "engine/core/exception.h"
#include "engine/sql/expr_node_blob_function.h"
#include "engine/sql/expr_node_const.h"
#include "engine/sql/expr_node_date_function.h"
#include "engine/sql/expr_node_isnull_function.h"
#include "engine/sql/expr_node_string_function.h"
#include "engine/sql/expr_node_system.h"
#include "engine/sql/expr_parser.h"
#include "engine/sql/expression.h"
#include "engine/sql/sql_errors.h"

namespace dvx {

TDVXExprParser::TNode TDVXExprParser::ParseFunction() {
  TNesting nesting(*this);
  if (TNode node = ParseStringFunction()) return node;
  if (IsKw(kwPos) || IsKw(kwPosition)) return ParsePos();
  if (IsKw(kwLength)) return ParseLength();
  if (IsKw(kwLastautoinc)) return ParseLastAutoInc();
  if (IsKw(kwIsnull)) return ParseIsNullFunction();
  return ParseDateFunction();
}

TDVXExprParser::TNode TDVXExprParser::ParseStringFunction() {
  TDVXExprNodeKind kind;
  if (IsKw(kwUpper)) kind = nkUpper;
  else if (IsKw(kwLower)) kind = nkLower;
  else if (IsKw(kwTrim)) kind = nkTrim;
  else if (IsKw(kwLtrim)) kind = nkLTrim;
  else if (IsKw(kwRtrim)) kind = nkRTrim;
  else if (IsKw(kwSubstring)) return ParseSubstring();
  else if (IsKw(kwTostring)) return ParseToString();
  else return nullptr;
  const char* name = ExprNodeKindText(kind);
  Next();
  Expect(tkOpen, kErrStringFunctionOpen, "(");
  TNode argument = ParseConcatenation();
  if (!argument) StringArgument(kErrStringFunctionArgument, name);
  Expect(tkClose, kErrStringFunctionClose, ")");
  auto node = std::make_unique<TDVXExprNodeStringFunction>(kind);
  node->AddChild(std::move(argument));
  return CheckHeight(std::move(node));
}

TDVXExprParser::TNode TDVXExprParser::ParseSubstring() {
  Next();
  Expect(tkOpen, kErrSubstringOpen, "(");
  auto node = std::make_unique<TDVXExprNodeStringFunction>(nkSubstring);
  TNode text = ParseConcatenation();
  if (!text) StringArgument(kErrSubstringArgument, "SUBSTRING");
  node->AddChild(std::move(text));
  if (!Is(tkComma) && !IsKw(kwFrom)) TokenExpected(kErrSubstringFrom, ",' or 'from");
  Next();
  TNode start = ParseArithmetic();
  if (!start) ArgumentExpected(kErrSubstringStart, "SUBSTRING");
  node->AddChild(std::move(start));
  if (Is(tkComma) || IsKw(kwFor)) {
    Next();
    TNode count = ParseArithmetic();
    if (!count) ArgumentExpected(kErrSubstringCount, "SUBSTRING");
    node->AddChild(std::move(count));
    Expect(tkClose, kErrSubstringClose, ")");
  } else {
    Expect(tkClose, kErrSubstringFor, ")' or ',' or 'FOR");
  }
  return CheckHeight(std::move(node));
}

TDVXExprParser::TNode TDVXExprParser::ParsePos() {
  Next();
  Expect(tkOpen, kErrPosOpen, "(");
  auto node = std::make_unique<TDVXExprNodeStringFunction>(nkPos);
  TNode sub = ParseConcatenation();
  if (!sub) StringArgument(kErrPosFirstArgument, "POS");
  node->AddChild(std::move(sub));
  if (!Is(tkComma) && !IsKw(kwIn)) TokenExpected(kErrPosSeparator, ",' or 'IN");
  Next();
  TNode text = ParseConcatenation();
  if (!text) StringArgument(kErrPosSecondArgument, "POS");
  node->AddChild(std::move(text));
  Expect(tkClose, kErrPosClose, ")");
  return CheckHeight(std::move(node));
}

TDVXExprParser::TNode TDVXExprParser::ParseLength() {
  Next();
  Expect(tkOpen, kErrLengthOpen, "(");
  TNode text = ParseConcatenation();
  if (!text) StringArgument(kErrLengthArgument, "LENGTH");
  Expect(tkClose, kErrLengthClose, ")");
  auto node = std::make_unique<TDVXExprNodeStringFunction>(nkLength);
  node->AddChild(std::move(text));
  return CheckHeight(std::move(node));
}

std::string TDVXExprParser::QuotedFormat(int32_t code) {
  if (!Is(tkQuoted)) Found(code, kMsgDateFormatExpected);
  std::string format = token_.text;
  Next();
  return format;
}

TDVXExprParser::TNode TDVXExprParser::ParseToString() {
  Next();
  Expect(tkOpen, kErrToStringOpen, "(");
  TNode value = ParseValue();
  if (!value) ArgumentExpected(kErrToStringArgument, "TOSTRING");
  Expect(tkComma, kErrToStringComma, ",");
  std::string format = QuotedFormat(kErrToStringFormat);
  Expect(tkClose, kErrToStringClose, ")");
  auto node = std::make_unique<TDVXExprNodeDateFunction>(nkToString, format);
  node->AddChild(std::move(value));
  return CheckHeight(std::move(node));
}

TDVXExprParser::TNode TDVXExprParser::ParseDateFunction() {
  TDVXExprNodeKind clock = nkNone;
  if (IsKw(kwSysdate) || IsKw(kwNow) || IsKw(kwCurrentTimestamp)) clock = nkSysDate;
  else if (IsKw(kwCurrentDate)) clock = nkCurrentDate;
  else if (IsKw(kwCurrentTime)) clock = nkCurrentTime;
  if (clock != nkNone) {
    Next();
    if (Is(tkOpen) && NextIs(tkClose)) {
      Next();
      Next();
    }
    return std::make_unique<TDVXExprNodeDateFunction>(clock);
  }
  if (IsKw(kwTodate)) return ParseToDate();
  if (IsKw(kwExtract)) return ParseExtract();
  if (TNode part = ParseDatePart()) return part;
  if (Is(tkParameter) && token_.value && IsDateTimeType(token_.value->DataType()) && !token_.value->IsNull()) {
    auto node = std::make_unique<TDVXExprNodeConst>(*token_.value);
    Next();
    return node;
  }
  return nullptr;
}

TDVXExprParser::TNode TDVXExprParser::ParseToDate() {
  Next();
  Expect(tkOpen, kErrToDateOpen, "(");
  TNode text = ParseConcatenation();
  if (!text) StringArgument(kErrToDateArgument, "TODATE");
  Expect(tkComma, kErrToDateComma, ",");
  std::string format = QuotedFormat(kErrToDateFormat);
  Expect(tkClose, kErrToDateClose, ")");
  auto node = std::make_unique<TDVXExprNodeDateFunction>(nkToDate, format);
  node->AddChild(std::move(text));
  return CheckHeight(std::move(node));
}

namespace {

TDVXExprNodeKind DatePartKind(const TToken& token) {
  if (token.kind != tkKeyword) return nkNone;
  switch (token.keyword) {
    case kwYear: return nkYear;
    case kwQuarter: return nkQuarter;
    case kwMonth: return nkMonth;
    case kwDay: return nkDay;
    case kwWeekday: return nkWeekDay;
    case kwDayofweek: return nkDayOfWeek;
    case kwDayname: return nkDayName;
    case kwMonthname: return nkMonthName;
    case kwHour: return nkHour;
    case kwMinute: return nkMinute;
    case kwSecond: return nkSecond;
    case kwMsecond: return nkMSecond;
    default: return nkNone;
  }
}

}  // namespace

TDVXExprParser::TNode TDVXExprParser::ParseDatePart() {
  TDVXExprNodeKind kind = DatePartKind(token_);
  if (kind == nkNone) return nullptr;
  Next();
  Expect(tkOpen, kErrPartOpen, "(");
  TNode value = ParseValue();
  if (!value) ArgumentExpected(kErrPartArgument, DatePartName(kind));
  Expect(tkClose, kErrPartClose, ")");
  auto node = std::make_unique<TDVXExprNodeDateFunction>(kind);
  node->AddChild(std::move(value));
  return CheckHeight(std::move(node));
}

TDVXExprParser::TNode TDVXExprParser::ParseExtract() {
  Next();
  Expect(tkOpen, kErrExtractOpen, "(");
  TDVXExprNodeKind kind = DatePartKind(token_);
  if (kind == nkNone) TokenExpected(kErrExtractPart, "date part");
  Next();
  if (!Is(tkComma) && !IsKw(kwFrom)) Found(kErrExtractFrom, "FROM or ',' expected, but '%s' found at line %d, column %d");
  Next();
  TNode value = ParseValue();
  if (!value) ArgumentExpected(kErrPartArgument, DatePartName(kind));
  Expect(tkClose, kErrPartClose, ")");
  auto node = std::make_unique<TDVXExprNodeDateFunction>(kind);
  node->AddChild(std::move(value));
  return CheckHeight(std::move(node));
}

TDVXExprParser::TNode TDVXExprParser::ParseLastAutoInc() {
  Next();
  Expect(tkOpen, kErrLastAutoIncOpen, "(");
  bool inMemory = IsKw(kwMemory);
  if (inMemory) Next();
  if (!IsName(true) && !Is(tkQuoted)) TokenExpected(kErrLastAutoIncTable, "table name");
  std::string table = token_.text;
  Next();
  Expect(tkComma, kErrLastAutoIncComma, ",");
  if (!IsName(true) && !Is(tkQuoted)) TokenExpected(kErrLastAutoIncFieldName, "field name");
  std::string field = token_.text;
  Next();
  Expect(tkClose, kErrLastAutoIncClose, ")");
  return std::make_unique<TDVXExprNodeSystem>(settings_.Services(), settings_.Environment(), table, field, inMemory);
}

TDVXExprParser::TNode TDVXExprParser::ParseIsNullFunction() {
  Next();
  if (!Is(tkOpen)) Found(kErrIsNullOpen, "'(' symbol expected, but '%s' found at line %d, column %d");
  Next();
  auto node = std::make_unique<TDVXExprNodeIsNullFunction>();
  for (int argument = 0; argument < 2; ++argument) {
    TNode value = ParseValue();
    if (!value) ArgumentExpected(kErrIsNullArgument, "ISNULL");
    node->AddChild(std::move(value));
    if (!Is(tkComma)) break;
    Next();
  }
  if (!Is(tkClose)) {
    if (AtEnd()) EndOfCommand();
    throw EDVXException(kErrIsNullClose, "Missing symbol ')' at line %d, column %d", {token_.line, token_.column});
  }
  Next();
  return CheckHeight(std::move(node));
}

TDVXExprParser::TNode TDVXExprParser::ParseToBlob() {
  Next();
  Expect(tkOpen, kErrToBlobOpen, "(");
  if (!Is(tkQuoted)) Found(kErrToBlobText, "Const BLOB value as quoted string expected, but '%s' found at line %d, column %d");
  std::string text = token_.text;
  Next();
  auto format = TDVXExprNodeBLOBFunction::fmtMime64;
  if (Is(tkComma)) {
    Next();
    if (IsKw(kwHex))
      format = TDVXExprNodeBLOBFunction::fmtHex;
    else if (!IsKw(kwMime64))
      Found(kErrToBlobFormat, "BLOB value format expected, but '%s' found at line %d, column %d");
    Next();
  }
  Expect(tkClose, kErrToBlobClose, ")");
  return std::make_unique<TDVXExprNodeBLOBFunction>(text, format);
}

}  // namespace dvx
