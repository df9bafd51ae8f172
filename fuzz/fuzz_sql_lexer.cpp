// SQL texts come from users and from the application: splitting a text into
// statements and tokens must end in statements or in the engine's own
// exception, never in a crash or a loop. Errors whose message names a place
// must name one inside the text.
//
// Input: the SQL text. Parameters "a", "zuid" and "My Name" exist.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/core/exception.h"
#include "engine/sql/lexer.h"
#include "fuzz/message_position.h"
#include "engine/sql/sql_errors.h"

namespace {

const dvx::TDVXSQLParams& Params() {
  static const dvx::TDVXSQLParams* params = [] {
    auto* list = new dvx::TDVXSQLParams();
    list->Add().SetName("a");
    dvx::TDVXSQLParam& zuid = list->Add();
    zuid.SetName("zuid");
    zuid.SetAsSignedInt32(3);
    dvx::TDVXSQLParam& name = list->Add();
    name.SetName("My Name");
    name.SetAsString("Arnica");
    return list;
  }();
  return *params;
}

// The tokenizing errors name their place at the end of the message, and it
// lies inside the text; an unknown parameter names the parameter instead.
void CheckPosition(const dvx::EDVXException& e, const std::string& sql) {
  if (e.NativeError() != dvx::kErrParamNotFound) fuzzsupport::CheckMessagePosition(e.Message(), sql, true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string sql(reinterpret_cast<const char*>(data), size);
  dvx::TDVXLexer lexer(sql, &Params());
  // Every call consumes at least one character, so the calls are bounded.
  for (size_t calls = 0;; ++calls) {
    if (calls > size + 1) std::abort();
    try {
      if (!lexer.NextStatement()) break;
      dvx::TToken token;
      for (bool ok = lexer.GetCurrentToken(token); ok; ok = lexer.GetNextToken(token)) {
        if (token.kind == dvx::tkNone || token.line < 1 || token.column < 1) std::abort();
        if ((token.kind == dvx::tkParameter) != static_cast<bool>(token.value)) std::abort();
      }
      lexer.SetPosition(lexer.TokenCount() / 2, token);
      lexer.PeekNextToken(token);
    } catch (const dvx::EDVXException& e) {
      CheckPosition(e, sql);
    }
  }
  return 0;
}
