#pragma once
// Readable forms of a table's definitions for the dvx commands, one line
// per field, index or constraint, in a notation close to SQL (types by
// their stored display names):
//   Code Integer DEFAULT 7
//   Id AutoIncInteger (initial value 0, increment 1)
//   IX_Name (Name DESC CASE INSENSITIVE)
//   UQ_Code UNIQUE (Code)
//   PK_Remedies PRIMARY KEY (Id) ON INDEX PK
//   NN_Code NOT NULL (Code)
//   CK_Code CHECK (Code >= 1 AND Code <= 9)
//   FK_Box FOREIGN KEY (BoxId) REFERENCES Boxes ON DELETE CASCADE ON UPDATE RESTRICT MATCH SIMPLE
//   FKA_Box REFERENCED BY Items.FK_Box (BoxId) ON DELETE CASCADE ON UPDATE RESTRICT
#include <cstdint>
#include <string>

#include "engine/schema/constraint_def.h"
#include "engine/schema/field_def.h"
#include "engine/schema/index_def.h"

namespace dvx::tool {

// "1 record", "3 records".
std::string CountText(int64_t count, const char* one, const char* many);

std::string FieldText(const TDVXFieldDef& field);
std::string IndexText(const TDVXIndexDef& index);
std::string ConstraintText(const TDVXConstraintDef& constraint);

}  // namespace dvx::tool
