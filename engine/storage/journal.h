#pragma once
// TDVXJournal: the rollback journal of a database file, a file of its own
// beside it named after it ("NAME-journal"). Before a commit overwrites any
// byte of the database in place, the bytes it will overwrite are saved here;
// a commit that does not reach its commit point is undone from them.
//
// Journal file (all integers little-endian):
//   Header, 64 bytes:
//     0   4  Signature       "DVSJ"
//     4   4  Version         1
//     8   4  HeaderSize      64
//     12  4  PageSize        of the database
//     16  8  HeaderOffset    of the database within its file; every record
//                            position counts from there, so a database
//                            appended to other content journals only its
//                            own byte range
//     24  8  FileSize        the database file's length before the commit
//     32  4  PageCount       PageCount before the commit
//     36  4  StateCounter    StateCounter before the commit (N); the commit
//                            writes N + 1
//     40  4  RecordCount     records that follow, at least 1
//     44  4  Nonce           random per commit, part of every record checksum
//     48  4  Identity        CRC-32 of the database header's bytes that never
//                            change while the database exists (all but
//                            PageCount and StateCounter)
//     52  8  Length          bytes of the journal the header and records fill
//     60  4  HeaderSum       CRC-32 of bytes 0 to 59
//   Records, one after another from offset 64:
//     0   8  Position        relative to HeaderOffset
//     8   4  Count           bytes saved
//     12  4  Checksum        CRC-32 of Nonce, Position, Count and the bytes
//     16  Count              the original bytes, as they were on disk (an
//                            encrypted database's pages stay enciphered)
//   The first record is the database header (position 0, 296 bytes: the
//   FileHeader and ReservedAreaLength); each further record one page
//   (PageSize bytes at a page's position). Pages the commit took from the
//   free space are not saved: nothing referred to them before it.
//
// A journal is valid when its header has the signature, version and
// HeaderSum, and every record's checksum holds with the header's Nonce. A
// header whose records did not all reach the disk (a crash before the
// journal was synced) fails the record checksums: the old bytes of an
// earlier journal carry another nonce. A zeroed header is no journal.
//
// Order of writes and syncs of a commit (the StateLockByte is held from
// step 1 to step 9, so there is one commit at a time and a valid journal
// whose database nobody holds the StateLockByte of belongs to a commit
// that was abandoned):
//   1. Take the StateLockByte; play back an abandoned journal first.
//   2. Write header and records in one pass.
//   3. Sync the journal.              Needed: the journal must be durable
//                                     before the first byte of the database
//                                     changes, or a crash could leave pages
//                                     half new with nothing to undo them.
//   4. Write the pages in place, then the header with StateCounter N + 1.
//   5. Sync the database.             Needed: every new page must be
//                                     durable before the journal goes, or a
//                                     crash after step 6 could lose some of
//                                     them with no journal left to undo the
//                                     others.
//   6. Zero the journal header.       The commit point. Not synced by
//                                     itself: if the zeroing is lost, the
//                                     journal undoes a commit whose pages
//                                     all reached the disk, which gives the
//                                     state before it, never a torn one.
//   7. Sync the journal, only when the commit releases pages. Needed: a
//                                     released page is marked free in step
//                                     8; if the zeroing were lost while the
//                                     free bit reached the disk, the
//                                     journal would bring back a structure
//                                     that refers to a page the bitmaps
//                                     hand out again.
//   8. Free the released pages in the bitmaps.
//   9. Release the StateLockByte.
// So a commit costs two syncs, three when it releases pages.
//
// Playback (recovery, or the undo of a commit that failed before its
// commit point): the file is made at least FileSize long, every record is
// written back (the header record with the current PageCount, which the
// journal never rolls back because allocations are shared between
// programs, and with a StateCounter above both the journal's and the
// file's, so every program rereads its cached pages), the database is
// synced, and only then the journal is emptied. Playing back twice gives
// the same file.
//
// A journal is never played back onto a database it does not belong to:
// PageSize, HeaderOffset and Identity must match, the file's StateCounter
// must be N or N + 1 (no commit came after it) and its PageCount at least
// the journal's.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/platform/file.h"

namespace dvx {

constexpr char kJournalFileSuffix[] = "-journal";
constexpr char kJournalSignature[4] = {'D', 'V', 'S', 'J'};
constexpr uint32_t kJournalVersion = 1;
constexpr int kJournalHeaderSize = 64;
constexpr int kJournalRecordHeaderSize = 16;
// The database header as a commit rewrites it: FileHeader and
// ReservedAreaLength.
constexpr int kJournaledHeaderBytes = 296;

struct TDVXJournalHeader {
  uint32_t pageSize = 0;
  int64_t headerOffset = 0;
  int64_t fileSize = 0;
  int32_t pageCount = 0;
  int32_t stateCounter = 0;
  uint32_t recordCount = 0;
  uint32_t nonce = 0;
  uint32_t identity = 0;
  int64_t length = 0;

  void Encode(uint8_t* out) const;  // kJournalHeaderSize bytes, HeaderSum included
  // False unless signature, version, header size and HeaderSum hold.
  static bool Decode(const uint8_t* in, TDVXJournalHeader& header);
};

struct TDVXJournalRecord {
  int64_t position = 0;
  std::vector<uint8_t> bytes;
};

// The checksum a record carries.
uint32_t JournalRecordChecksum(uint32_t nonce, int64_t position, const uint8_t* bytes, uint32_t count);
// The identity of a database: CRC-32 of its 296 header bytes without
// PageCount and StateCounter.
uint32_t JournalIdentity(const uint8_t* headerBytes);

class TDVXJournal {
 public:
  enum class TState { None, Invalid, Valid };

  explicit TDVXJournal(TDVXFileSystem& fileSystem) : fileSystem_(fileSystem) {}
  ~TDVXJournal();
  TDVXJournal(const TDVXJournal&) = delete;
  TDVXJournal& operator=(const TDVXJournal&) = delete;

  // The database file the journal belongs to; `writable` decides whether
  // the journal file may be created and changed.
  void Attach(const std::string& databaseFileName, bool writable);
  void Detach();
  const std::string& FileName() const { return fileName_; }
  static std::string FileNameFor(const std::string& databaseFileName) {
    return databaseFileName + kJournalFileSuffix;
  }

  // Writes header and records and syncs the journal (steps 2 and 3).
  // Raises with `errorCode` when the journal cannot be written.
  void Write(const TDVXJournalHeader& header, const std::vector<TDVXJournalRecord>& records, int32_t errorCode);
  // Zeroes the header (the commit point); `sync` makes that durable.
  void Invalidate(bool sync, int32_t errorCode);
  // Empties the journal file (after a playback, or to drop an invalid one).
  void Discard(int32_t errorCode);
  // Removes the journal file; quietly, for a closing program that had the
  // database to itself.
  void RemoveQuietly();

  // What the journal file holds now: None (no file, empty or zeroed
  // header), Invalid (a header that fails its checks), Valid (a header
  // that passes; the records are checked by ReadRecords).
  TState Inspect(TDVXJournalHeader* header);
  // The records of a valid header; false when one of them is missing or
  // fails its checksum (the journal was not complete).
  bool ReadRecords(const TDVXJournalHeader& header, std::vector<TDVXJournalRecord>& records);

 private:
  // Opens the journal file when it exists (or, writing, creates it).
  bool OpenFile(bool create, int32_t errorCode);
  [[noreturn]] void Fail(int32_t errorCode, const char* operation);

  TDVXFileSystem& fileSystem_;
  std::string fileName_;
  bool writable_ = false;
  std::unique_ptr<TDVXFile> file_;
};

}  // namespace dvx
