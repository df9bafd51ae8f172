#pragma once
// TDVXOperationScope: one record operation of a session, all or nothing.
//
// The outermost scope of a session begins the operation: inside a
// transaction it sets a savepoint in the page manager. Every table the
// operation changes is touched first, which notes the table's in-memory
// state (and enrols it in the transaction). Nested scopes (the operations
// a foreign-key action runs) join the outermost one.
//
//   Complete (outermost): each touched table whose state changed writes it
//     into the change set; then outside a transaction the session's pages
//     are committed, inside one the savepoint is released.
//   Destroyed without Complete, or Complete failed (outermost): the pages
//     are cancelled (outside a transaction) or rolled back to the
//     savepoint (inside one); every touched table gets its state back and
//     forgets what it read from the pages.
#include "engine/tables/local_session.h"

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
  void Abort() noexcept;

  TDVXLocalSession& session_;
  bool outermost_;
  bool completed_ = false;
};

}  // namespace dvx
