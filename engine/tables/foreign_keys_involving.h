#pragma once
// The foreign keys that involve a table: its own, and those of other tables
// that point at it, each with the table that holds it. A rebuild of the
// table (a restructure through a temporary table) takes them off before it
// and adds them again after it, or to the old table again when it fails:
// the new table is made without them, and each key added again checks the
// records it covers.
#include <string>
#include <vector>

#include "engine/schema/constraint_defs.h"

namespace dvx {

class TDVXLocalSession;

struct TDVXDetachedForeignKey {
  std::string table;  // the table that holds the key
  TDVXConstraintDefForeignKey definition;
};

// The keys as stored, their references cleared so that adding one again
// resolves it against the tables as they are then. None for a table that
// does not exist.
std::vector<TDVXDetachedForeignKey> ForeignKeysInvolving(TDVXLocalSession& session, const std::string& table);
void DetachForeignKey(TDVXLocalSession& session, const TDVXDetachedForeignKey& key);
void AttachForeignKey(TDVXLocalSession& session, const TDVXDetachedForeignKey& key);

}  // namespace dvx
