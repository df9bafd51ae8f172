#include "engine/storage/disk_page_manager.h"
#include "engine/core/cleanup_failures.h"
#include "engine/storage/storage_errors.h"
#include "engine/storage/owner_ids.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/core/exception.h"
#include "engine/storage/free_space_manager.h"
#include "engine/core/platform/random.h"

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
      file_(fileSystem),
      journal_(fileSystem) {}

TDVXDiskPageManager::~TDVXDiskPageManager() { CloseQuietly(); }

void TDVXDiskPageManager::CloseQuietly() {
  DiscardAllPages();
  freeSpace_.reset();
  encryption_.Clear();
  crypto_.Clear();
  commitLock_.reset();
  journalRecords_.clear();
  journal_.Detach();
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
    // A journal left beside an earlier file of this name belongs to nothing
    // now.
    journal_.Attach(fileName, true);
    journal_.RemoveQuietly();
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
    journal_.Attach(fileName, !readOnly_);
    SetExclusive(exclusive);
    // An abandoned journal is played back before the database is used (a
    // read-only open is refused instead). While another program holds the
    // StateLockByte it is committing, and recovers nothing of anybody's.
    if (journal_.Inspect(nullptr) != TDVXJournal::TState::None) {
      if (LockStateByte()) {
        if (!UnlockStateByte())
          throw EDVXException(kErrUnlockState, "Error unlocking State in database '%s'", {FileName()});
      }
    }
  } catch (...) {
    CloseQuietly();
    throw;
  }
}

void TDVXDiskPageManager::CloseDatabaseFile() {
  if (!file_.IsOpen()) return;
  CheckNoDirtyPages();
  FlushBuffers();
  // A program that had the database to itself leaves no empty journal
  // behind; shared programs keep it, since another one may be writing it.
  if (Exclusive() && !readOnly_ && journal_.Inspect(nullptr) == TDVXJournal::TState::None) journal_.RemoveQuietly();
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

// The first of nested takes also plays back an abandoned journal: whoever
// takes the StateLockByte next after a program died in a commit recovers
// the database before using it, so two programs racing to recover recover
// once.
bool TDVXDiskPageManager::LockStateByte() {
  TDVXLockGuard guard(Lock());
  const bool first = stateLockDepth_ == 0;
  if (!LockNestedByte(stateLockDepth_, StateLockBytePosition())) return false;
  if (first && file_.IsOpen() && PageSize() != 0) {
    try {
      RecoverJournal();
    } catch (...) {
      UnlockNestedByte(stateLockDepth_, StateLockBytePosition());
      throw;
    }
  }
  return true;
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
    NoteCleanupFailure("releasing a lock byte");
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
  // A commit that writes no page: the header alone goes through the journal.
  int32_t stamp = BeginCommit({}, {});
  try {
    CommitPoint(stamp, false);
  } catch (...) {
    try {
      AbortCommit();
    } catch (...) {
      NoteCleanupFailure("aborting a failed commit");
    }
    EndCommit();
    throw;
  }
  EndCommit();
  return header_.stateCounter;
}

int32_t TDVXDiskPageManager::GetStateCounter() {
  TDVXLockGuard guard(Lock());
  if (!Exclusive() && file_.IsOpen()) {
    ReadHeader();
    // A program that had the file open before another one died in a commit
    // must not read the pages that commit left half written: the journal is
    // played back first (taking the StateLockByte does that), and the new
    // counter then makes every cached page be read again.
    if (stateLockDepth_ == 0 && journal_.Inspect(nullptr) == TDVXJournal::TState::Valid) {
      TDVXLockByteGuard lock(*this, TDVXLockByte::State, [&] {
        return EDVXException(kErrLockState, "Error locking State in database '%s'", {FileName()});
      });
      ReadHeader();
    }
  }
  return header_.stateCounter;
}

// --- commits through the journal ----------------------------------------------
// The order of writes and syncs and why each sync is needed: journal.h.

int32_t TDVXDiskPageManager::BeginCommit(const std::vector<TDVXPage*>& pages, const std::set<int32_t>& added) {
  CheckWritable();
  auto lock = std::make_unique<TDVXLockByteGuard>(*this, TDVXLockByte::State, [&] {
    return EDVXException(kErrLockState, "Error locking State in database '%s'", {FileName()});
  });
  // An exclusive open is the only writer of its header: the one in memory
  // is the file's.
  if (!Exclusive()) ReadHeader();
  TDVXJournalHeader header;
  header.pageSize = static_cast<uint32_t>(PageSize());
  header.headerOffset = headerOffset_;
  header.fileSize = file_.GetSize();
  header.pageCount = header_.pageCount;
  header.stateCounter = header_.stateCounter;
  TDVXRandom::System().Fill(&header.nonce, sizeof header.nonce);
  std::vector<TDVXJournalRecord> records;
  records.push_back({0, std::vector<uint8_t>(kJournaledHeaderBytes)});
  file_.ReadBuffer(records.back().bytes.data(), kErrReadHeader, headerOffset_, kJournaledHeaderBytes);
  header.identity = JournalIdentity(records.back().bytes.data());
  for (TDVXPage* page : pages) {
    if (added.count(page->PageNo())) continue;
    CheckPageNo(page->PageNo());
    const int64_t position = PagePosition(page->PageNo());
    records.push_back({position - headerOffset_, std::vector<uint8_t>(static_cast<size_t>(PageSize()))});
    file_.ReadBuffer(records.back().bytes.data(), Encrypted() ? kErrReadPageEncrypted : kErrReadPage, position,
                     static_cast<size_t>(PageSize()));
  }
  header.recordCount = static_cast<uint32_t>(records.size());
  header.length = kJournalHeaderSize;
  for (const auto& r : records) header.length += kJournalRecordHeaderSize + static_cast<int64_t>(r.bytes.size());
  try {
    journal_.Write(header, records, kErrWriteJournal);
  } catch (...) {
    // Nothing of the database has changed; a journal that reached the disk
    // in part fails its checksums and one that reached it whole restores
    // bytes that were never overwritten.
    try {
      journal_.Invalidate(false, kErrWriteJournal);
    } catch (...) {
      NoteCleanupFailure("invalidating the journal after a failed write");
    }
    throw;
  }
  journalHeader_ = header;
  journalRecords_ = std::move(records);
  commitLock_ = std::move(lock);
  if (testCommitStepHook_) testCommitStepHook_("journal synced");
  return header.stateCounter + 1;
}

void TDVXDiskPageManager::CommitPoint(int32_t stamp, bool releases) {
  header_.stateCounter = stamp;
  WriteHeader();
  file_.FlushFileBuffers();
  if (testCommitStepHook_) testCommitStepHook_("database synced");
  journal_.Invalidate(releases, kErrWriteJournal);
  journalRecords_.clear();
  if (testCommitStepHook_) testCommitStepHook_("commit point");
}

void TDVXDiskPageManager::AbortCommit() {
  // The process is alive and holds the StateLockByte: it undoes its own
  // commit at once from what it journaled. When that fails too, the journal
  // stays valid and the next program to take the StateLockByte (this one
  // included) plays it back.
  std::vector<TDVXJournalRecord> records = std::move(journalRecords_);
  journalRecords_.clear();
  if (records.empty()) return;
  PlayBack(journalHeader_, records);
  journal_.Discard(kErrWriteJournal);
}

void TDVXDiskPageManager::EndCommit() {
  std::unique_ptr<TDVXLockByteGuard> lock = std::move(commitLock_);
  journalRecords_.clear();
  if (lock)
    lock->Release(
        [&] { return EDVXException(kErrUnlockState, "Error unlocking State in database '%s'", {FileName()}); });
}

// Writes the saved bytes back (see journal.h), syncs the database and
// rereads the header; the caller then empties the journal.
void TDVXDiskPageManager::PlayBack(const TDVXJournalHeader& header, const std::vector<TDVXJournalRecord>& records) {
  uint8_t current[kJournaledHeaderBytes];
  file_.ReadBuffer(current, kErrReadHeader, headerOffset_, sizeof current);
  const TDVXFileHeader onDisk = TDVXFileHeader::Decode(current);
  if (file_.GetSize() < header.fileSize) file_.SetSize(header.fileSize);
  for (const auto& r : records) {
    std::vector<uint8_t> bytes = r.bytes;
    if (r.position == 0) {
      TDVXFileHeader restored = TDVXFileHeader::Decode(bytes.data());
      restored.pageCount = std::max(onDisk.pageCount, header.pageCount);
      restored.stateCounter = std::max(onDisk.stateCounter, header.stateCounter) + 1;
      restored.Encode(bytes.data());
    }
    file_.WriteBuffer(bytes.data(), r.position == 0 ? kErrWriteHeader : kErrWritePage, headerOffset_ + r.position,
                      bytes.size());
  }
  file_.FlushFileBuffers();
  ReadHeader();
}

// Whether a valid journal may be played back onto this database.
bool TDVXDiskPageManager::JournalBelongsHere(const TDVXJournalHeader& header) {
  uint8_t current[kJournaledHeaderBytes];
  file_.ReadBuffer(current, kErrReadHeader, headerOffset_, sizeof current);
  const TDVXFileHeader onDisk = TDVXFileHeader::Decode(current);
  return header.pageSize == static_cast<uint32_t>(PageSize()) && header.headerOffset == headerOffset_ &&
         header.identity == JournalIdentity(current) &&
         (onDisk.stateCounter == header.stateCounter || onDisk.stateCounter == header.stateCounter + 1) &&
         onDisk.pageCount >= header.pageCount && header.pageCount >= 3;
}

// Called with the StateLockByte just taken: no commit of a living program
// is under way, so a valid journal is an abandoned one.
void TDVXDiskPageManager::RecoverJournal() {
  TDVXJournalHeader header;
  TDVXJournal::TState state = journal_.Inspect(&header);
  if (state == TDVXJournal::TState::None) return;
  std::vector<TDVXJournalRecord> records;
  // An invalid header, records that did not all reach the disk (the crash
  // came before the journal was synced, so the database was never touched)
  // and a journal of another database are dropped, never played back.
  const bool playable = state == TDVXJournal::TState::Valid && JournalBelongsHere(header) &&
                        journal_.ReadRecords(header, records) && RecordsFit(header, records);
  if (readOnly_) {
    if (!playable) return;
    throw EDVXException(kErrNeedsRecovery,
                        "Database file '%s' needs recovery: a program ended in the middle of a commit. Open it "
                        "with a program that may write it",
                        {FileName()});
  }
  if (playable) {
    PlayBack(header, records);
    ++recoveries_;
    // Nothing cached may outlive the playback.
    DiscardCleanPages();
  }
  journal_.Discard(kErrWriteJournal);
}

// Every record lies where the database has a header or a page.
bool TDVXDiskPageManager::RecordsFit(const TDVXJournalHeader& header, const std::vector<TDVXJournalRecord>& records) {
  const int64_t areaStart = pageAreaStart_ - headerOffset_;
  for (size_t i = 0; i < records.size(); ++i) {
    const auto& r = records[i];
    if (i == 0) {
      if (r.position != 0 || r.bytes.size() != kJournaledHeaderBytes) return false;
      continue;
    }
    if (r.position < areaStart || (r.position - areaStart) % PageSize() != 0 ||
        r.bytes.size() != static_cast<size_t>(PageSize()) || (r.position - areaStart) / PageSize() >= header.pageCount)
      return false;
  }
  return true;
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
  uint8_t* buffer = Frame(page);
  if (Encrypted()) FillRandom(buffer, static_cast<size_t>(PageSize()));
  std::memset(buffer, 0, kPageHeaderSize);
  TDVXPageHeader::Format(buffer, PageTypeIDEmpty, kNoPage, kOwnerNone);
}

void TDVXDiskPageManager::InternalRemovePage(int32_t pageNo) {
  CheckWritable();
  FreeSpaceManager().FreePage(pageNo);
}

void TDVXDiskPageManager::InternalReadPage(TDVXPage& page) {
  ReadWholePage(Frame(page), page.PageNo(), Encrypted() ? kErrReadPageEncrypted : kErrReadPage);
}

void TDVXDiskPageManager::InternalWritePage(TDVXPage& page) {
  WriteWholePage(page.Buffer(), page.PageNo(), Encrypted() ? kErrWritePageEncrypted : kErrWritePage);
}

void TDVXDiskPageManager::FlushBuffers() {
  if (!readOnly_ && file_.IsOpen()) file_.FlushFileBuffers();
}

void TDVXDiskPageManager::ExtendFile(int32_t pageCount) {
  int64_t end = pageAreaStart_ + static_cast<int64_t>(pageCount) * PageSize();
  if (file_.GetSize() < end) file_.SetSize(end);
}

void TDVXDiskPageManager::WriteNewPage(const uint8_t* buffer, int32_t pageNo, int32_t errorCode) {
  WriteArea(buffer, PagePosition(pageNo), static_cast<size_t>(PageSize()), errorCode);
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
