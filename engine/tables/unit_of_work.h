#pragma once
// TDVXUnitOfWork: one change of a session's pages and of the in-memory state
// that goes with them, all or nothing, committed in one fixed order. Record
// operations (table_operation.h) and definition changes (one table's, or
// the constraints of several) all commit through it.
//
// A unit holds the session's change set in the database's page manager,
// the session's change sets in page managers of tables' own (the index
// pages of in-memory and temporary tables), and undo steps for the
// in-memory state (definitions, sequence values, index roots, page maps
// read from pages), each tied to the page manager whose commit makes that
// state durable: a table's IndexPageManager.
//
// Commit, outside a transaction: the tables' own page managers first, in
// the order they were enlisted, then the database's. Each step either
// holds or not:
//   - A step refused or failed before its commit point leaves its change
//     set whole. That step and every later one are cancelled, and the undo
//     steps of their page managers run; steps committed before it stay
//     committed, and so does the in-memory state they hold.
//   - A step that fails after its commit point has taken effect (the page
//     manager drops a change set only once its commit holds, so HasChanges
//     is false then): nothing of it is undone and the later steps still
//     commit; the failure is reported all the same.
// Inside the session's transaction (a savepoint unit) the database's pages
// are not committed: the unit begins a savepoint, Commit releases it and an
// abort rolls back to it. A rollback that is refused leaves the
// transaction's change set as it is (it is never dropped here) and breaks
// the transaction: it refuses every further operation, and its commit
// rolls everything back and reports why (transaction.h).
//
// Every failure is reported. Commit and Abort raise the first failure with
// every later one appended to its message ("<first>; then: <next>").
// The destructor of a unit neither committed nor aborted aborts it; it may
// not raise, so it hands what failed to the caller through LastFailure.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/storage/page_manager.h"

namespace dvx {

class TDVXTransaction;

// Raised by a transaction an operation of which could not be undone.
constexpr int32_t kErrTransactionBroken = 30965;
// Raised when the pages of a failed operation are still in the session's
// change set and cannot be cancelled before the next operation.
constexpr int32_t kErrLeftoverChanges = 30966;

class TDVXUnitOfWork {
 public:
  // `transaction`: the session's transaction, when the unit is one step of
  // it (a savepoint unit); null to commit at the end.
  TDVXUnitOfWork(TDVXPageManager& database, int32_t session, TDVXTransaction* transaction = nullptr);
  ~TDVXUnitOfWork();
  TDVXUnitOfWork(const TDVXUnitOfWork&) = delete;
  TDVXUnitOfWork& operator=(const TDVXUnitOfWork&) = delete;

  // A page manager whose change set of the session is part of the unit;
  // the database's is part of it from the start. Enlisting twice is once.
  void Enlist(TDVXPageManager& pages);
  // Puts in-memory state back unless `heldBy` committed; enlists it.
  // Undo steps run newest first.
  void OnUndo(TDVXPageManager& heldBy, std::function<void()> undo);
  // Commits (or releases the savepoint) as described above; on a failure
  // undoes what no commit holds and raises. `flush` flushes the database's
  // file buffers after its commit; a failed flush undoes nothing.
  void Commit(bool flush = false);
  // Cancels (or rolls back to the savepoint) and undoes; raises the first
  // failure once every step was tried.
  void Abort();
  bool Open() const { return !done_; }
  // What failed in the last commit or abort, empty when nothing did.
  const std::string& LastFailure() const { return failure_; }
  // Whether the database's page manager holds the unit's commit.
  bool DatabaseCommitted() const;

 public:
  struct TFailure {
    int32_t code;
    std::string message;
  };

 private:
  struct TStep {
    TDVXPageManager* pages;
    bool committed = false;
  };
  struct TUndo {
    TDVXPageManager* heldBy;
    std::function<void()> undo;
  };
  TStep* Find(TDVXPageManager& pages);
  // Cancels each step that did not commit and runs the undo steps of the
  // page managers that hold nothing; every failure is added to `failures`.
  void Undo(std::vector<TFailure>& failures) noexcept;
  static std::string Join(const std::vector<TFailure>& failures);

  TDVXPageManager& database_;
  int32_t session_;
  TDVXTransaction* transaction_;
  // The tables' own page managers in the order they were enlisted, the
  // database's last: the commit order.
  std::vector<TStep> steps_;
  std::vector<TUndo> undo_;
  bool done_ = false;
  std::string failure_;
};

}  // namespace dvx
