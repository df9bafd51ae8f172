#include "engine/query/ao_union.h"

#include <algorithm>

#include "engine/core/exception.h"
#include "engine/query/query_errors.h"
#include "engine/values/field_types.h"
#include "engine/values/type_promotion.h"

namespace dvx {

namespace {

bool RowsLess(const TDVXRow& a, const TDVXRow& b) {
  for (size_t i = 0; i < a.size(); ++i) {
    int c = CompareForSort(a[i], b[i], false);
    if (c != 0) return c < 0;
  }
  return false;
}

bool RowsEqual(const TDVXRow& a, const TDVXRow& b) { return !RowsLess(a, b) && !RowsLess(b, a); }

// The result's name of a column: what it shows.
const std::string& ShownName(const TDVXFieldLink& link) {
  return link.displayName.empty() ? link.fieldName : link.displayName;
}

}  // namespace

TDVXAOUnion::TDVXAOUnion(int kind, std::unique_ptr<TDVXAO> left, std::unique_ptr<TDVXAO> right, bool distinct,
                         bool corresponding, std::vector<TDVXFieldReference> correspondingBy)
    : kind_(kind),
      left_(std::move(left)),
      right_(std::move(right)),
      distinct_(distinct),
      corresponding_(corresponding),
      correspondingBy_(std::move(correspondingBy)) {}

TDVXAOUnion::~TDVXAOUnion() = default;

void TDVXAOUnion::ReleaseInputs() {
  left_.reset();
  right_.reset();
}

void TDVXAOUnion::Open() {
  if (Materialized()) return;
  // The inputs are query results, materialized when they were run.
  if (!left_->Materialized()) left_->Open();
  if (!right_->Materialized()) right_->Open();
  std::vector<std::pair<int, int>> pairs;
  if (corresponding_ && !correspondingBy_.empty()) {
    for (const TDVXFieldReference& ref : correspondingBy_) {
      std::vector<int> l = left_->FindExprFields("", ref.fieldName);
      std::vector<int> r = right_->FindExprFields("", ref.fieldName);
      if (l.size() == 1 && r.size() == 1) pairs.push_back({l[0], r[0]});
    }
    if (pairs.size() != correspondingBy_.size())
      throw EDVXException(kErrUnionPairs, kMsgEmptyFieldList, {static_cast<int32_t>(pairs.size())});
  } else if (corresponding_) {
    for (int l = 0; l < left_->FieldCount(); ++l) {
      std::vector<int> r = right_->FindExprFields("", ShownName(left_->Field(l)));
      if (r.size() == 1) pairs.push_back({l, r[0]});
    }
  } else {
    if (left_->FieldCount() != right_->FieldCount())
      throw EDVXException(kErrUnionColumnCount, "Set operation of selects with %d and %d columns",
                          {left_->FieldCount(), right_->FieldCount()});
    for (int i = 0; i < left_->FieldCount(); ++i) pairs.push_back({i, i});
  }
  if (pairs.empty()) throw EDVXException(kErrUnionNoPairs, kMsgEmptyFieldList, {0});
  std::vector<TDVXFieldLink> links;
  std::vector<uint8_t> bases;
  for (auto [l, r] : pairs) {
    const TDVXFieldLink& a = left_->Field(l);
    const TDVXFieldLink& b = right_->Field(r);
    int common = PromoteFieldTypes(a.fieldType, b.fieldType);
    // Rows are compared by value: a distinct result needs comparable types.
    if (common == 0 || (distinct_ && common >= aftBytes))
      throw EDVXException(kErrUnionPairs, "Columns '%s' and '%s' of a set operation have no common type",
                          {ShownName(a), ShownName(b)});
    TDVXFieldLink link = a;
    link.fieldName = ShownName(a);
    link.displayName.clear();
    link.fieldType = common;
    link.size = std::max(a.size, b.size);
    links.push_back(link);
    bases.push_back(AdvancedToBaseType(common));
  }
  auto project = [&](const std::vector<TDVXRow>& rows, bool left) {
    std::vector<TDVXRow> out;
    out.reserve(rows.size());
    for (const TDVXRow& row : rows) {
      TDVXRow p(pairs.size());
      for (size_t i = 0; i < pairs.size(); ++i) {
        const TDVXVariant& v = row[static_cast<size_t>(left ? pairs[i].first : pairs[i].second)];
        if (v.IsNull()) {
          p[i].Clear(bases[i]);
        } else if (v.DataType() != bases[i] && !IsBlobType(bases[i])) {
          TDVXVariant converted(v);
          converted.ConvertTo(bases[i]);
          Arena().Store(converted, p[i]);
        } else {
          Arena().Store(v, p[i]);
        }
      }
      out.push_back(std::move(p));
    }
    return out;
  };
  std::vector<TDVXRow> a = project(left_->Rows(), true);
  std::vector<TDVXRow> b = project(right_->Rows(), false);
  std::vector<TDVXRow> result;
  if (kind_ == ukUnion) {
    result = std::move(a);
    for (TDVXRow& row : b) result.push_back(std::move(row));
  } else {
    std::sort(b.begin(), b.end(), RowsLess);
    for (TDVXRow& row : a) {
      const bool found = std::binary_search(b.begin(), b.end(), row, RowsLess);
      if (found == (kind_ == ukIntersect)) result.push_back(std::move(row));
    }
  }
  if (distinct_) {
    std::stable_sort(result.begin(), result.end(), RowsLess);
    result.erase(std::unique(result.begin(), result.end(), RowsEqual), result.end());
  }
  SetMaterialized(std::move(links), std::move(result));
}

}  // namespace dvx
