#include "engine/schema/sequence_def.h"

#include <algorithm>

#include "engine/core/exception.h"
#include "engine/values/field_types.h"
#include "engine/schema/table_errors.h"

namespace dvx {

namespace {
// Header (5) + type (1) + four int64 (32) + cycle flag (1).
constexpr uint64_t kStoredSequenceSize = 39;
}  // namespace

void TDVXSequenceDef::Assign(const TDVXMetaObjectDef& source) {
  TDVXMetaObjectDef::Assign(source);
  const auto& s = SameKind<TDVXSequenceDef>(source);
  sequenceType_ = s.sequenceType_;
  minValue_ = s.minValue_;
  maxValue_ = s.maxValue_;
  currentValue_ = s.currentValue_;
  increment_ = s.increment_;
  cycled_ = s.cycled_;
}

void TDVXSequenceDef::LoadFromStream(TDVXStream& stream) {
  TDVXMetaObjectDef::LoadFromStream(stream);
  uint8_t type = stream.ReadU8("sequence type");
  if (!IsValidBaseType(type)) RaiseCorruptDefinition("unknown sequence type");
  sequenceType_ = static_cast<TDVXBaseFieldType>(type);
  minValue_ = stream.ReadI64("sequence minimum");
  maxValue_ = stream.ReadI64("sequence maximum");
  currentValue_ = stream.ReadI64("sequence value");
  increment_ = stream.ReadI64("sequence step");
  cycled_ = stream.ReadU8("sequence cycle flag") != 0;
}

void TDVXSequenceDef::SaveToStream(TDVXStream& stream) const {
  TDVXMetaObjectDef::SaveToStream(stream);
  stream.WriteU8(sequenceType_);
  stream.WriteI64(minValue_);
  stream.WriteI64(maxValue_);
  stream.WriteI64(currentValue_);
  stream.WriteI64(increment_);
  stream.WriteU8(cycled_ ? 1 : 0);
}

int64_t TDVXSequenceDef::EffectiveMinValue() const {
  int64_t lo, hi;
  return IntegerTypeRange(sequenceType_, lo, hi) ? std::max(minValue_, lo) : minValue_;
}

int64_t TDVXSequenceDef::EffectiveMaxValue() const {
  int64_t lo, hi;
  return IntegerTypeRange(sequenceType_, lo, hi) ? std::min(maxValue_, hi) : maxValue_;
}

int64_t TDVXSequenceDef::NextValue() {
  // Every value handed out lies in lo..hi, the sequence's range narrowed to
  // its type.
  int64_t lo = EffectiveMinValue(), hi = EffectiveMaxValue();
  if (lo > hi) throw EDVXException(kErrSequenceOverflow, "Sequence '%s' overflow", {ObjectName()});
  const bool ascending = increment_ >= 0;
  int64_t next;
  bool overflow = __builtin_add_overflow(currentValue_, increment_, &next);
  // Past the end in the sequence's own direction: overflow, or the restart
  // at the start of the range when cycled.
  bool pastEnd = overflow || (ascending ? next > hi : next < lo);
  if (pastEnd) {
    if (!cycled_) throw EDVXException(kErrSequenceOverflow, "Sequence '%s' overflow", {ObjectName()});
    next = ascending ? lo : hi;
  } else if (ascending ? next < lo : next > hi) {
    // A current value before the start of the range (a minimum below what
    // the type holds, an initial value below the minimum) moves up to the
    // start; it never wraps round to the far end.
    next = ascending ? lo : hi;
  }
  currentValue_ = next;
  return next;
}

TDVXMetaObjectDef* TDVXSequenceDefs::InternalAddCreated() {
  auto item = std::make_unique<TDVXSequenceDef>();
  TDVXSequenceDef* raw = item.get();
  AddItem(std::move(item));
  return raw;
}

void TDVXSequenceDefs::LoadFromStream(TDVXStream& stream) {
  Clear();
  int32_t count = ReadCount(stream, kStoredSequenceSize);
  for (int32_t i = 0; i < count; ++i) InternalAddCreated()->LoadFromStream(stream);
}

}  // namespace dvx
