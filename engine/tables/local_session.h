#pragma once
// TDVXLocalSession: one client's connection to one database object: its
// session identifier (the change set its pages go into), the last values
// the sequences handed it, its cursors and its transaction, and the record
// operation under way (table_operation.h).
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/schema/sequence_manager.h"
#include "engine/tables/database_registry.h"
#include "engine/tables/table_data.h"

namespace dvx {

class TDVXDatabaseData;
class TDVXLocalCursor;
class TDVXTransaction;
class TDVXUnitOfWork;

class TDVXBaseSession : public TDVXSequenceSession {
 public:
  virtual int32_t SessionID() const = 0;

  // --- server-side operations (session_connection.cpp) ---
  // What a session of a database server offers; a session in this process
  // has no server and refuses each (10888, 10889, 10890).
  virtual std::vector<std::string> RemoteDatabaseNames();
  virtual void SendServerMessage(const std::string& text);
  virtual void ShutdownServer();
  // --- end of server-side operations ---
};

class TDVXLocalSession : public TDVXBaseSession {
 public:
  // Connects at once; the session leaves the database when it goes, rolling
  // back a transaction still open.
  explicit TDVXLocalSession(TDVXDatabaseData& database);
  ~TDVXLocalSession() override;

  // --- connection by file name (session_connection.cpp) ---
  // A session reaching its database through the process's registry by
  // the parameters' file name ("MEMORY" and "TEMP" name the in-memory and
  // temporary databases); not connected until Connect.
  explicit TDVXLocalSession(TDVXDatabaseParams params, TDVXDatabaseRegistry& registry = TDVXDatabaseRegistry::Instance());
  bool Connected() const { return database_ != nullptr; }
  // Finds or opens the database object and takes a session identifier in
  // it; 30986 when connected already.
  void Connect();
  // Closes the session's cursors, rolls back and frees an unfinished
  // transaction, drops its uncommitted pages and locks and leaves the
  // database object (the last session to leave a file closes it). Nothing
  // happens when not connected.
  void Disconnect();
  // Creates the database file (20092 while it is open in the process).
  void CreateDatabase();
  bool DatabaseExists();
  const TDVXDatabaseParams& Params() const { return params_; }
  // --- end of connection by file name ---
  TDVXLocalSession(const TDVXLocalSession&) = delete;
  TDVXLocalSession& operator=(const TDVXLocalSession&) = delete;

  int32_t SessionID() const override { return sessionID_; }
  // 30985 when not connected.
  TDVXDatabaseData& Database();
  TDVXPageManager& PageManager();

  void SetSequenceLastValue(int32_t sequenceID, int64_t value) override { sequences_.SetSequenceLastValue(sequenceID, value); }
  bool GetSequenceLastValue(int32_t sequenceID, int64_t& value) const override {
    return sequences_.GetSequenceLastValue(sequenceID, value);
  }

  // Transactions.
  void StartTransaction();
  void Commit(bool flush = true);
  void Rollback();
  bool InTransaction() const { return transaction_ != nullptr; }
  TDVXTransaction* Transaction() { return transaction_.get(); }

  void RegisterCursor(TDVXLocalCursor& cursor);
  void UnregisterCursor(TDVXLocalCursor& cursor);
  const std::vector<TDVXLocalCursor*>& Cursors() const { return cursors_; }

  // The record operation under way (table_operation.h): its nesting depth
  // and the tables it changed, each with its state before.
  struct TOperation {
    int depth = 0;
    std::vector<std::pair<TDVXTableData*, TDVXTableState>> tables;
    // Cursors the operation opened on other tables (foreign key actions),
    // closed when it ends: a table it changed stays loaded until then.
    std::vector<std::shared_ptr<TDVXLocalCursor>> cursors;
    // Why the pages of an operation (or a transaction) that failed could
    // not be cancelled; they are cancelled before the next operation.
    std::string leftover;
    // The unit of work of the outermost operation, null between them.
    TDVXUnitOfWork* work = nullptr;
  };
  TOperation& Operation() { return operation_; }

 private:
  TDVXDatabaseData* database_ = nullptr;
  // Set for a session connected through the registry, which it releases.
  TDVXDatabaseRegistry* registry_ = nullptr;
  TDVXDatabaseParams params_;
  // The database object a session was made on, which Connect reaches again.
  TDVXDatabaseData* given_ = nullptr;
  int32_t sessionID_ = -1;
  TDVXSequenceSessionValues sequences_;
  std::vector<TDVXLocalCursor*> cursors_;
  std::unique_ptr<TDVXTransaction> transaction_;
  TOperation operation_;
};

}  // namespace dvx
