#pragma once
// TDVXPage: one page object lent out by a page manager, and TDVXPageList,
// the ordered lists the manager keeps them in (the clean-page list and each
// session's dirty list).
//
// A page object sits in at most one list at a time, and a page manager
// holds at most one page object per page number. A page in use (UseCount
// above 0) is never discarded, so the pointer a caller holds stays valid
// until its PutPage.
#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>

#include "engine/core/memory_manager.h"

namespace dvx {

class TDVXPageManager;
class TDVXPageList;

class TDVXPage {
 public:
  TDVXPage(TDVXPageManager* owner, int pageSize, int headerSize);
  TDVXPage(const TDVXPage&) = delete;
  TDVXPage& operator=(const TDVXPage&) = delete;

  int32_t PageNo() const { return pageNo_; }
  void SetPageNo(int32_t pageNo) { pageNo_ = pageNo; }
  // The whole page, PageSize bytes (or more after AssignBuffer), and the
  // usable part after the page header, for reading.
  const uint8_t* Buffer() const { return buffer_; }
  const uint8_t* Data() const { return buffer_ + headerSize_; }
  // The only way to change a page: both mark it Dirty first (SetDirty),
  // so its owner can save what it held before the change (a savepoint's
  // image, page_manager.h invariant 5). A pointer taken here is for the
  // change at hand; a later change asks again.
  uint8_t* WritableBuffer() {
    SetDirty();
    return buffer_;
  }
  uint8_t* WritableData() { return WritableBuffer() + headerSize_; }
  int PageSize() const { return pageSize_; }
  int HeaderSize() const { return headerSize_; }
  int DataSize() const { return pageSize_ - headerSize_; }
  size_t BufferSize() const { return bufferSize_; }

  // Callers set Dirty before they change the buffer (WritableBuffer does);
  // the owner hears of it first.
  bool Dirty() const { return dirty_; }
  void SetDirty();
  int UseCount() const { return useCount_; }
  int32_t SessionID() const { return sessionID_; }
  // The StateCounter value at which the buffer was read or last written.
  int32_t Stamp() const { return stamp_; }
  TDVXPageManager* Owner() const { return owner_; }
  bool OwnsBuffer() const { return ownsBuffer_; }

  // Points the page at a buffer that belongs to its page manager (pages of
  // in-memory storage); the page's own buffer is released.
  void BorrowBuffer(uint8_t* buffer);
  // Gives the page a buffer of `size` bytes holding a copy of `buffer`:
  // a null buffer and a size below the page size are refused.
  void AssignBuffer(const uint8_t* buffer, size_t size);

 private:
  friend class TDVXPageManager;
  friend class TDVXPageList;

  TDVXPageManager* owner_;
  int32_t pageNo_ = -1;
  int pageSize_;
  int headerSize_;
  TDVXBufferPtr ownBuffer_;
  uint8_t* buffer_ = nullptr;
  size_t bufferSize_ = 0;
  bool ownsBuffer_ = true;
  bool dirty_ = false;
  int useCount_ = 0;
  int32_t sessionID_ = 0;
  int32_t stamp_ = 0;
  TDVXPageList* list_ = nullptr;
};

// Owns its pages; keeps insertion order and finds a page by number.
class TDVXPageList {
 public:
  using Items = std::list<std::unique_ptr<TDVXPage>>;

  TDVXPage* Find(int32_t pageNo) const;
  bool Contains(const TDVXPage* page) const { return page && Find(page->pageNo_) == page; }
  void Append(std::unique_ptr<TDVXPage> page);
  std::unique_ptr<TDVXPage> Take(TDVXPage* page);
  // Moves a page of this list to its end (the most recently used place)
  // without taking it out: no allocation, the index stays as it is.
  void MoveToEnd(TDVXPage* page);
  size_t Size() const { return items_.size(); }
  bool Empty() const { return items_.empty(); }
  Items& items() { return items_; }
  const Items& items() const { return items_; }
  void Clear();

 private:
  Items items_;
  std::unordered_map<int32_t, Items::iterator> index_;
};

}  // namespace dvx
