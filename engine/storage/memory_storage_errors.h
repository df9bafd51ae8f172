#pragma once
// Native error codes of the memory and temporary page managers, their
// record managers and the saved image of an in-memory table. Every raise
// site has its own code (many share a message); each is defined here once.
// The engine's table gives 10454 to two sites (a loaded record beyond the
// saved bitmap, and an image older than 1.01); both keep it.
#include <cstdint>

namespace dvx {

// Memory page manager.
constexpr int32_t kErrPageStillAllocated = 20037;   // "Not released page is allocated"
constexpr int32_t kErrMemoryReadFreePage = 10392;   // "Not released page is allocated"
constexpr int32_t kErrMemoryWriteFreePage = 10393;  // "Not released page is allocated"
constexpr int32_t kErrMemoryFreeFreePage = 30970;   // "Invalid PageNo = %d"
// Temporary page manager.
constexpr int32_t kErrTemporaryReadFreePage = 10396;   // "Not released page is allocated"
constexpr int32_t kErrTemporaryWriteFreePage = 10397;  // "Not released page is allocated"
constexpr int32_t kErrTemporaryPageRead = 30979;       // "Cannot read from stream. ..."
constexpr int32_t kErrTemporaryPageWrite = 30981;      // "Cannot write to stream. ..."
// Stream form of the page managers: one code per item and direction
// ("Cannot write to stream. ..." / "Cannot read from stream. ...").
constexpr int32_t kErrPagesWriteCapacity = 10362;
constexpr int32_t kErrPagesWriteHighest = 10363;
constexpr int32_t kErrPagesWriteGrowth = 10364;
constexpr int32_t kErrPagesWritePageSize = 10365;
constexpr int32_t kErrPagesWriteHeaderSize = 10366;
constexpr int32_t kErrPagesWritePageCount = 10367;
constexpr int32_t kErrPagesWriteContents = 10368;  // bit array and page buffers
constexpr int32_t kErrPagesReadCapacity = 10369;
constexpr int32_t kErrPagesReadHighest = 10370;
constexpr int32_t kErrPagesReadGrowth = 10371;
constexpr int32_t kErrPagesReadPageSize = 10372;
constexpr int32_t kErrPagesReadHeaderSize = 10373;
constexpr int32_t kErrPagesReadPageCount = 10374;
constexpr int32_t kErrPagesReadContents = 10375;
constexpr int32_t kErrPagesStreamInvalid = 30971;  // "Invalid page manager stream: %s"

// Memory record manager.
constexpr int32_t kErrMemoryRecordSize = 10011;      // "Invalid record size = 0"
constexpr int32_t kErrRetrieveRecord = 10019;        // "Error retreiving record"
constexpr int32_t kErrAppendBeyondCapacity = 10847;  // "Invalid record No = %d"
constexpr int32_t kErrAppendBeyondBitmap = 10454;    // "Invalid record No = %d"
constexpr int32_t kErrUpdateRecordNo = 30972;        // "Invalid record No = %d"
constexpr int32_t kErrDeleteRecordNo = 30973;        // "Invalid record No = %d"
constexpr int32_t kErrRecordsStreamWrite = 30980;    // "Cannot write to stream. ..." (record manager state)
constexpr int32_t kErrRecordNumberRange = 30984;     // "Record number %d is out of range"
// BLOB values kept beside the records of memory and temporary tables.
constexpr int32_t kErrMemoryBlobReference = 30974;   // "Invalid BLOB reference = %d"

// Temporary record manager.
constexpr int32_t kErrTemporaryRecordSize = 10124;   // "Invalid record size = 0"
constexpr int32_t kErrTemporaryWrite = 10125;        // "Error writing to stream"
constexpr int32_t kErrTemporaryWaiting = 10126;      // "Invalid record count = %d. Limit is %d"
constexpr int32_t kErrTemporaryRetrieve = 10127;     // "Error retreiving record"
constexpr int32_t kErrTemporaryWriteSeek = 10128;    // "Cannot set stream position to %d. Position = %d, Size = %d"
constexpr int32_t kErrTemporaryReadSeek = 10129;     // "Cannot set stream position to %d. Position = %d, Size = %d"
constexpr int32_t kErrTemporaryRead = 10130;         // "Cannot read from stream. ..."
constexpr int32_t kErrTemporaryRecordNo = 30975;     // "Invalid record No = %d"
constexpr int32_t kErrTemporaryNotSupported = 30976;  // "Error - operation is not supported"

// Saving an in-memory table.
constexpr int32_t kErrImageSeekBack = 10155;        // "Cannot set stream position to %d. Position = %d, Size = %d"
constexpr int32_t kErrImageWriteHeader = 10156;
constexpr int32_t kErrImageWriteName = 10157;
constexpr int32_t kErrImageWriteBlobRecord = 10197;  // record buffers of a table with BLOB fields
constexpr int32_t kErrImageWriteBlobHeader = 10198;
constexpr int32_t kErrImageWriteBlobData = 10199;
constexpr int32_t kErrImageWriteRecord = 10200;     // record buffers of a table without BLOB fields
constexpr int32_t kErrImageWriteCounter = 10416;
constexpr int32_t kErrImageNameTooLong = 30977;     // "Cannot save table '%s': its name has %d characters, at most 255 fit"
// Loading an in-memory table.
constexpr int32_t kErrImageReadHeader = 10160;
constexpr int32_t kErrImageSignature = 10161;       // "Invalid signature = %s. Should be %s"
constexpr int32_t kErrImageVersionNewer = 10162;    // "Invalid version number = %f. Should be %f"
constexpr int32_t kErrImageReadName = 10163;
constexpr int32_t kErrImageReadRecord = 10201;
constexpr int32_t kErrImageBlobSeek = 10202;        // "Cannot set stream position to %d. Position = %d, Size = %d"
constexpr int32_t kErrImageReadBlobHeader = 10203;
constexpr int32_t kErrImageReadBlobData = 10204;
constexpr int32_t kErrImageReadCounter = 10417;
constexpr int32_t kErrImageVersionOld = 10443;      // below 1.0001
constexpr int32_t kErrImageReadCapacity = 10449;
constexpr int32_t kErrImageReadNoDeletions = 10450;
constexpr int32_t kErrImageReadMin = 10451;
constexpr int32_t kErrImageReadMax = 10452;
constexpr int32_t kErrImageReadBitmap = 10453;
constexpr int32_t kErrImageVersion101 = 10454;      // below 1.010001
constexpr int32_t kErrImageVersion102 = 10455;      // below 1.020001
constexpr int32_t kErrImageInvalid = 30978;         // "Invalid in-memory table image: %s"
constexpr int32_t kErrImageReadBody = 30982;        // "Cannot read from stream. ..." (compressed body)
constexpr int32_t kErrImageWriteBody = 30983;       // "Cannot write to stream. ..." (compressed body)

}  // namespace dvx
