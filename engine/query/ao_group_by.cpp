#include "engine/query/ao_group_by.h"

#include <algorithm>
#include <random>

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/query/query_errors.h"
#include "engine/sql/expr_node.h"
#include "engine/values/field_types.h"

namespace dvx {

namespace {

std::string RandomExprName() {
  static std::mt19937 random(std::random_device{}());
  return "Expr" + std::to_string(random() % 1000000000u);
}

}  // namespace

TDVXAOGroupBy::TDVXAOGroupBy(std::unique_ptr<TDVXAO> input, const std::vector<TDVXFieldReference>& groupBy,
                             std::vector<TDVXSelectListItem>& items)
    : input_(std::move(input)) {
  // What the items, the grouping and HAVING read of the input is all the
  // input keeps of its rows.
  input_->StartMarking();
  for (const TDVXFieldReference& ref : groupBy) {
    std::vector<int> found = input_->FindExprFields(ref.qualifier, ref.fieldName);
    if (found.empty())
      throw EDVXException(kErrGroupFieldMissing, "Cannot find field %s in table %s", {ref.fieldName, ref.qualifier});
    if (found.size() != 1)
      throw EDVXException(kErrGroupFieldInvalid, kMsgInvalidJoinField,
                          {ref.qualifier, ref.fieldName, static_cast<int32_t>(groupFields_.size()),
                           static_cast<int32_t>(found.size())});
    groupFields_.push_back(found[0]);
  }
  for (TDVXSelectListItem& item : items) {
    TColumn column;
    TDVXFieldLink link;
    if (item.isExpression) {
      item.expression->BindToOperator(*input_);
      item.expression->Prepare();
      column.expression = item.expression.get();
      link.fieldName = item.alias.empty() ? RandomExprName() : item.alias;
      link.fieldType = item.expression->GetDataType();
      link.size = item.expression->GetDataSize();
    } else {
      std::vector<int> found = input_->FindExprFields(item.qualifier, item.fieldName);
      if (found.size() != 1 || item.allColumns)
        throw EDVXException(kErrProjectionField, "Cannot find field %s",
                            {item.qualifier.empty() ? item.fieldName : item.qualifier + "." + item.fieldName});
      if (std::find(groupFields_.begin(), groupFields_.end(), found[0]) == groupFields_.end()) {
        const TDVXFieldLink& f = input_->Field(found[0]);
        throw EDVXException(kErrNotInGroupBy,
                            "Field is not included in GROUP BY list. Table name = '%s', Field name = '%s', FieldNo = "
                            "%d, Found field name = '%s'",
                            {f.tableName, item.fieldName, found[0], f.fieldName});
      }
      column.inputField = found[0];
      link = input_->Field(found[0]);
      if (!item.alias.empty()) link.displayName = item.alias;
    }
    columns_.push_back(column);
    fields_.push_back(std::move(link));
  }
  columnCount_ = static_cast<int>(columns_.size());
  for (int i = 0; i < input_->FieldCount(); ++i) fields_.push_back(input_->Field(i));
}

TDVXAOGroupBy::~TDVXAOGroupBy() = default;

std::vector<int> TDVXAOGroupBy::FindExprFields(std::string_view qualifier, std::string_view name) {
  std::vector<int> found;
  if (!building_ && Materialized()) return TDVXAO::FindExprFields(qualifier, name);
  // An expression column by its name (HAVING cnt > 1), then the input's
  // fields (aggregates accumulate over the input's rows), then a plain
  // column by its alias.
  auto own = [&](bool expressions) {
    for (int i = 0; i < columnCount_; ++i) {
      if ((columns_[static_cast<size_t>(i)].expression != nullptr) != expressions) continue;
      const TDVXFieldLink& f = fields_[static_cast<size_t>(i)];
      if (!qualifier.empty()) continue;
      if (SameName(name, f.fieldName) || (!f.displayName.empty() && SameName(name, f.displayName))) found.push_back(i);
    }
  };
  own(true);
  if (!found.empty()) return found;
  for (int n : input_->FindExprFields(qualifier, name)) found.push_back(columnCount_ + n);
  if (!found.empty()) return found;
  own(false);
  return found;
}

void TDVXAOGroupBy::DoGetValue(int fieldNo, TDVXVariant& value) {
  if (fieldNo < columnCount_) {
    value.Assign(current_[static_cast<size_t>(fieldNo)], false);
    return;
  }
  input_->GetExprFieldValue(fieldNo - columnCount_, value);
}

void TDVXAOGroupBy::EmitGroup(std::vector<TDVXRow>& out, size_t lastRow, bool positioned) {
  if (positioned) input_->SetMaterializedRow(lastRow);
  current_.assign(static_cast<size_t>(columnCount_), TDVXVariant());
  TDVXVariant scratch;
  for (size_t i = 0; i < columns_.size(); ++i) {
    const TColumn& column = columns_[i];
    const uint8_t base = AdvancedToBaseType(fields_[i].fieldType);
    if (column.expression) {
      const TDVXVariant* v = column.expression->GetValue(true);
      if (v) current_[i].Assign(*v, true);
    } else if (positioned) {
      input_->GetExprFieldValue(column.inputField, scratch);
      current_[i].Assign(scratch, true);
    }
    if (current_[i].IsNull()) current_[i].Clear(base);
  }
  if (having_ && having_->Root() && !having_->IsTrue()) return;
  TDVXRow row(current_.size());
  for (size_t i = 0; i < current_.size(); ++i) Arena().Store(current_[i], row[i]);
  out.push_back(std::move(row));
}

void TDVXAOGroupBy::Open() {
  building_ = true;
  if (having_ && having_->Root()) {
    having_->BindToOperator(*this);
    having_->Prepare();
  }
  const std::vector<bool> needed = input_->TakeMarks();
  input_->Open();
  // SELECT COUNT(*) alone: the input's record count, its rows unread.
  if (groupFields_.empty() && columns_.size() == 1 && columns_[0].expression &&
      columns_[0].expression->Root() && columns_[0].expression->Root()->Kind() == nkCountAll &&
      !(having_ && having_->Root())) {
    TDVXVariant count(bftSignedInt32);
    count.SetAsSignedInt32(static_cast<int32_t>(input_->RecordCount()));
    count.ConvertTo(AdvancedToBaseType(fields_[0].fieldType));
    std::vector<TDVXRow> out(1, TDVXRow(1));
    Arena().Store(count, out[0][0]);
    building_ = false;
    std::vector<TDVXFieldLink> links(fields_.begin(), fields_.begin() + 1);
    SetMaterialized(std::move(links), std::move(out));
    return;
  }
  std::vector<TDVXSortKey> keys;
  for (int f : groupFields_) keys.push_back({f, false, false});
  input_->Materialize(keys, &needed);
  const std::vector<TDVXRow>& rows = input_->Rows();
  std::vector<TDVXRow> out;
  auto reset = [&] {
    for (const TColumn& c : columns_)
      if (c.expression) c.expression->ResetAggregates();
    if (having_ && having_->Root()) having_->ResetAggregates();
  };
  auto accumulate = [&](size_t r) {
    input_->SetMaterializedRow(r);
    for (const TColumn& c : columns_)
      if (c.expression) c.expression->AccumulateAggregates();
    if (having_ && having_->Root()) having_->AccumulateAggregates();
  };
  if (groupFields_.empty()) {
    reset();
    for (size_t r = 0; r < rows.size(); ++r) accumulate(r);
    bool aggregates = false;
    for (const TColumn& c : columns_) aggregates = aggregates || (c.expression && c.expression->HasAggregate());
    if (having_ && having_->Root()) aggregates = aggregates || having_->HasAggregate();
    if (!rows.empty())
      EmitGroup(out, rows.size() - 1, true);
    else if (aggregates) {
      input_->SetMaterializedRow(0);
      EmitGroup(out, 0, false);
    }
  } else {
    size_t start = 0;
    while (start < rows.size()) {
      size_t end = start + 1;
      while (end < rows.size()) {
        bool same = true;
        for (int f : groupFields_)
          if (CompareForSort(rows[end][static_cast<size_t>(f)], rows[start][static_cast<size_t>(f)], false) != 0) {
            same = false;
            break;
          }
        if (!same) break;
        ++end;
      }
      reset();
      for (size_t r = start; r < end; ++r) accumulate(r);
      EmitGroup(out, end - 1, true);
      start = end;
    }
  }
  building_ = false;
  std::vector<TDVXFieldLink> links(fields_.begin(), fields_.begin() + columnCount_);
  SetMaterialized(std::move(links), std::move(out));
}

}  // namespace dvx
