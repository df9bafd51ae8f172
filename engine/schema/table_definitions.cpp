#include "engine/schema/table_definitions.h"

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/schema/table_errors.h"
#include "engine/schema/unique_name.h"

namespace dvx {

namespace {

constexpr uint32_t kForeignKeyNumberRange = 2147483647;  // 0..2147483646
constexpr uint32_t kRetryNumberRange = 65535;            // 0..65534

[[noreturn]] void CreateError(int32_t code, std::string_view table, const char* message) {
  throw EDVXException(code, message, {std::string(table)});
}

[[noreturn]] void CreateError(int32_t code, std::string_view table, const char* message, const std::string& name) {
  throw EDVXException(code, message, {std::string(table), name});
}

}  // namespace

void ValidateTableCreation(std::string_view tableName, const TDVXFieldDefs& fields, const TDVXIndexDefs& indexes,
                           const TDVXConstraintDefs& constraints) {
  if (fields.Count() == 0) CreateError(kErrCreateNoFields, tableName, "Cannot create table '%s'. No fields were defined");
  for (int i = 0; i < fields.Count(); ++i) {
    const std::string& name = fields.Item(i)->ObjectName();
    if (name.empty())
      CreateError(kErrCreateUnnamedField, tableName, "Cannot create table '%s'. Unnamed fields are not allowed");
    for (int j = 0; j < fields.Count(); ++j)
      if (j != i && SameName(name, fields.Item(j)->ObjectName()))
        CreateError(kErrCreateDuplicateField, tableName, "Cannot create table '%s'. Duplicate field name '%s'", name);
  }
  int primaries = 0;
  for (int i = 0; i < indexes.Count(); ++i) {
    const TDVXIndexDef* index = indexes.Items(i);
    const std::string& name = index->ObjectName();
    if (name.empty())
      CreateError(kErrCreateUnnamedIndex, tableName, "Cannot create table '%s'. Unnamed indexes are not allowed");
    if (index->Columns().empty())
      CreateError(kErrCreateIndexNoFields, tableName, "Cannot create table '%s'. No fields defined in index '%s'",
                  name);
    for (int j = 0; j < indexes.Count(); ++j)
      if (j != i && SameName(name, indexes.Item(j)->ObjectName()))
        CreateError(kErrCreateDuplicateIndex, tableName, "Cannot create table '%s'. Duplicate index name '%s'", name);
    if (index->Primary()) ++primaries;
  }
  if (primaries > 1)
    CreateError(kErrCreateDuplicatePrimary, tableName,
                "Cannot create table '%s'. Error in indexes definition - multiple primary indexes are not allowed");
  for (int i = 0; i < constraints.Count(); ++i) {
    const std::string& name = constraints.Item(i)->ObjectName();
    if (name.empty()) continue;
    for (int j = 0; j < constraints.Count(); ++j)
      if (j != i && SameName(name, constraints.Item(j)->ObjectName()))
        CreateError(kErrCreateDuplicateConstraint, tableName,
                    "Cannot create table '%s'. Duplicate constraint name '%s'", name);
  }
  // "> 0": a negative block size is refused like 0.
  for (int i = 0; i < fields.Count(); ++i) {
    const TDVXFieldDef* f = fields.Items(i);
    if (IsBlobType(f->BaseFieldType()) && f->BlobBlockSize() <= 0)
      throw EDVXException(kErrBlobBlockSize, "BLOB block size should be > 0 for field %s", {f->ObjectName()});
  }
}

int32_t DrawObjectID(TDVXSequenceDef& counter) {
  int64_t id = counter.NextValue();
  if (id < 1 || id > INT32_MAX)
    throw EDVXException(kErrSequenceOverflow, "Sequence '%s' overflow", {counter.ObjectName()});
  return static_cast<int32_t>(id);
}

void AssignObjectIDs(TDVXMetaObjectDefs& defs, TDVXSequenceDef& counter) {
  for (int i = 0; i < defs.Count(); ++i) defs.Item(i)->SetObjectID(DrawObjectID(counter));
}

void CreateAutoincSequences(std::string_view tableName, TDVXFieldDefs& fields, TDVXBaseSequenceManager& sequences,
                            TDVXSequenceDef& counter) {
  for (int i = 0; i < fields.Count(); ++i) {
    TDVXFieldDef* f = fields.Items(i);
    if (!IsAutoincType(f->AdvancedFieldType())) continue;
    std::string name = sequences.MakeSequenceName(true, f->ObjectName(), tableName);
    TDVXSequenceDef* s = sequences.SequenceDefs().Add();
    s->SetObjectName(std::move(name));
    s->SetObjectID(DrawObjectID(counter));
    s->SetSequenceType(f->BaseFieldType());
    s->SetMinValue(f->AutoincMinValue());
    s->SetMaxValue(f->AutoincMaxValue());
    s->SetCurrentValue(f->AutoincInitialValue());
    s->SetIncrement(f->AutoincIncrement());
    s->SetCycled(f->AutoincCycled());
    f->SetAutoincSequenceID(s->ObjectID());
  }
}

void NameConstraints(TDVXConstraintDefs& constraints, TDVXRandom& random) {
  auto taken = [&constraints](std::string_view name) { return constraints.FindByName(name) >= 0; };
  for (int i = 0; i < constraints.Count(); ++i) {
    TDVXConstraintDef* c = constraints.Items(i);
    if (!c->ObjectName().empty()) continue;
    std::string base;
    switch (c->ConstraintType()) {
      case ctForeignKey:
      case ctForeignKeyAction:
        base = "$FOREIGN_KEY_" + std::to_string(random.Next(kForeignKeyNumberRange));
        break;
      case ctNotNull:
      case ctCheck: {
        const auto* pairs = static_cast<TDVXConstraintDefPairs*>(c);
        base = std::string("$") + (c->ConstraintType() == ctNotNull ? "C_NotNull" : "C_Check") + "$" +
               pairs->Pairs()[1].name + "$" + pairs->Pairs()[2].name;
        break;
      }
      default:
        throw EDVXException(kErrNameConstraintType, "Not implemented yet");
    }
    c->SetObjectName(MakeUniqueName(base, taken, random, kRetryNumberRange));
  }
}

void ResolveConstraintReferences(TDVXConstraintDefs& constraints, const TDVXFieldDefs& fields,
                                 const TDVXIndexDefs& indexes) {
  auto fieldID = [&fields](const std::string& name, int32_t code) {
    const TDVXMetaObjectDef* f = fields.GetByName(name);
    if (!f) throw EDVXException(code, "Field '%s' not found", {name});
    return f->ObjectID();
  };
  for (int i = 0; i < constraints.Count(); ++i) {
    TDVXConstraintDef* c = constraints.Items(i);
    switch (c->ConstraintType()) {
      case ctPrimaryKey:
      case ctUnique: {
        auto* u = static_cast<TDVXConstraintDefUnique*>(c);
        bool primary = c->ConstraintType() == ctPrimaryKey;
        const TDVXMetaObjectDef* index = indexes.GetByName(u->IndexName());
        if (!index)
          throw EDVXException(primary ? kErrPrimaryIndexNotFound : kErrUniqueIndexNotFound, "Index '%s' not found",
                              {u->IndexName()});
        u->Pairs()[2].id = index->ObjectID();
        for (auto& column : u->Columns())
          column.id = fieldID(column.name, primary ? kErrPrimaryFieldNotFound : kErrUniqueFieldNotFound);
        break;
      }
      case ctForeignKey:
        for (auto& column : static_cast<TDVXConstraintDefForeignKey*>(c)->Columns())
          column.id = fieldID(column.name, kErrForeignKeyFieldNotFound);
        break;
      case ctNotNull:
      case ctCheck: {
        auto* n = static_cast<TDVXConstraintDefNotNull*>(c);
        n->Pairs()[2].id = fieldID(n->FieldName(), kErrConstraintFieldNotFound);
        break;
      }
      case ctForeignKeyAction:
        break;
      default:
        throw EDVXException(kErrResolveConstraintType, "Not implemented yet");
    }
  }
}

namespace {

TDVXConstraintDefUnique* ConstraintOfIndex(const TDVXIndexDef& index, TDVXConstraintDefs& constraints) {
  TDVXConstraintDefUnique* u = nullptr;
  if (index.Primary())
    u = constraints.AddPrimary();
  else if (index.Unique())
    u = constraints.AddUnique();
  else
    return nullptr;
  u->SetObjectName(index.ObjectName());
  u->SetIndexName(index.ObjectName());
  u->Pairs()[2].id = index.ObjectID();
  for (const auto& column : index.Columns()) u->Columns().push_back({column.fieldName, -1});
  return u;
}

}  // namespace

void CreateUniqueConstraintsFromIndexes(const TDVXIndexDefs& indexes, TDVXConstraintDefs& constraints) {
  for (int i = 0; i < indexes.Count(); ++i) ConstraintOfIndex(*indexes.Items(i), constraints);
}

TDVXConstraintDefUnique* AddIndexConstraint(const TDVXIndexDef& index, TDVXConstraintDefs& constraints,
                                            const TDVXFieldDefs& fields, const TDVXIndexDefs& indexes,
                                            TDVXSequenceDef& counter) {
  TDVXConstraintDefUnique* u = ConstraintOfIndex(index, constraints);
  if (!u) return nullptr;
  u->SetObjectID(DrawObjectID(counter));
  const TDVXMetaObjectDef* found = indexes.GetByName(u->IndexName());
  bool primary = u->ConstraintType() == ctPrimaryKey;
  if (!found)
    throw EDVXException(primary ? kErrPrimaryIndexNotFound : kErrUniqueIndexNotFound, "Index '%s' not found",
                        {u->IndexName()});
  u->Pairs()[2].id = found->ObjectID();
  for (auto& column : u->Columns()) {
    const TDVXMetaObjectDef* f = fields.GetByName(column.name);
    if (!f)
      throw EDVXException(primary ? kErrPrimaryFieldNotFound : kErrUniqueFieldNotFound, "Field '%s' not found",
                          {column.name});
    column.id = f->ObjectID();
  }
  return u;
}

TDVXConstraintDefForeignKeyAction* CreateForeignKeyAction(TDVXConstraintDefs& referencedConstraints,
                                                          const TDVXConstraintDefForeignKey& foreignKey,
                                                          std::string_view referencingTableName,
                                                          TDVXSequenceDef& counter, TDVXRandom& random) {
  std::string name = foreignKey.ObjectName() + "_Action";
  int attempts = 0;
  while (referencedConstraints.FindByName(name) >= 0) {
    if (++attempts > 1000000) throw EDVXException(kErrNameTooLong, "Cannot find a free name for '%s'", {name});
    name = foreignKey.ObjectName() + "_Action_" + std::to_string(random.Next(kForeignKeyNumberRange));
  }
  if (name.size() > kMaxObjectNameLength)
    throw EDVXException(kErrNameTooLong, "Name '%s' is longer than %d characters and cannot be stored",
                        {name.substr(0, 32) + "...", static_cast<int64_t>(kMaxObjectNameLength)});
  int32_t id = DrawObjectID(counter);
  TDVXConstraintDefForeignKeyAction* action = referencedConstraints.AddForeignKeyAction();
  action->SetObjectName(std::move(name));
  action->SetObjectID(id);
  action->Table() = {std::string(referencingTableName), -1};
  action->Key() = {foreignKey.ObjectName(), foreignKey.ObjectID()};
  action->SetDeleteAction(foreignKey.DeleteAction());
  action->SetUpdateAction(foreignKey.UpdateAction());
  action->SetMatchType(foreignKey.MatchType());
  action->Columns() = foreignKey.Columns();
  return action;
}

}  // namespace dvx
