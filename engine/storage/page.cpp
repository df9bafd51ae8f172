#include "engine/storage/page.h"
#include "engine/storage/storage_errors.h"

#include <cstring>

#include "engine/core/exception.h"
#include "engine/storage/page_manager.h"

namespace dvx {
TDVXPage::TDVXPage(TDVXPageManager* owner, int pageSize, int headerSize)
    : owner_(owner), pageSize_(pageSize), headerSize_(headerSize) {
  ownBuffer_ = AllocBuffer(static_cast<size_t>(pageSize));
  buffer_ = ownBuffer_.get();
  bufferSize_ = static_cast<size_t>(pageSize);
}

void TDVXPage::SetDirty() {
  if (owner_) owner_->NoteWrite(*this);
  dirty_ = true;
}

void TDVXPage::BorrowBuffer(uint8_t* buffer) {
  if (!buffer) throw EDVXException(kErrNilPageBuffer, "Invalid page buffer. Buffer is Nil");
  ownBuffer_.reset();
  buffer_ = buffer;
  bufferSize_ = static_cast<size_t>(pageSize_);
  ownsBuffer_ = false;
}

void TDVXPage::AssignBuffer(const uint8_t* buffer, size_t size) {
  if (!buffer) throw EDVXException(kErrNilPageBuffer, "Invalid page buffer. Buffer is Nil");
  if (size < static_cast<size_t>(pageSize_)) throw EDVXException(kErrInvalidPageModification, "Invalid page modification");
  TDVXBufferPtr fresh = AllocBuffer(size);
  std::memcpy(fresh.get(), buffer, size);
  ownBuffer_ = std::move(fresh);
  buffer_ = ownBuffer_.get();
  bufferSize_ = size;
  ownsBuffer_ = true;
}

TDVXPage* TDVXPageList::Find(int32_t pageNo) const {
  auto it = index_.find(pageNo);
  return it == index_.end() ? nullptr : it->second->get();
}

void TDVXPageList::Append(std::unique_ptr<TDVXPage> page) {
  page->list_ = this;
  int32_t no = page->pageNo_;
  items_.push_back(std::move(page));
  index_[no] = std::prev(items_.end());
}

std::unique_ptr<TDVXPage> TDVXPageList::Take(TDVXPage* page) {
  auto it = index_.find(page->pageNo_);
  if (it == index_.end() || it->second->get() != page) return nullptr;
  std::unique_ptr<TDVXPage> owned = std::move(*it->second);
  items_.erase(it->second);
  index_.erase(it);
  owned->list_ = nullptr;
  return owned;
}

void TDVXPageList::MoveToEnd(TDVXPage* page) {
  auto it = index_.find(page->pageNo_);
  if (it == index_.end() || it->second->get() != page) return;
  items_.splice(items_.end(), items_, it->second);
}

void TDVXPageList::Clear() {
  items_.clear();
  index_.clear();
}

}  // namespace dvx
