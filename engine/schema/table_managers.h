#pragma once
// The per-table owners of index and constraint definitions, and the two
// streams a table's definitions are kept in:
//
//   table metadata stream:  field definitions, then constraint definitions
//   most-updated stream:    sequence definitions, then index definitions
//                           (these change with every insert and root split),
//                           then the index page manager's own state, which
//                           the page manager appends itself
#include "engine/schema/constraint_defs.h"
#include "engine/schema/field_manager.h"
#include "engine/schema/index_def.h"
#include "engine/schema/sequence_manager.h"

namespace dvx {

class TDVXBaseIndexManager {
 public:
  TDVXIndexDefs& IndexDefs() { return defs_; }
  const TDVXIndexDefs& IndexDefs() const { return defs_; }

 private:
  TDVXIndexDefs defs_;
};

class TDVXBaseConstraintManager {
 public:
  TDVXConstraintDefs& ConstraintDefs() { return defs_; }
  const TDVXConstraintDefs& ConstraintDefs() const { return defs_; }

 private:
  TDVXConstraintDefs defs_;
};

void SaveTableMetadataStream(TDVXStream& stream, TDVXBaseFieldManager& fields,
                             const TDVXBaseConstraintManager& constraints);
// Loads both collections and recomputes the layout; returns whether the
// table has BLOB fields (base types 18..20).
bool LoadTableMetadataStream(TDVXStream& stream, TDVXBaseFieldManager& fields,
                             TDVXBaseConstraintManager& constraints);

void SaveMostUpdatedStream(TDVXStream& stream, const TDVXBaseSequenceManager& sequences, const TDVXFieldDefs& fields,
                           const TDVXBaseIndexManager& indexes);
// The temporary indexes the table already had in memory are appended again
// after the stored ones.
void LoadMostUpdatedStream(TDVXStream& stream, TDVXBaseSequenceManager& sequences, TDVXBaseIndexManager& indexes);

}  // namespace dvx
