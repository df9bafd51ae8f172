#include "engine/storage/table_page_maps_manager.h"

#include <algorithm>
#include <set>

#include "engine/core/exception.h"
#include "engine/storage/record_errors.h"

namespace dvx {
namespace {

constexpr int kKinds = 4;
// The option's range.
constexpr int kMinRetryCount = 1;
constexpr int kMaxRetryCount = 100;

}  // namespace

TDVXTablePageMapsManager::TDVXTablePageMapsManager(TDVXPageManager& pageManager, const TDVXStorageTableInfo& table,
                                                   int randomSearchRetryCount, TDVXRandom& random)
    : pageManager_(pageManager),
      table_(table),
      layout_(pageManager.PageDataSize()),
      retryCount_(std::clamp(randomSearchRetryCount, kMinRetryCount, kMaxRetryCount)),
      random_(random),
      mapFile_(pageManager) {}

void TDVXTablePageMapsManager::Corrupt(const std::string& what) const {
  throw EDVXException(kErrCorruptPageMap, "Corrupt table page map, table name = '%s': %s", {table_.tableName, what});
}

void TDVXTablePageMapsManager::Open(int32_t pfsMapFirstPageNo, bool mayKeep) {
  mayKeep_ = mayKeep;
  mapFile_.File().Open(pfsMapFirstPageNo, mayKeep);
  mapFile_.File().SetRevalidateHook(table_.hook, table_.hookContext);
  state_ = {};
  changed_ = false;
  loaded_ = false;
  ResetHints();
}

void TDVXTablePageMapsManager::Refresh() {
  TDVXInternalDBFile& file = mapFile_.File();
  // Opening again drops the kept content.
  file.Open(file.FirstPageNo(), mayKeep_);
  state_ = {};
  changed_ = false;
  loaded_ = false;
  ResetHints();
}

void TDVXTablePageMapsManager::Load(int32_t session) {
  if (changed_) return;  // this process's own state is newer than the file
  // Read before the pages: a commit in between moves it past what is seen.
  const int32_t counter = pageManager_.SessionStateCounter(session);
  const uint64_t generation = pageManager_.Generation();
  if (loaded_ && loadedSession_ == session && loadedCounter_ == counter && loadedGeneration_ == generation) return;
  // A kept map file holds the view of the session that last read or wrote
  // it, at the page generation of then: another session's uncommitted
  // change, or content a commit or cancel since has replaced. Reaching
  // here, the pages are read again (another session's change set gives
  // the committed version).
  if (mayKeep_) {
    TDVXInternalDBFile& file = mapFile_.File();
    file.Open(file.FirstPageNo(), mayKeep_);
  }
  loaded_ = false;
  TDVXTablePFSMapState before = state_;
  mapFile_.Load(session);
  const TDVXTablePFSMapState& loaded = mapFile_.State();
  // Everything the map says is checked before it is used: a wrong limit or
  // entry would send every later lookup to pages that are not the table's.
  // PageNoLimit may lie beyond the file's end: the file shrinks when the
  // table's last pages are freed, the limit stays.
  const int64_t pageCount = pageManager_.GetPageCount();
  if (loaded.pageNoLimit < 0) Corrupt("negative PageNoLimit " + std::to_string(loaded.pageNoLimit));
  const int64_t needed = (static_cast<int64_t>(loaded.pageNoLimit) + layout_.coverage - 1) / layout_.coverage;
  if (static_cast<int64_t>(loaded.entries.size()) != needed)
    Corrupt(std::to_string(loaded.entries.size()) + " entries for PageNoLimit " +
            std::to_string(loaded.pageNoLimit) + ", not " + std::to_string(needed));
  std::set<int32_t> seen;
  for (const auto& entry : loaded.entries) {
    if (entry.pfsPageNo < 3 || entry.pfsPageNo >= pageCount || !seen.insert(entry.pfsPageNo).second)
      Corrupt("table PFS page " + std::to_string(entry.pfsPageNo) + " is outside the file or listed twice");
    if (entry.recordCount < 0) Corrupt("negative RecordCount " + std::to_string(entry.recordCount));
  }
  state_ = loaded;
  if (state_.pageNoLimit != before.pageNoLimit || state_.entries.size() != before.entries.size()) ResetHints();
  loaded_ = true;
  loadedSession_ = session;
  loadedCounter_ = counter;
  loadedGeneration_ = generation;
}

void TDVXTablePageMapsManager::Save(int32_t session) {
  if (!changed_) return;
  mapFile_.State() = state_;
  mapFile_.Save(session);
  changed_ = false;
  // state_ is now the session's own view: no other session may take it for
  // the file's.
  if (loadedSession_ != session) loaded_ = false;
}

void TDVXTablePageMapsManager::PutState(const TDVXTablePFSMapState& state) {
  state_ = state;
  changed_ = false;
  loaded_ = false;
  ResetHints();
}

int64_t TDVXTablePageMapsManager::RecordCount() const {
  int64_t count = 0;
  for (const auto& entry : state_.entries) count += entry.recordCount;
  return count;
}

void TDVXTablePageMapsManager::ResetHints() { hints_.assign(state_.entries.size() * kKinds, {}); }

std::vector<TDVXTablePageMapsManager::TRoomHint>& TDVXTablePageMapsManager::Hints(size_t entry,
                                                                                 TDVXTablePageKind kind) {
  if (hints_.size() != state_.entries.size() * kKinds) hints_.resize(state_.entries.size() * kKinds);
  return hints_[entry * kKinds + kind];
}

void TDVXTablePageMapsManager::LowerHint(size_t entry, int index) {
  for (int kind = 0; kind < kKinds; ++kind)
    for (TRoomHint& hint : Hints(entry, static_cast<TDVXTablePageKind>(kind))) hint.index = std::min(hint.index, index);
}

void TDVXTablePageMapsManager::Remember(std::vector<TRoomHint>& hints, uint16_t threshold, int index) {
  for (TRoomHint& hint : hints)
    if (hint.threshold == threshold) {
      hint.index = index;
      return;
    }
  if (hints.size() < kMaxHintsPerKind) {
    hints.push_back({index, threshold});
    return;
  }
  // Full: the hint that saves the least (the lowest start) gives way.
  auto least = std::min_element(hints.begin(), hints.end(),
                                [](const TRoomHint& a, const TRoomHint& b) { return a.index < b.index; });
  *least = {index, threshold};
}

bool TDVXTablePageMapsManager::HasRoom(TDVXTablePageKind kind, uint16_t value, uint16_t threshold) const {
  if (value == kPageValueFree) return false;
  return kind == tpkRecords ? value < threshold : value >= threshold;
}

// A hint set for one threshold holds for every threshold at least as hard
// to meet: a lower count limit for record pages, more bytes for data pages.
bool TDVXTablePageMapsManager::HintApplies(const TRoomHint& hint, TDVXTablePageKind kind, uint16_t threshold) const {
  return kind == tpkRecords ? threshold <= hint.threshold : threshold >= hint.threshold;
}

size_t TDVXTablePageMapsManager::EntryOf(int32_t pageNo, int32_t code) const {
  if (pageNo < 0 || pageNo >= state_.pageNoLimit)
    throw EDVXException(code, "Invalid PageNo = %d, Count = %d",
                        {pageNo < 0 ? -1 : pageNo / layout_.coverage, static_cast<int64_t>(state_.entries.size())});
  return static_cast<size_t>(pageNo / layout_.coverage);
}

int TDVXTablePageMapsManager::CoveredInUse(size_t entry) const {
  if (entry + 1 < state_.entries.size()) return layout_.coverage;
  return (state_.pageNoLimit - 1) % layout_.coverage + 1;
}

TDVXPageRef TDVXTablePageMapsManager::GetPFSPage(int32_t session, size_t entry) {
  const int32_t pageNo = state_.entries[entry].pfsPageNo;
  TDVXPageRef page(pageManager_, pageManager_.GetPage(session, pageNo, table_.hook, table_.hookContext));
  const uint8_t* buffer = page->Buffer();
  if (!TDVXPageHeader::HasSignature(buffer) || TDVXPageHeader::PageType(buffer) != PageTypeIDTablePFS ||
      TDVXPageHeader::OwnerID(buffer) != table_.tableID)
    throw EDVXException(kErrCorruptTablePage, "Corrupt table page, table name = '%s', pageNo = %d: %s",
                        {table_.tableName, pageNo, std::string("not a table PFS page of the table")});
  return page;
}

uint16_t TDVXTablePageMapsManager::PageValue(int32_t session, int32_t pageNo, TDVXTablePageKind* kind) {
  size_t entry = EntryOf(pageNo, kErrPageBeyondMap);
  TDVXPageRef pfs = GetPFSPage(session, entry);
  const int index = pageNo % layout_.coverage;
  if (kind) *kind = layout_.Kind(pfs->Data(), index);
  return layout_.Value(pfs->Data(), index);
}

void TDVXTablePageMapsManager::SetPageValue(int32_t session, int32_t pageNo, bool counted, uint16_t value) {
  size_t entry = EntryOf(pageNo, kErrSetBeyondMap);
  TDVXPageRef pfs = GetPFSPage(session, entry);
  pfs->SetDirty();
  const int index = pageNo % layout_.coverage;
  const uint16_t old = layout_.Value(pfs->Data(), index);
  if (counted) {
    int64_t count = state_.entries[entry].recordCount;
    if (old != kPageValueFree) count -= old;
    if (value != kPageValueFree) count += value;
    if (count < 0 || count > INT32_MAX) Corrupt("RecordCount of entry " + std::to_string(entry) + " would become " + std::to_string(count));
    state_.entries[entry].recordCount = static_cast<int32_t>(count);
    changed_ = true;
  }
  layout_.SetValue(pfs->WritableData(), index, value);
  LowerHint(entry, index);
}

void TDVXTablePageMapsManager::AddEntry(int32_t session) {
  TDVXPageRef pfs(pageManager_, pageManager_.AddPage(session));
  const int32_t pageNo = pfs->PageNo();
  if (pageNo < 0) throw EDVXException(kErrNewTablePFSPage, "Invalid PageNo = %d", {pageNo});
  for (size_t i = 0; i < state_.entries.size(); ++i)
    if (state_.entries[i].pfsPageNo == pageNo)
      throw EDVXException(kErrCannotAddTablePFS,
                          "Error - cannot add table PFS page. PageCount = %d, No = %d, Item[No].PageNo = %d, PageNo = %d",
                          {static_cast<int64_t>(state_.entries.size()), static_cast<int64_t>(i), pageNo, pageNo});
  TDVXPageHeader::Format(pfs->WritableBuffer(), PageTypeIDTablePFS, kNoPage, table_.tableID);
  layout_.Format(pfs->WritableData());
  state_.entries.push_back({pageNo, 0});
  changed_ = true;
  ResetHints();
}

TDVXPageRef TDVXTablePageMapsManager::AllocatePage(int32_t session, TDVXTablePageKind kind) {
  TDVXPageRef page(pageManager_, pageManager_.AddPage(session));
  const int32_t pageNo = page->PageNo();
  if (pageNo >= state_.pageNoLimit) {
    state_.pageNoLimit = pageNo + 1;
    changed_ = true;
    // Entries are appended, so entry i keeps covering i × N … whatever
    // number its own table PFS page receives (a PFS page added here may
    // itself lie beyond the limit; its number is not covered by the map).
    while (static_cast<int64_t>(state_.entries.size()) * layout_.coverage < state_.pageNoLimit) AddEntry(session);
  }
  size_t entry = EntryOf(pageNo, kErrKindBeyondMap);
  TDVXPageRef pfs = GetPFSPage(session, entry);
  layout_.SetKind(pfs->WritableData(), pageNo % layout_.coverage, kind);
  LowerHint(entry, pageNo % layout_.coverage);
  return page;
}

int32_t TDVXTablePageMapsManager::SearchEntry(int32_t session, size_t entry, TDVXTablePageKind kind,
                                             uint16_t threshold, uint16_t& previousValue) {
  std::vector<TRoomHint>& hints = Hints(entry, kind);
  // Every applying hint says the pages before it have no room: the search
  // starts at the furthest, and finds the first page with room as a search
  // from the entry's start would.
  int start = 0;
  for (const TRoomHint& hint : hints)
    if (HintApplies(hint, kind, threshold)) start = std::max(start, hint.index);
  const int last = CoveredInUse(entry);
  TDVXPageRef pfs = GetPFSPage(session, entry);
  const uint8_t* data = pfs->Data();
  for (int i = start; i < last; ++i) {
    uint16_t value = layout_.Value(data, i);
    if (value != kPageValueFree && layout_.Kind(data, i) == kind && HasRoom(kind, value, threshold)) {
      Remember(hints, threshold, i);
      previousValue = value;
      return static_cast<int32_t>(entry) * layout_.coverage + i;
    }
  }
  Remember(hints, threshold, last);
  return kNoPage;
}

TDVXPageRef TDVXTablePageMapsManager::FindPageWithRoom(int32_t session, TDVXTablePageKind kind, uint16_t threshold,
                                                       uint16_t& previousValue) {
  const size_t count = state_.entries.size();
  int32_t found = kNoPage;
  if (count <= static_cast<size_t>(retryCount_)) {
    for (size_t e = 0; e < count && found == kNoPage; ++e) found = SearchEntry(session, e, kind, threshold, previousValue);
  } else {
    std::vector<bool> looked(count, false);
    for (int pick = 0; pick < retryCount_ && found == kNoPage; ++pick) {
      size_t e = random_.Next(static_cast<uint32_t>(count));
      if (looked[e]) continue;
      looked[e] = true;
      found = SearchEntry(session, e, kind, threshold, previousValue);
    }
  }
  if (found != kNoPage) return TDVXPageRef(pageManager_, pageManager_.GetPage(session, found, table_.hook, table_.hookContext));
  previousValue = kPageValueFree;
  return AllocatePage(session, kind);
}

int32_t TDVXTablePageMapsManager::NextRecordPage(int32_t session, int32_t pageNo) {
  const int64_t from = static_cast<int64_t>(pageNo) + 1;
  for (size_t e = static_cast<size_t>(std::max<int64_t>(from, 0) / layout_.coverage); e < state_.entries.size(); ++e) {
    if (state_.entries[e].recordCount == 0) continue;
    TDVXPageRef pfs = GetPFSPage(session, e);
    const int64_t base = static_cast<int64_t>(e) * layout_.coverage;
    for (int i = static_cast<int>(std::max<int64_t>(from - base, 0)); i < CoveredInUse(e); ++i) {
      uint16_t value = layout_.Value(pfs->Data(), i);
      if (value != kPageValueFree && value != 0 && layout_.Kind(pfs->Data(), i) == tpkRecords)
        return static_cast<int32_t>(base + i);
    }
  }
  return kNoPage;
}

int32_t TDVXTablePageMapsManager::PriorRecordPage(int32_t session, int32_t pageNo) {
  const int64_t to = std::min<int64_t>(pageNo, state_.pageNoLimit);  // exclusive
  if (to <= 0) return kNoPage;
  for (int64_t e = (to - 1) / layout_.coverage; e >= 0; --e) {
    if (state_.entries[e].recordCount == 0) continue;
    TDVXPageRef pfs = GetPFSPage(session, static_cast<size_t>(e));
    const int64_t base = e * layout_.coverage;
    for (int64_t i = std::min<int64_t>(to - base, CoveredInUse(static_cast<size_t>(e))) - 1; i >= 0; --i) {
      uint16_t value = layout_.Value(pfs->Data(), static_cast<int>(i));
      if (value != kPageValueFree && value != 0 && layout_.Kind(pfs->Data(), static_cast<int>(i)) == tpkRecords)
        return static_cast<int32_t>(base + i);
    }
  }
  return kNoPage;
}

int64_t TDVXTablePageMapsManager::RecordsBefore(int32_t session, int32_t pageNo) {
  size_t entry = EntryOf(pageNo, kErrPageBeyondMap);
  int64_t before = 0;
  for (size_t e = 0; e < entry; ++e) before += state_.entries[e].recordCount;
  TDVXPageRef pfs = GetPFSPage(session, entry);
  for (int i = 0; i < pageNo % layout_.coverage; ++i) {
    uint16_t value = layout_.Value(pfs->Data(), i);
    if (value != kPageValueFree && layout_.Kind(pfs->Data(), i) == tpkRecords) before += value;
  }
  return before;
}

int32_t TDVXTablePageMapsManager::PageOfRecord(int32_t session, int64_t n, int64_t& before) {
  before = 0;
  if (n < 1) return kNoPage;
  for (size_t e = 0; e < state_.entries.size(); ++e) {
    const int64_t inEntry = state_.entries[e].recordCount;
    if (before + inEntry < n) {
      before += inEntry;
      continue;
    }
    TDVXPageRef pfs = GetPFSPage(session, e);
    for (int i = 0; i < CoveredInUse(e); ++i) {
      uint16_t value = layout_.Value(pfs->Data(), i);
      if (value == kPageValueFree || layout_.Kind(pfs->Data(), i) != tpkRecords) continue;
      if (before + value >= n) return static_cast<int32_t>(e) * layout_.coverage + i;
      before += value;
    }
    // The entry's count promised more records than its pages hold.
    Corrupt("RecordCount of entry " + std::to_string(e) + " is above the records of its pages");
  }
  return kNoPage;
}

void TDVXTablePageMapsManager::FreeAllPages(int32_t session) {
  for (size_t e = 0; e < state_.entries.size(); ++e) {
    {
      TDVXPageRef pfs = GetPFSPage(session, e);
      for (int i = 0; i < CoveredInUse(e); ++i)
        if (layout_.Value(pfs->Data(), i) != kPageValueFree)
          pageManager_.RemovePage(session, static_cast<int32_t>(e) * layout_.coverage + i);
    }
    pageManager_.RemovePage(session, state_.entries[e].pfsPageNo);
  }
  state_ = {};
  changed_ = true;
  ResetHints();
}

}  // namespace dvx
