#include "engine/schema/index_def.h"

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/schema/table_errors.h"

namespace dvx {

namespace {
// Header (5) + kind, unique, primary (3) + count and root page (8).
constexpr uint64_t kMinStoredIndexSize = 16;
// Name length byte + direction + case.
constexpr uint64_t kMinStoredColumnSize = 3;
}  // namespace

void TDVXIndexDef::Assign(const TDVXMetaObjectDef& source) {
  TDVXMetaObjectDef::Assign(source);
  const auto& i = SameKind<TDVXIndexDef>(source);
  columns_ = i.columns_;
  unique_ = i.unique_;
  primary_ = i.primary_;
  rootPageNo_ = i.rootPageNo_;
  temporary_ = i.temporary_;
}

void TDVXIndexDef::AddColumn(std::string fieldName, bool descending, bool caseInsensitive) {
  columns_.push_back({std::move(fieldName), descending, caseInsensitive});
}

void TDVXIndexDef::LoadFromStream(TDVXStream& stream) {
  TDVXMetaObjectDef::LoadFromStream(stream);
  if (stream.ReadU8("index kind") != 0) RaiseCorruptDefinition("unknown index kind");
  unique_ = stream.ReadU8("index unique flag") != 0;
  primary_ = stream.ReadU8("index primary flag") != 0;
  int32_t count = stream.ReadI32("index column count");
  rootPageNo_ = stream.ReadI32("index root page");
  if (count < 0 || static_cast<uint64_t>(count) * kMinStoredColumnSize > stream.Remaining())
    RaiseCorruptDefinition("index column count beyond the end of the stream");
  columns_.clear();
  for (int32_t i = 0; i < count; ++i) {
    TDVXIndexColumn column;
    column.fieldName = stream.ReadShortString("index column name");
    column.descending = stream.ReadU8("index column direction") != 0;
    column.caseInsensitive = stream.ReadU8("index column case mode") != 0;
    columns_.push_back(std::move(column));
  }
  temporary_ = false;
}

void TDVXIndexDef::SaveToStream(TDVXStream& stream) const {
  TDVXMetaObjectDef::SaveToStream(stream);
  stream.WriteU8(0);
  stream.WriteU8(unique_ ? 1 : 0);
  stream.WriteU8(primary_ ? 1 : 0);
  stream.WriteI32(static_cast<int32_t>(columns_.size()));
  stream.WriteI32(rootPageNo_);
  for (const auto& column : columns_) {
    stream.WriteShortString(column.fieldName);
    stream.WriteU8(column.descending ? 1 : 0);
    stream.WriteU8(column.caseInsensitive ? 1 : 0);
  }
}

TDVXMetaObjectDef* TDVXIndexDefs::InternalAddCreated() {
  auto item = std::make_unique<TDVXIndexDef>();
  TDVXIndexDef* raw = item.get();
  AddItem(std::move(item));
  return raw;
}

void TDVXIndexDefs::LoadFromStream(TDVXStream& stream) {
  Clear();
  int32_t count = ReadCount(stream, kMinStoredIndexSize);
  for (int32_t i = 0; i < count; ++i) InternalAddCreated()->LoadFromStream(stream);
}

void TDVXIndexDefs::SaveToStream(TDVXStream& stream) const {
  int32_t stored = 0;
  for (int i = 0; i < Count(); ++i)
    if (!Items(i)->Temporary()) ++stored;
  stream.WriteI32(stored);
  for (int i = 0; i < Count(); ++i)
    if (!Items(i)->Temporary()) Items(i)->SaveToStream(stream);
}

TDVXIndexDef* TDVXIndexDefs::FindPrimary() const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->Primary()) return Items(i);
  return nullptr;
}

int32_t TDVXIndexDefs::FindByColumns(const std::vector<std::string>& fieldNames,
                                     const std::vector<std::string>& directions,
                                     const std::vector<std::string>& cases) const {
  const char* lengthMessage = "Error - different lists length. L1 = %d, L2 = %d";
  if (fieldNames.size() != directions.size())
    throw EDVXException(kErrListLength1, lengthMessage,
                        {static_cast<int64_t>(fieldNames.size()), static_cast<int64_t>(directions.size())});
  if (fieldNames.size() != cases.size())
    throw EDVXException(kErrListLength2, lengthMessage,
                        {static_cast<int64_t>(fieldNames.size()), static_cast<int64_t>(cases.size())});
  for (int i = 0; i < Count(); ++i) {
    const TDVXIndexDef* index = Items(i);
    const auto& columns = index->Columns();
    if (columns.size() < fieldNames.size()) continue;
    bool match = true;
    for (size_t c = 0; match && c < fieldNames.size(); ++c) {
      const TDVXIndexColumn& column = columns[c];
      std::string direction = AnsiUpperCase(directions[c]);
      std::string caseWord = AnsiUpperCase(cases[c]);
      match = SameName(column.fieldName, fieldNames[c]) && !(direction == "ASC" && column.descending) &&
              !(direction == "DESC" && !column.descending) && !(caseWord == "CASE" && column.caseInsensitive) &&
              !(caseWord == "NO_CASE" && !column.caseInsensitive);
    }
    if (match) return index->ObjectID();
  }
  return -1;
}

}  // namespace dvx
