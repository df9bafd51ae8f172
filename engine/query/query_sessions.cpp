#include "engine/query/query_sessions.h"

#include "engine/core/locale.h"
#include "engine/tables/database_registry.h"
#include "engine/tables/local_session.h"
#include "engine/tables/memory_database_data.h"
#include "engine/tables/temporary_database_data.h"

namespace dvx {

TDVXLocalQuerySessions::TDVXLocalQuerySessions(TDVXLocalSession* defaultSession, std::string defaultDatabaseName)
    : default_(defaultSession), defaultName_(std::move(defaultDatabaseName)) {}

TDVXLocalQuerySessions::~TDVXLocalQuerySessions() = default;

TDVXLocalSession& TDVXLocalQuerySessions::TemporarySession() { return SessionFor(TDVXTemporaryDatabaseData::kName, false); }

TDVXLocalSession& TDVXLocalQuerySessions::SessionFor(const std::string& databaseName, bool inMemory) {
  if (!inMemory && default_ && (databaseName.empty() || SameName(databaseName, defaultName_))) return *default_;
  std::string key;
  if (inMemory || TDVXDatabaseRegistry::IsMemoryName(databaseName))
    key = TDVXMemoryDatabaseData::kName;
  else if (TDVXDatabaseRegistry::IsTemporaryName(databaseName))
    key = TDVXTemporaryDatabaseData::kName;
  else
    key = databaseName.empty() ? defaultName_ : databaseName;
  const std::string upper = AnsiUpperCase(key);
  auto it = opened_.find(upper);
  if (it != opened_.end()) return *it->second;
  TDVXDatabaseRegistry& registry = TDVXDatabaseRegistry::Instance();
  std::unique_ptr<TDVXLocalSession> session;
  if (key == TDVXMemoryDatabaseData::kName) {
    session = std::make_unique<TDVXLocalSession>(registry.MemoryDatabase());
  } else if (key == TDVXTemporaryDatabaseData::kName) {
    session = std::make_unique<TDVXLocalSession>(registry.TemporaryDatabase());
  } else {
    TDVXDatabaseParams params;
    params.fileName = key;
    session = std::make_unique<TDVXLocalSession>(params, registry);
    session->Connect();
  }
  TDVXLocalSession& result = *session;
  opened_.emplace(upper, std::move(session));
  return result;
}

}  // namespace dvx
