#pragma once
// TDVXTableLocksManager: the table and record locks of one open database
// object, for every session of the process that works through it.
//
// Modes and what they keep out (a request is refused while another session
// holds one of the listed modes; a session never conflicts with itself):
//
//   type  mode  taken for                              refused by
//   0     IS    the whole time a table is open         X
//   1     S     reading                                X, RW
//   2     IRW   the check before a record is locked    X, IRW, RW
//   3     RW    changing data                          X, IRW, RW, S
//   5     X     exclusive open, drop, restructure      any lock
//
// Sessions of this process are kept apart by the registry alone. Other
// processes (and other database objects on the same file in this one) are
// kept apart by byte-range locks of the database file, which the operating
// system drops with the descriptor, so a program that dies holds nothing.
// Every table has three lock bytes, every record one:
//
//   position                              byte  held
//   2^61 + LocksFirstPageNo × 4 + 0       A     shared by IS, S, IRW, RW; exclusive by X
//   2^61 + LocksFirstPageNo × 4 + 1       B     shared by S; exclusive by RW, X
//   2^61 + LocksFirstPageNo × 4 + 2       C     exclusive by IRW, RW, X
//   2^62 + PageNo × 65536 + PageItemNo    -     exclusive while the record is locked
//
// A table's locks file pages are its own, so LocksFirstPageNo names it
// within the database; record pages belong to one table, so a record's byte
// is unique too. Both regions lie far beyond any file size (page numbers are
// 31-bit), clear of the StateLockByte, the TablesLockByte and the first
// bytes of pages that internal files lock. Shared and exclusive holdings of
// the three bytes reproduce the compatibility table between processes (S
// shares B with S but not with RW's exclusive B; IRW and RW meet on C; X
// meets everything on A). A process holds each byte in the strongest kind
// any of its sessions needs; the kind changes in place as sessions come
// and go, so a downgrade never lets another process in between.
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/platform/critical_section.h"
#include "engine/storage/lock_retry.h"
#include "engine/storage/record_id.h"

namespace dvx {

class TDVXDatabaseFile;

enum TDVXTableLockType : int {
  ltIS = 0,
  ltS = 1,
  ltIRW = 2,
  ltRW = 3,
  ltRecord = 4,  // a record lock byte; no table mode
  ltX = 5,
};

// The mode's name as messages print it ("IS", "S", "IRW", "RW", "X").
const char* LockModeName(int lockType);

// Counters a caller (a table object) keeps of the locks it took, in the
// order X, IS, S, IRW, RW.
struct TDVXLockCounters {
  std::array<int32_t, 5> counts{};
  int32_t& Of(int lockType);
  int32_t Of(int lockType) const;
  bool Any() const;
};

class TDVXTableLocksManager {
 public:
  // `file`: the open database file whose byte-range locks reach other
  // processes; nullptr for databases no other process can see (memory,
  // temporary). `clock` sleeps the Delay between attempts of the retrying
  // operations.
  TDVXTableLocksManager(TDVXDatabaseFile* file, TDVXLockParams params = {},
                        TDVXClock& clock = TDVXClock::System());
  ~TDVXTableLocksManager();
  TDVXTableLocksManager(const TDVXTableLocksManager&) = delete;
  TDVXTableLocksManager& operator=(const TDVXTableLocksManager&) = delete;

  // One attempt each, never waiting: false on a conflict with another
  // session or process. The caller's RetryLoop sleeps Delay once per failed
  // attempt. `locksFirstPageNo` names the table between processes (its
  // table-list record's LocksFirstPageNo).
  bool LockTable(int32_t session, const std::string& tableName, int32_t locksFirstPageNo, int lockType,
                 TDVXLockCounters* counters = nullptr);
  bool UnlockTable(const std::string& tableName, int32_t session, int lockType,
                   TDVXLockCounters* counters = nullptr);
  bool LockRecord(const std::string& tableName, int32_t session, const TDVXRecordID& recordID);
  bool UnlockRecord(const std::string& tableName, int32_t session, const TDVXRecordID& recordID);
  // Every table and record lock the session holds in this database.
  void RemoveAllLocks(int32_t session);

  // LockTable/UnlockTable through RetryLoop, raising "Error - cannot lock
  // table in '%s' mode, table name = '%s'" (or the unlock message) with
  // `errorCode` when every attempt failed.
  void LockTableOrRaise(int32_t session, const std::string& tableName, int32_t locksFirstPageNo, int lockType,
                        int32_t errorCode, TDVXLockCounters* counters = nullptr);
  void UnlockTableOrRaise(const std::string& tableName, int32_t session, int lockType, int32_t errorCode,
                          TDVXLockCounters* counters = nullptr);

  // Raised when a session closes a table it still reads: "UnlockTable was
  // not called - table is still locked for read (mode s). ...".
  void CheckNoReadLocks(const std::string& tableName, int32_t session);
  // Raised when the database is closed with locks still registered.
  void CheckAllRemoved(const std::string& databaseFileName);

  // What the session holds (for the table object and for tests).
  int32_t LockCount(const std::string& tableName, int32_t session, int lockType);
  bool HoldsRecordLock(const std::string& tableName, int32_t session, TDVXRecordID* recordID = nullptr);
  size_t LockItemCount();
  const TDVXLockParams& Params() const { return params_; }

  static int64_t TableLockBytePosition(int32_t locksFirstPageNo, int byteIndex);
  static int64_t RecordLockBytePosition(const TDVXRecordID& recordID);

 private:
  struct TSessionEntry {
    int32_t session = 0;
    TDVXLockCounters counters;
    bool recordLocked = false;
    TDVXRecordID recordID;
    bool Empty() const { return !counters.Any() && !recordLocked; }
  };
  // Held kind of one of a table's process-wide lock bytes.
  enum class THeld : uint8_t { None, Shared, Exclusive };
  struct TLockItem {
    std::string tableName;  // upper case
    int32_t locksFirstPageNo = -1;
    std::vector<TSessionEntry> entries;
    std::array<THeld, 3> held{THeld::None, THeld::None, THeld::None};
    TSessionEntry* Find(int32_t session);
  };

  static std::string Key(const std::string& tableName);
  static void CheckLockType(int lockType, int32_t code);
  static bool Refuses(int requested, const TDVXLockCounters& other);
  // The kind each byte must be held in for the union of the item's
  // sessions.
  static std::array<THeld, 3> Needed(const TLockItem& item);
  // Brings the process's bytes from `item.held` to `wanted`; on a refusal
  // restores what it changed and returns false.
  bool SetHeld(TLockItem& item, const std::array<THeld, 3>& wanted);
  bool SetByte(int64_t position, THeld from, THeld to);
  void ReleaseRecordByte(const TDVXRecordID& recordID);
  void DropIfEmpty(std::map<std::string, TLockItem>::iterator it);
  // The table's lock item and the session's entry in it, both required of
  // a record lock: 10765 without the item, 10766 without the entry.
  std::pair<std::map<std::string, TLockItem>::iterator, TSessionEntry*> EntryOf(const std::string& tableName,
                                                                                 int32_t session);

  TDVXDatabaseFile* file_;
  TDVXLockParams params_;
  TDVXClock& clock_;
  TDVXCriticalSection lock_;
  std::map<std::string, TLockItem> items_;
};

}  // namespace dvx
