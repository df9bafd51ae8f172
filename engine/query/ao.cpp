#include "engine/query/ao.h"

#include <algorithm>
#include <numeric>

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/values/field_types.h"
#include "engine/values/type_promotion.h"

namespace dvx {

int CompareForSort(const TDVXVariant& a, const TDVXVariant& b, bool caseInsensitive) {
  const bool an = a.IsNull(), bn = b.IsNull();
  if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
  return a.Compare(b, false, caseInsensitive);
}

namespace {

bool RowLess(const TDVXRow& a, const TDVXRow& b, const std::vector<TDVXSortKey>& keys) {
  for (const TDVXSortKey& key : keys) {
    const size_t no = static_cast<size_t>(key.fieldNo);
    int c = CompareForSort(a[no], b[no], key.caseInsensitive);
    if (c != 0) return key.descending ? c > 0 : c < 0;
  }
  return false;
}

// Sorts rows stably by the keys. Keys whose values are all numbers (or
// NULL) are compared as plain numbers, the others as values.
void SortRows(std::vector<TDVXRow>& rows, const std::vector<TDVXSortKey>& keys) {
  if (keys.empty() || rows.size() < 2) return;
  struct TNumber {
    bool null;
    bool integer;
    int64_t i;
    double d;
  };
  bool numeric = true;
  for (const TDVXRow& row : rows) {
    for (const TDVXSortKey& key : keys) {
      const TDVXVariant& v = row[static_cast<size_t>(key.fieldNo)];
      if (!v.IsNull() && !IsNumericType(v.DataType())) numeric = false;
    }
    if (!numeric) break;
  }
  std::vector<size_t> order(rows.size());
  std::iota(order.begin(), order.end(), 0);
  if (numeric) {
    const size_t width = keys.size();
    std::vector<TNumber> flat(rows.size() * width);
    for (size_t r = 0; r < rows.size(); ++r)
      for (size_t k = 0; k < width; ++k) {
        const TDVXVariant& v = rows[r][static_cast<size_t>(keys[k].fieldNo)];
        TNumber& n = flat[r * width + k];
        n.null = v.IsNull();
        if (n.null) continue;
        n.integer = v.DataType() != bftSingle && v.DataType() != bftFloat && v.DataType() != bftExtended &&
                    v.DataType() != bftCurrency;
        if (n.integer) {
          n.i = v.GetAsSignedInt64();
          n.d = static_cast<double>(n.i);
        } else {
          n.d = v.GetAsDouble();
        }
      }
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      for (size_t k = 0; k < width; ++k) {
        const TNumber& x = flat[a * width + k];
        const TNumber& y = flat[b * width + k];
        int c;
        if (x.null || y.null)
          c = x.null == y.null ? 0 : (x.null ? -1 : 1);
        else if (x.integer && y.integer)
          c = x.i < y.i ? -1 : (x.i > y.i ? 1 : 0);
        else
          c = x.d < y.d ? -1 : (x.d > y.d ? 1 : 0);
        if (c != 0) return keys[k].descending ? c > 0 : c < 0;
      }
      return false;
    });
  } else {
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return RowLess(rows[a], rows[b], keys); });
  }
  std::vector<TDVXRow> sorted;
  sorted.reserve(rows.size());
  for (size_t r : order) sorted.push_back(std::move(rows[r]));
  rows = std::move(sorted);
}

bool SameValues(const TDVXRow& a, const TDVXRow& b, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (CompareForSort(a[i], b[i], false) != 0) return false;
  return true;
}

// An expression's declared type is what its operands promise (an integer
// division may still give a real, a concatenation more characters than
// its operands' sizes): a column takes the common type of the values it
// got, and a text column the length of its longest value, so no value is
// cut to fit.
void FitExpressionColumns(const TDVXResultShape& shape, std::vector<TDVXFieldLink>& links, std::vector<TDVXRow>& rows) {
  for (size_t c = 0; c < shape.columns.size(); ++c) {
    if (!shape.columns[c].expression) continue;
    TDVXFieldLink& link = links[c];
    const uint8_t declared = AdvancedToBaseType(link.fieldType);
    uint8_t common = 0;
    int32_t longest = 0;
    for (const TDVXRow& row : rows) {
      const TDVXVariant& v = row[c];
      if (v.IsNull()) continue;
      common = common == 0 ? v.DataType() : PromoteBaseTypes(common, v.DataType());
      if (IsFixedStringType(v.DataType())) longest = std::max(longest, v.GetStringLength());
    }
    if (common == 0) common = declared;
    if (common == 0 || IsBlobType(common)) continue;
    if (common != declared && declared != bftUnknown && !IsBlobType(declared)) {
      const uint8_t promoted = PromoteBaseTypes(common, declared);
      // A wider declared type stays; otherwise the values' type wins.
      if (promoted != declared) link.fieldType = BaseToAdvancedType(common);
    } else if (declared == bftUnknown) {
      link.fieldType = BaseToAdvancedType(common);
    }
    const uint8_t target = AdvancedToBaseType(link.fieldType);
    if (IsFixedStringType(target)) link.size = std::max({link.size, longest, 1});
    for (TDVXRow& row : rows) {
      TDVXVariant& v = row[c];
      if (v.IsNull())
        v.Clear(target);
      else if (v.DataType() != target)
        v.ConvertTo(target);
    }
  }
}

}  // namespace

TDVXAO::~TDVXAO() = default;

void TDVXAOScopes::Add(TDVXAO* input) {
  if (!input || input->Materialized()) return;
  if (std::unique_ptr<TDVXAOReadScope> scope = input->ReadingScope()) scopes_.push_back(std::move(scope));
}

void TDVXAO::Rewind() {
  if (materialized_)
    row_ = -1;
  else
    DoRewind();
}

bool TDVXAO::NextRow() {
  if (materialized_) return ++row_ < static_cast<int64_t>(materialized_->size());
  while (DoNextRow())
    if (PassesFilter()) return true;
  return false;
}

bool TDVXAO::PassesFilter() { return filterApplied_ || !filter_ || !filter_->Root() || filter_->IsTrue(); }

void TDVXAO::BindFilter() {
  if (!filter_ || !filter_->Root()) return;
  filter_->BindToOperator(*this);
  filter_->Prepare();
}

int64_t TDVXAO::RecordCount() {
  if (materialized_) return static_cast<int64_t>(materialized_->size());
  int64_t count = 0;
  Rewind();
  while (NextRow()) ++count;
  Rewind();
  return count;
}

void TDVXAO::GetExprFieldValue(int fieldNo, TDVXVariant& value) {
  if (materialized_) {
    // Outside the rows (an empty input's group) every field is NULL.
    if (row_ < 0 || row_ >= static_cast<int64_t>(materialized_->size())) {
      value.Clear(AdvancedToBaseType(Field(fieldNo).fieldType));
      return;
    }
    value.Assign((*materialized_)[static_cast<size_t>(row_)][static_cast<size_t>(fieldNo)], false);
    return;
  }
  DoGetValue(fieldNo, value);
}

std::vector<int> TDVXAO::FindExprFields(std::string_view qualifier, std::string_view name) {
  std::vector<int> found;
  for (int i = 0; i < FieldCount(); ++i) {
    const TDVXFieldLink& f = fields_[static_cast<size_t>(i)];
    if (!qualifier.empty() && !SameName(qualifier, f.tableName) && !SameName(qualifier, f.tableAlias)) continue;
    if (name == "*" || SameName(name, f.fieldName) || (!f.displayName.empty() && SameName(name, f.displayName)))
      found.push_back(i);
  }
  if (marking_)
    for (int i : found) marks_[static_cast<size_t>(i)] = true;
  return found;
}

void TDVXAO::StartMarking() {
  marks_.assign(fields_.size(), false);
  marking_ = true;
}

std::vector<bool> TDVXAO::TakeMarks() {
  marking_ = false;
  return std::move(marks_);
}

void TDVXAO::Materialize(const std::vector<TDVXSortKey>& sort, const std::vector<bool>* needed) {
  if (materialized_) {
    SortRows(*materialized_, sort);
    return;
  }
  auto rows = std::make_unique<std::vector<TDVXRow>>();
  const size_t count = fields_.size();
  TDVXVariant scratch;
  std::unique_ptr<TDVXAOReadScope> scope = ReadingScope();
  Rewind();
  while (NextRow()) {
    TDVXRow row(count);
    for (size_t i = 0; i < count; ++i) {
      if (needed && (i >= needed->size() || !(*needed)[i])) continue;
      DoGetValue(static_cast<int>(i), scratch);
      arena_.Store(scratch, row[i]);
    }
    rows->push_back(std::move(row));
  }
  scope.reset();
  SortRows(*rows, sort);
  materialized_ = std::move(rows);
  row_ = -1;
  ReleaseInputs();
}

void TDVXAO::MaterializeResult(const TDVXResultShape& shape) {
  const size_t columns = shape.columns.size();
  const size_t width = columns + shape.extraFields.size();
  std::vector<TDVXRow> rows;
  std::unique_ptr<TDVXAOReadScope> scope = materialized_ ? nullptr : ReadingScope();
  Rewind();
  TDVXVariant scratch;
  while (NextRow()) {
    TDVXRow row(width);
    for (size_t i = 0; i < columns; ++i) {
      const TDVXResultColumn& column = shape.columns[i];
      if (column.expression) {
        const TDVXVariant* v = column.expression->GetValue(true);
        if (v) arena_.Store(*v, row[i]);
      } else {
        GetExprFieldValue(column.fieldNo, scratch);
        arena_.Store(scratch, row[i]);
      }
      // Field values keep their field's type; expression values are fitted
      // to one type per column once all rows are in.
      const uint8_t base = AdvancedToBaseType(column.link.fieldType);
      if (row[i].IsNull())
        row[i].Clear(base);
      else if (!column.expression && row[i].DataType() != base && base != bftUnknown && !IsBlobType(base))
        row[i].ConvertTo(base);
    }
    for (size_t e = 0; e < shape.extraFields.size(); ++e) {
      GetExprFieldValue(shape.extraFields[e], scratch);
      arena_.Store(scratch, row[columns + e]);
    }
    rows.push_back(std::move(row));
  }
  scope.reset();
  std::vector<TDVXFieldLink> links;
  for (const TDVXResultColumn& column : shape.columns) links.push_back(column.link);
  FitExpressionColumns(shape, links, rows);
  if (shape.distinct) {
    // Each combination of result values once, NULLs alike; the rows come
    // ordered by the result columns, which the sort below keeps for rows
    // that its own keys leave equal.
    std::vector<TDVXSortKey> all;
    for (size_t i = 0; i < columns; ++i) all.push_back({static_cast<int>(i), false, false});
    SortRows(rows, all);
    rows.erase(std::unique(rows.begin(), rows.end(),
                           [&](const TDVXRow& a, const TDVXRow& b) { return SameValues(a, b, columns); }),
               rows.end());
  }
  SortRows(rows, shape.sort);
  // TOP counts result rows: after filtering, grouping and sorting.
  if (shape.topStart > 1 || shape.topCount >= 0) {
    const size_t skip = static_cast<size_t>(std::max<int64_t>(shape.topStart - 1, 0));
    if (skip >= rows.size()) {
      rows.clear();
    } else {
      rows.erase(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(skip));
      if (shape.topCount >= 0 && static_cast<size_t>(shape.topCount) < rows.size())
        rows.resize(static_cast<size_t>(shape.topCount));
    }
  }
  if (!shape.extraFields.empty())
    for (TDVXRow& row : rows) row.resize(columns);
  SetMaterialized(std::move(links), std::move(rows));
}

void TDVXAO::SetMaterialized(std::vector<TDVXFieldLink> fields, std::vector<TDVXRow> rows) {
  fields_ = std::move(fields);
  materialized_ = std::make_unique<std::vector<TDVXRow>>(std::move(rows));
  row_ = -1;
  filter_.reset();
  ReleaseInputs();
}

}  // namespace dvx
