#include "engine/components/index_defs.h"

#include "engine/components/database_error.h"
#include "engine/components/dataset_messages.h"
#include "engine/components/object_names.h"

namespace dvx {

namespace {

std::vector<std::string> SplitFields(const std::string& fields) {
  std::vector<std::string> list;
  size_t start = 0;
  while (start <= fields.size()) {
    size_t end = fields.find(';', start);
    if (end == std::string::npos) end = fields.size();
    std::string name = fields.substr(start, end - start);
    while (!name.empty() && name.front() == ' ') name.erase(name.begin());
    while (!name.empty() && name.back() == ' ') name.pop_back();
    if (!name.empty()) list.push_back(name);
    start = end + 1;
  }
  return list;
}

}  // namespace

TIndexDef::TIndexDef(std::string name, std::string fields, TIndexOptions options)
    : name_(std::move(name)), fields_(std::move(fields)), options_(options) {}

void TIndexDef::SetDescFields(std::string fields) {
  descFields_ = std::move(fields);
  if (owner_ != nullptr) owner_->Changed();
}

void TIndexDef::SetCaseInsFields(std::string fields) {
  caseInsFields_ = std::move(fields);
  if (owner_ != nullptr) owner_->Changed();
}

std::vector<std::string> TIndexDef::FieldList() const { return SplitFields(fields_); }

TIndexDef& TIndexDefs::Add(const std::string& name, const std::string& fields, TIndexOptions options) {
  // Unnamed indexes (a primary key without a name) may come more than once.
  if (!name.empty() && Find(name) != nullptr) DatabaseError(MessageText(kSDuplicateIndexName, {name}));
  defs_.push_back(std::make_unique<TIndexDef>(name, fields, options));
  defs_.back()->owner_ = this;
  Changed();
  return *defs_.back();
}

void TIndexDefs::Clear() {
  defs_.clear();
  Changed();
}

const TIndexDef* TIndexDefs::Find(const std::string& name) const {
  for (const auto& def : defs_)
    if (SameHostName(def->Name(), name)) return def.get();
  return nullptr;
}

const TIndexDef* TIndexDefs::FindByFields(const std::string& fields, bool partial) const {
  const std::vector<std::string> wanted = SplitFields(fields);
  if (wanted.empty()) return nullptr;
  for (const auto& def : defs_) {
    const std::vector<std::string> have = def->FieldList();
    if (have.size() < wanted.size() || (!partial && have.size() != wanted.size())) continue;
    bool same = true;
    for (size_t i = 0; i < wanted.size() && same; ++i) same = SameHostName(have[i], wanted[i]);
    if (same) return def.get();
  }
  return nullptr;
}

const TIndexDef* TIndexDefs::Primary() const {
  for (const auto& def : defs_)
    if (def->Options().primary) return def.get();
  return nullptr;
}

}  // namespace dvx
