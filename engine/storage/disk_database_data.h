#pragma once
// The storage side of a database file under its earlier name, for the
// storage-level programs and tests that still use it. The table layer's
// database object of that name (engine/tables/disk_database_data.h) is a
// different class: no file includes both headers.
#include "engine/storage/disk_database_storage.h"

namespace dvx {

using TDVXDiskDatabaseData = TDVXDiskDatabaseStorage;

}  // namespace dvx
