// TField base: identity, host sizes, NULL handling, the accessors a type
// does not support, TFields and CreateFieldOfType.
#include "engine/components/field.h"

#include "engine/components/database_error.h"
#include "engine/components/dataset.h"
#include "engine/components/dataset_messages.h"
#include "engine/components/field_classes.h"
#include "engine/components/object_names.h"

namespace dvx {

TField::TField(TDataSet& dataSet, std::string fieldName, TFieldType dataType, int size, bool required, int fieldNo,
               TFieldKind kind)
    : dataSet_(dataSet),
      fieldName_(std::move(fieldName)),
      dataType_(dataType),
      size_(size),
      required_(required),
      fieldNo_(fieldNo),
      kind_(kind) {}

TField::~TField() = default;

int TField::Index() const { return dataSet_.Fields().IndexOf(*this); }

int TField::DisplayWidth() const { return size_ > 0 ? size_ : 10; }

int TField::DataSize() const {
  switch (dataType_) {
    case ftString:
    case ftFixedChar:
      return size_ + 1;
    case ftWideString:
      return 2 * (size_ + 1);
    case ftSmallint:
    case ftWord:
    case ftBoolean:
      return 2;
    case ftInteger:
    case ftAutoInc:
    case ftDate:
    case ftTime:
      return 4;
    case ftLargeint:
    case ftFloat:
    case ftCurrency:
    case ftDateTime:
      return 8;
    case ftTimeStamp:
      return static_cast<int>(sizeof(TSQLTimeStamp));
    case ftBytes:
      return size_;
    case ftVarBytes:
      return 2 + size_;
    default:
      return 0;
  }
}

bool TField::IsNull() const { return !dataSet_.GetFieldData(*this, nullptr); }

void TField::Clear() {
  if (IsBlob()) {
    // A BLOB value is emptied through a stream; the stream tells the
    // dataset of the change when it is freed.
    std::unique_ptr<TDVXStream> stream = dataSet_.CreateBlobStream(*this, bmWrite);
    stream->SetSize(0);
    return;
  }
  SetData(nullptr);
}

bool TField::GetData(void* buffer) const { return dataSet_.GetFieldData(*this, buffer); }

void TField::SetData(const void* buffer) { dataSet_.SetFieldData(*this, buffer); }

void TField::Changed() {
  if (OnChange) OnChange(*this);
}

void TField::FocusControl() { dataSet_.DataEvent(deFocusControl, reinterpret_cast<intptr_t>(this)); }

TDVXVariant TField::OldValue() const {
  if (dataSet_.State() != dsEdit) return TDVXVariant();
  // The record as the source still holds it: the edit is not written yet.
  uint8_t* buffer = dataSet_.ScratchBuffer();
  dataSet_.UpdateCursorPos();
  dataSet_.CursorPosChanged();
  if (dataSet_.GetRecord(buffer, gmCurrent, false) != grOK) return TDVXVariant();
  const TDataSetState old = dataSet_.SetTempState(dsOldValue, buffer);
  try {
    TDVXVariant value = AsVariant();
    dataSet_.RestoreState(old);
    return value;
  } catch (...) {
    dataSet_.RestoreState(old);
    throw;
  }
}

void TField::ConversionError(const std::string& value, const char* what) const {
  if (what == nullptr || *what == '\0')
    DatabaseError(MessageText(kSInvalidValue, {value, DisplayLabel()}), &dataSet_);
  DatabaseError(MessageText(kSInvalidKindValue, {value, what, DisplayLabel()}), &dataSet_);
}

namespace {

[[noreturn]] void AccessError(const TField& field, const char* type) {
  DatabaseError(MessageText(kSFieldAccess, {field.DisplayLabel(), type}), &field.DataSet());
}

}  // namespace

std::string TField::AsString() const { AccessError(*this, "String"); }
void TField::SetAsString(const std::string&) { AccessError(*this, "String"); }
int32_t TField::AsInteger() const { AccessError(*this, "Integer"); }
void TField::SetAsInteger(int32_t) { AccessError(*this, "Integer"); }
int64_t TField::AsLargeInt() const { AccessError(*this, "LargeInt"); }
void TField::SetAsLargeInt(int64_t) { AccessError(*this, "LargeInt"); }
double TField::AsFloat() const { AccessError(*this, "Float"); }
void TField::SetAsFloat(double) { AccessError(*this, "Float"); }
bool TField::AsBoolean() const { AccessError(*this, "Boolean"); }
void TField::SetAsBoolean(bool) { AccessError(*this, "Boolean"); }
double TField::AsDateTime() const { AccessError(*this, "DateTime"); }
void TField::SetAsDateTime(double) { AccessError(*this, "DateTime"); }
std::vector<uint8_t> TField::AsBytes() const { AccessError(*this, "Bytes"); }
void TField::SetAsBytes(const std::vector<uint8_t>&) { AccessError(*this, "Bytes"); }
TDVXVariant TField::AsVariant() const { AccessError(*this, "Variant"); }
void TField::SetAsVariant(const TDVXVariant&) { AccessError(*this, "Variant"); }

// --- TFields -------------------------------------------------------------

void TFields::Add(std::unique_ptr<TField> field) {
  if (Find(field->FieldName()) != nullptr)
    DatabaseError(MessageText(kSDuplicateFieldName, {field->FieldName()}), &field->DataSet());
  fields_.push_back(std::move(field));
}

void TFields::Clear() { fields_.clear(); }

TField* TFields::Find(const std::string& name) const {
  for (const auto& field : fields_)
    if (SameHostName(field->FieldName(), name)) return field.get();
  return nullptr;
}

int TFields::IndexOf(const TField& field) const {
  for (size_t i = 0; i < fields_.size(); ++i)
    if (fields_[i].get() == &field) return static_cast<int>(i);
  return -1;
}

std::unique_ptr<TField> CreateFieldOfType(TDataSet& dataSet, const std::string& fieldName, TFieldType dataType,
                                          int size, bool required, int fieldNo, TFieldKind kind) {
  switch (dataType) {
    case ftString:
      return std::make_unique<TStringField>(dataSet, fieldName, size, required, fieldNo, kind);
    case ftFixedChar:
      return std::make_unique<TFixedCharField>(dataSet, fieldName, size, required, fieldNo, kind);
    case ftWideString:
      return std::make_unique<TWideStringField>(dataSet, fieldName, size, required, fieldNo, kind);
    case ftSmallint:
      return std::make_unique<TSmallintField>(dataSet, fieldName, required, fieldNo, kind);
    case ftInteger:
      return std::make_unique<TIntegerField>(dataSet, fieldName, required, fieldNo, kind);
    case ftLargeint:
      return std::make_unique<TLargeintField>(dataSet, fieldName, required, fieldNo, kind);
    case ftWord:
      return std::make_unique<TWordField>(dataSet, fieldName, required, fieldNo, kind);
    case ftAutoInc:
      return std::make_unique<TAutoIncField>(dataSet, fieldName, required, fieldNo, kind);
    case ftFloat:
      return std::make_unique<TFloatField>(dataSet, fieldName, required, fieldNo, kind);
    case ftCurrency:
      return std::make_unique<TCurrencyField>(dataSet, fieldName, required, fieldNo, kind);
    case ftBoolean:
      return std::make_unique<TBooleanField>(dataSet, fieldName, required, fieldNo, kind);
    case ftDate:
      return std::make_unique<TDateField>(dataSet, fieldName, required, fieldNo, kind);
    case ftTime:
      return std::make_unique<TTimeField>(dataSet, fieldName, required, fieldNo, kind);
    case ftDateTime:
      return std::make_unique<TDateTimeField>(dataSet, fieldName, required, fieldNo, kind);
    case ftTimeStamp:
      return std::make_unique<TSQLTimeStampField>(dataSet, fieldName, required, fieldNo, kind);
    case ftBytes:
      return std::make_unique<TBytesField>(dataSet, fieldName, size, required, fieldNo, kind);
    case ftVarBytes:
      return std::make_unique<TVarBytesField>(dataSet, fieldName, size, required, fieldNo, kind);
    case ftBlob:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
      return std::make_unique<TBlobField>(dataSet, fieldName, required, fieldNo, kind, dataType);
    case ftGraphic:
      return std::make_unique<TGraphicField>(dataSet, fieldName, required, fieldNo, kind);
    case ftMemo:
      return std::make_unique<TMemoField>(dataSet, fieldName, required, fieldNo, kind);
    case ftFmtMemo:
      return std::make_unique<TFmtMemoField>(dataSet, fieldName, required, fieldNo, kind);
    default:
      DatabaseError(MessageText(kSUnknownDataType, {std::to_string(static_cast<int>(dataType))}), &dataSet);
  }
}

}  // namespace dvx
