#include "engine/query/ao_join.h"

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/query/query_errors.h"
#include "engine/query/ao_table.h"
#include "engine/query/select_statement.h"
#include "engine/values/field_types.h"

namespace dvx {

TDVXAOJoin::TDVXAOJoin(int joinKind, std::unique_ptr<TDVXAO> left, std::unique_ptr<TDVXAO> right)
    : kind_(joinKind), left_(std::move(left)), right_(std::move(right)) {
  for (int i = 0; i < left_->FieldCount(); ++i) fields_.push_back(left_->Field(i));
  for (int i = 0; i < right_->FieldCount(); ++i) fields_.push_back(right_->Field(i));
}

TDVXAOJoin::~TDVXAOJoin() = default;

void TDVXAOJoin::SetJoinFields(std::vector<TDVXFieldReference> leftFields, std::vector<TDVXFieldReference> rightFields,
                               bool natural) {
  leftRefs_ = std::move(leftFields);
  rightRefs_ = std::move(rightFields);
  natural_ = natural;
}

std::vector<TDVXExprOperator*> TDVXAOJoin::ConditionInputs() {
  switch (kind_) {
    case jkCross:
    case jkInner: return {left_.get(), right_.get()};
    case jkLeft: return {left_.get()};
    case jkRight: return {right_.get()};
    default: return {};
  }
}

bool TDVXAOJoin::TKeyLess::operator()(const TDVXRow& a, const TDVXRow& b) const {
  for (size_t i = 0; i < a.size(); ++i) {
    int c = CompareForSort(a[i], b[i], false);
    if (c != 0) return c < 0;
  }
  return false;
}

void TDVXAOJoin::ResolvePairs() {
  const int leftCount = left_->FieldCount();
  std::vector<int> leftNos, rightNos;
  if (natural_) {
    for (int l = 0; l < leftCount; ++l)
      for (int r = 0; r < right_->FieldCount(); ++r)
        if (SameName(left_->Field(l).fieldName, right_->Field(r).fieldName)) {
          leftNos.push_back(l);
          rightNos.push_back(r);
        }
  } else if (kind_ != jkCross) {
    if (leftRefs_.size() != rightRefs_.size())
      throw EDVXException(kErrJoinListLength, "Error - different lists length. L1 = %d, L2 = %d",
                          {static_cast<int32_t>(leftRefs_.size()), static_cast<int32_t>(rightRefs_.size())});
    for (size_t i = 0; i < leftRefs_.size(); ++i) {
      std::vector<int> a = FindExprFields(leftRefs_[i].qualifier, leftRefs_[i].fieldName);
      if (a.size() != 1)
        throw EDVXException(kErrJoinFieldLeft, kMsgInvalidJoinField,
                            {leftRefs_[i].qualifier, leftRefs_[i].fieldName, static_cast<int32_t>(i),
                             static_cast<int32_t>(a.size())});
      std::vector<int> b = FindExprFields(rightRefs_[i].qualifier, rightRefs_[i].fieldName);
      if (b.size() != 1)
        throw EDVXException(kErrJoinFieldRight, kMsgInvalidJoinField,
                            {rightRefs_[i].qualifier, rightRefs_[i].fieldName, static_cast<int32_t>(i),
                             static_cast<int32_t>(b.size())});
      int x = a[0], y = b[0];
      if ((x < leftCount) == (y < leftCount))
        throw EDVXException(kErrJoinSameTable,
                            "Both join fields are from the same table. Field1 = '%s', Field2 = '%s', No1 = %d, No2 = %d.",
                            {leftRefs_[i].fieldName, rightRefs_[i].fieldName, x, y});
      if (x >= leftCount) std::swap(x, y);
      leftNos.push_back(x);
      rightNos.push_back(y - leftCount);
    }
    // Without pairs (ON terms that compare no two fields) every pair of
    // rows is a candidate and the conditions decide.
  }
  leftKeys_ = std::move(leftNos);
  rightKeys_ = std::move(rightNos);
}

void TDVXAOJoin::ChooseSides() {
  drivingLeft_ = kind_ != jkRight;
  probedTable_ = nullptr;
  auto indexed = [&](TDVXAO& side, const std::vector<int>& keys, size_t& pair) -> std::string {
    auto* table = dynamic_cast<TDVXAOTable*>(&side);
    if (!table || table->Materialized()) return std::string();
    for (size_t k = 0; k < keys.size(); ++k) {
      std::string index = table->IndexOnField(keys[k]);
      if (!index.empty()) {
        pair = k;
        return index;
      }
    }
    return std::string();
  };
  // FULL joins read the probed side whole: its unmatched rows come last.
  if (kind_ != jkFull && !leftKeys_.empty()) {
    size_t pair = 0;
    std::string index;
    if (kind_ != jkRight) index = indexed(*right_, rightKeys_, pair);
    if (!index.empty()) {
      drivingLeft_ = true;
    } else if (kind_ != jkLeft) {
      index = indexed(*left_, leftKeys_, pair);
      if (!index.empty()) drivingLeft_ = false;
    }
    if (!index.empty()) {
      probedTable_ = static_cast<TDVXAOTable*>(drivingLeft_ ? right_.get() : left_.get());
      probeIndex_ = index;
      probePair_ = pair;
    }
  }
  drivingKeys_ = drivingLeft_ ? leftKeys_ : rightKeys_;
  probedKeys_ = drivingLeft_ ? rightKeys_ : leftKeys_;
}

void TDVXAOJoin::Open() {
  left_->Open();
  right_->Open();
  ResolvePairs();
  if (match_ && match_->Root()) {
    match_->BindToOperator(*this);
    match_->Prepare();
  }
  BindFilter();
  ChooseSides();
  probedRows_ = nullptr;
  index_.clear();
  if (probedTable_) {
    DoRewind();
    return;
  }
  // The probed side is read once, in its own order, and keyed.
  TDVXAO& probed = DrivingIsLeft() ? *right_ : *left_;
  probed.Materialize();
  probedRows_ = &probed.Rows();
  const std::vector<TDVXRow>& rows = *probedRows_;
  index_.clear();
  for (size_t r = 0; r < rows.size(); ++r) {
    TDVXRow key(probedKeys_.size());
    bool hasNull = false;
    for (size_t k = 0; k < probedKeys_.size(); ++k) {
      // The keys borrow the rows' values, which outlive the index.
      key[k].Assign(rows[r][static_cast<size_t>(probedKeys_[k])], false);
      hasNull = hasNull || key[k].IsNull();
    }
    if (!hasNull) index_.emplace(std::move(key), r);
  }
  DoRewind();
}

void TDVXAOJoin::DoRewind() {
  (DrivingIsLeft() ? *left_ : *right_).Rewind();
  probedMatched_.assign(probedRows_ ? probedRows_->size() : 0, false);
  candidates_.clear();
  candidate_ = 0;
  drivingValid_ = false;
  tail_ = false;
  tailRow_ = 0;
  drivingNull_ = probedNull_ = false;
}

bool TDVXAOJoin::NextCandidate() {
  if (!probedTable_) {
    if (candidate_ >= candidates_.size()) return false;
    probedRow_ = candidates_[candidate_++];
    return true;
  }
  // An index walk over the first pair's key; the other pairs are compared.
  TDVXVariant v;
  while (probedTable_->NextRow()) {
    bool equal = true;
    for (size_t k = 0; k < probedKeys_.size() && equal; ++k) {
      probedTable_->GetExprFieldValue(probedKeys_[k], v);
      equal = !v.IsNull() && CompareForSort(v, drivingKey_[k], false) == 0;
    }
    if (equal) return true;
  }
  return false;
}

bool TDVXAOJoin::Matches() { return !match_ || !match_->Root() || match_->IsTrue(); }

bool TDVXAOJoin::DoNextRow() {
  TDVXAO& driving = DrivingIsLeft() ? *left_ : *right_;
  const bool outer = kind_ == jkLeft || kind_ == jkRight || kind_ == jkFull;
  while (!tail_) {
    if (drivingValid_) {
      while (NextCandidate()) {
        probedNull_ = false;
        if (!Matches()) continue;
        drivingMatched_ = true;
        if (kind_ == jkFull && !probedTable_) probedMatched_[probedRow_] = true;
        return true;
      }
      drivingValid_ = false;
      if (outer && !drivingMatched_) {
        probedNull_ = true;
        return true;
      }
    }
    if (!driving.NextRow()) {
      if (kind_ != jkFull) return false;
      tail_ = true;
      break;
    }
    drivingValid_ = true;
    drivingMatched_ = false;
    drivingNull_ = false;
    candidates_.clear();
    candidate_ = 0;
    if (drivingKeys_.empty()) {
      const size_t count = probedRows_ ? probedRows_->size() : 0;
      for (size_t r = 0; r < count; ++r) candidates_.push_back(r);
      continue;
    }
    TDVXRow& key = drivingKey_;
    key.resize(drivingKeys_.size());
    bool hasNull = false;
    TDVXVariant v;
    for (size_t k = 0; k < drivingKeys_.size(); ++k) {
      driving.GetExprFieldValue(drivingKeys_[k], v);
      key[k].Assign(v, true);
      hasNull = hasNull || key[k].IsNull();
    }
    if (hasNull) {
      // No partner: the probe finds nothing.
      if (probedTable_) {
        probedTable_->SetProbe(probeIndex_, probedKeys_[probePair_], TDVXVariant());
        probedTable_->Rewind();
      }
      continue;
    }
    if (probedTable_) {
      probedTable_->SetProbe(probeIndex_, probedKeys_[probePair_], key[probePair_]);
      probedTable_->Rewind();
      continue;
    }
    auto range = index_.equal_range(key);
    for (auto it = range.first; it != range.second; ++it) candidates_.push_back(it->second);
  }
  // FULL join: the probed rows nothing matched.
  while (probedRows_ && tailRow_ < probedRows_->size()) {
    const size_t r = tailRow_++;
    if (probedMatched_[r]) continue;
    probedRow_ = r;
    probedNull_ = false;
    drivingNull_ = true;
    return true;
  }
  return false;
}

void TDVXAOJoin::DoGetValue(int fieldNo, TDVXVariant& value) {
  const int leftCount = left_ ? left_->FieldCount() : 0;
  const bool fromLeft = fieldNo < leftCount;
  const bool fromDriving = fromLeft == DrivingIsLeft();
  const int local = fromLeft ? fieldNo : fieldNo - leftCount;
  if (fromDriving) {
    if (drivingNull_) {
      value.Clear(AdvancedToBaseType(Field(fieldNo).fieldType));
      return;
    }
    (DrivingIsLeft() ? *left_ : *right_).GetExprFieldValue(local, value);
    return;
  }
  if (probedNull_) {
    value.Clear(AdvancedToBaseType(Field(fieldNo).fieldType));
    return;
  }
  if (probedTable_) {
    probedTable_->GetExprFieldValue(local, value);
    return;
  }
  value.Assign((*probedRows_)[probedRow_][static_cast<size_t>(local)], false);
}

std::unique_ptr<TDVXAOReadScope> TDVXAOJoin::ReadingScope() {
  auto scopes = std::make_unique<TDVXAOScopes>();
  scopes->Add(left_.get());
  scopes->Add(right_.get());
  return scopes;
}

void TDVXAOJoin::ReleaseInputs() {
  // Materialized: the rows are the join's own now; the field numbers of
  // its inputs are no longer needed.
  index_.clear();
  probedRows_ = nullptr;
  left_.reset();
  right_.reset();
}

}  // namespace dvx
