#include "engine/storage/system_directory.h"
#include "engine/storage/storage_errors.h"
#include "engine/storage/owner_ids.h"

#include "engine/core/exception.h"

namespace dvx {
void TDVXDirectoryEntry::Encode(uint8_t* out) const {
  out[0] = fileID;
  PutI32(out + 1, firstPageNo);
}

TDVXDirectoryEntry TDVXDirectoryEntry::Decode(const uint8_t* in) { return {in[0], GetI32(in + 1)}; }

std::vector<TDVXDirectoryEntry> TDVXDirectoryEntry::DecodeAll(const std::vector<uint8_t>& content) {
  std::vector<TDVXDirectoryEntry> entries;
  for (size_t at = 0; at + kDirectoryEntrySize <= content.size(); at += kDirectoryEntrySize)
    entries.push_back(Decode(content.data() + at));
  return entries;
}

int32_t TDVXDirectoryEntry::Find(const std::vector<TDVXDirectoryEntry>& entries, uint8_t fileID) {
  for (const auto& e : entries)
    if (e.fileID == fileID) return e.firstPageNo;
  return kNoPage;
}

TDVXSystemDirectory::TDVXSystemDirectory(TDVXPageManager& pageManager)
    : file_(pageManager, PageTypeIDFileSystemDirectory, true) {}

void TDVXSystemDirectory::Create() {
  file_.Create(kSystemSessionID, kOwnerSystemDirectory);
  if (file_.FirstPageNo() != kSystemDirectoryPageNo)
    throw EDVXException(kErrCreateSystemDirectory, "Error Creating SystemDirectory. SystemDirectoryPageNo=%d. Real PageNo=%d.",
                        {file_.FirstPageNo(), kSystemDirectoryPageNo});
  entries_.clear();
}

void TDVXSystemDirectory::Load() {
  file_.Open(kSystemDirectoryPageNo, true);
  file_.ReadFile(kSystemSessionID);
  const auto& content = file_.Content();
  int32_t count = static_cast<int32_t>(content.size() / kDirectoryEntrySize);
  if (count < kMinDirectoryEntries || content.size() % kDirectoryEntrySize != 0)
    throw EDVXException(kErrLoadSystemDirectory, "Error loading system directory, files count - %d, PageNo = %d",
                        {count, kSystemDirectoryPageNo});
  entries_ = TDVXDirectoryEntry::DecodeAll(content);
}

void TDVXSystemDirectory::AddEntry(uint8_t fileID, int32_t firstPageNo) { entries_.push_back({fileID, firstPageNo}); }

int32_t TDVXSystemDirectory::Find(uint8_t fileID) const { return TDVXDirectoryEntry::Find(entries_, fileID); }

void TDVXSystemDirectory::Save() {
  auto& content = file_.Content();
  content.assign(entries_.size() * kDirectoryEntrySize, 0);
  for (size_t i = 0; i < entries_.size(); ++i) entries_[i].Encode(content.data() + i * kDirectoryEntrySize);
  file_.WriteFile(kSystemSessionID);
}

}  // namespace dvx
