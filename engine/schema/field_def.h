#pragma once
// TDVXFieldDef: one column; TDVXFieldDefs: the columns of a table and the
// record layout they imply.
//
// Stored form of a field (after the common header):
//   1  BaseFieldType
//   1  AdvancedFieldType
//   4  FieldSize (int32)
//   -- only for BLOB base types (18..20), and for variable string base types
//      (3, 4) when FormatVersion is not below 2.099:
//   1  BlobCompressionAlgorithm
//   1  BlobCompressionMode
//   4  BlobBlockSize (int32)
//   -- only for autoincrement declared types (12..19):
//   4  AutoincSequenceID (int32)
//   8  AutoincIncrement, 8 AutoincInitialValue, 8 AutoincMinValue,
//   8  AutoincMaxValue (int64 each)
//   1  AutoincCycled
//   -- only for other declared types:
//   var DefaultValue in the engine value stream form
// Sizes and offsets are never stored; they follow from the types.
//
// Record layout: a null-flag bitmap of ceil(n / 8) bytes, then the fields in
// order; memory and disk offsets run separately because variable strings and
// BLOBs take 6 bytes on disk.
#include <cstdint>
#include <memory>

#include "engine/values/field_types.h"
#include "engine/schema/meta_object_def.h"
#include "engine/schema/stored_value.h"

namespace dvx {

constexpr double kDefaultFormatVersion = 4.2;
// From this version on, variable strings carry the BLOB attributes too.
constexpr double kVarStringBlobAttributesVersion = 2.099;
constexpr int32_t kDefaultBlobBlockSize = 102400;

class TDVXFieldDef : public TDVXMetaObjectDef {
 public:
  TDVXFieldDef() = default;

  void Assign(const TDVXMetaObjectDef& source) override;
  void LoadFromStream(TDVXStream& stream) override;
  void SaveToStream(TDVXStream& stream) const override;

  // Stores the declared type and size, derives the storage type and the
  // sizes; 30007 "Unsuported data type '%s'" when the type has no storage
  // type or the size cannot be laid out.
  void SetDataType(int advancedType, int32_t fieldSize = 0);

  TDVXBaseFieldType BaseFieldType() const { return baseFieldType_; }
  TDVXAdvancedFieldType AdvancedFieldType() const { return advancedFieldType_; }
  int32_t FieldSize() const { return fieldSize_; }
  int32_t DiskDataSize() const { return diskDataSize_; }
  int32_t MemoryDataSize() const { return memoryDataSize_; }
  int32_t DiskOffset() const { return diskOffset_; }
  int32_t MemoryOffset() const { return memoryOffset_; }

  int32_t AutoincSequenceID() const { return autoincSequenceID_; }
  void SetAutoincSequenceID(int32_t id) { autoincSequenceID_ = id; }
  const TDVXStoredValue& DefaultValue() const { return defaultValue_; }
  void SetDefaultValue(TDVXStoredValue value) { defaultValue_ = std::move(value); }
  uint8_t BlobCompressionAlgorithm() const { return blobCompressionAlgorithm_; }
  void SetBlobCompressionAlgorithm(uint8_t v) { blobCompressionAlgorithm_ = v; }
  uint8_t BlobCompressionMode() const { return blobCompressionMode_; }
  void SetBlobCompressionMode(uint8_t v) { blobCompressionMode_ = v; }
  int32_t BlobBlockSize() const { return blobBlockSize_; }
  void SetBlobBlockSize(int32_t v) { blobBlockSize_ = v; }
  int64_t AutoincIncrement() const { return autoincIncrement_; }
  void SetAutoincIncrement(int64_t v) { autoincIncrement_ = v; }
  int64_t AutoincInitialValue() const { return autoincInitialValue_; }
  void SetAutoincInitialValue(int64_t v) { autoincInitialValue_ = v; }
  int64_t AutoincMinValue() const { return autoincMinValue_; }
  void SetAutoincMinValue(int64_t v) { autoincMinValue_ = v; }
  int64_t AutoincMaxValue() const { return autoincMaxValue_; }
  void SetAutoincMaxValue(int64_t v) { autoincMaxValue_ = v; }
  bool AutoincCycled() const { return autoincCycled_; }
  void SetAutoincCycled(bool v) { autoincCycled_ = v; }
  double FormatVersion() const { return formatVersion_; }
  void SetFormatVersion(double v) { formatVersion_ = v; }

  bool HasBlobAttributes() const;

 private:
  friend class TDVXFieldDefs;
  void RecomputeSizes();

  TDVXBaseFieldType baseFieldType_ = bftUnknown;
  TDVXAdvancedFieldType advancedFieldType_ = aftUnknown;
  int32_t fieldSize_ = 0;
  int32_t diskDataSize_ = 0;
  int32_t memoryDataSize_ = 0;
  int32_t diskOffset_ = 0;
  int32_t memoryOffset_ = 0;
  int32_t autoincSequenceID_ = -1;
  TDVXStoredValue defaultValue_;
  uint8_t blobCompressionAlgorithm_ = 0;
  uint8_t blobCompressionMode_ = 0;
  int32_t blobBlockSize_ = kDefaultBlobBlockSize;
  int64_t autoincIncrement_ = 1;
  int64_t autoincInitialValue_ = 0;
  int64_t autoincMinValue_ = 0;
  int64_t autoincMaxValue_ = INT64_MAX;
  bool autoincCycled_ = false;
  double formatVersion_ = kDefaultFormatVersion;
};

class TDVXFieldDefs : public TDVXMetaObjectDefs {
 public:
  TDVXFieldDefs() = default;

  TDVXMetaObjectDef* InternalAddCreated() override;
  void LoadFromStream(TDVXStream& stream) override;
  void SaveToStream(TDVXStream& stream) const override;
  void Assign(const TDVXMetaObjectDefs& source) override;

  TDVXFieldDef* Items(int index) const { return static_cast<TDVXFieldDef*>(Item(index)); }
  TDVXFieldDef* Add(std::string name, int advancedType, int32_t fieldSize = 0);

  // Offsets of every field and the summary flags; 30912 when the record
  // would not fit 32-bit offsets.
  void RecomputeLayout();
  // The in-memory record size; 10131 without fields.
  int32_t RecordSize() const;
  int32_t DiskRecordSize() const;
  int32_t NullBitmapSize() const { return (Count() + 7) / 8; }

  bool HasBlobOrVarStringFields() const { return hasBlobs_; }
  bool HasAutoincFields() const { return hasAutoinc_; }
  bool HasDefaults() const { return hasDefaults_; }

  double FormatVersion() const { return formatVersion_; }
  void SetFormatVersion(double v) { formatVersion_ = v; }

 protected:
  const char* ClassName() const override { return "TDVXFieldDefs"; }

 private:
  bool hasBlobs_ = false;
  bool hasAutoinc_ = false;
  bool hasDefaults_ = false;
  double formatVersion_ = kDefaultFormatVersion;
};

}  // namespace dvx
