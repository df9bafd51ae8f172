#pragma once
// Engine values and the field slots of record buffers. A value's bytes are
// the slot's bytes for every fixed-size type, so those copy unchanged;
// strings differ only in length (a slot holds up to its declared size and a
// terminator, a value exactly its characters and a terminator). Large
// objects are not in the slot (it holds a reference) and go through BLOB
// streams instead.
#include <cstdint>

namespace dvx {

class TDVXVariant;

// The value of a non-NULL slot of `baseType` and `memoryDataSize` bytes.
// With `borrow` the value points into the record buffer (valid while the
// buffer is); otherwise it owns a copy. An empty string gives NULL. Large
// objects raise 30052.
void ReadFieldSlot(TDVXVariant& target, int baseType, const uint8_t* slot, int32_t memoryDataSize, bool borrow);

// Writes `value` into the slot in the slot's own type (converting a copy
// when the types differ; conversion errors 30051/30052) and returns true;
// a NULL value or one that converts to an empty string writes nothing and
// returns false (the caller sets the null flag). Strings longer than the
// slot are cut to it and terminated; BYTES/VARBYTES are cut to it or padded
// with zeros. Large objects raise 30052.
bool WriteFieldSlot(const TDVXVariant& value, int baseType, uint8_t* slot, int32_t memoryDataSize);

}  // namespace dvx
