#pragma once
// Native error codes of the storage layer: the database file, the page
// managers, free space, internal files and the database object. Every raise
// site has its own code (many share a message); each code is defined here
// once and nowhere else, so the checker and the tools name the same codes
// the engine raises.
#include <cstdint>

namespace dvx {

// The database file object.
constexpr int32_t kErrCreateFile = 30361;        // "Cannot create file: '%s' Error code: %d. ErrorMessage: %s"
constexpr int32_t kErrOpenFile = 30364;          // "Cannot open file:'%s' Error code: %d. ErrorMessage: %s"
constexpr int32_t kErrUnknownAccessMode = 30366;  // "Unknown Access mode: '%d'"
constexpr int32_t kErrUnknownShareMode = 30367;  // "Unknown Share mode: '%d'"
constexpr int32_t kErrTruncateFile = 30370;      // "Cannot Truncate File '%s' to %d bytes. ..."
constexpr int32_t kErrFileSize = 30371;          // "Cannot Get File Size for file: '%s'. ..."
constexpr int32_t kErrSeek = 30372;              // "Cannot Set File Position to %d. ..."
constexpr int32_t kErrBlankFileName = 30374;     // "Cannot create file with blank FileName"
constexpr int32_t kErrClosedFile = 30376;        // "Cannot perform this operation (%s) on a closed file"
constexpr int32_t kErrOpenedFile = 30377;        // "Cannot perform this operation (%s) on a opened file"
constexpr int32_t kErrFlushFile = 30379;         // "Cannot flush file buffers for file: '%s'. ..."
constexpr int32_t kErrFileMissing = 11351;       // "Error - database file '%s' does not exists"

// The disk page manager: header, pages, lock bytes.
constexpr int32_t kErrReadHeader = 10459;        // "Error - database file is not opened." / header reads
constexpr int32_t kErrWriteHeader = 10460;       // "Error - database file is not opened." / header writes
constexpr int32_t kErrCreateInUse = 10461;       // "Error - database file %s is in use."
constexpr int32_t kErrOpenInUse = 10462;
constexpr int32_t kErrReadPage = 10466;          // page reads
constexpr int32_t kErrWritePage = 10469;         // page writes
constexpr int32_t kErrInvalidSignature = 10470;  // "Invalid signature = %s. Should be %s"
constexpr int32_t kErrInvalidPageNo = 10471;     // "Invalid PageNo = %d"
constexpr int32_t kErrReadPagePart = 10474;      // partial page reads (bitmaps, direct files)
constexpr int32_t kErrWritePagePart = 10475;     // partial page writes
constexpr int32_t kErrReadPartOffset = 10476;    // "Error - invalid page offset = %d, page size = %d"
constexpr int32_t kErrWritePartOffset = 10477;
constexpr int32_t kErrInvalidVersion = 10637;    // "Invalid version number = %f. Should be %f"
constexpr int32_t kErrLockState = 10638;         // "Error locking State in database '%s'"
constexpr int32_t kErrUnlockState = 10639;       // "Error unlocking State in database '%s'"
constexpr int32_t kErrInvalidNewPage = 10707;    // "Invalid PageNo = %d" for a page handed out
constexpr int32_t kErrWritePageEncrypted = 10715;
constexpr int32_t kErrReadPageEncrypted = 10716;
constexpr int32_t kErrReadPartEncrypted = 10724;
constexpr int32_t kErrWritePartEncrypted = 10725;
constexpr int32_t kErrInvalidEncryptionKey = 10712;  // "Error opening database file '%s', invalid encryption key"
constexpr int32_t kErrSignatureNotFound = 11289;     // "Invalid database file %s - Dovrentix signature not found"
constexpr int32_t kErrIsDatabaseFileParam = 11296;

// The page cache.
constexpr int32_t kErrNilPageBuffer = 20038;          // "Invalid page buffer. Buffer is Nil"
constexpr int32_t kErrInvalidPageModification = 20039;  // "Invalid page modification"
constexpr int32_t kErrReleasedTooEarly = 20040;       // "Used page was released too early"
constexpr int32_t kErrInvalidNewPageNumber = 20064;   // "Invalid page number"
constexpr int32_t kErrInvalidPutPageNumber = 20065;
constexpr int32_t kErrUsedByOtherSession = 20090;     // "Page is used by other session"
constexpr int32_t kErrNotCommitedPages = 20097;       // "Cannot free not commited pages, ..."
constexpr int32_t kErrInvalidUseCount = 10665;        // "Error - invalid use count = %d, pageNo = %d"
constexpr int32_t kErrCancelNotDirty = 10820;         // "Page is not dirty, pageNo = %d"
constexpr int32_t kErrCancelUsedPage = 10821;         // "Cannot remove used page, ..."
constexpr int32_t kErrApplyNotDirty = 10822;
constexpr int32_t kErrApplyUsedPage = 10823;

// Free space.
constexpr int32_t kErrLockAllocate = 50000;      // "Error - cannot lock FreeSpaceManager, RetryCount = %d, Delay = %d"
constexpr int32_t kErrCannotFreePFS = 50001;     // "Error - cannot free PFS page, pageNo = %d"
constexpr int32_t kErrLockFree = 50002;
constexpr int32_t kErrUnlockAllocate = 50003;    // "Error - cannot unlock FreeSpaceManager"
constexpr int32_t kErrUnlockFree = 50004;
constexpr int32_t kErrBitNoFree = 50005;         // "Error - invalid BitNo = %d, PageDataSize = %d"
constexpr int32_t kErrBadPFSPage = 50015;        // "Error - invalid FSM page, pageNo = %d, page type = %d"
constexpr int32_t kErrBadGAMPage = 50016;
constexpr int32_t kErrBadSGAMPage = 50017;
constexpr int32_t kErrBitNoAllocate = 50018;
constexpr int32_t kErrTooSmallExtent = 50028;    // "Error - Too small ExtentPageCount: < 4"
constexpr int32_t kErrLockCount = 50030;
constexpr int32_t kErrUnlockCount = 50031;
constexpr int32_t kErrBitNoShrink = 50033;
constexpr int32_t kErrBadPFSPageEncrypted = 10726;
constexpr int32_t kErrBadGAMPageEncrypted = 10727;
constexpr int32_t kErrBadSGAMPageEncrypted = 10728;

// Internal files.
constexpr int32_t kErrClosedLockedFile = 10642;  // "Cannot perform this operation (%s) on closed internal file"
constexpr int32_t kErrInvalidPageType = 10643;   // "Error - invalid page type = %d instead of %d, pageNo = %d"
constexpr int32_t kErrInvalidFileSignature = 10644;  // "Invalid signature = %s. Should be %s"
constexpr int32_t kErrInvalidFileSize = 10645;   // "Error - invalid file size = %d"
constexpr int32_t kErrReadStartPage = 10647;     // "Cannot read from file. Position = %d, Count = %d, ..."
constexpr int32_t kErrReadEndPage = 10648;
constexpr int32_t kErrReadBeyondSize = 10649;
constexpr int32_t kErrWriteStartPage = 10651;
constexpr int32_t kErrWriteEndPage = 10652;
constexpr int32_t kErrWriteBeyondSize = 10653;
constexpr int32_t kErrLockByteAccess = 10655;    // "Cannot access byte in the file. ..."
constexpr int32_t kErrUnlockByteAccess = 10656;
constexpr int32_t kErrIsByteLockedAccess = 10657;
constexpr int32_t kErrIsRegionLockedAccess = 10658;
constexpr int32_t kErrReadFileSize = 10663;      // "Cannot read file. Size = %d, BytesRead = %d"
constexpr int32_t kErrWriteFileSize = 10664;     // "Cannot write file. Size = %d, BytesWrite = %d"
constexpr int32_t kErrNilPointer = 10666;        // "Nil pointer occured"
constexpr int32_t kErrCannotOpenLockedFile = 10697;  // "Error - cannot open internal file, type = %d, pageNo = %d"
constexpr int32_t kErrCannotOpenInternalFile = 10698;
constexpr int32_t kErrClosedInternalFile = 30389;
constexpr int32_t kErrLoadSystemDirectory = 10633;    // "Error loading system directory, files count - %d, PageNo = %d"
constexpr int32_t kErrCreateSystemDirectory = 30392;  // "Error Creating SystemDirectory. ..."
constexpr int32_t kErrTableExists = 30394;       // "Cannot create table. Table '%s' already exists"
constexpr int32_t kErrTableListStructure = 40002;  // "Invalid structure of TableListFile. ..."
constexpr int32_t kErrTableNotFound = 40003;     // "Table '%s' is not found"

// The database object.
constexpr int32_t kErrDatabaseInUse = 10498;     // "Error - database file %s is in use."
constexpr int32_t kErrLockTablesDrop = 10616;    // "Error locking Tables in database '%s'"
constexpr int32_t kErrInvalidSessionID = 10669;  // "Error - invalid session ID = %d"
constexpr int32_t kErrTableMissingOnDrop = 10780;  // "Table '%s' does not exist in the database file '%s'"
constexpr int32_t kErrRenameTargetExists = 10787;  // "Cannot rename table '%s' to '%s' - ..."
constexpr int32_t kErrLockTablesOpen = 10796;
constexpr int32_t kErrTableMissingOnOpen = 10797;
constexpr int32_t kErrTooManySessions = 10843;   // "Cannot connect session, maximum number of connections exceeded. ..."
constexpr int32_t kErrSessionIDTooLarge = 11334;
constexpr int32_t kErrLockTablesCreate = 11503;

// Table and record locks.
constexpr int32_t kErrInvalidLockCounter = 10757;    // "Error - invalid lock counter = %d, ..."
constexpr int32_t kErrLockInvalidItem = 10765;       // "Invalid item number - ItemNo = %d, ItemCount = %d"
constexpr int32_t kErrLockSessionNotFound = 10766;   // "Cannot find session %d for locking table '%s'"
constexpr int32_t kErrRecordAlreadyLocked = 10767;   // "Canot lock record - already locked, ..."
constexpr int32_t kErrInvalidLockTypeLock = 10775;   // "Error - invalid lock type = %d"
constexpr int32_t kErrInvalidLockTypeUnlock = 10776;
constexpr int32_t kErrLocksNotRemoved = 10811;       // "Error - not all locks were removed from ..."

// Codes of our own where the message table has none.
constexpr int32_t kErrCorruptHeader = 10481;     // "Invalid database file '%s' - %s"
constexpr int32_t kErrCorruptInternalFile = 10482;  // "Corrupt internal file, type = %d, pageNo = %d: %s"
constexpr int32_t kErrReadOnlyDatabase = 10483;  // "Cannot change database file '%s' - it is opened read only"
constexpr int32_t kErrCipherUnavailable = 10484;  // "Error - crypto algorithm %d is not available"
constexpr int32_t kErrInvalidPageSize = 10485;   // "Invalid page size = %d. Should be from %d to %d"
constexpr int32_t kErrInvalidMaxSessions = 10844;  // "Invalid MaxSessionCount = %d. Should be from 1 to %d"
constexpr int32_t kErrPageStaysLocked = 10659;   // "Error - page %d of internal file, type = %d, stays locked"
constexpr int32_t kErrFreeInvalidPage = 50034;   // "Invalid PageNo = %d" for a page to free
constexpr int32_t kErrFreeUnusedPage = 50035;    // "Error - page is not in use, pageNo = %d"
constexpr int32_t kErrWriteJournal = 10486;      // "Error - cannot %s journal file '%s'. ..."
constexpr int32_t kErrReadJournal = 10487;
constexpr int32_t kErrNeedsRecovery = 10488;     // "Database file '%s' needs recovery ..."
constexpr int32_t kErrSavepointActive = 30950;   // "Error - session %d already has a savepoint"
constexpr int32_t kErrNoSavepoint = 30951;       // "Error - session %d has no savepoint"
constexpr int32_t kErrSavepointUsedPage = 30952;  // "Cannot remove used page, ..." on a rollback to a savepoint
constexpr int32_t kErrStillReadLocked = 10758;   // "UnlockTable was not called - table is still locked for read ..."

}  // namespace dvx
