#pragma once
// The common type of two base types: what binary arithmetic and comparison
// convert both sides to. The relation is not symmetric (a CURRENCY left
// side and a SIGNEDINT32 right side meet as SIGNEDINT32, the other way
// round as CURRENCY).
#include <cstdint>

namespace dvx {

// The common base type of left and right, or 0 when the pair is
// incompatible or either code is no base type.
uint8_t PromoteBaseTypes(int left, int right);

// The common declared field type of two columns: the first column's type
// when the common base type is its own, else the second's when it is that
// one's, else the first declared type of the common base type; 0 when the
// base types are incompatible.
int PromoteFieldTypes(int leftAdvanced, int rightAdvanced);

}  // namespace dvx
