// Condition searches of a B-tree index: the first or last entry whose key
// satisfies a condition of types 1 to 5, condition scans from there, and
// the estimate of how many entries a set of conditions leaves.
//
// Every condition covers one run of entries in key order, so two bound
// searches settle all of them: the first entry not below the key (lower
// bound) and the first entry above it (upper bound).
//
//   type               forward starts at            backward starts at
//   1 equal            lower bound, if equal        entry before upper bound, if equal
//   2 less             first entry, if below        entry before lower bound
//   3 greater          upper bound                  last entry, if above
//   4 less or equal    first entry, if not above    entry before upper bound
//   5 greater or equal lower bound                  last entry, if not below
#include <algorithm>
#include <cmath>

#include "engine/core/exception.h"
#include "engine/tables/btree_controller.h"
#include "engine/tables/btree_index.h"
#include "engine/tables/index_errors.h"

namespace dvx {

namespace {

// The product of the counts along a path: about the number of entries of
// a tree whose pages are as full as the ones on the path.
double PathEntries(const TDVXKeyPath& path) {
  double entries = 1;
  for (int l = 0; l < path.Depth(); ++l) entries *= path.Level(l).count;
  return entries;
}

class TDVXBTreeScanState final : public TDVXIndexScanState {
 public:
  int conditionType = ctEqual;
  int columns = 0;
  TDVXKey key;
  int direction = 0;  // fixed by the first ScanNext
  bool finished = false;
  TDVXKeyPath path;
  // The entry reported last, to find the place again after the tree
  // changed.
  TDVXKey lastKey;
  TDVXRecordID lastID;
  uint64_t changeCount = 0;
};

}  // namespace

void TDVXBTreeIndex::CheckCondition(int conditionType, int columns) const {
  if (conditionType < ctEqual || conditionType > ctGreaterOrEqual || columns < 1 ||
      columns > KeyRef().ColumnCount())
    throw EDVXException(kErrIndexInvalidCondition, kTextInvalidParams);
}

bool TDVXBTreeIndex::SeekBound(int32_t session, TDVXKeyBound bound, const uint8_t* key, int columns,
                               TDVXKeyPath& path) {
  path.Clear();
  if (RootPageNo() == -1) return false;
  {
    const TDVXBTreeContext context = Context(session);
    TDVXBTreePage root(context, RootPageNo());
    root.Controller().FindByCondition(root, bound, key, columns, path);
  }
  return SettleForward(session, path);
}

bool TDVXBTreeIndex::SeekLastBefore(int32_t session, const uint8_t* key, int columns, bool orEqual,
                                    TDVXKeyPath& path) {
  path.Clear();
  if (RootPageNo() == -1) return false;
  {
    const TDVXBTreeContext context = Context(session);
    TDVXBTreePage root(context, RootPageNo());
    root.Controller().FindByCondition(root, orEqual ? TDVXKeyBound::FirstAbove : TDVXKeyBound::FirstNotBelow, key,
                                      columns, path);
  }
  return StepBack(session, path);
}

bool TDVXBTreeIndex::FindByCondition(int32_t session, int conditionType, const uint8_t* key, int columns,
                                     bool forward, TDVXKeyPath& path) {
  CheckCondition(conditionType, columns);
  bool found = false;
  switch (conditionType) {
    case ctEqual:
      found = forward ? SeekBound(session, TDVXKeyBound::FirstNotBelow, key, columns, path)
                      : SeekLastBefore(session, key, columns, true, path);
      break;
    case ctLess:
      found = forward ? First(session, path) : SeekLastBefore(session, key, columns, false, path);
      break;
    case ctGreater:
      found = forward ? SeekBound(session, TDVXKeyBound::FirstAbove, key, columns, path) : Last(session, path);
      break;
    case ctLessOrEqual:
      found = forward ? First(session, path) : SeekLastBefore(session, key, columns, true, path);
      break;
    case ctGreaterOrEqual:
      found = forward ? SeekBound(session, TDVXKeyBound::FirstNotBelow, key, columns, path) : Last(session, path);
      break;
  }
  if (!found) return false;
  TDVXKey at = KeyAt(session, path);
  return ConditionHolds(conditionType, KeyRef().Compare(at.data(), key, columns));
}

std::unique_ptr<TDVXIndexScanState> TDVXBTreeIndex::NewScanState(const TDVXIndexCondition& condition) const {
  CheckCondition(condition.conditionType, condition.columns);
  if (!condition.record) throw EDVXException(kErrIndexInvalidCondition, kTextInvalidParams);
  auto state = std::make_unique<TDVXBTreeScanState>();
  state->conditionType = condition.conditionType;
  state->columns = condition.columns;
  state->key = KeyRef().MakeKey(condition.record);
  return state;
}

bool TDVXBTreeIndex::ScanNext(int32_t session, TDVXIndexScanState* state, int direction, TDVXRecordID& id) {
  if (!state) throw EDVXException(kErrScanNoState, kTextPointerIsNil);
  auto* scan = dynamic_cast<TDVXBTreeScanState*>(state);
  if (!scan || (direction != 1 && direction != -1)) throw EDVXException(kErrScanInvalidParams, kTextInvalidParams);
  if (scan->direction != 0 && scan->direction != direction)
    throw EDVXException(kErrScanDirectionChanged, kTextInvalidParams);
  if (scan->finished) return false;
  const bool forward = direction > 0;
  bool positioned;
  if (scan->direction == 0) {
    scan->direction = direction;
    positioned = FindByCondition(session, scan->conditionType, scan->key.data(), scan->columns, forward, scan->path);
  } else {
    if (scan->changeCount != changeCount_) {
      // The tree changed since the last entry was reported: find it again,
      // or, when it is gone, continue from where its key would stand.
      const int all = KeyRef().ColumnCount();
      if (FindEntry(session, scan->lastKey.data(), scan->lastID, scan->path))
        positioned = forward ? MoveNext(session, scan->path) : MovePrior(session, scan->path);
      else
        positioned = forward ? SeekBound(session, TDVXKeyBound::FirstNotBelow, scan->lastKey.data(), all, scan->path)
                             : SeekLastBefore(session, scan->lastKey.data(), all, true, scan->path);
    } else {
      positioned = forward ? MoveNext(session, scan->path) : MovePrior(session, scan->path);
    }
    if (positioned) {
      TDVXKey at = KeyAt(session, scan->path);
      positioned = ConditionHolds(scan->conditionType, KeyRef().Compare(at.data(), scan->key.data(), scan->columns));
    }
  }
  if (!positioned) {
    scan->finished = true;
    return false;
  }
  id = RecordIDAt(session, scan->path);
  scan->lastKey = KeyAt(session, scan->path);
  scan->lastID = id;
  scan->changeCount = changeCount_;
  return true;
}

int64_t TDVXBTreeIndex::EstimateCount(int32_t session, const std::vector<TDVXIndexCondition>& conditions) {
  TDVXKeyPath first, last;
  if (!First(session, first) || !Last(session, last)) return 0;
  // Each condition narrows the run [low, high] of positions; positions of
  // one entry are always the same fraction, so runs that share an entry
  // keep it.
  double low = first.Position(), high = last.Position();
  // The entry count is judged from every path the estimate uses, by their
  // geometric mean, so one path through unusually full or empty pages
  // weighs no more than the others.
  double logEntries = std::log(PathEntries(first)) + std::log(PathEntries(last));
  int paths = 2;
  for (const TDVXIndexCondition& condition : conditions) {
    CheckCondition(condition.conditionType, condition.columns);
    if (!condition.record) throw EDVXException(kErrIndexInvalidCondition, kTextInvalidParams);
    TDVXKey key = KeyRef().MakeKey(condition.record);
    TDVXKeyPath from, to;
    if (!FindByCondition(session, condition.conditionType, key.data(), condition.columns, true, from)) return 0;
    if (!FindByCondition(session, condition.conditionType, key.data(), condition.columns, false, to)) return 0;
    low = std::max(low, from.Position());
    high = std::min(high, to.Position());
    logEntries += std::log(PathEntries(from)) + std::log(PathEntries(to));
    paths += 2;
  }
  if (low > high) return 0;
  return static_cast<int64_t>(std::llround((high - low) * std::exp(logEntries / paths))) + 1;
}

}  // namespace dvx
