#include "engine/storage/journal.h"

#include <algorithm>
#include <cstring>

#include "engine/core/byte_order.h"
#include "engine/core/exception.h"
#include "engine/crypto/crc32.h"
#include "engine/storage/storage_errors.h"

namespace dvx {
namespace {

constexpr int kVersionOffset = 4;
constexpr int kHeaderSizeOffset = 8;
constexpr int kPageSizeOffset = 12;
constexpr int kHeaderOffsetOffset = 16;
constexpr int kFileSizeOffset = 24;
constexpr int kPageCountOffset = 32;
constexpr int kStateCounterOffset = 36;
constexpr int kRecordCountOffset = 40;
constexpr int kNonceOffset = 44;
constexpr int kIdentityOffset = 48;
constexpr int kLengthOffset = 52;
constexpr int kHeaderSumOffset = 60;

// The PageCount and StateCounter fields of the database header, which the
// identity leaves out.
constexpr int kDatabasePageCountOffset = 18;
constexpr int kDatabaseVolatileBytes = 8;

// The checksum of the journal: the engine's CRC-32 table run from all ones
// and complemented, so that leading zero bytes count.
uint32_t Sum(const void* data, size_t count, uint32_t running = 0xFFFFFFFFu) {
  return EngineCrc32(data, count, running);
}

}  // namespace

void TDVXJournalHeader::Encode(uint8_t* out) const {
  std::memset(out, 0, kJournalHeaderSize);
  std::memcpy(out, kJournalSignature, 4);
  PutU32(out + kVersionOffset, kJournalVersion);
  PutU32(out + kHeaderSizeOffset, kJournalHeaderSize);
  PutU32(out + kPageSizeOffset, pageSize);
  PutI64(out + kHeaderOffsetOffset, headerOffset);
  PutI64(out + kFileSizeOffset, fileSize);
  PutI32(out + kPageCountOffset, pageCount);
  PutI32(out + kStateCounterOffset, stateCounter);
  PutU32(out + kRecordCountOffset, recordCount);
  PutU32(out + kNonceOffset, nonce);
  PutU32(out + kIdentityOffset, identity);
  PutI64(out + kLengthOffset, length);
  PutU32(out + kHeaderSumOffset, ~Sum(out, kHeaderSumOffset));
}

bool TDVXJournalHeader::Decode(const uint8_t* in, TDVXJournalHeader& header) {
  if (std::memcmp(in, kJournalSignature, 4) != 0) return false;
  if (GetU32(in + kVersionOffset) != kJournalVersion || GetU32(in + kHeaderSizeOffset) != kJournalHeaderSize)
    return false;
  if (GetU32(in + kHeaderSumOffset) != ~Sum(in, kHeaderSumOffset)) return false;
  header.pageSize = GetU32(in + kPageSizeOffset);
  header.headerOffset = GetI64(in + kHeaderOffsetOffset);
  header.fileSize = GetI64(in + kFileSizeOffset);
  header.pageCount = GetI32(in + kPageCountOffset);
  header.stateCounter = GetI32(in + kStateCounterOffset);
  header.recordCount = GetU32(in + kRecordCountOffset);
  header.nonce = GetU32(in + kNonceOffset);
  header.identity = GetU32(in + kIdentityOffset);
  header.length = GetI64(in + kLengthOffset);
  return true;
}

uint32_t JournalRecordChecksum(uint32_t nonce, int64_t position, const uint8_t* bytes, uint32_t count) {
  uint8_t prefix[16];
  PutU32(prefix, nonce);
  PutI64(prefix + 4, position);
  PutU32(prefix + 12, count);
  return ~Sum(bytes, count, Sum(prefix, sizeof prefix));
}

uint32_t JournalIdentity(const uint8_t* headerBytes) {
  uint32_t running = Sum(headerBytes, kDatabasePageCountOffset);
  const int rest = kDatabasePageCountOffset + kDatabaseVolatileBytes;
  return ~Sum(headerBytes + rest, kJournaledHeaderBytes - rest, running);
}

TDVXJournal::~TDVXJournal() = default;

void TDVXJournal::Attach(const std::string& databaseFileName, bool writable) {
  Detach();
  fileName_ = FileNameFor(databaseFileName);
  writable_ = writable;
}

void TDVXJournal::Detach() {
  file_.reset();
  fileName_.clear();
  writable_ = false;
}

void TDVXJournal::Fail(int32_t errorCode, const char* operation) {
  throw EDVXException(errorCode, "Error - cannot %s journal file '%s'. ErrorCode:%d. ErrorMessage: %s",
                      {std::string(operation), fileName_, file_ ? file_->LastErrorCode() : 0,
                       file_ ? file_->LastError() : std::string("not open")});
}

// The journal file is opened once and kept: it is never removed while
// another program may have the database open (only a program that had it
// to itself removes it when closing), so the open file stays the one that
// the name gives.
bool TDVXJournal::OpenFile(bool create, int32_t errorCode) {
  if (file_) return true;
  if (!create && !fileSystem_.Exists(fileName_)) return false;
  TDVXFileError error;
  const bool existed = fileSystem_.Exists(fileName_);
  file_ = fileSystem_.Open(fileName_, writable_ ? TDVXFileOpen::OpenOrCreate : TDVXFileOpen::OpenExisting,
                           writable_ ? TDVXFileAccess::ReadWrite : TDVXFileAccess::ReadOnly, TDVXFileShare::Shared,
                           error);
  if (!file_) {
    if (!create) return false;
    throw EDVXException(errorCode, "Error - cannot %s journal file '%s'. ErrorCode:%d. ErrorMessage: %s",
                        {std::string("open"), fileName_, error.code, error.message});
  }
  // A new journal's name must survive a crash as well as its bytes.
  if (!existed && !fileSystem_.SyncDirectoryOf(fileName_)) Fail(errorCode, "create");
  return true;
}

void TDVXJournal::Write(const TDVXJournalHeader& header, const std::vector<TDVXJournalRecord>& records,
                        int32_t errorCode) {
  OpenFile(true, errorCode);
  std::vector<uint8_t> image(static_cast<size_t>(header.length));
  header.Encode(image.data());
  size_t at = kJournalHeaderSize;
  for (const auto& r : records) {
    const auto count = static_cast<uint32_t>(r.bytes.size());
    PutI64(image.data() + at, r.position);
    PutU32(image.data() + at + 8, count);
    PutU32(image.data() + at + 12, JournalRecordChecksum(header.nonce, r.position, r.bytes.data(), count));
    std::memcpy(image.data() + at + kJournalRecordHeaderSize, r.bytes.data(), count);
    at += kJournalRecordHeaderSize + count;
  }
  if (!file_->WriteAt(0, image.data(), image.size())) Fail(errorCode, "write");
  if (!file_->Flush()) Fail(errorCode, "sync");
}

void TDVXJournal::Invalidate(bool sync, int32_t errorCode) {
  if (!OpenFile(false, errorCode)) return;
  uint8_t zeros[kJournalHeaderSize] = {};
  if (!file_->WriteAt(0, zeros, sizeof zeros)) Fail(errorCode, "write");
  if (sync && !file_->Flush()) Fail(errorCode, "sync");
}

void TDVXJournal::Discard(int32_t errorCode) {
  if (!OpenFile(false, errorCode)) return;
  uint8_t zeros[kJournalHeaderSize] = {};
  // Zeroed first: a truncation that does not reach the disk still leaves
  // no journal behind.
  if (!file_->WriteAt(0, zeros, sizeof zeros) || !file_->SetEndOfFile(0)) Fail(errorCode, "empty");
  if (!file_->Flush()) Fail(errorCode, "sync");
}

void TDVXJournal::RemoveQuietly() {
  file_.reset();
  if (!fileName_.empty() && fileSystem_.Exists(fileName_)) fileSystem_.Remove(fileName_);
}

TDVXJournal::TState TDVXJournal::Inspect(TDVXJournalHeader* header) {
  if (!OpenFile(false, kErrReadJournal)) return TState::None;
  uint8_t bytes[kJournalHeaderSize];
  size_t done = 0;
  if (!file_->ReadAt(0, bytes, sizeof bytes, done)) Fail(kErrReadJournal, "read");
  if (done < sizeof bytes) return done == 0 ? TState::None : TState::Invalid;
  bool zero = true;
  for (uint8_t b : bytes) zero = zero && b == 0;
  if (zero) return TState::None;
  TDVXJournalHeader decoded;
  if (!TDVXJournalHeader::Decode(bytes, decoded)) return TState::Invalid;
  if (header) *header = decoded;
  return TState::Valid;
}

bool TDVXJournal::ReadRecords(const TDVXJournalHeader& header, std::vector<TDVXJournalRecord>& records) {
  records.clear();
  if (!OpenFile(false, kErrReadJournal)) return false;
  uint64_t size = 0;
  if (!file_->GetSize(size)) Fail(kErrReadJournal, "read");
  // Bounds before anything is allocated: nothing read from the file is
  // trusted.
  if (header.length < kJournalHeaderSize || static_cast<uint64_t>(header.length) > size || header.recordCount == 0 ||
      header.pageSize == 0)
    return false;
  const int64_t maxRecord = std::max<int64_t>(header.pageSize, kJournaledHeaderBytes);
  int64_t at = kJournalHeaderSize;
  for (uint32_t i = 0; i < header.recordCount; ++i) {
    uint8_t head[kJournalRecordHeaderSize];
    size_t done = 0;
    if (at + kJournalRecordHeaderSize > header.length) return false;
    if (!file_->ReadAt(static_cast<uint64_t>(at), head, sizeof head, done)) Fail(kErrReadJournal, "read");
    if (done != sizeof head) return false;
    TDVXJournalRecord record;
    record.position = GetI64(head);
    const uint32_t count = GetU32(head + 8);
    if (record.position < 0 || count == 0 || count > maxRecord ||
        at + kJournalRecordHeaderSize + count > header.length)
      return false;
    record.bytes.resize(count);
    if (!file_->ReadAt(static_cast<uint64_t>(at + kJournalRecordHeaderSize), record.bytes.data(), count, done))
      Fail(kErrReadJournal, "read");
    if (done != count) return false;
    if (GetU32(head + 12) != JournalRecordChecksum(header.nonce, record.position, record.bytes.data(), count))
      return false;
    at += kJournalRecordHeaderSize + count;
    records.push_back(std::move(record));
  }
  return at == header.length;
}

}  // namespace dvx
