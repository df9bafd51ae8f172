#pragma once
// Native error codes of the cursor's projection, field access and index
// lookup by fields.
#include <cstdint>

namespace dvx {

constexpr int32_t kErrGetFieldNo = 10005;             // "Invalid field number - FieldNo = %d, FieldCount = %d"
constexpr int32_t kErrSetFieldNo = 10006;             // "Invalid field number - FieldNo = %d, FieldCount = %d"
constexpr int32_t kErrProjectionLengths = 10321;      // "Error - different lists length. L1 = %d, L2 = %d"
constexpr int32_t kErrProjectionEmpty = 10322;        // "No fields were specified while setting projection"
constexpr int32_t kErrProjectionField = 10323;        // "Cannot find field %s"
constexpr int32_t kErrIndexByID = 11384;              // "Cannot find index by ID = %d"

}  // namespace dvx
