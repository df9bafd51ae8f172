#pragma once
// TDVXQueryServices: what expressions need of the query layer (see
// engine/sql/expr_services.h): subqueries run as queries of their own
// through the same sessions, LASTAUTOINC reads the session's last value of
// a table's autoincrement field, and DISTINCT aggregates keep the values a
// group has seen.
//
// Subqueries are run by a processor of their own, which parses them again;
// a subquery inside a subquery nests that, and the nesting is bounded so
// that hostile text ends in an error instead of an exhausted stack.
//
// InstallQueryServices makes services over sessions that find databases by
// name (the process's registry) the installed ones, for expressions that
// are not part of a statement (cursor filters).
#include <memory>
#include <string>

#include "engine/sql/expr_services.h"

namespace dvx {

class TDVXQuerySessions;

class TDVXQueryServices : public TDVXExprServices {
 public:
  static constexpr int kMaxSubQueryDepth = 16;

  explicit TDVXQueryServices(TDVXQuerySessions& sessions) : sessions_(sessions) {}

  std::unique_ptr<TDVXSubQueryResult> RunSubQuery(const std::string& sql, const TDVXExprEnvironment& env) override;
  std::unique_ptr<TDVXAutoIncTable> OpenAutoIncTable(const std::string& tableName,
                                                     const TDVXExprEnvironment& env) override;
  std::unique_ptr<TDVXDistinctValues> CreateDistinctValues(int fieldType, int32_t fieldSize) override;

 private:
  TDVXQuerySessions& sessions_;
};

void InstallQueryServices();

}  // namespace dvx
