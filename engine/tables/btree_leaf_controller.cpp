#include <cstring>

#include "engine/tables/btree_controller.h"

namespace dvx {

TDVXSplitResult TDVXBTreeLeafController::Insert(TDVXBTreePage& page, const uint8_t* key, const TDVXRecordID& id,
                                                int depth) const {
  CheckDepth(page, depth);
  // Among equal keys the new entry goes before the one bisection hits, so
  // duplicates keep no particular order.
  int position = page.Bisect(key, page.Context().keyRef.ColumnCount(), 0, TDVXBisectMode::Any).position;
  uint8_t tail[TDVXRecordID::kSize];
  id.Encode(tail);
  return InsertOrSplit(page, position, key, tail);
}

TDVXDeleteResult TDVXBTreeLeafController::Delete(TDVXBTreePage& page, const uint8_t* key, const TDVXRecordID& id,
                                                 int depth) const {
  CheckDepth(page, depth);
  const int columns = page.Context().keyRef.ColumnCount(), count = page.Count();
  for (int p = page.LowerBound(key, columns, 0); p < count && page.CompareKey(p, key, columns) == 0; ++p) {
    if (page.RecordID(p) == id) {
      page.RemoveEntry(p);
      TDVXDeleteResult result;
      result.found = true;
      result.underfull = !page.IsRoot() && page.Underfull();
      return result;
    }
  }
  return {};
}

void TDVXBTreeLeafController::FreeSubtree(TDVXBTreePage& page, int depth) const {
  CheckDepth(page, depth);
  page.Context().pageManager.RemovePage(page.Context().session, page.PageNo());
}

bool TDVXBTreeLeafController::CheckOrder(const TDVXBTreePage& page, std::string& problem) const {
  const TDVXBTreeKeyRef& keyRef = page.Context().keyRef;
  for (int i = 1; i < page.Count(); ++i)
    if (keyRef.Compare(page.Key(i - 1), page.Key(i)) > 0) {
      problem = "keys of entries " + std::to_string(i - 1) + " and " + std::to_string(i) + " are out of order";
      return false;
    }
  return true;
}

bool TDVXBTreeLeafController::FindEntry(TDVXBTreePage& page, const uint8_t* key, const TDVXRecordID& id,
                                        TDVXKeyPath& path, int depth) const {
  CheckDepth(page, depth);
  const int columns = page.Context().keyRef.ColumnCount(), count = page.Count();
  for (int p = page.LowerBound(key, columns, 0); p < count && page.CompareKey(p, key, columns) == 0; ++p)
    if (page.RecordID(p) == id) {
      path.Push(page.PageNo(), p, count);
      return true;
    }
  return false;
}

void TDVXBTreeLeafController::First(TDVXBTreePage& page, TDVXKeyPath& path) const {
  path.Push(page.PageNo(), 0, page.Count());
}

void TDVXBTreeLeafController::Last(TDVXBTreePage& page, TDVXKeyPath& path) const {
  path.Push(page.PageNo(), page.Count() > 0 ? page.Count() - 1 : 0, page.Count());
}

void TDVXBTreeLeafController::FindByCondition(TDVXBTreePage& page, TDVXKeyBound bound, const uint8_t* key,
                                              int columns, TDVXKeyPath& path) const {
  int position = bound == TDVXKeyBound::FirstNotBelow ? page.LowerBound(key, columns, 0)
                                                      : page.UpperBound(key, columns, 0);
  path.Push(page.PageNo(), position, page.Count());
}

bool TDVXBTreeLeafController::FirstKey(TDVXBTreePage& page, uint8_t* key, int depth) const {
  if (page.Count() == 0) return false;
  std::memcpy(key, page.Key(0), static_cast<size_t>(page.KeyLength()));
  return true;
}

bool TDVXBTreeLeafController::LastKey(TDVXBTreePage& page, uint8_t* key, int depth) const {
  if (page.Count() == 0) return false;
  std::memcpy(key, page.Key(page.Count() - 1), static_cast<size_t>(page.KeyLength()));
  return true;
}

}  // namespace dvx
