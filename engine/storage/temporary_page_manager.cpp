#include "engine/storage/temporary_page_manager.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "engine/core/exception.h"
#include "engine/storage/coded_stream_items.h"
#include "engine/storage/memory_storage_errors.h"

namespace dvx {
namespace {

[[noreturn]] void NotAllocated(int32_t code) { throw EDVXException(code, "Not released page is allocated"); }

[[noreturn]] void Invalid(const char* what, int64_t value) {
  throw EDVXException(kErrPagesStreamInvalid, "Invalid page manager stream: %s = %d", {std::string(what), value});
}

// A temporary stream that goes to its file with the first byte written.
constexpr uint64_t kFileAtOnce = 0;

}  // namespace

int32_t TDVXTemporaryPageManager::DefaultMemoryLimit() {
  const uint64_t pages = TDVXMemoryManager::Instance().AvailableMemory() / 10 / kPageSize;
  return static_cast<int32_t>(std::min<uint64_t>(pages, TDVXMemoryPageManager::kMaxCapacity));
}

TDVXTemporaryPageManager::TDVXTemporaryPageManager(int32_t memoryLimitPages, TDVXFileSystem& fileSystem,
                                                   std::string directory)
    : TDVXPageManager(kPageSize, 0),
      memoryLimit_(std::clamp<int32_t>(memoryLimitPages, 0, TDVXMemoryPageManager::kMaxCapacity)),
      fileSystem_(fileSystem),
      directory_(std::move(directory)),
      inner_(std::make_unique<TDVXMemoryPageManager>()) {}

// The temporary stream deletes its file when it goes.
TDVXTemporaryPageManager::~TDVXTemporaryPageManager() = default;

int32_t TDVXTemporaryPageManager::GetPageCount() {
  TDVXLockGuard guard(Lock());
  return inner_->GetPageCount() + fileAllocated_.CountSet();
}

bool TDVXTemporaryPageManager::IsAllocated(int32_t pageNo) const {
  if (pageNo < 0) return false;
  if (!InFile(pageNo)) return inner_->IsAllocated(pageNo);
  const int32_t bit = FileBit(pageNo);
  return bit < fileAllocated_.Size() && fileAllocated_.Get(bit);
}

TDVXTemporaryStream& TDVXTemporaryPageManager::File() {
  if (!file_) file_ = std::make_unique<TDVXTemporaryStream>(kFileAtOnce, fileSystem_, directory_);
  return *file_;
}

void TDVXTemporaryPageManager::InternalAddPage(TDVXPage& page) {
  if (inner_->GetPageCount() < memoryLimit_) {
    // A free number below the limit exists, and the inner manager hands
    // out the lowest free one.
    inner_->InternalAddPage(page);
    return;
  }
  const int32_t bit = fileAllocated_.Size();
  if (bit >= std::numeric_limits<int32_t>::max() - memoryLimit_)
    throw EDVXException(kErrPagesStreamInvalid, "Invalid PageNo = %d", {static_cast<int64_t>(memoryLimit_) + bit});
  fileAllocated_.Resize(bit + 1);
  fileAllocated_.Set(bit, true);
  page.SetPageNo(memoryLimit_ + bit);
  std::memset(Frame(page), 0, static_cast<size_t>(kPageSize));
}

void TDVXTemporaryPageManager::InternalRemovePage(int32_t pageNo) {
  if (!InFile(pageNo)) {
    inner_->InternalRemovePage(pageNo);
    return;
  }
  if (!IsAllocated(pageNo)) throw EDVXException(kErrMemoryFreeFreePage, "Invalid PageNo = %d", {pageNo});
  fileAllocated_.Set(FileBit(pageNo), false);
}

void TDVXTemporaryPageManager::CheckPageNo(int32_t pageNo) {
  if (!IsAllocated(pageNo)) NotAllocated(InFile(pageNo) ? kErrTemporaryReadFreePage : kErrMemoryReadFreePage);
}

void TDVXTemporaryPageManager::ReadFilePage(int32_t pageNo, uint8_t* buffer) {
  TDVXTemporaryStream& file = File();
  file.SetPosition(static_cast<uint64_t>(pageNo) * kPageSize);
  file.ReadBuffer(buffer, static_cast<size_t>(kPageSize), kErrTemporaryPageRead);
}

void TDVXTemporaryPageManager::WriteFilePage(int32_t pageNo, const uint8_t* buffer) {
  TDVXTemporaryStream& file = File();
  file.SetPosition(static_cast<uint64_t>(pageNo) * kPageSize);
  file.WriteBuffer(buffer, static_cast<size_t>(kPageSize), kErrTemporaryPageWrite);
}

int32_t TDVXTemporaryPageManager::BeginCommit(const std::vector<TDVXPage*>& pages, const std::set<int32_t>& added) {
  before_.clear();
  for (TDVXPage* page : pages) {
    // A page the change set took from the free space held nothing before.
    if (added.count(page->PageNo())) continue;
    TDVXPage stored(this, kPageSize, HeaderSize());
    stored.SetPageNo(page->PageNo());
    InternalReadPage(stored);
    before_.emplace_back(page->PageNo(), std::vector<uint8_t>(stored.Buffer(), stored.Buffer() + kPageSize));
  }
  return TDVXPageManager::BeginCommit(pages, added);
}

void TDVXTemporaryPageManager::AbortCommit() {
  std::vector<std::pair<int32_t, std::vector<uint8_t>>> before = std::move(before_);
  before_.clear();
  for (const auto& [pageNo, bytes] : before) {
    TDVXPage stored(this, kPageSize, HeaderSize());
    stored.SetPageNo(pageNo);
    std::memcpy(Frame(stored), bytes.data(), bytes.size());
    InternalWritePage(stored);
  }
}

void TDVXTemporaryPageManager::InternalReadPage(TDVXPage& page) {
  if (!InFile(page.PageNo())) {
    inner_->InternalReadPage(page);
    return;
  }
  if (!IsAllocated(page.PageNo())) NotAllocated(kErrTemporaryReadFreePage);
  ReadFilePage(page.PageNo(), Frame(page));
}

void TDVXTemporaryPageManager::InternalWritePage(TDVXPage& page) {
  if (!InFile(page.PageNo())) {
    inner_->InternalWritePage(page);
    return;
  }
  if (!IsAllocated(page.PageNo())) NotAllocated(kErrTemporaryWriteFreePage);
  WriteFilePage(page.PageNo(), page.Buffer());
}

void TDVXTemporaryPageManager::SaveToStream(TDVXStream& stream) {
  TDVXLockGuard guard(Lock());
  const int32_t fileHighest = fileAllocated_.HighestSet();
  const int32_t highest = fileHighest >= 0 ? memoryLimit_ + fileHighest : inner_->HighestPageNo();
  TDVXPageStreamCounters{memoryLimit_, highest, TDVXMemoryPageManager::kGrowthStep,
                         inner_->GetPageCount() + fileAllocated_.CountSet()}
      .Write(stream, PageSize(), HeaderSize());
  fileAllocated_.SaveToStream(stream, kErrPagesWriteContents);
  inner_->SaveToStream(stream);
  std::vector<uint8_t> buffer(static_cast<size_t>(kPageSize));
  for (int32_t bit = 0; bit < fileAllocated_.Size(); ++bit) {
    if (!fileAllocated_.Get(bit)) continue;
    ReadFilePage(memoryLimit_ + bit, buffer.data());
    stream.WriteBuffer(buffer.data(), buffer.size(), kErrPagesWriteContents);
  }
}

void TDVXTemporaryPageManager::LoadFromStream(TDVXStream& stream) {
  TDVXLockGuard guard(Lock());
  const TDVXPageStreamCounters c = TDVXPageStreamCounters::Read(stream, kPageSize);
  const int32_t limit = c.capacity, highest = c.highest, pageCount = c.pageCount;
  TDVXBitArray fileAllocated;
  fileAllocated.LoadFromStream(stream, std::numeric_limits<int32_t>::max() - limit, kErrPagesReadContents,
                               kErrPagesStreamInvalid);
  auto inner = std::make_unique<TDVXMemoryPageManager>();
  inner->LoadFromStream(stream);
  if (inner->HighestPageNo() >= limit) Invalid("highest page number", inner->HighestPageNo());
  const int32_t fileHighest = fileAllocated.HighestSet();
  if ((fileHighest >= 0 ? limit + fileHighest : inner->HighestPageNo()) != highest)
    Invalid("highest page number", highest);
  const int32_t filePages = fileAllocated.CountSet();
  if (inner->GetPageCount() + filePages != pageCount) Invalid("page count", pageCount);
  CheckAvailable(stream, static_cast<uint64_t>(filePages) * kPageSize, kErrPagesReadContents);
  // The pages go into a new file; the old one goes only when all is read.
  auto file = std::make_unique<TDVXTemporaryStream>(kFileAtOnce, fileSystem_, directory_);
  std::vector<uint8_t> buffer(static_cast<size_t>(kPageSize));
  for (int32_t bit = 0; bit < fileAllocated.Size(); ++bit) {
    if (!fileAllocated.Get(bit)) continue;
    stream.ReadBuffer(buffer.data(), buffer.size(), kErrPagesReadContents);
    file->SetPosition(static_cast<uint64_t>(limit + bit) * kPageSize);
    file->WriteBuffer(buffer.data(), buffer.size(), kErrTemporaryPageWrite);
  }
  CheckNoDirtyPages();
  DiscardAllPages();
  inner_ = std::move(inner);
  memoryLimit_ = limit;
  fileAllocated_ = std::move(fileAllocated);
  file_ = std::move(file);
}

}  // namespace dvx
