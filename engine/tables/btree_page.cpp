#include "engine/tables/btree_page.h"

#include <algorithm>
#include <cstring>

#include "engine/core/byte_order.h"
#include "engine/core/exception.h"
#include "engine/tables/btree_controller.h"
#include "engine/tables/index_errors.h"

namespace dvx {

using namespace btree_layout;

TDVXBTreePage::TDVXBTreePage(const TDVXBTreeContext& context, TDVXPageRef ref)
    : context_(&context),
      ref_(std::move(ref)),
      buffer_(ref_->Buffer()),
      pageNo_(ref_->PageNo()),
      pageSize_(ref_->PageSize()),
      keyLength_(context.keyRef.KeyLength()) {}

TDVXBTreePage::TDVXBTreePage(const TDVXBTreeContext& context, int32_t pageNo)
    : TDVXBTreePage(context, TDVXPageRef(context.pageManager, context.pageManager.GetPage(context.session, pageNo))) {
  Validate();
}

TDVXBTreePage TDVXBTreePage::Allocate(const TDVXBTreeContext& context, bool leaf, bool rootLeaf) {
  TDVXBTreePage page(context, TDVXPageRef(context.pageManager, context.pageManager.AddPage(context.session)));
  if (page.pageSize_ < kHeaderSize || page.keyLength_ > 0xFFFF) page.Corrupt("the page cannot hold a B-tree header");
  uint8_t* out = page.MarkDirty();
  // The page manager's own header bytes are overwritten; the rest of a new
  // page stays as the page manager made it (random in encrypted files).
  int clear = std::min(page.pageSize_, std::max(kHeaderSize, context.pageManager.HeaderSize()));
  std::memset(out, 0, static_cast<size_t>(clear));
  out[kRootFlag] = rootLeaf ? 1 : 0;
  out[kLeafFlag] = leaf ? 1 : 0;
  PutI32(out + kPrevPage, -1);
  PutI32(out + kNextPage, -1);
  out[kRootLeafInit] = rootLeaf ? 1 : 0;
  out[kExtendedFlag] = 0;
  PutU16(out + kKeyLength, static_cast<uint16_t>(page.keyLength_));
  PutU16(out + kCount, 0);
  PutU16(out + kExtraHeaderLength, 0);
  return page;
}

void TDVXBTreePage::Corrupt(const char* what) const {
  throw EDVXException(kErrIndexPageCorrupt, "Index error: invalid page %d: %s", {pageNo_, what});
}

void TDVXBTreePage::Validate() const {
  if (pageSize_ < kHeaderSize || ref_->BufferSize() < static_cast<size_t>(pageSize_))
    Corrupt("the page is smaller than a B-tree header");
  if (buffer_[kRootFlag] > 1) Corrupt("root flag is neither 0 nor 1");
  if (buffer_[kLeafFlag] > 1) Corrupt("leaf flag is neither 0 nor 1");
  // Pages this engine writes never carry extended entries; entries of
  // another size could not be moved between pages.
  if (buffer_[kExtendedFlag] != 0) Corrupt("extended entries are not supported");
  if (GetU16(buffer_ + kKeyLength) != keyLength_) Corrupt("key length differs from the index's");
  int64_t start = kHeaderSize + static_cast<int64_t>(GetU16(buffer_ + kExtraHeaderLength));
  if (start > pageSize_) Corrupt("extra header runs past the page");
  if (start + static_cast<int64_t>(GetU16(buffer_ + kCount)) * EntrySize() > pageSize_)
    Corrupt("entry count runs past the page");
}

uint8_t* TDVXBTreePage::MarkDirty() { return ref_->WritableBuffer(); }

int32_t TDVXBTreePage::PrevPageNo() const { return GetI32(buffer_ + kPrevPage); }
int32_t TDVXBTreePage::NextPageNo() const { return GetI32(buffer_ + kNextPage); }
int TDVXBTreePage::Count() const { return GetU16(buffer_ + kCount); }
int TDVXBTreePage::ExtraHeaderLength() const { return GetU16(buffer_ + kExtraHeaderLength); }

bool TDVXBTreePage::HasRoomFor(int entries) const {
  return static_cast<int64_t>(Count() + entries) * EntrySize() + EntriesStart() <= pageSize_;
}

bool TDVXBTreePage::Underfull() const {
  return static_cast<int64_t>(Count()) * EntrySize() < (pageSize_ - EntriesStart()) / 2;
}

bool TDVXBTreePage::CanTake(const TDVXBTreePage& other) const {
  return static_cast<int64_t>(Count() + other.Count()) * EntrySize() + EntriesStart() < pageSize_;
}

void TDVXBTreePage::CheckIndex(int i) const {
  if (i < 0 || i >= Count()) Corrupt("entry number outside the page");
}

const uint8_t* TDVXBTreePage::Entry(int i) const {
  CheckIndex(i);
  return buffer_ + EntriesStart() + static_cast<ptrdiff_t>(i) * EntrySize();
}

TDVXRecordID TDVXBTreePage::RecordID(int i) const {
  if (!IsLeaf()) Corrupt("record ID asked of a node page");
  return TDVXRecordID::Decode(Entry(i) + keyLength_);
}

int32_t TDVXBTreePage::Child(int i) const {
  if (IsLeaf()) Corrupt("child asked of a leaf page");
  return GetI32(Entry(i) + keyLength_);
}

void TDVXBTreePage::SetRoot(bool root) {
  uint8_t* out = MarkDirty();
  out[kRootFlag] = root ? 1 : 0;
}

void TDVXBTreePage::SetLeaf(bool leaf) {
  if (Count() != 0) Corrupt("a page with entries cannot change kind");
  uint8_t* out = MarkDirty();
  out[kLeafFlag] = leaf ? 1 : 0;
}

void TDVXBTreePage::SetPrevPageNo(int32_t pageNo) {
  uint8_t* out = MarkDirty();
  PutI32(out + kPrevPage, pageNo);
}

void TDVXBTreePage::SetNextPageNo(int32_t pageNo) {
  uint8_t* out = MarkDirty();
  PutI32(out + kNextPage, pageNo);
}

void TDVXBTreePage::SetCount(int count) { PutU16(MarkDirty() + kCount, static_cast<uint16_t>(count)); }

void TDVXBTreePage::SetKey(int i, const uint8_t* key) {
  CheckIndex(i);
  uint8_t* out = MarkDirty();
  std::memcpy(out + EntriesStart() + static_cast<ptrdiff_t>(i) * EntrySize(), key, static_cast<size_t>(keyLength_));
}

void TDVXBTreePage::SetChild(int i, int32_t pageNo) {
  CheckIndex(i);
  if (IsLeaf()) Corrupt("child set on a leaf page");
  uint8_t* out = MarkDirty();
  PutI32(out + EntriesStart() + static_cast<ptrdiff_t>(i) * EntrySize() + keyLength_, pageNo);
}

void TDVXBTreePage::InsertEntry(int position, const uint8_t* key, const uint8_t* tail) {
  int count = Count(), size = EntrySize();
  if (position < 0 || position > count) Corrupt("insert position outside the page");
  if (!HasRoomFor(1)) Corrupt("no room for another entry");
  uint8_t* out = MarkDirty();
  uint8_t* at = out + EntriesStart() + static_cast<ptrdiff_t>(position) * size;
  std::memmove(at + size, at, static_cast<size_t>(count - position) * size);
  std::memcpy(at, key, static_cast<size_t>(keyLength_));
  std::memcpy(at + keyLength_, tail, static_cast<size_t>(size - keyLength_));
  SetCount(count + 1);
}

void TDVXBTreePage::RemoveEntry(int position) {
  int count = Count(), size = EntrySize();
  if (count == 0) throw EDVXException(kErrIndexPageEmpty, "Index error: page is empty");
  CheckIndex(position);
  uint8_t* out = MarkDirty();
  uint8_t* at = out + EntriesStart() + static_cast<ptrdiff_t>(position) * size;
  std::memmove(at, at + size, static_cast<size_t>(count - position - 1) * size);
  std::memset(out + EntriesStart() + static_cast<ptrdiff_t>(count - 1) * size, 0, static_cast<size_t>(size));
  SetCount(count - 1);
}

void TDVXBTreePage::ReplaceEntries(const uint8_t* entries, int count) {
  int old = Count(), size = EntrySize();
  if (count < 0 || static_cast<int64_t>(count) * size + EntriesStart() > pageSize_) Corrupt("entries do not fit the page");
  uint8_t* out = MarkDirty();
  uint8_t* start = out + EntriesStart();
  if (count > 0) std::memmove(start, entries, static_cast<size_t>(count) * size);
  if (old > count) std::memset(start + static_cast<ptrdiff_t>(count) * size, 0, static_cast<size_t>(old - count) * size);
  SetCount(count);
}

void TDVXBTreePage::AppendEntries(const uint8_t* entries, int count) {
  if (count == 0) return;
  if (count < 0 || !HasRoomFor(count)) Corrupt("entries do not fit the page");
  uint8_t* out = MarkDirty();
  int old = Count();
  std::memmove(out + EntriesStart() + static_cast<ptrdiff_t>(old) * EntrySize(), entries,
               static_cast<size_t>(count) * EntrySize());
  SetCount(old + count);
}

void TDVXBTreePage::PrependEntries(const uint8_t* entries, int count) {
  if (count == 0) return;
  if (count < 0 || !HasRoomFor(count)) Corrupt("entries do not fit the page");
  uint8_t* out = MarkDirty();
  int old = Count(), size = EntrySize();
  uint8_t* start = out + EntriesStart();
  std::memmove(start + static_cast<ptrdiff_t>(count) * size, start, static_cast<size_t>(old) * size);
  std::memmove(start, entries, static_cast<size_t>(count) * size);
  SetCount(old + count);
}

int TDVXBTreePage::CompareKey(int i, const uint8_t* key, int columns) const {
  return context_->keyRef.Compare(Key(i), key, columns);
}

int TDVXBTreePage::LowerBound(const uint8_t* key, int columns, int start) const {
  int lo = std::min(start, Count()), hi = Count();
  while (lo < hi) {
    int mid = lo + (hi - lo) / 2;
    if (CompareKey(mid, key, columns) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

int TDVXBTreePage::UpperBound(const uint8_t* key, int columns, int start) const {
  int lo = std::min(start, Count()), hi = Count();
  while (lo < hi) {
    int mid = lo + (hi - lo) / 2;
    if (CompareKey(mid, key, columns) <= 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

TDVXBisectResult TDVXBTreePage::Bisect(const uint8_t* key, int columns, int start, TDVXBisectMode mode) const {
  int count = Count();
  start = std::min(start, count);
  switch (mode) {
    case TDVXBisectMode::First: {
      int p = LowerBound(key, columns, start);
      return {p < count && CompareKey(p, key, columns) == 0, p};
    }
    case TDVXBisectMode::Last: {
      int p = UpperBound(key, columns, start);
      if (p > start && CompareKey(p - 1, key, columns) == 0) return {true, p - 1};
      return {false, p};
    }
    case TDVXBisectMode::Any:
      break;
  }
  int lo = start, hi = count - 1;
  while (lo <= hi) {
    int mid = lo + (hi - lo) / 2;
    int r = CompareKey(mid, key, columns);
    if (r == 0) return {true, mid};
    if (r < 0)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  return {false, lo};
}

const TDVXBTreePageController& TDVXBTreePage::Controller() const {
  return IsLeaf() ? LeafController() : NodeController();
}

}  // namespace dvx
