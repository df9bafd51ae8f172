#include "engine/query/query_services.h"

#include <set>
#include <vector>

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/query/ao.h"
#include "engine/query/query_errors.h"
#include "engine/query/query_sessions.h"
#include "engine/query/sql_processor.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/values/field_types.h"

namespace dvx {

namespace {

thread_local int subQueryDepth = 0;

class TDepth {
 public:
  TDepth() {
    if (subQueryDepth >= TDVXQueryServices::kMaxSubQueryDepth)
      throw EDVXException(kErrSubQueryTooDeep, "Subqueries nested too deeply");
    ++subQueryDepth;
  }
  ~TDepth() { --subQueryDepth; }
  TDepth(const TDepth&) = delete;
  TDepth& operator=(const TDepth&) = delete;
};

// The first column of a subquery's rows, read once.
class TRowsResult : public TDVXSubQueryResult {
 public:
  explicit TRowsResult(std::vector<TDVXVariant> values) : values_(std::move(values)) {}
  bool IsEmpty() override { return values_.empty(); }
  bool HasMoreThanOneRow() override { return values_.size() > 1; }
  void GetFirstValue(TDVXVariant& value) override {
    if (values_.empty())
      value.Clear();
    else
      value.Assign(values_.front(), true);
  }
  bool LocateInFirstColumn(const TDVXVariant& value) override {
    for (const TDVXVariant& v : values_)
      if (CompareForSort(v, value, false) == 0) return true;
    return false;
  }

 private:
  std::vector<TDVXVariant> values_;
};

class TAutoIncTable : public TDVXAutoIncTable {
 public:
  TAutoIncTable(TDVXLocalSession& session, const std::string& tableName) : session_(session), cursor_(session, tableName) {
    cursor_.Open();
  }
  int FieldType(const std::string& fieldName) override {
    const TDVXFieldDef* def = Find(fieldName);
    return def ? def->AdvancedFieldType() : aftUnknown;
  }
  int64_t LastAutoIncValue(const std::string& fieldName) override {
    const TDVXFieldDef* def = Find(fieldName);
    int64_t value = 0;
    if (def && IsAutoincType(def->AdvancedFieldType())) session_.GetSequenceLastValue(def->AutoincSequenceID(), value);
    return value;
  }

 private:
  const TDVXFieldDef* Find(const std::string& name) {
    const TDVXFieldDefs& defs = cursor_.Fields();
    for (int i = 0; i < defs.Count(); ++i)
      if (SameName(defs.Items(i)->ObjectName(), name)) return defs.Items(i);
    return nullptr;
  }
  TDVXLocalSession& session_;
  TDVXLocalCursor cursor_;
};

struct TVariantLess {
  bool operator()(const TDVXVariant& a, const TDVXVariant& b) const { return CompareForSort(a, b, false) < 0; }
};

class TDistinctValues : public TDVXDistinctValues {
 public:
  bool AddIfNew(const TDVXVariant& value) override {
    TDVXVariant copy;
    copy.Assign(value, true);
    return values_.insert(std::move(copy)).second;
  }

 private:
  std::set<TDVXVariant, TVariantLess> values_;
};

}  // namespace

std::unique_ptr<TDVXSubQueryResult> TDVXQueryServices::RunSubQuery(const std::string& sql,
                                                                   const TDVXExprEnvironment& env) {
  TDepth depth;
  TDVXSQLSettings settings;
  settings.databaseName = env.databaseName;
  settings.sessionName = env.sessionName;
  settings.inMemory = env.inMemory;
  TDVXLocalSQLProcessor processor(sessions_, settings);
  processor.SetSQL(sql);
  if (env.params)
    for (int i = 0; i < env.params->Count(); ++i) processor.Params().Add().Assign(env.params->Item(i), true);
  std::unique_ptr<TDVXAO> rows = processor.ExecuteToRows();
  std::vector<TDVXVariant> values;
  if (rows && rows->FieldCount() > 0) {
    for (const TDVXRow& row : rows->Rows()) {
      values.emplace_back();
      values.back().Assign(row[0], true);
    }
  }
  return std::make_unique<TRowsResult>(std::move(values));
}

std::unique_ptr<TDVXAutoIncTable> TDVXQueryServices::OpenAutoIncTable(const std::string& tableName,
                                                                      const TDVXExprEnvironment& env) {
  TDVXLocalSession& session = sessions_.SessionFor(env.databaseName, env.inMemory);
  return std::make_unique<TAutoIncTable>(session, tableName);
}

std::unique_ptr<TDVXDistinctValues> TDVXQueryServices::CreateDistinctValues(int, int32_t) {
  return std::make_unique<TDistinctValues>();
}

void InstallQueryServices() {
  static TDVXLocalQuerySessions sessions(nullptr, "");
  static TDVXQueryServices services(sessions);
  TDVXExprServices::Install(&services);
}

}  // namespace dvx
