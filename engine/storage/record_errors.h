#pragma once
// Native error codes of the table page maps, the disk record manager, data
// items and the compressed BLOB stream. Every raise site has its own code
// (many share a message); each is defined here once.
#include <cstdint>

namespace dvx {

// Table page maps.
constexpr int32_t kErrCannotAddTablePFS = 10480;   // "Error - cannot add table PFS page. PageCount = %d, No = %d, ..."
constexpr int32_t kErrRecordNilPointer = 10500;    // "Nil pointer occured" (no page manager)
constexpr int32_t kErrRecordNilFields = 10502;     // "Nil pointer occured" (no field definitions)
constexpr int32_t kErrNewTablePFSPage = 10511;     // "Invalid PageNo = %d"
constexpr int32_t kErrPageBeyondMap = 10512;       // "Invalid PageNo = %d, Count = %d" (page values)
constexpr int32_t kErrKindBeyondMap = 10513;       // "Invalid PageNo = %d, Count = %d" (page kinds)
constexpr int32_t kErrSetBeyondMap = 10515;        // "Invalid PageNo = %d, Count = %d" (setting a value)

// Records.
constexpr int32_t kErrLoadRecordNoVar = 10518;     // "Error loading record. TableName = %s, SessionID = %d, ..."
constexpr int32_t kErrLoadRecordVar = 10519;
constexpr int32_t kErrRecordsPerPage = 10522;      // "Error calculating records per page. ..."
constexpr int32_t kErrLargeRecordSize = 10524;     // "Error loading record from disk. ..." (chain too long)
constexpr int32_t kErrRecordDeleted = 10525;       // "Error loading record - record is deleted. ..."
constexpr int32_t kErrReadSlotBeyondPage = 10526;  // "Error loading record from disk. ..."
constexpr int32_t kErrAddRecordToPage = 10527;     // "Error adding record to page. TableName = '%s', PageNo = %d"
constexpr int32_t kErrInsertSlotBeyondPage = 10528;
constexpr int32_t kErrInsertPageCount = 10529;     // "Error - invalid page record count. ..."
constexpr int32_t kErrDeletePageCountZero = 10539;
constexpr int32_t kErrDeletePageCountFree = 10540;
constexpr int32_t kErrDeleteLargeCount = 10541;
constexpr int32_t kErrDeleteLargeChain = 10542;    // "Error reading row data - invalid DataSize. ..."
constexpr int32_t kErrDeleteLargePage = 10543;     // "Error deleting record - cannot remove page. ..."
constexpr int32_t kErrUpdateSlotBeyondPage = 10547;

// Data items.
constexpr int32_t kErrItemPageType = 10536;        // "Error - invalid page type = %d, table name = '%s', pageNo = %d"
constexpr int32_t kErrItemDataSize = 10538;        // "Error reading row data - invalid DataSize. ..."
constexpr int32_t kErrDeleteItemPageType = 10544;
constexpr int32_t kErrDeleteBlobItem = 10546;      // "Error deleting record - cannot delete blob item. ..."
constexpr int32_t kErrItemNotFound = 10549;        // "Error loading record. TableName = %s, ..."
constexpr int32_t kErrRepairPageBeyond = 10248;    // "Invalid PageNo = %d" (reading while repairing)
constexpr int32_t kErrRepairChainBeyond = 10247;
constexpr int32_t kErrZeroBlobBlockSize = 10628;   // "Stream block size = 0 is not allowed"

// The compressed BLOB stream.
constexpr int32_t kErrBlobStreamPosition = 10079;  // "Cannot set stream position to %d. Position = %d, Size = %d"
constexpr int32_t kErrBlobStreamTooSmall = 10081;  // "Stream size = %d too small. Should be at least = %d"
constexpr int32_t kErrBlobHeadersTooSmall = 10082;
constexpr int32_t kErrBlobBlockRead = 10086;       // "Cannot read from stream. ..."
constexpr int32_t kErrBlobChecksum = 10089;        // "Decompress buffer failed. CheckSum = %d, Header.Crc32 = %d"
constexpr int32_t kErrBlobTruncateSize = 10093;    // "Invalid stream size = %d. Should be = %d"
constexpr int32_t kErrBlobTruncatePosition = 10094;
constexpr int32_t kErrBlobTruncateHeader = 10095;  // "Error writing to stream"
constexpr int32_t kErrBlobTruncateData = 10096;
constexpr int32_t kErrBlobExtension = 10098;       // "Invalid extension size. ..."
constexpr int32_t kErrBlobBlockHeaderWrite = 10100;  // "Cannot write to stream. ..."
constexpr int32_t kErrBlobBlockDataWrite = 10101;
constexpr int32_t kErrBlobStreamPositionStart = 10103;

// Codes of our own where the message table has none.
constexpr int32_t kErrCorruptTablePage = 10490;    // "Corrupt table page, table name = '%s', pageNo = %d: %s"
constexpr int32_t kErrCorruptBlobStream = 10491;   // "Corrupt BLOB stream, block at position %d: %s"
constexpr int32_t kErrCorruptPageMap = 10492;      // "Corrupt table page map, table name = '%s': %s"

}  // namespace dvx
