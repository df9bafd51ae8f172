#include "engine/schema/table_managers.h"

#include <memory>
#include <vector>

namespace dvx {

void SaveTableMetadataStream(TDVXStream& stream, TDVXBaseFieldManager& fields,
                             const TDVXBaseConstraintManager& constraints) {
  fields.SaveToStream(stream);
  constraints.ConstraintDefs().SaveToStream(stream);
}

bool LoadTableMetadataStream(TDVXStream& stream, TDVXBaseFieldManager& fields,
                             TDVXBaseConstraintManager& constraints) {
  fields.LoadFromStream(stream);
  constraints.ConstraintDefs().LoadFromStream(stream);
  const TDVXFieldDefs& defs = fields.FieldDefs();
  bool hasBlobs = false;
  for (int i = 0; i < defs.Count(); ++i) hasBlobs = hasBlobs || IsBlobType(defs.Items(i)->BaseFieldType());
  return hasBlobs;
}

void SaveMostUpdatedStream(TDVXStream& stream, const TDVXBaseSequenceManager& sequences, const TDVXFieldDefs& fields,
                           const TDVXBaseIndexManager& indexes) {
  sequences.SaveToStream(stream, fields);
  indexes.IndexDefs().SaveToStream(stream);
}

void LoadMostUpdatedStream(TDVXStream& stream, TDVXBaseSequenceManager& sequences, TDVXBaseIndexManager& indexes) {
  TDVXIndexDefs& defs = indexes.IndexDefs();
  std::vector<std::unique_ptr<TDVXIndexDef>> temporaries;
  for (int i = 0; i < defs.Count(); ++i)
    if (defs.Items(i)->Temporary()) {
      auto copy = std::make_unique<TDVXIndexDef>();
      copy->Assign(*defs.Items(i));
      temporaries.push_back(std::move(copy));
    }
  sequences.LoadFromStream(stream);
  defs.LoadFromStream(stream);
  for (auto& index : temporaries) defs.AddItem(std::move(index));
}

}  // namespace dvx
