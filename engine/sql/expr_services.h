#pragma once
// What expressions need from the layers above them: running subqueries,
// opening a table for LASTAUTOINC, and the temporary tables of DISTINCT
// aggregates. The query and table layers install an implementation when
// they exist; until then each of these raises a clear engine error.
//
// An expression takes its services from SetServices, or else from the ones
// installed process-wide.
#include <cstdint>
#include <memory>
#include <string>

#include "engine/values/sql_param.h"
#include "engine/values/variant.h"

namespace dvx {

// The statement an expression belongs to, as subqueries and LASTAUTOINC see
// it.
struct TDVXExprEnvironment {
  std::string databaseName;
  std::string sessionName;
  bool inMemory = false;
  // The query's parameters (not owned): a subquery's parameters take the
  // values of the ones with the same name.
  const TDVXSQLParams* params = nullptr;
};

// An opened subquery. Subqueries are not correlated with the outer row, so
// one run serves every evaluation.
class TDVXSubQueryResult {
 public:
  virtual ~TDVXSubQueryResult() = default;
  virtual bool IsEmpty() = 0;
  virtual bool HasMoreThanOneRow() = 0;
  // The first column of the first row.
  virtual void GetFirstValue(TDVXVariant& value) = 0;
  // Whether the first column holds `value` (case-sensitive; NULL finds a
  // NULL).
  virtual bool LocateInFirstColumn(const TDVXVariant& value) = 0;
};

// A table opened read-only for LASTAUTOINC.
class TDVXAutoIncTable {
 public:
  virtual ~TDVXAutoIncTable() = default;
  // The declared type of a field; aftUnknown when the table has no such
  // field.
  virtual int FieldType(const std::string& fieldName) = 0;
  virtual int64_t LastAutoIncValue(const std::string& fieldName) = 0;
};

// The values a DISTINCT aggregate has seen in its group: a temporary
// in-memory table "TEMPORARY_TABLE_" plus a random suffix (drawn again while
// the name is taken) with one field "Expr" of the argument's type and size
// and an index "Index" on it.
class TDVXDistinctValues {
 public:
  virtual ~TDVXDistinctValues() = default;
  // Adds a non-NULL value; false when it was there already.
  virtual bool AddIfNew(const TDVXVariant& value) = 0;
};

class TDVXExprServices {
 public:
  virtual ~TDVXExprServices() = default;
  // The SQL text of a subquery, run with the statement's database, session,
  // in-memory setting and parameters.
  virtual std::unique_ptr<TDVXSubQueryResult> RunSubQuery(const std::string& sql, const TDVXExprEnvironment& env);
  virtual std::unique_ptr<TDVXAutoIncTable> OpenAutoIncTable(const std::string& tableName,
                                                             const TDVXExprEnvironment& env);
  virtual std::unique_ptr<TDVXDistinctValues> CreateDistinctValues(int fieldType, int32_t fieldSize);

  // The services installed for the process (the erroring defaults until a
  // later layer installs its own). Install(nullptr) restores the defaults;
  // the installed object must outlive every expression that uses it.
  static TDVXExprServices& Installed();
  static void Install(TDVXExprServices* services);
};

}  // namespace dvx
