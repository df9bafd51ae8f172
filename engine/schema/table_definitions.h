#pragma once
// What happens to a table's definitions when the table is created or its
// definitions are replaced: validation, identifiers, autoincrement
// sequences, constraint names and references, and the constraints that
// unique indexes imply.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/platform/random.h"
#include "engine/schema/constraint_defs.h"
#include "engine/schema/field_def.h"
#include "engine/schema/index_def.h"
#include "engine/schema/sequence_def.h"
#include "engine/schema/sequence_manager.h"

namespace dvx {

// Checks, in this order: fields present (11429), field names present
// (11432) and distinct (11430), index names present (11433), index columns
// present (11434), index names distinct (11428), at most one primary index
// (11427, reported after the whole list), named constraints distinct (11431),
// BLOB block sizes positive (10421).
void ValidateTableCreation(std::string_view tableName, const TDVXFieldDefs& fields, const TDVXIndexDefs& indexes,
                           const TDVXConstraintDefs& constraints);

// The next identifier of the database-wide counter. Identifiers are int32;
// a counter past that range is refused rather than wrapping into negative
// identifiers.
int32_t DrawObjectID(TDVXSequenceDef& counter);
// A fresh ObjectID for every definition, in collection order.
void AssignObjectIDs(TDVXMetaObjectDefs& defs, TDVXSequenceDef& counter);

// One sequence per autoincrement field, in field order, named
// "$S_Autoinc$<table>$<field>", holding the field's autoincrement settings;
// the field gets the sequence's ObjectID.
void CreateAutoincSequences(std::string_view tableName, TDVXFieldDefs& fields, TDVXBaseSequenceManager& sequences,
                            TDVXSequenceDef& counter);

// Names every unnamed constraint: "$FOREIGN_KEY_<n>" for foreign keys and
// their actions, "$C_NotNull$<pair 2>$<pair 3>" and "$C_Check$..." for the
// field constraints, a random number appended while the name is taken.
// Unnamed primary and unique constraints are 30038.
void NameConstraints(TDVXConstraintDefs& constraints, TDVXRandom& random = TDVXRandom::System());

// Replaces names by identifiers: index and field identifiers of primary and
// unique constraints (30325/30326, 30331/30332), field identifiers of foreign
// keys (11419) and of not-null and check constraints (30027).
void ResolveConstraintReferences(TDVXConstraintDefs& constraints, const TDVXFieldDefs& fields,
                                 const TDVXIndexDefs& indexes);

// A primary constraint for each primary index, else a unique constraint for
// each unique index, named after the index.
void CreateUniqueConstraintsFromIndexes(const TDVXIndexDefs& indexes, TDVXConstraintDefs& constraints);
// The constraint of a unique index added to an existing table: fresh
// identifier, resolved at once. None for an index that is neither primary
// nor unique.
TDVXConstraintDefUnique* AddIndexConstraint(const TDVXIndexDef& index, TDVXConstraintDefs& constraints,
                                            const TDVXFieldDefs& fields, const TDVXIndexDefs& indexes,
                                            TDVXSequenceDef& counter);

// The referenced side of a new foreign key, added to the referenced table's
// constraints: "<fk>_Action" (or "<fk>_Action_<n>" while taken), pointing
// back to the referencing table and the foreign key. The table identifier
// in an action is never compared; it is written as -1.
TDVXConstraintDefForeignKeyAction* CreateForeignKeyAction(TDVXConstraintDefs& referencedConstraints,
                                                          const TDVXConstraintDefForeignKey& foreignKey,
                                                          std::string_view referencingTableName,
                                                          TDVXSequenceDef& counter,
                                                          TDVXRandom& random = TDVXRandom::System());

}  // namespace dvx
