#pragma once
// TDVXDiskPageManager: the page manager of a database file. It owns the
// file, its header and the free space manager, and is the only way pages
// reach the file (the page cache of TDVXPageManager above it, direct
// transfers for free-space bitmaps and direct internal files beside it).
//
// Between processes, the StateLockByte serialises commits and allocations:
// a commit holds it from before its first page write until after the new
// StateCounter is in the header, so another process never stamps old page
// contents with the new counter. A manager that shares its file (not
// Exclusive) rereads the header once per read bracket (page_manager.h,
// invariant 6), or on every GetPage of a cached page outside one, and
// rereads the page when the counter has moved. An exclusive open never
// rereads it.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/core/exception.h"
#include "engine/crypto/crypto_info.h"
#include "engine/storage/database_file.h"
#include "engine/storage/file_header.h"
#include "engine/storage/journal.h"
#include "engine/storage/lock_retry.h"
#include "engine/storage/page_crypto.h"
#include "engine/storage/page_encryption.h"
#include "engine/storage/page_manager.h"
#include "engine/storage/storage_errors.h"

namespace dvx {

class TDVXDatabaseFreeSpaceManager;
class TDVXLockByteGuard;

// The database-wide lock bytes: the StateLockByte serialises commits,
// allocations and header changes; the TablesLockByte guards the table list.
enum class TDVXLockByte { State, Tables };

class TDVXDiskPageManager : public TDVXPageManager {
 public:
  explicit TDVXDiskPageManager(TDVXLockParams lockParams = {},
                               TDVXFileSystem& fileSystem = TDVXFileSystem::Default());
  ~TDVXDiskPageManager() override;

  // `crypto` supplies the algorithm, mode and key of a new encrypted
  // database; its key is derived before the file is created.
  void CreateDatabaseFile(const std::string& fileName, int pageSize, int extentPageCount,
                          const TDVXCryptoInfo& crypto = {});
  // `readOnly` is in/out (a read-only file forces it); the header's
  // algorithm and mode are written back into `crypto`. With `skipKeyCheck`
  // no cipher is built (no key derivation): header values can be read, the
  // page area of an encrypted file cannot.
  void OpenDatabaseFile(const std::string& fileName, bool& readOnly, bool skipKeyCheck, bool exclusive,
                        TDVXCryptoInfo& crypto);
  void CloseDatabaseFile();
  bool IsOpen() const { return file_.IsOpen(); }

  int64_t FindHeaderOffset();
  bool IsDatabaseFile(const std::string& fileName);
  void TruncateAtHeader(const std::string& fileName);

  void ReadHeader();
  void WriteHeader();

  // `offset` counts from the page's data area; -40 reaches the page header.
  // In an encrypted database both transfer the whole page through the
  // cipher (a write under the StateLockByte), so every page on disk is one
  // enciphered message whatever spans wrote it.
  void ReadPagePart(void* buffer, int32_t pageNo, int count, int offset);
  void WritePagePart(const void* buffer, int32_t pageNo, int count, int offset);
  // Whole-page transfers that bypass the cache (free-space bitmaps, checks).
  void ReadWholePage(uint8_t* buffer, int32_t pageNo, int32_t errorCode);
  void WriteWholePage(const uint8_t* buffer, int32_t pageNo, int32_t errorCode);

  // Called by the free space manager under the StateLockByte.
  void AppendPages(int32_t n);
  // Growing: the file is made long enough for `pageCount` pages and the
  // new bitmap pages are written there (WriteNewPage, beyond PageCount)
  // before AppendPages makes PageCount cover them.
  void ExtendFile(int32_t pageCount);
  void WriteNewPage(const uint8_t* buffer, int32_t pageNo, int32_t errorCode);
  void SetLastPage(int32_t pageNo);
  // Puts PageCount back after a failed free-space operation; the file is
  // made long enough for it.
  void RestorePageCount(int32_t pageCount);
  // Page numbers straight from the free space manager (direct internal
  // files); not part of any change set.
  int32_t AllocatePageNo();
  void FreePageNo(int32_t pageNo);
  TDVXDatabaseFreeSpaceManager& FreeSpaceManager();

  // The database-wide lock bytes. Taking them nests within one manager
  // (a commit's page frees take the StateLockByte it already holds).
  bool LockStateByte();
  // False when the operating system refused to release the byte.
  bool UnlockStateByte();
  bool LockTablesByte();
  void UnlockTablesByte();
  bool IsByteLocked(int64_t position) { return file_.IsByteLocked(position); }
  int64_t StateLockBytePosition() const { return headerOffset_ + kStateLockByteOffset; }
  int64_t TablesLockBytePosition() const { return headerOffset_ + kTablesLockByteOffset; }

  int32_t GetPageCount() override { return header_.pageCount; }
  int32_t IncrementStateCounter() override;
  int32_t GetStateCounter() override;
  void InternalAddPage(TDVXPage& page) override;
  void InternalRemovePage(int32_t pageNo) override;
  void InternalReadPage(TDVXPage& page) override;
  void InternalWritePage(TDVXPage& page) override;
  void FlushBuffers() override;

  const TDVXFileHeader& Header() const { return header_; }
  int ReservedAreaLength() const { return reservedAreaLength_; }
  int64_t HeaderOffset() const { return headerOffset_; }
  int64_t PageAreaStart() const { return pageAreaStart_; }
  int64_t PagePosition(int32_t pageNo, int32_t errorCode = kErrInvalidPageNo) const;
  bool ReadOnly() const { return readOnly_; }
  bool Encrypted() const { return header_.cryptoAlgorithm != craNone; }
  const TDVXLockParams& LockParams() const { return lockParams_; }
  TDVXDatabaseFile& DatabaseFile() { return file_; }
  const std::string& FileName() const { return file_.FileName(); }
  // Random bytes for page space never written (encrypted databases).
  void FillRandom(uint8_t* buffer, size_t count);

  // Test hook: called with the name of each commit step as it is done
  // ("journal synced", "database synced", "commit point").
  void SetTestCommitStepHook(std::function<void(const char*)> hook) { testCommitStepHook_ = std::move(hook); }

  // The journal beside the database file.
  TDVXJournal& Journal() { return journal_; }
  // Abandoned journals this manager played back.
  int Recoveries() const { return recoveries_; }

  // Replaces the process-wide crypto provider for this manager.
  void SetCryptoProvider(TDVXPageCryptoProvider provider) { encryption_.SetProvider(std::move(provider)); }

 protected:
  int32_t BeginCommit(const std::vector<TDVXPage*>& pages, const std::set<int32_t>& added) override;
  void CommitPoint(int32_t stamp, bool releases) override;
  void AbortCommit() override;
  void EndCommit() override;
  void CheckPageNo(int32_t pageNo) override;
  const char* ClassName() const override { return "TDVXDiskPageManager"; }

 private:
  bool ProbeHeader(int64_t position, int64_t fileSize, bool atStart);
  void ValidateHeader();
  void CheckWritable();
  void ReadSalt(uint8_t* salt);
  // Page-area transfers at a file position, through the cipher. In an
  // encrypted database only whole pages pass here.
  void ReadArea(void* buffer, int64_t position, size_t count, int32_t errorCode);
  void WriteArea(const void* buffer, int64_t position, size_t count, int32_t errorCode);
  void CloseQuietly();
  void PlayBack(const TDVXJournalHeader& header, const std::vector<TDVXJournalRecord>& records);
  bool JournalBelongsHere(const TDVXJournalHeader& header);
  bool RecordsFit(const TDVXJournalHeader& header, const std::vector<TDVXJournalRecord>& records);
  void RecoverJournal();
  friend class TDVXLockByteGuard;
  bool LockNestedByte(int& depth, int64_t position);
  bool UnlockNestedByte(int& depth, int64_t position);
  void CheckPagePart(int32_t pageNo, int count, int offset, int32_t errorCode);

  TDVXLockParams lockParams_;
  TDVXDatabaseFile file_;
  TDVXFileHeader header_;
  int reservedAreaLength_ = kNewReservedAreaLength;
  int64_t headerOffset_ = 0;
  int64_t pageAreaStart_ = 0;
  bool readOnly_ = false;
  TDVXCryptoInfo crypto_;
  // Guarded by the manager's lock.
  TDVXPageEncryption encryption_;
  std::unique_ptr<TDVXDatabaseFreeSpaceManager> freeSpace_;
  int stateLockDepth_ = 0;
  int tablesLockDepth_ = 0;
  // Held from BeginCommit to EndCommit.
  std::unique_ptr<TDVXLockByteGuard> commitLock_;
  TDVXJournal journal_;
  // What the commit under way journaled, for its own undo.
  TDVXJournalHeader journalHeader_;
  std::vector<TDVXJournalRecord> journalRecords_;
  int recoveries_ = 0;
  std::function<void(const char*)> testCommitStepHook_;
};

// Holds one of the lock bytes for a scope, so no path (an exception
// included) leaves it taken. The constructor takes the byte as the lock
// parameters allow, or throws what `refused` returns. Release gives it back
// and says whether the operating system did; a guard not released gives
// the byte back quietly when it goes.
class TDVXLockByteGuard {
 public:
  TDVXLockByteGuard(TDVXDiskPageManager& pageManager, TDVXLockByte byte,
                    const std::function<EDVXException()>& refused);
  ~TDVXLockByteGuard();
  TDVXLockByteGuard(const TDVXLockByteGuard&) = delete;
  TDVXLockByteGuard& operator=(const TDVXLockByteGuard&) = delete;
  bool Release();
  // Release, throwing what `failed` returns when the byte was not given back.
  void Release(const std::function<EDVXException()>& failed);

 private:
  TDVXDiskPageManager& pageManager_;
  TDVXLockByte byte_;
  bool held_ = false;
};

}  // namespace dvx
