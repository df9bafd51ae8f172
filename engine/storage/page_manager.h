#pragma once
// TDVXPageManager: the page cache with per-session change sets, base of the
// disk, memory and temporary page managers.
//
// Invariants:
//  1. A page object lives in exactly one place: the clean-page list, one
//     session's dirty list, or nowhere (discarded). There is never more than
//     one object per page number.
//  2. The clean-page list is ordered by last release; only its unused pages
//     count against CacheCapacity and are evicted, oldest first.
//  3. A page in use (UseCount > 0) belongs to one session; another session
//     asking for it is refused. A page in a session's dirty list holds that
//     session's uncommitted changes and is never lent to another session,
//     which reads the file's version instead (invariant 7).
//  4. A page that is in use or Dirty is never reread or discarded, so
//     uncommitted changes are never overwritten.
//  5. While a session has a savepoint, every page it changes holds the
//     image the page had when the savepoint began, taken when the page is
//     first marked Dirty under the savepoint (every change goes through
//     TDVXPage::SetDirty, WritableBuffer or WritableData, before the bytes
//     change); pages only read, and pages added since the savepoint, get
//     none. So a savepoint costs nothing for the pages the session does
//     not change under it, however many its change set holds. The
//     savepoint also remembers how many pages the change set had added
//     and removed. Rolling back to it puts exactly those images back,
//     releases the pages added since and forgets the removals since; the
//     change set is then what it was at the savepoint, whatever the
//     session changed in between.
//  6. A read bracket of a session (BeginBracket … EndBracket) reads the
//     StateCounter once, when its outermost level begins, and for the rest
//     of the bracket a cached clean page stamped with that counter is
//     trusted without a look at the file; a page stamped otherwise is
//     checked against the bracket's counter, not the file's, and a page
//     read from the file takes the bracket's counter as its stamp. So
//     within one bracket the session sees no commit of another program
//     that came after the bracket began, and the next bracket sees every
//     one. The caller opens a bracket only while it holds the table lock
//     that keeps other programs from committing to the pages it reads (or
//     inside its own transaction), and reads the counter after taking that
//     lock: a page of the table stamped with the counter is then what the
//     file holds. A nested BeginBracket (another table's lock was taken
//     since) reads the counter again. The session's own commit inside a
//     bracket moves the bracket to the commit's stamp. Invariant 4 holds
//     inside a bracket as outside: pages in use or Dirty are never reread.
//     Outside every bracket each use of a cached page asks the file.
//  7. A page dirty in one session's change set is read by every other
//     session as the file holds it: from a committed copy, a page object
//     of its own in the committed-copy list (the one exception to
//     invariant 1), read from the file and revalidated like a clean page.
//     A committed copy is never written (marking it Dirty is refused as
//     "Page is used by other session"), and it goes when the change set
//     holding the page commits or cancels, or when its last reader puts it
//     back after that. So one session's uncommitted changes stay invisible
//     to the others, which still read the table.
//
//   AddPage ──▶ dirty list ──ApplyChanges──▶ clean list ──evict──▶ gone
//   GetPage (miss) ──▶ clean list ──PutPage(Dirty)──▶ dirty list
//   CancelChanges: dirty list ──▶ gone
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "engine/storage/page.h"
#include "engine/core/platform/critical_section.h"

namespace dvx {

class TDVXStream;

// Asked before a cached page is revalidated: (context, the page's Stamp,
// page number) → true when the page is to be checked against the file.
using TDVXRevalidateHook = bool (*)(void* context, int32_t stamp, int32_t pageNo);

class TDVXPageManager {
 public:
  static constexpr size_t kDefaultCacheCapacity = 30;

  TDVXPageManager(int pageSize, int headerSize);
  virtual ~TDVXPageManager();
  TDVXPageManager(const TDVXPageManager&) = delete;
  TDVXPageManager& operator=(const TDVXPageManager&) = delete;

  TDVXPage* AddPage(int32_t session);
  TDVXPage* GetPage(int32_t session, int32_t pageNo, TDVXRevalidateHook hook = nullptr, void* context = nullptr);
  void PutPage(TDVXPage* page);
  void RemovePage(int32_t session, int32_t pageNo);
  void ApplyChanges(int32_t session);
  void CancelChanges(int32_t session);

  // One savepoint per session, inside its change set (invariant 5). A
  // second BeginSavepoint before the first ends is refused; commit and
  // cancel end it too. Rolling back needs every page it restores or
  // releases put back.
  // How many page images the session's savepoint holds (0 without one).
  size_t SavedImageCount(int32_t session);
  void BeginSavepoint(int32_t session);
  void RollbackToSavepoint(int32_t session);
  void ReleaseSavepoint(int32_t session);
  bool HasSavepoint(int32_t session);

  // Read brackets (invariant 6). BeginBracket returns the counter the
  // bracket trusts; SessionStateCounter is that counter inside a bracket
  // and GetStateCounter() outside one.
  int32_t BeginBracket(int32_t session);
  void EndBracket(int32_t session);
  bool InBracket(int32_t session);
  int32_t SessionStateCounter(int32_t session);
  // Moves whenever pages may go back to an earlier content without the
  // StateCounter moving (a cancel, a rollback to a savepoint, a discard):
  // what was parsed from pages at one (counter, generation) holds for as
  // long as both stay.
  uint64_t Generation() const { return generation_; }

  // Overridable operations, in slot order.
  virtual int32_t GetPageCount() = 0;
  virtual int32_t IncrementStateCounter() { return 0; }
  virtual int32_t GetStateCounter() { return 0; }
  virtual void LoadFromStream(TDVXStream& stream) {}
  virtual void SaveToStream(TDVXStream& stream) {}
  // Gives `page` a free page number and formats its buffer.
  virtual void InternalAddPage(TDVXPage& page) = 0;
  virtual void InternalRemovePage(int32_t pageNo) = 0;
  // Fills the whole of the page's buffer (PageSize bytes) or raises: a
  // page read into a frame the cache used before keeps nothing of it.
  virtual void InternalReadPage(TDVXPage& page) = 0;
  virtual void InternalWritePage(TDVXPage& page) = 0;
  virtual void FlushBuffers() {}

  int PageSize() const { return pageSize_; }
  int HeaderSize() const { return headerSize_; }
  int PageDataSize() const { return pageSize_ - headerSize_; }
  bool Exclusive() const { return exclusive_; }
  void SetExclusive(bool exclusive) { exclusive_ = exclusive; }
  size_t CacheCapacity() const { return cacheCapacity_; }
  void SetCacheCapacity(size_t capacity) { cacheCapacity_ = capacity; }
  TDVXCriticalSection& Lock() { return lock_; }

  bool HasChanges(int32_t session);
  // Raises "Cannot free not commited pages" when a session still has dirty
  // pages; called before a manager is closed.
  void CheckNoDirtyPages();
  // Discards every page object (cached or uncommitted).
  void DiscardAllPages();
  // Discards the cached clean pages no caller holds.
  void DiscardCleanPages();
  // Drops an unused clean copy of a page whose number was handed out or
  // written outside the cache (direct internal files).
  void ForgetCachedPage(int32_t pageNo);
  size_t CachedPageCount();

 protected:
  // The steps of a commit, in this order:
  //   BeginCommit(pages, added) → the stamp the committed pages receive;
  //     `pages` are the pages about to be written, `added` the numbers
  //     the change set took from the free space (nothing referred to them
  //     before the commit).
  //   InternalWritePage for each page;
  //   CommitPoint(stamp, releases): from here the commit holds, whatever
  //     happens; `releases` tells whether pages are freed after it;
  //   InternalRemovePage for each removed page;
  //   EndCommit().
  // A failure before the commit point calls AbortCommit instead, which
  // puts the pages written so far back as they were; EndCommit follows.
  virtual int32_t BeginCommit(const std::vector<TDVXPage*>& pages, const std::set<int32_t>& added) {
    return IncrementStateCounter();
  }
  virtual void CommitPoint(int32_t stamp, bool releases) {}
  virtual void AbortCommit() {}
  virtual void EndCommit() {}
  // Raises when `pageNo` cannot be read.
  virtual void CheckPageNo(int32_t pageNo) {}
  virtual const char* ClassName() const { return "TDVXPageManager"; }
  // Page size and header size become known when a file is created or
  // opened.
  // The frame of a page, for the page manager's own transfers (reading
  // it from its store, formatting a new page): no change of content a
  // savepoint must see.
  static uint8_t* Frame(TDVXPage& page) { return page.buffer_; }
  void SetPageGeometry(int pageSize, int headerSize) {
    pageSize_ = pageSize;
    headerSize_ = headerSize;
  }

 private:
  struct TSavedImage {
    std::vector<uint8_t> bytes;
    bool dirty = false;
  };
  struct TSavepoint {
    size_t added = 0;
    size_t removed = 0;
    std::map<int32_t, TSavedImage> images;
  };
  struct TBracket {
    int depth = 0;
    int32_t counter = 0;
  };
  struct TChangeSet {
    TDVXPageList dirty;
    std::vector<int32_t> added;
    std::vector<int32_t> removed;
    std::set<int32_t> removedSet;
    std::unique_ptr<TSavepoint> savepoint;
  };

  friend class TDVXPage;
  // Called by TDVXPage::SetDirty before the page changes.
  void NoteWrite(TDVXPage& page);
  TChangeSet& ChangeSet(int32_t session);
  TChangeSet* FindChangeSet(int32_t session);
  TDVXPage* FindInOtherSessions(int32_t session, int32_t pageNo);
  TDVXPage* FindAnywhere(int32_t pageNo, TDVXPageList** list);
  void TrimCleanList();
  // A page object for a page about to be read: a frame the cache gave up,
  // or a new one.
  std::unique_ptr<TDVXPage> FrameForRead(int32_t pageNo);
  // Forgets the unused committed copy of a page (invariant 7).
  void DropCommittedCopy(int32_t pageNo);
  void SaveImage(TChangeSet& set, TDVXPage& page);

  TDVXCriticalSection lock_;
  int pageSize_;
  int headerSize_;
  bool exclusive_ = false;
  size_t cacheCapacity_ = kDefaultCacheCapacity;
  TDVXPageList clean_;
  // Page objects evicted from the clean list, kept for the next misses so
  // a walk through more pages than the cache holds allocates none.
  std::vector<std::unique_ptr<TDVXPage>> spareFrames_;
  // Committed copies of pages dirty in another session (invariant 7).
  TDVXPageList committed_;
  std::map<int32_t, TChangeSet> changeSets_;
  std::map<int32_t, TBracket> brackets_;
  uint64_t generation_ = 0;
  // Pages a commit released but could not free; freed after the next
  // commit point.
  std::vector<int32_t> pendingFrees_;
};

// Holds a read bracket of one session for a scope (invariant 6).
class TDVXPageBracket {
 public:
  TDVXPageBracket(TDVXPageManager& manager, int32_t session) : manager_(manager), session_(session) {
    manager_.BeginBracket(session_);
  }
  ~TDVXPageBracket() { manager_.EndBracket(session_); }
  TDVXPageBracket(const TDVXPageBracket&) = delete;
  TDVXPageBracket& operator=(const TDVXPageBracket&) = delete;

 private:
  TDVXPageManager& manager_;
  int32_t session_;
};

// Holds one use of a page and gives it back, also when an exception leaves
// the scope.
class TDVXPageRef {
 public:
  TDVXPageRef() = default;
  TDVXPageRef(TDVXPageManager& manager, TDVXPage* page) : manager_(&manager), page_(page) {}
  TDVXPageRef(TDVXPageRef&& other) noexcept : manager_(other.manager_), page_(other.page_) { other.page_ = nullptr; }
  TDVXPageRef& operator=(TDVXPageRef&& other) noexcept;
  ~TDVXPageRef();
  TDVXPage* operator->() const { return page_; }
  TDVXPage* get() const { return page_; }
  void Release();

 private:
  TDVXPageManager* manager_ = nullptr;
  TDVXPage* page_ = nullptr;
};

}  // namespace dvx
