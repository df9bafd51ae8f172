#pragma once
// TDVXBTreePage: one page of an index seen as a B-tree page. The B-tree
// takes the whole page as the page manager hands it out (the storage
// header a new page receives is overwritten); integers are little-endian:
//
//   Offset  Size  Field
//   0       1     root flag: 1 on the root page, 0 elsewhere
//   1       1     leaf flag: 1 on leaf pages, 0 on node pages
//   2       4     previous page on the same level (int32), -1 for none
//   6       4     next page on the same level (int32), -1 for none
//   10      1     1 on a page initialised as a root leaf, otherwise 0;
//                 written, never interpreted
//   11      1     extended-entry flag, always 0
//   12      2     key length K (uint16)
//   14      2     entry count (uint16)
//   16      2     extra header length X (uint16), 0 on pages we write
//   18 + X  ...   entries, packed, in key order
//
// Entry: the key (K bytes), then in a leaf the record ID (6 bytes), in a
// node the child page number (int32). Entry size E = K + 6 or K + 4; entry
// i starts at 18 + X + i·E. In a node, entry 0's key is never compared: it
// stands for a key below every key (it is all zero on the root's first
// entry; on other nodes it may still hold the separator it had before).
// Bytes behind the last entry are cleared whenever entries leave, so keys
// of deleted records do not linger in the file.
//
// Capacity of a page of size P: one more entry fits when
// (count + 1)·E + 18 + X <= P; a non-root page is underfull when
// count·E < (P - 18 - X) / 2; two pages can be merged when
// (count1 + count2)·E + 18 + X < P.
//
// Everything read from a page is checked when the page is taken: flags,
// key length (it must be the index's), X and the count must fit the page.
// A page that does not is 30940, never a read past the buffer.
#include <cstdint>
#include <vector>

#include "engine/storage/page_manager.h"
#include "engine/tables/btree_key_ref.h"
#include "engine/tables/record_id_list.h"

namespace dvx {

class TDVXBTreePageController;

namespace btree_layout {
constexpr int kRootFlag = 0;
constexpr int kLeafFlag = 1;
constexpr int kPrevPage = 2;
constexpr int kNextPage = 6;
constexpr int kRootLeafInit = 10;
constexpr int kExtendedFlag = 11;
constexpr int kKeyLength = 12;
constexpr int kCount = 14;
constexpr int kExtraHeaderLength = 16;
constexpr int kHeaderSize = 18;
constexpr int kChildSize = 4;
}  // namespace btree_layout

// What every page operation needs: the pages, the session that owns them
// and the key layout.
struct TDVXBTreeContext {
  TDVXPageManager& pageManager;
  int32_t session;
  const TDVXBTreeKeyRef& keyRef;
};

// Result of bisection over one page.
enum class TDVXBisectMode { Any, First, Last };
struct TDVXBisectResult {
  bool found = false;
  int position = 0;  // the equal entry found, or the insertion point
};

class TDVXBTreePage {
 public:
  // Takes page `pageNo` and checks its header.
  TDVXBTreePage(const TDVXBTreeContext& context, int32_t pageNo);
  // A new page, formatted empty with both links -1.
  static TDVXBTreePage Allocate(const TDVXBTreeContext& context, bool leaf, bool rootLeaf);

  TDVXBTreePage(TDVXBTreePage&&) noexcept = default;
  TDVXBTreePage& operator=(TDVXBTreePage&&) noexcept = default;

  const TDVXBTreeContext& Context() const { return *context_; }
  int32_t PageNo() const { return pageNo_; }
  bool IsRoot() const { return buffer_[btree_layout::kRootFlag] != 0; }
  bool IsLeaf() const { return buffer_[btree_layout::kLeafFlag] != 0; }
  int32_t PrevPageNo() const;
  int32_t NextPageNo() const;
  int Count() const;
  int KeyLength() const { return keyLength_; }
  int EntrySize() const { return keyLength_ + (IsLeaf() ? TDVXRecordID::kSize : btree_layout::kChildSize); }
  int ExtraHeaderLength() const;
  int PageSize() const { return pageSize_; }
  // The raw header byte that marks a page initialised as a root leaf.
  uint8_t RootLeafInit() const { return buffer_[btree_layout::kRootLeafInit]; }

  bool HasRoomFor(int entries) const;
  bool Underfull() const;
  // Whether `other`'s entries fit into this page by the merge rule.
  bool CanTake(const TDVXBTreePage& other) const;

  const uint8_t* Entry(int i) const;
  const uint8_t* Key(int i) const { return Entry(i); }
  TDVXRecordID RecordID(int i) const;
  int32_t Child(int i) const;

  // Changes; each marks the page dirty before it touches the buffer.
  void SetRoot(bool root);
  // Only an empty page changes kind (the entry size changes with it).
  void SetLeaf(bool leaf);
  void SetPrevPageNo(int32_t pageNo);
  void SetNextPageNo(int32_t pageNo);
  void SetKey(int i, const uint8_t* key);
  void SetChild(int i, int32_t pageNo);
  // `tail` is the record ID (leaf) or the child page number (node), in
  // page form. The page must have room.
  void InsertEntry(int position, const uint8_t* key, const uint8_t* tail);
  // Removing from an empty page is 20025 "Index error: page is empty".
  void RemoveEntry(int position);
  // The page's entries become the `count` entries at `entries` (page form,
  // this page's entry size).
  void ReplaceEntries(const uint8_t* entries, int count);
  void AppendEntries(const uint8_t* entries, int count);
  void PrependEntries(const uint8_t* entries, int count);

  // Bisection over entries start..count-1 comparing `key` over `columns`.
  TDVXBisectResult Bisect(const uint8_t* key, int columns, int start, TDVXBisectMode mode) const;
  // The first entry from `start` on whose key is not below (LowerBound),
  // respectively above (UpperBound), `key`; Count() when there is none.
  int LowerBound(const uint8_t* key, int columns, int start) const;
  int UpperBound(const uint8_t* key, int columns, int start) const;
  int CompareKey(int i, const uint8_t* key, int columns) const;

  // The leaf or node behaviour, by the page's leaf flag.
  const TDVXBTreePageController& Controller() const;

  // The whole page as it lies in the page manager's buffer.
  const uint8_t* Image() const { return buffer_; }

 private:
  TDVXBTreePage(const TDVXBTreeContext& context, TDVXPageRef ref);
  void Validate() const;
  // Marks the page Dirty before a change and gives the bytes to change.
  uint8_t* MarkDirty();
  int EntriesStart() const { return btree_layout::kHeaderSize + ExtraHeaderLength(); }
  void SetCount(int count);
  void CheckIndex(int i) const;
  [[noreturn]] void Corrupt(const char* what) const;

  const TDVXBTreeContext* context_;
  TDVXPageRef ref_;
  const uint8_t* buffer_;
  int32_t pageNo_;
  int pageSize_;
  int keyLength_;
};

}  // namespace dvx
