#include "engine/schema/field_def.h"

#include "engine/core/exception.h"
#include "engine/schema/table_errors.h"

namespace dvx {

namespace {
// Header (5) + types (2) + size (4): the least a stored field takes.
constexpr uint64_t kMinStoredFieldSize = 11;
}  // namespace

void TDVXFieldDef::Assign(const TDVXMetaObjectDef& source) {
  TDVXMetaObjectDef::Assign(source);
  const auto& f = SameKind<TDVXFieldDef>(source);
  baseFieldType_ = f.baseFieldType_;
  advancedFieldType_ = f.advancedFieldType_;
  fieldSize_ = f.fieldSize_;
  diskDataSize_ = f.diskDataSize_;
  memoryDataSize_ = f.memoryDataSize_;
  diskOffset_ = f.diskOffset_;
  memoryOffset_ = f.memoryOffset_;
  autoincSequenceID_ = f.autoincSequenceID_;
  defaultValue_ = f.defaultValue_;
  blobCompressionAlgorithm_ = f.blobCompressionAlgorithm_;
  blobCompressionMode_ = f.blobCompressionMode_;
  blobBlockSize_ = f.blobBlockSize_;
  autoincIncrement_ = f.autoincIncrement_;
  autoincInitialValue_ = f.autoincInitialValue_;
  autoincMinValue_ = f.autoincMinValue_;
  autoincMaxValue_ = f.autoincMaxValue_;
  autoincCycled_ = f.autoincCycled_;
  formatVersion_ = f.formatVersion_;
}

void TDVXFieldDef::SetDataType(int advancedType, int32_t fieldSize) {
  TDVXBaseFieldType base = AdvancedToBaseType(advancedType);
  if (base == bftUnknown)
    throw EDVXException(kErrUnsupportedType, "Unsuported data type '%s'", {AdvancedTypeSQLName(advancedType)});
  // Sizes beyond what a record can lay out are refused here rather than
  // overflowing the size arithmetic later.
  if (fieldSize < 0 || fieldSize > kMaxFieldSize)
    throw EDVXException(kErrUnsupportedType, "Unsuported data type '%s'", {AdvancedTypeSQLName(advancedType)});
  advancedFieldType_ = static_cast<TDVXAdvancedFieldType>(advancedType);
  baseFieldType_ = base;
  fieldSize_ = fieldSize;
  RecomputeSizes();
}

void TDVXFieldDef::RecomputeSizes() {
  memoryDataSize_ = dvx::MemoryDataSize(baseFieldType_, fieldSize_);
  diskDataSize_ = dvx::DiskDataSize(baseFieldType_, fieldSize_);
}

bool TDVXFieldDef::HasBlobAttributes() const {
  return IsBlobType(baseFieldType_) ||
         (IsVariableStringType(baseFieldType_) && formatVersion_ >= kVarStringBlobAttributesVersion);
}

void TDVXFieldDef::LoadFromStream(TDVXStream& stream) {
  TDVXMetaObjectDef::LoadFromStream(stream);
  uint8_t base = stream.ReadU8("field base type");
  uint8_t advanced = stream.ReadU8("field type");
  int32_t size = stream.ReadI32("field size");
  if (!IsValidAdvancedType(advanced)) RaiseCorruptDefinition("unknown field type");
  if (AdvancedToBaseType(advanced) != base) RaiseCorruptDefinition("field storage type does not match its type");
  SetDataType(advanced, size);
  if (HasBlobAttributes()) {
    blobCompressionAlgorithm_ = stream.ReadU8("BLOB compression");
    blobCompressionMode_ = stream.ReadU8("BLOB compression mode");
    blobBlockSize_ = stream.ReadI32("BLOB block size");
  }
  if (IsAutoincType(advancedFieldType_)) {
    autoincSequenceID_ = stream.ReadI32("sequence identifier");
    autoincIncrement_ = stream.ReadI64("autoincrement step");
    autoincInitialValue_ = stream.ReadI64("autoincrement start");
    autoincMinValue_ = stream.ReadI64("autoincrement minimum");
    autoincMaxValue_ = stream.ReadI64("autoincrement maximum");
    autoincCycled_ = stream.ReadU8("autoincrement cycle flag") != 0;
    defaultValue_.Clear();
  } else {
    defaultValue_.LoadFromStream(stream);
  }
}

void TDVXFieldDef::SaveToStream(TDVXStream& stream) const {
  TDVXMetaObjectDef::SaveToStream(stream);
  stream.WriteU8(baseFieldType_);
  stream.WriteU8(advancedFieldType_);
  stream.WriteI32(fieldSize_);
  if (HasBlobAttributes()) {
    stream.WriteU8(blobCompressionAlgorithm_);
    stream.WriteU8(blobCompressionMode_);
    stream.WriteI32(blobBlockSize_);
  }
  if (IsAutoincType(advancedFieldType_)) {
    stream.WriteI32(autoincSequenceID_);
    stream.WriteI64(autoincIncrement_);
    stream.WriteI64(autoincInitialValue_);
    stream.WriteI64(autoincMinValue_);
    stream.WriteI64(autoincMaxValue_);
    stream.WriteU8(autoincCycled_ ? 1 : 0);
  } else {
    defaultValue_.SaveToStream(stream);
  }
}

TDVXMetaObjectDef* TDVXFieldDefs::InternalAddCreated() {
  auto item = std::make_unique<TDVXFieldDef>();
  item->SetFormatVersion(formatVersion_);
  TDVXFieldDef* raw = item.get();
  AddItem(std::move(item));
  return raw;
}

TDVXFieldDef* TDVXFieldDefs::Add(std::string name, int advancedType, int32_t fieldSize) {
  auto item = std::make_unique<TDVXFieldDef>();
  item->SetObjectName(std::move(name));
  item->SetDataType(advancedType, fieldSize);
  item->SetFormatVersion(formatVersion_);
  TDVXFieldDef* raw = item.get();
  AddItem(std::move(item));
  RecomputeLayout();
  return raw;
}

void TDVXFieldDefs::LoadFromStream(TDVXStream& stream) {
  Clear();
  int32_t count = ReadCount(stream, kMinStoredFieldSize);
  for (int32_t i = 0; i < count; ++i) InternalAddCreated()->LoadFromStream(stream);
  RecomputeLayout();
}

void TDVXFieldDefs::SaveToStream(TDVXStream& stream) const {
  for (int i = 0; i < Count(); ++i) Items(i)->SetFormatVersion(formatVersion_);
  TDVXMetaObjectDefs::SaveToStream(stream);
}

void TDVXFieldDefs::Assign(const TDVXMetaObjectDefs& source) {
  TDVXMetaObjectDefs::Assign(source);
  for (int i = 0; i < Count(); ++i) Items(i)->SetFormatVersion(formatVersion_);
  RecomputeLayout();
}

void TDVXFieldDefs::RecomputeLayout() {
  int64_t bitmap = NullBitmapSize();
  int64_t disk = bitmap, memory = bitmap;
  hasBlobs_ = hasAutoinc_ = hasDefaults_ = false;
  for (int i = 0; i < Count(); ++i) {
    TDVXFieldDef* f = Items(i);
    f->RecomputeSizes();
    f->diskOffset_ = static_cast<int32_t>(disk);
    f->memoryOffset_ = static_cast<int32_t>(memory);
    disk += f->diskDataSize_;
    memory += f->memoryDataSize_;
    if (disk > INT32_MAX || memory > INT32_MAX)
      throw EDVXException(kErrRecordTooLarge, "Record of field '%s' exceeds the largest record size",
                          {f->ObjectName()});
    if (IsBlobType(f->baseFieldType_) || IsVariableStringType(f->baseFieldType_)) hasBlobs_ = true;
    if (IsAutoincType(f->advancedFieldType_)) hasAutoinc_ = true;
    if (!f->defaultValue_.IsNull()) hasDefaults_ = true;
  }
}

int32_t TDVXFieldDefs::RecordSize() const {
  if (Count() == 0) throw EDVXException(kErrNoFields, "Error creating table - no fields were specified");
  const TDVXFieldDef* last = Items(Count() - 1);
  return last->MemoryOffset() + last->MemoryDataSize();
}

int32_t TDVXFieldDefs::DiskRecordSize() const {
  if (Count() == 0) throw EDVXException(kErrNoFields, "Error creating table - no fields were specified");
  const TDVXFieldDef* last = Items(Count() - 1);
  return last->DiskOffset() + last->DiskDataSize();
}

}  // namespace dvx
