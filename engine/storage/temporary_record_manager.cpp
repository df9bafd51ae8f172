#include "engine/storage/temporary_record_manager.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "engine/core/exception.h"
#include "engine/storage/memory_storage_errors.h"

namespace dvx {
namespace {

// A temporary stream that goes to its file with the first byte written.
constexpr uint64_t kFileAtOnce = 0;
constexpr int64_t kMaxRecordNumber = (int64_t{1} << 48) - 1;

int32_t RecordSizeOf(const TDVXStorageTableInfo& table) {
  const int32_t size = table.fields && table.fields->Count() > 0 ? table.fields->RecordSize() : 0;
  if (size <= 0) throw EDVXException(kErrTemporaryRecordSize, "Invalid record size = 0");
  return size;
}

int64_t LimitOf(int64_t given, int32_t recordSize) {
  if (given >= 0) return given;
  return static_cast<int64_t>(TDVXMemoryManager::Instance().AvailableMemory() / 10 /
                              static_cast<uint64_t>(recordSize));
}

}  // namespace

TDVXRecordID TDVXTemporaryRecordManager::RecordIDOfNumber(int64_t n) {
  return {static_cast<int32_t>(static_cast<uint32_t>(n & 0xFFFFFFFF)), static_cast<uint16_t>((n >> 32) & 0xFFFF)};
}

int64_t TDVXTemporaryRecordManager::NumberOfRecordID(const TDVXRecordID& recordID) {
  return static_cast<int64_t>(static_cast<uint32_t>(recordID.pageNo)) | (static_cast<int64_t>(recordID.itemNo) << 32);
}

TDVXTemporaryRecordManager::TDVXTemporaryRecordManager(const TDVXStorageTableInfo& table,
                                                       TDVXTemporaryRecordSettings settings)
    : table_(table),
      recordSize_(RecordSizeOf(table)),
      growthStep_(std::max<int64_t>(settings.growthStep, 1)),
      bufferRecords_(std::max<int32_t>(settings.bufferRecords, 1)),
      limit_(LimitOf(settings.memoryLimitRecords, recordSize_)),
      fileSystem_(settings.fileSystem ? *settings.fileSystem : TDVXFileSystem::Default()),
      directory_(std::move(settings.directory)),
      old_(static_cast<size_t>(recordSize_)),
      image_(static_cast<size_t>(recordSize_)) {}

// The temporary stream deletes its file when it goes.
TDVXTemporaryRecordManager::~TDVXTemporaryRecordManager() = default;

TDVXTemporaryStream& TDVXTemporaryRecordManager::File() {
  if (!file_) file_ = std::make_unique<TDVXTemporaryStream>(kFileAtOnce, fileSystem_, directory_);
  return *file_;
}

void TDVXTemporaryRecordManager::GrowMemory() {
  const int64_t capacity = std::min(capacity_ + growthStep_, limit_);
  TDVXBufferPtr grown = AllocBuffer(static_cast<size_t>(capacity) * static_cast<size_t>(recordSize_), false);
  if (count_ > 0) std::memcpy(grown.get(), memory_.get(), static_cast<size_t>(count_) * static_cast<size_t>(recordSize_));
  memory_ = std::move(grown);
  capacity_ = capacity;
}

void TDVXTemporaryRecordManager::FlushWaiting() {
  if (waiting_ == 0) return;
  if (waiting_ > bufferRecords_)
    throw EDVXException(kErrTemporaryWaiting, "Invalid record count = %d. Limit is %d", {waiting_, bufferRecords_});
  TDVXTemporaryStream& file = File();
  const uint64_t position = static_cast<uint64_t>(count_ - limit_ - waiting_) * static_cast<uint64_t>(recordSize_);
  // The records before the waiting ones are all in the file.
  if (position > file.Size())
    throw EDVXException(kErrTemporaryWriteSeek, "Cannot set stream position to %d. Position = %d, Size = %d",
                        {static_cast<int64_t>(position), static_cast<int64_t>(file.Position()),
                         static_cast<int64_t>(file.Size())});
  file.SetPosition(position);
  const size_t bytes = static_cast<size_t>(waiting_) * static_cast<size_t>(recordSize_);
  if (file.Write(writeBuffer_.get(), bytes) != bytes) throw EDVXException(kErrTemporaryWrite, "Error writing to stream");
  waiting_ = 0;
}

uint8_t* TDVXTemporaryRecordManager::InPlace(int64_t n) {
  if (n < limit_) return memory_.get() + static_cast<size_t>(n) * static_cast<size_t>(recordSize_);
  const int64_t firstWaiting = count_ - waiting_;
  if (n >= firstWaiting)
    return writeBuffer_.get() + static_cast<size_t>(n - firstWaiting) * static_cast<size_t>(recordSize_);
  return nullptr;
}

void TDVXTemporaryRecordManager::ReadRecord(int64_t n, uint8_t* out) {
  if (const uint8_t* at = InPlace(n)) {
    std::memcpy(out, at, static_cast<size_t>(recordSize_));
    return;
  }
  TDVXTemporaryStream& file = File();
  const uint64_t position = static_cast<uint64_t>(n - limit_) * static_cast<uint64_t>(recordSize_);
  if (position + static_cast<uint64_t>(recordSize_) > file.Size())
    throw EDVXException(kErrTemporaryReadSeek, "Cannot set stream position to %d. Position = %d, Size = %d",
                        {static_cast<int64_t>(position), static_cast<int64_t>(file.Position()),
                         static_cast<int64_t>(file.Size())});
  file.SetPosition(position);
  file.ReadBuffer(out, static_cast<size_t>(recordSize_), kErrTemporaryRead);
}

void TDVXTemporaryRecordManager::WriteFileRecord(int64_t n, const uint8_t* record) {
  TDVXTemporaryStream& file = File();
  const uint64_t position = static_cast<uint64_t>(n - limit_) * static_cast<uint64_t>(recordSize_);
  if (position + static_cast<uint64_t>(recordSize_) > file.Size())
    throw EDVXException(kErrTemporaryWriteSeek, "Cannot set stream position to %d. Position = %d, Size = %d",
                        {static_cast<int64_t>(position), static_cast<int64_t>(file.Position()),
                         static_cast<int64_t>(file.Size())});
  file.SetPosition(position);
  if (file.Write(record, static_cast<size_t>(recordSize_)) != static_cast<size_t>(recordSize_))
    throw EDVXException(kErrTemporaryWrite, "Error writing to stream");
}

int64_t TDVXTemporaryRecordManager::RecordCount(int32_t session) {
  TDVXLockGuard guard(lock_);
  return count_;
}

void TDVXTemporaryRecordManager::FreeAllPages(int32_t session) { Empty(); }

TDVXRecordID TDVXTemporaryRecordManager::InsertRecord(uint8_t* buffer, int32_t session) {
  TDVXLockGuard guard(lock_);
  if (!buffer) throw EDVXException(kErrTemporaryRetrieve, "Error retreiving record");
  if (count_ >= kMaxRecordNumber)
    throw EDVXException(kErrTemporaryRecordNo, "Invalid record No = %d", {count_});
  uint8_t* target;
  if (count_ < limit_) {
    if (count_ >= capacity_) GrowMemory();
    target = memory_.get() + static_cast<size_t>(count_) * static_cast<size_t>(recordSize_);
  } else {
    if (!writeBuffer_)
      writeBuffer_ = AllocBuffer(static_cast<size_t>(bufferRecords_) * static_cast<size_t>(recordSize_), false);
    if (waiting_ == bufferRecords_) FlushWaiting();
    target = writeBuffer_.get() + static_cast<size_t>(waiting_) * static_cast<size_t>(recordSize_);
  }
  const TDVXFieldDefs& fields = Fields();
  TDVXMemoryBlobStore::TReferences references = blobs_.Prepare(fields, buffer, nullptr);
  std::memcpy(target, buffer, static_cast<size_t>(recordSize_));
  TDVXMemoryBlobStore::FillSlots(fields, target, references);
  blobs_.Commit(fields, buffer, references, nullptr);
  if (count_ >= limit_) ++waiting_;
  return RecordIDOfNumber(count_++);
}

void TDVXTemporaryRecordManager::UpdateRecord(uint8_t* buffer, const TDVXRecordID& recordID, int32_t session) {
  TDVXLockGuard guard(lock_);
  const int64_t n = NumberOfRecordID(recordID);
  if (!buffer || !Exists(n)) throw EDVXException(kErrTemporaryRecordNo, "Invalid record No = %d", {n});
  const TDVXFieldDefs& fields = Fields();
  ReadRecord(n, old_.data());
  TDVXMemoryBlobStore::TReferences references = blobs_.Prepare(fields, buffer, old_.data());
  std::memcpy(image_.data(), buffer, static_cast<size_t>(recordSize_));
  TDVXMemoryBlobStore::FillSlots(fields, image_.data(), references);
  try {
    if (uint8_t* at = InPlace(n))
      std::memcpy(at, image_.data(), static_cast<size_t>(recordSize_));
    else
      WriteFileRecord(n, image_.data());
  } catch (...) {
    blobs_.Abort(references);
    throw;
  }
  blobs_.Commit(fields, buffer, references, old_.data());
}

void TDVXTemporaryRecordManager::DeleteRecord(const TDVXRecordID& recordID, int32_t session) {
  // Records are numbered by their place in the sequence, so only the last
  // one can go: what an insert that failed after storing its record takes
  // back. The table refuses every other delete before it gets here.
  TDVXLockGuard guard(lock_);
  const int64_t n = NumberOfRecordID(recordID);
  if (count_ == 0 || n != count_ - 1)
    throw EDVXException(kErrTemporaryNotSupported, "Error - operation is not supported");
  ReadRecord(n, old_.data());
  blobs_.ReleaseRecord(Fields(), old_.data());
  if (n >= limit_ && waiting_ > 0) --waiting_;
  --count_;
}

bool TDVXTemporaryRecordManager::RecordExists(const TDVXRecordID& recordID, int32_t session) {
  TDVXLockGuard guard(lock_);
  return Exists(NumberOfRecordID(recordID));
}

TDVXGetRecordResult TDVXTemporaryRecordManager::GetRecord(TDVXGetRecordRequest& request) {
  TDVXLockGuard guard(lock_);
  if (!request.buffer) throw EDVXException(kErrTemporaryRetrieve, "Error retreiving record");
  int64_t n;
  if (request.first) {
    if (request.mode == grmPrior) return grrBOF;
    if (request.mode != grmNext) return grrError;
    if (count_ == 0) return grrEOF;
    n = 0;
  } else if (request.last) {
    if (request.mode == grmNext) return grrEOF;
    if (request.mode != grmPrior) return grrError;
    if (count_ == 0) return grrBOF;
    n = count_ - 1;
  } else {
    const int64_t current = NumberOfRecordID(request.recordID);
    switch (request.mode) {
      case grmCurrent:
        if (!Exists(current)) return grrError;
        n = current;
        break;
      case grmNext:
        if (current + 1 >= count_) return grrEOF;
        n = current + 1;
        break;
      case grmPrior:
        if (current < 1 || count_ == 0) return grrBOF;
        n = std::min(current - 1, count_ - 1);
        break;
      default:
        return grrError;
    }
  }
  ReadRecord(n, request.buffer);
  request.first = request.last = false;
  request.recordID = RecordIDOfNumber(n);
  return grrDone;
}

int64_t TDVXTemporaryRecordManager::RecordNoOf(const TDVXRecordID& recordID, int32_t session) {
  TDVXLockGuard guard(lock_);
  const int64_t n = NumberOfRecordID(recordID);
  return Exists(n) ? n + 1 : -1;
}

TDVXRecordID TDVXTemporaryRecordManager::RecordIDOf(int64_t recordNo, int32_t session) {
  TDVXLockGuard guard(lock_);
  if (recordNo < 1 || recordNo > count_) return kNoRecordID;
  return RecordIDOfNumber(recordNo - 1);
}

void TDVXTemporaryRecordManager::Empty() {
  TDVXLockGuard guard(lock_);
  count_ = 0;
  memory_.reset();
  capacity_ = 0;
  writeBuffer_.reset();
  waiting_ = 0;
  file_.reset();
  blobs_.Clear();
}

std::unique_ptr<TDVXBlobValueStream> TDVXTemporaryRecordManager::OpenBlob(int fieldNo, const uint8_t* buffer,
                                                                          uint64_t temporaryThreshold) {
  TDVXLockGuard guard(lock_);
  return blobs_.Open(Fields(), fieldNo, buffer, temporaryThreshold);
}

}  // namespace dvx
