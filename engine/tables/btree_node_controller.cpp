#include <optional>
#include <string>
#include <utility>

#include "engine/core/byte_order.h"
#include "engine/tables/btree_controller.h"

namespace dvx {

namespace {

std::string PageText(int32_t pageNo) { return "page " + std::to_string(pageNo); }

// A node without entries has no child to descend into.
void CheckNotEmpty(const TDVXBTreePage& node) {
  if (node.Count() == 0) RaiseTreeCorrupt(PageText(node.PageNo()) + " is a node without entries");
}

void CheckNeighbour(const TDVXBTreePage& page, const TDVXBTreePage& neighbour) {
  if (neighbour.IsRoot() || neighbour.IsLeaf() != page.IsLeaf() || neighbour.PageNo() == page.PageNo())
    RaiseTreeCorrupt(PageText(page.PageNo()) + " links to " + PageText(neighbour.PageNo()) +
                     ", which is not a page of its level");
}

// The smallest key below child `i` of `node`.
TDVXKey ChildFirstKey(const TDVXBTreePage& node, int i, int depth) {
  TDVXKey key(static_cast<size_t>(node.KeyLength()));
  TDVXBTreePage child = OpenChild(node, i);
  if (!child.Controller().FirstKey(child, key.data(), depth))
    RaiseTreeCorrupt("the subtree below " + PageText(child.PageNo()) + " has no entries");
  return key;
}

// Q's entries are appended to the previous page of its level. A node's
// first entry becomes a compared separator there, so it gets the smallest
// key of its subtree. When Q was its parent's first child, its keys now lie
// left of the separator above the parent, which must then rise to the
// parent's new smallest key.
void MergeIntoPrevious(TDVXBTreePage& parent, int i, TDVXBTreePage& q, TDVXBTreePage& previous,
                       TDVXDeleteResult& result, int depth) {
  const TDVXBTreeContext& context = parent.Context();
  if (i > 0 && parent.Child(i - 1) != previous.PageNo())
    RaiseTreeCorrupt(PageText(parent.PageNo()) + " and the level links of its children disagree");
  const int32_t nextNo = q.NextPageNo();
  std::optional<TDVXBTreePage> after;
  if (nextNo != -1) {
    after.emplace(context, nextNo);
    if (after->PrevPageNo() != q.PageNo()) RaiseTreeCorrupt("the level links at " + PageText(q.PageNo()) + " disagree");
  }
  TDVXKey first;
  if (!q.IsLeaf() && q.Count() > 0) first = ChildFirstKey(q, 0, depth + 2);
  const int at = previous.Count();
  if (q.Count() > 0) previous.AppendEntries(q.Entry(0), q.Count());
  if (!first.empty()) previous.SetKey(at, first.data());
  previous.SetNextPageNo(nextNo);
  if (after) after->SetPrevPageNo(previous.PageNo());
  parent.RemoveEntry(i);
  context.pageManager.RemovePage(context.session, q.PageNo());
  if (i == 0 && parent.Count() > 0) result.leftBoundary = ChildFirstKey(parent, 0, depth + 1);
}

// Q's entries go in front of the next page's. The separator between the
// two, in the parent or, when Q was its parent's last child, in an
// ancestor, falls to Q's smallest key; the next page's old first entry
// becomes a compared separator and gets the smallest key of its subtree.
void MergeIntoNext(TDVXBTreePage& parent, int i, TDVXBTreePage& q, TDVXBTreePage& next, TDVXDeleteResult& result,
                   int depth) {
  const TDVXBTreeContext& context = parent.Context();
  const bool sameParent = i + 1 < parent.Count();
  if (sameParent && parent.Child(i + 1) != next.PageNo())
    RaiseTreeCorrupt(PageText(parent.PageNo()) + " and the level links of its children disagree");
  const int32_t prevNo = q.PrevPageNo();
  std::optional<TDVXBTreePage> before;
  if (prevNo != -1) {
    before.emplace(context, prevNo);
    if (before->NextPageNo() != q.PageNo()) RaiseTreeCorrupt("the level links at " + PageText(q.PageNo()) + " disagree");
  }
  TDVXKey qFirst, nextFirst;
  if (q.Count() > 0) {
    qFirst.resize(static_cast<size_t>(q.KeyLength()));
    if (!q.Controller().FirstKey(q, qFirst.data(), depth + 1))
      RaiseTreeCorrupt("the subtree below " + PageText(q.PageNo()) + " has no entries");
  }
  if (!next.IsLeaf() && next.Count() > 0) nextFirst = ChildFirstKey(next, 0, depth + 2);
  if (!qFirst.empty()) {
    if (sameParent)
      parent.SetKey(i + 1, qFirst.data());
    else
      result.rightBoundary = qFirst;
  }
  if (!nextFirst.empty()) next.SetKey(0, nextFirst.data());
  if (q.Count() > 0) next.PrependEntries(q.Entry(0), q.Count());
  next.SetPrevPageNo(prevNo);
  if (before) before->SetNextPageNo(next.PageNo());
  parent.RemoveEntry(i);
  context.pageManager.RemovePage(context.session, q.PageNo());
}

// The children that may hold entries of `key`: from the last child whose
// separator is below the key to the last whose separator equals it, since
// equal keys may span pages.
std::pair<int, int> ChildRange(const TDVXBTreePage& node, const uint8_t* key) {
  const int columns = node.Context().keyRef.ColumnCount();
  const int lo = node.LowerBound(key, columns, 1) - 1;
  int hi = lo;
  while (hi + 1 < node.Count() && node.CompareKey(hi + 1, key, columns) == 0) ++hi;
  return {lo, hi};
}

}  // namespace

TDVXSplitResult TDVXBTreeNodeController::Insert(TDVXBTreePage& page, const uint8_t* key, const TDVXRecordID& id,
                                                int depth) const {
  CheckDepth(page, depth);
  CheckNotEmpty(page);
  // Entry 0 stands for a key below every key and is never compared.
  TDVXBisectResult hit = page.Bisect(key, page.Context().keyRef.ColumnCount(), 1, TDVXBisectMode::Any);
  const int i = hit.found ? hit.position : hit.position - 1;
  TDVXSplitResult below;
  {
    TDVXBTreePage child = OpenChild(page, i);
    below = child.Controller().Insert(child, key, id, depth + 1);
  }
  if (!below.split) return {};
  uint8_t tail[btree_layout::kChildSize];
  PutI32(tail, below.newPageNo);
  return InsertOrSplit(page, i + 1, below.separator.data(), tail);
}

TDVXDeleteResult TDVXBTreeNodeController::Delete(TDVXBTreePage& page, const uint8_t* key, const TDVXRecordID& id,
                                                 int depth) const {
  CheckDepth(page, depth);
  CheckNotEmpty(page);
  const auto [lo, hi] = ChildRange(page, key);
  for (int i = lo; i <= hi; ++i) {
    TDVXDeleteResult below;
    {
      TDVXBTreePage child = OpenChild(page, i);
      below = child.Controller().Delete(child, key, id, depth + 1);
    }
    if (!below.found) continue;
    TDVXDeleteResult result;
    result.found = true;
    if (below.leftBoundary) {
      if (i > 0)
        page.SetKey(i, below.leftBoundary->data());
      else
        result.leftBoundary = std::move(below.leftBoundary);
    }
    if (below.rightBoundary) {
      if (i + 1 < page.Count())
        page.SetKey(i + 1, below.rightBoundary->data());
      else
        result.rightBoundary = std::move(below.rightBoundary);
    }
    if (below.underfull) MergeChild(page, i, result, depth);
    result.underfull = !page.IsRoot() && page.Underfull();
    return result;
  }
  return {};
}

void TDVXBTreeNodeController::MergeChild(TDVXBTreePage& parent, int i, TDVXDeleteResult& result, int depth) const {
  const TDVXBTreeContext& context = parent.Context();
  TDVXBTreePage q = OpenChild(parent, i);
  // An empty page always goes: a page without entries has no business on
  // its level, whatever the capacity rule says about its neighbour.
  const bool empty = q.Count() == 0;
  if (q.PrevPageNo() != -1) {
    TDVXBTreePage previous(context, q.PrevPageNo());
    CheckNeighbour(q, previous);
    if (empty || previous.CanTake(q)) {
      MergeIntoPrevious(parent, i, q, previous, result, depth);
      return;
    }
  }
  if (q.NextPageNo() != -1) {
    TDVXBTreePage next(context, q.NextPageNo());
    CheckNeighbour(q, next);
    if (empty || next.CanTake(q)) MergeIntoNext(parent, i, q, next, result, depth);
  }
}

void TDVXBTreeNodeController::FreeSubtree(TDVXBTreePage& page, int depth) const {
  CheckDepth(page, depth);
  for (int i = 0; i < page.Count(); ++i) {
    TDVXBTreePage child = OpenChild(page, i);
    child.Controller().FreeSubtree(child, depth + 1);
  }
  page.Context().pageManager.RemovePage(page.Context().session, page.PageNo());
}

bool TDVXBTreeNodeController::CheckOrder(const TDVXBTreePage& page, std::string& problem) const {
  const TDVXBTreeKeyRef& keyRef = page.Context().keyRef;
  for (int i = 2; i < page.Count(); ++i)
    if (keyRef.Compare(page.Key(i - 1), page.Key(i)) > 0) {
      problem = "separators of entries " + std::to_string(i - 1) + " and " + std::to_string(i) + " are out of order";
      return false;
    }
  return true;
}

bool TDVXBTreeNodeController::FindEntry(TDVXBTreePage& page, const uint8_t* key, const TDVXRecordID& id,
                                        TDVXKeyPath& path, int depth) const {
  CheckDepth(page, depth);
  CheckNotEmpty(page);
  const auto [lo, hi] = ChildRange(page, key);
  path.Push(page.PageNo(), lo, page.Count());
  for (int i = lo; i <= hi; ++i) {
    path.Leaf().entryNo = static_cast<uint16_t>(i);
    TDVXBTreePage child = OpenChild(page, i);
    if (child.Controller().FindEntry(child, key, id, path, depth + 1)) return true;
  }
  path.Pop();
  return false;
}

void TDVXBTreeNodeController::First(TDVXBTreePage& page, TDVXKeyPath& path) const {
  CheckNotEmpty(page);
  path.Push(page.PageNo(), 0, page.Count());
  TDVXBTreePage child = OpenChild(page, 0);
  child.Controller().First(child, path);
}

void TDVXBTreeNodeController::Last(TDVXBTreePage& page, TDVXKeyPath& path) const {
  CheckNotEmpty(page);
  const int last = page.Count() - 1;
  path.Push(page.PageNo(), last, page.Count());
  TDVXBTreePage child = OpenChild(page, last);
  child.Controller().Last(child, path);
}

void TDVXBTreeNodeController::FindByCondition(TDVXBTreePage& page, TDVXKeyBound bound, const uint8_t* key,
                                              int columns, TDVXKeyPath& path) const {
  CheckNotEmpty(page);
  // The bound lies in the last child whose separator is below the key
  // (respectively not above it), or at the start of the next one.
  const int i = (bound == TDVXKeyBound::FirstNotBelow ? page.LowerBound(key, columns, 1)
                                                      : page.UpperBound(key, columns, 1)) -
                1;
  path.Push(page.PageNo(), i, page.Count());
  TDVXBTreePage child = OpenChild(page, i);
  child.Controller().FindByCondition(child, bound, key, columns, path);
}

bool TDVXBTreeNodeController::FirstKey(TDVXBTreePage& page, uint8_t* key, int depth) const {
  CheckDepth(page, depth);
  for (int i = 0; i < page.Count(); ++i) {
    TDVXBTreePage child = OpenChild(page, i);
    if (child.Controller().FirstKey(child, key, depth + 1)) return true;
  }
  return false;
}

bool TDVXBTreeNodeController::LastKey(TDVXBTreePage& page, uint8_t* key, int depth) const {
  CheckDepth(page, depth);
  for (int i = page.Count() - 1; i >= 0; --i) {
    TDVXBTreePage child = OpenChild(page, i);
    if (child.Controller().LastKey(child, key, depth + 1)) return true;
  }
  return false;
}

}  // namespace dvx
