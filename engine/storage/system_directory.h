#pragma once
// The system directory: a cached internal file of type 5 whose first page is
// always page 3. Its content is a packed array of 5-byte entries (at least
// two):
//   0  1  FileID       1 = table list file, 2 = active sessions file
//   1  4  FirstPageNo  signed
#include <cstdint>
#include <vector>

#include "engine/storage/internal_file.h"

namespace dvx {

constexpr int32_t kSystemDirectoryPageNo = 3;
constexpr uint8_t kTableListFileID = 1;
constexpr uint8_t kActiveSessionsFileID = 2;

constexpr int kDirectoryEntrySize = 5;
constexpr int kMinDirectoryEntries = 2;

struct TDVXDirectoryEntry {
  uint8_t fileID = 0;
  int32_t firstPageNo = -1;

  void Encode(uint8_t* out) const;  // kDirectoryEntrySize bytes
  static TDVXDirectoryEntry Decode(const uint8_t* in);
  // The entries of a directory's content, in order; a trailing part shorter
  // than an entry is ignored (the callers judge the size).
  static std::vector<TDVXDirectoryEntry> DecodeAll(const std::vector<uint8_t>& content);
  // The first entry's page for `fileID` in `entries`, -1 when absent.
  static int32_t Find(const std::vector<TDVXDirectoryEntry>& entries, uint8_t fileID);
};

class TDVXSystemDirectory {
 public:
  explicit TDVXSystemDirectory(TDVXPageManager& pageManager);

  void Create();
  void Load();
  void AddEntry(uint8_t fileID, int32_t firstPageNo);
  int32_t Find(uint8_t fileID) const;
  void Save();
  const std::vector<TDVXDirectoryEntry>& Entries() const { return entries_; }

 private:
  TDVXInternalDBFile file_;
  std::vector<TDVXDirectoryEntry> entries_;
};

}  // namespace dvx
