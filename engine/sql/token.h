#pragma once
// One token of an SQL statement.
//
//   kind      what the token is (TTokenKind; tkNone when there is no token)
//   keyword   the reserved word it spells (kwNone when it is no keyword)
//   text      the token's text; quotes and brackets removed, a doubled
//             closing character read as one, a parameter's name without
//             its ":"
//   value     for parameter tokens: the parameter's value as it was when the
//             statement was tokenized (shared by copies of the token, never
//             changed)
//   line, column  where the token's first character stands, from 1
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

#include "engine/sql/keywords.h"
#include "engine/values/variant.h"

namespace dvx {

enum TTokenKind : uint8_t {
  tkNone = 0,
  tkWord = 1,        // names and operators ("=", "<>", "||", ...)
  tkQuoted = 2,      // between ', " or `
  tkBracketed = 3,   // between [ and ]
  tkInteger = 4,
  tkReal = 5,
  tkKeyword = 6,
  tkParameter = 7,
  tkOpen = 8,        // (
  tkClose = 9,       // )
  tkComma = 10,
  tkPoint = 11,
};

// A set of token kinds; 0 is the empty set ("any kind").
using TTokenKinds = uint16_t;

constexpr TTokenKinds TokenKinds(std::initializer_list<TTokenKind> kinds) {
  TTokenKinds set = 0;
  for (TTokenKind k : kinds) set = static_cast<TTokenKinds>(set | (1u << k));
  return set;
}

constexpr bool InKinds(TTokenKinds set, TTokenKind kind) { return (set >> kind) & 1u; }

struct TToken {
  TTokenKind kind = tkNone;
  TSQLKeyword keyword = kwNone;
  std::string text;
  std::shared_ptr<const TDVXVariant> value;
  int32_t line = 0;
  int32_t column = 0;
};

}  // namespace dvx
