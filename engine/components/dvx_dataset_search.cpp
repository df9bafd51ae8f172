// TDVXDataSet: filters, refresh, locate and lookup, all done by the
// cursor on the engine's side.
#include <cstring>
#include <sstream>

#include "engine/components/dataset_errors.h"
#include "engine/components/dvx_dataset.h"
#include "engine/components/object_names.h"
#include "engine/core/exception.h"
#include "engine/tables/local_cursor.h"

namespace dvx {

namespace {

std::vector<std::string> SplitNames(const std::string& names) {
  std::vector<std::string> result;
  std::string name;
  std::istringstream in(names);
  while (std::getline(in, name, ';'))
    if (!name.empty()) result.push_back(name);
  return result;
}

}  // namespace

void TDVXDataSet::ApplyFilterToCursor(bool on) {
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorFilter);
  ++cursorCallDepth_;
  try {
    if (on && !Filter().empty()) {
      TDVXFilterOptions options;
      options.caseInsensitive = FilterOptions().caseInsensitive;
      options.noPartialCompare = FilterOptions().noPartialCompare;
      cursor.SetFilter(EngineFilterText(Filter()), options);
    } else if (cursor.HasFilter()) {
      cursor.ClearFilter();
    }
    if (on && OnFilterRecord) {
      // The handler sees the candidate through a buffer of its own, in
      // filter state; the cursor asks under the table's lock, so the
      // handler only reads fields.
      cursor.SetRecordFilter([this](const uint8_t* record) {
        std::memcpy(filterBuffer_.data(), record, static_cast<size_t>(recordSize_));
        kNoRecordID.Encode(filterBuffer_.data() + recordSize_);
        filterBuffer_[recordSize_ + kCursorRecordIDSize] = bfCurrent;
        return RecordFilterAccepts(filterBuffer_.data());
      });
    } else {
      cursor.SetRecordFilter(nullptr);
    }
  } catch (...) {
    --cursorCallDepth_;
    throw;
  }
  --cursorCallDepth_;
}

void TDVXDataSet::FilterChanged() {
  if (cursor_) ApplyFilterToCursor(Filtered());
}

void TDVXDataSet::InternalRefresh() {
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorFetch);
  tableChangePending_ = false;
  // The cursor's set follows the table by itself; what is left is to
  // find the current record again, or to start from the first.
  uint8_t* active = ActiveBuffer();
  if (!active || GetBookmarkFlag(active) != bfCurrent || GotoRecordID(active + recordSize_) != grrDone) cursor.First();
}

bool TDVXDataSet::Locate(const std::string& keyFields, const std::vector<TDVXVariant>& keyValues,
                         const TLocateOptions& options) {
  CheckActive();
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorLocate);
  CheckBrowseMode();
  TDVXLocateOptions engineOptions;
  engineOptions.caseInsensitive = options.caseInsensitive;
  engineOptions.partialKey = options.partialKey;
  bool found;
  {
    ++cursorCallDepth_;
    try {
      found = cursor.Locate(EngineName(keyFields), keyValues, engineOptions);
    } catch (...) {
      --cursorCallDepth_;
      throw;
    }
    --cursorCallDepth_;
  }
  if (!found) return false;
  if (BeforeScroll) BeforeScroll(*this);
  Resync(rmExact | rmCenter);
  if (AfterScroll) AfterScroll(*this);
  return true;
}

std::vector<TDVXVariant> TDVXDataSet::Lookup(const std::string& keyFields, const std::vector<TDVXVariant>& keyValues,
                                             const std::string& resultFields) {
  CheckActive();
  TDVXLocalCursor& cursor = CheckHandle(kErrNilCursorLocate);
  // The search moves the cursor and reads into its buffer, which in edit
  // and insert state holds the change under way.
  if (State() != dsBrowse) Fail("Dataset is not in browse mode");
  std::vector<TField*> fields;
  for (const std::string& name : SplitNames(resultFields)) fields.push_back(&FieldByName(name));
  const TDVXBookmark saved = cursor.GetBookmark();
  std::vector<TDVXVariant> values;
  ++cursorCallDepth_;
  try {
    if (cursor.Locate(EngineName(keyFields), keyValues)) {
      TakeCursorRecord(filterBuffer_.data());
      const TDataSetState previous = SetTempState(dsCalcFields, filterBuffer_.data());
      try {
        for (TField* field : fields) values.push_back(field->AsVariant());
      } catch (...) {
        RestoreState(previous);
        throw;
      }
      RestoreState(previous);
    }
    cursor.GotoBookmark(saved);
  } catch (...) {
    --cursorCallDepth_;
    throw;
  }
  --cursorCallDepth_;
  CursorPosChanged();
  return values;
}

bool TDVXDataSet::FindRecord(bool restart, bool goForward) {
  if (!cursor_ || Filtered() || Filter().empty()) return TDataSet::FindRecord(restart, goForward);
  CheckBrowseMode();
  TDVXLocalCursor& cursor = *cursor_;
  uint8_t* active = ActiveBuffer();
  const bool fromActive = !restart && !IsEmpty() && active && GetBookmarkFlag(active) == bfCurrent;
  std::vector<uint8_t> start;
  if (fromActive) start.assign(active + recordSize_, active + recordSize_ + kCursorRecordIDSize);
  // The filter is set for the search alone; setting and clearing it
  // stands the cursor before the first record, so the found record is
  // kept by its bookmark.
  bool found = false;
  TDVXBookmark at{};
  ApplyFilterToCursor(true);
  ++cursorCallDepth_;
  try {
    if (fromActive) {
      TDVXBookmark bookmark{};
      std::memcpy(bookmark.data() + 2, start.data(), kCursorRecordIDSize);
      cursor.GotoBookmark(bookmark);
    } else if (goForward) {
      cursor.First();
    } else {
      cursor.Last();
    }
    found = cursor.GetRecord(goForward ? grmNext : grmPrior) == grrDone;
    if (found) at = cursor.GetBookmark();
  } catch (...) {
    --cursorCallDepth_;
    ApplyFilterToCursor(false);
    CursorPosChanged();
    throw;
  }
  --cursorCallDepth_;
  ApplyFilterToCursor(false);
  CursorPosChanged();
  if (!found) return false;
  {
    ++cursorCallDepth_;
    const TDVXGetRecordResult back = cursor.GotoBookmark(at);
    --cursorCallDepth_;
    if (back != grrDone) return false;
  }
  if (BeforeScroll) BeforeScroll(*this);
  Resync(rmExact | rmCenter);
  if (AfterScroll) AfterScroll(*this);
  return true;
}

}  // namespace dvx
