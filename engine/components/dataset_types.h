#pragma once
// The small types of the dataset framework: dataset states, fetch modes
// and results, bookmark flags, the data events a data link hears, and the
// options of filters, locates and BLOB streams.
#include <cstdint>
#include <vector>

#include "engine/values/field_types.h"

namespace dvx {

// The host field types are the data-access layer's component field types.
using TFieldType = TDVXComponentFieldType;

enum TDataSetState {
  dsInactive,    // closed
  dsBrowse,      // open, no change pending
  dsEdit,        // the active record is being changed
  dsInsert,      // a new record is being filled
  dsSetKey,      // a key buffer is being filled (table component)
  dsCalcFields,  // OnCalcFields is computing the calculated fields of a buffer
  dsFilter,      // OnFilterRecord (or a locate) is looking at a candidate record
  dsNewValue,    // fields read and write the new values of a change
  dsOldValue,    // fields read the values a record had when its edit began
  dsOpening,     // Open is under way
};

enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };
// Stored with each record buffer beside its bookmark.
enum TBookmarkFlag : uint8_t { bfCurrent = 0, bfBOF = 1, bfEOF = 2, bfInserted = 3 };

// What a data link is told (data_link.h).
enum TDataEvent {
  deFieldChange,      // a field of the active record changed; the info is the field
  deRecordChange,     // the active record's values changed (post, cancel, refresh of one record)
  deDataSetChange,    // the window was re-read: every shown record may differ
  deDataSetScroll,    // the window moved; the info is the distance in records
  deLayoutChange,     // fields were added, removed or reordered
  deUpdateRecord,     // controls write their pending edits into the fields (before a post)
  deUpdateState,      // the state changed (open, close, edit, insert, browse)
  deCheckBrowseMode,  // the dataset is about to leave its record (a control may post)
  deFocusControl,     // a control showing the field should take the focus; the info is the field
};

// Resync: where the active record stands after the window is re-read.
enum TResyncMode : uint8_t {
  rmExact = 1,   // the current record must still be readable (else "Record not found or changed by another user")
  rmCenter = 2,  // put the current record in the middle of the window instead of keeping its row
};
using TResyncModes = uint8_t;

struct TLocateOptions {
  bool caseInsensitive = false;
  bool partialKey = false;
};

struct TFilterOptions {
  bool caseInsensitive = false;    // foCaseInsensitive
  bool noPartialCompare = false;   // foNoPartialCompare
};

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

// What an error handler (OnPostError, OnDeleteError, OnEditError) decides.
enum TDataAction { daFail, daAbort, daRetry };

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };

// A bookmark as the dataset hands it out: BookmarkSize() bytes, empty for none.
using TBookmark = std::vector<uint8_t>;

// The host format of an ftTimeStamp field.
struct TSQLTimeStamp {
  int16_t year = 0;
  uint16_t month = 0;
  uint16_t day = 0;
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint32_t fractions = 0;  // milliseconds
  bool operator==(const TSQLTimeStamp&) const = default;
};

}  // namespace dvx
