#include "engine/storage/disk_page_manager.h"
#include "engine/storage/storage_errors.h"
#include "engine/storage/owner_ids.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/core/exception.h"
#include "engine/storage/free_space_manager.h"

namespace dvx {
namespace {

// Blocks of the scan for an embedded header; consecutive blocks overlap by
// three bytes so a signature that straddles two blocks is still found.
constexpr int64_t kScanBlock = 65535;

static_assert(kSaltOffset + kSaltSize == kFileHeaderSize + kReservedAreaLengthSize + kEncryptedReservedAreaLength);

}  // namespace

TDVXDiskPageManager::TDVXDiskPageManager(TDVXLockParams lockParams, TDVXFileSystem& fileSystem)
    : TDVXPageManager(0, kPageHeaderSize),
      lockParams_(lockParams),
      file_(fileSystem) {}

TDVXDiskPageManager::~TDVXDiskPageManager() { CloseQuietly(); }

void TDVXDiskPageManager::CloseQuietly() {
  DiscardAllPages();
  freeSpace_.reset();
  encryption_.Clear();
  crypto_.Clear();
  commitLock_.reset();
  stateLockDepth_ = tablesLockDepth_ = 0;
  if (file_.IsOpen()) file_.CloseFile();
}

void TDVXDiskPageManager::FillRandom(uint8_t* buffer, size_t count) {
  TDVXLockGuard guard(Lock());
  encryption_.FillPage(buffer, count);
}

void TDVXDiskPageManager::ReadSalt(uint8_t* salt) {
  if (reservedAreaLength_ < kEncryptedReservedAreaLength)
    throw EDVXException(kErrCorruptHeader, "Invalid database file '%s' - %s",
                        {file_.FileName(), "the reserved area of an encrypted file is " +
                                               std::to_string(reservedAreaLength_) + " bytes long, " +
                                               std::to_string(kEncryptedReservedAreaLength) +
                                               " are needed for the key salt"});
  file_.ReadBuffer(salt, kErrReadHeader, headerOffset_ + kSaltOffset, kSaltSize);
}

// --- creating, opening, closing ----------------------------------------------

void TDVXDiskPageManager::CreateDatabaseFile(const std::string& fileName, int pageSize, int extentPageCount,
                                             const TDVXCryptoInfo& crypto) {
  if (file_.IsOpen()) throw EDVXException(kErrCreateInUse, "Error - database file %s is in use.", {fileName});
  // Parameters are checked before the file is created, so a refused
  // creation never truncates an existing file.
  if (pageSize < kMinPageSize || pageSize > kMaxPageSize)
    throw EDVXException(kErrInvalidPageSize, "Invalid page size = %d. Should be from %d to %d",
                        {pageSize, kMinPageSize, kMaxPageSize});
  if (extentPageCount < kMinExtentPageCount || extentPageCount > 65535)
    throw EDVXException(kErrTooSmallExtent, "Error - Too small ExtentPageCount: < 4");
  const bool encrypted = crypto.algorithm != craNone;
  // The key is derived before the file exists, so a refused or failing
  // cipher leaves an existing file as it was.
  encryption_.PrepareNew(crypto);
  file_.CreateFile(fileName);
  try {
    header_ = TDVXFileHeader();
    header_.pageSize = static_cast<uint16_t>(pageSize);
    header_.extentPageCount = static_cast<uint16_t>(extentPageCount);
    reservedAreaLength_ = encrypted ? kEncryptedReservedAreaLength : kNewReservedAreaLength;
    headerOffset_ = 0;
    crypto_ = crypto;
    encryption_.FillKeyCheck(header_, crypto);
    SetPageGeometry(pageSize, kPageHeaderSize);
    readOnly_ = false;
    WriteHeader();
    if (encrypted)
      file_.WriteBuffer(encryption_.Salt().data(), kErrWriteHeader, headerOffset_ + kSaltOffset, kSaltSize);
    pageAreaStart_ = headerOffset_ + kFileHeaderSize + kReservedAreaLengthSize + reservedAreaLength_;
    freeSpace_ = std::make_unique<TDVXDatabaseFreeSpaceManager>(*this, lockParams_);
    freeSpace_->CreateFreeSpace();
    SetExclusive(true);
  } catch (...) {
    CloseQuietly();
    throw;
  }
}

void TDVXDiskPageManager::OpenDatabaseFile(const std::string& fileName, bool& readOnly, bool skipKeyCheck,
                                           bool exclusive, TDVXCryptoInfo& crypto) {
  if (file_.IsOpen()) throw EDVXException(kErrOpenInUse, "Error - database file %s is in use.", {fileName});
  uint8_t access = readOnly ? kAccessReadOnly : kAccessReadWrite;
  uint8_t share = exclusive ? kShareExclusive : kShareDenyNone;
  file_.OpenFile(fileName, access, share);
  try {
    readOnly_ = access == kAccessReadOnly;
    readOnly = readOnly_;
    headerOffset_ = FindHeaderOffset();
    if (headerOffset_ < 0)
      throw EDVXException(kErrSignatureNotFound, "Invalid database file %s - Dovrentix signature not found",
                          {fileName});
    SetPageGeometry(0, kPageHeaderSize);
    ReadHeader();
    crypto.algorithm = static_cast<TDVXCryptoAlgorithm>(header_.cryptoAlgorithm);
    crypto.mode = static_cast<TDVXCryptoMode>(header_.cryptoMode);
    if (!header_.HasSignature())
      throw EDVXException(kErrInvalidSignature, "Invalid signature = %s. Should be %s",
                          {std::string(header_.signature.data(), 4), std::string(kFileSignature, 4)});
    if (!header_.VersionInRange())
      throw EDVXException(kErrInvalidVersion, "Invalid version number = %f. Should be %f",
                          {header_.formatVersion, kFormatVersion});
    SetPageGeometry(header_.pageSize, kPageHeaderSize);
    ValidateHeader();
    TDVXPageEncryption::CheckParameters(header_.cryptoAlgorithm, header_.cryptoMode);
    if (header_.cryptoAlgorithm != craNone) {
      uint8_t salt[kSaltSize];
      ReadSalt(salt);
      encryption_.Open(crypto, header_, salt, skipKeyCheck, fileName);
    }
    crypto_ = crypto;
    freeSpace_ = std::make_unique<TDVXDatabaseFreeSpaceManager>(*this, lockParams_);
    SetExclusive(exclusive);
  } catch (...) {
    CloseQuietly();
    throw;
  }
}

void TDVXDiskPageManager::CloseDatabaseFile() {
  if (!file_.IsOpen()) return;
  CheckNoDirtyPages();
  FlushBuffers();
  CloseQuietly();
}

// --- header ------------------------------------------------------------------

bool TDVXDiskPageManager::ProbeHeader(int64_t position, int64_t fileSize, bool atStart) {
  if (position + kFileHeaderSize >= fileSize) return false;
  uint8_t bytes[kFileHeaderSize];
  file_.ReadBuffer(bytes, kErrReadHeader, position, kFileHeaderSize);
  TDVXFileHeader h = TDVXFileHeader::Decode(bytes);
  if (!h.HasSignature() || h.headerSize != kFileHeaderSize) return false;
  // At the start of the file the version is checked by the open, which
  // reports a wrong one; inside other content it keeps stray bytes from
  // being taken for a header.
  return atStart || h.VersionInRange();
}

int64_t TDVXDiskPageManager::FindHeaderOffset() {
  int64_t saved = file_.GetPosition();
  int64_t size = file_.GetSize();
  int64_t found = -1;
  if (ProbeHeader(0, size, true)) {
    found = 0;
  } else {
    std::vector<uint8_t> block(static_cast<size_t>(kScanBlock));
    for (int64_t start = 0; start < size && found < 0; start += kScanBlock - 3) {
      size_t n = static_cast<size_t>(std::min(kScanBlock, size - start));
      file_.ReadBuffer(block.data(), kErrReadHeader, start, n);
      for (size_t i = 0; i + 3 < n && found < 0; ++i)
        if (std::memcmp(block.data() + i, kFileSignature, 4) == 0 &&
            ProbeHeader(start + static_cast<int64_t>(i), size, false))
          found = start + static_cast<int64_t>(i);
      if (start + static_cast<int64_t>(n) >= size) break;
    }
  }
  file_.SetPosition(saved);
  return found;
}

void TDVXDiskPageManager::ValidateHeader() {
  auto corrupt = [&](const std::string& what) {
    return EDVXException(kErrCorruptHeader, "Invalid database file '%s' - %s", {file_.FileName(), what});
  };
  if (header_.pageSize < kMinPageSize)
    throw corrupt("page size " + std::to_string(header_.pageSize) + " is below " + std::to_string(kMinPageSize));
  if (PageSize() != 0 && header_.pageSize != PageSize())
    throw corrupt("page size changed from " + std::to_string(PageSize()) + " to " +
                  std::to_string(header_.pageSize));
  if (header_.extentPageCount < kMinExtentPageCount)
    throw corrupt("extent page count " + std::to_string(header_.extentPageCount) + " is below 4");
  if (header_.pageCount < 3) throw corrupt("page count " + std::to_string(header_.pageCount) + " is below 3");
  int64_t needed = pageAreaStart_ + static_cast<int64_t>(header_.pageCount) * header_.pageSize;
  // Another process grows the file before it writes the larger PageCount
  // and shrinks it after writing the smaller one, but a header reread
  // without the StateLockByte may still fall between the two; the length is
  // therefore checked at the open and under the lock, and page reads are
  // bounded by themselves.
  if (freeSpace_ && stateLockDepth_ == 0) return;
  int64_t size = file_.GetSize();
  if (size < needed)
    throw corrupt("the file is " + std::to_string(size) + " bytes long, " + std::to_string(needed) +
                  " bytes are needed for " + std::to_string(header_.pageCount) + " pages");
}

void TDVXDiskPageManager::ReadHeader() {
  if (!file_.IsOpen()) throw EDVXException(kErrReadHeader, "Error - database file is not opened.");
  uint8_t bytes[kFileHeaderSize + kReservedAreaLengthSize];
  file_.ReadBuffer(bytes, kErrReadHeader, headerOffset_, sizeof bytes);
  TDVXFileHeader fresh = TDVXFileHeader::Decode(bytes);
  int reserved = GetU16(bytes + kFileHeaderSize);
  // Rereads while the file is open: another process may have written it,
  // and nothing read from a file is trusted, so a bad header never replaces
  // the good one in memory.
  if (PageSize() != 0 && freeSpace_) {
    TDVXFileHeader good = header_;
    int goodReserved = reservedAreaLength_;
    header_ = fresh;
    reservedAreaLength_ = reserved;
    pageAreaStart_ = headerOffset_ + kFileHeaderSize + kReservedAreaLengthSize + reservedAreaLength_;
    try {
      // The crypto fields and the reserved area never change while a
      // database exists.
      if (!fresh.HasSignature() || !fresh.VersionInRange() || fresh.cryptoAlgorithm != good.cryptoAlgorithm ||
          fresh.cryptoMode != good.cryptoMode || reserved != goodReserved)
        throw EDVXException(kErrCorruptHeader, "Invalid database file '%s' - %s",
                            {file_.FileName(), "the header was overwritten"});
      ValidateHeader();
    } catch (...) {
      header_ = good;
      reservedAreaLength_ = goodReserved;
      pageAreaStart_ = headerOffset_ + kFileHeaderSize + kReservedAreaLengthSize + reservedAreaLength_;
      throw;
    }
    return;
  }
  header_ = fresh;
  reservedAreaLength_ = reserved;
  pageAreaStart_ = headerOffset_ + kFileHeaderSize + kReservedAreaLengthSize + reservedAreaLength_;
}

void TDVXDiskPageManager::WriteHeader() {
  if (readOnly_) return;
  if (!file_.IsOpen()) throw EDVXException(kErrWriteHeader, "Error - database file is not opened.");
  uint8_t bytes[kFileHeaderSize + kReservedAreaLengthSize];
  header_.Encode(bytes);
  PutU16(bytes + kFileHeaderSize, static_cast<uint16_t>(reservedAreaLength_));
  file_.WriteBuffer(bytes, kErrWriteHeader, headerOffset_, sizeof bytes);
  int64_t end = headerOffset_ + kFileHeaderSize + kReservedAreaLengthSize + reservedAreaLength_;
  if (file_.GetSize() < end) file_.SetSize(end);
}

bool TDVXDiskPageManager::IsDatabaseFile(const std::string& fileName) {
  if (file_.IsOpen()) {
    if (file_.FileName() != fileName)
      throw EDVXException(kErrIsDatabaseFileParam, "Invalid parameter DatabaseFileName = %s, FDatabaseFile.FileName = %s",
                          {fileName, file_.FileName()});
    return FindHeaderOffset() >= 0;
  }
  if (!file_.FileSystem().Exists(fileName)) return false;
  uint8_t access = kAccessReadOnly, share = kShareDenyNone;
  file_.OpenFile(fileName, access, share);
  int64_t offset = -1;
  try {
    offset = FindHeaderOffset();
  } catch (...) {
    file_.CloseFile();
    throw;
  }
  file_.CloseFile();
  return offset >= 0;
}

void TDVXDiskPageManager::TruncateAtHeader(const std::string& fileName) {
  bool openedHere = false;
  if (!file_.IsOpen()) {
    if (!file_.FileSystem().Exists(fileName)) return;
    uint8_t access = kAccessReadWrite, share = kShareExclusive;
    file_.OpenFile(fileName, access, share);
    openedHere = true;
  }
  try {
    int64_t offset = FindHeaderOffset();
    if (offset >= 0) file_.SetSize(offset);
  } catch (...) {
    if (openedHere) file_.CloseFile();
    throw;
  }
  if (openedHere) file_.CloseFile();
}

// --- lock bytes and the state counter -----------------------------------------

// The lock bytes are taken once per process and counted: only the first of
// nested calls locks the byte in the file (retrying as the lock parameters
// say), the depth counts the rest. The caller holds the manager's lock.
bool TDVXDiskPageManager::LockNestedByte(int& depth, int64_t position) {
  if (depth > 0) {
    ++depth;
    return true;
  }
  if (!RetryLoop(lockParams_, [&] { return file_.LockByte(position); })) return false;
  depth = 1;
  return true;
}

bool TDVXDiskPageManager::LockStateByte() {
  TDVXLockGuard guard(Lock());
  return LockNestedByte(stateLockDepth_, StateLockBytePosition());
}

// Only the last of nested unlocks releases the byte in the file; false when
// the operating system refused to.
bool TDVXDiskPageManager::UnlockNestedByte(int& depth, int64_t position) {
  if (depth == 0) return true;
  if (--depth == 0 && file_.IsOpen()) return file_.UnlockByte(position);
  return true;
}

bool TDVXDiskPageManager::UnlockStateByte() {
  TDVXLockGuard guard(Lock());
  return UnlockNestedByte(stateLockDepth_, StateLockBytePosition());
}

bool TDVXDiskPageManager::LockTablesByte() {
  TDVXLockGuard guard(Lock());
  return LockNestedByte(tablesLockDepth_, TablesLockBytePosition());
}

void TDVXDiskPageManager::UnlockTablesByte() {
  TDVXLockGuard guard(Lock());
  UnlockNestedByte(tablesLockDepth_, TablesLockBytePosition());
}

TDVXLockByteGuard::TDVXLockByteGuard(TDVXDiskPageManager& pageManager, TDVXLockByte byte,
                                     const std::function<EDVXException()>& refused)
    : pageManager_(pageManager), byte_(byte) {
  bool taken = byte == TDVXLockByte::State ? pageManager.LockStateByte() : pageManager.LockTablesByte();
  if (!taken) throw refused();
  held_ = true;
}

TDVXLockByteGuard::~TDVXLockByteGuard() {
  try {
    Release();
  } catch (...) {
  }
}

bool TDVXLockByteGuard::Release() {
  if (!held_) return true;
  held_ = false;
  if (byte_ == TDVXLockByte::State) return pageManager_.UnlockStateByte();
  pageManager_.UnlockTablesByte();
  return true;
}

void TDVXLockByteGuard::Release(const std::function<EDVXException()>& failed) {
  if (!Release()) throw failed();
}

int32_t TDVXDiskPageManager::IncrementStateCounter() {
  TDVXLockGuard guard(Lock());
  // A commit that writes no page: the same locked header read and write.
  EndCommit(BeginCommit(), true, true);
  return header_.stateCounter;
}
int32_t TDVXDiskPageManager::GetStateCounter() {
  TDVXLockGuard guard(Lock());
  if (!Exclusive() && file_.IsOpen()) ReadHeader();
  return header_.stateCounter;
}

int32_t TDVXDiskPageManager::BeginCommit() {
  CheckWritable();
  auto lock = std::make_unique<TDVXLockByteGuard>(*this, TDVXLockByte::State, [&] {
    return EDVXException(kErrLockState, "Error locking State in database '%s'", {FileName()});
  });
  ReadHeader();
  commitLock_ = std::move(lock);
  return header_.stateCounter + 1;
}

void TDVXDiskPageManager::EndCommit(int32_t stamp, bool ok, bool anyWritten) {
  std::unique_ptr<TDVXLockByteGuard> lock = std::move(commitLock_);
  // Even a failed commit that reached the file raises the counter, so
  // other processes reread what it may have changed.
  if (ok || anyWritten) {
    header_.stateCounter = stamp;
    WriteHeader();
  }
  lock->Release([&] { return EDVXException(kErrUnlockState, "Error unlocking State in database '%s'", {FileName()}); });
}

// --- pages -------------------------------------------------------------------

void TDVXDiskPageManager::CheckWritable() {
  if (readOnly_)
    throw EDVXException(kErrReadOnlyDatabase, "Cannot change database file '%s' - it is opened read only",
                        {file_.FileName()});
}

int64_t TDVXDiskPageManager::PagePosition(int32_t pageNo, int32_t errorCode) const {
  if (pageNo < 0) throw EDVXException(errorCode, "Invalid PageNo = %d", {pageNo});
  return pageAreaStart_ + static_cast<int64_t>(pageNo) * PageSize();
}

void TDVXDiskPageManager::CheckPageNo(int32_t pageNo) {
  if (pageNo >= 0 && pageNo < header_.pageCount) return;
  // Another process may have grown the file since the header was read.
  if (pageNo >= 0 && !Exclusive()) ReadHeader();
  if (pageNo < 0 || pageNo >= header_.pageCount) throw EDVXException(kErrInvalidPageNo, "Invalid PageNo = %d", {pageNo});
}

void TDVXDiskPageManager::ReadArea(void* buffer, int64_t position, size_t count, int32_t errorCode) {
  if (Encrypted() && !encryption_.HasCipher())
    throw EDVXException(errorCode, "Error - database file '%s' was opened without its encryption key", {FileName()});
  file_.ReadBuffer(buffer, errorCode, position, count);
  if (encryption_.HasCipher()) {
    auto* bytes = static_cast<uint8_t*>(buffer);
    encryption_.Decrypt(static_cast<uint64_t>(position - headerOffset_), bytes, bytes, count);
  }
}

void TDVXDiskPageManager::WriteArea(const void* buffer, int64_t position, size_t count, int32_t errorCode) {
  CheckWritable();
  if (Encrypted() && !encryption_.HasCipher())
    throw EDVXException(errorCode, "Error - database file '%s' was opened without its encryption key", {FileName()});
  if (!encryption_.HasCipher()) {
    file_.WriteBuffer(buffer, errorCode, position, count);
    return;
  }
  // Writes encipher a copy; the caller's buffer never changes.
  TDVXBufferPtr copy = AllocBuffer(count ? count : 1, false);
  encryption_.Encrypt(static_cast<uint64_t>(position - headerOffset_), static_cast<const uint8_t*>(buffer), copy.get(),
                   count);
  file_.WriteBuffer(copy.get(), errorCode, position, count);
}

void TDVXDiskPageManager::ReadWholePage(uint8_t* buffer, int32_t pageNo, int32_t errorCode) {
  CheckPageNo(pageNo);
  ReadArea(buffer, PagePosition(pageNo), static_cast<size_t>(PageSize()), errorCode);
}

void TDVXDiskPageManager::WriteWholePage(const uint8_t* buffer, int32_t pageNo, int32_t errorCode) {
  CheckPageNo(pageNo);
  WriteArea(buffer, PagePosition(pageNo), static_cast<size_t>(PageSize()), errorCode);
}

// A part of a page: `count` bytes from `offset` behind the page header (a
// negative offset reaches into the header), all within the page.
void TDVXDiskPageManager::CheckPagePart(int32_t pageNo, int count, int offset, int32_t errorCode) {
  if (count < 0 || offset < -kPageHeaderSize || offset + count + kPageHeaderSize > PageSize())
    throw EDVXException(errorCode, "Error - invalid page offset = %d, page size = %d",
                        {offset + count + kPageHeaderSize, PageSize()});
  CheckPageNo(pageNo);
}

void TDVXDiskPageManager::ReadPagePart(void* buffer, int32_t pageNo, int count, int offset) {
  TDVXLockGuard guard(Lock());
  CheckPagePart(pageNo, count, offset, kErrReadPartOffset);
  if (!Encrypted()) {
    ReadArea(buffer, PagePosition(pageNo) + kPageHeaderSize + offset, static_cast<size_t>(count), kErrReadPagePart);
    return;
  }
  TDVXBufferPtr page = AllocBuffer(static_cast<size_t>(PageSize()), false);
  ReadArea(page.get(), PagePosition(pageNo), static_cast<size_t>(PageSize()), kErrReadPartEncrypted);
  if (count > 0) std::memcpy(buffer, page.get() + kPageHeaderSize + offset, static_cast<size_t>(count));
}

void TDVXDiskPageManager::WritePagePart(const void* buffer, int32_t pageNo, int count, int offset) {
  TDVXLockGuard guard(Lock());
  CheckPagePart(pageNo, count, offset, kErrWritePartOffset);
  if (!Encrypted()) {
    WriteArea(buffer, PagePosition(pageNo) + kPageHeaderSize + offset, static_cast<size_t>(count), kErrWritePagePart);
    return;
  }
  // A block mode enciphers a span as one message, so bytes can only be read
  // back through the span that wrote them. Partial writes therefore rewrite
  // the whole page, under the StateLockByte so that two processes patching
  // different parts of one page never lose each other's bytes.
  CheckWritable();
  TDVXLockByteGuard lock(*this, TDVXLockByte::State, [&] {
    return EDVXException(kErrLockState, "Error locking State in database '%s'", {FileName()});
  });
  TDVXBufferPtr page = AllocBuffer(static_cast<size_t>(PageSize()), false);
  ReadArea(page.get(), PagePosition(pageNo), static_cast<size_t>(PageSize()), kErrWritePartEncrypted);
  if (count > 0) std::memcpy(page.get() + kPageHeaderSize + offset, buffer, static_cast<size_t>(count));
  WriteArea(page.get(), PagePosition(pageNo), static_cast<size_t>(PageSize()), kErrWritePartEncrypted);
  lock.Release([&] { return EDVXException(kErrUnlockState, "Error unlocking State in database '%s'", {FileName()}); });
}

void TDVXDiskPageManager::InternalAddPage(TDVXPage& page) {
  CheckWritable();
  int32_t no = FreeSpaceManager().AllocatePage();
  if (no == -1 || no >= header_.pageCount) throw EDVXException(kErrInvalidNewPage, "Invalid PageNo = %d", {no});
  page.SetPageNo(no);
  uint8_t* buffer = page.Buffer();
  if (Encrypted()) FillRandom(buffer, static_cast<size_t>(PageSize()));
  std::memset(buffer, 0, kPageHeaderSize);
  TDVXPageHeader::Format(buffer, PageTypeIDEmpty, kNoPage, kOwnerNone);
}

void TDVXDiskPageManager::InternalRemovePage(int32_t pageNo) {
  CheckWritable();
  FreeSpaceManager().FreePage(pageNo);
}

void TDVXDiskPageManager::InternalReadPage(TDVXPage& page) {
  ReadWholePage(page.Buffer(), page.PageNo(), Encrypted() ? kErrReadPageEncrypted : kErrReadPage);
}

void TDVXDiskPageManager::InternalWritePage(TDVXPage& page) {
  WriteWholePage(page.Buffer(), page.PageNo(), Encrypted() ? kErrWritePageEncrypted : kErrWritePage);
}

void TDVXDiskPageManager::FlushBuffers() {
  if (!readOnly_ && file_.IsOpen()) file_.FlushFileBuffers();
}

void TDVXDiskPageManager::AppendPages(int32_t n) {
  header_.pageCount += n;
  int64_t end = pageAreaStart_ + static_cast<int64_t>(header_.pageCount) * PageSize();
  if (file_.GetSize() < end) file_.SetSize(end);
  WriteHeader();
}

void TDVXDiskPageManager::SetLastPage(int32_t pageNo) {
  // The smaller PageCount is written before the file is cut, so the header
  // never counts pages the file does not hold.
  header_.pageCount = pageNo + 1;
  WriteHeader();
  int64_t end = pageAreaStart_ + static_cast<int64_t>(header_.pageCount) * PageSize();
  if (file_.GetSize() != end) file_.SetSize(end);
}

void TDVXDiskPageManager::RestorePageCount(int32_t pageCount) {
  header_.pageCount = pageCount;
  int64_t end = pageAreaStart_ + static_cast<int64_t>(pageCount) * PageSize();
  if (file_.GetSize() < end) file_.SetSize(end);
  WriteHeader();
}

TDVXDatabaseFreeSpaceManager& TDVXDiskPageManager::FreeSpaceManager() {
  if (!freeSpace_) throw EDVXException(kErrWriteHeader, "Error - database file is not opened.");
  return *freeSpace_;
}

int32_t TDVXDiskPageManager::AllocatePageNo() {
  TDVXLockGuard guard(Lock());
  CheckWritable();
  int32_t no = FreeSpaceManager().AllocatePage();
  ForgetCachedPage(no);
  return no;
}

void TDVXDiskPageManager::FreePageNo(int32_t pageNo) {
  TDVXLockGuard guard(Lock());
  CheckWritable();
  FreeSpaceManager().FreePage(pageNo);
  ForgetCachedPage(pageNo);
}

}  // namespace dvx
