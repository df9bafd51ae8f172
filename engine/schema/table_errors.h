#pragma once
// Native error codes of table definitions and record buffers. Every raise
// site has its own code; many share a message.
#include <cstdint>

namespace dvx {

// Record buffers and field data.
constexpr int32_t kErrGetFieldNo = 10000;         // "Invalid field number - FieldNo = %d, FieldCount = %d"
constexpr int32_t kErrGetFieldCopy = 10002;       // "Error getting field data - FieldNo = %d, ..."
constexpr int32_t kErrGetFieldNoBuffer = 10003;   // "Nil pointer occured"
constexpr int32_t kErrSetFieldNo = 10004;         // "Invalid field number - FieldNo = %d, FieldCount = %d"
constexpr int32_t kErrGetStringCopy = 10733;
constexpr int32_t kErrSetStringCopy = 10734;
constexpr int32_t kErrSetFieldCopy = 10732;
constexpr int32_t kErrBlobStreamRead = 10117;     // "Cannot read from stream. ..."
constexpr int32_t kErrBlobNilHandle = 10118;      // "Nil pointer occured"
constexpr int32_t kErrNoFields = 10131;           // "Error creating table - no fields were specified"
constexpr int32_t kErrSizeToDisk = 10517;         // "Error - invalid field data size. ..."
constexpr int32_t kErrSizeFromDisk = 10520;

// Definitions.
constexpr int32_t kErrUnsupportedType = 30007;    // "Unsuported data type '%s'"
constexpr int32_t kErrSequenceOverflow = 30009;   // "Sequence '%s' overflow"
constexpr int32_t kErrNextValueNotFound = 30010;  // "Sequence #%d not found"
constexpr int32_t kErrLastValueNotFound = 30011;
constexpr int32_t kErrNoLastValue = 30012;
constexpr int32_t kErrGetSequenceNotFound = 30013;
constexpr int32_t kErrConstraintFieldNotFound = 30027;  // "Field '%s' not found"
constexpr int32_t kErrAssignConstraintType = 30035;     // "Not implemented yet"
constexpr int32_t kErrResolveConstraintType = 30037;
constexpr int32_t kErrNameConstraintType = 30038;
constexpr int32_t kErrUnknownConstraintType = 30316;    // "Unknown Constraint Type: '%d'"
constexpr int32_t kErrPrimaryIndexNotFound = 30325;     // "Index '%s' not found"
constexpr int32_t kErrUniqueIndexNotFound = 30326;
constexpr int32_t kErrPrimaryFieldNotFound = 30331;     // "Field '%s' not found"
constexpr int32_t kErrUniqueFieldNotFound = 30332;
constexpr int32_t kErrNotOverridden = 30339;            // "The method '%s' not overrided in class '%s'"
constexpr int32_t kErrDuplicateName = 10424;            // "Duplicate field name %s"
constexpr int32_t kErrListLength1 = 10276;              // "Error - different lists length. L1 = %d, L2 = %d"
constexpr int32_t kErrListLength2 = 10277;
constexpr int32_t kErrForeignKeyFieldNotFound = 11419;  // "Field '%s' not found"
constexpr int32_t kErrBlobBlockSize = 10421;            // "BLOB block size should be > 0 for field %s"
constexpr int32_t kErrCreateDuplicatePrimary = 11427;
constexpr int32_t kErrCreateDuplicateIndex = 11428;
constexpr int32_t kErrCreateNoFields = 11429;
constexpr int32_t kErrCreateDuplicateField = 11430;
constexpr int32_t kErrCreateDuplicateConstraint = 11431;
constexpr int32_t kErrCreateUnnamedField = 11432;
constexpr int32_t kErrCreateUnnamedIndex = 11433;
constexpr int32_t kErrCreateIndexNoFields = 11434;

// Codes of our own where the message table has none.
constexpr int32_t kErrCorruptDefinition = 30910;  // "Invalid stored definition: %s"
constexpr int32_t kErrNameTooLong = 30911;        // a name its stored form cannot hold
constexpr int32_t kErrRecordTooLarge = 30912;     // offsets beyond 32 bits
constexpr int32_t kErrPendingBlobHandle = 30913;  // a handle that names no pending block
constexpr int32_t kErrListIndex = 30914;          // a position outside a collection

[[noreturn]] void RaiseCorruptDefinition(const char* what);

}  // namespace dvx
