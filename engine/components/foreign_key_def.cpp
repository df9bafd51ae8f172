#include "engine/components/foreign_key_def.h"

#include "engine/components/object_names.h"
#include "engine/schema/constraint_defs.h"

namespace dvx {

std::vector<TDVXForeignKeyDef> MakeForeignKeyDefs(const TDVXConstraintDefs& constraints) {
  std::vector<TDVXForeignKeyDef> result;
  for (int i = 0; i < constraints.Count(); ++i) {
    const TDVXConstraintDef* c = constraints.Items(i);
    if (c->ConstraintType() != ctForeignKey) continue;
    const auto& fk = static_cast<const TDVXConstraintDefForeignKeyAction&>(*c);
    TDVXForeignKeyDef def;
    def.name = HostName(fk.ObjectName());
    def.referencedTable = HostName(fk.Table().name);
    def.matchType = fk.MatchType();
    def.deleteAction = fk.DeleteAction();
    def.updateAction = fk.UpdateAction();
    for (const auto& column : fk.Columns()) {
      if (!def.columns.empty()) def.columns += ';';
      def.columns += HostName(column.name);
    }
    result.push_back(std::move(def));
  }
  return result;
}

}  // namespace dvx
