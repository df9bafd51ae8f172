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
#include "engine/tables/table_data.h"

namespace dvx {

class TDVXDatabaseData;
class TDVXLocalCursor;
class TDVXTransaction;

class TDVXBaseSession : public TDVXSequenceSession {
 public:
  virtual int32_t SessionID() const = 0;
};

class TDVXLocalSession : public TDVXBaseSession {
 public:
  // Connects at once; the session leaves the database when it goes, rolling
  // back a transaction still open.
  explicit TDVXLocalSession(TDVXDatabaseData& database);
  ~TDVXLocalSession() override;
  TDVXLocalSession(const TDVXLocalSession&) = delete;
  TDVXLocalSession& operator=(const TDVXLocalSession&) = delete;

  int32_t SessionID() const override { return sessionID_; }
  TDVXDatabaseData& Database() { return database_; }
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
  };
  TOperation& Operation() { return operation_; }

 private:
  TDVXDatabaseData& database_;
  int32_t sessionID_ = -1;
  TDVXSequenceSessionValues sequences_;
  std::vector<TDVXLocalCursor*> cursors_;
  std::unique_ptr<TDVXTransaction> transaction_;
  TOperation operation_;
};

}  // namespace dvx
