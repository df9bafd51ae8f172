#pragma once
// TDVXForeignKeyDef: a foreign key of an engine dataset's table as the
// dataset shows it: its name, the table it references, how NULL columns
// match (TDVXMatchType), the actions on delete and update of the
// referenced row (TDVXReferentialAction), and its columns separated by
// ";".
#include <cstdint>
#include <string>
#include <vector>

namespace dvx {

class TDVXConstraintDefs;

struct TDVXForeignKeyDef {
  std::string name;
  std::string referencedTable;
  uint8_t matchType = 0;
  uint8_t deleteAction = 0;
  uint8_t updateAction = 0;
  std::string columns;
};

// The foreign keys (not their counterparts in referenced tables) among a
// table's constraints, in constraint order.
std::vector<TDVXForeignKeyDef> MakeForeignKeyDefs(const TDVXConstraintDefs& constraints);

}  // namespace dvx
