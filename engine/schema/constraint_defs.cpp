#include "engine/schema/constraint_defs.h"

#include "engine/core/exception.h"
#include "engine/schema/table_errors.h"

namespace dvx {

namespace {

// Header (5) and the type byte before it: the least any item takes.
constexpr uint64_t kMinStoredConstraintSize = 6;

std::unique_ptr<TDVXConstraintDef> Create(int constraintType, int32_t code) {
  switch (constraintType) {
    case ctPrimaryKey: return std::make_unique<TDVXConstraintDefPrimary>();
    case ctForeignKey: return std::make_unique<TDVXConstraintDefForeignKey>();
    case ctUnique: return std::make_unique<TDVXConstraintDefUnique>();
    case ctNotNull: return std::make_unique<TDVXConstraintDefNotNull>();
    case ctCheck: return std::make_unique<TDVXConstraintDefCheck>();
    case ctForeignKeyAction: return std::make_unique<TDVXConstraintDefForeignKeyAction>();
    default: break;
  }
  if (code == kErrUnknownConstraintType)
    throw EDVXException(code, "Unknown Constraint Type: '%d'", {constraintType});
  throw EDVXException(code, "Not implemented yet");
}

}  // namespace

void TDVXConstraintDefs::NoteType(int constraintType) {
  if (constraintType == ctForeignKey) hasForeignKeys_ = true;
  if (constraintType == ctForeignKeyAction) hasForeignKeyActions_ = true;
}

void TDVXConstraintDefs::RecomputeFlags() {
  hasForeignKeys_ = hasForeignKeyActions_ = false;
  for (int i = 0; i < Count(); ++i) NoteType(Items(i)->ConstraintType());
}

void TDVXConstraintDefs::AddItem(std::unique_ptr<TDVXMetaObjectDef> item) {
  auto* constraint = dynamic_cast<TDVXConstraintDef*>(item.get());
  if (!constraint) RaiseCorruptDefinition("not a constraint definition");
  NoteType(constraint->ConstraintType());
  TDVXMetaObjectDefs::AddItem(std::move(item));
}

void TDVXConstraintDefs::Insert(int index, std::unique_ptr<TDVXMetaObjectDef> item) {
  auto* constraint = dynamic_cast<TDVXConstraintDef*>(item.get());
  if (!constraint) RaiseCorruptDefinition("not a constraint definition");
  int type = constraint->ConstraintType();
  TDVXMetaObjectDefs::Insert(index, std::move(item));
  NoteType(type);
}

void TDVXConstraintDefs::Delete(int index) {
  TDVXMetaObjectDefs::Delete(index);
  RecomputeFlags();
}

TDVXConstraintDef* TDVXConstraintDefs::AddOfType(int constraintType) {
  auto item = Create(constraintType, kErrAssignConstraintType);
  TDVXConstraintDef* raw = item.get();
  AddItem(std::move(item));
  return raw;
}

TDVXConstraintDefNotNull* TDVXConstraintDefs::AddNotNull() {
  return static_cast<TDVXConstraintDefNotNull*>(AddOfType(ctNotNull));
}
TDVXConstraintDefCheck* TDVXConstraintDefs::AddCheck() { return static_cast<TDVXConstraintDefCheck*>(AddOfType(ctCheck)); }
TDVXConstraintDefPrimary* TDVXConstraintDefs::AddPrimary() {
  return static_cast<TDVXConstraintDefPrimary*>(AddOfType(ctPrimaryKey));
}
TDVXConstraintDefUnique* TDVXConstraintDefs::AddUnique() {
  return static_cast<TDVXConstraintDefUnique*>(AddOfType(ctUnique));
}
TDVXConstraintDefForeignKey* TDVXConstraintDefs::AddForeignKey() {
  return static_cast<TDVXConstraintDefForeignKey*>(AddOfType(ctForeignKey));
}
TDVXConstraintDefForeignKeyAction* TDVXConstraintDefs::AddForeignKeyAction() {
  return static_cast<TDVXConstraintDefForeignKeyAction*>(AddOfType(ctForeignKeyAction));
}

void TDVXConstraintDefs::LoadFromStream(TDVXStream& stream) {
  Clear();
  int32_t count = ReadCount(stream, kMinStoredConstraintSize);
  for (int32_t i = 0; i < count; ++i) {
    uint8_t type = stream.ReadU8("constraint type");
    auto item = Create(type, kErrUnknownConstraintType);
    item->LoadFromStream(stream);
    AddItem(std::move(item));
  }
}

void TDVXConstraintDefs::SaveToStream(TDVXStream& stream) const {
  stream.WriteI32(Count());
  for (int i = 0; i < Count(); ++i) {
    stream.WriteU8(Items(i)->ConstraintType());
    Items(i)->SaveToStream(stream);
  }
}

void TDVXConstraintDefs::Assign(const TDVXMetaObjectDefs& source) {
  Clear();
  for (int i = 0; i < source.Count(); ++i) {
    const auto* from = dynamic_cast<const TDVXConstraintDef*>(source.Item(i));
    if (!from) RaiseCorruptDefinition("not a constraint definition");
    if (!from->ObjectName().empty() && FindByName(from->ObjectName()) >= 0)
      throw EDVXException(kErrDuplicateName, "Duplicate field name %s", {from->ObjectName()});
    AddOfType(from->ConstraintType())->Assign(*from);
  }
}

bool TDVXConstraintDefs::HasUpdateActions() const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->ConstraintType() == ctForeignKeyAction &&
        static_cast<const TDVXConstraintDefForeignKeyAction*>(Items(i))->UpdateAction() != raNoAction)
      return true;
  return false;
}

bool TDVXConstraintDefs::HasDeleteActions() const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->ConstraintType() == ctForeignKeyAction &&
        static_cast<const TDVXConstraintDefForeignKeyAction*>(Items(i))->DeleteAction() != raNoAction)
      return true;
  return false;
}

}  // namespace dvx
