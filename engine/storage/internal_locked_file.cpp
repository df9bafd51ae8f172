#include "engine/storage/internal_locked_file.h"
#include "engine/core/cleanup_failures.h"
#include "engine/storage/storage_errors.h"
#include "engine/storage/owner_ids.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "engine/core/exception.h"

namespace dvx {
TDVXInternalLockedDBFile::TDVXInternalLockedDBFile(TDVXDiskPageManager& pageManager, uint16_t pageType)
    : pageManager_(pageManager), pageType_(pageType) {}

void TDVXInternalLockedDBFile::CheckOpen(const char* operation) const {
  if (!IsOpen())
    throw EDVXException(kErrClosedLockedFile, "Cannot perform this operation (%s) on closed internal file",
                        {operation});
}

void TDVXInternalLockedDBFile::Create(int64_t size, int32_t owner) {
  if (size < 0) throw EDVXException(kErrInvalidFileSize, "Error - invalid file size = %d", {size});
  const int64_t dataSize = pageManager_.PageDataSize();
  int64_t pages = (size + kInternalFileHeaderSize + dataSize - 1) / dataSize;
  std::vector<int32_t> chain;
  try {
    for (int64_t i = 0; i < pages; ++i) chain.push_back(pageManager_.AllocatePageNo());
    // One page buffer, not cleared between pages.
    std::vector<uint8_t> buffer(static_cast<size_t>(pageManager_.PageSize()));
    for (size_t i = 0; i < chain.size(); ++i) {
      if (pageManager_.Encrypted()) pageManager_.FillRandom(buffer.data(), buffer.size());
      std::memset(buffer.data(), 0, kPageHeaderSize);
      // Reserved -1 at offset 26 as on every other page (files made before
      // hold 0 there, which the checker accepts on these pages).
      TDVXPageHeader::Format(buffer.data(), pageType_, i + 1 < chain.size() ? chain[i + 1] : kNoPage, owner);
      pageManager_.WritePagePart(buffer.data(), chain[i], kPageHeaderSize, -kPageHeaderSize);
      uint8_t* data = buffer.data() + kPageHeaderSize;
      if (i == 0) {
        // The direct kind zeroes the reserved bytes the encoder leaves.
        TDVXInternalFileHeader{static_cast<int32_t>(size)}.Encode(data);
        std::memset(data + kInternalFileHeaderWritten, 0, kInternalFileHeaderSize - kInternalFileHeaderWritten);
      }
      pageManager_.WritePagePart(data, chain[i], static_cast<int>(dataSize), 0);
      if (i == 0) pageManager_.WritePagePart(data, chain[i], kInternalFileHeaderSize, 0);
    }
  } catch (...) {
    for (int32_t no : chain) {
      try {
        pageManager_.FreePageNo(no);
      } catch (...) {
        NoteCleanupFailure("freeing the pages of a file that could not be made");
      }
    }
    throw;
  }
  firstPageNo_ = chain.front();
  chain_ = std::move(chain);
  fileSize_ = size;
}

void TDVXInternalLockedDBFile::Open(int32_t firstPageNo) {
  if (firstPageNo < 4)
    throw EDVXException(kErrCannotOpenLockedFile, "Error - cannot open internal file, type = %d, pageNo = %d",
                        {int(pageType_), firstPageNo});
  Close();
  std::vector<int32_t> chain;
  std::set<int32_t> seen;
  int64_t size = 0;
  for (int32_t no = firstPageNo; no != kNoPage;) {
    if (!seen.insert(no).second) ThrowCorruptInternalFile(pageType_, no, "the page chain runs in a cycle");
    // Wait while another open holds the page's byte 0, as long as a lock
    // wait may last.
    int64_t byte0 = pageManager_.PagePosition(no) + kPageHeaderSize;
    if (!RetryLoop(pageManager_.LockParams(), [&] { return !pageManager_.IsByteLocked(byte0); }))
      throw EDVXException(kErrPageStaysLocked, "Error - page %d of internal file, type = %d, stays locked",
                          {no, int(pageType_)});
    uint8_t header[kPageHeaderSize];
    pageManager_.ReadPagePart(header, no, kPageHeaderSize, -kPageHeaderSize);
    if (!TDVXPageHeader::HasSignature(header) || TDVXPageHeader::PageType(header) != pageType_)
      throw EDVXException(kErrInvalidPageType, "Error - invalid page type = %d instead of %d, pageNo = %d",
                          {int(TDVXPageHeader::PageType(header)), int(pageType_), no});
    if (no == firstPageNo) {
      uint8_t fileHeader[kInternalFileHeaderSize];
      pageManager_.ReadPagePart(fileHeader, no, kInternalFileHeaderSize, 0);
      TDVXInternalFileHeader decoded;
      if (!TDVXInternalFileHeader::Decode(fileHeader, decoded))
        throw EDVXException(kErrInvalidFileSignature, "Invalid signature = %s. Should be %s",
                            {TDVXInternalFileHeader::SignatureText(fileHeader), std::string("DVSF")});
      size = decoded.fileSize;
      if (size <= 0) throw EDVXException(kErrInvalidFileSize, "Error - invalid file size = %d", {size});
    }
    chain.push_back(no);
    no = TDVXPageHeader::NextPageNo(header);
  }
  const int64_t dataSize = pageManager_.PageDataSize();
  if (size + kInternalFileHeaderSize > static_cast<int64_t>(chain.size()) * dataSize)
    ThrowCorruptInternalFile(pageType_, firstPageNo,
                             "file size " + std::to_string(size) + " does not fit its " +
                                 std::to_string(chain.size()) + " pages");
  firstPageNo_ = firstPageNo;
  chain_ = std::move(chain);
  fileSize_ = size;
}

void TDVXInternalLockedDBFile::Close() {
  firstPageNo_ = kNoPage;
  fileSize_ = 0;
  chain_.clear();
}

void TDVXInternalLockedDBFile::DeleteFile() {
  CheckOpen("DeleteFile");
  for (int32_t no : chain_) pageManager_.RemovePage(kSystemSessionID, no);
  Close();
}

template <typename F>
void TDVXInternalLockedDBFile::Transfer(int64_t count, int64_t position, F&& segment) {
  const int64_t dataSize = pageManager_.PageDataSize();
  int64_t done = 0;
  while (done < count) {
    int64_t at = position + done + kInternalFileHeaderSize;
    int64_t page = at / dataSize;
    int64_t offset = at % dataSize;
    int64_t take = std::min(count - done, dataSize - offset);
    segment(chain_[static_cast<size_t>(page)], static_cast<int>(offset), static_cast<int>(take), done);
    done += take;
  }
}

// The end check looks at the page of the last byte transferred: a transfer
// that ends exactly at the end of the chain's last data area is legitimate.
void TDVXInternalLockedDBFile::CheckSpan(int64_t count, int64_t position, int32_t startCode, int32_t endCode,
                                         int32_t sizeCode) const {
  const int64_t dataSize = pageManager_.PageDataSize();
  const int64_t pages = static_cast<int64_t>(chain_.size());
  auto fail = [&](int32_t code) {
    return EDVXException(code, "Cannot read from file. Position = %d, Count = %d, PageCount = %d, FSize = %d",
                         {position, count, pages, fileSize_});
  };
  if (position < 0 || count < 0 || (position + kInternalFileHeaderSize) / dataSize >= pages) throw fail(startCode);
  if (count > 0 && (position + count - 1 + kInternalFileHeaderSize) / dataSize >= pages) throw fail(endCode);
  if (position + count > fileSize_) throw fail(sizeCode);
}

void TDVXInternalLockedDBFile::DirectReadBuffer(void* buffer, int64_t count, int64_t position) {
  CheckOpen("DirectReadBuffer");
  CheckSpan(count, position, kErrReadStartPage, kErrReadEndPage, kErrReadBeyondSize);
  auto* out = static_cast<uint8_t*>(buffer);
  Transfer(count, position, [&](int32_t page, int offset, int take, int64_t done) {
    pageManager_.ReadPagePart(out + done, page, take, offset);
  });
}

void TDVXInternalLockedDBFile::DirectWriteBuffer(const void* buffer, int64_t count, int64_t position) {
  CheckOpen("DirectWriteBuffer");
  CheckSpan(count, position, kErrWriteStartPage, kErrWriteEndPage, kErrWriteBeyondSize);
  auto* in = static_cast<const uint8_t*>(buffer);
  Transfer(count, position, [&](int32_t page, int offset, int take, int64_t done) {
    pageManager_.WritePagePart(in + done, page, take, offset);
  });
}

int64_t TDVXInternalLockedDBFile::BytePosition(int64_t position, int32_t errorCode) {
  const int64_t dataSize = pageManager_.PageDataSize();
  int64_t page = (position + kInternalFileHeaderSize) / dataSize;
  if (position < 0 || position >= fileSize_ || page >= static_cast<int64_t>(chain_.size()))
    throw EDVXException(errorCode, "Cannot access byte in the file. Position = %d, Count = %d, PageCount = %d, FSize = %d",
                        {position, int64_t(1), static_cast<int64_t>(chain_.size()), fileSize_});
  return pageManager_.PagePosition(chain_[static_cast<size_t>(page)]) + kPageHeaderSize +
         (position + kInternalFileHeaderSize) % dataSize;
}

bool TDVXInternalLockedDBFile::LockFile() {
  CheckOpen("LockFile");
  return pageManager_.DatabaseFile().LockByte(pageManager_.PagePosition(firstPageNo_) + kPageHeaderSize);
}

bool TDVXInternalLockedDBFile::UnlockFile() {
  CheckOpen("UnlockFile");
  return pageManager_.DatabaseFile().UnlockByte(pageManager_.PagePosition(firstPageNo_) + kPageHeaderSize);
}

bool TDVXInternalLockedDBFile::LockByte(int64_t position) {
  CheckOpen("LockByte");
  return pageManager_.DatabaseFile().LockByte(BytePosition(position, kErrLockByteAccess));
}

bool TDVXInternalLockedDBFile::UnlockByte(int64_t position) {
  CheckOpen("UnlockByte");
  return pageManager_.DatabaseFile().UnlockByte(BytePosition(position, kErrUnlockByteAccess));
}

bool TDVXInternalLockedDBFile::IsByteLocked(int64_t position) {
  CheckOpen("IsByteLocked");
  return pageManager_.DatabaseFile().IsByteLocked(BytePosition(position, kErrIsByteLockedAccess));
}

bool TDVXInternalLockedDBFile::IsRegionLocked(int64_t position, int64_t count) {
  CheckOpen("IsRegionLocked");
  for (int64_t p = position; p < position + count; ++p)
    if (pageManager_.DatabaseFile().IsByteLocked(BytePosition(p, kErrIsRegionLockedAccess))) return true;
  return false;
}

}  // namespace dvx
