#pragma once
// The transaction statements on the statement's database:
//
//   START TRANSACTION      TDVXStartTransaction
//   COMMIT [NOFLUSH]       TDVXCommit (file buffers flushed unless NOFLUSH)
//   ROLLBACK               TDVXRollback
//
// Words after COMMIT [NOFLUSH] and ROLLBACK (such as WORK) are passed over.
// A transaction stays open over later statements and runs until COMMIT
// or ROLLBACK; a statement that fails inside it changes nothing and
// leaves it open.
#include "engine/query/sql_command.h"

namespace dvx {

class TDVXLocalSession;

class TDVXTransactionCommand : public TDVXSQLCommand {
 public:
  using TDVXSQLCommand::TDVXSQLCommand;

 protected:
  TDVXLocalSession& Session();
};

class TDVXStartTransaction : public TDVXTransactionCommand {
 public:
  using TDVXTransactionCommand::TDVXTransactionCommand;
  void Parse() override;
  void Execute(bool open, bool& readOnly, bool requestLive) override;
};

class TDVXCommit : public TDVXTransactionCommand {
 public:
  using TDVXTransactionCommand::TDVXTransactionCommand;
  void Parse() override;
  void Execute(bool open, bool& readOnly, bool requestLive) override;
  bool Flush() const { return flush_; }

 private:
  bool flush_ = true;
};

class TDVXRollback : public TDVXTransactionCommand {
 public:
  using TDVXTransactionCommand::TDVXTransactionCommand;
  void Parse() override {}
  void Execute(bool open, bool& readOnly, bool requestLive) override;
};

}  // namespace dvx
