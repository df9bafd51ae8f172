#pragma once
// TDVXTablePageMapsManager: which database pages belong to a table, of what
// kind, and how full they are (the table PFS pages of table_pfs_page.h),
// found through the table's PFS map file (table_files.h).
//
// Invariants, kept by every operation and checked when the map is read:
//  1. Entry i covers pages i × N … i × N + N − 1. Entries are appended in
//     the order pages are given to the table and never re-sorted, whatever
//     page numbers the table PFS pages themselves received.
//  2. The map has exactly ceil(PageNoLimit / N) entries: one more than the
//     highest page number the table ever received, rounded up to whole
//     entries.
//  3. An entry's RecordCount is the sum of the PageValues of the kind-0
//     pages it covers.
// Every change is made in the given session's change set; Save puts the
// map file into the same change set, so a commit writes the pages and the
// map together.
#include <cstdint>
#include <vector>

#include "engine/core/platform/random.h"
#include "engine/storage/page_manager.h"
#include "engine/storage/storage_table.h"
#include "engine/storage/table_files.h"
#include "engine/storage/table_pfs_page.h"

namespace dvx {

class TDVXTablePageMapsManager {
 public:
  static constexpr int kDefaultRandomSearchRetryCount = 10;

  TDVXTablePageMapsManager(TDVXPageManager& pageManager, const TDVXStorageTableInfo& table,
                           int randomSearchRetryCount = kDefaultRandomSearchRetryCount,
                           TDVXRandom& random = TDVXRandom::System());

  // `mayKeep`: the map stays valid between reads (the table is open
  // exclusively); otherwise every Load rereads it.
  void Open(int32_t pfsMapFirstPageNo, bool mayKeep);
  // Reads the map file (unless kept) and checks it against the invariants.
  void Load(int32_t session);
  // Writes the map file when the map changed since it was read or written.
  void Save(int32_t session);
  // Forgets what was read, so the next Load rereads the file (after the
  // session's changes were cancelled).
  void Refresh();

  int Coverage() const { return layout_.coverage; }
  int32_t PageNoLimit() const { return state_.pageNoLimit; }
  const std::vector<TDVXTablePFSMapEntry>& Entries() const { return state_.entries; }
  int64_t RecordCount() const;
  int RandomSearchRetryCount() const { return retryCount_; }

  // The page-map state around transactions.
  TDVXTablePFSMapState TakeState() const { return state_; }
  void PutState(const TDVXTablePFSMapState& state);

  // A page of `kind` with room: PageValue below `threshold` for record
  // pages, at least `threshold` for data pages. Searches the entries (all of
  // them, or RandomSearchRetryCount random picks in a large map) and
  // allocates a new page when none has room. `previousValue` is the page's
  // PageValue before, 65535 for a new page. The page comes back held.
  TDVXPageRef FindPageWithRoom(int32_t session, TDVXTablePageKind kind, uint16_t threshold, uint16_t& previousValue);
  // A new page of the table, held, with `kind` in its map; its PageValue is
  // still 65535.
  TDVXPageRef AllocatePage(int32_t session, TDVXTablePageKind kind);

  // PageValue and kind of a page of the table; "Invalid PageNo = %d,
  // Count = %d" for a page beyond the map.
  uint16_t PageValue(int32_t session, int32_t pageNo, TDVXTablePageKind* kind = nullptr);
  // `counted`: the page is a record page and its entry's RecordCount
  // follows the change.
  void SetPageValue(int32_t session, int32_t pageNo, bool counted, uint16_t value);

  // Record pages (kind 0) holding records, in page-number order, entries
  // without records skipped: the first above `pageNo` (-1: the first of
  // all) and the last below it (kNoPageAbove: the last of all); -1 when
  // there is none.
  static constexpr int32_t kNoPageAbove = INT32_MAX;
  int32_t NextRecordPage(int32_t session, int32_t pageNo);
  int32_t PriorRecordPage(int32_t session, int32_t pageNo);
  // Records on record pages before `pageNo`.
  int64_t RecordsBefore(int32_t session, int32_t pageNo);
  // The record page holding the n-th record (1-based), with the records
  // before it; -1 when there are fewer than n.
  int32_t PageOfRecord(int32_t session, int64_t n, int64_t& before);

  // Removes every page of the table and every table PFS page; the map
  // becomes empty.
  void FreeAllPages(int32_t session);

  TDVXTablePFSMapFile& MapFile() { return mapFile_; }

 private:
  struct TRoomHint {
    // Covered pages of the entry before `index` have been seen without
    // room for `threshold` (or any stricter one) since the hint was set.
    int index = 0;
    uint16_t threshold = 0;
  };

  TDVXPageRef GetPFSPage(int32_t session, size_t entry);
  size_t EntryOf(int32_t pageNo, int32_t code) const;
  // Covered pages of an entry that are looked at: all N, or up to
  // PageNoLimit in the last entry.
  int CoveredInUse(size_t entry) const;
  bool HasRoom(TDVXTablePageKind kind, uint16_t value, uint16_t threshold) const;
  // The hints of an entry for a kind, one per threshold searched for (at
  // most kMaxHintsPerKind): records of varying sizes ask for varying room,
  // and each keeps where its own search may start.
  std::vector<TRoomHint>& Hints(size_t entry, TDVXTablePageKind kind);
  bool HintApplies(const TRoomHint& hint, TDVXTablePageKind kind, uint16_t threshold) const;
  static void Remember(std::vector<TRoomHint>& hints, uint16_t threshold, int index);
  void ResetHints();
  void LowerHint(size_t entry, int index);
  int32_t SearchEntry(int32_t session, size_t entry, TDVXTablePageKind kind, uint16_t threshold,
                      uint16_t& previousValue);
  void AddEntry(int32_t session);
  [[noreturn]] void Corrupt(const std::string& what) const;

  TDVXPageManager& pageManager_;
  const TDVXStorageTableInfo& table_;
  TDVXTablePFSLayout layout_;
  int retryCount_;
  TDVXRandom& random_;
  TDVXTablePFSMapFile mapFile_;
  TDVXTablePFSMapState state_;
  bool mayKeep_ = false;
  bool changed_ = false;
  // What state_ was last loaded at: a Load at the same session, counter and
  // page generation (page_manager.h) finds the same pages and is skipped.
  bool loaded_ = false;
  int32_t loadedSession_ = 0;
  int32_t loadedCounter_ = 0;
  uint64_t loadedGeneration_ = 0;
  // Per entry, per kind: where the search for room may start. Only speeds
  // the search up; a stale hint never makes it pick a page without room.
  static constexpr size_t kMaxHintsPerKind = 16;
  std::vector<std::vector<TRoomHint>> hints_;
};

}  // namespace dvx
