#include "engine/sql/expr_services.h"

#include <atomic>

#include "engine/core/exception.h"
#include "engine/sql/sql_errors.h"

namespace dvx {

namespace {

TDVXExprServices& Defaults() {
  static TDVXExprServices defaults;
  return defaults;
}

std::atomic<TDVXExprServices*> installed{nullptr};

}  // namespace

std::unique_ptr<TDVXSubQueryResult> TDVXExprServices::RunSubQuery(const std::string& sql,
                                                                  const TDVXExprEnvironment&) {
  throw EDVXException(kErrNoSubQueries, "Subquery cannot be run: no query processor is available (%s)", {sql});
}

std::unique_ptr<TDVXAutoIncTable> TDVXExprServices::OpenAutoIncTable(const std::string& tableName,
                                                                     const TDVXExprEnvironment&) {
  throw EDVXException(kErrNoAutoIncTables, "Table '%s' cannot be opened for LASTAUTOINC: no table component is available",
                      {tableName});
}

std::unique_ptr<TDVXDistinctValues> TDVXExprServices::CreateDistinctValues(int, int32_t) {
  throw EDVXException(kErrNoDistinctTables,
                      "DISTINCT aggregate cannot be computed: no temporary tables are available");
}

TDVXExprServices& TDVXExprServices::Installed() {
  TDVXExprServices* services = installed.load();
  return services ? *services : Defaults();
}

void TDVXExprServices::Install(TDVXExprServices* services) { installed.store(services); }

}  // namespace dvx
