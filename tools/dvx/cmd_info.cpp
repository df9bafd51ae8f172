// dvx info FILE [--password TEXT]: the header fields (cipher and mode by
// name), whether a valid journal lies beside the file, the system directory
// and the table list.
#include <cstdio>
#include <iostream>

#include "engine/crypto/crypto_names.h"
#include "engine/storage/database_checker.h"
#include "engine/storage/system_directory.h"
#include "engine/storage/table_list_file.h"
#include "tools/dvx/command.h"
#include "tools/dvx/database_open.h"

namespace dvx::tool {
namespace {

int RunInfo(const std::vector<std::string>& args) {
  TDvxParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args, {"--password"}, {}, parsed, error)) return UsageError(error);
  if (parsed.positional.size() != 1) return UsageError("info needs exactly one FILE");
  auto pm = OpenForReading(parsed.positional[0], parsed.Get("--password"));
  TDvxConsistentState hold(*pm);
  const auto& h = pm->Header();
  char version[32];
  std::snprintf(version, sizeof version, "%.2f", h.formatVersion);
  std::cout << "Signature:        " << std::string(h.signature.data(), 4) << "\n"
            << "FormatVersion:    " << version << "\n"
            << "HeaderOffset:     " << pm->HeaderOffset() << "\n"
            << "PageSize:         " << h.pageSize << "\n"
            << "ExtentPageCount:  " << h.extentPageCount << "\n"
            << "PageCount:        " << h.pageCount << "\n"
            << "StateCounter:     " << h.stateCounter << "\n"
            << "Cipher:           " << CryptoAlgorithmName(static_cast<TDVXCryptoAlgorithm>(h.cryptoAlgorithm)) << "\n"
            << "Mode:             "
            << (h.cryptoAlgorithm ? CryptoModeName(static_cast<TDVXCryptoMode>(h.cryptoMode)) : "-") << "\n";
  // Holding the StateLockByte, a valid journal would have been refused as
  // one to recover; what can be seen here is an empty or an invalid one.
  TDVXJournalHeader journal;
  switch (pm->Journal().Inspect(&journal)) {
    case TDVXJournal::TState::None:
      std::cout << "Journal:          none\n";
      break;
    case TDVXJournal::TState::Invalid:
      std::cout << "Journal:          not valid (left by a commit that never began writing; discarded at the next "
                   "commit)\n";
      break;
    case TDVXJournal::TState::Valid:
      std::cout << "Journal:          valid, " << journal.recordCount << " record(s) of StateCounter "
                << journal.stateCounter << "\n";
      break;
  }
  TDVXDatabaseChecker reader(*pm);
  std::vector<uint8_t> content;
  if (!reader.ReadInternalFile(kSystemDirectoryPageNo, PageTypeIDFileSystemDirectory, "the system directory",
                               content)) {
    std::cerr << "dvx: the system directory cannot be read (try 'dvx check')\n";
    return kExitFailure;
  }
  std::cout << "Directory:\n";
  auto entries = TDVXDirectoryEntry::DecodeAll(content);
  for (const auto& e : entries) {
    const char* what = e.fileID == kTableListFileID        ? "table list file"
                       : e.fileID == kActiveSessionsFileID ? "active sessions file"
                                                           : "unknown";
    std::cout << "  FileID " << int(e.fileID) << " (" << what << "): first page " << e.firstPageNo << "\n";
  }
  int32_t tables = TDVXDirectoryEntry::Find(entries, kTableListFileID);
  std::cout << "Tables:\n";
  if (tables == kNoPage || !reader.ReadInternalFile(tables, PageTypeIDTableList, "the table list file", content) ||
      content.size() % kTableListRecordSize != 0) {
    std::cerr << "dvx: the table list cannot be read (try 'dvx check')\n";
    return kExitFailure;
  }
  if (content.empty()) std::cout << "  (none)\n";
  for (size_t at = 0; at < content.size(); at += kTableListRecordSize) {
    auto r = TDVXTableListRecord::Decode(content.data() + at);
    std::cout << "  " << r.tableName << ": TableID " << r.tableID << ", metadata " << r.metadataFirstPageNo
              << ", most-updated " << r.mostUpdatedFirstPageNo << ", PFS map " << r.pfsMapFirstPageNo << ", locks "
              << r.locksFirstPageNo << "\n";
  }
  return kExitOk;
}

TDvxCommandRegistration registration({"info", "info FILE [--password TEXT]",
                                      "prints the header fields, the directory entries and the table list", RunInfo});

}  // namespace
}  // namespace dvx::tool
