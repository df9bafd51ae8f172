#pragma once
// TDVXAO: the base of the relational operators that execute a SELECT. An
// operator has fields (TDVXFieldLink, found by qualifier and name as
// expressions ask for them), is iterated row by row (Rewind, NextRow) and
// gives any field's value for its current row. Conditions pushed down into
// it become its filter.
//
// Materialization: an operator can read all its rows once into a row set of
// its own (optionally sorted); from then on it is iterated through that row
// set and its inputs are no longer read. The result of a SELECT is the top
// operator materialized over the select list (MaterializeResult): its
// fields become the result columns, in order, with DISTINCT, ORDER BY and
// TOP applied.
//
// Life cycle: built by the SELECT command, Open (inputs first), iterated,
// freed with the command.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/sql/expr_row_access.h"
#include "engine/query/value_arena.h"
#include "engine/sql/expression.h"
#include "engine/values/variant.h"

namespace dvx {

struct TDVXFieldLink {
  std::string fieldName;
  // The name the field shows in a result (the select alias, or the name).
  std::string displayName;
  std::string tableName;
  std::string tableAlias;
  int fieldType = 0;  // TDVXAdvancedFieldType
  int32_t size = 0;
  int32_t blobBlockSize = 0;
  uint8_t blobCompressionAlgorithm = 0;
  uint8_t blobCompressionMode = 0;
};

using TDVXRow = std::vector<TDVXVariant>;

// How rows are ordered: field numbers of the operator, each ascending or
// descending and with or without regard to case.
struct TDVXSortKey {
  int fieldNo = 0;
  bool descending = false;
  bool caseInsensitive = false;
};

// What the result of a SELECT is made of.
struct TDVXResultColumn {
  // A field of the operator, or -1 for an expression.
  int fieldNo = -1;
  // Bound to the operator (expression columns only).
  TDVXExpression* expression = nullptr;
  TDVXFieldLink link;
};

struct TDVXResultShape {
  std::vector<TDVXResultColumn> columns;
  // Keys on result columns (fieldNo < columns.size()) or on further fields
  // of the operator (fieldNo - columns.size()), see extraFields.
  std::vector<TDVXSortKey> sort;
  std::vector<int> extraFields;
  bool distinct = false;
  int64_t topCount = -1;
  int64_t topStart = 1;
};

// Compares two values as sorting and grouping do: NULL first and equal to
// NULL.
int CompareForSort(const TDVXVariant& a, const TDVXVariant& b, bool caseInsensitive);


// What an operator holds while its rows are read in one go (a
// materialization): for tables a read scope, so a walk pays for the table's
// lock and state check once instead of once per record. Scopes end in the
// reverse order of their beginning.
class TDVXAOReadScope {
 public:
  // Ending a table's scope can fail as its own destructor can.
  virtual ~TDVXAOReadScope() noexcept(false) = default;
};

class TDVXAO;

// The scopes of several inputs, ended last first.
class TDVXAOScopes : public TDVXAOReadScope {
 public:
  void Add(TDVXAO* input);
  ~TDVXAOScopes() noexcept(false) override {
    while (!scopes_.empty()) scopes_.pop_back();
  }

 private:
  std::vector<std::unique_ptr<TDVXAOReadScope>> scopes_;
};

class TDVXAO : public TDVXExprOperator {
 public:
  ~TDVXAO() override;

  // Opens the inputs and makes the operator ready to be iterated.
  virtual void Open() = 0;
  // Stands before the first row.
  void Rewind();
  // The next row that passes the filter; false after the last.
  bool NextRow();
  // Rows the operator gives (reads them when it must).
  virtual int64_t RecordCount();

  int FieldCount() const { return static_cast<int>(fields_.size()); }
  const TDVXFieldLink& Field(int fieldNo) const { return fields_.at(static_cast<size_t>(fieldNo)); }
  TDVXFieldLink& MutableField(int fieldNo) { return fields_.at(static_cast<size_t>(fieldNo)); }
  bool Materialized() const { return materialized_ != nullptr; }

  // Reads every row into the operator's own row set, ordered by `sort`
  // (stable: rows of equal keys keep their order). With `needed`, only
  // those fields are kept (the others read as NULL): the reader promises
  // to read no other.
  void Materialize(const std::vector<TDVXSortKey>& sort = {}, const std::vector<bool>* needed = nullptr);
  // Between these two calls every field a lookup finds is noted; the notes
  // say which fields the expressions bound meanwhile read.
  void StartMarking();
  std::vector<bool> TakeMarks();
  // Reads every row, projected and ordered as `shape` says, into the row
  // set; the fields become the result columns.
  void MaterializeResult(const TDVXResultShape& shape);
  // The materialized rows (Materialized() only).
  const std::vector<TDVXRow>& Rows() const { return *materialized_; }
  // Stands on row `index` of the materialized rows.
  void SetMaterializedRow(size_t index) { row_ = static_cast<int64_t>(index); }
  // Takes over rows as the operator's materialized rows, `fields` as its
  // fields.
  void SetMaterialized(std::vector<TDVXFieldLink> fields, std::vector<TDVXRow> rows);

  // --- TDVXExprOperator ---
  // "*" matches every field; otherwise a field whose name or display name
  // equals `name` (ignoring case) and, with a qualifier, whose table name
  // or alias equals the qualifier.
  std::vector<int> FindExprFields(std::string_view qualifier, std::string_view name) override;
  int ExprFieldType(int fieldNo) override { return Field(fieldNo).fieldType; }
  int32_t ExprFieldSize(int fieldNo) override { return Field(fieldNo).size; }
  void GetExprFieldValue(int fieldNo, TDVXVariant& value) override;
  std::vector<TDVXExprOperator*> ConditionInputs() override { return {}; }
  TDVXExpression* Filter() override { return filter_.get(); }
  void SetFilter(std::unique_ptr<TDVXExpression> filter) override { filter_ = std::move(filter); }

 protected:
  virtual void DoRewind() = 0;
  // The operator's own next row, before its filter.
  virtual bool DoNextRow() = 0;
  virtual void DoGetValue(int fieldNo, TDVXVariant& value) = 0;
  // The scope held around reading every row; null when nothing needs one.
  virtual std::unique_ptr<TDVXAOReadScope> ReadingScope() { return nullptr; }
  // Binds and prepares the filter against this operator (Open calls it).
  void BindFilter();
  // Frees the inputs once the operator is materialized.
  virtual void ReleaseInputs() {}

  std::vector<TDVXFieldLink> fields_;
  std::unique_ptr<TDVXExpression> filter_;
  friend class TDVXAOScopes;
  // The bytes of this operator's materialized rows; rows a subclass builds
  // for SetMaterialized may borrow from it.
  TDVXValueArena& Arena() { return arena_; }
  // The operator applies its filter itself while it reads (a table's scan).
  bool filterApplied_ = false;

 private:
  bool PassesFilter();

  // Holds the bytes of the materialized values (declared first, so the rows
  // that borrow them go before it).
  TDVXValueArena arena_;
  std::unique_ptr<std::vector<TDVXRow>> materialized_;
  int64_t row_ = -1;
  bool marking_ = false;
  std::vector<bool> marks_;
};

}  // namespace dvx
