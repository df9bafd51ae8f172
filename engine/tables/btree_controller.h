#pragma once
// The leaf and node behaviour of B-tree pages. Every operation works on
// the subtree below the page it is given and recurses into children
// through their own controller, so a page object dispatches on its leaf
// flag (TDVXBTreePage::Controller).
//
// Insertion descends to a leaf and inserts there; a page that overflows
// splits into two halves and hands the new right half up as an entry for
// its parent (TDVXSplitResult). The root splits in place: both halves move
// out to new pages and the root page becomes their node, so the root page
// number never changes.
//
// Deletion finds the entry among equal keys (which may span pages),
// removes it, and an underfull non-root page is merged by its parent into
// the previous or next page of its level. When keys cross the boundary
// between two subtrees, the separator for that boundary lies in an
// ancestor; the deletion result carries the new key up until the level
// that holds it (TDVXDeleteResult).
#include <cstdint>
#include <optional>
#include <string>

#include "engine/tables/btree_page.h"
#include "engine/tables/key_path.h"

namespace dvx {

struct TDVXSplitResult {
  bool split = false;
  TDVXKey separator;        // the first key of the new page
  int32_t newPageNo = -1;   // the new right half
};

struct TDVXDeleteResult {
  bool found = false;
  // The page is not the root and underfull; its parent tries to merge it.
  bool underfull = false;
  // New keys for the separator just left, respectively right, of this
  // subtree, to be written by the first ancestor that holds it.
  std::optional<TDVXKey> leftBoundary;
  std::optional<TDVXKey> rightBoundary;
};

// Which position a bound search settles on in a leaf.
enum class TDVXKeyBound {
  FirstNotBelow,  // the first entry whose key is not below the search key
  FirstAbove,     // the first entry whose key is above it
};

class TDVXBTreePageController {
 public:
  virtual ~TDVXBTreePageController() = default;

  virtual TDVXSplitResult Insert(TDVXBTreePage& page, const uint8_t* key, const TDVXRecordID& id,
                                 int depth) const = 0;
  virtual TDVXDeleteResult Delete(TDVXBTreePage& page, const uint8_t* key, const TDVXRecordID& id,
                                  int depth) const = 0;
  // Frees every page of the subtree, children before their node.
  virtual void FreeSubtree(TDVXBTreePage& page, int depth) const = 0;
  // Keys non-decreasing on the page (the compared keys of a node); false
  // with a description of the first fault.
  virtual bool CheckOrder(const TDVXBTreePage& page, std::string& problem) const = 0;
  // Pushes the levels down to the entry (key, id); false, with `path` as
  // it was, when there is none.
  virtual bool FindEntry(TDVXBTreePage& page, const uint8_t* key, const TDVXRecordID& id, TDVXKeyPath& path,
                         int depth) const = 0;
  // Push the levels down to the first, respectively last, entry (to entry
  // 0 of an empty root leaf).
  virtual void First(TDVXBTreePage& page, TDVXKeyPath& path) const = 0;
  virtual void Last(TDVXBTreePage& page, TDVXKeyPath& path) const = 0;
  // Pushes the levels down to the leaf position of `bound` for `key` over
  // `columns`; the leaf entry may be its page's count (the position then
  // lies on the next leaf).
  virtual void FindByCondition(TDVXBTreePage& page, TDVXKeyBound bound, const uint8_t* key, int columns,
                               TDVXKeyPath& path) const = 0;
  // The smallest, respectively largest, key of the subtree into `key`;
  // false for a subtree without entries.
  virtual bool FirstKey(TDVXBTreePage& page, uint8_t* key, int depth) const = 0;
  virtual bool LastKey(TDVXBTreePage& page, uint8_t* key, int depth) const = 0;

 protected:
  // Inserts the entry (key, tail) at `position` of `page`, splitting the
  // page when it is full.
  static TDVXSplitResult InsertOrSplit(TDVXBTreePage& page, int position, const uint8_t* key, const uint8_t* tail);
  static void CheckDepth(const TDVXBTreePage& page, int depth);
};

class TDVXBTreeLeafController final : public TDVXBTreePageController {
 public:
  TDVXSplitResult Insert(TDVXBTreePage& page, const uint8_t* key, const TDVXRecordID& id, int depth) const override;
  TDVXDeleteResult Delete(TDVXBTreePage& page, const uint8_t* key, const TDVXRecordID& id, int depth) const override;
  void FreeSubtree(TDVXBTreePage& page, int depth) const override;
  bool CheckOrder(const TDVXBTreePage& page, std::string& problem) const override;
  bool FindEntry(TDVXBTreePage& page, const uint8_t* key, const TDVXRecordID& id, TDVXKeyPath& path,
                 int depth) const override;
  void First(TDVXBTreePage& page, TDVXKeyPath& path) const override;
  void Last(TDVXBTreePage& page, TDVXKeyPath& path) const override;
  void FindByCondition(TDVXBTreePage& page, TDVXKeyBound bound, const uint8_t* key, int columns,
                       TDVXKeyPath& path) const override;
  bool FirstKey(TDVXBTreePage& page, uint8_t* key, int depth) const override;
  bool LastKey(TDVXBTreePage& page, uint8_t* key, int depth) const override;
};

class TDVXBTreeNodeController final : public TDVXBTreePageController {
 public:
  TDVXSplitResult Insert(TDVXBTreePage& page, const uint8_t* key, const TDVXRecordID& id, int depth) const override;
  TDVXDeleteResult Delete(TDVXBTreePage& page, const uint8_t* key, const TDVXRecordID& id, int depth) const override;
  void FreeSubtree(TDVXBTreePage& page, int depth) const override;
  bool CheckOrder(const TDVXBTreePage& page, std::string& problem) const override;
  bool FindEntry(TDVXBTreePage& page, const uint8_t* key, const TDVXRecordID& id, TDVXKeyPath& path,
                 int depth) const override;
  void First(TDVXBTreePage& page, TDVXKeyPath& path) const override;
  void Last(TDVXBTreePage& page, TDVXKeyPath& path) const override;
  void FindByCondition(TDVXBTreePage& page, TDVXKeyBound bound, const uint8_t* key, int columns,
                       TDVXKeyPath& path) const override;
  bool FirstKey(TDVXBTreePage& page, uint8_t* key, int depth) const override;
  bool LastKey(TDVXBTreePage& page, uint8_t* key, int depth) const override;

 private:
  // Child `i` of `parent` went underfull: merge it into a neighbour on its
  // level when one can take it.
  void MergeChild(TDVXBTreePage& parent, int i, TDVXDeleteResult& result, int depth) const;
};

const TDVXBTreePageController& LeafController();
const TDVXBTreePageController& NodeController();

// A child page as its node may use it: never the root.
TDVXBTreePage OpenChild(const TDVXBTreePage& node, int i);
[[noreturn]] void RaiseTreeCorrupt(const std::string& what);

}  // namespace dvx
