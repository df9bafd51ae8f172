// Table locks a cursor's caller takes beyond those of the cursor's own
// operations ("S", "IRW", "RW"). The cursor counts what it holds, so an
// unlock never gives up a lock another cursor of the session holds, and
// its Close gives back whatever is left. Inside a transaction the
// transaction's locks rule and these do nothing.
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_data.h"

namespace dvx {

namespace {

int Slot(int mode) { return mode == tlmS ? 0 : mode == tlmIRW ? 1 : 2; }

}  // namespace

bool TDVXLocalCursor::TryTableLock(int mode) {
  TDVXTableData& table = Table();
  if (session_.InTransaction()) return true;
  const int32_t session = SessionID();
  bool locked = false;
  switch (mode) {
    case tlmS: locked = table.LockTableS(session); break;
    case tlmIRW: locked = table.LockTableIRW(session); break;
    default: locked = table.LockTableRW(session); break;
  }
  if (locked) ++heldLocks_[static_cast<size_t>(Slot(mode))];
  return locked;
}

void TDVXLocalCursor::TableLock(int mode, int32_t code) {
  if (!TryTableLock(mode)) Table().RaiseLockFailure(code, false, static_cast<TDVXTableLockMode>(mode));
}

void TDVXLocalCursor::TableUnlock(int mode, int32_t code) {
  TDVXTableData& table = Table();
  if (session_.InTransaction()) return;
  int32_t& held = heldLocks_[static_cast<size_t>(Slot(mode))];
  // Only a lock this cursor took can be given back through it.
  if (held == 0) table.RaiseLockFailure(code, true, static_cast<TDVXTableLockMode>(mode));
  const int32_t session = SessionID();
  switch (mode) {
    case tlmS: table.UnlockTableS(session); break;
    case tlmIRW: table.UnlockTableIRW(session); break;
    default: table.UnlockTableRW(session); break;
  }
  --held;
}

void TDVXLocalCursor::ReleaseTableLocks() noexcept {
  const int32_t session = SessionID();
  for (int mode : {tlmS, tlmIRW, tlmRW})
    for (int32_t& held = heldLocks_[static_cast<size_t>(Slot(mode))]; held > 0; --held) {
      try {
        if (mode == tlmS) table_->UnlockTableS(session);
        else if (mode == tlmIRW) table_->UnlockTableIRW(session);
        else table_->UnlockTableRW(session);
      } catch (...) {
        // The session's end removes whatever it still holds.
      }
    }
}

void TDVXLocalCursor::LockShared(int32_t code) { TableLock(tlmS, code); }
void TDVXLocalCursor::UnlockShared(int32_t code) { TableUnlock(tlmS, code); }
bool TDVXLocalCursor::TryLockShared() { return TryTableLock(tlmS); }
void TDVXLocalCursor::LockIntentReadWrite(int32_t code) { TableLock(tlmIRW, code); }
void TDVXLocalCursor::UnlockIntentReadWrite(int32_t code) { TableUnlock(tlmIRW, code); }
bool TDVXLocalCursor::TryLockIntentReadWrite() { return TryTableLock(tlmIRW); }
void TDVXLocalCursor::LockExclusive(int32_t code) { TableLock(tlmRW, code); }
void TDVXLocalCursor::UnlockExclusive(int32_t code) { TableUnlock(tlmRW, code); }
bool TDVXLocalCursor::TryLockExclusive() { return TryTableLock(tlmRW); }

}  // namespace dvx
