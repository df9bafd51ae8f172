#pragma once
// What the table component's source files share among themselves.
#include <string>

namespace dvx {

class TFieldDefs;
class TIndexDefs;
class TDVXFieldDefs;
class TDVXIndexDefs;
class TDVXConstraintDefs;
class TDVXLocalSession;

// The line break that ends the lines of the table's composite messages.
constexpr const char* kLineBreak = "\r\n";

// A message with its one "%s" filled.
std::string FillText(const char* format, const std::string& argument);

// The engine definitions of host definitions: field types through the
// component type mapping, Required as a NOT NULL constraint, index fields
// joined with ";", DescFields/CaseInsFields naming the descending and the
// case-insensitive columns (or the options for all of them).
void BuildEngineDefinitions(const TFieldDefs& hostFields, const TIndexDefs& hostIndexes, TDVXFieldDefs& fields,
                            TDVXIndexDefs& indexes, TDVXConstraintDefs& constraints);

// The names a restructure of `table` uses beside it, and the recovery of
// a restructure that a dying process left half done (table_restructure.cpp).
// Engine names in, engine names out.
std::string RestructureNewName(const std::string& table);
std::string RestructureOldName(const std::string& table);
void RecoverRestructure(TDVXLocalSession& session, const std::string& table);

}  // namespace dvx
