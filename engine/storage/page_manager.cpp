#include "engine/storage/page_manager.h"
#include "engine/storage/storage_errors.h"

#include <algorithm>
#include <cstring>

#include "engine/core/cleanup_failures.h"
#include "engine/core/exception.h"

namespace dvx {
TDVXPageManager::TDVXPageManager(int pageSize, int headerSize) : pageSize_(pageSize), headerSize_(headerSize) {}

TDVXPageManager::~TDVXPageManager() = default;

TDVXPageManager::TChangeSet& TDVXPageManager::ChangeSet(int32_t session) { return changeSets_[session]; }

TDVXPageManager::TChangeSet* TDVXPageManager::FindChangeSet(int32_t session) {
  auto it = changeSets_.find(session);
  return it == changeSets_.end() ? nullptr : &it->second;
}

TDVXPage* TDVXPageManager::FindInOtherSessions(int32_t session, int32_t pageNo) {
  for (auto& [id, set] : changeSets_)
    if (id != session)
      if (TDVXPage* p = set.dirty.Find(pageNo)) return p;
  return nullptr;
}

TDVXPage* TDVXPageManager::FindAnywhere(int32_t pageNo, TDVXPageList** list) {
  if (TDVXPage* p = clean_.Find(pageNo)) {
    *list = &clean_;
    return p;
  }
  for (auto& [id, set] : changeSets_)
    if (TDVXPage* p = set.dirty.Find(pageNo)) {
      *list = &set.dirty;
      return p;
    }
  return nullptr;
}

TDVXPage* TDVXPageManager::AddPage(int32_t session) {
  TDVXLockGuard guard(lock_);
  TChangeSet& set = ChangeSet(session);
  auto page = std::make_unique<TDVXPage>(this, pageSize_, headerSize_);
  InternalAddPage(*page);
  int32_t no = page->PageNo();
  if (no == -1) throw EDVXException(kErrInvalidNewPageNumber, "Invalid page number");
  TDVXPageList* list = nullptr;
  if (TDVXPage* stale = FindAnywhere(no, &list)) {
    // A number handed out again may still have a cached copy from before it
    // was freed (by another process, or by a direct internal file).
    if (stale->useCount_ > 0 || list != &clean_) {
      InternalRemovePage(no);
      throw EDVXException(kErrInvalidNewPageNumber, "Invalid page number");
    }
    clean_.Take(stale);
  }
  DropCommittedCopy(no);
  page->useCount_ = 1;
  page->dirty_ = true;
  page->sessionID_ = session;
  TDVXPage* raw = page.get();
  set.dirty.Append(std::move(page));
  set.added.push_back(no);
  return raw;
}

TDVXPage* TDVXPageManager::GetPage(int32_t session, int32_t pageNo, TDVXRevalidateHook hook, void* context) {
  TDVXLockGuard guard(lock_);
  TChangeSet& set = ChangeSet(session);
  TDVXPage* page = set.dirty.Find(pageNo);
  if (!page) {
    const bool dirtyElsewhere = FindInOtherSessions(session, pageNo) != nullptr;
    TDVXPageList& list = dirtyElsewhere ? committed_ : clean_;
    page = list.Find(pageNo);
    if (!page) {
      CheckPageNo(pageNo);
      std::unique_ptr<TDVXPage> fresh = FrameForRead(pageNo);
      auto bracket = brackets_.find(session);
      int32_t stamp = bracket != brackets_.end() ? bracket->second.counter : GetStateCounter();
      InternalReadPage(*fresh);  // a failed read leaves nothing in the cache
      fresh->stamp_ = stamp;
      page = fresh.get();
      list.Append(std::move(fresh));
    } else if (!exclusive_ && page->useCount_ == 0 && !page->dirty_ &&
               (!hook || hook(context, page->stamp_, pageNo))) {
      auto bracket = brackets_.find(session);
      int32_t counter = bracket != brackets_.end() ? bracket->second.counter : GetStateCounter();
      if (counter != page->stamp_) {
        try {
          InternalReadPage(*page);
        } catch (const EDVXException&) {
          list.Take(page);
          throw;
        }
        page->stamp_ = counter;
      }
    }
  }
  if (page->useCount_ >= 1 && page->sessionID_ != session)
    throw EDVXException(kErrUsedByOtherSession, "Page is used by other session");
  page->sessionID_ = session;
  page->useCount_ += 1;
  return page;
}

// Every change of a page marks it Dirty first (TDVXPage::SetDirty), so the
// image is taken before the savepoint's first change reaches it. A page
// added since the savepoint needs none: a rollback releases it.
void TDVXPageManager::NoteWrite(TDVXPage& page) {
  TDVXLockGuard guard(lock_);
  // A committed copy stands for a page another session is changing: the
  // reader may look, never write.
  if (page.list_ == &committed_) throw EDVXException(kErrUsedByOtherSession, "Page is used by other session");
  TChangeSet* set = FindChangeSet(page.sessionID_);
  if (set && set->savepoint) SaveImage(*set, page);
}

void TDVXPageManager::SaveImage(TChangeSet& set, TDVXPage& page) {
  TSavepoint& sp = *set.savepoint;
  if (sp.images.count(page.pageNo_)) return;
  for (size_t i = sp.added; i < set.added.size(); ++i)
    if (set.added[i] == page.pageNo_) return;
  TSavedImage image;
  image.bytes.assign(page.buffer_, page.buffer_ + page.bufferSize_);
  image.dirty = page.dirty_;
  sp.images.emplace(page.pageNo_, std::move(image));
}

void TDVXPageManager::BeginSavepoint(int32_t session) {
  TDVXLockGuard guard(lock_);
  TChangeSet& set = ChangeSet(session);
  if (set.savepoint)
    throw EDVXException(kErrSavepointActive, "Error - session %d already has a savepoint", {session});
  auto sp = std::make_unique<TSavepoint>();
  sp->added = set.added.size();
  sp->removed = set.removed.size();
  // Nothing is copied now: a page's image is taken at its first change
  // under the savepoint (NoteWrite), pages held already included.
  set.savepoint = std::move(sp);
}

size_t TDVXPageManager::SavedImageCount(int32_t session) {
  TDVXLockGuard guard(lock_);
  TChangeSet* set = FindChangeSet(session);
  return set && set->savepoint ? set->savepoint->images.size() : 0;
}

int32_t TDVXPageManager::BeginBracket(int32_t session) {
  TDVXLockGuard guard(lock_);
  // Read before the bracket is entered: a failed read leaves none open.
  const int32_t counter = GetStateCounter();
  TBracket& bracket = brackets_[session];
  bracket.counter = counter;
  ++bracket.depth;
  return counter;
}

void TDVXPageManager::EndBracket(int32_t session) {
  TDVXLockGuard guard(lock_);
  auto it = brackets_.find(session);
  if (it == brackets_.end()) return;
  if (--it->second.depth <= 0) brackets_.erase(it);
}

bool TDVXPageManager::InBracket(int32_t session) {
  TDVXLockGuard guard(lock_);
  return brackets_.count(session) != 0;
}

int32_t TDVXPageManager::SessionStateCounter(int32_t session) {
  TDVXLockGuard guard(lock_);
  auto it = brackets_.find(session);
  return it != brackets_.end() ? it->second.counter : GetStateCounter();
}

bool TDVXPageManager::HasSavepoint(int32_t session) {
  TDVXLockGuard guard(lock_);
  TChangeSet* set = FindChangeSet(session);
  return set && set->savepoint;
}

void TDVXPageManager::ReleaseSavepoint(int32_t session) {
  TDVXLockGuard guard(lock_);
  if (TChangeSet* set = FindChangeSet(session)) set->savepoint.reset();
}

void TDVXPageManager::RollbackToSavepoint(int32_t session) {
  TDVXLockGuard guard(lock_);
  TChangeSet* set = FindChangeSet(session);
  if (!set || !set->savepoint)
    throw EDVXException(kErrNoSavepoint, "Error - session %d has no savepoint", {session});
  // Checked before anything is restored, so a refused rollback changes
  // nothing and may be repeated once the pages are back. Only the pages the
  // rollback restores or releases must be back; it never touches others.
  for (size_t i = set->savepoint->added; i < set->added.size(); ++i)
    if (TDVXPage* p = set->dirty.Find(set->added[i]); p && p->useCount_ > 0)
      throw EDVXException(kErrSavepointUsedPage, "Cannot remove used page, pageNo = %d, UseCount = %d",
                          {p->pageNo_, p->useCount_});
  for (auto& [no, image] : set->savepoint->images) {
    TDVXPageList* list = nullptr;
    TDVXPage* p = FindAnywhere(no, &list);
    if (p && p->useCount_ > 0 && p->sessionID_ == session)
      throw EDVXException(kErrSavepointUsedPage, "Cannot remove used page, pageNo = %d, UseCount = %d",
                          {no, p->useCount_});
  }
  std::unique_ptr<TSavepoint> sp = std::move(set->savepoint);
  ++generation_;
  // Pages added since the savepoint go back to the free space, newest
  // first, as CancelChanges does.
  while (set->added.size() > sp->added) {
    const int32_t no = set->added.back();
    if (TDVXPage* p = set->dirty.Find(no)) set->dirty.Take(p);
    DropCommittedCopy(no);
    set->added.pop_back();
    InternalRemovePage(no);
  }
  while (set->removed.size() > sp->removed) {
    set->removedSet.erase(set->removed.back());
    set->removed.pop_back();
  }
  for (auto& [no, image] : sp->images) {
    TDVXPageList* list = nullptr;
    TDVXPage* p = FindAnywhere(no, &list);
    // A page that left the cache was clean and unchanged: only clean,
    // unused pages are evicted.
    if (!p || (list != &set->dirty && list != &clean_)) continue;
    std::memcpy(p->buffer_, image.bytes.data(), std::min(image.bytes.size(), p->bufferSize_));
    p->dirty_ = image.dirty;
    if (!image.dirty && list == &set->dirty) {
      DropCommittedCopy(no);
      clean_.Append(set->dirty.Take(p));
    }
  }
  TrimCleanList();
}

void TDVXPageManager::PutPage(TDVXPage* page) {
  TDVXLockGuard guard(lock_);
  if (!page || page->pageNo_ == -1) throw EDVXException(kErrInvalidPutPageNumber, "Invalid page number");
  if (!page->list_ || !page->list_->Contains(page))
    throw EDVXException(kErrReleasedTooEarly, "Used page was released too early");
  if (page->useCount_ - 1 < 0)
    throw EDVXException(kErrInvalidUseCount, "Error - invalid use count = %d, pageNo = %d",
                        {page->useCount_ - 1, page->pageNo_});
  page->useCount_ -= 1;
  if (page->list_ == &committed_) {
    if (page->useCount_ == 0 && !FindInOtherSessions(page->sessionID_, page->pageNo_)) committed_.Take(page);
    return;
  }
  if (page->useCount_ == 0 && page->list_ == &clean_) {
    if (page->dirty_)
      ChangeSet(page->sessionID_).dirty.Append(clean_.Take(page));
    else
      clean_.MoveToEnd(page);
  }
  if (page->list_ == &clean_) TrimCleanList();
}

namespace {
constexpr size_t kSpareFrames = 8;
}

void TDVXPageManager::TrimCleanList() {
  auto& items = clean_.items();
  for (auto it = items.begin(); it != items.end() && clean_.Size() > cacheCapacity_;) {
    TDVXPage* p = it->get();
    ++it;
    if (p->useCount_ != 0 || p->dirty_) continue;
    std::unique_ptr<TDVXPage> evicted = clean_.Take(p);
    // Only a frame of the page size the page owns itself can be read into
    // again (a borrowed or enlarged buffer goes with its page).
    if (spareFrames_.size() < kSpareFrames && evicted->ownsBuffer_ &&
        evicted->bufferSize_ == static_cast<size_t>(pageSize_))
      spareFrames_.push_back(std::move(evicted));
  }
}

std::unique_ptr<TDVXPage> TDVXPageManager::FrameForRead(int32_t pageNo) {
  std::unique_ptr<TDVXPage> frame;
  // Frames of another page size (the file set its own when it opened) are
  // of no use any more.
  if (!spareFrames_.empty() &&
      (spareFrames_.back()->pageSize_ != pageSize_ || spareFrames_.back()->headerSize_ != headerSize_))
    spareFrames_.clear();
  if (!spareFrames_.empty()) {
    frame = std::move(spareFrames_.back());
    spareFrames_.pop_back();
    frame->dirty_ = false;
    frame->useCount_ = 0;
    frame->sessionID_ = 0;
    frame->stamp_ = 0;
    frame->list_ = nullptr;
  } else {
    frame = std::make_unique<TDVXPage>(this, pageSize_, headerSize_);
  }
  frame->pageNo_ = pageNo;
  return frame;
}

void TDVXPageManager::RemovePage(int32_t session, int32_t pageNo) {
  TDVXLockGuard guard(lock_);
  TChangeSet& set = ChangeSet(session);
  // Removing a page twice in one change set would free it twice.
  if (set.removedSet.insert(pageNo).second) set.removed.push_back(pageNo);
}

bool TDVXPageManager::HasChanges(int32_t session) {
  TDVXLockGuard guard(lock_);
  TChangeSet* set = FindChangeSet(session);
  return set && (!set->dirty.Empty() || !set->added.empty() || !set->removed.empty());
}

void TDVXPageManager::ApplyChanges(int32_t session) {
  TDVXLockGuard guard(lock_);
  TChangeSet* set = FindChangeSet(session);
  if (!set) return;
  // Every check comes before the first write, so a refused commit changes
  // nothing.
  for (auto& p : set->dirty.items()) {
    if (!p->dirty_) throw EDVXException(kErrApplyNotDirty, "Page is not dirty, pageNo = %d", {p->pageNo_});
    if (p->useCount_ > 0)
      throw EDVXException(kErrApplyUsedPage, "Cannot remove used page, pageNo = %d, UseCount = %d",
                          {p->pageNo_, p->useCount_});
  }
  for (int32_t no : set->removed) {
    TDVXPageList* list = nullptr;
    TDVXPage* p = FindAnywhere(no, &list);
    if (p && p->useCount_ > 0)
      throw EDVXException(kErrApplyUsedPage, "Cannot remove used page, pageNo = %d, UseCount = %d",
                          {no, p->useCount_});
  }
  if (set->dirty.Empty() && set->removed.empty()) {
    set->added.clear();
    changeSets_.erase(session);
    return;
  }
  std::vector<TDVXPage*> pages;
  for (auto& p : set->dirty.items())
    if (!set->removedSet.count(p->pageNo_)) pages.push_back(p.get());  // freed below; writing it is wasted
  const std::set<int32_t> added(set->added.begin(), set->added.end());
  ++generation_;
  int32_t stamp = BeginCommit(pages, added);
  try {
    for (TDVXPage* p : pages) InternalWritePage(*p);
    CommitPoint(stamp, !set->removed.empty());
  } catch (...) {
    // The pages on disk are as they were; the change set is whole, so the
    // session can commit again or roll back.
    try {
      AbortCommit();
    } catch (...) {
      NoteCleanupFailure("aborting a failed commit");
    }
    EndCommit();
    throw;
  }
  // The commit holds: its pages become the clean copies and the pages it
  // took from the free space are its own.
  while (!set->dirty.Empty()) {
    TDVXPage* p = set->dirty.items().front().get();
    DropCommittedCopy(p->pageNo_);
    auto owned = set->dirty.Take(p);
    owned->dirty_ = false;
    owned->stamp_ = stamp;
    if (set->removedSet.count(owned->pageNo_) == 0) clean_.Append(std::move(owned));
  }
  set->added.clear();
  // The session's bracket goes on at its own commit's state: the pages just
  // written are what the file holds at `stamp`; every other page is checked
  // against it (invariant 6).
  if (auto bracket = brackets_.find(session); bracket != brackets_.end()) bracket->second.counter = stamp;
  // Released pages are freed only now, after the commit point. A page that
  // cannot be freed stays marked in use without an owner (a leak the
  // checker reports and can reclaim); the commit itself has succeeded and
  // is not reported as failed. The next commit tries such pages again.
  std::vector<int32_t> releases(set->removed.begin(), set->removed.end());
  releases.insert(releases.end(), pendingFrees_.begin(), pendingFrees_.end());
  pendingFrees_.clear();
  changeSets_.erase(session);
  for (int32_t no : releases) {
    TDVXPageList* list = nullptr;
    if (TDVXPage* p = FindAnywhere(no, &list)) list->Take(p);
    DropCommittedCopy(no);
    try {
      InternalRemovePage(no);
    } catch (const EDVXException&) {
      pendingFrees_.push_back(no);
    }
  }
  EndCommit();
  TrimCleanList();
}

void TDVXPageManager::CancelChanges(int32_t session) {
  TDVXLockGuard guard(lock_);
  TChangeSet* set = FindChangeSet(session);
  if (!set) return;
  for (auto& p : set->dirty.items()) {
    if (!p->dirty_) throw EDVXException(kErrCancelNotDirty, "Page is not dirty, pageNo = %d", {p->pageNo_});
    if (p->useCount_ > 0)
      throw EDVXException(kErrCancelUsedPage, "Cannot remove used page, pageNo = %d, UseCount = %d",
                          {p->pageNo_, p->useCount_});
  }
  ++generation_;
  for (auto& p : set->dirty.items()) DropCommittedCopy(p->pageNo_);
  set->dirty.Clear();
  set->removed.clear();
  set->removedSet.clear();
  while (!set->added.empty()) {
    InternalRemovePage(set->added.back());
    set->added.pop_back();
  }
  changeSets_.erase(session);
}

void TDVXPageManager::DropCommittedCopy(int32_t pageNo) {
  // A copy in use stays with its reader and goes when it is put back
  // (PutPage), since no session holds the page dirty by then.
  if (TDVXPage* copy = committed_.Find(pageNo); copy && copy->useCount_ == 0) committed_.Take(copy);
}

void TDVXPageManager::CheckNoDirtyPages() {
  TDVXLockGuard guard(lock_);
  for (auto& [id, set] : changeSets_)
    if (!set.dirty.Empty())
      throw EDVXException(kErrNotCommitedPages, "Cannot free not commited pages, page manager classname = %s",
                          {ClassName()});
}

void TDVXPageManager::DiscardAllPages() {
  TDVXLockGuard guard(lock_);
  ++generation_;
  changeSets_.clear();
  clean_.Clear();
  committed_.Clear();
  spareFrames_.clear();
}

void TDVXPageManager::DiscardCleanPages() {
  TDVXLockGuard guard(lock_);
  auto& items = clean_.items();
  for (auto it = items.begin(); it != items.end();) {
    TDVXPage* p = it->get();
    ++it;
    if (p->useCount_ == 0 && !p->dirty_) clean_.Take(p);
  }
}

void TDVXPageManager::ForgetCachedPage(int32_t pageNo) {
  TDVXLockGuard guard(lock_);
  if (TDVXPage* p = clean_.Find(pageNo))
    if (p->useCount_ == 0 && !p->dirty_) clean_.Take(p);
}

size_t TDVXPageManager::CachedPageCount() {
  TDVXLockGuard guard(lock_);
  return clean_.Size();
}

TDVXPageRef& TDVXPageRef::operator=(TDVXPageRef&& other) noexcept {
  if (this != &other) {
    Release();
    manager_ = other.manager_;
    page_ = other.page_;
    other.page_ = nullptr;
  }
  return *this;
}

TDVXPageRef::~TDVXPageRef() {
  try {
    Release();
  } catch (...) {
    NoteCleanupFailure("putting back a page");
  }
}

void TDVXPageRef::Release() {
  if (page_) {
    TDVXPage* p = page_;
    page_ = nullptr;
    manager_->PutPage(p);
  }
}

}  // namespace dvx
