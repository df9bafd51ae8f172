#pragma once
// What a record scan of a table (TDVXTableData::Scan) is asked for besides
// its expression and conditions: the direction of a single search, the
// record ID list a full scan fills, and the caller's own test of a record
// (a cursor's range, filter and callback).
//
// How a scan walks (table_scan.cpp):
//   1. An equality condition on a unique or primary index, or on an index
//      whose first column is an autoincrement field (the first such in
//      condition order), walks only the entries of that key.
//   2. Otherwise the index condition with the smallest estimate walks its
//      run of entries, when the estimate is below the record count.
//   3. Otherwise the table is walked in the cursor's order.
// An index only narrows the walk: every record it yields is still tested
// against every condition, the whole expression and the caller's test, and
// a record whose compared column is NULL never satisfies a comparison with
// a value. Records found through another index than the one of the
// cursor's order are put into the cursor's order before they are reported,
// so what a scan finds, and in which order, never depends on the walk.
#include <functional>

#include "engine/tables/record_id_list.h"

namespace dvx {

struct TDVXScanOptions {
  // A single search finds the first match in the cursor's order, or the
  // last one when `backward`; the cursor then stands on it with the record
  // in its buffer. Without a match the cursor does not move.
  bool backward = false;
  // When set, every match is appended in the cursor's order and the cursor
  // does not move.
  TDVXRecordIDList* list = nullptr;
  // The caller's test of the visited record; false rejects it.
  std::function<bool(const uint8_t* record)> accept;
};

}  // namespace dvx
