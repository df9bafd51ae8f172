#pragma once
// TDVXTemporaryRecordManager: the records of a temporary table (results of
// statements and of restructuring), kept in insertion order. Record n
// (0-based) lies in memory while n is below the memory limit L, and
// beyond it in a temporary file at offset (n - L) × RecordSize, written
// through a buffer of B records. Records are appended and may be
// rewritten in place; they are never deleted one by one (a temporary table
// is emptied whole).
//
// A record's RecordID holds n as a 48-bit little-endian number: PageNo
// bits 0 to 31, PageItemNo bits 32 to 47.
//
// Invariants:
//  1. Records 0 … min(count, L) - 1 are in the memory array, whose capacity
//     never exceeds L.
//  2. Of the records from L on, the last `waiting` ones are in the write
//     buffer (at most B); the others are in the file.
//  3. BLOB values are kept beside the records (TDVXMemoryBlobStore); the
//     records, in memory or in the file, hold current references to them.
//
// The file ("DVX<random>.tmp" in the temporary directory) is made when the
// write buffer is first written out and deleted when the manager is
// emptied or destroyed.
#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/memory_manager.h"
#include "engine/core/platform/file.h"
#include "engine/core/platform/temp_files.h"
#include "engine/core/temporary_stream.h"
#include "engine/storage/base_record_manager.h"
#include "engine/storage/memory_blob_store.h"
#include "engine/storage/storage_table.h"

namespace dvx {

struct TDVXTemporaryRecordSettings {
  int64_t growthStep = 1024;
  // Records in the write buffer; 0 stands for 1.
  int32_t bufferRecords = 64;
  // Records kept in memory; below 0: a tenth of the memory available to the
  // engine, in records.
  int64_t memoryLimitRecords = -1;
  TDVXFileSystem* fileSystem = nullptr;  // null: the operating system's
  std::string directory = TempDirectory();
};

class TDVXTemporaryRecordManager : public TDVXBaseRecordManager {
 public:
  // The table's fields must be laid out; 10124 when the record size is 0.
  explicit TDVXTemporaryRecordManager(const TDVXStorageTableInfo& table, TDVXTemporaryRecordSettings settings = {});
  ~TDVXTemporaryRecordManager() override;

  // The sequence number in a RecordID and back: the low 6 bytes of the
  // number, the two high bytes 0. RecordIDs compare in sequence order.
  static TDVXRecordID RecordIDOfNumber(int64_t n);
  static int64_t NumberOfRecordID(const TDVXRecordID& recordID);
  static int CompareRecordIDs(const TDVXRecordID& a, const TDVXRecordID& b) {
    const int64_t x = NumberOfRecordID(a), y = NumberOfRecordID(b);
    return x < y ? -1 : x > y ? 1 : 0;
  }

  int64_t RecordCount(int32_t session) override;
  void FreeAllPages(int32_t session) override;
  TDVXRecordID InsertRecord(uint8_t* buffer, int32_t session) override;
  void UpdateRecord(uint8_t* buffer, const TDVXRecordID& recordID, int32_t session) override;
  // Refused: "Error - operation is not supported".
  void DeleteRecord(const TDVXRecordID& recordID, int32_t session) override;
  bool RecordExists(const TDVXRecordID& recordID, int32_t session) override;
  TDVXGetRecordResult GetRecord(TDVXGetRecordRequest& request) override;
  int64_t RecordNoOf(const TDVXRecordID& recordID, int32_t session) override;
  TDVXRecordID RecordIDOf(int64_t recordNo, int32_t session) override;
  void Empty() override;

  std::unique_ptr<TDVXBlobValueStream> OpenBlob(int fieldNo, const uint8_t* buffer,
                                                uint64_t temporaryThreshold = TDVXTemporaryStream::kDefaultThreshold);

  int32_t RecordSize() const { return recordSize_; }
  int64_t MemoryLimit() const { return limit_; }
  int64_t Capacity() const { return capacity_; }
  int32_t Waiting() const { return waiting_; }
  bool HasFile() const { return file_ && file_->InFile(); }
  std::string FileName() const { return file_ ? file_->FileName() : std::string(); }
  const TDVXMemoryBlobStore& Blobs() const { return blobs_; }

 private:
  const TDVXFieldDefs& Fields() const { return *table_.fields; }
  TDVXTemporaryStream& File();
  void GrowMemory();
  void FlushWaiting();
  // Record n into `out` (RecordSize bytes); n must exist.
  void ReadRecord(int64_t n, uint8_t* out);
  // Record n's place in memory or the write buffer; null when it is in the
  // file.
  uint8_t* InPlace(int64_t n);
  void WriteFileRecord(int64_t n, const uint8_t* record);
  bool Exists(int64_t n) const { return n >= 0 && n < count_; }

  TDVXStorageTableInfo table_;
  int32_t recordSize_;
  int64_t growthStep_;
  int32_t bufferRecords_;
  int64_t limit_;
  TDVXFileSystem& fileSystem_;
  std::string directory_;
  int64_t count_ = 0;
  TDVXBufferPtr memory_;
  int64_t capacity_ = 0;
  TDVXBufferPtr writeBuffer_;
  int32_t waiting_ = 0;
  std::unique_ptr<TDVXTemporaryStream> file_;
  TDVXMemoryBlobStore blobs_;
  std::vector<uint8_t> old_;
  std::vector<uint8_t> image_;
};

}  // namespace dvx
