#include "engine/schema/meta_object_def.h"

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/schema/table_errors.h"

namespace dvx {

void RaiseCorruptDefinition(const char* what) {
  throw EDVXException(kErrCorruptDefinition, "Invalid stored definition: %s", {what});
}

void RaiseDefinitionKindMismatch() { RaiseCorruptDefinition("definitions of different kinds cannot be assigned"); }

void TDVXMetaObjectDef::Assign(const TDVXMetaObjectDef& source) {
  objectName_ = source.objectName_;
  objectID_ = source.objectID_;
}

void TDVXMetaObjectDef::LoadFromStream(TDVXStream& stream) {
  objectName_ = stream.ReadShortString("definition name");
  objectID_ = stream.ReadI32("definition identifier");
}

void TDVXMetaObjectDef::SaveToStream(TDVXStream& stream) const {
  stream.WriteShortString(objectName_);
  stream.WriteI32(objectID_);
}

void TDVXMetaObjectDefs::AddItem(std::unique_ptr<TDVXMetaObjectDef> item) { items_.push_back(std::move(item)); }

TDVXMetaObjectDef* TDVXMetaObjectDefs::InternalAddCreated() {
  throw EDVXException(kErrNotOverridden, "The method '%s' not overrided in class '%s'",
                      {"InternalAddCreated", ClassName()});
}

int32_t TDVXMetaObjectDefs::ReadCount(TDVXStream& stream, uint64_t minItemSize) {
  int32_t count = stream.ReadI32("definition count");
  if (count < 0 || static_cast<uint64_t>(count) * minItemSize > stream.Remaining())
    RaiseCorruptDefinition("definition count beyond the end of the stream");
  return count;
}

void TDVXMetaObjectDefs::LoadFromStream(TDVXStream& stream) {
  Clear();
  int32_t count = ReadCount(stream, 5);
  for (int32_t i = 0; i < count; ++i) InternalAddCreated()->LoadFromStream(stream);
}

void TDVXMetaObjectDefs::SaveToStream(TDVXStream& stream) const {
  stream.WriteI32(Count());
  for (const auto& item : items_) item->SaveToStream(stream);
}

void TDVXMetaObjectDefs::Assign(const TDVXMetaObjectDefs& source) {
  Clear();
  for (int i = 0; i < source.Count(); ++i) {
    const TDVXMetaObjectDef* from = source.Item(i);
    // An empty name is no name (constraints are named later); only real
    // names can collide.
    if (!from->ObjectName().empty() && FindByName(from->ObjectName()) >= 0)
      throw EDVXException(kErrDuplicateName, "Duplicate field name %s", {from->ObjectName()});
    InternalAddCreated()->Assign(*from);
  }
}

void TDVXMetaObjectDefs::CheckIndex(int index) const {
  if (index < 0 || index >= static_cast<int>(items_.size()))
    throw EDVXException(kErrListIndex, "List index out of bounds (%d)", {index});
}

void TDVXMetaObjectDefs::Delete(int index) {
  CheckIndex(index);
  items_.erase(items_.begin() + index);
}

void TDVXMetaObjectDefs::Insert(int index, std::unique_ptr<TDVXMetaObjectDef> item) {
  if (index != static_cast<int>(items_.size())) CheckIndex(index);
  items_.insert(items_.begin() + index, std::move(item));
}

void TDVXMetaObjectDefs::Move(int from, int to) {
  CheckIndex(from);
  CheckIndex(to);
  auto item = std::move(items_[from]);
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, std::move(item));
}

void TDVXMetaObjectDefs::Clear() {
  while (Count() > 0) Delete(0);
}

void TDVXMetaObjectDefs::ReplaceItem(int index, std::unique_ptr<TDVXMetaObjectDef> item) {
  CheckIndex(index);
  items_[index] = std::move(item);
}

TDVXMetaObjectDef* TDVXMetaObjectDefs::Item(int index) const {
  CheckIndex(index);
  return items_[index].get();
}

int TDVXMetaObjectDefs::FindByName(std::string_view name) const {
  std::string upper = AnsiUpperCase(name);
  for (size_t i = 0; i < items_.size(); ++i)
    if (AnsiUpperCase(items_[i]->ObjectName()) == upper) return static_cast<int>(i);
  return -1;
}

TDVXMetaObjectDef* TDVXMetaObjectDefs::GetByName(std::string_view name) const {
  int i = FindByName(name);
  return i < 0 ? nullptr : items_[i].get();
}

int TDVXMetaObjectDefs::FindByID(int32_t id) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i]->ObjectID() == id) return static_cast<int>(i);
  return -1;
}

TDVXMetaObjectDef* TDVXMetaObjectDefs::GetByID(int32_t id) const {
  int i = FindByID(id);
  return i < 0 ? nullptr : items_[i].get();
}

}  // namespace dvx
