#pragma once
// Native error codes of the BLOB streams a cursor hands out.
#include <cstdint>

namespace dvx {

constexpr int32_t kErrOpenBlobFieldNo = 10110;        // "Invalid field number - FieldNo = %d, FieldCount = %d"
constexpr int32_t kErrBlobFieldAlreadyOpen = 10115;   // "BLOB field already opened. FieldNo = %d, FieldName = %s"
constexpr int32_t kErrBlobReadOnlyWrite = 10115;      // "Cannot write to read only stream"
constexpr int32_t kErrBlobReadOnlySetSize = 10116;    // "Cannot write to read only stream"
constexpr int32_t kErrCloseBlobFieldNo = 10118;       // "Invalid field number - FieldNo = %d, FieldCount = %d"

// Codes of our own where the message table has none.
constexpr int32_t kErrOpenBlobMode = 10111;           // "Invalid BLOB stream mode = %d"
constexpr int32_t kErrOpenBlobNotBlob = 10112;        // "Field is not a BLOB field. FieldNo = %d, FieldName = %s"
constexpr int32_t kErrBlobStreamClosed = 10113;       // "BLOB stream of field #%d is closed"
constexpr int32_t kErrBlobStorageUnknown = 10114;     // "Error - table '%s' keeps no BLOB values"

}  // namespace dvx
