#include "engine/storage/system_directory.h"
#include "engine/storage/owner_ids.h"

#include "engine/core/exception.h"

namespace dvx {
namespace {
constexpr int kEntrySize = 5;
constexpr int32_t kLoadError = 10633;
constexpr int32_t kCreateError = 30392;
}  // namespace

TDVXSystemDirectory::TDVXSystemDirectory(TDVXPageManager& pageManager)
    : file_(pageManager, PageTypeIDFileSystemDirectory, true) {}

void TDVXSystemDirectory::Create() {
  file_.Create(kSystemSessionID, kOwnerSystemDirectory);
  if (file_.FirstPageNo() != kSystemDirectoryPageNo)
    throw EDVXException(kCreateError, "Error Creating SystemDirectory. SystemDirectoryPageNo=%d. Real PageNo=%d.",
                        {file_.FirstPageNo(), kSystemDirectoryPageNo});
  entries_.clear();
}

void TDVXSystemDirectory::Load() {
  file_.Open(kSystemDirectoryPageNo, true);
  file_.ReadFile(kSystemSessionID);
  const auto& content = file_.Content();
  int32_t count = static_cast<int32_t>(content.size() / kEntrySize);
  if (count < 2 || content.size() % kEntrySize != 0)
    throw EDVXException(kLoadError, "Error loading system directory, files count - %d, PageNo = %d",
                        {count, kSystemDirectoryPageNo});
  entries_.clear();
  for (int32_t i = 0; i < count; ++i)
    entries_.push_back({content[i * kEntrySize], GetI32(content.data() + i * kEntrySize + 1)});
}

void TDVXSystemDirectory::AddEntry(uint8_t fileID, int32_t firstPageNo) { entries_.push_back({fileID, firstPageNo}); }

int32_t TDVXSystemDirectory::Find(uint8_t fileID) const {
  for (const auto& e : entries_)
    if (e.fileID == fileID) return e.firstPageNo;
  return kNoPage;
}

void TDVXSystemDirectory::Save() {
  auto& content = file_.Content();
  content.assign(entries_.size() * kEntrySize, 0);
  for (size_t i = 0; i < entries_.size(); ++i) {
    content[i * kEntrySize] = entries_[i].fileID;
    PutI32(content.data() + i * kEntrySize + 1, entries_[i].firstPageNo);
  }
  file_.WriteFile(kSystemSessionID);
}

}  // namespace dvx
