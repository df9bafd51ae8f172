#include "engine/components/field_defs.h"

#include "engine/components/database_error.h"
#include "engine/components/dataset_messages.h"
#include "engine/components/object_names.h"

namespace dvx {

TFieldDef::TFieldDef(std::string name, TFieldType dataType, int size, bool required)
    : name_(std::move(name)), dataType_(dataType), size_(size), required_(required) {}

void TFieldDef::SetPrecision(int precision) {
  precision_ = precision;
  if (owner_ != nullptr) owner_->Changed();
}

void TFieldDef::SetWideMemo(bool wide) {
  wideMemo_ = wide;
  if (owner_ != nullptr) owner_->Changed();
}

TFieldDef& TFieldDefs::Add(const std::string& name, TFieldType dataType, int size, bool required) {
  if (Find(name) != nullptr) DatabaseError(MessageText(kSDuplicateFieldName, {name}));
  defs_.push_back(std::make_unique<TFieldDef>(name, dataType, size, required));
  defs_.back()->fieldNo_ = static_cast<int>(defs_.size());
  defs_.back()->owner_ = this;
  Changed();
  return *defs_.back();
}

void TFieldDefs::Clear() {
  defs_.clear();
  Changed();
}

const TFieldDef* TFieldDefs::Find(const std::string& name) const {
  const int index = IndexOf(name);
  return index < 0 ? nullptr : defs_[index].get();
}

int TFieldDefs::IndexOf(const std::string& name) const {
  for (size_t i = 0; i < defs_.size(); ++i)
    if (SameHostName(defs_[i]->Name(), name)) return static_cast<int>(i);
  return -1;
}

}  // namespace dvx
