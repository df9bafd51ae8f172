#pragma once
// TDVXConstraintDefs: the constraints of a table.
//
// Stored form: int32 count, then for each item 1 byte ConstraintType and the
// definition of that kind. Two summary flags tell whether the table has
// foreign keys (type 1) and foreign key actions (type 5).
#include <memory>

#include "engine/schema/constraint_def.h"

namespace dvx {

class TDVXConstraintDefs : public TDVXMetaObjectDefs {
 public:
  TDVXConstraintDefs() = default;

  void AddItem(std::unique_ptr<TDVXMetaObjectDef> item) override;
  void Insert(int index, std::unique_ptr<TDVXMetaObjectDef> item) override;
  void Delete(int index) override;
  void LoadFromStream(TDVXStream& stream) override;
  void SaveToStream(TDVXStream& stream) const override;
  // Creates the matching kind for each source item; a name already copied is
  // 10424.
  void Assign(const TDVXMetaObjectDefs& source) override;

  TDVXConstraintDef* Items(int index) const { return static_cast<TDVXConstraintDef*>(Item(index)); }
  // A new empty constraint of the kind; 30035 for a type above 5.
  TDVXConstraintDef* AddOfType(int constraintType);

  TDVXConstraintDefNotNull* AddNotNull();
  TDVXConstraintDefCheck* AddCheck();
  TDVXConstraintDefPrimary* AddPrimary();
  TDVXConstraintDefUnique* AddUnique();
  TDVXConstraintDefForeignKey* AddForeignKey();
  TDVXConstraintDefForeignKeyAction* AddForeignKeyAction();

  bool HasForeignKeys() const { return hasForeignKeys_; }
  bool HasForeignKeyActions() const { return hasForeignKeyActions_; }
  // Some foreign key action whose UpdateAction (DeleteAction) is not
  // "no action".
  bool HasUpdateActions() const;
  bool HasDeleteActions() const;

 protected:
  const char* ClassName() const override { return "TDVXConstraintDefs"; }

 private:
  void NoteType(int constraintType);
  void RecomputeFlags();

  bool hasForeignKeys_ = false;
  bool hasForeignKeyActions_ = false;
};

}  // namespace dvx
