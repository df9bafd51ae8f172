#pragma once
// The definitions of a table as the table component reads them when it
// opens the table (dvx schema --host), one line each:
//   BezTree ftFixedChar(30)
//   Baum_ID ftAutoInc
//   Name ftString(20) required
//   Primary_Key (Baum_ID;BezTree;Ls) primary unique
//   BezTreeInd (BezTree) case-insensitive BezTree
//   ByDate (Day;Name) descending Day
#include <string>

#include "engine/components/field_defs.h"
#include "engine/components/index_defs.h"

namespace dvx::tool {

// "ftFixedChar", "ftFmtMemo", ...; "ftUnknown" for a value outside the list.
std::string HostFieldTypeName(TFieldType type);

std::string HostFieldText(const TFieldDef& field);
std::string HostIndexText(const TIndexDef& index);

}  // namespace dvx::tool
