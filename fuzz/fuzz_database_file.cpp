// A database file is the largest piece of outside bytes the engine reads.
// The input is a whole file, put into the in-memory file layer; opening it,
// checking every structure (records, page maps and data items included),
// reading the table list and opening each listed table must end in results
// or in the engine's exception.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/exception.h"
#include "engine/core/platform/memory_file.h"
#include "engine/storage/database_checker.h"
#include "engine/storage/disk_database_storage.h"
#include "engine/storage/disk_page_manager.h"
#include "engine/storage/record_checker.h"

namespace {
const char kName[] = "fuzz.dvx";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Files beyond a few megabytes only make the run slow, not deeper.
  if (size > (4u << 20)) return 0;
  dvx::TDVXMemoryFileSystem fs;
  fs.SetContents(kName, std::vector<uint8_t>(data, data + size));
  try {
    dvx::TDVXDiskPageManager pm(dvx::TDVXLockParams{1, 0}, fs);
    bool readOnly = true;
    dvx::TDVXCryptoInfo crypto;
    pm.OpenDatabaseFile(kName, readOnly, false, false, crypto);
    dvx::TDVXDatabaseChecker checker(pm);
    dvx::TDVXRecordChecker records(pm, checker);
    records.Check();
    (void)checker.Check();
  } catch (const dvx::EDVXException&) {
  }
  try {
    dvx::TDVXDiskDatabaseStorage database(kName, dvx::TDVXLockParams{1, 0}, fs);
    dvx::TDVXCryptoInfo crypto;
    database.OpenDatabase(false, false, crypto);
    for (const std::string& name : database.TableNames()) (void)database.TableRecord(name);
  } catch (const dvx::EDVXException&) {
  }
  return 0;
}
