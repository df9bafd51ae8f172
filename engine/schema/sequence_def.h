#pragma once
// TDVXSequenceDef: a 64-bit counter (autoincrement fields, the database's
// identifier counter); TDVXSequenceDefs: the sequences of a table.
//
// Stored form (after the common header):
//   1  SequenceType (a base type code)
//   8  MinValue, 8 MaxValue, 8 CurrentValue, 8 Increment (int64 each)
//   1  Cycled
//
// NextValue: CurrentValue += Increment, then the bounds. The effective
// bounds are MinValue..MaxValue narrowed to what SequenceType can hold, so an
// autoincrement value never overflows its field; every value lies within
// both. Past the upper bound a cycled sequence restarts at its lower bound
// (the bound itself, not the bound plus the step); a descending sequence
// (negative step) past its lower bound restarts at the upper bound. An
// uncycled sequence fails with 30009 and keeps its value. A value before
// the start of the range (an ascending sequence below its lower bound)
// moves to the start.
#include <cstdint>

#include "engine/values/base_field_type.h"
#include "engine/schema/meta_object_def.h"

namespace dvx {

class TDVXSequenceDef : public TDVXMetaObjectDef {
 public:
  TDVXSequenceDef() = default;

  void Assign(const TDVXMetaObjectDef& source) override;
  void LoadFromStream(TDVXStream& stream) override;
  void SaveToStream(TDVXStream& stream) const override;
  virtual int64_t NextValue();

  TDVXBaseFieldType SequenceType() const { return sequenceType_; }
  void SetSequenceType(TDVXBaseFieldType t) { sequenceType_ = t; }
  int64_t MinValue() const { return minValue_; }
  void SetMinValue(int64_t v) { minValue_ = v; }
  int64_t MaxValue() const { return maxValue_; }
  void SetMaxValue(int64_t v) { maxValue_ = v; }
  int64_t CurrentValue() const { return currentValue_; }
  void SetCurrentValue(int64_t v) { currentValue_ = v; }
  int64_t Increment() const { return increment_; }
  void SetIncrement(int64_t v) { increment_ = v; }
  bool Cycled() const { return cycled_; }
  void SetCycled(bool v) { cycled_ = v; }

  // MinValue..MaxValue narrowed to the range of SequenceType.
  int64_t EffectiveMinValue() const;
  int64_t EffectiveMaxValue() const;

 private:
  TDVXBaseFieldType sequenceType_ = bftUnsignedInt32;
  int64_t minValue_ = 0;
  int64_t maxValue_ = 4294967295LL;
  int64_t currentValue_ = 0;
  int64_t increment_ = 1;
  bool cycled_ = true;
};

class TDVXSequenceDefs : public TDVXMetaObjectDefs {
 public:
  TDVXSequenceDefs() = default;
  TDVXMetaObjectDef* InternalAddCreated() override;
  void LoadFromStream(TDVXStream& stream) override;
  TDVXSequenceDef* Items(int index) const { return static_cast<TDVXSequenceDef*>(Item(index)); }
  TDVXSequenceDef* Add() { return static_cast<TDVXSequenceDef*>(InternalAddCreated()); }

 protected:
  const char* ClassName() const override { return "TDVXSequenceDefs"; }
};

}  // namespace dvx
