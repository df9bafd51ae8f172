#pragma once
// Messages and native codes of the engine dataset (TDVXDataSet) and its
// BLOB stream.
//
// Which form each takes: state errors of the dataset (it is closed, in the
// wrong state, read-only, has no database) are the framework's
// EDatabaseError naming the dataset; failures of the engine below it and
// refusals by database events are EDVXException with a native code of
// their own, or with the engine's native code when an engine error is
// behind them.
#include <cstdint>

namespace dvx {

// --- EDatabaseError ---
constexpr const char* kMsgDataSetReadOnly = "Dataset is in read only mode";
constexpr const char* kMsgNotInsertOrEdit = "Dataset is not in insert or edit mode";
constexpr const char* kMsgNotEditOrInsert = "Dataset not in edit or insert mode";
constexpr const char* kMsgFieldNotInIndex = "Field %s is not in the current index";
// Followed by " - " and the engine's reason when one is known.
constexpr const char* kMsgDataSetCannotOpenDatabase = "Cannot open database '%s'";
constexpr const char* kMsgDataSetDatabaseOpen = "Cannot perform this operation on an open database";
// Not in a message of its own: the table name the record events get when
// the cursor has none.
constexpr const char* kUnknownTableName = "Unknown table";

// --- EDVXException ---
constexpr int32_t kErrCreateTableHandle = 31310;  // "Error creating table handle"
constexpr const char* kMsgCreateTableHandle = "Error creating table handle";
constexpr int32_t kErrFindIndex = 31311;  // "Cannot find index %s"
constexpr const char* kMsgFindIndex = "Cannot find index %s";
constexpr int32_t kErrRetrieveRecord = 31312;  // "Cannot retreive record"
constexpr const char* kMsgRetrieveRecord = "Cannot retreive record";
// Prefixes of engine failures; the engine's message follows.
constexpr int32_t kErrEditRecord = 31313;
constexpr const char* kMsgEditRecord = "Error editing record: ";
constexpr int32_t kErrInsertRecord = 31314;
constexpr const char* kMsgInsertRecord = "Error inserting record: ";
constexpr int32_t kErrUpdateRecord = 31315;
constexpr const char* kMsgUpdateRecord = "Error updating record: ";
constexpr int32_t kErrDeleteRecord = 31316;
constexpr const char* kMsgDeleteRecord = "Error deleting record: ";
constexpr int32_t kErrTemporaryUpdate = 31317;
constexpr const char* kMsgTemporaryUpdate = "Cannot update record in temporary mode";
constexpr int32_t kErrTemporaryDelete = 31318;
constexpr const char* kMsgTemporaryDelete = "Cannot delete record in temporary mode";
constexpr int32_t kErrInsertBlocked = 31319;
constexpr const char* kMsgInsertBlocked = "Insert record is blocked by database event";
constexpr int32_t kErrUpdateBlocked = 31320;
constexpr const char* kMsgUpdateBlocked = "Update record is blocked by database event";
constexpr int32_t kErrDeleteBlocked = 31321;
constexpr const char* kMsgDeleteBlocked = "Delete record is blocked by database event";
// A buffer of D + 7 bytes must fit the 16-bit buffer size the framework
// is told.
constexpr int32_t kErrRecordTooLarge = 31322;
constexpr const char* kMsgRecordTooLarge =
    "Record of table '%s' is too large for a dataset: %d bytes with bookmark, at most %d";
// A value that the field's engine type cannot hold (writing), or that
// the host type cannot show (reading an AutoIncCardinal above 2^31-1).
constexpr int32_t kErrValueOutOfRange = 31323;
constexpr const char* kMsgValueOutOfRange = "Value %s is out of range for field '%s'";
constexpr int32_t kErrInvalidDateValue = 31324;
constexpr const char* kMsgInvalidDateValue = "Invalid date or time value for field '%s'";
// "Nil pointer occured": no cursor where one is needed, one code per place.
constexpr const char* kMsgNilPointer = "Nil pointer occured";
constexpr int32_t kErrNilCursorFetch = 31330;
constexpr int32_t kErrNilCursorFirst = 31331;
constexpr int32_t kErrNilCursorLast = 31332;
constexpr int32_t kErrNilCursorBookmark = 31333;
constexpr int32_t kErrNilCursorSetToRecord = 31334;
constexpr int32_t kErrNilCursorEdit = 31335;
constexpr int32_t kErrNilCursorInsert = 31336;
constexpr int32_t kErrNilCursorPost = 31337;
constexpr int32_t kErrNilCursorCancel = 31338;
constexpr int32_t kErrNilCursorDelete = 31339;
constexpr int32_t kErrNilCursorBlob = 31340;
constexpr int32_t kErrNilCursorLocate = 31341;
constexpr int32_t kErrNilCursorRecNo = 31342;
constexpr int32_t kErrNilCursorField = 31343;
constexpr int32_t kErrNilCursorEmpty = 31344;
constexpr int32_t kErrNilCursorFilter = 31345;
constexpr int32_t kErrNilCursorInit = 31346;

}  // namespace dvx
