#pragma once
// TDVXCursorResult: what a cursor's record-changing operation reports
// instead of raising (BeginEdit, CancelEdit, Post, Delete and the base's
// InsertRecord, UpdateRecord, DeleteRecord).
//
//   code        0 on success. Post: -8 when the check or the insert
//               failed, -2 when the update failed; Delete: -3; BeginEdit,
//               CancelEdit and Delete on a table of the temporary database
//               refuse with -9, -11 and -10. InsertRecord, UpdateRecord,
//               DeleteRecord, BeginEdit and CancelEdit report any other
//               failure under the engine's native code (-1 when the error
//               carried none).
//   nativeCode  the native code of the engine error behind a failure; 0
//               on success and for the refusals of temporary tables, which
//               have no engine error behind them.
//   message     empty on success; otherwise the error's message, for Post
//               of an update behind "Error updating record: ".
#include <cstdint>
#include <string>

namespace dvx {

struct TDVXCursorResult {
  int32_t code = 0;
  int32_t nativeCode = 0;
  std::string message;

  bool ok() const { return code == 0; }
};

}  // namespace dvx
