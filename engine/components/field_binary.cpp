// The byte fields (ftBytes: Size bytes; ftVarBytes: uint16 length, then up
// to Size bytes) and the BLOB fields, which go through the dataset's BLOB
// streams. Memo content is Windows-1252 text, or UTF-16LE for wide memos.
#include <cstring>

#include "engine/components/database_error.h"
#include "engine/components/dataset.h"
#include "engine/components/dataset_messages.h"
#include "engine/components/field_classes.h"
#include "engine/components/field_text_util.h"
#include "engine/core/locale.h"
#include "engine/values/base_field_type.h"
#include "engine/values/field_types.h"

namespace dvx {

TBytesField::TBytesField(TDataSet& dataSet, std::string name, int size, bool required, int fieldNo, TFieldKind kind,
                         TFieldType type)
    : TField(dataSet, std::move(name), type, size, required, fieldNo, kind) {}

std::vector<uint8_t> TBytesField::AsBytes() const {
  std::vector<uint8_t> buffer(static_cast<size_t>(DataSize()));
  if (buffer.empty() || !GetData(buffer.data())) return {};
  if (DataType() == ftBytes) return buffer;
  uint16_t length = 0;
  std::memcpy(&length, buffer.data(), 2);
  if (length > Size()) length = static_cast<uint16_t>(Size());
  return std::vector<uint8_t>(buffer.begin() + 2, buffer.begin() + 2 + length);
}

void TBytesField::SetAsBytes(const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) {
    Clear();
    return;
  }
  if (static_cast<int>(bytes.size()) > Size())
    DatabaseError(MessageText(kSBytesTooLong, {static_cast<int>(bytes.size()), DisplayLabel(), Size()}), &DataSet());
  std::vector<uint8_t> buffer(static_cast<size_t>(DataSize()), 0);
  if (DataType() == ftBytes) {
    std::memcpy(buffer.data(), bytes.data(), bytes.size());
  } else {
    const uint16_t length = static_cast<uint16_t>(bytes.size());
    std::memcpy(buffer.data(), &length, 2);
    std::memcpy(buffer.data() + 2, bytes.data(), bytes.size());
  }
  SetData(buffer.data());
}

std::string TBytesField::AsString() const {
  const std::vector<uint8_t> bytes = AsBytes();
  return std::string(bytes.begin(), bytes.end());
}

void TBytesField::SetAsString(const std::string& bytes) { SetAsBytes(std::vector<uint8_t>(bytes.begin(), bytes.end())); }

TDVXVariant TBytesField::AsVariant() const {
  const uint8_t type = DataType() == ftBytes ? bftBytes : bftVarBytes;
  TDVXVariant value(type);
  const std::vector<uint8_t> bytes = AsBytes();
  if (!IsNull() && !bytes.empty()) value.SetBuffer(bytes.data(), static_cast<int32_t>(bytes.size()), true, type);
  return value;
}

void TBytesField::SetAsVariant(const TDVXVariant& value) {
  if (value.IsNull()) {
    Clear();
    return;
  }
  SetAsBytes(std::vector<uint8_t>(value.Data(), value.Data() + value.DataSize()));
}

// --- BLOBs ---------------------------------------------------------------

TBlobField::TBlobField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind,
                       TFieldType type)
    : TField(dataSet, std::move(name), type, 0, required, fieldNo, kind) {}

std::vector<uint8_t> TBlobField::AsBytes() const {
  if (IsNull()) return {};
  std::unique_ptr<TDVXStream> stream = DataSet().CreateBlobStream(const_cast<TBlobField&>(*this), bmRead);
  std::vector<uint8_t> bytes(static_cast<size_t>(stream->Size()));
  stream->SetPosition(0);
  if (!bytes.empty()) stream->ReadBuffer(bytes.data(), bytes.size(), kErrStreamRead);
  return bytes;
}

void TBlobField::SetAsBytes(const std::vector<uint8_t>& bytes) {
  // Opening for writing cuts the value; no bytes leave it NULL. The stream
  // tells the dataset of the change when it is freed.
  std::unique_ptr<TDVXStream> stream = DataSet().CreateBlobStream(*this, bmWrite);
  stream->SetSize(0);
  if (!bytes.empty()) stream->WriteBuffer(bytes.data(), bytes.size(), kErrStreamWrite);
}

std::string TBlobField::AsString() const {
  const std::vector<uint8_t> bytes = AsBytes();
  return std::string(bytes.begin(), bytes.end());
}

void TBlobField::SetAsString(const std::string& bytes) { SetAsBytes(std::vector<uint8_t>(bytes.begin(), bytes.end())); }

int64_t TBlobField::BlobSize() const {
  if (IsNull()) return 0;
  return static_cast<int64_t>(DataSet().CreateBlobStream(const_cast<TBlobField&>(*this), bmRead)->Size());
}

void TBlobField::LoadFromStream(TDVXStream& stream) {
  std::vector<uint8_t> bytes(static_cast<size_t>(stream.Remaining()));
  if (!bytes.empty()) stream.ReadBuffer(bytes.data(), bytes.size(), kErrStreamRead);
  SetAsBytes(bytes);
}

void TBlobField::SaveToStream(TDVXStream& stream) const {
  const std::vector<uint8_t> bytes = AsBytes();
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), bytes.size(), kErrStreamWrite);
}

uint8_t TBlobField::VariantType() const {
  switch (DataType()) {
    case ftMemo:
      return static_cast<const TMemoField*>(this)->WideMemo() ? bftWideMemo : bftMemo;
    case ftFmtMemo:
      return AdvancedToBaseType(aftFormattedMemo);
    default:
      return bftBlob;
  }
}

TDVXVariant TBlobField::AsVariant() const {
  const uint8_t type = VariantType();
  TDVXVariant value(type);
  const std::vector<uint8_t> bytes = AsBytes();
  if (!bytes.empty()) value.SetBuffer(bytes.data(), static_cast<int32_t>(bytes.size()), true, type);
  return value;
}

void TBlobField::SetAsVariant(const TDVXVariant& value) {
  if (value.IsNull()) {
    Clear();
    return;
  }
  SetAsBytes(std::vector<uint8_t>(value.Data(), value.Data() + value.DataSize()));
}

// --- memos ---------------------------------------------------------------

std::string TMemoField::AsString() const {
  const std::vector<uint8_t> bytes = AsBytes();
  if (!wideMemo_) return AnsiToUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  std::u16string wide(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < wide.size(); ++i)
    wide[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return WideToUtf8(wide);
}

void TMemoField::SetAsString(const std::string& utf8) {
  std::vector<uint8_t> bytes;
  if (!wideMemo_) {
    std::string ansi;
    if (!Utf8ToAnsiExact(utf8, ansi)) ConversionError(utf8, nullptr);
    bytes.assign(ansi.begin(), ansi.end());
  } else {
    for (char16_t c : Utf8ToWide(utf8)) {
      bytes.push_back(static_cast<uint8_t>(c & 0xFF));
      bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
  }
  SetAsBytes(bytes);
}

TDVXVariant TMemoField::AsVariant() const { return TBlobField::AsVariant(); }

void TMemoField::SetAsVariant(const TDVXVariant& value) {
  if (value.IsNull())
    Clear();
  else if (value.DataType() == bftMemo || value.DataType() == bftString || value.DataType() == bftChar)
    SetAsString(AnsiToUtf8(value.GetAsString()));
  else if (IsWideType(value.DataType()))
    SetAsString(WideToUtf8(value.GetAsWideString()));
  else
    TBlobField::SetAsVariant(value);
}

}  // namespace dvx
