#include "engine/storage/table_locks_manager.h"

#include <algorithm>

#include "engine/core/cleanup_failures.h"
#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/storage/database_file.h"
#include "engine/storage/storage_errors.h"

namespace dvx {

namespace {

constexpr int64_t kTableLockRegion = int64_t{1} << 61;
constexpr int64_t kRecordLockRegion = int64_t{1} << 62;
constexpr int kTableLockBytes = 3;

// Slot of a lock type in the counters (X, IS, S, IRW, RW); -1 for none.
int CounterSlot(int lockType) {
  switch (lockType) {
    case ltX: return 0;
    case ltIS: return 1;
    case ltS: return 2;
    case ltIRW: return 3;
    case ltRW: return 4;
    default: return -1;
  }
}

bool IsTableMode(int lockType) { return CounterSlot(lockType) >= 0; }

}  // namespace

const char* LockModeName(int lockType) {
  switch (lockType) {
    case ltIS: return "IS";
    case ltS: return "S";
    case ltIRW: return "IRW";
    case ltRW: return "RW";
    case ltRecord: return "U";
    case ltX: return "X";
    default: return "?";
  }
}

int32_t& TDVXLockCounters::Of(int lockType) { return counts[static_cast<size_t>(CounterSlot(lockType))]; }
int32_t TDVXLockCounters::Of(int lockType) const { return counts[static_cast<size_t>(CounterSlot(lockType))]; }
bool TDVXLockCounters::Any() const {
  return std::any_of(counts.begin(), counts.end(), [](int32_t c) { return c != 0; });
}

TDVXTableLocksManager::TSessionEntry* TDVXTableLocksManager::TLockItem::Find(int32_t session) {
  for (auto& entry : entries)
    if (entry.session == session) return &entry;
  return nullptr;
}

TDVXTableLocksManager::TDVXTableLocksManager(TDVXDatabaseFile* file, TDVXLockParams params, TDVXClock& clock)
    : file_(file), params_(params), clock_(clock) {}

TDVXTableLocksManager::~TDVXTableLocksManager() {
  // The bytes would go with the file's descriptor anyway; releasing them
  // here lets a database object that outlives its registry carry on.
  if (file_ == nullptr || !file_->IsOpen()) return;
  for (auto& [key, item] : items_) {
    try {
      for (auto& entry : item.entries)
        if (entry.recordLocked) ReleaseRecordByte(entry.recordID);
      SetHeld(item, {THeld::None, THeld::None, THeld::None});
    } catch (...) {
      NoteCleanupFailure("releasing the lock bytes of a table");
    }
  }
}

int64_t TDVXTableLocksManager::TableLockBytePosition(int32_t locksFirstPageNo, int byteIndex) {
  return kTableLockRegion + int64_t{locksFirstPageNo} * 4 + byteIndex;
}

int64_t TDVXTableLocksManager::RecordLockBytePosition(const TDVXRecordID& recordID) {
  return kRecordLockRegion + int64_t{recordID.pageNo} * 65536 + recordID.itemNo;
}

std::string TDVXTableLocksManager::Key(const std::string& tableName) { return AnsiUpperCase(tableName); }

void TDVXTableLocksManager::CheckLockType(int lockType, int32_t code) {
  if (!IsTableMode(lockType)) throw EDVXException(code, "Error - invalid lock type = %d", {int64_t{lockType}});
}

// The compatibility table: may `requested` be granted beside another
// session's locks?
bool TDVXTableLocksManager::Refuses(int requested, const TDVXLockCounters& other) {
  bool x = other.Of(ltX) > 0, s = other.Of(ltS) > 0, irw = other.Of(ltIRW) > 0, rw = other.Of(ltRW) > 0;
  switch (requested) {
    case ltIS: return x;
    case ltS: return x || rw;
    case ltIRW: return x || irw || rw;
    case ltRW: return x || irw || rw || s;
    default: return other.Any();
  }
}

std::array<TDVXTableLocksManager::THeld, 3> TDVXTableLocksManager::Needed(const TLockItem& item) {
  // Per mode, the kind of bytes A, B and C (see the table in the header).
  struct TNeed {
    int lockType;
    std::array<THeld, 3> kinds;
  };
  static constexpr THeld N = THeld::None, Sh = THeld::Shared, Ex = THeld::Exclusive;
  static constexpr TNeed kNeeds[] = {
      {ltIS, {Sh, N, N}}, {ltS, {Sh, Sh, N}}, {ltIRW, {Sh, N, Ex}}, {ltRW, {Sh, Ex, Ex}}, {ltX, {Ex, Ex, Ex}},
  };
  std::array<THeld, 3> wanted{N, N, N};
  for (const auto& entry : item.entries)
    for (const auto& need : kNeeds)
      if (entry.counters.Of(need.lockType) > 0)
        for (int k = 0; k < kTableLockBytes; ++k) wanted[k] = std::max(wanted[k], need.kinds[k]);
  return wanted;
}

bool TDVXTableLocksManager::SetByte(int64_t position, THeld from, THeld to) {
  if (to == from) return true;
  if (to == THeld::None) return file_->UnlockByte(position);
  // Changing the kind of a held byte happens in place: a downgrade never
  // lets another process in, and a refused upgrade keeps what was held.
  return file_->LockByte(position, to == THeld::Exclusive);
}

bool TDVXTableLocksManager::SetHeld(TLockItem& item, const std::array<THeld, 3>& wanted) {
  if (file_ == nullptr) {
    item.held = wanted;
    return true;
  }
  const std::array<THeld, 3> before = item.held;
  for (int k = 0; k < kTableLockBytes; ++k) {
    if (SetByte(TableLockBytePosition(item.locksFirstPageNo, k), item.held[k], wanted[k])) {
      item.held[k] = wanted[k];
      continue;
    }
    for (int j = 0; j < k; ++j) {
      SetByte(TableLockBytePosition(item.locksFirstPageNo, j), item.held[j], before[j]);
      item.held[j] = before[j];
    }
    return false;
  }
  return true;
}

void TDVXTableLocksManager::ReleaseRecordByte(const TDVXRecordID& recordID) {
  if (file_ != nullptr) file_->UnlockByte(RecordLockBytePosition(recordID));
}

void TDVXTableLocksManager::DropIfEmpty(std::map<std::string, TLockItem>::iterator it) {
  auto& entries = it->second.entries;
  entries.erase(std::remove_if(entries.begin(), entries.end(), [](const TSessionEntry& e) { return e.Empty(); }),
                entries.end());
  if (entries.empty()) items_.erase(it);
}

std::pair<std::map<std::string, TDVXTableLocksManager::TLockItem>::iterator, TDVXTableLocksManager::TSessionEntry*>
TDVXTableLocksManager::EntryOf(const std::string& tableName, int32_t session) {
  auto it = items_.find(Key(tableName));
  if (it == items_.end())
    throw EDVXException(kErrLockInvalidItem, "Invalid item number - ItemNo = %d, ItemCount = %d",
                        {int64_t{-1}, static_cast<int64_t>(items_.size())});
  TSessionEntry* entry = it->second.Find(session);
  if (entry == nullptr)
    throw EDVXException(kErrLockSessionNotFound, "Cannot find session %d for locking table '%s'",
                        {int64_t{session}, tableName});
  return {it, entry};
}

bool TDVXTableLocksManager::LockTable(int32_t session, const std::string& tableName, int32_t locksFirstPageNo,
                                      int lockType, TDVXLockCounters* counters) {
  CheckLockType(lockType, kErrInvalidLockTypeLock);
  TDVXLockGuard guard(lock_);
  auto key = Key(tableName);
  auto it = items_.find(key);
  if (it == items_.end()) {
    TLockItem item;
    item.tableName = key;
    item.locksFirstPageNo = locksFirstPageNo;
    it = items_.emplace(key, std::move(item)).first;
  }
  TLockItem& item = it->second;
  for (const auto& other : item.entries)
    if (other.session != session && (lockType == ltX || Refuses(lockType, other.counters))) {
      DropIfEmpty(it);
      return false;
    }
  TSessionEntry* entry = item.Find(session);
  if (entry == nullptr) {
    item.entries.push_back({});
    entry = &item.entries.back();
    entry->session = session;
  }
  ++entry->counters.Of(lockType);
  if (!SetHeld(item, Needed(item))) {
    --entry->counters.Of(lockType);
    DropIfEmpty(it);
    return false;
  }
  if (counters != nullptr) ++counters->Of(lockType);
  return true;
}

bool TDVXTableLocksManager::UnlockTable(const std::string& tableName, int32_t session, int lockType,
                                        TDVXLockCounters* counters) {
  CheckLockType(lockType, kErrInvalidLockTypeUnlock);
  TDVXLockGuard guard(lock_);
  auto it = items_.find(Key(tableName));
  TSessionEntry* entry = it == items_.end() ? nullptr : it->second.Find(session);
  int32_t count = entry == nullptr ? 0 : entry->counters.Of(lockType);
  if (count <= 0)
    throw EDVXException(kErrInvalidLockCounter, "Error - invalid lock counter = %d, lock type = %d, table name = '%s'",
                        {int64_t{count - 1}, int64_t{lockType}, tableName});
  --entry->counters.Of(lockType);
  if (counters != nullptr && counters->Of(lockType) > 0) --counters->Of(lockType);
  // Weakening or releasing a byte is never refused.
  bool released = SetHeld(it->second, Needed(it->second));
  DropIfEmpty(it);
  return released;
}

bool TDVXTableLocksManager::LockRecord(const std::string& tableName, int32_t session, const TDVXRecordID& recordID) {
  TDVXLockGuard guard(lock_);
  auto [it, entry] = EntryOf(tableName, session);
  if (entry->recordLocked)
    throw EDVXException(kErrRecordAlreadyLocked,
                        "Canot lock record - already locked, tableName = '%s', pageNo = %d, pageItemNo = %d, "
                        "SessionID = %d, locked pageNo = %d, locked pageItemNo = %d",
                        {tableName, int64_t{recordID.pageNo}, int64_t{recordID.itemNo}, int64_t{session},
                         int64_t{entry->recordID.pageNo}, int64_t{entry->recordID.itemNo}});
  for (const auto& other : it->second.entries)
    if (other.session != session && other.recordLocked && other.recordID == recordID) return false;
  if (file_ != nullptr && !file_->LockByte(RecordLockBytePosition(recordID), true)) return false;
  entry->recordLocked = true;
  entry->recordID = recordID;
  return true;
}

bool TDVXTableLocksManager::UnlockRecord(const std::string& tableName, int32_t session,
                                         const TDVXRecordID& recordID) {
  TDVXLockGuard guard(lock_);
  auto [it, entry] = EntryOf(tableName, session);
  if (!entry->recordLocked || !(entry->recordID == recordID)) return false;
  ReleaseRecordByte(recordID);
  entry->recordLocked = false;
  entry->recordID = kNoRecordID;
  DropIfEmpty(it);
  return true;
}

void TDVXTableLocksManager::RemoveAllLocks(int32_t session) {
  TDVXLockGuard guard(lock_);
  for (auto it = items_.begin(); it != items_.end();) {
    auto next = std::next(it);
    if (TSessionEntry* entry = it->second.Find(session)) {
      if (entry->recordLocked) ReleaseRecordByte(entry->recordID);
      entry->counters = {};
      entry->recordLocked = false;
      SetHeld(it->second, Needed(it->second));
      DropIfEmpty(it);
    }
    it = next;
  }
}

void TDVXTableLocksManager::LockTableOrRaise(int32_t session, const std::string& tableName, int32_t locksFirstPageNo,
                                             int lockType, int32_t errorCode, TDVXLockCounters* counters) {
  if (!RetryLoop(params_, [&] { return LockTable(session, tableName, locksFirstPageNo, lockType, counters); }, clock_))
    throw EDVXException(errorCode, "Error - cannot lock table in '%s' mode, table name = '%s'",
                        {std::string(LockModeName(lockType)), tableName});
}

void TDVXTableLocksManager::UnlockTableOrRaise(const std::string& tableName, int32_t session, int lockType,
                                               int32_t errorCode, TDVXLockCounters* counters) {
  if (!RetryLoop(params_, [&] { return UnlockTable(tableName, session, lockType, counters); }, clock_))
    throw EDVXException(errorCode, "Error - cannot unlock table in '%s' mode, table name = '%s'",
                        {std::string(LockModeName(lockType)), tableName});
}

void TDVXTableLocksManager::CheckNoReadLocks(const std::string& tableName, int32_t session) {
  int32_t count = LockCount(tableName, session, ltS);
  if (count > 0)
    throw EDVXException(kErrStillReadLocked,
                        "UnlockTable was not called - table is still locked for read (mode s). Number of locks = %d",
                        {int64_t{count}});
}

void TDVXTableLocksManager::CheckAllRemoved(const std::string& databaseFileName) {
  TDVXLockGuard guard(lock_);
  if (!items_.empty())
    throw EDVXException(kErrLocksNotRemoved, "Error - not all locks were removed from database file '%s'",
                        {databaseFileName});
}

int32_t TDVXTableLocksManager::LockCount(const std::string& tableName, int32_t session, int lockType) {
  TDVXLockGuard guard(lock_);
  auto it = items_.find(Key(tableName));
  if (it == items_.end()) return 0;
  TSessionEntry* entry = it->second.Find(session);
  return entry == nullptr ? 0 : entry->counters.Of(lockType);
}

bool TDVXTableLocksManager::HoldsRecordLock(const std::string& tableName, int32_t session, TDVXRecordID* recordID) {
  TDVXLockGuard guard(lock_);
  auto it = items_.find(Key(tableName));
  if (it == items_.end()) return false;
  TSessionEntry* entry = it->second.Find(session);
  if (entry == nullptr || !entry->recordLocked) return false;
  if (recordID != nullptr) *recordID = entry->recordID;
  return true;
}

size_t TDVXTableLocksManager::LockItemCount() {
  TDVXLockGuard guard(lock_);
  return items_.size();
}

}  // namespace dvx
