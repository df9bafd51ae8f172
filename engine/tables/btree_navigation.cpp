// Walking a B-tree index: positions along key paths, the cursor's
// neighbour reads, record numbers and the duplicate filter of restricted
// cursors.
#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "engine/core/exception.h"
#include "engine/tables/btree_controller.h"
#include "engine/tables/btree_index.h"
#include "engine/tables/index_errors.h"

namespace dvx {

namespace {

using TRecordIDSet = std::unordered_set<TDVXRecordID, TDVXRecordIDHash>;

TDVXBTreePage OpenLeaf(const TDVXBTreeContext& context, int32_t pageNo) {
  TDVXBTreePage page(context, pageNo);
  if (!page.IsLeaf()) RaiseTreeCorrupt("page " + std::to_string(pageNo) + " on the leaf level is a node");
  return page;
}

}  // namespace

uint64_t TDVXBTreeIndex::LeafWalkLimit() {
  // A chain longer than the file has pages runs in a circle.
  return static_cast<uint64_t>(std::max<int32_t>(pageManager_.GetPageCount(), 0)) + 1;
}

bool TDVXBTreeIndex::First(int32_t session, TDVXKeyPath& path) {
  path.Clear();
  if (RootPageNo() == -1) return false;
  const TDVXBTreeContext context = Context(session);
  {
    TDVXBTreePage root(context, RootPageNo());
    root.Controller().First(root, path);
  }
  return SettleForward(session, path);
}

bool TDVXBTreeIndex::Last(int32_t session, TDVXKeyPath& path) {
  path.Clear();
  if (RootPageNo() == -1) return false;
  const TDVXBTreeContext context = Context(session);
  {
    TDVXBTreePage root(context, RootPageNo());
    root.Controller().Last(root, path);
  }
  if (path.Leaf().count > 0) return true;
  return StepBack(session, path);
}

bool TDVXBTreeIndex::MoveNext(int32_t session, TDVXKeyPath& path) {
  if (path.Empty()) throw EDVXException(kErrMoveNextNoPosition, kTextInvalidPosition);
  const TDVXBTreeContext context = Context(session);
  const int depth = path.Depth();
  // The deepest level that can still advance; every level below it moves
  // on to the next page of its own level.
  int level = depth - 1;
  while (level >= 0 && path.Level(level).entryNo + 1 >= path.Level(level).count) --level;
  if (level < 0) return false;
  TDVXKeyPath moved = path;
  moved.Level(level).entryNo++;
  for (int l = level + 1; l < depth; ++l) {
    int32_t next;
    {
      TDVXBTreePage page(context, moved.Level(l).pageNo);
      next = page.NextPageNo();
    }
    if (next == -1) throw EDVXException(kErrMoveNoNeighbour, "Index error: invalid page number");
    TDVXBTreePage page(context, next);
    moved.Level(l) = TDVXKeyPathLevel{next, 0, static_cast<uint16_t>(page.Count())};
  }
  path = moved;
  return true;
}

bool TDVXBTreeIndex::MovePrior(int32_t session, TDVXKeyPath& path) {
  if (path.Empty()) throw EDVXException(kErrMovePriorNoPosition, kTextInvalidPosition);
  const TDVXBTreeContext context = Context(session);
  const int depth = path.Depth();
  int level = depth - 1;
  while (level >= 0 && (path.Level(level).entryNo == 0 || path.Level(level).count == 0)) --level;
  if (level < 0) return false;
  TDVXKeyPath moved = path;
  TDVXKeyPathLevel& at = moved.Level(level);
  // A position behind the end of its page steps back onto the last entry.
  at.entryNo = static_cast<uint16_t>(std::min(at.entryNo, at.count) - 1);
  for (int l = level + 1; l < depth; ++l) {
    int32_t prev;
    {
      TDVXBTreePage page(context, moved.Level(l).pageNo);
      prev = page.PrevPageNo();
    }
    if (prev == -1) throw EDVXException(kErrMoveNoNeighbour, "Index error: invalid page number");
    TDVXBTreePage page(context, prev);
    const int count = page.Count();
    moved.Level(l) = TDVXKeyPathLevel{prev, static_cast<uint16_t>(count > 0 ? count - 1 : 0), static_cast<uint16_t>(count)};
  }
  path = moved;
  return true;
}

bool TDVXBTreeIndex::SettleForward(int32_t session, TDVXKeyPath& path) {
  while (path.Leaf().entryNo >= path.Leaf().count)
    if (!MoveNext(session, path)) return false;
  return true;
}

bool TDVXBTreeIndex::StepBack(int32_t session, TDVXKeyPath& path) {
  TDVXKeyPathLevel& leaf = path.Leaf();
  if (leaf.entryNo > 0 && leaf.count > 0) {
    leaf.entryNo = static_cast<uint16_t>(std::min(leaf.entryNo, leaf.count) - 1);
    return true;
  }
  do {
    if (!MovePrior(session, path)) return false;
  } while (path.Leaf().count == 0);
  return true;
}

TDVXRecordID TDVXBTreeIndex::RecordIDAt(int32_t session, const TDVXKeyPath& path) {
  if (path.Empty()) throw EDVXException(kErrIndexPathPosition, kTextInvalidPosition);
  TDVXBTreePage page = OpenLeaf(Context(session), path.Leaf().pageNo);
  if (path.Leaf().entryNo >= page.Count()) throw EDVXException(kErrIndexPathPosition, kTextInvalidPosition);
  return page.RecordID(path.Leaf().entryNo);
}

TDVXKey TDVXBTreeIndex::KeyAt(int32_t session, const TDVXKeyPath& path) {
  if (path.Empty()) throw EDVXException(kErrIndexPathPosition, kTextInvalidPosition);
  TDVXBTreePage page = OpenLeaf(Context(session), path.Leaf().pageNo);
  if (path.Leaf().entryNo >= page.Count()) throw EDVXException(kErrIndexPathPosition, kTextInvalidPosition);
  const uint8_t* key = page.Key(path.Leaf().entryNo);
  return TDVXKey(key, key + page.KeyLength());
}

TDVXIndexRecordResult TDVXBTreeIndex::GetRecord(int32_t session, TDVXIndexGetRecordRequest& request,
                                              TDVXIndexTableAccess& table) {
  if (request.mode != grmNext && request.mode != grmPrior)
    throw EDVXException(kErrGetRecordCurrent, "Invalid get record mode for index: grmCurrent");
  const bool forward = request.mode == grmNext;
  auto passedEnd = [&] {
    request.eof = true;
    request.bof = false;
    return grrEndPassedOrEmpty;
  };
  auto passedBeginning = [&] {
    request.bof = true;
    request.eof = false;
    return grrBeginningPassed;
  };
  if (RootPageNo() == -1) return passedEnd();
  TDVXKeyPath path;
  bool positioned;
  bool fromEnd = false;  // positioning on the first or last entry: failing means empty
  if (forward && request.bof) {
    positioned = First(session, path);
    fromEnd = true;
  } else if (!forward && request.eof) {
    positioned = Last(session, path);
    fromEnd = true;
  } else if (forward && request.eof) {
    return grrEndPassedOrEmpty;
  } else if (!forward && request.bof) {
    return grrBeginningPassed;
  } else if (StepFromWalkPosition(session, request, forward, path)) {
    positioned = true;
  } else {
    TDVXKey key = KeyRef().MakeKey(request.record);
    const int columns = KeyRef().ColumnCount();
    if (FindEntry(session, key.data(), request.recordID, path))
      positioned = forward ? MoveNext(session, path) : MovePrior(session, path);
    else if (forward)
      positioned = SeekBound(session, TDVXKeyBound::FirstNotBelow, key.data(), columns, path);
    else
      positioned = SeekLastBefore(session, key.data(), columns, true, path);
  }
  if (!positioned) return forward || fromEnd ? passedEnd() : passedBeginning();
  TDVXRecordID id = RecordIDAt(session, path);
  walk_.valid = false;
  if (!table.ReadRecord(session, id, request.record)) return grrNotReadable;
  request.recordID = id;
  request.bof = request.eof = false;
  RememberWalkPosition(session, id, path);
  return grrRecordRead;
}

void TDVXBTreeIndex::RememberWalkPosition(int32_t session, const TDVXRecordID& id, const TDVXKeyPath& path) {
  // Only inside a read bracket is the counter known without reading the
  // file; outside one every call searches.
  walk_.valid = pageManager_.InBracket(session);
  if (!walk_.valid) return;
  walk_.session = session;
  walk_.id = id;
  walk_.leafPageNo = path.Leaf().pageNo;
  walk_.entryNo = path.Leaf().entryNo;
  walk_.changeCount = changeCount_;
  walk_.stateCounter = pageManager_.SessionStateCounter(session);
  walk_.generation = pageManager_.Generation();
}

bool TDVXBTreeIndex::StepFromWalkPosition(int32_t session, const TDVXIndexGetRecordRequest& request, bool forward,
                                          TDVXKeyPath& path) {
  if (!walk_.valid || walk_.session != session || !(walk_.id == request.recordID) ||
      walk_.changeCount != changeCount_ || walk_.generation != pageManager_.Generation() ||
      !pageManager_.InBracket(session) || walk_.stateCounter != pageManager_.SessionStateCounter(session))
    return false;
  const TDVXBTreeContext context = Context(session);
  TDVXBTreePage leaf(context, walk_.leafPageNo);
  const int count = leaf.Count();
  if (!leaf.IsLeaf() || walk_.entryNo >= count || !(leaf.RecordID(walk_.entryNo) == request.recordID)) return false;
  // The record's key as the buffer holds it: an edited key continues from
  // where the new key would stand, which only the search can find.
  const TDVXKey key = KeyRef().MakeKey(request.record);
  if (std::memcmp(leaf.Key(walk_.entryNo), key.data(), static_cast<size_t>(KeyRef().KeyLength())) != 0) return false;
  const int next = walk_.entryNo + (forward ? 1 : -1);
  // Past the leaf's end the search crosses to the neighbouring leaf.
  if (next < 0 || next >= count) return false;
  path.Clear();
  path.Push(walk_.leafPageNo, next, count);
  return true;
}

int64_t TDVXBTreeIndex::GetRecNo(int32_t session, const TDVXRecordID& id, const uint8_t* record,
                                 const TDVXRecordIDList* restrictTo) {
  TDVXKeyPath path;
  if (!FindKeyPath(session, record, id, path)) return -1;
  TRecordIDSet listed;
  if (restrictTo) {
    listed.insert(restrictTo->begin(), restrictTo->end());
    if (!listed.count(id)) return -1;
  }
  const TDVXBTreeContext context = Context(session);
  auto countListed = [&](const TDVXBTreePage& page, int upTo) {
    int64_t n = 0;
    for (int i = 0; i < upTo; ++i) n += listed.count(page.RecordID(i)) ? 1 : 0;
    return n;
  };
  int64_t position;
  int32_t prev;
  {
    TDVXBTreePage leaf = OpenLeaf(context, path.Leaf().pageNo);
    const int upTo = path.Leaf().entryNo + 1;
    position = restrictTo ? countListed(leaf, upTo) : upTo;
    prev = leaf.PrevPageNo();
  }
  // Positions are not kept in the nodes: the leaves to the left are
  // counted along their chain.
  const uint64_t limit = LeafWalkLimit();
  for (uint64_t steps = 0; prev != -1; ++steps) {
    if (steps >= limit) RaiseTreeCorrupt("the leaf chain runs in a circle");
    TDVXBTreePage leaf = OpenLeaf(context, prev);
    position += restrictTo ? countListed(leaf, leaf.Count()) : leaf.Count();
    prev = leaf.PrevPageNo();
  }
  return position;
}

bool TDVXBTreeIndex::GetNthRecord(int32_t session, int64_t n, TDVXRecordID& id) {
  if (n < 1) return false;
  TDVXKeyPath path;
  if (!First(session, path)) return false;
  const TDVXBTreeContext context = Context(session);
  int32_t pageNo = path.Leaf().pageNo;
  const uint64_t limit = LeafWalkLimit();
  for (uint64_t steps = 0; pageNo != -1; ++steps) {
    if (steps >= limit) RaiseTreeCorrupt("the leaf chain runs in a circle");
    TDVXBTreePage leaf = OpenLeaf(context, pageNo);
    if (n <= leaf.Count()) {
      id = leaf.RecordID(static_cast<int>(n - 1));
      return true;
    }
    n -= leaf.Count();
    pageNo = leaf.NextPageNo();
  }
  return false;
}

void TDVXBTreeIndex::RemoveDuplicateKeys(int32_t session, TDVXRecordIDList& list) {
  if (list.empty()) return;
  TDVXKeyPath path;
  if (!First(session, path)) return;
  const TDVXBTreeContext context = Context(session);
  const TRecordIDSet listed(list.begin(), list.end());
  TRecordIDSet dropped;
  TDVXKey kept;
  bool haveKept = false;
  int32_t pageNo = path.Leaf().pageNo;
  const uint64_t limit = LeafWalkLimit();
  for (uint64_t steps = 0; pageNo != -1; ++steps) {
    if (steps >= limit) RaiseTreeCorrupt("the leaf chain runs in a circle");
    TDVXBTreePage leaf = OpenLeaf(context, pageNo);
    for (int i = 0; i < leaf.Count(); ++i) {
      TDVXRecordID id = leaf.RecordID(i);
      if (!listed.count(id)) continue;
      if (haveKept && KeyRef().Compare(leaf.Key(i), kept.data()) == 0) {
        dropped.insert(id);
      } else {
        kept.assign(leaf.Key(i), leaf.Key(i) + leaf.KeyLength());
        haveKept = true;
      }
    }
    pageNo = leaf.NextPageNo();
  }
  if (dropped.empty()) return;
  list.erase(std::remove_if(list.begin(), list.end(), [&](const TDVXRecordID& id) { return dropped.count(id) > 0; }),
             list.end());
}

}  // namespace dvx
