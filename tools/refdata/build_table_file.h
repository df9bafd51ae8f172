#pragma once
// Writes one reference database file: creates the file with the settings
// the application's database components declare, creates the table through
// the table component from the table's host definitions
// (build_host_schema.h) and appends the planned records in order.
//
// Database settings: page size 4096, 8 pages per extent, no encryption,
// locks retried 10 times 500 ms apart, and at most 2 sessions (1 for
// "dbHomTab", which the application opens once).
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "tools/refdata/build_plan.h"

namespace refdata {

inline constexpr int kReferencePageSize = 4096;
inline constexpr int kReferenceExtentPageCount = 8;

int32_t ReferenceMaxSessionCount(std::string_view databaseName);

// Creates `path`, which must not exist, holding `table`. Returns the number
// of records written. A failure throws std::runtime_error naming the
// table and, for a record, the source file and line; the half-written file
// is the caller's to remove.
int WriteTableFile(const std::filesystem::path& path, const TBuildTable& table);

}  // namespace refdata
