#pragma once
// TDVXBaseRecordManager: the records of one table, whatever keeps them
// (record pages of a database file here; the in-memory and temporary
// tables' own forms beside it). A record is given and returned as a memory
// record buffer; it is found by its RecordID, by its 1-based number in
// RecordID order, or by stepping from another record.
#include <cstdint>
#include <string>

#include "engine/core/platform/critical_section.h"
#include "engine/core/stream.h"
#include "engine/storage/record_id.h"

namespace dvx {

enum TDVXGetRecordMode : uint8_t { grmCurrent = 0, grmNext = 1, grmPrior = 2 };
// 0 done, 1 beginning of the table passed, 2 end passed (or empty), 3 error.
enum TDVXGetRecordResult : uint8_t { grrDone = 0, grrBOF = 1, grrEOF = 2, grrError = 3 };

struct TDVXGetRecordRequest {
  int32_t session = 0;
  TDVXGetRecordMode mode = grmCurrent;
  // In: start before the first record / after the last one. Cleared when a
  // record is read.
  bool first = false;
  bool last = false;
  // In: the current record; out: the record read.
  TDVXRecordID recordID = kNoRecordID;
  // Receives the record (RecordSize bytes).
  uint8_t* buffer = nullptr;
  // Out, with grrError: what stood in the way when a page could not be read
  // or was not what the map says (the engine's message); empty when the
  // record is simply not there.
  std::string cause;
};

class TDVXBaseRecordManager {
 public:
  virtual ~TDVXBaseRecordManager() = default;

  // Operations in slot order.
  virtual int64_t RecordCount(int32_t session) = 0;
  virtual void FreeAllPages(int32_t session) = 0;
  // The buffer's pending BLOB values are stored and its slots made current.
  virtual TDVXRecordID InsertRecord(uint8_t* buffer, int32_t session) = 0;
  virtual void UpdateRecord(uint8_t* buffer, const TDVXRecordID& recordID, int32_t session) = 0;
  virtual void DeleteRecord(const TDVXRecordID& recordID, int32_t session) = 0;
  virtual bool RecordExists(const TDVXRecordID& recordID, int32_t session) = 0;
  virtual TDVXGetRecordResult GetRecord(TDVXGetRecordRequest& request) = 0;
  virtual int64_t RecordNoOf(const TDVXRecordID& recordID, int32_t session) = 0;
  // Emptying, appending a loaded record and saving the records: the
  // in-memory kinds keep their records themselves; records in pages need
  // none of it.
  virtual void Empty() {}
  virtual void AppendRecord(const uint8_t* buffer) {}
  virtual void SaveToStream(TDVXStream& stream) {}

  // The n-th record in RecordID order (1-based); kNoRecordID when there is
  // none.
  virtual TDVXRecordID RecordIDOf(int64_t recordNo, int32_t session) = 0;

  TDVXCriticalSection& Lock() { return lock_; }

 protected:
  TDVXCriticalSection lock_;
};

}  // namespace dvx
