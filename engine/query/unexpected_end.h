#pragma once
// The error of a statement whose text ends where more was needed, at the
// place the text ends, with the statement's own native code.
#include <cstdint>

#include "engine/core/exception.h"
#include "engine/sql/lexer.h"
#include "engine/sql/sql_errors.h"

namespace dvx {

[[noreturn]] inline void RaiseUnexpectedEnd(const TDVXLexer& lexer, int32_t code) {
  throw EDVXException(code, kMsgUnexpectedEnd, {lexer.EndLine(), lexer.EndColumn()});
}

}  // namespace dvx
