#include "engine/storage/internal_file.h"
#include "engine/storage/storage_errors.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "engine/core/exception.h"

namespace dvx {
void TDVXInternalFileHeader::Encode(uint8_t* out) const {
  std::memcpy(out, kInternalFileSignature, 4);
  PutI32(out + kInternalFileSizeOffset, fileSize);
  out[kInternalFileReservedOffset] = 0;
}

bool TDVXInternalFileHeader::Decode(const uint8_t* in, TDVXInternalFileHeader& header) {
  if (std::memcmp(in, kInternalFileSignature, 4) != 0) return false;
  header.fileSize = GetI32(in + kInternalFileSizeOffset);
  return true;
}

std::string TDVXInternalFileHeader::SignatureText(const uint8_t* in) {
  return std::string(reinterpret_cast<const char*>(in), 4);
}

void ThrowCorruptInternalFile(int pageType, int32_t pageNo, const std::string& what) {
  throw EDVXException(kErrCorruptInternalFile, "Corrupt internal file, type = %d, pageNo = %d: %s",
                      {pageType, pageNo, what});
}

TDVXInternalDBFile::TDVXInternalDBFile(TDVXPageManager& pageManager, uint16_t pageType, bool mayKeep)
    : pageManager_(pageManager), pageType_(pageType), mayKeep_(mayKeep) {}

void TDVXInternalDBFile::CheckOpen(const char* operation) const {
  if (!IsOpen())
    throw EDVXException(kErrClosedInternalFile, "Cannot perform this operation (%s) on closed internal file",
                        {operation});
}

void TDVXInternalDBFile::CheckPage(const uint8_t* page, int32_t pageNo) const {
  if (!TDVXPageHeader::HasSignature(page)) ThrowCorruptInternalFile(pageType_, pageNo, "page signature missing");
  if (TDVXPageHeader::PageType(page) != pageType_)
    throw EDVXException(kErrInvalidPageType, "Error - invalid page type = %d instead of %d, pageNo = %d",
                        {int(TDVXPageHeader::PageType(page)), int(pageType_), pageNo});
}

void TDVXInternalDBFile::Create(int32_t session, int32_t owner) {
  TDVXPageRef page(pageManager_, pageManager_.AddPage(session));
  uint8_t* buffer = page->WritableBuffer();
  TDVXPageHeader::SetPageType(buffer, pageType_);
  TDVXPageHeader::SetOwnerID(buffer, owner);
  TDVXPageHeader::SetNextPageNo(buffer, kNoPage);
  TDVXInternalFileHeader{0}.Encode(page->WritableData());
  firstPageNo_ = page->PageNo();
  chain_.assign(1, firstPageNo_);
  content_.clear();
  loaded_ = true;
}

void TDVXInternalDBFile::Open(int32_t firstPageNo, bool mayKeep) {
  if (firstPageNo < 3)
    throw EDVXException(kErrCannotOpenInternalFile, "Error - cannot open internal file, type = %d, pageNo = %d",
                        {int(pageType_), firstPageNo});
  firstPageNo_ = firstPageNo;
  mayKeep_ = mayKeep;
  loaded_ = false;
  content_.clear();
  chain_.clear();
}

void TDVXInternalDBFile::Close() {
  firstPageNo_ = kNoPage;
  loaded_ = false;
  content_.clear();
  chain_.clear();
}

void TDVXInternalDBFile::ReadFile(int32_t session) {
  CheckOpen("ReadFile");
  if (mayKeep_ && loaded_) return;
  loaded_ = false;
  content_.clear();
  chain_.clear();
  const int dataSize = pageManager_.PageDataSize();
  std::set<int32_t> seen;
  int32_t fileSize = 0;
  size_t collected = 0;
  for (int32_t no = firstPageNo_; no != kNoPage;) {
    // A chain longer than the file has pages, or one that comes back to a
    // page, is corrupt; never follow it for ever.
    if (!seen.insert(no).second) ThrowCorruptInternalFile(pageType_, no, "the page chain runs in a cycle");
    TDVXPageRef page(pageManager_, pageManager_.GetPage(session, no, hook_, hookContext_));
    const uint8_t* buffer = page->Buffer();
    CheckPage(buffer, no);
    chain_.push_back(no);
    int start = 0;
    if (no == firstPageNo_) {
      const uint8_t* data = page->Data();
      TDVXInternalFileHeader header;
      if (!TDVXInternalFileHeader::Decode(data, header))
        throw EDVXException(kErrInvalidFileSignature, "Invalid signature = %s. Should be %s",
                            {TDVXInternalFileHeader::SignatureText(data), std::string("DVSF")});
      fileSize = header.fileSize;
      if (fileSize < 1) {
        if (fileSize < 0) throw EDVXException(kErrInvalidFileSize, "Error - invalid file size = %d", {fileSize});
        chain_.assign(1, firstPageNo_);
        loaded_ = true;
        return;
      }
      // Bounded before anything is allocated: the content cannot be larger
      // than the file's pages can hold.
      int64_t limit = static_cast<int64_t>(std::max(pageManager_.GetPageCount(), 1)) * dataSize;
      if (fileSize > limit) throw EDVXException(kErrReadFileSize, "Cannot read file. Size = %d, BytesRead = %d", {fileSize, 0});
      content_.resize(static_cast<size_t>(fileSize));
      start = kInternalFileHeaderSize;
    }
    size_t take = std::min<size_t>(content_.size() - collected, static_cast<size_t>(dataSize - start));
    std::memcpy(content_.data() + collected, page->Data() + start, take);
    collected += take;
    if (collected == content_.size()) break;
    no = TDVXPageHeader::NextPageNo(buffer);
  }
  if (collected != static_cast<size_t>(fileSize)) {
    content_.clear();
    throw EDVXException(kErrReadFileSize, "Cannot read file. Size = %d, BytesRead = %d",
                        {fileSize, static_cast<int64_t>(collected)});
  }
  loaded_ = true;
}

void TDVXInternalDBFile::LoadChain(int32_t session) {
  if (!chain_.empty()) return;
  std::set<int32_t> seen;
  for (int32_t no = firstPageNo_; no != kNoPage;) {
    if (!seen.insert(no).second) ThrowCorruptInternalFile(pageType_, no, "the page chain runs in a cycle");
    TDVXPageRef page(pageManager_, pageManager_.GetPage(session, no, hook_, hookContext_));
    CheckPage(page->Buffer(), no);
    chain_.push_back(no);
    no = TDVXPageHeader::NextPageNo(page->Buffer());
  }
}

void TDVXInternalDBFile::WriteFile(int32_t session) {
  CheckOpen("WriteFile");
  if (content_.empty()) {
    EmptyFile(session);
    return;
  }
  LoadChain(session);
  const size_t dataSize = static_cast<size_t>(pageManager_.PageDataSize());
  size_t stored = 0;
  std::vector<int32_t> chain;
  size_t index = 0;
  TDVXPageRef previous;
  while (stored < content_.size() || index == 0) {
    TDVXPageRef page;
    if (index < chain_.size()) {
      page = TDVXPageRef(pageManager_, pageManager_.GetPage(session, chain_[index], hook_, hookContext_));
      page->SetDirty();
    } else {
      if (!previous.get()) throw EDVXException(kErrNilPointer, "Nil pointer occured");
      page = TDVXPageRef(pageManager_, pageManager_.AddPage(session));
      TDVXPageHeader::SetPageType(page->WritableBuffer(), pageType_);
      TDVXPageHeader::SetOwnerID(page->WritableBuffer(), TDVXPageHeader::OwnerID(previous->Buffer()));
      TDVXPageHeader::SetNextPageNo(previous->WritableBuffer(), page->PageNo());
    }
    size_t start = 0;
    if (index == 0) {
      TDVXInternalFileHeader{static_cast<int32_t>(content_.size())}.Encode(page->WritableData());
      start = kInternalFileHeaderSize;
    }
    size_t take = std::min(content_.size() - stored, dataSize - start);
    std::memcpy(page->WritableData() + start, content_.data() + stored, take);
    stored += take;
    chain.push_back(page->PageNo());
    ++index;
    if (stored == content_.size()) {
      TDVXPageHeader::SetNextPageNo(page->WritableBuffer(), kNoPage);
      break;
    }
    // A recorded page keeps its link; a page added next sets it.
    if (index < chain_.size()) TDVXPageHeader::SetNextPageNo(page->WritableBuffer(), chain_[index]);
    previous = std::move(page);
  }
  previous.Release();
  if (stored != content_.size())
    throw EDVXException(kErrWriteFileSize, "Cannot write file. Size = %d, BytesWrite = %d",
                        {static_cast<int64_t>(content_.size()), static_cast<int64_t>(stored)});
  for (size_t i = chain.size(); i < chain_.size(); ++i) pageManager_.RemovePage(session, chain_[i]);
  chain_ = std::move(chain);
  loaded_ = true;
}

void TDVXInternalDBFile::EmptyFile(int32_t session) {
  CheckOpen("EmptyFile");
  LoadChain(session);
  {
    TDVXPageRef page(pageManager_, pageManager_.GetPage(session, firstPageNo_, hook_, hookContext_));
    page->SetDirty();
    TDVXPageHeader::SetNextPageNo(page->WritableBuffer(), kNoPage);
    TDVXPageHeader::SetPageType(page->WritableBuffer(), pageType_);
    TDVXInternalFileHeader{0}.Encode(page->WritableData());
  }
  for (size_t i = 1; i < chain_.size(); ++i) pageManager_.RemovePage(session, chain_[i]);
  chain_.assign(1, firstPageNo_);
  content_.clear();
  loaded_ = true;
}

void TDVXInternalDBFile::Delete(int32_t session, int32_t firstPageNo) {
  Open(firstPageNo, false);
  LoadChain(session);
  for (int32_t no : chain_) pageManager_.RemovePage(session, no);
  Close();
}

void TDVXInternalDBFile::SetSize(size_t size) {
  CheckOpen("SetSize");
  content_.resize(size);
}

}  // namespace dvx
