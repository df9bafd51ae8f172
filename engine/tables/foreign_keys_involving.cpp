#include "engine/tables/foreign_keys_involving.h"

#include "engine/core/locale.h"
#include "engine/tables/database_data.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_data.h"

namespace dvx {

std::vector<TDVXDetachedForeignKey> ForeignKeysInvolving(TDVXLocalSession& session, const std::string& table) {
  std::vector<TDVXDetachedForeignKey> keys;
  if (!session.Database().TableExists(table)) return keys;
  auto take = [&keys](const std::string& owner, const TDVXConstraintDefForeignKey& fk) {
    TDVXDetachedForeignKey key{owner, {}};
    key.definition.Assign(fk);
    key.definition.Table().id = 0;
    key.definition.Key() = {};
    for (TDVXNamedRef& column : key.definition.Columns()) column.id = -1;
    keys.push_back(std::move(key));
  };
  TDVXLocalCursor probe(session, table);
  probe.Open();
  const TDVXConstraintDefs& defs = probe.Table().ConstraintManager().ConstraintDefs();
  for (int i = 0; i < defs.Count(); ++i) {
    const TDVXConstraintDef& c = *defs.Items(i);
    if (c.ConstraintType() == ctForeignKey) {
      take(table, static_cast<const TDVXConstraintDefForeignKey&>(c));
    } else if (c.ConstraintType() == ctForeignKeyAction) {
      // The action of another table's key: that key points here.
      const auto& action = static_cast<const TDVXConstraintDefForeignKeyAction&>(c);
      if (SameName(action.Table().name, table)) continue;
      TDVXLocalCursor other(session, action.Table().name);
      other.Open();
      const TDVXConstraintDefs& theirs = other.Table().ConstraintManager().ConstraintDefs();
      const int at = theirs.FindByName(action.Key().name);
      if (at >= 0 && theirs.Items(at)->ConstraintType() == ctForeignKey)
        take(action.Table().name, static_cast<const TDVXConstraintDefForeignKey&>(*theirs.Items(at)));
    }
  }
  return keys;
}

void DetachForeignKey(TDVXLocalSession& session, const TDVXDetachedForeignKey& key) {
  TDVXLocalCursor(session, key.table, true).DeleteConstraint(key.definition.ObjectName());
}

void AttachForeignKey(TDVXLocalSession& session, const TDVXDetachedForeignKey& key) {
  TDVXLocalCursor(session, key.table, true).AddForeignKey(key.definition);
}

}  // namespace dvx
