#pragma once
// TDVXOperationScope: one record operation of a session, all or nothing.
//
// The outermost scope of a session begins the operation as one unit of
// work (unit_of_work.h): inside a transaction a savepoint of it, outside
// one a commit of the session's pages at the end. Every table the
// operation changes is touched first, which notes the table's in-memory
// state (and enrols it in the transaction). Nested scopes (the operations
// a foreign-key action runs) join the outermost one.
//
//   Complete (outermost): each touched table whose state changed writes it
//     into the change set; then the unit commits (the tables' own index
//     pages first, then the database's pages) or releases its savepoint.
//   Destroyed without Complete, or Complete failed (outermost): the unit
//     cancels what no commit holds (or rolls back to the savepoint), and
//     every touched table whose state no commit holds gets its state back
//     and forgets what it read from the pages.
//
// Failures of that undo are not lost: a savepoint that could not be rolled
// back breaks the transaction (it refuses further operations, and its
// commit rolls it back and reports why); pages that could not be cancelled
// outside a transaction are cancelled when the session's next operation
// begins, which raises kErrLeftoverChanges if that fails again.
#include <memory>

#include "engine/tables/local_session.h"
#include "engine/tables/unit_of_work.h"

namespace dvx {

class TDVXOperationScope {
 public:
  explicit TDVXOperationScope(TDVXLocalSession& session);
  ~TDVXOperationScope();
  TDVXOperationScope(const TDVXOperationScope&) = delete;
  TDVXOperationScope& operator=(const TDVXOperationScope&) = delete;

  void Touch(TDVXTableData& table);
  void Complete();
  bool Outermost() const { return outermost_; }

 private:
  // Cancels the pages a failed undo left in the session's change set.
  void DropLeftover();

  TDVXLocalSession& session_;
  bool outermost_;
  std::unique_ptr<TDVXUnitOfWork> work_;
};

}  // namespace dvx
