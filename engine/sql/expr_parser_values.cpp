// Values: arithmetic, concatenation, primaries, aggregates and CAST.
#include <string>

#include "engine/core/exception.h"
#include "engine/sql/expr_node_aggregated.h"
#include "engine/sql/expr_node_arithmetic.h"
#include "engine/sql/expr_node_cast.h"
#include "engine/sql/expr_node_const.h"
#include "engine/sql/expr_node_field.h"
#include "engine/sql/expr_node_string_function.h"
#include "engine/sql/expr_node_subquery.h"
#include "engine/sql/expr_parser.h"
#include "engine/sql/expression.h"
#include "engine/sql/sql_errors.h"
#include "engine/values/field_types.h"
#include "engine/values/number_text.h"
#include "engine/values/value_codec.h"

namespace dvx {

TDVXExprParser::TNode TDVXExprParser::NullConstant() const {
  return std::make_unique<TDVXExprNodeConst>(TDVXVariant(bftSignedInt32));
}

TDVXExprParser::TNode TDVXExprParser::ParseValue() {
  if (StartsAtEnd()) return nullptr;
  int start = Mark();
  if (Failed(rValue, start)) return nullptr;
  Step();
  if (TNode node = ParseArithmetic()) return node;
  Restore(start);
  if (TNode node = ParseConcatenation()) return node;
  Restore(start);
  if (IsKw(kwToblob)) return ParseToBlob();
  if (TNode node = ParseDateFunction()) return node;
  Restore(start);
  if (TNode node = ParseLogicalConstant()) return node;
  Restore(start);
  if (IsKw(kwNull)) {
    Next();
    return NullConstant();
  }
  RememberFailure(rValue, start);
  return nullptr;
}

TDVXExprParser::TNode TDVXExprParser::ParseArithmetic() {
  int start = Mark();
  if (Failed(rArithmetic, start)) return nullptr;
  Step();
  TNode first = ParseTerm();
  if (first && (IsOp("+") || IsOp("-"))) {
    auto sum = std::make_unique<TDVXExprNodeArithmetic>(nkAdd);
    sum->AddChild(std::move(first));
    // Each further term carries its sign: a - b is a + (-b).
    while (sum && (IsOp("+") || IsOp("-"))) {
      TNode term = ParseTerm();
      if (term)
        sum->AddChild(std::move(term));
      else
        sum.reset();
    }
    first = CheckHeight(std::move(sum));
  }
  // Followed by "||", the text is a concatenation, not arithmetic.
  if (first && !IsOp("||")) return first;
  Restore(start);
  RememberFailure(rArithmetic, start);
  return nullptr;
}

TDVXExprParser::TNode TDVXExprParser::ParseTerm() {
  int start = Mark();
  if (Failed(rTerm, start)) return nullptr;
  Step();
  TNode node = ParseFactor();
  while (node && (IsOp("*") || IsOp("/"))) {
    auto product = std::make_unique<TDVXExprNodeArithmetic>(IsOp("*") ? nkMultiply : nkDivide);
    Next();
    TNode right = ParseFactor();
    if (!right) {
      node.reset();
      break;
    }
    product->AddChild(std::move(node));
    product->AddChild(std::move(right));
    node = CheckHeight(std::move(product));
  }
  if (!node) {
    Restore(start);
    RememberFailure(rTerm, start);
  }
  return node;
}

TDVXExprParser::TNode TDVXExprParser::ParseFactor() {
  if (StartsAtEnd()) return nullptr;
  int start = Mark();
  if (Failed(rFactor, start)) return nullptr;
  Step();
  bool negative = IsOp("-");
  if (negative || IsOp("+")) Next();
  bool literal = Is(tkInteger) || Is(tkReal);
  int primaryStart = Mark();
  TNode node = ParsePrimary();
  // Strings (and other non-numeric constants) never enter arithmetic.
  if (auto* constant = dynamic_cast<TDVXExprNodeConst*>(node.get()))
    if (!IsNumericType(constant->Value().DataType())) node.reset();
  if (!node) {
    Restore(primaryStart);
    node = ParseFunction();
  }
  if (!node) {
    Restore(start);
    RememberFailure(rFactor, start);
    return nullptr;
  }
  if (!negative) return node;
  // A negative number is a constant of its own, so "x > -5" still compares
  // a field with a constant.
  if (literal) {
    if (auto* constant = dynamic_cast<TDVXExprNodeConst*>(node.get())) {
      constant->MutableValue().Negate();
      return node;
    }
  }
  auto negation = std::make_unique<TDVXExprNodeArithmetic>(nkNegate);
  negation->AddChild(std::move(node));
  return CheckHeight(std::move(negation));
}

TDVXExprParser::TNode TDVXExprParser::ParseConcatenation() {
  int start = Mark();
  if (Failed(rConcat, start)) return nullptr;
  Step();
  TNode first = ParseConcatOperand();
  if (!first) {
    RememberFailure(rConcat, start);
    return nullptr;
  }
  if (!IsOp("||") && !IsOp("+")) return first;
  auto node = std::make_unique<TDVXExprNodeStringFunction>(nkConcat);
  node->AddChild(std::move(first));
  while (IsOp("||") || IsOp("+")) {
    int mark = Mark();
    Next();
    TNode part = ParseConcatOperand();
    if (!part) {
      Restore(mark);
      break;
    }
    node->AddChild(std::move(part));
  }
  if (node->ChildCount() == 1) return node->ReleaseChild(0);
  return CheckHeight(std::move(node));
}

TDVXExprParser::TNode TDVXExprParser::ParseConcatOperand() {
  if (StartsAtEnd()) return nullptr;
  int start = Mark();
  if (TNode node = ParsePrimary()) return node;
  Restore(start);
  return ParseFunction();
}

TDVXExprParser::TNode TDVXExprParser::ParsePrimary() {
  int start = Mark();
  if (Failed(rPrimary, start)) return nullptr;
  TNesting nesting(*this);
  if (TNode node = ParseNumberOrString()) return node;
  if (TNode node = ParseFieldReference()) return node;
  Restore(start);
  std::string sql;
  if (SubQueryText(sql)) return std::make_unique<TDVXExprNodeSubQuery>(sql, settings_.Services(), settings_.Environment());
  if (TNode node = ParseAggregate()) return node;
  if (Is(tkOpen)) {
    Next();
    if (TNode inner = ParseValue()) {
      Expect(tkClose, kErrValueCloseParen, ")");
      return inner;
    }
    Restore(start);
  }
  if (TNode node = ParseCast()) return node;
  Restore(start);
  RememberFailure(rPrimary, start);
  return nullptr;
}

TDVXExprParser::TNode TDVXExprParser::ParseNumberOrString() {
  TDVXVariant value;
  if (Is(tkInteger)) {
    int64_t number;
    double real;
    // An integer too large for 64 bits is read as a real number.
    if (ParseInteger(token_.text, number))
      value.SetAsSignedInt64(number);
    else if (ParseReal(token_.text, real))
      value.SetAsDouble(real);
    else
      throw EDVXException(kErrInvalidNumericSymbol, "Invalid numeric symbol '%s' at line %d, column %d",
                          {token_.text, token_.line, token_.column});
  } else if (Is(tkReal)) {
    double real;
    if (!ParseReal(token_.text, real))
      throw EDVXException(kErrInvalidNumericSymbol, "Invalid numeric symbol '%s' at line %d, column %d",
                          {token_.text, token_.line, token_.column});
    value.SetAsDouble(real);
  } else if (Is(tkQuoted)) {
    value.Clear(bftString);
    value.SetAsString(token_.text);
  } else if (Is(tkParameter) && token_.value) {
    const TDVXVariant& param = *token_.value;
    int type = param.DataType();
    // NULL parameters, numbers and byte strings; then strings and large
    // objects. Dates and LOGICAL values are taken elsewhere.
    bool numeric = param.IsNull() || IsNumericType(type) || type == bftBytes || type == bftVarBytes;
    if (!numeric && !IsValueStringType(type) && type != bftBlob) return nullptr;
    value.Assign(param, true);
  } else {
    return nullptr;
  }
  Next();
  return std::make_unique<TDVXExprNodeConst>(value);
}

TDVXExprParser::TNode TDVXExprParser::ParseFieldReference() {
  if (!IsName(true)) return nullptr;
  TToken first = token_;
  Next();
  std::string qualifier, name;
  if (Is(tkPoint)) {
    Next();
    if (!IsName(false)) return nullptr;
    qualifier = first.text;
    name = token_.text;
    Next();
  } else {
    if (first.kind == tkKeyword) return nullptr;
    name = first.text;
  }
  // A name followed by "(" calls a function.
  if (Is(tkOpen)) return nullptr;
  return std::make_unique<TDVXExprNodeField>(qualifier, name);
}

TDVXExprParser::TNode TDVXExprParser::ParseAggregate() {
  TDVXExprNodeKind kind;
  if (IsKw(kwCount)) kind = nkCount;
  else if (IsKw(kwAvg)) kind = nkAvg;
  else if (IsKw(kwMax)) kind = nkMax;
  else if (IsKw(kwMin)) kind = nkMin;
  else if (IsKw(kwSum)) kind = nkSum;
  else return nullptr;
  const char* name = ExprNodeKindText(kind);
  Next();
  if (kind == nkCount && Is(tkOpen) && NextIs(tkWord)) {
    int mark = Mark();
    Next();
    if (IsOp("*")) {
      Next();
      Expect(tkClose, kErrCountAllClose, ")");
      return std::make_unique<TDVXExprNodeAggregated>(nkCountAll, false, settings_.Services());
    }
    Restore(mark);
  }
  bool distinct = IsKw(kwDistinct);
  if (distinct) Next();
  Expect(tkOpen, kErrAggregateOpen, "(");
  if (IsKw(kwDistinct)) {
    distinct = true;
    Next();
  }
  TNode argument = ParseValue();
  if (!argument) ArgumentExpected(kErrAggregateArgument, name);
  Expect(tkClose, kErrAggregateClose, ")");
  auto node = std::make_unique<TDVXExprNodeAggregated>(kind, distinct, settings_.Services());
  node->AddChild(std::move(argument));
  return CheckHeight(std::move(node));
}

TDVXExprParser::TNode TDVXExprParser::ParseCast() {
  if (!IsKw(kwCast)) return nullptr;
  Next();
  Expect(tkOpen, kErrCastOpen, "(");
  TNode argument;
  if (IsKw(kwNull)) {
    Next();
    argument = NullConstant();
  } else {
    argument = ParseValue();
  }
  if (!argument) ArgumentExpected(kErrCastArgument, "CAST");
  if (!Is(tkComma) && !IsKw(kwAs)) TokenExpected(kErrCastAs, "AS");
  Next();
  if (!Is(tkWord) && !Is(tkKeyword)) Found(kErrCastType, "Cannot convert an expression to specified type: '%s'");
  const TSQLFieldType* type = FindSQLFieldType(token_.text);
  if (!type || type->advancedType < aftChar || type->advancedType > aftTimeStamp)
    throw EDVXException(kErrCastType, "Cannot convert an expression to specified type: '%s'", {token_.text});
  Next();
  int32_t size = 0;
  if (Is(tkOpen)) {
    // "VARCHAR(20)", "NUMERIC(10, 2)": the first number is the size.
    Next();
    int64_t number = 0;
    if (!Is(tkInteger) || !ParseInteger(token_.text, number) || number < 0 || number > kMaxFieldSize)
      TokenExpected(kErrCastSize, "size");
    size = static_cast<int32_t>(number);
    Next();
    if (Is(tkComma)) {
      Next();
      Expect(tkInteger, kErrCastSize, "size");
    }
    Expect(tkClose, kErrCastSize, ")");
  }
  Expect(tkClose, kErrCastClose, ")");
  auto node = std::make_unique<TDVXExprNodeCast>(type->advancedType, size);
  node->AddChild(std::move(argument));
  return CheckHeight(std::move(node));
}

TDVXExprParser::TNode TDVXExprParser::ParseLogicalConstant() {
  TDVXVariant value(bftLogical);
  if (IsKw(kwTrue) || IsKw(kwFalse)) {
    value.SetAsLogical(IsKw(kwTrue));
  } else if (Is(tkParameter) && token_.value && token_.value->DataType() == bftLogical) {
    value.Assign(*token_.value, true);
  } else {
    return nullptr;
  }
  Next();
  return std::make_unique<TDVXExprNodeConst>(value);
}

}  // namespace dvx
