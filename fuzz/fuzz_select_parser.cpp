// Query texts come from users and programs: parsing them into the parsed
// form of a query must end in that form or in the engine's own exception,
// never in a crash, a hang, a leak or an exhausted stack (nesting of
// parenthesised queries, table references and expressions is bounded).
// Errors whose message names a place must name one inside the text.
//
// Input: the SQL text; it sees the parameters "zuid" and "name". Every
// statement of the text is parsed.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/core/exception.h"
#include "engine/query/select_parser.h"
#include "engine/sql/lexer.h"
#include "fuzz/message_position.h"

namespace {

using namespace dvx;

const TDVXSQLParams& Params() {
  static const TDVXSQLParams* params = [] {
    auto* list = new TDVXSQLParams();
    TDVXSQLParam& zuid = list->Add();
    zuid.SetName("zuid");
    zuid.SetAsSignedInt32(0);
    TDVXSQLParam& name = list->Add();
    name.SetName("name");
    name.SetAsString("Arnica");
    return list;
  }();
  return *params;
}


}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TDVXLexer lexer(text, &Params());
  for (int statements = 0; statements < 64; ++statements) {
    try {
      if (!lexer.NextStatement()) break;
      TDVXSelectParseSettings settings;
      settings.environment.databaseName = "db";
      settings.environment.params = &Params();
      TDVXSelectParser parser(lexer, settings);
      std::unique_ptr<TDVXQueryExprNode> query = parser.ParseQuery();
      if (!query) std::abort();
    } catch (const EDVXException& error) {
      fuzzsupport::CheckMessagePosition(error.Message(), text, false);
    }
  }
  return 0;
}
