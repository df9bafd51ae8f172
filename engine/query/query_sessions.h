#pragma once
// TDVXQuerySessions: how a statement reaches the databases it names. A
// table reference, an INTO target, a subquery or LASTAUTOINC names a
// database (or none: the statement's own) and may be in memory; this
// answers with a session on that database.
//
// TDVXLocalQuerySessions: the statement's own database through a session
// the caller holds; "MEMORY" (or the in-memory flag) and "TEMP" through
// sessions of its own on the process's in-memory and temporary databases;
// any other name as a database file of the process's registry, opened on
// first use and left when this object goes.
#include <map>
#include <memory>
#include <string>

namespace dvx {

class TDVXLocalSession;

class TDVXQuerySessions {
 public:
  virtual ~TDVXQuerySessions() = default;
  virtual TDVXLocalSession& SessionFor(const std::string& databaseName, bool inMemory) = 0;
  // The session of the temporary database, for result tables.
  virtual TDVXLocalSession& TemporarySession() = 0;
};

class TDVXLocalQuerySessions : public TDVXQuerySessions {
 public:
  // `defaultSession` may be null: then the default database is found by
  // its name like any other.
  TDVXLocalQuerySessions(TDVXLocalSession* defaultSession, std::string defaultDatabaseName);
  ~TDVXLocalQuerySessions() override;

  TDVXLocalSession& SessionFor(const std::string& databaseName, bool inMemory) override;
  TDVXLocalSession& TemporarySession() override;

 private:
  TDVXLocalSession* default_;
  std::string defaultName_;
  std::map<std::string, std::unique_ptr<TDVXLocalSession>> opened_;
};

}  // namespace dvx
