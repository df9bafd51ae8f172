#include "engine/schema/constraint_def.h"

#include "engine/core/exception.h"
#include "engine/schema/table_errors.h"
#include "engine/schema/unique_name.h"

namespace dvx {

namespace {

constexpr size_t kMaxByteCountedName = 254;  // L+1 in one byte

[[noreturn]] void NameTooLong(const std::string& name, size_t limit) {
  throw EDVXException(kErrNameTooLong, "Name '%s' is longer than %d characters and cannot be stored",
                      {name.substr(0, 32) + "...", static_cast<int64_t>(limit)});
}

// The short string itself (length byte L, L characters), preceded by L+1.
std::string ReadCountedShortString(TDVXStream& stream, int32_t count) {
  if (count < 1 || count > 256) RaiseCorruptDefinition("invalid name length");
  std::string name = stream.ReadShortString("constraint name");
  if (name.size() + 1 != static_cast<size_t>(count)) RaiseCorruptDefinition("name length does not match");
  return name;
}

void WriteByteCountedName(TDVXStream& stream, const std::string& name) {
  if (name.size() > kMaxByteCountedName) NameTooLong(name, kMaxByteCountedName);
  stream.WriteU8(static_cast<uint8_t>(name.size() + 1));
  stream.WriteShortString(name);
}

void WriteIntCountedName(TDVXStream& stream, const std::string& name) {
  if (name.size() > kMaxByteCountedName) NameTooLong(name, kMaxByteCountedName);
  stream.WriteI32(static_cast<int32_t>(name.size() + 1));
  stream.WriteShortString(name);
}

// Plain int32-length names of the foreign key forms; still object names, so
// at most 255 characters.
std::string ReadLongName(TDVXStream& stream) {
  int32_t length = stream.ReadI32("name length");
  if (length < 0 || static_cast<size_t>(length) > kMaxObjectNameLength || static_cast<uint64_t>(length) > stream.Remaining())
    RaiseCorruptDefinition("invalid name length");
  std::string name(static_cast<size_t>(length), '\0');
  stream.ReadExact(name.data(), name.size(), "name");
  return name;
}

void WriteLongName(TDVXStream& stream, const std::string& name) {
  if (name.size() > kMaxObjectNameLength) NameTooLong(name, kMaxObjectNameLength);
  stream.WriteI32(static_cast<int32_t>(name.size()));
  stream.Write(name.data(), name.size());
}

int32_t ReadColumnCount(TDVXStream& stream, uint64_t minColumnSize) {
  int32_t count = stream.ReadI32("constraint column count");
  if (count < 0 || static_cast<uint64_t>(count) * minColumnSize > stream.Remaining())
    RaiseCorruptDefinition("constraint column count beyond the end of the stream");
  return count;
}

}  // namespace

void TDVXConstraintDef::Assign(const TDVXMetaObjectDef& source) {
  TDVXMetaObjectDef::Assign(source);
  const auto& c = SameKind<TDVXConstraintDef>(source);
  if (c.constraintType_ != constraintType_) RaiseDefinitionKindMismatch();
}

void TDVXConstraintDefPairs::Assign(const TDVXMetaObjectDef& source) {
  TDVXConstraintDef::Assign(source);
  pairs_ = SameKind<TDVXConstraintDefPairs>(source).pairs_;
}

void TDVXConstraintDefNotNull::LoadFromStream(TDVXStream& stream) {
  TDVXMetaObjectDef::LoadFromStream(stream);
  for (auto& pair : Pairs()) pair.id = stream.ReadI32("constraint identifier");
  for (auto& pair : Pairs()) pair.name = ReadCountedShortString(stream, stream.ReadU8("name length"));
}

void TDVXConstraintDefNotNull::SaveToStream(TDVXStream& stream) const {
  for (const auto& pair : Pairs())
    if (pair.name.size() > kMaxByteCountedName) NameTooLong(pair.name, kMaxByteCountedName);
  TDVXMetaObjectDef::SaveToStream(stream);
  for (const auto& pair : Pairs()) stream.WriteI32(pair.id);
  for (const auto& pair : Pairs()) WriteByteCountedName(stream, pair.name);
}

void TDVXConstraintDefCheck::Assign(const TDVXMetaObjectDef& source) {
  TDVXConstraintDefPairs::Assign(source);
  const auto& c = SameKind<TDVXConstraintDefCheck>(source);
  minValue_ = c.minValue_;
  maxValue_ = c.maxValue_;
}

void TDVXConstraintDefCheck::LoadFromStream(TDVXStream& stream) {
  TDVXConstraintDefNotNull::LoadFromStream(stream);
  minValue_.LoadFromStream(stream);
  maxValue_.LoadFromStream(stream);
}

void TDVXConstraintDefCheck::SaveToStream(TDVXStream& stream) const {
  TDVXConstraintDefNotNull::SaveToStream(stream);
  minValue_.SaveToStream(stream);
  maxValue_.SaveToStream(stream);
}

void TDVXConstraintDefUnique::Assign(const TDVXMetaObjectDef& source) {
  TDVXConstraintDefPairs::Assign(source);
  columns_ = SameKind<TDVXConstraintDefUnique>(source).columns_;
}

void TDVXConstraintDefUnique::LoadFromStream(TDVXStream& stream) {
  TDVXMetaObjectDef::LoadFromStream(stream);
  for (auto& pair : Pairs()) pair.id = stream.ReadI32("constraint identifier");
  for (auto& pair : Pairs()) pair.name = ReadCountedShortString(stream, stream.ReadI32("name length"));
  int32_t count = ReadColumnCount(stream, 9);
  columns_.clear();
  for (int32_t i = 0; i < count; ++i) {
    TDVXNamedRef column;
    column.id = stream.ReadI32("column identifier");
    column.name = ReadCountedShortString(stream, stream.ReadI32("name length"));
    columns_.push_back(std::move(column));
  }
}

void TDVXConstraintDefUnique::SaveToStream(TDVXStream& stream) const {
  // Refused before the first byte, so a failed save leaves no half item. A
  // 255-character name is refused here as in the NotNull and Check forms:
  // the forms keep L+1 beside the short string, and every reader of them
  // expects it to fit the short string's own length byte.
  for (const auto& pair : Pairs())
    if (pair.name.size() > kMaxByteCountedName) NameTooLong(pair.name, kMaxByteCountedName);
  for (const auto& column : columns_)
    if (column.name.size() > kMaxByteCountedName) NameTooLong(column.name, kMaxByteCountedName);
  TDVXMetaObjectDef::SaveToStream(stream);
  for (const auto& pair : Pairs()) stream.WriteI32(pair.id);
  for (const auto& pair : Pairs()) WriteIntCountedName(stream, pair.name);
  stream.WriteI32(static_cast<int32_t>(columns_.size()));
  for (const auto& column : columns_) {
    stream.WriteI32(column.id);
    WriteIntCountedName(stream, column.name);
  }
}

void TDVXConstraintDefForeignKeyAction::Assign(const TDVXMetaObjectDef& source) {
  TDVXConstraintDef::Assign(source);
  const auto& c = SameKind<TDVXConstraintDefForeignKeyAction>(source);
  table_ = c.table_;
  key_ = c.key_;
  deleteAction_ = c.deleteAction_;
  updateAction_ = c.updateAction_;
  matchType_ = c.matchType_;
  columns_ = c.columns_;
}

void TDVXConstraintDefForeignKeyAction::LoadFromStream(TDVXStream& stream) {
  TDVXMetaObjectDef::LoadFromStream(stream);
  table_.name = ReadLongName(stream);
  table_.id = stream.ReadI32("table identifier");
  key_.name = ReadLongName(stream);
  key_.id = stream.ReadI32("constraint identifier");
  deleteAction_ = stream.ReadU8("delete action");
  updateAction_ = stream.ReadU8("update action");
  matchType_ = stream.ReadU8("match type");
  if (deleteAction_ > raNoAction || updateAction_ > raNoAction) RaiseCorruptDefinition("unknown referential action");
  if (matchType_ > mtPartial) RaiseCorruptDefinition("unknown match type");
  int32_t count = ReadColumnCount(stream, 8);
  columns_.clear();
  for (int32_t i = 0; i < count; ++i) {
    TDVXNamedRef column;
    column.id = stream.ReadI32("column identifier");
    column.name = ReadLongName(stream);
    columns_.push_back(std::move(column));
  }
}

void TDVXConstraintDefForeignKeyAction::SaveToStream(TDVXStream& stream) const {
  TDVXMetaObjectDef::SaveToStream(stream);
  WriteLongName(stream, table_.name);
  stream.WriteI32(table_.id);
  WriteLongName(stream, key_.name);
  stream.WriteI32(key_.id);
  stream.WriteU8(deleteAction_);
  stream.WriteU8(updateAction_);
  stream.WriteU8(matchType_);
  stream.WriteI32(static_cast<int32_t>(columns_.size()));
  for (const auto& column : columns_) {
    stream.WriteI32(column.id);
    WriteLongName(stream, column.name);
  }
}

}  // namespace dvx
