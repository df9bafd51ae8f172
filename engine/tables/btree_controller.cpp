#include "engine/tables/btree_controller.h"

#include <cstring>
#include <vector>

#include "engine/core/byte_order.h"
#include "engine/core/exception.h"
#include "engine/tables/index_errors.h"

namespace dvx {

namespace {

// Splits `page`, whose entries with the one that did not fit are the `n`
// entries in `all`, at h = n / 2: entries 0..h-1 stay left, h..n-1 go
// right.
TDVXSplitResult Split(TDVXBTreePage& page, const std::vector<uint8_t>& all, int n) {
  const TDVXBTreeContext& context = page.Context();
  const int size = page.EntrySize(), keyLength = page.KeyLength(), h = n / 2;
  const uint8_t* right = all.data() + static_cast<ptrdiff_t>(h) * size;
  if (page.IsRoot()) {
    // The root keeps its page: both halves move out and the root becomes
    // the node above them, one level higher than before.
    const bool leaf = page.IsLeaf();
    TDVXBTreePage first = TDVXBTreePage::Allocate(context, leaf, false);
    TDVXBTreePage second = TDVXBTreePage::Allocate(context, leaf, false);
    first.ReplaceEntries(all.data(), h);
    second.ReplaceEntries(right, n - h);
    first.SetNextPageNo(second.PageNo());
    second.SetPrevPageNo(first.PageNo());
    page.ReplaceEntries(nullptr, 0);
    page.SetLeaf(false);
    TDVXKey zero(static_cast<size_t>(keyLength), 0);
    uint8_t child[btree_layout::kChildSize];
    PutI32(child, first.PageNo());
    page.InsertEntry(0, zero.data(), child);
    PutI32(child, second.PageNo());
    page.InsertEntry(1, right, child);
    return {};
  }
  const int32_t oldNext = page.NextPageNo();
  std::optional<TDVXBTreePage> after;
  if (oldNext != -1) {
    after.emplace(context, oldNext);
    if (after->PrevPageNo() != page.PageNo() || after->IsLeaf() != page.IsLeaf())
      RaiseTreeCorrupt("the level links at page " + std::to_string(page.PageNo()) + " disagree");
  }
  TDVXBTreePage fresh = TDVXBTreePage::Allocate(context, page.IsLeaf(), false);
  fresh.ReplaceEntries(right, n - h);
  page.ReplaceEntries(all.data(), h);
  fresh.SetPrevPageNo(page.PageNo());
  fresh.SetNextPageNo(oldNext);
  if (after) after->SetPrevPageNo(fresh.PageNo());
  page.SetNextPageNo(fresh.PageNo());
  TDVXSplitResult result;
  result.split = true;
  result.separator.assign(right, right + keyLength);
  result.newPageNo = fresh.PageNo();
  return result;
}

}  // namespace

void RaiseTreeCorrupt(const std::string& what) {
  throw EDVXException(kErrIndexTreeCorrupt, "Index error: invalid tree: %s", {what});
}

TDVXBTreePage OpenChild(const TDVXBTreePage& node, int i) {
  int32_t pageNo = node.Child(i);
  if (pageNo < 0 || pageNo == node.PageNo())
    RaiseTreeCorrupt("entry " + std::to_string(i) + " of page " + std::to_string(node.PageNo()) +
                     " names no child page");
  TDVXBTreePage child(node.Context(), pageNo);
  if (child.IsRoot())
    RaiseTreeCorrupt("page " + std::to_string(pageNo) + " below page " + std::to_string(node.PageNo()) +
                     " carries the root flag");
  return child;
}

void TDVXBTreePageController::CheckDepth(const TDVXBTreePage& page, int depth) {
  if (depth >= TDVXKeyPath::kMaxDepth)
    RaiseTreeCorrupt("more than 32 levels above page " + std::to_string(page.PageNo()));
}

TDVXSplitResult TDVXBTreePageController::InsertOrSplit(TDVXBTreePage& page, int position, const uint8_t* key,
                                                       const uint8_t* tail) {
  if (page.HasRoomFor(1)) {
    page.InsertEntry(position, key, tail);
    return {};
  }
  // The page with one entry more than it holds is laid out in a scratch
  // buffer and split from there; the pages end up as if the page had been
  // enlarged first.
  const int count = page.Count(), size = page.EntrySize(), keyLength = page.KeyLength();
  if (count == 0 || position < 0 || position > count)
    RaiseTreeCorrupt("page " + std::to_string(page.PageNo()) + " has no room for a single entry");
  std::vector<uint8_t> all(static_cast<size_t>(count + 1) * size);
  const uint8_t* entries = page.Entry(0);
  std::memcpy(all.data(), entries, static_cast<size_t>(position) * size);
  uint8_t* at = all.data() + static_cast<ptrdiff_t>(position) * size;
  std::memcpy(at, key, static_cast<size_t>(keyLength));
  std::memcpy(at + keyLength, tail, static_cast<size_t>(size - keyLength));
  std::memcpy(at + size, entries + static_cast<ptrdiff_t>(position) * size, static_cast<size_t>(count - position) * size);
  return Split(page, all, count + 1);
}

const TDVXBTreePageController& LeafController() {
  static const TDVXBTreeLeafController controller;
  return controller;
}

const TDVXBTreePageController& NodeController() {
  static const TDVXBTreeNodeController controller;
  return controller;
}

}  // namespace dvx
