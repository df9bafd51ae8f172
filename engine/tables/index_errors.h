#pragma once
// Native error codes of the indexes. Every raise site has its own code;
// several share a message.
#include <cstdint>

namespace dvx {

constexpr int32_t kErrIndexPageEmpty = 20025;         // "Index error: page is empty"
constexpr int32_t kErrIndexEntryNotFound = 20027;     // "Index error: cannot delete entry. Entry not found"
constexpr int32_t kErrIndexFieldNotFound = 20043;     // "Cannot find index field '%s'"
constexpr int32_t kErrIndexCreateNoFields = 20044;    // "Pointer is nil" (a table without field manager)
constexpr int32_t kErrIndexOpenNoFields = 20045;      // "Pointer is nil"
constexpr int32_t kErrKeyPathDepths = 20051;          // "Invalid index key path"
constexpr int32_t kErrKeyPathPages = 20052;           // "Invalid index key path"
constexpr int32_t kErrGetRecordCurrent = 20053;       // "Invalid get record mode for index: grmCurrent"
constexpr int32_t kErrMoveNextNoPosition = 20068;     // "Index error: invalid position"
constexpr int32_t kErrMovePriorNoPosition = 20069;    // "Index error: invalid position"
constexpr int32_t kErrMoveNoNeighbour = 20070;        // "Index error: invalid page number"
constexpr int32_t kErrScanNoState = 20077;            // "Pointer is nil"
constexpr int32_t kErrScanInvalidParams = 20078;      // "Index error: invalid params"
constexpr int32_t kErrScanDirectionChanged = 20079;   // "Index error: invalid params"

// Codes of our own where the message table has none.
constexpr int32_t kErrIndexPageCorrupt = 30940;       // "Index error: invalid page %d: %s"
constexpr int32_t kErrIndexKeyTooLong = 30941;        // a key that leaves room for fewer than 4 entries (create)
constexpr int32_t kErrIndexKeyTooLongOpen = 30942;    // the same, found when an index is opened
constexpr int32_t kErrIndexDuplicateKey = 30943;      // building a unique index over duplicate keys
constexpr int32_t kErrIndexTreeCorrupt = 30944;       // "Index error: invalid tree: %s"
constexpr int32_t kErrIndexNotOpen = 30945;           // "Index '%s' is not open"
constexpr int32_t kErrIndexInvalidCondition = 30946;  // "Index error: invalid params" (condition or columns)
constexpr int32_t kErrIndexPathPosition = 30947;      // "Index error: invalid position" (a path off its entries)
constexpr int32_t kErrIndexNoRecord = 30948;          // "Pointer is nil" (a key asked of no record buffer)

constexpr const char* kTextPointerIsNil = "Pointer is nil";
constexpr const char* kTextInvalidKeyPath = "Invalid index key path";
constexpr const char* kTextInvalidPosition = "Index error: invalid position";
constexpr const char* kTextInvalidParams = "Index error: invalid params";

}  // namespace dvx
